// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;
class SettingsStore;

/**
 * The main window's placement, stored as "x,y,width,height,state" (state 0
 * normal, 1 minimised) under "Software\Kovatek\Rufwerk\RasBas\MainForm",
 * value "FormMain".
 */
namespace WindowPlacement {

struct Placement
{
    QRect frame;
    bool minimized = false;
};

QString Key();
QString ValueName();

QString Format(const Placement &placement);
/// Nothing for a missing or malformed text, or one beyond any screen.
std::optional<Placement> Parse(const QString &text);

/// The top-left position that puts rect on the screen area it overlaps most,
/// or on the first area when it overlaps none; a rect larger than its area
/// keeps its top-left corner on it.
QPoint OntoScreens(const QRect &rect, const QList<QRect> &areas);
/// The available areas of all screens, primary first.
QList<QRect> ScreenAreas();

std::optional<Placement> Read(const SettingsStore &store);
void Write(SettingsStore &store, const Placement &placement);

} // namespace WindowPlacement
