// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "FeeRecord.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTableView;
class TFeeLogModel;
class TRASStrList;

/**
 * The fee report ("Gebührenreport"): the fee log as a table with the period
 * it covers and the totals of online time and cost. Deleting rows or the
 * whole log changes the main window's fee log at once; the file is written
 * by the main window's own rule, except that deleting everything removes it.
 * Created for one use and shown modally; while it is open, Instance() is it.
 */
class TFormFeeReport : public QDialog
{
    Q_OBJECT

public:
    static constexpr int HelpContext = 866;
    static constexpr int ScrollToEndAbove = 15;

    explicit TFormFeeReport(TRASStrList *lists, QWidget *parent = nullptr);
    ~TFormFeeReport() override;

    /// The open fee report, null when none is open.
    static TFormFeeReport *Instance();

    /// Shows the window modally (ExecHook instead when set).
    int Execute();

    /// Removes "FeeReport.Lst" when everything was deleted; by default from the program folder.
    std::function<void()> DeleteListFile;

    // Handlers
    void ListBoxFeesSelect();
    void BtnDelPeriodClick();
    void BtnDeleteAllClick();
    void BtnPrintClick();
    void BtnMonthsClick();
    void BtnHelpClick();
    void BtnReturnClick();

    // What the print preview takes from the window.
    TFeeLogModel *Model() const { return FModel; }
    QString DateBegin() const;
    QString DateEnd() const;
    QString TotalTime() const;
    QString TotalCost() const;

    /// Replaces the print preview (TFormListPrint::Preview) when set.
    static inline std::function<void(TFormFeeReport *)> PrintPreview;
    // Seams for tests.
    static inline std::function<int(TFormFeeReport *)> ExecHook;

private:
    void FormCreate();
    void buildControls();
    void showPeriod();
    void clearLabels();
    void logChanged();

    TFeeLogModel *FModel = nullptr;
    QTableView *ListBoxFees = nullptr;
    QPushButton *BtnDelPeriod = nullptr;
    QLabel *LblDateBegin = nullptr;
    QLabel *LblDateEnd = nullptr;
    QLabel *TotTime = nullptr;
    QLabel *TotCost = nullptr;
    // Totals on opening are a time, after a deletion seconds.
    bool FTotalInSeconds = false;
    // A bad duration on opening leaves the totals empty until a deletion.
    bool FTotalsFailed = false;
};
