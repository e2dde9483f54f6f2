// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineSettings.h"

#include "SettingsStore.h"

#include <QtGlobal>

int ClampTimeout(int seconds)
{
    if (seconds <= 0)
        return DefaultTimeout;
    return qBound(SettingRange::TimeoutMin, seconds, SettingRange::TimeoutMax);
}

namespace {
int clampChoice(int value) { return qBound(0, value, 1); }
int clampMinutes(int value) { return qBound(0, value, SettingRange::MinutesMax); }
} // namespace

void TDFURec::Read(const SettingsStore &store)
{
    const QString key = RegKey::Ras();
    const TDFURec def;
    ServiceStr = store.readString(key, QStringLiteral("ServiceStr"), def.ServiceStr);
    SyncAsync = clampChoice(store.readInteger(key, QStringLiteral("SyncAsync"), def.SyncAsync));
    ChkPassWord = store.readBool(key, QStringLiteral("ChkPassWord"), def.ChkPassWord);
    RemaindTime = clampMinutes(store.readInteger(key, QStringLiteral("RemaindTime"), def.RemaindTime));
    KeepAlive = store.readBool(key, QStringLiteral("KeepAlive"), def.KeepAlive);
    NeppWarning = store.readBool(key, QStringLiteral("NeppWarning"), def.NeppWarning);
    WithSound = store.readBool(key, QStringLiteral("WithSound"), def.WithSound);
    SoundIndex = clampChoice(store.readInteger(key, QStringLiteral("SoundIndex"), def.SoundIndex));
}

void TDFURec::Write(SettingsStore &store) const
{
    const QString key = RegKey::Ras();
    store.writeString(key, QStringLiteral("ServiceStr"), ServiceStr);
    store.writeInteger(key, QStringLiteral("SyncAsync"), SyncAsync);
    store.writeBool(key, QStringLiteral("ChkPassWord"), ChkPassWord);
    store.writeInteger(key, QStringLiteral("RemaindTime"), RemaindTime);
    store.writeBool(key, QStringLiteral("KeepAlive"), KeepAlive);
    store.writeBool(key, QStringLiteral("NeppWarning"), NeppWarning);
    store.writeBool(key, QStringLiteral("WithSound"), WithSound);
    store.writeInteger(key, QStringLiteral("SoundIndex"), SoundIndex);
}

void TStartSettings::Read(const SettingsStore &store)
{
    const QString key = RegKey::Bas();
    const TStartSettings def;
    ShowPostIt = store.readBool(key, QStringLiteral("ShowPostIt"), def.ShowPostIt);
    MiniStart = store.readBool(key, QStringLiteral("MiniStart"), def.MiniStart);
    PostItIndex = clampChoice(store.readInteger(key, QStringLiteral("PostItIndex"), def.PostItIndex));
    AutoStart = store.readBool(key, QStringLiteral("AutoStart"), def.AutoStart);
    ChkExtern = store.readBool(key, QStringLiteral("ChkExtern"), def.ChkExtern);
    FeeRecord = store.readBool(key, QStringLiteral("FeeRecord"), def.FeeRecord);
    DisConTime = clampMinutes(store.readInteger(key, QStringLiteral("DisConTime"), def.DisConTime));
    Altruf5Progs = store.readBool(key, QStringLiteral("Altruf5Progs"), def.Altruf5Progs);
}

void TStartSettings::Write(SettingsStore &store) const
{
    const QString key = RegKey::Bas();
    store.writeBool(key, QStringLiteral("ShowPostIt"), ShowPostIt);
    store.writeBool(key, QStringLiteral("MiniStart"), MiniStart);
    store.writeInteger(key, QStringLiteral("PostItIndex"), PostItIndex);
    store.writeBool(key, QStringLiteral("AutoStart"), AutoStart);
    store.writeBool(key, QStringLiteral("ChkExtern"), ChkExtern);
    store.writeBool(key, QStringLiteral("FeeRecord"), FeeRecord);
    store.writeInteger(key, QStringLiteral("DisConTime"), DisConTime);
    store.writeBool(key, QStringLiteral("Altruf5Progs"), Altruf5Progs);
}

namespace ConnectionValues {

QString ReadTariff(const SettingsStore &store, const QString &name)
{
    return store.readString(RegKey::Tariff(), name, QStringLiteral("0,000"));
}

int ReadConnTimeout(const SettingsStore &store, const QString &name)
{
    return ClampTimeout(store.readInteger(RegKey::ConnTimeout(), name, DefaultTimeout));
}

int ReadBilling(const SettingsStore &store, const QString &name)
{
    return store.readInteger(RegKey::Billing(), name, 0) != 0 ? 1 : 0;
}

void WriteTariff(SettingsStore &store, const QString &name, const QString &tariff)
{
    store.writeString(RegKey::Tariff(), name, tariff);
}

void WriteConnTimeout(SettingsStore &store, const QString &name, int seconds)
{
    store.writeInteger(RegKey::ConnTimeout(), name, seconds);
}

void WriteBilling(SettingsStore &store, const QString &name, int billing)
{
    store.writeInteger(RegKey::Billing(), name, billing);
}

void DeleteValues(SettingsStore &store, const QString &name)
{
    for (const QString &key : {RegKey::Tariff(), RegKey::ConnTimeout(), RegKey::Billing()}) {
        if (store.hasValue(key, name))
            store.deleteValue(key, name);
    }
}

void MoveValues(SettingsStore &store, const QString &from, const QString &to)
{
    for (const QString &key : {RegKey::Tariff(), RegKey::ConnTimeout(), RegKey::Billing()}) {
        // Deleted first: names that differ in letter case only are one value.
        const bool stored = store.hasValue(key, from);
        const QString value = store.readString(key, from);
        if (stored)
            store.deleteValue(key, from);
        if (stored)
            store.writeString(key, to, value);
        else if (store.hasValue(key, to))
            store.deleteValue(key, to); // left by an earlier connection of that name
    }
}

} // namespace ConnectionValues
