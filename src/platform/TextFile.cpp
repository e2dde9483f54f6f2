// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

namespace {

// Bytes 0x80..0x9F of Windows-1252. The five unassigned bytes map to the C1
// control of the same value so that every byte survives a round trip.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (cp1252High[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

// Latin-1 is Windows-1252 except for 0x80..0x9F; let Qt's fast conversion
// do the bulk and patch those few characters afterwards.
QString decodeBytes(const char *begin, qsizetype size)
{
    QString out = QString::fromLatin1(begin, size);
    const auto *src = reinterpret_cast<const unsigned char *>(begin);
    QChar *dst = nullptr;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char u = src[i];
        if (u < 0x80 || u >= 0xA0)
            continue;
        if (!dst)
            dst = out.data();
        dst[i] = QChar(cp1252High[u - 0x80]);
    }
    return out;
}

// Splits and decodes in one pass: a fee log of years must load at once.
QStringList decodeLines(const QByteArray &bytes)
{
    QStringList lines;
    const char *data = bytes.constData();
    const qsizetype n = bytes.size();
    lines.reserve(n / 64);
    qsizetype start = 0;
    while (start < n) {
        const void *found = std::memchr(data + start, '\n', size_t(n - start));
        const qsizetype newline = found ? static_cast<const char *>(found) - data : n;
        qsizetype end = newline;
        if (end > start && data[end - 1] == '\r')
            --end;
        lines.append(decodeBytes(data + start, end - start));
        start = newline + 1;
    }
    return lines;
}

} // namespace

namespace TextFile {

QByteArray encode(const QString &text)
{
    // Qt's Latin-1 conversion does the bulk; characters outside Latin-1 and the
    // C1 range are mapped afterwards.
    QByteArray out = text.toLatin1();
    const char16_t *src = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        if (c >= 0x80 && (c < 0xA0 || c > 0xFF))
            out[i] = encodeChar(c);
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    return decodeBytes(bytes.constData(), bytes.size());
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', start)) {
        qsizetype end = i;
        if (end > start && text.at(end - 1) == u'\r')
            --end;
        lines << text.mid(start, end - start);
        start = i + 1;
    }
    if (start < n) {
        QString last = text.mid(start);
        if (last.endsWith(u'\r'))
            last.chop(1);
        lines << last;
    }
    return lines;
}

bool readLines(const QString &path, QStringList *lines, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    *lines = decodeLines(file.readAll());
    return true;
}

bool writeText(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

bool writeLines(const QString &path, const QStringList &lines, QString *error)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return writeText(path, encode(text), error);
}

} // namespace TextFile
