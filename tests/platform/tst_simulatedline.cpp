// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimConnection.h"
#include "SimFiles.h"
#include "SimPhoneBook.h"
#include "SimulatedLine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

namespace {

SimScenario scenario(quint32 delay)
{
    SimScenario s;
    s.connectDelay = delay;
    return s;
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

class TestSimulatedLine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedLine> m_line;

    // Adds an entry with the given key=value lines.
    void addEntry(const QString &name, const QStringList &values, const QString &deviceType = QStringLiteral("modem"))
    {
        RasEntry e;
        e.deviceType = deviceType;
        e.localPhoneNumber = QStringLiteral("01929 1771");
        QCOMPARE(m_line->setEntryProperties(name, e), RasError::Success);
        QCOMPARE(m_line->phoneBook().modify([&](SimPhoneBookText &text) {
            for (const QString &v : values) {
                const qsizetype eq = v.indexOf(u'=');
                if (!simApplyUserValue(&text.sections[text.indexOf(name)], v.left(eq), v.mid(eq + 1), nullptr))
                    return RasError::InvalidParameter;
            }
            return RasError::Success;
        }),
                 RasError::Success);
    }

    RasHandle dial(const QString &name, const QString &password = QString())
    {
        RasDialParams params;
        params.entryName = name;
        params.password = password;
        RasHandle handle = 0;
        const int result = m_line->dial(params, &handle);
        return result == RasError::Success ? handle : 0;
    }

    void writeRecord(const SimConnectionRecord &record)
    {
        QVERIFY(QDir().mkpath(m_line->connectionsFolder()));
        QFile f(m_line->connectionsFolder() + u'/' + SimConnectionRecord::fileName(record.handle));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(record.serialize());
    }

    QList<RasHandle> connectedHandles()
    {
        QList<RasConnection> list;
        m_line->enumConnections(&list);
        QList<RasHandle> handles;
        for (const RasConnection &c : std::as_const(list))
            handles.append(c.handle);
        return handles;
    }

    int statusOf(RasHandle handle, int *error = nullptr)
    {
        RasConnStatus status;
        const int result = m_line->connectStatus(handle, &status);
        if (error)
            *error = status.error;
        return result == RasError::Success ? status.state : -result;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_line = std::make_unique<SimulatedLine>(m_dir->path());
    }

    void stateAt_data()
    {
        QTest::addColumn<SimScenario>("scenario");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("error");
        QTest::addColumn<quint64>("sent");
        QTest::addColumn<quint64>("received");

        SimScenario s = scenario(7);
        QTest::newRow("dial start") << s << 0ll << RasState::OpenPort << 0 << 0ull << 0ull;
        QTest::newRow("clock set back") << s << -5000ll << RasState::OpenPort << 0 << 0ull << 0ull;
        QTest::newRow("device connecting") << s << 2500ll << RasState::ConnectDevice << 0 << 0ull << 0ull;
        QTest::newRow("authenticating") << s << 5000ll << RasState::Authenticate << 0 << 0ull << 0ull;
        QTest::newRow("last step") << s << 6999ll << RasState::Authenticated << 0 << 0ull << 0ull;
        QTest::newRow("connected at the delay") << s << 7000ll << RasState::Connected << 0 << 0ull << 0ull;
        QTest::newRow("traffic, default rates") << s << 17000ll << RasState::Connected << 0 << 3000ull << 40000ull;
        QTest::newRow("part of a second") << scenario(0) << 1500ll << RasState::Connected << 0 << 450ull << 6000ull;

        s = scenario(0);
        s.active = 10;
        s.idle = 20;
        QTest::newRow("idle phase") << s << 25000ll << RasState::Connected << 0 << 3000ull << 40000ull;
        QTest::newRow("second active phase") << s << 35000ll << RasState::Connected << 0 << 4500ull << 60000ull;
        s.active = 0;
        s.idle = 60;
        QTest::newRow("never active") << s << 100000ll << RasState::Connected << 0 << 0ull << 0ull;

        s = scenario(3);
        s.busy = true;
        QTest::newRow("busy, while dialing") << s << 2500ll << RasState::ConnectDevice << 0 << 0ull << 0ull;
        QTest::newRow("busy") << s << 3000ll << RasState::Disconnected << RasError::LineBusy << 0ull << 0ull;
        s.connectDelay = 0;
        QTest::newRow("busy at once") << s << 0ll << RasState::Disconnected << RasError::LineBusy << 0ull << 0ull;
        s = scenario(3);
        s.noAnswer = true;
        QTest::newRow("no answer") << s << 3000ll << RasState::Disconnected << RasError::NoAnswer << 0ull << 0ull;
        s = scenario(6);
        s.authFails = true;
        QTest::newRow("wrong password, authenticating") << s << 5999ll << RasState::Authenticate << 0 << 0ull << 0ull;
        QTest::newRow("wrong password") << s << 6000ll << RasState::Disconnected << RasError::AuthenticationFailure
                                        << 0ull << 0ull;
        s = scenario(1);
        s.hangUpAfter = 5;
        QTest::newRow("before the remote hang-up") << s << 5999ll << RasState::Connected << 0 << 1499ull << 19996ull;
        QTest::newRow("remote hang-up keeps the traffic until then")
            << s << 60000ll << RasState::Disconnected << RasError::RemoteDisconnection << 1500ull << 20000ull;
    }

    void stateAt()
    {
        QFETCH(SimScenario, scenario);
        QFETCH(qint64, elapsedMs);
        SimConnectionRecord r;
        r.dialStartMs = 1000000;
        r.scenario = scenario;
        const SimConnectionState st = r.stateAt(r.dialStartMs + elapsedMs);
        QTEST(st.state, "state");
        QTEST(st.error, "error");
        QTEST(st.bytesSent, "sent");
        QTEST(st.bytesReceived, "received");
        QCOMPARE(st.endedAtMs >= 0, st.state == RasState::Disconnected);
    }

    // Dial times from damaged records: the times computed from them stop at
    // the ends of the range, so the connection neither dials for ever nor wraps.
    void absurdDialTimes_data()
    {
        QTest::addColumn<qint64>("dialStartMs");
        QTest::addColumn<qint64>("nowMs");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<quint32>("hangUpAfter");
        QTest::addColumn<int>("state");
        QTest::addColumn<qint64>("endedAtMs");

        constexpr qint64 lowest = std::numeric_limits<qint64>::min();
        constexpr qint64 highest = std::numeric_limits<qint64>::max();
        constexpr qint64 today = 1767225600000;
        QTest::newRow("earliest start") << lowest << today << false << 0u << RasState::Connected << qint64(-1);
        QTest::newRow("earliest start, remote hang-up")
            << lowest << today << false << 30u << RasState::Disconnected << lowest + 32000;
        QTest::newRow("latest start") << highest << today << false << 0u << RasState::OpenPort << qint64(-1);
        QTest::newRow("busy, ending at the end of time")
            << highest - 2000 << highest << true << 0u << RasState::Disconnected << highest;
    }

    void absurdDialTimes()
    {
        QFETCH(qint64, dialStartMs);
        QFETCH(qint64, nowMs);
        QFETCH(bool, busy);
        QFETCH(quint32, hangUpAfter);
        SimConnectionRecord r;
        r.dialStartMs = dialStartMs;
        r.scenario = scenario(2);
        r.scenario.busy = busy;
        r.scenario.hangUpAfter = hangUpAfter;
        const SimConnectionState st = r.stateAt(nowMs);
        QTEST(st.state, "state");
        QTEST(st.endedAtMs, "endedAtMs");
        QVERIFY(st.onlineMs >= 0);
    }

    void recordRoundTrip()
    {
        SimConnectionRecord r;
        r.handle = 4711;
        r.entryName = QStringLiteral("Sparruf Süd = billig");
        r.phoneNumber = QStringLiteral("0190 1");
        r.deviceType = QStringLiteral("isdn");
        r.deviceName = QStringLiteral("Simulierter ISDN-Adapter");
        r.ownerPid = 123;
        r.ownerStart = QStringLiteral("98765");
        r.dialStartMs = 1700000000123;
        r.scenario = {5, true, true, true, 1, 2, 3, 4, 6, 64000};
        r.localIp = QStringLiteral("10.64.1.2");
        r.remoteIp = QStringLiteral("10.64.0.1");
        SimConnectionRecord read;
        QVERIFY(SimConnectionRecord::parse(r.serialize(), &read));
        QCOMPARE(read.serialize(), r.serialize());
        QCOMPARE(read.entryName, r.entryName);
        QCOMPARE(read.scenario.hangUpAfter, 6u);
        QVERIFY(!SimConnectionRecord::parse("Kauderwelsch", &read));
        QVERIFY(!SimConnectionRecord::parse("Handle=0\nDialStart=1\n", &read));
        QVERIFY(!SimConnectionRecord::parse("Handle=5\n", &read));
    }

    void dialToHangUp()
    {
        addEntry(QStringLiteral("Netzwerk Nord"), {QStringLiteral("SimConnectDelay=1"), QStringLiteral("SimLocalIP=10.1.2.3")});
        const RasHandle handle = dial(QStringLiteral("netzwerk nord"));
        QVERIFY(handle != 0);

        QList<RasConnection> list;
        QCOMPARE(m_line->enumConnections(&list), RasError::Success);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.at(0).handle, handle);
        QCOMPARE(list.at(0).entryName, QStringLiteral("Netzwerk Nord"));
        QCOMPARE(list.at(0).deviceType, QStringLiteral("modem"));
        QVERIFY(statusOf(handle) < RasState::Connected);
        RasIpProjection ip;
        QCOMPARE(m_line->projectionInfo(handle, &ip), RasError::ProjectionNotComplete);

        QTRY_COMPARE_WITH_TIMEOUT(statusOf(handle), RasState::Connected, 5000);
        QCOMPARE(m_line->projectionInfo(handle, &ip), RasError::Success);
        QCOMPARE(ip.clientAddress, QStringLiteral("10.1.2.3"));
        QCOMPARE(ip.serverAddress, QStringLiteral("10.64.0.1"));

        QCOMPARE(m_line->hangUp(handle), RasError::Success);
        QVERIFY(connectedHandles().isEmpty());
        QCOMPARE(statusOf(handle), -RasError::InvalidHandle);
        QCOMPARE(m_line->projectionInfo(handle, &ip), RasError::InvalidHandle);
        QCOMPARE(m_line->hangUp(handle), RasError::InvalidHandle);
        QVERIFY(QDir(m_line->connectionsFolder()).isEmpty());
    }

