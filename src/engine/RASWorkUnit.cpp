// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RASWorkUnit.h"

#include "DialUp.h"
#include "DialUpService.h"
#include "Clock.h"
#include "Folders.h"
#include "FormEmerg.h"
#include "FormHelp.h"
#include "FormRasDone.h"
#include "LocaleFormats.h"
#include "MessageDialog.h"
#include "ModalResult.h"
#include "OnLineDetect.h"
#include "PluginManager.h"
#include "RASStrList.h"
#include "SettingsStore.h"
#include "TextFile.h"
#include "WindowMessage.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

namespace {

constexpr int ProceedInterval = 1000;
// A connection that outlived the program: "handle;start;billed seconds;billed units;name".
const QString OpenConnectionValue = QStringLiteral("OpenConnection");
constexpr int ChkExternInterval = 500;
constexpr int RedialWait = 3000;

QString decimalSeparator()
{
    return QLocale().decimalPoint();
}

QString digitsOnly(const QString &text)
{
    const QString sep = decimalSeparator();
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if ((c >= u'0' && c <= u'9') || c == u'-' || sep.contains(c))
            out += c;
    }
    return out;
}

// Binds a menu item to an action: it takes the action's caption and runs it.
void bindItem(QAction *item, QAction *action)
{
    if (!item)
        return;
    QObject::disconnect(item, &QAction::triggered, nullptr, nullptr);
    item->setProperty("boundAction", QVariant::fromValue<QObject *>(action));
    if (!action)
        return;
    item->setText(action->text());
    QObject::connect(item, &QAction::triggered, action, [action] { action->trigger(); });
}

void bindButton(QToolButton *button, QAction *action)
{
    if (!button)
        return;
    if (button->defaultAction() != action) {
        if (QAction *old = button->defaultAction())
            button->removeAction(old);
        if (action)
            button->setDefaultAction(action);
    }
}

} // namespace

int DigitsToInt(const QString &text)
{
    bool ok = false;
    const int value = digitsOnly(text).toInt(&ok, 10);
    return ok ? value : 0;
}

double DigitsToFloat(const QString &text)
{
    bool ok = false;
    const double value = QLocale().toDouble(digitsOnly(text), &ok);
    return ok ? value : 0.0;
}

TRASWorkUnit::TRASWorkUnit(QWidget *mainWindow, DialUpService *service, SettingsStore *store)
    : QObject(mainWindow)
    , m_host(mainWindow)
    , m_service(service ? service : &DialUpService::instance())
    , m_store(store ? store : &SettingsStore::instance())
{
    setObjectName(QStringLiteral("RASWorkUnit"));
    if (m_host)
        m_ownLists = m_host->findChild<TRASStrList *>(QStringLiteral("RASStrList"));
    // What the window shows without a connection, to return to when one ends.
    if (auto *header = control<QHeaderView>("HeaderControl"); header && header->model()) {
        for (int s = 0; s < header->model()->columnCount(); ++s)
            m_headerCaptions << header->model()->headerData(s, Qt::Horizontal).toString();
    }
    for (int p = 0; p < 5; ++p)
        m_panelCaptions << panelText(p);
    if (!m_ownLists)
        m_ownLists = new TRASStrList(this);

    PluginManager = new TuilPluginManager(this);
    PluginManager->SetExtension(QStringLiteral("kvt"));
    PluginManager->OnNewCommand = [this](QObject *, const QString &, const QString &, int, const QPixmap &,
                                         const TNotifyEvent &handler) {
        // Only the handlers are used, bound in the order the module offers them.
        m_moduleHandlers.append(handler);
        switch (CommandCount++) {
        case 0: bindCommandHandler(ActionConnect, handler); break;
        case 1: bindCommandHandler(ActionDisconnect, handler); break;
        case 2: bindCommandHandler(ActionStopCon, handler); break;
        default: break;
        }
    };

    auto makeAction = [this](const char *name, const QString &caption, const QString &hint, const QString &keys) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        if (!keys.isEmpty())
            action->setShortcut(QKeySequence(keys));
        return action;
    };
    ActionConnect = makeAction("ActionConnect", QStringLiteral("&Wählen"), QStringLiteral("DFÜ-Verbindung herstellen"),
                               QStringLiteral("Ctrl+Alt+C"));
    ActionDisconnect = makeAction("ActionDisconnect", QStringLiteral("&Auflegen"),
                                  QStringLiteral("DFÜ-Verbindung beenden"), QStringLiteral("Ctrl+Alt+D"));
    ActionStopCon = makeAction("ActionStopCon", QStringLiteral("&Stop"), QStringLiteral("DFÜ-Vorgang abbrechen"),
                               QStringLiteral("Ctrl+Alt+S"));
    ActionShowLog = makeAction("ActionShowLog", QStringLiteral("&Sitzungs-Protokoll"),
                               QStringLiteral("Protokoll anzeigen"), QString());
    connect(ActionShowLog, &QAction::triggered, this, [this] {
        TimerDisCon->stop();
        ActionShowLogExecute();
    });
    for (QAction *action : {ActionConnect, ActionDisconnect, ActionStopCon}) {
        connect(action, &QAction::triggered, this, [this, action] {
            TimerDisCon->stop(); // any connection action ends an idle period
            const QVariant slot = action->property("handlerIndex");
            if (slot.isValid() && slot.toInt() < m_moduleHandlers.size()) {
                const TNotifyEvent handler = m_moduleHandlers.at(slot.toInt());
                if (handler)
                    handler(action);
            }
        });
    }

    TimerProceed = new QTimer(this);
    TimerProceed->setObjectName(QStringLiteral("TimerProceed"));
    TimerProceed->setInterval(ProceedInterval);
    connect(TimerProceed, &QTimer::timeout, this, &TRASWorkUnit::TimerProceedTimer);
    TimerDisCon = new QTimer(this);
    TimerDisCon->setObjectName(QStringLiteral("TimerDisCon"));
    TimerChkExtern = new QTimer(this);
    TimerChkExtern->setObjectName(QStringLiteral("TimerChkExtern"));
    TimerChkExtern->setInterval(ChkExternInterval);
    connect(TimerDisCon, &QTimer::timeout, this, &TRASWorkUnit::TimerDisConTimer);
    connect(TimerChkExtern, &QTimer::timeout, this, &TRASWorkUnit::TimerChkExternTimer);

    RWDialUp = new TDialUp(this, m_service);
    RWDialUp->setObjectName(QStringLiteral("RWDialUp"));
    RWDialUp->setDialMode(TDialUp::dmAsync);
    RWDialUp->setLanguage(TDialUp::Czech);

    Wait = [](int milliseconds) { QThread::msleep(milliseconds); };

    if (m_host) {
        if (auto *online = control<QLineEdit>("EditOnline"))
            connect(online, &QLineEdit::textChanged, this, &TRASWorkUnit::EditOnlineChange);
    }

    // Start-up: an error stops the remaining steps; the engine stays alive.
    DialSeconds = 0;
    try {
        ReadSettings();
        LoadConnectionModule();
        CompleteEntries();
        ApplyCurrentConnection();
    } catch (const EuilPluginError &error) {
        MessageDialog::Error(error.message(), m_host);
    } catch (const EDialUpError &error) {
        MessageDialog::Error(error.message(), m_host);
    }
    ExternActive = false;
    applyStateToControls(ConnectionState);
    forgetStaleOpenConnection();

    OnLineDetect = new TOnLineDetect(this, m_service);
    OnLineDetect->setObjectName(QStringLiteral("OnLineDetect"));
    OnLineDetect->setInterval(500);
    connect(OnLineDetect, &TOnLineDetect::OnChange, this, &TRASWorkUnit::OnLineDetectChange);
}

