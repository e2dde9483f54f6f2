// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialUp.h"

#include <QHash>

#include <algorithm>

EDialUpError::EDialUpError(const QString &message)
    : FMessage(message)
    , FWhat(message.toUtf8())
{
}

namespace {

// Removes characters up to the blank (blanks, NULs, control characters) at the end.
QString trimmedRight(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.left(end);
}

// Removes them at both ends, as the device fields are padded with either.
QString trimmedBoth(const QString &text)
{
    qsizetype begin = 0;
    while (begin < text.size() && text.at(begin).unicode() <= u' ')
        ++begin;
    return trimmedRight(text.mid(begin));
}

using StatusTable = QHash<int, QString>;

const StatusTable &germanStatusTexts()
{
    static const StatusTable table = {
        {0, QStringLiteral("Öffne Port")},
        {1, QStringLiteral("Port geöffnet")},
        {2, QStringLiteral("Verbinde Gerät")},
        {3, QStringLiteral("Gerät verbunden")},
        {4, QStringLiteral("Alle Geräte verbunden")},
        {5, QStringLiteral("Starte Erkennung")},
        {6, QStringLiteral("Anfrage erkannt")},
        {7, QStringLiteral("Wiederhole Erkennung")},
        {8, QStringLiteral("Beglaubigungsrückruf")},
        {9, QStringLiteral("Erkennung: ändere Passwort")},
        {10, QStringLiteral("Erkennung: Projektierung")},
        {11, QStringLiteral("Erkennung: Linkgeschwindigkeit")},
        {12, QStringLiteral("Erkennung: erkannt")},
        {13, QStringLiteral("Erkennung: Rück-Authentikation")},
        {14, QStringLiteral("Anfrage anerkannt")},
        {15, QStringLiteral("Rückrufvorbereitung")},
        {16, QStringLiteral("Warte auf Modem Reset")},
        {17, QStringLiteral("Warte auf Rückruf")},
        {18, QStringLiteral("Projektiert")},
        {19, QStringLiteral("Starte Erkennung")},
        {20, QStringLiteral("Rückruf komplett")},
        {21, QStringLiteral("Loggon in Netzwerk")},
        {4096, QStringLiteral("Interaktiv")},
        {4097, QStringLiteral("Wiederhole Erkennung")},
        {4098, QStringLiteral("Rückfrage durch Aufrufer")},
        {4099, QStringLiteral("Passwort erwartet")},
        {8192, QStringLiteral("Verbunden")},
        {8193, QStringLiteral("Verbindung getrennt")},
    };
    return table;
}

const StatusTable &englishStatusTexts()
{
    static const StatusTable table = {
        {0, QStringLiteral("Opening port")},
        {1, QStringLiteral("Port opened")},
        {2, QStringLiteral("Connecting device")},
        {3, QStringLiteral("Device connected")},
        {4, QStringLiteral("All devices connected")},
        {5, QStringLiteral("Authenticating")},
        {6, QStringLiteral("Authentication notified")},
        {7, QStringLiteral("Retrying authentication")},
        {8, QStringLiteral("Authentication callback")},
        {9, QStringLiteral("Authentication: changing password")},
        {10, QStringLiteral("Authentication: projecting")},
        {11, QStringLiteral("Authentication: link speed")},
        {12, QStringLiteral("Authentication acknowledged")},
        {13, QStringLiteral("Re-authenticating")},
        {14, QStringLiteral("Authenticated")},
        {15, QStringLiteral("Preparing for callback")},
        {16, QStringLiteral("Waiting for modem reset")},
        {17, QStringLiteral("Waiting for callback")},
        {18, QStringLiteral("Projected")},
        {19, QStringLiteral("Starting authentication")},
        {20, QStringLiteral("Callback complete")},
        {21, QStringLiteral("Logging on to network")},
        {4096, QStringLiteral("Interactive")},
        {4097, QStringLiteral("Retrying authentication")},
        {4098, QStringLiteral("Callback set by caller")},
        {4099, QStringLiteral("Password expired")},
        {8192, QStringLiteral("Connected")},
        {8193, QStringLiteral("Disconnected")},
    };
    return table;
}

const StatusTable &portugueseStatusTexts()
{
    static const StatusTable table = {
        {0, QStringLiteral("Abrindo porta")},
        {1, QStringLiteral("Porta aberta")},
        {2, QStringLiteral("Conectando dispositivo")},
        {3, QStringLiteral("Dispositivo conectado")},
        {4, QStringLiteral("Todos os dispositivos conectados")},
        {5, QStringLiteral("Autenticando")},
        {6, QStringLiteral("Autenticação notificada")},
        {7, QStringLiteral("Repetindo autenticação")},
        {8, QStringLiteral("Retorno de chamada da autenticação")},
        {9, QStringLiteral("Autenticação: alterando senha")},
        {10, QStringLiteral("Autenticação: projeção")},
        {11, QStringLiteral("Autenticação: velocidade da conexão")},
        {12, QStringLiteral("Autenticação confirmada")},
        {13, QStringLiteral("Reautenticando")},
        {14, QStringLiteral("Autenticado")},
        {15, QStringLiteral("Preparando retorno de chamada")},
        {16, QStringLiteral("Aguardando reinício do modem")},
        {17, QStringLiteral("Aguardando retorno de chamada")},
        {18, QStringLiteral("Projetado")},
        {19, QStringLiteral("Iniciando autenticação")},
        {20, QStringLiteral("Retorno de chamada concluído")},
        {21, QStringLiteral("Entrando na rede")},
        {4096, QStringLiteral("Interativo")},
        {4097, QStringLiteral("Repetindo autenticação")},
        {4098, QStringLiteral("Retorno de chamada definido pelo chamador")},
        {4099, QStringLiteral("Senha expirada")},
        {8192, QStringLiteral("Conectado")},
        {8193, QStringLiteral("Desconectado")},
    };
    return table;
}

} // namespace

