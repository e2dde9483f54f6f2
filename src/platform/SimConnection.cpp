// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimConnection.h"

#include <QHash>
#include <QList>
#include <QtNumeric>

#include <algorithm>
#include <limits>

namespace {

constexpr int dialSteps[] = {RasState::OpenPort,           RasState::PortOpened,   RasState::ConnectDevice,
                             RasState::DeviceConnected,    RasState::AllDevicesConnected,
                             RasState::Authenticate,       RasState::Authenticated};

quint64 bytesFor(qint64 ms, quint32 rate)
{
    const auto t = quint64(ms);
    return t / 1000 * rate + t % 1000 * rate / 1000;
}

qint64 activeMs(const SimScenario &s, qint64 onlineMs)
{
    if (s.idle == 0)
        return onlineMs;
    const qint64 active = qint64(s.active) * 1000;
    const qint64 cycle = active + qint64(s.idle) * 1000;
    return onlineMs / cycle * active + std::min(onlineMs % cycle, active);
}

} // namespace

SimConnectionState SimConnectionRecord::stateAt(qint64 nowMs) const
{
    SimConnectionState st;
    // A dial time read from a damaged record may lie anywhere: the time since
    // then stops at the end of the range. Every end computed below is at most nowMs.
    qint64 elapsed = 0;
    if (nowMs > dialStartMs && qSubOverflow(nowMs, dialStartMs, &elapsed))
        elapsed = std::numeric_limits<qint64>::max();
    const qint64 delay = qint64(scenario.connectDelay) * 1000;
    const int failure = scenario.busy       ? RasError::LineBusy
                      : scenario.noAnswer   ? RasError::NoAnswer
                      : scenario.authFails  ? RasError::AuthenticationFailure
                                            : 0;
    if (elapsed < delay) {
        // A busy line or a missing answer is noticed while the device connects;
        // a refused password after authentication started.
        const int steps = failure == RasError::AuthenticationFailure ? 6 : failure ? 3 : 7;
        st.state = dialSteps[elapsed * steps / delay];
        return st;
    }
    if (failure) {
        st.state = RasState::Disconnected;
        st.error = failure;
        st.endedAtMs = dialStartMs + delay;
        return st;
    }
    st.state = RasState::Connected;
    st.onlineMs = elapsed - delay;
    const qint64 hangUp = qint64(scenario.hangUpAfter) * 1000;
    if (hangUp > 0 && st.onlineMs >= hangUp) {
        st.onlineMs = hangUp;
        st.state = RasState::Disconnected;
        st.error = RasError::RemoteDisconnection;
        st.endedAtMs = dialStartMs + delay + hangUp;
    }
    const qint64 active = activeMs(scenario, st.onlineMs);
    st.bytesSent = bytesFor(active, scenario.rateUp);
    st.bytesReceived = bytesFor(active, scenario.rateDown);
    return st;
}

QByteArray SimConnectionRecord::serialize() const
{
    const SimScenario &s = scenario;
    const QList<std::pair<const char *, QString>> values = {
        {"Handle", QString::number(handle)},
        {"Entry", entryName},
        {"PhoneNumber", phoneNumber},
        {"DeviceType", deviceType},
        {"DeviceName", deviceName},
        {"OwnerPid", QString::number(ownerPid)},
        {"OwnerStart", ownerStart},
        {"DialStart", QString::number(dialStartMs)},
        {"ConnectDelay", QString::number(s.connectDelay)},
        {"Busy", QString::number(int(s.busy))},
        {"NoAnswer", QString::number(int(s.noAnswer))},
        {"AuthFails", QString::number(int(s.authFails))},
        {"RateUp", QString::number(s.rateUp)},
        {"RateDown", QString::number(s.rateDown)},
        {"Active", QString::number(s.active)},
        {"Idle", QString::number(s.idle)},
        {"HangUpAfter", QString::number(s.hangUpAfter)},
        {"Speed", QString::number(s.speed)},
        {"LocalIP", localIp},
        {"RemoteIP", remoteIp},
    };
    QString out;
    for (const auto &[key, value] : values)
        out += QLatin1String(key) + u'=' + value + u'\n';
    return out.toUtf8();
}

bool SimConnectionRecord::parse(const QByteArray &data, SimConnectionRecord *record)
{
    QHash<QString, QString> v;
    for (const QString &line : QString::fromUtf8(data).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            v.insert(line.left(eq), line.mid(eq + 1));
    }
    bool ok = false;
    SimConnectionRecord r;
    r.handle = v.value(QStringLiteral("Handle")).toULongLong(&ok);
    if (!ok || r.handle == 0)
        return false;
    r.dialStartMs = v.value(QStringLiteral("DialStart")).toLongLong(&ok);
    if (!ok)
        return false;
    r.entryName = v.value(QStringLiteral("Entry"));
    r.phoneNumber = v.value(QStringLiteral("PhoneNumber"));
    r.deviceType = v.value(QStringLiteral("DeviceType"));
    r.deviceName = v.value(QStringLiteral("DeviceName"));
    r.ownerPid = v.value(QStringLiteral("OwnerPid")).toLongLong();
    r.ownerStart = v.value(QStringLiteral("OwnerStart"));
    r.localIp = v.value(QStringLiteral("LocalIP"));
    r.remoteIp = v.value(QStringLiteral("RemoteIP"));
    SimScenario &s = r.scenario;
    auto number = [&v](const char *key, quint32 def) {
        bool valid = false;
        const quint32 n = v.value(QLatin1String(key)).toUInt(&valid);
        return valid ? n : def;
    };
    s.connectDelay = number("ConnectDelay", s.connectDelay);
    s.busy = number("Busy", 0) != 0;
    s.noAnswer = number("NoAnswer", 0) != 0;
    s.authFails = number("AuthFails", 0) != 0;
    s.rateUp = number("RateUp", s.rateUp);
    s.rateDown = number("RateDown", s.rateDown);
    s.active = number("Active", s.active);
    s.idle = number("Idle", s.idle);
    s.hangUpAfter = number("HangUpAfter", s.hangUpAfter);
    s.speed = number("Speed", s.speed);
    *record = r;
    return true;
}

QString SimConnectionRecord::fileName(RasHandle handle)
{
    return QString::number(handle) + QLatin1String(".conn");
}
