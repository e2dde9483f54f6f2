// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SignalWatcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
int g_fds[2] = {-1, -1};
TSignalWatcher *g_watcher = nullptr;

#ifdef Q_OS_UNIX
void onSignal(int number)
{
    const char byte = char(number);
    // Only async-signal-safe calls here; a full pipe just drops the repeat.
    [[maybe_unused]] const ssize_t written = ::write(g_fds[0], &byte, 1);
}
#endif
} // namespace

TSignalWatcher::TSignalWatcher(QObject *parent)
    : QObject(parent)
{
}

TSignalWatcher *TSignalWatcher::Install(const QList<int> &signalNumbers, QObject *parent)
{
#ifdef Q_OS_UNIX
    if (g_watcher)
        return nullptr;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0)
        return nullptr;
    for (const int fd : g_fds)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC); // started programs must not inherit them
    ::fcntl(g_fds[0], F_SETFL, ::fcntl(g_fds[0], F_GETFL) | O_NONBLOCK);
    auto *watcher = new TSignalWatcher(parent);
    watcher->FNotifier = new QSocketNotifier(qintptr(g_fds[1]), QSocketNotifier::Read, watcher);
    connect(watcher->FNotifier, &QSocketNotifier::activated, watcher, &TSignalWatcher::readSignal);
    for (const int number : signalNumbers) {
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(number, &action, nullptr) == 0)
            watcher->FSignals << number;
    }
    g_watcher = watcher;
    return watcher;
#else
    Q_UNUSED(signalNumbers);
    Q_UNUSED(parent);
    return nullptr;
#endif
}

TSignalWatcher::~TSignalWatcher()
{
#ifdef Q_OS_UNIX
    for (const int number : std::as_const(FSignals))
        ::signal(number, SIG_DFL);
    delete FNotifier;
    FNotifier = nullptr;
    for (int &fd : g_fds) {
        ::close(fd);
        fd = -1;
    }
#endif
    g_watcher = nullptr;
}

void TSignalWatcher::readSignal()
{
#ifdef Q_OS_UNIX
    char byte = 0;
    if (::read(g_fds[1], &byte, 1) == 1)
        emit received(int(byte));
#endif
}
