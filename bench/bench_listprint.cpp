// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The list printer on a long table report: recording the pages, printing them
// to PDF, and the memory of the recordings, beside enscript turning the same
// lines into PostScript pages.
//
//   bench_listprint [--lines N] [--memory-limit MiB] [--keep FOLDER]
#include "ListPrint.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

/// "VmRSS" or "VmHWM" of this process in MiB.
double statusMiB(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field)) + 1).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

QStringList feeRows(int count)
{
    QStringList rows;
    rows.reserve(count);
    const QStringList names { u"Netzwerk Nord"_s, u"Callnet Flat"_s, u"Sparruf Süd"_s, u"Blitzzugang Premium"_s };
    for (int i = 0; i < count; ++i)
        rows << u"%1.%2.2026|%3:%4:07|%5|0301234%6|1,500 Ct/min|00:%7:30|%8,%9 €"_s
                    .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                    .arg(1 + i / 28 % 12, 2, 10, QLatin1Char('0'))
                    .arg(i % 24, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg(names.at(i % names.size()))
                    .arg(i % 1000, 3, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg(i % 10)
                    .arg(i % 100, 2, 10, QLatin1Char('0'));
    return rows;
}

/// The fee report's layout: seven framed columns, the column header on every page.
void buildReport(TTextReportPrint &lp, const QStringList &rows)
{
    const int widths[7] = { 13, 10, 24, 15, 14, 12, 12 };
    lp.OnGetCellFormat = [&](TCustomListPrint *sender, int col, TTableLineColumnInfo &info) {
        info.Width = sender->TextAreaWidth() * widths[col - 1] / 100;
        info.Alignment = sender->LineKind == 5 || col == 3 ? taCenter : col >= 5 ? taRightJustify : taLeftJustify;
    };
    const auto columnHeader = [](TCustomListPrint *sender) {
        sender->SetLineSpacing(2);
        sender->LineKind = 5;
        sender->SetTableGrids(true);
        sender->SetTableFormat(u"||||||"_s);
        sender->PrintTableLine(u"Datum|Zeit|DFÜ-Verbindung|Rufnummer|Gebühr|Dauer|Kosten"_s);
    };
    lp.OnNewPage = [&](TCustomListPrint *sender) {
        if (sender->CurrentPage() > 1)
            columnHeader(sender);
    };
    lp.BeginReport(false);
    lp.SetLineSpacing(2);
    lp.SetFont(TListFont::Make(u"Arial"_s, 14, true, true));
    lp.PrintLineAligned(taCenter, u"Gebührenreport für Periode"_s);
    lp.SetFont(TListFont::Make(u"Arial"_s, 8));
    columnHeader(&lp);
    for (const QString &row : rows) {
        lp.LineKind = 6;
        lp.PrintTableLine(row);
    }
    lp.EndReport();
}

struct TPeer {
    bool Ran = false;
    double Seconds = 0;
    int Pages = 0;
    double PeakMiB = 0;
};

TPeer runEnscript(const QStringList &rows, const QString &folder)
{
    TPeer peer;
    const QString enscript = QStandardPaths::findExecutable(u"enscript"_s);
    if (enscript.isEmpty())
        return peer;
    QFile text(folder + u"/lines.txt"_s);
    if (!text.open(QIODevice::WriteOnly))
        return peer;
    for (QString row : rows)
        text.write(row.replace(u'|', u'\t').toLatin1() + '\n');
    text.close();
    const QByteArray program = enscript.toLocal8Bit();
    const QByteArray output = (folder + u"/lines.ps"_s).toLocal8Bit();
    const QByteArray input = text.fileName().toLocal8Bit();
    const QByteArray messages = (folder + u"/enscript.txt"_s).toLocal8Bit();
    char font[] = "Helvetica8";
    char flagP[] = "-p", flagF[] = "-f";
    char *argv[] = { const_cast<char *>(program.constData()), flagP, const_cast<char *>(output.constData()), flagF,
        font, const_cast<char *>(input.constData()), nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, messages.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return peer;
    // The child's own peak: its rusage would count this process's pages from
    // before the exec, so read its high-water mark while it runs.
    int status = 0;
    const QString statusFile = u"/proc/%1/status"_s.arg(pid);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        QFile file(statusFile);
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray &line : file.readAll().split('\n'))
                if (line.startsWith("VmHWM:"))
                    peer.PeakMiB = std::max(peer.PeakMiB, line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024);
        usleep(2000);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return peer;
    peer.Seconds = timer.nsecsElapsed() / 1e9;
    QFile report(QString::fromLocal8Bit(messages));
    report.open(QIODevice::ReadOnly);
    const QRegularExpression pages(u"\\[ (\\d+) pages"_s);
    peer.Pages = pages.match(QString::fromLocal8Bit(report.readAll())).captured(1).toInt();
    peer.Ran = peer.Pages > 0;
    return peer;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    int lines = 100000;
    qint64 memoryLimit = TPageList::DefaultMemoryLimit;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == "--lines"_L1)
            lines = args.at(i + 1).toInt();
        else if (args.at(i) == "--memory-limit"_L1)
            memoryLimit = args.at(i + 1).toLongLong() * 1024 * 1024;
        else if (args.at(i) == "--keep"_L1)
            keep = args.at(i + 1);
    }
    QTemporaryDir dir;
    const QString folder = keep.isEmpty() ? dir.path() : keep;
    const QStringList rows = feeRows(lines);
    const double baseMiB = statusMiB("VmRSS:");

    TTextReportPrint lp;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFileName(folder + u"/report.pdf"_s);
    lp.SetPrinter(std::move(printer));
    lp.SetShowProgress(false);
    lp.Pages().SetMemoryLimit(memoryLimit);
    lp.SetFriendlyHeader(u"&l&d&c&i&r&t"_s);
    lp.SetFriendlyFooter(u"&l&d&c&f&r Seite: &p"_s);
    lp.SetPageBorders(TPageBorders(pbTop) | pbBottom);

    QElapsedTimer timer;
    timer.start();
    buildReport(lp, rows);
    const double recordSeconds = timer.nsecsElapsed() / 1e9;
    // The same with the progress dialog and its Stop button, as a user builds it.
    lp.SetShowProgress(true);
    timer.restart();
    buildReport(lp, rows);
    const double recordWithProgressSeconds = timer.nsecsElapsed() / 1e9;
    lp.SetShowProgress(false);
    const int pages = lp.PageCount();
    const double recordedMiB = statusMiB("VmRSS:") - baseMiB;

    timer.restart();
    try {
        lp.PrintPages();
    } catch (const EPrinter &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    const double printSeconds = timer.nsecsElapsed() / 1e9;
    const double pdfMiB = QFileInfo(folder + u"/report.pdf"_s).size() / 1048576.0;

    std::printf("list printer, %d table lines, %d pages at %d dpi\n", lines, pages, lp.Geometry().DpiX);
    std::printf("  record:       %7.2f s  %8.0f pages/s\n", recordSeconds, pages / recordSeconds);
    std::printf("  record with the progress dialog: %.2f s  %.0f pages/s\n", recordWithProgressSeconds,
        pages / recordWithProgressSeconds);
    std::printf("  print to PDF: %7.2f s  %8.0f pages/s  (%.1f MiB PDF)\n", printSeconds, pages / printSeconds, pdfMiB);
    std::printf("  recordings:   %.1f MiB in memory, %.1f MiB moved to the spill file (limit %lld MiB), "
                "%.0f bytes per table line\n",
        lp.Pages().BytesInMemory() / 1048576.0, lp.Pages().BytesSpilled() / 1048576.0, memoryLimit / 1048576,
        double(lp.Pages().BytesInMemory() + lp.Pages().BytesSpilled()) / lines);
    std::printf(
        "  memory:       +%.1f MiB resident after recording, peak %.1f MiB\n", recordedMiB, statusMiB("VmHWM:"));

    const TPeer peer = runEnscript(rows, folder);
    if (!peer.Ran) {
        std::printf("enscript: not installed, no comparison (apt-get install enscript)\n");
        return 0;
    }
    const double peerRate = peer.Pages / peer.Seconds;
    std::printf("enscript, same lines to PostScript: %d pages in %.2f s, %.0f pages/s, peak %.1f MiB\n", peer.Pages,
        peer.Seconds, peerRate, peer.PeakMiB);
    std::printf("ratio (pages/s list printer / enscript): record %.2f, record + print to PDF %.2f\n",
        pages / recordSeconds / peerRate, pages / (recordSeconds + printSeconds) / peerRate);
    return 0;
}
