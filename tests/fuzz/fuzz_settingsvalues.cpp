// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The typed values the program reads from its settings file: engine and start
// settings, per-connection fee, time-out and tact, the costs computed from a
// stored fee, the site download options, the window placement and the
// favourites history.
#include "DownloadOptions.h"
#include "EngineSettings.h"
#include "FavMRUList.h"
#include "FuzzSupport.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "WindowPlacement.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace {

QString storePath()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("registry.reg"));
}

void readConnectionValues(const SettingsStore &store)
{
    QStringList names;
    for (const QString &key : {RegKey::Tariff(), RegKey::ConnTimeout(), RegKey::Billing()})
        names += store.valueNames(key);
    for (const QString &name : std::as_const(names)) {
        const QString tariff = ConnectionValues::ReadTariff(store, name);
        const int timeout = ConnectionValues::ReadConnTimeout(store, name);
        FUZZ_CHECK(timeout >= SettingRange::TimeoutMin && timeout <= SettingRange::TimeoutMax);
        const int billing = ConnectionValues::ReadBilling(store, name);
        FUZZ_CHECK(billing == 0 || billing == 1);
        // A day online at the stored fee, and the record of it.
        const double cents = TRASWorkUnit::RunningCost(tariff, billing, QStringLiteral("23:59:59"), 0);
        TRASWorkUnit::CostText(cents);
        TRASWorkUnit::FeeRecordText(cents);
    }
}

void readPlacement(const SettingsStore &store)
{
    const std::optional<WindowPlacement::Placement> placement = WindowPlacement::Read(store);
    if (!placement)
        return;
    const std::optional<WindowPlacement::Placement> again = WindowPlacement::Parse(WindowPlacement::Format(*placement));
    FUZZ_CHECK(again && again->frame == placement->frame && again->minimized == placement->minimized);
    const QList<QRect> areas = {QRect(0, 0, 1920, 1050), QRect(-1280, 0, 1280, 1024)};
    const QPoint at = WindowPlacement::OntoScreens(placement->frame, areas);
    FUZZ_CHECK(areas.at(0).contains(at) || areas.at(1).contains(at));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzGermanLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(storePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(fuzzBytes(data, size)) != qint64(size))
            return 0;
    }
    const FileSettingsStore store(storePath());

    TDFURec engine;
    engine.Read(store);
    TStartSettings start;
    start.Read(store);
    FUZZ_CHECK(start.DisConTime >= 0 && start.DisConTime <= SettingRange::MinutesMax);
    FUZZ_CHECK(engine.RemaindTime >= 0 && engine.RemaindTime <= SettingRange::MinutesMax);
    readConnectionValues(store);

    TDownloadOptions options;
    options.Read(store);
    FUZZ_CHECK(options.RecDep >= 0 && options.RecDep <= TDownloadOptions::MaxDepth);
    FUZZ_CHECK(TDownloadOptions::CleanMaxKB(options.MaxKB) == options.MaxKB);

    readPlacement(store);

    TFavMRUList history;
    history.Load(store);
    FUZZ_CHECK(history.Items().size() <= TFavMRUList::MaxCount);
    store.readInteger(RegKey::StartProgram(), QString(), 0);
    return 0;
}
