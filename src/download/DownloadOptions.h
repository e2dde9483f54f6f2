// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "SiteScanner.h"

#include <QString>

class SettingsStore;

/// The site download options under RegKey::Download(); missing or malformed
/// values read as their defaults.
struct TDownloadOptions
{
    bool StrongUpd = true;
    bool OtherURL = false;
    bool FileResult = true;
    /// Whole kilobytes as text; "0" means no limit.
    QString MaxKB = DefaultMaxKB();
    QString Default = QStringLiteral("index.html");
    int RecDep = 3;
    /// 0 "Keine Umwandlung", 1 "Online Link beibehalten", 2 "Offline Linkumwandlung".
    int LinkConv = 2;
    bool Robots = true;

    static constexpr int MaxDepth = 10;
    static QString DefaultMaxKB() { return QStringLiteral("500"); }
    /// The text of a whole number of kilobytes; anything else (empty, letters,
    /// too large) is the default "500".
    static QString CleanMaxKB(const QString &text);

    void Read(const SettingsStore &store);
    void Write(SettingsStore &store) const;
    /// Puts the options into the scanner's task.
    void Apply(TSiteScanner &scanner) const;
};
