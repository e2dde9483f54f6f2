// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

// Internals shared by the list printer's source files.

#include "ListPrint.h"

#include <QFontMetricsF>
#include <QWidget>
#include <cmath>
#include <limits>

/// Text metrics of one font at the printer's resolution.
struct TCustomListPrint::TMeasure {
    TMeasure(const TListFont &source, int dpiY);

    /// Width in pixels of text as it is drawn.
    qreal Width(QStringView text);
    /// Length of the longest prefix of text no wider than width.
    qsizetype FitLength(QStringView text, qreal width);

    TListFont Source;
    QFont Font; // pixel-sized, unhinted, without kerning: widths add up per character
    QFontMetricsF Metrics;
    int Height = 1; // the em height in pixels
    qreal Ascent = 0;
    int Leading = 0; // external leading
    int Index = -1; // in the page list's fonts; -1 until first drawn
    qreal BlankWidth = 1;

private:
    qreal Advance(char16_t c);
    std::vector<float> m_advances; // NaN until measured
};

/// The paint box inside the preview's scroll area.
class TPreviewPaintBox : public QWidget {
public:
    explicit TPreviewPaintBox(TCustomListPrint *owner);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TCustomListPrint *m_owner;
};

namespace ListPrintLimits {
/// Lengths beyond this many pixels are clamped: absurd widths must not overflow.
constexpr int MaxPixels = 1 << 24;
inline int ClampPixels(double pixels)
{
    if (!std::isfinite(pixels))
        return 0;
    return int(std::clamp(std::round(pixels), double(-MaxPixels), double(MaxPixels)));
}
inline int AddClamped(int a, int b)
{
    return int(std::clamp(qint64(a) + b, qint64(-MaxPixels), qint64(MaxPixels)));
}
} // namespace ListPrintLimits

/// Windows-1252 when every character has a byte there, else UTF-8 with a byte
/// order mark; lines ended by CR LF.
QByteArray EncodeTextLines(const QStringList &lines);
/// A German reason for a failed file operation.
QString FileErrorText(const class QFileDevice &file);
