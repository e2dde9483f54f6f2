// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineHost.h"
#include "FakeDialUpService.h"
#include "Folders.h"
#include "MessageDialog.h"
#include "PluginManager.h"
#include "SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestRasWorkUnit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        // No module here: these tests are about the engine over a fake phone book.
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        Folders::reset();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
    }

    void init()
    {
        m_messages.clear();
        m_storeDir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<FileSettingsStore>(m_storeDir->filePath(u"registry.reg"_s));
        m_fake = std::make_unique<FakeDialUpService>();
    }

    void digits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<double>("floating");
        QTest::newRow("plain") << u"1234"_s << 1234 << 1234.0;
        QTest::newRow("with unit") << u"12,5 ct"_s << 0 << 12.5;
        QTest::newRow("thousands separators") << u"1.234.567"_s << 1234567 << 1234567.0;
        QTest::newRow("bytes label") << u"Gesendet: 2.048 Bytes"_s << 2048 << 2048.0;
        QTest::newRow("minus alone") << u"-"_s << 0 << 0.0;
        QTest::newRow("empty") << QString() << 0 << 0.0;
        QTest::newRow("negative") << u"-42"_s << -42 << -42.0;
        QTest::newRow("decimal point is not ours") << u"1.5"_s << 15 << 15.0;
        QTest::newRow("premium prefix") << u"01900123"_s << 1900123 << 1900123.0;
        QTest::newRow("country form") << u"49 ("_s << 49 << 49.0;
    }

    void digits()
    {
        QFETCH(QString, text);
        QFETCH(int, integer);
        QFETCH(double, floating);
        QCOMPARE(DigitsToInt(text), integer);
        QCOMPARE(DigitsToFloat(text), floating);
    }

    void readSettings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("SyncAsync missing") << u"SyncAsync"_s << QString() << u"1"_s;
        QTest::newRow("SyncAsync malformed") << u"SyncAsync"_s << u"async"_s << u"1"_s;
        QTest::newRow("SyncAsync 0") << u"SyncAsync"_s << u"0"_s << u"0"_s;
        QTest::newRow("RemaindTime missing") << u"RemaindTime"_s << QString() << u"2"_s;
        QTest::newRow("RemaindTime malformed") << u"RemaindTime"_s << u"5 min"_s << u"2"_s;
        QTest::newRow("WithSound missing") << u"WithSound"_s << QString() << u"1"_s;
        QTest::newRow("WithSound 0") << u"WithSound"_s << u"0"_s << u"0"_s;
        QTest::newRow("SoundIndex missing") << u"SoundIndex"_s << QString() << u"1"_s;
        QTest::newRow("ChkPassWord missing") << u"ChkPassWord"_s << QString() << u"0"_s;
        QTest::newRow("KeepAlive malformed") << u"KeepAlive"_s << u"ja"_s << u"0"_s;
        QTest::newRow("Timeout missing") << u"Timeout"_s << QString() << u"60"_s;
        QTest::newRow("Timeout malformed") << u"Timeout"_s << u"sechzig"_s << u"60"_s;
        QTest::newRow("Timeout 90") << u"Timeout"_s << u"90"_s << u"90"_s;
        // Hand-edited values beyond the dialog's ranges are clamped to them.
        QTest::newRow("Timeout far too large") << u"Timeout"_s << u"2147483647"_s << u"600"_s;
        QTest::newRow("Timeout below the range") << u"Timeout"_s << u"3"_s << u"10"_s;
        QTest::newRow("Timeout 0 is unset") << u"Timeout"_s << u"0"_s << u"60"_s;
        QTest::newRow("RemaindTime far too large") << u"RemaindTime"_s << u"99999999"_s << u"120"_s;
        QTest::newRow("RemaindTime negative") << u"RemaindTime"_s << u"-5"_s << u"0"_s;
        QTest::newRow("SoundIndex 7") << u"SoundIndex"_s << u"7"_s << u"1"_s;
        QTest::newRow("SyncAsync -1") << u"SyncAsync"_s << u"-1"_s << u"0"_s;
    }

    void readSettings()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        if (!stored.isNull())
            m_store->writeString(RegKey::Ras(), name, stored);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        const QStringList fields = engine.ModuleSettingsText().split(u'\t');
        const QStringList order{u"Connection"_s, u"SyncAsync"_s, u"ChkPassWord"_s, u"Timeout"_s, u"RemaindTime"_s,
                                u"KeepAlive"_s, u"WithSound"_s, u"SoundIndex"_s, u"Tariff"_s};
        QCOMPARE(fields.size(), 9);
        QCOMPARE(fields.at(order.indexOf(name)), expected);
    }

    void missingModuleIsReported()
    {
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        QCOMPARE(engine.ModuleIndex, -1);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first(), u"DFÜ-Modul nicht gefunden!:\r"_s + m_noModule.path()
                     + u"/RASModule.KVT\rDFÜ-Verbindungen erfolgen über Windows Socketverbindungen."_s);
        // no handler bound: the actions do nothing, and nothing crashes
        engine.ActionConnect->trigger();
        engine.ActionStopCon->trigger();
    }

    void moduleSettingsLine()
    {
        addProvider(u"Netzwerk Nord"_s, u"0301234"_s, u"1,500"_s);
        m_store->writeInteger(RegKey::Ras(), u"SyncAsync"_s, 0);
        m_store->writeBool(RegKey::Ras(), u"ChkPassWord"_s, true);
        m_store->writeInteger(RegKey::Ras(), u"RemaindTime"_s, 15);
        m_store->writeBool(RegKey::Ras(), u"KeepAlive"_s, true);
        m_store->writeBool(RegKey::Ras(), u"WithSound"_s, false);
        m_store->writeInteger(RegKey::Ras(), u"SoundIndex"_s, 0);
        m_store->writeInteger(RegKey::ConnTimeout(), u"Netzwerk Nord"_s, 45);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        // empty ServiceStr: the first connection becomes current, in memory only
        QCOMPARE(engine.ModuleSettingsText(), u"Netzwerk Nord\t0\t1\t45\t15\t1\t0\t0\t1,500"_s);
        QVERIFY(!m_store->hasValue(RegKey::Ras(), u"ServiceStr"_s));
    }

    void moduleSettingsLineKeepsItsFields()
    {
        TDFURec rec;
        rec.ServiceStr = u"Netz\twerk"_s;
        const QStringList fields = TRASWorkUnit::ModuleSettingsLine(rec, 60, u"1,5\tct"_s).split(u'\t');
        QCOMPARE(fields.size(), 9);
        QCOMPARE(fields.first(), u"Netz werk"_s);
        QCOMPARE(fields.last(), u"1,5 ct"_s);
    }

    void applyCurrentConnection_data()
    {
        QTest::addColumn<QString>("serviceStr");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("timeout");
        QTest::newRow("empty: first entry") << QString() << 0
                                           << u"Rufwerk: Alpha - RufNr.: 0301111 - 1,000 €-Cent/min"_s << 30;
        QTest::newRow("stored, other case") << u"BETA"_s << 1
                                            << u"Rufwerk: BETA - RufNr.: 0302222 - 2,500 €-Cent/min"_s << 90;
        QTest::newRow("stored but deleted: first entry") << u"Gelöscht"_s << 0
                                                         << u"Rufwerk: Alpha - RufNr.: 0301111 - 1,000 €-Cent/min"_s
                                                         << 30;
    }

    void applyCurrentConnection()
    {
        QFETCH(QString, serviceStr);
        QFETCH(int, selected);
        QFETCH(QString, caption);
        QFETCH(int, timeout);
        addProvider(u"Alpha"_s, u"0301111"_s, u"1,000"_s);
        addProvider(u"Beta"_s, u"0302222"_s, u"2,500"_s);
        m_store->writeInteger(RegKey::ConnTimeout(), u"Alpha"_s, 30);
        m_store->writeInteger(RegKey::ConnTimeout(), u"Beta"_s, 90);
        m_store->writeInteger(RegKey::Billing(), u"Beta"_s, 1);
        if (!serviceStr.isEmpty())
            m_store->writeString(RegKey::Ras(), u"ServiceStr"_s, serviceStr);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        auto *combo = host.get<QComboBox>("ComboBoxRAS");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentIndex(), selected);
        QCOMPARE(host.windowTitle(), caption);
        // The module dials what the window shows.
        QCOMPARE(engine.ModuleSettingsText().section(u'\t', 0, 0).compare(combo->currentText(), Qt::CaseInsensitive),
                 0);
        QCOMPARE(engine.Timeout, timeout);
        QCOMPARE(host.get<QSpinBox>("SpinEdit")->value(), timeout);
        QCOMPARE(host.get<QProgressBar>("WaitProgress")->maximum(), timeout);
        QCOMPARE(engine.SecondBilling, selected == 1 ? 1 : 0);
        QCOMPARE(host.get<QLabel>("LblTact")->text(), selected == 1 ? u"Sekundentakt"_s : u"Minutentakt"_s);
        QCOMPARE(host.get<QLineEdit>("EditUserName")->text(), selected == 1 ? u"beta-user"_s : u"alpha-user"_s);
    }

    void storedValuesAreClamped()
    {
        addProvider(u"Alpha"_s, u"0301111"_s, u"1,000"_s);
        m_store->writeString(RegKey::ConnTimeout(), u"Alpha"_s, u"4000000"_s);
        m_store->writeString(RegKey::Billing(), u"Alpha"_s, u"7"_s);
        m_store->writeString(RegKey::Bas(), u"DisConTime"_s, u"2147483647"_s);
        m_store->writeString(RegKey::Bas(), u"PostItIndex"_s, u"-3"_s);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        QCOMPARE(engine.Timeout, 600);
        QCOMPARE(engine.SecondBilling, 1);
        QCOMPARE(engine.StartSettings.DisConTime, 120);
        QCOMPARE(engine.TimerDisCon->interval(), 120 * 60000);
        QCOMPARE(engine.StartSettings.PostItIndex, 0);
    }

    void applyTakesTheStoredStartSettings()
    {
        addProvider(u"Alpha"_s, u"0301111"_s, u"1,000"_s);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        QVERIFY(host.get<QAction>("ActFeeProt")->isEnabled());
        // Stored after the engine read them, as the settings dialog does.
        TStartSettings changed;
        changed.DisConTime = 9;
        changed.FeeRecord = false;
        changed.ShowPostIt = false;
        changed.PostItIndex = 0;
        changed.Write(*m_store);
        engine.ApplyCurrentConnection();
        QCOMPARE(engine.TimerDisCon->interval(), 9 * 60000);
        QVERIFY(!host.get<QAction>("ActFeeProt")->isEnabled());
        QCOMPARE(host.property("ShowPostIt").toBool(), false);
        QCOMPARE(host.property("ShapedHints").toBool(), false);
    }

    void emptyPhoneBook()
    {
        EngineHost host;
        host.get<QLineEdit>("EditUserName")->setText(u"alt"_s);
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        QCOMPARE(host.get<QComboBox>("ComboBoxRAS")->count(), 0);
        QVERIFY(host.get<QLineEdit>("EditUserName")->text().isEmpty());
        QVERIFY(host.get<QLabel>("LblTelNum")->text().isEmpty());
        QVERIFY(!engine.ShowConnectionData(u"Irgendwas"_s));
        QCOMPARE(engine.Timeout, 60);
    }

    void entriesLines()
    {
        addProvider(u"Alpha Plus"_s, u"0301111"_s, u"1,000"_s);
        addProvider(u"Net"_s, u"0302222"_s, u"2,000"_s);
        addProvider(u"Büro;Nord"_s, u"0303333"_s, u"3,000"_s);
        m_fake->setDialParams(u"Net"_s, u"user;x"_s, u"pa;ss;wort"_s);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        const QStringList lines = host.lists->Lines(u"Entries"_s);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), u"Alpha Plus;0301111;alpha-user;1,000;alpha-pw"_s);

        // the name is matched as a whole, not as a part of another line
        QCOMPARE(engine.FindEntry(u"Net"_s), 1);
        QCOMPARE(engine.FindEntry(u"net"_s), 1);
        QCOMPARE(engine.FindEntry(u"0301111"_s), -1);
        QCOMPARE(engine.FindEntry(u"Alpha"_s), -1);
        QCOMPARE(engine.FindEntry(u"Plus"_s), -1);
        QCOMPARE(engine.FindEntry(u"Büro;Nord"_s), 2);

        const TEntryRec net = engine.ReadEntry(1);
        QCOMPARE(net.Name, u"Net"_s);
        QCOMPARE(net.User, u"user"_s); // a ';' in the user name shifts the fields, as the format has it
        QCOMPARE(net.Fee, u"x"_s);
        QCOMPARE(net.Password, u"2,000;pa;ss;wort"_s);

        const TEntryRec office = engine.ReadEntry(2);
        QCOMPARE(office.Name, u"Büro;Nord"_s);
        QCOMPARE(office.Phone, u"0303333"_s);
        QCOMPARE(office.Fee, u"3,000"_s);

        QCOMPARE(engine.ReadEntry(3).Name, QString());
        QCOMPARE(engine.ReadEntry(-1).Name, QString());
    }

    void shortAndBareLines()
    {
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        host.lists->SetLines(u"Entries"_s, {u"Nur Name"_s, QString(), u"A;B"_s, u"A;B;C;D;E;F"_s});
        QCOMPARE(engine.ReadEntry(0).Name, u"Nur Name"_s);
        QCOMPARE(engine.ReadEntry(0).Phone, QString());
        QCOMPARE(engine.ReadEntry(1).Name, QString());
        QCOMPARE(engine.ReadEntry(2).Phone, u"B"_s);
        QCOMPARE(engine.ReadEntry(3).Fee, u"D"_s);
        QCOMPARE(engine.ReadEntry(3).Password, u"E;F"_s);
        QCOMPARE(engine.FindEntry(u"A"_s), 2);
    }

    void unreadableEntryKeepsItsPlace()
    {
        addProvider(u"Alpha"_s, u"0301111"_s, u"1,000"_s);
        addProvider(u"Kaputt"_s, u"0302222"_s, u"2,000"_s);
        addProvider(u"Gamma"_s, u"0303333"_s, u"3,000"_s);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        m_fake->setFailure(FakeDialUpService::Call::GetEntryProperties, RasError::CorruptPhonebook);
        m_fake->clearFailures();
        // a phone book that vanished at run time: empty lists, no crash
        m_fake->setFailure(FakeDialUpService::Call::EnumEntries, RasError::CannotOpenPhonebook);
        engine.BuildEntriesFromPhonebook();
        QCOMPARE(host.get<QComboBox>("ComboBoxRAS")->count(), 0);
        QVERIFY(host.lists->Lines(u"Entries"_s).isEmpty());
        m_fake->clearFailures();
        engine.BuildEntriesFromPhonebook();
        QCOMPARE(host.lists->Lines(u"Entries"_s).size(), 3);
        QCOMPARE(engine.FindEntry(u"Gamma"_s), 2);
    }

    void premiumColours_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("bold");
        QTest::newRow("01900") << u"019001234"_s << QColor(Qt::red) << true;
        QTest::newRow("01905") << u"019051234"_s << QColor(0, 255, 0) << true;
        QTest::newRow("01908") << u"019081234"_s << QColor(Qt::blue) << true;
        QTest::newRow("01805") << u"018051234"_s << QColor(Qt::darkBlue) << false;
    }

    void premiumColours()
    {
        QFETCH(QString, number);
        QFETCH(QColor, colour);
        QFETCH(bool, bold);
        addProvider(u"Teuer"_s, number, u"186,000"_s);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        auto *label = host.get<QLabel>("LblTelNum");
        QCOMPARE(label->text(), number);
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
        QCOMPARE(label->font().bold(), bold);
    }

    void countryCodeNumberIsRegular()
    {
        auto &e = addProvider(u"Fern"_s, u"1234"_s, u"1,000"_s);
        e.properties.options |= RasEntryOption::UseCountryAndAreaCodes;
        e.properties.areaCode = u"30"_s;
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        QCOMPARE(host.get<QLabel>("LblTelNum")->text(), u"+49 (30) 1234"_s);
        QVERIFY(!host.get<QLabel>("LblTelNum")->font().bold());
        QCOMPARE(engine.ReadEntry(0).Phone, u"+49 (30) 1234"_s);
    }

    void tariffIsCutToSevenCharacters()
    {
        addProvider(u"Lang"_s, u"0301111"_s, u"123456789"_s);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        QCOMPARE(engine.TariffText, u"1234567"_s);
        QCOMPARE(engine.CurrentEntry.Fee, u"123456789"_s);
    }

    void selectAndDialMode()
    {
        addProvider(u"Alpha"_s, u"0301111"_s, u"1,000"_s);
        addProvider(u"Beta"_s, u"0302222"_s, u"2,000"_s);
        EngineHost host;
        TRASWorkUnit engine(&host, m_fake.get(), m_store.get());
        host.get<QComboBox>("ComboBoxRAS")->setCurrentIndex(1);
        engine.SelectConnection();
        QCOMPARE(m_store->readString(RegKey::Ras(), u"ServiceStr"_s), u"Beta"_s);
        engine.ApplyCurrentConnection();
        QCOMPARE(engine.CurrentEntry.Name, u"Beta"_s);

        auto *sync = host.get<QAction>("MISynchron");
        auto *async = host.get<QAction>("MIAsynchron");
        QVERIFY(!sync->isChecked() && async->isChecked());
        engine.ToggleDialMode();
        QVERIFY(sync->isChecked() && !async->isChecked());
        QCOMPARE(m_store->readInteger(RegKey::Ras(), u"SyncAsync"_s, -1), 0);
        engine.ToggleDialMode();
        QVERIFY(!sync->isChecked() && async->isChecked());
    }

private:
    FakeDialUpService::Entry &addProvider(const QString &name, const QString &number, const QString &tariff)
    {
        m_store->writeString(RegKey::Tariff(), name, tariff);
        const QString key = name.section(u' ', 0, 0).section(u';', 0, 0).left(5).toLower();
        m_fake->addEntry(name, number);
        m_fake->setDialParams(name, key + u"-user"_s, key + u"-pw"_s);
        return m_fake->entries.last();
    }

    QTemporaryDir m_noModule;
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_storeDir;
    std::unique_ptr<FileSettingsStore> m_store;
    std::unique_ptr<FakeDialUpService> m_fake;
    QStringList m_messages;
};

QTEST_MAIN(TestRasWorkUnit)
#include "tst_rasworkunit.moc"
