// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// Writing reports: page breaks, header and footer, table rows, wrapping,
// bitmaps, the text file, and bad input that must neither crash nor loop.

#include "ListPrintTestSupport.h"
#include "ListPrnPrgDlg.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<TTextReportPrint> makeReport()
{
    auto lp = std::make_unique<TTextReportPrint>();
    lp->SetShowProgress(false);
    return lp;
}

/// The recorded texts of page with their baselines.
QList<TPageList::TText> texts(const TCustomListPrint &lp, int page)
{
    return lp.Pages().Texts(page - 1);
}

std::optional<TPageList::TText> findText(const QList<TPageList::TText> &texts, const QString &text)
{
    for (const TPageList::TText &t : texts)
        if (t.Text == text)
            return t;
    return std::nullopt;
}

/// Is x covered by a horizontal stroke at y on page?
bool horizontalCovers(const TCustomListPrint &lp, int page, int y, int x)
{
    for (const TPageList::TStroke &s : lp.Pages().Strokes(page - 1))
        if (s.Line.y1() == y && s.Line.y2() == y && s.Line.x1() <= x && x <= s.Line.x2())
            return true;
    return false;
}

} // namespace

class TestListPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void pageBreaksBeforeTheLineThatWouldFill_data();
    void pageBreaksBeforeTheLineThatWouldFill();
    void headerAndFooterOnEveryPage();
    void codesResolvingEmptyPrintNoRow();
    void positionCodesRebuildHeaderAndFooter();
    void headerCellWrapsInsteadOfBeingCut();
    void pageBordersFrameTheTextArea();
    void alignmentOfPlainLines_data();
    void alignmentOfPlainLines();
    void overlongPlainLinesWrapOrAreCut();
    void writeTextContinuesTheLine();
    void tabsExpandToTabStops();
    void tableTakesOneCellPerColumn_data();
    void tableTakesOneCellPerColumn();
    void cellFrames_data();
    void cellFrames();
    void cellTextIsCutOrWrapped();
    void placeholdersOnlyInTableCells();
    void cellFormatHandlerChangesCells();
    void newPageHandlerRepeatsTheColumnHeader();
    void bitmaps();
    void textFile();
    void textFileThatCannotBeWritten_data();
    void textFileThatCannotBeWritten();
    void cancelWhileBuilding();
    void badInputEndsWithASaneLayout_data();
    void badInputEndsWithASaneLayout();

private:
    QTemporaryDir FDir;
};

void TestListPrintLayout::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    useNoPrinter();
    TCustomListPrint::Clock = [] { return QDateTime(QDate(2026, 3, 14), QTime(9, 5, 7)); };
    ListPrintUi::SetProgramFolder(FDir.path());
}

void TestListPrintLayout::cleanup()
{
    // A failed test must not leave a progress dialog for the next.
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (qobject_cast<TListPrnPrgDlg *>(widget))
            delete widget;
}

void TestListPrintLayout::pageBreaksBeforeTheLineThatWouldFill_data()
{
    QTest::addColumn<int>("extraPixels");
    QTest::addColumn<int>("linesOnFirstPage");
    // A text area of exactly ten line steps holds nine: the tenth would reach its end.
    QTest::newRow("ten steps exactly") << 0 << 9;
    QTest::newRow("one pixel more") << 1 << 10;
    QTest::newRow("one pixel less") << -1 << 9;
}

void TestListPrintLayout::pageBreaksBeforeTheLineThatWouldFill()
{
    QFETCH(int, extraPixels);
    QFETCH(int, linesOnFirstPage);
    auto lp = makeReport();
    const int height = 10 * lp->LineStep() + extraPixels;
    const int top = lp->UnitsToPixelsY(lp->MarginTop());
    lp->SetMarginBottom(lp->PixelsToUnitsY(lp->Geometry().Paper.height() - top - height));
    QCOMPARE(lp->TextArea().height(), height);
    lp->BeginReport(false);
    for (int i = 1; i <= 30; ++i)
        lp->PrintLine(u"Zeile %1"_s.arg(i));
    lp->EndReport();
    const QStringList first = pageTexts(*lp, 1);
    QCOMPARE(first.size(), linesOnFirstPage);
    QCOMPARE(first.last(), u"Zeile %1"_s.arg(linesOnFirstPage));
    QCOMPARE(pageTexts(*lp, 2).first(), u"Zeile %1"_s.arg(linesOnFirstPage + 1));
}

