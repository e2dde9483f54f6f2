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

QString csvNumber(qint64 units)
{
    return LocaleFormats::Fixed(FeeRecord::CostParser::Value(units), 4);
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

    void row(const QStringList &fields)
    {
        FBuffer += fields.join(u';').toUtf8();
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
        const QByteArrayView line = log.raw(i);
        const int month = months.get(FeeRecord::FieldOf(line, FeeRecord::Date),
                                     [&] { return monthOf(log.decode(FeeRecord::FieldOf(line, FeeRecord::Date))); });
        const int name = names.get(FeeRecord::FieldOf(line, FeeRecord::Name), [&] {
            nameTexts.append(log.decode(FeeRecord::FieldOf(line, FeeRecord::Name)));
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
        row.seconds += FeeRecord::DurationSeconds(FeeRecord::FieldOf(line, FeeRecord::Duration)).value_or(0);
        row.costUnits += costs.Units(FeeRecord::FieldOf(line, FeeRecord::Cost), log);
    }
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        // Undated records last.
        const int am = a.year ? a.year * 100 + a.month : INT_MAX;
        const int bm = b.year ? b.year * 100 + b.month : INT_MAX;
        if (am != bm)
            return am < bm;
        return QString::localeAwareCompare(a.connection, b.connection) < 0;
    });
    return rows;
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
    QString field = text;
    // A name such as "=HYPERLINK(...)" must stay text, not become a formula.
    if (isText && !field.isEmpty() && QStringView(u"=+-@\t\r").contains(field.front()))
        field.prepend(u'\'');
    if (field.contains(u';') || field.contains(u'"') || field.contains(u'\n') || field.contains(u'\r'))
        field = u'"' + field.replace(u'"', u"\"\""_s) + u'"';
    return field;
}

bool WriteLog(const TextLines &log, const QString &path, QString *error)
{
    using namespace FeeRecord;
    const CostParser costs;
    CsvWriter csv(path);
    csv.row({u"Datum"_s, u"Zeit"_s, u"DFÜ-Verbindung"_s, u"Rufnummer"_s, u"Gebühr (Ct/min)"_s, u"Dauer"_s,
             u"Sekunden"_s, u"Kosten (€)"_s});
    for (qsizetype i = 0; i < log.count(); ++i) {
        const QStringList fields = Fields(log.at(i));
        QString tariff = fields.at(Tariff).trimmed();
        if (tariff.endsWith(u"Ct/min"_s))
            tariff = tariff.chopped(6).trimmed();
        const std::optional<qint64> seconds = DurationSeconds(fields.at(Duration).toLatin1());
        csv.row({Field(fields.at(Date), false), Field(fields.at(Time), false), Field(fields.at(Name), true),
                 Field(fields.at(Phone), true), Field(tariff, true), Field(fields.at(Duration), false),
                 seconds ? QString::number(*seconds) : QString(), csvNumber(costs.Units(fields.at(Cost)))});
    }
    return csv.commit(error);
}

bool WriteMonths(const QList<FeeMonths::Row> &rows, const QString &path, QString *error)
{
    CsvWriter csv(path);
    csv.row({u"Monat"_s, u"DFÜ-Verbindung"_s, u"Verbindungen"_s, u"Online-Zeit"_s, u"Sekunden"_s, u"Kosten (€)"_s});
    for (const FeeMonths::Row &row : rows) {
        csv.row({FeeMonths::MonthKey(row.year, row.month), Field(row.connection, true), QString::number(row.calls),
                 LocaleFormats::Duration(row.seconds), QString::number(row.seconds), csvNumber(row.costUnits)});
    }
    return csv.commit(error);
}

} // namespace FeeCsv
