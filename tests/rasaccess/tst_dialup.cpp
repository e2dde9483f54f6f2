// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialUp.h"
#include "FakeDialUpService.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;
using Call = FakeDialUpService::Call;

class TestDialUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void defaultServiceIsTheProcessWideOne();

    void readEntryProperties_data();
    void readEntryProperties();
    void readEntryPropertiesFailureClearsOldValues();

    void readDialParams_data();
    void readDialParams();
    void readDialParamsFailureKeepsValues();

    void getEntriesReturnsTheWholeBook();
    void getEntriesCutsOverlongNames();
    void getEntriesErrorLeavesListEmpty();

    void entryCommandsWorkOnEntry();
    void entryDialogsGetTheOwnerWindow();

    void getActiveConnectionsReportsEach();
    void getActiveConnectionsContinuesPastFailingStatus();
    void getActiveConnectionsEnumerationError();

    void findActiveConnection_data();
    void findActiveConnection();
    void findActiveConnectionErrors_data();
    void findActiveConnectionErrors();

    void connectionStatusText_data();
    void connectionStatusText();
    void everyLanguageKnowsEveryState();

    void statisticsBaselines_data();
    void statisticsBaselines();
    void startStatisticsFindsAdapter();
    void startStatisticsFailures_data();
    void startStatisticsFailures();
    void stopStatisticsResetsWithoutReading();
    void readStatisticsFailureKeepsValues();

private:
    FakeDialUpService fake;
};

void TestDialUp::init()
{
    fake = FakeDialUpService();
}

void TestDialUp::defaultServiceIsTheProcessWideOne()
{
    auto owned = std::make_unique<FakeDialUpService>();
    FakeDialUpService *service = owned.get();
    DialUpService::setInstance(std::move(owned));
    TDialUp dialUp;
    QCOMPARE(&dialUp.service(), service);
    QCOMPARE(dialUp.Language(), TDialUp::Czech);
    DialUpService::setInstance(nullptr);
}

void TestDialUp::readEntryProperties_data()
{
    QTest::addColumn<quint32>("options");
    QTest::addColumn<quint32>("countryCode");
    QTest::addColumn<QString>("areaCode");
    QTest::addColumn<QString>("localNumber");
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QString>("deviceField");
    QTest::addColumn<QString>("phoneNumber");
    QTest::addColumn<QString>("displayNumber");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("devicePort");
    QTest::addColumn<QString>("type");

    const QString nul(QChar(0));
    const quint32 codes = RasEntryOption::UseCountryAndAreaCodes;
    QTest::newRow("country and area codes 49/30/1234")
        << codes << 49u << u"30"_s << u"1234"_s << u"modem"_s << u"Modem"_s
        << u"30 1234"_s << u"+49 (30) 1234"_s << u"Modem"_s << QString() << u"modem"_s;
    QTest::newRow("empty area code: no parentheses, no leading blank")
        << codes << 49u << QString() << u"1234"_s << u"modem"_s << u"Modem"_s
        << u"1234"_s << u"+49 1234"_s << u"Modem"_s << QString() << u"modem"_s;
    QTest::newRow("area code not starting with a digit is not bracketed")
        << codes << 43u << u"-1"_s << u"555"_s << u"modem"_s << u"Modem"_s
        << u"-1 555"_s << u"+43 555"_s << u"Modem"_s << QString() << u"modem"_s;
    QTest::newRow("premium number with codes")
        << codes << 49u << u"0190"_s << u"123456"_s << u"isdn"_s << u"ISDN-Adapter"_s
        << u"0190 123456"_s << u"+49 (0190) 123456"_s << u"ISDN-Adapter"_s << QString() << u"isdn"_s;
    QTest::newRow("without the option bit the local number is used")
        << 0u << 49u << u"30"_s << u"1234"_s << u"modem"_s << u"Modem"_s
        << u"1234"_s << u"1234"_s << u"Modem"_s << QString() << u"modem"_s;
    QTest::newRow("other option bits do not select the codes")
        << (RasEntryOption::SpecificIpAddr | RasEntryOption::RemoteDefaultGateway) << 49u << u"30"_s << u"1234"_s
        << u"modem"_s << u"Modem"_s << u"1234"_s << u"1234"_s << u"Modem"_s << QString() << u"modem"_s;
    QTest::newRow("device name, NUL, port")
        << 0u << 49u << QString() << u"1"_s << u"modem"_s << (u"Modem"_s + nul + u"COM2"_s)
        << u"1"_s << u"1"_s << u"Modem"_s << u"COM2"_s << u"modem"_s;
    QTest::newRow("trailing blanks and NULs trimmed")
        << 0u << 49u << QString() << u"1"_s << (u"isdn"_s + nul + nul) << (u"ISDN-Adapter   "_s + nul + nul + nul)
        << u"1"_s << u"1"_s << u"ISDN-Adapter"_s << QString() << u"isdn"_s;
    QTest::newRow("padded name and port")
        << 0u << 49u << QString() << u"1"_s << u"modem"_s << (u"Modem  "_s + nul + u" COM2 "_s + nul + nul)
        << u"1"_s << u"1"_s << u"Modem"_s << u"COM2"_s << u"modem"_s;
    QTest::newRow("port cut at 99 characters")
        << 0u << 49u << QString() << u"1"_s << u"modem"_s << (u"Modem"_s + nul + QString(120, u'P'))
        << u"1"_s << u"1"_s << u"Modem"_s << QString(99, u'P') << u"modem"_s;
}