void TestListPrintLayout::headerAndFooterOnEveryPage()
{
    auto lp = makeReport();
    lp->SetFriendlyHeader(u"&lKopf &p&c&d&r&t"_s);
    lp->SetFooter(u"Fuß {$PAGE}|{$TITLE}"_s);
    lp->SetPrintTitle(u"Titel"_s);
    lp->BeginReport(false);
    // The date of the header is the moment the report began.
    TCustomListPrint::Clock = [] { return QDateTime(QDate(2026, 3, 15), QTime(10, 0)); };
    for (int i = 1; i <= 200; ++i)
        lp->PrintLine(u"Zeile %1"_s.arg(i));
    lp->EndReport();
    TCustomListPrint::Clock = [] { return QDateTime(QDate(2026, 3, 14), QTime(9, 5, 7)); };
    QVERIFY(lp->PageCount() >= 3);
    const QRect area = lp->TextArea();
    for (int page = 1; page <= lp->PageCount(); ++page) {
        const QList<TPageList::TText> all = texts(*lp, page);
        const auto header = findText(all, u"Kopf %1"_s.arg(page));
        const auto footer = findText(all, u"Fuß %1"_s.arg(page));
        QVERIFY2(header && footer, qPrintable(u"page %1"_s.arg(page)));
        QVERIFY(findText(all, u"14.03.2026"_s));
        QVERIFY(findText(all, u"09:05"_s));
        QVERIFY(findText(all, u"Titel"_s));
        // Header above the frame line over the text area, footer two steps below it.
        QVERIFY(header->Baseline.y() < area.top() - lp->UnitsToPixelsY(lp->PageBorderOffset()));
        QVERIFY(footer->Baseline.y() > area.bottom() + 2 * lp->LineStep());
        for (const TPageList::TText &t : all) {
            if (t.Text.startsWith("Zeile"_L1))
                QVERIFY(t.Baseline.y() > area.top() && t.Baseline.y() < area.bottom());
        }
    }
}

void TestListPrintLayout::codesResolvingEmptyPrintNoRow()
{
    auto plain = makeReport();
    plain->BeginReport(false);
    for (int i = 0; i < 100; ++i)
        plain->PrintLine(u"Zeile"_s);
    plain->EndReport();

    auto lp = makeReport();
    lp->SetFriendlyHeader(u"&l&c&r"_s);
    QCOMPARE(lp->Header(), QString());
    lp->BeginReport(false);
    for (int i = 0; i < 100; ++i)
        lp->PrintLine(u"Zeile"_s);
    lp->EndReport();
    QCOMPARE(pageTexts(*lp, 1), pageTexts(*plain, 1));
}

void TestListPrintLayout::positionCodesRebuildHeaderAndFooter()
{
    auto lp = makeReport();
    lp->SetHeaderText(u"Gebühren"_s);
    lp->SetFooterText(u"Fußtext"_s);
    lp->SetHeaderFormat(u"<10"_s);
    lp->SetMarginLeft(30);
    lp->BeginReport(true);
    for (int i = 0; i < 100; ++i)
        lp->PrintLine(u"Zeile"_s);
    lp->EndReport();
    // Without stored settings the codes are 0, 4, 0 and 1, 4, 2, over the text area's width.
    QCOMPARE(lp->HeaderFormat(), u"<31|^93|>31"_s);
    QCOMPARE(lp->FooterFormat(), lp->HeaderFormat());
    QCOMPARE(lp->Header(), u" |Gebühren| "_s);
    QCOMPARE(lp->Footer(), u"14.03.2026|Fußtext| Seite {$PAGE}"_s);
    QVERIFY(pageTexts(*lp, 2).contains(u" Seite 2"_s));

    // Changed codes take effect at the next rebuild only.
    lp->SetPositionCode(TCustomListPrint::HRight, 3);
    lp->BeginReport(false);
    lp->EndReport();
    QCOMPARE(lp->Header(), u" |Gebühren| "_s);
}

