// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageList.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestPageList : public QObject {
    Q_OBJECT

private slots:
    void recordsTextsInOrder();
    void joinsLinesThatContinueEachOther_data();
    void joinsLinesThatContinueEachOther();
    void openPageCanBeRead();
    void spillsOldPagesBeyondTheLimit();
    void playDrawsImagesUnderLinesUnderText();
};

void TestPageList::recordsTextsInOrder()
{
    TPageList pages;
    const int font = pages.FontIndex(QFont(u"Arial"_s), Qt::black);
    QCOMPARE(pages.FontIndex(QFont(u"Arial"_s), Qt::black), font);
    const int blue = pages.FontIndex(QFont(u"Arial"_s), Qt::blue);
    QVERIFY(blue != font);
    pages.BeginPage();
    pages.Text(10, 20, u"Gebühr 1,86 €"_s, font); // "€" is outside Latin-1
    pages.Text(-5, 123456, u"Größe"_s, blue);
    pages.Text(0, 0, QString(), font); // nothing to draw
    pages.BeginPage(); // closes the first page
    pages.Text(1, 2, u"zwei"_s, font);
    pages.EndPage();
    QCOMPARE(pages.Count(), 2);
    const QList<TPageList::TText> first = pages.Texts(0);
    QCOMPARE(first.size(), 2);
    QCOMPARE(first.at(0).Text, u"Gebühr 1,86 €"_s);
    QCOMPARE(first.at(0).Baseline, QPoint(10, 20));
    QCOMPARE(first.at(1).Text, u"Größe"_s);
    QCOMPARE(first.at(1).Baseline, QPoint(-5, 123456));
    QCOMPARE(first.at(1).Font, blue);
    QCOMPARE(pages.Texts(1).at(0).Text, u"zwei"_s);
    QVERIFY(pages.Texts(2).isEmpty());
    pages.Clear();
    QCOMPARE(pages.Count(), 0);
    QCOMPARE(pages.BytesInMemory(), 0);
}

void TestPageList::joinsLinesThatContinueEachOther_data()
{
    QTest::addColumn<QList<QLine>>("lines");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QList<QLine>>("joined");
    QTest::newRow("cell frames of two rows")
        << QList<QLine> { { 0, 0, 0, 10 }, { 50, 0, 50, 10 }, { 0, 0, 50, 0 }, { 50, 0, 50, 10 }, { 50, 0, 90, 0 },
               { 0, 10, 0, 20 }, { 50, 10, 50, 20 }, { 90, 0, 90, 10 } }
        << QList<int> { 2, 2, 2, 2, 2, 2, 2, 2 }
        << QList<QLine> { { 0, 0, 90, 0 }, { 0, 0, 0, 20 }, { 50, 0, 50, 20 }, { 90, 0, 90, 10 } };
    QTest::newRow("gaps stay") << QList<QLine> { { 0, 0, 10, 0 }, { 11, 0, 20, 0 } } << QList<int> { 1, 1 }
                               << QList<QLine> { { 0, 0, 10, 0 }, { 11, 0, 20, 0 } };
    QTest::newRow("widths stay apart") << QList<QLine> { { 0, 5, 10, 5 }, { 10, 5, 20, 5 } } << QList<int> { 1, 3 }
                                       << QList<QLine> { { 0, 5, 10, 5 }, { 10, 5, 20, 5 } };
    QTest::newRow("drawn backwards") << QList<QLine> { { 10, 0, 0, 0 }, { 20, 0, 10, 0 } } << QList<int> { 1, 1 }
                                     << QList<QLine> { { 0, 0, 20, 0 } };
    QTest::newRow("slanted lines are kept")
        << QList<QLine> { { 0, 0, 10, 10 }, { 10, 10, 20, 20 } } << QList<int> { 1, 1 }
        << QList<QLine> { { 0, 0, 10, 10 }, { 10, 10, 20, 20 } };
}

void TestPageList::joinsLinesThatContinueEachOther()
{
    QFETCH(QList<QLine>, lines);
    QFETCH(QList<int>, widths);
    QFETCH(QList<QLine>, joined);
    TPageList pages;
    pages.BeginPage();
    for (qsizetype i = 0; i < lines.size(); ++i)
        pages.Line(lines.at(i).x1(), lines.at(i).y1(), lines.at(i).x2(), lines.at(i).y2(), widths.at(i));
    pages.EndPage();
    QList<QLine> strokes;
    for (const TPageList::TStroke &stroke : pages.Strokes(0))
        strokes.append(stroke.Line);
    QCOMPARE(strokes, joined);
}

void TestPageList::openPageCanBeRead()
{
    // The preview paints the page being built.
    TPageList pages;
    pages.BeginPage();
    pages.Text(1, 1, u"offen"_s, pages.FontIndex(QFont(), Qt::black));
    pages.Line(0, 0, 5, 0, 1);
    QCOMPARE(pages.Count(), 0);
    QVERIFY(pages.IsRecording());
    QCOMPARE(pages.Texts(0).size(), 1);
    QCOMPARE(pages.Strokes(0).size(), 1);
}

void TestPageList::spillsOldPagesBeyondTheLimit()
{
    TPageList pages;
    pages.SetMemoryLimit(64 * 1024);
    const int font = pages.FontIndex(QFont(), Qt::black);
    for (int page = 0; page < 200; ++page) {
        pages.BeginPage();
        for (int line = 0; line < 40; ++line)
            pages.Text(100, line * 50, u"Seite %1 Zeile %2 mit etwas Text"_s.arg(page).arg(line), font);
    }
    pages.EndPage();
    QVERIFY(pages.BytesSpilled() > 0);
    QVERIFY(pages.BytesInMemory() <= pages.MemoryLimit());
    // Pages read back from the spill file are whole.
    for (const int page : { 0, 99, 199 }) {
        const QList<TPageList::TText> texts = pages.Texts(page);
        QCOMPARE(texts.size(), 40);
        QCOMPARE(texts.at(39).Text, u"Seite %1 Zeile 39 mit etwas Text"_s.arg(page));
    }
}

void TestPageList::playDrawsImagesUnderLinesUnderText()
{
    TPageList pages;
    QImage red(4, 4, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QCOMPARE(pages.ImageIndex(u"a.bmp"_s, red), 0);
    QCOMPARE(pages.ImageIndex(u"a.bmp"_s, QImage()), 0); // one image per file
    pages.BeginPage();
    QFont font(u"Arial"_s);
    font.setPixelSize(20);
    pages.Text(0, 18, u"\u2588"_s, pages.FontIndex(font, Qt::blue)); // a full block
    pages.Line(0, 10, 40, 10, 4);
    pages.Image(QRect(0, 0, 40, 40), 0);
    pages.EndPage();
    QCOMPARE(pages.ImageRects(0), QList<QRect> { QRect(0, 0, 40, 40) });

    QImage target(40, 40, QImage::Format_ARGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    pages.Play(0, painter);
    painter.end();
    QCOMPARE(target.pixelColor(35, 35), QColor(Qt::red)); // image only
    QCOMPARE(target.pixelColor(35, 10), QColor(Qt::black)); // line over the image
    QCOMPARE(target.pixelColor(4, 10), QColor(Qt::blue)); // text over the line
}

QTEST_MAIN(TestPageList)
#include "tst_pagelist.moc"
