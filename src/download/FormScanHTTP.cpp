// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormScanHTTP.h"

#include "AnimatCopy.h"
#include "DialogTools.h"
#include "Folders.h"
#include "LocaleFormats.h"
#include "MessageDialog.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "SiteNames.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int FormWidth = 640;
constexpr int FormHeight = 560;

QString hintText(const QString &hint)
{
    return MessageDialog::DisplayText(hint);
}

void setHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hintText(hint));
    widget->setStatusTip(hintText(hint).section(u'\n', 0, 0));
}

QLabel *buddyLabel(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TFormScanHTTP::TFormScanHTTP(TRASWorkUnit *engine, QWidget *parent, SettingsStore *store)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Scanner(new TSiteScanner(this))
    , FEngine(engine)
    , FStore(store ? store : &SettingsStore::instance())
{
    setObjectName(u"FormScanHTTP"_s);
    setWindowTitle(u"Download URL:"_s);
    setProperty("HelpContext", HelpContext);
    setModal(true);

    EditURL = new QLineEdit(this);
    EditURL->setObjectName(u"EditURL"_s);
    setHint(EditURL, u"URL von dem der Download erfolgt"_s);
    EditTarget = new QLineEdit(this);
    EditTarget->setObjectName(u"EditTarget"_s);
    EditTarget->setReadOnly(true);
    // A display, not a field to type in.
    QPalette shown = EditTarget->palette();
    shown.setColor(QPalette::Base, shown.color(QPalette::Window));
    EditTarget->setPalette(shown);
    setHint(EditTarget, u"Verzeichnis, in dem lokal gespeichert wird."_s);
    AnimatCopy = new TAnimatCopy(this);
    AnimatCopy->setObjectName(u"AnimatCopy"_s);

    StartBtn = CreateHintButton(this, u"StartBtn"_s, u"&Start"_s, u"Download starten"_s);
    StopBtn = CreateHintButton(this, u"StopBtn"_s, u"St&op"_s, u"Download abbrechen"_s);
    MapBtn = CreateHintButton(this, u"MapBtn"_s, u"&Refresh"_s, u"Baumstruktur neu aufbauen"_s);
    BtnOptions = CreateHintButton(this, u"BtnOptions"_s, u"<< &Optionen"_s,
                                  u"Download optionen einblenden / ausblenden"_s);
    BtnReturn = CreateHintButton(this, u"BtnReturn"_s, u"&Zurück"_s, u"Dialog schliessen"_s);
    StartBtn->setDefault(true);
    for (QPushButton *button : {StartBtn, StopBtn, MapBtn, BtnOptions, BtnReturn})
        button->setAutoDefault(false);

    buildOptions();

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(u"TreeView1"_s);
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeView1->setAllColumnsShowFocus(true);
    TreeView1->setUniformRowHeights(true);
    // Long addresses scroll sideways instead of being cut off.
    TreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TreeView1->header()->setStretchLastSection(false);

    buildMessageBar();

    auto *fields = new QGridLayout;
    fields->addWidget(buddyLabel(u"Quelle:"_s, EditURL, this), 0, 0);
    fields->addWidget(EditURL, 0, 1);
    fields->addWidget(buddyLabel(u"Ziel:"_s, EditTarget, this), 1, 0);
    fields->addWidget(EditTarget, 1, 1);
    fields->addWidget(AnimatCopy, 0, 2, 2, 1, Qt::AlignCenter);
    fields->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(StartBtn);
    buttons->addWidget(StopBtn);
    buttons->addWidget(MapBtn);
    buttons->addStretch(1);
    buttons->addWidget(BtnOptions);
    buttons->addWidget(BtnReturn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(GroupOptions);
    layout->addWidget(TreeView1, 1);
    layout->addWidget(MessageBar);
    setFixedSize(FormWidth, FormHeight);

    connect(EditURL, &QLineEdit::textChanged, this, &TFormScanHTTP::EditURLChange);
    connect(StartBtn, &QPushButton::clicked, this, &TFormScanHTTP::StartBtnClick);
    connect(StopBtn, &QPushButton::clicked, this, &TFormScanHTTP::StopBtnClick);
    connect(MapBtn, &QPushButton::clicked, this, &TFormScanHTTP::MapBtnClick);
    connect(BtnOptions, &QPushButton::clicked, this, &TFormScanHTTP::BtnOptionsClick);
    connect(BtnUpdate, &QPushButton::clicked, this, &TFormScanHTTP::BtnUpdateClick);
    connect(BtnReturn, &QPushButton::clicked, this, &TFormScanHTTP::BtnReturnClick);
    connect(Scanner, &TSiteScanner::OnAddItem, this, &TFormScanHTTP::ScannerAddItem);
    connect(Scanner, &TSiteScanner::OnProgress, this, &TFormScanHTTP::ScannerProgress);
    connect(Scanner, &TSiteScanner::OnProcessed, this, &TFormScanHTTP::ScannerProcessed);
}

TFormScanHTTP::~TFormScanHTTP() = default;

void TFormScanHTTP::buildOptions()
{
    GroupOptions = new QGroupBox(u"Optionen für Download"_s, this);
    GroupOptions->setObjectName(u"GroupOptions"_s);
    GroupOptions->hide();

    CBStrongUpd = new QCheckBox(u"&Vorhandene Dateien überschreiben"_s, GroupOptions);
    CBStrongUpd->setObjectName(u"CBStrongUpd"_s);
    CBOtherURL = new QCheckBox(u"&Links zu anderen URL mit laden"_s, GroupOptions);
    CBOtherURL->setObjectName(u"CBOtherURL"_s);
    CBFileResult = new QCheckBox(u"&Ergebnis lokal speichern"_s, GroupOptions);
    CBFileResult->setObjectName(u"CBFileResult"_s);
    CBRobots = new QCheckBox(u"\"robots.txt\" der Website &beachten"_s, GroupOptions);
    CBRobots->setObjectName(u"CBRobots"_s);
    setHint(CBRobots, u"Seiten, die die Website in \"robots.txt\" ausschließt, nicht laden"_s);

    EditDefault = new QLineEdit(GroupOptions);
    EditDefault->setObjectName(u"EditDefault"_s);
    setHint(EditDefault, u"Default Dateiname:\r\ndefault.htm   oder\r\nindex.htm     oder\r\nindex.html"_s);
    EditMaxKB = new QLineEdit(GroupOptions);
    EditMaxKB->setObjectName(u"EditMaxKB"_s);
    EditMaxKB->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,7}"_s), EditMaxKB));
    EditMaxKB->setAlignment(Qt::AlignRight);
    EditMaxKB->setMaximumWidth(80);
    SEditRecDep = new QSpinBox(GroupOptions);
    SEditRecDep->setObjectName(u"SEditRecDep"_s);
    SEditRecDep->setRange(0, TDownloadOptions::MaxDepth);
    SEditRecDep->setMaximumWidth(80);
    setHint(SEditRecDep, u"Spezifiziert die Tiefe der Scan-Rekursion\r\n(Anzahl Verzeichnisse unter Stamm)"_s);

    RGLinkConv = new QGroupBox(u"Link-&Umwandlung"_s, GroupOptions);
    RGLinkConv->setObjectName(u"RGLinkConv"_s);
    FLinkConvButtons = new QButtonGroup(RGLinkConv);
    auto *radios = new QVBoxLayout(RGLinkConv);
    const QString choices[] = {u"Keine Umwandlung"_s, u"Online Link beibehalten"_s, u"Offline Linkumwandlung"_s};
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(choices[i], RGLinkConv);
        radio->setObjectName(u"RGLinkConv%1"_s.arg(i));
        FLinkConvButtons->addButton(radio, i);
        radios->addWidget(radio);
    }

    BtnUpdate = CreateHintButton(GroupOptions, u"BtnUpdate"_s, u"Übernehmen"_s,
                                 u"Optionen für den nächsten Download speichern"_s);
    BtnUpdate->setAutoDefault(false);
    BtnUpdate->setEnabled(false);

    // Left the switches, right the values and the link conversion.
    auto *grid = new QGridLayout(GroupOptions);
    grid->addWidget(CBStrongUpd, 0, 0);
    grid->addWidget(CBOtherURL, 1, 0);
    grid->addWidget(CBFileResult, 2, 0);
    grid->addWidget(CBRobots, 3, 0);
    grid->addWidget(BtnUpdate, 5, 0, Qt::AlignBottom | Qt::AlignLeft);
    grid->addWidget(buddyLabel(u"Name der Stammdatei:"_s, EditDefault, GroupOptions), 0, 1);
    grid->addWidget(EditDefault, 0, 2, 1, 2);
    grid->addWidget(buddyLabel(u"&Maximale Download:"_s, EditMaxKB, GroupOptions), 1, 1);
    grid->addWidget(EditMaxKB, 1, 2);
    grid->addWidget(new QLabel(u"KB"_s, GroupOptions), 1, 3);
    grid->addWidget(buddyLabel(u"&Rekursionstiefe:"_s, SEditRecDep, GroupOptions), 2, 1);
    grid->addWidget(SEditRecDep, 2, 2);
    grid->addWidget(RGLinkConv, 3, 1, 3, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);

    for (QCheckBox *box : {CBStrongUpd, CBOtherURL, CBFileResult, CBRobots})
        connect(box, &QCheckBox::toggled, this, &TFormScanHTTP::OptionChange);
    connect(EditMaxKB, &QLineEdit::textEdited, this, &TFormScanHTTP::OptionChange);
    connect(EditDefault, &QLineEdit::textEdited, this, &TFormScanHTTP::OptionChange);
    connect(SEditRecDep, &QSpinBox::valueChanged, this, &TFormScanHTTP::OptionChange);
    connect(FLinkConvButtons, &QButtonGroup::idToggled, this, &TFormScanHTTP::OptionChange);
}

