// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialogTools.h"

#include "MessageDialog.h"

#include <QAction>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

QPushButton *CreateHintButton(QWidget *parent, const QString &name, const QString &caption, const QString &hint)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    return button;
}

void SetHint(QObject *target, const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    const QString tip = MessageDialog::DisplayText(bar < 0 ? hint : hint.left(bar)).trimmed();
    const QString status = MessageDialog::DisplayText(bar < 0 ? hint : hint.mid(bar + 1)).simplified();
    if (auto *widget = qobject_cast<QWidget *>(target)) {
        widget->setToolTip(tip);
        widget->setStatusTip(status);
    } else if (auto *action = qobject_cast<QAction *>(target)) {
        action->setToolTip(tip);
        action->setStatusTip(status);
    }
}

void CenterOnDesktop(QWidget *window)
{
    window->adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}
