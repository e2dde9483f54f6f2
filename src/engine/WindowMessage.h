// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QEvent>
#include <QtGlobal>

/// Window message numbers between the connection module, the engine and the main window.
namespace WM {
constexpr int LineBusy = 5939;        // 0x1733
constexpr int InfoUpdated = 5941;     // 0x1735
constexpr int ConnectionState = 5943; // 0x1737
constexpr int SettingsRequest = 5944; // 0x1738
constexpr int ClosedOutside = 5949;   // 0x173D
constexpr int SiteDownload = 5950;    // 0x173E
constexpr int FirstStartText = 5952;  // 0x1740
} // namespace WM

/// Module commands (number, text) sent by the engine.
namespace ModuleCommand {
constexpr int Settings = 5945;
constexpr int SelectedConnection = 5946;
constexpr int ApplicationTitle = 5948;
} // namespace ModuleCommand

/**
 * A custom window message posted to the main window. The class is plain and
 * identified by its fixed event type, so the connection module, which carries
 * its own copy of this header, can post it without sharing type information.
 */
class TWindowMessage : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::Type(QEvent::User + 0x1700);

    TWindowMessage(int message, qintptr wParam = 0, qintptr lParam = 0)
        : QEvent(EventType)
        , Message(message)
        , WParam(wParam)
        , LParam(lParam)
    {
    }

    const int Message;
    const qintptr WParam;
    const qintptr LParam;
};
