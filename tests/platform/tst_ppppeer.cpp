// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PppPeer.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

RasEntry modemEntry(const QString &device, const QString &number)
{
    RasEntry e;
    e.deviceType = u"modem"_s;
    e.deviceName = device;
    e.localPhoneNumber = number;
    return e;
}

PppPeerSpec validSpec(const QString &name = u"Netzwerk Nord"_s)
{
    PppPeerSpec spec;
    QString error;
    Ppp::specFromEntry(name, modemEntry(u"/dev/ttyUSB0"_s, u"0192 9177"_s), &spec, &error);
    return spec;
}

// Every line of a peer file is a comment or one of the options the template writes.
bool onlyTemplateOptions(const QByteArray &peer, QString *offending)
{
    static const QSet<QString> allowed = {
        u"115200"_s,
        u"crtscts"_s,
        u"lock"_s,
        u"modem"_s,
        u"connect"_s,
        u"noauth"_s,
        u"hide-password"_s,
        u"maxfail"_s,
        u"lcp-echo-interval"_s,
        u"lcp-echo-failure"_s,
        u"noipdefault"_s,
        u"defaultroute"_s,
        u"usepeerdns"_s,
        u"novj"_s,
        u"nobsdcomp"_s,
        u"nodeflate"_s,
        u"plugin"_s,
        u"linkname"_s,
        u"ipparam"_s,
    };
    static const QRegularExpression device(u"^/dev/tty(S|USB|ACM)\\d+$|^nic-[A-Za-z0-9._-]+$|^[\\d.]+:$"_s);
    for (const QString &line : QString::fromUtf8(peer).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            continue;
        const QString word = line.section(u' ', 0, 0);
        if (!allowed.contains(word) && !device.match(word).hasMatch()) {
            *offending = line;
            return false;
        }
    }
    return true;
}

} // namespace

class TestPppPeer : public QObject {
    Q_OBJECT

private:
    QString helper() const { return qEnvironmentVariable("RUFWERK_TEST_BIN") + "/rufwerk-peers"_L1; }

    struct HelperRun {
        int exitCode = -1;
        QString message;
    };

