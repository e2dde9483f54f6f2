// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ProgStartPage.h"

/// Page 3 "Favoriten": the locally stored web sites.
class TPageFavorites : public TProgStartPage {
    Q_OBJECT

public:
    explicit TPageFavorites(TFormProgStart *dialog);
};
