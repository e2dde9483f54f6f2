// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ModalResult.h"

#include <QDialog>

class QCheckBox;
class QLabel;

/**
 * "DFÜ-Online": start a program or open an address online (dial first),
 * offline, or not at all. Results: mrYes (online), mrNo (offline), mrCancel
 * (also the close box). The check box sets *alwaysOnline the moment it is
 * ticked or cleared, whichever button follows.
 */
class TFormOpenOn : public QDialog {
    Q_OBJECT

public:
    /// Width of the name in the label before it is cut with an ellipsis.
    static constexpr int NameWidth = 300;

    TFormOpenOn(const QString &name, bool *alwaysOnline, QWidget *parent = nullptr);

    QLabel *LabelName = nullptr;
    QCheckBox *CBOnStart = nullptr;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
};
