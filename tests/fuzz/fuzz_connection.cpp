// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// A connection record of the simulated line: parsing, writing back, and its
// state at moments near and far from its dial time.
#include "FuzzSupport.h"
#include "SimConnection.h"

#include <QDateTime>

#include <algorithm>
#include <limits>

namespace {

bool sameRecord(const SimConnectionRecord &a, const SimConnectionRecord &b)
{
    const SimScenario &s = a.scenario;
    const SimScenario &t = b.scenario;
    return a.handle == b.handle && a.entryName == b.entryName && a.phoneNumber == b.phoneNumber
        && a.deviceType == b.deviceType && a.deviceName == b.deviceName && a.ownerPid == b.ownerPid
        && a.ownerStart == b.ownerStart && a.dialStartMs == b.dialStartMs && a.localIp == b.localIp
        && a.remoteIp == b.remoteIp && s.connectDelay == t.connectDelay && s.busy == t.busy
        && s.noAnswer == t.noAnswer && s.authFails == t.authFails && s.rateUp == t.rateUp
        && s.rateDown == t.rateDown && s.active == t.active && s.idle == t.idle && s.hangUpAfter == t.hangUpAfter
        && s.speed == t.speed;
}

void checkState(const SimConnectionRecord &record, qint64 now)
{
    const SimConnectionState state = record.stateAt(now);
    FUZZ_CHECK(state.onlineMs >= 0);
    // A connection that is over ended between its dial and now (a failure
    // without delay ends at its dial, even one dialed in the future).
    if (state.isLive())
        FUZZ_CHECK(state.endedAtMs == -1);
    else
        FUZZ_CHECK(state.endedAtMs >= record.dialStartMs && state.endedAtMs <= std::max(now, record.dialStartMs));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SimConnectionRecord record;
    if (!SimConnectionRecord::parse(fuzzBytes(data, size), &record))
        return 0;

    SimConnectionRecord again;
    FUZZ_CHECK(SimConnectionRecord::parse(record.serialize(), &again));
    FUZZ_CHECK(sameRecord(again, record));

    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    constexpr qint64 highest = std::numeric_limits<qint64>::max();
    for (const qint64 now : {QDateTime::currentMSecsSinceEpoch(), qint64(0), lowest, highest, record.dialStartMs,
                             record.dialStartMs / 2 + highest / 2})
        checkState(record, now);
    return 0;
}
