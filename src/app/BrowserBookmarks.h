// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "FavoriteTree.h"

#include <QList>
#include <QString>

/**
 * The bookmarks of the user's installed browsers, read without touching the
 * browsers' files: Firefox's "places.sqlite" through a copy opened read-only,
 * Chromium's and Chrome's "Bookmarks" file. Only web addresses are kept.
 */
namespace BrowserBookmarks {

enum class Kind { Firefox, Chromium };

struct TSource {
    /// The menu caption, "Firefox-Lesezeichen", "Chrome-Lesezeichen (Profile 1)", ...
    QString Title;
    Kind Type = Kind::Firefox;
    /// "places.sqlite" or "Bookmarks".
    QString File;
};

/// Databases larger than this are not copied.
constexpr qint64 MaxDatabaseBytes = 256LL * 1024 * 1024;
/// "Bookmarks" files larger than this are not read.
constexpr qint64 MaxJsonBytes = 32LL * 1024 * 1024;

/// The browser profiles below home and configHome (the user's ~/.config) that have bookmarks.
QList<TSource> Find(const QString &home, const QString &configHome);
/// Find() for the current user.
QList<TSource> FindForUser();

TFavoriteTree ReadFirefox(const QString &placesFile, const TFavoriteLimits &limits = {});
TFavoriteTree ReadChromium(const QString &bookmarksFile, const TFavoriteLimits &limits = {});
TFavoriteTree Read(const TSource &source, const TFavoriteLimits &limits = {});

} // namespace BrowserBookmarks
