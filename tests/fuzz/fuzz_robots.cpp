// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// A site's "robots.txt": the first line is the path asked for, the rest the file.
#include "FuzzSupport.h"
#include "RobotsTxt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const qsizetype newline = bytes.indexOf('\n');
    const QString path = QString::fromUtf8(bytes.left(newline < 0 ? 0 : newline));
    const QByteArray text = newline < 0 ? bytes : bytes.mid(newline + 1);
    const bool forbids = QString::fromUtf8(text).toLower().contains(QLatin1String("disallow"));
    for (const QString &agent : {QStringLiteral("Rufwerk"), QStringLiteral("*")}) {
        const TRobotsRules rules = TRobotsRules::Parse(text, agent);
        const bool allowed = rules.Allowed(path);
        // Only a Disallow line forbids anything.
        if (!forbids)
            FUZZ_CHECK(allowed);
        rules.Allowed(QStringLiteral("/"));
    }
    return 0;
}
