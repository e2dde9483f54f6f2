// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// rufwerk-line: the simulated dial-up line from a shell. Exit codes: 0 done,
// 1 failed, 2 wrong call.

#include "SimConnection.h"
#include "SimPhoneBook.h"
#include "SimulatedLine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

void print(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

int fail(const QString &message, int code = exitFailed)
{
    std::fputs((QLatin1String("rufwerk-line: ") + message + u'\n').toUtf8().constData(), stderr);
    std::fflush(stderr);
    return code;
}

QString usage()
{
    return QStringLiteral(
        "Aufruf: rufwerk-line BEFEHL [ARGUMENTE]\n"
        "\n"
        "Die simulierte DFÜ-Leitung (Ordner: $RUFWERK_LINE_DIR oder der Benutzer-Datenordner).\n"
        "\n"
        "Befehle:\n"
        "  entries                          Namen aller Einträge des Telefonbuchs\n"
        "  show NAME                        alle Schlüssel eines Eintrags\n"
        "  add NAME NUMMER [SCHLÜSSEL=WERT…]  neuen Eintrag anlegen\n"
        "  remove NAME                      Eintrag löschen\n"
        "  scenario NAME SCHLÜSSEL=WERT…    Szenario eines Eintrags ändern (leerer Wert: Vorgabe)\n"
        "  dial NAME [--detach] [--password=TEXT]\n"
        "                                   wählen; ohne --detach läuft der Aufruf, bis die\n"
        "                                   Verbindung endet oder mit Strg+C aufgelegt wird\n"
        "  hangup NAME                      alle Verbindungen des Eintrags auflegen\n"
        "  connections                      Verbindungen mit Zustand, Zeit und Datenmenge\n"
        "  demo                             Demo-Telefonbuch schreiben (ein altes wird gesichert)\n"
        "  --help                           diese Hilfe\n"
        "\n"
        "Schlüssel (wie im Windows-Telefonbuch): PhoneNumber, AreaCode, CountryCode, CountryID,\n"
        "UseCountryAndAreaCodes, DEVICE (Gerätetyp: modem, isdn), Device (Gerätename), Port, IpAddress,\n"
        "IpDnsAddress, IpDns2Address, IpWinsAddress, IpWins2Address, IpAssign und IpNameAssign\n"
        "(2: festgelegt), IpFrameSize, ExcludedProtocols, BaseProtocol (1 PPP, 2 SLIP, 3 RAS), Script,\n"
        "User, Password, die übrigen Optionsbits und die Szenario-Schlüssel:\n"
        "  SimConnectDelay  Sekunden bis zur Verbindung (Vorgabe 2)\n"
        "  SimBusy          1: besetzt (Fehler 676)\n"
        "  SimNoAnswer      1: keine Antwort (Fehler 678)\n"
        "  SimCheckPassword 1: falsches Kennwort ergibt Fehler 691\n"
        "  SimRateUp        Bytes/s gesendet (Vorgabe 300)\n"
        "  SimRateDown      Bytes/s empfangen (Vorgabe 4000)\n"
        "  SimActive        Sekunden mit Datenverkehr, dann\n"
        "  SimIdle          Sekunden ohne (0: immer Verkehr)\n"
        "  SimHangUpAfter   Sekunden bis die Gegenstelle auflegt (0: nie; Fehler 629)\n"
        "  SimSpeed         Verbindungsgeschwindigkeit in bit/s (Vorgabe 56000, ISDN 64000)\n"
        "  SimLocalIP, SimRemoteIP  angezeigte Adressen");
}

QString stateText(int state)
{
    switch (state) {
    case RasState::OpenPort: return QStringLiteral("Öffne Port");
    case RasState::PortOpened: return QStringLiteral("Port geöffnet");
    case RasState::ConnectDevice: return QStringLiteral("Verbinde Gerät");
    case RasState::DeviceConnected: return QStringLiteral("Gerät verbunden");
    case RasState::AllDevicesConnected: return QStringLiteral("Alle Geräte verbunden");
    case RasState::Authenticate: return QStringLiteral("Starte Erkennung");
    case RasState::Authenticated: return QStringLiteral("Anfrage anerkannt");
    case RasState::Connected: return QStringLiteral("Verbunden");
    case RasState::Disconnected: return QStringLiteral("Verbindung getrennt");
    }
    return QString::number(state);
}

/// What a new entry of the system's own dialog gets, on the given device.
RasEntry newEntry(const RasDevice &device, const QString &port = QString())
{
    RasEntry entry;
    entry.options = RasEntryOption::IpHeaderCompression | RasEntryOption::RemoteDefaultGateway
        | RasEntryOption::SwCompression | RasEntryOption::NetworkLogon;
    entry.deviceType = device.type;
    entry.deviceName = port.isEmpty() ? device.name : device.name + QChar(0) + port;
    return entry;
}

/// The first simulated device of a type, or the first device at all.
RasDevice deviceOfType(const QList<RasDevice> &devices, const QString &type)
{
    for (const RasDevice &device : devices) {
        if (device.type.compare(type, Qt::CaseInsensitive) == 0)
            return device;
    }
    return devices.value(0);
}

class LineTool
{
public:
    int run(QStringList args);

private:
    QString errorMessage(int error, const QString &entryName = QString()) const;
    int rasFail(int error, const QString &entryName = QString()) { return fail(errorMessage(error, entryName)); }
    void reportBackup();

    int entries();
    int show(const QString &name);
    int add(const QString &name, const QString &number, const QStringList &assignments);
    int remove(const QString &name);
    int scenario(const QString &name, const QStringList &assignments);
    int dial(const QString &name, bool detach, const QString *password);
    int hangup(const QString &name);
    int connections();
    int demo();

    SimulatedLine m_line;
};

/// Splits "Key=Value" arguments; false with a message for one without "=".
bool splitAssignments(const QStringList &args, QList<std::pair<QString, QString>> *pairs, QString *error)
{
    for (const QString &arg : args) {
        const qsizetype eq = arg.indexOf(u'=');
        if (eq <= 0) {
            *error = QStringLiteral("„%1“ hat nicht die Form SCHLÜSSEL=WERT.").arg(arg);
            return false;
        }
        pairs->append({arg.left(eq), arg.mid(eq + 1)});
    }
    return true;
}

QString LineTool::errorMessage(int error, const QString &entryName) const
{
    const QString book = m_line.phoneBookPath();
    switch (error) {
    case RasError::CannotFindPhonebookEntry:
        return QStringLiteral("Die Verbindung „%1“ gibt es im Telefonbuch nicht.").arg(entryName);
    case RasError::InvalidName:
        return QStringLiteral("„%1“ ist als Name einer Verbindung nicht erlaubt.").arg(entryName);
    case RasError::AlreadyExists:
        return QStringLiteral("Eine Verbindung „%1“ gibt es schon.").arg(entryName);
    case RasError::CannotOpenPhonebook:
        return QStringLiteral("Das Telefonbuch „%1“ kann nicht geöffnet werden; es ist gesperrt oder nicht "
                              "lesbar (Fehler 621).")
            .arg(book);
    case RasError::CorruptPhonebook:
        return QStringLiteral("Das Telefonbuch „%1“ ist beschädigt (Fehler 625). Beim nächsten Schreiben wird "
                              "es gesichert.")
            .arg(book);
    case RasError::CannotWritePhonebook:
        return QStringLiteral("Das Telefonbuch „%1“ kann nicht geschrieben werden (Fehler 624).").arg(book);
    }
    return QStringLiteral("%1 (Fehler %2)").arg(rasErrorText(error)).arg(error);
}

void LineTool::reportBackup()
{
    const QString backup = m_line.phoneBook().lastBackupPath();
    if (!backup.isEmpty())
        print(QStringLiteral("Das bisherige Telefonbuch wurde gesichert als „%1“.").arg(backup));
}

int LineTool::run(QStringList args)
{
    if (args.isEmpty())
        return fail(usage(), exitUsage);
    const QString command = args.takeFirst();
    auto wrongCall = [](const QString &form) { return fail(QStringLiteral("Aufruf: rufwerk-line ") + form, exitUsage); };

    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        print(usage());
        return 0;
    }
    if (command == QLatin1String("entries"))
        return args.isEmpty() ? entries() : wrongCall(QStringLiteral("entries"));
    if (command == QLatin1String("show"))
        return args.size() == 1 ? show(args.at(0)) : wrongCall(QStringLiteral("show NAME"));
    if (command == QLatin1String("add")) {
        if (args.size() < 2)
            return wrongCall(QStringLiteral("add NAME NUMMER [SCHLÜSSEL=WERT…]"));
        return add(args.at(0), args.at(1), args.mid(2));
    }
    if (command == QLatin1String("remove"))
        return args.size() == 1 ? remove(args.at(0)) : wrongCall(QStringLiteral("remove NAME"));
    if (command == QLatin1String("scenario")) {
        if (args.size() < 2)
            return wrongCall(QStringLiteral("scenario NAME SCHLÜSSEL=WERT…"));
        return scenario(args.at(0), args.mid(1));
    }
    if (command == QLatin1String("dial")) {
        bool detach = false;
        QString password;
        bool havePassword = false;
        QStringList names;
        for (const QString &arg : std::as_const(args)) {
            if (arg == QLatin1String("--detach")) {
                detach = true;
            } else if (arg.startsWith(QLatin1String("--password="))) {
                password = arg.mid(11);
                havePassword = true;
            } else if (arg.startsWith(QLatin1String("--"))) {
                return fail(QStringLiteral("Unbekannte Option „%1“.").arg(arg), exitUsage);
            } else {
                names.append(arg);
            }
        }
        if (names.size() != 1)
            return wrongCall(QStringLiteral("dial NAME [--detach] [--password=TEXT]"));
        return dial(names.at(0), detach, havePassword ? &password : nullptr);
    }
    if (command == QLatin1String("hangup"))
        return args.size() == 1 ? hangup(args.at(0)) : wrongCall(QStringLiteral("hangup NAME"));
    if (command == QLatin1String("connections"))
        return args.isEmpty() ? connections() : wrongCall(QStringLiteral("connections"));
    if (command == QLatin1String("demo"))
        return args.isEmpty() ? demo() : wrongCall(QStringLiteral("demo"));
    return fail(QStringLiteral("Unbekannter Befehl „%1“. Hilfe: rufwerk-line --help").arg(command), exitUsage);
}

