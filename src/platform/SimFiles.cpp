// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Well above the coarsest clock tick of the file systems in use.
constexpr qint64 racyWindowMs = 100;
} // namespace

SimFileStamp simFileStamp(const QString &path)
{
    SimFileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
#ifdef Q_OS_DARWIN
    stamp.modifiedNs = qint64(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
    stamp.inode = st.st_ino;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return stamp;
}

bool simStampStillValid(const SimFileStamp &cached, qint64 readAtMs, const SimFileStamp &now)
{
    if (!(cached == now))
        return false;
    return !now.exists || readAtMs - now.modifiedMs() > racyWindowMs;
}

qint64 simCurrentPid()
{
    return QCoreApplication::applicationPid();
}

#ifdef Q_OS_WIN

namespace {
QString creationTime(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return QString();
    const quint64 value = (quint64(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return QString::number(value);
}
} // namespace

QString simProcessStartToken(qint64 pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return QString();
    const QString token = creationTime(process);
    CloseHandle(process);
    return token;
}

bool simProcessAlive(qint64 pid, const QString &startToken)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    if (alive && !startToken.isEmpty())
        alive = creationTime(process) == startToken;
    CloseHandle(process);
    return alive;
}

#else

namespace {
// The fields of /proc/<pid>/stat after the command name: state first, the
// start time (in clock ticks since boot) 20th.
bool readProcStat(qint64 pid, char *state, QByteArray *startTime)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    const qsizetype close = data.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = data.mid(close + 1).simplified().split(' ');
    if (fields.size() < 20 || fields.at(0).isEmpty())
        return false;
    *state = fields.at(0).at(0);
    *startTime = fields.at(19);
    return true;
}

bool haveProc()
{
    static const bool have = QFileInfo::exists(QStringLiteral("/proc/self/stat"));
    return have;
}
} // namespace

QString simProcessStartToken(qint64 pid)
{
    char state = 0;
    QByteArray start;
    if (haveProc() && readProcStat(pid, &state, &start))
        return QString::fromLatin1(start);
    return QString();
}

bool simProcessAlive(qint64 pid, const QString &startToken)
{
    if (pid <= 0)
        return false;
    if (haveProc()) {
        char state = 0;
        QByteArray start;
        if (!readProcStat(pid, &state, &start))
            return false;
        if (state == 'Z' || state == 'X')
            return false;
        return startToken.isEmpty() || QString::fromLatin1(start) == startToken;
    }
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

#endif
