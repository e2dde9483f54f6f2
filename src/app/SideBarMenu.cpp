// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SideBarMenu.h"

#include <QLinearGradient>
#include <QPainter>

using namespace Qt::StringLiterals;

TSideBarMenu::TSideBarMenu(const QString &barText, QWidget *parent)
    : QMenu(parent)
    , FBarText(barText)
{
    // The items start right of the bar.
    setContentsMargins(BarWidth, 0, 0, 0);
}

void TSideBarMenu::paintEvent(QPaintEvent *event)
{
    QMenu::paintEvent(event);
    QPainter p(this);
    const QRect bar(0, 0, BarWidth, height());
    QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
    gradient.setColorAt(0, QColor(0xa6, 0xca, 0xf0)); // sky blue
    gradient.setColorAt(1, QColor(0x00, 0x00, 0xff));
    p.fillRect(bar, gradient);

    QFont font(u"Arial"_s);
    font.setPixelSize(16);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(0xff, 0xff, 0x00));
    p.setRenderHint(QPainter::TextAntialiasing);
    // Read from bottom to top, starting a little above the bottom edge.
    p.translate(0, height());
    p.rotate(-90);
    p.drawText(QRect(6, 0, height() - 12, BarWidth), Qt::AlignLeft | Qt::AlignVCenter, FBarText);
}
