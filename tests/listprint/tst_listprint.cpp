// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The list printer's properties, page geometry and the rules while a report is built.

#include "ListPrintTestSupport.h"

#include <QLocale>
#include <QScrollBar>
#include <QtTest>
#include <cmath>

using namespace Qt::StringLiterals;

class TestListPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void propertiesStartAtTheirInitialValues();
    void geometryWithoutPrinter_data();
    void geometryWithoutPrinter();
    void geometryOfPdfPrinter();
    void unitConversion_data();
    void unitConversion();
    void marginsAreClamped_data();
    void marginsAreClamped();
    void measureUnitConvertsLengths();
    void lineStepFollowsFontAndSpacing_data();
    void lineStepFollowsFontAndSpacing();
    void copiesAndPrintRange_data();
    void copiesAndPrintRange();
    void changesWhileBuildingRaise_data();
    void changesWhileBuildingRaise();
    void currentPageStaysInRange();
    void hostReceivesMessages();
    void previewPlacesAndPaintsThePage_data();
    void previewPlacesAndPaintsThePage();
    void helpGoesToTheProgramsViewer();
};

void TestListPrint::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    useNoPrinter();
}

void TestListPrint::propertiesStartAtTheirInitialValues()
{
    TTextReportPrint lp;
    QCOMPARE(lp.AbortOnCancel(), false);
    QCOMPARE(lp.Alignment(), taLeftJustify);
    QCOMPARE(lp.Collate(), true);
    QCOMPARE(lp.Copies(), 1);
    QCOMPARE(lp.DefaultColWidth(), 25.0);
    QCOMPARE(lp.MarginTop(), 25.0);
    QCOMPARE(lp.MarginBottom(), 25.0);
    QCOMPARE(lp.MarginLeft(), 25.0);
    QCOMPARE(lp.MarginRight(), 25.0);
    QCOMPARE(lp.MeasureUnit(), muMillimeters);
    QCOMPARE(lp.Orientation(), poPortrait);
    QCOMPARE(lp.PageBorders(), TPageBorders());
    QCOMPARE(lp.PageBorderOffset(), 1.5);
    QCOMPARE(lp.PrintTitle(), u"Listprinting"_s);
    QCOMPARE(lp.PrintToFile(), false);
    QCOMPARE(lp.ProgressMessage(), QString());
    QCOMPARE(lp.ShowProgress(), true);
    QCOMPARE(lp.ShowCancel(), true);
    QCOMPARE(lp.TabSize(), 8);
    QCOMPARE(lp.WordWrap(), false);
    QVERIFY(lp.Lines().isEmpty());
    QCOMPARE(lp.UseRegistry(), false);
    QCOMPARE(lp.RegistryKey(), u"Software\\Kovatek\\DizaVadud"_s);
    QCOMPARE(lp.TableGrids(), true);
    QCOMPARE(lp.LineSpacing(), 1);
    QCOMPARE(lp.FitPrintToPage, true);
    QCOMPARE(lp.PrintWYSIWYG, true);
    QCOMPARE(lp.CurrentPage(), 0);
    QCOMPARE(lp.PageCount(), 0);
    QCOMPARE(lp.FromPage(), 0);
    QCOMPARE(lp.ToPage(), 0);
    QCOMPARE(lp.Font().Font.family(), u"Arial"_s);
    QCOMPARE(lp.Font().Font.pointSizeF(), 9.0);
    QCOMPARE(lp.Font().Font.bold(), false);
    QCOMPARE(lp.HeaderFont(), lp.Font());
    QCOMPARE(lp.FooterFont(), lp.Font());
    QCOMPARE(lp.HeaderFormat(), u"<32|^96|>32"_s);
    QCOMPARE(lp.FooterFormat(), u"<32|^96|>32"_s);
    QCOMPARE(lp.PositionCode(TCustomListPrint::HLeft), 0);
    QCOMPARE(lp.PositionCode(TCustomListPrint::HCenter), 4);
    QCOMPARE(lp.PositionCode(TCustomListPrint::FLeft), 1);
    QCOMPARE(lp.PositionCode(TCustomListPrint::FRight), 2);
}

