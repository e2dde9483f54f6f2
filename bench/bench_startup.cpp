// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Start time (process start until the main window is mapped) and resident memory of
// the real program with a fee log of a heavy user (1,000,000 records unless the first
// argument says otherwise) and 100 phone-book entries, beside awk summing the same
// file's costs. Needs an X server: xvfb-run -a build/bench/bench_startup [records]
//
// The window is detected through the X server itself: the bench listens for the
// root window's MapNotify events, so the program needs no hook and no polling
// helper competes with it for the processor. Without libxcb at build time it
// only says so.
#include "BenchFeeLog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef RUFWERK_HAVE_XCB
#include <xcb/xcb.h>

namespace {

constexpr int DefaultFeeRecords = 1000000;
constexpr int AwkRuns = 3;
constexpr int MeasuredRuns = 5;
constexpr int SettleMs = 300;
constexpr int ShowTimeoutMs = 30000;

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "bench_startup: %s\n", qPrintable(message));
    std::exit(1);
}

void writePhoneBook(const QString &tool, const QProcessEnvironment &env)
{
    for (int i = 0; i < BenchFeeLog::BookEntries; ++i) {
        QProcess add;
        add.setProcessEnvironment(env);
        QStringList args{QStringLiteral("add"), BenchFeeLog::entryName(i), BenchFeeLog::entryNumber(i)};
        if (i % 4 == 3)
            args << QStringLiteral("DEVICE=isdn");
        add.start(tool, args);
        if (!add.waitForFinished(10000) || add.exitStatus() != QProcess::NormalExit || add.exitCode() != 0)
            fail(QStringLiteral("%1 add failed: %2").arg(tool, QString::fromLocal8Bit(add.readAllStandardError())));
    }
}

