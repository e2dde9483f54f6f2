// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QByteArray>
#include <QString>

/// How a dial of an entry goes; taken from the entry's "Sim…" keys at dial time.
struct SimScenario
{
    quint32 connectDelay = 2; // seconds from dial to connected (or to the failure)
    bool busy = false;        // fails with LineBusy after connectDelay
    bool noAnswer = false;    // fails with NoAnswer after connectDelay
    bool authFails = false;   // fails with AuthenticationFailure (wrong password)
    quint32 rateUp = 300;     // bytes per second while active
    quint32 rateDown = 4000;
    quint32 active = 0;       // seconds of traffic, then
    quint32 idle = 0;         // seconds without; 0 means always active
    quint32 hangUpAfter = 0;  // seconds after connecting the remote side hangs up; 0 never
    quint32 speed = 56000;    // connect speed in bit/s
};

/// A connection's state at one moment, computed from its record and the clock.
struct SimConnectionState
{
    int state = RasState::OpenPort;
    int error = 0;
    qint64 onlineMs = 0; // time since connecting (up to the remote hang-up)
    quint64 bytesSent = 0;
    quint64 bytesReceived = 0;
    qint64 endedAtMs = -1; // when it went to Disconnected; -1 while dialing or connected

    bool isConnected() const { return state == RasState::Connected; }
    bool isLive() const { return state != RasState::Disconnected; }
};

/**
 * One connection of the simulated line: a small "Key=Value" file in the line's
 * "connections" folder, written once by dial() and removed by hangUp(). Nobody
 * updates it; every reader computes state and traffic from the dial time and
 * the scenario.
 */
struct SimConnectionRecord
{
    RasHandle handle = 0;
    QString entryName;
    QString phoneNumber;
    QString deviceType;
    QString deviceName;
    qint64 ownerPid = 0;  // 0: detached, stays until hung up
    QString ownerStart;   // the owner's start token, against reused process ids
    qint64 dialStartMs = 0;
    SimScenario scenario;
    QString localIp;
    QString remoteIp;

    SimConnectionState stateAt(qint64 nowMs) const;

    QByteArray serialize() const;
    /// False when the data is no connection record.
    static bool parse(const QByteArray &data, SimConnectionRecord *record);
    static QString fileName(RasHandle handle);
};
