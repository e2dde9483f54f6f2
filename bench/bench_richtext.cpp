// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Reads and writes a long formatted text, as a first-start text or a saved
// protocol of a long run would be, and prints the times.
#include "RichText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // measures parsing, not a screen
    QApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;

    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}"
                     "{\\colortbl ;\\red200\\green0\\blue0;}\\pard\\f0\\fs20 ";
    for (int i = 0; i < lines; ++i)
        rtf += "Zeile " + QByteArray::number(i) + ": {\\b Geb\\'fchr} {\\cf1 0,12 \\'80} \\u8222?Text\\u8220?\\par\r\n";
    rtf += '}';

    QTextDocument doc;
    QElapsedTimer timer;
    timer.start();
    RichText::read(rtf, &doc);
    const qint64 readMs = timer.elapsed();

    timer.restart();
    const QByteArray written = RichText::write(&doc);
    const qint64 writeMs = timer.elapsed();

    std::printf("lines %d, rtf %lld bytes: read %lld ms, write %lld ms (%lld bytes), blocks %d\n", lines,
                static_cast<long long>(rtf.size()), static_cast<long long>(readMs),
                static_cast<long long>(writeMs), static_cast<long long>(written.size()), doc.blockCount());
    return 0;
}