void TestListPrintLayout::headerCellWrapsInsteadOfBeingCut()
{
    auto lp = makeReport();
    lp->SetHeaderFormat(u"<15|^130|>15"_s);
    const QString text = u"Ein sehr langer Kopf der nicht in seine Spalte passt"_s;
    lp->SetHeader(text + u"|Mitte|Rechts"_s);
    lp->BeginReport(false);
    lp->PrintLine(u"Inhalt"_s);
    lp->EndReport();
    QStringList pieces;
    int lastBaseline = std::numeric_limits<int>::min();
    for (const TPageList::TText &t : texts(*lp, 1)) {
        if (t.Baseline.x() < lp->TextArea().left() + lp->UnitsToPixelsX(15) && t.Text != "Inhalt"_L1) {
            QVERIFY(t.Baseline.y() > lastBaseline); // each piece on its own line below
            lastBaseline = t.Baseline.y();
            pieces.append(t.Text.trimmed());
        }
    }
    QVERIFY(pieces.size() > 1);
    QCOMPARE(pieces.join(u' '), text);
}

void TestListPrintLayout::pageBordersFrameTheTextArea()
{
    auto lp = makeReport();
    lp->SetPageBorders(TPageBorders(pbLeft) | pbTop | pbRight | pbBottom);
    lp->SetTableGrids(false);
    lp->BeginReport(false);
    lp->PrintLine(u"x"_s);
    lp->EndReport();
    const QRect a = lp->TextArea();
    const int d = lp->UnitsToPixelsX(1.5);
    const int right = a.left() + a.width() + d, bottom = a.top() + a.height() + d;
    QList<QLine> lines;
    for (const TPageList::TStroke &stroke : lp->Pages().Strokes(0)) {
        QCOMPARE(stroke.Width, 2); // 300 dpi
        lines.append(stroke.Line);
    }
    QCOMPARE(lines,
        (QList<QLine> { { a.left() - d, a.top() - d, right, a.top() - d }, { a.left() - d, bottom, right, bottom },
            { a.left() - d, a.top() - d, a.left() - d, bottom }, { right, a.top() - d, right, bottom } }));
}

void TestListPrintLayout::alignmentOfPlainLines_data()
{
    QTest::addColumn<int>("alignment");
    QTest::newRow("left") << int(taLeftJustify);
    QTest::newRow("right") << int(taRightJustify);
    QTest::newRow("centre") << int(taCenter);
}

void TestListPrintLayout::alignmentOfPlainLines()
{
    QFETCH(int, alignment);
    auto lp = makeReport();
    lp->BeginReport(false);
    lp->PrintLineAligned(TAlignment(alignment), u"Summe"_s);
    lp->PrintLine(u"danach"_s);
    lp->EndReport();
    QCOMPARE(lp->Alignment(), taLeftJustify);
    const QRect area = lp->TextArea();
    const int width = int(std::lround(lp->TextWidth(u"Summe"_s)));
    const int expected = alignment == taLeftJustify ? area.left()
        : alignment == taRightJustify               ? area.left() + area.width() - width
                                                    : area.left() + (area.width() - width) / 2;
    QVERIFY(std::abs(texts(*lp, 1).at(0).Baseline.x() - expected) <= 1);
    QCOMPARE(texts(*lp, 1).at(1).Baseline.x(), area.left());
}

void TestListPrintLayout::overlongPlainLinesWrapOrAreCut()
{
    QStringList words;
    for (int i = 0; i < 60; ++i)
        words << u"Wort%1"_s.arg(i);
    const QString line = words.join(u' ');
    for (const bool wrap : { false, true }) {
        auto lp = makeReport();
        lp->SetWordWrap(wrap);
        lp->BeginReport(false);
        lp->PrintLine(line);
        lp->EndReport();
        const QStringList printed = pageTexts(*lp, 1);
        const int width = lp->TextArea().width();
        for (const QString &piece : printed)
            QVERIFY(lp->TextWidth(piece) <= width);
        if (!wrap) {
            QCOMPARE(printed.size(), 1);
            QVERIFY(line.startsWith(printed.first()));
            QVERIFY(lp->TextWidth(line.left(printed.first().size() + 1)) > width);
        } else {
            QVERIFY(printed.size() > 1);
            // Words stay whole; the blanks between the pieces were consumed.
            QStringList trimmed;
            for (const QString &piece : printed)
                trimmed << piece.trimmed();
            QCOMPARE(trimmed.join(u' '), line);
        }
    }
}

