// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "TextFile.h"

#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// Bytes 0x80..0x9F of Windows-1252. The five unassigned bytes map to the C1
// control of the same value so that every byte survives a round trip.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isLatin1Byte(char16_t c)
{
    return c < 0x80 || (c >= 0xA0 && c <= 0xFF);
}

// The byte of a character outside Latin-1's shared range, 0 when it has none.
char highByte(char16_t c)
{
    for (int i = 0; i < 32; ++i) {
        if (cp1252High[i] == c)
            return char(0x80 + i);
    }
    return 0;
}

QString cannotRead(const QString &path, const QString &why)
{
    return QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2").arg(QDir::toNativeSeparators(path), why);
}

} // namespace

namespace TextFile {

bool hasUtf8Bom(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView(Utf8Bom));
}

QByteArray encode(const QString &text)
{
    // Qt's Latin-1 conversion does the bulk; characters outside Latin-1 and the
    // C1 range are mapped afterwards.
    QByteArray out = text.toLatin1();
    const char16_t *src = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        if (!isLatin1Byte(c)) {
            const char b = highByte(c);
            out[i] = b ? b : '?';
        }
    }
    return out;
}

bool fitsCodePage(QStringView text)
{
    for (const QChar c : text) {
        if (!isLatin1Byte(c.unicode()) && !highByte(c.unicode()))
            return false;
    }
    return true;
}

// Latin-1 is Windows-1252 except for 0x80..0x9F; let Qt's fast conversion
// do the bulk and patch those few characters afterwards.
QString decode(QByteArrayView bytes)
{
    QString out = QString::fromLatin1(bytes);
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
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

QByteArray encodeFile(const QString &text)
{
    if (fitsCodePage(text))
        return encode(text);
    return QByteArray(Utf8Bom) + text.toUtf8();
}

QString decodeUtf8(QByteArrayView bytes)
{
    // QString::fromUtf8 drops a leading mark, so a line of a file that starts
    // with one would lose it.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString decodeFile(QByteArrayView bytes)
{
    if (hasUtf8Bom(bytes))
        return decodeUtf8(bytes.sliced(3));
    return decode(bytes);
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

bool readBytes(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = cannotRead(path, file.errorString());
        return false;
    }
    QByteArray read = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = cannotRead(path, file.errorString());
        return false;
    }
    *bytes = std::move(read);
    return true;
}

bool readLines(const QString &path, QStringList *lines, QString *error)
{
    TextLines read;
    if (!TextLines::read(path, &read, error))
        return false;
    *lines = read.toStringList();
    return true;
}

bool makePrivateFolder(const QString &folder)
{
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makePrivateFolder(parent))
        return false;
    // Another process may have made it meanwhile.
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(path).isDir();
}

bool writeText(const QString &path, QByteArrayView head, QByteArrayView body, QString *error, Access access)
{
    QSaveFile file(path);
    // QSaveFile gives a new file the default mode and an existing one its own.
    const bool created = !QFileInfo::exists(path);
    if (file.open(QIODevice::WriteOnly)
        && (!created || access == Access::Shared || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        && file.write(head.data(), head.size()) == head.size() && file.write(body.data(), body.size()) == body.size()
        && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

bool writeText(const QString &path, const QByteArray &bytes, QString *error, Access access)
{
    return writeText(path, QByteArrayView(), bytes, error, access);
}

bool writeLines(const QString &path, const QStringList &lines, QString *error)
{
    return TextLines(lines).write(path, error);
}

} // namespace TextFile
