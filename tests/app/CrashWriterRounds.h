// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QString>

/// What the crash writer stores in each round, so the test knows every
/// content a file may hold.
namespace CrashWriterRounds {

inline const QString EntryName = QStringLiteral("Zähler");
inline const QString Key = QStringLiteral("Software\\Kovatek\\Rufwerk\\Test");
inline const QString ValueName = QStringLiteral("Zähler");

inline RasEntry Entry(int round)
{
    RasEntry entry;
    entry.localPhoneNumber = QString::number(round);
    entry.deviceType = QStringLiteral("modem");
    return entry;
}

inline QString Value(int round)
{
    return QString::number(round);
}

inline QString FeeRecord(int round)
{
    return QStringLiteral("10.12.2026;14:03:07;Netzwerk Nord;0301234;2 Ct/min;00:01:00;%1,0000 €").arg(round);
}

} // namespace CrashWriterRounds
