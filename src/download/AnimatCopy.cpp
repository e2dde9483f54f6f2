// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "AnimatCopy.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

TAnimatCopy::TAnimatCopy(QWidget *parent)
    : TFrameAnimation(FrameCount, FrameInterval, parent)
{
}

void TAnimatCopy::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal h = height();
    const qreal w = width();
    const qreal r = h * 0.36;
    const QPointF globe(r + 3, h / 2);

    // The globe: the web the page comes from.
    QRadialGradient sea(globe - QPointF(r / 3, r / 3), r * 1.4);
    sea.setColorAt(0, QColor(0x9c, 0xd3, 0xff));
    sea.setColorAt(1, QColor(0x1d, 0x5f, 0xb0));
    p.setPen(QPen(QColor(0x12, 0x3c, 0x70), 1));
    p.setBrush(sea);
    p.drawEllipse(globe, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.8));
    p.drawEllipse(globe, r * 0.45, r);
    p.drawLine(globe - QPointF(r, 0), globe + QPointF(r, 0));
    p.drawLine(globe - QPointF(0, r), globe + QPointF(0, r));

    // The folder: the local copy.
    const QRectF folder(w - h * 0.95 - 2, h * 0.3, h * 0.95, h * 0.55);
    p.setPen(QPen(QColor(0x8a, 0x64, 0x0c), 1));
    p.setBrush(QColor(0xf0, 0xc4, 0x4c));
    QPainterPath tab;
    tab.addRoundedRect(QRectF(folder.left(), folder.top() - h * 0.1, folder.width() * 0.45, h * 0.16), 2, 2);
    p.drawPath(tab);
    p.setBrush(QColor(0xff, 0xd8, 0x6a));
    p.drawRoundedRect(folder, 2, 2);

    if (!active())
        return;
    // The page on its arc from the globe to the folder.
    const qreal t = qreal(frame()) / (FrameCount - 1);
    const QPointF from = globe + QPointF(r * 0.6, 0);
    const QPointF to = folder.center();
    const QPointF at(from.x() + (to.x() - from.x()) * t, from.y() + (to.y() - from.y()) * t - std::sin(t * M_PI) * h * 0.32);
    const QSizeF sheet(h * 0.28, h * 0.36);
    const QRectF page(at - QPointF(sheet.width() / 2, sheet.height() / 2), sheet);
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(page);
    p.setPen(QPen(QColor(0x1d, 0x5f, 0xb0), 0.8));
    for (int line = 1; line <= 3; ++line) {
        const qreal y = page.top() + page.height() * line / 4.5;
        p.drawLine(QPointF(page.left() + 2, y), QPointF(page.right() - 2, y));
    }
}
