// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EchoService.h"

#include <QStringList>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

EchoServiceFactory &factory()
{
    static EchoServiceFactory f;
    return f;
}

std::unique_ptr<EchoService> firstAvailable(QString *reason)
{
    QStringList reasons;
    auto tried = [&reasons](std::unique_ptr<EchoService> service, const QString &why) {
        if (!service)
            reasons.append(why);
        return service;
    };
    QString why;
#ifdef Q_OS_WIN
    if (auto s = tried(createWindowsIcmpEcho(&why), why))
        return s;
#else
    if (auto s = tried(createIcmpSocketEcho(false, &why), why))
        return s;
    if (auto s = tried(createIcmpSocketEcho(true, &why), why))
        return s;
    if (auto s = tried(createPingProgramEcho(&why), why))
        return s;
#endif
    if (reason)
        *reason = u"Echo-Anfragen (ICMP) sind auf diesem System nicht möglich:\r\n"_s + reasons.join(u"\r\n"_s);
    return nullptr;
}

} // namespace

EchoResult EchoService::send(const EchoRequest &request)
{
    EchoResult refused;
    refused.status = EchoDetail::checkRequest(request);
    if (refused.status != IpStatus::Success)
        return refused;
    return sendChecked(request);
}

std::unique_ptr<EchoService> createEchoService(EchoMethod method, QString *reason)
{
    switch (method) {
    case EchoMethod::Auto:
        if (factory())
            return factory()(reason);
        return firstAvailable(reason);
    case EchoMethod::IcmpDatagram:
        return createIcmpSocketEcho(false, reason);
    case EchoMethod::RawSocket:
        return createIcmpSocketEcho(true, reason);
    case EchoMethod::PingProgram:
        return createPingProgramEcho(reason);
    case EchoMethod::WindowsIcmp:
        return createWindowsIcmpEcho(reason);
    }
    return nullptr;
}

void setEchoServiceFactory(EchoServiceFactory f)
{
    factory() = std::move(f);
}

#ifndef Q_OS_WIN
std::unique_ptr<EchoService> createWindowsIcmpEcho(QString *reason)
{
    if (reason)
        *reason = u"Die ICMP-Bibliothek \"icmp.dll\" gibt es nur unter Windows."_s;
    return nullptr;
}
#endif

namespace EchoDetail {

quint32 statusForIcmpError(int type, int code)
{
    switch (type) {
    case 3: // destination unreachable
        switch (code) {
        case 0:
        case 6:
        case 9:
        case 11:
            return IpStatus::DestNetUnreachable;
        case 2:
            return IpStatus::DestProtocolUnreachable;
        case 3:
            return IpStatus::DestPortUnreachable;
        case 4:
            return IpStatus::PacketTooBig;
        case 5:
            return IpStatus::BadRoute;
        default:
            return IpStatus::DestHostUnreachable;
        }
    case 4:
        return IpStatus::SourceQuench;
    case 5:
        return IpStatus::Success; // a redirect is advice, not a failure
    case 11:
        return code == 1 ? IpStatus::TtlExpiredReassembly : IpStatus::TtlExpiredTransit;
    case 12:
        return IpStatus::ParameterProblem;
    default:
        return IpStatus::GeneralFailure;
    }
}

quint32 statusForErrno(int error)
{
    switch (error) {
    case ENETUNREACH:
    case ENETDOWN:
        return IpStatus::DestNetUnreachable;
#ifdef EHOSTDOWN
    case EHOSTDOWN:
#endif
    case EHOSTUNREACH:
        return IpStatus::DestHostUnreachable;
    case ECONNREFUSED:
        return IpStatus::DestPortUnreachable;
    case EMSGSIZE:
        return IpStatus::PacketTooBig;
    case ENOBUFS:
    case ENOMEM:
        return IpStatus::NoResources;
    case ETIMEDOUT:
        return IpStatus::RequestTimedOut;
    case EACCES: // broadcast without permission
    case EINVAL:
    case EADDRNOTAVAIL:
    case EAFNOSUPPORT:
        return IpStatus::BadDestination;
    default:
        return IpStatus::GeneralFailure;
    }
}

bool isBadDestination(quint32 address)
{
    return (address >> 24) == 0 || (address >> 28) == 0xE || address == 0xFFFFFFFFu;
}

quint32 checkRequest(const EchoRequest &request)
{
    if (isBadDestination(request.address))
        return IpStatus::BadDestination;
    if (request.ttl < 1 || request.ttl > 255)
        return IpStatus::BadOption;
    if (request.data.size() > 65500)
        return IpStatus::PacketTooBig;
    return IpStatus::Success;
}

QString dotted(quint32 address)
{
    return u"%1.%2.%3.%4"_s.arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

} // namespace EchoDetail
