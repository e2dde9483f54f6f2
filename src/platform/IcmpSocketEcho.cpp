// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EchoService.h"

using namespace Qt::StringLiterals;

#ifdef Q_OS_LINUX

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int IcmpHeaderSize = 8;

class Socket {
public:
    explicit Socket(bool raw)
        : fd(::socket(AF_INET, (raw ? SOCK_RAW : SOCK_DGRAM) | SOCK_CLOEXEC, IPPROTO_ICMP))
    {
    }
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    template <typename T> bool set(int level, int name, T value) const
    {
        return ::setsockopt(fd, level, name, &value, sizeof value) == 0;
    }

    const int fd;
};

quint16 checksum(const uchar *data, size_t length)
{
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2)
        sum += quint32(data[i]) << 8 | data[i + 1];
    if (length & 1)
        sum += quint32(data[length - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

quint16 nextSequence()
{
    static std::atomic<quint16> sequence { 0 };
    return ++sequence;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

EchoResult failure(quint32 status, int error = 0)
{
    EchoResult result;
    result.status = status;
    if (error != 0 && status == IpStatus::GeneralFailure)
        result.detail = systemError(error);
    return result;
}

class IcmpSocketEcho : public EchoService {
public:
    explicit IcmpSocketEcho(bool raw)
        : m_raw(raw)
        , m_id(quint16(QRandomGenerator::global()->bounded(1, 0x10000)))
    {
    }

    QString methodName() const override { return m_raw ? u"Raw-Socket"_s : u"ICMP-Datagramm-Socket"_s; }

    EchoResult sendChecked(const EchoRequest &request) override
    {
        const Socket socket(m_raw);
        if (socket.fd < 0)
            return failure(IpStatus::GeneralFailure, errno);
        socket.set(IPPROTO_IP, IP_TTL, int(request.ttl));
        socket.set(IPPROTO_IP, IP_MTU_DISCOVER,
            int((request.flags & EchoFlagDontFragment) ? IP_PMTUDISC_DO : IP_PMTUDISC_DONT));
        // ICMP errors about our request (unreachable, TTL expired) arrive in the error queue.
        socket.set(IPPROTO_IP, IP_RECVERR, int(1));
        socket.set(IPPROTO_IP, IP_RECVTTL, int(1));
        socket.set(IPPROTO_IP, IP_RECVTOS, int(1));

        const quint16 sequence = nextSequence();
        QByteArray packet(IcmpHeaderSize, '\0');
        packet.append(request.data);
        auto *header = reinterpret_cast<icmphdr *>(packet.data());
        header->type = ICMP_ECHO;
        header->un.echo.id = htons(m_id); // the kernel sets its own on a datagram socket
        header->un.echo.sequence = htons(sequence);
        header->checksum = htons(checksum(reinterpret_cast<const uchar *>(packet.constData()), size_t(packet.size())));

        sockaddr_in target {};
        target.sin_family = AF_INET;
        target.sin_addr.s_addr = htonl(request.address);

        QElapsedTimer clock;
        clock.start();
        if (::sendto(socket.fd, packet.constData(), size_t(packet.size()), 0, reinterpret_cast<sockaddr *>(&target),
                sizeof target)
            < 0)
            return failure(EchoDetail::statusForErrno(errno), errno);

        for (;;) {
            const qint64 left = request.timeoutMs - clock.elapsed();
            if (left <= 0)
                return failure(IpStatus::RequestTimedOut);
            pollfd waiting { socket.fd, POLLIN, 0 };
            const int ready = ::poll(&waiting, 1, int(left));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                return failure(IpStatus::GeneralFailure, errno);
            if (ready == 0)
                return failure(IpStatus::RequestTimedOut);
            if (waiting.revents & POLLERR) {
                const quint32 status = readError(socket.fd);
                if (status != IpStatus::Success)
                    return failure(status);
                continue;
            }
            EchoResult result;
            if (readReply(socket.fd, request.address, sequence, &result)) {
                result.roundTripUs = clock.nsecsElapsed() / 1000;
                result.roundTripMs = quint32(result.roundTripUs / 1000);
                return result;
            }
        }
    }

private:
    /// The status of a queued socket error; Success for advice that is no failure.
    static quint32 readError(int fd)
    {
        char control[512];
        char payload[576];
        iovec io { payload, sizeof payload };
        msghdr message {};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0)
            return IpStatus::Success;
        for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR)
                continue;
            sock_extended_err error;
            std::memcpy(&error, CMSG_DATA(c), sizeof error);
            if (error.ee_origin == SO_EE_ORIGIN_ICMP)
                return EchoDetail::statusForIcmpError(error.ee_type, error.ee_code);
            return EchoDetail::statusForErrno(int(error.ee_errno));
        }
        return IpStatus::Success;
    }

    /// Reads one packet; true when it answers our request (a reply or an error about it).
    bool readReply(int fd, quint32 address, quint16 sequence, EchoResult *result) const
    {
        QByteArray buffer(65536 + 60, Qt::Uninitialized);
        char control[256];
        sockaddr_in from {};
        iovec io { buffer.data(), size_t(buffer.size()) };
        msghdr message {};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t length = ::recvmsg(fd, &message, MSG_DONTWAIT);
        if (length <= 0)
            return false;
        const auto *bytes = reinterpret_cast<const uchar *>(buffer.constData());
        size_t offset = 0;
        int ttl = 0;
        int tos = 0;
        int flags = 0;
        if (m_raw) {
            // A raw socket sees every ICMP packet of the host, with its IP header.
            if (size_t(length) < sizeof(iphdr))
                return false;
            const auto *ip = reinterpret_cast<const iphdr *>(bytes);
            offset = size_t(ip->ihl) * 4;
            ttl = ip->ttl;
            tos = ip->tos;
            flags = ntohs(ip->frag_off) >> 13;
        } else {
            for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL)
                    std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
                else if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TOS)
                    tos = *CMSG_DATA(c);
            }
        }
        if (size_t(length) < offset + IcmpHeaderSize)
            return false;
        const auto *icmp = reinterpret_cast<const icmphdr *>(bytes + offset);
        const quint32 source = ntohl(from.sin_addr.s_addr);
        if (icmp->type == ICMP_ECHOREPLY) {
            if (ntohs(icmp->un.echo.sequence) != sequence)
                return false;
            if (m_raw && (ntohs(icmp->un.echo.id) != m_id || source != address))
                return false;
            result->status = IpStatus::Success;
            result->replyAddress = source;
            result->data
                = buffer.mid(qsizetype(offset + IcmpHeaderSize), qsizetype(size_t(length) - offset - IcmpHeaderSize));
            result->ttl = ttl;
            result->tos = tos;
            result->flags = flags;
            return true;
        }
        // On a raw socket the errors come as packets that quote our request.
        if (!m_raw)
            return false;
        const size_t quoted = offset + IcmpHeaderSize;
        if (size_t(length) < quoted + sizeof(iphdr))
            return false;
        const auto *inner = reinterpret_cast<const iphdr *>(bytes + quoted);
        const size_t innerIcmp = quoted + size_t(inner->ihl) * 4;
        if (size_t(length) < innerIcmp + IcmpHeaderSize)
            return false;
        const auto *request = reinterpret_cast<const icmphdr *>(bytes + innerIcmp);
        if (request->type != ICMP_ECHO || ntohs(request->un.echo.id) != m_id
            || ntohs(request->un.echo.sequence) != sequence || ntohl(inner->daddr) != address)
            return false;
        const quint32 status = EchoDetail::statusForIcmpError(icmp->type, icmp->code);
        if (status == IpStatus::Success)
            return false;
        *result = failure(status);
        result->replyAddress = source;
        return true;
    }

    const bool m_raw;
    const quint16 m_id;
};

} // namespace

std::unique_ptr<EchoService> createIcmpSocketEcho(bool raw, QString *reason)
{
    const Socket probe(raw);
    if (probe.fd >= 0)
        return std::make_unique<IcmpSocketEcho>(raw);
    if (reason) {
        const QString error = systemError(errno);
        *reason = raw ? u"kein Raw-Socket (es fehlt das Recht CAP_NET_RAW): %1"_s.arg(error)
                      : u"kein ICMP-Datagramm-Socket (net.ipv4.ping_group_range erlaubt ihn nicht): %1"_s.arg(error);
    }
    return nullptr;
}

#else

std::unique_ptr<EchoService> createIcmpSocketEcho(bool raw, QString *reason)
{
    if (reason)
        *reason = raw ? u"kein Raw-Socket auf diesem System"_s : u"kein ICMP-Datagramm-Socket auf diesem System"_s;
    return nullptr;
}

#endif
