// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HelpCommands.h"

#include "Folders.h"
#include "FormMain.h"
#include "HelpSystem.h"
#include "InfoDlg.h"
#include "LocaAboutBox.h"
#include "RASWorkUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QHelpLink>
#include <QLoggingCategory>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// QT_LOGGING_RULES="rufwerk.install.info=true" makes the program say at start
// where it found its module and help (the package check reads it).
Q_LOGGING_CATEGORY(lcInstall, "rufwerk.install", QtWarningMsg)

void reportInstallation(const TFormMain &form)
{
    if (!lcInstall().isInfoEnabled())
        return;
    const QString module = Folders::moduleFolder() + ConnectionModuleFileName();
    if (form.engine && form.engine->ModuleIndex >= 0)
        qCInfo(lcInstall).noquote() << "connection module loaded:" << module;
    else
        qCInfo(lcInstall).noquote() << "connection module missing:" << module;
    for (const QString &file : { HelpLink::ProgramHelp, u"ListPrinter"_s }) {
        QString error;
        const QString collection = THelpSystem::PrepareCollection(file, &error);
        if (collection.isEmpty()) {
            qCInfo(lcInstall).noquote() << "help missing:" << file << error;
            continue;
        }
        QHelpEngineCore engine(collection);
        engine.setupData();
        const bool ready = !engine.documentsForIdentifier(u"contents"_s).isEmpty();
        qCInfo(lcInstall).noquote() << (ready ? "help ready:" : "help without contents:")
                                    << THelpSystem::HelpFolder() + file + u".qch"_s;
    }
}

} // namespace

void InstallHelpCommands(TFormMain &form)
{
    auto *help = new THelpSystem(&form);
    help->Install();
    // The viewer's quit command: the help goes with the program.
    QObject::connect(&form, &TFormMain::programEnds, help, &THelpSystem::CloseAll);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, help, &THelpSystem::CloseAll);

    TFormMain *window = &form;
    form.SetCommand(u"Help"_s, [window] { HelpLink::ShowContents(window); });
    form.SetCommand(u"SearchHelp"_s, [window] { HelpLink::ShowKeywordSearch(window); });
    form.SetCommand(u"HelpOnHelp"_s, [window] { HelpLink::ShowHelpOnHelp(window); });
    form.SetCommand(u"About"_s, [window] { TLocaAboutBox::Execute(window); });
    form.SetCommand(u"ProgramInfo"_s, [window] { TInfoDlg::Execute(window); });
    // Once the program runs, its engine has loaded the module (or not).
    QTimer::singleShot(0, window, [window] { reportInstallation(*window); });
}

QString ProvideFirstUseText(const QString &programFolder, const QString &dataFolder)
{
    const QDir program(programFolder);
    const QDir data(dataFolder);
    if (program.canonicalPath() == data.canonicalPath())
        return QString();
    const QString shipped = program.filePath(u"Start_Up.RTF"_s);
    const QString copy = data.filePath(u"Start_Up.RTF"_s);
    // Shown before (renamed "StartUp.RTF") or still waiting: nothing to do.
    if (!QFileInfo::exists(shipped) || QFileInfo::exists(copy) || QFileInfo::exists(data.filePath(u"StartUp.RTF"_s)))
        return QString();
    if (!QFile::copy(shipped, copy))
        return QString();
    // The installed file is read-only; the copy is renamed after it was shown.
    QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::WriteOwner);
    return copy;
}
