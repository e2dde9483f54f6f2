// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Program.h"

#include "FormMain.h"
#include "Glyphs.h"
#include "ListPrintHooks.h"
#include "SignalWatcher.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QTranslator>

#include <csignal>

using namespace Qt::StringLiterals;

bool InstallQtTranslations(QCoreApplication *app)
{
    auto *translator = new QTranslator(app);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QStringList folders{QCoreApplication::applicationDirPath() + u"/translations"_s,
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString &folder : folders) {
        if (translator->load(german, u"qtbase"_s, u"_"_s, folder))
            return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}

int RunRufwerk(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Rufwerk"_s);
    QCoreApplication::setOrganizationName(u"Kovatek"_s);
    // The program's number, date and time formats are German.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Qt's own dialogs (files, printing, standard buttons) speak German too.
    InstallQtTranslations(&app);
    // The program lives on in the notification area when its window is hidden,
    // and ends only through the main window.
    app.setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(Glyphs::appIcon());

    // Signals are watched from the start; one that arrives before the message
    // loop runs ends the program as soon as it does. The window's orderly end
    // runs first, so leaving the loop never asks anything (quit() would close
    // the window again and put the closing question to nobody).
    QPointer<TFormMain> window;
    bool loopRunning = false;
    bool endRequested = false;
    auto endProgram = [&window, &loopRunning, &endRequested] {
        endRequested = true;
        if (!loopRunning)
            return;
        if (window)
            window->Shutdown();
        QCoreApplication::exit(0);
    };
    if (TSignalWatcher *watcher = TSignalWatcher::Install({SIGTERM, SIGINT}, &app))
        QObject::connect(watcher, &TSignalWatcher::received, &app, endProgram);

    TFormMain::PrepareFolders();
    InstallListPrintHooks();
    TFormMain form;
    window = &form;
    // Whatever ends the loop, the window's orderly end runs before anything is torn down.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, &TFormMain::Shutdown);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, endProgram);
    QObject::connect(&form, &TFormMain::programEnds, &app, endProgram);

    form.CreateEngine();
    if (!endRequested)
        form.StartUp();
    QTimer::singleShot(0, &app, [&loopRunning, &endRequested, endProgram] {
        loopRunning = true;
        if (endRequested)
            endProgram();
    });
    return app.exec();
}
