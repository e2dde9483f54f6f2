// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeMonths.h"

#include "FeeRecord.h"
#include "LocaleFormats.h"
#include "TextFile.h"
#include "TextLines.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// year * 100 + month, 0 when the date does not read.
int monthOf(const QString &date)
{
    const QString text = date.trimmed();
    if (text.isEmpty())
        return 0;
    QDate d = QLocale().toDate(text, LocaleFormats::ShortDateFormat());
    // Records written under another locale.
    for (const QString &format : {u"dd.MM.yyyy"_s, u"d.M.yyyy"_s, u"yyyy-MM-dd"_s, u"M/d/yyyy"_s, u"dd/MM/yyyy"_s}) {
        if (d.isValid())
            break;
        d = QDate::fromString(text, format);
    }
    return d.isValid() ? d.year() * 100 + d.month() : 0;
}

// Looks texts of fields up by their bytes; most records repeat the previous
// one's date and connection, so the last answer is kept at hand.
template<typename Value>
class FieldCache
{
public:
    template<typename Make>
    Value get(QByteArrayView bytes, Make make)
    {
        if (FHasLast && bytes == QByteArrayView(FLastKey))
            return FLast;
        const QByteArray probe = QByteArray::fromRawData(bytes.data(), bytes.size());
        auto it = FKnown.constFind(probe);
        if (it == FKnown.cend())
            it = FKnown.insert(QByteArray(bytes.data(), bytes.size()), make());
        FLastKey = it.key();
        FLast = it.value();
        FHasLast = true;
        return FLast;
    }

private:
    QHash<QByteArray, Value> FKnown;
    QByteArray FLastKey;
    Value FLast{};
    bool FHasLast = false;
};

QByteArray csvNumber(qint64 units)
{
    return LocaleFormats::Fixed(FeeRecord::CostParser::Value(units), 4).toLatin1();
}

// Appends one field in UTF-8, quoted when it must be; text that a spreadsheet
// would take for a formula ("=HYPERLINK(...)" as a name) is marked as text.
void appendField(QByteArray &out, QByteArrayView utf8, bool isText)
{
    const bool formula = isText && !utf8.isEmpty() && QByteArrayView("=+-@\t\r").contains(utf8.front());
    const bool quoted = utf8.contains(';') || utf8.contains('"') || utf8.contains('\n') || utf8.contains('\r');
    if (quoted)
        out += '"';
    if (formula)
        out += '\'';
    if (quoted) {
        for (const char c : utf8) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    } else {
        out += utf8;
    }
}

// A field of the log's bytes in UTF-8, without a copy where the bytes already are.
QByteArrayView asUtf8(QByteArrayView raw, const TextLines &log, QByteArray &buffer)
{
    if (log.isUtf8() || std::all_of(raw.begin(), raw.end(), [](char c) { return uchar(c) < 0x80; }))
        return raw;
    buffer = log.decode(raw).toUtf8();
    return buffer;
}

class CsvWriter
{
public:
    explicit CsvWriter(const QString &path)
        : FFile(path)
    {
        if (FFile.open(QIODevice::WriteOnly))
            FFile.write(TextFile::Utf8Bom);
    }

    /// The row being built; ended by endRow().
    QByteArray &row() { return FBuffer; }

    void endRow()
    {
        FBuffer += "\r\n";
        if (FBuffer.size() > (1 << 20))
            flush();
    }

    bool commit(QString *error)
    {
        flush();
        if (FFile.commit())
            return true;
        if (error)
            *error = u"Die Datei \"%1\" kann nicht geschrieben werden: %2"_s.arg(
                QDir::toNativeSeparators(FFile.fileName()), FFile.errorString());
        return false;
    }

private:
    void flush()
    {
        if (FFile.isOpen())
            FFile.write(FBuffer);
        FBuffer.clear();
    }

    QSaveFile FFile;
    QByteArray FBuffer;
};

} // namespace

