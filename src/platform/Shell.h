// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QIcon>
#include <QString>

#include <memory>

/**
 * The desktop's way of opening things: documents, programs and addresses, the
 * file manager, file type icons. One process-wide instance; tests replace it
 * with a fake that records what would have been opened.
 */
class Shell {
public:
    virtual ~Shell() = default;

    /// Opens target with the verb "open": a program file is started with
    /// parameters (split as a shell would split them) in workDir and runs on
    /// after Rufwerk ends; any other file or address goes to the desktop's
    /// opener. Returns false with a German text in error when that fails.
    virtual bool open(const QString &target, const QString &parameters = QString(),
                      const QString &workDir = QString(), QString *error = nullptr) = 0;
    /// Shows folder in the desktop's file manager.
    virtual bool showFolder(const QString &folder, QString *error = nullptr) = 0;
    /// The icon of the file's type, or a null icon when the system has none.
    virtual QIcon fileIcon(const QString &path) = 0;
    /// The current user's folder of internet shortcut files, with a trailing
    /// separator: the system's on Windows, elsewhere "Favoriten" in the
    /// user's data location (not created here).
    virtual QString favoritesFolder();

    static Shell &instance();
    /// Replaces the process-wide shell (tests, other desktops).
    static void setInstance(std::unique_ptr<Shell> shell);
};

/// The shell of the running desktop.
std::unique_ptr<Shell> createDesktopShell();