    void dialErrors()
    {
        RasDialParams params;
        params.entryName = QStringLiteral("Unbekannt");
        RasHandle handle = 0;
        QCOMPARE(m_line->dial(params, &handle), RasError::CannotFindPhonebookEntry);
        QCOMPARE(statusOf(12345), -RasError::InvalidHandle);
        QCOMPARE(m_line->hangUp(12345), RasError::InvalidHandle);
    }

    void failingDials_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("error");
        QTest::newRow("busy") << QStringList{QStringLiteral("SimBusy=1")} << QString() << RasError::LineBusy;
        QTest::newRow("no answer") << QStringList{QStringLiteral("SimNoAnswer=1")} << QString() << RasError::NoAnswer;
        QTest::newRow("wrong password")
            << QStringList{QStringLiteral("SimCheckPassword=1"), QStringLiteral("Password=richtig")}
            << QStringLiteral("falsch") << RasError::AuthenticationFailure;
        QTest::newRow("right password")
            << QStringList{QStringLiteral("SimCheckPassword=1"), QStringLiteral("Password=richtig")}
            << QStringLiteral("richtig") << 0;
    }

    void failingDials()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, password);
        QFETCH(int, error);
        addEntry(QStringLiteral("A"), values + QStringList{QStringLiteral("SimConnectDelay=0")});
        const RasHandle handle = dial(QStringLiteral("A"), password);
        QVERIFY(handle != 0);
        int actualError = -1;
        const int state = statusOf(handle, &actualError);
        QCOMPARE(actualError, error);
        if (error == 0) {
            QCOMPARE(state, RasState::Connected);
            return;
        }
        QCOMPARE(state, RasState::Disconnected);
        QVERIFY(connectedHandles().isEmpty());
        RasIpProjection ip;
        QCOMPARE(m_line->projectionInfo(handle, &ip), RasError::ProjectionNotComplete);
        // The failure stays readable until the dialer hangs up.
        QCOMPARE(statusOf(handle), RasState::Disconnected);
        QCOMPARE(m_line->hangUp(handle), RasError::Success);
        QCOMPARE(statusOf(handle), -RasError::InvalidHandle);
    }

    void remoteHangUp()
    {
        addEntry(QStringLiteral("A"), {QStringLiteral("SimConnectDelay=0"), QStringLiteral("SimHangUpAfter=1")});
        const RasHandle handle = dial(QStringLiteral("A"));
        QCOMPARE(statusOf(handle), RasState::Connected);
        int error = 0;
        QTRY_COMPARE_WITH_TIMEOUT(statusOf(handle, &error), RasState::Disconnected, 5000);
        QCOMPARE(error, RasError::RemoteDisconnection);
        QVERIFY(connectedHandles().isEmpty());
    }

    void statisticsOfConnectedConnections()
    {
        addEntry(QStringLiteral("ISDN"), {QStringLiteral("SimConnectDelay=0"), QStringLiteral("SimRateUp=1000")},
                 QStringLiteral("isdn"));
        addEntry(QStringLiteral("Modem"), {QStringLiteral("SimConnectDelay=0"), QStringLiteral("SimRateDown=100")});
        addEntry(QStringLiteral("Slow"), {QStringLiteral("SimConnectDelay=100")});
        addEntry(QStringLiteral("Busy"), {QStringLiteral("SimConnectDelay=0"), QStringLiteral("SimBusy=1")});
        RasStatistics stats;
        QVERIFY(m_line->startStatistics(true));
        QVERIFY(m_line->readStatistics(&stats));
        QCOMPARE(stats.bytesXmit, 0u);
        QCOMPARE(stats.connectSpeed, 0u);

        QVERIFY(dial(QStringLiteral("Slow")));
        QVERIFY(dial(QStringLiteral("Busy")));
        QVERIFY(dial(QStringLiteral("ISDN")));
        QTest::qWait(5); // dialed in this order, not in the same millisecond
        QVERIFY(dial(QStringLiteral("Modem")));

        QTRY_VERIFY_WITH_TIMEOUT(m_line->readStatistics(&stats) && stats.bytesRecv > 4000, 5000);
        // Only the two connected ones count; read between two clock readings.
        const QList<SimConnectionRecord> records = m_line->connectionRecords();
        QCOMPARE(records.size(), 4);
        const qint64 before = now();
        QVERIFY(m_line->readStatistics(&stats));
        const qint64 after = now();
        auto sum = [&records](qint64 at, bool sent) {
            quint64 total = 0;
            for (const SimConnectionRecord &r : records) {
                const SimConnectionState st = r.stateAt(at);
                if (st.isConnected())
                    total += sent ? st.bytesSent : st.bytesReceived;
            }
            return total;
        };
        QVERIFY(stats.bytesXmit >= sum(before, true) && stats.bytesXmit <= sum(after, true));
        QVERIFY(stats.bytesRecv >= sum(before, false) && stats.bytesRecv <= sum(after, false));
        QCOMPARE(stats.connectSpeed, 64000u); // the first connected one is the ISDN line
    }

    void countersWrapAt32Bits()
    {
        SimConnectionRecord r;
        r.handle = 77;
        r.entryName = QStringLiteral("Lang");
        r.dialStartMs = now() - 8000 * 1000;
        r.scenario = scenario(0);
        r.scenario.rateDown = 1000000;
        r.scenario.active = 7200; // then idle, so the count stands still while the test reads
        r.scenario.idle = 100000;
        writeRecord(r);
        RasStatistics stats;
        QVERIFY(m_line->readStatistics(&stats));
        QCOMPARE(stats.bytesRecv, quint32(7200ull * 1000000 - 0x100000000ull));
    }

    void recordsThatAreOver_data()
    {
        QTest::addColumn<qint64>("ownerPid");
        QTest::addColumn<QString>("ownerStart");
        QTest::addColumn<qint64>("dialedAgoMs");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("kept");

        QTest::newRow("detached") << 0ll << QString() << 1000ll << false << true;
        QTest::newRow("dialer gone") << qint64(999999999) << QString() << 1000ll << false << false;
        QTest::newRow("failed 30 s ago") << 0ll << QString() << 30000ll << true << true;
        QTest::newRow("failed two minutes ago") << 0ll << QString() << 120000ll << true << false;
    }

    void recordsThatAreOver()
    {
        QFETCH(qint64, ownerPid);
        QFETCH(QString, ownerStart);
        QFETCH(qint64, dialedAgoMs);
        QFETCH(bool, busy);
        QFETCH(bool, kept);
        SimConnectionRecord r;
        r.handle = 99;
        r.ownerPid = ownerPid;
        r.ownerStart = ownerStart;
        r.dialStartMs = now() - dialedAgoMs;
        r.scenario = scenario(0);
        r.scenario.busy = busy;
        writeRecord(r);
        QCOMPARE(statusOf(99) > 0, kept);
        QCOMPARE(QFile::exists(m_line->connectionsFolder() + QLatin1String("/99.conn")), kept);
    }

    void recordFromTheEarliestTimeIsOver()
    {
        SimConnectionRecord r;
        r.handle = 98;
        r.dialStartMs = std::numeric_limits<qint64>::min();
        r.scenario = scenario(0);
        r.scenario.busy = true;
        writeRecord(r);
        QVERIFY(statusOf(98) <= 0);
        QVERIFY(!QFile::exists(m_line->connectionsFolder() + QLatin1String("/98.conn")));
    }

    void reusedProcessIdIsNoOwner()
    {
        // Process 1 runs, but it was started long before any dialer.
        if (simProcessStartToken(1).isEmpty())
            QSKIP("no process start times on this system");
        SimConnectionRecord r;
        r.handle = 5;
        r.ownerPid = 1;
        r.ownerStart = simProcessStartToken(1) + QLatin1String("0");
        r.dialStartMs = now();
        r.scenario = scenario(0);
        writeRecord(r);
        QVERIFY(connectedHandles().isEmpty());
        r.handle = 6;
        r.ownerStart = simProcessStartToken(1);
        writeRecord(r);
        QCOMPARE(connectedHandles(), QList<RasHandle>{6});
    }

    void releasedConnectionOutlivesItsDialer()
    {
        addEntry(QStringLiteral("A"), {QStringLiteral("SimConnectDelay=0")});
        const RasHandle handle = dial(QStringLiteral("A"));
        QCOMPARE(m_line->releaseConnection(handle), RasError::Success);
        // Another process reads the record: nobody owns it any more.
        SimulatedLine other(m_dir->path());
        const QList<SimConnectionRecord> records = other.connectionRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().ownerPid, qint64(0));
        QCOMPARE(records.first().handle, handle);
        QCOMPARE(m_line->releaseConnection(handle + 1), RasError::InvalidHandle);
        QCOMPARE(other.hangUp(handle), RasError::Success);
    }

    void junkInTheConnectionsFolder()
    {
        QVERIFY(QDir().mkpath(m_line->connectionsFolder()));
        QFile junk(m_line->connectionsFolder() + QLatin1String("/1.conn"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("Kauderwelsch");
        junk.close();
        QVERIFY(connectedHandles().isEmpty());
        QVERIFY(junk.exists()); // it could be somebody else's; only old junk goes
        QVERIFY(junk.open(QIODevice::ReadWrite));
        QVERIFY(junk.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        junk.close();
        QFile other(m_line->connectionsFolder() + QLatin1String("/other")); // changes the folder
        QVERIFY(other.open(QIODevice::WriteOnly));
        QVERIFY(connectedHandles().isEmpty());
        QVERIFY(!junk.exists());
    }

    void otherLinesSeeChangesAtOnce()
    {
        addEntry(QStringLiteral("A"), {QStringLiteral("SimConnectDelay=0")});
        SimulatedLine other(m_dir->path());
        QList<RasConnection> list;
        QCOMPARE(other.enumConnections(&list), RasError::Success);
        QVERIFY(list.isEmpty());
        const RasHandle first = dial(QStringLiteral("A"));
        const RasHandle second = dial(QStringLiteral("A"));
        QCOMPARE(other.enumConnections(&list), RasError::Success);
        QCOMPARE(list.size(), 2);
        QCOMPARE(other.hangUp(first), RasError::Success);
        QCOMPARE(connectedHandles(), QList<RasHandle>{second});
        QCOMPARE(statusOf(first), -RasError::InvalidHandle);
    }

    void folderFromTheEnvironment()
    {
        const QByteArray old = qgetenv("RUFWERK_LINE_DIR");
        qputenv("RUFWERK_LINE_DIR", m_dir->path().toUtf8());
        SimulatedLine fromEnvironment;
        QCOMPARE(fromEnvironment.folder(), m_dir->path());
        QCOMPARE(fromEnvironment.phoneBookPath(), m_dir->path() + QLatin1String("/rasphone.pbk"));
        qunsetenv("RUFWERK_LINE_DIR");
        QVERIFY(SimulatedLine::defaultFolder().endsWith(QLatin1String("/Rufwerk/line")));
        if (!old.isNull())
            qputenv("RUFWERK_LINE_DIR", old);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedLine)
#include "tst_simulatedline.moc"
