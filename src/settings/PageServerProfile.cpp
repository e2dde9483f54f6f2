// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageServerProfile.h"

using namespace Qt::StringLiterals;

TPageServerProfile::TPageServerProfile(TFormProgStart *dialog)
    : TProgStartPage(dialog, u"TSServerProfile"_s, 865)
{
}
