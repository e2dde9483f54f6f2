// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Echo through the system's ICMP library "icmp.dll" (Windows only).
#include "EchoService.h"

#include <QElapsedTimer>
#include <windows.h>
#include <winsock2.h>

using namespace Qt::StringLiterals;

namespace {

// The library's own records, declared here so no SDK header of it is needed.
struct IpOptionInformation {
    UCHAR Ttl;
    UCHAR Tos;
    UCHAR Flags;
    UCHAR OptionsSize;
    PUCHAR OptionsData;
};
struct IcmpEchoReply {
    ULONG Address;
    ULONG Status;
    ULONG RoundTripTime;
    USHORT DataSize;
    USHORT Reserved;
    PVOID Data;
    IpOptionInformation Options;
};

using IcmpCreateFileFn = HANDLE(WINAPI *)();
using IcmpCloseHandleFn = BOOL(WINAPI *)(HANDLE);
using IcmpSendEchoFn = DWORD(WINAPI *)(HANDLE, ULONG, LPVOID, WORD, IpOptionInformation *, LPVOID, DWORD, DWORD);

class WinIcmpEcho : public EchoService {
public:
    ~WinIcmpEcho() override
    {
        if (m_handle != INVALID_HANDLE_VALUE && m_close)
            m_close(m_handle);
        if (m_library)
            FreeLibrary(m_library);
        if (m_winsock)
            WSACleanup();
    }

    /// Empty when ready, else the reason in the library's own words.
    QString open()
    {
        WSADATA data;
        if (WSAStartup(MAKEWORD(1, 1), &data) != 0)
            return u"Error initialising Winsock"_s;
        m_winsock = true;
        m_library = LoadLibraryW(L"icmp.dll");
        if (!m_library)
            return u"Unable to register icmp.dll"_s;
        m_create = reinterpret_cast<IcmpCreateFileFn>(GetProcAddress(m_library, "IcmpCreateFile"));
        m_close = reinterpret_cast<IcmpCloseHandleFn>(GetProcAddress(m_library, "IcmpCloseHandle"));
        m_send = reinterpret_cast<IcmpSendEchoFn>(GetProcAddress(m_library, "IcmpSendEcho"));
        if (!m_create || !m_close || !m_send)
            return u"Error loading dll functions"_s;
        m_handle = m_create();
        if (m_handle == INVALID_HANDLE_VALUE)
            return u"Unable to get ping handle"_s;
        return QString();
    }

    QString methodName() const override { return u"icmp.dll"_s; }

    EchoResult sendChecked(const EchoRequest &request) override
    {
        EchoResult result;
        IpOptionInformation options {};
        options.Ttl = UCHAR(request.ttl);
        options.Flags = UCHAR(request.flags);
        QByteArray data = request.data;
        QByteArray reply(qsizetype(sizeof(IcmpEchoReply)) + data.size() + 8, '\0');
        QElapsedTimer clock;
        clock.start();
        const DWORD replies = m_send(m_handle, htonl(request.address), data.data(), WORD(data.size()), &options,
            reply.data(), DWORD(reply.size()), DWORD(std::max(request.timeoutMs, 0)));
        if (replies == 0) {
            result.status = GetLastError();
            return result;
        }
        const auto *record = reinterpret_cast<const IcmpEchoReply *>(reply.constData());
        result.status = record->Status;
        result.replyAddress = ntohl(record->Address);
        result.roundTripMs = record->RoundTripTime;
        result.roundTripUs = clock.nsecsElapsed() / 1000;
        if (record->Data && record->DataSize)
            result.data = QByteArray(static_cast<const char *>(record->Data), record->DataSize);
        result.ttl = record->Options.Ttl;
        result.tos = record->Options.Tos;
        result.flags = record->Options.Flags;
        return result;
    }

private:
    bool m_winsock = false;
    HMODULE m_library = nullptr;
    IcmpCreateFileFn m_create = nullptr;
    IcmpCloseHandleFn m_close = nullptr;
    IcmpSendEchoFn m_send = nullptr;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

} // namespace

std::unique_ptr<EchoService> createWindowsIcmpEcho(QString *reason)
{
    auto echo = std::make_unique<WinIcmpEcho>();
    const QString error = echo->open();
    if (!error.isEmpty()) {
        if (reason)
            *reason = error;
        return nullptr;
    }
    return echo;
}
