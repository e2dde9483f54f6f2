// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// pppd's and chat's output as dial states: any output, then any end.
#include "DialUpService.h"
#include "FuzzSupport.h"
#include "PppProgress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes end the run: an exit code or a signal.
    const int exitCode = data[0] % 24;
    const int signal = data[1] % 4 == 0 ? data[1] % 32 : 0;
    PppProgress progress;
    const QStringList lines = QString::fromUtf8(fuzzBytes(data + 2, size - 2)).split(u'\n');
    for (const QString &line : lines) {
        if (line == QLatin1String("~hangup"))
            progress.hangUpRequested();
        else
            progress.feedLine(line);
        FUZZ_CHECK(!progress.hasEnded() || progress.state() == RasState::Disconnected);
    }
    progress.finished(exitCode, signal);
    FUZZ_CHECK(progress.hasEnded());
    FUZZ_CHECK(progress.state() == RasState::Disconnected);
    return 0;
}
