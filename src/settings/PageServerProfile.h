// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ProgStartPage.h"

/// Page 4 "Server-Profil": a connection's server profile and transfer test.
class TPageServerProfile : public TProgStartPage {
    Q_OBJECT

public:
    explicit TPageServerProfile(TFormProgStart *dialog);
};
