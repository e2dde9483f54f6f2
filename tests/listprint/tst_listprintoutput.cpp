// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// Printing the recorded pages to PDF: copies, collation, page ranges, the
// progress dialog and Stop, the print dialog's choices and its file output.

#include "ListPrintTestSupport.h"
#include "ListPrnPrgDlg.h"
#include "TestFiles.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

/// A window that builds its report again whenever the list printer asks.
class THost : public QWidget {
public:
    explicit THost(int pages = 3, bool rebuilds = true)
        : Report(new TTextReportPrint(this))
        , FPages(pages)
        , FRebuilds(rebuilds)
    {
        Report->SetShowProgress(false);
        Report->SetHeader(u"Kopf {$PAGE}"_s);
    }

    void Build()
    {
        Report->BeginReport(false);
        for (int page = 1; page <= FPages; ++page) {
            Report->PrintLine(u"Inhalt %1"_s.arg(page));
            Report->SetTableFormat(u"<40|>40"_s);
            Report->PrintTableLine(u"Zelle %1|rechts"_s.arg(page));
            if (page < FPages)
                Report->NewPage();
        }
        Report->EndReport();
    }

    bool event(QEvent *event) override
    {
        if (event->type() == TListPrintEvent::TypeOf(LPM_REBUILD)) {
            ++Rebuilt;
            if (FRebuilds)
                Build();
            return true;
        }
        return QWidget::event(event);
    }

    TTextReportPrint *Report;
    int Rebuilt = 0;

private:
    int FPages;
    bool FRebuilds;
};

/// The page numbers of a printout, from each page's "Inhalt n".
QList<int> printedPages(const QString &pdf)
{
    QList<int> pages;
    static const QRegularExpression content(u"Inhalt (\\d+)"_s);
    for (const QString &page : pdfPages(pdf))
        pages.append(content.match(page).captured(1).toInt());
    return pages;
}

/// Left edge in points of the first word text on the first page.
double wordLeft(const QString &pdf, const QString &word)
{
    QProcess process;
    process.start(u"pdftotext"_s, { u"-bbox"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, pdf, u"-"_s });
    process.waitForFinished(60000);
    const QRegularExpression box(u"<word xMin=\"([0-9.]+)\"[^>]*>"_s + QRegularExpression::escape(word) + u"</word>"_s);
    const QRegularExpressionMatch match = box.match(QString::fromUtf8(process.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

TListPrnPrgDlg *progressDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<TListPrnPrgDlg *>(widget))
            return dialog;
    return nullptr;
}

} // namespace

class TestListPrintOutput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printsTheRecordedPagesToPdf_data();
    void printsTheRecordedPagesToPdf();
    void copiesInCollatedOrNot_data();
    void copiesInCollatedOrNot();
    void printRangeIsClamped_data();
    void printRangeIsClamped();
    void printerKeepsItsCopyCount();
    void progressDialogCountsPages_data();
    void progressDialogCountsPages();
    void progressDialogWithoutStop();
    void stopEndsThePrintRun_data();
    void stopEndsThePrintRun();
    void printerThatCannotStart();
    void printDialogChoices_data();
    void printDialogChoices();
    void printWithoutPagesSaysSo();
    void printToFileSavesTheReportText();
    void printToFileThatCannotBeWritten();
    void printToFileWithAHostThatDoesNotRebuild();

private:
    QString Pdf() const { return FDir.filePath(u"out.pdf"_s); }
    QTemporaryDir FDir;
};

void TestListPrintOutput::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    useNoPrinter();
    ListPrintUi::SetProgramFolder(FDir.path());
    if (!havePdfToText())
        QSKIP("pdftotext (poppler-utils) is needed to read the printed pages back");
}

void TestListPrintOutput::init()
{
    QFile::remove(Pdf());
}

void TestListPrintOutput::cleanup()
{
    ListPrintUi::SetPrintDialogHook({});
    ListPrintUi::SetInputHook({});
    delete progressDialog();
}

void TestListPrintOutput::printsTheRecordedPagesToPdf_data()
{
    QTest::addColumn<bool>("recordedForPdf");
    QTest::newRow("recorded for the PDF printer") << true;
    QTest::newRow("recorded without a printer") << false;
}

void TestListPrintOutput::printsTheRecordedPagesToPdf()
{
    QFETCH(bool, recordedForPdf);
    THost host;
    if (recordedForPdf)
        host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    if (!recordedForPdf)
        host.Report->SetPrinter(pdfPrinter(Pdf()));
    QVERIFY(host.Report->PrintPages());
    const QStringList pages = pdfPages(Pdf());
    QCOMPARE(pages.size(), 3);
    for (int page = 1; page <= 3; ++page) {
        const QStringList lines = pdfPageLines(pages.at(page - 1));
        QCOMPARE(
            lines, (QStringList { u"Kopf %1"_s.arg(page), u"Inhalt %1"_s.arg(page), u"Zelle %1 rechts"_s.arg(page) }));
    }
    // The margin is the same on paper whichever resolution the pages were recorded at.
    const double left = wordLeft(Pdf(), u"Inhalt"_s);
    QVERIFY2(std::abs(left - 25 / 25.4 * 72) < 1.5, qPrintable(QString::number(left)));
}

