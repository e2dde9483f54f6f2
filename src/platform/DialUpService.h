// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QObject;

/// RAS error numbers as the Windows dial-up service returns them.
namespace RasError {
constexpr int Success = 0;
constexpr int InvalidHandle = 6;           // ERROR_INVALID_HANDLE
constexpr int InvalidParameter = 87;       // ERROR_INVALID_PARAMETER
constexpr int InvalidName = 123;           // ERROR_INVALID_NAME
constexpr int AlreadyExists = 183;         // ERROR_ALREADY_EXISTS
constexpr int Pending = 600;
constexpr int BufferTooSmall = 603;
constexpr int CannotOpenPhonebook = 621;
constexpr int CannotLoadPhonebook = 622;
constexpr int CannotFindPhonebookEntry = 623;
constexpr int CannotWritePhonebook = 624;
constexpr int CorruptPhonebook = 625;
constexpr int Disconnection = 628;
constexpr int RemoteDisconnection = 629;
constexpr int HardwareFailure = 630;
constexpr int UserDisconnection = 631;
constexpr int PortNotAvailable = 633;
constexpr int NoConnection = 668;
constexpr int LineBusy = 676;
constexpr int NoAnswer = 678;
constexpr int NoCarrier = 679;
constexpr int NoDialtone = 680;
constexpr int AuthenticationFailure = 691;
constexpr int ProjectionNotComplete = 730;
constexpr int Cancelled = 1223;            // ERROR_CANCELLED: the user closed an entry dialog
} // namespace RasError

/// RAS connection states (RASCONNSTATE).
namespace RasState {
constexpr int OpenPort = 0;
constexpr int PortOpened = 1;
constexpr int ConnectDevice = 2;
constexpr int DeviceConnected = 3;
constexpr int AllDevicesConnected = 4;
constexpr int Authenticate = 5;
constexpr int Authenticated = 14;
constexpr int Connected = 0x2000;    // 8192
constexpr int Disconnected = 0x2001; // 8193
} // namespace RasState

/// Bits of RasEntry::options (RASEO_*).
namespace RasEntryOption {
constexpr quint32 UseCountryAndAreaCodes = 0x1;
constexpr quint32 SpecificIpAddr = 0x2;
constexpr quint32 SpecificNameServers = 0x4;
constexpr quint32 IpHeaderCompression = 0x8;
constexpr quint32 RemoteDefaultGateway = 0x10;
constexpr quint32 SwCompression = 0x200;
constexpr quint32 NetworkLogon = 0x2000;
} // namespace RasEntryOption

/// One phone-book entry (the fields of RASENTRY the program uses). Addresses are
/// 32-bit values with the first dotted part in the lowest byte.
struct RasEntry
{
    quint32 options = 0;
    quint32 countryId = 49;
    quint32 countryCode = 49;
    QString areaCode;
    QString localPhoneNumber;
    quint32 ipAddr = 0;
    quint32 ipAddrDns = 0;
    quint32 ipAddrDnsAlt = 0;
    quint32 ipAddrWins = 0;
    quint32 ipAddrWinsAlt = 0;
    quint32 frameSize = 0;
    quint32 netProtocols = 4;    // 1 NetBEUI, 2 IPX, 4 TCP/IP
    quint32 framingProtocol = 1; // 1 PPP, 2 SLIP, 4 RAS
    QString script;
    QString deviceType;          // "modem", "isdn", ...
    /// Device name; on systems that keep the port in the same field it follows
    /// the name after a NUL character ("Modem\0COM2").
    QString deviceName;
    /// Backend-specific values that must survive a read-modify-write.
    QMap<QString, QString> passThrough;
};

/// Stored dial parameters of an entry (RASDIALPARAMS).
struct RasDialParams
{
    QString entryName;
    QString phoneNumber;    // empty: the entry's own number
    QString callbackNumber;
    QString userName;
    QString password;
    QString domain;
};

struct RasDevice
{
    QString type;
    QString name;
};

using RasHandle = quint64;

struct RasConnection
{
    RasHandle handle = 0;
    QString entryName;
    QString deviceType;
    QString deviceName;
};

struct RasConnStatus
{
    int state = RasState::Disconnected;
    int error = 0;
    QString deviceType;
    QString deviceName;
};

struct RasIpProjection
{
    int error = 0;
    QString clientAddress; // local IP
    QString serverAddress; // remote IP
};

/// Dial-up traffic counters as the system publishes them for the dial-up adapter.
struct RasStatistics
{
    quint32 bytesXmit = 0;
    quint32 bytesRecv = 0;
    quint32 connectSpeed = 0;
};

/**
 * The dial-up networking service: phone book, active connections, statistics,
 * and dialing for the connection module. Every call returns a RAS error number
 * (0 on success) and never blocks on the line: dialing is asynchronous and its
 * progress is read with connectStatus().
 */
