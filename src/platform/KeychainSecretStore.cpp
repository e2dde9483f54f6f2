// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SecretStore.h"

#ifdef RUFWERK_HAVE_KEYCHAIN

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

using namespace Qt::StringLiterals;

namespace {

// One service name for all entries; the key is the entry's name.
const QString &serviceName()
{
    static const QString name = u"Rufwerk DFÜ-Verbindungen"_s;
    return name;
}

// A store that must first be unlocked waits for the user; beyond that it is gone.
constexpr int AnswerTimeoutMs = 120000;

QString storeError(const QKeychain::Job &job)
{
    switch (job.error()) {
    case QKeychain::NoBackendAvailable:
        return u"Kein Passwortspeicher des Desktops erreichbar (Secret Service oder KWallet)."_s;
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        return u"Der Passwortspeicher des Desktops hat den Zugriff verweigert."_s;
    default:
        return u"Der Passwortspeicher des Desktops ist nicht erreichbar (%1)."_s.arg(job.errorString());
    }
}

// Runs a job and waits for its answer, with user input kept away from the
// program's windows meanwhile.
bool run(QKeychain::Job &job)
{
    QEventLoop loop;
    bool answered = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(AnswerTimeoutMs, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return answered;
}

class KeychainSecretStore : public SecretStore {
public:
    bool readPassword(const QString &entryName, QString *password, bool *found, QString *error) override
    {
        QKeychain::ReadPasswordJob job(serviceName());
        job.setKey(entryName);
        if (!run(job)) {
            *error = u"Der Passwortspeicher des Desktops antwortet nicht."_s;
            return false;
        }
        // Only a store that refuses counts as a failure. A desktop without one
        // (no session bus, no keyring) has no password stored: dialing then
        // asks for it, where "DFÜ-Passwort abfragen" is on.
        if (job.error() == QKeychain::AccessDenied || job.error() == QKeychain::AccessDeniedByUser) {
            *error = storeError(job);
            return false;
        }
        if (job.error() != QKeychain::NoError) {
            password->clear();
            *found = false;
            return true;
        }
        *password = job.textData();
        *found = true;
        return true;
    }

    bool writePassword(const QString &entryName, const QString &password, QString *error) override
    {
        QKeychain::WritePasswordJob job(serviceName());
        job.setKey(entryName);
        job.setTextData(password);
        if (!run(job)) {
            *error = u"Der Passwortspeicher des Desktops antwortet nicht."_s;
            return false;
        }
        if (job.error() != QKeychain::NoError) {
            *error = storeError(job);
            return false;
        }
        return true;
    }

    bool removePassword(const QString &entryName, QString *error) override
    {
        QKeychain::DeletePasswordJob job(serviceName());
        job.setKey(entryName);
        if (!run(job)) {
            *error = u"Der Passwortspeicher des Desktops antwortet nicht."_s;
            return false;
        }
        if (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound) {
            *error = storeError(job);
            return false;
        }
        return true;
    }
};

} // namespace

std::unique_ptr<SecretStore> createDesktopSecretStore()
{
    return std::make_unique<KeychainSecretStore>();
}

#else

std::unique_ptr<SecretStore> createDesktopSecretStore()
{
    return nullptr;
}

#endif