void TestListPrint::geometryWithoutPrinter_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("paper");
    QTest::addColumn<QPoint>("offset");
    QTest::newRow("A4 in millimetres") << int(muMillimeters) << int(poPortrait) << QSize(2480, 3508) << QPoint(71, 71);
    QTest::newRow("letter in inches") << int(muInches) << int(poPortrait) << QSize(2550, 3300) << QPoint(75, 75);
    QTest::newRow("A4 landscape") << int(muMillimeters) << int(poLandscape) << QSize(3508, 2480) << QPoint(71, 71);
}

void TestListPrint::geometryWithoutPrinter()
{
    QFETCH(int, unit);
    QFETCH(int, orientation);
    QFETCH(QSize, paper);
    QFETCH(QPoint, offset);
    TTextReportPrint lp;
    lp.SetMeasureUnit(TMeasureUnit(unit));
    lp.SetOrientation(TPrinterOrientation(orientation));
    QCOMPARE(lp.Printer(), nullptr);
    QCOMPARE(lp.Geometry().DpiX, 300);
    QCOMPARE(lp.Geometry().DpiY, 300);
    QCOMPARE(lp.Geometry().Paper, paper);
    QCOMPARE(lp.Geometry().Offset, offset);
    // The text area starts at the margin, counted from the printable corner.
    const QRect area = lp.TextArea();
    QCOMPARE(area.left(), lp.UnitsToPixelsX(lp.MarginLeft()) - offset.x());
    QCOMPARE(area.top(), lp.UnitsToPixelsY(lp.MarginTop()) - offset.y());
    QCOMPARE(area.width(), paper.width() - lp.UnitsToPixelsX(lp.MarginLeft()) - lp.UnitsToPixelsX(lp.MarginRight()));
}

void TestListPrint::geometryOfPdfPrinter()
{
    QTemporaryDir dir;
    TTextReportPrint lp;
    lp.SetPrinter(pdfPrinter(dir.filePath(u"a.pdf"_s)));
    QCOMPARE(lp.Geometry().DpiX, 1200);
    QCOMPARE(lp.Geometry().Paper, QSize(9917, 14033)); // A4 is 595 × 842 points
    QCOMPARE(lp.Geometry().Offset, QPoint(0, 0));
    QCOMPARE(lp.TextAreaWidth(), 160.0);
    // A margin of 0 is the printer's offset: none on a PDF page.
    lp.SetMarginLeft(0);
    QCOMPARE(lp.MarginLeft(), 0.0);
}

void TestListPrint::unitConversion_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("length");
    QTest::addColumn<int>("pixels");
    QTest::newRow("one inch in millimetres") << int(muMillimeters) << 25.4 << 300;
    QTest::newRow("25 mm rounds down") << int(muMillimeters) << 25.0 << 295;
    QTest::newRow("1.5 mm rounds up") << int(muMillimeters) << 1.5 << 18;
    QTest::newRow("one inch") << int(muInches) << 1.0 << 300;
    QTest::newRow("half an inch") << int(muInches) << 0.5 << 150;
    QTest::newRow("negative lengths") << int(muInches) << -0.25 << -75;
}

void TestListPrint::unitConversion()
{
    QFETCH(int, unit);
    QFETCH(double, length);
    QFETCH(int, pixels);
    TTextReportPrint lp;
    lp.SetMeasureUnit(TMeasureUnit(unit));
    QCOMPARE(lp.UnitsToPixelsX(length), pixels);
    QCOMPARE(lp.UnitsToPixelsY(length), pixels);
    // Back from whole pixels, within half a pixel.
    const double halfPixel = unit == muMillimeters ? 25.4 / 600 : 1.0 / 600;
    QVERIFY(std::abs(lp.PixelsToUnitsX(pixels) - length) <= halfPixel);
    QVERIFY(std::abs(lp.PixelsToUnitsY(pixels) - length) <= halfPixel);
}

