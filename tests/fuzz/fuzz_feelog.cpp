// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Fee log lines: fields, online times and the number rule of costs, as the
// fee report sums them; the engine's record texts read back by that rule.
#include "FeeRecord.h"
#include "FuzzSupport.h"
#include "LocaleFormats.h"
#include "RASWorkUnit.h"
#include "TextLines.h"

#include <cstdlib>

namespace {

QString timeText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Doubles hold whole units exactly far beyond any real amount.
constexpr qint64 ExactUnits = 1'000'000'000'000'000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzGermanLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TextLines lines = TextLines::fromFileBytes(fuzzBytes(data, size));
    const FeeRecord::CostParser costs;
    for (qsizetype i = 0; i < lines.count(); ++i) {
        const FeeRecord::FieldViews fields = FeeRecord::FieldsOf(lines.raw(i));
        const std::optional<qint64> seconds = FeeRecord::DurationSeconds(fields[FeeRecord::Duration]);
        if (seconds) {
            FUZZ_CHECK(*seconds >= 0);
            FUZZ_CHECK(FeeRecord::DurationSeconds(timeText(*seconds).toLatin1()) == seconds);
        }
        Costs::OnlineSeconds(lines.decode(fields[FeeRecord::Duration]));
        Costs::ParseTariff(lines.decode(fields[FeeRecord::Tariff]));

        // The bytes and the decoded text of a field give the same amount.
        const qint64 units = costs.Units(fields[FeeRecord::Cost], lines);
        FUZZ_CHECK(costs.Units(lines.decode(fields[FeeRecord::Cost])) == units);
        FeeRecord::RoundedCents(units);
        FeeRecord::CurrencyText(units);
        // A record the engine writes for that amount reads back as it.
        if (std::llabs(units) < ExactUnits)
            FUZZ_CHECK(costs.Units(TRASWorkUnit::FeeRecordText(double(units) / 100.0)) == units);
    }
    const FeeRecord::Totals all = FeeRecord::Sum(lines, false);
    const FeeRecord::Totals upToBad = FeeRecord::Sum(lines, true);
    FUZZ_CHECK(all.badRow == -1);
    FUZZ_CHECK(upToBad.badRow < lines.count());
    return 0;
}
