// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "TextLines.h"

#include <QDateTime>
#include <QString>

/**
 * The fee log file "FeeReport.Lst" and its backup "FeeReport.BAK" in the
 * program folder. The backup is made once, from the first list file loaded,
 * and never overwritten. A list file that exists but cannot be read is never
 * overwritten in the same run: what the run records goes to "FeeReport.NEU"
 * instead, so neither the old records nor the new ones are lost.
 */
class TFeeLogFile
{
public:
    enum class Source { None, List, Backup };

    explicit TFeeLogFile(const QString &folder);

    static QString ListName() { return QStringLiteral("FeeReport.Lst"); }
    static QString BackupName() { return QStringLiteral("FeeReport.BAK"); }
    static QString RescueName() { return QStringLiteral("FeeReport.NEU"); }

    QString ListPath() const { return FFolder + ListName(); }
    QString BackupPath() const { return FFolder + BackupName(); }
    QString RescuePath() const { return FFolder + RescueName(); }

    /// Loads the list file, else the backup. False with a German error when the
    /// file that exists cannot be read or is damaged; lines are then empty.
    bool Load(TextLines *lines, QString *error);
    /// Writes lines (at least one, else nothing happens) to the list file, or to
    /// the rescue file when the list file could not be loaded. Lines unchanged
    /// since they were loaded from or saved to the list file are not written again.
    bool Save(const TextLines &lines, QString *error);
    /// Deletes the list file, unless it could not be loaded: then its records
    /// were never shown and are kept. The backup stays.
    void DeleteList();

    Source LoadedFrom() const { return FSource; }
    bool ListUnreadable() const { return FListUnreadable; }

private:
    struct Stamp
    {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp &) const = default;
    };
    Stamp ListStamp() const;

    QString FFolder;
    Source FSource = Source::None;
    bool FListUnreadable = false;
    bool FRescueRead = false;
    TextLines FRescueEarlier;
    // What the list file holds while nobody else changed it.
    quint64 FListRevision = 0;
    Stamp FListStamp;
};
