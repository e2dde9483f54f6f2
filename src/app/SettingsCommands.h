// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

class TFormMain;

/// Opens the settings dialog modally on page startPage (see TFormProgStart::StartPage).
void ShowSettingsDialog(TFormMain &form, int startPage);

/// The main window's commands that open the settings dialog: "Settings"
/// (page 0), "EditStartPrograms" (page 1) and "ConnectionList" (page 2).
void InstallSettingsCommands(TFormMain &form);