// Reports the main window of one process being mapped. It is told apart from the
// splash window ("Kovatek Rufwerk") and Qt's unmapped helper windows by its title,
// which always begins with "Rufwerk", and from other clients by _NET_WM_PID.
class MapWatcher
{
public:
    bool open(QString *why)
    {
        int screenNumber = 0;
        conn = xcb_connect(nullptr, &screenNumber);
        if (!conn || xcb_connection_has_error(conn)) {
            *why = QStringLiteral("no X display (run it under xvfb-run -a)");
            return false;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
        for (int s = 0; s < screenNumber && it.rem; ++s)
            xcb_screen_next(&it);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        if (xcb_generic_error_t *error =
                xcb_request_check(conn, xcb_change_window_attributes_checked(conn, it.data->root, XCB_CW_EVENT_MASK, &mask))) {
            std::free(error);
            *why = QStringLiteral("cannot watch the root window");
            return false;
        }
        pidAtom = atom("_NET_WM_PID");
        nameAtom = atom("_NET_WM_NAME");
        return pidAtom && nameAtom;
    }

    int fd() const { return xcb_get_file_descriptor(conn); }

    /// Handles all queued events; true when the watched process's main window was mapped.
    bool drain(qint64 pid)
    {
        bool mapped = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(conn)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && pid > 0 && !mapped) {
                const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
                mapped = property(map->window, pidAtom) == QByteArray::number(pid)
                    && property(map->window, nameAtom).startsWith("Rufwerk");
            }
            std::free(event);
        }
        return mapped;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    // A CARDINAL comes back as its decimal text, anything else as its bytes.
    QByteArray property(xcb_window_t window, xcb_atom_t name)
    {
        xcb_get_property_reply_t *reply =
            xcb_get_property_reply(conn, xcb_get_property(conn, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
        if (!reply)
            return {};
        QByteArray value;
        const char *data = static_cast<const char *>(xcb_get_property_value(reply));
        const int length = xcb_get_property_value_length(reply);
        if (reply->type == XCB_ATOM_CARDINAL && reply->format == 32 && length >= 4)
            value = QByteArray::number(*reinterpret_cast<const uint32_t *>(data));
        else
            value = QByteArray(data, length);
        std::free(reply);
        return value;
    }

    xcb_connection_t *conn = nullptr;
    xcb_atom_t pidAtom = XCB_ATOM_NONE;
    xcb_atom_t nameAtom = XCB_ATOM_NONE;
};

struct Run
{
    double startupMs = 0;
    double rssMib = 0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Fee-log amounts and tariffs are written with German decimals, as the program does.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    QString program = qEnvironmentVariable("RUFWERK_BIN");
    if (program.isEmpty())
        program = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/rufwerk"));
    const QString tool = QFileInfo(program).absolutePath() + QStringLiteral("/rufwerk-line");
    if (!QFileInfo(program).isExecutable())
        fail(QStringLiteral("program not found: %1 (set RUFWERK_BIN)").arg(program));
    if (!QFileInfo(tool).isExecutable())
        fail(QStringLiteral("line tool not found: %1").arg(tool));

    MapWatcher watcher;
    QString why;
    if (!watcher.open(&why))
        fail(why);

    QTemporaryDir tmp;
    if (!tmp.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QString home = tmp.filePath(QStringLiteral("home"));
    const QString lineDir = tmp.filePath(QStringLiteral("line"));
    const QString runtimeDir = tmp.filePath(QStringLiteral("runtime"));
    QDir().mkpath(home);
    QDir().mkpath(lineDir);
    QDir().mkpath(runtimeDir);
    QFile::setPermissions(runtimeDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RUFWERK_HOME"), home);
    env.insert(QStringLiteral("RUFWERK_LINE_DIR"), lineDir);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    // An inherited offscreen platform would never map a window.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    writePhoneBook(tool, env);
    const int records = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultFeeRecords;
    const QString feeLog = home + QStringLiteral("/FeeReport.Lst");
    if (!BenchFeeLog::write(feeLog, records, &why))
        fail(why);
    const double fileMb = double(QFileInfo(feeLog).size()) / (1024.0 * 1024.0);
    std::printf("fee log: %d records, %.1f MiB; phone book: %d entries\n", records, fileMb, BenchFeeLog::BookEntries);
    const BenchFeeLog::AwkRun awk = BenchFeeLog::awkSum(feeLog, AwkRuns);

    QSocketNotifier notifier(watcher.fd(), QSocketNotifier::Read);
    const QString errorLog = tmp.filePath(QStringLiteral("stderr.txt"));

    // The first run of each series warms the caches and leaves the settings and
    // the fee-log backup a returning user has; it is not counted.
    const auto measure = [&] {
        std::vector<Run> runs;
        for (int r = 0; r <= MeasuredRuns; ++r) {
            watcher.drain(0);
            QProcess proc;
            proc.setProcessEnvironment(env);
            proc.setStandardOutputFile(QProcess::nullDevice());
            proc.setStandardErrorFile(errorLog);

            QEventLoop loop;
            bool shown = false;
            qint64 pid = 0;
            const auto check = [&] {
                if (watcher.drain(pid)) {
                    shown = true;
                    loop.quit();
                }
            };
            const QMetaObject::Connection onX = QObject::connect(&notifier, &QSocketNotifier::activated, &loop, check);
            const QMetaObject::Connection onEnd =
                QObject::connect(&proc, &QProcess::finished, &loop, [&loop] { loop.quit(); });
            QTimer::singleShot(ShowTimeoutMs, &loop, &QEventLoop::quit);

            QElapsedTimer clock;
            clock.start();
            proc.start(program, {});
            if (!proc.waitForStarted(10000))
                fail(QStringLiteral("cannot start %1: %2").arg(program, proc.errorString()));
            pid = proc.processId();
            check(); // events that arrived while starting
            if (!shown)
                loop.exec();
            const double startupMs = double(clock.nsecsElapsed()) / 1e6;
            QObject::disconnect(onX);
            QObject::disconnect(onEnd);

            if (!shown) {
                const bool ended = proc.state() == QProcess::NotRunning;
                proc.kill();
                proc.waitForFinished(5000);
                QFile log(errorLog);
                log.open(QIODevice::ReadOnly);
                fail(QStringLiteral("run %1: main window not shown (%2); program's stderr:\n%3")
                         .arg(r)
                         .arg(ended ? QStringLiteral("program ended") : QStringLiteral("timeout"))
                         .arg(QString::fromLocal8Bit(log.readAll())));
            }

            QEventLoop settle;
            QTimer::singleShot(SettleMs, &settle, &QEventLoop::quit);
            settle.exec();
            const double rss = BenchFeeLog::rssMib(pid);

            proc.terminate();
            if (!proc.waitForFinished(20000)) {
                proc.kill();
                proc.waitForFinished(5000);
                fail(QStringLiteral("run %1: program did not end on SIGTERM").arg(r));
            }
            if (proc.exitStatus() != QProcess::NormalExit || proc.exitCode() != 0)
                std::fprintf(stderr, "bench_startup: run %d ended with exit code %d\n", r, proc.exitCode());
            if (r > 0)
                runs.push_back({startupMs, rss});
        }
        return runs;
    };
    const std::vector<Run> runs = measure();
    const BenchFeeLog::AwkRun awkAfter = BenchFeeLog::awkSum(feeLog, AwkRuns);
    // The same start without a fee log: what the log itself costs.
    QFile::rename(feeLog, feeLog + QStringLiteral(".away"));
    QFile::remove(home + QStringLiteral("/FeeReport.BAK"));
    const std::vector<Run> bare = measure();

    std::vector<double> times;
    std::vector<double> rss;
    QString detail;
    for (const Run &run : runs) {
        times.push_back(run.startupMs);
        rss.push_back(run.rssMib);
        detail += QStringLiteral(" %1/%2").arg(run.startupMs, 0, 'f', 1).arg(run.rssMib, 0, 'f', 1);
    }
    const double awkMs = std::min(awk.bestMs, awkAfter.bestMs);
    std::printf("awk (%s) summing the costs: best %.1f ms (sum %s)\n", qPrintable(awk.program), awkMs,
                awk.sum.constData());
    std::printf("runs (startup ms/rss MiB):%s\n", qPrintable(detail));
    const double best = *std::min_element(times.begin(), times.end());
    std::printf("startup_ms best=%.1f median=%.1f max=%.1f; median/awk=%.2f (aim <= 0.33)\n", best, median(times),
                *std::max_element(times.begin(), times.end()), median(times) / awkMs);
    std::printf("rss_mib=%.1f; file + 50 MiB = %.1f; rss - file = %.1f MiB (aim <= 50)\n", median(rss), fileMb + 50,
                median(rss) - fileMb);
    std::vector<double> bareTimes;
    std::vector<double> bareRss;
    for (const Run &run : bare) {
        bareTimes.push_back(run.startupMs);
        bareRss.push_back(run.rssMib);
    }
    std::printf("without a fee log: startup_ms best=%.1f median=%.1f (median/awk=%.2f), rss_mib=%.1f; "
                "the log adds %.1f ms and %.1f MiB\n",
                *std::min_element(bareTimes.begin(), bareTimes.end()), median(bareTimes), median(bareTimes) / awkMs,
                median(bareRss), median(times) - median(bareTimes), median(rss) - median(bareRss));
    return 0;
}

#else

int main()
{
    std::fprintf(stderr, "bench_startup: built without <xcb/xcb.h>; the main window cannot be detected\n");
    return 1;
}

#endif