void TestListPrint::marginsAreClamped_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("side");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("pixels");
    QTest::newRow("zero becomes the offset") << int(muMillimeters) << u"left"_s << 0.0 << 71;
    QTest::newRow("negative becomes the offset") << int(muMillimeters) << u"top"_s << -12.0 << 71;
    QTest::newRow("not a number becomes the offset") << int(muMillimeters) << u"right"_s << qQNaN() << 71;
    QTest::newRow("kept inside the page") << int(muMillimeters) << u"bottom"_s << 20.0 << 236;
    QTest::newRow("wider than the paper") << int(muMillimeters) << u"left"_s << 500.0 << 2480 - 71;
    QTest::newRow("taller than the paper") << int(muMillimeters) << u"bottom"_s << 1e9 << 3508 - 71;
    QTest::newRow("inches: zero") << int(muInches) << u"top"_s << 0.0 << 75;
    QTest::newRow("inches: too wide") << int(muInches) << u"right"_s << 100.0 << 2550 - 75;
}

void TestListPrint::marginsAreClamped()
{
    QFETCH(int, unit);
    QFETCH(QString, side);
    QFETCH(double, value);
    QFETCH(int, pixels);
    TTextReportPrint lp;
    lp.SetMeasureUnit(TMeasureUnit(unit));
    if (side == "left"_L1) {
        lp.SetMarginLeft(value);
        QCOMPARE(lp.UnitsToPixelsX(lp.MarginLeft()), pixels);
    } else if (side == "right"_L1) {
        lp.SetMarginRight(value);
        QCOMPARE(lp.UnitsToPixelsX(lp.MarginRight()), pixels);
    } else if (side == "top"_L1) {
        lp.SetMarginTop(value);
        QCOMPARE(lp.UnitsToPixelsY(lp.MarginTop()), pixels);
    } else {
        lp.SetMarginBottom(value);
        QCOMPARE(lp.UnitsToPixelsY(lp.MarginBottom()), pixels);
    }
}

void TestListPrint::measureUnitConvertsLengths()
{
    TTextReportPrint lp;
    lp.SetFriendlyHeader(u"&l&d&c&i&r&t"_s);
    lp.SetTableFormat(u"<50|>-10"_s);
    lp.SetMeasureUnit(muInches);
    QCOMPARE(lp.MarginTop(), 25 / 25.4);
    QCOMPARE(lp.PageBorderOffset(), 1.5 / 25.4);
    QCOMPARE(lp.DefaultColWidth(), 25 / 25.4);
    // Formats keep twelve significant digits.
    QVERIFY(std::abs(ColumnFormat::Parse(lp.TableFormat(), 1).at(1).Width + 10 / 25.4) < 1e-9);
    // The header format follows although friendly codes are set: the header stays on the paper.
    QVERIFY(std::abs(ColumnFormat::Parse(lp.HeaderFormat(), 1).at(1).Width - 96 / 25.4) < 1e-9);
    QCOMPARE(lp.TextAreaWidth(), 8.5 - 50 / 25.4); // without a printer the paper is letter in inches
    lp.SetMeasureUnit(muMillimeters);
    QCOMPARE(lp.MarginTop(), 25.0);
    QCOMPARE(lp.DefaultColWidth(), 25.0);
    QCOMPARE(lp.TableFormat(), u"<50|>-10"_s);
    QCOMPARE(lp.HeaderFormat(), u"<32|^96|>32"_s);
}

void TestListPrint::lineStepFollowsFontAndSpacing_data()
{
    QTest::addColumn<int>("spacing");
    QTest::addColumn<int>("step");
    // 18 pt at 300 dpi are 75 pixels.
    QTest::newRow("half") << 0 << 37;
    QTest::newRow("single") << 1 << 75;
    QTest::newRow("one and a half") << 2 << 112;
    QTest::newRow("double") << 3 << 150;
    QTest::newRow("out of range is double") << 9 << 150;
}

void TestListPrint::lineStepFollowsFontAndSpacing()
{
    QFETCH(int, spacing);
    QFETCH(int, step);
    TTextReportPrint lp;
    lp.SetFont(TListFont::Make(u"Arial"_s, 18));
    lp.SetLineSpacing(spacing);
    QCOMPARE(lp.LineStep(), step);
}

