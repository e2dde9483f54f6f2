// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "FrameAnimation.h"

/// The copy animation "WebCopy": a page travels from the globe into the
/// folder, frames 0 to 17 while active, frame 0 at rest.
class TAnimatCopy : public TFrameAnimation
{
    Q_OBJECT

public:
    static constexpr int FrameCount = 18;
    static constexpr int FrameInterval = 90;

    explicit TAnimatCopy(QWidget *parent = nullptr);

    QSize sizeHint() const override { return {96, 40}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};
