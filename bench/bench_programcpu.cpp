// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The running program on the simulated line: its CPU while nothing happens and
// while another program's connection is up, and how soon it notices that
// connection. Runs the real executable (offscreen unless a display is asked
// for with RUFWERK_BENCH_PLATFORM).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// CPU time of a process in seconds: the scheduler's nanoseconds of all its
// threads where the kernel keeps them, else user plus system clock ticks, which
// miss most of a program that wakes briefly a few times a second.
double cpuSeconds(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    qint64 nanoseconds = 0;
    bool haveSchedstat = !threads.isEmpty();
    for (const QString &thread : threads) {
        QFile schedstat(tasks.filePath(thread + QStringLiteral("/schedstat")));
        if (!schedstat.open(QIODevice::ReadOnly)) {
            haveSchedstat = false;
            break;
        }
        nanoseconds += schedstat.readAll().split(' ').value(0).toLongLong();
    }
    if (haveSchedstat && nanoseconds > 0)
        return double(nanoseconds) / 1e9;

    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name may hold spaces; the fields count from its closing parenthesis.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = double(fields.at(11).toLongLong() + fields.at(12).toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

double cpuPerHour(qint64 pid, int seconds)
{
    const double before = cpuSeconds(pid);
    QThread::sleep(seconds);
    const double after = cpuSeconds(pid);
    return (after - before) * 3600.0 / seconds;
}

bool protocolHas(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString bin = qEnvironmentVariable("RUFWERK_BIN", app.applicationDirPath() + QStringLiteral("/../bin"));
    const QString program = bin + QStringLiteral("/rufwerk");
    const QString tool = bin + QStringLiteral("/rufwerk-line");
    if (!QFile::exists(program) || !QFile::exists(tool)) {
        std::printf("rufwerk or rufwerk-line not found in %s\n", qPrintable(bin));
        return 1;
    }
    int window = qEnvironmentVariableIntValue("RUFWERK_BENCH_SECONDS");
    if (window <= 0)
        window = 30;

    QTemporaryDir home;
    QTemporaryDir line;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RUFWERK_HOME"), home.path());
    env.insert(QStringLiteral("RUFWERK_LINE_DIR"), line.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               qEnvironmentVariable("RUFWERK_BENCH_PLATFORM", QStringLiteral("offscreen")));
    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.start(tool, {QStringLiteral("demo")});
    demo.waitForFinished();

    QProcess rufwerk;
    rufwerk.setProcessEnvironment(env);
    rufwerk.setProcessChannelMode(QProcess::ForwardedChannels);
    rufwerk.start(program);
    if (!rufwerk.waitForStarted())
        return 1;
    const qint64 pid = rufwerk.processId();
    QThread::sleep(3); // past its start-up

    const double idle = cpuPerHour(pid, window);
    std::printf("idle, no connection:      %.2f CPU s/h (%d s measured)\n", idle, window);

    const QString protocol = home.filePath(QStringLiteral("Rufwerk-Log.TXT"));
    QProcess dialer;
    dialer.setProcessEnvironment(env);
    dialer.start(tool, {QStringLiteral("dial"), QStringLiteral("Netzwerk Nord")});
    dialer.waitForStarted();
    // The tool reports the connection the moment the line has it up.
    QElapsedTimer clock;
    clock.start();
    qint64 connectedAt = -1;
    qint64 noticedAt = -1;
    QByteArray said;
    while (clock.elapsed() < 20000 && noticedAt < 0) {
        dialer.waitForReadyRead(10);
        said += dialer.readAllStandardOutput();
        if (connectedAt < 0 && said.contains("Verbunden"))
            connectedAt = clock.elapsed();
        if (protocolHas(protocol, "Externe Verbindung: "))
            noticedAt = clock.elapsed();
    }
    if (connectedAt >= 0 && noticedAt >= 0)
        std::printf("external connection up -> shown as external: %lld ms\n", noticedAt - connectedAt);
    else
        std::printf("external connection not noticed within 20 s\n");

    QThread::sleep(3); // past noticing it: the rate while it stays up
    const double online = cpuPerHour(pid, window);
    std::printf("external connection up:   %.2f CPU s/h (%d s measured)\n", online, window);

    QProcess hangup;
    hangup.setProcessEnvironment(env);
    hangup.start(tool, {QStringLiteral("hangup"), QStringLiteral("Netzwerk Nord")});
    hangup.waitForFinished();
    dialer.waitForFinished(10000);
    ::kill(pid_t(pid), SIGTERM);
    if (!rufwerk.waitForFinished(20000))
        rufwerk.kill();
    return 0;
}
