// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QWidget>

class QTimer;

/**
 * An animation of a fixed number of frames, stepped by its own timer while
 * active and resting at frame 0 otherwise. Subclasses paint frame().
 */
class TFrameAnimation : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool active READ active WRITE setActive)
    Q_PROPERTY(int frame READ frame)

public:
    TFrameAnimation(int frameCount, int interval, QWidget *parent = nullptr);

    bool active() const { return FActive; }
    void setActive(bool on);
    int frame() const { return FFrame; }
    /// Advances one frame (the timer's step).
    void step();

    /// Whether widget can be seen: a hidden or minimised window need not paint.
    static bool OnScreen(const QWidget *widget);

private:
    QTimer *FTimer;
    int FFrameCount;
    bool FActive = false;
    int FFrame = 0;
};
