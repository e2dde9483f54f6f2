// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
//
// The settings store over the current user's registry (HKEY_CURRENT_USER).
// Values are written as REG_SZ; REG_DWORD values that older versions or other
// tools left behind read as their decimal text.
#include "RegFile.h"
#include "SettingsStore.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// An open registry key that closes itself.
class TRegKey
{
public:
    TRegKey() = default;
    TRegKey(const TRegKey &) = delete;
    TRegKey &operator=(const TRegKey &) = delete;
    ~TRegKey()
    {
        if (FKey)
            RegCloseKey(FKey);
    }

    bool open(const QString &path, REGSAM access)
    {
        const QString key = RegFile::normalizedKey(path);
        return RegOpenKeyExW(HKEY_CURRENT_USER, wide(key), 0, access, &FKey) == ERROR_SUCCESS;
    }

    // Creates every missing key on the way.
    bool create(const QString &path)
    {
        const QString key = RegFile::normalizedKey(path);
        return RegCreateKeyExW(HKEY_CURRENT_USER, wide(key), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                               &FKey, nullptr)
            == ERROR_SUCCESS;
    }

    HKEY handle() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

// Reads a value as text; false when it is missing or of a kind without a text form.
bool readValue(HKEY key, const QString &name, QString *text)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    std::vector<BYTE> data(size + sizeof(wchar_t));
    DWORD got = size;
    if (RegQueryValueExW(key, wide(name), nullptr, &type, data.data(), &got) != ERROR_SUCCESS)
        return false;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        qsizetype chars = qsizetype(got / sizeof(wchar_t));
        const auto *units = reinterpret_cast<const char16_t *>(data.data());
        while (chars > 0 && units[chars - 1] == 0)
            --chars;
        *text = QString::fromUtf16(units, chars);
        return true;
    }
    case REG_DWORD: {
        DWORD value = 0;
        if (got < sizeof value)
            return false;
        memcpy(&value, data.data(), sizeof value);
        *text = QString::number(qint32(value));
        return true;
    }
    default:
        return false;
    }
}

// RegDeleteKey removes only empty keys, so the sub-keys go first.
bool deleteTree(HKEY parent, const QString &name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, wide(name), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    QStringList children;
    for (DWORD index = 0;; ++index) {
        wchar_t child[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children << QString::fromWCharArray(child, int(length));
    }
    bool ok = true;
    for (const QString &child : std::as_const(children))
        ok = deleteTree(key, child) && ok;
    RegCloseKey(key);
    return RegDeleteKeyW(parent, wide(name)) == ERROR_SUCCESS && ok;
}

class WinRegistrySettingsStore : public SettingsStore
{
public:
    bool hasValue(const QString &key, const QString &name) const override
    {
        TRegKey k;
        if (!k.open(key, KEY_QUERY_VALUE))
            return false;
        return RegQueryValueExW(k.handle(), wide(name), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    QString readString(const QString &key, const QString &name, const QString &def) const override
    {
        TRegKey k;
        if (!k.open(key, KEY_QUERY_VALUE))
            return def;
        QString text;
        return readValue(k.handle(), name, &text) ? text : def;
    }

    bool writeString(const QString &key, const QString &name, const QString &value) override
    {
        TRegKey k;
        if (!k.create(key)) {
            reportFailure({key, name, QStringLiteral("Der Schlüssel kann nicht angelegt werden.")});
            return false;
        }
        const DWORD bytes = DWORD((value.size() + 1) * sizeof(wchar_t));
        const LONG result =
            RegSetValueExW(k.handle(), wide(name), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.utf16()), bytes);
        if (result != ERROR_SUCCESS) {
            reportFailure({key, name, QStringLiteral("Fehler %1 der Registrierung.").arg(result)});
            return false;
        }
        return true;
    }

    bool deleteValue(const QString &key, const QString &name) override
    {
        TRegKey k;
        if (!k.open(key, KEY_SET_VALUE))
            return false;
        return RegDeleteValueW(k.handle(), wide(name)) == ERROR_SUCCESS;
    }

    bool deleteKey(const QString &key) override
    {
        const QString path = RegFile::normalizedKey(key);
        if (path.isEmpty())
            return false; // never the whole user hive
        return deleteTree(HKEY_CURRENT_USER, path);
    }

    bool keyExists(const QString &key) const override
    {
        TRegKey k;
        return k.open(key, KEY_READ);
    }

    QStringList valueNames(const QString &key) const override
    {
        QStringList names;
        TRegKey k;
        if (!k.open(key, KEY_QUERY_VALUE))
            return names;
        DWORD longest = 0;
        if (RegQueryInfoKeyW(k.handle(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                             nullptr, nullptr, nullptr)
            != ERROR_SUCCESS) {
            return names;
        }
        std::vector<wchar_t> name(longest + 2);
        for (DWORD index = 0;; ++index) {
            DWORD length = DWORD(name.size());
            if (RegEnumValueW(k.handle(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr)
                != ERROR_SUCCESS) {
                break;
            }
            names << QString::fromWCharArray(name.data(), int(length));
        }
        return names;
    }

    QStringList subKeys(const QString &key) const override
    {
        QStringList names;
        TRegKey k;
        if (!k.open(key, KEY_ENUMERATE_SUB_KEYS))
            return names;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumKeyExW(k.handle(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names << QString::fromWCharArray(name, int(length));
        }
        return names;
    }
};

} // namespace

std::unique_ptr<SettingsStore> createRegistrySettingsStore()
{
    return std::make_unique<WinRegistrySettingsStore>();
}
