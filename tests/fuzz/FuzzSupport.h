// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken round trip is a crash to libFuzzer: it stops and keeps the input.
#define FUZZ_CHECK(condition)                                                                                       \
    do {                                                                                                            \
        if (!(condition))                                                                                           \
            fuzzFail(#condition, __FILE__, __LINE__);                                                               \
    } while (false)

[[noreturn]] inline void fuzzFail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

/// The program's own locale: decimal commas, as its number rules expect.
inline void fuzzGermanLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

// Kept for the whole run; freeing it at exit would race libFuzzer's own end.
inline char **fuzzArgv(int *argc)
{
    static char name[] = "rufwerk-fuzz";
    static char *argv[] = {name, nullptr};
    *argc = 1;
    return argv;
}

/// Some parsers need an application object (database drivers).
inline void fuzzCoreApplication()
{
    static int argc = 0;
    static auto *app = new QCoreApplication(argc, fuzzArgv(&argc));
    Q_UNUSED(app);
}

/// Text documents need fonts, and fonts a GUI application (offscreen).
inline void fuzzGuiApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 0;
    static auto *app = new QGuiApplication(argc, fuzzArgv(&argc));
    Q_UNUSED(app);
}
