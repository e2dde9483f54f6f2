// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ColumnFormat.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

using namespace Qt::StringLiterals;

namespace ColumnFormat {

namespace {

bool alignmentOf(QChar c, TAlignment *alignment)
{
    switch (c.unicode()) {
    case u'<':
        *alignment = taLeftJustify;
        return true;
    case u'>':
        *alignment = taRightJustify;
        return true;
    case u'^':
        *alignment = taCenter;
        return true;
    default:
        return false;
    }
}

TColumn parseEntry(QStringView entry, double defaultWidth)
{
    TColumn column { taLeftJustify, defaultWidth };
    if (!entry.isEmpty() && alignmentOf(entry.front(), &column.Alignment))
        entry = entry.mid(1);
    if (entry.isEmpty())
        return column;
    bool ok = false;
    const double width = QLocale().toDouble(entry.trimmed(), &ok);
    if (ok && std::isfinite(width))
        column.Width = width;
    return column;
}

} // namespace

QList<TColumn> Parse(const QString &format, double defaultWidth)
{
    QList<TColumn> columns;
    if (format.isEmpty())
        return columns;
    for (const QStringView entry : QStringView(format).split(Separator))
        columns.append(parseEntry(entry, defaultWidth));
    return columns;
}

namespace {

QString formatOnce(const QLocale &locale, double value)
{
    if (value == 0 || !std::isfinite(value))
        return u"0"_s;
    // The fewest digits that hold the value to 13 significant places: lengths
    // converted between millimetres and inches and back read "50" again
    // instead of showing the binary noise of the conversions.
    for (int precision = 1; precision < 15; ++precision) {
        const double rounded = locale.toDouble(locale.toString(value, 'e', precision - 1));
        if (std::abs(rounded - value) <= 1e-13 * std::abs(value))
            return locale.toString(rounded, 'g', 15);
    }
    // All digits, so the width reads back as itself.
    return locale.toString(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QString FormatNumber(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // A rounded value may round once more to fewer digits; the text settles
    // where it reads back as itself, so a stored format stays as it is.
    QString text = formatOnce(locale, value);
    for (int step = 0; step < 15; ++step) {
        const QString again = formatOnce(locale, locale.toDouble(text));
        if (again == text)
            break;
        text = again;
    }
    return text;
}

QChar AlignmentChar(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return u'>';
    case taCenter:
        return u'^';
    case taLeftJustify:
        break;
    }
    return u'<';
}

QString Join(const QList<TColumn> &columns)
{
    QStringList entries;
    entries.reserve(columns.size());
    for (const TColumn &column : columns)
        entries.append(AlignmentChar(column.Alignment) + FormatNumber(column.Width));
    return entries.join(Separator);
}

QString Normalise(const QString &format, double defaultWidth)
{
    return Join(Parse(format, defaultWidth));
}

QString Scale(const QString &format, double factor, double defaultWidth)
{
    QList<TColumn> columns = Parse(format, defaultWidth);
    for (TColumn &column : columns)
        column.Width *= factor;
    return Join(columns);
}

QString DefaultThreeColumns(double textAreaWidth)
{
    return Join({ { taLeftJustify, 0.2 * textAreaWidth }, { taCenter, 0.6 * textAreaWidth },
        { taRightJustify, 0.2 * textAreaWidth } });
}

} // namespace ColumnFormat
