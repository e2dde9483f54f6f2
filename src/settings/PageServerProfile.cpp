// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageServerProfile.h"

#include "DialUp.h"
#include "DialogTools.h"
#include "FormHelp.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "Ping.h"
#include "RASWorkUnit.h"
#include "RadioGroup.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString NoServerAddress = u"000.000.000.000"_s;
const QString Fetch = u"&Profil abrufen"_s;
const QString EndFetch = u"&Abruf beenden"_s;
/// A blank line of the evaluation.
const QString Blank = u" "_s;

/// How long the page waits after going online for the connection's addresses
/// to reach the main window; the module reports them every second.
constexpr int AddressWaitMs = 3000;
/// Each echo blocks the event loop; a timer between them (not a posted call,
/// which would overtake the screen updates) lets the window repaint and
/// "&Abbruch" end the test.
constexpr int EchoPauseMs = 10;

QLabel *valueLabel(QWidget *parent, const QString &name, const QString &text, const QString &hint)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMargin(1);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(u"255.255.255.255"_s) + 12);
    SetHint(label, hint);
    return label;
}

} // namespace

QStringList ServerProfileLines(const TServerProfile &p)
{
    QStringList lines;
    const auto always = [&lines](const QString &property, const QString &value) { lines << property + value; };
    const auto ifSet = [&lines](const QString &property, const QString &value) {
        if (!value.isEmpty())
            lines << property + value;
    };
    always(u"Nutzer Name;"_s, p.User);
    always(u"Passwort;"_s, QString(p.Password.toUcs4().size(), u'*'));
    ifSet(u"Domain;"_s, p.Domain);
    ifSet(u"Service Provider;"_s, p.Provider);
    ifSet(u"Client IP-Adresse;"_s, p.LocalIP);
    ifSet(u"Server IP-Adresse;"_s, p.RemoteIP);
    ifSet(u"Gerätetyp;"_s, p.DeviceType);
    ifSet(u"Gerätename;"_s, p.DeviceName);
    always(u"Geräteleistung;"_s, QString::number(p.ConnectionSpeed / 1000) + u" kBit/s"_s);
    ifSet(u"Geräteport;"_s, p.DevicePort);
    ifSet(u"Telefon Nummer;"_s, p.PhoneNumber);
    ifSet(u"Formatierte Telefon Nummer;"_s, p.DisplayNumber);
    always(u"Zeit bis zur Verbindung;"_s, p.ConnectTime);
    always(u"Gebühren €-Cent/Min;"_s, p.Tariff.isEmpty() ? u"0,000"_s : p.Tariff);
    always(u"Verbvindungs Nummer;"_s, p.ConnectionNumber.isEmpty() ? u"0"_s : p.ConnectionNumber);
    return lines;
}

