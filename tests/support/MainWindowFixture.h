// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "FakeDialUpService.h"
#include "FakeShell.h"
#include "Folders.h"
#include "FormMain.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"

#include <QLocale>
#include <QTemporaryDir>
#include <memory>

/// What tests of the main window's commands share: a temporary data folder
/// with its settings store, a fake dial-up service with two entries, a fake
/// shell, no connection module, and the window itself.
struct MainWindowFixture {
    /// Once per test class.
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_MODULE_DIR", noModule.path().toLocal8Bit());
        TFormMain::TrayAvailable = [] { return true; };
        TFormMain::FavoritesOffered = [] { return true; };
    }

    /// Before each test.
    void init()
    {
        home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", home->path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(home->filePath(QStringLiteral("registry.reg"))));
        auto fakeShell = std::make_unique<FakeShell>();
        shell = fakeShell.get();
        Shell::setInstance(std::move(fakeShell));
        dialUp = std::make_unique<FakeDialUpService>();
        dialUp->addEntry(QStringLiteral("Netzwerk Nord"), QStringLiteral("0301234"));
        dialUp->addEntry(QStringLiteral("Callnet Flat"), QStringLiteral("0800111"));
    }

    void cleanup()
    {
        form.reset();
        Shell::setInstance(nullptr);
        shell = nullptr;
    }

    /// The window with its engine, offline.
    void createForm()
    {
        form = std::make_unique<TFormMain>();
        form->CreateEngine(dialUp.get());
        form->engine->SetConnectionState(Offline);
    }

    QString file(const QString &name) const { return home->filePath(name); }

    QTemporaryDir noModule;
    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<FakeDialUpService> dialUp;
    std::unique_ptr<TFormMain> form;
    FakeShell *shell = nullptr;
};