void TestDialUp::readEntryProperties()
{
    QFETCH(quint32, options);
    QFETCH(quint32, countryCode);
    QFETCH(QString, areaCode);
    QFETCH(QString, localNumber);
    QFETCH(QString, deviceType);
    QFETCH(QString, deviceField);

    auto &e = fake.addEntry(u"Netz Nord"_s, localNumber);
    e.properties.options = options;
    e.properties.countryCode = countryCode;
    e.properties.areaCode = areaCode;
    e.properties.deviceType = deviceType;
    e.properties.deviceName = deviceField;

    TDialUp dialUp(nullptr, &fake);
    dialUp.setEntry(u"netz nord"_s);
    QCOMPARE(dialUp.ReadEntryProperties(), RasError::Success);
    QCOMPARE(dialUp.EntryName, u"netz nord"_s);
    QTEST(dialUp.PhoneNumber, "phoneNumber");
    QTEST(dialUp.DisplayNumber, "displayNumber");
    QTEST(dialUp.DeviceName, "device");
    QTEST(dialUp.DevicePort, "devicePort");
    QTEST(dialUp.DeviceType, "type");
}

void TestDialUp::readEntryPropertiesFailureClearsOldValues()
{
    fake.addEntry(u"Eins"_s, u"0301234"_s).properties.deviceName = u"Modem"_s + QChar(0) + u"COM1"_s;
    TDialUp dialUp(nullptr, &fake);
    dialUp.setEntry(u"Eins"_s);
    QCOMPARE(dialUp.ReadEntryProperties(), RasError::Success);
    QCOMPARE(dialUp.DevicePort, u"COM1"_s);

    dialUp.setEntry(u"Gibt es nicht"_s);
    QCOMPARE(dialUp.ReadEntryProperties(), RasError::CannotFindPhonebookEntry);
    QCOMPARE(dialUp.EntryName, u"Gibt es nicht"_s);
    QVERIFY(dialUp.PhoneNumber.isEmpty());
    QVERIFY(dialUp.DisplayNumber.isEmpty());
    QVERIFY(dialUp.DeviceType.isEmpty());
    QVERIFY(dialUp.DeviceName.isEmpty());
    QVERIFY(dialUp.DevicePort.isEmpty());
}

void TestDialUp::readDialParams_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("expectedPassword");

    QTest::newRow("stored password") << u"anna"_s << u"geheim"_s << true << u"geheim"_s;
    QTest::newRow("no stored password, params hold text") << u"anna"_s << u"geheim"_s << false << QString();
    QTest::newRow("empty user and password") << QString() << QString() << true << QString();
}

void TestDialUp::readDialParams()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, stored);

    fake.addEntry(u"Callnet"_s);
    fake.setDialParams(u"Callnet"_s, user, password, stored);
    TDialUp dialUp(nullptr, &fake);
    dialUp.EntryPassword = u"alt"_s;
    dialUp.setEntry(u"Callnet"_s);
    QCOMPARE(dialUp.ReadUserName(), RasError::Success);
    QCOMPARE(dialUp.ReadPassword(), RasError::Success);
    QCOMPARE(dialUp.EntryUser, user);
    QTEST(dialUp.EntryPassword, "expectedPassword");
}

