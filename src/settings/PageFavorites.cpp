// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageFavorites.h"

using namespace Qt::StringLiterals;

TPageFavorites::TPageFavorites(TFormProgStart *dialog)
    : TProgStartPage(dialog, u"TSFavorites"_s, 864)
{
}
