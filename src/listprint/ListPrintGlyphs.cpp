// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ListPrintGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace {

// Every glyph is drawn in a 100 x 100 box.
const QColor Outline(0x30, 0x30, 0x30);
const QColor Blue(0x1e, 0x5a, 0xc8);
const QColor Green(0x2e, 0x8b, 0x3a);

QPen pen(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void triangle(QPainter &p, bool right)
{
    QPainterPath path;
    if (right) {
        path.moveTo(30, 14);
        path.lineTo(80, 50);
        path.lineTo(30, 86);
    } else {
        path.moveTo(70, 14);
        path.lineTo(20, 50);
        path.lineTo(70, 86);
    }
    path.closeSubpath();
    p.setPen(pen(Blue.darker(140), 5));
    p.setBrush(Blue);
    p.drawPath(path);
}

/// A sheet of paper with a folded corner.
void sheet(QPainter &p, const QRectF &r)
{
    QPainterPath path;
    const qreal fold = r.width() * 0.3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(pen(Outline, 5));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

/// Bold white text centred in box.
void whiteText(QPainter &p, const QRectF &box, int pixels, const QString &text)
{
    QFont font(u"Arial"_s);
    font.setPixelSize(pixels);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
}

void printer(QPainter &p, bool lines)
{
    p.setPen(pen(Outline, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(28, 8, 44, 36));
    if (lines) {
        p.setPen(pen(Blue, 5));
        for (int y : { 20, 31 })
            p.drawLine(36, y, 64, y);
    }
    p.setPen(pen(Outline, 5));
    p.setBrush(QColor(0xb8, 0xb8, 0xb8));
    p.drawRoundedRect(QRectF(8, 40, 84, 36), 8, 8);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(26, 64, 48, 28));
    p.setPen(Qt::NoPen);
    p.setBrush(Green);
    p.drawEllipse(QPointF(80, 52), 5, 5);
}

void paint(QPainter &p, int number)
{
    switch (number) {
    case 1: // next page
        triangle(p, true);
        break;
    case 2: // previous page
        triangle(p, false);
        break;
    case 3: { // page layout: a sheet with its text area
        sheet(p, QRectF(16, 6, 68, 88));
        p.setPen(QPen(Blue, 4, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(28, 26, 40, 56));
        p.setPen(pen(Outline, 5));
        for (int y : { 38, 50, 62 })
            p.drawLine(34, y, 62, y);
        break;
    }
    case 4: // printer
        printer(p, false);
        break;
    case 5: { // back: an arrow bending to the left
        QPainterPath path;
        path.moveTo(82, 86);
        path.cubicTo(86, 40, 60, 30, 30, 34);
        p.setPen(pen(Green, 14));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        QPainterPath head;
        head.moveTo(6, 34);
        head.lineTo(38, 10);
        head.lineTo(38, 58);
        head.closeSubpath();
        p.setPen(pen(Green, 4));
        p.setBrush(Green);
        p.drawPath(head);
        break;
    }
    case 6: // output: a printer with a printed page
        printer(p, true);
        break;
    case 7: { // worksheet
        p.setPen(pen(Green.darker(130), 5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(10, 12, 80, 76));
        p.setBrush(Green);
        p.drawRect(QRectF(10, 12, 80, 18));
        p.setPen(pen(Green.darker(130), 3));
        for (int x : { 36, 62 })
            p.drawLine(x, 30, x, 88);
        for (int y : { 49, 68 })
            p.drawLine(10, y, 90, y);
        break;
    }
    case 8: { // rebuild: two arrows chasing each other round
        p.setPen(pen(Blue, 10));
        p.setBrush(Qt::NoBrush);
        const QRectF ring(18, 18, 64, 64);
        p.drawArc(ring, 20 * 16, 140 * 16);
        p.drawArc(ring, 200 * 16, 140 * 16);
        p.setPen(pen(Blue, 3));
        p.setBrush(Blue);
        QPainterPath heads;
        heads.moveTo(4, 50);
        heads.lineTo(34, 50);
        heads.lineTo(19, 68);
        heads.closeSubpath();
        heads.moveTo(66, 50);
        heads.lineTo(96, 50);
        heads.lineTo(81, 32);
        heads.closeSubpath();
        p.drawPath(heads);
        break;
    }
    case 9: { // help
        p.setPen(pen(Blue.darker(140), 4));
        p.setBrush(Blue);
        p.drawEllipse(QRectF(6, 6, 88, 88));
        whiteText(p, QRectF(6, 6, 88, 88), 70, u"?"_s);
        break;
    }
    case 10: // zoom
        p.setPen(pen(Outline, 14));
        p.drawLine(62, 62, 90, 90);
        p.setPen(pen(Outline, 7));
        p.setBrush(QColor(0xdc, 0xeb, 0xff));
        p.drawEllipse(QRectF(8, 8, 60, 60));
        p.setPen(pen(Blue, 7));
        p.drawLine(24, 38, 52, 38);
        p.drawLine(38, 24, 38, 52);
        break;
    case 11: { // PDF file
        sheet(p, QRectF(16, 6, 68, 88));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc8, 0x20, 0x20));
        p.drawRect(QRectF(8, 50, 76, 30));
        whiteText(p, QRectF(8, 50, 76, 30), 24, u"PDF"_s);
        break;
    }
    default:
        break;
    }
}

} // namespace

namespace ListPrintGlyphs {

QIcon Icon(const QString &name)
{
    bool ok = false;
    const int number = name.startsWith("LPKTB_"_L1) ? name.mid(6).toInt(&ok) : 0;
    if (!ok || number < 1 || number > 11)
        return QIcon();
    QIcon icon;
    for (int size : { 16, 24, 32, 48 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 100.0, size / 100.0);
        paint(painter, number);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace ListPrintGlyphs
