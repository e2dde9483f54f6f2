// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LinkWatcher.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Netlink dumps come in datagrams of at most 32 KiB; more room shows truncation.
constexpr int BufferSize = 64 * 1024;
constexpr int DumpAttempts = 3;

QString ipv4Text(const void *data)
{
    const auto *b = static_cast<const unsigned char *>(data);
    return u"%1.%2.%3.%4"_s.arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
}

// Walks the netlink messages of one datagram that answer request seq. Calls
// each(message) for every payload message; returns 0 or the first errno met
// (an error message, a damaged message, a dump the kernel marked as
// interrupted). done is set at the end of the dump, which is always looked for.
template <typename Each> int walkMessages(const QByteArray &datagram, quint32 seq, bool *done, Each each)
{
    const char *data = datagram.constData();
    size_t left = size_t(datagram.size());
    int result = 0;
    while (left >= sizeof(nlmsghdr)) {
        nlmsghdr header;
        std::memcpy(&header, data, sizeof header);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > left)
            return result != 0 ? result : EBADMSG;
        const size_t step = std::min(left, size_t(NLMSG_ALIGN(header.nlmsg_len)));
        if (header.nlmsg_seq == seq) {
            int found = 0;
            if (header.nlmsg_flags & NLM_F_DUMP_INTR)
                found = EAGAIN; // the table changed during the dump
            if (header.nlmsg_type == NLMSG_DONE) {
                *done = true;
            } else if (header.nlmsg_type == NLMSG_ERROR) {
                nlmsgerr error;
                *done = true;
                if (header.nlmsg_len < NLMSG_LENGTH(sizeof error)) {
                    found = EBADMSG;
                } else {
                    std::memcpy(&error, data + NLMSG_HDRLEN, sizeof error);
                    if (error.error != 0)
                        found = error.error < 0 ? -error.error : EBADMSG;
                }
            } else if (found == 0) {
                found = each(header, data + NLMSG_HDRLEN, size_t(header.nlmsg_len) - NLMSG_HDRLEN);
            }
            if (result == 0)
                result = found;
        }
        data += step;
        left -= step;
    }
    return result;
}

// Walks the messages of one type, whose payload begins with a fixed header.
template <typename Header, typename Each>
int walkRecords(const QByteArray &datagram, quint32 seq, bool *done, quint16 type, Each each)
{
    return walkMessages(datagram, seq, done, [&](const nlmsghdr &header, const char *payload, size_t size) {
        if (header.nlmsg_type != type)
            return 0;
        Header info;
        if (size < sizeof info)
            return EBADMSG;
        std::memcpy(&info, payload, sizeof info);
        return each(info, payload, size);
    });
}

// Walks the attributes that follow a fixed header of headerSize bytes.
template <typename Each> bool walkAttributes(const char *payload, size_t size, size_t headerSize, Each each)
{
    if (size < NLMSG_ALIGN(headerSize))
        return false;
    const char *at = payload + NLMSG_ALIGN(headerSize);
    size_t left = size - NLMSG_ALIGN(headerSize);
    while (left >= sizeof(rtattr)) {
        rtattr attribute;
        std::memcpy(&attribute, at, sizeof attribute);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > left)
            return false;
        each(attribute.rta_type & NLA_TYPE_MASK, at + RTA_LENGTH(0), size_t(attribute.rta_len) - RTA_LENGTH(0));
        const size_t step = std::min(left, size_t(RTA_ALIGN(attribute.rta_len)));
        at += step;
        left -= step;
    }
    return true;
}

QString kindOf(const char *linkInfo, size_t size)
{
    QString kind;
    walkAttributes(linkInfo, size, 0, [&kind](int type, const char *data, size_t length) {
        if (type == IFLA_INFO_KIND)
            kind = QString::fromLatin1(data, qsizetype(strnlen(data, length)));
    });
    return kind;
}

} // namespace

LinkWatcher::LinkWatcher(QObject *parent)
    : QObject(parent)
{
    m_buffer.resize(BufferSize);
    openSockets();
}

LinkWatcher::~LinkWatcher()
{
    if (m_request >= 0)
        close(m_request);
    if (m_events >= 0)
        close(m_events);
}