TDialUp::TDialUp(QObject *owner, DialUpService *service)
    : QObject(owner)
    , FService(service ? service : &DialUpService::instance())
{
}

TDialUp::~TDialUp() = default;

int TDialUp::GetEntries()
{
    FEntries.clear();
    // The service hands over the whole phone book, however many entries it has:
    // a fixed room for 100 names would hide every entry from a larger book.
    QStringList names;
    const int result = FService->enumEntries(&names);
    if (result != RasError::Success)
        return result;
    FEntries.reserve(names.size());
    for (const QString &name : std::as_const(names)) {
        FEntries.append(name.left(MaxEntryNameLength));
        Q_EMIT OnEntryGet(FEntries.constLast());
    }
    return RasError::Success;
}

int TDialUp::ReadUserName()
{
    RasDialParams params;
    bool passwordStored = false;
    const int result = FService->getEntryDialParams(FEntry, &params, &passwordStored);
    if (result == RasError::Success)
        EntryUser = params.userName;
    return result;
}

int TDialUp::ReadPassword()
{
    RasDialParams params;
    bool passwordStored = false;
    const int result = FService->getEntryDialParams(FEntry, &params, &passwordStored);
    if (result == RasError::Success)
        EntryPassword = passwordStored ? params.password : QString();
    return result;
}

int TDialUp::ReadEntryProperties()
{
    EntryName = FEntry;
    RasEntry entry;
    const int result = FService->getEntryProperties(FEntry, &entry);
    if (result != RasError::Success) {
        // Values of the previously read entry must not pass for this one.
        PhoneNumber.clear();
        DisplayNumber.clear();
        DeviceType.clear();
        DeviceName.clear();
        DevicePort.clear();
        return result;
    }

    if (entry.options & RasEntryOption::UseCountryAndAreaCodes) {
        // Without an area code the number is the local one; a blank in front
        // would shift every position-based look at the number.
        PhoneNumber = entry.areaCode.isEmpty() ? entry.localPhoneNumber
                                               : entry.areaCode + u' ' + entry.localPhoneNumber;
        DisplayNumber = u'+' + QString::number(entry.countryCode) + u' ';
        if (!entry.areaCode.isEmpty() && entry.areaCode.at(0) > u'/')
            DisplayNumber += u'(' + entry.areaCode + QLatin1String(") ");
        DisplayNumber += entry.localPhoneNumber;
    } else {
        PhoneNumber = entry.localPhoneNumber;
        DisplayNumber = entry.localPhoneNumber;
    }

    // Some systems keep the port in the device-name field, after a NUL.
    const QString device = trimmedRight(entry.deviceName);
    const qsizetype nul = device.indexOf(QChar(0), 1);
    if (nul > 0) {
        DevicePort = trimmedBoth(device.mid(nul + 1)).left(99);
        DeviceName = trimmedBoth(device.left(nul));
    } else {
        DevicePort.clear();
        DeviceName = device;
        DeviceName.remove(QChar(0));
    }
    DeviceType = trimmedRight(entry.deviceType);
    return RasError::Success;
}

QObject *TDialUp::dialogOwner() const
{
    // The system dialogs belong to the owner's window when the owner is one.
    QObject *owner = parent();
    return owner && owner->isWidgetType() ? owner : nullptr;
}