void TestListPrintLayout::writeTextContinuesTheLine()
{
    auto lp = makeReport();
    lp->BeginReport(false);
    lp->WriteText(u"Name: "_s);
    lp->WriteText(u"Anna"_s);
    lp->NewLine();
    lp->PrintLine(u"nächste"_s);
    lp->EndReport();
    const QList<TPageList::TText> t = texts(*lp, 1);
    QCOMPARE(t.size(), 3);
    QCOMPARE(t.at(0).Baseline.y(), t.at(1).Baseline.y());
    QVERIFY(std::abs(t.at(1).Baseline.x() - t.at(0).Baseline.x() - lp->TextWidth(u"Name: "_s)) <= 1);
    QCOMPARE(t.at(2).Baseline.y(), t.at(0).Baseline.y() + lp->LineStep());
}

void TestListPrintLayout::tabsExpandToTabStops()
{
    auto lp = makeReport();
    lp->SetTabSize(4);
    lp->BeginReport(false);
    lp->PrintLine(u"a\tbc\td\t"_s);
    lp->EndReport();
    QCOMPARE(pageTexts(*lp, 1), QStringList { u"a   bc  d   "_s });
}

void TestListPrintLayout::tableTakesOneCellPerColumn_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("more cells than columns") << u"<40|<40"_s << u"a|b|c|d"_s << QStringList { u"a"_s, u"b"_s };
    QTest::newRow("fewer cells than columns") << u"<40|<40|<40"_s << u"a"_s << QStringList { u"a"_s };
    QTest::newRow("empty cells") << u"<40|<40|<40"_s << u"|b|"_s << QStringList { u"b"_s };
    QTest::newRow("no columns print nothing") << QString() << u"a|b"_s << QStringList();
}

void TestListPrintLayout::tableTakesOneCellPerColumn()
{
    QFETCH(QString, format);
    QFETCH(QString, line);
    QFETCH(QStringList, printed);
    auto lp = makeReport();
    lp->BeginReport(false);
    lp->SetTableFormat(format);
    lp->PrintTableLine(line);
    lp->PrintLine(u"danach"_s);
    lp->EndReport();
    QCOMPARE(pageTexts(*lp, 1), printed + QStringList { u"danach"_s });
}

void TestListPrintLayout::cellFrames_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("grids");
    QTest::addColumn<QString>("framed");
    QTest::newRow("all framed") << u"<40|<40|<40"_s << true << u"111"_s;
    QTest::newRow("missing cells are framed too") << u"<40|^40|>40"_s << true << u"111"_s;
    QTest::newRow("negative width has no frame") << u"<40|-40|<40"_s << true << u"101"_s;
    QTest::newRow("no grids") << u"<40|<40|<40"_s << false << u"000"_s;
}

void TestListPrintLayout::cellFrames()
{
    QFETCH(QString, format);
    QFETCH(bool, grids);
    QFETCH(QString, framed);
    auto lp = makeReport();
    lp->BeginReport(false);
    lp->SetTableGrids(grids);
    lp->SetTableFormat(format);
    lp->PrintTableLine(u"a"_s);
    lp->EndReport();
    const QRect area = lp->TextArea();
    // The top line lies at the row's top (no external leading with this font);
    // the bottom line one line step below it.
    int rowTop = std::numeric_limits<int>::max();
    for (const TPageList::TStroke &s : lp->Pages().Strokes(0))
        rowTop = std::min(rowTop, s.Line.y1());
    if (rowTop == std::numeric_limits<int>::max()) {
        QCOMPARE(u"000"_s, framed); // no line drawn at all
        return;
    }
    QString covered;
    for (int col = 0; col < 3; ++col) {
        const int mid = area.left() + lp->UnitsToPixelsX(20 + 40 * col);
        const bool topLine = horizontalCovers(*lp, 1, rowTop, mid);
        const bool bottomLine = horizontalCovers(*lp, 1, rowTop + lp->LineStep(), mid);
        QCOMPARE(topLine, bottomLine);
        covered += topLine ? u'1' : u'0';
    }
    QCOMPARE(covered, framed);
}

