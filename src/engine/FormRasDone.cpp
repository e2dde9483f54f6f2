// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormRasDone.h"

#include "DialogTools.h"
#include "Sounds.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <cmath>

namespace {

TFormRasDone::Hook &hook()
{
    static TFormRasDone::Hook h;
    return h;
}

} // namespace

TFormRasDone::TFormRasDone(QWidget *parent)
    : QDialog(parent, OnTopDialogFlags)
    , LabelRASConn(new QLabel(this))
    , TimerDisCon(new QTimer(this))
    , FBtnDisconnect(CreateHintButton(this, QStringLiteral("BtnDisconnect"), QStringLiteral("Verbindung be&enden"),
          QStringLiteral("Aktive Verbindung beenden")))
    , FBtnKeep(CreateHintButton(this, QStringLiteral("BtnKeep"), QStringLiteral("Verbindung be&lassen"),
          QStringLiteral("Aktive Verbindung nicht beenden")))
    , FBtnCancel(CreateHintButton(
          this, QStringLiteral("BtnCancel"), QStringLiteral("&Abbrechen"), QStringLiteral("Aktive Verbindung beenden")))
    , FLabelCountdown(new QLabel(this))
    , FTimerCountdown(new QTimer(this))
{
    setObjectName(QStringLiteral("FormRasDone"));
    setModal(true);

    auto *labelConnection = new QLabel(QStringLiteral("Verbindung:"), this);
    labelConnection->setObjectName(QStringLiteral("LabelConnection"));
    LabelRASConn->setObjectName(QStringLiteral("LabelRASConn"));
    QFont bold = LabelRASConn->font();
    bold.setBold(true);
    LabelRASConn->setFont(bold);
    QPalette navy = LabelRASConn->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    LabelRASConn->setPalette(navy);
    FLabelCountdown->setObjectName(QStringLiteral("LabelCountdown"));
    FLabelCountdown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *labelTray = new QLabel(QStringLiteral("Beenden in Windows-Symbolleiste überprüfen"), this);
    labelTray->setObjectName(QStringLiteral("LabelCheckTray"));
    labelTray->setAlignment(Qt::AlignCenter);

    FBtnDisconnect->setDefault(true);
    connect(FBtnDisconnect, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(FBtnKeep, &QPushButton::clicked, this, [this] { done(mrNo); });
    connect(FBtnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });

    TimerDisCon->setObjectName(QStringLiteral("TimerDisCon"));
    TimerDisCon->setSingleShot(true);
    TimerDisCon->setInterval(DisConMilliseconds);
    connect(TimerDisCon, &QTimer::timeout, this, &TFormRasDone::TimerDisConTimer);
    FTimerCountdown->setInterval(250);
    connect(FTimerCountdown, &QTimer::timeout, this, &TFormRasDone::updateCountdown);

    auto *layout = new QGridLayout(this);
    layout->addWidget(labelConnection, 0, 0);
    layout->addWidget(LabelRASConn, 0, 1);
    layout->addWidget(FLabelCountdown, 0, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(FBtnDisconnect);
    buttons->addWidget(FBtnKeep);
    buttons->addWidget(FBtnCancel);
    layout->addLayout(buttons, 1, 0, 1, 3);
    layout->addWidget(labelTray, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
}

int TFormRasDone::Execute(QWidget *parent)
{
    TFormRasDone form(parent);
    form.setWindowTitle(QStringLiteral("Keine DFÜ-Aktivität!"));
    form.LabelRASConn->setText(QStringLiteral("Nach 10 Sekunden beenden"));
    if (hook())
        return hook()(form);
    Sounds::Play(Sounds::Kind::Question);
    return form.exec();
}

void TFormRasDone::SetHook(Hook h)
{
    hook() = std::move(h);
}

int TFormRasDone::SecondsLeft() const
{
    if (!TimerDisCon->isActive())
        return 0;
    // A coarse timer may report a little more than its interval.
    const int remaining = qMin(TimerDisCon->remainingTime(), TimerDisCon->interval());
    return int(std::ceil(qMax(remaining, 0) / 1000.0));
}

void TFormRasDone::TimerDisConTimer()
{
    TimerDisCon->stop();
    done(mrAbort);
}

void TFormRasDone::reject()
{
    // Escape and the close button count as "&Abbrechen", not as "no answer".
    done(mrCancel);
}

void TFormRasDone::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterOnDesktop(this);
    if (!TimerDisCon->isActive())
        TimerDisCon->start();
    FTimerCountdown->start();
    updateCountdown();
}

void TFormRasDone::hideEvent(QHideEvent *event)
{
    TimerDisCon->stop();
    FTimerCountdown->stop();
    QDialog::hideEvent(event);
}

void TFormRasDone::updateCountdown()
{
    const int seconds = SecondsLeft();
    FLabelCountdown->setText(seconds > 0 ? QStringLiteral("(%1 s)").arg(seconds) : QString());
}
