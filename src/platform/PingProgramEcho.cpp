// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EchoService.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// What the program prints for the ICMP errors, mapped onto their status.
struct ErrorLine {
    QLatin1StringView text;
    quint32 status;
};
constexpr ErrorLine ErrorLines[] = {
    { QLatin1StringView("Destination Net Unreachable"), IpStatus::DestNetUnreachable },
    { QLatin1StringView("Destination Net Prohibited"), IpStatus::DestNetUnreachable },
    { QLatin1StringView("Destination Host Unreachable"), IpStatus::DestHostUnreachable },
    { QLatin1StringView("Destination Host Prohibited"), IpStatus::DestHostUnreachable },
    { QLatin1StringView("Packet filtered"), IpStatus::DestHostUnreachable },
    { QLatin1StringView("Destination Protocol Unreachable"), IpStatus::DestProtocolUnreachable },
    { QLatin1StringView("Destination Port Unreachable"), IpStatus::DestPortUnreachable },
    { QLatin1StringView("Frag needed"), IpStatus::PacketTooBig },
    { QLatin1StringView("message too long"), IpStatus::PacketTooBig },
    { QLatin1StringView("Source Route Failed"), IpStatus::BadRoute },
    { QLatin1StringView("Time to live exceeded"), IpStatus::TtlExpiredTransit },
    { QLatin1StringView("Frag reassembly time exceeded"), IpStatus::TtlExpiredReassembly },
    { QLatin1StringView("Parameter problem"), IpStatus::ParameterProblem },
    { QLatin1StringView("Source Quench"), IpStatus::SourceQuench },
    { QLatin1StringView("Network is unreachable"), IpStatus::DestNetUnreachable },
    { QLatin1StringView("No route to host"), IpStatus::DestHostUnreachable },
    { QLatin1StringView("No buffer space"), IpStatus::NoResources },
};

class PingProgramEcho : public EchoService {
public:
    explicit PingProgramEcho(QString program)
        : m_program(std::move(program))
    {
    }

    QString methodName() const override { return u"Programm ping"_s; }

    EchoResult sendChecked(const EchoRequest &request) override
    {
        EchoResult result;
        const int timeout = std::max(request.timeoutMs, 1);
        const QStringList arguments = {
            u"-n"_s,
            u"-c"_s,
            u"1"_s,
            u"-W"_s,
            QString::number(timeout / 1000.0, 'f', 3),
            u"-s"_s,
            QString::number(request.data.size()),
            u"-t"_s,
            QString::number(request.ttl),
            u"-M"_s,
            (request.flags & EchoFlagDontFragment) ? u"do"_s : u"dont"_s,
            EchoDetail::dotted(request.address),
        };
        QElapsedTimer clock;
        clock.start();
        QProcess ping;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LC_ALL"_s, u"C"_s);
        ping.setProcessEnvironment(environment);
        ping.setProcessChannelMode(QProcess::MergedChannels);
        ping.start(m_program, arguments, QIODevice::ReadOnly);
        // The program's own start counts extra; it never waits past its -W.
        if (!ping.waitForFinished(timeout + 2000)) {
            const bool started = ping.state() != QProcess::NotRunning;
            ping.kill();
            ping.waitForFinished(1000);
            result.status = started ? IpStatus::RequestTimedOut : IpStatus::GeneralFailure;
            if (!started)
                result.detail = ping.errorString();
            return result;
        }
        return parse(
            QString::fromLocal8Bit(ping.readAll()), ping.exitCode(), request.address, clock.nsecsElapsed() / 1000);
    }

    /// elapsedUs stands in for the time the program prints only for data of 16 bytes and more.
    static EchoResult parse(const QString &output, int exitCode, quint32 address, qint64 elapsedUs)
    {
        EchoResult result;
        static const QRegularExpression reply(
            u"(\\d+) bytes from ([0-9.]+):[^\\n]*?ttl=(\\d+)(?:[^\\n]*?time=([0-9.]+) ms)?"_s);
        const QRegularExpressionMatch match = reply.match(output);
        if (match.hasMatch()) {
            result.status = IpStatus::Success;
            result.replyAddress = address;
            const int bytes = match.captured(1).toInt();
            // The program counts the ICMP header in; the caller's data is what follows it.
            result.data = QByteArray(std::max(bytes - 8, 0), ' ');
            result.ttl = match.captured(3).toInt();
            if (match.hasCaptured(4)) {
                const double ms = match.captured(4).toDouble();
                result.roundTripUs = qint64(ms * 1000.0 + 0.5);
            } else {
                result.roundTripUs = elapsedUs;
            }
            result.roundTripMs = quint32(result.roundTripUs / 1000);
            return result;
        }
        for (const ErrorLine &line : ErrorLines) {
            if (output.contains(line.text, Qt::CaseInsensitive)) {
                result.status = line.status;
                return result;
            }
        }
        if (exitCode == 1) {
            result.status = IpStatus::RequestTimedOut;
            return result;
        }
        result.status = IpStatus::GeneralFailure;
        result.detail = output.trimmed().section(u'\n', -1);
        return result;
    }

private:
    const QString m_program;
};

} // namespace

std::unique_ptr<EchoService> createPingProgramEcho(QString *reason)
{
    QString program = QStandardPaths::findExecutable(u"ping"_s);
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(u"ping"_s, { u"/usr/bin"_s, u"/bin"_s, u"/usr/sbin"_s, u"/sbin"_s });
    if (program.isEmpty()) {
        if (reason)
            *reason = u"kein Programm \"ping\" gefunden (Paket iputils-ping)"_s;
        return nullptr;
    }
    return std::make_unique<PingProgramEcho>(program);
}
