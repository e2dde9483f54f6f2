// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

// Network namespaces for tests that need real kernel links: everything a test
// creates lives inside namespaces of its own and goes with them, so the
// machine's own network is never touched and nothing leaves the machine.

#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <memory>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

class NetNamespace {
public:
    /// Why namespaces cannot be had here (not root, no ip, no TUN), or empty.
    static QString missing(const QStringList &programs = { QStringLiteral("ip") })
    {
        if (geteuid() != 0)
            return QStringLiteral("needs root for network namespaces");
        for (const QString &program : programs) {
            if (QStandardPaths::findExecutable(program).isEmpty()
                && QStandardPaths::findExecutable(program, { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") })
                       .isEmpty()) {
                return QStringLiteral("needs %1").arg(program);
            }
        }
        if (!QFile::exists(QStringLiteral("/dev/net/tun")))
            return QStringLiteral("needs /dev/net/tun");
        return QString();
    }

    /// Namespaces of earlier runs that died before they could clean up.
    static void removeStale()
    {
        const QStringList names = QDir(QStringLiteral("/run/netns")).entryList(QDir::Files);
        for (const QString &name : names) {
            if (!name.startsWith(QLatin1String("rufwerk-test-")))
                continue;
            const qint64 pid = name.section(u'-', 2, 2).toLongLong();
            if (pid > 0 && pid != qint64(getpid()) && kill(pid_t(pid), 0) != 0)
                quiet({ QStringLiteral("netns"), QStringLiteral("del"), name });
        }
    }

    explicit NetNamespace(const QString &tag)
        : m_name(QStringLiteral("rufwerk-test-%1-%2").arg(getpid()).arg(tag))
    {
        if (QFile::exists(QStringLiteral("/run/netns/") + m_name))
            quiet({ QStringLiteral("netns"), QStringLiteral("del"), m_name });
        m_ok = quiet({ QStringLiteral("netns"), QStringLiteral("add"), m_name }) == 0;
    }

    ~NetNamespace()
    {
        for (const auto &process : m_processes) {
            process->kill();
            process->waitForFinished(3000);
        }
        m_processes.clear();
        if (m_ok)
            quiet({ QStringLiteral("netns"), QStringLiteral("del"), m_name });
    }

    NetNamespace(const NetNamespace &) = delete;
    NetNamespace &operator=(const NetNamespace &) = delete;

    bool ok() const { return m_ok; }
    QString name() const { return m_name; }

    /// Runs a command inside and waits for it; returns its exit code.
    int run(const QStringList &command)
    {
        return quiet(QStringList { QStringLiteral("netns"), QStringLiteral("exec"), m_name } + command);
    }

    /// Runs ip with arguments, its standard output thrown away; returns its exit code.
    static int quiet(const QStringList &arguments)
    {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("ip"), arguments);
        if (!process.waitForFinished(30000))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    /// Starts a command inside that runs until it is stopped (or the namespace goes).
    QProcess *start(const QStringList &command)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(
            QStringLiteral("ip"), QStringList { QStringLiteral("netns"), QStringLiteral("exec"), m_name } + command);
        process->waitForStarted(5000);
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    /// While an Inside lives, sockets this thread opens belong to the namespace.
    class Inside {
    public:
        explicit Inside(const NetNamespace &ns)
        {
            m_home = open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
            const int target
                = open(QFile::encodeName(QStringLiteral("/run/netns/") + ns.m_name).constData(), O_RDONLY | O_CLOEXEC);
            m_entered = m_home >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
            if (target >= 0)
                close(target);
        }
        ~Inside()
        {
            if (m_entered)
                setns(m_home, CLONE_NEWNET);
            if (m_home >= 0)
                close(m_home);
        }
        Inside(const Inside &) = delete;
        Inside &operator=(const Inside &) = delete;
        bool entered() const { return m_entered; }

    private:
        int m_home = -1;
        bool m_entered = false;
    };

private:
    QString m_name;
    bool m_ok = false;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
