// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimEntryDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int MaxNameLength = 256;
constexpr int MaxPhoneLength = 128;
constexpr int MaxCredentialLength = 256;

QLineEdit *field(const char *name, int maxLength, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    return edit;
}

QString deviceNamePart(const QString &deviceName)
{
    return deviceName.section(QChar(0), 0, 0);
}

} // namespace

SimEntryDialog::SimEntryDialog(DialUpService &service, const QString &entryName, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_service(service)
    , m_entryName(entryName)
{
    setObjectName(u"SimEntryDialog"_s);
    const bool creating = entryName.isEmpty();
    setWindowTitle(creating ? u"Neue DFÜ-Verbindung"_s : entryName);

    auto *intro = new QLabel(creating ? u"Neue Verbindung der simulierten Leitung:"_s
                                      : u"Verbindung der simulierten Leitung bearbeiten:"_s,
                             this);
    EditName = field("EditName", MaxNameLength, this);
    CBDevice = new QComboBox(this);
    CBDevice->setObjectName(u"CBDevice"_s);
    EditPhone = field("EditPhone", MaxPhoneLength, this);
    EditUser = field("EditUser", MaxCredentialLength, this);
    EditPassword = field("EditPassword", MaxCredentialLength, this);
    EditPassword->setEchoMode(QLineEdit::Password);
    LblProblem = new QLabel(this);
    LblProblem->setObjectName(u"LblProblem"_s);
    LblProblem->setWordWrap(true);
    QPalette warn = LblProblem->palette();
    warn.setColor(QPalette::WindowText, Qt::darkRed);
    LblProblem->setPalette(warn);
    LblProblem->hide();

    if (m_service.enumDevices(&m_devices) != RasError::Success)
        m_devices.clear();
    for (const RasDevice &device : std::as_const(m_devices))
        CBDevice->addItem(u"%1 (%2)"_s.arg(device.name, device.type));

    if (!creating) {
        EditName->setText(entryName);
        EditName->setReadOnly(true);
        EditName->setFocusPolicy(Qt::NoFocus);
        QPalette fixed = EditName->palette();
        fixed.setColor(QPalette::Base, fixed.color(QPalette::Window));
        EditName->setPalette(fixed);
        RasEntry entry;
        if (m_service.getEntryProperties(entryName, &entry) == RasError::Success) {
            EditPhone->setText(entry.localPhoneNumber);
            const QString device = deviceNamePart(entry.deviceName);
            for (qsizetype i = 0; i < m_devices.size(); ++i) {
                if (m_devices.at(i).name == device)
                    CBDevice->setCurrentIndex(int(i));
            }
        }
        RasDialParams params;
        bool passwordStored = false;
        if (m_service.getEntryDialParams(entryName, &params, &passwordStored) == RasError::Success) {
            EditUser->setText(params.userName);
            EditPassword->setText(passwordStored ? params.password : QString());
        }
    }

    auto *form = new QFormLayout;
    form->addRow(u"&Name:"_s, EditName);
    form->addRow(u"&Gerät:"_s, CBDevice);
    form->addRow(u"&Rufnummer:"_s, EditPhone);
    form->addRow(u"&Benutzername:"_s, EditUser);
    form->addRow(u"&Kennwort:"_s, EditPassword);

    auto *ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"BtnOK"_s);
    ok->setDefault(true);
    auto *cancel = new QPushButton(u"Abbrechen"_s, this);
    cancel->setObjectName(u"BtnCancel"_s);
    connect(ok, &QPushButton::clicked, this, &SimEntryDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *column = new QVBoxLayout(this);
    column->addWidget(intro);
    column->addLayout(form);
    column->addWidget(LblProblem);
    column->addLayout(buttons);
    setMinimumWidth(360);
}

int SimEntryDialog::run(QString *createdName)
{
    m_result = RasError::Cancelled;
    if (ExecHook)
        ExecHook(*this);
    else
        exec();
    if (createdName)
        *createdName = m_result == RasError::Success ? m_stored : QString();
    return m_result;
}

void SimEntryDialog::showProblem(const QString &text, QWidget *fieldWithProblem)
{
    LblProblem->setText(text);
    LblProblem->show();
    fieldWithProblem->setFocus();
}

void SimEntryDialog::accept()
{
    const bool creating = m_entryName.isEmpty();
    const QString name = EditName->text().trimmed();
    if (creating) {
        switch (m_service.validateEntryName(name)) {
        case RasError::Success:
            break;
        case RasError::AlreadyExists:
            showProblem(u"Eine Verbindung „%1“ gibt es bereits."_s.arg(name), EditName);
            return;
        default:
            showProblem(name.isEmpty() ? u"Bitte einen Namen eingeben."_s
                                       : u"„%1“ kann nicht als Name einer Verbindung dienen."_s.arg(name),
                        EditName);
            return;
        }
    }
    if (CBDevice->currentIndex() < 0) {
        showProblem(u"Bitte ein Gerät wählen."_s, CBDevice);
        return;
    }
    m_result = store();
    if (m_result == RasError::Success)
        m_stored = creating ? name : m_entryName;
    done(m_result == RasError::Success ? Accepted : Rejected);
}

int SimEntryDialog::store()
{
    const bool creating = m_entryName.isEmpty();
    const QString name = creating ? EditName->text().trimmed() : m_entryName;
    const RasDevice device = m_devices.at(CBDevice->currentIndex());
    RasEntry entry;
    if (creating) {
        entry.options = RasEntryOption::IpHeaderCompression | RasEntryOption::RemoteDefaultGateway
            | RasEntryOption::SwCompression | RasEntryOption::NetworkLogon;
    } else if (const int error = m_service.getEntryProperties(name, &entry)) {
        return error; // read afresh: another program may have changed it meanwhile
    }
    entry.localPhoneNumber = EditPhone->text();
    // The same device keeps its port.
    if (creating || deviceNamePart(entry.deviceName) != device.name || entry.deviceType != device.type) {
        entry.deviceName = device.name;
        entry.deviceType = device.type;
    }
    if (const int error = m_service.setEntryProperties(name, entry))
        return error;
    RasDialParams params;
    params.entryName = name;
    params.userName = EditUser->text();
    params.password = EditPassword->text();
    return m_service.setEntryDialParams(params, params.password.isEmpty());
}
