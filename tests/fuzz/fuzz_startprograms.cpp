// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The start program list "StartProgs.Lst" and the import of version 5's
// entries from the settings: the same bytes serve as both files.
#include "EngineSettings.h"
#include "FuzzSupport.h"
#include "SettingsStore.h"
#include "StartProgramList.h"
#include "TextLines.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QString storePath()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("registry.reg"));
}

bool sameProgram(const TStartProgram &a, const TStartProgram &b)
{
    return a.Name == b.Name && a.Path == b.Path && a.Parameters == b.Parameters;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    QStringList lines = TextLines::fromFileBytes(bytes).toStringList();
    {
        QFile file(storePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return 0;
    }
    const FileSettingsStore store(storePath());
    const qsizetype fromFile = lines.size();
    StartProgramList::ImportVersion5(store, lines);
    for (qsizetype i = fromFile; i < lines.size(); ++i) {
        for (qsizetype j = 0; j < i; ++j)
            FUZZ_CHECK(lines.at(i).compare(lines.at(j), Qt::CaseInsensitive) != 0);
    }

    // A program stored as a line reads back as the same program.
    for (const QString &line : std::as_const(lines)) {
        for (const TStartProgram &program : {TStartProgram::FromLine(line), TStartProgram::EditorFields(line)}) {
            if (program.FieldError().isEmpty()) {
                FUZZ_CHECK(sameProgram(TStartProgram::FromLine(program.Line()), program));
                FUZZ_CHECK(sameProgram(TStartProgram::EditorFields(program.Line()), program)
                           || program.Parameters.endsWith(u';'));
            }
        }
    }
    return 0;
}