void TestDialUp::readDialParamsFailureKeepsValues()
{
    TDialUp dialUp(nullptr, &fake);
    dialUp.EntryUser = u"bleibt"_s;
    dialUp.EntryPassword = u"auch"_s;
    dialUp.setEntry(u"Fehlt"_s);
    QCOMPARE(dialUp.ReadUserName(), RasError::CannotFindPhonebookEntry);
    QCOMPARE(dialUp.ReadPassword(), RasError::CannotFindPhonebookEntry);
    QCOMPARE(dialUp.EntryUser, u"bleibt"_s);
    QCOMPARE(dialUp.EntryPassword, u"auch"_s);
}

void TestDialUp::getEntriesReturnsTheWholeBook()
{
    // More than the 100 names a fixed buffer would hold.
    fake.addEntries(150);
    TDialUp dialUp(nullptr, &fake);
    QSignalSpy spy(&dialUp, &TDialUp::OnEntryGet);
    QCOMPARE(dialUp.GetEntries(), RasError::Success);
    QCOMPARE(dialUp.Entries(), fake.entryNames());
    QCOMPARE(dialUp.Entries().size(), 150);
    QCOMPARE(spy.size(), 150);
    for (int i = 0; i < spy.size(); ++i)
        QCOMPARE(spy.at(i).at(0).toString(), dialUp.Entries().at(i));

    // A second enumeration replaces the list instead of appending to it.
    fake.entries.removeFirst();
    QCOMPARE(dialUp.GetEntries(), RasError::Success);
    QCOMPARE(dialUp.Entries().size(), 149);
    QCOMPARE(dialUp.Entries().first(), u"Verbindung 2"_s);
}

void TestDialUp::getEntriesCutsOverlongNames()
{
    fake.addEntry(QString(300, u'x'));
    TDialUp dialUp(nullptr, &fake);
    QCOMPARE(dialUp.GetEntries(), RasError::Success);
    QCOMPARE(dialUp.Entries(), QStringList{QString(TDialUp::MaxEntryNameLength, u'x')});
}

void TestDialUp::getEntriesErrorLeavesListEmpty()
{
    fake.addEntries(3);
    TDialUp dialUp(nullptr, &fake);
    QCOMPARE(dialUp.GetEntries(), RasError::Success);

    fake.setFailure(Call::EnumEntries, RasError::CannotOpenPhonebook);
    QSignalSpy spy(&dialUp, &TDialUp::OnEntryGet);
    QCOMPARE(dialUp.GetEntries(), RasError::CannotOpenPhonebook);
    QVERIFY(dialUp.Entries().isEmpty());
    QCOMPARE(spy.size(), 0);
}

void TestDialUp::entryCommandsWorkOnEntry()
{
    fake.addEntry(u"Alt"_s);
    fake.addEntry(u"Belegt"_s);
    TDialUp dialUp(nullptr, &fake);
    dialUp.setEntry(u"Alt"_s);

    QCOMPARE(dialUp.RenameEntry(u"Belegt"_s), RasError::AlreadyExists);
    QCOMPARE(dialUp.Entry(), u"Alt"_s);
    QCOMPARE(dialUp.RenameEntry(u"Neu"_s), RasError::Success);
    QCOMPARE(dialUp.Entry(), u"Neu"_s);
    QCOMPARE(fake.entryNames(), (QStringList{u"Neu"_s, u"Belegt"_s}));

    fake.dialogResult = RasError::Cancelled;
    QCOMPARE(dialUp.EditEntry(), RasError::Cancelled);
    QCOMPARE(fake.calls.last(), u"editEntryDialog Neu"_s);

    QCOMPARE(dialUp.DeleteEntry(), RasError::Success);
    QCOMPARE(fake.entryNames(), QStringList{u"Belegt"_s});
    QCOMPARE(dialUp.DeleteEntry(), RasError::CannotFindPhonebookEntry);

    QString created = u"vorher"_s;
    QCOMPARE(dialUp.CreateEntry(&created), RasError::Cancelled);
    QVERIFY(created.isEmpty());
    fake.dialogResult = RasError::Success;
    fake.dialogCreatesEntry = u"Frisch"_s;
    QCOMPARE(dialUp.CreateEntry(&created), RasError::Success);
    QCOMPARE(created, u"Frisch"_s);
}

