// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormMain.h"

#include "ConnectionCommands.h"
#include "DialUp.h"
#include "DialUpService.h"
#include "DialogTools.h"
#include "Favorites.h"
#include "FeeReportCommand.h"
#include "Folders.h"
#include "FormHelp.h"
#include "Glyphs.h"
#include "HelpCommands.h"
#include "LogoForm.h"
#include "MainWidgets.h"
#include "MessageDialog.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "SettingsCommands.h"
#include "SettingsFailureReport.h"
#include "SettingsStore.h"
#include "SideBarMenu.h"
#include "SiteDownloadCommand.h"
#include "StartPrograms.h"
#include "TextFile.h"
#include "TrayStatus.h"
#include "WindowMessage.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString StartUpText = u"Start_Up.RTF"_s;
const QString StartUpShown = u"StartUp.RTF"_s;

QString trayStartHint()
{
    return u"Kovatek Rufwerk\rMehr Info unter \"Statusanzeige\"\rlinke MT = öffnen, rechte MT = Menü"_s;
}

QString lineBreaks(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

// The round dial and stop buttons; their text colour follows the state.
const char *RoundButtonStyle = R"(
QToolButton#BtnDial, QToolButton#BtnStopp {
    border: 2px solid #0b1118;
    border-radius: 31px;
    background: qradialgradient(cx:0.38, cy:0.3, radius:0.85, fx:0.38, fy:0.3,
                                stop:0 #5d6877, stop:0.55 #2c333d, stop:1 #161a20);
    color: #ffd84a;
    padding: 2px;
}
QToolButton#BtnDial:hover, QToolButton#BtnStopp:hover {
    border-color: #ffd84a;
}
QToolButton#BtnDial:pressed, QToolButton#BtnStopp:pressed {
    background: qradialgradient(cx:0.5, cy:0.6, radius:0.8, fx:0.5, fy:0.6,
                                stop:0 #3a424d, stop:1 #101317);
}
QToolButton#BtnDial[look="red"] { color: #ff6a5c; }
QToolButton#BtnDial:disabled { color: #c9504a; border-color: #3a3f46; }
)";

const char *PlainHintStyle = "QToolTip { color: #000000; background: #ffffe1; border: 1px solid #000000; }";
const char *ShapedHintStyle = "QToolTip { color: #1f2a36; background: #fff7c2; border: 1px solid #b59a2c;"
                              " border-radius: 7px; padding: 3px 5px; }";

QLabel *fieldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QGroupBox *helpGroup(const char *name, const QString &title, int helpContext, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    box->setProperty("HelpContext", helpContext);
    return box;
}

QToolButton *panelButton(const char *name, const QString &caption, Glyphs::Id glyph, QWidget *parent,
                         Qt::ToolButtonStyle style = Qt::ToolButtonTextBesideIcon)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setIcon(Glyphs::icon(glyph));
    button->setToolButtonStyle(style);
    button->setAutoRaise(false);
    return button;
}

} // namespace

// --- unit start-up --------------------------------------------------------

void TFormMain::PrepareFolders()
{
    // Downloaded sites live below the program folder.
    QDir().mkpath(Folders::urlFolder());
    Folders::moduleFolder();
    ProvideFirstUseText(QCoreApplication::applicationDirPath(), Folders::programFolder());
}

// --- construction ---------------------------------------------------------

