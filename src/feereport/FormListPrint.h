// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "LPToolBar.h"
#include "ListPrintTypes.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <functional>

class TCustomListPrint;
class TFormFeeReport;
class TTextReportPrint;

/**
 * The fee report's print preview ("Gebührenreport Drucker"): the printout of
 * the fee report window (title, optional "FeeReport.BMP", the framed table
 * with its column header on every page, the sum row and a closing remark) in
 * the list printer's zoomable preview under the print toolbar. It reads the
 * fee report window it was made for and builds the printout again on every
 * LPM_REBUILD from its list printer.
 */
class TFormListPrint : public QDialog {
    Q_OBJECT

public:
    /// The preview's topic in the list printer's help file.
    static constexpr int HelpContext = TLPToolBar::HelpContext;
    /// LineKind of the printout's table rows.
    enum TLineKind { LkNone = 0, LkColumnHeader = 5, LkFeeRow = 6, LkSumRow = 7 };

    explicit TFormListPrint(TFormFeeReport *report, QWidget *parent = nullptr);
    ~TFormListPrint() override;

    /// "&Druckvorschau": builds the printout of report, shows it modally and destroys it.
    static void Preview(TFormFeeReport *report);

    /// Fills the list printer with the printout; nothing with an empty fee report.
    /// Raises EPrinter when building fails (a Stop in the progress dialog, for one).
    void BuildReport();
    /// Track bar and page field from the list printer.
    void FormActivate();
    /// Shows the window modally (ExecHook instead when set).
    int Execute();
    /// Tests drive the built preview here instead of a user.
    static inline std::function<int(TFormListPrint *)> ExecHook;

    void TextReportPrintGetCellFormat(TCustomListPrint *sender, int Col, TTableLineColumnInfo &ColInfo);
    void TextReportPrintNewPage(TCustomListPrint *sender);

    TLPToolBar *LPToolBar1 = nullptr;
    TTextReportPrint *TextReportPrint = nullptr;

protected:
    bool event(QEvent *event) override;

private:
    void resetFormat();
    void printColumnHeader();
    const QStringList &rowFields();

    QPointer<TFormFeeReport> FReport;
    int FRow = -1;
    int FFieldsRow = -1;
    QStringList FFields;
};
