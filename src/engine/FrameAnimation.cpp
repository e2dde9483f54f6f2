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
    RunWhileShown(FTimer, this, FActive);
    update();
}

bool TFrameAnimation::running() const
{
    return FTimer->isActive();
}

void TFrameAnimation::setOpaqueBackground(bool on)
{
    setAttribute(Qt::WA_OpaquePaintEvent, on);
}

bool TFrameAnimation::OnScreen(const QWidget *widget)
{
    return widget->isVisible() && !widget->window()->isMinimized();
}

void TFrameAnimation::RunWhileShown(QTimer *timer, const QWidget *widget, bool wanted)
{
    if (wanted && OnScreen(widget)) {
        if (!timer->isActive())
            timer->start();
    } else {
        timer->stop();
    }
}

void TFrameAnimation::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown again, also on the way back from a minimised window.
    if (FActive && !FTimer->isActive())
        FTimer->start();
}

void TFrameAnimation::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    FTimer->stop(); // also when the window is minimised: it stays "visible" then
}

void TFrameAnimation::step()
{
    FFrame = (FFrame + 1) % FFrameCount;
    // Painted at once: a posted update would wake the event loop a second time.
    if (OnScreen(this))
        repaint();
}
