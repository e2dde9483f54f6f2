// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialUpService.h"
#include "PppPeer.h"
#include "PppProgress.h"
#include "TestFiles.h"

#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int NoExit = -100; // pppd still runs

// A modem on a pty: answers the reset with OK (unless told to stay silent) and
// the dial command with what the test wants.
class FakeModem {
public:
    FakeModem(const QByteArray &dialAnswer, bool answerReset)
        : m_dialAnswer(dialAnswer)
        , m_answerReset(answerReset)
    {
        termios raw {};
        cfmakeraw(&raw);
        m_ok = openpty(&m_master, &m_slave, m_name, &raw, nullptr) == 0;
        if (!m_ok)
            return;
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_notifier = std::make_unique<QSocketNotifier>(qintptr(m_master), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readCommands(); });
    }
    ~FakeModem()
    {
        m_notifier.reset();
        if (m_ok) {
            close(m_master);
            close(m_slave);
        }
    }

    bool ok() const { return m_ok; }
    QString device() const { return QString::fromLatin1(m_name); }
    QByteArray heard() const { return m_heard; }

private:
    void readCommands()
    {
        char buffer[256];
        ssize_t n;
        while ((n = read(m_master, buffer, sizeof buffer)) > 0) {
            m_heard.append(buffer, qsizetype(n));
            m_pending.append(buffer, qsizetype(n));
        }
        qsizetype end;
        while ((end = m_pending.indexOf('\r')) >= 0) {
            const QByteArray command = m_pending.left(end).trimmed();
            m_pending.remove(0, end + 1);
            if (command.startsWith("ATZ") && m_answerReset)
                answer("OK");
            else if (command.startsWith("ATD") && !m_dialAnswer.isEmpty())
                answer(m_dialAnswer);
        }
    }
    void answer(const QByteArray &text)
    {
        const QByteArray line = "\r\n" + text + "\r\n";
        const ssize_t written = write(m_master, line.constData(), size_t(line.size()));
        Q_UNUSED(written);
    }

    QByteArray m_dialAnswer;
    bool m_answerReset = true;
    bool m_ok = false;
    int m_master = -1;
    int m_slave = -1;
    char m_name[128] = {};
    QByteArray m_heard;
    QByteArray m_pending;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace

