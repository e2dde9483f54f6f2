// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineSettings.h"
#include "SettingsStore.h"
#include "TextFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

// The program as a user runs it: its own process on the simulated line.
class TestRufwerkProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_bin = qEnvironmentVariable("RUFWERK_TEST_BIN");
        if (!QFile::exists(m_bin + u"/rufwerk"_s) || !QFile::exists(m_bin + u"/rufwerk-line"_s))
            QSKIP("rufwerk or rufwerk-line not built");
        QVERIFY(m_home.isValid() && m_line.isValid());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(u"RUFWERK_HOME"_s, m_home.path());
        m_env.insert(u"RUFWERK_LINE_DIR"_s, m_line.path());
        m_env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        QCOMPARE(tool({u"demo"_s}), 0);
        FileSettingsStore store(m_home.filePath(u"registry.reg"_s));
        store.writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, u"2"_s);
    }

    void sigtermWhileOnlineKeepsThePendingRecord()
    {
        QProcess program;
        program.setProcessEnvironment(m_env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(m_bin + u"/rufwerk"_s);
        QVERIFY(program.waitForStarted());
        QTest::qWait(1500); // its start-up
        QCOMPARE(program.state(), QProcess::Running);

        // Another program dials; Rufwerk notices it and keeps a pending fee record.
        QProcess dialer;
        dialer.setProcessEnvironment(m_env);
        dialer.start(m_bin + u"/rufwerk-line"_s, {u"dial"_s, u"Netzwerk Nord"_s});
        QVERIFY(dialer.waitForStarted());
        const QString protocolFile = m_home.filePath(u"Rufwerk-Log.TXT"_s);
        QTRY_VERIFY_WITH_TIMEOUT(protocol(protocolFile).contains(u"Externe Verbindung: "_s), 15000);
        QTest::qWait(2500);

        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QStringList fees;
        QVERIFY(TextFile::readLines(m_home.filePath(u"FeeReport.Lst"_s), &fees));
        QCOMPARE(fees.size(), 1);
        QVERIFY2(fees.first().contains(u";Netzwerk Nord;01929 1771;2 Ct/min;00:00:0"_s), qPrintable(fees.first()));
        QVERIFY2(fees.first().endsWith(u";0,0200 €"_s), qPrintable(fees.first()));

        // The connection belongs to the other program: it is still up.
        QCOMPARE(dialer.state(), QProcess::Running);
        QCOMPARE(tool({u"hangup"_s, u"Netzwerk Nord"_s}), 0);
        QVERIFY(dialer.state() == QProcess::NotRunning || dialer.waitForFinished(10000));
    }

private:
    QStringList protocol(const QString &path) const
    {
        QStringList lines;
        TextFile::readLines(path, &lines);
        return lines;
    }

    int tool(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.start(m_bin + u"/rufwerk-line"_s, arguments);
        if (!process.waitForFinished(15000))
            return -1;
        return process.exitCode();
    }

    QString m_bin;
    QTemporaryDir m_home;
    QTemporaryDir m_line;
    QProcessEnvironment m_env;
};

QTEST_MAIN(TestRufwerkProcess)
#include "tst_rufwerkprocess.moc"