void TFormScanHTTP::buildMessageBar()
{
    MessageBar = new QStatusBar(this);
    MessageBar->setObjectName(u"MessageBar"_s);
    MessageBar->setSizeGripEnabled(false);
    const QString texts[] = {u"KB bisher:"_s, u"0"_s,   QString(), u"Dateien bisher:"_s, u"0"_s, QString(),
                             u"Bilder bisher:"_s, u"0"_s, QString(), u"kb/s:"_s,          u"0,0"_s};
    QLabel *panels[11];
    for (int i = 0; i < 11; ++i) {
        auto *panel = new QLabel(texts[i], MessageBar);
        panel->setObjectName(u"MessageBarPanel%1"_s.arg(i));
        const bool value = i % 3 == 1;
        if (value) {
            panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            panel->setMinimumWidth(56);
            panel->setFrameShape(QFrame::StyledPanel);
            panel->setFrameShadow(QFrame::Sunken);
        }
        if (i % 3 == 2)
            panel->setFixedWidth(8);
        MessageBar->addWidget(panel);
        panels[i] = panel;
    }
    PanelKB = panels[1];
    PanelFiles = panels[4];
    PanelImages = panels[7];
    PanelRate = panels[10];
    PanelRate->setText(LocaleFormats::Number(0, 1));
}