class TestPppProgress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Recorded pppd runs (chat's lines among them) and how they end.
    void recordedRuns_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("hungUp");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("detailPart");

        QTest::newRow("connected") << u"connected"_s << NoExit << false << RasState::Connected << 0 << QString();
        QTest::newRow("pppoe connected") << u"pppoe-connected"_s << NoExit << false << RasState::Connected << 0
                                         << QString();
        QTest::newRow("chat connected, pppd starting")
            << u"chat-connect"_s << NoExit << false << RasState::DeviceConnected << 0 << QString();
        QTest::newRow("user hung up") << u"user-hangup"_s << PppdExit::UserRequest << true << RasState::Disconnected
                                      << 0 << QString();
        QTest::newRow("remote hung up") << u"remote-hangup"_s << PppdExit::Hangup << false << RasState::Disconnected
                                        << RasError::RemoteDisconnection << QString();
        QTest::newRow("pppd ended by someone else") << u"connected"_s << PppdExit::UserRequest << false
                                                    << RasState::Disconnected << RasError::Disconnection << QString();
        QTest::newRow("authentication failed")
            << u"auth-failed"_s << PppdExit::AuthTopeerFailed << false << RasState::Disconnected
            << RasError::AuthenticationFailure << QString();
        QTest::newRow("busy") << u"busy"_s << PppdExit::ConnectFailed << false << RasState::Disconnected
                              << RasError::LineBusy << QString();
        QTest::newRow("no LCP answer") << u"lcp-timeout"_s << PppdExit::NegotiationFailed << false
                                       << RasState::Disconnected << PppError::NegotiationFailed << QString();
        QTest::newRow("device locked") << u"locked"_s << PppdExit::LockFailed << false << RasState::Disconnected
                                       << PppError::DeviceLocked << u"/dev/ttyUSB0 (Prozess 4242)"_s;
        QTest::newRow("device missing") << u"no-device"_s << PppdExit::OpenFailed << false << RasState::Disconnected
                                        << PppError::DeviceMissing << u"/dev/ttyUSB3"_s;
        QTest::newRow("kernel without PPP") << u"no-kernel-ppp"_s << PppdExit::NoKernelSupport << false
                                            << RasState::Disconnected << PppError::KernelLacksPpp << QString();
        QTest::newRow("option refused") << u"unknown-option"_s << PppdExit::OptionError << false
                                        << RasState::Disconnected << PppError::OptionsRejected << u"'bogus'"_s;
        QTest::newRow("exit code alone: lock") << QString() << PppdExit::LockFailed << false << RasState::Disconnected
                                               << PppError::DeviceLocked << QString();
        QTest::newRow("exit code alone: not root") << QString() << PppdExit::NotRoot << false << RasState::Disconnected
                                                   << PppError::PppdNotPermitted << QString();
        QTest::newRow("exit code alone: hangup while dialing")
            << QString() << PppdExit::Hangup << false << RasState::Disconnected << RasError::NoCarrier << QString();
    }

    void recordedRuns()
    {
        QFETCH(QString, fixture);
        QFETCH(int, exitCode);
        QFETCH(bool, hungUp);
        QFETCH(int, state);
        QFETCH(int, error);
        QFETCH(QString, detailPart);

        PppProgress progress;
        if (!fixture.isEmpty()) {
            const QString path = QFINDTESTDATA(u"fixtures/pppd/"_s + fixture + u".txt"_s);
            QVERIFY(!path.isEmpty());
            for (const QString &line : QString::fromUtf8(readAll(path)).split(u'\n'))
                progress.feedLine(line);
        }
        if (hungUp)
            progress.hangUpRequested();
        if (exitCode != NoExit)
            progress.finished(exitCode);
        QCOMPARE(progress.state(), state);
        QCOMPARE(progress.error(), error);
        QVERIFY2(progress.detail().contains(detailPart), qPrintable(progress.detail()));
        QCOMPARE(progress.hasEnded(), exitCode != NoExit);
    }

    void connectedRunTellsInterfaceAddressesAndSpeed()
    {
        PppProgress progress;
        for (const QString &line :
            QString::fromUtf8(readAll(QFINDTESTDATA("fixtures/pppd/connected.txt"))).split(u'\n'))
            progress.feedLine(line);
        QCOMPARE(progress.interfaceName(), u"ppp0"_s);
        QCOMPARE(progress.localAddress(), u"10.11.12.13"_s);
        QCOMPARE(progress.remoteAddress(), u"10.64.64.64"_s);
        QCOMPARE(progress.connectSpeed(), 56000u);
        QVERIFY(progress.wasConnected());
    }

    void signalEndsRun()
    {
        PppProgress killed;
        killed.finished(-1, 9);
        QCOMPARE(killed.error(), RasError::Disconnection);
        PppProgress hungUp;
        hungUp.hangUpRequested();
        hungUp.finished(-1, 15);
        QCOMPARE(hungUp.error(), 0);
        QCOMPARE(hungUp.state(), RasState::Disconnected);
    }

    // The real chat program with the chat file the helper writes, against a
    // modem on a pty.
    void chatAgainstFakeModem_data()
    {
        QTest::addColumn<QByteArray>("dialAnswer"); // empty: silence
        QTest::addColumn<bool>("answerReset");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("state");

        QTest::newRow("BUSY") << QByteArray("BUSY") << true << RasError::LineBusy << int(RasState::Disconnected);
        QTest::newRow("NO CARRIER") << QByteArray("NO CARRIER") << true << RasError::NoCarrier
                                    << int(RasState::Disconnected);
        QTest::newRow("NO DIALTONE") << QByteArray("NO DIALTONE") << true << RasError::NoDialtone
                                     << int(RasState::Disconnected);
        QTest::newRow("NO DIAL TONE") << QByteArray("NO DIAL TONE") << true << RasError::NoDialtone
                                      << int(RasState::Disconnected);
        QTest::newRow("NO ANSWER") << QByteArray("NO ANSWER") << true << RasError::NoAnswer
                                   << int(RasState::Disconnected);
        QTest::newRow("ERROR") << QByteArray("ERROR") << true << RasError::HardwareFailure
                               << int(RasState::Disconnected);
        QTest::newRow("silence after dialing")
            << QByteArray() << true << RasError::NoAnswer << int(RasState::Disconnected);
        QTest::newRow("modem does not answer the reset")
            << QByteArray() << false << RasError::HardwareFailure << int(RasState::Disconnected);
        QTest::newRow("CONNECT") << QByteArray("CONNECT 56000") << true << 0 << int(RasState::DeviceConnected);
    }

    void chatAgainstFakeModem()
    {
        QFETCH(QByteArray, dialAnswer);
        QFETCH(bool, answerReset);
        QFETCH(int, error);
        QFETCH(int, state);

        const QString chat = QStandardPaths::findExecutable(u"chat"_s, { u"/usr/sbin"_s, u"/usr/bin"_s, u"/sbin"_s });
        if (chat.isEmpty())
            QSKIP("needs the chat program (Debian package ppp)");
        FakeModem modem(dialAnswer, answerReset);
        if (!modem.ok())
            QSKIP("no pty available");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        PppPeerSpec spec;
        RasEntry entry;
        entry.deviceType = u"modem"_s;
        entry.deviceName = u"/dev/ttyUSB0"_s;
        entry.localPhoneNumber = u"0192 9177"_s;
        QString problem;
        QVERIFY(Ppp::specFromEntry(u"Test"_s, entry, &spec, &problem));
        const QString script = dir.filePath(u"chat"_s);
        QVERIFY(writeAll(script, Ppp::renderChat(spec, 2, 2)));

        QProcess process;
        process.setStandardInputFile(modem.device());
        process.setStandardOutputFile(modem.device(), QIODevice::Append);
        process.start(chat, { u"-v"_s, u"-s"_s, u"-f"_s, script });
        QVERIFY(process.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 15000);

        PppProgress progress;
        for (const QString &line : QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n'))
            progress.feedLine(line);
        // Under pppd a failed chat ends pppd with "connect script failed".
        if (process.exitCode() != 0)
            progress.finished(PppdExit::ConnectFailed);
        QCOMPARE(progress.error(), error);
        QCOMPARE(progress.state(), state);
        if (answerReset)
            QVERIFY2(modem.heard().contains("ATDT01929177\r"), modem.heard().constData());
        if (error == 0)
            QCOMPARE(progress.connectSpeed(), 56000u);
    }
};

QTEST_GUILESS_MAIN(TestPppProgress)
#include "tst_pppprogress.moc"
