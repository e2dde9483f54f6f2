// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RasModule.h"

#include "Clock.h"
#include "DialUp.h"
#include "FormPassword.h"
#include "LocaleFormats.h"
#include "Sounds.h"
#include "WindowMessage.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int PollInterval = 250;
constexpr int InfoInterval = 1000;

const QStringList initialInfo = {
    QStringLiteral("DFÜ-Name x"), QStringLiteral("DFÜ-Gerät x"), QStringLiteral("DFÜ-Gerätname x"),
    QStringLiteral("Gesendet"),   QStringLiteral("Rate"),        QStringLiteral("Empfangen"),
    QStringLiteral("IP-Lokal"),   QStringLiteral("IP-Remote"),
};

enum { StateOffline = 0, StateOnline = 1, StateDialing = 3, StateEnded = 4 };
} // namespace

TRasModule::TRasModule()
{
    setObjectName(QStringLiteral("RASModule"));
}

TRasModule::~TRasModule()
{
    if (m_handle != 0 && m_service) {
        if (m_phase == Phase::Online && m_settings.KeepAlive)
            m_service->releaseConnection(m_handle);
        else
            m_service->hangUp(m_handle);
    }
}

bool TRasModule::Initialize(TuilPluginHost *host, QApplication *, QScreen *, const QString &)
{
    if (!host || !host->MainWindow())
        return false;
    m_host = host;
    m_window = host->MainWindow();
    m_service = &DialUpService::instance();
    m_dialUp = new TDialUp(this, m_service);
    m_dialUp->setLanguage(TDialUp::Czech);
    m_poll = new QTimer(this);
    m_poll->setInterval(PollInterval);
    connect(m_poll, &QTimer::timeout, this, &TRasModule::poll);
    m_reminder = new QTimer(this);
    connect(m_reminder, &QTimer::timeout, this, [this] {
        if (m_phase == Phase::Online && m_settings.WithSound)
            Sounds::Play(m_settings.SoundIndex == 0 ? Sounds::Kind::Beep : Sounds::Kind::Reminder);
    });
    return true;
}

QList<TuilPluginCommand> TRasModule::Commands() const
{
    auto *self = const_cast<TRasModule *>(this);
    return {
        {QStringLiteral("&Wählen"), QStringLiteral("DFÜ-Verbindung herstellen"), 0, {}, [self](QObject *) { self->Dial(); }},
        {QStringLiteral("&Auflegen"), QStringLiteral("DFÜ-Verbindung beenden"), 1, {}, [self](QObject *) { self->HangUp(); }},
        {QStringLiteral("&Stop"), QStringLiteral("DFÜ-Vorgang abbrechen"), 2, {}, [self](QObject *) { self->Abort(); }},
    };
}

void TRasModule::Activate()
{
    // The engine completes the connection list from bare entry names.
    if (QStringList *entries = list("Entries")) {
        if (m_dialUp->GetEntries() == RasError::Success)
            *entries = m_dialUp->Entries();
    }
    resetInfo();
    post(WM::SettingsRequest);
}

void TRasModule::Command(int number, const QString &text)
{
    switch (number) {
    case ModuleCommand::Settings: {
        m_settings = ParseSettings(text, m_settings);
        const int minutes = std::clamp(m_settings.RemaindTime, 0, 120);
        if (minutes > 0)
            m_reminder->setInterval(minutes * 60000);
        if (minutes <= 0 || !m_settings.WithSound)
            m_reminder->stop();
        else if (m_phase == Phase::Online && !m_reminder->isActive())
            m_reminder->start();
        break;
    }
    case ModuleCommand::SelectedConnection:
        m_selected = text;
        break;
    case ModuleCommand::ApplicationTitle:
    default:
        break;
    }
}

