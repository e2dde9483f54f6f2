// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineHost.h"
#include "FormEmerg.h"
#include "ModalResult.h"
#include "Folders.h"
#include "MessageDialog.h"
#include "SettingsStore.h"
#include "SimulatedLine.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The engine with the real connection module on the simulated line.
class TestEngineLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (!QFile::exists(qEnvironmentVariable("RUFWERK_MODULE_DIR") + u"/RASModule.KVT"_s))
            QSKIP("connection module not built");
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        qputenv("RUFWERK_LINE_DIR", m_line.path().toLocal8Bit());
        Folders::reset();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
        QFile book(m_line.filePath(u"rasphone.pbk"_s));
        QVERIFY(book.open(QIODevice::WriteOnly));
        book.write("[Netzwerk Nord]\r\n"
                   "PhoneNumber=0301234\r\n"
                   "DEVICE=modem\r\n"
                   "Device=Simuliertes Modem 56k\r\n"
                   "User=nord\r\n"
                   "SimConnectDelay=1\r\n"
                   "SimRateUp=500\r\n"
                   "SimRateDown=5000\r\n"
                   "\r\n"
                   "[Besetzt]\r\n"
                   "PhoneNumber=0309999\r\n"
                   "DEVICE=isdn\r\n"
                   "Device=Simulierter ISDN-Adapter\r\n"
                   "SimConnectDelay=0\r\n"
                   "SimBusy=1\r\n"
                   "\r\n"
                   "[Kurz]\r\n"
                   "PhoneNumber=0307777\r\n"
                   "SimConnectDelay=0\r\n"
                   "SimHangUpAfter=2\r\n");
    }

    void init()
    {
        m_store = std::make_unique<FileSettingsStore>(m_home.filePath(u"registry.reg"_s));
        m_store->writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, u"1,5"_s);
        m_host = std::make_unique<EngineHost>();
        m_engine = new TRASWorkUnit(m_host.get(), nullptr, m_store.get());
        m_host->engine = m_engine;
        m_states.clear();
        connect(m_engine, &TRASWorkUnit::connectionStateChanged, this, [this](int s) { m_states << s; });
    }

    void cleanup()
    {
        m_host.reset();
    }

    void loadsModuleAndEntries()
    {
        QCOMPARE(m_engine->ModuleIndex, 0);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
        auto *combo = m_host->get<QComboBox>("ComboBoxRAS");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(m_host->lists->Lines(u"Entries"_s).first(), u"Netzwerk Nord;0301234;nord;1,5;"_s);
        QCOMPARE(m_host->lists->Lines(u"RASInfo"_s).first(), u"DFÜ-Name x"_s);
    }

    void reloadKeepsTheFiveFields()
    {
        selectEntry(u"Besetzt"_s);
        const QStringList before = m_host->lists->Lines(u"Entries"_s);
        QCOMPARE(before.first(), u"Netzwerk Nord;0301234;nord;1,5;"_s);
        m_engine->ReloadConnectionModule();
        QCOMPARE(m_engine->ModuleIndex, 0);
        QCOMPARE(m_host->lists->Lines(u"Entries"_s), before);
        QCOMPARE(m_host->get<QComboBox>("ComboBoxRAS")->currentText(), u"Besetzt"_s);

        // Another program adds an entry: list and selector take it in, aligned.
        SimulatedLine other(m_line.path());
        RasEntry entry;
        entry.localPhoneNumber = u"0305555"_s;
        QCOMPARE(other.setEntryProperties(u"Neu"_s, entry), RasError::Success);
        m_engine->ReloadConnectionModule();
        const QStringList lines = m_host->lists->Lines(u"Entries"_s);
        auto *combo = m_host->get<QComboBox>("ComboBoxRAS");
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.last(), u"Neu;0305555;;0,000;"_s);
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->itemText(3), u"Neu"_s);
        QCOMPARE(combo->currentText(), u"Besetzt"_s);
        QCOMPARE(other.deleteEntry(u"Neu"_s), RasError::Success);
        m_engine->ReloadConnectionModule();
        QCOMPARE(combo->count(), 3);
        QCOMPARE(m_host->lists->Lines(u"Entries"_s), before);
    }

    void dialOnlineHangUp()
    {
        selectEntry(u"Netzwerk Nord"_s);
        m_engine->ActionConnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->ConnectionState, int(Online), 10000);
        QCOMPARE(m_states.first(), int(Dialing));
        QVERIFY(!m_host->get<QComboBox>("ComboBoxRAS")->isEnabled());
        QCOMPARE(m_host->get<QToolButton>("BtnDial")->defaultAction(), m_engine->ActionDisconnect);
        QTRY_COMPARE_WITH_TIMEOUT(m_host->get<QLineEdit>("EditOnline")->text(), u"00:00:02"_s, 10000);
        const QStringList info = m_host->lists->Lines(u"RASInfo"_s);
        QCOMPARE(info.size(), 8);
        QCOMPARE(info.at(0), u"Netzwerk Nord"_s);
        QCOMPARE(info.at(1), u"modem"_s);
        QVERIFY(!info.at(6).isEmpty());
        QVERIFY(!info.at(7).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(DigitsToInt(m_host->get<QLabel>("StatusPanel3")->text()) > 0, 5000);
        QCOMPARE(m_host->get<QLineEdit>("EditCurrent")->text(), u"0,01 €"_s); // 1,5 cents for the first minute
        m_engine->ActionDisconnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->ConnectionState, int(Offline), 5000);
        QVERIFY(m_states.contains(int(Ended)));
        const QStringList fees = m_host->lists->Lines(u"FeeReport"_s);
        QCOMPARE(fees.size(), 1);
        QVERIFY2(fees.first().contains(u";Netzwerk Nord;0301234;1,5 Ct/min;00:00:0"_s), qPrintable(fees.first()));
        QVERIFY(fees.first().endsWith(u";0,0150 €"_s));
        QVERIFY(m_host->get<QComboBox>("ComboBoxRAS")->isEnabled());
    }

    void reloadWaitsUntilTheLineIsDown()
    {
        selectEntry(u"Netzwerk Nord"_s);
        m_engine->ActionConnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->ConnectionState, int(Online), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_host->lists->Lines(u"RASInfo"_s).value(0), u"Netzwerk Nord"_s, 5000);
        // The phone book changed while online: unloading the module now would end the line.
        m_engine->ReloadConnectionModule();
        QCOMPARE(m_host->lists->Lines(u"Entries"_s).first(), u"Netzwerk Nord;0301234;nord;1,5;"_s);
        QTest::qWait(600);
        QCOMPARE(m_engine->ConnectionState, int(Online));
        SimulatedLine line(m_line.path());
        QList<RasConnection> connections;
        QCOMPARE(line.enumConnections(&connections), RasError::Success);
        QCOMPARE(connections.size(), 1);
        QCOMPARE(m_host->lists->Lines(u"RASInfo"_s).value(0), u"Netzwerk Nord"_s);

        m_engine->ActionDisconnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->ConnectionState, int(Offline), 5000);
        // Now the module is loaded afresh, which starts with its initial lines.
        QTRY_COMPARE_WITH_TIMEOUT(m_host->lists->Lines(u"RASInfo"_s).value(0), u"DFÜ-Name x"_s, 5000);
        QCOMPARE(m_engine->ModuleIndex, 0);
        QVERIFY(m_engine->ActionConnect->property("handlerIndex").isValid());
    }

    void busyLineAsksForRedial()
    {
        selectEntry(u"Besetzt"_s);
        m_engine->ActionConnect->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(m_messages.contains(u"Teilnehmer ist besetzt!\rWahl wiederholen?"_s), 10000);
        QCOMPARE(m_engine->ConnectionState, int(Ended));
        QVERIFY(m_host->messages.contains(5939));
    }

    void externalConnectionAcrossProcesses()
    {
        const QString tool = qEnvironmentVariable("RUFWERK_TEST_BIN") + u"/rufwerk-line"_s;
        if (!QFile::exists(tool))
            QSKIP("rufwerk-line not built");
        QProcess dialer;
        dialer.start(tool, {u"dial"_s, u"Netzwerk Nord"_s});
        QVERIFY(dialer.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->ConnectionState, int(ExternalOnline), 15000);
        QCOMPARE(m_host->get<QToolButton>("BtnDial")->text(), u"Extern"_s);
        QTRY_COMPARE_WITH_TIMEOUT(m_host->get<QLineEdit>("EditOnline")->text(), u"00:00:02"_s, 10000);
        QCOMPARE(m_host->get<QLineEdit>("EditCurrent")->text(), u"0,01 €"_s);
        QVERIFY(m_host->windowTitle().startsWith(u"Externe DFÜ: Netzwerk Nord"_s));

        QCOMPARE(QProcess::execute(tool, {u"hangup"_s, u"Netzwerk Nord"_s}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->ConnectionState, int(Offline), 10000);
        // The event loop above may already have reaped it; waitForFinished() is false then.
        QVERIFY2(dialer.state() == QProcess::NotRunning || dialer.waitForFinished(10000),
                 dialer.readAllStandardOutput().constData());
        const QStringList fees = m_host->lists->Lines(u"FeeReport"_s);
        QVERIFY(!fees.isEmpty());
        QVERIFY2(fees.last().contains(u";Netzwerk Nord;0301234;1,5 Ct/min;00:00:0"_s), qPrintable(fees.last()));
        const QStringList protocol = m_host->lists->Lines(u"Protocol"_s);
        QVERIFY(protocol.contains(u"Externe Verbindung: "_s));
        QVERIFY(protocol.last().startsWith(u"Online-Zeit: 00:00:0"_s));
        QVERIFY(protocol.at(protocol.size() - 2).startsWith(u"End-Datum/Zeit: "_s));
    }

    void remoteHangUpRaisesTheWarning()
    {
        int warnings = 0;
        TFormEmerg::SetHook([&warnings](TFormEmerg &) {
            ++warnings;
            return int(mrCancel);
        });
        selectEntry(u"Kurz"_s);
        m_engine->ActionConnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_engine->ConnectionState, int(Online), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(warnings, 1, 10000);
        QCOMPARE(m_engine->ConnectionState, int(Ended));
        QVERIFY(m_host->messages.contains(5949));
        TFormEmerg::SetHook(nullptr);
    }

private:
    void selectEntry(const QString &name)
    {
        auto *combo = m_host->get<QComboBox>("ComboBoxRAS");
        combo->setCurrentIndex(combo->findText(name));
        m_engine->SelectConnection();
        m_engine->ApplyCurrentConnection();
    }

    QTemporaryDir m_home;
    QTemporaryDir m_line;
    std::unique_ptr<FileSettingsStore> m_store;
    std::unique_ptr<EngineHost> m_host;
    TRASWorkUnit *m_engine = nullptr;
    QStringList m_messages;
    QList<int> m_states;
};

QTEST_MAIN(TestEngineLine)
#include "tst_engineline.moc"
