// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

/// Error numbers of the Linux dial-up backend that the Windows service has no
/// number for; the backend's errorString() gives their German texts.
namespace PppError {
constexpr int KernelLacksPpp = 20001;
constexpr int PppdMissing = 20002;
constexpr int PppdNotPermitted = 20003;
constexpr int DeviceLocked = 20004;
constexpr int DeviceMissing = 20005;
constexpr int PeerNotWritten = 20006;
constexpr int NotAuthorized = 20007;
constexpr int InvalidEntry = 20008;
constexpr int NegotiationFailed = 20009;
constexpr int OptionsRejected = 20010;
constexpr int LinksUnreadable = 20011;
constexpr int SecretStoreFailed = 20012;
constexpr int PppdFailed = 20013;
} // namespace PppError

/// pppd's exit codes (pppd(8), "EXIT STATUS").
namespace PppdExit {
constexpr int Ok = 0;
constexpr int Fatal = 1;
constexpr int OptionError = 2;
constexpr int NotRoot = 3;
constexpr int NoKernelSupport = 4;
constexpr int UserRequest = 5;
constexpr int LockFailed = 6;
constexpr int OpenFailed = 7;
constexpr int ConnectFailed = 8;
constexpr int PtyCommandFailed = 9;
constexpr int NegotiationFailed = 10;
constexpr int PeerAuthFailed = 11;
constexpr int IdleTimeout = 12;
constexpr int ConnectTime = 13;
constexpr int Callback = 14;
constexpr int PeerDead = 15;
constexpr int Hangup = 16;
constexpr int Loopback = 17;
constexpr int InitFailed = 18;
constexpr int AuthTopeerFailed = 19;
} // namespace PppdExit

/**
 * Follows one pppd run from its output (pppd's log lines, chat's lines among
 * them) and its exit status, as RAS states and error numbers: opening the
 * port, dialing, authenticating, connected, disconnected; busy, no answer, no
 * carrier, no dial tone, authentication failure and pppd's own failures.
 */
class PppProgress {
public:
    /// One line of output, without its line end.
    void feedLine(const QString &line);
    /// pppd has ended: exitCode when it exited, or the signal that ended it.
    void finished(int exitCode, int signal = 0);
    /// The user hung up: the end that follows is no error.
    void hangUpRequested() { m_hangUpRequested = true; }
    /// The run ends before or without pppd (peer files not written, pppd not started).
    void abort(int error, const QString &detail = QString());

    int state() const { return m_state; }
    /// 0 while nothing went wrong.
    int error() const { return m_error; }
    /// A short German detail for the error (the device, the pppd message), or empty.
    QString detail() const { return m_detail; }
    bool hasEnded() const { return m_ended; }
    bool wasConnected() const { return m_wasConnected; }
    QString interfaceName() const { return m_interface; }
    QString localAddress() const { return m_local; }
    QString remoteAddress() const { return m_remote; }
    /// Speed the modem reported with CONNECT, 0 when unknown.
    quint32 connectSpeed() const { return m_speed; }

private:
    void fail(int error, const QString &detail = QString());
    void advance(int state);

    int m_state = 0; // RasState::OpenPort
    int m_error = 0;
    QString m_detail;
    QString m_expecting; // what chat waits for
    bool m_chatTimedOut = false;
    bool m_scriptFailed = false;
    bool m_ended = false;
    bool m_wasConnected = false;
    bool m_hangUpRequested = false;
    bool m_modemHangup = false;
    QString m_interface;
    QString m_local;
    QString m_remote;
    QString m_lastMessage;
    quint32 m_speed = 0;
};