int LineTool::entries()
{
    QStringList names;
    const int result = m_line.enumEntries(&names);
    if (result != RasError::Success)
        return rasFail(result);
    for (const QString &name : std::as_const(names))
        print(name);
    return 0;
}

int LineTool::show(const QString &name)
{
    std::shared_ptr<const SimPhoneBookText> text;
    const SimPhoneBookSection *section = nullptr;
    const int result = m_line.phoneBook().findEntry(name, &text, &section);
    if (result != RasError::Success)
        return rasFail(result, name);
    print(u'[' + section->name + u']');
    for (const SimPhoneBookLine &line : section->lines) {
        if (line.key.isEmpty())
            continue;
        const bool secret = simSameKey(line.key, u"Password") && !line.value.isEmpty();
        print(line.key + u'=' + (secret ? QStringLiteral("********") : line.value));
    }
    return 0;
}

int LineTool::add(const QString &name, const QString &number, const QStringList &assignments)
{
    QList<std::pair<QString, QString>> pairs;
    QString error;
    if (!splitAssignments(assignments, &pairs, &error))
        return fail(error, exitUsage);
    QString valueError;
    const QString trimmed = name.trimmed();
    const int result = m_line.phoneBook().modify([&](SimPhoneBookText &text) {
        if (text.indexOf(trimmed) >= 0)
            return RasError::AlreadyExists;
        if (m_line.validateEntryName(trimmed) == RasError::InvalidName)
            return RasError::InvalidName;
        SimPhoneBookSection section{trimmed, {}};
        QList<RasDevice> devices;
        m_line.enumDevices(&devices);
        if (simApplyEntry(&section, newEntry(devices.value(0))) != RasError::Success)
            return RasError::InvalidParameter;
        if (!simApplyUserValue(&section, QStringLiteral("PhoneNumber"), number, &valueError))
            return RasError::InvalidParameter;
        bool deviceNamed = false;
        for (const auto &[key, value] : std::as_const(pairs)) {
            if (!simApplyUserValue(&section, key, value, &valueError))
                return RasError::InvalidParameter;
            deviceNamed = deviceNamed || simSameKey(key, u"Device");
        }
        // A device type alone picks the first simulated device of that type.
        if (!deviceNamed)
            section.setValue(QStringLiteral("Device"), deviceOfType(devices, section.value(u"DEVICE")).name);
        text.sections.append(section);
        return RasError::Success;
    });
    if (result == RasError::InvalidParameter)
        return fail(valueError);
    if (result != RasError::Success)
        return rasFail(result, trimmed);
    reportBackup();
    print(QStringLiteral("Verbindung „%1“ angelegt.").arg(trimmed));
    return 0;
}