void TestDialUp::entryDialogsGetTheOwnerWindow()
{
    fake.addEntry(u"Eins"_s);
    QWidget window;
    TDialUp owned(&window, &fake);
    owned.setEntry(u"Eins"_s);
    QCOMPARE(owned.EditEntry(), RasError::Success);
    QCOMPARE(fake.lastDialogOwner, static_cast<QObject *>(&window));

    QObject notAWindow;
    TDialUp plain(&notAWindow, &fake);
    QCOMPARE(plain.CreateEntry(), RasError::Success);
    QVERIFY(!fake.lastDialogOwner);
}

void TestDialUp::getActiveConnectionsReportsEach()
{
    fake.addEntry(u"Eins"_s).properties.deviceName = u"Modem"_s;
    const RasHandle first = fake.addConnection(u"Eins"_s, RasState::Connected);
    const RasHandle second = fake.addConnection(u"Zwei"_s, RasState::Authenticate);

    TDialUp dialUp(nullptr, &fake);
    QSignalSpy spy(&dialUp, &TDialUp::OnActiveConnection);
    QCOMPARE(dialUp.GetActiveConnections(), 2);
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(0).at(0).value<RasHandle>(), first);
    QCOMPARE(spy.at(0).at(1).value<RasConnStatus>().state, RasState::Connected);
    QCOMPARE(spy.at(0).at(2).toString(), u"Verbunden"_s);
    QCOMPARE(spy.at(0).at(3).toString(), u"Eins"_s);
    QCOMPARE(spy.at(0).at(4).toString(), u"modem"_s);
    QCOMPARE(spy.at(0).at(5).toString(), u"Modem"_s);
    QCOMPARE(spy.at(1).at(2).toString(), u"Starte Erkennung"_s);
    QCOMPARE(dialUp.LastHandle, second);
}

void TestDialUp::getActiveConnectionsContinuesPastFailingStatus()
{
    const RasHandle first = fake.addConnection(u"Eins"_s);
    const RasHandle failing = fake.addConnection(u"Zwei"_s);
    fake.connection(failing)->statusError = RasError::InvalidHandle;
    const RasHandle third = fake.addConnection(u"Drei"_s, RasState::PortOpened);
    fake.errorTexts.insert(RasError::InvalidHandle, u"Handle ungültig"_s);

    TDialUp dialUp(nullptr, &fake);
    QSignalSpy spy(&dialUp, &TDialUp::OnActiveConnection);
    QCOMPARE(dialUp.GetActiveConnections(), 3);
    QCOMPARE(spy.size(), 3);
    const auto failed = spy.at(1).at(1).value<RasConnStatus>();
    // The failed one must not be taken for a connected line.
    QCOMPARE(failed.state, RasState::Disconnected);
    QCOMPARE(failed.error, RasError::InvalidHandle);
    QCOMPARE(spy.at(1).at(2).toString(), u"Handle ungültig"_s);
    QCOMPARE(spy.at(1).at(3).toString(), u"Zwei"_s);
    QCOMPARE(spy.at(2).at(2).toString(), u"Port geöffnet"_s);
    QCOMPARE(dialUp.LastHandle, third);

    // When the last one fails, LastHandle stays with the last good one.
    fake.connection(third)->statusError = RasError::InvalidHandle;
    dialUp.LastHandle = 0;
    QCOMPARE(dialUp.GetActiveConnections(), 3);
    QCOMPARE(dialUp.LastHandle, first);
}

void TestDialUp::getActiveConnectionsEnumerationError()
{
    fake.addConnection(u"Eins"_s);
    fake.setFailure(Call::EnumConnections, RasError::BufferTooSmall);
    TDialUp dialUp(nullptr, &fake);
    QSignalSpy spy(&dialUp, &TDialUp::OnActiveConnection);
    QCOMPARE(dialUp.GetActiveConnections(), -1); // not the same as no connection
    QCOMPARE(spy.size(), 0);
}

void TestDialUp::findActiveConnection_data()
{
    QTest::addColumn<int>("connections");
    QTest::addColumn<int>("withAddress"); // 1-based, 0 = none has one
    QTest::addColumn<bool>("found");

    QTest::newRow("no connection") << 0 << 0 << false;
    QTest::newRow("single connection with address") << 1 << 1 << true;
    QTest::newRow("only the second has an address") << 3 << 2 << true;
    QTest::newRow("still dialing, no address yet") << 2 << 0 << false;
    QTest::newRow("tenth of ten") << 10 << 10 << true;
    QTest::newRow("only the eleventh has an address") << 11 << 11 << false;
}

