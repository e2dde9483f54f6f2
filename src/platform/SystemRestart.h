// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

/// How a restart request ended.
struct RestartResult {
    enum Outcome {
        Requested, ///< the user confirmed and the system accepted the request
        Declined, ///< the user said no; nothing was asked of the system
        Failed, ///< the system could not or would not restart; see error
    };
    Outcome outcome = Failed;
    /// German text for the user when the outcome is Failed.
    QString error;

    bool requested() const { return outcome == Requested; }
};

/**
 * Asks the system to restart the computer. The user always confirms first:
 * on Windows in the shell's own restart prompt, elsewhere through the confirm
 * callback, without which no restart is requested at all. Nothing here shows
 * a window of its own.
 */
class SystemRestart {
public:
    /// Shows question (Windows line breaks "\r\n") and returns true for Yes.
    using Confirm = std::function<bool(const QString &question)>;

    virtual ~SystemRestart() = default;

    virtual QString backendName() const = 0;
    /// reason introduces the prompt ("Sicherheits-Abbruch\r\n\r\n "); owner is
    /// the window the prompt belongs to, may be null.
    virtual RestartResult requestRestart(const QString &reason, QWidget *owner, const Confirm &confirm) = 0;

    /// The process-wide restart service: the shell's prompt on Windows, the
    /// login manager (logind) over D-Bus elsewhere when available.
    static SystemRestart &instance();
    /// Replaces the process-wide service (tests, other desktops).
    static void setInstance(std::unique_ptr<SystemRestart> restart);
};

/**
 * The restart for systems without a prompt of their own: asks confirm with the
 * reason followed by ConfirmationText(), and only on Yes calls reboot, which
 * returns an empty text when the system accepted and a German error otherwise.
 */
class ConfirmingSystemRestart : public SystemRestart {
public:
    using Reboot = std::function<QString()>;

    ConfirmingSystemRestart(QString backendName, Reboot reboot);

    static QString ConfirmationText();

    QString backendName() const override { return FBackendName; }
    RestartResult requestRestart(const QString &reason, QWidget *owner, const Confirm &confirm) override;

private:
    QString FBackendName;
    Reboot FReboot;
};

/// A restart service that always fails with a German "not supported" text, without asking.
std::unique_ptr<SystemRestart> createUnsupportedSystemRestart();

#ifdef Q_OS_WIN
/// The shell's restart prompt (RestartDialog), which asks the user itself.
std::unique_ptr<SystemRestart> createWindowsSystemRestart();
#else
/// Reboot through logind (org.freedesktop.login1), interactive so that the
/// system may ask for authorisation; the unsupported service without D-Bus.
std::unique_ptr<SystemRestart> createLogindSystemRestart();
/// The logind request itself: empty on success, a German error text otherwise.
QString logindReboot();
#endif
