// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

class QString;
class TFormMain;

/// The help menu's commands "Help", "SearchHelp", "HelpOnHelp", "About" and
/// the tray's "ProgramInfo"; installs the help viewer and F1 for all windows.
/// The main window calls it while it builds itself.
void InstallHelpCommands(TFormMain &form);

/**
 * The first-use text "Start_Up.RTF" ships beside the program. Where the data
 * folder is another folder (the program's is not writable), it is copied
 * there once, so the first start shows it and "&Inbetriebnahme" finds it.
 * Returns the copy's path, or an empty text when nothing was copied.
 */
QString ProvideFirstUseText(const QString &programFolder, const QString &dataFolder);
