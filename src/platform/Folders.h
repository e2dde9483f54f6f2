// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

/**
 * The program's folders, computed once. Paths end with a separator, so file
 * names can be appended directly.
 *
 * ProgramFolder holds the data files (fee log, protocol, lists, "URL"): the
 * folder of the program file, or the per-user data location when that folder
 * is not writable; $RUFWERK_HOME overrides both. ModuleFolder, where the
 * connection module lives, is the parent of the program file's folder
 * ($RUFWERK_MODULE_DIR overrides it).
 */
namespace Folders {

QString programFolder();
/// "URL" in the program folder: the downloaded web sites, one sub-folder per host.
QString urlFolder();
QString moduleFolder();
/// Recomputes both folders (tests that change the environment).
void reset();

/// The rule itself, for a given program folder.
QString dataFolderFor(const QString &executableFolder);
/// The per-user data location: $RUFWERK_HOME, else "Rufwerk" in the user's data folder.
QString userDataFolder();
/// Parent folder of a folder path, with a trailing separator.
QString parentFolder(const QString &folder);

} // namespace Folders
