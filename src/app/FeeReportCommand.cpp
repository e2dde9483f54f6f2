// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeReportCommand.h"

#include "FormFeeReport.h"
#include "FormMain.h"

using namespace Qt::StringLiterals;

void InstallFeeReportCommands(TFormMain &form)
{
    form.SetCommand(u"FeeReport"_s, [&form] {
        TFormFeeReport report(form.RASStrList, &form);
        // A list file that could not be loaded was never shown; it is not deleted with the rest.
        report.DeleteListFile = [&form] { form.FeeLog().DeleteList(); };
        report.Execute();
    });
}
