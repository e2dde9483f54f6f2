// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

/**
 * The current user's settings, addressed like the Windows registry below
 * HKEY_CURRENT_USER: a key path such as "Software\Kovatek\Rufwerk\RasMod\RAS"
 * and a value name (empty for the key's default value). Key paths and value
 * names compare without regard to case. Integers are stored as decimal text and
 * booleans as "0"/"1"; a missing or malformed value reads as the default, and
 * writing creates missing keys.
 */
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    virtual bool hasValue(const QString &key, const QString &name) const = 0;
    /// The stored text, or def when the value is missing.
    virtual QString readString(const QString &key, const QString &name, const QString &def = QString()) const = 0;
    /// Returns false when the store could not be written.
    virtual bool writeString(const QString &key, const QString &name, const QString &value) = 0;
    virtual bool deleteValue(const QString &key, const QString &name) = 0;
    /// Deletes the key with its values and sub-keys.
    virtual bool deleteKey(const QString &key) = 0;
    virtual bool keyExists(const QString &key) const = 0;
    virtual QStringList valueNames(const QString &key) const = 0;
    virtual QStringList subKeys(const QString &key) const = 0;

    int readInteger(const QString &key, const QString &name, int def) const;
    bool readBool(const QString &key, const QString &name, bool def) const;
    bool writeInteger(const QString &key, const QString &name, int value);
    bool writeBool(const QString &key, const QString &name, bool value);

    /// The process-wide store: the registry on Windows, a file elsewhere.
    static SettingsStore &instance();
    /// Replaces the process-wide store (tests).
    static void setInstance(std::unique_ptr<SettingsStore> store);
    /// Where the file store lives: $RUFWERK_HOME/registry.reg, else the user's config folder.
    static QString defaultFilePath();

    /// A write, deletion or key deletion that failed; name is empty for a key's
    /// default value and for a deleted key.
    struct Failure
    {
        QString key;
        QString name;
        QString reason; // German
    };
    /// Who hears of failed writes (the program tells the user); without one
    /// the writes only return false.
    using FailureHandler = std::function<void(const Failure &failure)>;
    static void setFailureHandler(FailureHandler handler);

protected:
    /// Implementations report every write that fails.
    static void reportFailure(const Failure &failure);
};

/**
 * Settings kept in a text file in the layout of a registry export (.reg, UTF-8).
 * Every write locks the file, merges with what other processes wrote meanwhile
 * and replaces the file atomically, so concurrent writers never corrupt it.
 */
class FileSettingsStore : public SettingsStore
{
public:
    explicit FileSettingsStore(const QString &path);
    ~FileSettingsStore() override;

    QString path() const;

    bool hasValue(const QString &key, const QString &name) const override;
    QString readString(const QString &key, const QString &name, const QString &def = QString()) const override;
    bool writeString(const QString &key, const QString &name, const QString &value) override;
    bool deleteValue(const QString &key, const QString &name) override;
    bool deleteKey(const QString &key) override;
    bool keyExists(const QString &key) const override;
    QStringList valueNames(const QString &key) const override;
    QStringList subKeys(const QString &key) const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#ifdef Q_OS_WIN
std::unique_ptr<SettingsStore> createRegistrySettingsStore();
#endif
