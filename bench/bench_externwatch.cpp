// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The engine's watches on the simulated line: CPU while idle and while a
// connection is up, and how fast a connection of another program is noticed.
#include "Folders.h"
#include "MessageDialog.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "SimulatedLine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>

namespace {
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds; returns the milliseconds it took.
template<typename Done>
double waitUntil(Done done, int limit)
{
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() > limit)
            loop.quit();
    });
    check.start(1);
    loop.exec();
    return double(timer.nsecsElapsed()) / 1e6;
}

double cpuPerHour(int milliseconds)
{
    const double before = cpuSeconds();
    runFor(milliseconds);
    return (cpuSeconds() - before) * 3600000.0 / milliseconds;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home, line;
    qputenv("RUFWERK_HOME", home.path().toLocal8Bit());
    qputenv("RUFWERK_LINE_DIR", line.path().toLocal8Bit());
    QApplication app(argc, argv);
    MessageDialog::SetHook([](MessageDialog::Kind, const QString &text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return false;
    });
    QFile book(line.filePath(QStringLiteral("rasphone.pbk")));
    if (!book.open(QIODevice::WriteOnly))
        return 1;
    book.write("[Fremd]\r\nPhoneNumber=0301234\r\nSimConnectDelay=0\r\n");
    book.close();
    const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 20;

    QWidget host;
    auto *engine = new TRASWorkUnit(&host);
    SimulatedLine other(line.path());

    std::printf("module loaded: %s\n", engine->ModuleIndex >= 0 ? "yes" : "no");
    std::printf("idle, no connection: %.2f CPU seconds per hour\n", cpuPerHour(seconds * 1000));

    QList<double> latencies;
    for (int round = 0; round < 5; ++round) {
        RasDialParams params;
        params.entryName = QStringLiteral("Fremd");
        RasHandle handle = 0;
        other.dialDetached(params, &handle);
        latencies << waitUntil([engine] { return engine->ConnectionState == ExternalOnline; }, 10000);
        if (round == 0)
            std::printf("external connection up: %.2f CPU seconds per hour\n", cpuPerHour(seconds * 1000));
        other.hangUp(handle);
        waitUntil([engine] { return engine->ConnectionState == Offline; }, 10000);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("external connection noticed after: min %.0f ms, median %.0f ms, max %.0f ms (5 rounds)\n",
                latencies.first(), latencies.at(2), latencies.last());
    return 0;
}
