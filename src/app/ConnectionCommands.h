// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

#include <functional>

class TFormMain;

/**
 * The commands on the phone-book entries, registered in the main window's
 * command table: "EditEntry" and "CreateEntry" (the system's own dialogs),
 * "EditAdvanced" and "NewAdvanced" (the connection properties dialog),
 * "Rename", "Delete", "PasswordClear" and "OnlineHelp". Each leaves the phone
 * book, the connection list, the selector and the per-connection values in
 * step. Call once the engine exists.
 */
void InstallConnectionCommands(TFormMain &form);

namespace ConnectionCommands {

/// The maker's web page with hints on dial-up settings.
QString OnlineHelpAddress();

/// Asks for one line of text; false when the user cancels. Tests set a hook.
using InputQuery = std::function<bool(const QString &title, const QString &prompt, QString *value)>;
void SetInputHook(InputQuery hook);

} // namespace ConnectionCommands