TRASWorkUnit::~TRASWorkUnit()
{
    if (ModuleIndex >= 0) {
        clearModuleHandlers();
        try {
            PluginManager->UnloadPlugin(ModuleIndex);
        } catch (const EuilPluginError &) {
        }
        ModuleIndex = -1;
    }
}

QStringList *TRASWorkUnit::StringList(const QString &name)
{
    // The fee log is kept compact; the connection module has no use for it.
    return TRASStrList::IsCompact(name) ? nullptr : m_ownLists->List(name);
}

template<typename T>
T *TRASWorkUnit::control(const char *name) const
{
    if (!m_host)
        return nullptr;
    // A name names one control: a cached one of another kind is no match.
    QPointer<QObject> &cached = m_controls[name];
    if (cached)
        return qobject_cast<T *>(cached.data());
    T *found = m_host->findChild<T *>(QLatin1String(name));
    if (found)
        cached = found;
    return found;
}

void TRASWorkUnit::setHeaderText(int section, const QString &text)
{
    auto *header = control<QHeaderView>("HeaderControl");
    if (QAbstractItemModel *model = header ? header->model() : nullptr; model && section < model->columnCount())
        model->setHeaderData(section, Qt::Horizontal, text);
}

QString TRASWorkUnit::panelText(int panel) const
{
    auto *bar = control<QStatusBar>("StatusBar");
    const QLabel *label = bar ? bar->findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(panel)) : nullptr;
    return label ? label->text() : QString();
}

void TRASWorkUnit::setPanelText(int panel, const QString &text)
{
    auto *bar = control<QStatusBar>("StatusBar");
    if (auto *label = bar ? bar->findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(panel)) : nullptr)
        label->setText(text);
}

void TRASWorkUnit::showNoConnectionInfo()
{
    for (int s = 0; s < m_headerCaptions.size(); ++s)
        setHeaderText(s, m_headerCaptions.at(s));
    for (int p : {0, 1, 3, 4})
        setPanelText(p, m_panelCaptions.value(p));
}

void TRASWorkUnit::setControlText(const char *name, const QString &text)
{
    if (auto *label = control<QLabel>(name))
        label->setText(text);
    else if (auto *edit = control<QLineEdit>(name))
        edit->setText(text);
}

QStringList *TRASWorkUnit::entries()
{
    return m_ownLists->List(QStringLiteral("Entries"));
}

// --- settings -------------------------------------------------------------

void TRASWorkUnit::ReadSettings()
{
    DFURec.Read(*m_store);
    StartSettings.Read(*m_store);
    Timeout = ClampTimeout(m_store->readInteger(RegKey::Ras(), QStringLiteral("Timeout"), DefaultTimeout));
    m_startTimeout = Timeout;
}

void TRASWorkUnit::WriteSettings()
{
    DFURec.Write(*m_store);
}

void TRASWorkUnit::WriteStartSettings()
{
    StartSettings.Write(*m_store);
}

QString TRASWorkUnit::ReadTariff(const QString &name) const
{
    return ConnectionValues::ReadTariff(*m_store, name);
}

int TRASWorkUnit::ReadConnTimeout(const QString &name) const
{
    return ConnectionValues::ReadConnTimeout(*m_store, name);
}

int TRASWorkUnit::ReadBilling(const QString &name) const
{
    return ConnectionValues::ReadBilling(*m_store, name);
}

void TRASWorkUnit::WriteTariff(const QString &name, const QString &tariff)
{
    ConnectionValues::WriteTariff(*m_store, name, tariff);
}

void TRASWorkUnit::WriteConnTimeout(const QString &name, int seconds)
{
    ConnectionValues::WriteConnTimeout(*m_store, name, seconds);
}

void TRASWorkUnit::WriteBilling(const QString &name, int billing)
{
    ConnectionValues::WriteBilling(*m_store, name, billing);
}

void TRASWorkUnit::DeleteConnValues(const QString &name)
{
    ConnectionValues::DeleteValues(*m_store, name);
}

void TRASWorkUnit::MoveConnValues(const QString &from, const QString &to)
{
    ConnectionValues::MoveValues(*m_store, from, to);
}

// --- connection module ----------------------------------------------------

void TRASWorkUnit::bindCommandHandler(QAction *action, const TNotifyEvent &)
{
    action->setProperty("handlerIndex", int(m_moduleHandlers.size() - 1));
}

void TRASWorkUnit::clearModuleHandlers()
{
    // Handlers point into the module's code: drop them before its library goes.
    for (QAction *action : {ActionConnect, ActionDisconnect, ActionStopCon})
        action->setProperty("handlerIndex", QVariant());
    m_moduleHandlers.clear();
}