int LineTool::remove(const QString &name)
{
    const int result = m_line.deleteEntry(name);
    if (result != RasError::Success)
        return rasFail(result, name);
    reportBackup();
    print(QStringLiteral("Verbindung „%1“ gelöscht.").arg(name));
    return 0;
}

int LineTool::scenario(const QString &name, const QStringList &assignments)
{
    QList<std::pair<QString, QString>> pairs;
    QString error;
    if (!splitAssignments(assignments, &pairs, &error))
        return fail(error, exitUsage);
    for (const auto &[key, value] : std::as_const(pairs)) {
        const SimKey *known = simFindKey(key);
        if (!known)
            return fail(QStringLiteral("Unbekannter Schlüssel „%1“.").arg(key));
        if (known->group != SimKeyGroup::Scenario)
            return fail(QStringLiteral("„%1“ ist kein Szenario-Schlüssel; Szenario-Schlüssel beginnen mit „Sim“.")
                            .arg(key));
        if (!value.isEmpty() && !simCheckValue(*known, value, &error))
            return fail(error);
    }
    const int result = m_line.phoneBook().modify([&](SimPhoneBookText &text) {
        const int index = text.indexOf(name);
        if (index < 0)
            return RasError::CannotFindPhonebookEntry;
        for (const auto &[key, value] : std::as_const(pairs))
            simApplyUserValue(&text.sections[index], key, value, nullptr);
        return RasError::Success;
    });
    if (result != RasError::Success)
        return rasFail(result, name);
    reportBackup();
    print(QStringLiteral("Szenario von „%1“ geändert.").arg(name));
    return 0;
}

