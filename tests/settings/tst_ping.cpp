// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EchoService.h"
#include "Ping.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

/// Answers each echo with the next scripted result and keeps the requests.
class ScriptedEcho : public EchoService {
public:
    QList<EchoResult> *script;
    QList<EchoRequest> *requests;

    ScriptedEcho(QList<EchoResult> *s, QList<EchoRequest> *r)
        : script(s)
        , requests(r)
    {
    }
    QString methodName() const override { return u"Skript"_s; }
    EchoResult sendChecked(const EchoRequest &request) override
    {
        requests->append(request);
        return script->isEmpty() ? EchoResult() : script->takeFirst();
    }
};

EchoResult reply(quint32 address, quint32 ms, int size = 56, int ttl = 64)
{
    EchoResult result;
    result.status = IpStatus::Success;
    result.replyAddress = address;
    result.roundTripMs = ms;
    result.data = QByteArray(size, ' ');
    result.ttl = ttl;
    return result;
}

EchoResult failure(quint32 status)
{
    EchoResult result;
    result.status = status;
    return result;
}

} // namespace

class TestPing : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setEchoServiceFactory({}); }

    void statusTexts_data()
    {
        QTest::addColumn<quint32>("status");
        QTest::addColumn<QString>("text");
        const struct {
            quint32 status;
            const char *text;
        } table[] = {
            { 0, "No error" },
            { 11001, "Buffer too small" },
            { 11002, "Destination network unreachable" },
            { 11003, "Destination host unreachable" },
            { 11004, "Destination protocol unreachable" },
            { 11005, "Destination port unreachable" },
            { 11006, "No resources" },
            { 11007, "Bad option" },
            { 11008, "Hardware error" },
            { 11009, "Packet too big" },
            { 11010, "Request timed out" },
            { 11011, "Bad request" },
            { 11012, "Bad route" },
            { 11013, "TTL expired in transit" },
            { 11014, "TTL expired in reassembly" },
            { 11015, "Parameter problem" },
            { 11016, "Source quench" },
            { 11017, "Option too big" },
            { 11018, "Bad Destination" },
            { 11019, "Address deleted" },
            { 11020, "Spec MTU change" },
            { 11021, "MTU change" },
            { 11050, "General failure" },
            { 11255, "Pending" },
            { 11022, "ICMP error #11022" },
            { 87, "ICMP error #87" },
            { 4294967295u, "ICMP error #4294967295" },
        };
        for (const auto &row : table)
            QTest::addRow("%u", row.status) << row.status << QString::fromLatin1(row.text);
    }

    void statusTexts()
    {
        QFETCH(quint32, status);
        QFETCH(QString, text);
        QCOMPARE(TPing::StatusText(status), text);
    }

    void dottedLookupEndsAtOnce_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("result");
        QTest::newRow("plain") << u"127.0.0.1"_s << u"127.0.0.1"_s;
        QTest::newRow("the page's empty address") << u"000.000.000.000"_s << u"0.0.0.0"_s;
        QTest::newRow("leading zeros are decimal, blanks around") << u" 010.001.020.099 "_s << u"10.1.20.99"_s;
    }

    void dottedLookupEndsAtOnce()
    {
        QFETCH(QString, host);
        QFETCH(QString, result);
        TPing ping;
        QSignalSpy done(&ping, &TPing::OnDnsLookupDone);
        ping.StartLookup(host);
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 0);
        QCOMPARE(ping.LookupResult(), result);
        QVERIFY(!ping.LookupPending());
    }

    void nameLookups_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("result");
        QTest::newRow("localhost") << u"localhost"_s << 0 << u"127.0.0.1"_s;
        QTest::newRow("empty") << QString() << int(TPing::HostNotFound) << QString();
        QTest::newRow("IPv6 text") << u"::1"_s << int(TPing::NoAddress) << QString();
        QTest::newRow("over-long name") << QString(300, u'a') << int(TPing::HostNotFound) << QString();
        QTest::newRow("five parts") << u"1.2.3.4.5"_s << -1 << QString();
        QTest::newRow("part over 255") << u"1.2.3.256"_s << -1 << QString();
        QTest::newRow("no such name") << u"rufwerk-test.invalid"_s << -1 << QString();
    }

    void nameLookups()
    {
        QFETCH(QString, host);
        QFETCH(int, error);
        QFETCH(QString, result);
        TPing ping;
        QSignalSpy done(&ping, &TPing::OnDnsLookupDone);
        ping.StartLookup(host);
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 30000);
        const int reported = done.at(0).at(0).toInt();
        if (error >= 0)
            QCOMPARE(reported, error);
        else
            QVERIFY2(reported != 0, qPrintable(ping.LookupResult()));
        QCOMPARE(ping.LookupResult(), result);
    }

    void cancelReportsOnceAndDropsTheAnswer()
    {
        TPing ping;
        QSignalSpy done(&ping, &TPing::OnDnsLookupDone);
        ping.StartLookup(u"localhost"_s);
        QVERIFY(ping.LookupPending());
        ping.CancelLookup();
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), int(TPing::LookupCancelled));
        ping.CancelLookup(); // nothing pending: nothing reported
        QCOMPARE(done.size(), 1);

        // A new lookup while one is pending cancels that one first.
        ping.StartLookup(u"localhost"_s);
        ping.StartLookup(u"localhost"_s);
        QCOMPARE(done.size(), 2);
        QCOMPARE(done.at(1).at(0).toInt(), int(TPing::LookupCancelled));
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 3, 30000);
        QCOMPARE(done.at(2).at(0).toInt(), 0);
        QTest::qWait(50);
        QCOMPARE(done.size(), 3);
    }

    void echoCarriesTheSettings_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("64 bytes") << 64 << QByteArray("Kovatek Rufwerk Echo").leftJustified(64, ' ');
        QTest::newRow("shorter than the identification") << 10 << QByteArray("Kovatek Ru");
        QTest::newRow("no data") << 0 << QByteArray();
    }

    void echoCarriesTheSettings()
    {
        QFETCH(int, size);
        QFETCH(QByteArray, data);
        QList<EchoResult> script { reply(0x7F000001, 7, size, 128) };
        QList<EchoRequest> requests;
        setEchoServiceFactory([&](QString *) { return std::make_unique<ScriptedEcho>(&script, &requests); });
        TPing ping;
        QCOMPARE(ping.Size(), 56);
        QCOMPARE(ping.Timeout(), 4000);
        QCOMPARE(ping.TTL(), 64);
        ping.SetAddress(u"127.000.000.001"_s);
        ping.SetSize(size);
        ping.SetTTL(28);
        ping.SetFlags(EchoFlagDontFragment);
        ping.SetTimeout(1234);
        QStringList events;
        connect(&ping, &TPing::OnEchoRequest, this, [&] { events << u"request"_s; });
        connect(&ping, &TPing::OnEchoReply, this, [&](int replies) { events << u"reply %1"_s.arg(replies); });

        QCOMPARE(ping.SendEcho(), 1);
        QCOMPARE(events, QStringList({ u"request"_s, u"reply 1"_s }));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).address, quint32(0x7F000001));
        QCOMPARE(requests.at(0).data, data);
        QCOMPARE(requests.at(0).ttl, 28);
        QCOMPARE(requests.at(0).flags, EchoFlagDontFragment);
        QCOMPARE(requests.at(0).timeoutMs, 1234);
        QCOMPARE(ping.EchoHostName(), u"127.000.000.001"_s);
        QCOMPARE(ping.EchoHostAddress(), u"127.0.0.1"_s);
        QCOMPARE(ping.LastStatus(), 0u);
        QCOMPARE(ping.StatusText(), u"No error"_s);
        QCOMPARE(ping.LastReply().RoundTripTime, 7u);
        QCOMPARE(ping.LastReply().Address, quint32(0x7F000001));
        QCOMPARE(ping.LastReply().DataSize, quint16(size));
        QCOMPARE(ping.LastReply().Options.Ttl, quint8(128));
    }

    // The transfer test's way: each lookup of a dotted address sends its echo
    // from the done handler before the next lookup starts.
    void lookupsDriveEchoesInOrder()
    {
        QList<EchoResult> script { reply(0x0A000001, 100), reply(0x0A000001, 100), failure(IpStatus::RequestTimedOut),
            reply(0x0A000001, 100) };
        QList<EchoRequest> requests;
        setEchoServiceFactory([&](QString *) { return std::make_unique<ScriptedEcho>(&script, &requests); });
        TPing ping;
        QStringList log;
        connect(&ping, &TPing::OnDnsLookupDone, this, [&](int error) {
            QCOMPARE(error, 0);
            ping.SetAddress(ping.LookupResult());
            ping.SendEcho();
        });
        connect(&ping, &TPing::OnEchoReply, this, [&](int replies) {
            log << (replies ? QString::number(ping.LastReply().RoundTripTime) : ping.StatusText());
        });
        for (int i = 0; i < 4; ++i) {
            ping.StartLookup(u"10.0.0.1"_s);
            QCOMPARE(log.size(), i + 1);
        }
        QCOMPARE(log, QStringList({ u"100"_s, u"100"_s, u"Request timed out"_s, u"100"_s }));
    }

    void badAddressesFailInsteadOfHanging_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("requested");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("the page's empty address") << u"000.000.000.000"_s << true;
        QTest::newRow("broadcast") << u"255.255.255.255"_s << true;
        QTest::newRow("multicast") << u"224.0.0.1"_s << true;
        QTest::newRow("IPv6 text") << u"::1"_s << false;
        QTest::newRow("over-long name") << QString(300, u'x') << false;
        QTest::newRow("no such name") << u"rufwerk-test.invalid"_s << false;
    }

    void badAddressesFailInsteadOfHanging()
    {
        QFETCH(QString, address);
        QFETCH(bool, requested);
        QList<EchoResult> script;
        QList<EchoRequest> requests;
        setEchoServiceFactory([&](QString *) { return std::make_unique<ScriptedEcho>(&script, &requests); });
        TPing ping;
        ping.SetAddress(address);
        ping.SetTimeout(1500);
        QSignalSpy request(&ping, &TPing::OnEchoRequest);
        QSignalSpy replies(&ping, &TPing::OnEchoReply);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(ping.SendEcho(), 0);
        QVERIFY2(clock.elapsed() < 1500 + 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ping.LastStatus(), IpStatus::BadDestination);
        QCOMPARE(ping.StatusText(), u"Bad Destination"_s);
        QCOMPARE(request.size(), requested ? 1 : 0);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies.at(0).at(0).toInt(), 0);
        QVERIFY(requests.isEmpty());
    }

    // Where the system allows no echo, the component still comes up (the
    // settings dialog that holds it must open) and says why when it is used.
    void withoutEchoRightsItExplainsWhenUsed()
    {
        setEchoServiceFactory([](QString *reason) {
            *reason = u"Echo-Anfragen (ICMP) sind auf diesem System nicht möglich: kein Recht"_s;
            return std::unique_ptr<EchoService>();
        });
        TPing ping;
        QVERIFY(!ping.Available());
        QCOMPARE(ping.ErrorText(), u"Echo-Anfragen (ICMP) sind auf diesem System nicht möglich: kein Recht"_s);
        ping.SetAddress(u"127.0.0.1"_s);
        QSignalSpy request(&ping, &TPing::OnEchoRequest);
        QCOMPARE(ping.SendEcho(), 0);
        QCOMPARE(request.size(), 1);
        QCOMPARE(ping.StatusText(), u"General failure"_s);
        QVERIFY(ping.ErrorText().contains(u"kein Recht"_s));
    }

    void realEchoToLoopback()
    {
        TPing ping;
        if (!ping.Available())
            QSKIP(qPrintable(ping.ErrorText()));
        ping.SetAddress(u"127.0.0.1"_s);
        ping.SetSize(64);
        ping.SetTTL(128);
        QCOMPARE(ping.SendEcho(), 1);
        QCOMPARE(ping.StatusText(), u"No error"_s);
        QCOMPARE(ping.LastReply().Address, quint32(0x7F000001));
        QCOMPARE(ping.LastReply().DataSize, quint16(64));
        QVERIFY(ping.LastReply().RoundTripTime < 4000);
        QVERIFY(ping.ErrorText().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPing)
#include "tst_ping.moc"
