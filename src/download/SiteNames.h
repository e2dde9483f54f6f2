// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <QUrl>

/**
 * Where the local copy of a web address lies below the "URL" folder. The
 * site download stores by these rules and the favourites find copies by
 * them, so both always agree. Names are built from the normalised URL only
 * (the server chooses them): anything that could leave the folder or that a
 * file system cannot hold is refused with an empty result.
 */
namespace SiteNames {

/// The default file name for an address that names a folder.
QString DefaultFileName();

/// The URL as the site download works with it: http or https, lower-case
/// host, no user, no default port, no fragment, dot segments resolved (never
/// above the root). An empty QUrl for anything else.
QUrl Normalized(const QUrl &url);

/// The file of url relative to the "URL" folder, with "/" separators:
/// host, then path and query with "%", "&", "=", "?", "@" turned into "_";
/// a last segment without "." is a folder and gets defaultFileName; an HTML
/// document whose extension holds no "HTM" gets ".htm". Empty when refused.
QString LocalFileName(const QUrl &url, const QString &defaultFileName, bool html = false);

/// LocalFileName below root as an absolute path, checked to stay inside root.
QString LocalFilePath(const QString &root, const QUrl &url, const QString &defaultFileName, bool html = false);

/// The folder of the site copy of an address, relative to the "URL" folder:
/// the address without "http://" or "https://" (either case) and without one
/// trailing "/" or "\", named by the rules above. Empty for other addresses.
QString LocalSiteFolder(const QString &address);

/// The start file of the local copy of address below root: "index.htm",
/// "index.html", then "default.htm" in its folder. An address without any
/// scheme is a site folder's name as the local copies page shows it ("host"
/// or "host/path") and is looked up as "http://" address; other schemes find
/// nothing. Empty when there is none.
QString FindLocalCopy(const QString &root, const QString &address);

/// Whether path lies strictly inside the folder root (both cleaned first).
bool IsInside(const QString &root, const QString &path);

} // namespace SiteNames