void TestListPrint::copiesAndPrintRange_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("fromPage");
    QTest::addColumn<int>("toPage");
    QTest::newRow("no copies is one") << QStringList { u"c0"_s } << 1 << 0 << 0;
    QTest::newRow("negative copies") << QStringList { u"c-3"_s } << 1 << 0 << 0;
    QTest::newRow("from above to raises to") << QStringList { u"t3"_s, u"f5"_s } << 1 << 5 << 5;
    QTest::newRow("to below from lowers from") << QStringList { u"f4"_s, u"t2"_s } << 1 << 2 << 2;
    QTest::newRow("to the last page stays") << QStringList { u"f5"_s } << 1 << 5 << 0;
    QTest::newRow("from the first page stays") << QStringList { u"t2"_s } << 1 << 0 << 2;
    QTest::newRow("to 0 keeps from") << QStringList { u"f2"_s, u"t3"_s, u"t0"_s } << 1 << 2 << 0;
    QTest::newRow("negative pages are 0") << QStringList { u"f-1"_s, u"t-4"_s } << 1 << 0 << 0;
}

void TestListPrint::copiesAndPrintRange()
{
    QFETCH(QStringList, steps);
    QFETCH(int, copies);
    QFETCH(int, fromPage);
    QFETCH(int, toPage);
    TTextReportPrint lp;
    for (const QString &step : std::as_const(steps)) {
        const int value = step.mid(1).toInt();
        if (step.startsWith(u'c'))
            lp.SetCopies(value);
        else if (step.startsWith(u'f'))
            lp.SetFromPage(value);
        else
            lp.SetToPage(value);
    }
    QCOMPARE(lp.Copies(), copies);
    QCOMPARE(lp.FromPage(), fromPage);
    QCOMPARE(lp.ToPage(), toPage);
}

void TestListPrint::changesWhileBuildingRaise_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("margin") << 0 << u"Während des Druckens kann der Rand nicht gesetzt werden"_s;
    QTest::newRow("file name") << 1 << u"Dateiname kann während des Druckens nicht geändert werden"_s;
    QTest::newRow("print to file") << 2 << u"Druck in Datei kann während des Druckes nicht geändert werden"_s;
    QTest::newRow("orientation") << 3 << u"Sende Seiten an Drucker"_s;
    QTest::newRow("another report") << 4 << u"Kein Neuaufbau während des Druckens"_s;
}

void TestListPrint::changesWhileBuildingRaise()
{
    QFETCH(int, change);
    QFETCH(QString, message);
    TTextReportPrint lp;
    lp.SetShowProgress(false);
    lp.BeginReport(false);
    lp.PrintLine(u"Zeile"_s);
    QString raised;
    try {
        switch (change) {
        case 0:
            lp.SetMarginTop(30);
            break;
        case 1:
            lp.SetFileName(u"anders.txt"_s);
            break;
        case 2:
            lp.SetPrintToFile(true);
            break;
        case 3:
            lp.SetOrientation(poLandscape);
            break;
        default:
            lp.BeginReport(false);
            break;
        }
    } catch (const EPagePrinter &error) {
        raised = error.Message();
    }
    QCOMPARE(raised, message);
    // The report goes on undisturbed.
    lp.PrintLine(u"weiter"_s);
    lp.EndReport();
    QCOMPARE(pageTexts(lp, 1), (QStringList { u"Zeile"_s, u"weiter"_s }));
    QCOMPARE(lp.MarginTop(), 25.0);
    // Afterwards the same changes are allowed; the same file name never was an error.
    lp.SetMarginTop(30);
    lp.SetFileName(u"  anders.txt "_s);
    QCOMPARE(lp.FileName(), u"anders.txt"_s);
}

void TestListPrint::currentPageStaysInRange()
{
    TTextReportPrint lp;
    lp.SetShowProgress(false);
    lp.SetCurrentPage(5);
    QCOMPARE(lp.CurrentPage(), 0);
    lp.BeginReport(false);
    lp.NewPage();
    lp.NewPage();
    lp.EndReport();
    QCOMPARE(lp.PageCount(), 3);
    QCOMPARE(lp.CurrentPage(), 1);
    lp.SetCurrentPage(3);
    QCOMPARE(lp.CurrentPage(), 3);
    for (const int page : { 0, 4 }) {
        QVERIFY_THROWS_EXCEPTION(EPagePrinter, lp.SetCurrentPage(page));
        try {
            lp.SetCurrentPage(page);
        } catch (const EPagePrinter &error) {
            QCOMPARE(error.Message(), u"Seitennummer muß zwischen 1 und 3 liegen"_s);
        }
    }
    QCOMPARE(lp.CurrentPage(), 3);
}

