// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

/// Number, date and time texts in the system's formats (the program's locale).
namespace LocaleFormats {
/// Short date with a four-digit year, as the fee log keeps it.
QString ShortDate(const QDate &date);
/// The format of ShortDate ("dd.MM.yyyy" in Germany).
QString ShortDateFormat();
QString LongTime(const QTime &time);
QString DateTime(const QDateTime &dateTime);
/// Fixed decimals, no thousands separators ("%3.2f").
QString Fixed(double value, int decimals);
/// Fixed decimals with thousands separators ("%4.4n").
QString Number(double value, int decimals);
/// "hh:mm:ss" of a duration; hours grow past 23.
QString Duration(qint64 seconds);
} // namespace LocaleFormats

namespace Costs {
/// Costs are counted in whole units so that half-way values round as by hand:
/// tariffs have thousandths of a cent, and second billing divides by 60.
constexpr qint64 UnitsPerCent = 60000;
/// A tariff text as typed: the system's decimal separator or a decimal point.
double ParseTariff(const QString &text);
/// The tariff in thousandths of a cent per minute.
qint64 TariffMilliCents(const QString &text);
/// Cost units of an online time: every started minute in full, or each second.
qint64 CostUnits(qint64 tariffMilliCents, int secondBilling, qint64 seconds);
/// Units of a cent amount held as a double (FeeCents).
qint64 UnitsOfCents(double cents);
/// Euros with the given decimals, rounded half away from zero; grouped adds thousands separators.
QString EuroText(qint64 units, int decimals, bool grouped);
/// Seconds of an "hh:mm:ss" online time with unbounded hours; 0 for malformed text
/// and for a time too long to count.
qint64 OnlineSeconds(const QString &text);
} // namespace Costs
