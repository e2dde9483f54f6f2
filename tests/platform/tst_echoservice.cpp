// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EchoService.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <cstring>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(EchoMethod)

namespace {

constexpr quint32 Loopback = 0x7F000001;
constexpr quint32 NoRoute = 0x0A010203; // 10.1.2.3: nothing routes there in the test's namespace
constexpr quint32 Rejected = 0x0A090909; // 10.9.9.9: a route that rejects

struct Method {
    const char *name;
    EchoMethod method;
};
constexpr Method Methods[] = {
    { "datagram socket", EchoMethod::IcmpDatagram },
    { "raw socket", EchoMethod::RawSocket },
    { "ping program", EchoMethod::PingProgram },
    { "icmp.dll", EchoMethod::WindowsIcmp },
};

#ifdef Q_OS_LINUX
bool writeProc(const char *path, const QByteArray &value)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly) && file.write(value) == value.size();
}

/// Moves this process into a network namespace of its own: loopback up,
/// unprivileged echo sockets allowed, and a rejecting route. Needs root.
QString isolateNetwork()
{
    if (::geteuid() != 0)
        return u"needs root for a network namespace of its own"_s;
    if (::unshare(CLONE_NEWNET) != 0)
        return u"unshare(CLONE_NEWNET) failed: %1"_s.arg(QString::fromLocal8Bit(std::strerror(errno)));
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags |= IFF_UP;
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
    rtentry route {};
    auto *destination = reinterpret_cast<sockaddr_in *>(&route.rt_dst);
    destination->sin_family = AF_INET;
    destination->sin_addr.s_addr = htonl(Rejected);
    auto *mask = reinterpret_cast<sockaddr_in *>(&route.rt_genmask);
    mask->sin_family = AF_INET;
    mask->sin_addr.s_addr = 0xFFFFFFFF;
    route.rt_flags = RTF_UP | RTF_HOST | RTF_REJECT;
    const bool rejecting = ::ioctl(fd, SIOCADDRT, &route) == 0;
    ::close(fd);
    if (!up || !rejecting)
        return u"could not set up the namespace's loopback and routes"_s;
    if (!writeProc("/proc/sys/net/ipv4/ping_group_range", "0 2147483647"))
        return u"could not allow echo sockets in the namespace"_s;
    return QString();
}
#endif

} // namespace

// Every echo method against the loopback interface, and the failures mapped onto their status.
class TestEchoService : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
#ifdef Q_OS_LINUX
        m_isolation = isolateNetwork();
        if (!m_isolation.isEmpty())
            qInfo("Echo failures are not tested: %s", qPrintable(m_isolation));
#else
        m_isolation = u"network namespaces are Linux only"_s;
