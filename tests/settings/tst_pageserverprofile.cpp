// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialUp.h"
#include "EchoService.h"
#include "EngineHost.h"
#include "Folders.h"
#include "FormHelp.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "PageServerProfile.h"
#include "RadioGroup.h"
#include "SettingsStore.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TServerProfile)

namespace {

const QString Password = u"x9Q"_s;
const QString Server = u"10.64.0.1"_s;

/// Answers each echo with the next scripted result and keeps the requests.
class ScriptedEcho : public EchoService {
public:
    ScriptedEcho(QList<EchoResult> *script, QList<EchoRequest> *requests, std::function<void()> *onEcho)
        : m_script(script)
        , m_requests(requests)
        , m_onEcho(onEcho)
    {
    }
    QString methodName() const override { return u"Skript"_s; }

protected:
    EchoResult sendChecked(const EchoRequest &request) override
    {
        m_requests->append(request);
        if (*m_onEcho)
            (*m_onEcho)();
        EchoResult result;
        result.status = IpStatus::RequestTimedOut;
        if (!m_script->isEmpty())
            result = m_script->takeFirst();
        if (result.status == IpStatus::Success)
            result.replyAddress = request.address;
        return result;
    }

private:
    QList<EchoResult> *m_script;
    QList<EchoRequest> *m_requests;
    std::function<void()> *m_onEcho;
};

/// A reply after ms milliseconds; a negative value is an echo lost.
EchoResult echo(int ms)
{
    EchoResult result;
    result.status = ms < 0 ? IpStatus::RequestTimedOut : IpStatus::Success;
    result.roundTripMs = quint32(std::max(ms, 0));
    return result;
}

QList<EchoResult> echoes(const QList<int> &times)
{
    QList<EchoResult> results;
    for (int ms : times)
        results << echo(ms);
    return results;
}

/// The log lines of one answered echo numbered number.
QStringList answered(int number, int ms, int size = 64, int ttl = 128)
{
    return { u"Hostaufruf"_s, u"Sende %1 Bytes an %2"_s.arg(size).arg(Server),
        u"Paket %1, Laufzeit: %2 msec"_s.arg(number).arg(ms), u"TTL (TimeToLife): %1"_s.arg(ttl), u"Fehler: No error"_s,
        u"Adresse ist: "_s + Server };
}

QStringList lost(const QString &status = u"Request timed out"_s)
{
    return { u"Hostaufruf"_s, u"Sende 64 Bytes an "_s + Server,
        u"Test fehlgeschlagen für Host (%1) : %2"_s.arg(Server, status), u"Adresse ist: "_s + Server };
}

} // namespace

