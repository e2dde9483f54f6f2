// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Internet shortcut files of the favourites folder, and where the local copy
// of their address would lie.
#include "FavoriteTree.h"
#include "FuzzSupport.h"
#include "SiteNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString url = FavoriteTree::ShortcutUrl(fuzzBytes(data, size));
    for (const QChar c : url)
        FUZZ_CHECK(c.unicode() >= 0x20);
    FUZZ_CHECK(url == url.trimmed());
    if (FavoriteTree::IsWebAddress(url)) {
        const QString folder = SiteNames::LocalSiteFolder(url);
        if (!folder.isEmpty())
            FUZZ_CHECK(SiteNames::IsInside(QStringLiteral("/copies/URL"), QStringLiteral("/copies/URL/") + folder));
    }
    FavoriteTree::NotWebAddressText(url);
    return 0;
}
