// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormFeeMonths.h"

#include "DialogTools.h"
#include "FeeRecord.h"
#include "LocaleFormats.h"
#include "MessageDialog.h"
#include "TextLines.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMap>
#include <QPushButton>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTreeView>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

enum Column { ColMonth, ColConnection, ColCalls, ColTime, ColCost, ColumnCount };

struct Sums
{
    qsizetype calls = 0;
    qint64 seconds = 0;
    qint64 costUnits = 0;

    template<typename Counts>
    void add(const Counts &more)
    {
        calls += more.calls;
        seconds = FeeRecord::SaturatingAdd(seconds, more.seconds);
        costUnits = FeeRecord::SaturatingAdd(costUnits, more.costUnits);
    }
};

QList<QStandardItem *> tableRow(const QString &month, const QString &connection, const Sums &sums, bool bold)
{
    QList<QStandardItem *> items{new QStandardItem(month), new QStandardItem(connection),
                                 new QStandardItem(QString::number(sums.calls)),
                                 new QStandardItem(LocaleFormats::Duration(sums.seconds)),
                                 new QStandardItem(FeeRecord::CurrencyText(sums.costUnits))};
    for (int c = 0; c < items.size(); ++c) {
        QStandardItem *item = items.at(c);
        item->setEditable(false);
        if (c >= ColCalls)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (bold) {
            QFont f = item->font();
            f.setBold(true);
            item->setFont(f);
        }
    }
    return items;
}

} // namespace