// Page 4 of the settings dialog with the real connection module on the
// simulated line; the echoes come from a script.
class TestPageServerProfile : public QObject {
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
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home.filePath(u"registry.reg"_s)));
        SettingsStore::instance().writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, u"1,5"_s);
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
        setEchoServiceFactory([this](QString *reason) -> std::unique_ptr<EchoService> {
            if (m_noEcho) {
                *reason = u"Das System erlaubt diesem Benutzer keine Echo-Anfragen."_s;
                return nullptr;
            }
            return std::make_unique<ScriptedEcho>(&m_script, &m_requests, &m_onEcho);
        });
        TFormHelp::execHook = [this](TFormHelp *form) {
            m_evaluation = form->richEdit()->toPlainText().split(u'\n');
            return int(QDialog::Accepted);
        };
        QFile book(m_line.filePath(u"rasphone.pbk"_s));
        QVERIFY(book.open(QIODevice::WriteOnly));
        book.write("[Netzwerk Nord]\r\n"
                   "PhoneNumber=0301234\r\n"
                   "DEVICE=modem\r\n"
                   "Device=Simuliertes Modem 56k\r\n"
                   "Port=COM2\r\n"
                   "User=nord\r\n"
                   "Password=x9Q\r\n"
                   "PasswordStored=1\r\n"
                   "Domain=NORDNETZ\r\n"
                   "SimConnectDelay=0\r\n"
                   "SimSpeed=56000\r\n"
                   "SimLocalIP=10.64.0.2\r\n"
                   "SimRemoteIP=10.64.0.1\r\n"
                   "\r\n"
                   "[Ohne Adresse]\r\n"
                   "PhoneNumber=0309876\r\n"
                   "SimConnectDelay=0\r\n"
                   "SimRemoteIP=0.0.0.0\r\n"
                   "\r\n"
                   "[Besetzt]\r\n"
                   "PhoneNumber=0309999\r\n"
                   "SimConnectDelay=0\r\n"
                   "SimBusy=1\r\n");
    }

    void init()
    {
        m_script.clear();
        m_requests.clear();
        m_messages.clear();
        m_evaluation.clear();
        m_noEcho = false;
        m_onEcho = nullptr;
    }

    void cleanup()
    {
        if (m_host && m_host->engine->ConnectionState == Online) {
            m_host->engine->ActionDisconnect->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(m_host->engine->ConnectionState, int(Offline), 5000);
        }
        m_dialog.reset();
        m_host.reset();
    }

    void cleanupTestCase()
    {
        MessageDialog::SetHook(nullptr);
        setEchoServiceFactory({});
        TFormHelp::execHook = nullptr;
    }

    // --- the profile ----------------------------------------------------------

    void profileLines_data()
    {
        QTest::addColumn<TServerProfile>("profile");
        QTest::addColumn<QStringList>("lines");
        TServerProfile full;
        full.User = u"nord"_s;
        full.Password = u"abc"_s;
        full.Domain = u"NORDNETZ"_s;
        full.Provider = u"Netzwerk Nord"_s;
        full.LocalIP = u"10.64.0.2"_s;
        full.RemoteIP = Server;
        full.DeviceType = u"modem"_s;
        full.DeviceName = u"Modem 56k"_s;
        full.ConnectionSpeed = 56999;
        full.DevicePort = u"COM2"_s;
        full.PhoneNumber = u"030 1234"_s;
        full.DisplayNumber = u"+49 (030) 1234"_s;
        full.ConnectTime = u"3 sec."_s;
        full.Tariff = u"1,5"_s;
        full.ConnectionNumber = u"4096"_s;
        QTest::newRow("every value set, in order")
            << full
            << QStringList { u"Nutzer Name;nord"_s, u"Passwort;***"_s, u"Domain;NORDNETZ"_s,
                   u"Service Provider;Netzwerk Nord"_s, u"Client IP-Adresse;10.64.0.2"_s,
                   u"Server IP-Adresse;10.64.0.1"_s, u"Gerätetyp;modem"_s, u"Gerätename;Modem 56k"_s,
                   u"Geräteleistung;56 kBit/s"_s, u"Geräteport;COM2"_s, u"Telefon Nummer;030 1234"_s,
                   u"Formatierte Telefon Nummer;+49 (030) 1234"_s, u"Zeit bis zur Verbindung;3 sec."_s,
                   u"Gebühren €-Cent/Min;1,5"_s, u"Verbvindungs Nummer;4096"_s };
        // Lines without "(if set)" stay, empty or not.
        QTest::newRow("nothing known") << TServerProfile()
                                       << QStringList { u"Nutzer Name;"_s, u"Passwort;"_s, u"Geräteleistung;0 kBit/s"_s,
                                              u"Zeit bis zur Verbindung;"_s, u"Gebühren €-Cent/Min;0,000"_s,
                                              u"Verbvindungs Nummer;0"_s };
        TServerProfile some;
        some.Password = u"ä;\t😀"_s;
        some.RemoteIP = Server;
        some.DevicePort = u"COM1"_s;
        QTest::newRow("password of any characters, some values set")
            << some
            << QStringList { u"Nutzer Name;"_s, u"Passwort;****"_s, u"Server IP-Adresse;10.64.0.1"_s,
                   u"Geräteleistung;0 kBit/s"_s, u"Geräteport;COM1"_s, u"Zeit bis zur Verbindung;"_s,
                   u"Gebühren €-Cent/Min;0,000"_s, u"Verbvindungs Nummer;0"_s };
    }

    void profileLines()
    {
        QFETCH(TServerProfile, profile);
        QTEST(ServerProfileLines(profile), "lines");
    }

    void fetchShowsProfileAndSecondPressHangsUp()
    {
        open();
        QCOMPARE(combo()->currentText(), u"Netzwerk Nord"_s);
        QCOMPARE(combo()->count(), 3);
        fetch(u"Netzwerk Nord"_s);
        QCOMPARE(engine()->ConnectionState, int(Online));
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
        QCOMPARE(button("BtnProfil")->text(), u"&Abruf beenden"_s);
        QVERIFY(button("BtnProfil")->isEnabled());
        QVERIFY(button("BtnTransTest")->isEnabled());
        QVERIFY(button("BtnPrint")->isEnabled());
        QVERIFY(!button("BtnCancelTest")->isEnabled());
        QCOMPARE(label("LblServerAddr")->text(), Server);

        const QStringList expected { u"Nutzer Name;nord"_s, u"Passwort;***"_s, u"Domain;NORDNETZ"_s,
            u"Service Provider;Netzwerk Nord"_s, u"Client IP-Adresse;10.64.0.2"_s, u"Server IP-Adresse;10.64.0.1"_s,
            u"Gerätetyp;modem"_s, u"Gerätename;Simuliertes Modem 56k"_s, u"Geräteleistung;56 kBit/s"_s,
            u"Geräteport;COM2"_s, u"Telefon Nummer;0301234"_s, u"Formatierte Telefon Nummer;0301234"_s,
            u"Zeit bis zur Verbindung;"_s + m_host->get<QLabel>("LabelTime")->text(), u"Gebühren €-Cent/Min;1,5"_s,
            u"Verbvindungs Nummer;"_s + QString::number(engine()->RWDialUp->LastHandle) };
        QCOMPARE(profileRows(), expected);
        QVERIFY(engine()->RWDialUp->LastHandle != 0);

        // The connection's own log: its dial steps, each once, never the password.
        const QStringList log = serverLog();
        QVERIFY2(log.size() >= 2, qPrintable(log.join(u'\n')));
        QVERIFY2(log.first().endsWith(u"  Wähle Netzwerk Nord"_s), qPrintable(log.first()));
        QVERIFY2(log.last().endsWith(u"  Verbunden"_s), qPrintable(log.last()));
        QCOMPARE(QStringList(log).removeDuplicates(), 0);
        QVERIFY(!log.join(u'\n').contains(Password));

        button("BtnProfil")->click();
        QCOMPARE(button("BtnProfil")->text(), u"&Profil abrufen"_s);
        QTRY_COMPARE_WITH_TIMEOUT(engine()->ConnectionState, int(Offline), 5000);
        QVERIFY(serverLog().last().endsWith(u"  Verbindung beendet"_s));
        // The profile stays on the page after the hang-up.
        QCOMPARE(profileRows(), expected);
    }

    void fetchWithoutSuccess_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("busy line") << u"Besetzt"_s << QStringList { u"Teilnehmer ist besetzt!\rWahl wiederholen?"_s };
        QTest::newRow("no server address")
            << u"Ohne Adresse"_s
            << QStringList { u"Keine Server-Adresse gefunden!\rWert für \"TimeOut\" vergrössern."_s };
    }

    void fetchWithoutSuccess()
    {
        QFETCH(QString, connection);
        open();
        fetch(connection);
        QTRY_VERIFY_WITH_TIMEOUT(!m_messages.isEmpty(), 5000);
        QTEST(m_messages, "messages");
        QTRY_VERIFY_WITH_TIMEOUT(engine()->ConnectionState != Online, 5000);
        QCOMPARE(button("BtnProfil")->text(), u"&Profil abrufen"_s);
        QVERIFY(button("BtnProfil")->isEnabled());
        QVERIFY(!button("BtnTransTest")->isEnabled());
        QVERIFY(!button("BtnPrint")->isEnabled());
        QCOMPARE(label("LblServerAddr")->text(), u"000.000.000.000"_s);
        QVERIFY(profileRows().isEmpty());
        // The test button does nothing without an address.
        button("BtnTransTest")->click();
        QVERIFY(memo()->toPlainText().isEmpty());
    }

    void pressWhileOnlineOnlyHangsUp()
    {
        open();
        auto *list = m_host->get<QComboBox>("ComboBoxRAS");
        list->setCurrentIndex(list->findText(u"Netzwerk Nord"_s));
        engine()->SelectConnection();
        engine()->ActionConnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(engine()->ConnectionState, int(Online), 5000);
        const QStringList log = serverLog();
        QList<int> states;
        QObject listener;
        connect(engine(), &TRASWorkUnit::connectionStateChanged, &listener, [&states](int s) { states << s; });
        button("BtnProfil")->click();
        QTRY_COMPARE_WITH_TIMEOUT(engine()->ConnectionState, int(Offline), 5000);
        QVERIFY(!states.contains(int(Dialing)));
        QVERIFY(profileRows().isEmpty());
        QCOMPARE(button("BtnProfil")->text(), u"&Profil abrufen"_s);
        QCOMPARE(serverLog().mid(0, log.size()), log);
    }

    // --- the transfer test ----------------------------------------------------

    void transferTest_data()
    {
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("result");
        const QString start = u"Test mit Host '10.64.0.1'"_s;
        QTest::newRow("four answers")
            << QList<int> { 100, 120, 80, 101 }
            << (QStringList { start } + answered(1, 100) + answered(2, 120) + answered(3, 80) + answered(4, 101)
                   << u"Mittlere Paketlaufzeit: 100 msec pro Paket"_s)
            << u"100"_s;
        // A lost echo counts as 0 ms in the average over four.
        QTest::newRow("one of four lost")
            << QList<int> { 100, -1, 100, 100 }
            << (QStringList { start } + answered(1, 100) + lost() + answered(3, 100) + answered(4, 100)
                   << u"Mittlere Paketlaufzeit: 75 msec pro Paket"_s)
            << u"75"_s;
        QTest::newRow("none answers") << QList<int> { -1, -1, -1, -1 }
                                      << (QStringList { start } + lost() + lost() + lost() + lost()
                                             << u"Mittlere Paketlaufzeit: 0 msec pro Paket"_s)
                                      << u"0"_s;
    }

    void transferTest()
    {
        QFETCH(QList<int>, times);
        open();
        fetch(u"Netzwerk Nord"_s);
        m_script = echoes(times);
        runTest();
        QTEST(memoLines(), "log");
        QTEST(label("LblTestReseult")->text(), "result");
        QCOMPARE(m_requests.size(), 4);
        for (const EchoRequest &request : std::as_const(m_requests)) {
            QCOMPARE(request.address, 0x0A400001u);
            QCOMPARE(request.data.size(), 64);
            QCOMPARE(request.ttl, 128);
            QCOMPARE(request.timeoutMs, 4000);
        }
        QVERIFY(!memo()->toPlainText().contains(Password));
    }

    void twoTestsInARow()
    {
        open();
        fetch(u"Netzwerk Nord"_s);
        m_script = echoes({ 10, 10, 10, 10 });
        runTest();
        // The second test with other settings: 96 bytes, TTL 28.
        auto *size = child<QSpinBox>("SEPackSize");
        size->stepUp();
        QCOMPARE(size->value(), 96);
        child<TRadioGroup>("RGTTL")->Button(0)->click();
        m_script = echoes({ 30, 30, 30, 30 });
        runTest();
        const QStringList log = memoLines();
        QCOMPARE(log.first(), u"Test mit Host '10.64.0.1'"_s);
        QCOMPARE(log.filter(u"Paket "_s),
            (QStringList { u"Paket 1, Laufzeit: 30 msec"_s, u"Paket 2, Laufzeit: 30 msec"_s,
                u"Paket 3, Laufzeit: 30 msec"_s, u"Paket 4, Laufzeit: 30 msec"_s }));
        QCOMPARE(log.filter(u"TTL"_s), QStringList(4, u"TTL (TimeToLife): 28"_s));
        QCOMPARE(log.filter(u"Sende"_s), QStringList(4, u"Sende 96 Bytes an 10.64.0.1"_s));
        QCOMPARE(log.last(), u"Mittlere Paketlaufzeit: 30 msec pro Paket"_s);
        QCOMPARE(label("LblTestReseult")->text(), u"30"_s);
        QCOMPARE(m_requests.size(), 8);
        QCOMPARE(m_requests.last().data.size(), 96);
        QCOMPARE(m_requests.last().ttl, 28);
    }

    void cancelEndsTheTest()
    {
        open();
        fetch(u"Netzwerk Nord"_s);
        m_script = echoes({ 100, 100, 100, 100 });
        // The user presses "&Abbruch" while the first echo is out.
        m_onEcho
            = [this] { QMetaObject::invokeMethod(button("BtnCancelTest"), &QPushButton::click, Qt::QueuedConnection); };
        button("BtnTransTest")->click();
        QVERIFY(!button("BtnTransTest")->isEnabled());
        QVERIFY(!button("BtnProfil")->isEnabled());
        QVERIFY(button("BtnCancelTest")->isEnabled());
        QTRY_VERIFY(button("BtnTransTest")->isEnabled());
        QVERIFY(!button("BtnCancelTest")->isEnabled());
        QVERIFY(button("BtnProfil")->isEnabled());
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(memoLines().mid(7),
            (QStringList { u"Test abgebrochen"_s, u"Mittlere Paketlaufzeit: 100 msec pro Paket"_s }));
    }

    void echoNotAllowedStillOpensTheDialog()
    {
        m_noEcho = true;
        open();
        QCOMPARE(child<QTabWidget>("PageControl")->count(), 5);
        fetch(u"Netzwerk Nord"_s);
        button("BtnTransTest")->click();
        QCOMPARE(memoLines(),
            (QStringList { u"Test mit Host '10.64.0.1'"_s,
                u"Echo-Anfragen sind hier nicht möglich: Das System erlaubt diesem Benutzer keine Echo-Anfragen."_s }));
        QVERIFY(button("BtnTransTest")->isEnabled());
        QCOMPARE(label("LblTestReseult")->text(), u"0"_s);
    }

    // --- the evaluation -------------------------------------------------------

    void evaluation()
    {
        open();
        fetch(u"Netzwerk Nord"_s);
        m_script = echoes({ 100, -1, 100, 100 });
        runTest();
        button("BtnPrint")->click();
        const QString blank = u" "_s;
        QStringList expected { u"DFÜ-Verbindungsprotokoll für DFÜ-Verbindung: Netzwerk Nord"_s, blank };
        expected << serverLog() << blank << blank << u"Server-Profil:"_s << blank;
        for (const QString &row : profileRows())
            expected << row.section(u';', 0, 0) + u":\t"_s + row.section(u';', 1);
        expected << blank << blank << u"Übertragungsprotokoll:"_s << blank << memoLines();
        QCOMPARE(m_evaluation, expected);
        QVERIFY(m_evaluation.contains(u"Passwort:\t***"_s));
        QVERIFY(m_evaluation.contains(u"Nutzer Name:\tnord"_s));
        QVERIFY(!m_evaluation.join(u'\n').contains(Password));
    }

