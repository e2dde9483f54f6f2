// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SiteDownloadCommand.h"

#include "FormMain.h"
#include "FormScanHTTP.h"

using namespace Qt::StringLiterals;

void InstallSiteDownloadCommand(TFormMain &form)
{
    form.SetCommand(u"SiteDownload"_s, [&form] { RunSiteDownload(form, form.DownloadURL); });
}

void RunSiteDownload(TFormMain &form, const QString &url)
{
    TFormScanHTTP::Execute(form.engine, url, &form);
}
