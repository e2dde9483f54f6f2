// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ListPrintTypes.h"

#include <QList>
#include <QString>

/**
 * The column format language of table lines: entries separated by "|", each an
 * optional alignment character ("<" left, ">" right, "^" centre) followed by a
 * width in the measure unit, written with the locale's decimal separator. A
 * negative width means a cell without frame lines. Empty, alignment-only and
 * unparsable entries take the default width.
 */
namespace ColumnFormat {

constexpr QChar Separator = u'|';

struct TColumn {
    TAlignment Alignment = taLeftJustify;
    double Width = 0; ///< negative: no frame lines
};

/// The columns of format; an empty format has none.
QList<TColumn> Parse(const QString &format, double defaultWidth);
/// Each entry as its alignment character and its width in the shortest decimal form.
QString Normalise(const QString &format, double defaultWidth);
QString Join(const QList<TColumn> &columns);
/// Every width multiplied by factor.
QString Scale(const QString &format, double factor, double defaultWidth);
/// "<" 0.2·W "|^" 0.6·W "|>" 0.2·W for a text area W wide.
QString DefaultThreeColumns(double textAreaWidth);

/// A length in the shortest decimal form with the locale's separator.
QString FormatNumber(double value);
QChar AlignmentChar(TAlignment alignment);

} // namespace ColumnFormat