TFormMain::TFormMain(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , FFeeLog(Folders::programFolder())
{
    setObjectName(u"FormMain"_s);
    SettingsFailureReport::Install(this);
    setWindowTitle(u"Rufwerk"_s);
    setWindowIcon(Glyphs::appIcon());
    setProperty("HelpContext", 810);
    setFixedWidth(FormWidth);
    setMinimumHeight(MinHeight);
    setMaximumHeight(MaxHeight);

    // The engine looks the string lists up by name, so they exist before it.
    RASStrList = new TRASStrList(this);

    buildActions();
    buildMenus();

    auto *central = new QWidget(this);
    central->setObjectName(u"CentralWidget"_s);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    HeaderControl = new QHeaderView(Qt::Horizontal, central);
    HeaderControl->setObjectName(u"HeaderControl"_s);
    auto *headerModel = new QStandardItemModel(0, 4, HeaderControl);
    const QStringList headers = {u"DFÜ-Name"_s, u"Gerät"_s, u"kb/s"_s, u"Gerätename"_s};
    for (int i = 0; i < headers.size(); ++i)
        headerModel->setHeaderData(i, Qt::Horizontal, headers.at(i));
    HeaderControl->setModel(headerModel);
    HeaderControl->setSectionsMovable(false);
    HeaderControl->setSectionsClickable(false);
    HeaderControl->setHighlightSections(false);
    HeaderControl->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    HeaderControl->setStretchLastSection(true);
    const int widths[4] = {165, 80, 50, 218};
    for (int i = 0; i < 4; ++i)
        HeaderControl->resizeSection(i, widths[i]);
    HeaderControl->setFixedHeight(HeaderControl->sizeHint().height());
    column->addWidget(HeaderControl);

    BMPRas = new QWidget(central);
    BMPRas->setObjectName(u"BMPRas"_s);
    BMPRas->setProperty("HelpContext", 810);
    buildCompactPanel(BMPRas);
    column->addWidget(BMPRas, 1);

    PanelMore = new QWidget(central);
    PanelMore->setObjectName(u"PanelMore"_s);
    PanelMore->setProperty("HelpContext", 811);
    PanelMore->setFixedHeight(PanelMoreHeight);
    buildPanelMore(PanelMore);
    PanelMore->hide();
    column->addWidget(PanelMore);

    setCentralWidget(central);
    buildTray();

    FTrayTimer = new QTimer(this);
    FTrayTimer->setObjectName(u"TrayTimer"_s);
    FTrayTimer->setInterval(TrayCycleInterval);
    connect(FTrayTimer, &QTimer::timeout, this, [this] {
        FTrayImage = (FTrayImage + 1) % Glyphs::TrayImages;
        updateTrayImage();
    });

    setStyleSheet(QLatin1String(RoundButtonStyle));
    qApp->installEventFilter(this);

    FormCreate();
}

TFormMain::~TFormMain()
{
    Shutdown();
    qApp->removeEventFilter(this);
    // The engine goes while the controls it knows still exist.
    delete engine;
    engine = nullptr;
    SettingsFailureReport::Uninstall(this);
}

QAction *TFormMain::commandAction(const char *name, const QString &caption, const QString &keys, const QIcon &icon)
{
    auto *action = new QAction(icon, caption, this);
    action->setObjectName(QLatin1String(name));
    if (!keys.isEmpty())
        action->setShortcut(QKeySequence(keys));
    return action;
}

void TFormMain::connectCommand(QAction *action)
{
    const QString command = action->property("command").toString();
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
}

QAction *TFormMain::commandItem(const CommandItem &item)
{
    QAction *action = commandAction(item.name, item.caption, QString(), Glyphs::icon(item.glyph));
    action->setProperty("command", item.command);
    if (!item.hint.isEmpty())
        SetHint(action, item.hint);
    connectCommand(action);
    return action;
}

void TFormMain::buildActions()
{
    // The connection items show their keys only: the engine's actions, bound
    // to the dial and stop buttons, carry the same keys, and two actions on
    // one key would cancel each other out.
    // In the system's words ("Strg" on a German desktop).
    const auto keys = [](const QString &sequence) -> QString {
        return u'\t' + QKeySequence(sequence).toString(QKeySequence::NativeText);
    };
    MIDial = commandAction("MIDial", u"&Wählen"_s + keys(u"Ctrl+Alt+C"_s), QString(), Glyphs::icon(Glyphs::Dial));
    MIStop = commandAction("MIStop", u"&Stop"_s + keys(u"Ctrl+Alt+S"_s), QString(), Glyphs::icon(Glyphs::Stop));
    MIHangUp = commandAction("MIHangUp", u"&Auflegen"_s + keys(u"Ctrl+Alt+D"_s), QString(),
                             Glyphs::icon(Glyphs::HangUp));
    connect(MIDial, &QAction::triggered, this, [this] {
        if (engine)
            engine->ActionConnect->trigger();
    });
    connect(MIStop, &QAction::triggered, this, [this] {
        if (engine)
            engine->ActionStopCon->trigger();
    });
    connect(MIHangUp, &QAction::triggered, this, [this] {
        if (engine)
            engine->ActionDisconnect->trigger();
    });
    MIExit = commandAction("MIExit", u"&Beenden"_s, u"Alt+F4"_s, Glyphs::icon(Glyphs::Exit));
    connect(MIExit, &QAction::triggered, this, &QWidget::close);

    ActFeeProt = commandAction("ActFeeProt", u"&Gebühren-Protokoll"_s, QString(), Glyphs::icon(Glyphs::FeeReport));
    ActFeeProt->setEnabled(false); // until the engine applies the settings
    ActFeeProt->setProperty("command", u"FeeReport"_s);
    connectCommand(ActFeeProt);

    const CommandItem entryActions[] = {
        {"ActEditAdvan", u"DFÜ &Ändern"_s, u"EditAdvanced"_s, u"Aktuelle DFÜ-Verbindung ändern"_s, Glyphs::Edit},
        {"ActNewAdvan", u"DFÜ &Anlegen"_s, u"NewAdvanced"_s, QString(), Glyphs::New},
        {"ActRename", u"&Umbenennen"_s, u"Rename"_s,
         u"Hiermit kann die aktuelle \r\nDFÜ-Verbindungen umbenannt werden.\r\n"_s, Glyphs::Rename},
        {"ActDelete", u"&Löschen"_s, u"Delete"_s,
         u"Hiermit kann die aktuelle\r\nDFÜ-Verbindungen gelöscht werden.\r\n"_s, Glyphs::Delete},
    };
    for (const CommandItem &item : entryActions)
        commandItem(item);
    QAction *pwClear = commandAction("ActPWClear", u"&Passwort im Klartext"_s);
    pwClear->setProperty("command", u"PasswordClear"_s);
    connectCommand(pwClear);

    // Run by code after the phone book changed.
    QAction *entriesChanged = commandAction("ActionEnriesChanged", u"ActionEnriesChanged"_s);
    connect(entriesChanged, &QAction::triggered, this, [this] {
        if (!engine)
            return;
        engine->ReloadConnectionModule();
        engine->SelectConnection();
        // What the selector shows is what is dialed and charged; a line in use
        // keeps the values it was dialed with.
        if (engine->ConnectionState == Offline || engine->ConnectionState == Ended)
            engine->ApplyCurrentConnection();
    });
}

void TFormMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(u"MainMenu"_s);

    auto protocol = [this](const char *name) {
        auto *action = commandAction(name, u"&Sitzungs-Protokoll"_s, QString(), Glyphs::icon(Glyphs::Protocol));
        connect(action, &QAction::triggered, this, [this] {
            if (engine)
                engine->ActionShowLog->trigger();
        });
        return action;
    };

    QMenu *actions = bar->addMenu(u"&Aktionen"_s);
    actions->setObjectName(u"MIActions"_s);
    actions->addAction(MIDial);
    actions->addAction(MIStop);
    actions->addAction(MIHangUp);
    actions->addSeparator();
    actions->addAction(protocol("MIProtocolMain"));
    actions->addAction(ActFeeProt);
    actions->addSeparator();
    actions->addAction(MIExit);

    QMenu *connection = bar->addMenu(u"DFÜ-&Verbindung"_s);
    connection->setObjectName(u"MIConnection"_s);
    for (const char *name : {"ActEditAdvan", "ActNewAdvan", "ActRename", "ActDelete"})
        connection->addAction(findChild<QAction *>(QLatin1String(name)));
    connection->addSeparator();
    QAction *list = commandAction("MIDFUList", u"DFÜ &Liste"_s, QString(), Glyphs::icon(Glyphs::Menu));
    list->setProperty("command", u"ConnectionList"_s);
    connectCommand(list);
    connection->addAction(list);

    MIFavorites = commandAction("MIFavorites", u"&Favoriten"_s);
    MIFavorites->setProperty("command", u"Favorites"_s);
    connectCommand(MIFavorites);
    bar->addAction(MIFavorites);

    QMenu *startProgs = bar->addMenu(u"&Startprogramme"_s);
    startProgs->setObjectName(u"MIStartProgsMain"_s);
    QAction *run = commandAction("MIRunStartProg", u"&Ausführen"_s, u"F12"_s, Glyphs::icon(Glyphs::Launch));
    run->setProperty("command", u"StartProgramMenuMain"_s);
    connectCommand(run);
    startProgs->addAction(run);
    startProgs->addSeparator();
    QAction *editProgs = commandAction("MIEditStartProgs", u"&Bearbeiten"_s, QString(), Glyphs::icon(Glyphs::Edit));
    editProgs->setProperty("command", u"EditStartPrograms"_s);
    connectCommand(editProgs);
    startProgs->addAction(editProgs);

    QAction *settings = commandAction("MISettings", u"&Einstellung"_s, u"F11"_s);
    SetHint(settings, u"Programmeinstellung [ F11 ]"_s);
    settings->setProperty("command", u"Settings"_s);
    connectCommand(settings);
    bar->addAction(settings);

    // Help menu, also the drop-down of BtnHelp.
    PMHelp = new QMenu(this);
    PMHelp->setObjectName(u"PMHelp"_s);
    const CommandItem helpItems[] = {
        {"MIHelp", u"Programm-&Hilfe"_s, u"Help"_s, QString(), Glyphs::Help},
        {"MISearchHelp", u"&Stichwort suchen"_s, u"SearchHelp"_s, u"Per Stichwort Hilfe suchen"_s, Glyphs::Help},
        {"MIHelpHint", u"&Hilfshinweise"_s, u"HelpOnHelp"_s, QString(), Glyphs::Help},
    };
    for (const CommandItem &item : helpItems)
        PMHelp->addAction(commandItem(item));
    PMHelp->addSeparator();
    QAction *readme = commandAction("PMIReadme", u"&Inbetriebnahme"_s, QString(), Glyphs::icon(Glyphs::Protocol));
    SetHint(readme, u"Erste Inbetriebnahme des Rufwerks"_s);
    connect(readme, &QAction::triggered, this, &TFormMain::PMIReadmeClick);
    PMHelp->addAction(readme);
    PMHelp->addSeparator();
    QAction *info = commandAction("MIInfo", u"Programm-&Info"_s, QString(), Glyphs::icon(Glyphs::Info));
    info->setProperty("command", u"About"_s);
    connectCommand(info);
    PMHelp->addAction(info);

    QAction *help = commandAction("MIHelpMain", u"&Hilfe"_s);
    connect(help, &QAction::triggered, this, [this] { PMHelp->popup(QCursor::pos() + QPoint(0, 10)); });
    bar->addAction(help);

    // Task menu, the drop-down of BtnMenuOptions.
    PMTaskmenu = new QMenu(this);
    PMTaskmenu->setObjectName(u"PMTaskmenu"_s);
    QAction *taskSettings
        = commandAction("MITaskSettings", u"&Einstellungen\tF11"_s, QString(), Glyphs::icon(Glyphs::Settings));
    taskSettings->setProperty("command", u"Settings"_s);
    connectCommand(taskSettings);
    PMTaskmenu->addAction(taskSettings);
    QAction *taskRun
        = commandAction("MITaskStartProg", u"&Programm starten...\tF12"_s, QString(), Glyphs::icon(Glyphs::Launch));
    taskRun->setProperty("command", u"RunStartProgram"_s);
    connectCommand(taskRun);
    PMTaskmenu->addAction(taskRun);
    PMTaskmenu->addAction(protocol("MIProtocolTask"));
    PMTaskmenu->addAction(ActFeeProt);
    PMTaskmenu->addSeparator();
    QMenu *dialMode = PMTaskmenu->addMenu(u"&Wählverfahren"_s);
    dialMode->setObjectName(u"MIDialMode"_s);
    auto *group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    MISynchron = commandAction("MISynchron", u"&Synchron"_s);
    MIAsynchron = commandAction("MIAsynchron", u"&Asynchron"_s);
    for (QAction *action : {MISynchron, MIAsynchron}) {
        action->setCheckable(true);
        group->addAction(action);
        dialMode->addAction(action);
    }
    MIAsynchron->setChecked(true);
    connect(MISynchron, &QAction::triggered, this, &TFormMain::MISynchronClick);
    // "Asynchron" has no action of its own: a click leaves the ticks as the engine set them.
    connect(MIAsynchron, &QAction::triggered, this, [this] {
        const bool async = engine ? engine->DFURec.SyncAsync == 1 : true;
        MIAsynchron->setChecked(async);
        MISynchron->setChecked(!async);
    });
}

