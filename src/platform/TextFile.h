// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

/**
 * The program's list files: Windows-1252 text, lines ended by CR LF on write,
 * CR LF or a lone LF on read ("€" is byte 0x80). Saving replaces the file
 * atomically, so a crash never leaves half a list.
 */
namespace TextFile {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

/// Splits decoded text into lines; a final line without a line end is kept,
/// a final line end adds no empty line.
QStringList splitLines(const QString &text);

/// Reads all lines. Returns false and sets error (German) when the file cannot be read.
bool readLines(const QString &path, QStringList *lines, QString *error = nullptr);
/// Writes all lines, each ended by CR LF, atomically.
bool writeLines(const QString &path, const QStringList &lines, QString *error = nullptr);
bool writeText(const QString &path, const QByteArray &bytes, QString *error = nullptr);

} // namespace TextFile
