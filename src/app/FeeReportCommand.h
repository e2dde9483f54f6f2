// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

class TFormMain;

/// "FeeReport" ("&Gebühren-Protokoll" in the menus and the tray menu): the fee report window.
void InstallFeeReportCommands(TFormMain &form);
