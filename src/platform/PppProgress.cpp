// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PppProgress.h"

#include "DialUpService.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

int chatAbortError(const QString &reason)
{
    if (reason == "BUSY"_L1)
        return RasError::LineBusy;
    if (reason == "NO CARRIER"_L1)
        return RasError::NoCarrier;
    if (reason == "NO DIALTONE"_L1 || reason == "NO DIAL TONE"_L1)
        return RasError::NoDialtone;
    if (reason == "NO ANSWER"_L1)
        return RasError::NoAnswer;
    return RasError::HardwareFailure;
}

} // namespace

void PppProgress::advance(int state)
{
    // States only move forward; a late line of an earlier stage changes nothing.
    if (!m_ended && m_error == 0 && state > m_state)
        m_state = state;
}

void PppProgress::fail(int error, const QString &detail)
{
    // The first cause is the real one: later lines only describe the teardown.
    if (m_error != 0)
        return;
    m_error = error;
    m_detail = detail;
}

void PppProgress::abort(int error, const QString &detail)
{
    if (m_ended)
        return;
    fail(error, detail);
    m_ended = true;
    m_state = RasState::Disconnected;
}

void PppProgress::feedLine(const QString &rawLine)
{
    static const QRegularExpression failedRe(u"^Failed \\((.+)\\)$"_s);
    static const QRegularExpression expectRe(u"^expect \\((.*)\\)$"_s);
    static const QRegularExpression speedRe(u"^chat:.*\\bCONNECT\\s+(\\d+)"_s);
    static const QRegularExpression interfaceRe(u"^Using interface (\\S+)"_s);
    static const QRegularExpression connectRe(u"^Connect: (\\S+) <--> "_s);
    static const QRegularExpression localRe(u"^local\\s+IP address (\\S+)"_s);
    static const QRegularExpression remoteRe(u"^remote IP address (\\S+)"_s);
    static const QRegularExpression lockedRe(u"^Device (\\S+) is locked by pid (\\d+)"_s);
    static const QRegularExpression openFailedRe(u"^Failed to open (\\S+): (.+)$"_s);
    static const QRegularExpression authFailedRe(u"^(PAP|CHAP|EAP) authentication failed"_s);
    static const QRegularExpression authOkRe(u"^(PAP|CHAP|EAP) authentication succeeded"_s);

    QString line = rawLine.trimmed();
    // Option errors come as "pppd: ..." on standard error.
    if (line.startsWith("pppd: "_L1))
        line = line.mid(6);
    if (line.isEmpty())
        return;
    QRegularExpressionMatch m;

    // chat, talking to the modem
    if (line.startsWith("send (AT"_L1)) {
        advance(line.startsWith("send (ATD"_L1) ? RasState::ConnectDevice : RasState::PortOpened);
        return;
    }
    if ((m = expectRe.match(line)).hasMatch()) {
        m_expecting = m.captured(1);
        return;
    }
    if (line == "-- got it"_L1 && m_expecting == "CONNECT"_L1) {
        advance(RasState::DeviceConnected);
        return;
    }
    if (line == "alarm"_L1) {
        m_chatTimedOut = true;
        return;
    }
    if ((m = failedRe.match(line)).hasMatch()) {
        const int error = chatAbortError(m.captured(1));
        fail(error, error == RasError::HardwareFailure ? u"Das Modem meldet „%1“."_s.arg(m.captured(1)) : QString());
        return;
    }
    if (line == "Failed"_L1 && m_chatTimedOut) {
        if (m_expecting == "CONNECT"_L1)
            fail(RasError::NoAnswer);
        else
            fail(RasError::HardwareFailure, u"Das Modem antwortet nicht."_s);
        return;
    }
    if ((m = speedRe.match(line)).hasMatch()) {
        m_speed = m.captured(1).toUInt();
        return;
    }

    // pppd
    if (line.startsWith("Serial connection established"_L1) || line.startsWith("PPP session is"_L1)) {
        advance(RasState::DeviceConnected);
    } else if ((m = interfaceRe.match(line)).hasMatch()) {
        m_interface = m.captured(1);
        advance(RasState::AllDevicesConnected);
    } else if ((m = connectRe.match(line)).hasMatch()) {
        m_interface = m.captured(1);
        advance(RasState::Authenticate);
    } else if (authOkRe.match(line).hasMatch()) {
        advance(RasState::Authenticated);
    } else if (authFailedRe.match(line).hasMatch()) {
        fail(RasError::AuthenticationFailure);
    } else if ((m = localRe.match(line)).hasMatch()) {
        m_local = m.captured(1);
    } else if ((m = remoteRe.match(line)).hasMatch()) {
        m_remote = m.captured(1);
        if (m_error == 0 && !m_ended) {
            m_state = RasState::Connected;
            m_wasConnected = true;
        }
    } else if (line == "Modem hangup"_L1) {
        m_modemHangup = true;
    } else if ((m = lockedRe.match(line)).hasMatch()) {
        fail(PppError::DeviceLocked, u"%1 (Prozess %2)"_s.arg(m.captured(1), m.captured(2)));
    } else if ((m = openFailedRe.match(line)).hasMatch()) {
        fail(PppError::DeviceMissing, m.captured(1));
    } else if (line.contains("/dev/ppp"_L1) || line.contains("lacks kernel support for PPP"_L1)) {
        fail(PppError::KernelLacksPpp);
    } else if (line.contains("unrecognized option"_L1) || line.startsWith("Can't open options file"_L1)
        || line.contains("privileged option"_L1)) {
        fail(PppError::OptionsRejected, line);
    } else if (line.startsWith("LCP: timeout sending Config-Requests"_L1)) {
        fail(PppError::NegotiationFailed);
    } else if (line.startsWith("Connect script failed"_L1)) {
        m_scriptFailed = true;
    } else if (!line.startsWith("Terminating on signal"_L1) && !line.startsWith("Connection terminated"_L1)
        && !line.startsWith("Connect time"_L1) && !line.startsWith("Sent "_L1) && !line.startsWith("Script "_L1)
        && !line.startsWith("Hangup"_L1)) {
        m_lastMessage = line;
    }
}