void TFormMain::buildCompactPanel(QWidget *panel)
{
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 5, 6, 5);
    grid->setHorizontalSpacing(5);
    grid->setVerticalSpacing(4);

    // Dial and stop share one place; the dial button covers the stop button.
    auto *dialPlace = new QWidget(panel);
    dialPlace->setObjectName(u"DialPlace"_s);
    dialPlace->setFixedSize(64, 64);
    auto *stack = new QGridLayout(dialPlace);
    stack->setContentsMargins(0, 0, 0, 0);
    BtnStopp = new QToolButton(dialPlace);
    BtnStopp->setObjectName(u"BtnStopp"_s);
    BtnStopp->setText(u"&Stop"_s);
    BtnDial = new QToolButton(dialPlace);
    BtnDial->setObjectName(u"BtnDial"_s);
    BtnDial->setText(u"&Wählen"_s);
    for (QToolButton *round : {BtnStopp, BtnDial}) {
        round->setFixedSize(64, 64);
        round->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        round->setIconSize(QSize(26, 26));
        QFont f = round->font();
        f.setBold(true);
        f.setPointSizeF(std::max(7.0, f.pointSizeF() - 1.0));
        round->setFont(f);
        round->setCursor(Qt::PointingHandCursor);
        stack->addWidget(round, 0, 0);
    }
    BtnDial->setIcon(Glyphs::icon(Glyphs::Dial));
    BtnStopp->setIcon(Glyphs::icon(Glyphs::Stop));
    BtnStopp->hide();
    BtnDial->raise();
    SetHint(BtnDial, u"Verbindung aufbauen / abbauen"_s);
    SetHint(BtnStopp, u"Operationsabbruch"_s);
    grid->addWidget(dialPlace, 0, 0, 2, 1, Qt::AlignCenter);

    Animate = new TAnimate(panel);
    Animate->setObjectName(u"Animate"_s);
    Animate->setFixedSize(40, 40);
    Animate->setOpaqueBackground(true); // the panel is plain: a step repaints only the globe
    SetHint(Animate, u"Onlinestatus, Onlinezeit|Onlinestatus und Onlinezeit"_s);
    grid->addWidget(Animate, 0, 1, 2, 1, Qt::AlignCenter);

    MsgLabel = new QLabel(panel);
    MsgLabel->setObjectName(u"MsgLabel"_s);
    MsgLabel->setWordWrap(true);
    MsgLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    MsgLabel->setAutoFillBackground(true);
    MsgLabel->setFrameShape(QFrame::StyledPanel);
    MsgLabel->setFrameShadow(QFrame::Sunken);
    MsgLabel->setMargin(3);
    MsgLabel->setMinimumWidth(150);
    MsgLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    {
        QPalette pal = MsgLabel->palette();
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::WindowText, QColor(0x1f, 0x2a, 0x36));
        MsgLabel->setPalette(pal);
        QFont f = MsgLabel->font();
        f.setPointSizeF(std::max(7.0, f.pointSizeF() - 1.0));
        MsgLabel->setFont(f);
    }
    MsgLabel->installEventFilter(this);
    SetHint(MsgLabel, u"Sitzungsprotokoll mit\r\nDoppelklick in anzeigen|Sitzungsprotokoll mit Doppelklick in anzeigen"_s);
    grid->addWidget(MsgLabel, 0, 2, 2, 2);

    auto readOnlyField = [panel](const char *name, const QString &text) {
        auto *edit = new QLineEdit(text, panel);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignCenter);
        edit->setFocusPolicy(Qt::NoFocus);
        QFont f = edit->font();
        f.setBold(true);
        edit->setFont(f);
        edit->setFixedWidth(82);
        return edit;
    };
    EditOnline = readOnlyField("EditOnline", u"00:00:00"_s);
    EditCurrent = readOnlyField("EditCurrent", u"0,00 €"_s);
    SetHint(EditOnline, u"Onlinezeit"_s);
    SetHint(EditCurrent, u"Onlinezeit"_s);
    grid->addWidget(fieldLabel(u"Zeit:"_s, panel), 0, 4);
    grid->addWidget(EditOnline, 0, 5);
    grid->addWidget(fieldLabel(u"Gebühr:"_s, panel), 1, 4);
    grid->addWidget(EditCurrent, 1, 5);

    // Bottom row: the connection, the favourites and the start programs.
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(4);
    ComboBoxRAS = new QComboBox(panel);
    ComboBoxRAS->setObjectName(u"ComboBoxRAS"_s);
    ComboBoxRAS->setProperty("HelpContext", 21);
    ComboBoxRAS->setMinimumWidth(150);
    ComboBoxRAS->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBoxRAS->setMinimumContentsLength(12);
    SetHint(ComboBoxRAS, u"Liste der DFÜ-Verbindungen|Liste der DFÜ-Verbindungen"_s);
    connect(ComboBoxRAS, &QComboBox::activated, this, &TFormMain::ComboBoxRASSelect);
    bottom->addWidget(ComboBoxRAS, 3);

    BtnFavorite = panelButton("BtnFavorite", u"&Favoriten"_s, Glyphs::Favorites, panel);
    SetHint(BtnFavorite, u"Favorite|Favoriten laden / speichern"_s);
    // A drop-down button: the favourites commands give it its menu.
    bottom->addWidget(BtnFavorite);

    ComboBoxStartProg = new QComboBox(panel);
    ComboBoxStartProg->setObjectName(u"ComboBoxStartProg"_s);
    ComboBoxStartProg->setProperty("HelpContext", 20);
    ComboBoxStartProg->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBoxStartProg->setMinimumContentsLength(8);
    SetHint(ComboBoxStartProg, u"Starprogramme:\r\nWählen Sie aus der aufklappbaren Liste\r\nein Programm, welches Sie "
                               "online oder\r\noffline starten möchten.\r\n|Startprogramm aus Liste wählen"_s);
    ComboBoxStartProg->installEventFilter(this);
    bottom->addWidget(ComboBoxStartProg, 2);

    SBStart = new QToolButton(panel);
    SBStart->setObjectName(u"SBStart"_s);
    SBStart->setIcon(Glyphs::icon(Glyphs::Launch));
    SBStart->setAutoRaise(true);
    SetHint(SBStart, u"Angezeigtes Programm\r\nonline oder offline starten|Das angezeigte Programm starten"_s);
    connect(SBStart, &QToolButton::clicked, this, [this] { RunCommand(u"RunStartProgram"_s); });
    bottom->addWidget(SBStart);
    grid->addLayout(bottom, 2, 0, 1, 6);

    // Right strip: more, menu, help, end.
    auto *strip = new QVBoxLayout;
    strip->setSpacing(2);
    BtnMore = panelButton("BtnMore", u"&Mehr..."_s, Glyphs::More, panel);
    SetHint(BtnMore, u"Bearbeitungsbereich"_s);
    connect(BtnMore, &QToolButton::clicked, this, &TFormMain::BtnMoreClick);
    BtnMenuOptions = panelButton("BtnMenuOptions", u"&Menü"_s, Glyphs::Menu, panel);
    BtnMenuOptions->setMenu(PMTaskmenu);
    BtnMenuOptions->setPopupMode(QToolButton::InstantPopup);
    SetHint(BtnMenuOptions, u"Bearbeitungsbereich"_s);
    BtnHelp = panelButton("BtnHelp", u"&Hilfe"_s, Glyphs::Help, panel);
    BtnHelp->setMenu(PMHelp);
    BtnHelp->setPopupMode(QToolButton::InstantPopup);
    SetHint(BtnHelp, u"Hilfe aufrufen"_s);
    BtnExit = panelButton("BtnExit", u"&Ende"_s, Glyphs::Exit, panel);
    SetHint(BtnExit, u"Programmende"_s);
    connect(BtnExit, &QToolButton::clicked, this, &QWidget::close);
    for (QToolButton *button : {BtnMore, BtnMenuOptions, BtnHelp, BtnExit}) {
        button->setIconSize(QSize(16, 16));
        button->setFixedWidth(86);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        strip->addWidget(button);
    }
    grid->addLayout(strip, 0, 6, 3, 1);
    grid->setColumnStretch(2, 1);
}