void TestListPrintOutput::copiesInCollatedOrNot_data()
{
    QTest::addColumn<bool>("collate");
    QTest::addColumn<QList<int>>("order");
    QTest::newRow("collated") << true << QList<int> { 1, 2, 3, 1, 2, 3 };
    QTest::newRow("not collated") << false << QList<int> { 1, 1, 2, 2, 3, 3 };
}

void TestListPrintOutput::copiesInCollatedOrNot()
{
    QFETCH(bool, collate);
    QFETCH(QList<int>, order);
    THost host;
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    host.Report->SetCopies(2);
    host.Report->SetCollate(collate);
    QList<QPair<int, int>> sent;
    connect(host.Report, &TCustomListPrint::PrintingPage, this, [&](int page, int copy) {
        sent.append({ page, copy });
    });
    QVERIFY(host.Report->PrintPages());
    // No empty page after the last one.
    QCOMPARE(printedPages(Pdf()), order);
    QCOMPARE(sent.size(), 6);
    QCOMPARE(sent.first().second, 1);
    QCOMPARE(sent.last().second, 2);
}

void TestListPrintOutput::printRangeIsClamped_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("printed");
    QTest::newRow("all") << 0 << 0 << QList<int> { 1, 2, 3 };
    QTest::newRow("from beyond the end") << 5 << 0 << QList<int> { 3 };
    QTest::newRow("from 2 to the last") << 2 << 0 << QList<int> { 2, 3 };
    QTest::newRow("to 2") << 0 << 2 << QList<int> { 1, 2 };
    QTest::newRow("one page") << 2 << 2 << QList<int> { 2 };
    QTest::newRow("to beyond the end") << 0 << 9 << QList<int> { 1, 2, 3 };
}

void TestListPrintOutput::printRangeIsClamped()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QList<int>, printed);
    THost host;
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    host.Report->SetFromPage(from);
    host.Report->SetToPage(to);
    QVERIFY(host.Report->PrintPages());
    QCOMPARE(printedPages(Pdf()), printed);
}

void TestListPrintOutput::printerKeepsItsCopyCount()
{
    THost host;
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Report->Printer()->setCopyCount(3);
    host.Build();
    QVERIFY(host.Report->PrintPages());
    QCOMPARE(host.Report->Printer()->copyCount(), 3);
    QCOMPARE(printedPages(Pdf()), (QList<int> { 1, 2, 3 })); // the component's one copy
}

void TestListPrintOutput::progressDialogCountsPages_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("pages 2 to 4") << 2 << 4 << 1 << QString()
                                  << QStringList { u"Seite 2"_s, u"Seite 3"_s, u"Seite 4"_s };
    QTest::newRow("pages 1 to 3") << 1 << 3 << 1 << u"Reportausgabe"_s
                                  << QStringList { u"Seite 1 von 3"_s, u"Seite 2 von 3"_s, u"Seite 3 von 3"_s };
    QTest::newRow("two copies") << 1 << 2 << 2 << QString()
                                << QStringList { u"Seite 1 von 2 x 2 Kopien "_s, u"Seite 2 von 2 x 2 Kopien "_s,
                                       u"Seite 1 von 2 x 2 Kopien "_s, u"Seite 2 von 2 x 2 Kopien "_s };
}

void TestListPrintOutput::progressDialogCountsPages()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, copies);
    QFETCH(QString, message);
    QFETCH(QStringList, labels);
    THost host(5);
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    host.Report->SetShowProgress(true);
    host.Report->SetPrintTitle(u"Kovatek Rufwerk"_s);
    host.Report->SetProgressMessage(message);
    host.Report->SetFromPage(from);
    host.Report->SetToPage(to);
    host.Report->SetCopies(copies);
    QStringList shown;
    int step = 0;
    connect(host.Report, &TCustomListPrint::PrintingPage, this, [&] {
        TListPrnPrgDlg *dialog = progressDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), u"Kovatek Rufwerk"_s);
        QCOMPARE(dialog->lblStatus->text(), message.isEmpty() ? u"Sende zum Drucker"_s : message);
        QCOMPARE(dialog->ProgBar->maximum(), copies * (to - from + 1));
        QCOMPARE(dialog->ProgBar->value(), ++step);
        QVERIFY(dialog->btnCancel->isVisible());
        shown << dialog->lblPageNumber->text();
    });
    QVERIFY(host.Report->PrintPages());
    QCOMPARE(shown, labels);
    QCOMPARE(progressDialog(), nullptr); // closed and freed
}

