// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Glyphs.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cmath>

using namespace Qt::StringLiterals;

// Resources of a static library must be registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(rufwerk);
}

namespace Glyphs {

namespace {

// Every glyph is drawn in a 100 x 100 box.
constexpr qreal Box = 100.0;

QPen pen(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QColor darker(const QColor &c)
{
    return c.darker(150);
}

void disc(QPainter &p, const QColor &colour, qreal margin = 4)
{
    QRadialGradient g(QPointF(38, 30), 70);
    g.setColorAt(0, colour.lighter(135));
    g.setColorAt(1, colour);
    p.setPen(pen(darker(colour), 4));
    p.setBrush(g);
    p.drawEllipse(QRectF(margin, margin, Box - 2 * margin, Box - 2 * margin));
}

// A telephone handset, centred on (50, 50), pointing ear piece left.
void handset(QPainter &p, const QColor &colour, qreal angle)
{
    p.save();
    p.translate(50, 50);
    p.rotate(angle);
    QPainterPath path;
    path.moveTo(-30, 8);
    path.cubicTo(-26, -14, 26, -14, 30, 8);
    p.setPen(pen(colour, 11));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(-38, 2, 20, 15), 6, 6);
    p.drawRoundedRect(QRectF(18, 2, 20, 15), 6, 6);
    p.restore();
}

void centredText(QPainter &p, const QRectF &r, const QString &text, const QColor &colour, qreal size, bool italic = false)
{
    QFont f(u"Sans Serif"_s);
    f.setPixelSize(int(size));
    f.setBold(true);
    f.setItalic(italic);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void chevrons(QPainter &p, bool up)
{
    p.setPen(pen(QColor(0x1f, 0x5f, 0xb0), 11));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const qreal y = up ? 58 - i * 26 : 32 + i * 26;
        const qreal tip = up ? y - 18 : y + 18;
        QPolygonF v;
        v << QPointF(22, y) << QPointF(50, tip) << QPointF(78, y);
        p.drawPolyline(v);
    }
}

void paintGlyph(QPainter &p, Id id)
{
    switch (id) {
    case Dial:
        disc(p, QColor(0x2e, 0xa0, 0x43));
        handset(p, Qt::white, -18);
        break;
    case HangUp:
        disc(p, QColor(0xd2, 0x32, 0x2d));
        handset(p, Qt::white, 180);
        break;
    case Info:
        disc(p, QColor(0x2a, 0x6c, 0xc4));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(43, 20, 14, 14));
        p.drawRoundedRect(QRectF(43, 40, 14, 40), 5, 5);
        break;
    case Help:
        disc(p, QColor(0x2a, 0x6c, 0xc4));
        centredText(p, QRectF(0, 2, Box, Box), u"?"_s, Qt::white, 68);
        break;
    case Protocol: {
        QPainterPath page;
        page.moveTo(20, 6);
        page.lineTo(64, 6);
        page.lineTo(82, 24);
        page.lineTo(82, 94);
        page.lineTo(20, 94);
        page.closeSubpath();
        p.setPen(pen(QColor(0x55, 0x5f, 0x6b), 4));
        p.setBrush(QColor(0xfd, 0xfd, 0xf4));
        p.drawPath(page);
        p.setBrush(QColor(0xd9, 0xdd, 0xe3));
        p.drawPolygon(QPolygonF{QPointF(64, 6), QPointF(64, 24), QPointF(82, 24)});
        p.setPen(pen(QColor(0x3d, 0x6f, 0xb6), 5));
        for (int i = 0; i < 5; ++i)
            p.drawLine(QPointF(31, 38 + i * 11), QPointF(i == 4 ? 55 : 71, 38 + i * 11));
        break;
    }
    case FeeReport: {
        const QColor gold(0xe8, 0xb0, 0x20);
        p.setPen(pen(darker(gold), 4));
        p.setBrush(gold.darker(115));
        p.drawEllipse(QRectF(14, 22, 72, 72));
        disc(p, gold, 10);
        centredText(p, QRectF(10, 4, 80, 80), u"€"_s, QColor(0x7a, 0x4a, 0x00), 52);
        break;
    }
    case StartProgs: {
        const QColor green(0x2e, 0xa0, 0x43);
        p.setPen(pen(darker(green), 4));
        p.setBrush(QColor(0xe7, 0xf3, 0xe9));
        p.drawRoundedRect(QRectF(8, 16, 84, 68), 10, 10);
        p.setBrush(green);
        p.drawPolygon(QPolygonF{QPointF(38, 30), QPointF(70, 50), QPointF(38, 70)});
        break;
    }
    case Launch: {
        const QColor green(0x2e, 0xa0, 0x43);
        p.setPen(pen(darker(green), 4));
        p.setBrush(green);
        p.drawPolygon(QPolygonF{QPointF(26, 14), QPointF(84, 50), QPointF(26, 86)});
        break;
    }
    case Exit: {
        const QColor red(0xb8, 0x2a, 0x26);
        p.setPen(pen(red, 11));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(16, 18, 68, 68), 120 * 16, 300 * 16);
        p.drawLine(QPointF(50, 10), QPointF(50, 48));
        break;
    }
    case Stop: {
        const QColor red(0xd2, 0x32, 0x2d);
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const qreal a = qDegreesToRadians(22.5 + 45.0 * i);
            octagon << QPointF(50 + 45 * std::cos(a), 50 + 45 * std::sin(a));
        }
        p.setPen(pen(darker(red), 4));
        p.setBrush(red);
        p.drawPolygon(octagon);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(24, 42, 52, 16), 4, 4);
        break;
    }
    case Settings: {
        const QColor grey(0x6b, 0x76, 0x82);
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const qreal r = (i % 2 == 0) ? 46 : 34;
            for (int k = 0; k < 2; ++k) {
                const qreal a = qDegreesToRadians((i + k) * 180.0 / teeth - 90.0 / teeth * 0.6);
                const QPointF pt(50 + r * std::cos(a), 50 + r * std::sin(a));
                if (i == 0 && k == 0)
                    gear.moveTo(pt);
                else
                    gear.lineTo(pt);
            }
        }
        gear.closeSubpath();
        gear.addEllipse(QPointF(50, 50), 14, 14);
        gear.setFillRule(Qt::OddEvenFill);
        p.setPen(pen(darker(grey), 3));
        p.setBrush(grey);
        p.drawPath(gear);
        break;
    }
    case Less:
        chevrons(p, true);
        break;
    case More:
        chevrons(p, false);
        break;
    case Favorites: {
        const QColor yellow(0xf2, 0xc2, 0x1b);
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal r = (i % 2 == 0) ? 46 : 19;
            const qreal a = qDegreesToRadians(-90.0 + 36.0 * i);
            star << QPointF(50 + r * std::cos(a), 54 + r * std::sin(a));
        }
        p.setPen(pen(QColor(0xb0, 0x84, 0x00), 4));
        p.setBrush(yellow);
        p.drawPolygon(star);
        break;
    }
    case Menu:
        p.setPen(pen(QColor(0x3b, 0x47, 0x55), 11));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(18, 26 + i * 24), QPointF(82, 26 + i * 24));
        break;
    case Edit: {
        p.save();
        p.translate(50, 50);
        p.rotate(45);
        p.setPen(pen(QColor(0x7a, 0x55, 0x10), 4));
        p.setBrush(QColor(0xf2, 0xb6, 0x3c));
        p.drawRect(QRectF(-12, -44, 24, 62));
        p.setBrush(QColor(0xf3, 0xd9, 0xb1));
        p.drawPolygon(QPolygonF{QPointF(-12, 18), QPointF(12, 18), QPointF(0, 42)});
        p.setBrush(QColor(0xe0, 0x6c, 0x8a));
        p.drawRect(QRectF(-12, -48, 24, 10));
        p.restore();
        break;
    }
    case New:
        disc(p, QColor(0x2e, 0xa0, 0x43));
        p.setPen(pen(Qt::white, 13));
        p.drawLine(QPointF(50, 26), QPointF(50, 74));
        p.drawLine(QPointF(26, 50), QPointF(74, 50));
        break;
    case Rename:
        p.setPen(pen(QColor(0x55, 0x5f, 0x6b), 4));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(6, 28, 88, 44), 6, 6);
        centredText(p, QRectF(6, 28, 62, 44), u"ab"_s, QColor(0x1f, 0x5f, 0xb0), 34);
        p.setPen(pen(QColor(0x1a, 0x1a, 0x1a), 5));
        p.drawLine(QPointF(74, 20), QPointF(74, 80));
        p.drawLine(QPointF(66, 20), QPointF(82, 20));
        p.drawLine(QPointF(66, 80), QPointF(82, 80));
        break;
    case Delete:
        p.setPen(pen(QColor(0xd2, 0x32, 0x2d), 15));
        p.drawLine(QPointF(24, 24), QPointF(76, 76));
        p.drawLine(QPointF(76, 24), QPointF(24, 76));
        break;
    case Exchange: {
        const QColor blue(0x1f, 0x5f, 0xb0);
        const QColor green(0x2e, 0xa0, 0x43);
        p.setPen(pen(blue, 9));
        p.drawLine(QPointF(14, 34), QPointF(78, 34));
        p.drawPolyline(QPolygonF{QPointF(64, 20), QPointF(80, 34), QPointF(64, 48)});
        p.setPen(pen(green, 9));
        p.drawLine(QPointF(86, 66), QPointF(22, 66));
        p.drawPolyline(QPolygonF{QPointF(36, 52), QPointF(20, 66), QPointF(36, 80)});
        break;
    }
    case OnlineHelp: {
        // A life buoy: red and white quarters on a ring.
        const QColor red(0xd2, 0x32, 0x2d);
        QPainterPath ring;
        ring.addEllipse(QRectF(6, 6, 88, 88));
        ring.addEllipse(QRectF(30, 30, 40, 40));
        ring.setFillRule(Qt::OddEvenFill);
        p.save();
        p.setClipPath(ring);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 4; ++i) {
            p.setBrush(i % 2 == 0 ? red : QColor(Qt::white));
            p.drawPie(QRectF(0, 0, Box, Box), (45 + i * 90) * 16, 90 * 16);
        }
        p.restore();
        p.setPen(pen(QColor(0x80, 0x1c, 0x18), 4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ring);
        break;
    }
    case Program: {
        // A program window: title bar and an empty client area.
        const QColor blue(0x2a, 0x6c, 0xc4);
        p.setPen(pen(darker(blue), 4));
        p.setBrush(QColor(0xf4, 0xf7, 0xfb));
        p.drawRoundedRect(QRectF(8, 14, 84, 72), 6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawRect(QRectF(10, 16, 80, 16));
        p.setBrush(QColor(0xf2, 0xc2, 0x1b));
        p.drawEllipse(QRectF(76, 19, 10, 10));
        break;
    }
    case Folder: {
        const QColor yellow(0xf0, 0xc0, 0x4a);
        p.setPen(pen(QColor(0xa0, 0x74, 0x10), 4));
        p.setBrush(yellow);
        p.drawPolygon(QPolygonF{QPointF(6, 24), QPointF(38, 24), QPointF(46, 32), QPointF(94, 32), QPointF(94, 84),
                                QPointF(6, 84)});
        p.setBrush(yellow.lighter(115));
        p.drawRect(QRectF(6, 42, 88, 42));
        break;
    }
    case Download: {
        const QColor green(0x2e, 0xa0, 0x43);
        p.setPen(pen(QColor(0x3b, 0x47, 0x55), 8));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{QPointF(12, 66), QPointF(12, 88), QPointF(88, 88), QPointF(88, 66)});
        p.setPen(pen(darker(green), 4));
        p.setBrush(green);
        p.drawPolygon(QPolygonF{QPointF(38, 8), QPointF(62, 8), QPointF(62, 40), QPointF(78, 40), QPointF(50, 72),
                                QPointF(22, 40), QPointF(38, 40)});
        break;
    }
    case Web:
        paintGlobe(p, QRectF(0, 0, Box, Box), 2, true);
        break;
    case Status: {
        const QColor blue(0x2a, 0x6c, 0xc4);
        QPainterPath balloon;
        balloon.addRoundedRect(QRectF(6, 10, 88, 60), 16, 16);
        QPainterPath tail;
        tail.moveTo(28, 64);
        tail.lineTo(22, 92);
        tail.lineTo(50, 66);
        tail.closeSubpath();
        p.setPen(pen(darker(blue), 4));
        p.setBrush(QColor(0xe8, 0xf0, 0xfb));
        p.drawPath(balloon.united(tail));
        p.setPen(pen(blue, 7));
        p.drawLine(QPointF(24, 32), QPointF(76, 32));
        p.drawLine(QPointF(24, 48), QPointF(60, 48));
        break;
    }
    }
}

} // namespace

