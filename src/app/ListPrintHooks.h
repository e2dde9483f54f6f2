// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

/// Connects the list printer to the program: its folder, settings store, help viewer and message dialog.
void InstallListPrintHooks();
