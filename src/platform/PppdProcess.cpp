// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PppdProcess.h"

#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int ExitPollMs = 200;
constexpr int EndWaitMs = 1000;
constexpr qsizetype MaxPasswordBytes = 4096;

// Keeps a descriptor out of the range the child's standard and password
// descriptors are placed in.
int moveHigh(int fd)
{
    const int high = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    return high;
}

bool makePipe(int fds[2])
{
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    fds[0] = moveHigh(fds[0]);
    fds[1] = moveHigh(fds[1]);
    return fds[0] >= 0 && fds[1] >= 0;
}

void closeFd(int &fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

} // namespace

PppdProcess::PppdProcess(QObject *parent)
    : QObject(parent)
{
}

PppdProcess::~PppdProcess()
{
    if (isRunning() && !m_released) {
        kill(pid_t(m_pid), SIGTERM);
        // pppd hangs up on SIGTERM; a short wait lets it be reaped, and one
        // that takes longer finishes on its own.
        for (int waited = 0; waited < EndWaitMs; waited += 20) {
            if (waitpid(pid_t(m_pid), nullptr, WNOHANG) != 0)
                break;
            QThread::msleep(20);
        }
    }
    closeOutput();
    closeFd(m_pidFd);
}

int PppdProcess::start(const QString &program, const QStringList &arguments, const std::optional<QByteArray> &password)
{
    if (m_pid != 0)
        return EBUSY;
    int output[2] = { -1, -1 };
    int secret[2] = { -1, -1 };
    if (!makePipe(output))
        return errno ? errno : EMFILE;
    if (password) {
        if (password->size() > MaxPasswordBytes || !makePipe(secret)) {
            closeFd(output[0]);
            closeFd(output[1]);
            return password->size() > MaxPasswordBytes ? E2BIG : EMFILE;
        }
        // Fits the pipe's buffer, so the write never waits for the reader.
        const ssize_t written = write(secret[1], password->constData(), size_t(password->size()));
        Q_UNUSED(written);
        closeFd(secret[1]);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    if (secret[0] >= 0)
        posix_spawn_file_actions_adddup2(&actions, secret[0], PasswordFd);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t allSignals;
    sigfillset(&allSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &allSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> texts;
    texts.reserve(size_t(arguments.size()));
    for (const QString &argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(path.constData()));
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int result = posix_spawn(&pid, path.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    closeFd(output[1]);
    closeFd(secret[0]);
    if (result != 0) {
        closeFd(output[0]);
        return result;
    }

    m_pid = pid;
    m_finished = false;
    m_outputFd = output[0];
    fcntl(m_outputFd, F_SETFL, fcntl(m_outputFd, F_GETFL) | O_NONBLOCK);
    m_outputNotifier = new QSocketNotifier(qintptr(m_outputFd), QSocketNotifier::Read, this);
    connect(m_outputNotifier, &QSocketNotifier::activated, this, &PppdProcess::readOutput);

    m_pidFd = int(syscall(SYS_pidfd_open, pid, 0));
    if (m_pidFd >= 0) {
        fcntl(m_pidFd, F_SETFD, FD_CLOEXEC);
        m_exitNotifier = new QSocketNotifier(qintptr(m_pidFd), QSocketNotifier::Read, this);
        connect(m_exitNotifier, &QSocketNotifier::activated, this, &PppdProcess::checkExit);
    } else {
        // Kernels before 5.3 have no process descriptors: look now and then.
        m_exitPoll = new QTimer(this);
        connect(m_exitPoll, &QTimer::timeout, this, &PppdProcess::checkExit);
        m_exitPoll->start(ExitPollMs);
    }
    return 0;
}

void PppdProcess::terminate()
{
    if (isRunning())
        kill(pid_t(m_pid), SIGTERM);
}

void PppdProcess::release()
{
    // Reaping goes on quietly, so an ended run leaves no zombie behind.
    m_released = true;
    closeOutput();
    m_pending.clear();
    disconnect(this, &PppdProcess::lineRead, nullptr, nullptr);
    disconnect(this, &PppdProcess::finished, nullptr, nullptr);
}

void PppdProcess::pump()
{
    readOutput();
    checkExit();
}

void PppdProcess::readOutput()
{
    if (m_outputFd < 0)
        return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(m_outputFd, buffer, sizeof buffer);
        if (n > 0) {
            m_pending.append(buffer, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            closeOutput();
        break;
    }
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        Q_EMIT lineRead(QString::fromLocal8Bit(line));
    }
}

void PppdProcess::checkExit()
{
    if (m_pid <= 0 || m_finished)
        return;
    int status = 0;
    const pid_t result = waitpid(pid_t(m_pid), &status, WNOHANG);
    if (result == 0 || (result < 0 && errno == EINTR))
        return;
    m_finished = true;
    if (m_exitNotifier)
        m_exitNotifier->setEnabled(false);
    if (m_exitPoll)
        m_exitPoll->stop();
    // Whatever pppd wrote before it ended belongs to this run.
    readOutput();
    if (!m_pending.isEmpty()) {
        const QByteArray rest = m_pending;
        m_pending.clear();
        Q_EMIT lineRead(QString::fromLocal8Bit(rest));
    }
    closeOutput();
    if (result < 0)
        Q_EMIT finished(-1, 0);
    else if (WIFSIGNALED(status))
        Q_EMIT finished(-1, WTERMSIG(status));
    else
        Q_EMIT finished(WEXITSTATUS(status), 0);
}

void PppdProcess::closeOutput()
{
    if (m_outputNotifier) {
        m_outputNotifier->setEnabled(false);
        m_outputNotifier->deleteLater();
        m_outputNotifier = nullptr;
    }
    closeFd(m_outputFd);
}