    // Runs the helper on test folders. As root it runs as "nobody", so the
    // owner checks see an ordinary user.
    HelperRun runHelper(const QString &command, const QByteArray &input, const QString &peers, const QString &chats)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"RUFWERK_PPP_PEERS"_s, peers);
        environment.insert(u"RUFWERK_PPP_CHATS"_s, chats);
        environment.remove(u"PKEXEC_UID"_s);
        process.setProcessEnvironment(environment);
        if (geteuid() == 0)
            process.start(
                u"setpriv"_s, { u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, helper(), command });
        else
            process.start(helper(), { command });
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(10000))
            return {};
        return { process.exitCode(), QString::fromUtf8(process.readAllStandardError()).trimmed() };
    }

    uint helperUid() const { return geteuid() == 0 ? 65534u : uint(getuid()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_peers;
    QString m_chats;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_peers = m_dir->filePath(u"peers"_s);
        m_chats = m_dir->filePath(u"chatscripts"_s);
        QVERIFY(QDir().mkpath(m_peers));
        // The helper may run as another user: it must be able to write here.
        for (const QString &path : { m_dir->path(), m_peers })
            QVERIFY(chmod(QFile::encodeName(path).constData(), 0777) == 0);
    }

    void peerName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // a regular expression

        QTest::newRow("plain name stays") << u"Provider1"_s << u"^rufwerk-Provider1$"_s;
        QTest::newRow("blank") << u"Netzwerk Nord"_s << u"^rufwerk-Netzwerk-Nord-[0-9a-f]{8}$"_s;
        QTest::newRow("umlauts spelled out") << u"Sparruf Süd"_s << u"^rufwerk-Sparruf-Sued-[0-9a-f]{8}$"_s;
        QTest::newRow("accents dropped") << u"Café"_s << u"^rufwerk-Cafe-[0-9a-f]{8}$"_s;
        QTest::newRow("slashes and dots") << u"../../etc/passwd"_s << u"^rufwerk-etc-passwd-[0-9a-f]{8}$"_s;
        QTest::newRow("quotes") << u"Mein \"Netz\" 'X'"_s << u"^rufwerk-Mein-Netz-X-[0-9a-f]{8}$"_s;
        QTest::newRow("newline") << u"Netz\nconnect /bin/sh"_s << u"^rufwerk-Netz-connect-bin-sh-[0-9a-f]{8}$"_s;
        QTest::newRow("other script") << u"宽带连接"_s << u"^rufwerk-[0-9a-f]{8}$"_s;
        QTest::newRow("very long") << QString(300, u'A') << u"^rufwerk-A{40}-[0-9a-f]{8}$"_s;
    }

    void peerName()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString peer = Ppp::peerName(name);
        QVERIFY2(QRegularExpression(expected).match(peer).hasMatch(), qPrintable(peer));
        QCOMPARE(Ppp::peerName(name), peer);
    }

    void peerNamesNeverCollide()
    {
        const QStringList names
            = { u"A B"_s, u"A-B"_s, u"A_B"_s, u"A/B"_s, u"AB"_s, u"A  B"_s, u"a b"_s, u"Ä B"_s, u"Ae B"_s };
        QSet<QString> peers;
        for (const QString &name : names)
            peers.insert(Ppp::peerName(name));
        QCOMPARE(peers.size(), names.size());
    }

    void specFromEntry_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("expectedDevice"); // empty: refused
        QTest::addColumn<QString>("expectedNumber");
        QTest::addColumn<QString>("errorPart");

        QTest::newRow("usb modem, formatted number") << u"modem"_s << u"/dev/ttyUSB0"_s << u"(030) 1234-56"_s
                                                     << u"/dev/ttyUSB0"_s << u"030123456"_s << QString();
        QTest::newRow("bare device name")
            << u"modem"_s << u"ttyACM1"_s << u"0192 9177"_s << u"/dev/ttyACM1"_s << u"01929177"_s << QString();
        QTest::newRow("international number")
            << u"isdn"_s << u"/dev/ttyS0"_s << u"+49 30 1234"_s << u"/dev/ttyS0"_s << u"0049301234"_s << QString();
        QTest::newRow("modem port after the name")
            << u"modem"_s << u"Standardmodem\0/dev/ttyUSB2"_s << u"1"_s << u"/dev/ttyUSB2"_s << u"1"_s << QString();
        QTest::newRow("stable serial name") << u"modem"_s << u"/dev/serial/by-id/usb-ZyXEL_Omni_56K-if00"_s << u"1"_s
                                            << u"/dev/serial/by-id/usb-ZyXEL_Omni_56K-if00"_s << u"1"_s << QString();
        QTest::newRow("number with letters")
            << u"modem"_s << u"/dev/ttyUSB0"_s << u"0800-FLOWERS"_s << QString() << QString() << u"Rufnummer"_s;
        QTest::newRow("number with a quote")
            << u"modem"_s << u"/dev/ttyUSB0"_s << u"123\" ABORT"_s << QString() << QString() << u"Rufnummer"_s;
        QTest::newRow("no number") << u"modem"_s << u"/dev/ttyUSB0"_s << u" "_s << QString() << QString()
                                   << u"keine Rufnummer"_s;
        QTest::newRow("number too long") << u"modem"_s << u"/dev/ttyUSB0"_s << QString(41, u'1') << QString()
                                         << QString() << u"länger"_s;
        QTest::newRow("disk instead of modem")
            << u"modem"_s << u"/dev/sda"_s << u"1"_s << QString() << QString() << u"kein Modem"_s;
        QTest::newRow("path escape") << u"modem"_s << u"/dev/serial/by-id/../../sda"_s << u"1"_s << QString()
                                     << QString() << u"kein Modem"_s;
        QTest::newRow("option after the device")
            << u"modem"_s << u"/dev/ttyUSB0 nodetach"_s << u"1"_s << QString() << QString() << u"kein Modem"_s;
        QTest::newRow("no device") << u"modem"_s << QString() << u"1"_s << QString() << QString() << u"kein Modem"_s;
        QTest::newRow("pppoe") << u"PPPoE"_s << u"eth0"_s << QString() << u"eth0"_s << QString() << QString();
        QTest::newRow("pppoe with an option")
            << u"pppoe"_s << u"eth0\nplugin evil.so"_s << QString() << QString() << QString() << u"Netzwerkkarte"_s;
        QTest::newRow("pppoe without interface")
            << u"pppoe"_s << QString() << QString() << QString() << QString() << u"keine Netzwerkkarte"_s;
    }

    void specFromEntry()
    {
        QFETCH(QString, type);
        QFETCH(QString, device);
        QFETCH(QString, number);
        QFETCH(QString, expectedDevice);
        QFETCH(QString, expectedNumber);
        QFETCH(QString, errorPart);

        RasEntry entry = modemEntry(device, number);
        entry.deviceType = type;
        PppPeerSpec spec;
        QString error;
        const bool ok = Ppp::specFromEntry(u"Test"_s, entry, &spec, &error);
        QCOMPARE(ok, !expectedDevice.isEmpty());
        if (!ok) {
            QVERIFY2(error.contains(errorPart), qPrintable(error));
            return;
        }
        QCOMPARE(spec.device, expectedDevice);
        QCOMPARE(spec.dialNumber, expectedNumber);
        // What the backend builds, the helper accepts.
        PppPeerSpec parsed;
        QVERIFY2(Ppp::parseRequest(Ppp::serializeRequest(spec), &parsed, &error), qPrintable(error));
        QCOMPARE(parsed, spec);
    }

    void entryOptionsBecomePppdOptions()
    {
        RasEntry entry = modemEntry(u"/dev/ttyUSB0"_s, u"1"_s);
        entry.options = RasEntryOption::SpecificIpAddr | RasEntryOption::SpecificNameServers;
        entry.ipAddr = 10u | (1u << 8) | (2u << 16) | (3u << 24);
        PppPeerSpec spec;
        QString error;
        QVERIFY(Ppp::specFromEntry(u"Fest"_s, entry, &spec, &error));
        const QString peer = QString::fromUtf8(Ppp::renderPeer(spec, u"/etc/chatscripts"_s, 1000));
        const QStringList lines = peer.split(u'\n');
        QVERIFY(lines.contains(u"10.1.2.3:"_s));
        QVERIFY(!lines.contains(u"noipdefault"_s));
        QVERIFY(!lines.contains(u"defaultroute"_s));
        QVERIFY(!lines.contains(u"usepeerdns"_s));
        QVERIFY(lines.contains(u"novj"_s));
        QVERIFY(lines.contains(u"nodeflate"_s));
        QVERIFY(lines.contains(u"plugin passwordfd.so"_s));
        QVERIFY(lines.contains(u"linkname rufwerk-Fest"_s));
        QVERIFY(lines.contains(u"connect \"/usr/sbin/chat -v -s -f /etc/chatscripts/rufwerk-Fest\""_s));
        QVERIFY(lines.contains(u"# rufwerk-owner 1000"_s));
    }

    void renderedFilesCarryNothingButTheTemplate()
    {
        // Names reach the file only as a comment; nothing else of them does.
        for (const QString &name : { u"Netz \"x\" connect /bin/sh"_s, u"宽带连接"_s, u"#plugin evil.so"_s }) {
            PppPeerSpec spec = validSpec(name);
            QVERIFY(!spec.entryName.isEmpty());
            QString offending;
            QVERIFY2(onlyTemplateOptions(Ppp::renderPeer(spec, u"/etc/chatscripts"_s, 1000), &offending),
                qPrintable(offending));
        }
        PppPeerSpec pppoe;
        QString error;
        RasEntry entry;
        entry.deviceType = u"pppoe"_s;
        entry.deviceName = u"enp3s0"_s;
        QVERIFY(Ppp::specFromEntry(u"DSL"_s, entry, &pppoe, &error));
        QString offending;
        QVERIFY2(onlyTemplateOptions(Ppp::renderPeer(pppoe, u"/etc/chatscripts"_s, 1000), &offending),
            qPrintable(offending));
        QVERIFY(Ppp::renderChat(pppoe).isEmpty());
    }

    void entryNameChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ok");
        QTest::newRow("umlauts and quotes") << u"Süd \"Tarif\" 'B'"_s << true;
        QTest::newRow("other script") << u"宽带连接"_s << true;
        QTest::newRow("newline") << u"A\nB"_s << false;
        QTest::newRow("carriage return") << u"A\rB"_s << false;
        QTest::newRow("tab") << u"A\tB"_s << false;
        QTest::newRow("NUL") << u"A"_s + QChar(0) + u"B"_s << false;
        QTest::newRow("backslash") << u"A\\B"_s << false;
        QTest::newRow("line separator") << u"A\u2028B"_s << false;
        QTest::newRow("blank only") << u"  "_s << false;
        QTest::newRow("too long") << QString(257, u'x') << false;
    }

    void entryNameChecks()
    {
        QFETCH(QString, name);
        QFETCH(bool, ok);
        QString error;
        QCOMPARE(Ppp::checkEntryName(name, &error), ok);
        QCOMPARE(error.isEmpty(), ok);
    }

    void parseRequestRefuses_data()
    {
        QTest::addColumn<QByteArray>("request");
        const QByteArray good = Ppp::serializeRequest(validSpec());
        auto replaced = [&good](const QByteArray &from, const QByteArray &to) {
            const QByteArray changed = QByteArray(good).replace(from, to);
            return changed == good ? QByteArray("unchanged: ") + from : changed;
        };

        QTest::newRow("unknown key") << good + "Option=nodetach\n";
        QTest::newRow("key twice") << good + "Number=110\n";
        QTest::newRow("key missing") << replaced("PeerDns=1\n", "");
        QTest::newRow("no final line end") << good.chopped(1);
        QTest::newRow("carriage return") << replaced("\n", "\r\n");
        QTest::newRow("NUL in a value") << replaced("Number=01929177",
            QByteArray("Number=0192\0"
                       "9177",
                16));
        QTest::newRow("not UTF-8") << replaced("Name=Netzwerk", "Name=Netz\xff\xfe");
        QTest::newRow("flag not 0 or 1") << replaced("DefaultRoute=0", "DefaultRoute=yes");
        QTest::newRow("unknown type") << replaced("Type=modem", "Type=pty");
        QTest::newRow("device outside the allowed ones") << replaced("/dev/ttyUSB0", "/dev/sda");
        QTest::newRow("device not canonical") << replaced("Device=/dev/ttyUSB0", "Device=ttyUSB0");
        QTest::newRow("number with letters") << replaced("Number=01929177", "Number=0192ABC");
        QTest::newRow("number not canonical") << replaced("Number=01929177", "Number=0192 9177");
        QTest::newRow("bad local address") << replaced("LocalAddress=", "LocalAddress=10.1.2.300");
        QTest::newRow("name with backslash") << replaced("Name=Netzwerk Nord", "Name=Netz\\werk");
        QTest::newRow("huge") << good + QByteArray(5000, '#');
    }

    void parseRequestRefuses()
    {
        QFETCH(QByteArray, request);
        PppPeerSpec spec;
        QString error;
        QVERIFY(!Ppp::parseRequest(request, &spec, &error));
        QVERIFY(!error.isEmpty());
    }

    // The helper binary itself, on folders of the test.

    void helperWritesAndRemovesPeer()
    {
        const PppPeerSpec spec = validSpec(u"Sparruf Süd"_s);
        const HelperRun run = runHelper(u"write"_s, Ppp::serializeRequest(spec), m_peers, m_chats);
        QVERIFY2(run.exitCode == Ppp::HelperExit::Ok, qPrintable(run.message));
        const QString peer = Ppp::peerName(spec.entryName);
        QCOMPARE(readAll(m_peers + u'/' + peer), Ppp::renderPeer(spec, m_chats, helperUid()));
        QCOMPARE(readAll(m_chats + u'/' + peer), Ppp::renderChat(spec));
        QCOMPARE(QFileInfo(m_peers + u'/' + peer).permissions() & (QFile::ReadOther | QFile::WriteOther),
            QFile::Permissions());
        // Written again: replaced, not refused.
        QCOMPARE(runHelper(u"write"_s, Ppp::serializeRequest(spec), m_peers, m_chats).exitCode, Ppp::HelperExit::Ok);

        const HelperRun removed = runHelper(u"remove"_s, "Name=Sparruf Süd\n", m_peers, m_chats);
        QVERIFY2(removed.exitCode == Ppp::HelperExit::Ok, qPrintable(removed.message));
        QVERIFY(!QFile::exists(m_peers + u'/' + peer));
        QVERIFY(!QFile::exists(m_chats + u'/' + peer));
    }

    void helperRefuses_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("existingPeer"); // written first as the peer of "Netzwerk Nord"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("messagePart");

        const QByteArray good = Ppp::serializeRequest(validSpec());
        QTest::newRow("malformed request") << u"write"_s << good + "Option=nodetach\n"
                                           << QByteArray() << Ppp::HelperExit::InvalidRequest << u"unbekannte"_s;
        QTest::newRow("number with letters")
            << u"write"_s << QByteArray(good).replace("Number=01929177", "Number=0800FLOWERS") << QByteArray()
            << Ppp::HelperExit::InvalidRequest << u"Rufnummer"_s;
        QTest::newRow("peer of another user") << u"write"_s << good << QByteArray("# rufwerk-owner 4242\n/dev/ttyS0\n")
                                              << Ppp::HelperExit::NotOwner << u"anderen Benutzer"_s;
        QTest::newRow("peer not written by Rufwerk") << u"write"_s << good << QByteArray("/dev/ttyS0\nnoauth\n")
                                                     << Ppp::HelperExit::NotOwner << u"nicht von Rufwerk"_s;
        QTest::newRow("removing another user's peer")
            << u"remove"_s << QByteArray("Name=Netzwerk Nord\n") << QByteArray("# rufwerk-owner 4242\n")
            << Ppp::HelperExit::NotOwner << u"anderen Benutzer"_s;
        QTest::newRow("remove with two lines") << u"remove"_s << QByteArray("Name=A\nName=B\n") << QByteArray()
                                               << Ppp::HelperExit::InvalidRequest << u"genau eine Zeile"_s;
        QTest::newRow("unknown command") << u"call"_s << good << QByteArray() << Ppp::HelperExit::Usage << u"Aufruf"_s;
    }

    void helperRefuses()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, existingPeer);
        QFETCH(int, exitCode);
        QFETCH(QString, messagePart);

        const QString peerPath = m_peers + u'/' + Ppp::peerName(u"Netzwerk Nord"_s);
        if (!existingPeer.isEmpty())
            QVERIFY(writeAll(peerPath, existingPeer));
        const HelperRun run = runHelper(command, input, m_peers, m_chats);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.message.contains(messagePart), qPrintable(run.message));
        if (!existingPeer.isEmpty())
            QCOMPARE(readAll(peerPath), existingPeer);
    }

    void helperRefusesLinkedPeer()
    {
        const QString target = m_dir->filePath(u"elsewhere"_s);
        QVERIFY(writeAll(target, "# rufwerk-owner 65534\n"));
        QVERIFY(QFile::link(target, m_peers + u'/' + Ppp::peerName(u"Netzwerk Nord"_s)));
        const HelperRun run = runHelper(u"write"_s, Ppp::serializeRequest(validSpec()), m_peers, m_chats);
        QCOMPARE(run.exitCode, Ppp::HelperExit::WriteFailed);
        QCOMPARE(readAll(target), QByteArray("# rufwerk-owner 65534\n"));
    }

    void helperReportsFolderThatCannotBeWritten()
    {
        // A file where the peers folder should be: no root rights make that writable.
        const QString notAFolder = m_dir->filePath(u"peers-file"_s);
        QVERIFY(writeAll(notAFolder, "x"));
        const HelperRun run = runHelper(u"write"_s, Ppp::serializeRequest(validSpec()), notAFolder, m_chats);
        QCOMPARE(run.exitCode, Ppp::HelperExit::WriteFailed);
        QVERIFY2(run.message.contains(u"Ordner"_s), qPrintable(run.message));
    }
};

QTEST_GUILESS_MAIN(TestPppPeer)
#include "tst_ppppeer.moc"