void TestDialUp::findActiveConnection()
{
    QFETCH(int, connections);
    QFETCH(int, withAddress);
    QFETCH(bool, found);

    RasHandle expected = 0;
    for (int i = 1; i <= connections; ++i) {
        const QString name = u"Verbindung "_s + QString::number(i);
        auto &e = fake.addEntry(name);
        e.properties.deviceType = u"isdn"_s;
        e.properties.deviceName = u"ISDN "_s + QString::number(i);
        const bool hasAddress = i == withAddress;
        const RasHandle handle = fake.addConnection(name, RasState::Connected,
                                                    hasAddress ? u"10.64.0.7"_s : QString(),
                                                    hasAddress ? u"10.64.0.1"_s : QString());
        if (hasAddress)
            expected = handle;
    }

    TDialUp dialUp(nullptr, &fake);
    dialUp.LocalIP = u"unverändert"_s;
    QCOMPARE(dialUp.FindActiveConnection(), found);
    if (!found) {
        QCOMPARE(dialUp.LocalIP, u"unverändert"_s);
        return;
    }
    const QString number = QString::number(withAddress);
    QCOMPARE(dialUp.LastHandle, expected);
    QCOMPARE(dialUp.EntryName, u"Verbindung "_s + number);
    QCOMPARE(dialUp.DeviceType, u"isdn"_s);
    QCOMPARE(dialUp.DeviceName, u"ISDN "_s + number);
    QCOMPARE(dialUp.LocalIP, u"10.64.0.7"_s);
    QCOMPARE(dialUp.RemoteIP, u"10.64.0.1"_s);
}

void TestDialUp::findActiveConnectionErrors_data()
{
    QTest::addColumn<bool>("enumerationFails");
    QTest::addColumn<int>("error");

    QTest::newRow("projection not complete") << false << RasError::ProjectionNotComplete;
    QTest::newRow("invalid handle") << false << RasError::InvalidHandle;
    QTest::newRow("enumeration fails") << true << RasError::BufferTooSmall;
}

void TestDialUp::findActiveConnectionErrors()
{
    QFETCH(bool, enumerationFails);
    QFETCH(int, error);

    const RasHandle handle = fake.addConnection(u"Eins"_s, RasState::Connected, u"10.0.0.2"_s, u"10.0.0.1"_s);
    if (enumerationFails)
        fake.setFailure(Call::EnumConnections, error);
    else
        fake.connection(handle)->projectionError = error;

    TDialUp dialUp(nullptr, &fake);
    try {
        dialUp.FindActiveConnection();
        QFAIL("no EDialUpError raised");
    } catch (const EDialUpError &e) {
        QCOMPARE(e.message(), QString::number(error));
        QCOMPARE(QByteArray(e.what()), QByteArray::number(error));
    }
    QVERIFY(dialUp.LocalIP.isEmpty());
}

void TestDialUp::connectionStatusText_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("expected");

    const int de = TDialUp::Czech;
    QTest::newRow("open port") << de << 0 << 0 << u"Öffne Port"_s;
    QTest::newRow("authenticate") << de << 5 << 0 << u"Starte Erkennung"_s;
    QTest::newRow("logon network") << de << 21 << 0 << u"Loggon in Netzwerk"_s;
    QTest::newRow("interactive") << de << 4096 << 0 << u"Interaktiv"_s;
    QTest::newRow("password expired") << de << 4099 << 0 << u"Passwort erwartet"_s;
    QTest::newRow("connected") << de << RasState::Connected << 0 << u"Verbunden"_s;
    QTest::newRow("disconnected") << de << RasState::Disconnected << 0 << u"Verbindung getrennt"_s;
    QTest::newRow("unknown state between ranges") << de << 22 << 0 << QString();
    QTest::newRow("unknown state negative") << de << -1 << 0 << QString();
    QTest::newRow("english connected") << int(TDialUp::English) << RasState::Connected << 0 << u"Connected"_s;
    QTest::newRow("portuguese disconnected")
        << int(TDialUp::Portuguese) << RasState::Disconnected << 0 << u"Desconectado"_s;
    QTest::newRow("error wins over the state")
        << de << RasState::Disconnected << RasError::LineBusy << u"Die Telefonleitung ist besetzt."_s;
    QTest::newRow("long error text cut at 100") << de << 0 << 9999 << QString(100, u'E');
    QTest::newRow("error text of exactly 100 kept") << de << 0 << 9998 << QString(100, u'F');
}

