// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ModalResult.h"
#include "SystemRestart.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

/**
 * The warning after a connection was closed from outside. "&Kritischer
 * Abbruch" ends it with mrYes (the caller then offers the system restart),
 * "&Unkritischer Abbruch" and closing the window with mrCancel. The check box
 * suppresses the warning from then on; every click is reported at once, so
 * the choice is kept however the dialog ends.
 */
class TFormEmerg : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 818;

    explicit TFormEmerg(QWidget *parent = nullptr);

    /// The warning text, with Windows line breaks.
    static QString MessageText();
    /// The reason that introduces the system's restart prompt.
    static QString RestartReason();

    /// Check box "Warnmeldung nicht mehr anzeigen".
    bool NoWarning() const;
    void SetNoWarning(bool on);

    /// Shows the warning modally with the check box set to neppWarning;
    /// noWarningClicked gets the box's state at every click. Returns the result.
    static int Execute(
        bool neppWarning, const std::function<void(bool checked)> &noWarningClicked, QWidget *parent = nullptr);
    /// Replaces the modal run of Execute() (tests): gets the prepared form,
    /// may click it, returns the result.
    using Hook = std::function<int(TFormEmerg &form)>;
    static void SetHook(Hook hook);

    /// Offers the system restart after "&Kritischer Abbruch": the system's own
    /// prompt, or our confirmation question where the system has none. A
    /// failure is shown in the error box and returned.
    static RestartResult RestartComputer(QWidget *parent = nullptr);

public Q_SLOTS:
    void reject() override;

Q_SIGNALS:
    /// The user clicked the check box; checked is its new state.
    void CBNoWarningClick(bool checked);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *FLabelMessage;
    QPushButton *FBtnUncritical;
    QPushButton *FBtnCritical;
    QCheckBox *FCBNoWarning;
};
