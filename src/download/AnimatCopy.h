// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QWidget>

class QTimer;

/// The copy animation "WebCopy": a page travels from the globe into the
/// folder, frames 0 to 17 while active, frame 0 at rest.
class TAnimatCopy : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool active READ active WRITE setActive)
    Q_PROPERTY(int frame READ frame)

public:
    static constexpr int FrameCount = 18;
    static constexpr int FrameInterval = 90;

    explicit TAnimatCopy(QWidget *parent = nullptr);

    bool active() const { return FActive; }
    void setActive(bool on);
    int frame() const { return FFrame; }
    void step();

    QSize sizeHint() const override { return {96, 40}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer *FTimer;
    bool FActive = false;
    int FFrame = 0;
};