#endif
    }

    void echoToLoopback_data()
    {
        QTest::addColumn<EchoMethod>("method");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("flags");
        for (const Method &m : Methods) {
            QTest::addRow("%s, 56 bytes", m.name) << m.method << 56 << 0;
            QTest::addRow("%s, no data", m.name) << m.method << 0 << 0;
            QTest::addRow("%s, 128 bytes, don't fragment", m.name) << m.method << 128 << EchoFlagDontFragment;
        }
    }

    void echoToLoopback()
    {
        QFETCH(EchoMethod, method);
        QFETCH(int, size);
        QFETCH(int, flags);
        QString reason;
        const std::unique_ptr<EchoService> echo = createEchoService(method, &reason);
        if (!echo)
            QSKIP(qPrintable(u"not available here: "_s + reason));

        EchoRequest request;
        request.address = Loopback;
        request.data = QByteArray("Rufwerk-Test").leftJustified(size, '.', true);
        request.flags = flags;
        request.timeoutMs = 3000;
        const EchoResult result = echo->send(request);
        QVERIFY2(
            result.status == IpStatus::Success, qPrintable(u"status %1 %2"_s.arg(result.status).arg(result.detail)));
        QCOMPARE(result.replies(), 1);
        QCOMPARE(EchoDetail::dotted(result.replyAddress), u"127.0.0.1"_s);
        QCOMPARE(result.data.size(), size);
        if (method != EchoMethod::PingProgram)
            QCOMPARE(result.data, request.data);
        QVERIFY(result.ttl > 0 && result.ttl <= 255);
        QVERIFY(result.roundTripMs < 3000);
    }

    void failures_data()
    {
        QTest::addColumn<EchoMethod>("method");
        QTest::addColumn<quint32>("address");
        QTest::addColumn<int>("ttl");
        QTest::addColumn<bool>("ignoreEchoes");
        QTest::addColumn<bool>("needsNamespace");
        QTest::addColumn<quint32>("status");
        for (const Method &m : Methods) {
            if (m.method == EchoMethod::WindowsIcmp)
                continue; // the namespace and its routes are Linux's
            QTest::addRow("%s: 0.0.0.0", m.name)
                << m.method << quint32(0) << 64 << false << false << IpStatus::BadDestination;
            QTest::addRow("%s: limited broadcast", m.name)
                << m.method << quint32(0xFFFFFFFF) << 64 << false << false << IpStatus::BadDestination;
            QTest::addRow("%s: TTL 0", m.name) << m.method << Loopback << 0 << false << false << IpStatus::BadOption;
            QTest::addRow("%s: no route", m.name)
                << m.method << NoRoute << 64 << false << true << IpStatus::DestNetUnreachable;
            QTest::addRow("%s: rejecting route", m.name)
                << m.method << Rejected << 64 << false << true << IpStatus::DestHostUnreachable;
            QTest::addRow("%s: no answer", m.name)
                << m.method << Loopback << 64 << true << true << IpStatus::RequestTimedOut;
        }
    }

    void failures()
    {
        QFETCH(EchoMethod, method);
        QFETCH(quint32, address);
        QFETCH(int, ttl);
        QFETCH(bool, ignoreEchoes);
        QFETCH(bool, needsNamespace);
        QFETCH(quint32, status);
        if (needsNamespace && !m_isolation.isEmpty())
            QSKIP(qPrintable(m_isolation));
        QString reason;
        const std::unique_ptr<EchoService> echo = createEchoService(method, &reason);
        if (!echo)
            QSKIP(qPrintable(u"not available here: "_s + reason));
#ifdef Q_OS_LINUX
        if (ignoreEchoes)
            QVERIFY(writeProc("/proc/sys/net/ipv4/icmp_echo_ignore_all", "1"));
        const auto answerAgain = qScopeGuard([ignoreEchoes] {
            if (ignoreEchoes)
                writeProc("/proc/sys/net/ipv4/icmp_echo_ignore_all", "0");
        });
#endif

        EchoRequest request;
        request.address = address;
        request.data = QByteArray(32, ' ');
        request.ttl = ttl;
        request.timeoutMs = 400;
        QElapsedTimer clock;
        clock.start();
        const EchoResult result = echo->send(request);
        QCOMPARE(result.status, status);
        QCOMPARE(result.replies(), 0);
        // Whatever goes wrong, the caller gets its answer instead of hanging.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    void icmpErrors_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("code");
        QTest::addColumn<quint32>("status");
        QTest::newRow("net unreachable") << 3 << 0 << IpStatus::DestNetUnreachable;
        QTest::newRow("host unreachable") << 3 << 1 << IpStatus::DestHostUnreachable;
        QTest::newRow("protocol unreachable") << 3 << 2 << IpStatus::DestProtocolUnreachable;
        QTest::newRow("port unreachable") << 3 << 3 << IpStatus::DestPortUnreachable;
        QTest::newRow("fragmentation needed") << 3 << 4 << IpStatus::PacketTooBig;
        QTest::newRow("source route failed") << 3 << 5 << IpStatus::BadRoute;
        QTest::newRow("host prohibited") << 3 << 10 << IpStatus::DestHostUnreachable;
        QTest::newRow("source quench") << 4 << 0 << IpStatus::SourceQuench;
        QTest::newRow("redirect is no failure") << 5 << 1 << IpStatus::Success;
        QTest::newRow("TTL expired in transit") << 11 << 0 << IpStatus::TtlExpiredTransit;
        QTest::newRow("TTL expired in reassembly") << 11 << 1 << IpStatus::TtlExpiredReassembly;
        QTest::newRow("parameter problem") << 12 << 0 << IpStatus::ParameterProblem;
        QTest::newRow("unknown type") << 40 << 0 << IpStatus::GeneralFailure;
    }

    void icmpErrors()
    {
        QFETCH(int, type);
        QFETCH(int, code);
        QFETCH(quint32, status);
        QCOMPARE(EchoDetail::statusForIcmpError(type, code), status);
    }

    void autoPicksAMethodOrSaysWhyNot()
    {
        QString reason;
        const std::unique_ptr<EchoService> echo = createEchoService(EchoMethod::Auto, &reason);
        if (echo)
            QVERIFY(!echo->methodName().isEmpty());
        else
            QVERIFY(reason.startsWith(u"Echo-Anfragen (ICMP) sind auf diesem System nicht möglich"_s));

        setEchoServiceFactory([](QString *why) {
            *why = u"kein Recht"_s;
            return std::unique_ptr<EchoService>();
        });
        QVERIFY(!createEchoService(EchoMethod::Auto, &reason));
        QCOMPARE(reason, u"kein Recht"_s);
        setEchoServiceFactory({});
    }

private:
    QString m_isolation;
};

QTEST_GUILESS_MAIN(TestEchoService)
#include "tst_echoservice.moc"
