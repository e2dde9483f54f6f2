// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The print toolbar over a list printer: zoom, paging, the output menu, the way back.

#include "FormSettings.h"
#include "LPToolBar.h"
#include "ListPrintTestSupport.h"

#include <QAbstractSlider>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

/// A window with the toolbar over a list printer that builds Rows numbered lines.
class TReportWindow : public QWidget {
public:
    explicit TReportWindow(int rows)
        : Rows(rows)
    {
        resize(640, 480);
        auto *column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        ToolBar = new TLPToolBar(this);
        ListPrint = new TTextReportPrint(this);
        ListPrint->SetShowProgress(false);
        ToolBar->SetDizaVadud(ListPrint);
        column->addWidget(ToolBar);
        column->addWidget(ListPrint, 1);
    }

    void Build()
    {
        if (Rows == 0)
            return;
        ListPrint->BeginReport(false);
        for (int row = 1; row <= Rows; ++row)
            ListPrint->PrintLine(u"Zeile %1"_s.arg(row));
        ListPrint->EndReport();
        ++Builds;
    }

    template <typename T = QToolButton> T *Control(const char *name) const
    {
        T *found = findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QAction *Entry(const char *name) const { return ToolBar->OutputMenu()->findChild<QAction *>(QLatin1String(name)); }
    QString PageField() const { return Control<QLabel>("LabelPage")->text(); }

    int Rows;
    int Builds = 0;
    int Exports = 0;
    TLPToolBar *ToolBar;
    TTextReportPrint *ListPrint;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == TListPrintEvent::TypeOf(LPM_REBUILD)) {
            Build();
            return true;
        }
        if (event->type() == TListPrintEvent::TypeOf(LPM_EXPORT)) {
            ++Exports;
            return true;
        }
        return QWidget::event(event);
    }
};

/// Lines of the plain line report that fill about this many pages.
int rowsForPages(int pages)
{
    TTextReportPrint probe;
    probe.SetShowProgress(false);
    const int perPage = probe.TextArea().height() / probe.LineStep();
    return pages * perPage - perPage / 2;
}

} // namespace

class TestLPToolBar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void controlsAtStart_data();
    void controlsAtStart();
    void zoomButtonWalksTheRange();
    void zoomKeepsThePageCentredAtTheTop();
    void pagingSteps_data();
    void pagingSteps();
    void outputMenu();
    void pdfHoldsTheRows();
    void pdfFailuresAreReported();
    void settingsHelpAndBack();
    void listPrinterGoneLeavesTheToolbar();
};

void TestLPToolBar::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    useNoPrinter();
}

void TestLPToolBar::controlsAtStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("bold");
    QTest::newRow("zoom") << u"BtnZoom"_s << QRect(154, 5, 23, 24) << QString() << u"Zoomstufe"_s
                          << u"Zoom ändern um 25%"_s << true << false;
    QTest::newRow("previous") << u"BtnPrevPage"_s << QRect(179, 5, 23, 24) << QString() << u"Vorherige Seite"_s
                              << u"Zur Vorseite gehen"_s << false << false;
    QTest::newRow("next") << u"BtnNextPage"_s << QRect(301, 5, 23, 24) << QString() << u"Nächste Seite"_s
                          << u"Zur nächsten Seite gehen"_s << true << true;
    QTest::newRow("help") << u"BtnHelp"_s << QRect(326, 5, 23, 24) << QString() << u"Hilfe"_s
                          << u"Lokale Hilfe aufrufen"_s << true << true;
    QTest::newRow("settings") << u"BtnSettings"_s << QRect(351, 5, 90, 24) << u"&Einstellung"_s
                              << u"Einstellungs-Dialog..."_s << u"Einstellungs-Dialog öffnen"_s << true << true;
    QTest::newRow("output") << u"BtnOutput"_s << QRect(443, 5, 90, 24) << u"&Ausgabe.."_s << u"Drucken"_s
                            << u"Druck-Dialog öffnen"_s << true << true;
    QTest::newRow("back") << u"BtnBack"_s << QRect(535, 5, 90, 24) << u"&Zurück"_s << u"Zurück"_s
                          << u"Zurück zum Vordialog"_s << true << true;
}

void TestLPToolBar::controlsAtStart()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QString, status);
    QFETCH(bool, enabled);
    QFETCH(bool, bold);
    TLPToolBar bar;
    QCOMPARE(bar.height(), 35);
    auto *button = bar.findChild<QToolButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(button->statusTip(), status);
    QCOMPARE(button->isEnabled(), enabled);
    QCOMPARE(button->font().bold(), bold);
    QVERIFY(!button->icon().isNull());

    auto *track = bar.findChild<QSlider *>(u"TrackBarZoom"_s);
    QCOMPARE(track->value(), 35);
    QCOMPARE(track->minimum(), 20);
    QCOMPARE(track->maximum(), 120);
    QCOMPARE(track->pageStep(), 10);
    QCOMPARE(track->tickInterval(), 20);
    QCOMPARE(track->toolTip(), u"Zoom: 35%"_s);
    QCOMPARE(bar.findChild<QLabel *>(u"LabelPage"_s)->text(), u"Seite 0 of 0"_s);
}

