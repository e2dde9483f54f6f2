// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
//
// The Windows dial-up networking service. The RAS functions are looked up by
// name at run time, so the program starts on systems without dial-up
// networking and on Windows 95, whose functions live in rnaph.dll.
//
// Errors of the lookup ("Error opening rasapi.dll", "Error opening rnaph.dll",
// "Function <name> not found!") are not thrown across the service interface:
// the call returns ERROR_MOD_NOT_FOUND (126) or ERROR_PROC_NOT_FOUND (127) and
// errorString() of that number gives the text of the last such failure.
#include "DialUpService.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QObject>
#include <QProcess>
#include <QWindow>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winperf.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// Record layouts of the Windows 95 / NT 4.0 RAS interface (ANSI variants),
// written out here so the sizes do not depend on the SDK's WINVER.
constexpr DWORD RasMaxEntryName = 256;
constexpr DWORD RasMaxDeviceType = 16;
constexpr DWORD RasMaxDeviceName = 128;
constexpr DWORD RasMaxPhoneNumber = 128;
constexpr DWORD RasMaxAreaCode = 10;
constexpr DWORD RasMaxPadType = 32;
constexpr DWORD RasMaxX25Address = 200;
constexpr DWORD RasMaxFacilities = 200;
constexpr DWORD RasMaxUserData = 200;
constexpr DWORD RasMaxIpAddress = 15;
constexpr DWORD RasUserNameLength = 256;
constexpr DWORD RasPasswordLength = 256;
constexpr DWORD RasDomainLength = 15;
constexpr DWORD RasProjectionPppIp = 0x8021;
constexpr DWORD RasBufferTooSmall = RasError::BufferTooSmall;

using HRasConn = HANDLE;

struct RasEntryNameA
{
    DWORD dwSize;
    CHAR szEntryName[RasMaxEntryName + 1];
};

struct RasConnA
{
    DWORD dwSize;
    HRasConn hrasconn;
    CHAR szEntryName[RasMaxEntryName + 1];
    CHAR szDeviceType[RasMaxDeviceType + 1];
    CHAR szDeviceName[RasMaxDeviceName + 1];
};

struct RasConnStatusA
{
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RasMaxDeviceType + 1];
    CHAR szDeviceName[RasMaxDeviceName + 1];
};

struct RasDialParamsA
{
    DWORD dwSize;
    CHAR szEntryName[RasMaxEntryName + 1];
    CHAR szPhoneNumber[RasMaxPhoneNumber + 1];
    CHAR szCallbackNumber[RasMaxPhoneNumber + 1];
    CHAR szUserName[RasUserNameLength + 1];
    CHAR szPassword[RasPasswordLength + 1];
    CHAR szDomain[RasDomainLength + 1];
};

