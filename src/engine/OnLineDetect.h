// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;
class TDialUp;

/**
 * Watches the system's active dial-up connections, whoever dialed them, and
 * reports when their number changes. Polling starts when the component is
 * created and goes on until it is destroyed; a poll stops the timer while it
 * enumerates, so polls never overlap, not even when an OnChange handler opens
 * a modal dialog.
 */
class TOnLineDetect : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Interval READ Interval WRITE setInterval)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)

public:
    static constexpr int DefaultInterval = 250;

    /// A null service means DialUpService::instance().
    explicit TOnLineDetect(QObject *parent = nullptr, DialUpService *service = nullptr);
    ~TOnLineDetect() override;

    /// Milliseconds between polls; 0 or less stops polling until a positive value is set.
    int Interval() const { return FInterval; }
    void setInterval(int milliseconds);
    /// Off stops the polling timer; Poll() still works on demand.
    bool Enabled() const { return FEnabled; }
    void setEnabled(bool enabled);

    /// True when the last poll found at least one active connection.
    bool Online() const { return !FNames.isEmpty(); }
    /// Status of the last connection the last poll enumerated; "disconnected"
    /// when that poll found none.
    RasConnStatus LastStatus() const { return FLastStatus; }
    /// Entry names of the active connections of the last poll, in enumeration order.
    const QStringList &Names() const { return FNames; }

public Q_SLOTS:
    /// One poll: enumerate, remember names and the last status, raise OnChange
    /// when the number of connections differs from the previous poll. A poll
    /// whose enumeration fails changes nothing.
    void Poll();

Q_SIGNALS:
    void OnChange();

private:
    void DialUpActiveConnection(RasHandle handle, const RasConnStatus &status, const QString &statusText,
        const QString &entryName, const QString &deviceType, const QString &deviceName);
    void restartTimer();

    TDialUp *FDialUp;
    QTimer *FTimer;
    QStringList FNames;
    RasConnStatus FLastStatus;
    int FInterval = DefaultInterval;
    bool FEnabled = true;
};
