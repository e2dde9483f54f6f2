// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Cost of what the online watcher polls every 500 ms on the simulated line
// (enumConnections + readStatistics with 10 connections) and of enumerating a
// phone book of 1,000 entries.

#include "SimPhoneBook.h"
#include "SimulatedLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

template<typename F>
double microsecondsPerCall(int calls, F &&f)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i)
        f();
    return double(timer.nsecsElapsed()) / 1000.0 / calls;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    {
        SimulatedLine line(dir.path() + QLatin1String("/poll"));
        RasEntry entry;
        entry.localPhoneNumber = QStringLiteral("01929 1771");
        entry.passThrough.insert(QStringLiteral("SimConnectDelay"), QStringLiteral("0"));
        line.setEntryProperties(QStringLiteral("Netzwerk Nord"), entry);
        RasDialParams params;
        params.entryName = QStringLiteral("Netzwerk Nord");
        for (int i = 0; i < 10; ++i) {
            RasHandle handle = 0;
            line.dialDetached(params, &handle);
        }
        // Another process's view: nothing cached from dialing.
        SimulatedLine watcher(line.folder());
        QList<RasConnection> connections;
        RasStatistics statistics;
        watcher.enumConnections(&connections);
        const double cold = microsecondsPerCall(1, [&] {
            SimulatedLine fresh(line.folder());
            fresh.enumConnections(&connections);
            fresh.readStatistics(&statistics);
        });
        const double warm = microsecondsPerCall(20000, [&] {
            watcher.enumConnections(&connections);
            watcher.readStatistics(&statistics);
        });
        std::printf("enumConnections + readStatistics, %lld connections: %.2f us per call (first call %.1f us)\n",
                    qint64(connections.size()), warm, cold);
    }

    {
        SimulatedLine line(dir.path() + QLatin1String("/book"));
        line.phoneBook().modify([](SimPhoneBookText &text) {
            for (int i = 0; i < 1000; ++i) {
                SimPhoneBookSection section{QStringLiteral("Anbieter %1").arg(i, 4, 10, QLatin1Char('0')), {}};
                RasEntry entry;
                entry.localPhoneNumber = QStringLiteral("0192 %1").arg(i);
                entry.deviceType = QStringLiteral("modem");
                entry.deviceName = QStringLiteral("Simuliertes Modem 56k");
                simApplyEntry(&section, entry);
                section.setValue(QStringLiteral("SimConnectDelay"), QStringLiteral("2"));
                text.sections.append(section);
            }
            return RasError::Success;
        });
        QStringList names;
        const double parse = microsecondsPerCall(5, [&] {
            SimulatedLine fresh(line.folder());
            fresh.enumEntries(&names);
        });
        line.enumEntries(&names);
        // The first reads right after the write parse again (file times are coarse).
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 150)
            line.enumEntries(&names);
        const double cached = microsecondsPerCall(20000, [&] { line.enumEntries(&names); });
        RasEntry entry;
        const double lookup = microsecondsPerCall(20000, [&] {
            line.getEntryProperties(QStringLiteral("Anbieter 0500"), &entry);
        });
        std::printf("enumEntries, %lld entries: %.2f us per call (parsing the file: %.0f us)\n",
                    qint64(names.size()), cached, parse);
        std::printf("getEntryProperties in %lld entries: %.2f us per call\n", qint64(names.size()), lookup);
    }
    return 0;
}
