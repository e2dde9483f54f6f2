// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FrmConnProp.h"

#include "EntryNames.h"
#include "FormPassword.h"
#include "HelpLink.h"
#include "MessageDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int HelpDialog = 860;
constexpr int HelpBasic = 831;
constexpr int HelpAdvanced = 832;
constexpr int HelpAdditional = 833;

constexpr int MaxNameLength = 35;
constexpr int MaxAreaCodeLength = 10;
constexpr int MaxPhoneLength = 128;
constexpr int MaxScriptLength = 259;
constexpr int MaxAddressLength = 15;

constexpr quint32 ProtocolNetBEUI = 1;
constexpr quint32 ProtocolIPX = 2;
constexpr quint32 ProtocolIP = 4;

const QLocale &feeLocale()
{
    // The stored fee text has a decimal comma, whatever the desktop's language.
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

QString quoted(const QString &text)
{
    return u"„"_s + text + u"“"_s;
}

// A decimal number, 0 to 4294967295; emptyIsZero lets an empty field stand for 0.
bool parseNumber(const QString &text, bool emptyIsZero, quint32 *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *value = 0;
        return emptyIsZero;
    }
    bool ok = false;
    const qulonglong v = t.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull || t.startsWith(u'+'))
        return false;
    *value = quint32(v);
    return true;
}

// Four decimal parts of 0 to 255, the first in the lowest byte. An address
// typed wrongly is refused, never guessed: a part above 255 or a missing part
// would store another address than the one on the screen.
QString addressProblem(const QString &text, quint32 *address)
{
    const QString t = text.trimmed();
    const QStringList parts = t.split(u'.');
    const QString form = u"\rEine IP-Adresse besteht aus vier Zahlen von 0 bis 255, durch Punkte getrennt, "
                         "zum Beispiel 192.168.0.1."_s;
    if (parts.size() != 4)
        return u"%1 ist keine vollständige IP-Adresse."_s.arg(quoted(t)) + form;
    quint32 result = 0;
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts.at(i);
        bool ok = !part.isEmpty() && part.size() <= 10;
        for (const QChar c : part)
            ok = ok && c >= u'0' && c <= u'9';
        const qulonglong v = ok ? part.toULongLong(&ok) : 0;
        if (!ok)
            return u"%1 ist keine gültige IP-Adresse."_s.arg(quoted(t)) + form;
        if (v > 255)
            return u"In %1 ist %2 größer als 255."_s.arg(quoted(t)).arg(v) + form;
        result |= quint32(v) << (8 * i);
    }
    *address = result;
    return QString();
}

QString addressText(quint32 address)
{
    return u"%1.%2.%3.%4"_s.arg(address & 0xFF).arg((address >> 8) & 0xFF).arg((address >> 16) & 0xFF).arg(
        address >> 24);
}

QLineEdit *lineEdit(const char *name, QWidget *parent, int maxLength = 0, const QString &text = QString())
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// A titled group of radio buttons, named after the group with their number.
QGroupBox *radioGroup(const char *name, const QString &title, const QStringList &items, QButtonGroup **group,
                      QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(6, 2, 6, 4);
    *group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), box);
        button->setObjectName(QLatin1String(name) + QString::number(i));
        (*group)->addButton(button, i);
        row->addWidget(button);
    }
    row->addStretch();
    return box;
}

void setChoice(QButtonGroup *group, int index)
{
    if (QAbstractButton *button = group->button(index))
        button->setChecked(true);
}

} // namespace

