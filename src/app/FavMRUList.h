// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QStringList>

class SettingsStore;

/**
 * The history of opened favourites: at most ten addresses, newest first,
 * stored as "HA" .. "HJ" in the section "MRUList" of the start settings.
 */
class TFavMRUList {
public:
    static constexpr int MaxCount = 10;

    static QString Key();
    /// "HA" for the first entry, "HB" for the second, ...
    static QString ValueName(int index);

    /// Puts address at the top; one already listed (compared without regard
    /// to case) moves there, and the oldest beyond ten is dropped.
    void Add(const QString &address);
    void Clear() { FItems.clear(); }
    const QStringList &Items() const { return FItems; }
    bool IsEmpty() const { return FItems.isEmpty(); }

    void Load(const SettingsStore &store);
    bool Save(SettingsStore &store) const;

    /// The menu caption of entry index: "&1 address" .. "&9 address", "&A address" for the tenth.
    static QString Caption(int index, const QString &address);

private:
    QStringList FItems;
};
