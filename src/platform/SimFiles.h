// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

/// What identifies one version of a file or folder without reading it.
struct SimFileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0; // since the epoch
    quint64 inode = 0;     // 0 where the system has none

    qint64 modifiedMs() const { return modifiedNs / 1000000; }
    bool operator==(const SimFileStamp &other) const = default;
};

SimFileStamp simFileStamp(const QString &path);

/**
 * File times have the resolution of the system's clock tick, so a change made
 * in the same tick as a read may keep the stamp. A cache taken at readAtMs is
 * trusted only when the file was last changed clearly before.
 */
bool simStampStillValid(const SimFileStamp &cached, qint64 readAtMs, const SimFileStamp &now);

qint64 simCurrentPid();
/// Something that changes when a process id is reused (start time); may be empty.
QString simProcessStartToken(qint64 pid);
/// False when no such process runs, it has exited (also as a zombie) or the id
/// now belongs to a process started later than the one with startToken.
bool simProcessAlive(qint64 pid, const QString &startToken);
