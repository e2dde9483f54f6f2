// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class QSocketNotifier;
class QTimer;

/**
 * One pppd run: started in a session of its own (a closed terminal must not
 * hang up the line), its output read line by line, the password handed over
 * on file descriptor 3 so it never shows in the process list.
 *
 * Unlike QProcess, a run can be released: the program stops watching and pppd
 * keeps the line up after the program has ended.
 */
class PppdProcess : public QObject {
    Q_OBJECT

public:
    /// The descriptor on which the child finds the password.
    static constexpr int PasswordFd = 3;

    explicit PppdProcess(QObject *parent = nullptr);
    /// Ends a run that was not released (SIGTERM, then SIGKILL after a grace period).
    ~PppdProcess() override;

    /// Starts program (an absolute path). Returns 0 or the errno of the failure.
    int start(const QString &program, const QStringList &arguments, const std::optional<QByteArray> &password);
    /// Asks pppd to hang up and end (SIGTERM).
    void terminate();
    /// Stops watching; the process runs on.
    void release();
    /// Reads what output and exit status there are now, without waiting.
    void pump();

    bool isRunning() const { return m_pid > 0 && !m_finished; }
    qint64 pid() const { return m_pid; }

Q_SIGNALS:
    void lineRead(const QString &line);
    /// exitCode when the process exited, signal when a signal ended it.
    void finished(int exitCode, int signal);

private:
    void readOutput();
    void checkExit();
    void closeOutput();

    qint64 m_pid = 0;
    int m_outputFd = -1;
    int m_pidFd = -1;
    bool m_finished = false;
    bool m_released = false;
    QByteArray m_pending;
    QSocketNotifier *m_outputNotifier = nullptr;
    QSocketNotifier *m_exitNotifier = nullptr;
    QTimer *m_exitPoll = nullptr;
};