TPageServerProfile::TPageServerProfile(TFormProgStart *dialog)
    : TProgStartPage(dialog, u"TSServerProfile"_s, 865)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);

    auto *top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(new QLabel(u"Aktueller Server:"_s, this));
    CBServer = new QComboBox(this);
    CBServer->setObjectName(u"CBServer"_s);
    CBServer->setMinimumContentsLength(20);
    SetHint(CBServer, u"Liste der DFÜ-Verbindungen"_s);
    top->addWidget(CBServer, 1);
    BtnProfil = CreateHintButton(this, u"BtnProfil"_s, Fetch, QString());
    SetHint(BtnProfil, u"DFÜ-Verbindung starten/beenden"_s);
    top->addWidget(BtnProfil);
    BtnPrint = CreateHintButton(this, u"BtnPrint"_s, u"&Auswerten"_s, QString());
    SetHint(BtnPrint, u"Ergebnisse auswerten;\r\nspeichern oder drucken"_s);
    BtnPrint->setEnabled(false);
    top->addWidget(BtnPrint);
    column->addLayout(top);

    auto *profileBox = new QGroupBox(u"Server-Profil"_s, this);
    profileBox->setObjectName(u"GBServProfil"_s);
    auto *profileColumn = new QVBoxLayout(profileBox);
    profileColumn->setContentsMargins(4, 4, 4, 4);
    LBServProfil = new QTreeWidget(profileBox);
    LBServProfil->setObjectName(u"LBServProfil"_s);
    LBServProfil->setColumnCount(2);
    LBServProfil->setHeaderLabels({ u"Eigenschaft"_s, u"Wert"_s });
    LBServProfil->setColumnWidth(0, 240);
    LBServProfil->setColumnWidth(1, 250);
    LBServProfil->setRootIsDecorated(false);
    LBServProfil->setUniformRowHeights(true);
    LBServProfil->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LBServProfil->header()->setSectionsClickable(false);
    // Room for the whole profile without scrolling.
    auto *probe = new QTreeWidgetItem(LBServProfil, { u"Gerätename"_s });
    const int rowHeight = LBServProfil->sizeHintForRow(0);
    delete probe;
    LBServProfil->setMinimumHeight(
        LBServProfil->header()->sizeHint().height() + rowHeight * 15 + 2 * LBServProfil->frameWidth());
    profileColumn->addWidget(LBServProfil);
    column->addWidget(profileBox, 3);

    auto *test = new QGridLayout;
    test->setHorizontalSpacing(6);
    test->setVerticalSpacing(4);
    test->addWidget(new QLabel(u"Zu sendende Paketgrösse:"_s, this), 0, 0);
    SEPackSize = new QSpinBox(this);
    SEPackSize->setObjectName(u"SEPackSize"_s);
    SEPackSize->setRange(32, 128);
    SEPackSize->setSingleStep(32);
    SEPackSize->setValue(64);
    // Chosen with the arrows only: every size is a step of 32.
    if (auto *edit = SEPackSize->findChild<QLineEdit *>())
        edit->setReadOnly(true);
    auto *size = new QHBoxLayout;
    size->setSpacing(6);
    size->addWidget(SEPackSize);
    size->addWidget(new QLabel(u"Bytes"_s, this));
    size->addStretch();
    test->addLayout(size, 0, 1);
    test->addWidget(new QLabel(u"Server-Adresse"_s, this), 1, 0);
    LblServerAddr = valueLabel(this, u"LblServerAddr"_s, NoServerAddress, u"Zu testende Adresse"_s);
    test->addWidget(LblServerAddr, 1, 1, Qt::AlignLeft);
    test->addWidget(new QLabel(u"Ergebnis:"_s, this), 2, 0);
    LblTestReseult = valueLabel(this, u"LblTestReseult"_s, u"0"_s, u"Testergebnis in milli sekunden pro Paket"_s);
    LblTestReseult->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *result = new QHBoxLayout;
    result->setSpacing(6);
    result->addWidget(LblTestReseult);
    result->addWidget(new QLabel(u"mSec / Paket"_s, this));
    result->addStretch();
    test->addLayout(result, 2, 1);
    RGTTL = new TRadioGroup(u"RGTTL"_s, u"TTL (Time to Live)"_s, { u"28"_s, u"128"_s }, this, Qt::Horizontal);
    RGTTL->SetItemIndex(1);
    test->addWidget(RGTTL, 0, 2, 3, 1, Qt::AlignTop);
    BtnTransTest = CreateHintButton(this, u"BtnTransTest"_s, u"Übertragungs&test"_s, QString());
    BtnTransTest->setEnabled(false);
    BtnCancelTest = CreateHintButton(this, u"BtnCancelTest"_s, u"&Abbruch"_s, QString());
    BtnCancelTest->setEnabled(false);
    auto *testButtons = new QVBoxLayout;
    testButtons->addWidget(BtnTransTest);
    testButtons->addWidget(BtnCancelTest);
    testButtons->addStretch();
    test->addLayout(testButtons, 0, 3, 3, 1);
    test->setColumnStretch(2, 1);
    column->addLayout(test);

    auto *logLabel = new QLabel(u"Übertragungsprotokoll"_s, this);
    column->addWidget(logLabel);
    DisplayMemo = new QPlainTextEdit(this);
    DisplayMemo->setObjectName(u"DisplayMemo"_s);
    DisplayMemo->setReadOnly(true);
    DisplayMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    DisplayMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DisplayMemo->setMinimumHeight(DisplayMemo->fontMetrics().lineSpacing() * 6 + 8);
    logLabel->setBuddy(DisplayMemo);
    column->addWidget(DisplayMemo, 2);

    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    // Never fails: where no echo may be sent, the test says why when it starts.
    FPing = new TPing(this);
    connect(FPing, &TPing::OnDnsLookupDone, this, &TPageServerProfile::PingTestDnsLookupDone);
    connect(FPing, &TPing::OnEchoRequest, this, &TPageServerProfile::PingTestEchoRequest);
    connect(FPing, &TPing::OnEchoReply, this, &TPageServerProfile::PingTestEchoReply);

    connect(BtnProfil, &QPushButton::clicked, this, &TPageServerProfile::BtnProfilClick);
    connect(BtnTransTest, &QPushButton::clicked, this, &TPageServerProfile::BtnTransTestClick);
    connect(BtnCancelTest, &QPushButton::clicked, this, &TPageServerProfile::BtnCancelTestClick);
    connect(BtnPrint, &QPushButton::clicked, this, &TPageServerProfile::BtnPrintClick);
}

