// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Clock.h"
#include "EngineHost.h"
#include "FakeDialUpService.h"
#include "Folders.h"
#include "MessageDialog.h"
#include "SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestCostAccounting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        Folders::reset();
        MessageDialog::SetHook([](MessageDialog::Kind, const QString &) { return false; });
        Clock::SetNow([] { return QDateTime(QDate(2026, 12, 10), QTime(14, 3, 7)); });
    }

    void runningCost_data()
    {
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<int>("billing");
        QTest::addColumn<QString>("online");
        QTest::addColumn<double>("previous");
        QTest::addColumn<double>("cents");
        QTest::addColumn<QString>("shown");

        QTest::newRow("minute, first second") << u"2"_s << 0 << u"00:00:01"_s << 0.0 << 2.0 << u"0,02 €"_s;
        QTest::newRow("minute, end of first minute") << u"2"_s << 0 << u"00:01:00"_s << 2.0 << 2.0 << u"0,02 €"_s;
        QTest::newRow("minute, second minute begun") << u"2"_s << 0 << u"00:01:01"_s << 2.0 << 4.0 << u"0,04 €"_s;
        QTest::newRow("minute, nothing before the first second") << u"2"_s << 0 << u"00:00:00"_s << 0.0 << 0.0
                                                                 << u"0,00 €"_s;
        QTest::newRow("minute, skipped second still charges") << u"2"_s << 0 << u"00:01:02"_s << 2.0 << 4.0
                                                              << u"0,04 €"_s;
        QTest::newRow("minute, skipped to the middle") << u"1,5"_s << 0 << u"00:10:30"_s << 0.0 << 16.5
                                                       << u"0,17 €"_s;
        QTest::newRow("second, half a minute") << u"1,2"_s << 1 << u"00:00:30"_s << 0.0 << 0.6 << u"0,01 €"_s;
        QTest::newRow("second, one hour") << u"1,2"_s << 1 << u"01:00:00"_s << 0.0 << 72.0 << u"0,72 €"_s;
        QTest::newRow("past 24 hours, no wrap") << u"2"_s << 0 << u"25:00:01"_s << 0.0 << 3002.0 << u"30,02 €"_s;
        QTest::newRow("100 hours, seconds") << u"0,6"_s << 1 << u"100:00:00"_s << 0.0 << 3600.0 << u"36,00 €"_s;
        QTest::newRow("tariff typed with a point") << u"1.5"_s << 0 << u"00:00:10"_s << 0.0 << 1.5 << u"0,02 €"_s;
        QTest::newRow("tariff with unit") << u"1,5 ct"_s << 0 << u"00:00:10"_s << 0.0 << 1.5 << u"0,02 €"_s;
        QTest::newRow("empty tariff") << QString() << 0 << u"00:05:00"_s << 0.0 << 0.0 << u"0,00 €"_s;
        QTest::newRow("empty online time") << u"2"_s << 0 << QString() << 7.0 << 7.0 << u"0,07 €"_s;
        QTest::newRow("online time too long to count")
            << u"2"_s << 0 << u"9223372036854775807:00:00"_s << 7.0 << 7.0 << u"0,07 €"_s;
        QTest::newRow("unknown billing") << u"2"_s << 2 << u"00:05:00"_s << 7.0 << 7.0 << u"0,07 €"_s;
        QTest::newRow("premium rate") << u"186,000"_s << 0 << u"00:02:01"_s << 0.0 << 558.0 << u"5,58 €"_s;
        // Half-way values round up, as by hand, although they have no exact binary form.
        QTest::newRow("half a cent rounds up") << u"1,5"_s << 0 << u"00:00:01"_s << 0.0 << 1.5 << u"0,02 €"_s;
        QTest::newRow("4,5 cents round up") << u"1,5"_s << 0 << u"00:02:01"_s << 0.0 << 4.5 << u"0,05 €"_s;
        QTest::newRow("thousandths of a cent") << u"1,525"_s << 0 << u"00:00:01"_s << 0.0 << 1.525 << u"0,02 €"_s;
        QTest::newRow("second, first charge of 0,5 cents") << u"30"_s << 1 << u"00:00:01"_s << 0.0 << 0.5
                                                            << u"0,01 €"_s;
    }

    void runningCost()
    {
        QFETCH(QString, tariff);
        QFETCH(int, billing);
        QFETCH(QString, online);
        QFETCH(double, previous);
        QFETCH(double, cents);
        QFETCH(QString, shown);
        const double cost = TRASWorkUnit::RunningCost(tariff, billing, online, previous);
        QVERIFY2(qFuzzyCompare(cost + 1, cents + 1), qPrintable(QString::number(cost)));
        QCOMPARE(TRASWorkUnit::CostText(cost), shown);
    }

    // A mistyped tariff must neither wrap into a negative bill nor crash the
    // display; it shows as the huge amount it is.
    void absurdTariffSaturates_data()
    {
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<int>("billing");
        QTest::addColumn<int>("sign");
        QTest::newRow("huge, per minute") << u"99999999999999999999999"_s << 0 << 1;
        QTest::newRow("huge, per second") << u"99999999999999999999999"_s << 1 << 1;
        QTest::newRow("huge negative") << u"-99999999999999999999999"_s << 0 << -1;
        QTest::newRow("just inside, long call") << u"9000000000000"_s << 1 << 1;
    }

    void absurdTariffSaturates()
    {
        QFETCH(QString, tariff);
        QFETCH(int, billing);
        QFETCH(int, sign);
        const double cost = TRASWorkUnit::RunningCost(tariff, billing, u"9999:59:59"_s, 0.0);
        QCOMPARE(cost > 0 ? 1 : -1, sign);
        QCOMPARE(TRASWorkUnit::CostText(cost).startsWith(u'-'), sign < 0);
        QCOMPARE(TRASWorkUnit::FeeRecordText(cost).startsWith(u'-'), sign < 0);
    }

    void unusableCentsStillShow_data()
    {
        QTest::addColumn<double>("cents");
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
        QTest::newRow("minus infinite") << -std::numeric_limits<double>::infinity();
    }

    void unusableCentsStillShow()
    {
        QFETCH(double, cents);
        const QString text = TRASWorkUnit::CostText(cents);
        QVERIFY2(text.endsWith(u" €"_s), qPrintable(text));
        QCOMPARE(text.startsWith(u'-'), cents < 0);
    }

    void recordFee_data()
    {
        QTest::addColumn<double>("cents");
        QTest::addColumn<QString>("text");
        QTest::newRow("two cents") << 2.0 << u"0,0200 €"_s;
        QTest::newRow("nothing") << 0.0 << u"0,0000 €"_s;
        QTest::newRow("thousands") << 12345678.0 << u"123.456,7800 €"_s;
        QTest::newRow("fraction of a cent") << 0.6 << u"0,0060 €"_s;
        QTest::newRow("1,525 cents round up") << 1.525 << u"0,0153 €"_s;
        QTest::newRow("1,535 cents round up") << 1.535 << u"0,0154 €"_s;
        QTest::newRow("half a hundredth of a cent") << 0.005 << u"0,0001 €"_s;
        QTest::newRow("a sixtieth of 1,525 cents") << 1.525 / 60 << u"0,0003 €"_s;
    }

    void recordFee()
    {
        QFETCH(double, cents);
        QFETCH(QString, text);
        QCOMPARE(TRASWorkUnit::FeeRecordText(cents), text);
    }

    void init()
    {
        m_storeDir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<FileSettingsStore>(m_storeDir->filePath(u"registry.reg"_s));
        m_fake = std::make_unique<FakeDialUpService>();
        m_store->writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, u"2"_s);
        m_fake->addEntry(u"Netzwerk Nord"_s, u"0191011"_s);
        m_host = std::make_unique<EngineHost>();
        m_engine = new TRASWorkUnit(m_host.get(), m_fake.get(), m_store.get());
        m_host->engine = m_engine;
        m_saves = 0;
        m_engine->SaveFeeList = [this] { ++m_saves; };
    }

    void cleanup()
    {
        m_host.reset();
    }

    void thirtySecondCall()
    {
        m_engine->SetConnectionState(Dialing);
        m_engine->SetConnectionState(Online);
        QCOMPARE(m_host->get<QLineEdit>("EditCurrent")->text(), u"0,02 €"_s); // the first minute
        QCOMPARE(m_engine->PendingFeeRecord, u"10.12.2026;14:03:07;Netzwerk Nord;0191011;2 Ct/min;"_s);
        online(u"00:00:01"_s);
        online(u"00:00:30"_s);
        m_engine->SetConnectionState(Offline);
        QCOMPARE(feeLog(), QStringList{u"10.12.2026;14:03:07;Netzwerk Nord;0191011;2 Ct/min;00:00:30;0,0200 €"_s});
        QVERIFY(m_engine->PendingFeeRecord.isEmpty());
        QCOMPARE(m_saves, 0); // saved at exit unless AutoStart
        m_engine->SetConnectionState(Offline);
        m_engine->SetConnectionState(Ended);
        QCOMPARE(feeLog().size(), 1);
    }

    void autoStartSavesEachRecord()
    {
        m_engine->StartSettings.AutoStart = true;
        m_engine->SetConnectionState(Dialing);
        m_engine->SetConnectionState(Online);
        online(u"00:00:05"_s);
        m_engine->SetConnectionState(Ended);
        QCOMPARE(m_saves, 1);
    }

    void dialingDiscardsPendingRecord()
    {
        m_engine->SetConnectionState(Dialing);
        m_engine->SetConnectionState(Online);
        online(u"00:03:00"_s);
        m_engine->SetConnectionState(Dialing);
        QVERIFY(m_engine->PendingFeeRecord.isEmpty());
        QCOMPARE(m_engine->FeeCents, 0.0);
        m_engine->SetConnectionState(Offline);
        QVERIFY(feeLog().isEmpty());
    }

    void endsBeforeFirstSecond()
    {
        m_engine->SetConnectionState(Dialing);
        m_engine->SetConnectionState(Online);
        m_engine->SetConnectionState(Offline);
        QCOMPARE(feeLog().size(), 1);
        QVERIFY(feeLog().first().endsWith(u";00:00:00;0,0000 €"_s));
    }

    void feeRecordOff()
    {
        m_engine->StartSettings.FeeRecord = false;
        m_engine->SetConnectionState(Dialing);
        m_engine->SetConnectionState(Online);
        online(u"00:02:00"_s);
        QCOMPARE(m_host->get<QLineEdit>("EditCurrent")->text(), u"0,04 €"_s); // still shown
        m_engine->SetConnectionState(Offline);
        QVERIFY(feeLog().isEmpty());
    }

    void shutdownWhileOnlineKeepsTheRecord()
    {
        m_engine->SetConnectionState(Dialing);
        m_engine->SetConnectionState(Online);
        online(u"01:10:00"_s);
        m_engine->CompletePendingFeeRecord();
        QCOMPARE(feeLog(), QStringList{u"10.12.2026;14:03:07;Netzwerk Nord;0191011;2 Ct/min;01:10:00;1,4000 €"_s});
        m_engine->CompletePendingFeeRecord();
        QCOMPARE(feeLog().size(), 1);
    }

    void clearedOnlineTimeResets()
    {
        auto *edit = m_host->get<QLineEdit>("EditOnline");
        edit->setText(QString());
        QCOMPARE(edit->text(), u"00:00:00"_s);
    }

    void connectionInfoToHeaderAndStatusBar()
    {
        m_host->lists->SetLines(u"RASInfo"_s, {u"Netzwerk Nord"_s, u"modem"_s, u"Standardmodem"_s, u"1234"_s,
                                               u"3,2"_s, u"56789"_s, u"10.64.0.2"_s, u"10.64.0.1"_s});
        m_engine->ShowConnectionInfo();
        auto *header = m_host->get<QHeaderView>("HeaderControl");
        const QStringList expectedHeader{u"Netzwerk Nord"_s, u"modem"_s, u"3,2"_s, u"Standardmodem"_s};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(header->model()->headerData(i, Qt::Horizontal).toString(), expectedHeader.at(i));
        const QStringList panels{u"10.64.0.2"_s, u"1234"_s, QString(), u"56789"_s, u"10.64.0.1"_s};
        for (int i : {0, 1, 3, 4})
            QCOMPARE(m_host->get<QLabel>(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())->text(),
                     panels.at(i));
    }

private:
    void online(const QString &time) { m_host->get<QLineEdit>("EditOnline")->setText(time); }
    QStringList feeLog() const { return m_host->lists->Lines(u"FeeReport"_s); }

    QTemporaryDir m_noModule;
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_storeDir;
    std::unique_ptr<FileSettingsStore> m_store;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<EngineHost> m_host;
    TRASWorkUnit *m_engine = nullptr;
    int m_saves = 0;
};

QTEST_MAIN(TestCostAccounting)
#include "tst_costaccounting.moc"
