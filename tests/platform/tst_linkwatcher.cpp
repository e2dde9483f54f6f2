// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LinkWatcher.h"
#include "NetNamespace.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <arpa/inet.h>
#include <cstring>
#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {

// Small netlink messages, built the way the kernel lays them out.
class Message {
public:
    Message(quint16 type, quint32 seq, quint16 flags = NLM_F_MULTI)
    {
        nlmsghdr header {};
        header.nlmsg_type = type;
        header.nlmsg_seq = seq;
        header.nlmsg_flags = flags;
        m_bytes.append(reinterpret_cast<const char *>(&header), sizeof header);
    }
    template <typename T> Message &body(const T &value)
    {
        m_bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
        pad();
        return *this;
    }
    Message &attribute(quint16 type, const QByteArray &payload)
    {
        rtattr a {};
        a.rta_type = type;
        a.rta_len = quint16(RTA_LENGTH(payload.size()));
        m_bytes.append(reinterpret_cast<const char *>(&a), sizeof a);
        m_bytes.append(payload);
        pad();
        return *this;
    }
    QByteArray bytes() const
    {
        QByteArray b = m_bytes;
        const quint32 length = quint32(b.size());
        std::memcpy(b.data(), &length, sizeof length);
        return b;
    }

private:
    void pad()
    {
        while (m_bytes.size() % 4)
            m_bytes.append('\0');
    }
    QByteArray m_bytes;
};

QByteArray raw(const void *data, size_t size)
{
    return QByteArray(static_cast<const char *>(data), qsizetype(size));
}

QByteArray linkMessage(
    quint32 seq, int index, unsigned short type, unsigned flags, const char *name, quint64 sent, quint64 received)
{
    ifinfomsg info {};
    info.ifi_index = index;
    info.ifi_type = type;
    info.ifi_flags = flags;
    rtnl_link_stats64 stats {};
    stats.tx_bytes = sent;
    stats.rx_bytes = received;
    return Message(RTM_NEWLINK, seq)
        .body(info)
        .attribute(IFLA_IFNAME, QByteArray(name) + '\0')
        .attribute(IFLA_STATS64, raw(&stats, sizeof stats))
        .bytes();
}

QByteArray doneMessage(quint32 seq)
{
    return Message(NLMSG_DONE, seq).body(int(0)).bytes();
}

QByteArray ipv4(const char *text)
{
    in_addr address {};
    inet_pton(AF_INET, text, &address);
    return raw(&address, sizeof address);
}

} // namespace

class TestLinkWatcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parseLinkDump_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("done");

        const QByteArray ppp = linkMessage(7, 5, ARPHRD_PPP, IFF_UP | IFF_RUNNING, "ppp0", 5000000000ull, 7);
        const QByteArray tun = linkMessage(7, 6, ARPHRD_NONE, IFF_UP | IFF_POINTOPOINT, "tun0", 1, 2);
        const QByteArray ether = linkMessage(7, 2, ARPHRD_ETHER, IFF_UP | IFF_BROADCAST, "eth0", 1, 2);
        const QByteArray loopback = linkMessage(7, 1, ARPHRD_LOOPBACK, IFF_UP | IFF_LOOPBACK, "lo", 1, 2);
        nlmsgerr denied {};
        denied.error = -EPERM;
        const QByteArray error = Message(NLMSG_ERROR, 7, 0).body(denied).bytes();
        // The message's own length is right, but its last attribute claims more room than is left.
        QByteArray truncated = ppp;
        truncated.chop(12);
        const quint32 shorter = quint32(truncated.size());
        std::memcpy(truncated.data(), &shorter, sizeof shorter);
        QByteArray cut = ppp;
        cut.resize(cut.size() - 8); // the header promises more than there is
        QByteArray interrupted = tun;
        const quint16 flags = NLM_F_MULTI | NLM_F_DUMP_INTR;
        std::memcpy(interrupted.data() + offsetof(nlmsghdr, nlmsg_flags), &flags, sizeof flags);

        QTest::newRow("ppp and point-to-point links, ethernet and loopback left out")
            << ppp + ether + tun + loopback + doneMessage(7) << 0 << QStringList { u"ppp0"_s, u"tun0"_s } << true;
        QTest::newRow("answer to an older request is skipped")
            << linkMessage(6, 9, ARPHRD_PPP, 0, "ppp9", 0, 0) + ppp << 0 << QStringList { u"ppp0"_s } << false;
        QTest::newRow("error message") << error << EPERM << QStringList() << true;
        QTest::newRow("damaged message") << cut << EBADMSG << QStringList() << false;
        QTest::newRow("attributes cut short") << truncated + doneMessage(7) << EBADMSG << QStringList() << true;
        QTest::newRow("dump interrupted by a change")
            << interrupted + doneMessage(7) << EAGAIN << QStringList() << true;
    }

    void parseLinkDump()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, result);
        QFETCH(QStringList, names);
        QFETCH(bool, done);

        QList<PointToPointLink> links;
        bool ended = false;
        QCOMPARE(LinkWatcher::parseLinkDump(datagram, 7, &links, &ended), result);
        QCOMPARE(ended, done);
        if (result != 0)
            return;
        QStringList found;
        for (const PointToPointLink &l : std::as_const(links))
            found << l.name;
        QCOMPARE(found, names);
    }

    void linkDumpKeepsWideCounters()
    {
        QList<PointToPointLink> links;
        bool done = false;
        const QByteArray ppp = linkMessage(3, 5, ARPHRD_PPP, IFF_UP, "ppp0", 5000000000ull, 6000000000ull);
        QCOMPARE(LinkWatcher::parseLinkDump(ppp, 3, &links, &done), 0);
        QCOMPARE(links.size(), 1);
        QVERIFY(links[0].ppp);
        QVERIFY(links[0].up);
        QCOMPARE(links[0].index, 5);
        QCOMPARE(links[0].bytesSent, 5000000000ull);
        QCOMPARE(links[0].bytesReceived, 6000000000ull);
    }

    void parseStatsDump()
    {
        if_stats_msg info {};
        info.ifindex = 5;
        info.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
        rtnl_link_stats64 stats {};
        stats.tx_bytes = 5000000000ull;
        stats.rx_bytes = 42;
        const QByteArray datagram
            = Message(RTM_NEWSTATS, 2).body(info).attribute(IFLA_STATS_LINK_64, raw(&stats, sizeof stats)).bytes()
            + doneMessage(2);
        QHash<int, QPair<quint64, quint64>> counters;
        bool done = false;
        QCOMPARE(LinkWatcher::parseStatsDump(datagram, 2, &counters, &done), 0);
        QVERIFY(done);
        QCOMPARE(counters.value(5), qMakePair(5000000000ull, 42ull));
    }

    void parseAddressDump()
    {
        ifaddrmsg pointToPoint {};
        pointToPoint.ifa_family = AF_INET;
        pointToPoint.ifa_index = 5;
        ifaddrmsg secondary = pointToPoint;
        secondary.ifa_flags = IFA_F_SECONDARY;
        ifaddrmsg plain {};
        plain.ifa_family = AF_INET;
        plain.ifa_index = 2;
        const QByteArray datagram = Message(RTM_NEWADDR, 4)
                                        .body(pointToPoint)
                                        .attribute(IFA_ADDRESS, ipv4("10.64.64.64"))
                                        .attribute(IFA_LOCAL, ipv4("10.1.2.3"))
                                        .bytes()
            + Message(RTM_NEWADDR, 4)
                  .body(secondary)
                  .attribute(IFA_ADDRESS, ipv4("10.9.9.9"))
                  .attribute(IFA_LOCAL, ipv4("10.9.9.8"))
                  .bytes()
            + Message(RTM_NEWADDR, 4).body(plain).attribute(IFA_ADDRESS, ipv4("192.168.1.5")).bytes() + doneMessage(4);
        QHash<int, QPair<QString, QString>> addresses;
        bool done = false;
        QCOMPARE(LinkWatcher::parseAddressDump(datagram, 4, &addresses, &done), 0);
        QVERIFY(done);
        QCOMPARE(addresses.value(5), qMakePair(u"10.1.2.3"_s, u"10.64.64.64"_s));
        QCOMPARE(addresses.value(2), qMakePair(u"192.168.1.5"_s, QString()));
    }

    // Two TUN interfaces in namespaces of their own, joined by socat: a real
    // point-to-point link of the kernel, as a dialer's would be.
    void realLinkAppearsCountsAndGoes()
    {
        const QString missing = NetNamespace::missing({ u"ip"_s, u"socat"_s });
        if (!missing.isEmpty())
            QSKIP(qPrintable(u"Real links: "_s + missing));
        NetNamespace::removeStale();
        QTemporaryDir sockets;
        QVERIFY(sockets.isValid());
        NetNamespace a(u"a"_s);
        NetNamespace b(u"b"_s);
        if (!a.ok() || !b.ok())
            QSKIP("ip netns add failed: network namespaces are not available here");

        // No IPv6 chatter before both ends listen: a send into the void ends socat.
        for (NetNamespace *ns : { &a, &b })
            ns->run({ u"sh"_s, u"-c"_s,
                u"echo 1 > /proc/sys/net/ipv6/conf/default/disable_ipv6; "
                u"echo 1 > /proc/sys/net/ipv6/conf/all/disable_ipv6"_s });
        const QString aSocket = sockets.filePath(u"a"_s);
        const QString bSocket = sockets.filePath(u"b"_s);
        QProcess *socatA = a.start(
            { u"socat"_s, u"TUN,tun-name=rwdial0,iff-up"_s, u"UNIX-SENDTO:%1,bind=%2"_s.arg(bSocket, aSocket) });
        b.start({ u"socat"_s, u"TUN,tun-name=rwdial0,iff-up"_s, u"UNIX-SENDTO:%1,bind=%2"_s.arg(aSocket, bSocket) });
        QTRY_VERIFY(QFile::exists(aSocket) && QFile::exists(bSocket));
        QTRY_COMPARE(a.run({ u"ip"_s, u"link"_s, u"show"_s, u"rwdial0"_s }), 0);
        QTRY_COMPARE(b.run({ u"ip"_s, u"link"_s, u"show"_s, u"rwdial0"_s }), 0);
        QCOMPARE(a.run({ u"ip"_s, u"addr"_s, u"add"_s, u"10.254.0.1"_s, u"peer"_s, u"10.254.0.2"_s, u"dev"_s,
                     u"rwdial0"_s }),
            0);
        QCOMPARE(b.run({ u"ip"_s, u"addr"_s, u"add"_s, u"10.254.0.2"_s, u"peer"_s, u"10.254.0.1"_s, u"dev"_s,
                     u"rwdial0"_s }),
            0);

        std::unique_ptr<LinkWatcher> watcher;
        int udp = -1;
        {
            NetNamespace::Inside inside(a);
            QVERIFY(inside.entered());
            watcher = std::make_unique<LinkWatcher>();
            udp = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        }
        QVERIFY(udp >= 0);
        QSignalSpy changes(watcher.get(), &LinkWatcher::changed);

        QList<PointToPointLink> links;
        QCOMPARE(watcher->poll(&links), 0);
        QCOMPARE(links.size(), 1);
        const PointToPointLink first = links.first();
        QCOMPARE(first.name, u"rwdial0"_s);
        QVERIFY(first.up);
        QCOMPARE(first.kind, u"tun"_s);
        QCOMPARE(first.localAddress, u"10.254.0.1"_s);
        QCOMPARE(first.remoteAddress, u"10.254.0.2"_s);

        // Datagrams to the far end go out; its answers (port unreachable) come back.
        sockaddr_in to {};
        to.sin_family = AF_INET;
        to.sin_port = htons(9);
        inet_pton(AF_INET, "10.254.0.2", &to.sin_addr);
        const QByteArray payload(1000, 'x');
        for (int i = 0; i < 20; ++i)
            sendto(udp, payload.constData(), size_t(payload.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
        close(udp);
        QTRY_VERIFY_WITH_TIMEOUT(
            (watcher->poll(&links) == 0 && links.size() == 1 && links.first().bytesSent >= first.bytesSent + 20 * 1000
                && links.first().bytesReceived > first.bytesReceived),
            5000);

        // A link that comes and goes while the watcher runs.
        QCOMPARE(a.run({ u"ip"_s, u"tuntap"_s, u"add"_s, u"dev"_s, u"rwdial1"_s, u"mode"_s, u"tun"_s }), 0);
        QTRY_VERIFY(watcher->poll(&links) == 0 && links.size() == 2);
        QCOMPARE(links.last().name, u"rwdial1"_s);
        QVERIFY(!links.last().up);
        QCOMPARE(a.run({ u"ip"_s, u"link"_s, u"del"_s, u"rwdial1"_s }), 0);
        QTRY_VERIFY(watcher->poll(&links) == 0 && links.size() == 1);

        // The address goes: the next poll knows without being told twice.
        QCOMPARE(a.run({ u"ip"_s, u"addr"_s, u"flush"_s, u"dev"_s, u"rwdial0"_s }), 0);
        QTRY_VERIFY(watcher->poll(&links) == 0 && links.size() == 1 && links.first().localAddress.isEmpty());

        // socat ends, the interface goes with it.
        socatA->kill();
        socatA->waitForFinished(3000);
        QTRY_VERIFY(watcher->poll(&links) == 0 && links.isEmpty());
        QTRY_VERIFY(changes.count() > 0);
    }
};

QTEST_GUILESS_MAIN(TestLinkWatcher)
#include "tst_linkwatcher.moc"
