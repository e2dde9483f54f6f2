// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormOpenOn.h"

#include "DialogTools.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

TFormOpenOn::TFormOpenOn(const QString &name, bool *alwaysOnline, QWidget *parent)
    : QDialog(parent, OnTopDialogFlags)
    , LabelName(new QLabel(this))
    , CBOnStart(new QCheckBox(u"&Immer Online starten"_s, this))
{
    setObjectName(u"FormOpenOn"_s);
    setWindowTitle(u"DFÜ-Online"_s);
    setModal(true);

    auto *labelConnection = new QLabel(u"Verbindung:"_s, this);
    labelConnection->setObjectName(u"LabelConnection"_s);
    LabelName->setObjectName(u"LabelName"_s);
    QFont bold = LabelName->font();
    bold.setBold(true);
    LabelName->setFont(bold);
    QPalette navy = LabelName->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    LabelName->setPalette(navy);
    LabelName->setText(LabelName->fontMetrics().elidedText(name, Qt::ElideRight, NameWidth));
    LabelName->setToolTip(name); // the whole name or address, also when cut
    LabelName->setTextFormat(Qt::PlainText);

    auto *online = CreateHintButton(this, u"BtnShutDown"_s, u"&Online starten"_s, u"Programm online starten"_s);
    auto *offline = CreateHintButton(this, u"BtnLeaveOpen"_s, u"O&ffline starten"_s, u"Programm offline starten"_s);
    auto *cancel = CreateHintButton(this, u"BtnCancel"_s, u"&Abbrechen"_s, u"Aktive Verbindung beenden"_s);
    online->setDefault(true);
    connect(online, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(offline, &QPushButton::clicked, this, [this] { done(mrNo); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(mrCancel); });

    CBOnStart->setObjectName(u"CBOnStart"_s);
    CBOnStart->setProperty("HelpContext", 163);
    SetHint(CBOnStart, u"Bis zum nächsten Rufwerk Aufruf immer online starten|PostIt Hilfe ein / aus"_s);
    CBOnStart->setChecked(alwaysOnline && *alwaysOnline);
    if (alwaysOnline)
        connect(CBOnStart, &QCheckBox::toggled, this, [alwaysOnline](bool on) { *alwaysOnline = on; });

    auto *layout = new QGridLayout(this);
    layout->addWidget(labelConnection, 0, 0);
    layout->addWidget(LabelName, 0, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(online);
    buttons->addWidget(offline);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 1, 0, 1, 2);
    layout->addWidget(CBOnStart, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog border
}

void TFormOpenOn::reject()
{
    // Escape and the close box count as "&Abbrechen".
    done(mrCancel);
}

void TFormOpenOn::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterOnDesktop(this);
}