void TestListPrintLayout::cellTextIsCutOrWrapped()
{
    const QString text = u"Dies ist ein langer Zelltext der nicht in die Spalte passt"_s;
    for (const bool wrap : { false, true }) {
        auto lp = makeReport();
        lp->BeginReport(false);
        lp->SetWordWrap(wrap);
        lp->SetTableFormat(u"<30|<20"_s);
        lp->PrintTableLine(text + u"|B"_s);
        lp->SetWordWrap(false);
        lp->PrintTableLine(u"nächste|Zeile"_s);
        lp->EndReport();
        const int column = lp->UnitsToPixelsX(30);
        QStringList cell;
        int lastBaseline = 0;
        for (const TPageList::TText &t : texts(*lp, 1)) {
            if (t.Text == "B"_L1 || t.Text == "Zeile"_L1)
                continue;
            if (t.Text == u"nächste"_s) {
                // The next row starts below the last line of the wrapped one.
                QCOMPARE(t.Baseline.y(), lastBaseline + lp->LineStep());
                continue;
            }
            QVERIFY(lp->TextWidth(t.Text) <= column);
            cell << t.Text.trimmed(); // a piece ends with the blank it was split at
            lastBaseline = t.Baseline.y();
        }
        if (!wrap) {
            QCOMPARE(cell.size(), 1);
            QVERIFY(text.startsWith(cell.first()));
            QVERIFY(lp->TextWidth(text.left(cell.first().size() + 1)) > column);
        } else {
            QVERIFY(cell.size() > 2);
            QCOMPARE(cell.join(u' '), text);
            // The frame's bottom line lies under the last line of the cell.
            int lowest = 0;
            for (const TPageList::TStroke &s : lp->Pages().Strokes(0))
                if (s.Line.x1() == lp->TextArea().left() && s.Line.y1() == s.Line.y2()
                    && s.Line.y1() < lastBaseline + lp->LineStep())
                    lowest = std::max(lowest, s.Line.y1());
            QVERIFY(lowest > lastBaseline);
        }
    }
}

void TestListPrintLayout::placeholdersOnlyInTableCells()
{
    auto lp = makeReport();
    lp->SetPrintTitle(u"Bericht"_s);
    lp->BeginReport(false);
    lp->PrintLine(u"{$PAGE}"_s);
    lp->NewLine();
    lp->SetTableFormat(u"<20|<20|<40|<40|<40"_s);
    lp->PrintTableLine(u"{$PAGE}|{$LINE}|{$TITLE}|{$DATE}|{$TIME}"_s);
    lp->EndReport();
    QCOMPARE(pageTexts(*lp, 1),
        (QStringList { u"{$PAGE}"_s, u"1"_s, u"2"_s, u"Bericht"_s, u"14.03.2026"_s, u"09:05:07"_s }));
}

void TestListPrintLayout::cellFormatHandlerChangesCells()
{
    auto lp = makeReport();
    QStringList calls;
    lp->OnGetCellFormat = [&](TCustomListPrint *sender, int col, TTableLineColumnInfo &info) {
        calls << u"%1:%2:%3:%4:%5:%6"_s.arg(sender->LineKind)
                     .arg(col)
                     .arg(info.Text)
                     .arg(info.Width)
                     .arg(int(info.Alignment))
                     .arg(info.Frame);
        if (col == 1) {
            info.Text = u"neu"_s;
            info.Width = 60;
            info.Alignment = taRightJustify;
        }
        if (col == 2)
            info.Frame = false;
    };
    lp->SetHeader(u"Kopf"_s); // no calls for the header row
    lp->BeginReport(false);
    lp->LineKind = 6;
    lp->SetTableFormat(u"^40|-30"_s);
    lp->PrintTableLine(u"alt|zwei"_s);
    lp->EndReport();
    QCOMPARE(calls, (QStringList { u"6:1:alt:40:2:1"_s, u"6:2:zwei:-30:0:0"_s }));
    const QRect area = lp->TextArea();
    const auto first = findText(texts(*lp, 1), u"neu"_s);
    const auto second = findText(texts(*lp, 1), u"zwei"_s);
    QVERIFY(first && second);
    // Right-aligned in its new width of 60 mm, the next cell after it.
    QVERIFY(first->Baseline.x() > area.left() + lp->UnitsToPixelsX(40));
    QVERIFY(second->Baseline.x() >= area.left() + lp->UnitsToPixelsX(60));
    QVERIFY(!horizontalCovers(*lp, 1, lp->Pages().Strokes(0).first().Line.y1(), area.left() + lp->UnitsToPixelsX(75)));
}