void TestLPToolBar::zoomButtonWalksTheRange()
{
    TReportWindow window(10);
    window.Build();
    auto *track = window.Control<QSlider>("TrackBarZoom");
    QList<int> zooms;
    for (int i = 0; i < 9; ++i) {
        window.ListPrint->SetZoomLocation(zlCenter);
        window.Control("BtnZoom")->click();
        zooms << window.ListPrint->ZoomPercent();
        QCOMPARE(track->value(), window.ListPrint->ZoomPercent());
        QCOMPARE(window.ListPrint->ZoomLocation(), zlTopCenter);
    }
    QCOMPARE(zooms, (QList<int> { 60, 85, 110, 120, 95, 70, 45, 20, 45 }));
    QCOMPARE(track->toolTip(), u"Zoom: 45%"_s);
    QCOMPARE(track->statusTip(), u"Zoom mit Klick vor oder hinter der Zunge oder mit Pfeiltasten ändern"_s);
    QCOMPARE(window.PageField(), u"Seite 1 of 1"_s);
}

void TestLPToolBar::zoomKeepsThePageCentredAtTheTop()
{
    TReportWindow window(10);
    window.Build();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.ListPrint->SetZoomLocation(zlCenter);
    window.Control<QSlider>("TrackBarZoom")->setValue(120);
    QScrollBar *h = window.ListPrint->horizontalScrollBar();
    QScrollBar *v = window.ListPrint->verticalScrollBar();
    QVERIFY(h->maximum() > 0);
    QVERIFY(v->maximum() > 0);
    QCOMPARE(h->value(), (h->minimum() + h->maximum()) / 2);
    QCOMPARE(v->value(), v->minimum());
}

void TestLPToolBar::pagingSteps_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("clicks"); // "n" next, "p" previous
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QList<bool>>("previousEnabled");
    QTest::addColumn<QList<bool>>("nextEnabled");
    QTest::newRow("one page: next changes nothing, then is off")
        << 1 << QStringList { u"n"_s } << QStringList { u"Seite 1 of 1"_s } << QList<bool> { false }
        << QList<bool> { false };
    QTest::newRow("three pages forth and back")
        << 3 << QStringList { u"n"_s, u"n"_s, u"n"_s, u"p"_s, u"p"_s }
        << QStringList { u"Seite 2 of 3"_s, u"Seite 3 of 3"_s, u"Seite 3 of 3"_s, u"Seite 2 of 3"_s, u"Seite 1 of 3"_s }
        << QList<bool> { true, true, true, true, false } << QList<bool> { true, false, false, true, true };
}

void TestLPToolBar::pagingSteps()
{
    QFETCH(int, pages);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, fields);
    QFETCH(QList<bool>, previousEnabled);
    QFETCH(QList<bool>, nextEnabled);
    TReportWindow window(rowsForPages(pages));
    window.Build();
    QCOMPARE(window.ListPrint->PageCount(), pages);
    QVERIFY(!window.Control("BtnPrevPage")->isEnabled());
    QVERIFY(window.Control("BtnNextPage")->isEnabled()); // also with a single page
    for (qsizetype i = 0; i < clicks.size(); ++i) {
        QToolButton *button = window.Control(clicks.at(i) == "n"_L1 ? "BtnNextPage" : "BtnPrevPage");
        if (button->isEnabled())
            button->click();
        QCOMPARE(window.PageField(), fields.at(i));
        QCOMPARE(window.Control("BtnPrevPage")->isEnabled(), previousEnabled.at(i));
        QCOMPARE(window.Control("BtnNextPage")->isEnabled(), nextEnabled.at(i));
    }
    window.ToolBar->ShowPosition();
    QCOMPARE(window.PageField(), u"Seite %1 von %2"_s.arg(window.ListPrint->CurrentPage()).arg(pages));
}

