// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "VersionInfo.h"

using namespace Qt::StringLiterals;

#ifndef RUFWERK_VERSION
#define RUFWERK_VERSION "0.0.0.0"
#endif
#ifndef RUFWERK_PRERELEASE
#define RUFWERK_PRERELEASE 0
#endif

TVersionInfo TVersionInfo::Program()
{
    TVersionInfo info;
    info.ProductName = u"Kovatek Rufwerk"_s;
    info.InternalName = u"Kovatek Rufwerk"_s;
    info.ProductVersion = QStringLiteral(RUFWERK_VERSION);
    info.FileVersion = info.ProductVersion;
#ifdef Q_OS_WIN
    info.OriginalFilename = u"Rufwerk.EXE"_s;
#else
    info.OriginalFilename = u"rufwerk"_s;
#endif
    info.CompanyName = u"Kovatek"_s;
    info.Comments = u"Anlegen, betreiben und überwachen von DFÜ-Anschlüssen"_s;
    info.FileDescription = u"Anlegen, betreiben und überwachen von DFÜ-Verbindungen"_s;
    info.LegalCopyright = u"Copyright © 2026 Kovatek"_s;
    info.LegalTrademarks = u"Kovatek® und Rufwerk® sind Marken von Kovatek"_s;
    info.PreRelease = RUFWERK_PRERELEASE != 0;
    return info;
}

QList<QPair<QString, QString>> TVersionInfo::Rows() const
{
    return {
        { u"Product Name"_s, ProductName },
        { u"Product Version"_s, ProductVersion },
        { u"Original Filename"_s, OriginalFilename },
        { u"Company Name"_s, CompanyName },
        { u"Comments"_s, Comments },
        { u"File Description"_s, FileDescription },
        { u"File Version"_s, FileVersion },
        { u"Legal Copyright"_s, LegalCopyright },
        { u"Legal Trademarks"_s, LegalTrademarks },
        { u"Pre-Release"_s, PreRelease ? u"Beta-Issue"_s : u"Final"_s },
    };
}

QString ApplicationTitle()
{
    return u"Kovatek Rufwerk"_s;
}

QString SupportMailAddress()
{
    return u"support@kovatek.example"_s;
}
