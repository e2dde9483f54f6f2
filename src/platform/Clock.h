// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QDateTime>

#include <functional>

/// The wall clock, replaceable in tests.
namespace Clock {
QDateTime Now();
/// Null restores the system clock.
void SetNow(std::function<QDateTime()> now);
} // namespace Clock
