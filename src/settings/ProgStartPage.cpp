// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ProgStartPage.h"

TProgStartPage::TProgStartPage(TFormProgStart *dialog, const QString &name, int helpContext)
    : Dialog(dialog)
{
    setObjectName(name);
    setProperty("HelpContext", helpContext);
}
