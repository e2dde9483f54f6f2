// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

/**
 * The program's list files: Windows-1252 text, lines ended by CR LF on write,
 * CR LF or a lone LF on read ("€" is byte 0x80). A file whose text does not
 * fit Windows-1252 (an entry name in another script) is written as UTF-8
 * behind a byte-order mark instead; readers take both. Saving replaces the
 * file atomically, so a crash never leaves half a list.
 */
namespace TextFile {

/// The byte-order mark that marks a UTF-8 file.
inline constexpr char Utf8Bom[] = "\xEF\xBB\xBF";
bool hasUtf8Bom(QByteArrayView bytes);

/// Windows-1252; characters it lacks become '?'.
QByteArray encode(const QString &text);
/// Windows-1252; every byte has a character.
QString decode(QByteArrayView bytes);
/// Whether every character of text has a Windows-1252 byte.
bool fitsCodePage(QStringView text);

/// A whole file's bytes: Windows-1252 when the text fits, else UTF-8 behind a byte-order mark.
QByteArray encodeFile(const QString &text);
/// UTF-8 as it stands: a byte-order mark inside the text stays a character.
QString decodeUtf8(QByteArrayView bytes);
/// A whole file's text: UTF-8 behind a byte-order mark, else Windows-1252.
QString decodeFile(QByteArrayView bytes);

/// Splits decoded text into lines; a final line without a line end is kept,
/// a final line end adds no empty line.
QStringList splitLines(const QString &text);

/// Who may read a file the program creates. The program's data (phone book
/// with passwords, settings, fee log, protocol, lists) is the user's alone; a
/// file that exists keeps its mode when it is rewritten.
enum class Access { Private, Shared };

/// Creates folder with its missing parents, each readable by the user only;
/// folders that exist are left as they are.
bool makePrivateFolder(const QString &folder);

/// Reads all lines. Returns false and sets error (German) when the file cannot be read.
bool readLines(const QString &path, QStringList *lines, QString *error = nullptr);
/// Writes all lines, each ended by CR LF, atomically.
bool writeLines(const QString &path, const QStringList &lines, QString *error = nullptr);
bool writeText(const QString &path, const QByteArray &bytes, QString *error = nullptr,
               Access access = Access::Private);
/// Writes head followed by body atomically.
bool writeText(const QString &path, QByteArrayView head, QByteArrayView body, QString *error = nullptr,
               Access access = Access::Private);
/// Reads the whole file; false with a German error when it cannot be read.
bool readBytes(const QString &path, QByteArray *bytes, QString *error = nullptr);

} // namespace TextFile