TFormFeeMonths::TFormFeeMonths(const TextLines &log, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , FLog(log)
    , FRows(FeeMonths::Compute(log))
{
    setObjectName(u"FormFeeMonths"_s);
    setWindowTitle(u"Monatsübersicht"_s);
    setProperty("HelpContext", 866);

    auto *column = new QVBoxLayout(this);
    auto *choice = new QHBoxLayout;
    CBYear = new QComboBox(this);
    CBYear->setObjectName(u"CBYear"_s);
    CBYear->addItem(u"Alle Jahre"_s, 0);
    QList<int> years;
    for (const FeeMonths::Row &row : std::as_const(FRows)) {
        if (row.year && !years.contains(row.year))
            years.prepend(row.year); // rows come by month: the newest year ends first
    }
    for (const int year : std::as_const(years))
        CBYear->addItem(QString::number(year), year);
    // The latest year is what one looks at first.
    CBYear->setCurrentIndex(years.isEmpty() ? 0 : 1);
    CBMeasure = new QComboBox(this);
    CBMeasure->setObjectName(u"CBMeasure"_s);
    CBMeasure->addItems({u"Kosten"_s, u"Online-Zeit"_s});
    auto *yearLabel = new QLabel(u"&Jahr:"_s, this);
    yearLabel->setBuddy(CBYear);
    auto *measureLabel = new QLabel(u"&Diagramm:"_s, this);
    measureLabel->setBuddy(CBMeasure);
    choice->addWidget(yearLabel);
    choice->addWidget(CBYear);
    choice->addSpacing(12);
    choice->addWidget(measureLabel);
    choice->addWidget(CBMeasure);
    choice->addStretch(1);
    column->addLayout(choice);

    auto *split = new QSplitter(Qt::Vertical, this);
    TreeMonths = new QTreeView(split);
    TreeMonths->setObjectName(u"TreeMonths"_s);
    FTable = new QStandardItemModel(0, ColumnCount, TreeMonths);
    FTable->setHorizontalHeaderLabels({u"Monat"_s, u"DFÜ-Verbindung"_s, u"Verbindungen"_s, u"Online-Zeit"_s, u"Kosten"_s});
    for (int c = ColCalls; c < ColumnCount; ++c)
        FTable->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TreeMonths->setModel(FTable);
    TreeMonths->setAlternatingRowColors(true);
    TreeMonths->setUniformRowHeights(true);
    const int widths[ColumnCount] = {150, 190, 95, 95, 100};
    for (int c = 0; c < ColumnCount; ++c)
        TreeMonths->header()->resizeSection(c, widths[c]);
    ChartMonths = new QChartView(split);
    ChartMonths->setObjectName(u"ChartMonths"_s);
    ChartMonths->setRenderHint(QPainter::Antialiasing);
    ChartMonths->setMinimumHeight(220);
    split->addWidget(TreeMonths);
    split->addWidget(ChartMonths);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    column->addWidget(split, 1);

    auto *buttons = new QHBoxLayout;
    auto *exportMonths = CreateHintButton(this, u"BtnExportMonths"_s, u"Übersicht als &CSV..."_s,
                                          u"Die angezeigte Monatsübersicht als CSV-Datei speichern"_s);
    connect(exportMonths, &QPushButton::clicked, this, &TFormFeeMonths::BtnExportMonthsClick);
    auto *exportLog = CreateHintButton(this, u"BtnExportLog"_s, u"&Protokoll als CSV..."_s,
                                       u"Das ganze Gebühren-Protokoll als CSV-Datei speichern"_s);
    connect(exportLog, &QPushButton::clicked, this, &TFormFeeMonths::BtnExportLogClick);
    auto *close = CreateHintButton(this, u"BtnClose"_s, u"&Schließen"_s, u"Zurück zum Gebührenreport"_s);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    for (QPushButton *b : {exportMonths, exportLog, close})
        b->setAutoDefault(false);
    close->setDefault(true);
    buttons->addWidget(exportMonths);
    buttons->addWidget(exportLog);
    buttons->addStretch(1);
    buttons->addWidget(close);
    column->addLayout(buttons);

    connect(CBYear, &QComboBox::currentIndexChanged, this, &TFormFeeMonths::CBYearChange);
    connect(CBMeasure, &QComboBox::currentIndexChanged, this, &TFormFeeMonths::fillChart);
    resize(700, 600);
    CBYearChange();
}

int TFormFeeMonths::Execute()
{
    return ExecHook ? ExecHook(this) : exec();
}

int TFormFeeMonths::shownYear() const
{
    return CBYear->currentData().toInt();
}

QList<FeeMonths::Row> TFormFeeMonths::ShownRows() const
{
    const int year = shownYear();
    if (year == 0)
        return FRows;
    QList<FeeMonths::Row> rows;
    std::copy_if(FRows.cbegin(), FRows.cend(), std::back_inserter(rows),
                 [year](const FeeMonths::Row &row) { return row.year == year; });
    return rows;
}

void TFormFeeMonths::CBYearChange()
{
    fillTable();
    fillChart();
}

void TFormFeeMonths::fillTable()
{
    FTable->removeRows(0, FTable->rowCount());
    const QList<FeeMonths::Row> rows = ShownRows();
    Sums total;
    for (qsizetype i = 0; i < rows.size();) {
        // One parent row per month with its connections below it.
        qsizetype end = i;
        Sums month;
        while (end < rows.size() && rows.at(end).year == rows.at(i).year && rows.at(end).month == rows.at(i).month)
            month.add(rows.at(end++));
        const QList<QStandardItem *> parent =
            tableRow(FeeMonths::MonthText(rows.at(i).year, rows.at(i).month), QString(), month, true);
        for (; i < end; ++i) {
            Sums one;
            one.add(rows.at(i));
            parent.first()->appendRow(tableRow(QString(), rows.at(i).connection, one, false));
        }
        FTable->appendRow(parent);
        total.add(month);
    }
    if (!rows.isEmpty())
        FTable->appendRow(tableRow(u"Summe"_s, QString(), total, true));
    // A year is short enough to show with its connections.
    if (shownYear())
        TreeMonths->expandAll();
}

void TFormFeeMonths::fillChart()
{
    const int year = shownYear();
    const bool cost = CBMeasure->currentIndex() == 0;
    const QList<FeeMonths::Row> rows = ShownRows();
    auto valueOf = [cost](const FeeMonths::Row &row) {
        return cost ? FeeRecord::CostParser::Value(row.costUnits) : double(row.seconds) / 3600.0;
    };

    // Categories: the twelve months of a year, or the years.
    QStringList categories;
    QList<int> keys;
    if (year) {
        for (int m = 1; m <= 12; ++m) {
            categories << QLocale().standaloneMonthName(m, QLocale::ShortFormat);
            keys << m;
        }
    } else {
        for (const FeeMonths::Row &row : rows) {
            if (row.year && !keys.contains(row.year)) {
                keys << row.year;
                categories << QString::number(row.year);
            }
        }
    }

    // The connections that matter most get their own colour.
    QMap<QString, double> byConnection;
    for (const FeeMonths::Row &row : rows)
        byConnection[row.connection] += valueOf(row);
    QStringList ranked = byConnection.keys();
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](const QString &a, const QString &b) { return byConnection[a] > byConnection[b]; });
    const bool withRest = ranked.size() > ChartConnections;
    if (withRest)
        ranked = ranked.mid(0, ChartConnections);

    auto *series = new QStackedBarSeries;
    QHash<QString, QBarSet *> sets;
    QBarSet *rest = nullptr;
    for (const QString &name : std::as_const(ranked)) {
        sets.insert(name, new QBarSet(name));
        series->append(sets.value(name));
    }
    if (withRest) {
        rest = new QBarSet(u"Übrige"_s);
        series->append(rest);
    }
    for (QBarSet *set : series->barSets())
        set->append(QList<qreal>(categories.size(), 0.0));
    double top = 0;
    QList<double> stacked(categories.size(), 0.0);
    for (const FeeMonths::Row &row : rows) {
        const int at = keys.indexOf(year ? row.month : row.year);
        if (!row.year || at < 0)
            continue;
        QBarSet *set = sets.value(row.connection, rest);
        set->replace(at, set->at(at) + valueOf(row));
        stacked[at] += valueOf(row);
        top = std::max(top, stacked.at(at));
    }

    auto *chart = new QChart;
    chart->addSeries(series);
    chart->setTitle((cost ? u"Kosten je "_s : u"Online-Zeit je "_s) + (year ? u"Monat %1"_s.arg(year) : u"Jahr"_s));
    chart->setAnimationOptions(QChart::NoAnimation);
    auto *axisX = new QBarCategoryAxis;
    axisX->append(categories);
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto *axisY = new QValueAxis;
    axisY->setRange(0, top > 0 ? top * 1.05 : 1);
    axisY->setLabelFormat(cost ? u"%.2f"_s : u"%.1f"_s);
    axisY->setTitleText(cost ? u"Euro"_s : u"Stunden"_s);
    axisY->applyNiceNumbers();
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setVisible(!series->barSets().isEmpty());
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale());

    QChart *old = ChartMonths->chart();
    ChartMonths->setChart(chart);
    delete old;
}

QString TFormFeeMonths::askFileName(const QString &suggestedName)
{
    if (SaveFileNameHook)
        return SaveFileNameHook(suggestedName);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileDialog::getSaveFileName(this, u"CSV-Datei speichern"_s, QDir(folder).filePath(suggestedName),
                                        u"CSV-Dateien (*.csv);;Alle Dateien (*)"_s);
}

void TFormFeeMonths::BtnExportMonthsClick()
{
    const int year = shownYear();
    const QString path = askFileName(year ? u"Monatsübersicht %1.csv"_s.arg(year) : u"Monatsübersicht.csv"_s);
    if (path.isEmpty())
        return;
    QString error;
    if (!FeeCsv::WriteMonths(ShownRows(), path, &error))
        MessageDialog::Error(error, this);
}

void TFormFeeMonths::BtnExportLogClick()
{
    const QString path = askFileName(u"Gebühren-Protokoll.csv"_s);
    if (path.isEmpty())
        return;
    QString error;
    if (!FeeCsv::WriteLog(FLog, path, &error))
        MessageDialog::Error(error, this);
}