void TPageServerProfile::PageShown()
{
    QStringList names;
    QWidget *window = Dialog->Engine()->MainWindow();
    if (const auto *list = window ? window->findChild<QComboBox *>(u"ComboBoxRAS"_s) : nullptr) {
        for (int i = 0; i < list->count(); ++i)
            names << list->itemText(i);
    }
    CBServer->clear();
    CBServer->addItems(names);
    CBServer->setCurrentIndex(CBServer->findText(Dialog->CurrentConnectionName(), Qt::MatchFixedString));
}

// --- profile fetch ----------------------------------------------------------

void TPageServerProfile::BtnProfilClick()
{
    TRASWorkUnit *engine = Dialog->Engine();
    if (engine->ConnectionState == Online) {
        BtnProfil->setText(Fetch);
        BtnProfil->setEnabled(true);
        engine->ActionDisconnect->trigger();
        return;
    }

    BtnProfil->setText(EndFetch);
    BtnProfil->setEnabled(false);
    BtnTransTest->setEnabled(false);
    LBServProfil->clear();
    if (QStringList *log = engine->StringList(u"ServerLog"_s))
        log->clear();
    const QString name = CBServer->currentText();
    const TProgStartHost &host = Dialog->Host();
    // Dialing whatever the main window had selected would profile the wrong connection.
    const bool selected = !name.isEmpty() && host.SelectConnection && host.SelectConnection(name);
    bool online = false;
    TServerProfile profile;
    QString address;
    if (selected) {
        // The profile names the connection chosen when the fetch began.
        CBServer->setEnabled(false);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        if (host.EntriesChanged)
            host.EntriesChanged();
        engine->ActionConnect->trigger();
        online = waitForLine();
        if (online) {
            profile = LoadEntryDialData(Dialog->CurrentConnectionName());
            address = remoteAddress();
        }
        QApplication::restoreOverrideCursor();
        CBServer->setEnabled(true);
    }
    BtnProfil->setEnabled(true);
    if (!online) {
        BtnProfil->setText(Fetch);
        return;
    }
    if (address.isEmpty()) {
        LblServerAddr->setText(NoServerAddress);
        BtnTransTest->setEnabled(false);
        MessageDialog::Information(u"Keine Server-Adresse gefunden!\rWert für \"TimeOut\" vergrössern."_s, this);
        BtnProfil->setText(Fetch);
        engine->ActionDisconnect->trigger();
        return;
    }
    LblServerAddr->setText(address);
    BtnTransTest->setEnabled(true);
    BtnPrint->setEnabled(true);
    showProfile(ServerProfileLines(profile));
}