int LinkWatcher::openSockets()
{
    m_request = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (m_request < 0)
        return errno;
    // A kernel that never answers must not hang the user interface.
    const timeval timeout { 1, 0 };
    setsockopt(m_request, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_nl local {};
    local.nl_family = AF_NETLINK;
    if (bind(m_request, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        const int error = errno;
        close(m_request);
        m_request = -1;
        return error;
    }

    m_events = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    sockaddr_nl groups {};
    groups.nl_family = AF_NETLINK;
    groups.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (m_events >= 0 && bind(m_events, reinterpret_cast<sockaddr *>(&groups), sizeof groups) == 0) {
        m_notifier = new QSocketNotifier(qintptr(m_events), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            if (drainEvents())
                Q_EMIT changed();
        });
    } else if (m_events >= 0) {
        // Without change reports the addresses are read at every poll.
        close(m_events);
        m_events = -1;
    }
    return 0;
}

bool LinkWatcher::drainEvents()
{
    if (m_events < 0) {
        m_addressesDirty = true;
        m_linksDirty = true;
        return false;
    }
    bool any = false;
    for (;;) {
        const ssize_t n = recv(m_events, m_buffer.data(), size_t(m_buffer.size()), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS) {
                // Reports were lost: nothing cached can be trusted.
                m_addressesDirty = true;
                m_linksDirty = true;
                any = true;
                continue;
            }
            break;
        }
        if (n == 0)
            break;
        any = true;
        const char *data = m_buffer.constData();
        size_t left = size_t(n);
        while (left >= sizeof(nlmsghdr)) {
            nlmsghdr header;
            std::memcpy(&header, data, sizeof header);
            if (header.nlmsg_len < sizeof header || header.nlmsg_len > left)
                break;
            if (header.nlmsg_type == RTM_NEWADDR || header.nlmsg_type == RTM_DELADDR)
                m_addressesDirty = true;
            else if (header.nlmsg_type == RTM_NEWLINK || header.nlmsg_type == RTM_DELLINK)
                m_linksDirty = true;
            const size_t step = std::min(left, size_t(NLMSG_ALIGN(header.nlmsg_len)));
            data += step;
            left -= step;
        }
    }
    return any;
}

int LinkWatcher::dump(int type, const std::function<int(const QByteArray &, bool *)> &parse)
{
    struct {
        nlmsghdr header;
        union {
            ifinfomsg link;
            ifaddrmsg address;
            if_stats_msg stats;
        };
    } request {};
    request.header.nlmsg_len = type == RTM_GETLINK ? NLMSG_LENGTH(sizeof(ifinfomsg))
        : type == RTM_GETSTATS                     ? NLMSG_LENGTH(sizeof(if_stats_msg))
                                                   : NLMSG_LENGTH(sizeof(ifaddrmsg));
    request.header.nlmsg_type = quint16(type);
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++m_seq;
    if (type == RTM_GETLINK) {
        request.link.ifi_family = AF_UNSPEC;
    } else if (type == RTM_GETSTATS) {
        request.stats.family = AF_UNSPEC;
        request.stats.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    } else {
        request.address.ifa_family = AF_INET;
    }

    sockaddr_nl kernel {};
    kernel.nl_family = AF_NETLINK;
    if (sendto(m_request, &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr *>(&kernel), sizeof kernel)
        < 0)
        return errno;

    bool done = false;
    int result = 0;
    while (!done) {
        const ssize_t n = recv(m_request, m_buffer.data(), size_t(m_buffer.size()), MSG_TRUNC);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN ? ETIMEDOUT : errno;
        }
        if (n > m_buffer.size())
            return EMSGSIZE;
        const int parsed = parse(QByteArray::fromRawData(m_buffer.constData(), qsizetype(n)), &done);
        // An error ends the reading, but the rest of the dump must still be
        // read away so the next request finds a clean socket.
        if (parsed != 0 && result == 0)
            result = parsed;
    }
    return result;
}

int LinkWatcher::readLinks()
{
    QList<PointToPointLink> found;
    QSet<int> all;
    const int result = dump(RTM_GETLINK,
        [&](const QByteArray &datagram, bool *done) { return parseLinkDump(datagram, m_seq, &found, done, &all); });
    if (result != 0)
        return result;
    m_links = std::move(found);
    m_allIndexes = std::move(all);
    m_linksDirty = false;
    return 0;
}

int LinkWatcher::readCounters()
{
    QHash<int, QPair<quint64, quint64>> counters;
    const int result = dump(RTM_GETSTATS,
        [&](const QByteArray &datagram, bool *done) { return parseStatsDump(datagram, m_seq, &counters, done); });
    if (result == EINVAL || result == EOPNOTSUPP) {
        // A kernel before 4.7 has no statistics dump: the link dump carries the counters too.
        m_statsDump = false;
        return readLinks();
    }
    if (result != 0)
        return result;
    // A link that came or went without a report yet: the table is read anew.
    bool same = counters.size() == m_allIndexes.size();
    for (auto it = counters.constBegin(); same && it != counters.constEnd(); ++it)
        same = m_allIndexes.contains(it.key());
    if (!same)
        return readLinks();
    for (PointToPointLink &link : m_links) {
        const QPair<quint64, quint64> &c = counters[link.index];
        link.bytesSent = c.first;
        link.bytesReceived = c.second;
    }
    return 0;
}