void TestListPrintOutput::progressDialogWithoutStop()
{
    THost host;
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    host.Report->SetShowProgress(true);
    host.Report->SetShowCancel(false);
    bool checked = false;
    connect(host.Report, &TCustomListPrint::PrintingPage, this, [&] {
        TListPrnPrgDlg *dialog = progressDialog();
        QVERIFY(dialog);
        QVERIFY(!dialog->btnCancel->isVisible());
        QVERIFY(!dialog->btnCancel->isEnabled());
        QCOMPARE(dialog->height(), 98 * dialog->logicalDpiY() / 96);
        QCOMPARE(dialog->width(), 293);
        dialog->reject(); // Escape does nothing without Stop
        checked = true;
    });
    QVERIFY(host.Report->PrintPages());
    QVERIFY(checked);
}

void TestListPrintOutput::stopEndsThePrintRun_data()
{
    QTest::addColumn<bool>("abortOnCancel");
    QTest::addColumn<QList<int>>("printed");
    QTest::newRow("ended normally") << false << QList<int> { 1, 2 };
    QTest::newRow("aborted") << true << QList<int> {};
}

void TestListPrintOutput::stopEndsThePrintRun()
{
    QFETCH(bool, abortOnCancel);
    QFETCH(QList<int>, printed);
    THost host(4);
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    host.Report->SetShowProgress(true);
    host.Report->SetAbortOnCancel(abortOnCancel);
    const QMetaObject::Connection stop = connect(host.Report, &TCustomListPrint::PrintingPage, this, [&](int page) {
        if (page == 2)
            progressDialog()->btnCancel->click();
    });
    QVERIFY(!host.Report->PrintPages());
    disconnect(stop);
    QCOMPARE(printedPages(Pdf()), printed);
    QCOMPARE(QFile::exists(Pdf()), !abortOnCancel);
    QCOMPARE(progressDialog(), nullptr);
    // The next run starts without the old Stop.
    QVERIFY(host.Report->PrintPages());
    QCOMPARE(printedPages(Pdf()), (QList<int> { 1, 2, 3, 4 }));
}

void TestListPrintOutput::printerThatCannotStart()
{
    TMessageLog messages;
    THost host;
    const QString pdf = FDir.filePath(u"fehlt/out.pdf"_s);
    host.Report->SetPrinter(pdfPrinter(pdf));
    host.Build();
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QVERIFY_THROWS_EXCEPTION(EPagePrinter, host.Report->PrintPages());
    ListPrintUi::SetPrintDialogHook([](QPrinter *, int, int) { return ListPrintUi::TPrintChoice::Print; });
    host.Report->Print();
    QCOMPARE(messages.Entries,
        QStringList { u"Error: Der Druck auf %1 kann nicht beginnen."_s.arg(QDir::toNativeSeparators(pdf)) });
}

void TestListPrintOutput::printDialogChoices_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<QList<int>>("printed");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("all pages") << int(QPrinter::AllPages) << 1 << true << QList<int> { 1, 2, 3 } << QStringList();
    QTest::newRow("current page") << int(QPrinter::CurrentPage) << 1 << true << QList<int> { 2 } << QStringList();
    QTest::newRow("pages 2 to 3") << int(QPrinter::PageRange) << 1 << true << QList<int> { 2, 3 } << QStringList();
    QTest::newRow("two copies, not collated")
        << int(QPrinter::PageRange) << 2 << false << QList<int> { 2, 2, 3, 3 } << QStringList();
    QTest::newRow("stopped") << -1 << 1 << true << QList<int> { 1 }
                             << QStringList { u"Information: Druck abgebrochen"_s };
    QTest::newRow("cancelled") << -2 << 1 << true << QList<int>() << QStringList();
}

void TestListPrintOutput::printDialogChoices()
{
    QFETCH(int, range);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(QList<int>, printed);
    QFETCH(QStringList, messages);
    TMessageLog log;
    THost host;
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    host.Report->SetCurrentPage(2);
    host.Report->SetShowProgress(true);
    int pageCount = 0, currentPage = 0;
    ListPrintUi::SetPrintDialogHook([&](QPrinter *printer, int pages, int current) {
        pageCount = pages;
        currentPage = current;
        if (range == -2)
            return ListPrintUi::TPrintChoice::Cancelled;
        printer->setPrintRange(range < 0 ? QPrinter::AllPages : QPrinter::PrintRange(range));
        printer->setFromTo(2, 3);
        printer->setCopyCount(copies);
        printer->setCollateCopies(collate);
        return ListPrintUi::TPrintChoice::Print;
    });
    if (range == -1) {
        connect(host.Report, &TCustomListPrint::PrintingPage, this, [&] { progressDialog()->btnCancel->click(); });
    }
    host.Report->Print();
    QCOMPARE(pageCount, 3);
    QCOMPARE(currentPage, 2);
    QCOMPARE(printedPages(Pdf()), printed);
    QCOMPARE(log.Entries, messages);
}

