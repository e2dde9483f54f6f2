// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Local file names of the site download: whatever the address, a name stays
// inside the "URL" folder.
#include "FuzzSupport.h"
#include "SiteNames.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString address = QString::fromUtf8(fuzzBytes(data, size));
    const QString root = QStringLiteral("/copies/URL");
    const QUrl url(address);
    const QUrl normal = SiteNames::Normalized(url);
    if (!normal.isEmpty())
        FUZZ_CHECK(SiteNames::Normalized(normal) == normal);

    for (const bool html : {false, true}) {
        const QString name = SiteNames::LocalFileName(url, SiteNames::DefaultFileName(), html);
        const QString path = SiteNames::LocalFilePath(root, url, SiteNames::DefaultFileName(), html);
        if (name.isEmpty())
            continue;
        FUZZ_CHECK(!QDir::isAbsolutePath(name));
        FUZZ_CHECK(!name.split(u'/').contains(QStringLiteral("..")));
        FUZZ_CHECK(!path.isEmpty());
        FUZZ_CHECK(SiteNames::IsInside(root, path));
    }
    const QString folder = SiteNames::LocalSiteFolder(address);
    if (!folder.isEmpty())
        FUZZ_CHECK(SiteNames::IsInside(root, root + u'/' + folder));
    return 0;
}
