// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "VersionInfo.h"

#include <QDialog>

/**
 * The short program information of the tray menu: name, description and
 * version. It opens by growing from its centre to its full size.
 */
class TInfoDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int ExplodeMilliseconds = 220;

    explicit TInfoDlg(const TVersionInfo &version = TVersionInfo::Program(), QWidget *parent = nullptr);

    /// Shows the dialog modally and frees it.
    static void Execute(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool FExploded = false;
};
