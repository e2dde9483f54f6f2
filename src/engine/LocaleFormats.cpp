// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LocaleFormats.h"

#include <QLocale>
#include <QStringList>
#include <QtNumeric>

#include <algorithm>
#include <limits>

#include <cmath>

namespace LocaleFormats {

QString ShortDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString ShortDate(const QDate &date)
{
    return QLocale().toString(date, ShortDateFormat());
}

QString LongTime(const QTime &time)
{
    return QLocale().toString(time, QStringLiteral("HH:mm:ss"));
}

QString DateTime(const QDateTime &dateTime)
{
    return ShortDate(dateTime.date()) + u' ' + LongTime(dateTime.time());
}

QString Fixed(double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString Number(double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(value, 'f', decimals);
}

QString Duration(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace LocaleFormats

namespace Costs {

double ParseTariff(const QString &text)
{
    QString t = text.trimmed();
    t.remove(u' ');
    const QString sep = QLocale().decimalPoint();
    const QString other = sep == QLatin1String(",") ? QStringLiteral(".") : QStringLiteral(",");
    // With both marks present the other one groups thousands; alone it is a
    // decimal point typed on the wrong keyboard.
    if (t.contains(sep))
        t.remove(other);
    else
        t.replace(other, sep);
    QString kept;
    for (const QChar c : std::as_const(t)) {
        if (c.isDigit() || c == u'-' || sep.contains(c))
            kept += c;
        else
            break; // "1,5 ct": the unit ends the number
    }
    bool ok = false;
    const double value = QLocale().toDouble(kept, &ok);
    return ok ? value : 0.0;
}

namespace {

// A typo like "99999999999999999999" must give a huge cost, not a wrapped
// negative one; 2^62 units are far beyond any real bill and leave headroom.
constexpr qint64 MaxUnits = qint64(1) << 62;

qint64 clampedRound(double value)
{
    if (qIsNaN(value))
        return 0;
    if (value >= double(MaxUnits))
        return MaxUnits;
    if (value <= -double(MaxUnits))
        return -MaxUnits;
    return std::llround(value);
}

qint64 saturatedProduct(qint64 a, qint64 b)
{
    qint64 product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return (a < 0) != (b < 0) ? -MaxUnits : MaxUnits;
    return std::clamp(product, -MaxUnits, MaxUnits);
}

} // namespace

qint64 TariffMilliCents(const QString &text)
{
    return clampedRound(ParseTariff(text) * 1000.0);
}

qint64 CostUnits(qint64 tariffMilliCents, int secondBilling, qint64 seconds)
{
    // A thousandth of a cent is 60 units; a second at T per minute is T/60.
    if (secondBilling == 1)
        return saturatedProduct(tariffMilliCents, seconds);
    const qint64 minutes = seconds / 60 + (seconds % 60 > 0 ? 1 : 0);
    return saturatedProduct(saturatedProduct(tariffMilliCents, 60), minutes);
}

qint64 UnitsOfCents(double cents)
{
    return clampedRound(cents * double(UnitsPerCent));
}

QString EuroText(qint64 units, int decimals, bool grouped)
{
    qint64 scale = UnitsPerCent * 100; // units per euro
    qint64 digits = 1;
    for (int i = 0; i < decimals; ++i) {
        scale /= 10;
        digits *= 10;
    }
    const bool negative = units < 0;
    const quint64 magnitude = negative ? 0 - quint64(units) : quint64(units);
    const qint64 rounded = qint64((magnitude + quint64(scale / 2)) / quint64(scale));
    QLocale locale;
    locale.setNumberOptions(grouped ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString text = locale.toString(rounded / digits);
    if (decimals > 0)
        text += locale.decimalPoint() + QStringLiteral("%1").arg(rounded % digits, decimals, 10, QLatin1Char('0'));
    return negative && rounded != 0 ? locale.negativeSign() + text : text;
}

qint64 OnlineSeconds(const QString &text)
{
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() != 3)
        return 0;
    qint64 values[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        values[i] = parts.at(i).toLongLong(&ok);
        if (!ok || values[i] < 0)
            return 0;
    }
    // Hours typed or stored beyond any real time count as malformed, not wrapped.
    qint64 seconds = 0;
    qint64 minutes = 0;
    if (qMulOverflow(values[0], qint64(3600), &seconds) || qMulOverflow(values[1], qint64(60), &minutes)
        || qAddOverflow(seconds, minutes, &seconds) || qAddOverflow(seconds, values[2], &seconds)
        || seconds > std::numeric_limits<qint64>::max() - 60)
        return 0;
    return seconds;
}

} // namespace Costs
