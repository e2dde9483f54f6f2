// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

/// A German currency text as the locale writes it: the "€" is kept on the line by a no-break space.
inline QString money(QStringView amount)
{
    return amount.toString() + QChar(0x00A0) + QChar(0x20AC);
}

/// A fee record of the engine's layout.
inline QString record(const QString &date, const QString &duration, const QString &cost,
                      const QString &name = QStringLiteral("Netz"))
{
    return date + QStringLiteral(";10:00:00;") + name + QStringLiteral(";0301234;2 Ct/min;") + duration + u';' + cost;
}