struct RasEntryA
{
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    CHAR szAreaCode[RasMaxAreaCode + 1];
    CHAR szLocalPhoneNumber[RasMaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    DWORD ipaddr; // RASIPADDR: a.b.c.d with a in the lowest byte
    DWORD ipaddrDns;
    DWORD ipaddrDnsAlt;
    DWORD ipaddrWins;
    DWORD ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    CHAR szScript[MAX_PATH];
    CHAR szAutodialDll[MAX_PATH];
    CHAR szAutodialFunc[MAX_PATH];
    CHAR szDeviceType[RasMaxDeviceType + 1];
    CHAR szDeviceName[RasMaxDeviceName + 1];
    CHAR szX25PadType[RasMaxPadType + 1];
    CHAR szX25Address[RasMaxX25Address + 1];
    CHAR szX25Facilities[RasMaxFacilities + 1];
    CHAR szX25UserData[RasMaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
};

struct RasPppIpA
{
    DWORD dwSize;
    DWORD dwError;
    CHAR szIpAddress[RasMaxIpAddress + 1];
    CHAR szServerIpAddress[RasMaxIpAddress + 1];
};

struct RasDevInfoA
{
    DWORD dwSize;
    CHAR szDeviceType[RasMaxDeviceType + 1];
    CHAR szDeviceName[RasMaxDeviceName + 1];
};

static_assert(sizeof(RasEntryNameA) == 264);
static_assert(sizeof(RasConnStatusA) == 160);
static_assert(sizeof(RasDialParamsA) == 1052);
static_assert(sizeof(RasEntryA) == 1768);
static_assert(sizeof(RasPppIpA) == 40);
#if !defined(_WIN64)
// The connection record holds a handle, so only the 32-bit layout has this size.
static_assert(sizeof(RasConnA) == 412);
#endif

using FnEnumEntries = DWORD(WINAPI *)(LPCSTR, LPCSTR, RasEntryNameA *, LPDWORD, LPDWORD);
using FnGetEntryProperties = DWORD(WINAPI *)(LPCSTR, LPCSTR, void *, LPDWORD, LPBYTE, LPDWORD);
using FnSetEntryProperties = DWORD(WINAPI *)(LPCSTR, LPCSTR, void *, DWORD, LPBYTE, DWORD);
using FnGetEntryDialParams = DWORD(WINAPI *)(LPCSTR, RasDialParamsA *, LPBOOL);
using FnSetEntryDialParams = DWORD(WINAPI *)(LPCSTR, RasDialParamsA *, BOOL);
using FnCreatePhonebookEntry = DWORD(WINAPI *)(HWND, LPCSTR);
using FnEditPhonebookEntry = DWORD(WINAPI *)(HWND, LPCSTR, LPCSTR);
using FnRenameEntry = DWORD(WINAPI *)(LPCSTR, LPCSTR, LPCSTR);
using FnDeleteEntry = DWORD(WINAPI *)(LPCSTR, LPCSTR);
using FnValidateEntryName = DWORD(WINAPI *)(LPCSTR, LPCSTR);
using FnEnumDevices = DWORD(WINAPI *)(RasDevInfoA *, LPDWORD, LPDWORD);
using FnEnumConnections = DWORD(WINAPI *)(RasConnA *, LPDWORD, LPDWORD);
using FnGetConnectStatus = DWORD(WINAPI *)(HRasConn, RasConnStatusA *);
using FnGetProjectionInfo = DWORD(WINAPI *)(HRasConn, DWORD, LPVOID, LPDWORD);
using FnGetErrorString = DWORD(WINAPI *)(UINT, LPSTR, DWORD);
using FnDial = DWORD(WINAPI *)(LPVOID, LPCSTR, RasDialParamsA *, DWORD, LPVOID, HRasConn *);
using FnHangUp = DWORD(WINAPI *)(HRasConn);

const QString passThroughRecordKey = QStringLiteral("WinRasEntry");

// ---------------------------------------------------------------------------
// Texts in the system's ANSI code page

QString fromAnsiBytes(const char *data, int size)
{
    if (size <= 0)
        return QString();
    const int length = MultiByteToWideChar(CP_ACP, 0, data, size, nullptr, 0);
    if (length <= 0)
        return QString();
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, data, size, reinterpret_cast<wchar_t *>(text.data()), length);
    return text;
}

// A NUL-terminated field of at most size bytes.
QString fromAnsi(const char *field, size_t size)
{
    size_t length = 0;
    while (length < size && field[length] != 0)
        ++length;
    return fromAnsiBytes(field, int(length));
}

QByteArray toAnsi(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return QByteArray();
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// Fills a fixed field, cutting whole characters so a double-byte character is
// never split, and always ends it with a NUL.
void toAnsiField(char *field, size_t size, const QString &text)
{
    std::memset(field, 0, size);
    QString rest = text;
    QByteArray bytes = toAnsi(rest);
    while (size_t(bytes.size()) > size - 1 && !rest.isEmpty()) {
        rest.chop(1);
        bytes = toAnsi(rest);
    }
    std::memcpy(field, bytes.constData(), std::min(size - 1, size_t(bytes.size())));
}

template<size_t N>
QString fieldText(const char (&field)[N])
{
    return fromAnsi(field, N);
}

template<size_t N>
void setField(char (&field)[N], const QString &text)
{
    toAnsiField(field, N, text);
}

RasHandle toRasHandle(HRasConn handle)
{
    return RasHandle(reinterpret_cast<quintptr>(handle));
}

HRasConn toHRasConn(RasHandle handle)
{
    return reinterpret_cast<HRasConn>(quintptr(handle));
}

// ---------------------------------------------------------------------------
// Run-time binding of the RAS functions

class ERasLibraryError : public std::runtime_error
{
public:
    ERasLibraryError(const std::string &text, int code)
        : std::runtime_error(text)
        , FCode(code)
    {
    }
    int code() const { return FCode; }

private:
    int FCode;
};

class TRasLibrary
{
public:
    TRasLibrary() = default;
    TRasLibrary(const TRasLibrary &) = delete;
    TRasLibrary &operator=(const TRasLibrary &) = delete;
    ~TRasLibrary()
    {
        // rasapi32.dll stays loaded for the life of the process; only the
        // replacement library is released.
        if (FReplacement)
            FreeLibrary(FReplacement);
    }

    /// Looks name up as name + "A", then name; falls back to rnaph.dll for good
    /// once a name is missing from rasapi32.dll. Throws ERasLibraryError.
    FARPROC function(const char *name)
    {
        const QByteArray key(name);
        const auto cached = FFunctions.constFind(key);
        if (cached != FFunctions.constEnd())
            return *cached;

        if (!FLibrary) {
            FLibrary = LoadLibraryA("rasapi32.dll");
            if (!FLibrary)
                throw ERasLibraryError("Error opening rasapi.dll", ERROR_MOD_NOT_FOUND);
        }
        FARPROC proc = nullptr;
        if (!FUseReplacement) {
            proc = GetProcAddress(FLibrary, QByteArray(key + 'A').constData());
            if (!proc)
                proc = GetProcAddress(FLibrary, name);
            if (!proc) {
                FReplacement = LoadLibraryA("rnaph.dll");
                if (!FReplacement)
                    throw ERasLibraryError("Error opening rnaph.dll", ERROR_MOD_NOT_FOUND);
                FUseReplacement = true;
            }
        }
        if (!proc)
            proc = GetProcAddress(FReplacement, name);
        if (!proc)
            throw ERasLibraryError("Function " + std::string(name) + " not found!", ERROR_PROC_NOT_FOUND);
        FFunctions.insert(key, proc);
        return proc;
    }

    bool usesReplacement() const { return FUseReplacement; }

private:
    HMODULE FLibrary = nullptr;
    HMODULE FReplacement = nullptr;
    bool FUseReplacement = false;
    QHash<QByteArray, FARPROC> FFunctions;
};

enum class TSystemFamily { Win32s, Win9x, NT };

TSystemFamily systemFamily()
{
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    const DWORD version = GetVersion();
    if ((version & 0x80000000u) == 0)
        return TSystemFamily::NT;
    return LOBYTE(LOWORD(version)) < 4 ? TSystemFamily::Win32s : TSystemFamily::Win9x;
}

// Windows 95/98 keep the dial-up adapter's counters in the dynamic registry.
const HKEY DynDataKey = reinterpret_cast<HKEY>(ULONG_PTR(0x80000006));

bool readDword(HKEY key, const QString &valueName, DWORD *value)
{
    DWORD type = 0;
    DWORD size = sizeof(DWORD);
    const QByteArray name = toAnsi(valueName);
    const LONG rc = RegQueryValueExA(key, name.constData(), nullptr, &type, reinterpret_cast<LPBYTE>(value), &size);
    return rc == ERROR_SUCCESS && size == sizeof(DWORD);
}

// The counter value at offset in a counter block, bounds-checked against the data.
bool counterValue(const BYTE *data, size_t dataSize, size_t block, const PERF_COUNTER_DEFINITION &def, DWORD *value)
{
    if (block + sizeof(PERF_COUNTER_BLOCK) > dataSize)
        return false;
    PERF_COUNTER_BLOCK counters;
    std::memcpy(&counters, data + block, sizeof counters);
    const size_t at = block + def.CounterOffset;
    if (def.CounterOffset + 4 > counters.ByteLength || at + 4 > dataSize)
        return false;
    // 64-bit counters are read by their low part, which the 32-bit figures wrap with.
    std::memcpy(value, data + at, sizeof(DWORD));
    return true;
}

// Runs an enumeration that fills an array of records: a system that needs more
// room says so with 603 and the byte count it needs, so the array grows and
// the call is repeated. On success records holds just the records returned.
template<typename Record, typename Call>
DWORD enumRecords(std::vector<Record> *records, Call call)
{
    DWORD rc = RasBufferTooSmall;
    DWORD count = 0;
    for (int attempt = 0; attempt < 4 && rc == RasBufferTooSmall; ++attempt) {
        std::memset(static_cast<void *>(records->data()), 0, records->size() * sizeof(Record));
        for (Record &record : *records)
            record.dwSize = sizeof(Record);
        DWORD bytes = DWORD(records->size() * sizeof(Record));
        count = 0;
        rc = call(records->data(), &bytes, &count);
        if (rc == RasBufferTooSmall)
            records->resize(std::max<size_t>(records->size() * 2, bytes / sizeof(Record) + 1));
    }
    if (rc == ERROR_SUCCESS)
        records->resize(std::min<size_t>(count, records->size()));
    return rc;
}

// ---------------------------------------------------------------------------

class WinRasService : public DialUpService
{
public:
    ~WinRasService() override
    {
        if (FPerformanceDataUsed)
            RegCloseKey(HKEY_PERFORMANCE_DATA);
    }

    QString backendName() const override
    {
        return FLibrary.usesReplacement() ? QStringLiteral("Windows-DFÜ-Netzwerk (rnaph.dll)")
                                          : QStringLiteral("Windows-DFÜ-Netzwerk (rasapi32.dll)");
    }

    int enumEntries(QStringList *names) override
    {
        names->clear();
        int error = 0;
        const auto fn = bind<FnEnumEntries>("RasEnumEntries", &error);
        if (!fn)
            return error;
        // Room for 100 names first; a larger book gets the room it asks for.
        std::vector<RasEntryNameA> records(100);
        const DWORD rc = enumRecords(&records, [fn](RasEntryNameA *data, LPDWORD bytes, LPDWORD count) {
            return fn(nullptr, nullptr, data, bytes, count);
        });
        if (rc != ERROR_SUCCESS)
            return int(rc);
        for (const RasEntryNameA &record : records)
            names->append(fieldText(record.szEntryName));
        return RasError::Success;
    }

    int getEntryProperties(const QString &entryName, RasEntry *entry) override
    {
        int error = 0;
        const auto fn = bind<FnGetEntryProperties>("RasGetEntryProperties", &error);
        if (!fn)
            return error;
        const QByteArray name = toAnsi(entryName);
        // The record is followed by the alternate numbers, hence more room than the record.
        std::vector<BYTE> buffer(5000);
        DWORD size = 0;
        DWORD rc = RasBufferTooSmall;
        for (int attempt = 0; attempt < 3 && rc == RasBufferTooSmall; ++attempt) {
            std::fill(buffer.begin(), buffer.end(), BYTE(0));
            const DWORD recordSize = sizeof(RasEntryA);
            std::memcpy(buffer.data(), &recordSize, sizeof recordSize);
            size = DWORD(buffer.size());
            rc = fn(nullptr, name.constData(), buffer.data(), &size, nullptr, nullptr);
            if (rc == RasBufferTooSmall)
                buffer.resize(std::max<size_t>(buffer.size() * 2, size));
        }
        if (rc != ERROR_SUCCESS)
            return int(rc);

        RasEntryA record;
        std::memcpy(&record, buffer.data(), sizeof record);
        *entry = RasEntry();
        entry->options = record.dwfOptions;
        entry->countryId = record.dwCountryID;
        entry->countryCode = record.dwCountryCode;
        entry->areaCode = fieldText(record.szAreaCode);
        entry->localPhoneNumber = fieldText(record.szLocalPhoneNumber);
        entry->ipAddr = record.ipaddr;
        entry->ipAddrDns = record.ipaddrDns;
        entry->ipAddrDnsAlt = record.ipaddrDnsAlt;
        entry->ipAddrWins = record.ipaddrWins;
        entry->ipAddrWinsAlt = record.ipaddrWinsAlt;
        entry->frameSize = record.dwFrameSize;
        entry->netProtocols = record.dwfNetProtocols;
        entry->framingProtocol = record.dwFramingProtocol;
        entry->script = fieldText(record.szScript);
        entry->deviceType = fieldText(record.szDeviceType);
        // Windows 95 may keep the port behind the name, after a NUL: take the
        // whole field up to its last non-NUL byte.
        int deviceBytes = int(sizeof record.szDeviceName) - 1;
        while (deviceBytes > 0 && record.szDeviceName[deviceBytes - 1] == 0)
            --deviceBytes;
        entry->deviceName = fromAnsiBytes(record.szDeviceName, deviceBytes);
        // Everything else (alternate numbers, X.25, autodial) survives a read-modify-write.
        const size_t used = std::clamp<size_t>(size, sizeof(RasEntryA), buffer.size());
        const QByteArray raw(reinterpret_cast<const char *>(buffer.data()), qsizetype(used));
        entry->passThrough.insert(passThroughRecordKey, QString::fromLatin1(raw.toHex()));
        return RasError::Success;
    }

    int setEntryProperties(const QString &entryName, const RasEntry &entry) override
    {
        int error = 0;
        const auto fn = bind<FnSetEntryProperties>("RasSetEntryProperties", &error);
        if (!fn)
            return error;

        QByteArray raw = QByteArray::fromHex(entry.passThrough.value(passThroughRecordKey).toLatin1());
        if (size_t(raw.size()) < sizeof(RasEntryA))
            raw = QByteArray(qsizetype(sizeof(RasEntryA)), '\0');
        RasEntryA record;
        std::memcpy(&record, raw.constData(), sizeof record);
        record.dwSize = sizeof(RasEntryA);
        record.dwfOptions = entry.options;
        record.dwCountryID = entry.countryId;
        record.dwCountryCode = entry.countryCode;
        setField(record.szAreaCode, entry.areaCode);
        setField(record.szLocalPhoneNumber, entry.localPhoneNumber);
        record.ipaddr = entry.ipAddr;
        record.ipaddrDns = entry.ipAddrDns;
        record.ipaddrDnsAlt = entry.ipAddrDnsAlt;
        record.ipaddrWins = entry.ipAddrWins;
        record.ipaddrWinsAlt = entry.ipAddrWinsAlt;
        record.dwFrameSize = entry.frameSize;
        record.dwfNetProtocols = entry.netProtocols;
        record.dwFramingProtocol = entry.framingProtocol;
        setField(record.szScript, entry.script);
        setField(record.szDeviceType, entry.deviceType);
        setField(record.szDeviceName, entry.deviceName); // a NUL before the port is kept
        std::memcpy(raw.data(), &record, sizeof record);

        const QByteArray name = toAnsi(entryName);
        return int(fn(nullptr, name.constData(), raw.data(), DWORD(raw.size()), nullptr, 0));
    }

    int getEntryDialParams(const QString &entryName, RasDialParams *params, bool *passwordStored) override
    {
        int error = 0;
        const auto fn = bind<FnGetEntryDialParams>("RasGetEntryDialParams", &error);
        if (!fn)
            return error;
        RasDialParamsA record;
        std::memset(&record, 0, sizeof record);
        record.dwSize = sizeof record;
        setField(record.szEntryName, entryName);
        BOOL password = FALSE;
        const DWORD rc = fn(nullptr, &record, &password);
        if (rc == ERROR_SUCCESS) {
            params->entryName = fieldText(record.szEntryName);
            params->phoneNumber = fieldText(record.szPhoneNumber);
            params->callbackNumber = fieldText(record.szCallbackNumber);
            params->userName = fieldText(record.szUserName);
            params->password = fieldText(record.szPassword);
            params->domain = fieldText(record.szDomain);
            if (passwordStored)
                *passwordStored = password != FALSE;
        }
        SecureZeroMemory(&record, sizeof record);
        return int(rc);
    }

    int setEntryDialParams(const RasDialParams &params, bool removePassword) override
    {
        int error = 0;
        const auto fn = bind<FnSetEntryDialParams>("RasSetEntryDialParams", &error);
        if (!fn)
            return error;
        RasDialParamsA record;
        fillDialParams(&record, params);
        const DWORD rc = fn(nullptr, &record, removePassword ? TRUE : FALSE);
        SecureZeroMemory(&record, sizeof record);
        return int(rc);
    }

    int createEntryDialog(QObject *owner, QString *createdName) override
    {
        if (m_dialogHook)
            return DialUpService::createEntryDialog(owner, createdName);
        int error = 0;
        const auto fn = bind<FnCreatePhonebookEntry>("RasCreatePhonebookEntry", &error);
        if (!fn)
            return error;
        // The dialog does not tell the new name: compare the book before and after.
        QStringList before;
        enumEntries(&before);
        const DWORD rc = fn(ownerWindow(owner), nullptr);
        if (rc == ERROR_SUCCESS && createdName) {
            createdName->clear();
            QStringList after;
            enumEntries(&after);
            for (const QString &name : std::as_const(after)) {
                if (!before.contains(name, Qt::CaseInsensitive)) {
                    *createdName = name;
                    break;
                }
            }
        }
        return int(rc);
    }

    int editEntryDialog(QObject *owner, const QString &entryName) override
    {
        if (m_dialogHook)
            return DialUpService::editEntryDialog(owner, entryName);
        int error = 0;
        const auto fn = bind<FnEditPhonebookEntry>("RasEditPhonebookEntry", &error);
        if (!fn)
            return error;
        const QByteArray name = toAnsi(entryName);
        return int(fn(ownerWindow(owner), nullptr, name.constData()));
    }

    int renameEntry(const QString &oldName, const QString &newName) override
    {
        int error = 0;
        const auto fn = bind<FnRenameEntry>("RasRenameEntry", &error);
        if (!fn)
            return error;
        const QByteArray from = toAnsi(oldName);
        const QByteArray to = toAnsi(newName);
        return int(fn(nullptr, from.constData(), to.constData()));
    }

    int deleteEntry(const QString &entryName) override
    {
        int error = 0;
        const auto fn = bind<FnDeleteEntry>("RasDeleteEntry", &error);
        if (!fn)
            return error;
        const QByteArray name = toAnsi(entryName);
        return int(fn(nullptr, name.constData()));
    }

    int validateEntryName(const QString &entryName) override
    {
        int error = 0;
        const auto fn = bind<FnValidateEntryName>("RasValidateEntryName", &error);
        if (!fn)
            return DialUpService::validateEntryName(entryName);
        const QByteArray name = toAnsi(entryName);
        return int(fn(nullptr, name.constData()));
    }

    int enumDevices(QList<RasDevice> *devices) override
    {
        devices->clear();
        int error = 0;
        const auto fn = bind<FnEnumDevices>("RasEnumDevices", &error);
        if (!fn)
            return error;
        std::vector<RasDevInfoA> records(16);
        const DWORD rc = enumRecords(&records, fn);
        if (rc != ERROR_SUCCESS)
            return int(rc);
        for (const RasDevInfoA &record : records)
            devices->append({fieldText(record.szDeviceType), fieldText(record.szDeviceName)});
        return RasError::Success;
    }

    bool hasModemSettings() const override { return true; }

    int showModemSettings(QObject *) override
    {
        // Windows 9x and NT 4.0 have the modem applet; later systems keep the
        // modems in the telephony applet.
        wchar_t system[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        const QString folder = QString::fromWCharArray(system, int(length));
        const QString applet = QFile::exists(folder + QLatin1String("\\modem.cpl")) ? QStringLiteral("modem.cpl")
                                                                                     : QStringLiteral("telephon.cpl");
        return QProcess::startDetached(QStringLiteral("control.exe"), {applet}) ? RasError::Success
                                                                                : RasError::InvalidParameter;
    }

    int enumConnections(QList<RasConnection> *connections) override
    {
        connections->clear();
        int error = 0;
        const auto fn = bind<FnEnumConnections>("RasEnumConnections", &error);
        if (!fn)
            return error;
        std::vector<RasConnA> records(100);
        const DWORD rc = enumRecords(&records, fn);
        if (rc != ERROR_SUCCESS)
            return int(rc);
        for (const RasConnA &record : records) {
            RasConnection connection;
            connection.handle = toRasHandle(record.hrasconn);
            connection.entryName = fieldText(record.szEntryName);
            connection.deviceType = fieldText(record.szDeviceType);
            connection.deviceName = fieldText(record.szDeviceName);
            connections->append(connection);
        }
        return RasError::Success;
    }

    int connectStatus(RasHandle handle, RasConnStatus *status) override
    {
        int error = 0;
        const auto fn = bind<FnGetConnectStatus>("RasGetConnectStatus", &error);
        if (!fn)
            return error;
        RasConnStatusA record;
        std::memset(&record, 0, sizeof record);
        record.dwSize = sizeof record;
        const DWORD rc = fn(toHRasConn(handle), &record);
        if (rc != ERROR_SUCCESS)
            return int(rc);
        status->state = int(record.rasconnstate);
        status->error = int(record.dwError);
        status->deviceType = fieldText(record.szDeviceType);
        status->deviceName = fieldText(record.szDeviceName);
        return RasError::Success;
    }

    int projectionInfo(RasHandle handle, RasIpProjection *projection) override
    {
        int error = 0;
        const auto fn = bind<FnGetProjectionInfo>("RasGetProjectionInfo", &error);
        if (!fn)
            return error;
        RasPppIpA record;
        std::memset(&record, 0, sizeof record);
        record.dwSize = sizeof record;
        DWORD size = sizeof record;
        const DWORD rc = fn(toHRasConn(handle), RasProjectionPppIp, &record, &size);
        if (rc != ERROR_SUCCESS)
            return int(rc);
        projection->error = int(record.dwError);
        projection->clientAddress = fieldText(record.szIpAddress);
        projection->serverAddress = fieldText(record.szServerIpAddress);
        return RasError::Success;
    }

    QString errorString(int error) const override
    {
        if ((error == ERROR_MOD_NOT_FOUND || error == ERROR_PROC_NOT_FOUND) && !FLibraryError.isEmpty())
            return FLibraryError;
        int ignored = 0;
        if (const auto fn = bind<FnGetErrorString>("RasGetErrorString", &ignored)) {
            char text[512] = {};
            if (fn(UINT(error), text, DWORD(sizeof text)) == ERROR_SUCCESS) {
                const QString message = fieldText(text).trimmed();
                if (!message.isEmpty())
                    return message;
            }
        }
        return rasErrorText(error);
    }

    // Statistics. Windows 95/98 publish the dial-up adapter's counters in the
    // dynamic registry; Windows NT in the performance object 906 (RAS ports),
    // which stands in as the one adapter key there. Win32s has no dial-up networking.

    QStringList findAdapters() override
    {
        QStringList adapters;
        switch (FFamily) {
        case TSystemFamily::Win32s:
            break;
        case TSystemFamily::NT:
            adapters << QStringLiteral("906");
            break;
        case TSystemFamily::Win9x:
            adapters = findWin9xAdapters();
            break;
        }
        FAdapterKey = adapters.value(0);
        return adapters;
    }

    bool startStatistics(bool start) override
    {
        switch (FFamily) {
        case TSystemFamily::Win32s:
            return false;
        case TSystemFamily::NT:
            return true;
        case TSystemFamily::Win9x:
            break;
        }
        if (FAdapterKey.isEmpty() && findAdapters().isEmpty())
            return false;
        HKEY key = nullptr;
        // Reading the values from StartStat or StopStat starts or stops the collection.
        if (RegOpenKeyExA(DynDataKey, start ? "PerfStats\\StartStat" : "PerfStats\\StopStat", 0, KEY_ALL_ACCESS, &key)
            != ERROR_SUCCESS) {
            return false;
        }
        DWORD xmit = 0;
        DWORD recv = 0;
        DWORD speed = 0;
        const bool ok = readDword(key, FAdapterKey + QLatin1String("\\TotalBytesXmit"), &xmit)
            && readDword(key, FAdapterKey + QLatin1String("\\TotalBytesRecvd"), &recv)
            && readDword(key, FAdapterKey + QLatin1String("\\ConnectSpeed"), &speed);
        RegCloseKey(key);
        return ok;
    }

    bool readStatistics(RasStatistics *statistics) override
    {
        switch (FFamily) {
        case TSystemFamily::Win32s:
            return false;
        case TSystemFamily::NT:
            return readPerformanceData(statistics);
        case TSystemFamily::Win9x:
            break;
        }
        if (FAdapterKey.isEmpty() && findAdapters().isEmpty())
            return false;
        HKEY key = nullptr;
        if (RegOpenKeyExA(DynDataKey, "PerfStats\\StatData", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        DWORD xmit = 0;
        DWORD recv = 0;
        DWORD speed = 0;
        const bool ok = readDword(key, FAdapterKey + QLatin1String("\\TotalBytesXmit"), &xmit)
            && readDword(key, FAdapterKey + QLatin1String("\\TotalBytesRecvd"), &recv)
            && readDword(key, FAdapterKey + QLatin1String("\\ConnectSpeed"), &speed);
        RegCloseKey(key);
        if (ok) {
            statistics->bytesXmit = xmit;
            statistics->bytesRecv = recv;
            statistics->connectSpeed = speed;
        }
        return ok;
    }

    // Dialing, for the connection module

    int dial(const RasDialParams &params, RasHandle *handle) override
    {
        *handle = 0;
        int error = 0;
        const auto fn = bind<FnDial>("RasDial", &error);
        if (!fn)
            return error;
        const auto hangUpFn = bind<FnHangUp>("RasHangUp", &error);
        if (!hangUpFn)
            return error;
        RasDialParamsA record;
        fillDialParams(&record, params);
        HRasConn connection = nullptr;
        // Notifier type 0 with a callback makes the call return at once; the
        // progress is read with connectStatus().
        const DWORD rc = fn(nullptr, nullptr, &record, 0, reinterpret_cast<LPVOID>(&dialNotify), &connection);
        SecureZeroMemory(&record, sizeof record);
        if (rc != ERROR_SUCCESS) {
            // A failed dial may still hold the port.
            if (connection)
                hangUpFn(connection);
            return int(rc);
        }
        *handle = toRasHandle(connection);
        return RasError::Success;
    }

    int hangUp(RasHandle handle) override
    {
        int error = 0;
        const auto fn = bind<FnHangUp>("RasHangUp", &error);
        if (!fn)
            return error;
        return int(fn(toHRasConn(handle)));
    }

private:
    static VOID WINAPI dialNotify(UINT, DWORD, DWORD) {}

    template<typename Fn>
    Fn bind(const char *name, int *error) const
    {
        try {
            FARPROC proc = FLibrary.function(name);
            return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
        } catch (const ERasLibraryError &e) {
            FLibraryError = QString::fromLatin1(e.what());
            *error = e.code();
            return nullptr;
        }
    }

    static void fillDialParams(RasDialParamsA *record, const RasDialParams &params)
    {
        std::memset(record, 0, sizeof *record);
        record->dwSize = sizeof *record;
        setField(record->szEntryName, params.entryName);
        setField(record->szPhoneNumber, params.phoneNumber);
        setField(record->szCallbackNumber, params.callbackNumber);
        setField(record->szUserName, params.userName);
        setField(record->szPassword, params.password);
        setField(record->szDomain, params.domain);
    }

    // The dialogs belong to the owner's window: a QWindow has its own handle; a
    // widget is the one the user just worked in, the active window.
    static HWND ownerWindow(QObject *owner)
    {
        if (auto *window = qobject_cast<QWindow *>(owner))
            return reinterpret_cast<HWND>(window->winId());
        if (owner && owner->isWidgetType())
            return GetActiveWindow();
        return nullptr;
    }

    QStringList findWin9xAdapters() const
    {
        QStringList adapters;
        HKEY enumKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\PerfStats\\Enum", 0, KEY_READ,
                          &enumKey)
            != ERROR_SUCCESS) {
            return adapters;
        }
        HKEY startKey = nullptr;
        if (RegOpenKeyExA(DynDataKey, "PerfStats\\StartStat", 0, KEY_READ, &startKey) != ERROR_SUCCESS) {
            RegCloseKey(enumKey);
            return adapters;
        }
        for (DWORD index = 0;; ++index) {
            char name[33] = {};
            DWORD length = sizeof name;
            const LONG rc = RegEnumKeyExA(enumKey, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_MORE_DATA)
                continue; // longer than an adapter key can be
            if (rc != ERROR_SUCCESS)
                break;
            const QString adapter = fieldText(name);
            const QByteArray value = toAnsi(adapter + QLatin1String("\\ConnectSpeed"));
            if (RegQueryValueExA(startKey, value.constData(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                adapters << adapter;
        }
        RegCloseKey(startKey);
        RegCloseKey(enumKey);
        adapters.sort();
        return adapters;
    }

    bool readPerformanceData(RasStatistics *statistics)
    {
        // The buffer keeps its size between calls, so only the first call grows it.
        if (FPerformanceBuffer.size() < 8192)
            FPerformanceBuffer.resize(8192);
        constexpr size_t MaxBuffer = 16u * 1024u * 1024u;
        DWORD size = 0;
        LONG rc = ERROR_MORE_DATA;
        while (rc == ERROR_MORE_DATA) {
            DWORD type = 0;
            size = DWORD(FPerformanceBuffer.size());
            rc = RegQueryValueExA(HKEY_PERFORMANCE_DATA, "906", nullptr, &type, FPerformanceBuffer.data(), &size);
            FPerformanceDataUsed = true;
            if (rc == ERROR_MORE_DATA) {
                if (FPerformanceBuffer.size() + 1024 > MaxBuffer)
                    return false;
                FPerformanceBuffer.resize(FPerformanceBuffer.size() + 1024);
            }
        }
        if (rc != ERROR_SUCCESS || size <= 99)
            return false;

        const BYTE *data = FPerformanceBuffer.data();
        const size_t dataSize = std::min<size_t>(size, FPerformanceBuffer.size());
        if (dataSize < sizeof(PERF_DATA_BLOCK))
            return false;
        PERF_DATA_BLOCK header;
        std::memcpy(&header, data, sizeof header);

        DWORD xmit = 0;
        DWORD recv = 0;
        size_t objectAt = header.HeaderLength;
        for (DWORD object = 0; object < header.NumObjectTypes; ++object) {
            if (objectAt + sizeof(PERF_OBJECT_TYPE) > dataSize)
                return false;
            PERF_OBJECT_TYPE type;
            std::memcpy(&type, data + objectAt, sizeof type);
            if (type.NumCounters > 50)
                return false;

            bool hasXmit = false;
            bool hasRecv = false;
            PERF_COUNTER_DEFINITION xmitDef{};
            PERF_COUNTER_DEFINITION recvDef{};
            size_t counterAt = objectAt + type.HeaderLength;
            for (DWORD counter = 0; counter < type.NumCounters; ++counter) {
                if (counterAt + sizeof(PERF_COUNTER_DEFINITION) > dataSize)
                    return false;
                PERF_COUNTER_DEFINITION def;
                std::memcpy(&def, data + counterAt, sizeof def);
                if (def.CounterNameTitleIndex == 872) {
                    xmitDef = def;
                    hasXmit = true;
                } else if (def.CounterNameTitleIndex == 874) {
                    recvDef = def;
                    hasRecv = true;
                }
                if (def.ByteLength == 0)
                    return false;
                counterAt += def.ByteLength;
            }

            auto take = [&](size_t block) {
                DWORD value = 0;
                if (hasXmit && counterValue(data, dataSize, block, xmitDef, &value))
                    xmit = std::max(xmit, value);
                if (hasRecv && counterValue(data, dataSize, block, recvDef, &value))
                    recv = std::max(recv, value);
            };
            if (type.NumInstances == PERF_NO_INSTANCES || type.NumInstances <= 0) {
                take(objectAt + type.DefinitionLength);
            } else {
                size_t instanceAt = objectAt + type.DefinitionLength;
                for (LONG instance = 0; instance < type.NumInstances; ++instance) {
                    if (instanceAt + sizeof(PERF_INSTANCE_DEFINITION) > dataSize)
                        return false;
                    PERF_INSTANCE_DEFINITION definition;
                    std::memcpy(&definition, data + instanceAt, sizeof definition);
                    const size_t block = instanceAt + definition.ByteLength;
                    if (definition.ByteLength == 0 || block + sizeof(PERF_COUNTER_BLOCK) > dataSize)
                        return false;
                    take(block);
                    PERF_COUNTER_BLOCK counters;
                    std::memcpy(&counters, data + block, sizeof counters);
                    if (counters.ByteLength == 0)
                        return false;
                    instanceAt = block + counters.ByteLength;
                }
            }
            if (type.TotalByteLength == 0)
                break;
            objectAt += type.TotalByteLength;
        }
        statistics->bytesXmit = xmit;
        statistics->bytesRecv = recv;
        statistics->connectSpeed = 0; // not published on this system
        return true;
    }

    mutable TRasLibrary FLibrary;
    mutable QString FLibraryError;
    const TSystemFamily FFamily = systemFamily();
    QString FAdapterKey;
    std::vector<BYTE> FPerformanceBuffer;
    bool FPerformanceDataUsed = false;
};

} // namespace

std::unique_ptr<DialUpService> createWindowsRasService()
{
    return std::make_unique<WinRasService>();
}
