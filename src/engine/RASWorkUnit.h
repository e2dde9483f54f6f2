// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"
#include "EngineSettings.h"
#include "PluginInterface.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;
class QActionGroup;
class QTimer;
class QWidget;
class DialUpService;
class SettingsStore;
class TDialUp;
class TOnLineDetect;
class TRASStrList;
class TuilPluginManager;

enum TConnectionState { Offline = 0, Online = 1, ExternalOnline = 2, Dialing = 3, Ended = 4 };

/// One parsed line of the connection list.
struct TEntryRec
{
    QString Name;
    QString Phone;
    QString User;
    QString Password;
    QString Fee;
};

/// Keeps only digits, "-" and the system's decimal separator, then converts; 0 when that fails.
int DigitsToInt(const QString &text);
double DigitsToFloat(const QString &text);

/// The file name of the connection module in ModuleFolder.
inline QString ConnectionModuleFileName() { return QStringLiteral("RASModule.KVT"); }

/**
 * The connection engine. It works on the named controls of its host window
 * (ComboBoxRAS, EditOnline, BtnDial, ...) and on the host's string list
 * container "RASStrList"; it loads the connection module and binds the
 * module's handlers to its actions.
 */
class TRASWorkUnit : public QObject, public TuilPluginHost
{
    Q_OBJECT

public:
    /// Runs the start-up sequence. service and store default to the process-wide ones.
    explicit TRASWorkUnit(QWidget *mainWindow, DialUpService *service = nullptr, SettingsStore *store = nullptr);
    ~TRASWorkUnit() override;

    // TuilPluginHost
    QWidget *MainWindow() const override { return m_host; }
    QStringList *StringList(const QString &name) override;

    // Configuration and lifecycle
    void ReadSettings();
    void WriteSettings();
    /// Writes every start setting (not STARTPRG); the settings dialog's take-over.
    void WriteStartSettings();
    /// Where the engine keeps its settings.
    SettingsStore &Store() const { return *m_store; }
    void LoadConnectionModule();
    /// Unloads and loads the module and completes the connection list again;
    /// while the module dials or holds its line, the reload waits for its end.
    void ReloadConnectionModule();
    void CompleteEntries();
    void BuildEntriesFromPhonebook();
    void ApplyCurrentConnection();
    bool ShowConnectionData(const QString &name);
    void SelectConnection();
    /// Index of the connection-list line whose name field is name (compared
    /// without regard to case), -1 when none.
    int FindEntry(const QString &name) const;
    TEntryRec ReadEntry(int index) const;
    QString ReadTariff(const QString &name) const;
    int ReadConnTimeout(const QString &name) const;
    int ReadBilling(const QString &name) const;
    void WriteTariff(const QString &name, const QString &tariff);
    void WriteConnTimeout(const QString &name, int seconds);
    void WriteBilling(const QString &name, int billing);
    /// Removes the tariff, time-out and tact stored for name.
    void DeleteConnValues(const QString &name);
    /// Moves the tariff, time-out and tact of a renamed connection.
    void MoveConnValues(const QString &from, const QString &to);
    /// The dialing-method menu: toggles SyncAsync, stores and applies it.
    void ToggleDialMode();

    // Module messages, routed here by the main window
    bool HandleWindowMessage(int message, qintptr wParam, qintptr lParam);
    void SetConnectionState(int state);
    void ShowConnectionInfo();
    /// Starts or stops the idle timer from the last shown and the new counters.
    void IdleCheck();
    void SendModuleSettings();
    void HandleLineBusy();
    void HandleEmergency();

    // Idle disconnect and the external connection watch
    void TimerDisConTimer();
    void OnLineDetectChange();
    void TimerChkExternTimer();
    void BeginExternalSession();
    /// Digits of a transfer counter text, whatever separators it holds.
    static QString CounterDigits(const QString &text);
    /// The settings line of command 5945.
    QString ModuleSettingsText() const;
    /// The settings line for the connection rec.ServiceStr.
    static QString ModuleSettingsLine(const TDFURec &rec, int timeout, const QString &tariff);

