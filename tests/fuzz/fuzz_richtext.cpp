// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The RTF reader, and the writer's text read back by it.
#include "FuzzSupport.h"
#include "RichText.h"

#include <QTextDocument>

namespace {

// The text a writer can keep: control characters and embedded objects have none.
QString keptText(const QTextDocument &doc)
{
    QString text = doc.toPlainText();
    text.removeIf([](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c == QChar::ObjectReplacementCharacter
            || c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
    });
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    QTextDocument doc;
    RichText::load(bytes, &doc);
    RichText::looksLikeRtf(bytes);

    // What the writer makes of a document reads back as the same text, and
    // writing that again gives the same bytes.
    const QByteArray written = RichText::write(&doc);
    QTextDocument again;
    FUZZ_CHECK(RichText::read(written, &again));
    FUZZ_CHECK(again.toPlainText() == keptText(doc));
    FUZZ_CHECK(RichText::write(&again) == written);
    return 0;
}
