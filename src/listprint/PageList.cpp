// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageList.h"

#include <QPainter>
#include <QPen>
#include <QTemporaryFile>
#include <algorithm>
#include <limits>
#include <tuple>

namespace {

enum TOp : quint8 { OpTextLatin1 = 1, OpTextUtf16 = 2, OpLine = 3, OpImage = 4 };

void putUnsigned(QByteArray &out, quint64 value)
{
    while (value >= 0x80) {
        out.append(char(quint8(value) | 0x80));
        value >>= 7;
    }
    out.append(char(value));
}

void putSigned(QByteArray &out, qint64 value)
{
    putUnsigned(out, (quint64(value) << 1) ^ quint64(value >> 63));
}

/// Reads what putUnsigned and putSigned wrote; a truncated stream reads as the end.
class TReader {
public:
    explicit TReader(const QByteArray &data)
        : m_p(reinterpret_cast<const quint8 *>(data.constData()))
        , m_end(m_p + data.size())
    {
    }
    bool AtEnd() const { return m_p >= m_end; }
    quint8 Byte() { return AtEnd() ? 0 : *m_p++; }
    quint64 Unsigned()
    {
        quint64 value = 0;
        for (int shift = 0; !AtEnd() && shift < 64; shift += 7) {
            const quint8 b = *m_p++;
            value |= quint64(b & 0x7f) << shift;
            if (!(b & 0x80))
                break;
        }
        return value;
    }
    int Signed()
    {
        const quint64 v = Unsigned();
        return int(qint64(v >> 1) ^ -qint64(v & 1));
    }
    /// n bytes, or null when fewer are left.
    const char *Bytes(qint64 n)
    {
        if (n < 0 || n > m_end - m_p) {
            m_p = m_end;
            return nullptr;
        }
        const char *p = reinterpret_cast<const char *>(m_p);
        m_p += n;
        return p;
    }

private:
    const quint8 *m_p;
    const quint8 *m_end;
};

bool fitsLatin1(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xff)
            return false;
    return true;
}

/// Calls onText, onLine and onImage for the operations of one page.
template <typename OnText, typename OnLine, typename OnImage>
void decode(const QByteArray &data, OnText onText, OnLine onLine, OnImage onImage)
{
    TReader in(data);
    while (!in.AtEnd()) {
        const quint8 op = in.Byte();
        switch (op) {
        case OpTextLatin1:
        case OpTextUtf16: {
            const bool wide = op == OpTextUtf16;
            const int x = in.Signed();
            const int y = in.Signed();
            const int font = int(in.Unsigned());
            const qint64 length = qint64(in.Unsigned());
            const char *bytes = in.Bytes(wide ? length * 2 : length);
            if (!bytes)
                return;
            QString text
                = wide ? QString(reinterpret_cast<const QChar *>(bytes), length) : QString::fromLatin1(bytes, length);
            onText(QPoint(x, y), std::move(text), font);
            break;
        }
        case OpLine: {
            const int x1 = in.Signed(), y1 = in.Signed(), x2 = in.Signed(), y2 = in.Signed();
            const int width = int(in.Unsigned());
            onLine(QPoint(x1, y1), QPoint(x2, y2), width);
            break;
        }
        case OpImage: {
            const int x = in.Signed(), y = in.Signed(), w = in.Signed(), h = in.Signed();
            onImage(QRect(x, y, w, h), int(in.Unsigned()));
            break;
        }
        default:
            return;
        }
    }
}

} // namespace

TPageList::TPageList() = default;
TPageList::~TPageList() = default;

void TPageList::Clear()
{
    m_pages.clear();
    m_fonts.clear();
    m_images.clear();
    m_imageKeys.clear();
    m_open.clear();
    m_openLines.clear();
    m_recording = false;
    m_firstInMemory = 0;
    m_inMemory = 0;
    m_spilled = 0;
    m_spill.reset();
}

