// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialogTools.h"

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

void CenterOnDesktop(QWidget *window)
{
    window->adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}