void TestListPrintLayout::newPageHandlerRepeatsTheColumnHeader()
{
    auto lp = makeReport();
    lp->SetHeader(u"Seitenkopf"_s);
    lp->OnNewPage = [](TCustomListPrint *sender) {
        if (sender->CurrentPage() > 1) {
            sender->SetTableFormat(u"<40|<40"_s);
            sender->PrintTableLine(u"Datum|Zeit"_s);
        }
    };
    lp->BeginReport(false);
    lp->SetTableFormat(u"<40|<40"_s);
    lp->PrintTableLine(u"Datum|Zeit"_s);
    for (int i = 0; i < 150; ++i)
        lp->PrintTableLine(u"%1|x"_s.arg(i));
    lp->EndReport();
    QVERIFY(lp->PageCount() >= 3);
    for (int page = 1; page <= lp->PageCount(); ++page) {
        const QStringList all = pageTexts(*lp, page);
        QCOMPARE(all.count(u"Datum"_s), 1);
        QCOMPARE(all.count(u"Seitenkopf"_s), 1);
        // The column header sits at the top of the text area, above every row.
        const QList<TPageList::TText> t = texts(*lp, page);
        const int headerY = findText(t, u"Datum"_s)->Baseline.y();
        for (const TPageList::TText &text : t)
            if (text.Text == "x"_L1)
                QVERIFY(text.Baseline.y() > headerY);
    }
}

void TestListPrintLayout::bitmaps()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 38; ++x)
            image.setPixel(x, y, qRgb(255, 255, 255));
    const QString logo = FDir.filePath(u"FeeReport.BMP"_s);
    QVERIFY(image.save(logo, "BMP"));
    const QString notAnImage = FDir.filePath(u"kaputt.bmp"_s);
    QVERIFY(writeAll(notAnImage, "kein Bild"));

    auto lp = makeReport();
    lp->BeginReport(false);
    lp->PrintLine(u"oben"_s);
    lp->PrintBitmap(logo, 2, 200, true);
    lp->PrintLine(u"unten"_s);
    lp->PrintBitmap(FDir.filePath(u"fehlt.bmp"_s), 0, 100, true);
    lp->PrintBitmap(notAnImage, 0, 100, false);
    lp->EndReport();
    const QRect area = lp->TextArea();
    const QList<QRect> rects = lp->Pages().ImageRects(0);
    QCOMPARE(rects.size(), 1);
    // Centred, twice the size, one line below the line before it.
    QCOMPARE(rects.first(), QRect(area.left() + (area.width() - 80) / 2, area.top() + 2 * lp->LineStep(), 80, 40));
    QVERIFY(findText(texts(*lp, 1), u"unten"_s)->Baseline.y() > rects.first().bottom());

    // Black is transparent.
    QImage target(80, 40, QImage::Format_ARGB32);
    target.fill(Qt::red);
    QPainter painter(&target);
    painter.translate(-rects.first().topLeft());
    lp->Pages().Play(0, painter);
    painter.end();
    QCOMPARE(target.pixelColor(1, 1), QColor(Qt::red));
    QCOMPARE(target.pixelColor(40, 20), QColor(Qt::white));
}

