// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimPhoneBook.h"
#include "SimulatedLine.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

QString toolPath()
{
    return qEnvironmentVariable("RUFWERK_TEST_BIN") + QLatin1String("/rufwerk-line");
}

} // namespace

class TestRufwerkLine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedLine> m_line;
    QList<QProcess *> m_dialers;

    void prepare(QProcess *process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RUFWERK_LINE_DIR"), m_dir->path());
        process->setProcessEnvironment(env);
    }

    Result run(const QStringList &args)
    {
        QProcess p;
        prepare(&p);
        p.start(toolPath(), args);
        Result r;
        if (!p.waitForFinished(15000)) {
            p.kill();
            p.waitForFinished();
            r.err = QStringLiteral("timed out");
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QProcess *startDialer(const QString &name)
    {
        auto *p = new QProcess(this);
        m_dialers.append(p);
        prepare(p);
        p->start(toolPath(), {QStringLiteral("dial"), name});
        return p;
    }

    void add(const QStringList &args)
    {
        const Result r = run(QStringList{QStringLiteral("add")} + args);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    }

    RasHandle handleOf(const QString &name)
    {
        QList<RasConnection> list;
        m_line->enumConnections(&list);
        for (const RasConnection &c : std::as_const(list)) {
            if (c.entryName == name)
                return c.handle;
        }
        return 0;
    }

    int stateOf(RasHandle handle)
    {
        RasConnStatus status;
        return m_line->connectStatus(handle, &status) == RasError::Success ? status.state : -1;
    }

    quint32 received()
    {
        RasStatistics stats;
        m_line->readStatistics(&stats);
        return stats.bytesRecv;
    }

    QStringList records() const
    {
        return QDir(m_line->connectionsFolder()).entryList({QStringLiteral("*.conn")}, QDir::Files);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(toolPath()), qPrintable(QStringLiteral("rufwerk-line not found: ") + toolPath()));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_line = std::make_unique<SimulatedLine>(m_dir->path());
    }

    void cleanup()
    {
        for (QProcess *p : std::as_const(m_dialers)) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
        m_dialers.clear();
    }

    void dialInAnotherProcess()
    {
        add({QStringLiteral("Netzwerk Nord"), QStringLiteral("01929 1771"), QStringLiteral("SimConnectDelay=1")});
        QProcess *dialer = startDialer(QStringLiteral("Netzwerk Nord"));
        QTRY_VERIFY_WITH_TIMEOUT(handleOf(QStringLiteral("Netzwerk Nord")) != 0, 10000);
        const RasHandle handle = handleOf(QStringLiteral("Netzwerk Nord"));
        QList<RasConnection> list;
        m_line->enumConnections(&list);
        QCOMPARE(list.at(0).deviceType, QStringLiteral("modem"));
        QCOMPARE(list.at(0).deviceName, QStringLiteral("Simuliertes Modem 56k"));

        QTRY_COMPARE_WITH_TIMEOUT(stateOf(handle), RasState::Connected, 10000);
        RasIpProjection ip;
        QCOMPARE(m_line->projectionInfo(handle, &ip), RasError::Success);
        QVERIFY(ip.clientAddress.startsWith(QLatin1String("10.64.")));
        const quint32 first = received();
        QTRY_VERIFY_WITH_TIMEOUT(received() > first, 5000);

        const Result table = run({QStringLiteral("connections")});
        QCOMPARE(table.exitCode, 0);
        QVERIFY(table.out.contains(QLatin1String("Netzwerk Nord")));
        QVERIFY(table.out.contains(ip.clientAddress));

        // The dialer polls on its own clock; it reports the connection before it is ended.
        QTRY_VERIFY_WITH_TIMEOUT(QString::fromUtf8(dialer->peek(4096)).contains(QStringLiteral("Verbunden über")), 10000);
        const Result hangup = run({QStringLiteral("hangup"), QStringLiteral("netzwerk nord")});
        QCOMPARE(hangup.exitCode, 0);
        QVERIFY(dialer->waitForFinished(10000));
        QCOMPARE(dialer->exitCode(), 0);
        const QString out = QString::fromUtf8(dialer->readAllStandardOutput());
        QVERIFY2(out.contains(QLatin1String("aufgelegt")), qPrintable(out));
        QCOMPARE(handleOf(QStringLiteral("Netzwerk Nord")), RasHandle(0));
        QVERIFY(records().isEmpty());
    }

    void killedDialerIsCleanedUp()
    {
        add({QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("SimConnectDelay=0")});
        QProcess *dialer = startDialer(QStringLiteral("A"));
        QTRY_VERIFY_WITH_TIMEOUT(handleOf(QStringLiteral("A")) != 0, 10000);
        dialer->kill();
        QVERIFY(dialer->waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(handleOf(QStringLiteral("A")), RasHandle(0), 5000);
        QVERIFY(records().isEmpty());
    }

    void terminatedDialerHangsUp()
    {
        add({QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("SimConnectDelay=0")});
        QProcess *dialer = startDialer(QStringLiteral("A"));
        QTRY_VERIFY_WITH_TIMEOUT(QString::fromUtf8(dialer->peek(4096)).contains(QLatin1String("Verbunden")), 10000);
        dialer->terminate();
        QVERIFY(dialer->waitForFinished(5000));
        QCOMPARE(dialer->exitStatus(), QProcess::NormalExit);
        QCOMPARE(dialer->exitCode(), 0);
        QVERIFY(QString::fromUtf8(dialer->readAllStandardOutput()).contains(QLatin1String("Aufgelegt.")));
        QVERIFY(records().isEmpty()); // hung up by itself, not left for others to clean
    }

    void detachedDialOutlivesTheTool()
    {
        add({QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("SimConnectDelay=0")});
        const Result r = run({QStringLiteral("dial"), QStringLiteral("--detach"), QStringLiteral("A")});
        QCOMPARE(r.exitCode, 0);
        // A labelled line, not a bare number.
        const RasHandle handle = handleOf(QStringLiteral("A"));
        QVERIFY(handle != 0);
        QCOMPARE(r.out, QStringLiteral("Gewählt: „A“ (Handle %1); die Verbindung bleibt, bis „rufwerk-line hangup“ sie "
                                       "auflegt.\n")
                            .arg(handle));
        QCOMPARE(stateOf(handle), RasState::Connected);
        QCOMPARE(run({QStringLiteral("hangup"), QStringLiteral("A")}).exitCode, 0);
        QCOMPARE(stateOf(handle), -1);
    }

    void scenarioEndsTheDial_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("busy") << QStringLiteral("SimBusy=1") << 1 << QStringLiteral("(Fehler 676)");
        QTest::newRow("no answer") << QStringLiteral("SimNoAnswer=1") << 1 << QStringLiteral("(Fehler 678)");
        QTest::newRow("remote hang-up") << QStringLiteral("SimHangUpAfter=1") << 0 << QStringLiteral("(Fehler 629)");
    }

    void scenarioEndsTheDial()
    {
        QFETCH(QString, scenario);
        add({QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("SimConnectDelay=0"), scenario});
        const Result r = run({QStringLiteral("dial"), QStringLiteral("A")});
        QTEST(r.exitCode, "exitCode");
        QFETCH(QString, error);
        QVERIFY2(r.out.contains(error), qPrintable(r.out));
        QVERIFY(records().isEmpty());
    }

    void editingEntries()
    {
        add({QStringLiteral("Callnet Flat"), QStringLiteral("01931 0815"), QStringLiteral("DEVICE=isdn"),
             QStringLiteral("User=flat"), QStringLiteral("Password=geheim"), QStringLiteral("SimRateUp=900")});
        RasEntry e;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("Callnet Flat"), &e), RasError::Success);
        QCOMPARE(e.localPhoneNumber, QStringLiteral("01931 0815"));
        QCOMPARE(e.deviceType, QStringLiteral("isdn"));
        QCOMPARE(e.deviceName, QStringLiteral("Simulierter ISDN-Adapter"));
        QCOMPARE(e.passThrough.value(QStringLiteral("SimRateUp")), QStringLiteral("900"));
        RasDialParams params;
        bool stored = false;
        QCOMPARE(m_line->getEntryDialParams(QStringLiteral("Callnet Flat"), &params, &stored), RasError::Success);
        QVERIFY(stored);
        QCOMPARE(params.password, QStringLiteral("geheim"));

        Result r = run({QStringLiteral("show"), QStringLiteral("callnet flat")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QLatin1String("SimRateUp=900")));
        QVERIFY(r.out.contains(QLatin1String("Password=********")));

        r = run({QStringLiteral("scenario"), QStringLiteral("Callnet Flat"), QStringLiteral("SimRateUp="),
                 QStringLiteral("SimBusy=1")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("Callnet Flat"), &e), RasError::Success);
        QVERIFY(!e.passThrough.contains(QStringLiteral("SimRateUp")));
        QCOMPARE(e.passThrough.value(QStringLiteral("SimBusy")), QStringLiteral("1"));

        r = run({QStringLiteral("entries")});
        QCOMPARE(r.out, QStringLiteral("Callnet Flat\n"));
        QCOMPARE(run({QStringLiteral("remove"), QStringLiteral("Callnet Flat")}).exitCode, 0);
        QCOMPARE(run({QStringLiteral("entries")}).out, QString());
    }

    void badInvocations_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        auto row = [](const char *name, const QStringList &args, int code, const char *message) {
            QTest::newRow(name) << args << code << QString::fromUtf8(message);
        };
        const QString add = QStringLiteral("add");
        const QString x = QStringLiteral("Neu");
        const QString one = QStringLiteral("1");
        row("no arguments", {}, 2, "Aufruf");
        row("unknown command", {QStringLiteral("wählen")}, 2, "Unbekannter Befehl „wählen“");
        row("show without a name", {QStringLiteral("show")}, 2, "Aufruf: rufwerk-line show NAME");
        row("show unknown entry", {QStringLiteral("show"), x}, 1, "„Neu“ gibt es im Telefonbuch nicht");
        row("number that is letters", {add, x, one, QStringLiteral("SimRateUp=abc")}, 1,
            "Ungültiger Wert „abc“ für SimRateUp");
        row("flag other than 0/1", {add, x, one, QStringLiteral("SimBusy=ja")}, 1, "SimBusy");
        row("address with three parts", {add, x, one, QStringLiteral("SimLocalIP=10.0.1")}, 1, "SimLocalIP");
        row("unknown key", {add, x, one, QStringLiteral("SimBusyy=1")}, 1, "Unbekannter Schlüssel „SimBusyy“");
        row("argument without '='", {add, x, one, QStringLiteral("SimBusy")}, 2, "SCHLÜSSEL=WERT");
        row("add without number", {add, x}, 2, "Aufruf");
        row("add existing entry", {add, QStringLiteral("vorhanden"), one}, 1, "gibt es schon");
        row("add invalid name", {add, QStringLiteral("a[b]"), one}, 1, "nicht erlaubt");
        row("add name with a TAB", {add, QStringLiteral("Netz\tNord"), one}, 1,
            "darf keine Steuerzeichen wie Tabulator");
        row("scenario with an entry key", {QStringLiteral("scenario"), QStringLiteral("Vorhanden"),
                                           QStringLiteral("PhoneNumber=2")}, 1, "kein Szenario-Schlüssel");
        row("scenario with a bad value", {QStringLiteral("scenario"), QStringLiteral("Vorhanden"),
                                          QStringLiteral("SimConnectDelay=-1")}, 1, "SimConnectDelay");
        row("scenario of an unknown entry", {QStringLiteral("scenario"), x, QStringLiteral("SimBusy=1")}, 1,
            "gibt es im Telefonbuch nicht");
        row("remove unknown entry", {QStringLiteral("remove"), x}, 1, "gibt es im Telefonbuch nicht");
        row("dial unknown entry", {QStringLiteral("dial"), x}, 1, "gibt es im Telefonbuch nicht");
        row("dial with unknown option", {QStringLiteral("dial"), QStringLiteral("Vorhanden"), QStringLiteral("--fast")},
            2, "Unbekannte Option „--fast“");
        row("hangup unknown entry", {QStringLiteral("hangup"), x}, 1, "gibt es im Telefonbuch nicht");
    }

    void badInvocations()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        add({QStringLiteral("Vorhanden"), QStringLiteral("1")});
        const QByteArray before = readAll(m_line->phoneBookPath());
        const Result r = run(args);
        QTEST(r.exitCode, "exitCode");
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(readAll(m_line->phoneBookPath()), before);
        QVERIFY(records().isEmpty());
    }

    void lockedBook()
    {
        add({QStringLiteral("A"), QStringLiteral("1")});
        QLockFile lock(m_line->phoneBook().lockPath());
        QVERIFY(lock.tryLock(0));
        const Result r = run({QStringLiteral("add"), QStringLiteral("B"), QStringLiteral("2")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QLatin1String("gesperrt")), qPrintable(r.err));
        QCOMPARE(run({QStringLiteral("entries")}).out, QStringLiteral("A\n"));
    }

    void damagedBook()
    {
        const QByteArray junk("\x7F" "ELF\x02\x01\x01\0\0\0", 10);
        QFile f(m_line->phoneBookPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(junk);
        f.close();
        Result r = run({QStringLiteral("entries")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("beschädigt")), qPrintable(r.err));
        r = run({QStringLiteral("dial"), QStringLiteral("A")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("beschädigt")), qPrintable(r.err));

        r = run({QStringLiteral("add"), QStringLiteral("A"), QStringLiteral("1")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QLatin1String("gesichert")));
        QCOMPARE(readAll(m_line->phoneBookPath() + QLatin1String(".bak")), junk);
        QCOMPARE(run({QStringLiteral("entries")}).out, QStringLiteral("A\n"));
    }

    void demoBook()
    {
        Result r = run({QStringLiteral("demo")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.out.contains(QLatin1String("gesichert"))); // there was nothing to keep
        QStringList names;
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QVERIFY(names.size() >= 4);
        bool premium = false;
        bool busy = false;
        bool isdn = false;
        for (const QString &name : std::as_const(names)) {
            RasEntry e;
            QCOMPARE(m_line->getEntryProperties(name, &e), RasError::Success);
            premium = premium || e.localPhoneNumber.startsWith(QLatin1String("0190"));
            busy = busy || e.passThrough.value(QStringLiteral("SimBusy")) == QLatin1String("1");
            isdn = isdn || e.deviceType == QLatin1String("isdn");
        }
        QVERIFY(premium);
        QVERIFY(busy);
        QVERIFY(isdn);

        const QByteArray first = readAll(m_line->phoneBookPath());
        r = run({QStringLiteral("demo")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QLatin1String("gesichert")));
        QCOMPARE(readAll(m_line->phoneBookPath() + QLatin1String(".bak")), first);
        QCOMPARE(run({QStringLiteral("demo")}).exitCode, 0);
        QVERIFY(QFile::exists(m_line->phoneBookPath() + QLatin1String(".bak.2")));
    }

    void help()
    {
        const Result r = run({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QLatin1String("SimConnectDelay")));
        QVERIFY(r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRufwerkLine)
#include "tst_rufwerkline.moc"
