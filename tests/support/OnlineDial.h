// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "FormMain.h"
#include "FormOpenOn.h"
#include "RASWorkUnit.h"
#include "WindowMessage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

/// Answers the engine's connect action like a connection module: "dialing" at
/// once, then finalState (Online, or Offline for a stopped dial) a moment later.
inline void AnswerDial(TFormMain &form, int finalState, int *dials = nullptr)
{
    QObject::connect(form.engine->ActionConnect, &QAction::triggered, &form, [&form, finalState, dials] {
        if (dials)
            ++*dials;
        QCoreApplication::postEvent(&form, new TWindowMessage(WM::ConnectionState, Dialing));
        QTimer::singleShot(20, &form, [&form, finalState] {
            QCoreApplication::postEvent(&form, new TWindowMessage(WM::ConnectionState, finalState));
        });
    });
}

/// How the user answers "DFÜ-Online" in a test.
struct OpenOnAnswer {
    /// "BtnShutDown" (online), "BtnLeaveOpen" (offline), "BtnCancel" (also when
    /// empty), or "close" for the close box.
    QString button;
    bool tick = false;
    /// Filled in: how often the dialog came, and what its label showed last.
    int shown = 0;
    QString label;
    QString labelTip;
};

/// Answers every "DFÜ-Online" that comes while the form lives as answer says
/// at that moment; a dialog nobody expected is cancelled and counted, so a
/// test never hangs on it.
inline void WhenOpenOnShows(TFormMain &form, OpenOnAnswer &answer)
{
    auto *timer = new QTimer(&form);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, &form, [&answer] {
        auto *dialog = qobject_cast<TFormOpenOn *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        ++answer.shown;
        answer.label = dialog->LabelName->text();
        answer.labelTip = dialog->LabelName->toolTip();
        if (answer.tick)
            dialog->CBOnStart->setChecked(true);
        if (answer.button == QLatin1String("close"))
            dialog->close();
        else
            dialog->findChild<QPushButton *>(answer.button.isEmpty() ? QStringLiteral("BtnCancel") : answer.button)
                ->click();
    });
    timer->start();
}
