// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The fee log of a heavy user for the benchmarks, awk summing its costs as the
// yardstick the figures are compared with, and the memory a process holds.
#pragma once

#include "TextFile.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace BenchFeeLog {

constexpr int BookEntries = 100;

inline QString entryName(int i)
{
    static const char16_t *const first[] = {u"Callnet", u"Netzwerk", u"Telenet", u"Fonline", u"Datenweg",
                                            u"Ortsnetz", u"Uni",      u"Büro",    u"Mailbox", u"Provider"};
    static const char16_t *const second[] = {u"Nord", u"Süd",   u"Ost",   u"West", u"Flat",
                                             u"Spar", u"Nacht", u"ISDN",  u"Mobil", u"Plus"};
    return QString::fromUtf16(first[i / 10]) + u' ' + QString::fromUtf16(second[i % 10]);
}

inline QString entryNumber(int i)
{
    return QStringLiteral("019%1 %2").arg(20 + i % 80).arg(1000 + i * 37 % 9000);
}

inline QString entryTariff(int i)
{
    // As typed into the tariff field: German decimals, three places like the default "0,000".
    return QLocale().toString(0.9 + (i * 13 % 60) / 10.0, 'f', 3);
}

/// Years of calls in the record layout the engine appends after each connection:
/// date;start;entry;number;tariff Ct/min;online time;fee €. False with a message on failure.
inline bool write(const QString &path, int records, QString *error)
{
    std::mt19937 random(1999);
    std::uniform_int_distribution<int> pick(0, BookEntries - 1);
    std::uniform_int_distribution<int> gap(60, 9000);
    std::lognormal_distribution<double> length(6.0, 1.2);
    const QLocale locale;
    QDateTime at(QDate(1999, 1, 4), QTime(8, 15, 0));
    QStringList lines;
    lines.reserve(records);
    for (int r = 0; r < records; ++r) {
        const int i = pick(random);
        const qint64 seconds = std::clamp<qint64>(qint64(length(random)), 3, 6 * 3600);
        const double tariff = locale.toDouble(entryTariff(i));
        // Every fourth entry bills by the second, the others per started minute.
        const double cents = i % 4 == 3 ? tariff * double(seconds) / 60.0 : tariff * std::ceil(double(seconds) / 60.0);
        const QString online = QStringLiteral("%1:%2:%3")
                                   .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                                   .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                   .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        lines << at.date().toString(QStringLiteral("dd.MM.yyyy")) + u';' + at.time().toString(QStringLiteral("HH:mm:ss"))
                + u';' + entryName(i) + u';' + entryNumber(i) + u';' + entryTariff(i) + QStringLiteral(" Ct/min;")
                + online + u';' + locale.toString(cents / 100.0, 'f', 4) + QStringLiteral(" €");
        at = at.addSecs(seconds + gap(random));
    }
    return TextFile::writeLines(path, lines, error);
}

/// Resident memory of a process in MiB, -1 when it cannot be read.
inline double rssMib(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

struct AwkRun
{
    QString program;
    double bestMs = 0;
    QByteArray sum;
};

/// awk summing the cost field of the file, best of runs; the decimal comma becomes a point.
inline AwkRun awkSum(const QString &path, int runs)
{
    AwkRun result;
    result.program = QStandardPaths::findExecutable(QStringLiteral("awk"));
    if (result.program.isEmpty()) {
        std::fprintf(stderr, "awk not found\n");
        std::exit(1);
    }
    const QStringList args{QStringLiteral("-F;"),
                           QStringLiteral("{ sub(\",\", \".\", $7); s += $7 } END { printf \"%.2f\\n\", s }"), path};
    result.bestMs = 1e300;
    for (int r = 0; r < runs; ++r) {
        QProcess awk;
        QElapsedTimer clock;
        clock.start();
        awk.start(result.program, args);
        if (!awk.waitForFinished(120000) || awk.exitCode() != 0) {
            std::fprintf(stderr, "awk failed: %s\n", awk.readAllStandardError().constData());
            std::exit(1);
        }
        result.bestMs = std::min(result.bestMs, double(clock.nsecsElapsed()) / 1e6);
        result.sum = awk.readAllStandardOutput().trimmed();
    }
    return result;
}

} // namespace BenchFeeLog
