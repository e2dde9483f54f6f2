// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SettingsCommands.h"

#include "Favorites.h"
#include "FormMain.h"
#include "FormProgStart.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"

#include <QAction>
#include <QComboBox>

using namespace Qt::StringLiterals;

void ShowSettingsDialog(TFormMain &form, int startPage)
{
    if (!form.engine)
        return;
    TProgStartHost host;
    host.RunCommand = [&form](const QString &command) { form.RunCommand(command); };
    host.SelectConnection = [&form](const QString &name) {
        auto *list = form.findChild<QComboBox *>(u"ComboBoxRAS"_s);
        const int index = list ? list->findText(name, Qt::MatchFixedString) : -1;
        if (index < 0)
            return false;
        list->setCurrentIndex(index);
        form.ComboBoxRASSelect(index);
        return true;
    };
    host.EntriesChanged = [&form] {
        if (auto *action = form.findChild<QAction *>(u"ActionEnriesChanged"_s))
            action->trigger();
    };
    host.LoadStartPrograms = [&form] { form.LoadStartPrograms(); };
    host.OpenFavorite = [&form](const QString &path) { TFavorites::OpenFavorite(form, path); };
    host.OpenLocalCopy = [](const QString &address) { return TFavorites::OpenLocalCopy(address); };
    const bool feeLogWasOn = form.engine->StartSettings.FeeRecord;
    TFormProgStart dialog(form.engine, std::move(host), &form);
    dialog.StartPage = startPage;
    dialog.exec();
    // The main window's own copy follows what the dialog stored.
    form.StartSettings = form.engine->StartSettings;
    // A fee log switched off at start was never loaded; saving the new records
    // alone would replace the file's.
    if (!feeLogWasOn && form.StartSettings.FeeRecord && form.RASStrList->Lines(u"FeeReport"_s).isEmpty())
        form.LoadFeeList();
}

void InstallSettingsCommands(TFormMain &form)
{
    const struct {
        QString command;
        int page;
    } commands[] = {
        { u"Settings"_s, TFormProgStart::PageStartSettings },
        { u"EditStartPrograms"_s, TFormProgStart::PageStartPrograms },
        { u"ConnectionList"_s, TFormProgStart::PageConnections },
    };
    for (const auto &c : commands)
        form.SetCommand(c.command, [&form, page = c.page] { ShowSettingsDialog(form, page); });
}
