// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <memory>

/**
 * Where the system dial-up backend keeps the passwords of its entries: the
 * desktop's secret store, never a file of its own. Each call waits for the
 * store's answer (a locked store may ask the user to unlock it first).
 */
class SecretStore {
public:
    virtual ~SecretStore() = default;

    /// True on success; found tells whether a password is stored. On failure error gets a German message.
    virtual bool readPassword(const QString &entryName, QString *password, bool *found, QString *error) = 0;
    virtual bool writePassword(const QString &entryName, const QString &password, QString *error) = 0;
    /// Removing a password that is not stored succeeds.
    virtual bool removePassword(const QString &entryName, QString *error) = 0;
};

/// The desktop's secret store (Secret Service or KWallet) through QtKeychain,
/// or nullptr when the program was built without it.
std::unique_ptr<SecretStore> createDesktopSecretStore();