namespace FeeMonths {

QList<Row> Compute(const TextLines &log)
{
    const FeeRecord::CostParser costs;
    FieldCache<int> months;
    FieldCache<int> names;
    QStringList nameTexts;
    QHash<qint64, qsizetype> rowOf; // month and name index
    QList<Row> rows;
    for (qsizetype i = 0; i < log.count(); ++i) {
        const FeeRecord::FieldViews fields = FeeRecord::FieldsOf(log.raw(i));
        const int month = months.get(fields[FeeRecord::Date], [&] { return monthOf(log.decode(fields[FeeRecord::Date])); });
        const int name = names.get(fields[FeeRecord::Name], [&] {
            nameTexts.append(log.decode(fields[FeeRecord::Name]));
            return int(nameTexts.size() - 1);
        });
        const qint64 key = qint64(month) << 32 | name;
        auto it = rowOf.constFind(key);
        if (it == rowOf.cend()) {
            it = rowOf.insert(key, rows.size());
            rows.append({month / 100, month % 100, nameTexts.at(name), 0, 0, 0});
        }
        Row &row = rows[it.value()];
        ++row.calls;
        row.seconds = FeeRecord::SaturatingAdd(row.seconds, FeeRecord::DurationSeconds(fields[FeeRecord::Duration]).value_or(0));
        row.costUnits = FeeRecord::SaturatingAdd(row.costUnits, costs.Units(fields[FeeRecord::Cost], log));
    }
    // Names are few: order them once, then sort the rows by numbers.
    QList<int> byName(nameTexts.size());
    std::iota(byName.begin(), byName.end(), 0);
    std::sort(byName.begin(), byName.end(),
              [&](int a, int b) { return QString::localeAwareCompare(nameTexts.at(a), nameTexts.at(b)) < 0; });
    QList<int> rank(nameTexts.size());
    for (int i = 0; i < byName.size(); ++i)
        rank[byName.at(i)] = i;
    QList<std::pair<qint64, qsizetype>> order;
    order.reserve(rows.size());
    for (auto it = rowOf.cbegin(); it != rowOf.cend(); ++it) {
        const int month = int(it.key() >> 32);
        // Undated records last.
        order.append({qint64(month ? month : INT_MAX) << 32 | rank.at(int(it.key() & 0xffffffff)), it.value()});
    }
    std::sort(order.begin(), order.end());
    QList<Row> sorted;
    sorted.reserve(rows.size());
    for (const auto &[key, index] : std::as_const(order))
        sorted.append(std::move(rows[index]));
    return sorted;
}

QString MonthText(int year, int month)
{
    if (year == 0)
        return u"ohne Datum"_s;
    return QLocale().standaloneMonthName(month) + u' ' + QString::number(year);
}

QString MonthKey(int year, int month)
{
    if (year == 0)
        return u"ohne Datum"_s;
    return u"%1-%2"_s.arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}

} // namespace FeeMonths

namespace FeeCsv {

QString Field(const QString &text, bool isText)
{
    QByteArray out;
    appendField(out, text.toUtf8(), isText);
    return QString::fromUtf8(out);
}

bool WriteLog(const TextLines &log, const QString &path, QString *error)
{
    using namespace FeeRecord;
    const CostParser costs;
    CsvWriter csv(path);
    csv.row() += u"Datum;Zeit;DFÜ-Verbindung;Rufnummer;Gebühr (Ct/min);Dauer;Sekunden;Kosten (€)"_s.toUtf8();
    csv.endRow();
    QByteArray buffer;
    for (qsizetype i = 0; i < log.count(); ++i) {
        const FieldViews fields = FieldsOf(log.raw(i));
        QByteArray &row = csv.row();
        for (const FeeRecord::Field f : {Date, Time, Name, Phone}) {
            appendField(row, asUtf8(fields[f], log, buffer), f == Name || f == Phone);
            row += ';';
        }
        // The tariff as a number; its unit is in the header.
        QByteArrayView tariff = fields[Tariff].trimmed();
        if (tariff.endsWith("Ct/min"))
            tariff = tariff.chopped(6).trimmed();
        appendField(row, asUtf8(tariff, log, buffer), true);
        row += ';';
        appendField(row, asUtf8(fields[Duration], log, buffer), false);
        row += ';';
        if (const std::optional<qint64> seconds = DurationSeconds(fields[Duration]))
            row += QByteArray::number(*seconds);
        row += ';';
        row += csvNumber(costs.Units(fields[Cost], log));
        csv.endRow();
    }
    return csv.commit(error);
}

bool WriteMonths(const QList<FeeMonths::Row> &rows, const QString &path, QString *error)
{
    CsvWriter csv(path);
    csv.row() += u"Monat;DFÜ-Verbindung;Verbindungen;Online-Zeit;Sekunden;Kosten (€)"_s.toUtf8();
    csv.endRow();
    for (const FeeMonths::Row &r : rows) {
        QByteArray &row = csv.row();
        row += FeeMonths::MonthKey(r.year, r.month).toUtf8() + ';';
        appendField(row, r.connection.toUtf8(), true);
        row += ';' + QByteArray::number(r.calls) + ';' + LocaleFormats::Duration(r.seconds).toLatin1() + ';'
            + QByteArray::number(r.seconds) + ';' + csvNumber(r.costUnits);
        csv.endRow();
    }
    return csv.commit(error);
}

} // namespace FeeCsv
