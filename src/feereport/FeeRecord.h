// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

class TextLines;

/**
 * Reading fee log records: seven fields separated by ";"; the last field runs
 * to the end of the line and a field the line lacks is empty. The sums work
 * on the encoded bytes, so a log of a million records is totalled without
 * decoding its lines.
 */
namespace FeeRecord {

enum Field { Date, Time, Name, Phone, Tariff, Duration, Cost, FieldCount };

using FieldViews = std::array<QByteArrayView, FieldCount>;
/// The seven fields of a line's bytes.
FieldViews FieldsOf(QByteArrayView line);

/// Seconds of an online time "hh:mm:ss" (or "hh:mm"), blanks around it allowed;
/// hours may pass 23. Nothing when the text is no such time.
std::optional<qint64> DurationSeconds(QByteArrayView text);

/**
 * The number rule for costs: only "0123456789-" and the locale's decimal
 * separator are kept, in their order, and parsed as a decimal number; 0 when
 * that fails. Amounts are in ten-thousandths of a euro, the precision of the
 * records; further decimals are rounded.
 */
class CostParser
{
public:
    CostParser();
    qint64 Units(QStringView text) const;
    /// A field's encoded bytes of lines (Windows-1252 or UTF-8).
    qint64 Units(QByteArrayView field, const TextLines &lines) const;
    static double Value(qint64 units) { return double(units) / 10000.0; }

private:
    QString FSeparator;
    char FAsciiSeparator = 0; // 0 when the separator is not ASCII
};

/// a + b, held at the ends of the range: sums of damaged logs cannot wrap.
qint64 SaturatingAdd(qint64 a, qint64 b);

/// Whole cents of units, rounded half away from zero as by hand.
qint64 RoundedCents(qint64 units);
/// An amount as the locale's currency ("1.234,57 €").
QString CurrencyText(qint64 units);

struct Totals
{
    qint64 seconds = 0;
    qint64 costUnits = 0;
    /// The first row whose duration is no valid time, -1 when there is none.
    qsizetype badRow = -1;
};

/// Sums durations and costs of all lines. With stopAtBadDuration the sum ends
/// at the first non-empty duration that is no valid time (badRow); otherwise
/// such a duration counts nothing.
Totals Sum(const TextLines &lines, bool stopAtBadDuration);

} // namespace FeeRecord
