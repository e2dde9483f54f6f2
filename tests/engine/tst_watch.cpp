// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Clock.h"
#include "EngineHost.h"
#include "FakeDialUpService.h"
#include "Folders.h"
#include "FormEmerg.h"
#include "FormRasDone.h"
#include "MessageDialog.h"
#include "ModalResult.h"
#include "OnLineDetect.h"
#include "SettingsStore.h"
#include "SystemRestart.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
class RecordingRestart : public SystemRestart
{
public:
    QString backendName() const override { return u"Aufzeichnung"_s; }
    RestartResult requestRestart(const QString &reason, QWidget *, const Confirm &) override
    {
        reasons << reason;
        return {RestartResult::Requested, QString()};
    }
    static inline QStringList reasons;
};
} // namespace

// Idle disconnect, the external connection watch and the rip-off protection.
class TestWatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        SystemRestart::setInstance(std::make_unique<RecordingRestart>());
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_home->path().toLocal8Bit());
        Folders::reset();
        m_now = QDateTime(QDate(2026, 12, 10), QTime(14, 0, 0));
        Clock::SetNow([this] { return m_now; });
        m_messages.clear();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
        RecordingRestart::reasons.clear();
        m_store = std::make_unique<FileSettingsStore>(m_home->filePath(u"registry.reg"_s));
        m_store->writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, u"2"_s);
        m_store->writeString(RegKey::Tariff(), u"Teuer"_s, u"186"_s);
        m_fake = std::make_unique<FakeDialUpService>();
        m_fake->addEntry(u"Netzwerk Nord"_s, u"0301234"_s);
        m_fake->addEntry(u"Teuer"_s, u"01900555"_s);
        m_host = std::make_unique<EngineHost>();
        m_engine = new TRASWorkUnit(m_host.get(), m_fake.get(), m_store.get());
        m_host->engine = m_engine;
        m_engine->OnLineDetect->setEnabled(false); // polled by hand
        m_messages.clear(); // the missing module's notice
        m_disconnects = 0;
        connect(m_engine->ActionDisconnect, &QAction::triggered, this, [this] { ++m_disconnects; });
    }

    void cleanup()
    {
        m_host.reset();
        TFormRasDone::SetHook(nullptr);
        TFormEmerg::SetHook(nullptr);
    }

    void idleCheck_data()
    {
        QTest::addColumn<QStringList>("reports"); // "sent/received" per report
        QTest::addColumn<QList<bool>>("idle");
        QTest::newRow("both grow") << QStringList{u"100/200"_s, u"150/300"_s, u"200/400"_s}
                                   << QList<bool>{false, false, false};
        QTest::newRow("nothing moves") << QStringList{u"100/200"_s, u"100/200"_s, u"100/200"_s}
                                       << QList<bool>{false, true, true};
        QTest::newRow("download only receives") << QStringList{u"100/200"_s, u"100/900"_s, u"100/5000"_s}
                                                << QList<bool>{false, false, false};
        QTest::newRow("upload only sends") << QStringList{u"100/200"_s, u"900/200"_s}
                                           << QList<bool>{false, false};
        QTest::newRow("traffic again stops the period") << QStringList{u"1/2"_s, u"1/2"_s, u"5/9"_s}
                                                        << QList<bool>{false, true, false};
        QTest::newRow("thousands separators") << QStringList{u"1.234/5.678"_s, u"1.234/5.678"_s}
                                              << QList<bool>{false, true};
        QTest::newRow("decimal separators still differ") << QStringList{u"1,5/2,5"_s, u"1,6/2,7"_s}
                                                         << QList<bool>{false, false};
    }

    void idleCheck()
    {
        QFETCH(QStringList, reports);
        QFETCH(QList<bool>, idle);
        m_engine->StartSettings.DisConTime = 5;
        m_engine->SetConnectionState(Online);
        for (int i = 0; i < reports.size(); ++i) {
            const QStringList counters = reports.at(i).split(u'/');
            report(counters.at(0), counters.at(1));
            QVERIFY2(m_engine->TimerDisCon->isActive() == idle.at(i), qPrintable(reports.at(i)));
        }
    }

    void idleCheckOffWhenNotOnlineOrNoTime()
    {
        m_engine->StartSettings.DisConTime = 0;
        m_engine->SetConnectionState(Online);
        report(u"1"_s, u"1"_s);
        report(u"1"_s, u"1"_s);
        QVERIFY(!m_engine->TimerDisCon->isActive());
        m_engine->StartSettings.DisConTime = 5;
        m_engine->SetConnectionState(Offline);
        report(u"1"_s, u"1"_s);
        QVERIFY(!m_engine->TimerDisCon->isActive());
    }

    void idleDialogResults_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("disconnects");
        QTest::addColumn<bool>("message");
        QTest::newRow("nobody answered") << int(mrAbort) << 1 << true;
        QTest::newRow("Verbindung beenden") << int(mrYes) << 1 << false;
        QTest::newRow("Verbindung belassen") << int(mrNo) << 0 << false;
        QTest::newRow("Abbrechen") << int(mrCancel) << 0 << false;
    }

    void idleDialogResults()
    {
        QFETCH(int, result);
        QFETCH(int, disconnects);
        QFETCH(bool, message);
        m_engine->StartSettings.DisConTime = 7;
        QString caption, text;
        TFormRasDone::SetHook([&](TFormRasDone &form) {
            caption = form.windowTitle();
            text = form.LabelRASConn->text();
            return result;
        });
        m_engine->TimerDisConTimer();
        QCOMPARE(caption, u"Keine DFÜ-Aktivität!"_s);
        QCOMPARE(text, u"Nach 10 Sekunden beenden"_s);
        QCOMPARE(m_disconnects, disconnects);
        QCOMPARE(protocol(), disconnects ? QStringList{u"Leerlauf-Abbruch nach: 7 Minuten!"_s} : QStringList{});
        QCOMPARE(m_messages, message ? QStringList{u"DFÜ aufgelegt nach: 7 Minuten ohne Aktivität!"_s} : QStringList{});
        QVERIFY(!m_engine->TimerDisCon->isActive());
    }

    void externalConnection()
    {
        const RasHandle handle = m_fake->addConnection(u"Teuer"_s, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        poll();
        QVERIFY(m_engine->TimerChkExtern->isActive());
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->ConnectionState, int(ExternalOnline));
        QVERIFY(m_engine->ExternShown);
        QCOMPARE(m_host->get<QToolButton>("BtnDial")->text(), u"Extern"_s);
        QCOMPARE(m_host->windowTitle(), u"Externe DFÜ: Teuer - RufNr.: 01900555 - 186 €-Cent/min"_s);
        QCOMPARE(protocol(), (QStringList{u"Externe Verbindung: "_s, u"  -  DFÜ, Rufnummer: Teuer, 01900555"_s,
                                          u"  -  Gerät, Typ    : Standardmodem, modem"_s,
                                          u"  -  zwischen Lokal: 10.64.3.2 und Remote: 10.64.0.1"_s,
                                          u"Start-Datum/Zeit: 10.12.2026 14:00:00 - hh:min:sec"_s}));
        QCOMPARE(m_host->get<QLineEdit>("EditCurrent")->text(), u"1,86 €"_s);

        m_now = m_now.addSecs(90);
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_host->get<QLineEdit>("EditOnline")->text(), u"00:01:30"_s);
        QCOMPARE(m_host->get<QLineEdit>("EditCurrent")->text(), u"3,72 €"_s);
        m_now = m_now.addSecs(25 * 3600);
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_host->get<QLineEdit>("EditOnline")->text(), u"25:01:30"_s); // no wrap after a day

        m_fake->removeConnection(handle);
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->ConnectionState, int(Offline));
        QVERIFY(!m_engine->ExternActive);
        QVERIFY(!m_engine->TimerChkExtern->isActive());
        QCOMPARE(m_host->get<QLabel>("MsgLabel")->text(), u"Externe Verbindung beendet"_s);
        QCOMPARE(m_engine->TariffText, u"2"_s); // the selected connection's tariff again
        const QStringList fees = m_host->lists->Lines(u"FeeReport"_s);
        QCOMPARE(fees, QStringList{u"10.12.2026;14:00:00;Teuer;01900555;186 Ct/min;25:01:30;2.793,7200 €"_s});
        QCOMPARE(protocol().mid(5), (QStringList{u"End-Datum/Zeit: 11.12.2026 15:01:30 - hh:min:sec"_s,
                                                 u"Online-Zeit: 25:01:30,   -Gebühr: 2793,72 €"_s}));
    }

    void externalEntryMissingFromTheList()
    {
        m_fake->addEntry(u"Neu vom Dialer"_s, u"0190666"_s);
        m_store->writeString(RegKey::Tariff(), u"Neu vom Dialer"_s, u"300"_s);
        m_fake->addConnection(u"Neu vom Dialer"_s, RasState::Connected, u"10.1.1.2"_s, u"10.1.1.1"_s);
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->PendingFeeRecord, u"10.12.2026;14:00:00;Neu vom Dialer;0190666;300 Ct/min;"_s);
        QCOMPARE(m_host->windowTitle(), u"Externe DFÜ: Neu vom Dialer - RufNr.: 0190666 - 300 €-Cent/min"_s);
    }

    void externalWithoutFeeRecord()
    {
        m_engine->StartSettings.FeeRecord = false;
        const RasHandle handle = m_fake->addConnection(u"Teuer"_s, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(protocol().size(), 5);
        m_fake->removeConnection(handle);
        poll();
        m_engine->TimerChkExternTimer();
        QVERIFY(m_host->lists->Lines(u"FeeReport"_s).isEmpty());
        QCOMPARE(protocol().size(), 7);
    }

    void notWatched_data()
    {
        QTest::addColumn<bool>("chkExtern");
        QTest::addColumn<int>("state");
        QTest::newRow("ChkExtern off") << false << int(Offline);
        QTest::newRow("own connection online") << true << int(Online);
        QTest::newRow("own connection dialing") << true << int(Dialing);
    }

    void notWatched()
    {
        QFETCH(bool, chkExtern);
        QFETCH(int, state);
        m_engine->StartSettings.ChkExtern = chkExtern;
        m_engine->ConnectionState = state;
        m_fake->addConnection(u"Teuer"_s, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        poll();
        QVERIFY(!m_engine->TimerChkExtern->isActive());
        QCOMPARE(m_engine->ConnectionState, state);
    }

    void connectionBeingSetUpIsWaitedFor()
    {
        const RasHandle handle = m_fake->addConnection(u"Teuer"_s, RasState::Authenticate);
        poll();
        m_engine->TimerChkExternTimer();
        QVERIFY(m_engine->TimerChkExtern->isActive());
        QCOMPARE(m_engine->ConnectionState, int(Offline));
        m_fake->setState(handle, RasState::Connected);
        m_fake->connection(handle)->projection.clientAddress = u"10.9.9.2"_s;
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->ConnectionState, int(ExternalOnline));
    }

    void lookupErrorIsShownOnce()
    {
        const RasHandle handle = m_fake->addConnection(u"Teuer"_s, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        m_fake->setFailure(FakeDialUpService::Call::ProjectionInfo, RasError::InvalidHandle);
        poll();
        m_engine->TimerChkExternTimer();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_messages, QStringList{u"6"_s});
        QCOMPARE(m_engine->ConnectionState, int(ExternalOnline));
        m_fake->removeConnection(handle);
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->ConnectionState, int(Offline));
    }

    void projectionNotCompleteIsNoError()
    {
        // Connected, but its addresses are still being negotiated (730).
        m_fake->addConnection(u"Teuer"_s, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        m_fake->setFailure(FakeDialUpService::Call::ProjectionInfo, RasError::ProjectionNotComplete);
        poll();
        m_engine->TimerChkExternTimer();
        m_engine->TimerChkExternTimer();
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!m_engine->ExternActive);
        m_fake->clearFailures();
        m_now = m_now.addSecs(1);
        m_engine->TimerChkExternTimer();
        QVERIFY(m_engine->ExternActive);
        QCOMPARE(m_engine->PendingFeeRecord, u"10.12.2026;14:00:01;Teuer;01900555;186 Ct/min;"_s);
    }

    void failedEnumerationKeepsTheSession()
    {
        const RasHandle handle = m_fake->addConnection(u"Teuer"_s, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        poll();
        m_engine->TimerChkExternTimer();
        QVERIFY(m_engine->ExternActive);
        int warnings = 0;
        TFormEmerg::SetHook([&warnings](TFormEmerg &) {
            ++warnings;
            return int(mrCancel);
        });
        // One poll that cannot enumerate is no "all connections gone".
        m_fake->setFailure(FakeDialUpService::Call::EnumConnections, RasError::BufferTooSmall);
        poll();
        m_now = m_now.addSecs(30);
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->ConnectionState, int(ExternalOnline));
        QVERIFY(m_engine->ExternActive);
        QVERIFY(m_host->lists->Lines(u"FeeReport"_s).isEmpty());
        QCOMPARE(m_host->get<QLineEdit>("EditOnline")->text(), u"00:00:30"_s);
        QCOMPARE(warnings, 0);
        // A poll that succeeds without it ends it.
        m_fake->clearFailures();
        m_fake->removeConnection(handle);
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->ConnectionState, int(Offline));
        QCOMPARE(m_host->lists->Lines(u"FeeReport"_s).size(), 1);
    }

    void connectionThatOutlivesARestartIsBilledOnce_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("own");
        QTest::addColumn<QString>("recordHead"); // name;phone;tariff
        QTest::addColumn<QString>("minute");     // the fee of one minute
        QTest::newRow("external connection") << u"Teuer"_s << false << u"Teuer;01900555;186 Ct/min"_s
                                             << u"1,8600 €"_s;
        QTest::newRow("own connection kept open") << u"Netzwerk Nord"_s << true
                                                  << u"Netzwerk Nord;0301234;2 Ct/min"_s << u"0,0200 €"_s;
    }

    void connectionThatOutlivesARestartIsBilledOnce()
    {
        QFETCH(QString, entry);
        QFETCH(bool, own);
        QFETCH(QString, recordHead);
        QFETCH(QString, minute);
        const RasHandle handle = m_fake->addConnection(entry, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        if (own) {
            m_engine->SetConnectionState(Dialing);
            m_engine->SetConnectionState(Online);
            m_now = m_now.addSecs(30);
            m_host->get<QLineEdit>("EditOnline")->setText(u"00:00:30"_s);
        } else {
            poll();
            m_engine->TimerChkExternTimer();
            m_now = m_now.addSecs(30);
            m_engine->TimerChkExternTimer();
        }
        // The program ends after 30 s, the connection stays up.
        m_engine->CompletePendingFeeRecord();
        const QString first = m_host->lists->Lines(u"FeeReport"_s).value(0);
        QCOMPARE(first, u"10.12.2026;14:00:00;"_s + recordHead + u";00:00:30;"_s + minute);

        // The next run finds it 10 s later and ends it after 70 s in all: two
        // started minutes, of which the first record charged one.
        m_host.reset();
        m_now = m_now.addSecs(10);
        m_host = std::make_unique<EngineHost>();
        m_engine = new TRASWorkUnit(m_host.get(), m_fake.get(), m_store.get());
        m_host->engine = m_engine;
        m_engine->OnLineDetect->setEnabled(false);
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_engine->ConnectionState, int(ExternalOnline));
        QCOMPARE(m_host->get<QLineEdit>("EditOnline")->text(), u"00:00:40"_s); // continued from its real start
        m_now = m_now.addSecs(30);
        m_engine->TimerChkExternTimer();
        m_fake->removeConnection(handle);
        poll();
        m_engine->TimerChkExternTimer();
        QCOMPARE(m_host->lists->Lines(u"FeeReport"_s),
                 QStringList{u"10.12.2026;14:00:30;"_s + recordHead + u";00:00:40;"_s + minute});
        QVERIFY(!m_store->hasValue(RegKey::Ras(), u"OpenConnection"_s));
    }

    void connectionGoneBeforeTheRestartStartsAnew()
    {
        const RasHandle handle = m_fake->addConnection(u"Teuer"_s, RasState::Connected, u"10.64.3.2"_s, u"10.64.0.1"_s);
        poll();
        m_engine->TimerChkExternTimer();
        m_engine->CompletePendingFeeRecord();
        m_fake->removeConnection(handle);
        m_host.reset();
        m_host = std::make_unique<EngineHost>();
        m_engine = new TRASWorkUnit(m_host.get(), m_fake.get(), m_store.get());
        QVERIFY(!m_store->hasValue(RegKey::Ras(), u"OpenConnection"_s));
    }

    void ripOffProtection_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("restart");
        QTest::newRow("critical") << false << int(mrYes) << true;
        QTest::newRow("critical, box ticked") << true << int(mrYes) << true;
        QTest::newRow("uncritical, box ticked") << true << int(mrCancel) << false;
        QTest::newRow("closed") << false << int(mrCancel) << false;
    }

    void ripOffProtection()
    {
        QFETCH(bool, tick);
        QFETCH(int, result);
        QFETCH(bool, restart);
        int saves = 0;
        m_engine->SaveFeeList = [&saves] { ++saves; };
        m_engine->AppendProtocol(u"Beweis"_s);
        int shown = 0;
        TFormEmerg::SetHook([&](TFormEmerg &form) {
            ++shown;
            if (tick)
                emit form.CBNoWarningClick(true);
            return result;
        });
        m_engine->HandleWindowMessage(5949, 0, 0);
        QCOMPARE(shown, 1);
        QCOMPARE(m_store->readBool(RegKey::Ras(), u"NeppWarning"_s, false), tick);
        QCOMPARE(RecordingRestart::reasons.size(), restart ? 1 : 0);
        QCOMPARE(saves, restart ? 1 : 0);
        m_engine->HandleWindowMessage(5949, 0, 0);
        QCOMPARE(shown, tick ? 1 : 2); // suppressed from the next report on
    }

private:
    void report(const QString &sent, const QString &received)
    {
        QStringList info = m_host->lists->Lines(u"RASInfo"_s);
        while (info.size() < 8)
            info << QString();
        info[3] = sent;
        info[5] = received;
        m_host->lists->SetLines(u"RASInfo"_s, info);
        m_engine->ShowConnectionInfo();
    }
    void poll() { m_engine->OnLineDetect->Poll(); }
    QStringList protocol() const { return m_host->lists->Lines(u"Protocol"_s); }

    QTemporaryDir m_noModule;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FileSettingsStore> m_store;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<EngineHost> m_host;
    TRASWorkUnit *m_engine = nullptr;
    QDateTime m_now;
    QStringList m_messages;
    int m_disconnects = 0;
};

QTEST_MAIN(TestWatch)
#include "tst_watch.moc"
