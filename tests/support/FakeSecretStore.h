// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "SecretStore.h"

#include <QHash>
#include <QString>

/// A secret store in memory; a test can make every call fail.
class FakeSecretStore : public SecretStore {
public:
    QHash<QString, QString> passwords;
    bool fail = false;
    QString failure = QStringLiteral("Der Passwortspeicher ist gesperrt.");

    bool readPassword(const QString &entryName, QString *password, bool *found, QString *error) override
    {
        if (fail)
            return refuse(error);
        *found = passwords.contains(entryName);
        *password = passwords.value(entryName);
        return true;
    }
    bool writePassword(const QString &entryName, const QString &password, QString *error) override
    {
        if (fail)
            return refuse(error);
        passwords.insert(entryName, password);
        return true;
    }
    bool removePassword(const QString &entryName, QString *error) override
    {
        if (fail)
            return refuse(error);
        passwords.remove(entryName);
        return true;
    }

private:
    bool refuse(QString *error)
    {
        *error = failure;
        return false;
    }
};
