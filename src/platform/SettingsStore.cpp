// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SettingsStore.h"

#include "FileLock.h"
#include "RegFile.h"
#include "TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

std::unique_ptr<SettingsStore> &storeSlot()
{
    static std::unique_ptr<SettingsStore> store;
    return store;
}

SettingsStore::FailureHandler &failureHandler()
{
    static SettingsStore::FailureHandler handler;
    return handler;
}

// A writer that holds the lock rewrites a small file in milliseconds; a lock
// held longer belongs to a process that hangs.
constexpr int LockTimeoutMs = 5000;

using RegFile::normalizedKey;
using RegFile::Key;
using RegFile::Tree;
using RegFile::Value;

} // namespace

int SettingsStore::readInteger(const QString &key, const QString &name, int def) const
{
    bool ok = false;
    const int value = readString(key, name).trimmed().toInt(&ok, 10);
    return ok ? value : def;
}

bool SettingsStore::readBool(const QString &key, const QString &name, bool def) const
{
    bool ok = false;
    const int value = readString(key, name).trimmed().toInt(&ok, 10);
    return ok ? value != 0 : def;
}

bool SettingsStore::writeInteger(const QString &key, const QString &name, int value)
{
    return writeString(key, name, QString::number(value));
}

bool SettingsStore::writeBool(const QString &key, const QString &name, bool value)
{
    return writeString(key, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

SettingsStore &SettingsStore::instance()
{
    auto &slot = storeSlot();
    if (!slot) {
#ifdef Q_OS_WIN
        if (qEnvironmentVariableIsEmpty("RUFWERK_HOME"))
            slot = createRegistrySettingsStore();
#endif
        if (!slot)
            slot = std::make_unique<FileSettingsStore>(defaultFilePath());
    }
    return *slot;
}

void SettingsStore::setInstance(std::unique_ptr<SettingsStore> store)
{
    storeSlot() = std::move(store);
}

void SettingsStore::setFailureHandler(FailureHandler handler)
{
    failureHandler() = std::move(handler);
}

void SettingsStore::reportFailure(const Failure &failure)
{
    if (failureHandler())
        failureHandler()(failure);
}

QString SettingsStore::defaultFilePath()
{
    const QString home = qEnvironmentVariable("RUFWERK_HOME");
    if (!home.isEmpty())
        return QDir(home).filePath(QStringLiteral("registry.reg"));
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QLatin1String("/.config");
    return QDir(config).filePath(QStringLiteral("Kovatek/Rufwerk.reg"));
}

struct FileSettingsStore::Private
{
    QString path;
    mutable Tree tree;
    mutable QDateTime loadedModified;
    mutable qint64 loadedSize = -1;

    // Re-reads the file when another process changed it since the last look.
    void refresh() const
    {
        const QFileInfo info(path);
        if (!info.exists()) {
            if (loadedSize != -1) {
                tree.clear();
                loadedSize = -1;
                loadedModified = {};
            }
            return;
        }
        const QDateTime modified = info.lastModified();
        if (modified == loadedModified && info.size() == loadedSize)
            return;
        tree = parse(path);
        loadedModified = modified;
        loadedSize = info.size();
    }

    static Tree parse(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return RegFile::parse(file.readAll());
    }

    bool save(const Tree &t, QString *why) const
    {
        return TextFile::writeText(path, RegFile::serialize(t), why);
    }

    // Runs one change under the file lock on the newest content; a failure is
    // reported as a failure of the value name of key.
    template<typename Change>
    bool modify(const QString &key, const QString &name, Change change)
    {
        QString why;
        if (!tryModify(change, &why)) {
            reportFailure({key, name, why});
            return false;
        }
        return true;
    }

    template<typename Change>
    bool tryModify(Change change, QString *why)
    {
        if (!TextFile::makePrivateFolder(QFileInfo(path).absolutePath())) {
            *why = QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.")
                       .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
            return false;
        }
        FileLock lock(path + QLatin1String(".lock"));
        if (lock.lock(LockTimeoutMs) != FileLock::Result::Locked) {
            *why = lock.errorString();
            return false;
        }
        loadedSize = -2; // force a re-read under the lock
        refresh();
        Tree next = tree;
        if (!change(next))
            return true;
        if (!save(next, why))
            return false;
        tree = next;
        const QFileInfo info(path);
        loadedModified = info.lastModified();
        loadedSize = info.size();
        return true;
    }

    const Key *find(const QString &key) const
    {
        refresh();
        const auto it = tree.constFind(normalizedKey(key).toLower());
        return it == tree.constEnd() ? nullptr : &*it;
    }
};

FileSettingsStore::FileSettingsStore(const QString &path)
    : d(std::make_unique<Private>())
{
    d->path = path;
}

FileSettingsStore::~FileSettingsStore() = default;

QString FileSettingsStore::path() const
{
    return d->path;
}

bool FileSettingsStore::hasValue(const QString &key, const QString &name) const
{
    const Key *k = d->find(key);
    return k && k->values.contains(name.toLower());
}

QString FileSettingsStore::readString(const QString &key, const QString &name, const QString &def) const
{
    const Key *k = d->find(key);
    if (!k)
        return def;
    const auto it = k->values.constFind(name.toLower());
    return it == k->values.constEnd() ? def : it->data;
}

bool FileSettingsStore::writeString(const QString &key, const QString &name, const QString &value)
{
    const QString path = normalizedKey(key);
    return d->modify(key, name, [&](Tree &t) {
        // Writing creates every missing key on the way, as the registry does.
        const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
        QString partial;
        for (const QString &part : parts) {
            partial = partial.isEmpty() ? part : partial + u'\\' + part;
            Key &k = t[partial.toLower()];
            if (k.path.isEmpty())
                k.path = partial;
        }
        Key &k = t[path.toLower()];
        if (k.path.isEmpty())
            k.path = path;
        Value &v = k.values[name.toLower()];
        if (v.name.isEmpty())
            v.name = name;
        v.data = value;
        return true;
    });
}

bool FileSettingsStore::deleteValue(const QString &key, const QString &name)
{
    const QString path = normalizedKey(key).toLower();
    return d->modify(key, name, [&](Tree &t) {
        auto it = t.find(path);
        if (it == t.end())
            return false;
        return it->values.remove(name.toLower()) > 0;
    });
}

bool FileSettingsStore::deleteKey(const QString &key)
{
    const QString path = normalizedKey(key).toLower();
    return d->modify(key, QString(), [&](Tree &t) {
        bool changed = false;
        for (auto it = t.begin(); it != t.end();) {
            if (it.key() == path || it.key().startsWith(path + u'\\')) {
                it = t.erase(it);
                changed = true;
            } else {
                ++it;
            }
        }
        return changed;
    });
}

bool FileSettingsStore::keyExists(const QString &key) const
{
    return d->find(key) != nullptr;
}

QStringList FileSettingsStore::valueNames(const QString &key) const
{
    QStringList names;
    if (const Key *k = d->find(key)) {
        for (const Value &v : k->values)
            names << v.name;
    }
    return names;
}

QStringList FileSettingsStore::subKeys(const QString &key) const
{
    d->refresh();
    const QString prefix = normalizedKey(key).toLower() + u'\\';
    QStringList names;
    for (auto it = d->tree.constBegin(); it != d->tree.constEnd(); ++it) {
        if (!it.key().startsWith(prefix))
            continue;
        const QString rest = it->path.mid(prefix.size());
        if (!rest.isEmpty() && !rest.contains(u'\\'))
            names << rest;
    }
    return names;
}
