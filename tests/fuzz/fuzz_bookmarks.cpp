// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Browser bookmark files: an SQLite database is read as Firefox's
// "places.sqlite", anything else as Chromium's "Bookmarks".
#include "BrowserBookmarks.h"
#include "FuzzSupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir *folder()
{
    static QTemporaryDir dir;
    return &dir;
}

// Every favourite is a web address, and the limits hold.
void check(const TFavoriteNode &node, int depth, const TFavoriteLimits &limits, int *items)
{
    FUZZ_CHECK(depth <= limits.MaxDepth);
    for (const TFavoriteNode &child : node.Children) {
        ++*items;
        if (child.Folder)
            check(child, depth + 1, limits, items);
        else
            FUZZ_CHECK(FavoriteTree::IsWebAddress(child.Url));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzCoreApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const bool sqlite = bytes.startsWith(QByteArrayView("SQLite format 3\0", 16));
    const QString path = folder()->filePath(sqlite ? QStringLiteral("places.sqlite") : QStringLiteral("Bookmarks"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();

    TFavoriteLimits limits;
    limits.MaxDepth = 4;
    limits.MaxItems = 50;
    const TFavoriteTree tree = sqlite ? BrowserBookmarks::ReadFirefox(path, limits)
                                      : BrowserBookmarks::ReadChromium(path, limits);
    int items = 0;
    check(tree.Root, 0, limits, &items);
    FUZZ_CHECK(items <= limits.MaxItems);
    return 0;
}
