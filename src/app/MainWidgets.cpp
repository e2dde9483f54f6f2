// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "MainWidgets.h"

#include "Glyphs.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

namespace {
constexpr int AnimateInterval = 90;
constexpr int GaugeInterval = 40;
} // namespace

TAnimate::TAnimate(QWidget *parent)
    : TFrameAnimation(Glyphs::AnimationFrames, AnimateInterval, parent)
{
}

void TAnimate::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (FFramesSize != size() || FFramesRatio != ratio) {
        FFrames.clear();
        FFramesSize = size();
        FFramesRatio = ratio;
    }
    // Frame 0 twice over: resting and running.
    const int index = active() ? frame() + 1 : 0;
    if (FFrames.isEmpty())
        FFrames.resize(Glyphs::AnimationFrames + 1);
    QPixmap &pixmap = FFrames[index];
    if (pixmap.isNull()) {
        pixmap = QPixmap(size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        const int side = std::min(width(), height());
        const QRectF r((width() - side) / 2.0, (height() - side) / 2.0, side, side);
        Glyphs::paintGlobe(painter, r, frame(), active());
    }
    QPainter p(this);
    p.drawPixmap(0, 0, pixmap);
}

TActivityGauge::TActivityGauge(QWidget *parent)
    : QLabel(parent)
    , FTimer(new QTimer(this))
{
    FTimer->setInterval(GaugeInterval);
    connect(FTimer, &QTimer::timeout, this, [this] {
        FOffset = (FOffset + Speed) % std::max(1, width() * 2);
        if (TFrameAnimation::OnScreen(this))
            update();
    });
}

void TActivityGauge::setBarColour(const QColor &colour)
{
    FColour = colour;
    FOffset = 0;
    // Nothing to see in the panel's own colour, so nothing needs to move.
    if (colour.isValid())
        FTimer->start();
    else
        FTimer->stop();
    update();
}

bool TActivityGauge::running() const
{
    return FTimer->isActive();
}

void TActivityGauge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect().adjusted(2, 3, -2, -3);
    if (!FColour.isValid() || r.width() <= 0)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.setBrush(palette().color(QPalette::Base));
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    // A block a third as wide as the bar travels across it and re-enters.
    const int block = std::max(6, r.width() / 3);
    const int x = r.left() - block + FOffset % (r.width() + block);
    p.setClipRect(r.adjusted(1, 1, -1, -1));
    p.setPen(Qt::NoPen);
    p.setBrush(FColour);
    p.drawRect(QRect(x, r.top() + 2, block, r.height() - 4));
}

QSize TEllipsisLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("...")) + 8, QLabel::minimumSizeHint().height()};
}

void TEllipsisLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawFrame(&p);
    QStyleOption option;
    option.initFrom(this);
    const QRect r = contentsRect().adjusted(margin() + 2, 0, -margin() - 2, 0);
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, int(alignment()), option.palette, isEnabled(), shown, foregroundRole());
}
