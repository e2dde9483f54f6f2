// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

/**
 * Turns process signals (SIGTERM, SIGINT) into a Qt signal on the GUI thread.
 * The handler only writes the signal number into a socket pair; a socket
 * notifier reads it in the event loop, where the program may do real work.
 * One watcher per process; where there are no such signals it does nothing.
 */
class TSignalWatcher : public QObject
{
    Q_OBJECT

public:
    /// Installs the handlers for signalNumbers; nullptr when that failed or a
    /// watcher exists already.
    static TSignalWatcher *Install(const QList<int> &signalNumbers, QObject *parent);
    ~TSignalWatcher() override;

signals:
    void received(int signalNumber);

private:
    explicit TSignalWatcher(QObject *parent);
    void readSignal();

    QSocketNotifier *FNotifier = nullptr;
    QList<int> FSignals;
};