void TestListPrintOutput::printWithoutPagesSaysSo()
{
    TMessageLog messages;
    bool asked = false;
    ListPrintUi::SetPrintDialogHook([&](QPrinter *, int, int) {
        asked = true;
        return ListPrintUi::TPrintChoice::Print;
    });
    THost host;
    host.Report->Print();
    // A report in a text file leaves no pages either.
    host.Report->SetFileName(FDir.filePath(u"leer.txt"_s));
    host.Report->SetPrintToFile(true);
    host.Build();
    host.Report->Print();
    QVERIFY(!asked);
    QCOMPARE(messages.Entries.count(u"Information: Kein Inhalt zum drucken"_s), 2);
}

void TestListPrintOutput::printToFileSavesTheReportText()
{
    TMessageLog messages;
    THost host;
    host.Report->SetPrinter(pdfPrinter(Pdf()));
    host.Build();
    QStringList asked;
    const QString path = FDir.filePath(u"Bericht.txt"_s);
    ListPrintUi::SetPrintDialogHook([](QPrinter *, int, int) { return ListPrintUi::TPrintChoice::PrintToFile; });
    ListPrintUi::SetInputHook([&](const QString &caption, const QString &prompt, QString *value) {
        asked << caption << prompt << *value;
        *value = u"Bericht.txt"_s; // in the program folder
        return true;
    });
    host.Report->Print();
    QCOMPARE(asked, (QStringList { u"Dateiname bestimmen"_s, u"Name:"_s, FDir.filePath(u"DizaVadud.TXT"_s) }));
    // One line per printed line, cells as printed, no page headers.
    const QByteArray expected("Inhalt 1\r\nZelle 1\trechts\t\r\nInhalt 2\r\nZelle 2\trechts\t\r\n"
                              "Inhalt 3\r\nZelle 3\trechts\t\r\n");
    QCOMPARE(readAll(path), expected);
    QCOMPARE(host.Report->Lines().size(), 6);
    QCOMPARE(messages.Entries, QStringList { u"Information: Inhalt gesichert in Datei "_s + path });
    QCOMPARE(host.Rebuilt, 1);
    QTRY_COMPARE(host.Rebuilt, 2); // the preview is built once more afterwards
    QCOMPARE(host.Report->PageCount(), 3);
    QVERIFY(!QFile::exists(Pdf()));
}

void TestListPrintOutput::printToFileThatCannotBeWritten()
{
    TMessageLog messages;
    THost host;
    host.Build();
    ListPrintUi::SetPrintDialogHook([](QPrinter *, int, int) { return ListPrintUi::TPrintChoice::PrintToFile; });
    ListPrintUi::SetInputHook([&](const QString &, const QString &, QString *value) {
        *value = FDir.filePath(u"fehlt/Bericht.txt"_s);
        return true;
    });
    host.Report->Print();
    QCOMPARE(messages.Entries.size(), 1);
    QVERIFY2(messages.Entries.first().startsWith(u"Error: Der Inhalt konnte nicht in Datei"_s),
        qPrintable(messages.Entries.first()));
    QVERIFY(messages.Entries.first().contains(u"existiert nicht"_s));

    // Cancelling the file name stops before anything is rebuilt.
    QCoreApplication::processEvents(); // the rebuild after the failed output
    messages.Entries.clear();
    host.Rebuilt = 0;
    ListPrintUi::SetInputHook([](const QString &, const QString &, QString *) { return false; });
    host.Report->Print();
    QCoreApplication::processEvents();
    QCOMPARE(host.Rebuilt, 0);
    QVERIFY(messages.Entries.isEmpty());
}

void TestListPrintOutput::printToFileWithAHostThatDoesNotRebuild()
{
    TMessageLog messages;
    THost host(3, false);
    host.Build();
    ListPrintUi::SetPrintDialogHook([](QPrinter *, int, int) { return ListPrintUi::TPrintChoice::PrintToFile; });
    ListPrintUi::SetInputHook([](const QString &, const QString &, QString *) { return true; });
    host.Report->Print();
    QCOMPARE(messages.Entries,
        QStringList { u"Error: Der Bericht hat keinen Text geliefert; es wurde keine Datei geschrieben."_s });
    QVERIFY(!QFile::exists(FDir.filePath(u"DizaVadud.TXT"_s)));
}

QTEST_MAIN(TestListPrintOutput)
#include "tst_listprintoutput.moc"