int TPageList::FontIndex(const QFont &font, const QColor &color)
{
    for (qsizetype i = m_fonts.size() - 1; i >= 0; --i)
        if (m_fonts.at(i).Color == color && m_fonts.at(i).Font == font)
            return int(i);
    m_fonts.append({ font, color });
    return int(m_fonts.size() - 1);
}

int TPageList::ImageIndex(const QString &key, const QImage &image)
{
    const auto found = m_imageKeys.constFind(key);
    if (found != m_imageKeys.cend())
        return found.value();
    m_images.append(image);
    const int index = int(m_images.size() - 1);
    m_imageKeys.insert(key, index);
    return index;
}

void TPageList::BeginPage()
{
    EndPage();
    m_open.clear();
    m_open.reserve(16 * 1024);
    m_recording = true;
}

void TPageList::EndPage()
{
    if (!m_recording)
        return;
    m_recording = false;
    TPage page;
    page.Data = ClosedData();
    page.Size = page.Data.size();
    m_open = QByteArray();
    m_openLines.clear();
    m_inMemory += page.Size;
    m_pages.append(std::move(page));
    if (m_inMemory > m_memoryLimit)
        Spill();
}

QByteArray TPageList::ClosedData() const
{
    // Horizontal and vertical lines of one width that touch or overlap on one
    // row or column become one line: table frames shrink to a few strokes.
    std::vector<TLine> lines = m_openLines;
    for (TLine &l : lines) {
        if (l.Y1 == l.Y2 && l.X1 > l.X2)
            std::swap(l.X1, l.X2);
        else if (l.X1 == l.X2 && l.Y1 > l.Y2)
            std::swap(l.Y1, l.Y2);
    }
    const auto kind = [](const TLine &l) { return l.Y1 == l.Y2 ? 0 : l.X1 == l.X2 ? 1 : 2; };
    std::sort(lines.begin(), lines.end(), [&](const TLine &a, const TLine &b) {
        const int ka = kind(a), kb = kind(b);
        if (ka != kb)
            return ka < kb;
        if (a.Width != b.Width)
            return a.Width < b.Width;
        if (ka == 0)
            return std::tie(a.Y1, a.X1, a.X2) < std::tie(b.Y1, b.X1, b.X2);
        return std::tie(a.X1, a.Y1, a.X2, a.Y2) < std::tie(b.X1, b.Y1, b.X2, b.Y2);
    });
    QByteArray data = m_open;
    data.reserve(m_open.size() + qsizetype(lines.size()) * 12);
    for (size_t i = 0; i < lines.size(); ++i) {
        TLine l = lines[i];
        const int k = kind(l);
        while (k < 2 && i + 1 < lines.size() && kind(lines[i + 1]) == k && lines[i + 1].Width == l.Width) {
            const TLine &n = lines[i + 1];
            if (k == 0 && n.Y1 == l.Y1 && n.X1 <= l.X2)
                l.X2 = std::max(l.X2, n.X2);
            else if (k == 1 && n.X1 == l.X1 && n.Y1 <= l.Y2)
                l.Y2 = std::max(l.Y2, n.Y2);
            else
                break;
            ++i;
        }
        data.append(char(OpLine));
        putSigned(data, l.X1);
        putSigned(data, l.Y1);
        putSigned(data, l.X2);
        putSigned(data, l.Y2);
        putUnsigned(data, quint64(l.Width));
    }
    data.squeeze();
    return data;
}

void TPageList::Spill()
{
    if (!m_spill) {
        m_spill = std::make_unique<QTemporaryFile>();
        if (!m_spill->open()) {
            // Without a temporary folder the pages stay in memory.
            m_spill.reset();
            m_memoryLimit = std::numeric_limits<qint64>::max();
            return;
        }
    }
    // The newest pages stay: the preview shows the first page, printing starts
    // at the front, so both read the file sequentially.
    while (m_inMemory > m_memoryLimit / 2 && m_firstInMemory < m_pages.size()) {
        TPage &page = m_pages[m_firstInMemory];
        const qint64 offset = m_spill->size();
        if (!m_spill->seek(offset) || m_spill->write(page.Data) != page.Size)
            return;
        page.Offset = offset;
        page.Data = QByteArray();
        m_inMemory -= page.Size;
        m_spilled += page.Size;
        ++m_firstInMemory;
    }
}