TfrmConnProp::TfrmConnProp(DialUpService &service, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , FService(service)
{
    setObjectName(u"frmConnProp"_s);
    setWindowTitle(u"Verbindungseinstellungen"_s);
    setProperty("HelpContext", HelpDialog);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(u"PageControl"_s);
    const struct
    {
        const char *name;
        QString title;
        int help;
        void (TfrmConnProp::*build)(QWidget *);
    } pages[] = {
        {"TSBasic", u"Grundeinstellungen"_s, HelpBasic, &TfrmConnProp::buildBasicPage},
        {"TSAdvanced", u"Erweiterte Einstellungen"_s, HelpAdvanced, &TfrmConnProp::buildAdvancedPage},
        {"TSAdditional", u"Zusätzliche Einstellungen"_s, HelpAdditional, &TfrmConnProp::buildAdditionalPage},
    };
    for (const auto &page : pages) {
        auto *widget = new QWidget(PageControl);
        widget->setObjectName(QLatin1String(page.name));
        widget->setProperty("HelpContext", page.help);
        (this->*page.build)(widget);
        PageControl->addTab(widget, page.title);
    }
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1)
            showDeviceOnAdvancedPage();
    });

    BtnIsOk = new QPushButton(u"&OK, sichern"_s, this);
    BtnIsOk->setObjectName(u"BtnIsOk"_s);
    BtnIsOk->setToolTip(u"OK, Änderungen übernehmen"_s);
    BtnIsOk->setEnabled(false);
    BtnCancel = new QPushButton(u"&Abbruch"_s, this);
    BtnCancel->setObjectName(u"BtnCancel"_s);
    BtnCancel->setToolTip(u"Änderungen verwerfen"_s);
    BtnReadHelp = new QPushButton(u"&Hinweise"_s, this);
    BtnReadHelp->setObjectName(u"BtnReadHelp"_s);
    BtnReadHelp->setToolTip(u"Einstellungshinweise"_s);
    // Enter in a field must not store half-typed values.
    for (QPushButton *button : {BtnIsOk, BtnCancel, BtnReadHelp})
        button->setAutoDefault(false);
    connect(BtnIsOk, &QPushButton::clicked, this, &TfrmConnProp::BtnIsOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnReadHelp, &QPushButton::clicked, this, &TfrmConnProp::BtnReadHelpClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnReadHelp);
    buttons->addStretch();
    buttons->addWidget(BtnIsOk);
    buttons->addWidget(BtnCancel);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(PageControl);
    column->addLayout(buttons);

    // The initial state of a new connection.
    for (const auto &[box, bit] : std::as_const(FOptionBoxes)) {
        box->setChecked(bit == RasEntryOption::IpHeaderCompression || bit == RasEntryOption::RemoteDefaultGateway
                        || bit == RasEntryOption::SwCompression || bit == RasEntryOption::NetworkLogon);
    }
    chkIP->setChecked(true);
    setChoice(FFraming, 0);
    setChoice(FCountTact, 0);

    // The device list: "name=type" per device, in the system's order.
    if (FService.enumDevices(&FDevices) != RasError::Success) {
        FDevices.clear();
        MessageDialog::Error(u"Zugriff fehlgeschlagen."_s, parent);
    }
    for (const RasDevice &device : std::as_const(FDevices))
        cboDevice->addItem(device.name + u'=' + device.type);
    cboDevice->setCurrentIndex(-1);
}

QCheckBox *TfrmConnProp::optionBox(const char *name, const QString &text, quint32 bit, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    if (bit != 0)
        FOptionBoxes.append({box, bit});
    connect(box, &QCheckBox::clicked, this, [this] {
        ApplyRules();
        markChanged();
    });
    return box;
}