void TFormMain::buildPanelMore(QWidget *panel)
{
    // Three groups and the status bar share 249 pixels: a size smaller type.
    QFont small = panel->font();
    small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1.0));
    panel->setFont(small);

    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(4, 2, 4, 0);
    column->setSpacing(2);

    // 1. Current connection data
    QGroupBox *dataBox = helpGroup("GBConnData", u" Aktuelle Verbindungsdaten "_s, 26, panel);
    auto *dataGrid = new QGridLayout(dataBox);
    dataGrid->setContentsMargins(5, 2, 5, 4);
    dataGrid->setHorizontalSpacing(3);
    dataGrid->setVerticalSpacing(2);
    EditUserName = new QLineEdit(dataBox);
    EditUserName->setObjectName(u"EditUserName"_s);
    EditPassword = new QLineEdit(dataBox);
    EditPassword->setObjectName(u"EditPassword"_s);
    EditPassword->setEchoMode(QLineEdit::Password);
    EditPassword->setStyleSheet(u"lineedit-password-character: 42;"_s);
    for (QLineEdit *edit : {EditUserName, EditPassword}) {
        edit->setProperty("HelpContext", 26);
        edit->setMaxLength(35);
        edit->setEnabled(false); // unlocked by the standard create command
        edit->setFixedWidth(62);
        // The engine sets whole names: show their start, not their end.
        connect(edit, &QLineEdit::textChanged, edit, [edit] {
            if (!edit->hasFocus())
                edit->setCursorPosition(0);
        });
    }
    auto valueLabel = [dataBox](const char *name) {
        auto *label = new QLabel(dataBox);
        label->setObjectName(QLatin1String(name));
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, QColor(Qt::darkBlue));
        label->setPalette(pal);
        return label;
    };
    LblTelNum = valueLabel("LblTelNum");
    LblFee = valueLabel("LblFee");
    LblTact = valueLabel("LblTact");
    dataGrid->addWidget(fieldLabel(u"Nutzername:"_s, dataBox), 0, 0);
    dataGrid->addWidget(EditUserName, 0, 1);
    dataGrid->addWidget(fieldLabel(u"Passwort:"_s, dataBox), 1, 0);
    dataGrid->addWidget(EditPassword, 1, 1);
    dataGrid->addWidget(fieldLabel(u"Rufnummer:"_s, dataBox), 0, 2);
    // The phone number gets a row of its own: a premium number must be readable in full.
    dataGrid->addWidget(LblTelNum, 0, 3);
    dataGrid->addWidget(fieldLabel(u"Gebühr:"_s, dataBox), 1, 2);
    auto *feeRow = new QHBoxLayout;
    feeRow->setSpacing(3);
    feeRow->addWidget(LblFee);
    feeRow->addWidget(new QLabel(u"€-Ct/Min"_s, dataBox));
    feeRow->addSpacing(4);
    feeRow->addWidget(new QLabel(u"Takt:"_s, dataBox));
    feeRow->addWidget(LblTact);
    feeRow->addStretch();
    dataGrid->addLayout(feeRow, 1, 3);
    dataGrid->setColumnStretch(3, 1);
    // A long phone number must not push the help button out of the window.
    LblTelNum->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *onlineHelp = panelButton("BtnOnlineHelp", MessageDialog::DisplayText(u"       DFÜ\r\nOnline Hilfe"_s),
                                   Glyphs::OnlineHelp, dataBox, Qt::ToolButtonTextOnly);
    QFont helpFont = small;
    helpFont.setPointSizeF(std::max(6.5, small.pointSizeF() - 0.5));
    onlineHelp->setFont(helpFont);
    onlineHelp->setFixedSize(64, 40);
    SetHint(onlineHelp, u"Online Hilfe zu DFÜ-Einstellungen"_s);
    connect(onlineHelp, &QToolButton::clicked, this, [this] { RunCommand(u"OnlineHelp"_s); });
    dataGrid->addWidget(onlineHelp, 0, 4, 2, 1, Qt::AlignVCenter);
    column->addWidget(dataBox);

    // 2. Edit and create connections
    QGroupBox *editBox = helpGroup("GBConnEdit", u" Verbindung bearbeiten, neu anlegen "_s, 22, panel);
    auto *editRow = new QHBoxLayout(editBox);
    editRow->setContentsMargins(6, 0, 6, 4);
    editRow->setSpacing(6);
    auto subGroup = [editBox](const char *name, const QString &title) {
        QGroupBox *box = helpGroup(name, title, 22, editBox);
        auto *row = new QHBoxLayout(box);
        row->setContentsMargins(4, 0, 4, 3);
        row->setSpacing(3);
        return box;
    };
    // Text only: six captions side by side leave no room for glyphs.
    auto sized = [](QToolButton *button) {
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(56);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return button;
    };
    QGroupBox *standard = subGroup("GBStandard", u" Standard-Bearbeitung "_s);
    auto *btnEdit = sized(panelButton("BtnEditEntry", u"Editieren"_s, Glyphs::Edit, standard));
    SetHint(btnEdit, u"Mit diesen Schaltern wird die \"Standard Bearbeitung\"\r\nfür DFÜ-Verbindungen mit Hilfe von "
                     "Windows-\r\nDialogen aufgerufen.\r\n\r\nWeitere ausführliche Hilfe:\r\n Siehe Schalter \"Online "
                     "Hilfe\"."_s);
    connect(btnEdit, &QToolButton::clicked, this, [this] { RunCommand(u"EditEntry"_s); });
    auto *btnCreate = sized(panelButton("btnCreateEntry", u"Anlegen"_s, Glyphs::New, standard));
    SetHint(btnCreate, u"Mit diesen Schaltern wird der Windows\r\nDialog zur Anlage von DFÜ-Verbindungen\r\ngeöffnet."
                       "\r\nNach der Anlage müssen noch die\r\n\"Verbindungsdaten\" eingegeben werden.\r\n\r\nWeitere "
                       "ausführliche Hilfe:\r\nSiehe Schalter \"Online Hilfe\"."_s);
    connect(btnCreate, &QToolButton::clicked, this, [this] { RunCommand(u"CreateEntry"_s); });
    standard->layout()->addWidget(btnEdit);
    standard->layout()->addWidget(btnCreate);
    editRow->addWidget(standard, 2);

    QGroupBox *advanced = subGroup("GBAdvanced", u" Fortgeschrittene-Bearbeitung "_s);
    const char *advancedNames[][2] = {{"BtnEditAdvan", "ActEditAdvan"},
                                      {"BtnNewAdvan", "ActNewAdvan"},
                                      {"BtnRename", "ActRename"},
                                      {"BtnDelete", "ActDelete"}};
    for (const auto &names : advancedNames) {
        auto *button = new QToolButton(advanced);
        button->setObjectName(QLatin1String(names[0]));
        button->setDefaultAction(findChild<QAction *>(QLatin1String(names[1])));
        advanced->layout()->addWidget(sized(button));
    }
    editRow->addWidget(advanced, 4);
    column->addWidget(editBox);

    // 3. Dial time-out
    QGroupBox *timeoutBox = helpGroup("GBTimeout", u" Leerlauf Abbruchzeitintervall "_s, 27, panel);
    auto *timeGrid = new QGridLayout(timeoutBox);
    timeGrid->setContentsMargins(6, 2, 6, 4);
    timeGrid->setHorizontalSpacing(4);
    timeGrid->setVerticalSpacing(2);
    Edit0 = new QLineEdit(u"0"_s, timeoutBox);
    Edit0->setObjectName(u"Edit0"_s);
    Edit0->setReadOnly(true);
    Edit0->setFocusPolicy(Qt::NoFocus);
    Edit0->setAlignment(Qt::AlignCenter);
    Edit0->setFixedWidth(28);
    WaitProgress = new QProgressBar(timeoutBox);
    WaitProgress->setObjectName(u"WaitProgress"_s);
    WaitProgress->setRange(0, 60);
    WaitProgress->setValue(0);
    WaitProgress->setTextVisible(false);
    WaitProgress->setFixedHeight(14);
    SetHint(WaitProgress, u"Verbindungszeit"_s);
    SpinEdit = new QSpinBox(timeoutBox);
    SpinEdit->setObjectName(u"SpinEdit"_s);
    SpinEdit->setProperty("HelpContext", 27);
    SpinEdit->setRange(20, 1000);
    SpinEdit->setValue(60);
    SpinEdit->setAlignment(Qt::AlignRight);
    SpinEdit->setFixedWidth(62);
    SetHint(SpinEdit, u"Leerlaufabbruch - sollte [ 20'' + Zeitablauf ] \r\neingestellt werden; min. 60 Sekunden"_s);
    connect(SpinEdit, &QSpinBox::valueChanged, this, &TFormMain::SpinEditChange);
    auto *btnStopIt = panelButton("BtnStopIt", u"Stop"_s, Glyphs::Stop, timeoutBox);
    btnStopIt->setIconSize(QSize(14, 14));
    btnStopIt->setFixedWidth(70);
    SetHint(btnStopIt, u"Operationsabbruch"_s);
    connect(btnStopIt, &QToolButton::clicked, this, &TFormMain::BtnStopItClick);
    auto *btnGetMes = panelButton("BtnGetMes", QString(), Glyphs::Exchange, timeoutBox, Qt::ToolButtonIconOnly);
    btnGetMes->setIconSize(QSize(22, 22));
    btnGetMes->setFixedSize(40, 40);
    SetHint(btnGetMes, u"Datenaustausch Test\r\nAnzeige in Statuszeile|Datenaustausch Test, Anzeige in Statuszeile"_s);
    connect(btnGetMes, &QToolButton::clicked, this, &TFormMain::BtnGetMesClick);
    LabelTime = new QLabel(u"0 sec."_s, timeoutBox);
    LabelTime->setObjectName(u"LabelTime"_s);
    QFont bold = LabelTime->font();
    bold.setBold(true);
    LabelTime->setFont(bold);
    timeGrid->addWidget(Edit0, 0, 0);
    timeGrid->addWidget(WaitProgress, 0, 1, 1, 2);
    timeGrid->addWidget(SpinEdit, 0, 3);
    timeGrid->addWidget(new QLabel(u"sec."_s, timeoutBox), 0, 4);
    timeGrid->addWidget(btnStopIt, 0, 5);
    auto *timeRow = new QHBoxLayout;
    timeRow->setSpacing(6);
    timeRow->addWidget(new QLabel(u"Zeitablauf bis zur Verbindung:"_s, timeoutBox));
    timeRow->addWidget(LabelTime);
    timeRow->addStretch();
    timeGrid->addLayout(timeRow, 1, 0, 1, 6);
    timeGrid->addWidget(btnGetMes, 0, 6, 2, 1, Qt::AlignVCenter);
    timeGrid->setColumnStretch(2, 1);
    column->addWidget(timeoutBox);

    column->addStretch();
    StatusBar = new QStatusBar(panel);
    StatusBar->setObjectName(u"StatusBar"_s);
    StatusBar->setSizeGripEnabled(false);
    buildStatusBar(StatusBar);
    column->addWidget(StatusBar);
}