void TestDialUp::connectionStatusText()
{
    QFETCH(int, language);
    QFETCH(int, state);
    QFETCH(int, error);

    fake.errorTexts.insert(9999, QString(150, u'E'));
    fake.errorTexts.insert(9998, QString(100, u'F'));
    TDialUp dialUp(nullptr, &fake);
    dialUp.setLanguage(TDialUp::TLanguage(language));
    QTEST(dialUp.ConnectionStatusText(state, error), "expected");
}

void TestDialUp::everyLanguageKnowsEveryState()
{
    TDialUp dialUp(nullptr, &fake);
    QList<int> states;
    for (int state = -1; state <= 0x2100; ++state) {
        if (!dialUp.ConnectionStatusText(state, 0).isEmpty())
            states << state;
    }
    QCOMPARE(states.size(), 28);
    for (const auto language : {TDialUp::English, TDialUp::Portuguese}) {
        dialUp.setLanguage(language);
        for (const int state : std::as_const(states))
            QVERIFY2(!dialUp.ConnectionStatusText(state, 0).isEmpty(), qPrintable(QString::number(state)));
        QVERIFY(dialUp.ConnectionStatusText(22, 0).isEmpty());
    }
}

void TestDialUp::statisticsBaselines_data()
{
    QTest::addColumn<quint32>("startXmit");
    QTest::addColumn<quint32>("startRecv");
    QTest::addColumn<QList<quint32>>("rawXmit");
    QTest::addColumn<QList<quint32>>("rawRecv");
    QTest::addColumn<QList<quint64>>("bytesXmit");
    QTest::addColumn<QList<quint64>>("bytesRecv");

    using L = QList<quint32>;
    using C = QList<quint64>;
    QTest::newRow("counts from the start values")
        << 1000u << 5000u << L{1100, 1500} << L{7000, 9000} << C{100, 500} << C{2000, 4000};
    QTest::newRow("sent counter restarted below baseline")
        << 1000u << 5000u << L{1200, 300, 450} << L{6000, 6500, 6600} << C{200, 0, 150} << C{1000, 0, 100};
    QTest::newRow("received counter below baseline resets both")
        << 1000u << 5000u << L{1200, 1300, 1400} << L{6000, 10, 40} << C{200, 0, 100} << C{1000, 0, 30};
    QTest::newRow("32-bit wrap counts on")
        << 0xFFFFFF00u << 0u << L{0xFFFFFFF0u, 0x10u, 0x30u} << L{1, 2, 3} << C{0xF0u, 0x110u, 0x130u} << C{1, 2, 3};
    QTest::newRow("past 4 GiB") << 0u << 0u << L{0x7FFFFFFFu, 0xFFFFFFFEu, 0x7FFFFFFDu} << L{0, 0, 0}
                                << C{0x7FFFFFFFull, 0xFFFFFFFEull, 0x17FFFFFFDull} << C{0, 0, 0};
    QTest::newRow("unchanged counters") << 42u << 42u << L{42, 42} << L{42, 42} << C{0, 0} << C{0, 0};
}

void TestDialUp::statisticsBaselines()
{
    QFETCH(quint32, startXmit);
    QFETCH(quint32, startRecv);
    QFETCH(QList<quint32>, rawXmit);
    QFETCH(QList<quint32>, rawRecv);
    QFETCH(QList<quint64>, bytesXmit);
    QFETCH(QList<quint64>, bytesRecv);

    fake.statistics = {startXmit, startRecv, 56000};
    TDialUp dialUp(nullptr, &fake);
    QVERIFY(dialUp.StartStatistics(true, false));
    QCOMPARE(dialUp.BaseBytesXmit, startXmit);
    QCOMPARE(dialUp.BaseBytesRecv, startRecv);
    QCOMPARE(dialUp.BytesXmit(), 0u);
    QCOMPARE(dialUp.BytesRecv(), 0u);

    for (qsizetype i = 0; i < rawXmit.size(); ++i) {
        fake.statistics.bytesXmit = rawXmit.at(i);
        fake.statistics.bytesRecv = rawRecv.at(i);
        QVERIFY(dialUp.ReadStatistics());
        QCOMPARE(dialUp.BytesXmit(), bytesXmit.at(i));
        QCOMPARE(dialUp.BytesRecv(), bytesRecv.at(i));
        QCOMPARE(dialUp.ConnectionSpeed(), 56000u);
    }

    dialUp.ResetStatistics();
    QCOMPARE(dialUp.BytesXmit(), 0u);
    QCOMPARE(dialUp.BytesRecv(), 0u);
    QCOMPARE(dialUp.BaseBytesXmit, rawXmit.last());
    QCOMPARE(dialUp.BaseBytesRecv, rawRecv.last());
}

