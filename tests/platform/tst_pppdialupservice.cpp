// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeSecretStore.h"
#include "LinkWatcher.h"
#include "PppDialUpService.h"
#include "PppPeer.h"
#include "PppProgress.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

/// A link table whose contents and failures the test sets.
class FakeLinkWatcher : public LinkWatcher {
public:
    QList<PointToPointLink> links;
    int failure = 0; // an errno for the next polls

    int poll(QList<PointToPointLink> *out) override
    {
        if (failure != 0)
            return failure;
        *out = links;
        return 0;
    }
};

PointToPointLink link(int index, const QString &name, quint64 sent = 0, quint64 received = 0)
{
    PointToPointLink l;
    l.index = index;
    l.name = name;
    l.ppp = true;
    l.up = true;
    l.bytesSent = sent;
    l.bytesReceived = received;
    return l;
}

bool processRuns(qint64 pid)
{
    // A zombie is no running process.
    const QByteArray stat = readAll(u"/proc/%1/stat"_s.arg(pid));
    return !stat.isEmpty() && stat.mid(stat.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace

class TestPppDialUpService : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<FakeSecretStore> m_secrets;
    std::shared_ptr<FakeLinkWatcher> m_links;
    std::unique_ptr<PppDialUpService> m_service;
    PppDialUpService::Config m_config;
    QString m_record;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString helper() const { return qEnvironmentVariable("RUFWERK_TEST_BIN") + "/rufwerk-peers"_L1; }

    void start() { m_service = std::make_unique<PppDialUpService>(m_config); }

    void addModemEntry(
        const QString &name, const QString &number = u"0192 9177"_s, const QString &device = u"/dev/ttyUSB0"_s)
    {
        RasEntry e;
        e.deviceType = u"modem"_s;
        e.deviceName = device;
        e.localPhoneNumber = number;
        e.options = RasEntryOption::RemoteDefaultGateway | RasEntryOption::IpHeaderCompression;
        QCOMPARE(m_service->setEntryProperties(name, e), RasError::Success);
    }

    RasHandle dial(const QString &output, const QString &exit, const QString &entry = u"Netzwerk Nord"_s)
    {
        qputenv("FAKE_PPPD_OUTPUT", QFINDTESTDATA(u"fixtures/pppd/"_s + output + u".txt"_s).toLocal8Bit());
        qputenv("FAKE_PPPD_EXIT", exit.toLatin1());
        RasDialParams params;
        bool stored = false;
        if (m_service->getEntryDialParams(entry, &params, &stored) != RasError::Success)
            return 0;
        RasHandle handle = 0;
        return m_service->dial(params, &handle) == RasError::Success ? handle : 0;
    }

    RasConnStatus status(RasHandle handle)
    {
        RasConnStatus s;
        s.state = -1;
        m_service->connectStatus(handle, &s);
        return s;
    }

    qint64 fakePppdPid() const { return readAll(m_record + u".pid"_s).trimmed().toLongLong(); }

    int helperRuns() const { return int(readAll(path(u"helper-runs"_s)).count('\n')); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        for (const QString &folder : { u"book"_s, u"peers"_s, u"run"_s })
            QVERIFY(QDir().mkpath(path(folder)));
        // The fake pppd, and the real helper behind a wrapper that counts its runs.
        const QString fakePppd = QFINDTESTDATA("fixtures/fake-pppd.sh");
        QVERIFY(!fakePppd.isEmpty());
        QVERIFY(QFile::copy(fakePppd, path(u"pppd"_s)));
        QVERIFY(QFile::setPermissions(path(u"pppd"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeAll(path(u"helper"_s),
            ("#!/bin/sh\necho run >> '" + path(u"helper-runs"_s).toLocal8Bit() + "'\nexec '" + helper().toLocal8Bit()
                + "' \"$@\"\n")));
        QVERIFY(QFile::setPermissions(path(u"helper"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        m_secrets = std::make_shared<FakeSecretStore>();
        m_links = std::make_shared<FakeLinkWatcher>();
        m_config = PppDialUpService::Config();
        m_config.phoneBookFolder = path(u"book"_s);
        m_config.peersFolder = path(u"peers"_s);
        m_config.chatFolder = path(u"chatscripts"_s);
        m_config.runFolder = path(u"run"_s);
        m_config.pppdPath = path(u"pppd"_s);
        m_config.helperCommand = { path(u"helper"_s) };
        m_config.kernelCheck = [] { return true; };
        m_config.secrets = m_secrets;
        m_config.links = m_links;
        m_record = path(u"record"_s);
        qputenv("RUFWERK_PPP_PEERS", m_config.peersFolder.toLocal8Bit());
        qputenv("RUFWERK_PPP_CHATS", m_config.chatFolder.toLocal8Bit());
        qputenv("FAKE_PPPD_RECORD", m_record.toLocal8Bit());
        start();
        addModemEntry(u"Netzwerk Nord"_s);
    }

    void cleanup()
    {
        // Ends any fake pppd that still runs.
        m_service.reset();
        m_links.reset();
        m_secrets.reset();
        m_dir.reset();
    }

    // Phone book and passwords

    void passwordGoesToSecretStoreOnly()
    {
        RasDialParams params;
        params.entryName = u"netzwerk nord"_s;
        params.userName = u"anna"_s;
        params.password = u"Ge heim'\"§"_s;
        QCOMPARE(m_service->setEntryDialParams(params, false), RasError::Success);
        QCOMPARE(m_secrets->passwords.value(u"Netzwerk Nord"_s), params.password);
        const QByteArray book = readAll(path(u"book/rasphone.pbk"_s));
        QVERIFY(book.contains("User=anna"));
        QVERIFY(!book.contains("Ge heim"));

        RasDialParams read;
        bool stored = false;
        QCOMPARE(m_service->getEntryDialParams(u"Netzwerk Nord"_s, &read, &stored), RasError::Success);
        QVERIFY(stored);
        QCOMPARE(read.password, params.password);
        QCOMPARE(read.userName, u"anna"_s);

        QCOMPARE(m_service->renameEntry(u"Netzwerk Nord"_s, u"Netz Süd"_s), RasError::Success);
        QCOMPARE(m_secrets->passwords.keys(), QStringList { u"Netz Süd"_s });
        QCOMPARE(m_service->setEntryDialParams({ u"Netz Süd"_s, {}, {}, u"anna"_s, {}, {} }, true), RasError::Success);
        QVERIFY(m_secrets->passwords.isEmpty());
        QCOMPARE(m_service->getEntryDialParams(u"Netz Süd"_s, &read, &stored), RasError::Success);
        QVERIFY(!stored);
        QVERIFY(read.password.isEmpty());
    }

    void passwordOfCopiedBookIsIgnored()
    {
        // A book copied from the simulated line may hold passwords: they are not used.
        QByteArray book = readAll(path(u"book/rasphone.pbk"_s));
        book.replace("[Netzwerk Nord]\r\n", "[Netzwerk Nord]\r\nPassword=alt\r\nPasswordStored=1\r\n");
        QVERIFY(writeAll(path(u"book/rasphone.pbk"_s), book));
        RasDialParams read;
        bool stored = true;
        QCOMPARE(m_service->getEntryDialParams(u"Netzwerk Nord"_s, &read, &stored), RasError::Success);
        QVERIFY(!stored);
        QVERIFY(read.password.isEmpty());
    }

    void secretStoreFailureChangesNothing()
    {
        m_secrets->fail = true;
        RasDialParams params { u"Netzwerk Nord"_s, {}, {}, u"neu"_s, u"pw"_s, {} };
        const int result = m_service->setEntryDialParams(params, false);
        QCOMPARE(result, PppError::SecretStoreFailed);
        QCOMPARE(m_service->errorString(result), m_secrets->failure);
        QVERIFY(!readAll(path(u"book/rasphone.pbk"_s)).contains("User=neu"));
        QCOMPARE(m_service->renameEntry(u"Netzwerk Nord"_s, u"Anders"_s), PppError::SecretStoreFailed);
        QStringList names;
        QCOMPARE(m_service->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList { u"Netzwerk Nord"_s });
    }

    void badEntriesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("messagePart");

        QTest::newRow("number with letters")
            << u"A"_s << u"/dev/ttyUSB0"_s << u"0800 BLUMEN"_s << PppError::InvalidEntry << u"Rufnummer"_s;
        QTest::newRow("not a modem") << u"A"_s << u"/dev/sda"_s << u"1"_s << PppError::InvalidEntry << u"kein Modem"_s;
        QTest::newRow("name with newline")
            << u"A\nB"_s << u"/dev/ttyUSB0"_s << u"1"_s << RasError::InvalidName << QString();
        QTest::newRow("name with slash") << u"A/B"_s << u"/dev/ttyUSB0"_s << u"1"_s << RasError::InvalidName
                                         << QString();
        QTest::newRow("name with dots") << u"../etc"_s << u"/dev/ttyUSB0"_s << u"1"_s << RasError::InvalidName
                                        << QString();
        QTest::newRow("being created: empty fields pass")
            << u"Neu"_s << QString() << QString() << RasError::Success << QString();
    }

    void badEntriesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, device);
        QFETCH(QString, number);
        QFETCH(int, result);
        QFETCH(QString, messagePart);

        RasEntry e;
        e.deviceType = u"modem"_s;
        e.deviceName = device;
        e.localPhoneNumber = number;
        QCOMPARE(m_service->setEntryProperties(name, e), result);
        QVERIFY2(m_service->errorString(result).contains(messagePart), qPrintable(m_service->errorString(result)));
    }

    // Dialing

    void dialRunsPppdAndHangsUp()
    {
        RasDialParams params { u"Netzwerk Nord"_s, {}, {}, u"anna"_s, u"Ge heim'\"§"_s, {} };
        QCOMPARE(m_service->setEntryDialParams(params, false), RasError::Success);
        const RasHandle handle = dial(u"connected"_s, u"hold"_s);
        QVERIFY(handle != 0);
        QTRY_COMPARE_WITH_TIMEOUT(status(handle).state, RasState::Connected, 10000);
        QCOMPARE(helperRuns(), 1);

        // The helper wrote the peer and chat files from the entry.
        const QString peer = Ppp::peerName(u"Netzwerk Nord"_s);
        PppPeerSpec spec;
        RasEntry entry;
        QString error;
        QCOMPARE(m_service->getEntryProperties(u"Netzwerk Nord"_s, &entry), RasError::Success);
        QVERIFY(Ppp::specFromEntry(u"Netzwerk Nord"_s, entry, &spec, &error));
        QCOMPARE(readAll(m_config.peersFolder + u'/' + peer), Ppp::renderPeer(spec, m_config.chatFolder, getuid()));
        QCOMPARE(readAll(m_config.chatFolder + u'/' + peer), Ppp::renderChat(spec));

        // The password came on descriptor 3, never on the command line.
        const QStringList args = QString::fromUtf8(readAll(m_record + u".args"_s)).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(args,
            (QStringList { u"file"_s, m_config.peersFolder + u'/' + peer, u"nodetach"_s, u"user"_s, u"anna"_s,
                u"passwordfd"_s, u"3"_s }));
        QCOMPARE(readAll(m_record + u".password"_s), params.password.toUtf8());

        // Its interface carries the entry's name.
        PointToPointLink ppp0 = link(9, u"ppp0"_s, 100, 200);
        ppp0.localAddress = u"10.11.12.13"_s;
        ppp0.remoteAddress = u"10.64.64.64"_s;
        m_links->links = { ppp0, link(4, u"tun0"_s) };
        QList<RasConnection> connections;
        QCOMPARE(m_service->enumConnections(&connections), RasError::Success);
        QCOMPARE(connections.size(), 2);
        QCOMPARE(connections[0].handle, handle);
        QCOMPARE(connections[0].entryName, u"Netzwerk Nord"_s);
        QCOMPARE(connections[0].deviceName, u"/dev/ttyUSB0"_s);
        QCOMPARE(connections[1].entryName, u"tun0"_s);
        RasIpProjection projection;
        QCOMPARE(m_service->projectionInfo(handle, &projection), RasError::Success);
        QCOMPARE(projection.clientAddress, u"10.11.12.13"_s);
        QCOMPARE(projection.serverAddress, u"10.64.64.64"_s);

        const qint64 pid = fakePppdPid();
        QVERIFY(processRuns(pid));
        QCOMPARE(m_service->hangUp(handle), RasError::Success);
        QTRY_VERIFY_WITH_TIMEOUT(!processRuns(pid), 5000);

        // Dialed again: the peer is current, the helper is not asked again.
        const RasHandle again = dial(u"busy"_s, u"8"_s);
        QVERIFY(again != 0);
        QTRY_COMPARE_WITH_TIMEOUT(status(again).state, RasState::Disconnected, 10000);
        QCOMPARE(helperRuns(), 1);
    }

    void dialOutcomes_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("exit");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("messagePart");

        QTest::newRow("busy") << u"busy"_s << u"8"_s << RasError::LineBusy << u"besetzt"_s;
        QTest::newRow("authentication failed")
            << u"auth-failed"_s << u"19"_s << RasError::AuthenticationFailure << u"Kennwort"_s;
        QTest::newRow("device locked") << u"locked"_s << u"6"_s << PppError::DeviceLocked
                                       << u"/dev/ttyUSB0 (Prozess 4242)"_s;
        QTest::newRow("remote hang-up") << u"remote-hangup"_s << u"16"_s << RasError::RemoteDisconnection
                                        << u"Gegenstelle"_s;
        QTest::newRow("kernel without PPP") << u"no-kernel-ppp"_s << u"4"_s << PppError::KernelLacksPpp << u"Kernel"_s;
    }

    void dialOutcomes()
    {
        QFETCH(QString, output);
        QFETCH(QString, exit);
        QFETCH(int, error);
        QFETCH(QString, messagePart);

        const RasHandle handle = dial(output, exit);
        QVERIFY(handle != 0);
        QTRY_COMPARE_WITH_TIMEOUT(status(handle).state, RasState::Disconnected, 10000);
        QCOMPARE(status(handle).error, error);
        QVERIFY2(m_service->errorString(error).contains(messagePart), qPrintable(m_service->errorString(error)));
    }

    void dialRefused_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("messagePart");

        QTest::newRow("kernel without PPP") << u"no-kernel"_s << PppError::KernelLacksPpp << u"Kernel"_s;
        QTest::newRow("pppd missing") << u"no-pppd"_s << PppError::PppdMissing << u"„ppp“"_s;
        QTest::newRow("pppd not executable") << u"pppd-not-executable"_s << PppError::PppdNotPermitted << u"dip"_s;
        QTest::newRow("entry without number") << u"no-number"_s << PppError::InvalidEntry << u"keine Rufnummer"_s;
        QTest::newRow("unknown entry") << u"unknown-entry"_s << RasError::CannotFindPhonebookEntry
                                       << u"nicht gefunden"_s;
    }

    void dialRefused()
    {
        QFETCH(QString, setup);
        QFETCH(int, error);
        QFETCH(QString, messagePart);

        QString entry = u"Netzwerk Nord"_s;
        if (setup == "no-kernel"_L1)
            m_config.kernelCheck = [] { return false; };
        if (setup == "no-pppd"_L1)
            m_config.pppdPath = path(u"no-such-pppd"_s);
        if (setup == "pppd-not-executable"_L1)
            QVERIFY(QFile::setPermissions(path(u"pppd"_s), QFile::ReadOwner));
        start();
        if (setup == "no-number"_L1) {
            addModemEntry(u"Ohne Nummer"_s, QString());
            entry = u"Ohne Nummer"_s;
        }
        RasDialParams params;
        params.entryName = setup == "unknown-entry"_L1 ? u"Gibt es nicht"_s : entry;
        RasHandle handle = 1;
        QCOMPARE(m_service->dial(params, &handle), error);
        QCOMPARE(handle, RasHandle(0));
        QVERIFY2(m_service->errorString(error).contains(messagePart), qPrintable(m_service->errorString(error)));
        QCOMPARE(helperRuns(), 0);
    }

    void helperFailureEndsDial_data()
    {
        QTest::addColumn<bool>("helperMissing");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("peers folder cannot be written") << false << u"Ordner"_s;
        QTest::newRow("helper cannot be started") << true << u"nicht starten"_s;
    }

    void helperFailureEndsDial()
    {
        QFETCH(bool, helperMissing);
        QFETCH(QString, messagePart);

        if (helperMissing) {
            m_config.helperCommand = { path(u"no-such-helper"_s) };
        } else {
            QVERIFY(writeAll(path(u"peers-file"_s), "x"));
            m_config.peersFolder = path(u"peers-file"_s);
            qputenv("RUFWERK_PPP_PEERS", m_config.peersFolder.toLocal8Bit());
        }
        start();
        const RasHandle handle = dial(u"connected"_s, u"hold"_s);
        QVERIFY(handle != 0);
        QTRY_COMPARE_WITH_TIMEOUT(status(handle).state, RasState::Disconnected, 10000);
        QCOMPARE(status(handle).error, PppError::PeerNotWritten);
        QVERIFY2(m_service->errorString(PppError::PeerNotWritten).contains(messagePart),
            qPrintable(m_service->errorString(PppError::PeerNotWritten)));
        QVERIFY(!QFile::exists(m_record + u".args"_s));
    }

    void releasedConnectionOutlivesService()
    {
        const RasHandle handle = dial(u"connected"_s, u"hold"_s);
        QTRY_COMPARE_WITH_TIMEOUT(status(handle).state, RasState::Connected, 10000);
        const qint64 pid = fakePppdPid();
        QCOMPARE(m_service->releaseConnection(handle), RasError::Success);
        m_service.reset();
        QTest::qWait(200);
        const bool stillRuns = processRuns(pid);
        kill(pid_t(pid), SIGKILL);
        waitpid(pid_t(pid), nullptr, 0);
        QVERIFY(stillRuns);
    }

    void deleteEntryRemovesPeerAndPassword()
    {
        QCOMPARE(m_service->setEntryDialParams({ u"Netzwerk Nord"_s, {}, {}, u"anna"_s, u"pw"_s, {} }, false),
            RasError::Success);
        const RasHandle handle = dial(u"busy"_s, u"8"_s);
        QTRY_COMPARE_WITH_TIMEOUT(status(handle).state, RasState::Disconnected, 10000);
        const QString peer = m_config.peersFolder + u'/' + Ppp::peerName(u"Netzwerk Nord"_s);
        QVERIFY(QFile::exists(peer));
        QCOMPARE(m_service->deleteEntry(u"netzwerk nord"_s), RasError::Success);
        QVERIFY(m_secrets->passwords.isEmpty());
        QTRY_VERIFY(!QFile::exists(peer));
    }

    // Active connections from the kernel's links

    void linksOfOthersAndOfEarlierRuns()
    {
        addModemEntry(u"Provider1"_s);
        // pppd notes the interface of a named link: this one was dialed before a restart.
        QVERIFY(writeAll(path(u"run/ppp-rufwerk-Provider1.pid"_s), "1234\nppp1\n"));
        PointToPointLink ppp1 = link(3, u"ppp1"_s);
        ppp1.localAddress = u"10.0.0.2"_s;
        ppp1.remoteAddress = u"10.0.0.1"_s;
        PointToPointLink tun0 = link(4, u"tun0"_s);
        tun0.ppp = false;
        tun0.kind = u"tun"_s;
        tun0.up = false;
        m_links->links = { ppp1, tun0 };

        QList<RasConnection> connections;
        QCOMPARE(m_service->enumConnections(&connections), RasError::Success);
        QCOMPARE(connections.size(), 2);
        QCOMPARE(connections[0].entryName, u"Provider1"_s);
        QCOMPARE(connections[0].deviceName, u"ppp1"_s);
        QCOMPARE(connections[1].entryName, u"tun0"_s);
        QCOMPARE(connections[1].deviceType, u"tun"_s);
        QCOMPARE(status(connections[0].handle).state, RasState::Connected);
        // A link that is not up yet is being set up, not connected.
        QCOMPARE(status(connections[1].handle).state, RasState::AllDevicesConnected);
        RasIpProjection projection;
        QCOMPARE(m_service->projectionInfo(connections[0].handle, &projection), RasError::Success);
        QCOMPARE(projection.clientAddress, u"10.0.0.2"_s);
        QCOMPARE(m_service->projectionInfo(connections[1].handle, &projection), RasError::ProjectionNotComplete);
        RasConnStatus unknown;
        QCOMPARE(m_service->connectStatus(RasHandle(1) << 32, &unknown), RasError::InvalidHandle);
    }

    void failedReadIsNoEmptyTable()
    {
        m_links->links = { link(3, u"ppp0"_s) };
        QList<RasConnection> connections;
        QCOMPARE(m_service->enumConnections(&connections), RasError::Success);
        QCOMPARE(connections.size(), 1);
        m_links->failure = EIO;
        const int result = m_service->enumConnections(&connections);
        QCOMPARE(result, PppError::LinksUnreadable);
        QCOMPARE(connections.size(), 1);
        QVERIFY2(m_service->errorString(result).contains(u"gelesen"_s), qPrintable(m_service->errorString(result)));
        RasStatistics statistics;
        QVERIFY(!m_service->readStatistics(&statistics));
    }

    void countersGoOnAcrossRecreatedAndVanishedLinks()
    {
        RasStatistics statistics;
        const auto totals = [this] { return qMakePair(m_service->totalBytesSent(), m_service->totalBytesReceived()); };
        // Traffic from before the start does not count.
        m_links->links = { link(5, u"ppp0"_s, 1000, 2000) };
        QVERIFY(m_service->readStatistics(&statistics));
        QCOMPARE(totals(), qMakePair(0ull, 0ull));
        m_links->links = { link(5, u"ppp0"_s, 1500, 2600) };
        QVERIFY(m_service->readStatistics(&statistics));
        QCOMPARE(totals(), qMakePair(500ull, 600ull));
        // Re-created with a new index: its counters start from zero.
        m_links->links = { link(7, u"ppp0"_s, 100, 50) };
        QVERIFY(m_service->readStatistics(&statistics));
        QCOMPARE(totals(), qMakePair(600ull, 650ull));
        // Same index, counters back (the interface was reset): counted from zero.
        m_links->links = { link(7, u"ppp0"_s, 10, 10) };
        QVERIFY(m_service->readStatistics(&statistics));
        QCOMPARE(totals(), qMakePair(610ull, 660ull));
        // Gone, then a failed read: nothing goes backwards.
        m_links->links.clear();
        QVERIFY(m_service->readStatistics(&statistics));
        m_links->failure = EIO;
        QVERIFY(!m_service->readStatistics(&statistics));
        QCOMPARE(totals(), qMakePair(610ull, 660ull));
        // Beyond 32 bits.
        m_links->failure = 0;
        m_links->links = { link(8, u"ppp2"_s, 0, 0) };
        QVERIFY(m_service->readStatistics(&statistics));
        m_links->links = { link(8, u"ppp2"_s, 5000000000ull, 0) };
        QVERIFY(m_service->readStatistics(&statistics));
        QCOMPARE(m_service->totalBytesSent(), 5000000610ull);
    }

    // The real pppd on this machine: it reads the peer file the helper wrote
    // and, on a kernel without PPP, ends with the message the user gets.
    void realPppdOnKernelWithoutPpp()
    {
        if (kernelHasPpp())
            QSKIP("this kernel has PPP: the case of a kernel without it cannot be shown here");
        const QString pppd = QStandardPaths::findExecutable(u"pppd"_s, { u"/usr/sbin"_s, u"/sbin"_s });
        if (pppd.isEmpty())
            QSKIP("needs pppd (Debian package ppp)");
        if (geteuid() != 0)
            QSKIP("needs root: pppd takes its privileged options only from root's files");
        if (!QFile::exists(u"/dev/ttyS0"_s))
            QSKIP("needs the device node /dev/ttyS0 for the peer file");
        m_config.pppdPath = pppd;
        start();
        addModemEntry(u"Echt"_s, u"0192 9177"_s, u"/dev/ttyS0"_s);
        RasDialParams params { u"Echt"_s, {}, {}, u"anna"_s, u"pw"_s, {} };
        RasHandle handle = 0;
        QCOMPARE(m_service->dial(params, &handle), RasError::Success);
        QTRY_COMPARE_WITH_TIMEOUT(status(handle).state, RasState::Disconnected, 10000);
        QCOMPARE(status(handle).error, PppError::KernelLacksPpp);
        QVERIFY(m_service->errorString(PppError::KernelLacksPpp).contains(u"Kernel"_s));
    }

    // The system around

    void kernelHasPppFromWhatTheSystemShows_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ppp");

        const QString modules = u"lib/modules/"_s + QSysInfo::kernelVersion();
        QTest::newRow("nothing") << QString() << QByteArray() << false;
        QTest::newRow("device node") << u"dev/ppp"_s << QByteArray() << true;
        QTest::newRow("device registered")
            << u"proc/devices"_s << QByteArray("Character devices:\n  4 tty\n108 ppp\n") << true;
        QTest::newRow("other devices only")
            << u"proc/devices"_s << QByteArray("Character devices:\n  4 tty\n108 pppx\n") << false;
        QTest::newRow("module loaded") << u"sys/module/ppp_generic/refcnt"_s << QByteArray("1\n") << true;
        QTest::newRow("module installed")
            << modules + u"/modules.dep"_s
            << QByteArray("kernel/drivers/net/ppp/ppp_generic.ko: kernel/lib/crc-ccitt.ko\n") << true;
        QTest::newRow("module built in") << modules + u"/modules.builtin"_s
                                         << QByteArray("kernel/drivers/net/ppp/ppp_generic.ko\n") << true;
        QTest::newRow("other modules only")
            << modules + u"/modules.dep"_s << QByteArray("kernel/drivers/net/tun.ko:\n") << false;
    }

    void kernelHasPppFromWhatTheSystemShows()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, ppp);
        const QString root = path(u"root"_s);
        if (!file.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(root + u'/' + file).path()));
            QVERIFY(writeAll(root + u'/' + file, content));
        }
        QCOMPARE(kernelHasPpp(root), ppp);
    }

    void devicesAreModemsAndEthernetCards()
    {
        const QString root = path(u"root"_s);
        const auto put = [&root](const QString &file, const QByteArray &content) {
            return QDir().mkpath(QFileInfo(root + u'/' + file).path()) && writeAll(root + u'/' + file, content);
        };
        QVERIFY(put(u"dev/ttyS0"_s, {}) && put(u"sys/class/tty/ttyS0/type"_s, "4\n"));
        QVERIFY(put(u"dev/ttyS1"_s, {}) && put(u"sys/class/tty/ttyS1/type"_s, "0\n"));
        QVERIFY(put(u"dev/ttyUSB10"_s, {}) && put(u"dev/ttyUSB2"_s, {}) && put(u"dev/ttyACM0"_s, {}));
        QVERIFY(put(u"dev/ttySomething"_s, {}));
        QVERIFY(put(u"sys/class/net/eth0/type"_s, "1\n") && put(u"sys/class/net/lo/type"_s, "772\n"));
        QVERIFY(put(u"sys/class/net/ppp0/type"_s, "512\n"));
        m_config.systemRoot = root;
        start();
        QList<RasDevice> devices;
        QCOMPARE(m_service->enumDevices(&devices), RasError::Success);
        QStringList names;
        for (const RasDevice &d : std::as_const(devices))
            names << d.type + u' ' + d.name;
        QCOMPARE(names,
            (QStringList { u"modem /dev/ttyUSB2"_s, u"modem /dev/ttyUSB10"_s, u"modem /dev/ttyS0"_s,
                u"modem /dev/ttyACM0"_s, u"pppoe eth0"_s }));
    }

    void backendChoice_data()
    {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("lineDir");
        QTest::addColumn<bool>("kernelPpp");
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("warning");

        QTest::newRow("kernel with PPP") << QString() << QString() << false << true << u"system"_s << false;
        QTest::newRow("kernel without PPP") << QString() << QString() << false << false << u"sim"_s << false;
        QTest::newRow("simulated line folder given") << QString() << QString() << true << true << u"sim"_s << false;
        QTest::newRow("environment: system") << u"system"_s << QString() << true << false << u"system"_s << false;
        QTest::newRow("environment: sim") << u" SIM "_s << QString() << false << true << u"sim"_s << false;
        QTest::newRow("setting: system") << QString() << u"system"_s << false << false << u"system"_s << false;
        QTest::newRow("environment before setting") << u"sim"_s << u"system"_s << false << true << u"sim"_s << false;
        QTest::newRow("setting: auto") << QString() << u"auto"_s << false << true << u"system"_s << false;
        QTest::newRow("unknown environment value") << u"modem"_s << u"sim"_s << false << true << u"sim"_s << true;
        QTest::newRow("unknown setting") << QString() << u"ja"_s << false << false << u"sim"_s << true;
    }

    void backendChoice()
    {
        QFETCH(QString, environment);
        QFETCH(QString, setting);
        QFETCH(bool, lineDir);
        QFETCH(bool, kernelPpp);
        QFETCH(QString, backend);
        QFETCH(bool, warning);

        const DialUpBackendChoice choice = chooseDialUpBackend(environment, setting, lineDir, kernelPpp);
        QCOMPARE(choice.backend, backend);
        QCOMPARE(!choice.warning.isEmpty(), warning);
    }
};

QTEST_GUILESS_MAIN(TestPppDialUpService)
#include "tst_pppdialupservice.moc"
