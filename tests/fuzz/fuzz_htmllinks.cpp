// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The site scanner's links of a page, and the page with its links rewritten
// read back.
#include "FuzzSupport.h"
#include "HtmlLinks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray page = fuzzBytes(data, size);
    const HtmlLinks::Result found = HtmlLinks::Extract(page);
    HtmlLinks::NestingCost(page);
    if (!found.Parsed)
        return 0;
    for (const TLinkRef &link : found.Links) {
        FUZZ_CHECK(link.Start < 0 || (link.Length >= 0 && link.Start + link.Length <= page.size()));
        FUZZ_CHECK(link.Text == link.Text.trimmed());
    }

    // Keeping every link keeps every byte.
    FUZZ_CHECK(HtmlLinks::Rewrite(page, found.Links, [](qsizetype) { return QString(); }) == page);

    // Each rewritable link reads back as its new text, every other one as it
    // was. The parser may report one attribute twice (a reopened element), so
    // the new text follows the link's place in the page.
    const auto renamed = [&](qsizetype index) { return QStringLiteral("r%1.htm").arg(found.Links.at(index).Start); };
    const QByteArray rewritten = HtmlLinks::Rewrite(page, found.Links, [&](qsizetype index) {
        return found.Links.at(index).Start >= 0 ? renamed(index) : QString();
    });
    const HtmlLinks::Result again = HtmlLinks::Extract(rewritten);
    if (!again.Parsed)
        return 0;
    FUZZ_CHECK(again.Links.size() == found.Links.size());
    for (qsizetype i = 0; i < found.Links.size(); ++i) {
        const TLinkRef &before = found.Links.at(i);
        FUZZ_CHECK(again.Links.at(i).Kind == before.Kind);
        FUZZ_CHECK(again.Links.at(i).Text == (before.Start >= 0 ? renamed(i) : before.Text));
    }
    return 0;
}
