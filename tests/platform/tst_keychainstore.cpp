// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SecretStore.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The desktop's secret store for real: a D-Bus session bus and a GNOME
// keyring of the test's own, started here and ended here.
class TestKeychainStore : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QProcess m_bus;
    QProcess m_keyring;
    std::unique_ptr<SecretStore> m_store;

    static void stop(QProcess &process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString busDaemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
        const QString keyringDaemon = QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s);
        if (busDaemon.isEmpty() || keyringDaemon.isEmpty())
            QSKIP("needs dbus-daemon and gnome-keyring-daemon (Debian packages dbus-daemon, gnome-keyring)");
        m_store = createDesktopSecretStore();
        if (!m_store)
            QSKIP("built without QtKeychain");
        QVERIFY(m_home.isValid());
        const QString runtime = m_home.filePath(u"run"_s);
        QVERIFY(QDir().mkpath(runtime));
        QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // Everything this process and the daemons find goes to the test's folders.
        qputenv("HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath(u"data"_s).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(u"config"_s).toLocal8Bit());

        m_bus.start(busDaemon,
            { u"--session"_s, u"--nofork"_s, u"--nopidfile"_s, u"--print-address=1"_s,
                u"--address=unix:path="_s + m_home.filePath(u"bus"_s) });
        QVERIFY(m_bus.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY(address.startsWith("unix:"));
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);

        m_keyring.start(keyringDaemon, { u"--foreground"_s, u"--unlock"_s, u"--components=secrets"_s });
        QVERIFY(m_keyring.waitForStarted(5000));
        m_keyring.write("test-keyring-password");
        m_keyring.closeWriteChannel();
        // The keyring is there once it answers.
        QString error;
        QTRY_VERIFY_WITH_TIMEOUT(m_store->writePassword(u"Probe"_s, u"x"_s, &error), 15000);
        QVERIFY(m_store->removePassword(u"Probe"_s, &error));
    }

    void cleanupTestCase()
    {
        m_store.reset();
        stop(m_keyring);
        stop(m_bus);
    }

    void passwordRoundTrip()
    {
        QString error;
        QString password;
        bool found = true;
        QVERIFY2(m_store->writePassword(u"Netz Süd"_s, u"Ge heim'\"§"_s, &error), qPrintable(error));
        QVERIFY2(m_store->readPassword(u"Netz Süd"_s, &password, &found, &error), qPrintable(error));
        QVERIFY(found);
        QCOMPARE(password, u"Ge heim'\"§"_s);
        // Names are keys of their own: another entry has none.
        QVERIFY(m_store->readPassword(u"netz süd"_s, &password, &found, &error));
        QVERIFY(!found);
        QVERIFY(password.isEmpty());
        // Written again, replaced.
        QVERIFY(m_store->writePassword(u"Netz Süd"_s, u"neu"_s, &error));
        QVERIFY(m_store->readPassword(u"Netz Süd"_s, &password, &found, &error));
        QCOMPARE(password, u"neu"_s);
        QVERIFY(m_store->removePassword(u"Netz Süd"_s, &error));
        QVERIFY(m_store->readPassword(u"Netz Süd"_s, &password, &found, &error));
        QVERIFY(!found);
        QVERIFY2(m_store->removePassword(u"Netz Süd"_s, &error), qPrintable(error));
    }

    void storeGoneIsNoPasswordButCannotStore()
    {
        stop(m_keyring);
        QString error;
        QString password;
        bool found = true;
        // Nothing to read from is no password, so dialing can ask for one.
        QVERIFY2(m_store->readPassword(u"Netz Süd"_s, &password, &found, &error), qPrintable(error));
        QVERIFY(!found);
        QVERIFY(!m_store->writePassword(u"Netz Süd"_s, u"x"_s, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKeychainStore)
#include "tst_keychainstore.moc"
