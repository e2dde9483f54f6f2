// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

/**
 * The main window's glyph list, drawn in code so it stays sharp at every
 * scale. Where the window's logic switches images by number, the enum value
 * is that number (Dial 0, HangUp 1, Less 9, More 10, ...).
 */
namespace Glyphs {

enum Id {
    Dial = 0,
    HangUp = 1,
    Info = 2,
    Protocol = 3,
    FeeReport = 4,
    StartProgs = 5,
    Exit = 6,
    Stop = 7,
    Settings = 8,
    Less = 9,
    More = 10,
    Help = 11,
    Favorites = 12,
    Menu = 13,
    Edit = 14,
    New = 15,
    Rename = 16,
    Delete = 17,
    Exchange = 18,
    OnlineHelp = 19,
    Launch = 20,
    Program = 21, // the fallback icon of a start program
    Folder = 22,
    Download = 23,
    Status = 24,
    Web = 25,
};

/// The glyph as an icon with pixmaps from 16 to 64 pixels.
QIcon icon(Id id);
/// One glyph painted into rect (any size).
void paint(QPainter &painter, const QRectF &rect, Id id);

/// Number of frames of the online animation and of the logo.
constexpr int AnimationFrames = 13;
/// One frame of the online animation: a turning globe, grey while stopped.
void paintGlobe(QPainter &painter, const QRectF &rect, int frame, bool active);

/// The program's icon, from the resources.
QIcon appIcon();
/// The notification area images 0..2 (0 is the resting image).
QIcon trayIcon(int image);
constexpr int TrayImages = 3;

} // namespace Glyphs
