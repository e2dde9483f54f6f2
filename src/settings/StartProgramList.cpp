// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "StartProgramList.h"

#include "EngineSettings.h"
#include "Folders.h"
#include "SettingsStore.h"
#include "TextFile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
const QString Altruf5Progs = u"Altruf5Progs"_s;
} // namespace

QString TStartProgram::Line() const
{
    return Name + u';' + Path + u';' + Parameters;
}

QString TStartProgram::FieldError() const
{
    if (Name.contains(u';'))
        return u"Die Programmbezeichnung darf kein Semikolon (\";\") enthalten."_s;
    if (Path.contains(u';'))
        return u"Programm-Verzeichnis und -Name dürfen kein Semikolon (\";\") enthalten."_s;
    return QString();
}

TStartProgram TStartProgram::FromLine(const QString &line)
{
    TStartProgram program;
    const qsizetype first = line.indexOf(u';');
    if (first < 0) {
        program.Name = line;
        return program;
    }
    program.Name = line.left(first);
    const qsizetype second = line.indexOf(u';', first + 1);
    if (second < 0) {
        program.Path = line.mid(first + 1);
        return program;
    }
    program.Path = line.mid(first + 1, second - first - 1);
    program.Parameters = line.mid(second + 1);
    return program;
}

TStartProgram TStartProgram::EditorFields(const QString &line)
{
    TStartProgram program = FromLine(line);
    if (program.Parameters.endsWith(u';'))
        program.Parameters.chop(1);
    return program;
}

namespace StartProgramList {

QString FileName()
{
    return u"StartProgs.Lst"_s;
}

QString FilePath()
{
    return Folders::programFolder() + FileName();
}

QString Version5Key()
{
    return u"Software\\Kovatek\\Altruf\\PROG"_s;
}

bool ImportsVersion5(const SettingsStore &store)
{
    return store.readBool(RegKey::Bas(), Altruf5Progs, true);
}

QStringList Load(const SettingsStore &store, QString *error)
{
    QStringList lines;
    const QString path = FilePath();
    if (QFileInfo::exists(path) && !TextFile::readLines(path, &lines, error))
        lines.clear();
    if (ImportsVersion5(store))
        ImportVersion5(store, lines);
    return lines;
}

void ImportVersion5(const SettingsStore &store, QStringList &lines)
{
    const QString key = Version5Key();
    const QStringList names = store.valueNames(key);
    for (const QString &name : names) {
        if (!name.contains(u"Prog"_s, Qt::CaseSensitive))
            continue;
        QString data = store.readString(key, name);
        if (data.contains(u"Unbenutzt"_s))
            continue;
        data.remove(u'"');
        data.replace(u'\t', u';');
        data += u';';
        if (!lines.contains(data, Qt::CaseInsensitive))
            lines << data;
    }
}

bool Save(const QStringList &lines, QString *error)
{
    return TextFile::writeLines(FilePath(), lines, error);
}

void RemoveVersion5(SettingsStore &store)
{
    store.writeBool(RegKey::Bas(), Altruf5Progs, false);
    store.deleteKey(Version5Key());
}

} // namespace StartProgramList
