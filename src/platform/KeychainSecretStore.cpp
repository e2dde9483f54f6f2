// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SecretStore.h"

#ifdef RUFWERK_HAVE_KEYCHAIN

#include <QEventLoop>
#include <QTimer>
#include <functional>
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

// Runs a job for an entry and waits for its answer, with user input kept away
// from the program's windows meanwhile. A job that does not answer in time is
// left to delete itself once it does.
template <typename Job>
std::unique_ptr<Job> run(const QString &entryName, QString *error, const std::function<void(Job &)> &setup = {})
{
    auto job = std::make_unique<Job>(serviceName());
    job->setAutoDelete(false);
    job->setKey(entryName);
    if (setup)
        setup(*job);
    QEventLoop loop;
    bool answered = false;
    QObject::connect(job.get(), &QKeychain::Job::finished, &loop, [&] {
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(AnswerTimeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!answered) {
        *error = u"Der Passwortspeicher des Desktops antwortet nicht."_s;
        job.release()->setAutoDelete(true);
        return nullptr;
    }
    return job;
}

class KeychainSecretStore : public SecretStore {
public:
    bool readPassword(const QString &entryName, QString *password, bool *found, QString *error) override
    {
        const auto job = run<QKeychain::ReadPasswordJob>(entryName, error);
        if (!job)
            return false;
        // Only a store that refuses counts as a failure. A desktop without one
        // (no session bus, no keyring) has no password stored: dialing then
        // asks for it, where "DFÜ-Passwort abfragen" is on.
        if (job->error() == QKeychain::AccessDenied || job->error() == QKeychain::AccessDeniedByUser) {
            *error = storeError(*job);
            return false;
        }
        *found = job->error() == QKeychain::NoError;
        *password = *found ? job->textData() : QString();
        return true;
    }

    bool writePassword(const QString &entryName, const QString &password, QString *error) override
    {
        const auto job = run<QKeychain::WritePasswordJob>(
            entryName, error, [&password](QKeychain::WritePasswordJob &j) { j.setTextData(password); });
        return job && succeeded(*job, error);
    }

    bool removePassword(const QString &entryName, QString *error) override
    {
        const auto job = run<QKeychain::DeletePasswordJob>(entryName, error);
        return job && (job->error() == QKeychain::EntryNotFound || succeeded(*job, error));
    }

private:
    static bool succeeded(const QKeychain::Job &job, QString *error)
    {
        if (job.error() == QKeychain::NoError)
            return true;
        *error = storeError(job);
        return false;
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