void TFormMain::buildStatusBar(QStatusBar *bar)
{
    struct Panel
    {
        QString text;
        int width;
        QString hint;
    };
    const Panel panels[6] = {
        {u"Local IP"_s, 85, u"Lokale IP-Adresse"_s},   {u"Send"_s, 55, u"Gesendete Zeichen"_s},
        {QString(), 40, u"Aktivitätsanzeige"_s},       {u"Receive"_s, 60, u"Empfangene Zeichen"_s},
        {u"Remote IP"_s, 85, u"Remote IP-Adresse"_s}, {QString(), 50, u"..."_s},
    };
    for (int i = 0; i < 6; ++i) {
        QLabel *label = nullptr;
        if (i == 2) {
            Gauge = new TActivityGauge(bar);
            label = Gauge;
        } else if (i == 5) {
            label = new TEllipsisLabel(bar);
            StatusPanel5 = label;
        } else {
            label = new TEllipsisLabel(bar);
        }
        label->setObjectName(u"StatusPanel%1"_s.arg(i));
        label->setText(panels[i].text);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setToolTip(panels[i].hint);
        // Room for the longest address and for seven-digit counters at the
        // desktop's font, never less than the classic widths.
        int width = panels[i].width;
        if (i == 0 || i == 4)
            width = std::max(width, label->fontMetrics().horizontalAdvance(u"255.255.255.255"_s) + 8);
        else if (i == 1 || i == 3)
            width = std::max(width, label->fontMetrics().horizontalAdvance(u"9999999"_s) + 8);
        if (i == 5) {
            label->setMinimumWidth(width);
            bar->addWidget(label, 1);
        } else {
            label->setFixedWidth(width);
            bar->addWidget(label);
        }
    }
}