int LinkWatcher::poll(QList<PointToPointLink> *links)
{
    if (m_request < 0) {
        const int error = openSockets();
        if (error != 0)
            return error;
    }
    // Reports read here are not lost to the notifier: they still tell.
    if (drainEvents())
        QMetaObject::invokeMethod(this, &LinkWatcher::changed, Qt::QueuedConnection);

    int result = 0;
    for (int attempt = 0; attempt < DumpAttempts; ++attempt) {
        if (m_addressesDirty) {
            QHash<int, QPair<QString, QString>> addresses;
            m_addressesDirty = false;
            result = dump(RTM_GETADDR, [&](const QByteArray &datagram, bool *done) {
                return parseAddressDump(datagram, m_seq, &addresses, done);
            });
            if (result != 0) {
                m_addressesDirty = true;
                continue;
            }
            m_addresses = std::move(addresses);
        }
        // One dump per poll: the whole link table after a change, otherwise
        // only the counters, which cost the kernel far less.
        result = m_linksDirty || !m_statsDump ? readLinks() : readCounters();
        if (result != 0) {
            m_linksDirty = true;
            continue;
        }
        QList<PointToPointLink> found = m_links;
        for (PointToPointLink &link : found) {
            const auto it = m_addresses.constFind(link.index);
            if (it != m_addresses.constEnd()) {
                link.localAddress = it->first;
                link.remoteAddress = it->second;
            }
        }
        *links = std::move(found);
        return 0;
    }
    return result;
}

int LinkWatcher::parseLinkDump(
    const QByteArray &datagram, quint32 seq, QList<PointToPointLink> *links, bool *done, QSet<int> *allIndexes)
{
    return walkRecords<ifinfomsg>(
        datagram, seq, done, RTM_NEWLINK, [links, allIndexes](const ifinfomsg &info, const char *payload, size_t size) {
            if (allIndexes)
                allIndexes->insert(info.ifi_index);
            const bool ppp = info.ifi_type == ARPHRD_PPP;
            if (!ppp && (!(info.ifi_flags & IFF_POINTOPOINT) || (info.ifi_flags & IFF_LOOPBACK)))
                return 0;
            PointToPointLink link;
            link.index = info.ifi_index;
            link.ppp = ppp;
            link.up = info.ifi_flags & IFF_UP;
            bool have64 = false;
            const bool ok = walkAttributes(payload, size, sizeof info, [&](int type, const char *data, size_t length) {
                switch (type) {
                case IFLA_IFNAME:
                    link.name = QString::fromLocal8Bit(data, qsizetype(strnlen(data, length)));
                    break;
                case IFLA_STATS64:
                    if (length >= sizeof(rtnl_link_stats64)) {
                        rtnl_link_stats64 stats;
                        std::memcpy(&stats, data, sizeof stats);
                        link.bytesSent = stats.tx_bytes;
                        link.bytesReceived = stats.rx_bytes;
                        have64 = true;
                    }
                    break;
                case IFLA_STATS:
                    if (!have64 && length >= sizeof(rtnl_link_stats)) {
                        rtnl_link_stats stats;
                        std::memcpy(&stats, data, sizeof stats);
                        link.bytesSent = stats.tx_bytes;
                        link.bytesReceived = stats.rx_bytes;
                    }
                    break;
                case IFLA_LINKINFO:
                    link.kind = kindOf(data, length);
                    break;
                default:
                    break;
                }
            });
            if (!ok || link.name.isEmpty())
                return EBADMSG;
            links->append(link);
            return 0;
        });
}

int LinkWatcher::parseStatsDump(
    const QByteArray &datagram, quint32 seq, QHash<int, QPair<quint64, quint64>> *counters, bool *done)
{
    return walkRecords<if_stats_msg>(
        datagram, seq, done, RTM_NEWSTATS, [counters](const if_stats_msg &info, const char *payload, size_t size) {
            QPair<quint64, quint64> sentReceived { 0, 0 };
            const bool ok = walkAttributes(payload, size, sizeof info, [&](int type, const char *data, size_t length) {
                if (type == IFLA_STATS_LINK_64 && length >= sizeof(rtnl_link_stats64)) {
                    rtnl_link_stats64 stats;
                    std::memcpy(&stats, data, sizeof stats);
                    sentReceived = { stats.tx_bytes, stats.rx_bytes };
                }
            });
            if (!ok)
                return EBADMSG;
            counters->insert(int(info.ifindex), sentReceived);
            return 0;
        });
}

int LinkWatcher::parseAddressDump(
    const QByteArray &datagram, quint32 seq, QHash<int, QPair<QString, QString>> *addresses, bool *done)
{
    return walkRecords<ifaddrmsg>(
        datagram, seq, done, RTM_NEWADDR, [addresses](const ifaddrmsg &info, const char *payload, size_t size) {
            quint32 flags = info.ifa_flags;
            QString local, address;
            const bool ok = walkAttributes(payload, size, sizeof info, [&](int type, const char *data, size_t length) {
                if ((type == IFA_LOCAL || type == IFA_ADDRESS) && length == 4)
                    (type == IFA_LOCAL ? local : address) = ipv4Text(data);
                else if (type == IFA_FLAGS && length == 4)
                    std::memcpy(&flags, data, 4);
            });
            if (!ok)
                return EBADMSG;
            if (info.ifa_family != AF_INET || (flags & IFA_F_SECONDARY) || addresses->contains(int(info.ifa_index)))
                return 0;
            // On a point-to-point link IFA_ADDRESS is the peer; without IFA_LOCAL it is the own address.
            if (local.isEmpty())
                addresses->insert(int(info.ifa_index), { address, QString() });
            else
                addresses->insert(int(info.ifa_index), { local, address == local ? QString() : address });
            return 0;
        });
}