int LineTool::dial(const QString &name, bool detach, const QString *password)
{
    RasDialParams params;
    bool stored = false;
    int result = m_line.getEntryDialParams(name, &params, &stored);
    if (result != RasError::Success)
        return rasFail(result, name);
    if (password)
        params.password = *password;
    RasHandle handle = 0;
    result = detach ? m_line.dialDetached(params, &handle) : m_line.dial(params, &handle);
    if (result != RasError::Success)
        return rasFail(result, name);
    if (detach) {
        print(QString::number(handle));
        return 0;
    }

    print(QStringLiteral("Wähle „%1“ (Handle %2) …").arg(params.entryName).arg(handle));
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    int lastState = -1;
    bool wasConnected = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, QCoreApplication::instance(), [&]() {
        if (stopRequested) {
            m_line.hangUp(handle);
            print(QStringLiteral("Aufgelegt."));
            QCoreApplication::exit(0);
            return;
        }
        RasConnStatus status;
        if (m_line.connectStatus(handle, &status) != RasError::Success) {
            print(QStringLiteral("Die Verbindung wurde von einem anderen Programm aufgelegt."));
            QCoreApplication::exit(0);
            return;
        }
        if (status.state == lastState)
            return;
        lastState = status.state;
        if (status.state == RasState::Disconnected) {
            print(QStringLiteral("%1: %2 (Fehler %3)")
                      .arg(stateText(status.state), rasErrorText(status.error))
                      .arg(status.error));
            m_line.hangUp(handle);
            QCoreApplication::exit(wasConnected ? 0 : exitFailed);
            return;
        }
        if (status.state == RasState::Connected) {
            wasConnected = true;
            RasIpProjection ip;
            m_line.projectionInfo(handle, &ip);
            print(QStringLiteral("Verbunden über %1: lokale IP %2, Gegenstelle %3.")
                      .arg(status.deviceName, ip.clientAddress, ip.serverAddress));
            return;
        }
        print(stateText(status.state));
    });
    poll.start(100);
    return QCoreApplication::exec();
}

int LineTool::hangup(const QString &name)
{
    int count = 0;
    const QList<SimConnectionRecord> records = m_line.connectionRecords();
    for (const SimConnectionRecord &r : records) {
        if (r.entryName.compare(name.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        if (m_line.hangUp(r.handle) == RasError::Success) {
            print(QStringLiteral("Aufgelegt: „%1“ (Handle %2).").arg(r.entryName).arg(r.handle));
            ++count;
        }
    }
    if (count > 0)
        return 0;
    RasEntry entry;
    const int result = m_line.getEntryProperties(name, &entry);
    if (result != RasError::Success)
        return rasFail(result, name);
    print(QStringLiteral("„%1“ hat keine Verbindung.").arg(name));
    return 0;
}

int LineTool::connections()
{
    const QList<SimConnectionRecord> records = m_line.connectionRecords();
    if (records.isEmpty()) {
        print(QStringLiteral("Keine Verbindungen."));
        return 0;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QList<QStringList> rows = {{QStringLiteral("Name"), QStringLiteral("Zustand"), QStringLiteral("Online s"),
                                QStringLiteral("Gesendet"), QStringLiteral("Empfangen"), QStringLiteral("Lokale IP"),
                                QStringLiteral("Gegenstelle")}};
    for (const SimConnectionRecord &r : records) {
        const SimConnectionState st = r.stateAt(now);
        QString state = stateText(st.state);
        if (st.error)
            state += QStringLiteral(" (%1)").arg(st.error);
        const bool connected = st.isConnected();
        rows.append({r.entryName, state, QString::number(st.onlineMs / 1000), QString::number(st.bytesSent),
                     QString::number(st.bytesReceived), connected ? r.localIp : QStringLiteral("-"),
                     connected ? r.remoteIp : QStringLiteral("-")});
    }
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList &row : std::as_const(rows)) {
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row.at(i).size());
    }
    for (const QStringList &row : std::as_const(rows)) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            // Numbers are right-aligned, texts left-aligned.
            const bool number = i >= 2 && i <= 4;
            line += (number ? row.at(i).rightJustified(widths[i]) : row.at(i).leftJustified(widths[i]));
            if (i + 1 < row.size())
                line += QLatin1String("  ");
        }
        print(line.trimmed());
    }
    return 0;
}

