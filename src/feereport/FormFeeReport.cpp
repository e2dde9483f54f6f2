// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormFeeReport.h"

#include "DialogTools.h"
#include "FeeLogModel.h"
#include "Folders.h"
#include "FormFeeMonths.h"
#include "FormListPrint.h"
#include "HelpLink.h"
#include "LocaleFormats.h"
#include "MessageDialog.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

TFormFeeReport *openReport = nullptr;

// Sizes for a classic 8-point dialog font, in which a date takes 54 pixels;
// a wider font gets a window as much larger, so that the columns stay readable.
constexpr int ClientWidth = 563;
constexpr int ClientHeight = 348;
constexpr int ColumnWidths[FeeRecord::FieldCount] = {68, 55, 150, 80, 70, 50, 60};
constexpr double ReferenceDateWidth = 54.0;

double fontScale(const QWidget *widget)
{
    return std::max(1.0, widget->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) / ReferenceDateWidth);
}

int scaled(int pixels, double scale)
{
    return int(std::lround(pixels * scale));
}

// Bold yellow on blue; text that does not fit ends in an ellipsis.
class TValueLabel : public QLabel
{
public:
    TValueLabel(const char *name, QWidget *parent)
        : QLabel(parent)
    {
        setObjectName(QLatin1String(name));
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::blue);
        p.setColor(QPalette::WindowText, Qt::yellow);
        setPalette(p);
        QFont f = font();
        f.setBold(true);
        setFont(f);
        setContentsMargins(3, 1, 3, 1);
        setMinimumWidth(20);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return label;
}

// The selected rows as sorted, disjoint ranges.
TextLines::Ranges selectedRanges(const QItemSelection &selection)
{
    TextLines::Ranges ranges;
    for (const QItemSelectionRange &r : selection)
        ranges.append({r.top(), r.bottom()});
    std::sort(ranges.begin(), ranges.end());
    TextLines::Ranges merged;
    for (const auto &range : std::as_const(ranges)) {
        if (!merged.isEmpty() && range.first <= merged.last().second + 1)
            merged.last().second = std::max(merged.last().second, range.second);
        else
            merged.append(range);
    }
    return merged;
}

} // namespace

TFormFeeReport::TFormFeeReport(TRASStrList *lists, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"FormFeeReport"_s);
    setWindowTitle(u"Gebührenreport"_s);
    setProperty("HelpContext", HelpContext);
    setAttribute(Qt::WA_DeleteOnClose, false);
    FModel = new TFeeLogModel(lists, this);
    DeleteListFile = [] { QFile::remove(Folders::programFolder() + u"FeeReport.Lst"_s); };
    buildControls();
    const double scale = fontScale(ListBoxFees);
    setFixedSize(scaled(ClientWidth, scale), scaled(ClientHeight, scale));
    for (int c = 0; c < FeeRecord::FieldCount; ++c)
        ListBoxFees->horizontalHeader()->resizeSection(c, scaled(ColumnWidths[c], scale));
    CenterOnDesktop(this);
    openReport = this;
    FormCreate();
}

TFormFeeReport::~TFormFeeReport()
{
    if (openReport == this)
        openReport = nullptr;
}

TFormFeeReport *TFormFeeReport::Instance()
{
    return openReport;
}

int TFormFeeReport::Execute()
{
    return ExecHook ? ExecHook(this) : exec();
}

void TFormFeeReport::buildControls()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    struct Button
    {
        QString name, caption, hint;
        void (TFormFeeReport::*click)();
    };
    const Button buttonRow[] = {
        {u"BtnDelPeriod"_s, u"&Periode löschen"_s, u"Periode des Gebührenreports löschen\nPeriode vorher selektieren"_s,
         &TFormFeeReport::BtnDelPeriodClick},
        {u"BtnDeleteAll"_s, u"Alles &Löschen"_s, u"Gebührenreport löschen"_s, &TFormFeeReport::BtnDeleteAllClick},
        {u"BtnPrint"_s, u"&Druckvorschau"_s, u"Listeninhalt drucken"_s, &TFormFeeReport::BtnPrintClick},
        {u"BtnMonths"_s, u"&Monate"_s, u"Monatsübersicht: Online-Zeit und Kosten je Monat und Verbindung, CSV-Export"_s,
         &TFormFeeReport::BtnMonthsClick},
        {u"BtnHelp"_s, u"&Hilfe"_s, u"Hilfe aufrufen"_s, &TFormFeeReport::BtnHelpClick},
        {u"BtnReturn"_s, u"&Zurück"_s, u"Zurück zum Vordialog"_s, &TFormFeeReport::BtnReturnClick},
    };
    for (const Button &spec : buttonRow) {
        QPushButton *b = CreateHintButton(this, spec.name, spec.caption, spec.hint);
        connect(b, &QPushButton::clicked, this, spec.click);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    BtnDelPeriod = findChild<QPushButton *>(u"BtnDelPeriod"_s);
    BtnDelPeriod->setEnabled(false);
    // Enter in the table closes the window, never deletes.
    findChild<QPushButton *>(u"BtnReturn"_s)->setDefault(true);
    column->addLayout(buttons);

    auto *info = new QFrame(this);
    info->setObjectName(u"PanelInfo"_s);
    info->setFrameShape(QFrame::Panel);
    info->setFrameShadow(QFrame::Raised);
    auto *row = new QHBoxLayout(info);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(4);
    LblDateBegin = new TValueLabel("LblDateBegin", info);
    LblDateEnd = new TValueLabel("LblDateEnd", info);
    TotTime = new TValueLabel("TotTime", info);
    TotCost = new TValueLabel("TotCost", info);
    row->addWidget(caption(u"Periode von:"_s, info));
    row->addWidget(LblDateBegin, 10);
    row->addWidget(caption(u"bis:"_s, info));
    row->addWidget(LblDateEnd, 10);
    row->addWidget(caption(u"Gesamtzeit:"_s, info));
    row->addWidget(TotTime, 9);
    row->addWidget(caption(u"Gesamtkosten:"_s, info));
    row->addWidget(TotCost, 11);
    column->addWidget(info);

    ListBoxFees = new QTableView(this);
    ListBoxFees->setObjectName(u"ListBoxFees"_s);
    ListBoxFees->setModel(FModel);
    ListBoxFees->setShowGrid(true);
    ListBoxFees->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListBoxFees->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBoxFees->setWordWrap(false);
    ListBoxFees->setTextElideMode(Qt::ElideRight);
    ListBoxFees->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QPalette p = ListBoxFees->palette();
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, p.color(QPalette::ToolTipText));
    ListBoxFees->setPalette(p);
    QHeaderView *rows = ListBoxFees->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(ListBoxFees->fontMetrics().height() + 4);
    QHeaderView *header = ListBoxFees->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setHighlightSections(false);
    connect(ListBoxFees->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormFeeReport::ListBoxFeesSelect);
    connect(FModel, &TFeeLogModel::logChanged, this, &TFormFeeReport::logChanged);
    column->addWidget(ListBoxFees, 1);
    ListBoxFees->setFocus();
}