void PppProgress::finished(int exitCode, int signal)
{
    if (m_ended)
        return;
    const bool wasConnected = m_wasConnected;
    if (m_error == 0 && !m_hangUpRequested) {
        if (signal != 0) {
            fail(RasError::Disconnection);
        } else {
            switch (exitCode) {
            case PppdExit::Ok:
            case PppdExit::IdleTimeout:
            case PppdExit::ConnectTime:
                if (!wasConnected)
                    fail(RasError::Disconnection);
                break;
            case PppdExit::OptionError:
                fail(PppError::OptionsRejected, m_lastMessage);
                break;
            case PppdExit::NotRoot:
                fail(PppError::PppdNotPermitted);
                break;
            case PppdExit::NoKernelSupport:
                fail(PppError::KernelLacksPpp);
                break;
            case PppdExit::UserRequest:
                fail(RasError::Disconnection);
                break;
            case PppdExit::LockFailed:
                fail(PppError::DeviceLocked);
                break;
            case PppdExit::OpenFailed:
                fail(PppError::DeviceMissing);
                break;
            case PppdExit::NegotiationFailed:
            case PppdExit::Loopback:
                fail(PppError::NegotiationFailed);
                break;
            case PppdExit::PeerAuthFailed:
            case PppdExit::AuthTopeerFailed:
                fail(RasError::AuthenticationFailure);
                break;
            case PppdExit::PeerDead:
                fail(RasError::RemoteDisconnection);
                break;
            case PppdExit::Hangup:
                fail(wasConnected ? RasError::RemoteDisconnection : RasError::NoCarrier);
                break;
            case PppdExit::InitFailed:
                fail(RasError::HardwareFailure);
                break;
            case PppdExit::ConnectFailed:
                fail(PppError::PppdFailed, u"Das Wählskript ist fehlgeschlagen."_s);
                break;
            default:
                fail(PppError::PppdFailed, m_lastMessage);
                break;
            }
        }
    }
    // A modem that hangs up while dialing is a lost carrier, whatever followed.
    if (m_modemHangup && !wasConnected && m_error == RasError::Disconnection)
        m_error = RasError::NoCarrier;
    m_ended = true;
    m_state = RasState::Disconnected;
}
