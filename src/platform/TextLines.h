// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "LineStarts.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

/**
 * The lines of a list file, held as the encoded bytes of the lines, each
 * followed by CR LF, plus the offset of each line. A fee log of years costs
 * little more memory than its file, loads without decoding and saves without
 * encoding; a line is decoded only when it is read.
 *
 * The bytes are Windows-1252 while every line fits that code page and UTF-8
 * once one does not, as TextFile writes the file.
 */
class TextLines
{
public:
    /// Inclusive row ranges [first, last].
    using Ranges = QList<std::pair<qsizetype, qsizetype>>;

    TextLines();
    explicit TextLines(const QStringList &lines);

    /// The lines of a file's contents (a UTF-8 byte-order mark selects UTF-8);
    /// CR LF or a lone LF end a line, a last line without a line end counts.
    static TextLines fromFileBytes(QByteArray bytes);
    /// Reads a file; false with a German error when it cannot be read.
    static bool read(const QString &path, TextLines *lines, QString *error = nullptr);
    /// Writes the file atomically: every line ended by CR LF, a byte-order mark before UTF-8.
    bool write(const QString &path, QString *error = nullptr) const;

    qsizetype count() const { return m_starts.size(); }
    bool isEmpty() const { return m_starts.isEmpty(); }
    QString at(qsizetype i) const;
    /// The encoded bytes of line i, without the line end.
    QByteArrayView raw(qsizetype i) const;
    /// Decodes a piece of one line's bytes.
    QString decode(QByteArrayView raw) const;
    bool isUtf8() const { return m_utf8; }
    /// All lines in encoded form, each followed by CR LF: the file without its byte-order mark.
    const QByteArray &bytes() const { return m_bytes; }
    QStringList toStringList() const;

    void append(const QString &line);
    void clear();
    /// Removes the rows of sorted, disjoint ranges.
    void remove(const Ranges &ranges);

    /// New with every read and every change; equal revisions mean equal lines,
    /// also between copies.
    quint64 revision() const { return m_revision; }

private:
    void touch();
    void appendEncoded(QByteArrayView encoded);
    void reencode(bool utf8);
    QByteArrayView lineBytes(qsizetype i) const;

    QByteArray m_bytes;
    LineStarts m_starts;
    bool m_utf8 = false;
    quint64 m_revision = 0;
};