TRasModule::Settings TRasModule::ParseSettings(const QString &line, const Settings &current)
{
    Settings s = current;
    const QStringList f = line.split(u'\t');
    const auto number = [&f](int i, int &target) {
        bool ok = false;
        const int v = i < f.size() ? f.at(i).trimmed().toInt(&ok) : 0;
        if (ok)
            target = v;
    };
    const auto flag = [&f](int i, bool &target) {
        if (i < f.size() && (f.at(i) == u'0' || f.at(i) == u'1'))
            target = f.at(i) == u'1';
    };
    if (!f.isEmpty())
        s.Connection = f.at(0);
    number(1, s.SyncAsync);
    flag(2, s.ChkPassWord);
    number(3, s.Timeout);
    number(4, s.RemaindTime);
    flag(5, s.KeepAlive);
    flag(6, s.WithSound);
    number(7, s.SoundIndex);
    if (f.size() > 8)
        s.Tariff = f.at(8);
    return s;
}

QStringList *TRasModule::list(const char *name) const
{
    return m_host ? m_host->StringList(QLatin1String(name)) : nullptr;
}

void TRasModule::post(int message, qintptr wParam)
{
    if (!m_window)
        return;
    if (message == WM::SettingsRequest) {
        // Answered at once, like a sent message, so dialing uses fresh settings.
        TWindowMessage event(message, wParam);
        QCoreApplication::sendEvent(m_window, &event);
        return;
    }
    QCoreApplication::postEvent(m_window, new TWindowMessage(message, wParam));
}

void TRasModule::postState(int state)
{
    post(WM::ConnectionState, state);
}

void TRasModule::setMessage(const QString &text)
{
    log(text);
    if (!m_window)
        return;
    if (auto *label = m_window->findChild<QLabel *>(QStringLiteral("MsgLabel")))
        label->setText(text);
}

void TRasModule::log(const QString &text)
{
    // The poll repeats the current step; the log keeps each step once.
    if (text.isEmpty() || text == m_lastLogged)
        return;
    m_lastLogged = text;
    if (QStringList *serverLog = list("ServerLog"))
        serverLog->append(LocaleFormats::LongTime(Clock::Now().time()) + QLatin1String("  ") + text);
}

void TRasModule::resetInfo()
{
    if (QStringList *info = list("RASInfo"))
        *info = initialInfo;
}

void TRasModule::Dial()
{
    if (m_phase != Phase::Idle)
        return;
    post(WM::SettingsRequest);
    m_entry = !m_selected.isEmpty() ? m_selected : m_settings.Connection;
    // "ServerLog" holds the log of the latest dial only. Texts only, never a
    // dial parameter: the log is printed and saved as it stands.
    if (QStringList *serverLog = list("ServerLog"))
        serverLog->clear();
    m_lastLogged.clear();
    if (m_entry.isEmpty()) {
        setMessage(QStringLiteral("Keine DFÜ-Verbindung ausgewählt"));
        return;
    }
    RasDialParams params;
    bool passwordStored = false;
    int result = m_service->getEntryDialParams(m_entry, &params, &passwordStored);
    if (result == RasError::Success) {
        params.entryName = m_entry;
        if (!passwordStored)
            params.password.clear();
        if (m_settings.ChkPassWord)
            params.password = TFormPassword::Ask(m_entry, m_window);
        postState(StateDialing);
        m_phase = Phase::Dialing;
        log(QStringLiteral("Wähle ") + m_entry);
        result = m_service->dial(params, &m_handle);
    }
    if (result != RasError::Success) {
        m_handle = 0;
        setMessage(m_dialUp->ConnectionStatusText(0, result));
        finish(StateEnded, false);
        return;
    }
    setMessage(m_dialUp->ConnectionStatusText(RasState::OpenPort, 0));
    m_poll->start();
}

void TRasModule::HangUp()
{
    if (m_handle != 0)
        m_service->hangUp(m_handle);
    m_handle = 0;
    if (m_phase == Phase::Online) {
        // The connection has ended, and the module is idle again.
        setMessage(QStringLiteral("Verbindung beendet"));
        finish(StateEnded, false);
        postState(StateOffline);
    } else if (m_phase == Phase::Dialing) {
        setMessage(QStringLiteral("Wahl abgebrochen"));
        finish(StateOffline, false);
    }
}