QByteArray TPageList::PageData(int index) const
{
    if (index == m_pages.size() && m_recording)
        return ClosedData();
    if (index < 0 || index >= m_pages.size())
        return {};
    const TPage &page = m_pages.at(index);
    if (page.Offset < 0)
        return page.Data;
    if (!m_spill || !m_spill->seek(page.Offset))
        return {};
    return m_spill->read(page.Size);
}

void TPageList::Text(int x, int baselineY, QStringView text, int font)
{
    if (!m_recording || text.isEmpty())
        return;
    const bool wide = !fitsLatin1(text);
    m_open.append(char(wide ? OpTextUtf16 : OpTextLatin1));
    putSigned(m_open, x);
    putSigned(m_open, baselineY);
    putUnsigned(m_open, quint64(font));
    putUnsigned(m_open, quint64(text.size()));
    if (wide)
        m_open.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    else
        m_open.append(text.toLatin1());
}

void TPageList::Line(int x1, int y1, int x2, int y2, int width)
{
    if (m_recording)
        m_openLines.push_back({ x1, y1, x2, y2, std::max(width, 0) });
}

void TPageList::Image(const QRect &target, int image)
{
    if (!m_recording)
        return;
    m_open.append(char(OpImage));
    putSigned(m_open, target.x());
    putSigned(m_open, target.y());
    putSigned(m_open, target.width());
    putSigned(m_open, target.height());
    putUnsigned(m_open, quint64(image));
}

void TPageList::Play(int index, QPainter &painter) const
{
    const QByteArray data = PageData(index);
    // Images lie under the frames and the frames under the text; grouping the
    // operations also spares the printer a change of pen for every cell.
    QList<TText> texts;
    std::vector<TLine> lines;
    painter.save();
    decode(
        data,
        [&](QPoint at, QString text, int font) {
            texts.append({ at, std::move(text), font });
        },
        [&](QPoint from, QPoint to, int width) {
            lines.push_back({ from.x(), from.y(), to.x(), to.y(), width });
        },
        [&](const QRect &target, int image) {
            if (image < m_images.size())
                painter.drawImage(target, m_images.at(image));
        });
    int currentWidth = -1;
    for (const TLine &l : lines) {
        if (l.Width != currentWidth) {
            currentWidth = l.Width;
            // Square caps so that frame lines meet at the corners.
            painter.setPen(QPen(Qt::black, l.Width, Qt::SolidLine, Qt::SquareCap));
        }
        painter.drawLine(l.X1, l.Y1, l.X2, l.Y2);
    }
    int currentFont = -1;
    for (const TText &text : std::as_const(texts)) {
        if (text.Font != currentFont && text.Font < m_fonts.size()) {
            currentFont = text.Font;
            painter.setFont(m_fonts.at(text.Font).Font);
            painter.setPen(m_fonts.at(text.Font).Color);
        }
        painter.drawText(text.Baseline, text.Text);
    }
    painter.restore();
}

QList<TPageList::TText> TPageList::Texts(int index) const
{
    QList<TText> texts;
    decode(
        PageData(index),
        [&](QPoint at, QString text, int font) {
            texts.append({ at, std::move(text), font });
        },
        [](QPoint, QPoint, int) {}, [](const QRect &, int) {});
    return texts;
}

QList<TPageList::TStroke> TPageList::Strokes(int index) const
{
    QList<TStroke> strokes;
    decode(
        PageData(index), [](QPoint, QString, int) {},
        [&](QPoint from, QPoint to, int width) {
            strokes.append({ QLine(from, to), width });
        },
        [](const QRect &, int) {});
    return strokes;
}

QList<QRect> TPageList::ImageRects(int index) const
{
    QList<QRect> rects;
    decode(
        PageData(index), [](QPoint, QString, int) {}, [](QPoint, QPoint, int) {},
        [&](const QRect &target, int) { rects.append(target); });
    return rects;
}
