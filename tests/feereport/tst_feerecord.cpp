// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeFixtures.h"
#include "FeeRecord.h"
#include "TextFile.h"
#include "TextLines.h"

#include <QLocale>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

// Reading the fields, durations and costs of fee log records.
class TestFeeRecord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void numberRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("units"); // ten-thousandths of a euro

        QTest::newRow("thousands and euro sign") << u"1.234,5678 €"_s << qint64(12345678);
        QTest::newRow("as recorded") << u"0,0200 €"_s << qint64(200);
        QTest::newRow("whole euros") << u"12 €"_s << qint64(120000);
        QTest::newRow("one decimal") << u"3,5"_s << qint64(35000);
        QTest::newRow("negative") << u"-1,5 €"_s << qint64(-15000);
        QTest::newRow("blanks and letters dropped") << u" EUR 1 234,50 "_s << qint64(12345000);
        QTest::newRow("fifth decimal rounds") << u"0,00005"_s << qint64(1);
        QTest::newRow("fifth decimal below half") << u"0,00004"_s << qint64(0);
        QTest::newRow("empty") << QString() << qint64(0);
        QTest::newRow("no digits") << u"kostenlos"_s << qint64(0);
        QTest::newRow("only a minus") << u"- €"_s << qint64(0);
        QTest::newRow("minus inside") << u"1-2"_s << qint64(0);
        QTest::newRow("two separators") << u"1,2,3"_s << qint64(0);
        QTest::newRow("decimal point is a thousands mark here") << u"0.50"_s << qint64(500000);
        QTest::newRow("too large for a sum") << u"123456789012345,00"_s << qint64(0);
    }

    void numberRule()
    {
        QFETCH(QString, text);
        QFETCH(qint64, units);
        const FeeRecord::CostParser parser;
        QCOMPARE(parser.Units(text), units);
        // The same from the encoded bytes of either kind of file.
        const TextLines codePage(QStringList{text});
        QCOMPARE(parser.Units(codePage.raw(0), codePage), units);
        const TextLines utf8(QStringList{text + u"宽"_s});
        QCOMPARE(parser.Units(utf8.raw(0), utf8), units);
    }

    void numberRuleExample()
    {
        QCOMPARE(FeeRecord::CostParser::Value(FeeRecord::CostParser().Units(u"1.234,5678 €"_s)), 1234.5678);
    }

    void duration_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("seconds"); // -1: no time

        QTest::newRow("hh:mm:ss") << QByteArray("00:12:34") << qint64(754);
        QTest::newRow("a day and more") << QByteArray("27:03:12") << qint64(97392);
        QTest::newRow("single digits") << QByteArray("1:2:3") << qint64(3723);
        QTest::newRow("hh:mm") << QByteArray("12:34") << qint64(45240);
        QTest::newRow("blanks around") << QByteArray(" 01:00:00 ") << qint64(3600);
        QTest::newRow("60 minutes") << QByteArray("00:60:00") << qint64(-1);
        QTest::newRow("60 seconds") << QByteArray("00:00:60") << qint64(-1);
        QTest::newRow("text") << QByteArray("abc") << qint64(-1);
        QTest::newRow("only hours") << QByteArray("12") << qint64(-1);
        QTest::newRow("four parts") << QByteArray("1:2:3:4") << qint64(-1);
        QTest::newRow("empty part") << QByteArray("12::00") << qint64(-1);
        QTest::newRow("trailing colon") << QByteArray("12:00:") << qint64(-1);
        QTest::newRow("negative") << QByteArray("-1:00:00") << qint64(-1);
        QTest::newRow("NUL inside") << QByteArray("00:0\0:01", 8) << qint64(-1);
    }

    void duration()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, seconds);
        QCOMPARE(FeeRecord::DurationSeconds(text).value_or(-1), seconds);
    }

    void fields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");

        QTest::newRow("seven")
            << u"09.12.2026;10:00:00;Netz;0301;2 Ct/min;00:01:00;0,0200 €"_s
            << QStringList{u"09.12.2026"_s, u"10:00:00"_s, u"Netz"_s, u"0301"_s, u"2 Ct/min"_s, u"00:01:00"_s, u"0,0200 €"_s};
        QTest::newRow("more: the last runs to the end")
            << u"a;b;c;d;e;f;g;h"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g;h"_s};
        QTest::newRow("fewer: missing are empty")
            << u"a;b;c"_s << QStringList{u"a"_s, u"b"_s, u"c"_s, QString(), QString(), QString(), QString()};
        QTest::newRow("empty line") << QString() << QStringList(7, QString());
        QTest::newRow("empty fields") << u";;;;;;"_s << QStringList(7, QString());
    }

    void fields()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        const QByteArray bytes = TextFile::encode(line);
        QStringList read;
        for (const QByteArrayView field : FeeRecord::FieldsOf(bytes))
            read << TextFile::decode(field);
        QCOMPARE(read, fields);
    }

    void currency_data()
    {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("text");

        QTest::newRow("half a cent rounds up") << qint64(123450) << money(u"12,35");
        QTest::newRow("below half") << qint64(123449) << money(u"12,34");
        QTest::newRow("thousands") << qint64(12345678) << money(u"1.234,57");
        QTest::newRow("negative half") << qint64(-50) << money(u"-0,01");
        QTest::newRow("zero") << qint64(0) << money(u"0,00");
    }

    void currency()
    {
        QFETCH(qint64, units);
        QFETCH(QString, text);
        QCOMPARE(FeeRecord::CurrencyText(units), text);
    }

    void sums()
    {
        const TextLines log(QStringList{u"a;b;c;d;e;00:12:34;1,5000 €"_s, u"a;b;c;d;e;;0,2500 €"_s,
                                        u"a;b;c;d;e;kaputt;1,0000 €"_s, u"a;b;c;d;e;01:00:00;x"_s, u"a;b;c"_s});
        const FeeRecord::Totals all = FeeRecord::Sum(log, false);
        QCOMPARE(all.seconds, qint64(754 + 3600));
        QCOMPARE(all.costUnits, qint64(27500));
        QCOMPARE(all.badRow, -1);
        const FeeRecord::Totals stopped = FeeRecord::Sum(log, true);
        QCOMPARE(stopped.badRow, 2);
    }

    // Logs written by others may hold amounts no real call costs: their sums
    // stop at the ends of the range instead of wrapping to the other sign.
    void sumsOfHugeAmounts_data()
    {
        QTest::addColumn<QString>("cost");
        QTest::addColumn<qint64>("units");

        constexpr qint64 highest = std::numeric_limits<qint64>::max();
        constexpr qint64 lowest = std::numeric_limits<qint64>::min();
        QTest::newRow("largest amounts") << u"99999999999999,9999 €"_s << highest;
        QTest::newRow("largest debts") << u"-99999999999999,9999 €"_s << lowest;
    }

    void sumsOfHugeAmounts()
    {
        QFETCH(QString, cost);
        QFETCH(qint64, units);
        const TextLines log(QStringList(12, u"a;b;c;d;e;999999999:59:59;"_s + cost));
        const FeeRecord::Totals all = FeeRecord::Sum(log, false);
        QCOMPARE(all.costUnits, units);
        QCOMPARE(all.seconds, qint64(12) * 3599999999999);
        QCOMPARE(FeeRecord::RoundedCents(all.costUnits), units / 100);
    }
};

QTEST_GUILESS_MAIN(TestFeeRecord)
#include "tst_feerecord.moc"
