// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class EchoService;

/// IP options of an echo reply.
struct TIPOptionInformation {
    quint8 Ttl = 0;
    quint8 Tos = 0;
    quint8 Flags = 0;
    quint8 OptionsSize = 0;
};

/// The system's echo reply record; Address is IPv4 in host byte order.
struct TIcmpEchoReply {
    quint32 Address = 0;
    quint32 Status = 0;
    quint32 RoundTripTime = 0;
    quint16 DataSize = 0;
    quint16 Reserved = 0;
    QByteArray Data;
    TIPOptionInformation Options;
};

/**
 * The echo component: looks a host up and sends ICMP echo requests to it.
 * Everything runs on the user-interface thread: a lookup of a dotted address
 * and SendEcho() finish before they return (SendEcho() waits at most Timeout
 * milliseconds); a name lookup started by StartLookup() ends later through the
 * event loop. Creating it never fails: where the system allows no echo, every
 * echo fails with "General failure" and ErrorText() says why.
 */
class TPing : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultSize = 56;
    static constexpr int DefaultTimeout = 4000;
    static constexpr int DefaultTTL = 64;
    /// OnDnsLookupDone's error of a cancelled lookup.
    static constexpr int LookupCancelled = 10004;
    /// OnDnsLookupDone's errors of a failed lookup (the socket library's codes).
    static constexpr int HostNotFound = 11001;
    static constexpr int TryAgain = 11002;
    static constexpr int NoAddress = 11004;

    explicit TPing(QObject *parent = nullptr);
    ~TPing() override;

    QString Address() const { return FAddress; }
    void SetAddress(const QString &address) { FAddress = address; }
    int Size() const { return FSize; }
    void SetSize(int size) { FSize = size; }
    int Timeout() const { return FTimeout; }
    void SetTimeout(int milliseconds) { FTimeout = milliseconds; }
    int TTL() const { return FTTL; }
    void SetTTL(int ttl) { FTTL = ttl; }
    int Flags() const { return FFlags; }
    void SetFlags(int flags) { FFlags = flags; }

    /// Starts the lookup of host; OnDnsLookupDone reports its end, at once for a dotted address.
    void StartLookup(const QString &host);
    /// Ends a pending lookup, reported with LookupCancelled.
    void CancelLookup();
    bool LookupPending() const { return FLookupId >= 0; }
    QString LookupResult() const { return FLookupResult; }

    /// Sends one echo to Address; returns the number of replies (0 or 1).
    int SendEcho();
    const TIcmpEchoReply &LastReply() const { return FLastReply; }
    quint32 LastStatus() const { return FLastStatus; }
    QString EchoHostName() const { return FEchoHostName; }
    QString EchoHostAddress() const { return FEchoHostAddress; }

    /// The text of the last echo's status.
    QString StatusText() const { return StatusText(FLastStatus); }
    static QString StatusText(quint32 status);

    /// Why echoes cannot be sent here, or why the last one failed in general; empty otherwise.
    QString ErrorText() const { return FErrorText; }
    bool Available() const { return FService != nullptr; }
    /// The method in use ("ICMP-Datagramm-Socket", "Raw-Socket", "Programm ping", "icmp.dll").
    QString Method() const;

    /// The dotted form of text ("000.010.1.1" becomes "0.10.1.1"), empty when text is no
    /// dotted IPv4 address of four decimal parts.
    static QString NormalisedAddress(const QString &text);

signals:
    void OnEchoRequest();
    void OnEchoReply(int replies);
    void OnDnsLookupDone(int error);

private:
    void finishEcho(quint32 status, int replies);
    /// Resolves Address for SendEcho within Timeout; false when it has no IPv4 address.
    bool resolveForEcho(quint32 *address);

    QString FAddress;
    int FSize = DefaultSize;
    int FTimeout = DefaultTimeout;
    int FTTL = DefaultTTL;
    int FFlags = 0;

    std::unique_ptr<EchoService> FService;
    QString FServiceError;
    QString FErrorText;
    int FLookupId = -1;
    QString FLookupResult;
    TIcmpEchoReply FLastReply;
    quint32 FLastStatus = 0;
    QString FEchoHostName;
    QString FEchoHostAddress;
};
