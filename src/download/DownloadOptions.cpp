// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DownloadOptions.h"

#include "EngineSettings.h"
#include "SettingsStore.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
// Seven digits hold any sensible limit and always fit an int.
constexpr int MaxKBDigits = 7;
} // namespace

QString TDownloadOptions::CleanMaxKB(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > MaxKBDigits
        || !std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return DefaultMaxKB();
    return QString::number(trimmed.toInt());
}

void TDownloadOptions::Read(const SettingsStore &store)
{
    const QString key = RegKey::Download();
    StrongUpd = store.readBool(key, u"StrongUpd"_s, true);
    OtherURL = store.readBool(key, u"OtherURL"_s, false);
    FileResult = store.readBool(key, u"FileResult"_s, true);
    MaxKB = CleanMaxKB(store.readString(key, u"MaxKB"_s, DefaultMaxKB()));
    Default = store.readString(key, u"Default"_s, u"index.html"_s);
    RecDep = std::clamp(store.readInteger(key, u"RecDep"_s, 3), 0, MaxDepth);
    // Values above the last choice select it.
    const int conversion = store.readInteger(key, u"LinkConv"_s, 3);
    LinkConv = conversion < 0 || conversion > 2 ? 2 : conversion;
    Robots = store.readBool(key, u"Robots"_s, true);
}

void TDownloadOptions::Write(SettingsStore &store) const
{
    const QString key = RegKey::Download();
    store.writeBool(key, u"StrongUpd"_s, StrongUpd);
    store.writeBool(key, u"OtherURL"_s, OtherURL);
    store.writeBool(key, u"FileResult"_s, FileResult);
    store.writeString(key, u"MaxKB"_s, MaxKB);
    store.writeString(key, u"Default"_s, Default);
    store.writeInteger(key, u"RecDep"_s, RecDep);
    store.writeInteger(key, u"LinkConv"_s, LinkConv);
    store.writeBool(key, u"Robots"_s, Robots);
}

void TDownloadOptions::Apply(TSiteScanner &scanner) const
{
    scanner.StrongUpdate = StrongUpd;
    scanner.LoadOtherSites = OtherURL;
    scanner.SaveFiles = FileResult;
    scanner.MaxDownloadKB = CleanMaxKB(MaxKB).toInt();
    scanner.DefaultFileName = Default;
    scanner.Depth = RecDep;
    scanner.LinkConversion = TLinkConversion(LinkConv);
    scanner.ObeyRobots = Robots;
}