void TRASWorkUnit::LoadConnectionModule()
{
    const QString folder = Folders::moduleFolder();
    PluginManager->SetPluginFolder(folder);
    CommandCount = 0;
    ModuleIndex = -1;
    const QString file = folder + ConnectionModuleFileName();
    if (!QFile::exists(file)) {
        MessageDialog::Information(QStringLiteral("DFÜ-Modul nicht gefunden!:\r") + folder
                                       + ConnectionModuleFileName() + QLatin1String("\r")
                                       + QStringLiteral("DFÜ-Verbindungen erfolgen über Windows Socketverbindungen."),
                                   m_host);
        return;
    }
    if (!PluginManager->LoadPlugin(file, this))
        return;
    ModuleIndex = PluginManager->PluginCount() - 1;
    TuilPlugin *plugin = PluginManager->Plugin(ModuleIndex);
    plugin->Activate();
    PluginManager->SendCommand(ModuleCommand::ApplicationTitle, QCoreApplication::applicationName());
}

void TRASWorkUnit::ReloadConnectionModule()
{
    const QStringList before = *entries();
    if (ConnectionState == Online || ConnectionState == Dialing) {
        // Unloading the module would end the line it holds: it is reloaded
        // once that line is down.
        m_reloadPending = true;
        refreshEntries(before);
        return;
    }
    m_reloadPending = false;
    if (ModuleIndex >= 0) {
        clearModuleHandlers();
        PluginManager->UnloadPlugin(ModuleIndex);
        ModuleIndex = -1;
    }
    try {
        LoadConnectionModule();
    } catch (const EuilPluginError &error) {
        MessageDialog::Error(error.message(), m_host);
    }
    // The module's activation leaves bare names; fee records, the module's
    // settings line and the dial all need the five fields again.
    refreshEntries(before);
}

QString TRASWorkUnit::ModuleSettingsText() const
{
    TDFURec rec = DFURec;
    if (rec.ServiceStr.isEmpty())
        rec.ServiceStr = ReadEntry(0).Name;
    return ModuleSettingsLine(rec, Timeout, TariffText);
}

QString TRASWorkUnit::ModuleSettingsLine(const TDFURec &rec, int timeout, const QString &tariff)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    // A tab in a name or tariff would shift the fields after it.
    const auto text = [](QString value) { return value.replace(u'\t', u' '); };
    return QStringList{text(rec.ServiceStr),
                       QString::number(rec.SyncAsync),
                       flag(rec.ChkPassWord),
                       QString::number(timeout),
                       QString::number(rec.RemaindTime),
                       flag(rec.KeepAlive),
                       flag(rec.WithSound),
                       QString::number(rec.SoundIndex),
                       text(tariff)}
        .join(u'\t');
}

void TRASWorkUnit::SendModuleSettings()
{
    PluginManager->SendCommand(ModuleCommand::Settings, ModuleSettingsText());
}

bool TRASWorkUnit::HandleWindowMessage(int message, qintptr wParam, qintptr)
{
    switch (message) {
    case WM::LineBusy: HandleLineBusy(); return true;
    case WM::InfoUpdated: ShowConnectionInfo(); return true;
    case WM::ConnectionState: SetConnectionState(int(wParam & 0xFF)); return true;
    case WM::SettingsRequest: SendModuleSettings(); return true;
    case WM::ClosedOutside: HandleEmergency(); return true;
    default: return false;
    }
}

// --- connection list ------------------------------------------------------

QString TRASWorkUnit::entryLine(const QString &name)
{
    // User and password are those of this entry, empty when they cannot be read.
    RWDialUp->setEntry(name);
    RWDialUp->EntryUser.clear();
    RWDialUp->EntryPassword.clear();
    RWDialUp->ReadUserName();
    RWDialUp->ReadPassword();
    const QString user = RWDialUp->EntryUser;
    const QString password = RWDialUp->EntryPassword;
    if (RWDialUp->ReadEntryProperties() != RasError::Success)
        return QString();
    return QStringList{name, RWDialUp->DisplayNumber, user, ReadTariff(name), password}.join(u';');
}

void TRASWorkUnit::fillEntriesFromPhonebook()
{
    if (RWDialUp->GetEntries() == RasError::Success)
        *entries() = RWDialUp->Entries();
}

void TRASWorkUnit::refreshEntries(const QStringList &before)
{
    const PhoneBookPass pass(RWDialUp->service());
    if (RWDialUp->GetEntries() != RasError::Success) {
        // A phone book that cannot be read now is no empty one.
        *entries() = before;
        m_ownLists->Changed(QStringLiteral("Entries"));
        return;
    }
    const QStringList names = RWDialUp->Entries();
    QStringList lines;
    lines.reserve(names.size());
    for (const QString &name : names) {
        const QString complete = entryLine(name);
        lines << (complete.isEmpty() ? name : complete);
    }
    *entries() = lines;
    m_entryNames = names;

    // The selector and the list must stay aligned line by line; a phone book
    // changed by another program brings the selector up to date too.
    if (auto *combo = control<QComboBox>("ComboBoxRAS")) {
        QStringList items;
        items.reserve(combo->count());
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        if (items != names) {
            const QString selected = combo->currentIndex() >= 0 ? combo->currentText() : DFURec.ServiceStr;
            const QSignalBlocker quiet(combo);
            combo->clear();
            combo->addItems(names);
            int index = combo->findText(selected, Qt::MatchFixedString);
            if (index < 0)
                index = combo->findText(DFURec.ServiceStr, Qt::MatchFixedString);
            if (index < 0 && combo->count() > 0)
                index = 0;
            combo->setCurrentIndex(index);
        }
    }
    m_ownLists->Changed(QStringLiteral("Entries"));
}

void TRASWorkUnit::CompleteEntries()
{
    auto *combo = control<QComboBox>("ComboBoxRAS");
    if (combo)
        combo->clear();
    // Without a module nobody filled the list; the phone book still has the names.
    if (entries()->isEmpty())
        fillEntriesFromPhonebook();
    QStringList &lines = *entries();
    m_entryNames.clear();
    for (QString &line : lines) {
        const QString name = line;
        m_entryNames << name;
        if (combo)
            combo->addItem(name);
        const QString complete = entryLine(name);
        if (!complete.isEmpty())
            line = complete;
    }
    m_ownLists->Changed(QStringLiteral("Entries"));
}