void TFormMain::buildTray()
{
    TrayIcon = new QSystemTrayIcon(Glyphs::trayIcon(0), this);
    TrayIcon->setObjectName(u"TrayIcon"_s);
    TrayIcon->setToolTip(u"Kovatek Rufwerk"_s);

    BarPopupMenu = new TSideBarMenu(u"Rufwerk"_s, this);
    BarPopupMenu->setObjectName(u"BarPopupMenu"_s);
    QAction *show = commandAction("MIAltruf", u"&Kovatek Rufwerk"_s, QString(), Glyphs::appIcon());
    SetHint(show, u"Rufwerk rückladen"_s);
    connect(show, &QAction::triggered, this, &TFormMain::showMainWindow);
    BarPopupMenu->addAction(show);
    const CommandItem top[] = {
        {"MIStartProgs", u"&Startprogramme"_s, u"StartProgramMenu"_s, u"Startprogramme"_s, Glyphs::StartProgs},
        {"MIProgInfo", u"&Programminfo"_s, u"ProgramInfo"_s, u"Programm-Kurzinformation"_s, Glyphs::Info},
    };
    for (const CommandItem &item : top)
        BarPopupMenu->addAction(commandItem(item));
    // Bound by the engine to its connect or disconnect action.
    MIDialHang = commandAction("MIDialHang", u"&Wählen"_s, QString(), Glyphs::icon(Glyphs::Dial));
    BarPopupMenu->addAction(MIDialHang);
    BarPopupMenu->addSeparator();
    QAction *protocol = commandAction("MIProtocol", u"&Sitzungs-Protokoll"_s, QString(), Glyphs::icon(Glyphs::Protocol));
    connect(protocol, &QAction::triggered, this, [this] {
        if (engine)
            engine->ActionShowLog->trigger();
    });
    BarPopupMenu->addAction(protocol);
    QAction *cost = commandAction("MICostReport", u"&Gebühren-Protokoll"_s, QString(), Glyphs::icon(Glyphs::FeeReport));
    cost->setEnabled(false);
    connect(ActFeeProt, &QAction::changed, cost, [this, cost] { cost->setEnabled(ActFeeProt->isEnabled()); });
    connect(cost, &QAction::triggered, ActFeeProt, &QAction::trigger);
    BarPopupMenu->addAction(cost);
    BarPopupMenu->addSeparator();
    QAction *status = commandAction("MIStatus", u"Statusanzeige"_s, QString(), Glyphs::icon(Glyphs::Status));
    SetHint(status, u"Statusanzeige"_s);
    status->setProperty("command", u"StatusBalloon"_s);
    connectCommand(status);
    BarPopupMenu->addAction(status);
    BarPopupMenu->addSeparator();
    QAction *exit = commandAction("MIProgExit", u"&Programm &beenden\tAlt+F4"_s, QString(), Glyphs::icon(Glyphs::Exit));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    BarPopupMenu->addAction(exit);
    TrayIcon->setContextMenu(BarPopupMenu);

    connect(TrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            showMainWindow();
    });
}

// --- FormCreate -----------------------------------------------------------

