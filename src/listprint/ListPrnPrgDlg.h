// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

/**
 * The progress dialog of the list printer: a status line, the page label, a
 * bar and the "&Stop" button. It is modal for the application while it is
 * shown, so nothing but Stop reaches the program during a print run.
 */
class TListPrnPrgDlg : public QDialog {
    Q_OBJECT

public:
    /// onStop runs when Stop is clicked or Escape is pressed.
    explicit TListPrnPrgDlg(std::function<void()> onStop, QWidget *parent = nullptr);

    /// Shows or hides the Stop button; the dialog is lower without it.
    void SetShowCancel(bool show);

    QLabel *lblStatus;
    QLabel *lblPageNumber;
    QProgressBar *ProgBar;
    QPushButton *btnCancel;

    void reject() override;

private:
    void PlaceOnScreen();

    std::function<void()> m_onStop;
};
