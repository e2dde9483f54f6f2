// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "SettingsStore.h"

#include <QList>
#include <QString>

class QWidget;

/**
 * Tells the user about settings that could not be stored. The failures of one
 * moment (a dialog writes many values) are gathered into one message, shown
 * once the event loop is free, or by Flush() before the program ends.
 */
namespace SettingsFailureReport {

/// Reports the process-wide store's failures through the message dialog over window.
void Install(QWidget *window);
/// Stops reporting, when window is the one that installed it.
void Uninstall(QWidget *window);
/// Shows what is gathered now.
void Flush();

/// The message for failures (at least one).
QString Text(const QList<SettingsStore::Failure> &failures);

} // namespace SettingsFailureReport