void TestDialUp::startStatisticsFindsAdapter()
{
    fake.adapters = {u"Zweiter Adapter"_s, u"DFÜ-Adapter"_s, QString(40, u'A')};
    TDialUp dialUp(nullptr, &fake);
    QVERIFY(dialUp.StartStatistics(true, true));
    QCOMPARE(dialUp.DUNA(), (QStringList{QString(32, u'A'), u"DFÜ-Adapter"_s, u"Zweiter Adapter"_s}));
    QCOMPARE(dialUp.DUNA_Key(), QString(32, u'A'));
    QCOMPARE(fake.startStatisticsCalls, QList<bool>{true});

    // Without the search the key in use stays.
    fake.adapters.clear();
    QVERIFY(dialUp.StartStatistics(true, false));
    QCOMPARE(dialUp.DUNA_Key(), QString(32, u'A'));
}

void TestDialUp::startStatisticsFailures_data()
{
    QTest::addColumn<bool>("hasAdapter");
    QTest::addColumn<bool>("startWorks");
    QTest::addColumn<QList<bool>>("startCalls");

    QTest::newRow("no adapter found") << false << true << QList<bool>{};
    QTest::newRow("start refused") << true << false << QList<bool>{true};
}

void TestDialUp::startStatisticsFailures()
{
    QFETCH(bool, hasAdapter);
    QFETCH(bool, startWorks);

    if (!hasAdapter)
        fake.adapters.clear();
    fake.startStatisticsResult = startWorks;
    fake.statistics = {100, 200, 0};
    TDialUp dialUp(nullptr, &fake);
    dialUp.RawBytesXmit = 10;
    dialUp.BaseBytesXmit = 5;
    QVERIFY(!dialUp.StartStatistics(true, true));
    QTEST(fake.startStatisticsCalls, "startCalls");
    // Nothing was read or reset.
    QCOMPARE(dialUp.RawBytesXmit, 10u);
    QCOMPARE(dialUp.BaseBytesXmit, 5u);
    QVERIFY(!fake.calls.contains(u"readStatistics"_s));
}

void TestDialUp::stopStatisticsResetsWithoutReading()
{
    fake.statistics = {100, 200, 0};
    TDialUp dialUp(nullptr, &fake);
    QVERIFY(dialUp.ReadStatistics());
    QCOMPARE(dialUp.BytesXmit(), 100u);
    fake.calls.clear();
    fake.statistics = {300, 400, 0};

    QVERIFY(dialUp.StartStatistics(false, false));
    QCOMPARE(fake.startStatisticsCalls, QList<bool>{false});
    QVERIFY(!fake.calls.contains(u"readStatistics"_s));
    QCOMPARE(dialUp.BytesXmit(), 0u);
    QCOMPARE(dialUp.BaseBytesXmit, 100u);
    QCOMPARE(dialUp.BaseBytesRecv, 200u);
}

void TestDialUp::readStatisticsFailureKeepsValues()
{
    fake.statistics = {100, 200, 64000};
    TDialUp dialUp(nullptr, &fake);
    QVERIFY(dialUp.ReadStatistics());
    fake.statisticsAvailable = false;
    fake.statistics = {1, 1, 1};
    QVERIFY(!dialUp.ReadStatistics());
    QCOMPARE(dialUp.BytesXmit(), 100u);
    QCOMPARE(dialUp.BytesRecv(), 200u);
    QCOMPARE(dialUp.ConnectionSpeed(), 64000u);
}

QTEST_MAIN(TestDialUp)
#include "tst_dialup.moc"
