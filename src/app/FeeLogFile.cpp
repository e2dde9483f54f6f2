// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeLogFile.h"

#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// Text lists never hold NUL characters; a file with them was damaged (for
// example zero-filled after a crash) and is not a fee log any more.
bool looksDamaged(const QStringList &lines)
{
    for (const QString &line : lines) {
        if (line.contains(QChar(0)))
            return true;
    }
    return false;
}

bool readChecked(const QString &path, QStringList *lines, QString *error)
{
    QStringList read;
    QString why;
    if (!TextFile::readLines(path, &read, &why)) {
        *error = why;
        return false;
    }
    if (looksDamaged(read)) {
        *error = u"Die Datei \"%1\" ist beschädigt (sie enthält Binärdaten)."_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    *lines = read;
    return true;
}

} // namespace

TFeeLogFile::TFeeLogFile(const QString &folder)
    : FFolder(folder)
{
}

bool TFeeLogFile::Load(QStringList *lines, QString *error)
{
    lines->clear();
    FSource = Source::None;
    FListUnreadable = false;
    QString why;
    if (QFileInfo::exists(ListPath())) {
        if (!readChecked(ListPath(), lines, &why)) {
            FListUnreadable = true;
            if (error)
                *error = u"Das Gebühren-Protokoll kann nicht geladen werden:\r%1\r\r"
                         "Die Datei wird nicht überschrieben; die Einträge dieser Sitzung werden in \"%2\" gesichert."_s
                             .arg(why, QDir::toNativeSeparators(RescuePath()));
            return false;
        }
        FSource = Source::List;
        if (!QFileInfo::exists(BackupPath()))
            QFile::copy(ListPath(), BackupPath());
        return true;
    }
    if (QFileInfo::exists(BackupPath())) {
        if (!readChecked(BackupPath(), lines, &why)) {
            if (error)
                *error = u"Die Sicherung des Gebühren-Protokolls kann nicht geladen werden:\r%1"_s.arg(why);
            return false;
        }
        FSource = Source::Backup;
    }
    return true;
}

bool TFeeLogFile::Save(const QStringList &lines, QString *error)
{
    if (lines.isEmpty())
        return true;
    QString why;
    if (!FListUnreadable) {
        if (TextFile::writeLines(ListPath(), lines, &why))
            return true;
        if (error)
            *error = u"Das Gebühren-Protokoll kann nicht gespeichert werden:\r%1"_s.arg(why);
        return false;
    }
    // Rescue file: what earlier runs rescued stays in front of this run's records.
    if (!FRescueRead) {
        FRescueEarlier.clear();
        FRescueRead = !QFileInfo::exists(RescuePath()) || TextFile::readLines(RescuePath(), &FRescueEarlier, &why);
    }
    if (FRescueRead && TextFile::writeLines(RescuePath(), FRescueEarlier + lines, &why))
        return true;
    if (error)
        *error = u"Die Einträge des Gebühren-Protokolls können nicht gesichert werden:\r%1"_s.arg(why);
    return false;
}
