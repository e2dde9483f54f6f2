// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QWidget>

class QTimer;

/**
 * An animation of a fixed number of frames, stepped by its own timer while
 * active and resting at frame 0 otherwise. The timer runs only while somebody
 * can see the widget. Subclasses paint frame().
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
    bool running() const;
    /// On a plain background: each frame paints it itself, so a step repaints
    /// nothing beneath the animation.
    void setOpaqueBackground(bool on);

    /// Whether widget can be seen: a hidden or minimised window need not paint.
    static bool OnScreen(const QWidget *widget);
    /// Starts timer when wanted and widget can be seen, stops it otherwise: a
    /// timer that wakes the program for nothing to see costs CPU all the time.
    static void RunWhileShown(QTimer *timer, const QWidget *widget, bool wanted);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer *FTimer;
    int FFrameCount;
    bool FActive = false;
    int FFrame = 0;
};