void TestListPrintLayout::textFile()
{
    TMessageLog messages;
    auto lp = makeReport();
    lp->SetHeader(u"Kopf"_s);
    lp->SetPageBorders(TPageBorders(pbTop));
    lp->SetFileName(u"Export.txt"_s);
    lp->SetPrintToFile(true);
    lp->BeginReport(false);
    lp->PrintLine(u"Zeile"_s);
    lp->PrintLineAligned(taRightJustify, u"rechts"_s);
    lp->SetTableFormat(u"<40|<40"_s);
    lp->PrintTableLine(u"a|b"_s);
    lp->NewPage();
    lp->PrintLine(u"1,86 € Gebühr"_s);
    lp->PrintBitmap(FDir.filePath(u"FeeReport.BMP"_s), 0, 100, false);
    lp->EndReport();
    const QString path = FDir.filePath(u"Export.txt"_s);
    const QByteArray bytes = readAll(path);
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.at(0), QByteArray("Zeile\r"));
    QCOMPARE(lines.at(1), QByteArray("\r"));
    QVERIFY(lines.at(2).startsWith("          ")); // the right-aligned line's place in blanks
    QCOMPARE(lines.at(2).trimmed(), QByteArray("rechts"));
    QCOMPARE(lines.at(3), QByteArray("\r"));
    QCOMPARE(lines.at(4), QByteArray("a\tb\t\r"));
    QCOMPARE(lines.at(5), QByteArray("\f\r"));
    QCOMPARE(lines.at(6), QByteArray("1,86 \x80 Geb\xFChr\r")); // Windows-1252
    QCOMPARE(lines.at(7), QByteArray("\r"));
    QCOMPARE(lines.size(), 9);
    QVERIFY(!bytes.contains("Kopf"));
    QCOMPARE(lp->PageCount(), 0);
    QCOMPARE(lp->CurrentPage(), 0);
    QCOMPARE(messages.Entries, QStringList { u"Information: Inhalt exportiert nach "_s + path });

    // Text Windows-1252 cannot hold goes out as UTF-8.
    lp->BeginReport(false);
    lp->PrintLine(u"Pfeil → Ziel"_s);
    lp->EndReport();
    QCOMPARE(readAll(path), QByteArray("\xEF\xBB\xBF") + u"Pfeil → Ziel\r\n\r\n"_s.toUtf8());
}

void TestListPrintLayout::textFileThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << FDir.filePath(u"fehlt/Export.txt"_s) << u"existiert nicht"_s;
    QTest::newRow("a folder") << FDir.path() << u"ist ein Ordner"_s;
    QTest::newRow("no name") << QString() << u"kein Dateiname"_s;
    QTest::newRow("read-only folder") << u"schreibgeschützt/Export.txt"_s << u"Keine Berechtigung"_s;
}

void TestListPrintLayout::textFileThatCannotBeWritten()
{
    QFETCH(QString, fileName);
    QFETCH(QString, reason);
    if (qstrcmp(QTest::currentDataTag(), "read-only folder") == 0) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QDir(FDir.path()).mkdir(u"schreibgeschützt"_s);
        QFile::setPermissions(FDir.filePath(u"schreibgeschützt"_s), QFile::ReadOwner | QFile::ExeOwner);
    }
    TMessageLog messages;
    auto lp = makeReport();
    lp->SetFileName(fileName);
    lp->SetPrintToFile(true);
    lp->BeginReport(false);
    lp->PrintLine(u"Zeile"_s);
    lp->EndReport();
    QCOMPARE(messages.Entries.size(), 1);
    QVERIFY2(messages.Entries.first().startsWith("Error: "_L1), qPrintable(messages.Entries.first()));
    QVERIFY2(messages.Entries.first().contains(reason), qPrintable(messages.Entries.first()));
    // Nothing is lost: the report went into preview pages.
    QCOMPARE(pageTexts(*lp, 1), QStringList { u"Zeile"_s });
}

void TestListPrintLayout::cancelWhileBuilding()
{
    auto lp = makeReport();
    lp->SetShowProgress(true);
    QString pageLabel;
    lp->OnNewPage = [&](TCustomListPrint *sender) {
        if (sender->CurrentPage() != 2)
            return;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<TListPrnPrgDlg *>(widget)) {
                pageLabel = dialog->lblStatus->text() + u'/' + dialog->lblPageNumber->text();
                dialog->btnCancel->click();
            }
        }
    };
    lp->BeginReport(false);
    int cancelledOnPage = 0;
    try {
        for (int i = 0; i < 500; ++i)
            lp->PrintLine(u"Zeile %1"_s.arg(i));
    } catch (const ECancelPrinting &error) {
        QCOMPARE(error.Message(), u"Druck abgebrochen"_s);
        cancelledOnPage = lp->CurrentPage();
    }
    lp->EndReport();
    QCOMPARE(pageLabel, u"Preview wieder aufbauen/Seite 2"_s);
    QCOMPARE(cancelledOnPage, 3);
    QVERIFY(!QApplication::topLevelWidgets().contains(nullptr));

    // Stop ended that report only: the next one is built whole.
    lp->OnNewPage = nullptr;
    lp->BeginReport(false);
    for (int i = 0; i < 500; ++i)
        lp->PrintLine(u"Zeile %1"_s.arg(i));
    lp->EndReport();
    QVERIFY(lp->PageCount() > 5);
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TListPrnPrgDlg *>(widget)); // closed by EndReport
}