void TfrmConnProp::buildBasicPage(QWidget *page)
{
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(6);

    LblTitle = new QLabel(page);
    LblTitle->setObjectName(u"LblTitle"_s);
    QFont titleFont = LblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() + 1.5);
    LblTitle->setFont(titleFont);
    QPalette titlePalette = LblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, QColor(Qt::darkBlue));
    LblTitle->setPalette(titlePalette);
    column->addWidget(LblTitle);

    auto *nameBox = new QGroupBox(u"1. - Verbindungsname und Modem"_s, page);
    auto *nameGrid = new QGridLayout(nameBox);
    EditRASName = lineEdit("EditRASName", nameBox, MaxNameLength);
    LabelRASName = caption(QString(), EditRASName, nameBox);
    LabelRASName->setObjectName(u"LabelRASName"_s);
    SPChange = new QToolButton(nameBox);
    SPChange->setObjectName(u"SPChange"_s);
    SPChange->setText(u"Umbenennen…"_s);
    SPChange->setToolTip(u"Bezeichnung ändern"_s);
    cboDevice = new QComboBox(nameBox);
    cboDevice->setObjectName(u"cboDevice"_s);
    cboDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboDevice->setMinimumContentsLength(20);
    nameGrid->addWidget(LabelRASName, 0, 0);
    nameGrid->addWidget(EditRASName, 1, 0);
    nameGrid->addWidget(SPChange, 1, 1);
    nameGrid->addWidget(caption(u"Geräte (Modem, ISDN) auswählen"_s, cboDevice, nameBox), 2, 0, 1, 2);
    nameGrid->addWidget(cboDevice, 3, 0, 1, 2);
    nameGrid->setColumnStretch(0, 1);
    column->addWidget(nameBox);
    connect(SPChange, &QToolButton::clicked, this, [this] {
        FRenameRequested = true;
        reject();
    });
    connect(EditRASName, &QLineEdit::editingFinished, this, &TfrmConnProp::EditRASNameExit);
    connect(cboDevice, &QComboBox::activated, this, [this] {
        ApplyRules();
        markChanged();
    });

    auto *accessBox = new QGroupBox(u"2. - Provider-Zugangsdaten"_s, page);
    auto *accessGrid = new QGridLayout(accessBox);
    Edit_UserName = lineEdit("Edit_UserName", accessBox, MaxNameLength);
    Edit_Password = lineEdit("Edit_Password", accessBox, MaxNameLength);
    Edit_Password->setStyleSheet(u"lineedit-password-character: 42;"_s);
    BtnPwClear = new QPushButton(MessageDialog::DisplayText(u"Passwort\r\nin Klartext"_s), accessBox);
    BtnPwClear->setObjectName(u"BtnPwClear"_s);
    BtnPwClear->setAutoDefault(false);
    accessGrid->addWidget(caption(u"Nutzername"_s, Edit_UserName, accessBox), 0, 0);
    accessGrid->addWidget(Edit_UserName, 0, 1);
    accessGrid->addWidget(caption(u"Passwort"_s, Edit_Password, accessBox), 1, 0);
    accessGrid->addWidget(Edit_Password, 1, 1);
    accessGrid->addWidget(BtnPwClear, 0, 2, 2, 1);
    accessGrid->setColumnStretch(1, 1);
    column->addWidget(accessBox);
    connect(BtnPwClear, &QPushButton::clicked, this, &TfrmConnProp::BtnPwClearClick);

    auto *lineBox = new QGroupBox(u"3. - Anschlussdaten, Telefon, Gebühren"_s, page);
    auto *lineGrid = new QGridLayout(lineBox);
    txtCountryID = lineEdit("txtCountryID", lineBox, 10, u"49"_s);
    txtCountryCode = lineEdit("txtCountryCode", lineBox, 10, u"49"_s);
    txtAreaCode = lineEdit("txtAreaCode", lineBox, MaxAreaCodeLength);
    txtPhoneNumber = lineEdit("txtPhoneNumber", lineBox, MaxPhoneLength);
    for (QLineEdit *narrow : {txtCountryID, txtCountryCode})
        narrow->setMaximumWidth(48);
    txtAreaCode->setMaximumWidth(90);
    chkUseCountryAndAreaCodes
        = optionBox("chkUseCountryAndAreaCodes", u"Vorwahlen verwenden"_s, RasEntryOption::UseCountryAndAreaCodes,
                    lineBox);
    auto *codes = new QHBoxLayout;
    codes->addWidget(caption(u"Landes -ID"_s, txtCountryID, lineBox));
    codes->addWidget(txtCountryID);
    codes->addWidget(caption(u"-Code"_s, txtCountryCode, lineBox));
    codes->addWidget(txtCountryCode);
    codes->addSpacing(8);
    codes->addWidget(caption(u"Vorwahl"_s, txtAreaCode, lineBox));
    codes->addWidget(txtAreaCode);
    codes->addStretch();
    lineGrid->addLayout(codes, 0, 0, 1, 2);
    lineGrid->addWidget(chkUseCountryAndAreaCodes, 1, 0, 1, 2);
    lineGrid->addWidget(caption(u"Telefon Nummer"_s, txtPhoneNumber, lineBox), 2, 0);
    lineGrid->addWidget(txtPhoneNumber, 2, 1);

    auto *feeBox = new QGroupBox(u"Gebühren, Takt"_s, lineBox);
    auto *feeRow = new QHBoxLayout(feeBox);
    feeRow->setContentsMargins(6, 2, 6, 4);
    EditCent = new QDoubleSpinBox(feeBox);
    EditCent->setObjectName(u"EditCent"_s);
    EditCent->setLocale(feeLocale());
    EditCent->setDecimals(3);
    EditCent->setRange(0.0, 999.999);
    EditCent->setSingleStep(0.1);
    EditCent->setAlignment(Qt::AlignRight);
    EditCent->setButtonSymbols(QAbstractSpinBox::NoButtons);
    EditCent->setMinimumWidth(70);
    RGCountTact = radioGroup("RGCountTact", u"Takt"_s, {u"Min"_s, u"Sec"_s}, &FCountTact, feeBox);
    feeRow->addWidget(caption(MessageDialog::DisplayText(u"€ - Cent \r\npro Minute:"_s), EditCent, feeBox));
    feeRow->addWidget(EditCent);
    feeRow->addSpacing(12);
    feeRow->addWidget(RGCountTact);
    feeRow->addStretch();
    lineGrid->addWidget(feeBox, 3, 0, 1, 2);
    lineGrid->setColumnStretch(1, 1);
    column->addWidget(lineBox);
    connect(EditCent, &QDoubleSpinBox::valueChanged, this, &TfrmConnProp::markChanged);
    EditCent->installEventFilter(this);
    for (QObject *part : EditCent->children())
        part->installEventFilter(this);
    connect(FCountTact, &QButtonGroup::buttonClicked, this, &TfrmConnProp::markChanged);

    auto *note = new QLabel(u"Erweiterte- oder Zusätzliche-Einstellungen sind standardmässig nicht erforderlich"_s, page);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    column->addStretch();
    column->addWidget(note);

    for (QLineEdit *edit : {EditRASName, Edit_UserName, Edit_Password, txtCountryID, txtCountryCode, txtAreaCode,
                            txtPhoneNumber})
        connect(edit, &QLineEdit::textEdited, this, &TfrmConnProp::markChanged);
}

