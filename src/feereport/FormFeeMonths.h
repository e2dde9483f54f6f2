// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "FeeMonths.h"

#include <QDialog>

#include <functional>

class QChartView;
class QComboBox;
class QStandardItemModel;
class QTreeView;
class TextLines;

/**
 * "Monatsübersicht": online time and cost of the fee log per month and per
 * connection, as a table and a bar chart, and the export of the whole log
 * and of the overview as CSV.
 */
class TFormFeeMonths : public QDialog
{
    Q_OBJECT

public:
    /// The chart shows at most this many connections; the rest are summed as "Übrige".
    static constexpr int ChartConnections = 6;

    explicit TFormFeeMonths(const TextLines &log, QWidget *parent = nullptr);

    int Execute();

    /// The months of the chosen year (0: all years), as shown in the table.
    QList<FeeMonths::Row> ShownRows() const;

    // Handlers
    void CBYearChange();
    void BtnExportMonthsClick();
    void BtnExportLogClick();

    // Seams for tests: the answer of the save dialog (empty: cancelled).
    static inline std::function<QString(const QString &suggestedName)> SaveFileNameHook;
    static inline std::function<int(TFormFeeMonths *)> ExecHook;

private:
    void fillTable();
    void fillChart();
    QString askFileName(const QString &suggestedName);
    int shownYear() const;

    const TextLines &FLog;
    QList<FeeMonths::Row> FRows;
    QComboBox *CBYear = nullptr;
    QComboBox *CBMeasure = nullptr;
    QTreeView *TreeMonths = nullptr;
    QStandardItemModel *FTable = nullptr;
    QChartView *ChartMonths = nullptr;
};
