// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "SystemRestart.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

/**
 * A restart service for tests: records every request and answers with
 * result. It never restarts anything; with askConfirmation it asks the
 * confirm callback first, like the systems without a prompt of their own.
 */
class FakeSystemRestart : public SystemRestart {
public:
    struct Request {
        QString reason;
        QWidget *owner = nullptr;
        bool confirmGiven = false; // a confirm callback was passed
    };

    QList<Request> requests;
    RestartResult result { RestartResult::Requested, QString() };
    bool askConfirmation = false;
    QStringList questions; // what confirm was asked

    QString backendName() const override { return QStringLiteral("Fake"); }

    RestartResult requestRestart(const QString &reason, QWidget *owner, const Confirm &confirm) override
    {
        requests.append({ reason, owner, bool(confirm) });
        if (askConfirmation) {
            if (!confirm)
                return { RestartResult::Failed, QStringLiteral("Keine Bestätigung möglich.") };
            questions.append(reason);
            if (!confirm(reason))
                return { RestartResult::Declined, QString() };
        }
        return result;
    }
};
