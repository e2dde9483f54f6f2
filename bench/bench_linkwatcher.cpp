// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
//
// Cost of one poll of the kernel's point-to-point links with 1, 10 and 100 TUN
// links: the rtnetlink watcher, the system backend's enumeration and the
// active-connection watcher on top of it, beside reading the same counters
// from /sys/class/net/*/statistics in the same run.
//
// Needs root: the links live in a network namespace of the benchmark's own,
// which goes with everything in it when the benchmark ends.
#include "DialUpService.h"
#include "LinkWatcher.h"
#include "OnLineDetect.h"
#include "PppDialUpService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Polls = 2000;

// Reads rx_bytes and tx_bytes of every interface the way a sysfs-based watcher would.
quint64 readSysfsCounters()
{
    quint64 sum = 0;
    DIR *dir = opendir("/sys/class/net");
    if (!dir)
        return 0;
    char path[512];
    char text[32];
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        for (const char *counter : { "rx_bytes", "tx_bytes" }) {
            std::snprintf(path, sizeof path, "/sys/class/net/%s/statistics/%s", entry->d_name, counter);
            const int fd = open(path, O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            const ssize_t n = read(fd, text, sizeof text - 1);
            close(fd);
            if (n > 0) {
                text[n] = 0;
                sum += std::strtoull(text, nullptr, 10);
            }
        }
    }
    closedir(dir);
    return sum;
}

template <typename Poll> double microsecondsPerPoll(Poll poll)
{
    for (int i = 0; i < Polls / 10; ++i)
        poll();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Polls; ++i)
        poll();
    return double(timer.nsecsElapsed()) / 1000.0 / Polls;
}

bool addLinks(int from, int to)
{
    QByteArray commands;
    for (int k = from; k < to; ++k) {
        commands += QByteArray("tuntap add dev rwb%1 mode tun\n").replace("%1", QByteArray::number(k));
        commands += QStringLiteral("addr add 10.200.%1.1 peer 10.201.%1.1 dev rwb%1\n").arg(k).toLatin1();
        commands += QByteArray("link set rwb%1 up\n").replace("%1", QByteArray::number(k));
    }
    QProcess ip;
    ip.start(QStringLiteral("ip"), { QStringLiteral("-batch"), QStringLiteral("-") });
    ip.write(commands);
    ip.closeWriteChannel();
    return ip.waitForFinished(60000) && ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0;
}

int inside()
{
    LinkWatcher watcher;
    QTemporaryDir book;
    PppDialUpService::Config config;
    config.phoneBookFolder = book.path();
    config.secrets = nullptr;
    PppDialUpService service(config);
    TOnLineDetect detect(nullptr, &service);
    detect.setEnabled(false);

    std::printf("links   watcher us/poll   backend us/poll   TOnLineDetect us/poll   sysfs us/read   sysfs/watcher\n");
    int have = 0;
    for (const int links : { 1, 10, 100 }) {
        if (!addLinks(have, links)) {
            std::printf("%5d   cannot create the TUN links\n", links);
            return 1;
        }
        have = links;
        QList<PointToPointLink> found;
        if (watcher.poll(&found) != 0 || found.size() != links) {
            std::printf("%5d   the watcher sees %lld links\n", links, qlonglong(found.size()));
            return 1;
        }
        QList<PointToPointLink> out;
        const double watcherUs = microsecondsPerPoll([&] { watcher.poll(&out); });
        QList<RasConnection> connections;
        const double backendUs = microsecondsPerPoll([&] { service.enumConnections(&connections); });
        const double detectUs = microsecondsPerPoll([&] { detect.Poll(); });
        volatile quint64 sink = 0;
        const double sysfsUs = microsecondsPerPoll([&] { sink = sink + readSysfsCounters(); });
        std::printf("%5d   %15.1f   %15.1f   %21.1f   %13.1f   %13.2f\n", links, watcherUs, backendUs, detectUs,
            sysfsUs, sysfsUs / watcherUs);
    }
    std::printf("The engine polls every 500 ms; the aim is a poll far below 1 ms (1000 us).\n");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--inside") == 0)
        return inside();

    if (geteuid() != 0 || !QFile::exists(QStringLiteral("/dev/net/tun"))) {
        std::printf("bench_linkwatcher: skipped, needs root and /dev/net/tun for TUN links in a network namespace\n");
        return 0;
    }
    const QString ns = QStringLiteral("rufwerk-bench-%1").arg(getpid());
    if (QProcess::execute(QStringLiteral("ip"), { QStringLiteral("netns"), QStringLiteral("add"), ns }) != 0) {
        std::printf("bench_linkwatcher: skipped, ip netns add failed\n");
        return 0;
    }
    std::printf("TUN point-to-point links in network namespace %s, %d polls per figure\n", qPrintable(ns), Polls);
    std::fflush(stdout);
    // "ip netns exec" also mounts the namespace's own /sys for the sysfs reading.
    const int result = QProcess::execute(QStringLiteral("ip"),
        { QStringLiteral("netns"), QStringLiteral("exec"), ns, QCoreApplication::applicationFilePath(),
            QStringLiteral("--inside") });
    QProcess::execute(QStringLiteral("ip"), { QStringLiteral("netns"), QStringLiteral("del"), ns });
    return result;
}
