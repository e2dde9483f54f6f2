// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"
#include "PluginInterface.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QTimer;
class QWidget;
class TDialUp;

/**
 * The program's connection module: dials, hangs up and aborts through the
 * dial-up service, keeps "RASInfo" and EditOnline current and reports to the
 * main window with window messages.
 */
class TRasModule : public QObject, public TuilPlugin
{
    Q_OBJECT

public:
    TRasModule();
    ~TRasModule() override;

    QString Name() const override { return QStringLiteral("RASModule"); }
    int MaxInstances() const override { return 1; }
    bool Initialize(TuilPluginHost *host, QApplication *application, QScreen *screen,
                    const QString &fileName) override;
    QList<TuilPluginCommand> Commands() const override;
    void Activate() override;
    void Command(int number, const QString &text) override;

    void Dial();
    void HangUp();
    void Abort();

    /// The nine fields of command 5945.
    struct Settings
    {
        QString Connection;
        int SyncAsync = 1;
        bool ChkPassWord = false;
        int Timeout = 60;
        int RemaindTime = 2;
        bool KeepAlive = false;
        bool WithSound = true;
        int SoundIndex = 1;
        QString Tariff;
    };
    /// Parses a settings line; fields that are missing or malformed keep the current values.
    static Settings ParseSettings(const QString &line, const Settings &current);
    Settings CurrentSettings() const { return m_settings; }

private:
    enum class Phase { Idle, Dialing, Online };

    void post(int message, qintptr wParam = 0);
    void postState(int state);
    void poll();
    void updateInfo();
    void finish(int state, bool closedOutside);
    void setMessage(const QString &text);
    /// Appends a step of the dial and the connection to "ServerLog".
    void log(const QString &text);
    void resetInfo();
    QStringList *list(const char *name) const;

    TuilPluginHost *m_host = nullptr;
    QPointer<QWidget> m_window;
    DialUpService *m_service = nullptr;
    TDialUp *m_dialUp = nullptr;
    QTimer *m_poll = nullptr;
    QTimer *m_reminder = nullptr;
    Settings m_settings;
    QString m_selected;
    Phase m_phase = Phase::Idle;
    RasHandle m_handle = 0;
    QString m_entry;
    QString m_lastLogged;
    QElapsedTimer m_online;
    qint64 m_lastInfoMs = 0;
    quint32 m_lastBytes = 0;
};