void TestLPToolBar::outputMenu()
{
    TMessageLog messages;
    TReportWindow window(0);
    window.show();
    QMenu *menu = window.ToolBar->OutputMenu();
    QStringList visible;
    for (QAction *action : menu->actions())
        if (action->isVisible())
            visible << (action->isSeparator() ? u"-"_s : action->text());
    QCOMPARE(
        visible, (QStringList { u".. zum &Drucker"_s, u"Als &PDF speichern"_s, u"-"_s, u"&Vorschau neu erstellen"_s }));
    QCOMPARE(window.Entry("MIExport")->text(), u".. nach &Excel"_s);
    QCOMPARE(window.Entry("MIPrint")->statusTip(), u"Ausgabe auf Drucker"_s);

    window.Control("BtnOutput")->click();
    QTRY_VERIFY(menu->isVisible());
    const QPoint below = window.Control("BtnOutput")->mapToGlobal(QPoint(0, 25));
    QCOMPARE(menu->pos(), below);
    menu->hide();

    // Without pages there is nothing to print or to save.
    window.Entry("MIPrint")->trigger();
    window.Entry("MIPdf")->trigger();
    QCOMPARE(messages.Entries,
        (QStringList { u"Information: Kein Inhalt zum drucken"_s, u"Information: Kein Inhalt zum drucken"_s }));

    window.Rows = 5;
    window.Entry("MIRebuild")->trigger();
    QCOMPARE(window.Builds, 1);
    QCOMPARE(window.ListPrint->PageCount(), 1);
    window.Entry("MIExport")->trigger();
    QCOMPARE(window.Exports, 1);
}

void TestLPToolBar::pdfHoldsTheRows()
{
    if (!havePdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed.");
    TMessageLog messages;
    QTemporaryDir dir;
    const int rows = rowsForPages(2);
    TReportWindow window(rows);
    window.Build();
    QString proposed;
    ListPrintUi::SetSaveFileHook([&](const QString &, const QString &proposal) {
        proposed = proposal;
        return dir.filePath(u"bericht"_s);
    });
    window.ToolBar->PdfFileName = u"Gebührenreport.pdf"_s;
    window.Entry("MIPdf")->trigger();
    ListPrintUi::SetSaveFileHook({});
    QVERIFY(proposed.endsWith(u"/Gebührenreport.pdf"_s));
    const QString pdf = dir.filePath(u"bericht.pdf"_s);
    QCOMPARE(messages.Entries, QStringList { u"Information: Inhalt gesichert in Datei "_s + pdf });
    QVERIFY(!QFile::exists(pdf + u".part"_s));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pdfPageLines(pages.at(0)).contains(u"Zeile 1"_s));
    QVERIFY(pdfPageLines(pages.at(1)).contains(u"Zeile %1"_s.arg(rows)));
}

void TestLPToolBar::pdfFailuresAreReported()
{
    TMessageLog messages;
    QTemporaryDir dir;
    TReportWindow window(3);
    window.Build();
    // Cancelled: nothing happens.
    ListPrintUi::SetSaveFileHook([](const QString &, const QString &) { return QString(); });
    window.Entry("MIPdf")->trigger();
    QVERIFY(messages.Entries.isEmpty());
    // A folder that does not exist: the reason, and no file.
    const QString missing = dir.filePath(u"fehlt/bericht.pdf"_s);
    ListPrintUi::SetSaveFileHook([&](const QString &, const QString &) { return missing; });
    window.Entry("MIPdf")->trigger();
    ListPrintUi::SetSaveFileHook({});
    QCOMPARE(messages.Entries.size(), 1);
    QVERIFY2(messages.Entries.at(0).startsWith(u"Error: Die Datei "_s + missing + u" kann nicht geschrieben werden."_s),
        qPrintable(messages.Entries.at(0)));
    QVERIFY(messages.Entries.at(0).contains(u"existiert nicht"_s));
    QVERIFY(!QFile::exists(missing));
}

void TestLPToolBar::settingsHelpAndBack()
{
    TMessageLog messages;
    TSettingsFixture settings;
    QList<int> help;
    ListPrintUi::SetHelpHandler([&](int context, QWidget *) { help << context; });
    TReportWindow window(5);
    window.Build();
    window.show();
    window.Control("BtnHelp")->click();
    QCOMPARE(help, QList<int> { 3333 });

    TFormSettings::ExecHook = [](TFormSettings *dialog) {
        dialog->findChild<QAbstractSlider *>(u"UpDown"_s)->setValue(75);
        dialog->findChild<QToolButton *>(u"BtnApply"_s)->click();
        dialog->reject();
        return 0;
    };
    window.Control("BtnSettings")->click();
    TFormSettings::ExecHook = {};
    ListPrintUi::SetHelpHandler({});
    QCOMPARE(window.ListPrint->ZoomPercent(), 75);
    QCOMPARE(window.Control<QSlider>("TrackBarZoom")->value(), 75);
    QCOMPARE(window.Builds, 2); // the rebuild of the accepted changes

    window.Control("BtnBack")->click();
    QVERIFY(!window.isVisible());
}

void TestLPToolBar::listPrinterGoneLeavesTheToolbar()
{
    TReportWindow window(3);
    window.Build();
    delete window.ListPrint;
    QCOMPARE(window.ToolBar->DizaVadud(), nullptr);
    for (const char *name : { "BtnZoom", "BtnNextPage", "BtnSettings" })
        window.Control(name)->click();
    window.Entry("MIRebuild")->trigger();
    QCOMPARE(window.PageField(), u"Seite 0 of 0"_s);
}

QTEST_MAIN(TestLPToolBar)
#include "tst_lptoolbar.moc"
