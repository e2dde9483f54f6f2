// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeRecord.h"

#include "TextLines.h"

#include <QLocale>
#include <QtNumeric>

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {

// Beyond this many whole euros an amount no longer fits the sums' integers.
constexpr int MaxIntegerDigits = 14;

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Parses the kept characters of text as they arrive; works on bytes and on
// UTF-16 alike because everything kept is ASCII.
template<typename Char>
qint64 parseUnits(const Char *text, qsizetype size, char16_t separator)
{
    bool negative = false;
    bool seenSeparator = false;
    bool seenAny = false;
    bool seenDigit = false;
    int integerDigits = 0;
    int decimals = 0;
    qint64 units = 0;
    bool roundUp = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = char16_t(std::make_unsigned_t<Char>(text[i]));
        if (c == u'-') {
            if (seenAny)
                return 0; // a minus inside the number: it does not convert
            negative = true;
        } else if (c == separator) {
            if (seenSeparator)
                return 0;
            seenSeparator = true;
        } else if (isDigit(c)) {
            seenDigit = true;
            const int d = c - u'0';
            if (!seenSeparator) {
                if (++integerDigits > MaxIntegerDigits)
                    return 0;
                units = units * 10 + d;
            } else if (decimals < 4) {
                units = units * 10 + d;
                ++decimals;
            } else if (decimals == 4) {
                roundUp = d >= 5;
                ++decimals;
            }
        } else {
            continue; // dropped
        }
        seenAny = true;
    }
    if (!seenDigit)
        return 0;
    for (int i = std::min(decimals, 4); i < 4; ++i)
        units *= 10;
    if (roundUp)
        ++units;
    return negative ? -units : units;
}

} // namespace

namespace FeeRecord {

FieldViews FieldsOf(QByteArrayView line)
{
    FieldViews fields;
    const char *data = line.data();
    const qsizetype n = line.size();
    qsizetype begin = 0;
    for (int f = 0; f < FieldCount - 1; ++f) {
        const void *sep = begin < n ? std::memchr(data + begin, ';', size_t(n - begin)) : nullptr;
        if (!sep) {
            fields[f] = line.sliced(begin);
            return fields; // the fields the line lacks stay empty
        }
        const qsizetype end = static_cast<const char *>(sep) - data;
        fields[f] = line.sliced(begin, end - begin);
        begin = end + 1;
    }
    fields[FieldCount - 1] = line.sliced(begin);
    return fields;
}

std::optional<qint64> DurationSeconds(QByteArrayView text)
{
    text = text.trimmed();
    qint64 parts[3] = {0, 0, 0};
    int part = 0;
    int digits = 0;
    for (const char c : text) {
        if (c == ':') {
            if (digits == 0 || ++part > 2)
                return std::nullopt;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            // Hours are bounded only by what a sum can hold; minutes and seconds have two digits.
            if (++digits > (part == 0 ? 9 : 2))
                return std::nullopt;
            parts[part] = parts[part] * 10 + (c - '0');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || part == 0 || parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

CostParser::CostParser()
    : FSeparator(QLocale().decimalPoint())
{
    if (FSeparator.size() == 1 && FSeparator.at(0).unicode() < 0x80)
        FAsciiSeparator = char(FSeparator.at(0).unicode());
}

qint64 CostParser::Units(QStringView text) const
{
    if (FSeparator.size() != 1)
        return 0; // no locale has one; nothing parses then
    return parseUnits(text.utf16(), text.size(), FSeparator.at(0).unicode());
}

qint64 CostParser::Units(QByteArrayView field, const TextLines &lines) const
{
    if (!FAsciiSeparator)
        return Units(lines.decode(field));
    return parseUnits(field.data(), field.size(), char16_t(FAsciiSeparator));
}

qint64 SaturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (qAddOverflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

qint64 RoundedCents(qint64 units)
{
    // Written without units + 50, which a held sum would overflow.
    const qint64 cents = units / 100;
    const qint64 rest = units % 100;
    return rest >= 50 ? cents + 1 : rest <= -50 ? cents - 1 : cents;
}

QString CurrencyText(qint64 units)
{
    return QLocale().toCurrencyString(double(RoundedCents(units)) / 100.0);
}

Totals Sum(const TextLines &lines, bool stopAtBadDuration)
{
    const CostParser costs;
    Totals totals;
    for (qsizetype i = 0; i < lines.count(); ++i) {
        const FieldViews fields = FieldsOf(lines.raw(i));
        const QByteArrayView duration = fields[Duration];
        if (!duration.isEmpty()) {
            const std::optional<qint64> seconds = DurationSeconds(duration);
            if (!seconds && stopAtBadDuration) {
                totals.badRow = i;
                return totals;
            }
            totals.seconds = SaturatingAdd(totals.seconds, seconds.value_or(0));
        }
        totals.costUnits = SaturatingAdd(totals.costUnits, costs.Units(fields[Cost], lines));
    }
    return totals;
}

} // namespace FeeRecord
