// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Writes one of the program's files again and again through the program's own
// code, printing each round once it is stored, until it is killed:
//
//   rufwerk-crashwriter phonebook <line folder> <first round> <rounds> [entry prefix]
//   rufwerk-crashwriter settings <file> <first round> <rounds> [value prefix]
//   rufwerk-crashwriter feelog <folder> <first round> <rounds>
//
// With a prefix each round adds an entry or value of its own instead of
// changing one.
#include "CrashWriterRounds.h"
#include "FeeLogFile.h"
#include "SettingsStore.h"
#include "SimulatedLine.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void stored(int round)
{
    std::printf("%d\n", round);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5)
        return 2;
    const QString kind = args.at(1);
    const QString path = args.at(2);
    const int first = args.at(3).toInt();
    const int rounds = args.at(4).toInt();
    const QString prefix = args.value(5);

    if (kind == QLatin1String("phonebook")) {
        SimulatedLine line(path);
        for (int round = first; round < first + rounds; ++round) {
            const QString name = prefix.isEmpty() ? CrashWriterRounds::EntryName : prefix + QString::number(round);
            if (line.setEntryProperties(name, CrashWriterRounds::Entry(round)) != RasError::Success)
                return 1;
            stored(round);
        }
    } else if (kind == QLatin1String("settings")) {
        FileSettingsStore store(path);
        for (int round = first; round < first + rounds; ++round) {
            const QString name = prefix.isEmpty() ? CrashWriterRounds::ValueName : prefix + QString::number(round);
            if (!store.writeString(CrashWriterRounds::Key, name, CrashWriterRounds::Value(round)))
                return 1;
            stored(round);
        }
    } else if (kind == QLatin1String("feelog")) {
        TFeeLogFile log(path);
        TextLines lines;
        QString error;
        if (!log.Load(&lines, &error))
            return 1;
        for (int round = first; round < first + rounds; ++round) {
            lines.append(CrashWriterRounds::FeeRecord(round));
            if (!log.Save(lines, &error))
                return 1;
            stored(round);
        }
    } else {
        return 2;
    }
    return 0;
}
