// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ColumnFormat.h"

#include <QLocale>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestColumnFormat : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void normalises_data();
    void normalises();
    void parsesAlignmentAndFrame_data();
    void parsesAlignmentAndFrame();
    void defaultThreeColumns_data();
    void defaultThreeColumns();
    void unitConversionRoundTrip();
};

void TestColumnFormat::normalises_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("two separators: three default columns") << u"||"_s << u"<25|<25|<25"_s;
    QTest::newRow("already normal") << u"<32|^96|>32"_s << u"<32|^96|>32"_s;
    QTest::newRow("alignment only") << u"^"_s << u"^25"_s;
    QTest::newRow("not a number") << u"abc"_s << u"<25"_s;
    QTest::newRow("not a number keeps its alignment") << u">abc"_s << u">25"_s;
    QTest::newRow("no alignment") << u"40"_s << u"<40"_s;
    QTest::newRow("negative width") << u"-20"_s << u"<-20"_s;
    QTest::newRow("decimal comma") << u"^12,50"_s << u"^12,5"_s;
    QTest::newRow("decimal point is not the locale's") << u"12.5"_s << u"<25"_s;
    QTest::newRow("blanks around the width") << u"> 30 "_s << u">30"_s;
    QTest::newRow("two alignment characters") << u"<>5"_s << u"<25"_s;
    QTest::newRow("empty format has no columns") << QString() << QString();
    QTest::newRow("infinite width") << u"<1E400"_s << u"<25"_s;
    QTest::newRow("not a number at all") << u"^nan|inf"_s << u"^25|<25"_s;
    QTest::newRow("absurdly wide stays readable") << u"<1E+20"_s << u"<1E+20"_s;
    QTest::newRow("binary noise is dropped") << u"<49,99999999999990"_s << u"<50"_s;
    QTest::newRow("a third keeps its digits") << u"^0,333333333333333"_s << u"^0,3333333333333"_s;
    QTest::newRow("rounding that rounds again") << u"<" + QString(57, u'2') << u"<2,222222222222E+56"_s;
}

void TestColumnFormat::normalises()
{
    QFETCH(QString, format);
    QFETCH(QString, normalised);
    QCOMPARE(ColumnFormat::Normalise(format, 25), normalised);
    // Normal forms are stable.
    QCOMPARE(ColumnFormat::Normalise(normalised, 25), normalised);
}

void TestColumnFormat::parsesAlignmentAndFrame_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<double>("width");
    QTest::newRow("left") << u"<10"_s << int(taLeftJustify) << 10.0;
    QTest::newRow("right") << u">10"_s << int(taRightJustify) << 10.0;
    QTest::newRow("centre") << u"^10"_s << int(taCenter) << 10.0;
    QTest::newRow("frameless right") << u">-7,5"_s << int(taRightJustify) << -7.5;
    QTest::newRow("empty entry") << QString() << int(taLeftJustify) << 25.0;
}

void TestColumnFormat::parsesAlignmentAndFrame()
{
    QFETCH(QString, format);
    QFETCH(int, alignment);
    QFETCH(double, width);
    // An empty entry only exists beside a separator.
    const QList<ColumnFormat::TColumn> columns = ColumnFormat::Parse(format + u'|', 25);
    QCOMPARE(columns.size(), 2);
    QCOMPARE(int(columns.first().Alignment), alignment);
    QCOMPARE(columns.first().Width, width);
}

void TestColumnFormat::defaultThreeColumns_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<QString>("format");
    QTest::newRow("A4, 25 mm margins") << 160.0 << u"<32|^96|>32"_s;
    QTest::newRow("uneven width") << 160.5 << u"<32,1|^96,3|>32,1"_s;
    QTest::newRow("letter in inches") << 6.5 << u"<1,3|^3,9|>1,3"_s;
}

void TestColumnFormat::defaultThreeColumns()
{
    QFETCH(double, width);
    QFETCH(QString, format);
    QCOMPARE(ColumnFormat::DefaultThreeColumns(width), format);
}

void TestColumnFormat::unitConversionRoundTrip()
{
    const QString inches = ColumnFormat::Scale(u"<32|^96|>-32"_s, 1 / 25.4, 25);
    QVERIFY(std::abs(ColumnFormat::Parse(inches, 25).at(2).Width + 32 / 25.4) < 1e-12);
    QCOMPARE(ColumnFormat::Scale(inches, 25.4, 25), u"<32|^96|>-32"_s);
}

QTEST_GUILESS_MAIN(TestColumnFormat)
#include "tst_columnformat.moc"