void TfrmConnProp::buildAdvancedPage(QWidget *page)
{
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(6);

    auto *connectionBox = new QGroupBox(u" Verbindungseinstellung "_s, page);
    auto *grid = new QGridLayout(connectionBox);
    EditShowModem = lineEdit("EditShowModem", connectionBox);
    EditShowModem->setReadOnly(true);
    EditShowModem->setFocusPolicy(Qt::NoFocus);
    QPalette shown = EditShowModem->palette();
    shown.setColor(QPalette::Base, shown.color(QPalette::Window));
    EditShowModem->setPalette(shown);
    BtnModem = new QToolButton(connectionBox);
    BtnModem->setObjectName(u"BtnModem"_s);
    BtnModem->setText(u"Modem…"_s);
    BtnModem->setToolTip(u"Modem-Bearbeitung"_s);
    // Only where the system has modem settings of its own.
    BtnModem->setVisible(FService.hasModemSettings());
    connect(BtnModem, &QToolButton::clicked, this, [this] {
        if (FService.showModemSettings(this) != RasError::Success)
            MessageDialog::Error(u"Zugriff fehlgeschlagen."_s, this);
    });
    txtScript = lineEdit("txtScript", connectionBox, MaxScriptLength);
    BtnScript = new QToolButton(connectionBox);
    BtnScript->setObjectName(u"BtnScript"_s);
    BtnScript->setText(u"…"_s);
    BtnScript->setToolTip(u"Script-Datei auswählen"_s);
    connect(BtnScript, &QToolButton::clicked, this, &TfrmConnProp::BtnScriptClick);
    txtFrameSize = lineEdit("txtFrameSize", connectionBox, 10, u"0"_s);
    txtFrameSize->setMaximumWidth(70);
    optFraming = radioGroup("optFraming", u" DFÜ-Servertyp "_s, {u"PPP"_s, u"SLIP"_s, u"RAS"_s}, &FFraming,
                            connectionBox);
    grid->addWidget(caption(u"Modem:"_s, EditShowModem, connectionBox), 0, 0);
    grid->addWidget(EditShowModem, 0, 1);
    grid->addWidget(BtnModem, 0, 2);
    grid->addWidget(caption(u"Script:"_s, txtScript, connectionBox), 1, 0);
    grid->addWidget(txtScript, 1, 1);
    grid->addWidget(BtnScript, 1, 2);
    grid->addWidget(caption(u"SLIP Grösse:"_s, txtFrameSize, connectionBox), 2, 0);
    grid->addWidget(txtFrameSize, 2, 1, Qt::AlignLeft);
    grid->addWidget(optFraming, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    column->addWidget(connectionBox);
    connect(FFraming, &QButtonGroup::buttonClicked, this, [this] {
        ApplyRules();
        markChanged();
    });
    for (QLineEdit *edit : {txtScript, txtFrameSize})
        connect(edit, &QLineEdit::textEdited, this, &TfrmConnProp::markChanged);

    auto *protocolBox = new QGroupBox(u" Protokoll "_s, page);
    auto *protocolRow = new QHBoxLayout(protocolBox);
    chkNetBEUI = optionBox("chkNetBEUI", u"NetBEUI"_s, 0, protocolBox);
    chkIPX = optionBox("chkIPX", u"IPX/SPX"_s, 0, protocolBox);
    chkIP = optionBox("chkIP", u"TCP/IP"_s, 0, protocolBox);
    for (QCheckBox *box : {chkNetBEUI, chkIPX, chkIP})
        protocolRow->addWidget(box);
    protocolRow->addStretch();
    column->addWidget(protocolBox);

    auto *optionGrid = new QGridLayout;
    optionGrid->setHorizontalSpacing(12);
    optionGrid->setVerticalSpacing(3);
    const struct
    {
        const char *name;
        QString text;
        quint32 bit;
    } options[] = {
        {"chkSwCompression", u"Softwarekomprimierung"_s, RasEntryOption::SwCompression},
        {"chkDisableLcpExtensions", u"LCP Extensions deaktivieren"_s, 0x20},
        {"chkTerminalBeforeDial", u"Terminalfenster vor dem Wählen"_s, 0x40},
        {"chkTerminalAfterDial", u"Terminalfenster nach dem Wählen"_s, 0x80},
        {"chkModemLights", u"Modemstatus anzeigen"_s, 0x100},
        {"chkPromoteAlternates", u"Alternative Telefon Nummer"_s, 0x8000},
        {"chkNetworkLogon", u"Am Netzwerk anmelden"_s, RasEntryOption::NetworkLogon},
        {"chkRequireEncryptedPw", u"Verschlüsseltes Passwort"_s, 0x400},
        {"chkRequireMsEncryptedPw", u"Verschlüsseltes Passwort anfordern"_s, 0x800},
        {"chkRequireDataEncryption", u"Datenverschlüsselung anfordern"_s, 0x1000},
        {"chkUseLogonCredentials", u"Aktueller User-Name / Passwort"_s, 0x4000},
        {"chkSecureLocalFiles", u"Sichere lokale Dateien"_s, 0},
    };
    int row = 0;
    for (const auto &option : options) {
        QCheckBox *box = optionBox(option.name, option.text, option.bit, page);
        optionGrid->addWidget(box, row % 6, row / 6);
        ++row;
    }
    chkRequireMsEncryptedPw = page->findChild<QCheckBox *>(u"chkRequireMsEncryptedPw"_s);
    chkRequireDataEncryption = page->findChild<QCheckBox *>(u"chkRequireDataEncryption"_s);
    chkUseLogonCredentials = page->findChild<QCheckBox *>(u"chkUseLogonCredentials"_s);
    chkSecureLocalFiles = page->findChild<QCheckBox *>(u"chkSecureLocalFiles"_s);
    column->addLayout(optionGrid);
    column->addStretch();
}

void TfrmConnProp::buildAdditionalPage(QWidget *page)
{
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(8, 6, 8, 6);
    auto *box = new QGroupBox(u" TCP/IP-Einstellungen, Proxy"_s, page);
    auto *grid = new QGridLayout(box);
    grid->setVerticalSpacing(4);
    chkSpecificIpAddr = optionBox("chkSpecificIpAddr", u"IP-Adresse festlegen"_s, RasEntryOption::SpecificIpAddr, box);
    chkSpecificNameServers = optionBox("chkSpecificNameServers", u"Namensserveradressen festlegen"_s,
                                       RasEntryOption::SpecificNameServers, box);
    const auto address = [box](const char *name) {
        QLineEdit *edit = lineEdit(name, box, MaxAddressLength, u"0.0.0.0"_s);
        edit->setMaximumWidth(130);
        return edit;
    };
    txtIpAddr = address("txtIpAddr");
    txtPrimaryDNS = address("txtPrimaryDNS");
    txtSecondaryDNS = address("txtSecondaryDNS");
    txtPrimaryWINS = address("txtPrimaryWINS");
    txtSecondaryWINS = address("txtSecondaryWINS");
    grid->addWidget(chkSpecificIpAddr, 0, 0, 1, 2);
    QLabel *ipLabel = caption(u"IP Adresse"_s, txtIpAddr, box);
    ipLabel->setIndent(22);
    grid->addWidget(ipLabel, 1, 0);
    grid->addWidget(txtIpAddr, 1, 1);
    grid->addWidget(chkSpecificNameServers, 2, 0, 1, 2);
    int row = 3;
    for (const auto &[text, edit] : {std::pair{u"Erster DNS"_s, txtPrimaryDNS}, std::pair{u"Zweiter DNS"_s, txtSecondaryDNS},
                                     std::pair{u"Erster WINS"_s, txtPrimaryWINS},
                                     std::pair{u"Zweiter WINS"_s, txtSecondaryWINS}}) {
        QLabel *label = caption(text, edit, box);
        label->setIndent(22); // below the box that governs the field
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    grid->addWidget(optionBox("chkIpHeaderCompression", u"IP-Header Komprimierung"_s,
                              RasEntryOption::IpHeaderCompression, box),
                    row++, 0, 1, 2);
    grid->addWidget(optionBox("chkRemoteDefaultGateway", u"Standard Gateway im Remote Netzwerk"_s,
                              RasEntryOption::RemoteDefaultGateway, box),
                    row++, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(0, 110);
    for (QLineEdit *edit : {txtIpAddr, txtPrimaryDNS, txtSecondaryDNS, txtPrimaryWINS, txtSecondaryWINS})
        connect(edit, &QLineEdit::textEdited, this, &TfrmConnProp::markChanged);
    column->addWidget(box);
    column->addStretch();
}

void TfrmConnProp::SetConnectionName(const QString &name)
{
    EditRASName->setText(name);
    FPendingName = name;
}

void TfrmConnProp::SelectFirstDevice()
{
    cboDevice->setCurrentIndex(cboDevice->count() > 0 ? 0 : -1);
}

QString TfrmConnProp::FeeText() const
{
    return feeLocale().toString(EditCent->value(), 'f', 3);
}

void TfrmConnProp::SetFeeText(const QString &text)
{
    QString number;
    for (const QChar c : text) {
        if (c.isDigit() || c == u',' || c == u'.')
            number += c == u',' ? u'.' : c;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    EditCent->setValue(ok ? value : 0.0);
}

int TfrmConnProp::CountTact() const
{
    return FCountTact->checkedId() == 1 ? 1 : 0;
}

void TfrmConnProp::SetCountTact(int tact)
{
    setChoice(FCountTact, tact != 0 ? 1 : 0);
}

QString TfrmConnProp::UserName() const
{
    return Edit_UserName->text();
}

void TfrmConnProp::SetUserName(const QString &name)
{
    Edit_UserName->setText(name);
}

QString TfrmConnProp::Password() const
{
    return Edit_Password->text();
}

void TfrmConnProp::SetPassword(const QString &password)
{
    Edit_Password->setText(password);
}

void TfrmConnProp::EntryToDialog(const RasEntry &entry)
{
    for (const auto &[box, bit] : std::as_const(FOptionBoxes))
        box->setChecked(entry.options & bit);
    chkNetBEUI->setChecked(entry.netProtocols & ProtocolNetBEUI);
    chkIPX->setChecked(entry.netProtocols & ProtocolIPX);
    chkIP->setChecked(entry.netProtocols & ProtocolIP);

    txtCountryID->setText(QString::number(entry.countryId));
    txtCountryCode->setText(QString::number(entry.countryCode));
    txtAreaCode->setText(entry.areaCode);
    txtPhoneNumber->setText(entry.localPhoneNumber);

    switch (entry.framingProtocol) {
    case 1: setChoice(FFraming, 0); break;
    case 2: setChoice(FFraming, 1); break;
    case 4: setChoice(FFraming, 2); break;
    default: break; // an unknown framing leaves the choice as it is
    }
    txtFrameSize->setText(QString::number(entry.frameSize));
    txtIpAddr->setText(addressText(entry.ipAddr));
    txtPrimaryDNS->setText(addressText(entry.ipAddrDns));
    txtSecondaryDNS->setText(addressText(entry.ipAddrDnsAlt));
    txtPrimaryWINS->setText(addressText(entry.ipAddrWins));
    txtSecondaryWINS->setText(addressText(entry.ipAddrWinsAlt));
    txtScript->setText(entry.script);

    // A device that is no longer installed leaves the list without selection.
    const QString device = entry.deviceName.section(QChar(0), 0, 0);
    int index = -1;
    for (qsizetype i = 0; i < FDevices.size() && index < 0; ++i) {
        if (FDevices.at(i).name == device)
            index = int(i);
    }
    cboDevice->setCurrentIndex(index);
}

bool TfrmConnProp::collect(RasEntry *entry, QString *error, QWidget **field) const
{
    RasEntry e = *entry;
    const auto fail = [error, field](QWidget *where, const QString &label, const QString &text) {
        if (error)
            *error = label + u": "_s + text;
        if (field)
            *field = where;
        return false;
    };

    for (const auto &[box, bit] : std::as_const(FOptionBoxes)) {
        if (box->isChecked())
            e.options |= bit;
        else
            e.options &= ~bit;
    }
    if (chkUseCountryAndAreaCodes->isChecked()) {
        if (!parseNumber(txtCountryID->text(), true, &e.countryId))
            return fail(txtCountryID, u"Landes-ID"_s,
                        u"%1 ist keine gültige Zahl."_s.arg(quoted(txtCountryID->text())));
        if (!parseNumber(txtCountryCode->text(), true, &e.countryCode))
            return fail(txtCountryCode, u"Landes-Code"_s,
                        u"%1 ist keine gültige Zahl."_s.arg(quoted(txtCountryCode->text())));
        if (!txtAreaCode->text().isEmpty())
            e.areaCode = txtAreaCode->text();
    }
    // An emptied number keeps the one stored before.
    if (!txtPhoneNumber->text().isEmpty())
        e.localPhoneNumber = txtPhoneNumber->text();

    for (const auto &[box, bit] :
         {std::pair{chkNetBEUI, ProtocolNetBEUI}, std::pair{chkIPX, ProtocolIPX}, std::pair{chkIP, ProtocolIP}}) {
        if (box->isChecked())
            e.netProtocols |= bit;
        else
            e.netProtocols &= ~bit;
    }
    const int framing = std::max(0, FFraming->checkedId());
    e.framingProtocol = 1u << framing;
    if (framing == 1 && !parseNumber(txtFrameSize->text(), false, &e.frameSize))
        return fail(txtFrameSize, u"SLIP Grösse"_s, u"%1 ist keine gültige Zahl."_s.arg(quoted(txtFrameSize->text())));

    if (chkIP->isChecked()) {
        const struct
        {
            QLineEdit *edit;
            QString label;
            quint32 *target;
        } addresses[] = {
            {txtIpAddr, u"IP Adresse"_s, &e.ipAddr},
            {txtPrimaryDNS, u"Erster DNS"_s, &e.ipAddrDns},
            {txtSecondaryDNS, u"Zweiter DNS"_s, &e.ipAddrDnsAlt},
            {txtPrimaryWINS, u"Erster WINS"_s, &e.ipAddrWins},
            {txtSecondaryWINS, u"Zweiter WINS"_s, &e.ipAddrWinsAlt},
        };
        for (const auto &address : addresses) {
            const QString problem = addressProblem(address.edit->text(), address.target);
            if (!problem.isEmpty())
                return fail(address.edit, address.label, problem);
        }
    }
    e.script = txtScript->text();

    // Without a selected device (it is no longer installed) the entry keeps its
    // own; the same device keeps its port.
    const int device = cboDevice->currentIndex();
    if (device >= 0 && device < FDevices.size()) {
        const RasDevice &chosen = FDevices.at(device);
        if (e.deviceName.section(QChar(0), 0, 0) != chosen.name)
            e.deviceName = chosen.name;
        e.deviceType = chosen.type;
    }
    *entry = e;
    return true;
}

bool TfrmConnProp::DialogToEntry(RasEntry *entry, QString *error) const
{
    return collect(entry, error, nullptr);
}

void TfrmConnProp::FormShow()
{
    if (EditMode) {
        LblTitle->setText(u"Bestehende DFÜ-Verbindung ändern"_s);
        EditRASName->setEnabled(false);
        EditRASName->setStyleSheet(u"QLineEdit { background: #c0c0c0; color: #000000; }"_s);
        LabelRASName->setText(u"Ändern unter \"Umbenennen\""_s);
        BtnPwClear->setVisible(true);
        SPChange->setEnabled(true);
        Edit_Password->setEchoMode(QLineEdit::Password);
    } else {
        LblTitle->setText(u"Erstellung einer DFÜ-Verbindung in 3 Schritten"_s);
        EditRASName->setEnabled(true);
        EditRASName->setStyleSheet(u"QLineEdit { background: #ffffff; }"_s);
        EditRASName->setText(FPendingName);
        LabelRASName->setText(u"Bezeichnung der Verbindung"_s);
        BtnPwClear->setVisible(false);
        SPChange->setEnabled(false);
        Edit_Password->setEchoMode(QLineEdit::Normal);
        EditRASName->selectAll();
        EditRASName->setFocus();
    }
    PageControl->setCurrentIndex(0);
    ApplyRules();
    BtnIsOk->setEnabled(false);
}

void TfrmConnProp::ApplyRules()
{
    const bool codes = chkUseCountryAndAreaCodes->isChecked();
    for (QLineEdit *edit : {txtCountryID, txtCountryCode, txtAreaCode})
        edit->setEnabled(codes);
    txtIpAddr->setEnabled(chkSpecificIpAddr->isChecked());
    for (QLineEdit *edit : {txtPrimaryDNS, txtSecondaryDNS, txtPrimaryWINS, txtSecondaryWINS})
        edit->setEnabled(chkSpecificNameServers->isChecked());
    chkRequireDataEncryption->setEnabled(chkRequireMsEncryptedPw->isChecked());
    chkUseLogonCredentials->setEnabled(chkRequireMsEncryptedPw->isChecked());
    txtFrameSize->setEnabled(FFraming->checkedId() == 1);
}

int TfrmConnProp::Execute()
{
    FRenameRequested = false;
    FormShow();
    if (ExecHook)
        return ExecHook(*this);
    return exec();
}

bool TfrmConnProp::eventFilter(QObject *watched, QEvent *event)
{
    // A click into the fee counts as a change, like one on the tact.
    if (event->type() == QEvent::MouseButtonPress && (watched == EditCent || watched->parent() == EditCent))
        markChanged();
    return QDialog::eventFilter(watched, event);
}

void TfrmConnProp::markChanged()
{
    BtnIsOk->setEnabled(true);
}

void TfrmConnProp::EditRASNameExit()
{
    if (!EditMode && EditRASName->text() != FPendingName) {
        FPendingName = EditRASName->text();
        setWindowTitle(u"Verbindungseinstellungen für: ["_s + FPendingName + u']');
    }
}

void TfrmConnProp::BtnIsOkClick()
{
    // A wrong field is found while its text can still be mended.
    QString problem;
    QWidget *field = nullptr;
    if (!EditMode) {
        EditRASNameExit();
        problem = EntryNameProblem(FService, FPendingName);
        field = EditRASName;
    }
    RasEntry scratch;
    if (problem.isEmpty() && collect(&scratch, &problem, &field))
        field = nullptr;
    if (!problem.isEmpty()) {
        MessageDialog::Error(problem, this);
        if (field) {
            for (QWidget *page = field; page; page = page->parentWidget()) {
                if (PageControl->indexOf(page) >= 0)
                    PageControl->setCurrentWidget(page);
            }
            field->setFocus();
        }
        return;
    }
    accept();
}

void TfrmConnProp::BtnPwClearClick()
{
    const QString typed = TFormPassword::Ask(QString(), this);
    if (typed == Edit_Password->text()) {
        Edit_Password->setEchoMode(QLineEdit::Normal);
        BtnIsOk->setEnabled(true);
    } else {
        MessageDialog::Information(u"Falsches Passwort eingegeben!"_s, this);
        BtnIsOk->setEnabled(false);
    }
}

void TfrmConnProp::BtnReadHelpClick()
{
    QWidget *page = PageControl->currentWidget();
    HelpLink::ShowContext(page ? page->property("HelpContext").toInt() : HelpDialog, this);
}

void TfrmConnProp::BtnScriptClick()
{
    const QString start = txtScript->text().isEmpty() ? QString() : QFileInfo(txtScript->text()).absolutePath();
    const QString file = QFileDialog::getOpenFileName(this, u"Script-Datei auswählen"_s, start,
                                                      u"Script-Datei (*.SCP *.scp);;Alle Dateien (*)"_s);
    if (file.isEmpty() || file == txtScript->text())
        return;
    txtScript->setText(QDir::toNativeSeparators(file));
    // A chosen script must be storable like a typed one.
    markChanged();
}

void TfrmConnProp::showDeviceOnAdvancedPage()
{
    EditShowModem->setText(cboDevice->currentIndex() >= 0 ? cboDevice->currentText() : QString());
}
