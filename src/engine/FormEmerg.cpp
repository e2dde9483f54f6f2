// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormEmerg.h"

#include "DialogTools.h"
#include "MessageDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

TFormEmerg::Hook &hook()
{
    static TFormEmerg::Hook h;
    return h;
}

} // namespace

TFormEmerg::TFormEmerg(QWidget *parent)
    : QDialog(parent, OnTopDialogFlags)
    , FLabelMessage(new QLabel(this))
    , FBtnUncritical(CreateHintButton(this, QStringLiteral("BtnUncritical"), QStringLiteral("&Unkritischer Abbruch"),
          QStringLiteral("Unkritischer bekannter Abbruch")))
    , FBtnCritical(CreateHintButton(this, QStringLiteral("BtnCritical"), QStringLiteral("&Kritischer Abbruch"),
          QStringLiteral("Kritischer Abbruch, System-Neustart")))
    , FCBNoWarning(new QCheckBox(QStringLiteral("Warnmeldung nicht mehr anzeigen"), this))
{
    setObjectName(QStringLiteral("FormEmerg"));
    setWindowTitle(QStringLiteral("DFÜ-Abbruch - Nepp-Sicherung"));
    setProperty("HelpContext", HelpContext);
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ImageWarning"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    FLabelMessage->setObjectName(QStringLiteral("LabelMessage"));
    FLabelMessage->setText(MessageDialog::DisplayText(MessageText()));
    FLabelMessage->setWordWrap(true);
    FLabelMessage->setMinimumWidth(340);
    FCBNoWarning->setObjectName(QStringLiteral("CBNoWarning"));
    FCBNoWarning->setToolTip(QStringLiteral("Warnmeldun unterdrücken"));
    FCBNoWarning->setStatusTip(QStringLiteral("Warnmeldun unterdrücken"));

    // The harmless answer is the default, so Enter never restarts the computer.
    FBtnUncritical->setDefault(true);
    connect(FBtnUncritical, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(FBtnCritical, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(FCBNoWarning, &QCheckBox::clicked, this, &TFormEmerg::CBNoWarningClick);

    auto *text = new QHBoxLayout;
    text->addWidget(icon);
    text->addWidget(FLabelMessage, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(FBtnUncritical);
    buttons->addWidget(FBtnCritical);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(text);
    layout->addLayout(buttons);
    layout->addWidget(FCBNoWarning);
}

QString TFormEmerg::MessageText()
{
    return QStringLiteral("\r\nEine DFÜ-Verbindung wurde extern geschlossen.\r\n\r\nWenn Sie den Verdacht haben, "
                          "dass eine fremde DFÜ-Verbindung installiert werden könnte, drücken Sie "
                          "\"Kritischer Abbruch\", um den Computer neu zu starten.");
}

QString TFormEmerg::RestartReason()
{
    return QStringLiteral("Sicherheits-Abbruch\r\n\r\n ");
}

bool TFormEmerg::NoWarning() const
{
    return FCBNoWarning->isChecked();
}

void TFormEmerg::SetNoWarning(bool on)
{
    FCBNoWarning->setChecked(on);
}

int TFormEmerg::Execute(bool neppWarning, const std::function<void(bool)> &noWarningClicked, QWidget *parent)
{
    TFormEmerg form(parent);
    form.SetNoWarning(neppWarning);
    if (noWarningClicked)
        connect(&form, &TFormEmerg::CBNoWarningClick, &form, noWarningClicked);
    if (hook())
        return hook()(form);
    return form.exec();
}

void TFormEmerg::SetHook(Hook h)
{
    hook() = std::move(h);
}

RestartResult TFormEmerg::RestartComputer(QWidget *parent)
{
    const RestartResult result = SystemRestart::instance().requestRestart(RestartReason(), parent,
        [parent](const QString &question) { return MessageDialog::QuestionDefaultNo(question, parent); });
    if (result.outcome == RestartResult::Failed)
        MessageDialog::Error(result.error, parent);
    return result;
}

void TFormEmerg::reject()
{
    // Closing the window is the harmless answer.
    done(mrCancel);
}

void TFormEmerg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterOnDesktop(this);
}
