// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The simulated line's phone book: parsing, writing back, and the entry and
// dial-parameter records of every section.
#include "FuzzSupport.h"
#include "SimPhoneBook.h"

namespace {

// Field by field, so a failure names the field.
void checkSameEntry(const RasEntry &a, const RasEntry &b)
{
    FUZZ_CHECK(a.options == b.options);
    FUZZ_CHECK(a.countryId == b.countryId);
    FUZZ_CHECK(a.countryCode == b.countryCode);
    FUZZ_CHECK(a.areaCode == b.areaCode);
    FUZZ_CHECK(a.localPhoneNumber == b.localPhoneNumber);
    FUZZ_CHECK(a.ipAddr == b.ipAddr);
    FUZZ_CHECK(a.ipAddrDns == b.ipAddrDns);
    FUZZ_CHECK(a.ipAddrDnsAlt == b.ipAddrDnsAlt);
    FUZZ_CHECK(a.ipAddrWins == b.ipAddrWins);
    FUZZ_CHECK(a.ipAddrWinsAlt == b.ipAddrWinsAlt);
    FUZZ_CHECK(a.frameSize == b.frameSize);
    FUZZ_CHECK(a.netProtocols == b.netProtocols);
    FUZZ_CHECK(a.framingProtocol == b.framingProtocol);
    FUZZ_CHECK(a.script == b.script);
    FUZZ_CHECK(a.deviceType == b.deviceType);
    FUZZ_CHECK(a.deviceName == b.deviceName);
    FUZZ_CHECK(a.passThrough == b.passThrough);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const SimPhoneBookText book = SimPhoneBookText::parse(fuzzBytes(data, size));

    // What was written reads back as the same book and writes the same bytes.
    const QByteArray written = book.serialize();
    const SimPhoneBookText again = SimPhoneBookText::parse(written);
    FUZZ_CHECK(!again.damaged);
    FUZZ_CHECK(again.names() == book.names());
    FUZZ_CHECK(again.sections.size() == book.sections.size());
    FUZZ_CHECK(again.serialize() == written);

    for (qsizetype i = 0; i < book.sections.size(); ++i) {
        const SimPhoneBookSection &section = book.sections.at(i);
        FUZZ_CHECK(again.sections.at(i).name == section.name);
        const RasEntry entry = simEntryFromSection(section);
        checkSameEntry(simEntryFromSection(again.sections.at(i)), entry);

        // An entry stored into its own section reads back unchanged.
        SimPhoneBookSection stored = section;
        if (simApplyEntry(&stored, entry) == RasError::Success)
            checkSameEntry(simEntryFromSection(stored), entry);

        bool passwordStored = false;
        const RasDialParams params = simDialParamsFromSection(section, &passwordStored);
        SimPhoneBookSection withParams = section;
        if (simApplyDialParams(&withParams, params, !passwordStored) == RasError::Success) {
            bool storedAgain = false;
            const RasDialParams back = simDialParamsFromSection(withParams, &storedAgain);
            FUZZ_CHECK(storedAgain == passwordStored);
            FUZZ_CHECK(back.userName == params.userName);
            FUZZ_CHECK(back.password == params.password);
            FUZZ_CHECK(back.domain == params.domain);
            FUZZ_CHECK(back.callbackNumber == params.callbackNumber);
        }
    }
    return 0;
}
