// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

/**
 * Where the site download keeps the copy of an address: the folder "URL" of
 * the program folder, and in it the address without its "http://" or
 * "https://" (either case) and without one trailing "/" or "\".
 */
namespace LocalSiteCopy {

/// The address as a folder name below "URL"; empty when it would lead outside that folder.
QString FolderName(const QString &address);
/// The copy's folder with a trailing separator; empty as FolderName.
QString Folder(const QString &address);
/// The copy's start page: "index.htm", "index.html" or "default.htm", the
/// first that exists; empty when there is none.
QString StartPage(const QString &address);

} // namespace LocalSiteCopy
