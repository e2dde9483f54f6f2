// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <functional>

/**
 * The few sounds of the program. Where the desktop has no sound system, the
 * sounds fall back to the system beep or stay silent; nothing ever fails.
 */
namespace Sounds {

enum class Kind {
    Beep,     // the computer's speaker
    Reminder, // the online reminder through the sound system
    Question, // the system's question sound
};

void Play(Kind kind);
/// Replaces the output (tests record what would be played).
void SetPlayer(std::function<void(Kind)> player);

} // namespace Sounds
