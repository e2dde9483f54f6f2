// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <vector>

class QPainter;
class QTemporaryFile;

/**
 * The recorded pages of a report. Each page is a device-independent drawing
 * made in the printer's pixels: texts, lines and images, kept as a compact
 * byte stream (variable-length integers, Latin-1 text where it fits). Fonts
 * and images are held once for all pages. Lines that continue each other
 * (the frames of table cells) are joined when the page closes, and a page is
 * drawn images first, then lines, then texts.
 *
 * Memory stays bounded: once the finished pages hold more than MemoryLimit()
 * bytes, the oldest of them move to an anonymous temporary file and are read
 * back when a page is drawn.
 */
class TPageList {
public:
    /// Where a recording was made: pixels per inch and the printable-area corner on the paper.
    struct TDevice {
        int DpiX = 300;
        int DpiY = 300;
        QPoint Offset; ///< printable origin from the paper corner, in pixels
        QSize PaperPixels; ///< paper size in pixels
    };

    /// One text of a page, for readers of the recorded content.
    struct TText {
        QPoint Baseline;
        QString Text;
        int Font = 0;
    };

    TPageList();
    ~TPageList();
    TPageList(const TPageList &) = delete;
    TPageList &operator=(const TPageList &) = delete;

    int Count() const { return int(m_pages.size()); }
    bool IsEmpty() const { return m_pages.isEmpty(); }
    /// Frees every page, font, image and the spill file.
    void Clear();

    void SetDevice(const TDevice &device) { m_device = device; }
    const TDevice &Device() const { return m_device; }

    /// Index of a font (at its recording pixel size) with its colour; added when new.
    int FontIndex(const QFont &font, const QColor &color);
    QFont Font(int index) const { return m_fonts.value(index).Font; }
    /// Index of an image under key (a file name); the image is kept once.
    int ImageIndex(const QString &key, const QImage &image);

    /// Starts a new page at the end; a page still open is closed first.
    void BeginPage();
    /// Closes the open page.
    void EndPage();
    bool IsRecording() const { return m_recording; }

    // Drawing into the open page, in recording pixels from the printable origin.
    void Text(int x, int baselineY, QStringView text, int font);
    void Line(int x1, int y1, int x2, int y2, int width);
    void Image(const QRect &target, int image);

    /// Draws page index (from 0; Count() is the open page) in recording pixels;
    /// the caller sets the painter's transform.
    void Play(int index, QPainter &painter) const;
    /// The texts of page index in the order they were drawn.
    QList<TText> Texts(int index) const;
    /// One line of a page, after lines that continue each other were joined.
    struct TStroke {
        QLine Line;
        int Width = 0;
    };
    QList<TStroke> Strokes(int index) const;
    /// Where the images of page index are drawn.
    QList<QRect> ImageRects(int index) const;

    qint64 MemoryLimit() const { return m_memoryLimit; }
    void SetMemoryLimit(qint64 bytes) { m_memoryLimit = bytes; }
    /// Bytes of page data held in memory, and moved to the spill file.
    qint64 BytesInMemory() const { return m_inMemory; }
    qint64 BytesSpilled() const { return m_spilled; }

    static constexpr qint64 DefaultMemoryLimit = 64 * 1024 * 1024;

private:
    struct TPage {
        QByteArray Data;
        qint64 Offset = -1; ///< in the spill file, when moved there
        qint64 Size = 0;
    };
    struct TFontEntry {
        QFont Font;
        QColor Color;
    };

    struct TLine {
        int X1, Y1, X2, Y2, Width;
    };

    QByteArray PageData(int index) const;
    /// The open page's operations with its lines merged and appended.
    QByteArray ClosedData() const;
    void Spill();

    TDevice m_device;
    QList<TPage> m_pages;
    QList<TFontEntry> m_fonts;
    QList<QImage> m_images;
    QHash<QString, int> m_imageKeys;
    QByteArray m_open;
    std::vector<TLine> m_openLines; // merged when the page closes
    bool m_recording = false;
    int m_firstInMemory = 0;
    qint64 m_inMemory = 0;
    qint64 m_spilled = 0;
    qint64 m_memoryLimit = DefaultMemoryLimit;
    std::unique_ptr<QTemporaryFile> m_spill;
};
