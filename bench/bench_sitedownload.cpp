// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The site download against `wget --mirror --convert-links --no-parent` on one
// loopback site of pages and images, served by a process of its own: wall and
// CPU seconds (median of the rounds), files and bytes of each, the ratios, and
// whether both stored the same files. Without wget the peer is skipped.
// Arguments: [pages] [images] [rounds] (default 2000 2000 3).
#include "LoopbackHttpServer.h"
#include "SiteFixture.h"
#include "SiteScanner.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

namespace {

struct Result
{
    QList<double> wall;
    QList<double> cpu;
    qsizetype files = 0;
    qint64 bytes = 0;
    QSet<QString> names; // relative to the site's folder
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double cpuOf(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void measure(const QString &siteFolder, Result *result)
{
    result->files = 0;
    result->bytes = 0;
    result->names.clear();
    QDirIterator it(siteFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        ++result->files;
        result->bytes += it.fileInfo().size();
        result->names.insert(QDir(siteFolder).relativeFilePath(path));
    }
}

void print(const char *who, const Result &r)
{
    const double wall = median(r.wall);
    std::printf("%-8s %7.2f s wall %7.2f s CPU %7lld files %11lld bytes %8.0f files/s\n", who, wall, median(r.cpu),
                static_cast<long long>(r.files), static_cast<long long>(r.bytes),
                wall > 0 ? double(r.files) / wall : 0.0);
}

/// The server process: serves the site and prints its port.
int serve(int pages, int images)
{
    LoopbackHttpServer server;
    if (!server.start())
        return 1;
    SiteFixture::installLarge(server, pages, images);
    std::printf("%d\n", int(server.port()));
    std::fflush(stdout);
    // Until the benchmark closes the pipe.
    char c;
    while (std::fread(&c, 1, 1, stdin) == 1) {
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool server = !args.isEmpty() && args.first() == QLatin1String("--serve");
    if (server)
        args.removeFirst();
    const int pages = args.size() > 0 ? args.at(0).toInt() : 2000;
    const int images = args.size() > 1 ? args.at(1).toInt() : 2000;
    const int rounds = std::max(1, args.size() > 2 ? args.at(2).toInt() : 3);
    if (server)
        return serve(pages, images);

    QProcess site;
    site.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--serve"), QString::number(pages), QString::number(images)});
    if (!site.waitForReadyRead(120000)) {
        std::printf("the site server did not start\n");
        return 1;
    }
    const int port = site.readLine().trimmed().toInt();
    const QString start = QStringLiteral("http://127.0.0.1:%1/site/").arg(port);
    std::printf("site: %d pages, %d images, 40 section pages and the start page at %s; %d rounds\n", pages, images,
                qPrintable(start), rounds);

    const QString wget = QStandardPaths::findExecutable(QStringLiteral("wget"));
    if (wget.isEmpty())
        std::printf("wget is not installed: the comparison is skipped (scripts/deps.sh installs it)\n");

    Result rufwerk;
    Result peer;
    for (int round = 0; round < rounds; ++round) {
        {
            QTemporaryDir folder;
            TSiteScanner scanner;
            scanner.BaseURL = start;
            scanner.DestinationDir = folder.filePath(QStringLiteral("URL"));
            scanner.Depth = 10;
            scanner.MaxDownloadKB = 0;
            scanner.LinkConversion = lcOffline;
            QEventLoop loop;
            QObject::connect(&scanner, &TSiteScanner::OnProcessed, &loop, &QEventLoop::quit);
            const double cpu = cpuOf(RUSAGE_SELF);
            QElapsedTimer clock;
            clock.start();
            scanner.Start();
            loop.exec();
            rufwerk.wall << double(clock.nsecsElapsed()) / 1e9;
            rufwerk.cpu << cpuOf(RUSAGE_SELF) - cpu;
            measure(folder.filePath(QStringLiteral("URL/127.0.0.1/site")), &rufwerk);
        }
        if (wget.isEmpty())
            continue;
        QTemporaryDir folder;
        QProcess process;
        process.setWorkingDirectory(folder.path());
        const double cpu = cpuOf(RUSAGE_CHILDREN);
        QElapsedTimer clock;
        clock.start();
        process.start(wget, {QStringLiteral("--mirror"), QStringLiteral("--convert-links"),
                             QStringLiteral("--no-parent"), QStringLiteral("--quiet"), QStringLiteral("--no-proxy"),
                             start});
        if (!process.waitForFinished(600000)) {
            std::printf("wget did not finish\n");
            return 1;
        }
        peer.wall << double(clock.nsecsElapsed()) / 1e9;
        peer.cpu << cpuOf(RUSAGE_CHILDREN) - cpu;
        measure(folder.filePath(QStringLiteral("127.0.0.1:%1/site").arg(port)), &peer);
    }
    site.closeWriteChannel();
    site.waitForFinished(10000);

    print("Rufwerk", rufwerk);
    if (wget.isEmpty())
        return 0;
    print("wget", peer);
    std::printf("ratio wget/Rufwerk: wall %.2f, CPU %.2f, files %.3f, bytes %.3f\n",
                median(peer.wall) / median(rufwerk.wall), median(peer.cpu) / median(rufwerk.cpu),
                double(peer.files) / double(rufwerk.files), double(peer.bytes) / double(rufwerk.bytes));
    const QSet<QString> onlyOurs = rufwerk.names - peer.names;
    const QSet<QString> onlyTheirs = peer.names - rufwerk.names;
    std::printf("same files: %s (only Rufwerk %lld, only wget %lld)\n",
                onlyOurs.isEmpty() && onlyTheirs.isEmpty() ? "yes" : "no", static_cast<long long>(onlyOurs.size()),
                static_cast<long long>(onlyTheirs.size()));
    int shown = 0;
    for (const QString &name : onlyOurs)
        if (shown++ < 5)
            std::printf("  only Rufwerk: %s\n", qPrintable(name));
    shown = 0;
    for (const QString &name : onlyTheirs)
        if (shown++ < 5)
            std::printf("  only wget:    %s\n", qPrintable(name));
    return 0;
}
