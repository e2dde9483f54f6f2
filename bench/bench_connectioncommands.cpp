// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The connection commands on a simulated phone book of 1,000 entries: what a
// rename and a delete cost from the command to the rebuilt connection list,
// against reading and parsing the phone book once.

#include "ConnectionCommands.h"
#include "FormMain.h"
#include "MessageDialog.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "SimPhoneBook.h"
#include "SimulatedLine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Entries = 1000;
constexpr int Rounds = 10;

QString entryName(int i)
{
    return QStringLiteral("Anbieter %1").arg(i, 4, 10, QLatin1Char('0'));
}

double milliseconds(const QElapsedTimer &timer, int rounds = 1)
{
    return double(timer.nsecsElapsed()) / 1e6 / rounds;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // No connection module: its loading is not what is measured.
    qputenv("RUFWERK_HOME", dir.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("RUFWERK_MODULE_DIR", dir.filePath(QStringLiteral("nomodule")).toLocal8Bit());
    QApplication app(argc, argv);
    SettingsStore::setInstance(std::make_unique<FileSettingsStore>(dir.filePath(QStringLiteral("registry.reg"))));
    // Yes to every question, also to those whose default is No (the delete).
    MessageDialog::SetHook([](MessageDialog::Kind kind, const QString &) {
        return kind == MessageDialog::Kind::Question || kind == MessageDialog::Kind::QuestionDefaultNo;
    });

    SimulatedLine line(dir.filePath(QStringLiteral("line")));
    line.phoneBook().modify([](SimPhoneBookText &text) {
        for (int i = 0; i < Entries; ++i) {
            SimPhoneBookSection section{entryName(i), {}};
            RasEntry entry;
            entry.localPhoneNumber = QStringLiteral("0192 %1").arg(i);
            entry.deviceType = QStringLiteral("modem");
            entry.deviceName = QStringLiteral("Simuliertes Modem 56k");
            simApplyEntry(&section, entry);
            RasDialParams params;
            params.userName = QStringLiteral("nutzer%1").arg(i);
            params.password = QStringLiteral("geheim");
            simApplyDialParams(&section, params, false);
            text.sections.append(section);
        }
        return RasError::Success;
    });

    QFile file(line.phoneBookPath());
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Rounds; ++i) {
        file.open(QIODevice::ReadOnly);
        const SimPhoneBookText text = SimPhoneBookText::parse(file.readAll());
        file.close();
        if (text.names().size() != Entries)
            return 1;
    }
    const double parse = milliseconds(timer, Rounds);
    std::printf("phone book of %d entries, %lld bytes: read and parsed once in %.2f ms\n", Entries,
                qint64(file.size()), parse);

    TFormMain form;
    timer.restart();
    form.CreateEngine(&line);
    std::printf("engine start with %d entries: %.1f ms\n", Entries, milliseconds(timer));
    TRASWorkUnit *engine = form.engine;

    timer.restart();
    for (int i = 0; i < Rounds; ++i)
        engine->BuildEntriesFromPhonebook();
    const double rebuild = milliseconds(timer, Rounds);
    std::printf("connection list rebuilt from the book: %.2f ms (%.1f times one parse)\n", rebuild, rebuild / parse);

    int round = 0;
    ConnectionCommands::SetInputHook([&round](const QString &, const QString &, QString *value) {
        *value = QStringLiteral("Umbenannt %1").arg(round);
        return true;
    });
    timer.restart();
    for (round = 0; round < Rounds; ++round)
        form.RunCommand(QStringLiteral("Rename"));
    const double rename = milliseconds(timer, Rounds);
    std::printf("rename, command to rebuilt list: %.1f ms (%.1f times one parse)\n", rename, rename / parse);

    timer.restart();
    for (int i = 0; i < Rounds; ++i)
        form.RunCommand(QStringLiteral("Delete"));
    const double remove = milliseconds(timer, Rounds);
    std::printf("delete, command to rebuilt list: %.1f ms (%.1f times one parse)\n", remove, remove / parse);

    const qsizetype left = form.RASStrList->Lines(QStringLiteral("Entries")).size();
    MessageDialog::SetHook(nullptr);
    ConnectionCommands::SetInputHook(nullptr);
    if (left != Entries - Rounds) {
        std::fprintf(stderr, "delete removed %lld entries instead of %d\n", qint64(Entries - left), Rounds);
        return 1;
    }
    return 0;
}
