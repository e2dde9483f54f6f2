// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QTest>

/// Compares two entry records field by field, so a failure names the field.
/// Bit fields and addresses are shown in hexadecimal.
inline void compareEntries(const RasEntry &actual, const RasEntry &expected)
{
    const auto hex = [](quint32 value) { return QString::number(value, 16); };
    QCOMPARE(hex(actual.options), hex(expected.options));
    QCOMPARE(actual.countryId, expected.countryId);
    QCOMPARE(actual.countryCode, expected.countryCode);
    QCOMPARE(actual.areaCode, expected.areaCode);
    QCOMPARE(actual.localPhoneNumber, expected.localPhoneNumber);
    QCOMPARE(hex(actual.ipAddr), hex(expected.ipAddr));
    QCOMPARE(hex(actual.ipAddrDns), hex(expected.ipAddrDns));
    QCOMPARE(hex(actual.ipAddrDnsAlt), hex(expected.ipAddrDnsAlt));
    QCOMPARE(hex(actual.ipAddrWins), hex(expected.ipAddrWins));
    QCOMPARE(hex(actual.ipAddrWinsAlt), hex(expected.ipAddrWinsAlt));
    QCOMPARE(actual.frameSize, expected.frameSize);
    QCOMPARE(hex(actual.netProtocols), hex(expected.netProtocols));
    QCOMPARE(actual.framingProtocol, expected.framingProtocol);
    QCOMPARE(actual.script, expected.script);
    QCOMPARE(actual.deviceType, expected.deviceType);
    QCOMPARE(actual.deviceName, expected.deviceName);
    QCOMPARE(actual.passThrough, expected.passThrough);
}
