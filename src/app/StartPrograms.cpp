// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "StartPrograms.h"

#include "EngineSettings.h"
#include "FormMain.h"
#include "Glyphs.h"
#include "MessageDialog.h"
#include "OnlineLaunch.h"
#include "RASStrList.h"
#include "SettingsStore.h"
#include "Shell.h"
#include "StartProgramList.h"

#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

QComboBox *combo(TFormMain &form)
{
    return form.findChild<QComboBox *>(u"ComboBoxStartProg"_s);
}

QMenu *startProgramMenu(TFormMain &form)
{
    if (auto *menu = form.findChild<QMenu *>(u"PMStartProgs"_s))
        return menu;
    auto *menu = new QMenu(&form);
    menu->setObjectName(u"PMStartProgs"_s);
    return menu;
}

QString unquoted(const QString &path)
{
    return QString(path).remove(u'"');
}

} // namespace

namespace StartPrograms {

QString HomepageName()
{
    return u"Kovatek Homepage"_s;
}

QIcon ProgramIcon(const QString &path)
{
    const QString file = unquoted(path);
    if (!file.isEmpty() && QFileInfo::exists(file)) {
        const QIcon icon = Shell::instance().fileIcon(file);
        if (!icon.isNull())
            return icon;
    }
    return Glyphs::icon(Glyphs::Program);
}

void Load(TFormMain &form)
{
    QString error;
    const QStringList lines = StartProgramList::Load(SettingsStore::instance(), &error);
    if (!error.isEmpty())
        MessageDialog::Error(error, &form);
    form.RASStrList->SetLines(u"StartProgs"_s, lines);

    QComboBox *choice = combo(form);
    QMenu *menu = startProgramMenu(form);
    choice->clear();
    menu->clear();
    for (const QString &line : lines) {
        const TStartProgram program = TStartProgram::FromLine(line);
        // A line without a name offers nothing to choose.
        if (program.Name.isEmpty())
            continue;
        if (program.Name == HomepageName() && !form.FavoritesAvailable)
            continue;
        const QIcon icon = ProgramIcon(program.Path);
        const int index = choice->count();
        choice->addItem(icon, program.Name, line);
        QAction *item = menu->addAction(icon, QString(program.Name).replace(u'&', u"&&"_s));
        // Set whole: a "|" in the name would split the hint.
        item->setToolTip(u"Starprogramm: "_s + program.Name);
        item->setStatusTip(item->toolTip());
        QObject::connect(item, &QAction::triggered, &form, [&form, index] { Launch(form, index); });
    }
    if (choice->count() == 0)
        return;
    const int stored = SettingsStore::instance().readInteger(RegKey::StartProgram(), QString(), 0);
    choice->setCurrentIndex(stored >= 0 && stored < choice->count() ? stored : 0);
}

void Start(const TStartProgram &program)
{
    // The system's opener takes the path as it stands; quotes are part of no file name.
    Shell::instance().open(unquoted(program.Path), program.Parameters, QString());
}

void Launch(TFormMain &form, int index)
{
    QComboBox *choice = combo(form);
    if (index < 0 || index >= choice->count())
        return;
    SettingsStore::instance().writeInteger(RegKey::StartProgram(), QString(), index);
    const TStartProgram program = TStartProgram::FromLine(choice->itemData(index).toString());
    OnlineLaunch::Run(form, program.Name, [program] { Start(program); });
}

} // namespace StartPrograms

void InstallStartProgramCommands(TFormMain &form)
{
    form.SetCommand(u"RunStartProgram"_s, [&form] { StartPrograms::Launch(form, combo(form)->currentIndex()); });
    form.SetCommand(u"StartProgramMenu"_s, [&form] { startProgramMenu(form)->popup(QCursor::pos()); });
    form.SetCommand(
        u"StartProgramMenuMain"_s, [&form] { startProgramMenu(form)->popup(QCursor::pos() + QPoint(0, 10)); });
}
