// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The connection module's reading of the settings line (command 5945), and
// the line the engine writes read back by it.
#include "FuzzSupport.h"
#include "RASWorkUnit.h"
#include "RasModule.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

bool sameSettings(const TRasModule::Settings &a, const TRasModule::Settings &b)
{
    return a.Connection == b.Connection && a.SyncAsync == b.SyncAsync && a.ChkPassWord == b.ChkPassWord
        && a.Timeout == b.Timeout && a.RemaindTime == b.RemaindTime && a.KeepAlive == b.KeepAlive
        && a.WithSound == b.WithSound && a.SoundIndex == b.SoundIndex && a.Tariff == b.Tariff;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Any line, read over the module's defaults.
    const TRasModule::Settings defaults;
    const TRasModule::Settings parsed = TRasModule::ParseSettings(QString::fromUtf8(fuzzBytes(data, size)), defaults);
    Q_UNUSED(parsed);

    // Any engine settings, written by the engine and read by the module.
    FuzzedDataProvider in(data, size);
    TDFURec rec;
    rec.SyncAsync = in.ConsumeIntegral<int>();
    rec.ChkPassWord = in.ConsumeBool();
    rec.RemaindTime = in.ConsumeIntegral<int>();
    rec.KeepAlive = in.ConsumeBool();
    rec.WithSound = in.ConsumeBool();
    rec.SoundIndex = in.ConsumeIntegral<int>();
    const int timeout = in.ConsumeIntegral<int>();
    rec.ServiceStr = QString::fromUtf8(in.ConsumeRandomLengthString(64));
    const QString tariff = QString::fromUtf8(in.ConsumeRandomLengthString(16));
    const QString line = TRASWorkUnit::ModuleSettingsLine(rec, timeout, tariff);

    TRasModule::Settings expected;
    expected.Connection = QString(rec.ServiceStr).replace(u'\t', u' ');
    expected.SyncAsync = rec.SyncAsync;
    expected.ChkPassWord = rec.ChkPassWord;
    expected.Timeout = timeout;
    expected.RemaindTime = rec.RemaindTime;
    expected.KeepAlive = rec.KeepAlive;
    expected.WithSound = rec.WithSound;
    expected.SoundIndex = rec.SoundIndex;
    expected.Tariff = QString(tariff).replace(u'\t', u' ');
    FUZZ_CHECK(sameSettings(TRasModule::ParseSettings(line, defaults), expected));
    return 0;
}