// --- opening --------------------------------------------------------------

void TFormFeeReport::FormCreate()
{
    clearLabels();
    const TextLines &log = FModel->Log();
    if (log.isEmpty())
        return;
    showPeriod();
    const FeeRecord::Totals totals = FeeRecord::Sum(log, true);
    if (totals.badRow >= 0) {
        FTotalsFailed = true;
        // The table and the period stay; the totals would be wrong.
        const QString duration = FModel->Row(int(totals.badRow)).at(FeeRecord::Duration);
        const QString text = u"\"%1\" ist keine gültige Zeit (Dauer in Zeile %2 des Gebühren-Protokolls)."_s;
        MessageDialog::Error(text.arg(duration).arg(totals.badRow + 1), parentWidget());
        return;
    }
    TotTime->setText(LocaleFormats::Duration(totals.seconds));
    TotCost->setText(FeeRecord::CurrencyText(totals.costUnits));
    const int rows = FModel->rowCount();
    if (rows > ScrollToEndAbove) {
        const QModelIndex last = FModel->index(rows - 1, 0);
        ListBoxFees->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
        ListBoxFees->scrollTo(last, QAbstractItemView::PositionAtBottom);
    }
}

void TFormFeeReport::clearLabels()
{
    for (QLabel *label : {LblDateBegin, LblDateEnd, TotTime, TotCost})
        label->clear();
}

void TFormFeeReport::showPeriod()
{
    const int rows = FModel->rowCount();
    LblDateBegin->setText(FModel->Row(0).at(FeeRecord::Date));
    LblDateEnd->setText(FModel->Row(rows - 1).at(FeeRecord::Date));
}

// --- handlers -------------------------------------------------------------

void TFormFeeReport::ListBoxFeesSelect()
{
    BtnDelPeriod->setEnabled(ListBoxFees->selectionModel()->hasSelection());
}

void TFormFeeReport::BtnDelPeriodClick()
{
    const TextLines::Ranges ranges = selectedRanges(ListBoxFees->selectionModel()->selection());
    if (ranges.isEmpty())
        return;
    FModel->RemoveRows(ranges);
    FTotalInSeconds = true;
    FTotalsFailed = false;
    logChanged();
    if (const int rows = FModel->rowCount()) {
        // Stay where the period was.
        const QModelIndex at = FModel->index(std::min<int>(int(ranges.first().first), rows - 1), 0);
        ListBoxFees->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
        ListBoxFees->scrollTo(at);
    }
}

void TFormFeeReport::logChanged()
{
    ListBoxFeesSelect();
    if (FModel->Log().isEmpty()) {
        clearLabels();
        return;
    }
    showPeriod();
    if (FTotalsFailed)
        return; // a new record does not mend the bad one
    const FeeRecord::Totals totals = FeeRecord::Sum(FModel->Log(), false);
    TotTime->setText(FTotalInSeconds ? u"%1 s"_s.arg(totals.seconds) : LocaleFormats::Duration(totals.seconds));
    TotCost->setText(FeeRecord::CurrencyText(totals.costUnits));
}

void TFormFeeReport::BtnDeleteAllClick()
{
    if (FModel->Log().isEmpty())
        return;
    if (!MessageDialog::QuestionDefaultNo(u"Gesamte Gebührenliste löschen?"_s, this))
        return;
    FModel->Clear();
    clearLabels();
    ListBoxFeesSelect();
    if (DeleteListFile)
        DeleteListFile();
}

void TFormFeeReport::BtnPrintClick()
{
    if (PrintPreview)
        PrintPreview(this);
    else
        TFormListPrint::Preview(this);
}

void TFormFeeReport::BtnMonthsClick()
{
    TFormFeeMonths months(FModel->Log(), this);
    months.Execute();
}

void TFormFeeReport::BtnHelpClick()
{
    HelpLink::ShowContext(HelpContext, this);
}

void TFormFeeReport::BtnReturnClick()
{
    accept();
}

QString TFormFeeReport::DateBegin() const
{
    return LblDateBegin->text();
}

QString TFormFeeReport::DateEnd() const
{
    return LblDateEnd->text();
}

QString TFormFeeReport::TotalTime() const
{
    return TotTime->text();
}

QString TFormFeeReport::TotalCost() const
{
    return TotCost->text();
}
