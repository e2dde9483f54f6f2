// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FrameAnimation.h"

#include <QTimer>

TFrameAnimation::TFrameAnimation(int frameCount, int interval, QWidget *parent)
    : QWidget(parent)
    , FTimer(new QTimer(this))
    , FFrameCount(frameCount)
{
    FTimer->setInterval(interval);
    connect(FTimer, &QTimer::timeout, this, &TFrameAnimation::step);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TFrameAnimation::setActive(bool on)
{
    if (FActive == on)
        return;
    FActive = on;
    FFrame = 0;
    if (on)
        FTimer->start();
    else
        FTimer->stop();
    update();
}

bool TFrameAnimation::OnScreen(const QWidget *widget)
{
    return widget->isVisible() && !widget->window()->isMinimized();
}

void TFrameAnimation::step()
{
    FFrame = (FFrame + 1) % FFrameCount;
    if (OnScreen(this))
        update();
}
