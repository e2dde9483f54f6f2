// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

class SettingsStore;

/// Registry keys below HKEY_CURRENT_USER.
namespace RegKey {
inline QString Ras() { return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasMod\\RAS"); }
inline QString Tariff() { return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasMod\\CURMIN"); }
inline QString ConnTimeout() { return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasMod\\TIMEOUT"); }
inline QString Billing() { return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasMod\\CNTTACT"); }
inline QString Bas() { return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasBas\\"); }
inline QString StartProgram() { return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasBas\\STARTPRG"); }
inline QString Download() { return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasDld\\"); }
} // namespace RegKey

/// The engine settings, all under RegKey::Ras().
struct TDFURec
{
    QString ServiceStr;
    int SyncAsync = 1;
    bool ChkPassWord = false;
    int RemaindTime = 2;
    bool KeepAlive = false;
    bool NeppWarning = false;
    bool WithSound = true;
    int SoundIndex = 1;

    void Read(const SettingsStore &store);
    void Write(SettingsStore &store) const;
};

constexpr int DefaultTimeout = 60;

/// The ranges the settings dialog offers; stored values are clamped to them
/// when read, so a hand-edited value cannot overflow a timer.
namespace SettingRange {
constexpr int TimeoutMin = 10;
constexpr int TimeoutMax = 600;
constexpr int MinutesMax = 120; // reminder interval and idle time, from 0
} // namespace SettingRange

/// A stored dial time-out within the dialog's range; 0 or less means unset.
int ClampTimeout(int seconds);

/// The start settings under RegKey::Bas().
struct TStartSettings
{
    bool ShowPostIt = true;
    bool MiniStart = false;
    int PostItIndex = 1;
    bool AutoStart = false;
    bool ChkExtern = true;
    bool FeeRecord = true;
    int DisConTime = 5;
    bool Altruf5Progs = true;

    void Read(const SettingsStore &store);
    /// Writes every start setting (not STARTPRG).
    void Write(SettingsStore &store) const;
};

/// The current connection's values kept per connection name.
namespace ConnectionValues {
QString ReadTariff(const SettingsStore &store, const QString &name);
int ReadConnTimeout(const SettingsStore &store, const QString &name);
int ReadBilling(const SettingsStore &store, const QString &name);
void WriteTariff(SettingsStore &store, const QString &name, const QString &tariff);
void WriteConnTimeout(SettingsStore &store, const QString &name, int seconds);
void WriteBilling(SettingsStore &store, const QString &name, int billing);
/// Removes the three values of a connection that was deleted.
void DeleteValues(SettingsStore &store, const QString &name);
/// The three values of a renamed connection go to its new name; what is not
/// stored for from (its default) is not stored for to either.
void MoveValues(SettingsStore &store, const QString &from, const QString &to);
} // namespace ConnectionValues
