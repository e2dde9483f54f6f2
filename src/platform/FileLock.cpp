// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FileLock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#ifdef Q_OS_WIN
#include <QLockFile>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString busyText(const QString &path)
{
    return QStringLiteral("Die Datei \"%1\" ist von einem anderen Programm gesperrt.")
        .arg(QDir::toNativeSeparators(path));
}

QString failedText(const QString &path, const QString &why)
{
    return QStringLiteral("Die Sperrdatei \"%1\" kann nicht angelegt werden: %2")
        .arg(QDir::toNativeSeparators(path), why);
}

} // namespace

#ifdef Q_OS_WIN

// The system frees a dead process's handle, so QLockFile sees such a lock as
// stale; only an empty lock needs its short stale time.
struct FileLock::Private
{
    explicit Private(const QString &path)
        : lock(path)
    {
        lock.setStaleLockTime(1000);
    }
    QLockFile lock;
};

FileLock::FileLock(const QString &path)
    : m_path(path)
    , d(new Private(path))
{
}

FileLock::~FileLock()
{
    delete d;
}

FileLock::Result FileLock::lock(int timeoutMs)
{
    m_error.clear();
    if (d->lock.tryLock(timeoutMs))
        return Result::Locked;
    if (d->lock.error() == QLockFile::LockFailedError) {
        m_error = busyText(m_path);
        return Result::Busy;
    }
    m_error = failedText(m_path, QStringLiteral("Zugriff verweigert"));
    return Result::Failed;
}

void FileLock::unlock()
{
    d->lock.unlock();
}

bool FileLock::isLocked() const
{
    return d->lock.isLocked();
}

#else

namespace {

// What QLockFile writes, so that its users see a live owner: process id,
// process name and host name.
QByteArray ownerText()
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' + QFileInfo(self).fileName().toUtf8() + '\n'
        + QSysInfo::machineHostName().toUtf8() + '\n';
}

bool sameFile(int fd, const QByteArray &path)
{
    struct stat held;
    struct stat named;
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

} // namespace

FileLock::FileLock(const QString &path)
    : m_path(path)
{
}

FileLock::~FileLock()
{
    unlock();
}

FileLock::Result FileLock::lock(int timeoutMs)
{
    m_error.clear();
    if (m_fd >= 0)
        return Result::Locked;
    const QByteArray name = QFile::encodeName(m_path);
    const QDeadlineTimer deadline(timeoutMs);
    int pauseMs = 2;
    for (;;) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            m_error = failedText(m_path, QString::fromLocal8Bit(std::strerror(errno)));
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before us removes the file while it still holds it;
            // a lock on a removed file guards nothing.
            if (sameFile(fd, name)) {
                // Only for people looking at the file; the lock holds without it.
                const QByteArray owner = ownerText();
                if (::ftruncate(fd, 0) == 0) {
                    const ssize_t written = ::write(fd, owner.constData(), size_t(owner.size()));
                    Q_UNUSED(written);
                }
                m_fd = fd;
                return Result::Locked;
            }
            ::close(fd);
            if (deadline.hasExpired())
                break;
            continue;
        }
        const int why = errno;
        ::close(fd);
        if (why != EWOULDBLOCK && why != EINTR) {
            m_error = failedText(m_path, QString::fromLocal8Bit(std::strerror(why)));
            return Result::Failed;
        }
        if (deadline.hasExpired())
            break;
        QThread::msleep(ulong(std::min<qint64>(pauseMs, std::max<qint64>(1, deadline.remainingTime()))));
        pauseMs = std::min(pauseMs * 2, 50);
    }
    m_error = busyText(m_path);
    return Result::Busy;
}

void FileLock::unlock()
{
    if (m_fd < 0)
        return;
    // Removed while still held: a waiter that gets the released file sees that
    // it is gone and takes a new one.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

bool FileLock::isLocked() const
{
    return m_fd >= 0;
}

#endif
