// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <functional>

class TFormMain;

/**
 * The online/offline decision that start programs and favourites share: while
 * a connection is up the thing opens at once; otherwise the user chooses in
 * "DFÜ-Online" (skipped while AlwaysOnline is set), and online dials the
 * current connection first and waits for it with the event loop running.
 */
namespace OnlineLaunch {

enum class Choice { Online, Offline, Cancel };

/// Whether the program's own or an external connection is up.
bool ConnectionUp(const TFormMain &form);
/// Online when AlwaysOnline is set, else the answer of "DFÜ-Online" with name in its label.
Choice Ask(TFormMain &form, const QString &name);
/// Runs the engine's connect action and pumps the event loop at least once,
/// then until the connection is online or the dial supervision has stopped.
/// True when the connection is then online.
bool DialAndWait(TFormMain &form);

/**
 * The whole decision: open runs at once while a connection is up, after the
 * dial when the user chose online and the dial succeeded; offline runs
 * offline (open when none is given). Cancel does nothing.
 */
void Run(
    TFormMain &form, const QString &name, const std::function<void()> &open, const std::function<void()> &offline = {});

} // namespace OnlineLaunch
