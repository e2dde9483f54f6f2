// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The zoomable preview of the recorded pages.

#include "ListPrintPrivate.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

TPreviewPaintBox::TPreviewPaintBox(TCustomListPrint *owner)
    : QWidget(owner)
    , m_owner(owner)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewPaintBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_owner->PaintPreview(painter, rect());
}

namespace {
struct TPaper {
    QSize Pixels;
    QPoint Offset;
    int DpiX;
    int DpiY;
};

/// The paper of the recorded pages, or of the printer while there are none.
TPaper paperOf(TCustomListPrint &lp)
{
    const TPageList &pages = std::as_const(lp).Pages();
    if (pages.IsEmpty() && !pages.IsRecording()) {
        const TCustomListPrint::TGeometry &g = lp.Geometry();
        return { g.Paper, g.Offset, g.DpiX, g.DpiY };
    }
    const TPageList::TDevice &d = pages.Device();
    return { d.PaperPixels, d.Offset, d.DpiX, d.DpiY };
}

} // namespace

QSize TCustomListPrint::PreviewPageSize()
{
    const TPaper paper = paperOf(*this);
    const qreal zoom = FZoomPercent / 100.0;
    return QSize(int(std::lround(paper.Pixels.width() * zoom * logicalDpiX() / paper.DpiX)),
        int(std::lround(paper.Pixels.height() * zoom * logicalDpiY() / paper.DpiY)));
}

void TCustomListPrint::PaintPreview(QPainter &painter, const QRect &area)
{
    const TPaper paper = paperOf(*this);
    if (FGradientBackground) {
        QLinearGradient gradient(area.topLeft(), area.bottomLeft());
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, palette().color(QPalette::Window));
        painter.fillRect(area, gradient);
    } else {
        painter.fillRect(area, palette().color(QPalette::Window));
    }
    const QSize size = PreviewPageSize();
    QRect page(QPoint(0, 0), size);
    page.moveCenter(area.center());
    page.moveTopLeft(QPoint(std::max(page.left(), 1), std::max(page.top(), 1)));
    if (FShadowOffset != 0) {
        const int s = FShadowOffset;
        painter.fillRect(QRect(page.right() + 1, page.top() + s, s, page.height()), FShadowColor);
        painter.fillRect(QRect(page.left() + s, page.bottom() + 1, page.width(), s), FShadowColor);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(page.adjusted(0, 0, -1, -1));

    const qreal sx = qreal(size.width()) / std::max(1, paper.Pixels.width());
    const qreal sy = qreal(size.height()) / std::max(1, paper.Pixels.height());
    if (FCurrentPage >= 1 && FCurrentPage <= PageCount()) {
        painter.save();
        painter.setClipRect(page);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(
            page.left() + std::lround(paper.Offset.x() * sx) + 1, page.top() + std::lround(paper.Offset.y() * sy) + 1);
        painter.scale(sx, sy);
        FPages.Play(FCurrentPage - 1, painter);
        painter.restore();
    }
    if (FShowMargins) {
        const QRect text = TextArea();
        const QRect margins(QPoint(int(std::lround((text.left() + paper.Offset.x()) * sx)),
                                int(std::lround((text.top() + paper.Offset.y()) * sy))),
            QSize(int(std::lround(text.width() * sx)), int(std::lround(text.height() * sy))));
        painter.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(margins.translated(page.topLeft()));
    }
}

void TCustomListPrint::Invalidate()
{
    if (FUpdateCount > 0 || !FPaintBox)
        return;
    FPaintBox->update();
}

void TCustomListPrint::UpdatePreviewSize()
{
    if (!FPaintBox)
        return;
    const QSize page = PreviewPageSize();
    const int margin = 2 * std::abs(FShadowOffset) + 2;
    const QSize view = viewport()->size();
    FPaintBox->resize(std::max(view.width(), page.width() + margin), std::max(view.height(), page.height() + margin));
}

void TCustomListPrint::PlaceView()
{
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    switch (FZoomLocation) {
    case zlTopLeft:
        h->setValue(h->minimum());
        v->setValue(v->minimum());
        break;
    case zlTopCenter:
        h->setValue((h->minimum() + h->maximum()) / 2);
        v->setValue(v->minimum());
        break;
    case zlCenter:
        h->setValue((h->minimum() + h->maximum()) / 2);
        v->setValue((v->minimum() + v->maximum()) / 2);
        break;
    }
}

void TCustomListPrint::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    UpdatePreviewSize();
}

void TCustomListPrint::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    // The scroll range exists only now; place the view as asked for.
    UpdatePreviewSize();
    PlaceView();
}

void TCustomListPrint::SetGradientBackground(bool gradient)
{
    FGradientBackground = gradient;
    Invalidate();
}

void TCustomListPrint::SetShadowColor(const QColor &color)
{
    FShadowColor = color;
    Invalidate();
}

void TCustomListPrint::SetShadowOffset(int offset)
{
    FShadowOffset = std::clamp(offset, -100, 100);
    UpdatePreviewSize();
    PlaceView();
    Invalidate();
}

void TCustomListPrint::SetShowMargins(bool show)
{
    FShowMargins = show;
    Invalidate();
}

void TCustomListPrint::SetZoomLocation(TZoomLocation location)
{
    FZoomLocation = location;
    PlaceView();
}

void TCustomListPrint::SetZoomPercent(int percent)
{
    FZoomPercent = std::clamp(percent, 1, 1000);
    UpdatePreviewSize();
    PlaceView();
    Invalidate();
}
