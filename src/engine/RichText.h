// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>

class QTextDocument;

/**
 * Reader and writer for the small part of RTF the program's texts use:
 * paragraphs, bold, italic, underline, strike-out, font size, font and colour
 * tables, alignment, tabs, line breaks, Windows-1252 characters and \uN.
 * The reader also takes bytes in the code page of their font or document
 * (\fcharsetN, \cpgN, \ansicpgN, \mac) and the Symbol font's characters,
 * leaves hidden text (\v) out and keeps footnotes as notes at the end.
 *
 * The reader is tolerant: unknown control words and destinations are skipped,
 * unbalanced or truncated input ends quietly, nesting is bounded, so no input
 * can crash or hang it.
 */
namespace RichText {

/// True when the bytes start (after blanks or a byte order mark) with "{\rtf".
bool looksLikeRtf(const QByteArray &bytes);

/// Replaces the content of doc with the RTF text. Returns false and leaves doc
/// untouched when the bytes are not RTF at all.
bool read(const QByteArray &rtf, QTextDocument *doc);

/// Loads RTF, or anything else as plain Windows-1252 text.
void load(const QByteArray &bytes, QTextDocument *doc);

/// RTF for the whole document, Windows-1252 with \uN for other characters.
/// The document's default font becomes the RTF default font.
QByteArray write(const QTextDocument *doc);

} // namespace RichText