void TestListPrintLayout::badInputEndsWithASaneLayout_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("maxPages");
    QTest::newRow("malformed column formats") << 0 << 2;
    QTest::newRow("absurdly wide and negative columns") << 1 << 2;
    QTest::newRow("100,000 characters, cut") << 2 << 1;
    QTest::newRow("100,000 characters, wrapped") << 3 << 40;
    QTest::newRow("100,000 characters in a narrow wrapped cell") << 4 << 400;
    QTest::newRow("malformed header and footer codes") << 5 << 2;
    QTest::newRow("margins leave no room for a line") << 6 << 12;
    QTest::newRow("font taller than the page") << 7 << 6;
    QTest::newRow("tab size 0") << 8 << 1;
    QTest::newRow("new page from the new-page handler") << 9 << 3;
}

void TestListPrintLayout::badInputEndsWithASaneLayout()
{
    QFETCH(int, kind);
    QFETCH(int, maxPages);
    auto lp = makeReport();
    const QString longText = QString(100000, u'x');
    QString words;
    for (int i = 0; i < 10000; ++i)
        words += u"Wort%1 "_s.arg(i % 10);
    switch (kind) {
    case 5:
        lp->SetFriendlyHeader(u"&"_s);
        lp->SetFriendlyFooter(u"&&&&&&l&c&r&q&"_s);
        lp->SetHeaderFormat(u"<<<|>>>|^^^|-|--5|abc||"_s);
        break;
    case 6:
        lp->SetMarginTop(200);
        lp->SetMarginBottom(200);
        lp->SetMarginLeft(-3);
        lp->OnNewPage = [](TCustomListPrint *sender) { sender->PrintLine(u"Spalten"_s); };
        break;
    case 7:
        lp->SetFont(TListFont::Make(u"Arial"_s, 5000));
        break;
    case 8:
        lp->SetTabSize(0);
        break;
    case 9:
        lp->OnNewPage = [](TCustomListPrint *sender) { sender->NewPage(); };
        break;
    default:
        break;
    }
    lp->BeginReport(false);
    switch (kind) {
    case 0:
        for (const QString &format : { u"<<<|>>>|^^^"_s, u"|||||"_s, u"-|--5|+5|5-"_s, u"<1,2,3|>1.000,5"_s })
            lp->SetTableFormat(format), lp->PrintTableLine(u"a|b|c|d|e|f"_s);
        break;
    case 1:
        lp->SetTableFormat(u"<1E+300|>-1E+300|<0|^-0|<1E-300"_s);
        lp->PrintTableLine(u"a|b|c|d|e"_s);
        lp->SetWordWrap(true);
        lp->PrintTableLine(u"a|b|c|d|e"_s);
        break;
    case 2:
        lp->PrintLine(longText);
        break;
    case 3:
        lp->SetWordWrap(true);
        lp->PrintLine(words);
        lp->PrintLine(longText);
        lp->WriteText(longText);
        break;
    case 4:
        lp->SetWordWrap(true);
        lp->SetTableFormat(u"<5"_s);
        lp->PrintTableLine(words);
        break;
    case 6:
    case 7:
        for (int i = 0; i < 3; ++i)
            lp->PrintLine(u"Zeile"_s);
        break;
    case 8:
        lp->PrintLine(u"a\tb"_s);
        break;
    default:
        lp->PrintLine(u"Zeile"_s);
        lp->NewPage();
        lp->PrintLine(u"Zeile"_s);
        break;
    }
    lp->EndReport();
    QVERIFY(lp->PageCount() >= 1);
    QVERIFY2(lp->PageCount() <= maxPages, qPrintable(QString::number(lp->PageCount())));
    if (kind == 3) {
        int characters = 0;
        for (int page = 1; page <= lp->PageCount(); ++page)
            for (const QString &text : pageTexts(*lp, page))
                characters += int(text.count(u'x'));
        QCOMPARE(characters, 200000); // wrapped, nothing dropped
    }
    if (kind == 6) {
        // Every page holds a line of the report, not only the handler's.
        for (int page = 1; page <= lp->PageCount(); ++page)
            QVERIFY(pageTexts(*lp, page).contains(u"Zeile"_s) || page == lp->PageCount());
    }
}

QTEST_MAIN(TestListPrintLayout)
#include "tst_listprintlayout.moc"
