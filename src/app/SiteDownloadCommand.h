// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

class TFormMain;

/// Registers "SiteDownload": the site download window with the main window's
/// DownloadURL (message 5950).
void InstallSiteDownloadCommand(TFormMain &form);

/// Opens the site download window modally; an empty url lets the user type
/// one ("&Favoriten lokalisieren").
void RunSiteDownload(TFormMain &form, const QString &url);
