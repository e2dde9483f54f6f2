// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Four echoes to 127.0.0.1 through TPing, the way the transfer test sends
// them, beside "ping -c 4 127.0.0.1" in the same run; then four through each
// echo method the system allows.
#include "EchoService.h"
#include "Ping.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

double average(const QList<double> &values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    return values.isEmpty() ? 0 : sum / double(values.size());
}

void printRow(const char *name, const QList<double> &values)
{
    std::printf("%-34s", name);
    for (double v : values)
        std::printf(" %8.3f", v);
    std::printf("   avg %8.3f ms\n", average(values));
}

/// Four echoes through TPing: wall gets each SendEcho's own time, reported the replies' round trips.
void throughTPing(QList<double> *wall, QList<quint32> *reported, QString *method)
{
    TPing ping;
    *method = ping.Available() ? ping.Method() : ping.ErrorText();
    QElapsedTimer clock;
    QObject::connect(&ping, &TPing::OnDnsLookupDone, &ping, [&](int error) {
        if (error != 0)
            return;
        ping.SetAddress(ping.LookupResult());
        clock.start();
        const int replies = ping.SendEcho();
        wall->append(double(clock.nsecsElapsed()) / 1e6);
        if (replies)
            reported->append(ping.LastReply().RoundTripTime);
    });
    for (int i = 0; i < 4; ++i)
        ping.StartLookup(u"127.0.0.1"_s);
}

QList<double> throughPingProgram(QString *error)
{
    QProcess ping;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    ping.setProcessEnvironment(environment);
    ping.start(u"ping"_s, { u"-n"_s, u"-c"_s, u"4"_s, u"127.0.0.1"_s });
    QList<double> times;
    if (!ping.waitForFinished(20000)) {
        *error = ping.errorString();
        return times;
    }
    static const QRegularExpression time(u"time=([0-9.]+) ms"_s);
    auto matches = time.globalMatch(QString::fromLocal8Bit(ping.readAllStandardOutput()));
    while (matches.hasNext())
        times.append(matches.next().captured(1).toDouble());
    if (times.isEmpty())
        *error = QString::fromLocal8Bit(ping.readAllStandardError()).trimmed();
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    QList<double> wall;
    QList<quint32> reported;
    QString method;
    throughTPing(&wall, &reported, &method);
    QString pingError;
    const QList<double> program = throughPingProgram(&pingError);

    std::printf("Four echoes to 127.0.0.1 (milliseconds)\n");
    std::printf("TPing method: %s\n", qPrintable(method));
    QList<double> reportedMs;
    for (quint32 ms : std::as_const(reported))
        reportedMs.append(double(ms));
    printRow("TPing LastReply.RoundTripTime", reportedMs);
    printRow("TPing SendEcho, wall time", wall);
    if (program.isEmpty())
        std::printf("%-34s %s\n", "ping -c 4 127.0.0.1", qPrintable(u"failed: "_s + pingError));
    else
        printRow("ping -c 4 127.0.0.1, time=", program);
    if (!program.isEmpty() && average(program) > 0 && !wall.isEmpty())
        std::printf("ratio TPing wall / ping time=: %.1f\n", average(wall) / average(program));

    std::printf("\nEach method, four echoes of 56 bytes (round trip as measured by the method, ms)\n");
    const struct {
        const char *name;
        EchoMethod method;
    } methods[] = {
        { "ICMP datagram socket", EchoMethod::IcmpDatagram },
        { "raw socket", EchoMethod::RawSocket },
        { "ping program, one run per echo", EchoMethod::PingProgram },
    };
    for (const auto &m : methods) {
        QString reason;
        const std::unique_ptr<EchoService> echo = createEchoService(m.method, &reason);
        if (!echo) {
            std::printf("%-34s not available: %s\n", m.name, qPrintable(reason));
            continue;
        }
        QList<double> times;
        QList<double> calls;
        for (int i = 0; i < 4; ++i) {
            EchoRequest request;
            request.address = 0x7F000001;
            request.data = QByteArray(56, ' ');
            QElapsedTimer clock;
            clock.start();
            const EchoResult result = echo->send(request);
            calls.append(double(clock.nsecsElapsed()) / 1e6);
            if (result.status == IpStatus::Success)
                times.append(double(result.roundTripUs) / 1000.0);
        }
        printRow(m.name, times);
        printRow("  the same, whole call", calls);
    }
    return 0;
}
