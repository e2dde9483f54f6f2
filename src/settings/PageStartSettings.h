// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ProgStartPage.h"

class QCheckBox;
class QGroupBox;
class QSpinBox;
class TRadioGroup;
struct TDFURec;
struct TStartSettings;

/// Page 0 "Start-Einstellung": the start settings, five engine settings and
/// the current connection's dial time-out.
class TPageStartSettings : public TProgStartPage {
    Q_OBJECT

public:
    explicit TPageStartSettings(TFormProgStart *dialog);

    void FillControls() override;
    void PageShown() override;

    /// Copies the controls into the engine's settings and the start settings.
    void StoreInto(TDFURec &engine, TStartSettings &start) const;
    int TimeoutValue() const;

    /// The online page behind the link below the time values.
    static QString OnlineHelpAddress();

private:
    void SpinEditMinutesChange();

    QGroupBox *GBRASValues = nullptr;
    QSpinBox *SpinEditTimeOut = nullptr;
    QSpinBox *SpinEditRemainder = nullptr;
    QSpinBox *SpEdDisConTime = nullptr;
    QCheckBox *CBChkPassword = nullptr;
    QCheckBox *CBKeepAlive = nullptr;
    QCheckBox *CBAutoStart = nullptr;
    QCheckBox *CBMiniStart = nullptr;
    QCheckBox *CBFeeReport = nullptr;
    QCheckBox *CBChkExt = nullptr;
    QCheckBox *CBPostIt = nullptr;
    QCheckBox *CBRemainder = nullptr;
    TRadioGroup *RGHintWin = nullptr;
    TRadioGroup *RGSound = nullptr;
};