bool TPageServerProfile::waitForLine()
{
    QPointer<TRASWorkUnit> engine(Dialog->Engine());
    // The module reports that it dials by a posted message.
    QCoreApplication::processEvents();
    while (engine && engine->ConnectionState == Dialing && engine->TimerProceed->isActive()) {
        QEventLoop wait;
        QTimer::singleShot(100, &wait, &QEventLoop::quit);
        connect(engine, &TRASWorkUnit::connectionStateChanged, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return engine && engine->ConnectionState == Online;
}

QString TPageServerProfile::remoteAddress()
{
    QWidget *window = Dialog->Engine()->MainWindow();
    if (!window)
        return QString();
    const auto panelAddress = [window] {
        const auto *panel = window->findChild<QLabel *>(u"StatusPanel4"_s);
        const QString address = panel ? TPing::NormalisedAddress(panel->text().trimmed()) : QString();
        // Until the first report the panel holds its caption or the last connection's address.
        return address == u"0.0.0.0"_s ? QString() : address;
    };
    // The addresses follow the online state in a message of their own.
    QCoreApplication::processEvents();
    QString address = panelAddress();
    const QDeadlineTimer deadline(AddressWaitMs);
    while (address.isEmpty() && !deadline.hasExpired() && Dialog->Engine()->ConnectionState == Online) {
        QEventLoop wait;
        QTimer::singleShot(50, &wait, &QEventLoop::quit);
        wait.exec();
        address = panelAddress();
    }
    return address;
}

TServerProfile TPageServerProfile::LoadEntryDialData(const QString &name)
{
    TRASWorkUnit *engine = Dialog->Engine();
    TDialUp *dialUp = engine->RWDialUp;
    TServerProfile profile;
    dialUp->LocalIP.clear();
    dialUp->RemoteIP.clear();
    try {
        if (dialUp->FindActiveConnection())
            profile.ConnectionNumber = QString::number(dialUp->LastHandle);
    } catch (const EDialUpError &) {
        // The addresses stay empty and their lines out of the profile.
    }
    profile.LocalIP = dialUp->LocalIP;
    profile.RemoteIP = dialUp->RemoteIP;

    dialUp->setEntry(name);
    // Another entry's values must not stand in for a read that failed.
    dialUp->EntryUser.clear();
    dialUp->EntryPassword.clear();
    dialUp->ReadUserName();
    dialUp->ReadPassword();
    dialUp->ReadEntryProperties();
    profile.User = dialUp->EntryUser;
    profile.Password = dialUp->EntryPassword;
    RasDialParams params;
    if (dialUp->service().getEntryDialParams(name, &params, nullptr) == RasError::Success)
        profile.Domain = params.domain;
    profile.Provider = CBServer->currentText();
    profile.DeviceType = dialUp->DeviceType;
    profile.DeviceName = dialUp->DeviceName;
    if (dialUp->StartStatistics(true, true))
        profile.ConnectionSpeed = dialUp->ConnectionSpeed();
    profile.DevicePort = dialUp->DevicePort;
    profile.PhoneNumber = dialUp->PhoneNumber;
    profile.DisplayNumber = dialUp->DisplayNumber;
    if (QWidget *window = engine->MainWindow()) {
        if (const auto *label = window->findChild<QLabel *>(u"LabelTime"_s))
            profile.ConnectTime = label->text();
    }
    profile.Tariff = engine->ReadTariff(name);
    return profile;
}

void TPageServerProfile::showProfile(const QStringList &lines)
{
    LBServProfil->clear();
    for (const QString &line : lines) {
        const qsizetype semicolon = line.indexOf(u';');
        new QTreeWidgetItem(LBServProfil, { line.left(semicolon), line.mid(semicolon + 1) });
    }
}

QStringList TPageServerProfile::ProfileLines() const
{
    QStringList lines;
    for (int i = 0; i < LBServProfil->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = LBServProfil->topLevelItem(i);
        lines << item->text(0) + u';' + item->text(1);
    }
    return lines;
}

// --- transfer test ----------------------------------------------------------

QString TPageServerProfile::serverAddress() const
{
    const QString address = LblServerAddr->text().trimmed();
    return address == NoServerAddress ? QString() : address;
}

void TPageServerProfile::addLog(const QString &line)
{
    DisplayMemo->appendPlainText(line);
}

void TPageServerProfile::BtnTransTestClick()
{
    const QString address = serverAddress();
    if (address.isEmpty() || FTestRunning)
        return;
    DisplayMemo->clear();
    FPing->SetSize(SEPackSize->value());
    FPing->SetTTL(RGTTL->ItemIndex() == 1 ? 128 : 28);
    addLog(u"Test mit Host '"_s + address + u'\'');
    FSum = 0;
    FCount = 0;
    if (!FPing->Available()) {
        addLog(u"Echo-Anfragen sind hier nicht möglich: "_s + FPing->ErrorText());
        LblTestReseult->setText(u"0"_s);
        return;
    }
    BtnTransTest->setEnabled(false);
    BtnCancelTest->setEnabled(true);
    BtnProfil->setEnabled(false);
    FTestRunning = true;
    FCancelRequested = false;
    QTimer::singleShot(EchoPauseMs, this, &TPageServerProfile::nextRound);
}

void TPageServerProfile::nextRound()
{
    if (!FTestRunning)
        return;
    if (FCancelRequested) {
        addLog(u"Test abgebrochen"_s);
        finishTest();
        return;
    }
    if (FCount >= EchoCount) {
        finishTest();
        return;
    }
    ++FCount;
    // A dotted address ends its lookup and echo at once; a name's lookup ends
    // later. Either way the next round follows from PingTestDnsLookupDone.
    FPing->StartLookup(serverAddress());
}

void TPageServerProfile::finishTest()
{
    FTestRunning = false;
    const qint64 average = FCount > 0 ? FSum / FCount : 0;
    LblTestReseult->setText(QString::number(average));
    addLog(u"Mittlere Paketlaufzeit: "_s + QString::number(average) + u" msec pro Paket"_s);
    BtnCancelTest->setEnabled(false);
    BtnTransTest->setEnabled(true);
    BtnProfil->setEnabled(true);
}

void TPageServerProfile::BtnCancelTestClick()
{
    FCancelRequested = true;
    FPing->CancelLookup();
}

void TPageServerProfile::PingTestDnsLookupDone(int error)
{
    if (error != 0) {
        addLog(u"Unbekannter Host '"_s + serverAddress() + u'\'');
    } else {
        addLog(u"Hostaufruf"_s);
        FPing->SetAddress(FPing->LookupResult());
        FPing->SendEcho();
        addLog(u"Adresse ist: "_s + FPing->Address());
    }
    QTimer::singleShot(EchoPauseMs, this, &TPageServerProfile::nextRound);
}

void TPageServerProfile::PingTestEchoRequest()
{
    addLog(u"Sende "_s + QString::number(FPing->Size()) + u" Bytes an "_s + FPing->EchoHostName());
    // Shown while the echo blocks the event loop.
    DisplayMemo->viewport()->repaint();
}

void TPageServerProfile::PingTestEchoReply(int replies)
{
    if (replies == 0) {
        QString line = u"Test fehlgeschlagen für Host ("_s + FPing->EchoHostAddress() + u") : "_s + FPing->StatusText();
        if (!FPing->ErrorText().isEmpty())
            line += u" ("_s + FPing->ErrorText() + u')';
        addLog(line);
        return;
    }
    const quint32 roundTrip = FPing->LastReply().RoundTripTime;
    FSum += roundTrip;
    addLog(u"Paket "_s + QString::number(FCount) + u", Laufzeit: "_s + QString::number(roundTrip) + u" msec"_s);
    addLog(u"TTL (TimeToLife): "_s + QString::number(FPing->TTL()));
    addLog(u"Fehler: "_s + FPing->StatusText());
}

// --- evaluation -------------------------------------------------------------

QStringList TPageServerProfile::EvaluationLines() const
{
    QStringList lines { u"DFÜ-Verbindungsprotokoll für DFÜ-Verbindung: "_s + CBServer->currentText(), Blank };
    lines << *Dialog->Engine()->StringList(u"ServerLog"_s);
    lines << Blank << Blank << u"Server-Profil:"_s << Blank;
    for (const QString &line : ProfileLines()) {
        const qsizetype semicolon = line.indexOf(u';');
        lines << line.left(semicolon) + u":\t"_s + line.mid(semicolon + 1);
    }
    lines << Blank << Blank << u"Übertragungsprotokoll:"_s << Blank;
    if (!DisplayMemo->document()->isEmpty())
        lines << DisplayMemo->toPlainText().split(u'\n');
    return lines;
}

void TPageServerProfile::BtnPrintClick()
{
    TFormHelp form(this);
    // One tab stop behind the longest property puts the values in a column.
    const QFontMetrics metrics(form.richEdit()->font());
    int widest = 0;
    for (const QString &line : ProfileLines())
        widest = std::max(widest, metrics.horizontalAdvance(line.section(u';', 0, 0) + u':'));
    if (widest > 0)
        form.richEdit()->setTabStopDistance(widest + metrics.horizontalAdvance(u"  "_s));
    form.setPlainLines(EvaluationLines());
    form.exec();
}