int TFormScanHTTP::Execute(TRASWorkUnit *engine, const QString &url, QWidget *parent)
{
    TFormScanHTTP form(engine, parent);
    form.SetURL(url);
    return form.exec();
}

void TFormScanHTTP::SetURL(const QString &url)
{
    FCallerURL = url;
}

void TFormScanHTTP::showEvent(QShowEvent *event)
{
    if (!FShown) {
        FShown = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

QString TFormScanHTTP::TargetFor(const QString &url, bool withoutURL)
{
    const QString root = Folders::urlFolder();
    if (withoutURL)
        return QDir::toNativeSeparators(root);
    // The folder the copy will really have; text that is no web address yet
    // is shown as typed, without its "http://".
    QString site = SiteNames::LocalSiteFolder(url);
    if (site.isEmpty()) {
        site = url;
        if (site.contains("http://"_L1, Qt::CaseInsensitive))
            site.remove(0, 7);
    }
    return QDir::toNativeSeparators(root + site);
}

void TFormScanHTTP::FormShow()
{
    AnimatCopy->setActive(false);
    QString url = FCallerURL;
    FOpenedWithoutURL = url.isEmpty();
    if (FOpenedWithoutURL)
        url = u"http://"_s;
    else if (url.endsWith(u'\\') || url.endsWith(u'/'))
        url.chop(1);
    {
        // The opening URL is not a typed change.
        const QSignalBlocker blocker(EditURL);
        EditURL->setText(url);
    }
    Scanner->BaseURL = url;
    EditTarget->setText(TargetFor(url, FOpenedWithoutURL));
    Scanner->DestinationDir = QDir::cleanPath(Folders::urlFolder());
    LoadDownloadOptions();
    UpdateButtons();
    BtnUpdate->setEnabled(false);
}

void TFormScanHTTP::LoadDownloadOptions()
{
    TDownloadOptions options;
    options.Read(*FStore);
    CBStrongUpd->setChecked(options.StrongUpd);
    CBOtherURL->setChecked(options.OtherURL);
    CBFileResult->setChecked(options.FileResult);
    CBRobots->setChecked(options.Robots);
    EditMaxKB->setText(options.MaxKB);
    EditDefault->setText(options.Default);
    SEditRecDep->setValue(options.RecDep);
    if (QAbstractButton *choice = FLinkConvButtons->button(options.LinkConv))
        choice->setChecked(true);
    options.Apply(*Scanner);
}

void TFormScanHTTP::EditURLChange(const QString &text)
{
    if (FOpenedWithoutURL)
        EditTarget->setText(TargetFor(text, false));
}

void TFormScanHTTP::UpdateButtons()
{
    const TDownloadState state = Scanner->State();
    const bool idle = state == DS_NONE || state == DS_PROCESSED || state == DS_ERROR;
    for (QPushButton *button : {StartBtn, MapBtn, BtnReturn, BtnOptions})
        button->setEnabled(idle);
    StopBtn->setEnabled(state == DS_PROCESSING);
}

void TFormScanHTTP::waitForLine()
{
    FWaiting = true;
    // The module reports the dialing state by a posted message, so the
    // engine's supervision starts only once messages have been handled.
    QCoreApplication::processEvents();
    while (FEngine && !FClosed && FEngine->ConnectionState != Online && FEngine->TimerProceed->isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    FWaiting = false;
}

void TFormScanHTTP::StartBtnClick()
{
    if (FWaiting || Scanner->State() == DS_PROCESSING)
        return;
    if (FEngine) {
        const int state = FEngine->ConnectionState;
        if (state != Offline) {
            // The window dialed (or someone else did): the button hangs up.
            StartBtn->setText(u"&Start"_s);
            if (state == Online)
                FEngine->ActionDisconnect->trigger();
            else
                FEngine->ActionStopCon->trigger();
            return;
        }
        FEngine->ActionConnect->trigger();
        StartBtn->setText(u"&Auflegen"_s);
        waitForLine();
        if (FClosed)
            return;
    }
    Scanner->BaseURL = EditURL->text();
    TreeView1->clear();
    FNodes.clear();
    Scanner->ClearTree();
    Scanner->Start();
    AnimatCopy->setActive(true);
    UpdateButtons();
}

void TFormScanHTTP::StopBtnClick()
{
    Scanner->Stop();
    AnimatCopy->setActive(false);
    UpdateButtons();
}

void TFormScanHTTP::MapBtnClick()
{
    TreeView1->clear();
    FNodes.clear();
    Scanner->RebuildTree();
    FillTreeFromTask();
}

void TFormScanHTTP::BtnOptionsClick()
{
    const bool show = !GroupOptions->isVisible();
    GroupOptions->setVisible(show);
    BtnOptions->setText(show ? u">> &Optionen"_s : u"<< &Optionen"_s);
}

void TFormScanHTTP::OptionChange()
{
    BtnUpdate->setEnabled(true);
}

void TFormScanHTTP::BtnUpdateClick()
{
    TDownloadOptions options;
    options.StrongUpd = CBStrongUpd->isChecked();
    options.OtherURL = CBOtherURL->isChecked();
    options.FileResult = CBFileResult->isChecked();
    options.Robots = CBRobots->isChecked();
    // An emptied field is stored as the default and shown so.
    options.MaxKB = TDownloadOptions::CleanMaxKB(EditMaxKB->text());
    if (EditMaxKB->text() != options.MaxKB)
        EditMaxKB->setText(options.MaxKB);
    options.Default = EditDefault->text();
    options.RecDep = SEditRecDep->value();
    options.LinkConv = std::max(FLinkConvButtons->checkedId(), 0);
    options.Write(*FStore);
    BtnUpdate->setEnabled(false);
}

void TFormScanHTTP::BtnReturnClick()
{
    Scanner->Stop();
    close();
}

void TFormScanHTTP::done(int result)
{
    FClosed = true;
    Scanner->Stop();
    AnimatCopy->setActive(false);
    QDialog::done(result);
}

void TFormScanHTTP::ScannerAddItem(TSiteItem *item)
{
    if (item->IsTreeLink)
        AddItemNode(item);
}

void TFormScanHTTP::AddItemNode(TSiteItem *item)
{
    QTreeWidgetItem *parent = item->UpperItem ? FNodes.value(item->UpperItem) : nullptr;
    addNode(item, parent);
}

QTreeWidgetItem *TFormScanHTTP::addNode(TSiteItem *item, QTreeWidgetItem *parent)
{
    auto *node = new QTreeWidgetItem(QStringList(item->URL.toDisplayString()));
    if (parent) {
        parent->addChild(node);
        // The tree grows in sight.
        parent->setExpanded(true);
    } else {
        TreeView1->addTopLevelItem(node);
    }
    // The first node of an item is the one its children join.
    if (!FNodes.contains(item))
        FNodes.insert(item, node);
    return node;
}

void TFormScanHTTP::FillTreeFromTask()
{
    // Iterative: a hostile site cannot make the tree deep, but nothing here
    // needs the call stack either.
    QList<std::pair<TSiteItem *, QTreeWidgetItem *>> pending;
    const QList<TSiteItem *> &roots = Scanner->Tree();
    for (auto it = roots.crbegin(); it != roots.crend(); ++it)
        pending.append({*it, nullptr});
    while (!pending.isEmpty()) {
        const auto [item, parent] = pending.takeLast();
        QTreeWidgetItem *node = addNode(item, parent);
        for (auto it = item->SubTree.crbegin(); it != item->SubTree.crend(); ++it)
            pending.append({*it, node});
    }
}

void TFormScanHTTP::ScannerProgress(TSiteItem *)
{
    PanelRate->setText(LocaleFormats::Number(Scanner->BytesPerSecond() / 1000.0, 1));
    PanelFiles->setText(QString::number(Scanner->ItemCount()));
    PanelImages->setText(QString::number(Scanner->ImageCount()));
    PanelKB->setText(LocaleFormats::Number(double(Scanner->TotalBytes() / 1024), 0));
    UpdateButtons();
}

void TFormScanHTTP::ScannerProcessed()
{
    UpdateButtons();
    AnimatCopy->setActive(false);
    MessageDialog::Information(u"Download abgeschlossen.\rDFÜ-Verbindung schliessen!"_s, this);
}
