// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "OnLineDetect.h"

#include "DialUp.h"

#include <QPointer>
#include <QTimer>

TOnLineDetect::TOnLineDetect(QObject *parent, DialUpService *service)
    : QObject(parent)
    , FDialUp(new TDialUp(this, service))
    , FTimer(new QTimer(this))
{
    FDialUp->setObjectName(QStringLiteral("DialUp"));
    FDialUp->setLanguage(TDialUp::Czech);
    FTimer->setObjectName(QStringLiteral("TimerPoll"));
    // Single shot: the next poll is scheduled only once this one has finished.
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, &TOnLineDetect::Poll);
    connect(FDialUp, &TDialUp::OnActiveConnection, this, &TOnLineDetect::DialUpActiveConnection);
    restartTimer();
}

TOnLineDetect::~TOnLineDetect() = default;

void TOnLineDetect::setInterval(int milliseconds)
{
    FInterval = milliseconds;
    restartTimer();
}

void TOnLineDetect::setEnabled(bool enabled)
{
    FEnabled = enabled;
    restartTimer();
}

void TOnLineDetect::Poll()
{
    FTimer->stop();
    const QStringList previousNames = FNames;
    const RasConnStatus previousStatus = FLastStatus;
    FNames.clear();
    FLastStatus = RasConnStatus();

    if (FDialUp->GetActiveConnections() < 0) {
        // A failed enumeration says nothing about the connections: the last
        // poll's answer stands.
        FNames = previousNames;
        FLastStatus = previousStatus;
        restartTimer();
        return;
    }

    if (FNames.size() != previousNames.size()) {
        // The handler may end the program and with it this component.
        const QPointer<TOnLineDetect> self(this);
        Q_EMIT OnChange();
        if (!self)
            return;
    }
    restartTimer();
}

void TOnLineDetect::DialUpActiveConnection(
    RasHandle, const RasConnStatus &status, const QString &, const QString &entryName, const QString &, const QString &)
{
    FNames.append(entryName);
    FLastStatus = status;
}

void TOnLineDetect::restartTimer()
{
    if (FEnabled && FInterval > 0)
        FTimer->start(FInterval);
    else
        FTimer->stop();
}
