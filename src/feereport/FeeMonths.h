// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QList>
#include <QString>

class TextLines;

/// Where the money went: the fee log summed per month and connection.
namespace FeeMonths {

struct Row
{
    int year = 0; ///< 0: the record's date does not read
    int month = 0;
    QString connection;
    qsizetype calls = 0;
    qint64 seconds = 0;
    qint64 costUnits = 0; ///< ten-thousandths of a euro
};

/// One row per month and connection, by month and then by connection name;
/// records whose date does not read come last. Durations that are no time
/// count nothing, costs follow the number rule.
QList<Row> Compute(const TextLines &log);

/// "Dezember 2026"; "ohne Datum" for year 0.
QString MonthText(int year, int month);
/// "2026-12" for spreadsheets; "ohne Datum" for year 0.
QString MonthKey(int year, int month);

} // namespace FeeMonths

/// CSV as spreadsheet programs here read it: UTF-8 with a byte-order mark,
/// ";" between fields, a header line, decimal commas without thousands separators.
namespace FeeCsv {

/// One field, quoted when it must be; text that a spreadsheet would take for
/// a formula is marked as text.
QString Field(const QString &text, bool isText);
bool WriteLog(const TextLines &log, const QString &path, QString *error);
bool WriteMonths(const QList<FeeMonths::Row> &rows, const QString &path, QString *error);

} // namespace FeeCsv