void TRASWorkUnit::BuildEntriesFromPhonebook()
{
    auto *combo = control<QComboBox>("ComboBoxRAS");
    if (combo)
        combo->clear();
    QStringList &lines = *entries();
    lines.clear();
    m_entryNames.clear();
    const PhoneBookPass pass(RWDialUp->service());
    if (RWDialUp->GetEntries() != RasError::Success || RWDialUp->Entries().isEmpty()) {
        m_ownLists->Changed(QStringLiteral("Entries"));
        return;
    }
    const QStringList names = RWDialUp->Entries();
    for (const QString &name : names) {
        if (combo)
            combo->addItem(name);
        // An entry whose properties cannot be read keeps a bare-name line, so the
        // list stays aligned with the selector.
        const QString complete = entryLine(name);
        lines << (complete.isEmpty() ? name : complete);
        m_entryNames << name;
    }
    if (combo)
        combo->setCurrentIndex(combo->findText(DFURec.ServiceStr, Qt::MatchFixedString));
    m_ownLists->Changed(QStringLiteral("Entries"));
}

int TRASWorkUnit::FindEntry(const QString &name) const
{
    const QStringList lines = m_ownLists->Lines(QStringLiteral("Entries"));
    for (int i = 0; i < lines.size(); ++i) {
        if (ReadEntry(i).Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

TEntryRec TRASWorkUnit::ReadEntry(int index) const
{
    TEntryRec rec;
    const QStringList lines = m_ownLists->Lines(QStringLiteral("Entries"));
    if (index < 0 || index >= lines.size() || lines.at(index).isEmpty())
        return rec;
    QString rest = lines.at(index);
    // A name may itself hold ";": the known name of the line takes precedence.
    if (index < m_entryNames.size()) {
        const QString &known = m_entryNames.at(index);
        if (known.contains(u';') && (rest == known || rest.startsWith(known + u';'))) {
            rec.Name = known;
            rest = rest.mid(known.size() + 1);
            if (rest.isNull())
                return rec;
        }
    }
    QString *fields[] = {&rec.Name, &rec.Phone, &rec.User, &rec.Fee};
    int first = rec.Name.isEmpty() ? 0 : 1;
    for (int f = first; f < 4; ++f) {
        const qsizetype cut = rest.indexOf(u';');
        if (cut < 0) {
            *fields[f] = rest;
            return rec;
        }
        *fields[f] = rest.left(cut);
        rest = rest.mid(cut + 1);
    }
    rec.Password = rest;
    return rec;
}

// --- current connection ---------------------------------------------------

void TRASWorkUnit::ApplyCurrentConnection()
{
    auto *combo = control<QComboBox>("ComboBoxRAS");
    if (combo) {
        int index = DFURec.ServiceStr.isEmpty() ? -1 : combo->findText(DFURec.ServiceStr, Qt::MatchFixedString);
        if (index < 0 && combo->count() > 0) {
            // The connection shown is the one dialed: a stored name that is
            // gone gives way to the first connection, in memory only.
            index = 0;
            DFURec.ServiceStr = combo->itemText(0);
            PluginManager->SendCommand(ModuleCommand::SelectedConnection, DFURec.ServiceStr);
        }
        combo->setCurrentIndex(index);
    } else if (DFURec.ServiceStr.isEmpty() && !m_entryNames.isEmpty()) {
        DFURec.ServiceStr = m_entryNames.first();
    }
    CurrentEntry = ReadEntry(FindEntry(DFURec.ServiceStr));

    // A current connection that is not in the list (deleted outside the
    // program): empty record, the time-out read at start, minute billing.
    const QString selected = combo && combo->currentIndex() >= 0 ? combo->currentText()
                                                                  : (CurrentEntry.Name.isEmpty() ? QString()
                                                                                                 : DFURec.ServiceStr);
    Timeout = selected.isEmpty() ? m_startTimeout : ReadConnTimeout(selected);
    TariffText = CurrentEntry.Fee.left(7);
    SecondBilling = selected.isEmpty() ? 0 : ReadBilling(selected);

    if (auto *spin = control<QSpinBox>("SpinEdit")) {
        spin->setValue(Timeout);
        if (spin->value() <= 0)
            spin->setValue(60);
    }
    if (auto *progress = control<QProgressBar>("WaitProgress")) {
        progress->setMaximum(Timeout);
        progress->setValue(0);
    }
    // Stored start settings count, not those read at start: the settings dialog changes them.
    StartSettings.Read(*m_store);
    if (m_host) {
        m_host->setProperty("ShowPostIt", StartSettings.ShowPostIt);
        m_host->setProperty("ShapedHints", StartSettings.PostItIndex == 1);
    }
    TimerDisCon->stop();
    if (auto *fee = control<QAction>("ActFeeProt"))
        fee->setEnabled(StartSettings.FeeRecord);
    if (StartSettings.DisConTime > 0)
        TimerDisCon->setInterval(StartSettings.DisConTime * 60000);
    if (auto *sync = control<QAction>("MISynchron"))
        sync->setChecked(DFURec.SyncAsync == 0);
    if (auto *async = control<QAction>("MIAsynchron"))
        async->setChecked(DFURec.SyncAsync == 1);
    updateCaption();
    ShowConnectionData(DFURec.ServiceStr);
    // Another connection shown without a session: the last session's time and
    // cost are not its values.
    if ((ConnectionState == Offline || ConnectionState == Ended)
        && m_appliedEntry.compare(DFURec.ServiceStr, Qt::CaseInsensitive) != 0) {
        showNoConnectionInfo();
        FeeCents = 0;
        setControlText("EditOnline", QStringLiteral("00:00:00"));
        setControlText("EditCurrent", CostText(0));
    }
    m_appliedEntry = DFURec.ServiceStr;
}

void TRASWorkUnit::updateCaption()
{
    if (m_host)
        m_host->setWindowTitle(QLatin1String("Rufwerk: ") + DFURec.ServiceStr + QLatin1String(" - RufNr.: ")
                               + CurrentEntry.Phone + QLatin1String(" - ") + CurrentEntry.Fee
                               + QStringLiteral(" €-Cent/min"));
}

bool TRASWorkUnit::ShowConnectionData(const QString &name)
{
    RWDialUp->GetEntries();
    auto *combo = control<QComboBox>("ComboBoxRAS");
    if (!combo || combo->count() == 0) {
        if (combo)
            combo->setCurrentIndex(-1);
        for (const char *field : {"EditUserName", "EditPassword", "LblTelNum", "LblFee", "LblTact"})
            setControlText(field, QString());
        return false;
    }
    int index = combo->findText(name, Qt::MatchFixedString);
    if (index < 0)
        index = 0;
    combo->setCurrentIndex(index);
    const QString entry = combo->itemText(index);
    RWDialUp->setEntry(entry);
    if (RWDialUp->ReadUserName() == RasError::Success)
        setControlText("EditUserName", RWDialUp->EntryUser);
    if (RWDialUp->ReadPassword() == RasError::Success)
        setControlText("EditPassword", RWDialUp->EntryPassword);
    if (RWDialUp->ReadEntryProperties() == RasError::Success) {
        if (auto *label = control<QLabel>("LblTelNum")) {
            const QString number = RWDialUp->DisplayNumber;
            label->setText(number);
            const int premium = DigitsToInt(number.mid(1, 4));
            QColor colour(Qt::darkBlue);
            bool bold = true;
            if (premium == 1900)
                colour = Qt::red;
            else if (premium >= 1901 && premium <= 1906)
                colour = QColor(0, 255, 0); // lime
            else if (premium >= 1907 && premium <= 1909)
                colour = Qt::blue;
            else
                bold = false;
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, colour);
            label->setPalette(palette);
            QFont font = label->font();
            font.setBold(bold);
            label->setFont(font);
            label->setProperty("premiumClass", premium);
        }
    }
    setControlText("LblFee", ReadTariff(entry));
    setControlText("LblTact",
                   ReadBilling(entry) != 0 ? QStringLiteral("Sekundentakt") : QStringLiteral("Minutentakt"));
    return true;
}

void TRASWorkUnit::SelectConnection()
{
    auto *combo = control<QComboBox>("ComboBoxRAS");
    if (!combo)
        return;
    DFURec.ServiceStr = combo->currentText();
    m_store->writeString(RegKey::Ras(), QStringLiteral("ServiceStr"), DFURec.ServiceStr);
    PluginManager->SendCommand(ModuleCommand::SelectedConnection, DFURec.ServiceStr);
}

void TRASWorkUnit::ToggleDialMode()
{
    DFURec.SyncAsync = DFURec.SyncAsync == 0 ? 1 : 0;
    WriteSettings();
    ApplyCurrentConnection();
}

// --- connection state and cost --------------------------------------------

void TRASWorkUnit::SetConnectionState(int state)
{
    ConnectionState = state;
    switch (state) {
    case Offline:
        TimerProceed->stop();
        ExternShown = false;
        updateCaption();
        TimerDisCon->stop();
        completeFeeRecord();
        showNoConnectionInfo();
        break;
    case Online: {
        showFirstCharge();
        auto *combo = control<QComboBox>("ComboBoxRAS");
        const int index = combo ? combo->currentIndex() : FindEntry(DFURec.ServiceStr);
        const TEntryRec line = ReadEntry(index);
        const QString item = combo ? combo->currentText() : DFURec.ServiceStr;
        const QDateTime now = Clock::Now();
        PendingFeeRecord = LocaleFormats::ShortDate(now.date()) + u';' + LocaleFormats::LongTime(now.time()) + u';'
            + line.Name + u';' + line.Phone + u';' + ReadTariff(item) + QLatin1String(" Ct/min;");
        m_sessionStart = now;
        m_sessionEntry = item;
        m_billedSeconds = 0;
        m_billedUnits = 0;
        TimerProceed->stop();
        ExternShown = false;
        break;
    }
    case ExternalOnline:
        ExternShown = true;
        TimerDisCon->stop();
        break;
    case Dialing:
        FeeCents = 0;
        // The last call's time and cost are not this one's.
        setControlText("EditOnline", QStringLiteral("00:00:00"));
        setControlText("EditCurrent", CostText(0));
        if (auto *progress = control<QProgressBar>("WaitProgress"))
            progress->setValue(0);
        DialSeconds = 0;
        setControlText("LabelTime", QStringLiteral("0 sec."));
        TimerProceed->start();
        PendingFeeRecord.clear();
        ExternShown = false;
        break;
    case Ended:
        ExternShown = false;
        updateCaption();
        TimerDisCon->stop();
        completeFeeRecord();
        showNoConnectionInfo();
        break;
    default:
        break;
    }
    applyStateToControls(state);
    if (m_reloadPending && (state == Offline || state == Ended)) {
        // Not from within the module's own state report.
        QTimer::singleShot(0, this, [this] {
            if (m_reloadPending && ConnectionState != Online && ConnectionState != Dialing)
                ReloadConnectionModule();
        });
    }
    emit connectionStateChanged(state);
}

void TRASWorkUnit::showFirstCharge()
{
    // The cost of the first minute, or of the first second with second billing.
    const qint64 units = Costs::CostUnits(Costs::TariffMilliCents(TariffText), SecondBilling == 1 ? 1 : 0, 1);
    setControlText("EditCurrent", CostText(double(units) / double(Costs::UnitsPerCent)));
}

void TRASWorkUnit::completeFeeRecord()
{
    if (!StartSettings.FeeRecord || PendingFeeRecord.isEmpty() || PendingFeeRecord.contains(u'€'))
        return;
    QString online = QStringLiteral("00:00:00");
    if (auto *edit = control<QLineEdit>("EditOnline"))
        online = edit->text();
    qint64 units = Costs::UnitsOfCents(FeeCents);
    if (m_billedSeconds > 0 || m_billedUnits > 0) {
        // Continued after a restart: the earlier record charged the start.
        online = LocaleFormats::Duration(Costs::OnlineSeconds(online) - m_billedSeconds);
        units = std::max<qint64>(0, units - m_billedUnits);
        m_billedSeconds = 0;
        m_billedUnits = 0;
    }
    PendingFeeRecord += online + u';' + FeeRecordText(double(units) / double(Costs::UnitsPerCent));
    m_ownLists->Append(QStringLiteral("FeeReport"), PendingFeeRecord);
    PendingFeeRecord.clear();
    if (StartSettings.AutoStart && SaveFeeList)
        SaveFeeList();
}

void TRASWorkUnit::CompletePendingFeeRecord()
{
    const bool open = StartSettings.FeeRecord && !PendingFeeRecord.isEmpty() && !PendingFeeRecord.contains(u'€')
        && (ConnectionState == Online || ConnectionState == ExternalOnline);
    completeFeeRecord();
    if (open)
        rememberOpenConnection();
}

void TRASWorkUnit::rememberOpenConnection()
{
    // The connection's handle: the module dialed our own one with a handle of its own.
    RasHandle handle = ConnectionState == ExternalOnline ? RWDialUp->LastHandle : 0;
    if (handle == 0) {
        QList<RasConnection> connections;
        if (m_service->enumConnections(&connections) == RasError::Success) {
            for (const RasConnection &connection : std::as_const(connections)) {
                if (connection.entryName.compare(m_sessionEntry, Qt::CaseInsensitive) == 0)
                    handle = connection.handle;
            }
        }
    }
    if (handle == 0 || !m_sessionStart.isValid())
        return;
    // Everything charged since the start, this record and any before it.
    const auto *edit = control<QLineEdit>("EditOnline");
    const qint64 seconds = Costs::OnlineSeconds(edit ? edit->text() : QString());
    const QStringList fields{QString::number(handle), m_sessionStart.toString(Qt::ISODate), QString::number(seconds),
                             QString::number(Costs::UnitsOfCents(FeeCents)), m_sessionEntry};
    m_store->writeString(RegKey::Ras(), OpenConnectionValue, fields.join(u';'));
}

void TRASWorkUnit::forgetStaleOpenConnection()
{
    const QString text = m_store->readString(RegKey::Ras(), OpenConnectionValue);
    if (text.isEmpty())
        return;
    QList<RasConnection> connections;
    if (m_service->enumConnections(&connections) != RasError::Success)
        return; // no answer: the watch decides later
    const RasHandle handle = text.section(u';', 0, 0).toULongLong();
    const QString name = text.section(u';', 4);
    for (const RasConnection &connection : std::as_const(connections)) {
        if (connection.handle == handle && connection.entryName.compare(name, Qt::CaseInsensitive) == 0)
            return;
    }
    m_store->deleteValue(RegKey::Ras(), OpenConnectionValue);
}

bool TRASWorkUnit::continueOpenConnection(RasHandle handle, const QString &entryName)
{
    const QString text = m_store->readString(RegKey::Ras(), OpenConnectionValue);
    if (text.isEmpty())
        return false;
    const QStringList fields = text.split(u';');
    const QDateTime start = QDateTime::fromString(fields.value(1), Qt::ISODate);
    if (fields.size() < 5 || fields.at(0).toULongLong() != handle
        || text.section(u';', 4).compare(entryName, Qt::CaseInsensitive) != 0 || !start.isValid())
        return false;
    m_store->deleteValue(RegKey::Ras(), OpenConnectionValue);
    m_sessionStart = start;
    m_billedSeconds = fields.at(2).toLongLong();
    m_billedUnits = fields.at(3).toLongLong();
    return true;
}

double TRASWorkUnit::RunningCost(const QString &tariffText, int secondBilling, const QString &onlineTime,
                                 double previousCents)
{
    const qint64 tariff = Costs::TariffMilliCents(tariffText.isEmpty() ? QStringLiteral("0") : tariffText);
    const qint64 seconds = Costs::OnlineSeconds(onlineTime.isEmpty() ? QStringLiteral("00:00:00") : onlineTime);
    // Every started minute costs a full minute, computed from the whole
    // online time so a skipped second cannot skip a minute.
    if ((secondBilling == 0 && seconds > 0) || secondBilling == 1)
        return double(Costs::CostUnits(tariff, secondBilling, seconds)) / double(Costs::UnitsPerCent);
    return previousCents;
}

QString TRASWorkUnit::CostText(double cents)
{
    return Costs::EuroText(Costs::UnitsOfCents(cents), 2, false) + QStringLiteral(" €");
}

QString TRASWorkUnit::FeeRecordText(double cents)
{
    return Costs::EuroText(Costs::UnitsOfCents(cents), 4, true) + QStringLiteral(" €");
}

void TRASWorkUnit::EditOnlineChange()
{
    auto *edit = control<QLineEdit>("EditOnline");
    if (!edit)
        return;
    if (edit->text().isEmpty()) {
        edit->setText(QStringLiteral("00:00:00")); // re-enters through textChanged
        return;
    }
    const double cost = RunningCost(TariffText, SecondBilling, edit->text(), FeeCents);
    if (cost != FeeCents) {
        FeeCents = cost;
        setControlText("EditCurrent", CostText(FeeCents));
    }
}

void TRASWorkUnit::ShowConnectionInfo()
{
    const QStringList info = m_ownLists->Lines(QStringLiteral("RASInfo"));
    const auto line = [&info](int i) { return i < info.size() ? info.at(i) : QString(); };
    const int sections[4] = {0, 1, 4, 2};
    for (int s = 0; s < 4; ++s)
        setHeaderText(s, line(sections[s]));
    IdleCheck();
    const int panels[4][2] = {{1, 3}, {3, 5}, {0, 6}, {4, 7}};
    for (const auto &p : panels)
        setPanelText(p[0], line(p[1]));
}

QString TRASWorkUnit::CounterDigits(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    return digits;
}

void TRASWorkUnit::IdleCheck()
{
    if (StartSettings.DisConTime <= 0 || ConnectionState != Online) {
        TimerDisCon->stop();
        return;
    }
    const QStringList info = m_ownLists->Lines(QStringLiteral("RASInfo"));
    const auto line = [&info](int i) { return i < info.size() ? info.at(i) : QString(); };
    // Idle only when neither counter moved: a download that only receives is
    // traffic too. Counters compare by their digits, whatever separators they hold.
    const bool sentSame = CounterDigits(panelText(1)) == CounterDigits(line(3));
    const bool receivedSame = CounterDigits(panelText(3)) == CounterDigits(line(5));
    if (sentSame && receivedSame) {
        if (!TimerDisCon->isActive())
            TimerDisCon->start();
    } else {
        TimerDisCon->stop();
    }
}

void TRASWorkUnit::TimerDisConTimer()
{
    TimerDisCon->stop();
    if (m_idleDialogOpen)
        return;
    m_idleDialogOpen = true;
    const int result = TFormRasDone::Execute(m_host);
    m_idleDialogOpen = false;
    if (result != mrAbort && result != mrYes)
        return;
    ActionDisconnect->trigger();
    AppendProtocol(QStringLiteral("Leerlauf-Abbruch nach: ") + QString::number(StartSettings.DisConTime)
                   + QStringLiteral(" Minuten!"));
    TimerDisCon->stop();
    if (result == mrAbort)
        MessageDialog::Information(QStringLiteral("DFÜ aufgelegt nach: ") + QString::number(StartSettings.DisConTime)
                                       + QStringLiteral(" Minuten ohne Aktivität!"),
                                   m_host);
}

void TRASWorkUnit::OnLineDetectChange()
{
    if (!StartSettings.ChkExtern || ExternShown)
        return;
    if (ConnectionState == Dialing || ConnectionState == Online || ConnectionState == ExternalOnline)
        return;
    if (OnLineDetect->Online())
        TimerChkExtern->start();
}

void TRASWorkUnit::restoreSelectedTariff()
{
    auto *combo = control<QComboBox>("ComboBoxRAS");
    const QString selected = combo ? combo->currentText() : DFURec.ServiceStr;
    TariffText = ReadTariff(selected).left(7);
    SecondBilling = ReadBilling(selected);
}

void TRASWorkUnit::TimerChkExternTimer()
{
    if (!OnLineDetect->Online()) {
        TimerChkExtern->stop();
        if (!ExternActive && ConnectionState != ExternalOnline)
            return; // the connection went before it was ever up
        SetConnectionState(Ended);
        ConnectionState = Offline;
        ExternActive = false;
        ExternStart = QDateTime();
        m_externLookupFailed = false;
        setControlText("MsgLabel", QStringLiteral("Externe Verbindung beendet"));
        restoreSelectedTariff();
        const auto *online = control<QLineEdit>("EditOnline");
        const auto *current = control<QLineEdit>("EditCurrent");
        AppendProtocol(QStringLiteral("End-Datum/Zeit: ") + LocaleFormats::DateTime(Clock::Now())
                       + QStringLiteral(" - hh:min:sec"));
        AppendProtocol(QStringLiteral("Online-Zeit: ") + (online ? online->text() : QString())
                       + QStringLiteral(",   -Gebühr: ") + (current ? current->text() : QString()));
        return;
    }
    if (OnLineDetect->LastStatus().state != RasState::Connected)
        return; // being set up: keep watching
    TimerChkExtern->stop();
    if (ConnectionState == Dialing || ConnectionState == Online)
        return; // our own connection, never an external one
    if (!ExternActive) {
        SetConnectionState(ExternalOnline);
        if (!m_externLookupFailed) {
            try {
                if (RWDialUp->FindActiveConnection())
                    BeginExternalSession();
            } catch (const EDialUpError &error) {
                // A connection still being set up has no addresses yet: the
                // next tick looks again. Other errors are shown once; the
                // connection is still timed and its end noticed.
                if (error.message() != QString::number(RasError::ProjectionNotComplete)) {
                    m_externLookupFailed = true;
                    MessageDialog::Error(error.message(), m_host);
                }
            }
        }
        if (ExternStart.isNull())
            ExternStart = Clock::Now();
    }
    // Twice a second, but the time shown changes once: no repaint for the same text.
    if (auto *online = control<QLineEdit>("EditOnline")) {
        const QString text = LocaleFormats::Duration(ExternStart.secsTo(Clock::Now()));
        if (online->text() != text)
            online->setText(text);
    }
    TimerChkExtern->start();
}

void TRASWorkUnit::BeginExternalSession()
{
    ExternActive = true;
    ConnectionState = ExternalOnline;
    ExternStart = QDateTime();
    const QString entryName = RWDialUp->EntryName;
    const QString deviceType = RWDialUp->DeviceType;
    const QString deviceName = RWDialUp->DeviceName;
    const QString localIp = RWDialUp->LocalIP;
    const QString remoteIp = RWDialUp->RemoteIP;
    setControlText("MsgLabel", QStringLiteral("Externe Verbindung ist online\n(siehe Titelzeile)"));
    // Only what is known of this connection: its name and device; rate and
    // counters are not reported for it.
    showNoConnectionInfo();
    setHeaderText(0, entryName);
    setHeaderText(1, deviceType);
    setHeaderText(3, deviceName);
    setPanelText(0, localIp);
    setPanelText(4, remoteIp);

    // The external entry's own number and data, also when a dialer created the
    // entry after the connection list was built.
    const int index = FindEntry(entryName);
    TEntryRec line = ReadEntry(index);
    if (index < 0) {
        line.Name = entryName;
        RWDialUp->setEntry(entryName);
        if (RWDialUp->ReadEntryProperties() == RasError::Success)
            line.Phone = RWDialUp->DisplayNumber;
        line.Fee = ReadTariff(entryName);
    }

    // The same connection as at the end of the last run: it keeps its start,
    // and its record charges only what the last one did not.
    const QDateTime now = Clock::Now();
    m_sessionEntry = entryName;
    m_billedSeconds = 0;
    m_billedUnits = 0;
    m_sessionStart = now;
    const bool continued = continueOpenConnection(RWDialUp->LastHandle, entryName);
    const QDateTime recordStart = m_sessionStart.addSecs(m_billedSeconds);

    AppendProtocol(QStringLiteral("Externe Verbindung: "));
    AppendProtocol(QStringLiteral("  -  DFÜ, Rufnummer: ") + entryName + QStringLiteral(", ") + line.Phone);
    AppendProtocol(QStringLiteral("  -  Gerät, Typ    : ") + deviceName + QStringLiteral(", ") + deviceType);
    AppendProtocol(QStringLiteral("  -  zwischen Lokal: ") + localIp + QStringLiteral(" und Remote: ") + remoteIp);
    AppendProtocol(QStringLiteral("Start-Datum/Zeit: ") + LocaleFormats::DateTime(m_sessionStart)
                   + QStringLiteral(" - hh:min:sec"));

    TariffText = ReadTariff(entryName).left(7);
    SecondBilling = ReadBilling(entryName);
    showFirstCharge();

    PendingFeeRecord = LocaleFormats::ShortDate(recordStart.date()) + u';' + LocaleFormats::LongTime(recordStart.time())
        + u';';
    if (continued)
        ExternStart = m_sessionStart;
    if (StartSettings.FeeRecord)
        PendingFeeRecord += line.Name + u';' + line.Phone + u';' + ReadTariff(entryName) + QStringLiteral(" Ct/min;");
    else
        PendingFeeRecord.clear();
    if (m_host)
        m_host->setWindowTitle(QStringLiteral("Externe DFÜ: ") + line.Name + QStringLiteral(" - RufNr.: ") + line.Phone
                               + QStringLiteral(" - ") + line.Fee + QStringLiteral(" €-Cent/min"));
}

void TRASWorkUnit::applyStateToControls(int state)
{
    auto *dial = control<QToolButton>("BtnDial");
    auto *stop = control<QToolButton>("BtnStopp");
    auto *combo = control<QComboBox>("ComboBoxRAS");
    auto *miDial = control<QAction>("MIDial");
    auto *miHangUp = control<QAction>("MIHangUp");
    auto *miStop = control<QAction>("MIStop");
    auto *miDialHang = control<QAction>("MIDialHang");
    auto *tray = m_host ? m_host->findChild<QSystemTrayIcon *>(QStringLiteral("TrayIcon")) : nullptr;
    auto *animate = control<QWidget>("Animate");
    auto enable = [](QAction *a, bool on) {
        if (a)
            a->setEnabled(on);
    };

    switch (state) {
    case Offline:
    case Ended:
        if (dial) {
            bindButton(dial, ActionConnect);
            dial->setVisible(true);
            dial->setEnabled(true);
        }
        ActionConnect->setEnabled(true);
        if (stop) {
            stop->setVisible(false);
            stop->setEnabled(state == Ended);
        }
        if (combo)
            combo->setEnabled(true);
        enable(miHangUp, false);
        enable(miDial, true);
        enable(miStop, false);
        bindItem(miDialHang, ActionConnect);
        enable(miDialHang, true);
        if (animate)
            animate->setProperty("active", false);
        if (tray)
            tray->setToolTip(QStringLiteral("Rufwerk [Offline]"));
        break;
    case Online:
        if (dial) {
            bindButton(dial, ActionDisconnect);
            dial->setVisible(true);
            dial->setEnabled(true);
        }
        ActionDisconnect->setEnabled(true);
        if (combo)
            combo->setEnabled(false);
        enable(miHangUp, true);
        enable(miDial, false);
        enable(miStop, false);
        bindItem(miDialHang, ActionDisconnect);
        enable(miDialHang, true);
        if (animate)
            animate->setProperty("active", true);
        if (tray)
            tray->setToolTip(QStringLiteral("Rufwerk [Online]"));
        break;
    case ExternalOnline:
        if (dial) {
            bindButton(dial, nullptr);
            if (QAction *old = dial->defaultAction()) {
                dial->removeAction(old);
                dial->setDefaultAction(nullptr);
            }
            dial->setText(QStringLiteral("Extern"));
            dial->setEnabled(false);
            dial->setVisible(true);
        }
        if (combo)
            combo->setEnabled(false);
        enable(miHangUp, false);
        enable(miDial, false);
        enable(miStop, false);
        bindItem(miDialHang, ActionDisconnect);
        enable(miDialHang, false);
        if (animate)
            animate->setProperty("active", true);
        if (tray)
            tray->setToolTip(QStringLiteral("Rufwerk [Extern]"));
        break;
    case Dialing:
        if (dial)
            dial->setVisible(false);
        if (stop) {
            bindButton(stop, ActionStopCon);
            stop->setVisible(true);
            stop->setEnabled(true);
        }
        ActionStopCon->setEnabled(true);
        if (combo)
            combo->setEnabled(false);
        enable(miHangUp, false);
        enable(miDial, false);
        enable(miStop, true);
        break;
    default:
        break;
    }
    if (m_host)
        m_host->setProperty("ConnectionState", state);
}

// --- dial supervision -----------------------------------------------------

void TRASWorkUnit::TimerProceedTimer()
{
    ++DialSeconds;
    if (auto *progress = control<QProgressBar>("WaitProgress"))
        progress->setValue(std::min(DialSeconds, progress->maximum()));
    setControlText("LabelTime", QString::number(DialSeconds) + QLatin1String(" sec."));
    const auto *spin = control<QSpinBox>("SpinEdit");
    const int limit = spin ? spin->value() : Timeout;
    if (DialSeconds >= limit) {
        TimerProceed->stop();
        DialSeconds = 0;
        HandleDialTimeout();
    }
}

void TRASWorkUnit::HandleDialTimeout()
{
    if (ConnectionState != Dialing)
        return;
    ActionStopCon->trigger();
    setControlText("MsgLabel", QStringLiteral("Abbruchzeit überschritten\nsiehe Protokoll"));
    AppendProtocol(QLatin1String("Abbruch-Laufzeit von: ") + QString::number(Timeout)
                   + QStringLiteral(" Sekunden wurde überschritten!"));
    AppendProtocol(QStringLiteral("Öffnen Sie \"VV Mehr...\" und erhöhen Sie den Wert von \"Timeout\""));
}

void TRASWorkUnit::HandleLineBusy()
{
    if (!MessageDialog::Question(QStringLiteral("Teilnehmer ist besetzt!\rWahl wiederholen?"), m_host))
        return;
    AppendProtocol(QStringLiteral("Wahl wiederholt"));
    Wait(RedialWait);
    ActionConnect->trigger();
}

void TRASWorkUnit::HandleEmergency()
{
    if (DFURec.NeppWarning)
        return;
    const int result = TFormEmerg::Execute(
        DFURec.NeppWarning,
        [this](bool checked) {
            if (checked != DFURec.NeppWarning) {
                DFURec.NeppWarning = checked;
                m_store->writeBool(RegKey::Ras(), QStringLiteral("NeppWarning"), checked);
            }
        },
        m_host);
    if (result != mrYes)
        return;
    // The evidence is on disk before the system may go down.
    writeProtocolFile(nullptr);
    if (SaveFeeList)
        SaveFeeList();
    TFormEmerg::RestartComputer(m_host);
}

// --- session protocol -----------------------------------------------------

QString TRASWorkUnit::ProtocolFileName() const
{
    return Folders::programFolder() + QLatin1String("Rufwerk-Log.TXT");
}

bool TRASWorkUnit::writeProtocolFile(QString *error)
{
    const QStringList lines = m_ownLists->Lines(QStringLiteral("Protocol"));
    if (lines.isEmpty())
        return true;
    return TextFile::writeLines(ProtocolFileName(), lines, error);
}

void TRASWorkUnit::AppendProtocol(const QString &line)
{
    m_ownLists->Append(QStringLiteral("Protocol"), line);
    // Written at once, so the evidence survives a crash or a forced restart.
    writeProtocolFile(nullptr);
}

void TRASWorkUnit::ActionShowLogExecute()
{
    QString error;
    if (!writeProtocolFile(&error)) {
        MessageDialog::Error(error, m_host);
        return;
    }
    const QString file = ProtocolFileName();
    TFormHelp form(m_host);
    if (QFile::exists(file)) {
        if (!form.loadFile(file, &error)) {
            MessageDialog::Error(error, m_host);
            return;
        }
    } else {
        form.setPlainLines({QStringLiteral("Noch kein Protokoll erstellt!")});
    }
    form.exec();
}
