// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// List files: Windows-1252 or UTF-8 behind a byte-order mark, CR LF or LF;
// the compact lines of the fee log, their changes and writing them back.
#include "FuzzSupport.h"
#include "TextFile.h"
#include "TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);

    // Every byte has a Windows-1252 character and back.
    const QString text = TextFile::decode(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(TextFile::encode(text) == bytes);

    // A whole file's text reads back as it was written.
    const QString fileText = TextFile::decodeFile(bytes);
    FUZZ_CHECK(TextFile::decodeFile(TextFile::encodeFile(fileText)) == fileText);

    const QStringList split = TextFile::splitLines(fileText);
    const TextLines lines = TextLines::fromFileBytes(bytes);
    FUZZ_CHECK(lines.toStringList() == split);

    // What TextLines would write reads back as the same lines.
    const QByteArray written = (lines.isUtf8() ? QByteArray(TextFile::Utf8Bom) : QByteArray()) + lines.bytes();
    FUZZ_CHECK(TextLines::fromFileBytes(written).toStringList() == split);

    // Lines built from strings and changed keep what they hold.
    TextLines copy(split);
    FUZZ_CHECK(copy.toStringList() == split);
    if (!split.isEmpty()) {
        copy.append(split.first());
        FUZZ_CHECK(copy.count() == split.size() + 1);
        FUZZ_CHECK(copy.at(copy.count() - 1) == split.first());
        copy.remove({{0, 0}});
        QStringList expected = split.mid(1);
        expected.append(split.first());
        FUZZ_CHECK(copy.toStringList() == expected);
    }
    return 0;
}