int TDialUp::CreateEntry(QString *createdName)
{
    QString name;
    const int result = FService->createEntryDialog(dialogOwner(), &name);
    if (createdName)
        *createdName = result == RasError::Success ? name : QString();
    return result;
}

int TDialUp::EditEntry()
{
    return FService->editEntryDialog(dialogOwner(), FEntry);
}

int TDialUp::RenameEntry(const QString &newName)
{
    const int result = FService->renameEntry(FEntry, newName);
    if (result == RasError::Success)
        FEntry = newName;
    return result;
}

int TDialUp::DeleteEntry()
{
    return FService->deleteEntry(FEntry);
}

int TDialUp::GetActiveConnections()
{
    QList<RasConnection> connections;
    if (FService->enumConnections(&connections) != RasError::Success)
        return -1;
    for (const RasConnection &connection : std::as_const(connections)) {
        RasConnStatus status;
        const int result = FService->connectStatus(connection.handle, &status);
        if (result == RasError::Success) {
            LastHandle = connection.handle;
        } else {
            // A connection whose status cannot be read must not look connected.
            status = RasConnStatus();
            status.state = RasState::Disconnected;
            status.error = result;
            status.deviceType = connection.deviceType;
            status.deviceName = connection.deviceName;
        }
        Q_EMIT OnActiveConnection(connection.handle, status, ConnectionStatusText(status.state, status.error),
                                  connection.entryName, connection.deviceType, connection.deviceName);
    }
    return int(connections.size());
}

bool TDialUp::FindActiveConnection()
{
    QList<RasConnection> connections;
    const int result = FService->enumConnections(&connections);
    if (result != RasError::Success)
        throw EDialUpError(QString::number(result));
    const qsizetype count = std::min<qsizetype>(connections.size(), MaxFindConnections);
    for (qsizetype i = 0; i < count; ++i) {
        const RasConnection &connection = connections.at(i);
        RasIpProjection projection;
        const int error = FService->projectionInfo(connection.handle, &projection);
        if (error != RasError::Success)
            throw EDialUpError(QString::number(error));
        if (projection.clientAddress.isEmpty())
            continue;
        LastHandle = connection.handle;
        EntryName = connection.entryName;
        DeviceType = connection.deviceType;
        DeviceName = connection.deviceName;
        LocalIP = projection.clientAddress;
        RemoteIP = projection.serverAddress;
        return true;
    }
    return false;
}

QString TDialUp::ConnectionStatusText(int state, int error) const
{
    if (error != 0)
        return FService->errorString(error).left(MaxStatusTextLength);
    const StatusTable *table = &germanStatusTexts();
    switch (FLanguage) {
    case English: table = &englishStatusTexts(); break;
    case Portuguese: table = &portugueseStatusTexts(); break;
    case Czech: break;
    }
    return table->value(state);
}

bool TDialUp::FindAdapters()
{
    FDUNA.clear();
    const QStringList adapters = FService->findAdapters();
    for (const QString &adapter : adapters)
        FDUNA.append(adapter.left(MaxAdapterKeyLength));
    FDUNA.sort();
    return !FDUNA.isEmpty();
}

bool TDialUp::StartStatistics(bool start, bool findAdapter)
{
    if (findAdapter) {
        if (!FindAdapters())
            return false;
        FDUNA_Key = FDUNA.first();
    }
    if (!FService->startStatistics(start))
        return false;
    if (start)
        ReadStatistics();
    ResetStatistics();
    return true;
}

bool TDialUp::ReadStatistics()
{
    RasStatistics statistics;
    if (!FService->readStatistics(&statistics))
        return false;
    // The system's counters are 32 bits wide: the step since the last read is
    // taken modulo 2^32, so a counter that wraps counts on. A counter that
    // fell far was restarted (a new connection): count from it anew.
    constexpr quint32 RestartedStep = 0x80000000u;
    const quint32 stepXmit = statistics.bytesXmit - RawBytesXmit;
    const quint32 stepRecv = statistics.bytesRecv - RawBytesRecv;
    RawBytesXmit = statistics.bytesXmit;
    RawBytesRecv = statistics.bytesRecv;
    if (stepXmit >= RestartedStep || stepRecv >= RestartedStep) {
        ResetStatistics();
    } else {
        FBytesXmit += stepXmit;
        FBytesRecv += stepRecv;
    }
    FConnectionSpeed = statistics.connectSpeed;
    return true;
}

void TDialUp::ResetStatistics()
{
    BaseBytesXmit = RawBytesXmit;
    BaseBytesRecv = RawBytesRecv;
    FBytesXmit = 0;
    FBytesRecv = 0;
}
