// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "OnlineLaunch.h"

#include "FormMain.h"
#include "FormOpenOn.h"
#include "RASWorkUnit.h"

#include <QAction>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace OnlineLaunch {

bool ConnectionUp(const TFormMain &form)
{
    const int state = form.ConnectionState();
    return state == Online || state == ExternalOnline;
}

Choice Ask(TFormMain &form, const QString &name)
{
    if (form.AlwaysOnline)
        return Choice::Online;
    TFormOpenOn dialog(name, &form.AlwaysOnline, &form);
    switch (dialog.exec()) {
    case mrYes:
        return Choice::Online;
    case mrNo:
        return Choice::Offline;
    default:
        return Choice::Cancel;
    }
}

bool DialAndWait(TFormMain &form)
{
    QPointer<TFormMain> window(&form);
    if (!form.engine)
        return false;
    form.engine->ActionConnect->trigger();
    // The module reports "dialing" through the event loop; once that has run,
    // the dial supervision's timer tells whether a dial is still under way.
    QCoreApplication::processEvents();
    auto waiting = [&window] {
        return window && window->engine && !window->IsShutDown() && window->ConnectionState() != Online
            && window->engine->TimerProceed->isActive();
    };
    while (waiting())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return window && !window->IsShutDown() && window->ConnectionState() == Online;
}

void Run(TFormMain &form, const QString &name, const std::function<void()> &open, const std::function<void()> &offline)
{
    if (ConnectionUp(form)) {
        open();
        return;
    }
    switch (Ask(form, name)) {
    case Choice::Online:
        if (DialAndWait(form))
            open();
        break;
    case Choice::Offline:
        (offline ? offline : open)();
        break;
    case Choice::Cancel:
        break;
    }
}

} // namespace OnlineLaunch
