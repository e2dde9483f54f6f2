// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
//
// CPU cost of one poll of the active-connection watcher against the simulated
// line, and what that costs per hour at the engine's 500 ms interval.
#include "DialUpService.h"
#include "OnLineDetect.h"
#include "SimulatedLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <ctime>

namespace {

constexpr int EnginePollMs = 500;

double cpuSeconds()
{
    timespec ts {};
#ifdef CLOCK_PROCESS_CPUTIME_ID
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
#else
    return double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

bool addEntries(SimulatedLine &line, int count)
{
    for (int i = 1; i <= count; ++i) {
        RasEntry entry;
        entry.localPhoneNumber = QStringLiteral("0301000%1").arg(i);
        entry.deviceType = QStringLiteral("modem");
        entry.deviceName = QStringLiteral("Standardmodem");
        entry.passThrough.insert(QStringLiteral("SimConnectDelay"), QStringLiteral("0"));
        if (line.setEntryProperties(QStringLiteral("Bench %1").arg(i), entry) != RasError::Success)
            return false;
    }
    return true;
}

// Back-to-back polls hit the line's caches while they are fresh; spaced polls
// (spacingMs > 0) pay for what the line rechecks after a while, as the engine's do.
void measure(int connections, int polls, int spacingMs = 0)
{
    QTemporaryDir folder;
    SimulatedLine line(folder.path());
    if (!folder.isValid() || !addEntries(line, connections)) {
        std::printf("%2d connection(s): cannot set up the simulated line\n", connections);
        return;
    }
    QList<RasHandle> handles;
    for (int i = 1; i <= connections; ++i) {
        RasDialParams params;
        params.entryName = QStringLiteral("Bench %1").arg(i);
        RasHandle handle = 0;
        if (line.dial(params, &handle) != RasError::Success) {
            std::printf("%2d connection(s): dialing failed\n", connections);
            return;
        }
        handles << handle;
    }

    TOnLineDetect detect(nullptr, &line);
    detect.setEnabled(false);
    // Warm up until every connection is counted and the last one is up.
    for (int i = 0;
         i < 1000 && !(detect.Names().size() == connections && detect.LastStatus().state == RasState::Connected); ++i)
        detect.Poll();
    if (detect.Names().size() != connections)
        std::printf("%2d connection(s): the watcher sees %lld\n", connections, qlonglong(detect.Names().size()));

    double cpu = 0;
    qint64 wallNs = 0;
    for (int i = 0; i < polls; ++i) {
        if (spacingMs > 0)
            QThread::msleep(spacingMs);
        QElapsedTimer wall;
        const double cpuStart = cpuSeconds();
        wall.start();
        detect.Poll();
        cpu += cpuSeconds() - cpuStart;
        wallNs += wall.nsecsElapsed();
    }
    const double wallSeconds = double(wallNs) / 1e9;

    const double cpuPerPollUs = cpu / polls * 1e6;
    const double pollsPerHour = 3600.0 * 1000.0 / EnginePollMs;
    std::printf("%2d connection(s), %s: %5d polls, CPU %8.1f us/poll, wall %8.1f us/poll, "
                "%.3f CPU s/hour at %d ms (%.4f %% of one core)\n",
        connections, spacingMs > 0 ? "spaced  " : "batched", polls, cpuPerPollUs, wallSeconds / polls * 1e6,
        cpuPerPollUs * pollsPerHour / 1e6, EnginePollMs, cpuPerPollUs * pollsPerHour / 1e6 / 36.0);

    for (const RasHandle handle : std::as_const(handles))
        line.hangUp(handle);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("TOnLineDetect::Poll() against the simulated line\n");
    measure(0, 5000);
    measure(1, 5000);
    measure(10, 2000);
    measure(1, 10, EnginePollMs);
    measure(10, 10, EnginePollMs);
    return 0;
}
