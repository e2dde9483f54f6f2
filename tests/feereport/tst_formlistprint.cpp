// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The fee report's print preview: the printout built from the fee report window.

#include "FeeFixtures.h"
#include "Folders.h"
#include "FormFeeReport.h"
#include "FormListPrint.h"
#include "FormSettings.h"
#include "LPToolBar.h"
#include "ListPrintTestSupport.h"
#include "MessageDialog.h"
#include "RASStrList.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QStringList ColumnHeaders
    = { u"Datum"_s, u"Zeit"_s, u"DFÜ-Verbindung"_s, u"Rufnummer"_s, u"Gebühr"_s, u"Dauer"_s, u"Kosten"_s };

QStringList records(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << record(u"%1.12.2026"_s.arg(i % 28 + 1, 2, 10, QLatin1Char('0')), u"00:01:00"_s, u"0,0200 €"_s,
            u"Netz %1"_s.arg(i + 1));
    return lines;
}

/// The page's texts from the first text equal to first on, count of them.
QStringList textsFrom(const QStringList &texts, const QString &first, int count)
{
    return texts.mid(texts.indexOf(first), count);
}

} // namespace

class TestFormListPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        Folders::reset();
        useNoPrinter();
    }

    void init()
    {
        m_errors.clear();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_errors << text;
            return false;
        });
        m_settings = std::make_unique<TSettingsFixture>();
        m_messages = std::make_unique<TMessageLog>();
        m_lists = std::make_unique<TRASStrList>();
        QFile::remove(Folders::programFolder() + u"FeeReport.BMP"_s);
    }

    void cleanup()
    {
        m_preview.reset();
        m_report.reset();
        m_messages.reset();
        m_settings.reset();
        TFormListPrint::ExecHook = nullptr;
        MessageDialog::SetHook(nullptr);
    }

    void emptyLogOpensWithoutPages()
    {
        open({});
        bool shown = false;
        TFormListPrint::ExecHook = [&shown](TFormListPrint *preview) {
            shown = true;
            preview->FormActivate();
            [&] {
                QCOMPARE(preview->TextReportPrint->PageCount(), 0);
                QCOMPARE(preview->findChild<QLabel *>(u"LabelPage"_s)->text(), u"Seite 0 von 0"_s);
            }();
            preview->LPToolBar1->OutputMenu()->findChild<QAction *>(u"MIPrint"_s)->trigger();
            return 0;
        };
        m_report->findChild<QPushButton *>(u"BtnPrint"_s)->click();
        QVERIFY(shown);
        QCOMPARE(m_messages->Entries, QStringList { u"Information: Kein Inhalt zum drucken"_s });
    }

    void printoutOfTheFeeReport()
    {
        open({ record(u"01.12.2026"_s, u"00:12:34"_s, u"0,2600 €"_s, u"Netzwerk Nord"_s),
            record(u"03.12.2026"_s, u"01:00:00"_s, u"1,2000 €"_s, u"Callnet Flat"_s) });
        QCOMPARE(m_preview->windowTitle(), u"Gebührenreport Drucker"_s);
        QCOMPARE(m_preview->size(), QSize(640, 480));
        QCOMPARE(m_preview->property("HelpContext").toInt(), 3333);
        QCOMPARE(m_preview->property("HelpFile").toString(), u"ListPrinter"_s); // F1 opens the list printer's help
        m_preview->BuildReport();
        TTextReportPrint *lp = m_preview->TextReportPrint;
        QCOMPARE(lp->PageCount(), 1);
        const QStringList texts = pageTexts(*lp, 1);
        QCOMPARE(textsFrom(texts, u"Gebührenreport für Periode"_s, 2),
            (QStringList { u"Gebührenreport für Periode"_s, u"vom: 01.12.2026 bis: 03.12.2026"_s }));
        QCOMPARE(textsFrom(texts, u"Datum"_s, 7), ColumnHeaders);
        QCOMPARE(textsFrom(texts, u"01.12.2026"_s, 7),
            (QStringList { u"01.12.2026"_s, u"10:00:00"_s, u"Netzwerk Nord"_s, u"0301234"_s, u"2 Ct/min"_s,
                u"00:12:34"_s, u"0,2600 €"_s }));
        QCOMPARE(textsFrom(texts, u"03.12.2026"_s, 3).last(), u"Callnet Flat"_s);
        QCOMPARE(textsFrom(texts, u"Summe:   "_s, 3), (QStringList { u"Summe:   "_s, u"01:12:34"_s, money(u"1,46") }));
        QVERIFY(texts.indexOf(u"Verbindungsdauer und Verbindungskosten sind Näherungswerte"_s)
            > texts.indexOf(u"Summe:   "_s));
        // Page header and footer: title in the middle, export file and page number below.
        QVERIFY(texts.contains(u"Kovatek Rufwerk"_s));
        QVERIFY(texts.contains(u"DizaVadud.TXT"_s));
        QVERIFY(texts.contains(u" Seite: 1"_s));
        QVERIFY(!texts.contains(u"Internet-Verbindungen"_s));
        QVERIFY(m_messages->Entries.isEmpty());
    }

    void headerAndFooterSpanTheTextArea()
    {
        open(records(3));
        TTextReportPrint *lp = m_preview->TextReportPrint;
        m_preview->BuildReport();
        QCOMPARE(lp->HeaderFormat(), u"<32|^96|>32"_s);
        // Landscape: the header columns follow the wider text area, as the table does.
        m_settings->Store->Values.insert(TMemorySettings::Path(lp->SettingsKey(), u"Portrait"_s), u"0"_s);
        m_preview->BuildReport();
        QCOMPARE(lp->Orientation(), poLandscape);
        QCOMPARE(lp->HeaderFormat(), u"<49,4|^148,2|>49,4"_s);
        QCOMPARE(lp->FooterFormat(), lp->HeaderFormat());
    }

    void cellFormatsByLineKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("percent");
        QTest::addColumn<QList<int>>("alignment");
        QTest::addColumn<bool>("bold");
        const int l = taLeftJustify, r = taRightJustify, c = taCenter;
        QTest::newRow("column header") << 5 << QList<int> { 13, 10, 24, 15, 14, 12, 12 }
                                       << QList<int> { c, c, c, c, c, c, c } << true;
        QTest::newRow("fee row") << 6 << QList<int> { 13, 10, 24, 15, 14, 12, 12 } << QList<int> { l, l, c, l, r, r, r }
                                 << false;
        QTest::newRow("sum row") << 7 << QList<int> { 76, 12, 12 } << QList<int> { r, r, r } << true;
    }

    void cellFormatsByLineKind()
    {
        QFETCH(int, kind);
        QFETCH(QList<int>, percent);
        QFETCH(QList<int>, alignment);
        QFETCH(bool, bold);
        open(records(1));
        TTextReportPrint *lp = m_preview->TextReportPrint;
        lp->LineKind = kind;
        for (int col = 1; col <= percent.size(); ++col) {
            TTableLineColumnInfo info { u"x"_s, 25, taLeftJustify, false };
            m_preview->TextReportPrintGetCellFormat(lp, col, info);
            QCOMPARE(info.Width, 160.0 * percent.at(col - 1) / 100); // of the A4 text area, 160 mm
            QCOMPARE(int(info.Alignment), alignment.at(col - 1));
            QVERIFY(info.Frame);
            QCOMPARE(lp->Font().Font.bold(), bold);
            QCOMPARE(lp->Font().Font.pointSize(), 9);
        }
        // Any other kind is left as it is.
        lp->LineKind = 0;
        TTableLineColumnInfo info { u"x"_s, 25, taLeftJustify, false };
        m_preview->TextReportPrintGetCellFormat(lp, 1, info);
        QCOMPARE(info.Width, 25.0);
        QVERIFY(!info.Frame);
    }

    void columnHeaderOnEveryPage()
    {
        open(records(120));
        m_preview->BuildReport();
        TTextReportPrint *lp = m_preview->TextReportPrint;
        QCOMPARE(lp->PageCount(), 3);
        for (int page = 2; page <= 3; ++page) {
            const QList<TPageList::TText> texts = lp->Pages().Texts(page - 1);
            QStringList first;
            for (int i = 0; i < 7; ++i)
                first << texts.at(i).Text;
            QCOMPARE(first, ColumnHeaders);
            QVERIFY(lp->Pages().Font(texts.at(0).Font).bold());
            // The fee rows after the break keep their own font, below the header row.
            const auto row = std::find_if(texts.begin(), texts.end(),
                [](const TPageList::TText &text) { return text.Text.startsWith(u"Netz "_s); });
            QVERIFY(row != texts.end());
            QVERIFY(!lp->Pages().Font(row->Font).bold());
            QVERIFY(row->Baseline.y() > texts.at(0).Baseline.y());
            // The page header lies above the column header.
            for (const TPageList::TText &text : texts)
                if (text.Text == u"Kovatek Rufwerk"_s)
                    QVERIFY(text.Baseline.y() < texts.at(0).Baseline.y());
        }
        // Every record is printed once.
        int rows = 0;
        for (int page = 1; page <= 3; ++page)
            rows += int(pageTexts(*lp, page).filter(u"Netz "_s).size());
        QCOMPARE(rows, 120);
    }

    void sumRowAsTheReportShowsIt_data()
    {
        QTest::addColumn<bool>("deletePeriod");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("cost");
        QTest::newRow("on opening") << false << u"01:12:34"_s << money(u"1,46");
        QTest::newRow("after a period deletion") << true << u"4354 s"_s << money(u"1,46");
    }

    void sumRowAsTheReportShowsIt()
    {
        QFETCH(bool, deletePeriod);
        QFETCH(QString, time);
        QFETCH(QString, cost);
        open({ record(u"01.12.2026"_s, u"00:12:34"_s, u"0,2600 €"_s),
            record(u"02.12.2026"_s, u"00:00:10"_s, u"9,0000 €"_s),
            record(u"03.12.2026"_s, u"01:00:00"_s, u"1,2000 €"_s) });
        auto *table = m_report->findChild<QTableView *>(u"ListBoxFees"_s);
        if (deletePeriod) {
            table->selectionModel()->select(
                table->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            m_report->findChild<QPushButton *>(u"BtnDelPeriod"_s)->click();
        } else {
            // Opening sums all three.
            time = u"01:12:44"_s;
            cost = money(u"10,46");
        }
        QCOMPARE(m_report->TotalTime(), time);
        QCOMPARE(m_report->TotalCost(), cost);
        m_preview->BuildReport();
        const QStringList texts = pageTexts(*m_preview->TextReportPrint, 1);
        QCOMPARE(textsFrom(texts, u"Summe:   "_s, 3), (QStringList { u"Summe:   "_s, time, cost }));
        QCOMPARE(texts.contains(u"02.12.2026"_s), !deletePeriod);
    }

    void logoBitmap_data()
    {
        QTest::addColumn<bool>("image");
        QTest::newRow("a bitmap") << true;
        QTest::newRow("not a bitmap") << false;
    }

    void logoBitmap()
    {
        QFETCH(bool, image);
        const QString logo = Folders::programFolder() + u"FeeReport.BMP"_s;
        if (image) {
            QImage bitmap(300, 120, QImage::Format_RGB32);
            bitmap.fill(Qt::red);
            QVERIFY(bitmap.save(logo, "BMP"));
        } else {
            QFile file(logo);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("kein Bild");
        }
        open(records(2));
        m_preview->BuildReport();
        TTextReportPrint *lp = m_preview->TextReportPrint;
        const QList<QRect> images = lp->Pages().ImageRects(0);
        QCOMPARE(images.size(), image ? 1 : 0);
        const QList<TPageList::TText> texts = lp->Pages().Texts(0);
        auto baseline = [&texts](const QString &text) {
            for (const TPageList::TText &t : texts)
                if (t.Text == text)
                    return t.Baseline.y();
            return -1;
        };
        QCOMPARE(baseline(u"Internet-Verbindungen"_s) >= 0, image);
        QVERIFY(baseline(u"Datum"_s) > 0);
        QVERIFY(m_messages->Entries.isEmpty());
        if (image) {
            // Centred between the title and the table, its caption below it.
            const QRect area = lp->TextArea();
            QCOMPARE(images.at(0).size(), QSize(300, 120));
            QVERIFY(qAbs(images.at(0).center().x() - area.center().x()) <= 1);
            QVERIFY(images.at(0).top() > baseline(u"vom: 01.12.2026 bis: 02.12.2026"_s));
            QVERIFY(images.at(0).bottom() < baseline(u"Internet-Verbindungen"_s));
            QVERIFY(baseline(u"Internet-Verbindungen"_s) < baseline(u"Datum"_s));
        }
    }

    void pagingAndZoomInTheWindow()
    {
        open(records(2));
        m_preview->BuildReport();
        m_preview->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_preview.get()));
        m_preview->FormActivate();
        auto *next = m_preview->findChild<QToolButton *>(u"BtnNextPage"_s);
        auto *page = m_preview->findChild<QLabel *>(u"LabelPage"_s);
        QCOMPARE(page->text(), u"Seite 1 von 1"_s);
        // A single page: next is offered at first, changes nothing and is then off.
        QVERIFY(next->isEnabled());
        next->click();
        QCOMPARE(page->text(), u"Seite 1 of 1"_s);
        QVERIFY(!next->isEnabled());

        TTextReportPrint *lp = m_preview->TextReportPrint;
        QCOMPARE(lp->ZoomLocation(), zlTopCenter);
        lp->SetZoomLocation(zlCenter);
        m_preview->findChild<QToolButton *>(u"BtnZoom"_s)->click();
        m_preview->findChild<QToolButton *>(u"BtnZoom"_s)->click();
        QCOMPARE(lp->ZoomPercent(), 85);
        QScrollBar *h = lp->horizontalScrollBar();
        QScrollBar *v = lp->verticalScrollBar();
        QVERIFY(v->maximum() > 0);
        QCOMPARE(h->value(), (h->minimum() + h->maximum()) / 2);
        QCOMPARE(v->value(), v->minimum());
    }

    void pdfHoldsTheTableRows()
    {
        if (!havePdfToText())
            QSKIP("pdftotext (poppler-utils) is not installed.");
        open(records(60));
        m_preview->BuildReport();
        const QString pdf = m_home.filePath(u"Bericht.pdf"_s);
        QString proposal;
        ListPrintUi::SetSaveFileHook([&](const QString &, const QString &proposed) {
            proposal = proposed;
            return pdf;
        });
        m_preview->LPToolBar1->OutputMenu()->findChild<QAction *>(u"MIPdf"_s)->trigger();
        ListPrintUi::SetSaveFileHook({});
        QVERIFY(proposal.endsWith(u"Gebührenreport.pdf"_s));
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), m_preview->TextReportPrint->PageCount());
        const QStringList first = pdfPageLines(pages.at(0));
        QVERIFY(first.contains(u"Datum Zeit DFÜ-Verbindung Rufnummer Gebühr Dauer Kosten"_s));
        QVERIFY2(first.contains(u"01.12.2026 10:00:00 Netz 1 0301234 2 Ct/min 00:01:00 0,0200 €"_s),
            qPrintable(first.join(u'\n')));
        const QStringList last = pdfPageLines(pages.last());
        QVERIFY(last.contains(u"Datum Zeit DFÜ-Verbindung Rufnummer Gebühr Dauer Kosten"_s));
        QVERIFY(last.filter(u"Netz 60 "_s).size() == 1);
        QVERIFY(last.contains(u"Summe: 01:00:00 "_s + money(u"1,20").replace(QChar(0x00A0), u' ')));
    }

    void layoutChangesRebuildThePreview()
    {
        open(records(3));
        m_preview->BuildReport();
        TTextReportPrint *lp = m_preview->TextReportPrint;
        TFormSettings::ExecHook = [](TFormSettings *dialog) {
            dialog->findChild<QAbstractSlider *>(u"UpDown"_s)->setValue(60);
            dialog->findChild<QCheckBox *>(u"CBFLeft"_s)->click();
            dialog->findChild<QToolButton *>(u"BtnApply"_s)->click();
            dialog->reject();
            return 0;
        };
        m_preview->findChild<QToolButton *>(u"BtnSettings"_s)->click();
        TFormSettings::ExecHook = nullptr;
        // Shown at once, and stored as the question was answered Yes.
        QCOMPARE(m_messages->Entries, QStringList { u"Question: Änderungen sichern?"_s });
        QCOMPARE(lp->ZoomPercent(), 60);
        QVERIFY(lp->PageBorders().testFlag(pbLeft));
        QCOMPARE(lp->PageCount(), 1);
        QVERIFY(pageTexts(*lp, 1).contains(u"Netz 3"_s));
        QCOMPARE(m_settings->Store->Read(lp->SettingsKey(), u"ZoomProcent"_s), std::optional<QString>(u"60"_s));

        // "Vorschau neu erstellen" builds again from the store.
        m_settings->Store->Values.clear();
        m_preview->LPToolBar1->OutputMenu()->findChild<QAction *>(u"MIRebuild"_s)->trigger();
        QCOMPARE(lp->ZoomPercent(), 35);
        QCOMPARE(m_preview->findChild<QLabel *>(u"LabelPage"_s)->text(), u"Seite 1 von 1"_s);
    }

    void aStoppedBuildIsReported()
    {
        open(records(120));
        TTextReportPrint *lp = m_preview->TextReportPrint;
        lp->OnNewLine = [](TCustomListPrint *sender) {
            if (sender->CurrentPage() == 2)
                sender->CancelPrinting();
        };
        QVERIFY_THROWS_EXCEPTION(ECancelPrinting, m_preview->BuildReport());
        QVERIFY(!lp->IsBuilding());
        // From the toolbar's rebuild the error reaches the user.
        m_preview->LPToolBar1->OutputMenu()->findChild<QAction *>(u"MIRebuild"_s)->trigger();
        QCOMPARE(m_errors, QStringList { u"Druck abgebrochen"_s });
        QVERIFY(!lp->IsBuilding());
    }

private:
    void open(const QStringList &log)
    {
        m_lists->SetLines(u"FeeReport"_s, log);
        m_report = std::make_unique<TFormFeeReport>(m_lists.get());
        m_preview = std::make_unique<TFormListPrint>(m_report.get());
        m_preview->TextReportPrint->SetShowProgress(false);
    }

    QTemporaryDir m_home;
    QStringList m_errors;
    std::unique_ptr<TSettingsFixture> m_settings;
    std::unique_ptr<TMessageLog> m_messages;
    std::unique_ptr<TRASStrList> m_lists;
    std::unique_ptr<TFormFeeReport> m_report;
    std::unique_ptr<TFormListPrint> m_preview;
};

QTEST_MAIN(TestFormListPrint)
#include "tst_formlistprint.moc"
