// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "FrameAnimation.h"

#include <QColor>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QWidget>

class QTimer;

/// The online animation: frames 0..12 of a turning globe while active, frame 0 otherwise.
class TAnimate : public TFrameAnimation
{
    Q_OBJECT

public:
    explicit TAnimate(QWidget *parent = nullptr);

    QSize sizeHint() const override { return {40, 40}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Painted once per size: the globe is drawn with many antialiased curves.
    QList<QPixmap> FFrames;
    QSize FFramesSize;
    qreal FFramesRatio = 0;
};

/**
 * The owner-drawn activity gauge of the status bar: an indeterminate bar that
 * runs in barColour; in the panel's own colour it is invisible and stands still.
 */
class TActivityGauge : public QLabel
{
    Q_OBJECT

public:
    explicit TActivityGauge(QWidget *parent = nullptr);

    /// Invalid colour: the panel's own colour.
    void setBarColour(const QColor &colour);
    QColor barColour() const { return FColour; }
    bool running() const;
    /// Pixels per step.
    static constexpr int Speed = 2;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer *FTimer;
    QColor FColour;
    int FOffset = 0;
};

/// A status panel that shows "..." where its text does not fit; text() stays whole.
class TEllipsisLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
