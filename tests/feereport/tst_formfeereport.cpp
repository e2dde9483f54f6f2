// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeFixtures.h"
#include "FeeLogModel.h"
#include "Folders.h"
#include "FormFeeMonths.h"
#include "FormFeeReport.h"
#include "FormListPrint.h"
#include "HelpLink.h"
#include "ListPrint.h"
#include "MessageDialog.h"
#include "RASStrList.h"
#include "TestFiles.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QStringList records(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << record(u"%1.12.2026"_s.arg(i % 28 + 1, 2, 10, QLatin1Char('0')), u"00:01:00"_s, u"0,0200 €"_s);
    return lines;
}

} // namespace

// The fee report window over the main window's fee log.
class TestFormFeeReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        Folders::reset();
    }

    void init()
    {
        m_messages.clear();
        m_answer = false;
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return m_answer;
        });
        m_lists = std::make_unique<TRASStrList>();
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), "Datei"));
        QVERIFY(writeAll(home(u"FeeReport.BAK"_s), "Sicherung"));
    }

    void cleanup()
    {
        m_report.reset();
        TFormFeeReport::PrintPreview = nullptr;
        TFormFeeMonths::ExecHook = nullptr;
        HelpLink::SetViewer(nullptr);
    }

    void opening_data()
    {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("labels"); // begin, end, time, cost
        QTest::addColumn<int>("currentRow");

        QTest::newRow("empty log") << QStringList() << QStringList(4, QString()) << -1;
        QTest::newRow("two rows")
            << QStringList{record(u"01.12.2026"_s, u"00:12:34"_s, u"0,2600 €"_s),
                           record(u"03.12.2026"_s, u"01:00:00"_s, u"1,2000 €"_s)}
            << QStringList{u"01.12.2026"_s, u"03.12.2026"_s, u"01:12:34"_s, money(u"1,46")} << -1;
        QTest::newRow("unordered dates: first and last row")
            << QStringList{record(u"05.12.2026"_s, u"00:00:10"_s, u"0,0200 €"_s),
                           record(u"01.01.2025"_s, u"00:00:10"_s, u"0,0200 €"_s),
                           record(u"02.12.2026"_s, u"00:00:10"_s, u"0,0200 €"_s)}
            << QStringList{u"05.12.2026"_s, u"02.12.2026"_s, u"00:00:30"_s, money(u"0,06")} << -1;
        QTest::newRow("empty duration adds nothing")
            << QStringList{record(u"01.12.2026"_s, QString(), u"0,5000 €"_s),
                           record(u"02.12.2026"_s, u"00:00:05"_s, u"0,0050 €"_s)}
            << QStringList{u"01.12.2026"_s, u"02.12.2026"_s, u"00:00:05"_s, money(u"0,51")} << -1;
        QTest::newRow("a day and more shows its hours")
            << QStringList{record(u"01.12.2026"_s, u"20:00:00"_s, u"0"_s),
                           record(u"02.12.2026"_s, u"07:03:12"_s, u"0"_s)}
            << QStringList{u"01.12.2026"_s, u"02.12.2026"_s, u"27:03:12"_s, money(u"0,00")} << -1;
        QTest::newRow("bad cost counts 0, broken lines are shown")
            << QStringList{record(u"01.12.2026"_s, u"00:01:00"_s, u"gratis"_s), u"01.12.2026;nur drei;Felder"_s,
                           QString(), u"02.12.2026;1;2;3;4;00:00:01;1,0000 €;mehr;Felder"_s}
            << QStringList{u"01.12.2026"_s, u"02.12.2026"_s, u"00:01:01"_s, money(u"1,00")} << -1;
        QTest::newRow("15 rows open at the top")
            << records(15) << QStringList{u"01.12.2026"_s, u"15.12.2026"_s, u"00:15:00"_s, money(u"0,30")} << -1;
        QTest::newRow("16 rows open at the end")
            << records(16) << QStringList{u"01.12.2026"_s, u"16.12.2026"_s, u"00:16:00"_s, money(u"0,32")} << 15;
    }

    void opening()
    {
        QFETCH(QStringList, log);
        QFETCH(QStringList, labels);
        QFETCH(int, currentRow);
        open(log);
        QCOMPARE(shownLabels(), labels);
        QCOMPARE(table()->model()->rowCount(), log.size());
        for (int row = 0; row < log.size(); ++row)
            QCOMPARE(table()->model()->index(row, 0).data().toString(), log.at(row).section(u';', 0, 0));
        QCOMPARE(table()->currentIndex().row(), currentRow);
        QVERIFY(!button("BtnDelPeriod")->isEnabled());
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(m_lists->Lines(u"FeeReport"_s), log); // opening changes nothing
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), QByteArray("Datei"));
    }

    void scrolledToTheEndAbove15Rows()
    {
        open(records(200));
        m_report->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_report.get()));
        QScrollBar *bar = table()->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(bar->maximum() > 0);
    }

    void badDurationLeavesTheTotalsEmpty()
    {
        QStringList log = records(20);
        log[3] = record(u"04.12.2026"_s, u"1 Stunde"_s, u"0,0200 €"_s);
        open(log);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(u"\"1 Stunde\" ist keine gültige Zeit"_s), qPrintable(m_messages.first()));
        QVERIFY(m_messages.first().contains(u"Zeile 4"_s));
        QCOMPARE(shownLabels(), (QStringList{u"01.12.2026"_s, u"20.12.2026"_s, QString(), QString()}));
        QCOMPARE(table()->model()->rowCount(), 20);
        QCOMPARE(table()->currentIndex().row(), -1); // not scrolled to its end
    }

    void deletingAPeriod_data()
    {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("labels");

        const QString a = record(u"01.12.2026"_s, u"00:12:34"_s, u"0,2600 €"_s);
        const QString b = record(u"02.12.2026"_s, u"05:00:00"_s, u"6,0000 €"_s);
        const QString c = record(u"03.12.2026"_s, u"01:00:00"_s, u"1,2000 €"_s);
        QTest::newRow("total time in seconds afterwards")
            << QStringList{a, b, c} << QList<int>{1} << QStringList{a, c}
            << QStringList{u"01.12.2026"_s, u"03.12.2026"_s, u"4354 s"_s, money(u"1,46")};
        QTest::newRow("first and last rows")
            << QStringList{a, b, c} << QList<int>{0, 2} << QStringList{b}
            << QStringList{u"02.12.2026"_s, u"02.12.2026"_s, u"18000 s"_s, money(u"6,00")};
        QTest::newRow("all rows") << QStringList{a, b, c} << QList<int>{0, 1, 2} << QStringList()
                                  << QStringList(4, QString());
        QTest::newRow("bad durations count nothing afterwards")
            << QStringList{a, record(u"02.12.2026"_s, u"xx"_s, u"1"_s), c} << QList<int>{0}
            << QStringList{record(u"02.12.2026"_s, u"xx"_s, u"1"_s), c}
            << QStringList{u"02.12.2026"_s, u"03.12.2026"_s, u"3600 s"_s, money(u"2,20")};
    }

    void deletingAPeriod()
    {
        QFETCH(QStringList, log);
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, left);
        QFETCH(QStringList, labels);
        open(log);
        m_messages.clear();
        for (const int row : selected)
            table()->selectionModel()->select(table()->model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(button("BtnDelPeriod")->isEnabled());
        button("BtnDelPeriod")->click();
        QCOMPARE(m_lists->Lines(u"FeeReport"_s), left);
        QCOMPARE(table()->model()->rowCount(), left.size());
        QCOMPARE(shownLabels(), labels);
        QVERIFY(!button("BtnDelPeriod")->isEnabled());
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), QByteArray("Datei")); // the main window saves later
    }

    void deletingAHundredThousandRows()
    {
        open(records(200000));
        QItemSelectionModel *selection = table()->selectionModel();
        selection->select(QItemSelection(table()->model()->index(50000, 0), table()->model()->index(149999, 6)),
                          QItemSelectionModel::Select);
        button("BtnDelPeriod")->click();
        QCOMPARE(m_lists->Count(u"FeeReport"_s), 100000);
        QCOMPARE(m_lists->Line(u"FeeReport"_s, 50000), records(28).at(150000 % 28));
        QCOMPARE(label("TotTime")->text(), u"6000000 s"_s);
        QCOMPARE(table()->currentIndex().row(), 50000);
    }

    void recordsAppendedWhileOpenSurviveADeletion()
    {
        const QString late = record(u"24.12.2026"_s, u"00:00:30"_s, u"0,0200 €"_s);
        open(records(3));
        m_lists->Append(u"FeeReport"_s, late); // the engine completes a record
        QCOMPARE(table()->model()->rowCount(), 4);
        QCOMPARE(label("LblDateEnd")->text(), u"24.12.2026"_s);
        QCOMPARE(label("TotTime")->text(), u"00:03:30"_s);
        table()->selectRow(0);
        button("BtnDelPeriod")->click();
        QCOMPARE(m_lists->Lines(u"FeeReport"_s), (QStringList{records(3).at(1), records(3).at(2), late}));
    }

    void deletingEverything_data()
    {
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("answer");

        QTest::newRow("Yes") << records(3) << true;
        QTest::newRow("No keeps everything") << records(3) << false;
        QTest::newRow("empty log: no question") << QStringList() << true;
    }

    void deletingEverything()
    {
        QFETCH(QStringList, log);
        QFETCH(bool, answer);
        m_answer = answer;
        open(log);
        const QStringList labels = shownLabels();
        button("BtnDeleteAll")->click();
        QCOMPARE(m_messages, log.isEmpty() ? QStringList() : QStringList{u"Gesamte Gebührenliste löschen?"_s});
        const bool deleted = answer && !log.isEmpty();
        QCOMPARE(m_lists->Lines(u"FeeReport"_s), deleted ? QStringList() : log);
        QCOMPARE(table()->model()->rowCount(), deleted ? 0 : log.size());
        QCOMPARE(shownLabels(), deleted ? QStringList(4, QString()) : labels);
        QCOMPARE(QFile::exists(home(u"FeeReport.Lst"_s)), !deleted);
        QCOMPARE(readAll(home(u"FeeReport.BAK"_s)), QByteArray("Sicherung"));
    }

    void strayEnterAtTheDeleteQuestionDeletesNothing()
    {
        MessageDialog::SetHook(nullptr);
        open(records(3));
        QString defaultButton;
        QTimer::singleShot(0, this, [&defaultButton] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        button("BtnDeleteAll")->click();
        QCOMPARE(defaultButton, u"&Nein"_s);
        QCOMPARE(m_lists->Count(u"FeeReport"_s), 3);
        QVERIFY(QFile::exists(home(u"FeeReport.Lst"_s)));
    }

    void printPreview()
    {
        open(records(2));
        int shownPages = -1;
        TFormListPrint::ExecHook = [&shownPages](TFormListPrint *preview) {
            shownPages = preview->TextReportPrint->PageCount();
            return 0;
        };
        button("BtnPrint")->click();
        TFormListPrint::ExecHook = nullptr;
        QCOMPARE(shownPages, 1);
        QVERIFY(m_messages.isEmpty());

        QString seen;
        TFormFeeReport::PrintPreview = [&seen](TFormFeeReport *report) {
            QCOMPARE(TFormFeeReport::Instance(), report);
            seen = report->DateBegin() + u' ' + report->DateEnd() + u' ' + report->TotalTime() + u' '
                + report->TotalCost() + u' ' + QString::number(report->Model()->rowCount());
        };
        button("BtnPrint")->click();
        QCOMPARE(seen, u"01.12.2026 02.12.2026 00:02:00 "_s + money(u"0,04") + u" 2"_s);
        m_report.reset();
        QCOMPARE(TFormFeeReport::Instance(), nullptr);
    }

    void helpAndReturn()
    {
        int context = 0;
        HelpLink::SetViewer([&context](const QString &, HelpLink::Request, int c, QWidget *) { context = c; });
        open(records(1));
        button("BtnHelp")->click();
        QCOMPARE(context, 866);
        m_report->show();
        button("BtnReturn")->click();
        QVERIFY(!m_report->isVisible());
        QCOMPARE(m_report->result(), int(QDialog::Accepted));
    }

    void layout()
    {
        open(records(1));
        QCOMPARE(m_report->windowTitle(), u"Gebührenreport"_s);
        // 563 x 348 at a classic 8-point font, as much larger as the font in use is wider.
        const double scale = m_report->width() / 563.0;
        QVERIFY(scale >= 1.0);
        QVERIFY(qAbs(m_report->height() - 348 * scale) <= 1);
        const int widths[] = {68, 55, 150, 80, 70, 50, 60};
        const QStringList headers{u"Datum"_s, u"Zeit"_s, u"DFÜ-Verbindung"_s, u"Rufnummer"_s,
                                  u"Gebühr"_s, u"Dauer"_s, u"Kosten"_s};
        for (int c = 0; c < 7; ++c) {
            QVERIFY(qAbs(table()->columnWidth(c) - widths[c] * scale) <= 1);
            // A date fits its column.
            if (c == 0)
                QVERIFY(table()->fontMetrics().horizontalAdvance(u"24.12.2026"_s) < table()->columnWidth(c) - 4);
            QCOMPARE(table()->model()->headerData(c, Qt::Horizontal).toString(), headers.at(c));
            const auto align = Qt::Alignment(table()->model()->index(0, c).data(Qt::TextAlignmentRole).toInt());
            QCOMPARE(bool(align & Qt::AlignRight), c >= 4);
        }
        QCOMPARE(table()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(button("BtnDelPeriod")->toolTip(), u"Periode des Gebührenreports löschen\nPeriode vorher selektieren"_s);
    }

    void monthsOpenFromTheReport()
    {
        open(records(3));
        int rows = -1;
        TFormFeeMonths::ExecHook = [&rows](TFormFeeMonths *months) {
            rows = int(months->ShownRows().size());
            return 0;
        };
        button("BtnMonths")->click();
        QCOMPARE(rows, 1);
    }

private:
    void open(const QStringList &log)
    {
        m_lists->SetLines(u"FeeReport"_s, log);
        m_report = std::make_unique<TFormFeeReport>(m_lists.get());
    }

    QTableView *table() const { return m_report->findChild<QTableView *>(u"ListBoxFees"_s); }
    QPushButton *button(const char *name) const
    {
        auto *b = m_report->findChild<QPushButton *>(QLatin1String(name));
        if (!b)
            qFatal("no button %s", name);
        return b;
    }
    QLabel *label(const char *name) const { return m_report->findChild<QLabel *>(QLatin1String(name)); }
    QStringList shownLabels() const
    {
        return {label("LblDateBegin")->text(), label("LblDateEnd")->text(), label("TotTime")->text(),
                label("TotCost")->text()};
    }
    QString home(const QString &name) const { return m_home.filePath(name); }

    QTemporaryDir m_home;
    std::unique_ptr<TRASStrList> m_lists;
    std::unique_ptr<TFormFeeReport> m_report;
    QStringList m_messages;
    bool m_answer = false;
};

QTEST_MAIN(TestFormFeeReport)
#include "tst_formfeereport.moc"
