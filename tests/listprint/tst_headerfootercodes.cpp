// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HeaderFooterCodes.h"

#include <QLocale>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace HeaderFooterCodes;

class TestHeaderFooterCodes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void resolvesFriendlyCodes_data();
    void resolvesFriendlyCodes();
    void positionCodes_data();
    void positionCodes();
    void replacesPlaceholders_data();
    void replacesPlaceholders();

private:
    static TContext context(const QString &fileName = QString())
    {
        return { 12, 3, u"Kovatek Rufwerk"_s, fileName, QDateTime(QDate(2002, 7, 20), QTime(11, 33, 44)) };
    }
};

void TestHeaderFooterCodes::resolvesFriendlyCodes_data()
{
    QTest::addColumn<QString>("codes");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("text");
    QTest::newRow("date, title, time") << u"&l&d&c&i&r&t"_s << QString() << u"20.07.2002|{$TITLE}|11:33"_s;
    QTest::newRow("empty file name is a blank")
        << u"&l&d&c&f&r Seite: &p"_s << QString() << u"20.07.2002| | Seite: {$PAGE}"_s;
    QTest::newRow("file name without folder") << u"&c&f"_s << u"C:\\Daten\\DizaVadud.TXT"_s << u"DizaVadud.TXT"_s;
    QTest::newRow("file name without unix folder") << u"&f"_s << u"/home/anna/Bericht.txt"_s << u"Bericht.txt"_s;
    QTest::newRow("file name with folder") << u"&F"_s << u"/home/anna/Bericht.txt"_s << u"/home/anna/Bericht.txt"_s;
    QTest::newRow("long date and time") << u"&D &T"_s << QString() << u"Samstag, 20. Juli 2002 11:33:44"_s;
    QTest::newRow("column marks only") << u"&l&c&r"_s << QString() << QString();
    QTest::newRow("marks before text add nothing") << u"&l&c&rX"_s << QString() << u"X"_s;
    QTest::newRow("marks after text add columns") << u"X&l&c"_s << QString() << u"X||"_s;
    QTest::newRow("double ampersand") << u"A&&B"_s << QString() << u"A&B"_s;
    QTest::newRow("unknown letter is a blank") << u"A&xB"_s << QString() << u"A B"_s;
    QTest::newRow("codes are case-sensitive") << u"&L&C&R"_s << QString() << u"   "_s;
    QTest::newRow("a digit after & is a blank") << u"&1"_s << QString() << u" "_s;
    QTest::newRow("lone & at the end") << u"Ende&"_s << QString() << u"Ende"_s;
    QTest::newRow("only ampersands") << u"&&&"_s << QString() << u"&"_s;
    QTest::newRow("placeholders stay for each page") << u"&p/&i"_s << QString() << u"{$PAGE}/{$TITLE}"_s;
}

void TestHeaderFooterCodes::resolvesFriendlyCodes()
{
    QFETCH(QString, codes);
    QFETCH(QString, fileName);
    QFETCH(QString, text);
    QCOMPARE(ResolveFriendly(codes, context(fileName)), text);
}

void TestHeaderFooterCodes::positionCodes_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QString>("userText");
    QTest::addColumn<QString>("resolved");
    QTest::newRow("default header") << QList<int> { 0, 4, 0 } << u"Titel"_s << u" |Titel| "_s;
    QTest::newRow("default footer") << QList<int> { 1, 4, 2 } << u"Fuß"_s << u"20.07.2002|Fuß| Seite {$PAGE}"_s;
    QTest::newRow("time in the centre") << QList<int> { 2, 3, 1 } << u"x"_s << u" Seite {$PAGE}|11:33|20.07.2002"_s;
    QTest::newRow("user text only in the centre") << QList<int> { 4, 0, 4 } << u"x"_s << u" | | "_s;
    QTest::newRow("codes out of range are empty") << QList<int> { 7, -1, 99 } << u"x"_s << u" | | "_s;
}

void TestHeaderFooterCodes::positionCodes()
{
    QFETCH(QList<int>, codes);
    QFETCH(QString, userText);
    QFETCH(QString, resolved);
    QCOMPARE(ResolveFriendly(PositionCodeString(codes.at(0), codes.at(1), codes.at(2), userText), context()), resolved);
}

void TestHeaderFooterCodes::replacesPlaceholders_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("replaced");
    QTest::newRow("all five") << u"{$LINE} {$PAGE} {$DATE} {$TIME} {$TITLE}"_s
                              << u"12 3 20.07.2002 11:33:44 Kovatek Rufwerk"_s;
    QTest::newRow("every occurrence") << u"{$PAGE}-{$PAGE}"_s << u"3-3"_s;
    QTest::newRow("case-sensitive") << u"{$page}"_s << u"{$page}"_s;
    QTest::newRow("unterminated") << u"{$PAGE"_s << u"{$PAGE"_s;
    QTest::newRow("no placeholder") << u"Summe"_s << u"Summe"_s;
}

void TestHeaderFooterCodes::replacesPlaceholders()
{
    QFETCH(QString, text);
    QFETCH(QString, replaced);
    QCOMPARE(ReplacePlaceholders(text, context()), replaced);
}

QTEST_GUILESS_MAIN(TestHeaderFooterCodes)
#include "tst_headerfootercodes.moc"
