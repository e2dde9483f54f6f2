// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "RASWorkUnit.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class TFormMain;

/// What the status balloon shows of the main window.
struct TStatusData {
    int State = Offline;
    QString OnlineTime;
    QString Cost;
    /// The connection shown: the selected one, or the external one.
    TEntryRec Entry;
    std::array<QString, 4> Header;
    std::array<QString, 6> Panels;
};

struct TBalloon {
    QString Title;
    QString Text;
};

/**
 * "Statusanzeige": the current connection's data as a balloon above the tray
 * icon, and the tray icon's part in showing and hiding the main window.
 */
namespace TrayStatus {

constexpr int MaxTitle = 63;
constexpr int MaxText = 255;
constexpr int BalloonMilliseconds = 10000;

/// The balloon for data; lines are separated by "\r". Empty while dialing and after an end.
TBalloon StatusBalloon(const TStatusData &data);
/// text cut to at most length characters (never inside a character pair).
QString Cut(const QString &text, int length);
/// The first "Entries" line that contains name, -1 when none does.
int EntryContaining(const QStringList &entries, const QString &name);
/// The main window's state, fields, header row and status bar.
TStatusData Collect(TFormMain &form);
/// MIStatusClick: shows the balloon of the window's state; nothing while it is empty.
void MIStatusClick(TFormMain &form);

/// Shows a balloon instead of the tray icon (tests).
inline std::function<void(const QString &title, const QString &text)> ShowBalloonHook;

} // namespace TrayStatus

/// The command "StatusBalloon" and minimising into the notification area.
void InstallTrayCommands(TFormMain &form);
