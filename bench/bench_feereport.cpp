// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The fee report over a fee log of a heavy user (1,000,000 records unless the first
// argument says otherwise), beside awk summing the same file's costs: loading the
// log, opening the report with its totals and the table scrolled to its end,
// deleting a period of half the rows, saving at exit, and the monthly overview.
// Runs offscreen without a display; under xvfb-run -a it paints on X.
#include "BenchFeeLog.h"
#include "BenchPaintWatch.h"
#include "FeeLogFile.h"
#include "FeeMonths.h"
#include "FormFeeMonths.h"
#include "FormFeeReport.h"
#include "MessageDialog.h"
#include "RASStrList.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int DefaultFeeRecords = 1000000;
constexpr int AwkRuns = 3;

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
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
    const int records = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultFeeRecords;

    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    TFeeLogFile file(folder);
    QString error;
    if (!BenchFeeLog::write(file.ListPath(), records, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double fileMb = double(QFileInfo(file.ListPath()).size()) / (1024.0 * 1024.0);
    // The backup a returning user already has.
    QFile::copy(file.ListPath(), file.BackupPath());
    const BenchFeeLog::AwkRun awk = BenchFeeLog::awkSum(file.ListPath(), AwkRuns);
    std::printf("fee log: %d records, %.1f MiB; platform %s\n", records, fileMb, qPrintable(app.platformName()));
    std::printf("awk (%s) summing the costs: best %.1f ms (sum %s)\n", qPrintable(awk.program), awk.bestMs,
                awk.sum.constData());
    auto report = [&awk](const char *what, double ms, const char *aim) {
        std::printf("%-44s %8.1f ms  %5.2f x awk%s\n", what, ms, ms / awk.bestMs, aim);
    };

    // What generating the file left on the heap is not the log's memory.
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    const double rssBefore = BenchFeeLog::rssMib(QCoreApplication::applicationPid());
    TRASStrList lists;
    QElapsedTimer clock;
    clock.start();
    TextLines log;
    if (!file.Load(&log, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    lists.SetLines(QStringLiteral("FeeReport"), std::move(log));
    report("load at start", msSince(clock), "");
    std::printf("%-44s %8.1f MiB (file %.1f MiB)\n", "memory of the loaded log",
                BenchFeeLog::rssMib(QCoreApplication::applicationPid()) - rssBefore, fileMb);

    clock.restart();
    const FeeRecord::Totals totals = FeeRecord::Sum(*lists.Compact(QStringLiteral("FeeReport")), true);
    const double sumMs = msSince(clock);

    clock.restart();
    auto form = std::make_unique<TFormFeeReport>(&lists);
    const double createMs = msSince(clock);
    auto *table = form->findChild<QTableView *>(QStringLiteral("ListBoxFees"));
    PaintWatch painted(table->viewport());
    form->show();
    painted.wait();
    report("report open: totals, scrolled to the end", msSince(clock), "  (aim <= 1)");
    std::printf("  of which totals %.1f ms (%lld s), window built and filled %.1f ms\n", sumMs,
                qlonglong(totals.seconds), createMs);
    std::printf("  %d rows, %s to %s, %s, %s; current row %d\n", table->model()->rowCount(),
                qPrintable(form->DateBegin()), qPrintable(form->DateEnd()), qPrintable(form->TotalTime()),
                qPrintable(form->TotalCost()), table->currentIndex().row());

    clock.restart();
    const int half = records / 2;
    const int first = records / 4;
    table->selectionModel()->select(QItemSelection(table->model()->index(first, 0),
                                                   table->model()->index(first + half - 1, 6)),
                                    QItemSelectionModel::Select);
    const double selectMs = msSince(clock);
    clock.restart();
    form->findChild<QPushButton *>(QStringLiteral("BtnDelPeriod"))->click();
    painted.wait();
    report("delete a period of half the rows", msSince(clock), "");
    std::printf("  selecting them took %.1f ms; %d rows left, %s, %s\n", selectMs, table->model()->rowCount(),
                qPrintable(form->TotalTime()), qPrintable(form->TotalCost()));
    form.reset();

    clock.restart();
    const QList<FeeMonths::Row> months = FeeMonths::Compute(*lists.Compact(QStringLiteral("FeeReport")));
    report("monthly overview: totals", msSince(clock), "");
    std::printf("  %lld rows of month and connection\n", qlonglong(months.size()));

    clock.restart();
    {
        TFormFeeMonths window(*lists.Compact(QStringLiteral("FeeReport")));
        window.show();
        PaintWatch shown(window.findChild<QWidget *>(QStringLiteral("TreeMonths")));
        shown.wait();
        report("monthly overview window, latest year", msSince(clock), "");
        clock.restart();
        window.findChild<QComboBox *>(QStringLiteral("CBYear"))->setCurrentIndex(0);
        shown.wait();
        report("  switched to all years", msSince(clock), "");
    }

    clock.restart();
    if (!file.Save(*lists.Compact(QStringLiteral("FeeReport")), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    report("save at exit after the deletion", msSince(clock), "");
    clock.restart();
    file.Save(*lists.Compact(QStringLiteral("FeeReport")), &error);
    report("save at exit, nothing changed", msSince(clock), "");

    clock.restart();
    if (!FeeCsv::WriteLog(*lists.Compact(QStringLiteral("FeeReport")), folder + QStringLiteral("log.csv"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    report("CSV export of the remaining log", msSince(clock), "");
    return 0;
}
