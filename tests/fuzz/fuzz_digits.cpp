// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// DigitsToInt and DigitsToFloat: any text, and their numbers written back.
#include "FuzzSupport.h"
#include "RASWorkUnit.h"

#include <cmath>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzGermanLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    const int whole = DigitsToInt(text);
    FUZZ_CHECK(DigitsToInt(QString::number(whole)) == whole);
    const double value = DigitsToFloat(text);
    FUZZ_CHECK(!std::isnan(value));
    if (std::isfinite(value))
        FUZZ_CHECK(DigitsToFloat(QLocale().toString(value, 'f', QLocale::FloatingPointShortest)) == value);
    return 0;
}
