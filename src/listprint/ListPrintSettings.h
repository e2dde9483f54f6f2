// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

class QFont;

/// How the list printer's stored settings encode what QFont and numbers hold.
namespace ListPrintSettings {

/// 0 regular, 1 bold, 2 underlined, 3 bold and underlined; italic and strike-out are not kept.
int StyleCode(const QFont &font);
/// Bold and underline by code, italic and strike-out off; false (font unchanged) outside 0..3.
bool ApplyStyleCode(QFont &font, int code);

/// A stored length: the locale's decimal separator or a point; false when it is no finite number.
bool ParseLength(const QString &text, double *value);

} // namespace ListPrintSettings
