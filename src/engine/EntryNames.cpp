// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EntryNames.h"

#include "DialUpService.h"

#include <QStringList>

using namespace Qt::StringLiterals;

QString EntryNameProblem(DialUpService &service, const QString &name, const QString &ownName)
{
    if (name.trimmed().isEmpty())
        return u"Bitte einen Namen für die DFÜ-Verbindung eingeben."_s;
    const QString quoted = u"„"_s + name + u"“"_s;
    if (name.front().isSpace() || name.back().isSpace())
        return u"Der Name %1 darf nicht mit einem Leerzeichen beginnen oder enden."_s.arg(quoted);
    if (name.size() > MaxEntryNameLength)
        return u"Der Name ist zu lang: höchstens %1 Zeichen.\r(Eingegeben: %2 Zeichen)"_s.arg(MaxEntryNameLength)
            .arg(name.size());
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return u"Der Name darf keine Steuerzeichen wie Tabulator oder Zeilenumbruch enthalten."_s;
    }
    if (name.contains(u';'))
        return u"Der Name %1 darf kein Semikolon „;“ enthalten."_s.arg(quoted);
    const bool sameEntry = !ownName.isEmpty() && name.compare(ownName, Qt::CaseInsensitive) == 0;
    const int verdict = service.validateEntryName(name);
    switch (verdict) {
    case RasError::Success:
        return QString();
    case RasError::AlreadyExists:
        if (sameEntry)
            return QString();
        return u"Eine DFÜ-Verbindung %1 gibt es bereits.\rBitte einen anderen Namen wählen."_s.arg(quoted);
    case RasError::InvalidName:
        if (name.startsWith(u'.'))
            return u"Der Name %1 darf nicht mit einem Punkt beginnen."_s.arg(quoted);
        return u"Der Name %1 kann im Telefonbuch nicht stehen:\rZeichen wie [ ] \\ / sind dort nicht erlaubt."_s.arg(
            quoted);
    default:
        return service.errorString(verdict);
    }
}
