// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

class DialUpService;

/// Longest name the phone book keeps for an entry.
constexpr int MaxEntryNameLength = 256;

/**
 * Why name cannot be given to a phone-book entry, as a German message for the
 * user; empty when it can. Refused: an empty name, blanks at either end, more
 * than MaxEntryNameLength characters, control characters, ";" (the separator
 * of the connection list), what the phone book itself cannot hold, and a name
 * the phone book has already, unless that is ownName (the entry being renamed,
 * which may change the case of its letters).
 */
QString EntryNameProblem(DialUpService &service, const QString &name, const QString &ownName = QString());
