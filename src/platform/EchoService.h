// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

/// IP status codes of an echo, as the Windows ICMP library reports them.
namespace IpStatus {
constexpr quint32 Success = 0;
constexpr quint32 BufferTooSmall = 11001;
constexpr quint32 DestNetUnreachable = 11002;
constexpr quint32 DestHostUnreachable = 11003;
constexpr quint32 DestProtocolUnreachable = 11004;
constexpr quint32 DestPortUnreachable = 11005;
constexpr quint32 NoResources = 11006;
constexpr quint32 BadOption = 11007;
constexpr quint32 HardwareError = 11008;
constexpr quint32 PacketTooBig = 11009;
constexpr quint32 RequestTimedOut = 11010;
constexpr quint32 BadRequest = 11011;
constexpr quint32 BadRoute = 11012;
constexpr quint32 TtlExpiredTransit = 11013;
constexpr quint32 TtlExpiredReassembly = 11014;
constexpr quint32 ParameterProblem = 11015;
constexpr quint32 SourceQuench = 11016;
constexpr quint32 OptionTooBig = 11017;
constexpr quint32 BadDestination = 11018;
constexpr quint32 GeneralFailure = 11050;
} // namespace IpStatus

/// The IP header flag "don't fragment" in EchoRequest::flags.
constexpr int EchoFlagDontFragment = 0x02;

/// One echo to send. Addresses are IPv4 in host byte order.
struct EchoRequest {
    quint32 address = 0;
    QByteArray data;
    int ttl = 64;
    int flags = 0;
    int timeoutMs = 4000;
};

/// What came back: status 0 with the reply's fields, or an IpStatus code.
struct EchoResult {
    quint32 status = IpStatus::GeneralFailure;
    quint32 replyAddress = 0;
    quint32 roundTripMs = 0;
    /// The same time in microseconds where the method measures that finely, else -1.
    qint64 roundTripUs = -1;
    QByteArray data;
    int ttl = 0;
    int tos = 0;
    int flags = 0;
    /// German detail for a general failure (the system's own error).
    QString detail;

    int replies() const { return status == IpStatus::Success ? 1 : 0; }
};

/**
 * Sends ICMP echo requests. Send() blocks for at most the request's time-out
 * (plus the start of a helper program where the method needs one). One
 * implementation per method; createEchoService() picks what the system allows.
 */
class EchoService {
public:
    virtual ~EchoService() = default;
    /// A short name of the method, for messages and benchmarks.
    virtual QString methodName() const = 0;
    /// Sends request, or answers at once what no method can send (EchoDetail::checkRequest).
    EchoResult send(const EchoRequest &request);

protected:
    /// The method's own sending, for requests that passed the check.
    virtual EchoResult sendChecked(const EchoRequest &request) = 0;
};

enum class EchoMethod {
    Auto, ///< the first of the methods below that works here
    IcmpDatagram, ///< unprivileged ICMP socket (Linux: net.ipv4.ping_group_range)
    RawSocket, ///< raw ICMP socket (needs the right to open one)
    PingProgram, ///< the system's "ping" program
    WindowsIcmp, ///< "icmp.dll"
};

/**
 * The echo service of method, or null with a German reason when the system
 * does not allow it. Auto tries the ICMP library on Windows, elsewhere the
 * datagram socket, the raw socket and the ping program in this order.
 */
std::unique_ptr<EchoService> createEchoService(EchoMethod method = EchoMethod::Auto, QString *reason = nullptr);

/// Replaces what createEchoService(Auto) gives (tests); an empty function restores it.
using EchoServiceFactory = std::function<std::unique_ptr<EchoService>(QString *reason)>;
void setEchoServiceFactory(EchoServiceFactory factory);

namespace EchoDetail {
/// Maps an ICMP error message (type, code) onto its IpStatus code.
quint32 statusForIcmpError(int type, int code);
/// Maps a socket error (errno) of sending or receiving onto its IpStatus code.
quint32 statusForErrno(int error);
/// Addresses no echo may go to: 0.0.0.0/8, multicast, limited broadcast.
bool isBadDestination(quint32 address);
/// What no method can send (bad destination, TTL outside 1..255, data over
/// 65500 bytes) as its status; Success when the request may go out.
quint32 checkRequest(const EchoRequest &request);
/// "a.b.c.d" of a host-order address.
QString dotted(quint32 address);
} // namespace EchoDetail

// Constructors of the methods; each returns null with a reason where it cannot work.
std::unique_ptr<EchoService> createIcmpSocketEcho(bool raw, QString *reason);
std::unique_ptr<EchoService> createPingProgramEcho(QString *reason);
std::unique_ptr<EchoService> createWindowsIcmpEcho(QString *reason);