bool TFormMain::TrayIconAvailable() const
{
    return TrayAvailable ? TrayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TFormMain::FormCreate()
{
    // 1. Favourites
    FavoritesAvailable = FavoritesOffered ? FavoritesOffered() : true;
    BtnFavorite->setVisible(FavoritesAvailable);
    MIFavorites->setVisible(FavoritesAvailable);

    // 2. Start settings
    StartSettings.Read(SettingsStore::instance());

    // 3. Splash window; it frees itself when closed.
    QPointer<TLogoForm> logo = new TLogoForm(u"Kovatek Rufwerk"_s);
    logo->ShowAndPaint();

    // 4. Help (also for the first-start text below) and hints on
    InstallHelpCommands(*this);
    SetShowPostIt(true);
    SetShapedHints(StartSettings.PostItIndex == 1);

    // 6. Fee log: read in the background while the window and the engine are
    // built; taken on its first use or as soon as the event loop is free.
    if (StartSettings.FeeRecord) {
        RASStrList->SetLoader(u"FeeReport"_s, [this] { LoadFeeList(); });
        FFeeLog.StartLoad([this] {
            QMetaObject::invokeMethod(
                this, [this] { RASStrList->EnsureLoaded(u"FeeReport"_s); }, Qt::QueuedConnection);
        });
    }

    // 7. Tray icon around the start programs
    TrayIcon->show();
    LoadStartPrograms();
    TrayIcon->show();

    // 8. Always start collapsed.
    resize(FormWidth, MaxHeight);
    resize(FormWidth, height() - PanelMore->height());

    // 10. Glyphs of the dial and stop buttons
    BtnDial->setIcon(Glyphs::icon(Glyphs::Dial));
    BtnStopp->setIcon(Glyphs::icon(Glyphs::Stop));

    // 11. Tray hint
    TrayIcon->setToolTip(lineBreaks(trayStartHint()));

    restorePlacement();

    // 12. Splash window off. Closed outside the event loop, its own deferred
    // deletion would wait for the end of the program, so it goes now.
    if (logo) {
        logo->close();
        delete logo;
    }

    // 13. First-start text, before the engine exists
    if (QFileInfo::exists(Folders::programFolder() + StartUpText)) {
        TWindowMessage message(WM::FirstStartText);
        QCoreApplication::sendEvent(this, &message);
    }
}

void TFormMain::CreateEngine(DialUpService *service)
{
    if (engine)
        return;
    engine = new TRASWorkUnit(this, service);
    engine->SaveFeeList = [this] { SaveFeeList(); };
    InstallConnectionCommands(*this);
    InstallFeeReportCommands(*this);
    engine->ActionConnect->setIcon(Glyphs::icon(Glyphs::Dial));
    engine->ActionDisconnect->setIcon(Glyphs::icon(Glyphs::HangUp));
    engine->ActionStopCon->setIcon(Glyphs::icon(Glyphs::Stop));
    engine->ActionShowLog->setIcon(Glyphs::icon(Glyphs::Protocol));
    connect(engine, &TRASWorkUnit::connectionStateChanged, this, &TFormMain::onConnectionStateChanged);
    applyDialButtonLook(engine->ConnectionState);
    InstallSiteDownloadCommand(*this);
    // The engine's first look at the controls is no change of state: the
    // start-up hint stays until the first one.
    TrayIcon->setToolTip(lineBreaks(trayStartHint()));
    InstallSettingsCommands(*this);
    InstallStartProgramCommands(*this);
    InstallFavoriteCommands(*this);
    InstallTrayCommands(*this);
}

void TFormMain::StartUp()
{
    if (StartSettings.MiniStart && TrayIconAvailable())
        return; // only the tray icon
    // Without a notification area a hidden window could never be reached again.
    if (StartSettings.MiniStart || FMinimizedAtStart)
        showMinimized();
    else
        show();
}

void TFormMain::showEvent(QShowEvent *event)
{
    FWasShown = true;
    QMainWindow::showEvent(event);
}

void TFormMain::showMainWindow()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TFormMain::LoadStartPrograms()
{
    StartPrograms::Load(*this);
}

// --- fee log --------------------------------------------------------------

const TStartSettings &TFormMain::CurrentStartSettings() const
{
    return engine ? engine->StartSettings : StartSettings;
}

void TFormMain::LoadFeeList()
{
    RASStrList->SetLoader(u"FeeReport"_s, nullptr); // loaded here, not again on first use
    if (!CurrentStartSettings().FeeRecord)
        return;
    TextLines lines;
    QString error;
    if (!FFeeLog.Load(&lines, &error))
        MessageDialog::Error(error, this);
    RASStrList->SetLines(u"FeeReport"_s, std::move(lines));
}

void TFormMain::SaveFeeList()
{
    if (!CurrentStartSettings().FeeRecord)
        return;
    QString error;
    if (!FFeeLog.Save(*RASStrList->Compact(u"FeeReport"_s), &error))
        MessageDialog::Error(error, this);
}

// --- first-start text and messages ----------------------------------------

void TFormMain::ShowFirstStartText()
{
    const QString folder = Folders::programFolder();
    const QString path = folder + StartUpText;
    TFormHelp form(this);
    QString error;
    if (form.loadFile(path, &error))
        form.exec();
    else
        MessageDialog::Error(error, this);
    QFile::rename(path, folder + StartUpShown);
    // Shown once only, also when "StartUp.RTF" is in the way of the rename.
    if (QFileInfo::exists(path))
        QFile::remove(path);
}

void TFormMain::PMIReadmeClick()
{
    const QString path = Folders::programFolder() + StartUpShown;
    if (!QFileInfo::exists(path))
        return;
    TFormHelp form(this);
    QString error;
    if (!form.loadFile(path, &error)) {
        MessageDialog::Error(error, this);
        return;
    }
    form.exec();
}

void TFormMain::ShowSiteDownload()
{
    RunCommand(u"SiteDownload"_s);
}

bool TFormMain::event(QEvent *event)
{
    if (event->type() == TWindowMessage::EventType) {
        const auto *message = static_cast<TWindowMessage *>(event);
        switch (message->Message) {
        case WM::FirstStartText: ShowFirstStartText(); break;
        case WM::SiteDownload: ShowSiteDownload(); break;
        default:
            if (engine)
                engine->HandleWindowMessage(message->Message, message->WParam, message->LParam);
            break;
        }
        return true;
    }
    if (event->type() == QEvent::StatusTip) {
        // The status bar sits in the extended panel, not in the main window's place.
        const auto *tip = static_cast<QStatusTipEvent *>(event);
        if (!StatusBar->isVisible())
            return true;
        if (tip->tip().isEmpty())
            StatusBar->clearMessage();
        else
            StatusBar->showMessage(tip->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// --- commands of later parts ----------------------------------------------

QString TFormMain::CommandTitle(const QString &name)
{
    static const QHash<QString, QString> titles = {
        {u"EditEntry"_s, u"Standard-Bearbeitung: Editieren"_s},
        {u"CreateEntry"_s, u"Standard-Bearbeitung: Anlegen"_s},
        {u"EditAdvanced"_s, u"DFÜ Ändern"_s},
        {u"NewAdvanced"_s, u"DFÜ Anlegen"_s},
        {u"Rename"_s, u"Umbenennen"_s},
        {u"Delete"_s, u"Löschen"_s},
        {u"PasswordClear"_s, u"Passwort im Klartext"_s},
        {u"ConnectionList"_s, u"DFÜ Liste"_s},
        {u"OnlineHelp"_s, u"DFÜ Online Hilfe"_s},
        {u"Favorites"_s, u"Favoriten"_s},
        {u"RunStartProgram"_s, u"Startprogramm ausführen"_s},
        {u"EditStartPrograms"_s, u"Startprogramme bearbeiten"_s},
        {u"StartProgramMenu"_s, u"Startprogramme"_s},
        {u"StartProgramMenuMain"_s, u"Startprogramme"_s},
        {u"Settings"_s, u"Programmeinstellung"_s},
        {u"FeeReport"_s, u"Gebühren-Protokoll"_s},
        {u"Help"_s, u"Programm-Hilfe"_s},
        {u"SearchHelp"_s, u"Stichwort suchen"_s},
        {u"HelpOnHelp"_s, u"Hilfshinweise"_s},
        {u"About"_s, u"Programm-Info"_s},
        {u"ProgramInfo"_s, u"Programminfo"_s},
        {u"StatusBalloon"_s, u"Statusanzeige"_s},
        {u"SiteDownload"_s, u"Download URL"_s},
    };
    return titles.value(name, name);
}

void TFormMain::SetCommand(const QString &name, std::function<void()> handler)
{
    FCommands.insert(name, std::move(handler));
}

bool TFormMain::HasCommand(const QString &name) const
{
    return FCommands.contains(name);
}

void TFormMain::RunCommand(const QString &name)
{
    const auto it = FCommands.constFind(name);
    if (it != FCommands.constEnd() && *it) {
        (*it)();
        return;
    }
    MessageDialog::Information(u"\"%1\" ist in dieser Version noch nicht verfügbar."_s.arg(CommandTitle(name)), this);
}

// --- handlers -------------------------------------------------------------

int TFormMain::ConnectionState() const
{
    return engine ? engine->ConnectionState : int(Offline);
}

void TFormMain::BtnMoreClick()
{
    StatusBar->clearMessage();
    if (PanelMore->isVisible()) {
        resize(width(), height() - PanelMore->height());
        PanelMore->hide();
        BtnMore->setIcon(Glyphs::icon(Glyphs::More));
        BtnMore->setText(u"Mehr..."_s);
        return;
    }
    BtnMore->setIcon(Glyphs::icon(Glyphs::Less));
    // Height and top in one request: a move on its own would be sent with the
    // size the window system still reports, undoing the resize.
    const int frameTop = geometry().y() - y();
    const int grown = std::clamp(height() + PanelMore->height(), minimumHeight(), maximumHeight());
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int top = screen ? (screen->geometry().height() - grown) / 2 : y();
    setGeometry(geometry().x(), top + frameTop, width(), grown);
    BtnMore->setText(u"Weniger"_s);
    PanelMore->show();
}

void TFormMain::ComboBoxRASSelect(int)
{
    if (!engine)
        return;
    engine->SelectConnection();
    engine->ApplyCurrentConnection();
}

void TFormMain::SpinEditChange(int value)
{
    WaitProgress->setMaximum(value);
    if (!engine || value == engine->Timeout)
        return;
    engine->Timeout = value;
    // Without a selected connection there is nobody to store it for.
    const QString name = ComboBoxRAS->currentText();
    if (!name.isEmpty())
        engine->WriteConnTimeout(name, value);
}

void TFormMain::BtnStopItClick()
{
    if (!engine)
        return;
    engine->TimerProceed->stop();
    engine->ActionStopCon->trigger();
}

void TFormMain::BtnGetMesClick()
{
    if (!engine)
        return;
    TDialUp *dialUp = engine->RWDialUp;
    const QString name = engine->CurrentEntry.Name.isEmpty() ? engine->DFURec.ServiceStr : engine->CurrentEntry.Name;
    // The module dials with a handle of its own: the live connection is looked
    // up, the one shown first.
    QList<RasConnection> connections;
    dialUp->LastHandle = 0;
    if (dialUp->service().enumConnections(&connections) == RasError::Success && !connections.isEmpty()) {
        dialUp->LastHandle = connections.first().handle;
        for (const RasConnection &connection : std::as_const(connections)) {
            if (connection.entryName.compare(name, Qt::CaseInsensitive) == 0)
                dialUp->LastHandle = connection.handle;
        }
    }
    QString text = name + u" ist offline"_s;
    if (dialUp->LastHandle != 0) {
        RasConnStatus status;
        const int result = dialUp->service().connectStatus(dialUp->LastHandle, &status);
        const int error = result != RasError::Success ? result : status.error;
        text = dialUp->ConnectionStatusText(status.state, error);
    }
    // The panel is narrow: the whole text shows in the status line and in its tooltip.
    StatusPanel5->setText(text);
    StatusPanel5->setToolTip(text);
    StatusBar->showMessage(text, StatusMessageTime);
}

void TFormMain::MsgLabelDblClick()
{
    if (engine)
        engine->ActionShowLog->trigger();
}

void TFormMain::MISynchronClick()
{
    if (engine)
        engine->ToggleDialMode();
}

// --- state appearance -----------------------------------------------------

void TFormMain::applyDialButtonLook(int state)
{
    switch (state) {
    case Offline:
    case Ended:
        BtnDial->setProperty("look", u"yellow"_s);
        break;
    case Online:
        BtnDial->setProperty("look", u"red"_s);
        break;
    case ExternalOnline:
        BtnDial->setProperty("look", u"red"_s);
        BtnDial->setIcon(Glyphs::icon(Glyphs::HangUp));
        break;
    default:
        return;
    }
    style()->unpolish(BtnDial);
    style()->polish(BtnDial);
    // Binding an action hands the button the action's hint; the button keeps its own.
    SetHint(BtnDial, u"Verbindung aufbauen / abbauen"_s);
    SetHint(BtnStopp, u"Operationsabbruch"_s);
}

void TFormMain::onConnectionStateChanged(int state)
{
    applyDialButtonLook(state);
    switch (state) {
    case Offline:
    case Ended:
        Gauge->setBarColour(QColor());
        FTrayTimer->stop();
        FTrayImage = 0;
        MIDialHang->setIcon(Glyphs::icon(Glyphs::Dial));
        break;
    case Online:
    case ExternalOnline:
        Gauge->setBarColour(palette().color(QPalette::Highlight));
        FTrayImage = 0;
        // Without a notification area nobody sees the images cycle.
        if (TrayIconAvailable())
            FTrayTimer->start();
        MIDialHang->setIcon(Glyphs::icon(Glyphs::HangUp));
        break;
    default:
        return;
    }
    updateTrayImage();
}

void TFormMain::updateTrayImage()
{
    TrayIcon->setIcon(Glyphs::trayIcon(FTrayImage));
    TrayIcon->setProperty("image", FTrayImage);
}

// --- hints ----------------------------------------------------------------

void TFormMain::SetHint(QObject *target, const QString &hint)
{
    ::SetHint(target, hint);
}

void TFormMain::SetShowPostIt(bool on)
{
    FShowPostIt = on;
}

void TFormMain::SetShapedHints(bool on)
{
    FShapedHints = on;
    applyHintStyle();
}

void TFormMain::applyHintStyle()
{
    // Tool tips are windows of their own, so their look is the application's.
    qApp->setStyleSheet(QLatin1String(FShapedHints ? ShapedHintStyle : PlainHintStyle));
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !FShowPostIt)
        return true; // hints switched off
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == MsgLabel) {
            MsgLabelDblClick();
            return true;
        }
        if (watched == ComboBoxStartProg) {
            RunCommand(u"RunStartProgram"_s);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- closing --------------------------------------------------------------

bool TFormMain::FormCloseQuery()
{
    switch (ConnectionState()) {
    case Online:
        return MessageDialog::Question(u"Offene DFÜ-Verbindung in der Windows Statuszeile schliessen?"_s, this);
    case ExternalOnline:
        MessageDialog::Information(u"Externe DFÜ-Verbindung in der Windows Statuszeile schliessen!"_s, this);
        return true;
    default:
        return true;
    }
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (!FShutDown && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    emit programEnds();
}

void TFormMain::restorePlacement()
{
    const auto placement = WindowPlacement::Read(SettingsStore::instance());
    const QList<QRect> areas = WindowPlacement::ScreenAreas();
    if (!placement) {
        if (!areas.isEmpty())
            move(areas.first().center() - QPoint(width() / 2, height() / 2));
        return;
    }
    move(WindowPlacement::OntoScreens(QRect(placement->frame.topLeft(), size()), areas));
    FMinimizedAtStart = placement->minimized;
}

void TFormMain::savePlacement()
{
    if (!FWasShown)
        return; // never on screen: the stored placement is still the right one
    WindowPlacement::Write(SettingsStore::instance(), {QRect(pos(), size()), isMinimized()});
}

void TFormMain::Shutdown()
{
    if (FShutDown)
        return;
    FShutDown = true;
    FTrayTimer->stop();
    if (engine) {
        // A connection still up is charged up to now rather than forgotten.
        engine->CompletePendingFeeRecord();
        const QStringList protocol = RASStrList->Lines(u"Protocol"_s);
        QString error;
        if (!protocol.isEmpty() && !TextFile::writeLines(engine->ProtocolFileName(), protocol, &error))
            MessageDialog::Error(error, this);
    }
    if (!CurrentStartSettings().AutoStart)
        SaveFeeList();
    savePlacement();
    // Nothing runs the event loop any more to show them later.
    SettingsFailureReport::Flush();
    TrayIcon->hide();
}