class DialUpService
{
public:
    /// Shows a dialog to create (entryName empty) or edit an entry; returns a RAS
    /// result and, on creation, the new entry's name.
    using EntryDialogHook = std::function<int(QObject *owner, const QString &entryName, QString *createdName)>;

    virtual ~DialUpService() = default;

    virtual QString backendName() const = 0;

    // Phone book
    virtual int enumEntries(QStringList *names) = 0;
    virtual int getEntryProperties(const QString &entryName, RasEntry *entry) = 0;
    /// Creates the entry when it does not exist.
    virtual int setEntryProperties(const QString &entryName, const RasEntry &entry) = 0;
    virtual int getEntryDialParams(const QString &entryName, RasDialParams *params, bool *passwordStored) = 0;
    virtual int setEntryDialParams(const RasDialParams &params, bool removePassword) = 0;
    virtual int createEntryDialog(QObject *owner, QString *createdName = nullptr);
    virtual int editEntryDialog(QObject *owner, const QString &entryName);
    virtual int renameEntry(const QString &oldName, const QString &newName) = 0;
    virtual int deleteEntry(const QString &entryName) = 0;
    virtual int validateEntryName(const QString &entryName);
    virtual int enumDevices(QList<RasDevice> *devices) = 0;
    /// Whether the system has modem settings of its own to open.
    virtual bool hasModemSettings() const { return false; }
    /// Opens the system's modem settings; a RAS result.
    virtual int showModemSettings(QObject *owner);

    // Connections
    virtual int enumConnections(QList<RasConnection> *connections) = 0;
    virtual int connectStatus(RasHandle handle, RasConnStatus *status) = 0;
    virtual int projectionInfo(RasHandle handle, RasIpProjection *projection) = 0;
    virtual QString errorString(int error) const;

    // Statistics of the dial-up adapter
    virtual QStringList findAdapters() { return {}; }
    virtual bool startStatistics(bool start) = 0;
    virtual bool readStatistics(RasStatistics *statistics) = 0;

    // Dialing, for the connection module only
    virtual int dial(const RasDialParams &params, RasHandle *handle) = 0;
    virtual int hangUp(RasHandle handle) = 0;
    /// Lets a connection outlive the process that dialed it (the user wants it
    /// kept open when the program ends). Real lines do so anyway.
    virtual int releaseConnection(RasHandle) { return RasError::Success; }

    /// Between these calls (they nest) lookups may answer from one reading of
    /// the phone book, so a pass over every entry reads the book once.
    virtual void beginPhoneBookPass() {}
    virtual void endPhoneBookPass() {}

    void setEntryDialogHook(EntryDialogHook hook) { m_dialogHook = std::move(hook); }

    /// The process-wide service: the simulated line unless another backend was set.
    static DialUpService &instance();
    /// Replaces the process-wide service (tests, other backends).
    static void setInstance(std::unique_ptr<DialUpService> service);

protected:
    EntryDialogHook m_dialogHook;
};

/// Holds a phone-book pass for its lifetime.
class PhoneBookPass
{
public:
    explicit PhoneBookPass(DialUpService &service)
        : m_service(service)
    {
        m_service.beginPhoneBookPass();
    }
    ~PhoneBookPass() { m_service.endPhoneBookPass(); }
    Q_DISABLE_COPY_MOVE(PhoneBookPass)

private:
    DialUpService &m_service;
};

/**
 * The service the program uses: the system's own (Windows RAS, or pppd and the
 * kernel's link table on Linux) or the simulated line, as RUFWERK_BACKEND, the
 * setting DialUpBackend and the system decide (see chooseDialUpBackend()).
 */
std::unique_ptr<DialUpService> createSystemOrSimulatedService();

/// The dial-up backend the program uses: "sim" or "system".
struct DialUpBackendChoice
{
    QString backend;
    /// A German note when a value was not understood, else empty.
    QString warning;
};

/**
 * Picks the backend: RUFWERK_BACKEND ("sim" or "system") first, then the
 * setting, then the simulated line when RUFWERK_LINE_DIR names one, then the
 * system's service where it can dial (on Linux: where the kernel has PPP) and
 * the simulated line elsewhere.
 */
DialUpBackendChoice chooseDialUpBackend(const QString &environmentValue, const QString &settingValue, bool lineDirSet,
                                        bool systemCanDial);

/// Settings key and value name of the backend setting ("sim", "system"; empty: automatic).
QString dialUpBackendKey();
QString dialUpBackendValueName();

/// German text of a RAS error number, as the system's error string table has it.
QString rasErrorText(int error);

/// Why name cannot name a phone-book entry, as a German sentence for the user
/// (empty, too long, a leading dot, control characters such as a TAB, which
/// would shift the fields of the lists that hold names, or [ ] \ /); empty
/// when it can. Whether an entry of that name exists is not checked here.
QString entryNameError(const QString &name);

#ifdef Q_OS_WIN
/// The Windows dial-up networking service (rasapi32.dll, rnaph.dll as fallback).
std::unique_ptr<DialUpService> createWindowsRasService();
#endif
