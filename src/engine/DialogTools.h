// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <Qt>

class QObject;
class QPushButton;
class QString;
class QWidget;

/// The engine's small questions: a dialog above all windows, with a title bar and a close button only.
constexpr Qt::WindowFlags OnTopDialogFlags
    = Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

/// A push button with object name, caption and hint (tool tip and status text).
QPushButton *CreateHintButton(QWidget *parent, const QString &name, const QString &caption, const QString &hint);
/// Splits "tooltip|status text" into the two hints of a widget or action;
/// without "|" the text is both.
void SetHint(QObject *target, const QString &hint);
/// Sizes window to its contents and centres it on the desktop.
void CenterOnDesktop(QWidget *window);