int LineTool::demo()
{
    struct Demo
    {
        const char *name;
        const char *number;
        QStringList values;
    };
    const QList<Demo> demos = {
        {"Netzwerk Nord", "01929 1771",
         {QStringLiteral("User=nord-4711"), QStringLiteral("Password=nordlicht"), QStringLiteral("SimConnectDelay=3"),
          QStringLiteral("SimRateUp=420"), QStringLiteral("SimRateDown=4800")}},
        {"Callnet Flat", "01931 0815",
         {QStringLiteral("DEVICE=isdn"), QStringLiteral("User=flat-0815"), QStringLiteral("Password=flatrate"),
          QStringLiteral("SimCheckPassword=1"), QStringLiteral("SimConnectDelay=2"), QStringLiteral("SimRateUp=900"),
          QStringLiteral("SimRateDown=7600"), QStringLiteral("SimActive=30"), QStringLiteral("SimIdle=90")}},
        {"Sparruf Süd", "01925 3300",
         {QStringLiteral("User=sparer"), QStringLiteral("Password=sparen"), QStringLiteral("SimBusy=1"),
          QStringLiteral("SimConnectDelay=4")}},
        {"Blitzzugang Premium", "01900 872233",
         {QStringLiteral("SimConnectDelay=2"), QStringLiteral("SimRateUp=200"), QStringLiteral("SimRateDown=5200")}},
        {"Funkstille Ost", "01938 2020",
         {QStringLiteral("User=ost"), QStringLiteral("Password=ruhe"), QStringLiteral("SimNoAnswer=1"),
          QStringLiteral("SimConnectDelay=8")}},
        {"Testleitung Kurz", "01922 1000",
         {QStringLiteral("SimConnectDelay=1"), QStringLiteral("SimHangUpAfter=30")}},
    };
    QList<RasDevice> devices;
    m_line.enumDevices(&devices);
    QString error;
    const int result = m_line.phoneBook().modify(
        [&](SimPhoneBookText &text) {
            text = SimPhoneBookText();
            text.preamble = {QStringLiteral("; Demo-Telefonbuch der simulierten Leitung (rufwerk-line demo)")};
            for (const Demo &demo : demos) {
                SimPhoneBookSection section{QString::fromUtf8(demo.name), {}};
                const bool isdn = demo.values.contains(QStringLiteral("DEVICE=isdn"));
                RasEntry entry = isdn ? newEntry(deviceOfType(devices, QStringLiteral("isdn")), QStringLiteral("ISDN1"))
                                      : newEntry(deviceOfType(devices, QStringLiteral("modem")), QStringLiteral("COM2"));
                entry.localPhoneNumber = QString::fromUtf8(demo.number);
                simApplyEntry(&section, entry);
                for (const QString &assignment : demo.values) {
                    const qsizetype eq = assignment.indexOf(u'=');
                    if (!simApplyUserValue(&section, assignment.left(eq), assignment.mid(eq + 1), &error))
                        return RasError::InvalidParameter;
                }
                text.sections.append(section);
            }
            return RasError::Success;
        },
        SimPhoneBook::Backup::Always);
    if (result == RasError::InvalidParameter)
        return fail(error);
    if (result != RasError::Success)
        return rasFail(result);
    reportBackup();
    print(QStringLiteral("Demo-Telefonbuch geschrieben: „%1“.").arg(m_line.phoneBookPath()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rufwerk-line"));
    LineTool tool;
    return tool.run(QCoreApplication::arguments().mid(1));
}