void paint(QPainter &painter, const QRectF &rect, Id id)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / Box, rect.height() / Box);
    paintGlyph(painter, id);
    painter.restore();
}

QIcon icon(Id id)
{
    static QHash<int, QIcon> cache;
    auto it = cache.constFind(int(id));
    if (it != cache.constEnd())
        return *it;
    QIcon result;
    for (const int size : {16, 20, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paint(p, QRectF(0, 0, size, size), id);
        p.end();
        result.addPixmap(pixmap);
    }
    cache.insert(int(id), result);
    return result;
}

void paintGlobe(QPainter &p, const QRectF &rect, int frame, bool active)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(rect.topLeft());
    p.scale(rect.width() / Box, rect.height() / Box);

    const QColor sea = active ? QColor(0x23, 0x7b, 0xd8) : QColor(0x9a, 0xa4, 0xae);
    const QColor line = active ? QColor(0xd8, 0xee, 0xff) : QColor(0xe4, 0xe8, 0xec);
    const QRectF ball(8, 8, 84, 84);
    QRadialGradient g(QPointF(36, 32), 72);
    g.setColorAt(0, sea.lighter(150));
    g.setColorAt(1, sea.darker(120));
    p.setPen(QPen(sea.darker(160), 3));
    p.setBrush(g);
    p.drawEllipse(ball);

    p.setClipRegion(QRegion(ball.toRect(), QRegion::Ellipse));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(line, 3));
    // Parallels stay, meridians turn with the frame.
    for (const qreal y : {29.0, 50.0, 71.0}) {
        const qreal half = std::sqrt(42.0 * 42.0 - (y - 50) * (y - 50));
        p.drawLine(QPointF(50 - half, y), QPointF(50 + half, y));
    }
    const qreal phase = 2.0 * M_PI * (frame % AnimationFrames) / AnimationFrames / 3.0;
    for (int m = 0; m < 3; ++m) {
        const qreal a = phase + m * M_PI / 3.0;
        const qreal w = 42.0 * std::cos(a);
        p.drawEllipse(QRectF(50 - std::abs(w), 8, 2 * std::abs(w), 84));
    }
    p.setClipping(false);

    if (active) {
        // A signal dot circles the globe once per cycle.
        const qreal a = 2.0 * M_PI * (frame % AnimationFrames) / AnimationFrames;
        const QPointF dot(50 + 46 * std::cos(a), 50 + 18 * std::sin(a));
        p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 2));
        p.setBrush(QColor(0xff, 0xd8, 0x4a));
        p.drawEllipse(dot, 9, 9);
    }
    p.restore();
}

QIcon appIcon()
{
    initResources();
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/rufwerk/rufwerk-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

QIcon trayIcon(int image)
{
    // Asked for every cycling step while online: built once per image.
    static QIcon cache[TrayImages];
    const int i = qBound(0, image, TrayImages - 1);
    if (cache[i].isNull()) {
        initResources();
        for (const int size : {16, 32})
            cache[i].addFile(u":/rufwerk/tray%1-%2.png"_s.arg(i).arg(size), QSize(size, size));
    }
    return cache[i];
}

} // namespace Glyphs
