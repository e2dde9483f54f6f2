// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The fee report's print preview over a fee log of a heavy user (100,000 records
// unless the first argument says otherwise): from "&Druckvorschau" to the first
// page on the screen, to the last page shown, and the memory the open preview
// holds; beside enscript laying out the same rows as PostScript pages.
// Runs offscreen without a display; under xvfb-run -a it paints on X.
#include "BenchFeeLog.h"
#include "BenchPaintWatch.h"
#include "FeeLogFile.h"
#include "FormFeeReport.h"
#include "FormListPrint.h"
#include "LPToolBar.h"
#include "ListPrint.h"
#include "ListPrintUi.h"
#include "MessageDialog.h"
#include "RASStrList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr int DefaultFeeRecords = 100000;

/// The page layout in memory: the benchmark measures the preview, not a settings file.
class MemorySettings : public ListPrintUi::TSettingsAccess {
public:
    std::optional<QString> Read(const QString &, const QString &) override { return std::nullopt; }
    bool Write(const QString &, const QList<std::pair<QString, QString>> &) override { return true; }
};

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

/// enscript turning the rows into PostScript pages, best of runs; 0 when it is not installed.
double enscriptMs(const QString &listPath, const QString &folder, int *pages)
{
    const QString program = QStandardPaths::findExecutable(u"enscript"_s);
    if (program.isEmpty())
        return 0;
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        QProcess enscript;
        QElapsedTimer clock;
        clock.start();
        enscript.start(program,
            { u"-q"_s, u"-f"_s, u"Helvetica8"_s, u"-X"_s, u"latin1"_s, u"-p"_s, folder + u"rows.ps"_s, listPath });
        if (!enscript.waitForFinished(120000) || enscript.exitCode() != 0)
            return 0;
        best = std::min(best, msSince(clock));
    }
    QFile ps(folder + u"rows.ps"_s);
    if (ps.open(QIODevice::ReadOnly))
        *pages = int(ps.readAll().count("%%Page:"));
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    MessageDialog::SetHook([](MessageDialog::Kind, const QString &text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return false;
    });
    ListPrintUi::SetMessageHook([](ListPrintUi::TMessageKind, const QString &text) {
        std::fprintf(stderr, "list printer: %s\n", qPrintable(text));
        return false;
    });
    ListPrintUi::SetSettingsAccess(std::make_shared<MemorySettings>());
    // Laid out as on a machine without printers: A4 at 300 dpi.
    TCustomListPrint::PrinterFactory = [] { return std::unique_ptr<QPrinter>(); };
    const int records = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultFeeRecords;

    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    qputenv("RUFWERK_HOME", dir.path().toLocal8Bit());
    TFeeLogFile file(folder);
    QString error;
    TextLines log;
    if (!BenchFeeLog::write(file.ListPath(), records, &error) || !file.Load(&log, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TRASStrList lists;
    lists.SetLines(u"FeeReport"_s, std::move(log));
    auto report = std::make_unique<TFormFeeReport>(&lists);
    report->show();
    QApplication::processEvents();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    const double rssBefore = BenchFeeLog::rssMib(QCoreApplication::applicationPid());

    double buildMs = 0, firstMs = 0, lastMs = 0, openMib = 0;
    int pages = 0;
    QElapsedTimer clock;
    TFormListPrint::ExecHook = [&](TFormListPrint *preview) {
        buildMs = msSince(clock);
        TTextReportPrint *lp = preview->TextReportPrint;
        PaintWatch painted(lp->findChild<QWidget *>(u"PaintBox"_s));
        preview->show();
        painted.wait();
        firstMs = msSince(clock);
        pages = lp->PageCount();
        lp->SetCurrentPage(pages);
        preview->LPToolBar1->UpdatePaging();
        painted.wait();
        lastMs = msSince(clock);
#ifdef __GLIBC__
        malloc_trim(0);
#endif
        openMib = BenchFeeLog::rssMib(QCoreApplication::applicationPid()) - rssBefore;
        return 0;
    };
    clock.start();
    report->findChild<QPushButton *>(u"BtnPrint"_s)->click();
    const double closedMs = msSince(clock);
    if (pages == 0) {
        std::fprintf(stderr, "the preview showed no page\n");
        return 1;
    }

    int enscriptPages = 0;
    QFile::copy(file.ListPath(), folder + u"rows.txt"_s);
    const double peerMs = enscriptMs(folder + u"rows.txt"_s, folder, &enscriptPages);

    std::printf("fee report print preview: %d records, %d pages; platform %s\n", records, pages,
        qPrintable(app.platformName()));
    std::printf("  printout built (preview not yet shown) %8.1f ms\n", buildMs);
    std::printf("  first page on the screen               %8.1f ms  (aim well under 1000 ms)\n", firstMs);
    std::printf("  last page on the screen                %8.1f ms\n", lastMs);
    std::printf("  memory of the open preview             %8.1f MiB (%.0f bytes per record)\n", openMib,
        openMib * 1024 * 1024 / records);
    std::printf("  preview closed and freed after         %8.1f ms\n", closedMs);
    if (peerMs > 0)
        std::printf("enscript, the same rows as PostScript: %d pages in %.1f ms; ratio last page / enscript %.2f\n",
            enscriptPages, peerMs, lastMs / peerMs);
    else
        std::printf("enscript: not installed, no comparison (apt-get install enscript)\n");
    return 0;
}