private:
    TRASWorkUnit *engine() const { return m_host->engine; }

    void open()
    {
        m_host = std::make_unique<EngineHost>();
        m_host->engine = new TRASWorkUnit(m_host.get());
        QVERIFY2(m_host->engine->ModuleIndex >= 0, "connection module not loaded");
        TProgStartHost host;
        host.SelectConnection = [this](const QString &name) {
            auto *list = m_host->get<QComboBox>("ComboBoxRAS");
            const int index = list->findText(name, Qt::MatchFixedString);
            if (index < 0)
                return false;
            list->setCurrentIndex(index);
            engine()->SelectConnection();
            engine()->ApplyCurrentConnection();
            return true;
        };
        host.EntriesChanged = [this] {
            engine()->ReloadConnectionModule();
            engine()->SelectConnection();
        };
        m_dialog = std::make_unique<TFormProgStart>(engine(), host);
        m_dialog->show();
        m_dialog->ShowPage(TFormProgStart::PageServerProfile);
    }

    void fetch(const QString &connection)
    {
        combo()->setCurrentIndex(combo()->findText(connection));
        QVERIFY(combo()->currentIndex() >= 0);
        button("BtnProfil")->click(); // returns once the dial has ended
    }

    void runTest()
    {
        button("BtnTransTest")->click();
        QVERIFY(!button("BtnTransTest")->isEnabled());
        QTRY_VERIFY(button("BtnTransTest")->isEnabled());
        QVERIFY(!button("BtnCancelTest")->isEnabled());
    }

    template <typename T> T *child(const char *name) const
    {
        T *found = m_dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QLabel *label(const char *name) const { return child<QLabel>(name); }
    QComboBox *combo() const { return child<QComboBox>("CBServer"); }
    QPlainTextEdit *memo() const { return child<QPlainTextEdit>("DisplayMemo"); }
    QStringList memoLines() const { return memo()->toPlainText().split(u'\n'); }
    QStringList serverLog() const { return m_host->lists->Lines(u"ServerLog"_s); }

    QStringList profileRows() const
    {
        const auto *list = child<QTreeWidget>("LBServProfil");
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0) + u';' + list->topLevelItem(i)->text(1);
        return rows;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_line;
    std::unique_ptr<EngineHost> m_host;
    std::unique_ptr<TFormProgStart> m_dialog;
    QList<EchoResult> m_script;
    QList<EchoRequest> m_requests;
    QStringList m_messages;
    QStringList m_evaluation;
    std::function<void()> m_onEcho;
    bool m_noEcho = false;
};

QTEST_MAIN(TestPageServerProfile)
#include "tst_pageserverprofile.moc"
