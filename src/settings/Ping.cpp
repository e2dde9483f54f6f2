// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Ping.h"

#include "EchoService.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Stands at the start of every echo's data, so a capture shows who sent it.
constexpr char Identification[] = "Kovatek Rufwerk Echo";

quint32 parseDotted(const QString &dotted)
{
    quint32 address = 0;
    for (const QString &part : dotted.split(u'.'))
        address = address << 8 | part.toUInt();
    return address;
}

/// The first IPv4 address of a lookup's answer, 0 when it has none.
quint32 firstIPv4(const QHostInfo &info)
{
    for (const QHostAddress &address : info.addresses()) {
        bool ok = false;
        const quint32 v4 = address.toIPv4Address(&ok);
        if (ok)
            return v4;
    }
    return 0;
}

} // namespace

TPing::TPing(QObject *parent)
    : QObject(parent)
{
    setObjectName(u"PingTest"_s);
    FService = createEchoService(EchoMethod::Auto, &FServiceError);
    if (!FService)
        FErrorText = FServiceError;
}

TPing::~TPing()
{
    if (FLookupId >= 0)
        QHostInfo::abortHostLookup(FLookupId);
}

QString TPing::Method() const
{
    return FService ? FService->methodName() : QString();
}

QString TPing::NormalisedAddress(const QString &text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return QString();
    QStringList normalised;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return QString();
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return QString();
        }
        const uint value = part.toUInt();
        if (value > 255)
            return QString();
        normalised.append(QString::number(value));
    }
    return normalised.join(u'.');
}

void TPing::StartLookup(const QString &host)
{
    CancelLookup();
    FLookupResult.clear();
    const QString dotted = NormalisedAddress(host.trimmed());
    if (!dotted.isEmpty()) {
        FLookupResult = dotted;
        emit OnDnsLookupDone(0);
        return;
    }
    FLookupId = QHostInfo::lookupHost(host.trimmed(), this, [this](const QHostInfo &info) {
        if (info.lookupId() != FLookupId)
            return;
        FLookupId = -1;
        if (info.error() != QHostInfo::NoError) {
            emit OnDnsLookupDone(info.error() == QHostInfo::HostNotFound ? HostNotFound : TryAgain);
            return;
        }
        const quint32 address = firstIPv4(info);
        if (address == 0) {
            emit OnDnsLookupDone(NoAddress);
            return;
        }
        FLookupResult = EchoDetail::dotted(address);
        emit OnDnsLookupDone(0);
    });
}

void TPing::CancelLookup()
{
    if (FLookupId < 0)
        return;
    QHostInfo::abortHostLookup(FLookupId);
    FLookupId = -1;
    emit OnDnsLookupDone(LookupCancelled);
}

bool TPing::resolveForEcho(quint32 *address)
{
    const QString text = FAddress.trimmed();
    const QString dotted = NormalisedAddress(text);
    if (!dotted.isEmpty()) {
        *address = parseDotted(dotted);
        FEchoHostName = FAddress;
        return true;
    }
    if (text.isEmpty())
        return false;
    // The name lookup may take no longer than the echo itself would.
    QEventLoop loop;
    QHostInfo answer;
    bool done = false;
    const int id = QHostInfo::lookupHost(text, &loop, [&](const QHostInfo &info) {
        answer = info;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(std::max(FTimeout, 0), &loop, &QEventLoop::quit);
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!done) {
        QHostInfo::abortHostLookup(id);
        return false;
    }
    *address = answer.error() == QHostInfo::NoError ? firstIPv4(answer) : 0;
    if (*address == 0)
        return false;
    FEchoHostName = answer.hostName();
    return true;
}

int TPing::SendEcho()
{
    FLastReply = TIcmpEchoReply();
    FErrorText.clear();
    FEchoHostName.clear();
    FEchoHostAddress.clear();
    quint32 address = 0;
    if (!resolveForEcho(&address)) {
        // Nothing is sent to an address that does not resolve.
        FEchoHostName = FAddress;
        finishEcho(IpStatus::BadDestination, 0);
        return 0;
    }
    FEchoHostAddress = EchoDetail::dotted(address);
    emit OnEchoRequest();
    if (EchoDetail::isBadDestination(address)) {
        finishEcho(IpStatus::BadDestination, 0);
        return 0;
    }
    if (FSize < 0 || FSize > 65500) {
        finishEcho(IpStatus::BadRequest, 0);
        return 0;
    }
    if (!FService) {
        FErrorText = FServiceError;
        finishEcho(IpStatus::GeneralFailure, 0);
        return 0;
    }

    EchoRequest request;
    request.address = address;
    request.data = QByteArray(FSize, ' ');
    request.data.replace(
        0, std::min<qsizetype>(FSize, qsizetype(sizeof Identification - 1)), QByteArray(Identification).left(FSize));
    request.ttl = FTTL;
    request.flags = FFlags;
    request.timeoutMs = FTimeout;
    const EchoResult result = FService->send(request);

    FLastReply.Address = result.replyAddress;
    FLastReply.RoundTripTime = result.roundTripMs;
    FLastReply.Data = result.data;
    FLastReply.DataSize = quint16(result.data.size());
    FLastReply.Options.Ttl = quint8(result.ttl);
    FLastReply.Options.Tos = quint8(result.tos);
    FLastReply.Options.Flags = quint8(result.flags);
    FErrorText = result.detail;
    finishEcho(result.status, result.replies());
    return result.replies();
}

void TPing::finishEcho(quint32 status, int replies)
{
    FLastStatus = status;
    FLastReply.Status = status;
    emit OnEchoReply(replies);
}

QString TPing::StatusText(quint32 status)
{
    switch (status) {
    case 0:
        return u"No error"_s;
    case 11001:
        return u"Buffer too small"_s;
    case 11002:
        return u"Destination network unreachable"_s;
    case 11003:
        return u"Destination host unreachable"_s;
    case 11004:
        return u"Destination protocol unreachable"_s;
    case 11005:
        return u"Destination port unreachable"_s;
    case 11006:
        return u"No resources"_s;
    case 11007:
        return u"Bad option"_s;
    case 11008:
        return u"Hardware error"_s;
    case 11009:
        return u"Packet too big"_s;
    case 11010:
        return u"Request timed out"_s;
    case 11011:
        return u"Bad request"_s;
    case 11012:
        return u"Bad route"_s;
    case 11013:
        return u"TTL expired in transit"_s;
    case 11014:
        return u"TTL expired in reassembly"_s;
    case 11015:
        return u"Parameter problem"_s;
    case 11016:
        return u"Source quench"_s;
    case 11017:
        return u"Option too big"_s;
    case 11018:
        return u"Bad Destination"_s;
    case 11019:
        return u"Address deleted"_s;
    case 11020:
        return u"Spec MTU change"_s;
    case 11021:
        return u"MTU change"_s;
    case 11050:
        return u"General failure"_s;
    case 11255:
        return u"Pending"_s;
    default:
        return u"ICMP error #"_s + QString::number(status);
    }
}
