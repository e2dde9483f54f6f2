// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

/**
 * An exclusive lock between processes on a lock file ("rasphone.pbk.lock").
 * The system holds the lock for the process that took it, so a writer that
 * crashes or is killed leaves no lock behind: a lock file that is empty or
 * names an owner that is gone is taken over at once, while a lock held by a
 * running process is waited for. The file is removed on unlock.
 *
 * Lock files of QLockFile and of this class exclude each other.
 */
class FileLock
{
public:
    enum class Result {
        Locked,
        Busy,   // another process held the lock for the whole timeout
        Failed, // the lock file cannot be created (permissions, missing folder)
    };

    explicit FileLock(const QString &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    Result lock(int timeoutMs);
    void unlock();
    bool isLocked() const;
    QString path() const { return m_path; }
    /// Why the last lock() failed, in German.
    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_error;
#ifdef Q_OS_WIN
    struct Private;
    Private *d = nullptr;
#else
    int m_fd = -1;
#endif
};
