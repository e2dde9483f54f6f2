// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "TextLines.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <future>

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
    ~TFeeLogFile();

    static QString ListName() { return QStringLiteral("FeeReport.Lst"); }
    static QString BackupName() { return QStringLiteral("FeeReport.BAK"); }
    static QString RescueName() { return QStringLiteral("FeeReport.NEU"); }

    QString ListPath() const { return FFolder + ListName(); }
    QString BackupPath() const { return FFolder + BackupName(); }
    QString RescuePath() const { return FFolder + RescueName(); }

    /// Starts reading the files in the background, so that a log of years is
    /// read while the program builds its windows; Load() takes the result.
    /// whenRead is called in the background once the files are read.
    void StartLoad(std::function<void()> whenRead = {});
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
    struct Loaded
    {
        TextLines lines;
        QString error;
        Source source = Source::None;
        bool listUnreadable = false;
        Stamp stamp;
    };
    Stamp ListStamp() const;
    Loaded Read() const;

    QString FFolder;
    Source FSource = Source::None;
    bool FListUnreadable = false;
    bool FRescueRead = false;
    TextLines FRescueEarlier;
    std::future<Loaded> FPending;
    // What the list file holds while nobody else changed it.
    quint64 FListRevision = 0;
    Stamp FListStamp;
};
