// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The list printer's column formats and the &-codes of headers and footers.
#include "ColumnFormat.h"
#include "FuzzSupport.h"
#include "HeaderFooterCodes.h"

#include <cmath>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzGermanLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    constexpr double defaultWidth = 25.4;

    // A normalised format reads back as the same columns.
    const QList<ColumnFormat::TColumn> columns = ColumnFormat::Parse(text, defaultWidth);
    const QString normal = ColumnFormat::Normalise(text, defaultWidth);
    FUZZ_CHECK(ColumnFormat::Normalise(normal, defaultWidth) == normal);
    const QList<ColumnFormat::TColumn> again = ColumnFormat::Parse(normal, defaultWidth);
    FUZZ_CHECK(again.size() == columns.size());
    for (qsizetype i = 0; i < columns.size(); ++i) {
        FUZZ_CHECK(again.at(i).Alignment == columns.at(i).Alignment);
        FUZZ_CHECK(std::isfinite(again.at(i).Width));
        FUZZ_CHECK(std::abs(again.at(i).Width - columns.at(i).Width) <= 1e-12 * std::abs(columns.at(i).Width));
    }
    ColumnFormat::Scale(text, 2.54, defaultWidth);

    HeaderFooterCodes::TContext context;
    context.Line = int(size);
    context.Page = int(text.size());
    context.Title = text.left(8);
    context.FileName = text.right(12);
    context.Now = QDateTime(QDate(2026, 2, 28), QTime(23, 59, 58));
    const QString resolved = HeaderFooterCodes::ResolveFriendly(text, context);
    HeaderFooterCodes::ReplacePlaceholders(resolved, context);
    HeaderFooterCodes::ReplacePlaceholders(text, context);
    for (int code = -1; code <= 5; ++code)
        HeaderFooterCodes::PositionCodeString(code, 4 - code, code * 7, text);
    return 0;
}