    // Cost accounting
    /// Recomputes FeeCents from EditOnline; the main window calls it on every change.
    void EditOnlineChange();
    static double RunningCost(const QString &tariffText, int secondBilling, const QString &onlineTime,
                              double previousCents);
    static QString CostText(double cents);
    static QString FeeRecordText(double cents);
    /// Completes a pending fee record with the online time and cost so far
    /// (program end). A connection still up is remembered, so that the next
    /// run continues it and bills only what this record did not.
    void CompletePendingFeeRecord();

    // Session protocol
    void AppendProtocol(const QString &line);
    void ActionShowLogExecute();

    // Dial supervision
    void TimerProceedTimer();
    void HandleDialTimeout();

    // Actions and components
    QAction *ActionConnect = nullptr;
    QAction *ActionDisconnect = nullptr;
    QAction *ActionStopCon = nullptr;
    QAction *ActionShowLog = nullptr;
    TuilPluginManager *PluginManager = nullptr;
    TDialUp *RWDialUp = nullptr;
    QTimer *TimerProceed = nullptr;
    QTimer *TimerDisCon = nullptr;
    QTimer *TimerChkExtern = nullptr;
    TOnLineDetect *OnLineDetect = nullptr;

    // Engine fields
    int ModuleIndex = -1;
    int CommandCount = 0;
    int DialSeconds = 0;
    QString PendingFeeRecord;
    bool ExternActive = false;
    QDateTime ExternStart;

    // Program-wide values kept by the engine
    TDFURec DFURec;
    TStartSettings StartSettings;
    int Timeout = DefaultTimeout;
    int ConnectionState = Offline;
    bool ExternShown = false;
    TEntryRec CurrentEntry;
    QString TariffText;
    int SecondBilling = 0;
    double FeeCents = 0;

    /// Writes the fee log file; set by the main window (SaveFeeList).
    std::function<void()> SaveFeeList;
    /// Waits before a redial; tests replace it.
    std::function<void(int milliseconds)> Wait;

    QString ProtocolFileName() const;

signals:
    void connectionStateChanged(int state);

private:
    template<typename T>
    T *control(const char *name) const;
    void setControlText(const char *name, const QString &text);
    void bindActions();
    void bindCommandHandler(QAction *action, const TNotifyEvent &handler);
    void clearModuleHandlers();
    void applyStateToControls(int state);
    void completeFeeRecord();
    void updateCaption();
    void showFirstCharge();
    void restoreSelectedTariff();
    void fillEntriesFromPhonebook();
    /// Rebuilds the five-field lines from the phone book after the module was
    /// reloaded; before is the list as it was, kept when the book cannot be read.
    void refreshEntries(const QStringList &before);
    QString entryLine(const QString &name);
    QStringList *entries();
    bool writeProtocolFile(QString *error);
    void setHeaderText(int section, const QString &text);
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    /// Header row and status panels as they stand without a connection.
    void showNoConnectionInfo();
    void rememberOpenConnection();
    void forgetStaleOpenConnection();
    bool continueOpenConnection(RasHandle handle, const QString &entryName);

    QPointer<QWidget> m_host;
    DialUpService *m_service;
    SettingsStore *m_store;
    TRASStrList *m_ownLists = nullptr;
    QList<TNotifyEvent> m_moduleHandlers;
    QStringList m_entryNames;
    int m_startTimeout = DefaultTimeout;
    bool m_idleDialogOpen = false;
    bool m_externLookupFailed = false;
    bool m_reloadPending = false;
    // The header and status panel texts of the window without a connection,
    // and the connection whose values the window shows.
    QStringList m_headerCaptions;
    QStringList m_panelCaptions;
    QString m_appliedEntry;
    // Controls by name, found once: the watches look them up several times a second.
    mutable QHash<const char *, QPointer<QObject>> m_controls;
    // The session being billed, and what earlier records of the same
    // connection (before a program restart) already charged.
    QDateTime m_sessionStart;
    QString m_sessionEntry;
    qint64 m_billedSeconds = 0;
    qint64 m_billedUnits = 0;
};
