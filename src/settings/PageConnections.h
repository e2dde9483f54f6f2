// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ProgStartPage.h"

class QLineEdit;
class QPushButton;
class QTableWidget;
class TRadioGroup;

/// The premium-rate class of a displayed phone number: 0 no "0190" number,
/// 1 "0190-1" to "6", 2 "0190-7" to "9", 3 "0190-0". The digit examined is
/// always the fifth character of the whole number.
int ClassifyPremiumNumber(const QString &number);

/// A fee typed by the user (euro-cents per minute): a number of 0 or more with
/// a decimal comma (a point is taken as one). Returns the text to store, or an
/// empty text with a German reason in error.
QString CheckedFeeText(const QString &text, QString *error);

/// Page 2 "DFÜ-Verbindung": the connections with number, account and fee, the
/// fee and billing interval, and the hand-over to the connection commands.
class TPageConnections : public TProgStartPage {
    Q_OBJECT

public:
    explicit TPageConnections(TFormProgStart *dialog);

    void FillControls() override;
    void PageShown() override;
    bool PageLeaving() override;

    /// The connection named in the account field; empty before a row was selected.
    QString Account() const;
    QString FeeText() const;
    /// The fee shown for the account's row when it was selected or stored.
    QString AccountFee() const;
    /// The user typed a fee other than the account's.
    bool FeeChanged() const;
    int TactIndex() const;
    /// Puts a fee stored by the take-over into the account's row.
    void FeeStored(const QString &fee);
    /// Brings the page to the front with the fee field focused.
    void ShowFee();

private:
    void fillList();
    void rowSelected();
    void BtnChangeAccClick();
    void feeEdited();
    void handOver(const QString &command, bool forAccount);

    QTableWidget *LVAccounts = nullptr;
    QLineEdit *EditAccount = nullptr;
    QLineEdit *EditCent = nullptr;
    QPushButton *BtnChangeAcc = nullptr;
    TRadioGroup *RGTact = nullptr;
    int FAccountRow = -1;
    bool FFilled = false;
    bool FFeeEdited = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
