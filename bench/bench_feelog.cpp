// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Cost update per online-time change, and loading/saving fee logs of years of calls.
#include "RASWorkUnit.h"
#include "TextFile.h"

#include <QCoreApplication>
#include <QWidget>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    {
        constexpr int rounds = 1000000;
        QStringList times;
        for (int s = 0; s < 3600; ++s)
            times << QStringLiteral("%1:%2:%3").arg(s / 3600, 2, 10, QLatin1Char('0')).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
        double cents = 0;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < rounds; ++i)
            cents = TRASWorkUnit::RunningCost(QStringLiteral("1,5"), i & 1, times.at(i % 3600), cents);
        const double ns = double(timer.nsecsElapsed()) / rounds;
        QElapsedTimer textTimer;
        textTimer.start();
        for (int i = 0; i < rounds / 10; ++i)
            (void)TRASWorkUnit::CostText(cents + i);
        const double textNs = double(textTimer.nsecsElapsed()) / (rounds / 10);
        std::printf("cost update: %.0f ns per change (+ %.0f ns for the display text)\n", ns, textNs);
    }

    QTemporaryDir dir;
    for (const int records : {100000, 1000000}) {
        QStringList lines;
        lines.reserve(records);
        for (int i = 0; i < records; ++i)
            lines << QStringLiteral("%1.12.2026;14:%2:07;Netzwerk Nord;0301234;1,500 Ct/min;00:%3:30;0,0%4 €")
                         .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                         .arg(i % 60, 2, 10, QLatin1Char('0'))
                         .arg(i % 60, 2, 10, QLatin1Char('0'))
                         .arg(i % 1000, 3, 10, QLatin1Char('0'));
        const QString path = dir.filePath(QStringLiteral("FeeReport-%1.Lst").arg(records));
        QElapsedTimer timer;
        timer.start();
        TextFile::writeLines(path, lines);
        const double saveMs = double(timer.nsecsElapsed()) / 1e6;
        const double mb = double(QFileInfo(path).size()) / 1e6;
        QStringList read;
        timer.restart();
        TextFile::readLines(path, &read);
        const double loadMs = double(timer.nsecsElapsed()) / 1e6;
        std::printf("fee log %7d records (%.1f MB): load %.1f ms (%.0f MB/s, %.0f records/s), "
                    "save %.1f ms (%.0f MB/s, %.0f records/s)\n",
                    records, mb, loadMs, mb / (loadMs / 1000), records / (loadMs / 1000), saveMs,
                    mb / (saveMs / 1000), records / (saveMs / 1000));
        if (read.size() != records)
            return 1;
    }
    return 0;
}
