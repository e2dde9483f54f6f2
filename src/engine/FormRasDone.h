// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ModalResult.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

/**
 * The idle question: end the connection, keep it, or cancel. Nobody answering
 * within the dialog's own TimerDisCon (10 seconds, started when it is shown)
 * ends it with mrAbort. Results: mrYes, mrNo, mrCancel (also closing the
 * window), mrAbort.
 */
class TFormRasDone : public QDialog {
    Q_OBJECT

public:
    static constexpr int DisConMilliseconds = 10000;

    explicit TFormRasDone(QWidget *parent = nullptr);

    /// Creates the idle dialog with the engine's caption and text, plays the
    /// question sound, shows it modally and returns its result.
    static int Execute(QWidget *parent = nullptr);
    /// Replaces the modal run of Execute() (tests): gets the prepared form and
    /// returns the result; the sound is not played.
    using Hook = std::function<int(TFormRasDone &form)>;
    static void SetHook(Hook hook);

    /// Seconds left before the dialog ends itself; 0 when the timer is not running.
    int SecondsLeft() const;

    QLabel *LabelRASConn;
    QTimer *TimerDisCon;

public Q_SLOTS:
    void TimerDisConTimer();
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateCountdown();

    QPushButton *FBtnDisconnect;
    QPushButton *FBtnKeep;
    QPushButton *FBtnCancel;
    QLabel *FLabelCountdown;
    QTimer *FTimerCountdown;
};
