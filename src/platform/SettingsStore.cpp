// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

std::unique_ptr<SettingsStore> &storeSlot()
{
    static std::unique_ptr<SettingsStore> store;
    return store;
}

QString normalizedKey(const QString &key)
{
    QString k = key;
    k.replace(u'/', u'\\');
    while (k.startsWith(u'\\'))
        k.remove(0, 1);
    while (k.endsWith(u'\\'))
        k.chop(1);
    return k;
}

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\0': out += QLatin1String("\\0"); break;
        default: out += c;
        }
    }
    return out;
}

// Reads a quoted text starting at pos (at the opening quote); returns the
// position after the closing quote, or -1 when the text is not closed.
qsizetype readQuoted(const QString &line, qsizetype pos, QString *out)
{
    if (pos >= line.size() || line.at(pos) != u'"')
        return -1;
    out->clear();
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"')
            return i + 1;
        if (c == u'\\' && i + 1 < line.size()) {
            const QChar n = line.at(++i);
            switch (n.unicode()) {
            case 'n': *out += u'\n'; break;
            case 'r': *out += u'\r'; break;
            case '0': *out += QChar(0); break;
            default: *out += n;
            }
            continue;
        }
        *out += c;
    }
    return -1;
}

struct Value
{
    QString name; // as first written
    QString data;
};

struct Key
{
    QString path; // as first written
    QMap<QString, Value> values; // by lower-case name
};

using Tree = QMap<QString, Key>; // by lower-case path

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
        Tree result;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        Key *current = nullptr;
        for (QString line : lines) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (line.startsWith(u'[') && line.endsWith(u']')) {
                QString keyPath = line.mid(1, line.size() - 2);
                const QString prefix = QStringLiteral("HKEY_CURRENT_USER\\");
                if (keyPath.startsWith(prefix, Qt::CaseInsensitive))
                    keyPath = keyPath.mid(prefix.size());
                keyPath = normalizedKey(keyPath);
                Key &key = result[keyPath.toLower()];
                if (key.path.isEmpty())
                    key.path = keyPath;
                current = &key;
                continue;
            }
            if (!current)
                continue;
            QString name;
            qsizetype pos = 0;
            if (line.startsWith(u'@')) {
                pos = 1;
            } else {
                pos = readQuoted(line, 0, &name);
                if (pos < 0)
                    continue; // damaged line: skip it, keep the rest
            }
            if (pos >= line.size() || line.at(pos) != u'=')
                continue;
            QString data;
            if (readQuoted(line, pos + 1, &data) < 0)
                continue;
            current->values.insert(name.toLower(), Value{name, data});
        }
        return result;
    }

    bool save(const Tree &t) const
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        QString out = QStringLiteral("Windows Registry Editor Version 5.00\r\n");
        for (const Key &key : t) {
            out += QLatin1String("\r\n[HKEY_CURRENT_USER\\") + key.path + QLatin1String("]\r\n");
            for (const Value &value : key.values) {
                if (value.name.isEmpty())
                    out += QLatin1Char('@');
                else
                    out += u'"' + escaped(value.name) + u'"';
                out += QLatin1String("=\"") + escaped(value.data) + QLatin1String("\"\r\n");
            }
        }
        file.write(out.toUtf8());
        return file.commit();
    }

    // Runs one change under the file lock on the newest content.
    template<typename Change>
    bool modify(Change change)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QLockFile lock(path + QLatin1String(".lock"));
        lock.setStaleLockTime(10000);
        if (!lock.tryLock(5000))
            return false;
        loadedSize = -2; // force a re-read under the lock
        refresh();
        Tree next = tree;
        if (!change(next))
            return true;
        if (!save(next))
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
    return d->modify([&](Tree &t) {
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
    return d->modify([&](Tree &t) {
        auto it = t.find(path);
        if (it == t.end())
            return false;
        return it->values.remove(name.toLower()) > 0;
    });
}

bool FileSettingsStore::deleteKey(const QString &key)
{
    const QString path = normalizedKey(key).toLower();
    return d->modify([&](Tree &t) {
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