void TestListPrint::hostReceivesMessages()
{
    class THost : public QWidget {
    public:
        QList<int> Messages;
        bool event(QEvent *event) override
        {
            for (const int message : { LPM_REBUILD, LPM_EXPORT }) {
                if (event->type() == TListPrintEvent::TypeOf(message)) {
                    Messages.append(static_cast<TListPrintEvent *>(event)->Message);
                    return true;
                }
            }
            return QWidget::event(event);
        }
    } host;
    auto *lp = new TTextReportPrint(&host);
    QVERIFY(lp->SendHostMessage(LPM_REBUILD));
    QCOMPARE(host.Messages, QList<int> { 0x1401 });
    lp->PostHostMessage(LPM_EXPORT);
    QCOMPARE(host.Messages.size(), 1);
    QTRY_COMPARE(host.Messages, (QList<int> { 0x1401, 0x1402 }));
}

void TestListPrint::previewPlacesAndPaintsThePage_data()
{
    QTest::addColumn<int>("location");
    QTest::addColumn<bool>("centredAcross");
    QTest::addColumn<bool>("centredDown");
    QTest::newRow("top left") << int(zlTopLeft) << false << false;
    QTest::newRow("top centre") << int(zlTopCenter) << true << false;
    QTest::newRow("centre") << int(zlCenter) << true << true;
}

void TestListPrint::previewPlacesAndPaintsThePage()
{
    QFETCH(int, location);
    QFETCH(bool, centredAcross);
    QFETCH(bool, centredDown);
    TTextReportPrint lp;
    lp.resize(400, 300);
    lp.SetShowProgress(false);
    lp.SetShadowOffset(0);
    lp.BeginReport(false);
    TListFont big = TListFont::Make(u"Arial"_s, 72);
    big.Color = Qt::blue;
    lp.SetFont(big);
    lp.PrintLine(u"\u2588\u2588\u2588"_s); // solid blocks
    lp.EndReport();
    lp.show();
    lp.SetZoomLocation(TZoomLocation(location));
    lp.SetZoomPercent(100);
    QScrollBar *h = lp.horizontalScrollBar();
    QScrollBar *v = lp.verticalScrollBar();
    QVERIFY(h->maximum() > 0 && v->maximum() > 0);
    QCOMPARE(h->value(), centredAcross ? (h->minimum() + h->maximum()) / 2 : h->minimum());
    QCOMPARE(v->value(), centredDown ? (v->minimum() + v->maximum()) / 2 : v->minimum());

    // At 100 % the page has its paper size on the screen; the blocks sit at the margins.
    lp.SetZoomLocation(zlTopLeft);
    QWidget *box = lp.findChild<QWidget *>(u"PaintBox"_s);
    QVERIFY(box);
    const QImage image = box->grab().toImage();
    const qreal pixelsPerMm = box->logicalDpiX() / 25.4;
    const QPoint inBlock(int((25 + 3) * pixelsPerMm), int((25 + 10) * pixelsPerMm));
    QCOMPARE(image.pixelColor(inBlock), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(QPoint(int(10 * pixelsPerMm), int(10 * pixelsPerMm))), QColor(Qt::white));
}

void TestListPrint::helpGoesToTheProgramsViewer()
{
    TMessageLog messages;
    ListPrintUi::SetProgramFolder(u"/opt/rufwerk"_s);
    ListPrintUi::ShowHelp(3333, nullptr);
    QCOMPARE(messages.Entries, QStringList { u"Error: Helpfile /opt/rufwerk/ListPrinter not found!"_s });
    QList<int> shown;
    ListPrintUi::SetHelpHandler([&](int context, QWidget *) { shown << context; });
    ListPrintUi::ShowHelp(3334, nullptr);
    QCOMPARE(shown, QList<int> { 3334 });
    QCOMPARE(QLatin1String(ListPrintUi::HelpFile), "ListPrinter"_L1);
    ListPrintUi::SetHelpHandler({});
    ListPrintUi::SetProgramFolder(QString());
}

QTEST_MAIN(TestListPrint)
#include "tst_listprint.moc"
