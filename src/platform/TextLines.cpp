// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "TextLines.h"

#include "TextFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

constexpr QByteArrayView LineEnd("\r\n");

quint64 nextRevision()
{
    static std::atomic<quint64> counter{0};
    return ++counter;
}

// A rough line length to reserve offsets without a counting pass.
constexpr qsizetype TypicalLineBytes = 64;

} // namespace

TextLines::TextLines() = default;

TextLines::TextLines(const QStringList &lines)
{
    m_utf8 = !std::all_of(lines.cbegin(), lines.cend(), [](const QString &l) { return TextFile::fitsCodePage(l); });
    m_starts.reserve(lines.size());
    for (const QString &line : lines)
        appendEncoded(m_utf8 ? line.toUtf8() : TextFile::encode(line));
    touch();
}

TextLines TextLines::fromFileBytes(QByteArray bytes)
{
    TextLines lines;
    qsizetype offset = 0;
    if (TextFile::hasUtf8Bom(bytes)) {
        lines.m_utf8 = true;
        offset = 3;
    }
    // Offsets count from behind a byte-order mark.
    const char *data = bytes.constData() + offset;
    const qsizetype n = bytes.size() - offset;
    lines.m_starts.reserve(n / TypicalLineBytes + 1);
    // Offsets into bytes as they are; they only need rewriting when a line end
    // is not CR LF, which a file this program wrote never has.
    bool crlfOnly = true;
    for (qsizetype start = 0; start < n;) {
        const void *found = std::memchr(data + start, '\n', size_t(n - start));
        const qsizetype newline = found ? static_cast<const char *>(found) - data : n;
        if (newline == n || newline == start || data[newline - 1] != '\r')
            crlfOnly = false;
        lines.m_starts.append(start);
        start = newline + 1;
    }
    if (crlfOnly) {
        bytes.remove(0, offset);
        lines.m_bytes = std::move(bytes);
    } else {
        QByteArray canonical;
        canonical.reserve(n + lines.m_starts.size());
        const LineStarts starts = std::move(lines.m_starts);
        lines.m_starts = {};
        lines.m_starts.reserve(starts.size());
        for (qsizetype i = 0; i < starts.size(); ++i) {
            const qsizetype begin = starts.at(i);
            // Up to the line feed; the last line may have none.
            qsizetype end = i + 1 < starts.size() ? starts.at(i + 1) - 1 : (data[n - 1] == '\n' ? n - 1 : n);
            if (end > begin && data[end - 1] == '\r')
                --end;
            lines.m_starts.append(canonical.size());
            canonical.append(data + begin, end - begin);
            canonical.append(LineEnd);
        }
        lines.m_bytes = std::move(canonical);
    }
    lines.touch();
    return lines;
}

bool TextLines::read(const QString &path, TextLines *lines, QString *error)
{
    QByteArray bytes;
    if (!TextFile::readBytes(path, &bytes, error))
        return false;
    *lines = fromFileBytes(std::move(bytes));
    return true;
}

bool TextLines::write(const QString &path, QString *error) const
{
    return TextFile::writeText(path, m_utf8 ? QByteArrayView(TextFile::Utf8Bom) : QByteArrayView(), m_bytes, error);
}

QByteArrayView TextLines::lineBytes(qsizetype i) const
{
    const qsizetype begin = m_starts.at(i);
    const qsizetype end = i + 1 < m_starts.size() ? m_starts.at(i + 1) : m_bytes.size();
    return QByteArrayView(m_bytes.constData() + begin, end - begin);
}

QByteArrayView TextLines::raw(qsizetype i) const
{
    return lineBytes(i).chopped(LineEnd.size());
}

QString TextLines::decode(QByteArrayView raw) const
{
    return m_utf8 ? TextFile::decodeUtf8(raw) : TextFile::decode(raw);
}

QString TextLines::at(qsizetype i) const
{
    return decode(raw(i));
}

QStringList TextLines::toStringList() const
{
    QStringList lines;
    lines.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        lines.append(at(i));
    return lines;
}

void TextLines::appendEncoded(QByteArrayView encoded)
{
    m_starts.append(m_bytes.size());
    m_bytes.append(encoded);
    m_bytes.append(LineEnd);
}

void TextLines::append(const QString &line)
{
    if (!m_utf8 && !TextFile::fitsCodePage(line))
        reencode(true);
    appendEncoded(m_utf8 ? line.toUtf8() : TextFile::encode(line));
    touch();
}

void TextLines::clear()
{
    m_bytes.clear();
    m_starts.clear();
    m_utf8 = false;
    touch();
}

void TextLines::remove(const Ranges &ranges)
{
    if (ranges.isEmpty())
        return;
    QByteArray kept;
    LineStarts starts;
    qsizetype removed = 0;
    for (const auto &[first, last] : ranges)
        removed += last - first + 1;
    starts.reserve(count() - removed);
    qsizetype row = 0;
    auto keep = [&](qsizetype from, qsizetype to) { // rows [from, to)
        if (from >= to)
            return;
        const qsizetype begin = m_starts.at(from);
        const qsizetype end = to < count() ? m_starts.at(to) : m_bytes.size();
        const qsizetype shift = kept.size() - begin;
        for (qsizetype r = from; r < to; ++r)
            starts.append(m_starts.at(r) + shift);
        kept.append(m_bytes.constData() + begin, end - begin);
    };
    for (const auto &[first, last] : ranges) {
        keep(row, first);
        row = last + 1;
    }
    keep(row, count());
    m_bytes = std::move(kept);
    m_starts = std::move(starts);
    // The characters that needed UTF-8 may have gone with the removed rows.
    if (m_utf8 && TextFile::fitsCodePage(TextFile::decodeUtf8(m_bytes)))
        reencode(false);
    touch();
}

void TextLines::reencode(bool utf8)
{
    if (utf8 == m_utf8)
        return;
    const TextLines old = *this;
    m_bytes.clear();
    m_starts.clear();
    m_bytes.reserve(utf8 ? old.m_bytes.size() + old.m_bytes.size() / 8 : old.m_bytes.size());
    m_starts.reserve(old.count());
    m_utf8 = utf8;
    for (qsizetype i = 0; i < old.count(); ++i) {
        const QString line = old.at(i);
        appendEncoded(utf8 ? line.toUtf8() : TextFile::encode(line));
    }
}

void TextLines::touch()
{
    m_revision = nextRevision();
}