void TRasModule::Abort()
{
    HangUp();
}

void TRasModule::finish(int state, bool closedOutside)
{
    m_poll->stop();
    m_reminder->stop();
    m_phase = Phase::Idle;
    postState(state);
    if (closedOutside)
        post(WM::ClosedOutside);
}

void TRasModule::poll()
{
    if (m_handle == 0) {
        m_poll->stop();
        return;
    }
    RasConnStatus status;
    const int result = m_service->connectStatus(m_handle, &status);
    const bool gone = result != RasError::Success;
    const int error = gone ? result : status.error;
    if (gone || status.state == RasState::Disconnected || error != 0) {
        const bool wasOnline = m_phase == Phase::Online;
        if (!gone)
            m_service->hangUp(m_handle);
        m_handle = 0;
        if (wasOnline) {
            // Nobody here hung up: the line was closed from outside.
            setMessage(QStringLiteral("Verbindung extern beendet"));
            finish(StateEnded, true);
            return;
        }
        setMessage(m_dialUp->ConnectionStatusText(status.state, error ? error : RasError::Disconnection));
        finish(StateEnded, false);
        if (error == RasError::LineBusy)
            post(WM::LineBusy);
        return;
    }
    if (m_phase == Phase::Dialing) {
        if (status.state != RasState::Connected) {
            setMessage(m_dialUp->ConnectionStatusText(status.state, 0));
            return;
        }
        m_phase = Phase::Online;
        m_online.start();
        m_lastInfoMs = -InfoInterval;
        m_dialUp->StartStatistics(true, true);
        m_dialUp->ResetStatistics();
        m_lastBytes = 0;
        setMessage(m_dialUp->ConnectionStatusText(RasState::Connected, 0));
        postState(StateOnline);
        if (m_settings.WithSound && m_settings.RemaindTime > 0)
            m_reminder->start(std::clamp(m_settings.RemaindTime, 1, 120) * 60000);
    }
    if (m_online.elapsed() - m_lastInfoMs >= InfoInterval)
        updateInfo();
}

void TRasModule::updateInfo()
{
    const qint64 elapsedMs = m_online.elapsed();
    const qint64 intervalMs = std::max<qint64>(1, elapsedMs - m_lastInfoMs);
    m_lastInfoMs = elapsedMs;

    RasIpProjection projection;
    m_service->projectionInfo(m_handle, &projection);
    QString deviceType, deviceName;
    QList<RasConnection> connections;
    if (m_service->enumConnections(&connections) == RasError::Success) {
        for (const RasConnection &c : std::as_const(connections)) {
            if (c.handle == m_handle) {
                deviceType = c.deviceType;
                deviceName = c.deviceName;
            }
        }
    }
    m_dialUp->ReadStatistics();
    const quint32 sent = m_dialUp->BytesXmit();
    const quint32 received = m_dialUp->BytesRecv();
    const quint32 total = sent + received;
    const double rate = double(quint32(total - m_lastBytes)) / 1024.0 / (double(intervalMs) / 1000.0);
    m_lastBytes = total;

    if (QStringList *info = list("RASInfo")) {
        *info = {m_entry,
                 deviceType,
                 deviceName,
                 QString::number(sent),
                 LocaleFormats::Fixed(rate, 1),
                 QString::number(received),
                 projection.clientAddress,
                 projection.serverAddress};
    }
    if (m_window) {
        if (auto *online = m_window->findChild<QLineEdit *>(QStringLiteral("EditOnline")))
            online->setText(LocaleFormats::Duration(elapsedMs / 1000));
    }
    post(WM::InfoUpdated);
}

extern "C" Q_DECL_EXPORT TuilPlugin *RegisterPlugin()
{
    return new TRasModule;
}
