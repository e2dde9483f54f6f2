// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeLogFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

bool readChecked(const QString &path, TextLines *lines, QString *error)
{
    TextLines read;
    if (!TextLines::read(path, &read, error))
        return false;
    // Text lists never hold NUL characters; a file with them was damaged (for
    // example zero-filled after a crash) and is not a fee log any more.
    if (read.bytes().contains('\0')) {
        *error = u"Die Datei \"%1\" ist beschädigt (sie enthält Binärdaten)."_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    *lines = std::move(read);
    return true;
}

} // namespace

TFeeLogFile::TFeeLogFile(const QString &folder)
    : FFolder(folder)
{
}

// A read still running is waited for.
TFeeLogFile::~TFeeLogFile() = default;

TFeeLogFile::Stamp TFeeLogFile::ListStamp() const
{
    const QFileInfo info(ListPath());
    if (!info.isFile())
        return {};
    return {info.size(), info.lastModified()};
}

// Touches files only, never the members that change: it runs in the background.
TFeeLogFile::Loaded TFeeLogFile::Read() const
{
    Loaded result;
    QString why;
    if (QFileInfo::exists(ListPath())) {
        if (!readChecked(ListPath(), &result.lines, &why)) {
            result.listUnreadable = true;
            result.error = u"Das Gebühren-Protokoll kann nicht geladen werden:\r%1\r\r"
                           "Die Datei wird nicht überschrieben; die Einträge dieser Sitzung werden in \"%2\" gesichert."_s
                               .arg(why, QDir::toNativeSeparators(RescuePath()));
            return result;
        }
        result.source = Source::List;
        result.stamp = ListStamp();
        if (!QFileInfo::exists(BackupPath()))
            QFile::copy(ListPath(), BackupPath());
        return result;
    }
    if (QFileInfo::exists(BackupPath())) {
        if (!readChecked(BackupPath(), &result.lines, &why)) {
            result.error = u"Die Sicherung des Gebühren-Protokolls kann nicht geladen werden:\r%1"_s.arg(why);
            return result;
        }
        result.source = Source::Backup;
    }
    return result;
}

void TFeeLogFile::StartLoad(std::function<void()> whenRead)
{
    if (FPending.valid())
        return;
    FPending = std::async(std::launch::async, [this, whenRead = std::move(whenRead)] {
        Loaded loaded = Read();
        if (whenRead)
            whenRead();
        return loaded;
    });
}

bool TFeeLogFile::Load(TextLines *lines, QString *error)
{
    Loaded loaded = FPending.valid() ? FPending.get() : Read();
    FSource = loaded.source;
    FListUnreadable = loaded.listUnreadable;
    FListRevision = loaded.source == Source::List ? loaded.lines.revision() : 0;
    FListStamp = loaded.stamp;
    *lines = std::move(loaded.lines);
    if (loaded.error.isEmpty())
        return true;
    if (error)
        *error = loaded.error;
    return false;
}

bool TFeeLogFile::Save(const TextLines &lines, QString *error)
{
    if (lines.isEmpty())
        return true;
    QString why;
    if (!FListUnreadable) {
        // Unchanged lines leave the file as it is: a log of years is not rewritten
        // at every exit, and a file written by others keeps its line ends.
        if (FListRevision && lines.revision() == FListRevision && ListStamp() == FListStamp)
            return true;
        if (lines.write(ListPath(), &why)) {
            FListRevision = lines.revision();
            FListStamp = ListStamp();
            return true;
        }
        FListRevision = 0;
        if (error)
            *error = u"Das Gebühren-Protokoll kann nicht gespeichert werden:\r%1"_s.arg(why);
        return false;
    }
    // Rescue file: what earlier runs rescued stays in front of this run's records.
    if (!FRescueRead) {
        FRescueEarlier.clear();
        FRescueRead = !QFileInfo::exists(RescuePath()) || TextLines::read(RescuePath(), &FRescueEarlier, &why);
    }
    if (FRescueRead) {
        TextLines rescued = FRescueEarlier;
        for (qsizetype i = 0; i < lines.count(); ++i)
            rescued.append(lines.at(i));
        if (rescued.write(RescuePath(), &why))
            return true;
    }
    if (error)
        *error = u"Die Einträge des Gebühren-Protokolls können nicht gesichert werden:\r%1"_s.arg(why);
    return false;
}

void TFeeLogFile::DeleteList()
{
    if (FListUnreadable)
        return;
    QFile::remove(ListPath());
    FListRevision = 0;
}
