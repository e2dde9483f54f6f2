// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormListPrint.h"

#include "DialogTools.h"
#include "FeeLogModel.h"
#include "Folders.h"
#include "FormFeeReport.h"
#include "ListPrint.h"
#include "ListPrintUi.h"
#include "MessageDialog.h"

#include <QFileInfo>
#include <QImageReader>
#include <QVBoxLayout>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int ColumnCount = 7;
// Widths in percent of the text area; the sum row spans the first five columns.
constexpr int ColumnWidths[ColumnCount] = { 13, 10, 24, 15, 14, 12, 12 };
constexpr int SumWidths[3] = { 76, 12, 12 };
constexpr TAlignment FeeRowAlignments[ColumnCount]
    = { taLeftJustify, taLeftJustify, taCenter, taLeftJustify, taRightJustify, taRightJustify, taRightJustify };

TListFont arial(double points, bool bold = false, const QColor &colour = Qt::black)
{
    TListFont font = TListFont::Make(u"Arial"_s, points, bold);
    font.Color = colour;
    return font;
}

} // namespace

TFormListPrint::TFormListPrint(TFormFeeReport *report, QWidget *parent)
    : QDialog(parent,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
            | Qt::WindowCloseButtonHint)
    , FReport(report)
{
    setObjectName(u"FormListPrint"_s);
    setWindowTitle(u"Gebührenreport Drucker"_s);
    setProperty("HelpContext", HelpContext);
    setProperty("HelpFile", QLatin1String(ListPrintUi::HelpFile));
    setFont(QFont(u"Arial"_s, font().pointSize()));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    LPToolBar1 = new TLPToolBar(this);
    LPToolBar1->setObjectName(u"LPToolBar1"_s);
    TextReportPrint = new TTextReportPrint(this);
    TextReportPrint->setObjectName(u"TextReportPrint"_s);
    LPToolBar1->SetDizaVadud(TextReportPrint);
    LPToolBar1->PdfFileName = u"Gebührenreport.pdf"_s;
    column->addWidget(LPToolBar1);
    column->addWidget(TextReportPrint, 1);

    TTextReportPrint &lp = *TextReportPrint;
    lp.SetDefaultColWidth(25);
    lp.SetMeasureUnit(muMillimeters);
    lp.SetMarginTop(25);
    lp.SetMarginBottom(25);
    lp.SetMarginLeft(25);
    lp.SetMarginRight(25);
    lp.SetFont(arial(9));
    lp.SetHeaderFont(arial(9));
    lp.SetFooterFont(arial(9));
    lp.SetFriendlyHeader(u"&l&d&c&i&r&t"_s);
    lp.SetFriendlyFooter(u"&l&d&c&f&r Seite: &p"_s);
    lp.SetHeaderFormat(u"<32|^96|>32"_s);
    lp.SetFooterFormat(u"<32|^96|>32"_s);
    lp.SetPageBorders(TPageBorders(pbTop) | pbBottom);
    lp.SetPageBorderOffset(1.5);
    lp.SetPrintTitle(u"Kovatek Rufwerk"_s);
    lp.SetProgressMessage(u"Reportausgabe"_s);
    lp.SetRegistryKey(u"Software\\Kovatek\\Rufwerk\\RasBas\\DizaVadud"_s);
    lp.SetUseRegistry(true);
    lp.SetZoomLocation(zlCenter);
    lp.OnGetCellFormat = [this](TCustomListPrint *sender, int col, TTableLineColumnInfo &info) {
        TextReportPrintGetCellFormat(sender, col, info);
    };
    lp.OnNewPage = [this](TCustomListPrint *sender) { TextReportPrintNewPage(sender); };

    CenterOnDesktop(this);
    // Centred at its own size, not at the size its controls would need at least.
    const QPoint centre = geometry().center();
    resize(640, 480);
    move(centre - rect().center());
}

TFormListPrint::~TFormListPrint() = default;

void TFormListPrint::Preview(TFormFeeReport *report)
{
    TFormListPrint preview(report, report);
    preview.TextReportPrint->SetFileName(Folders::programFolder() + u"FeeReport.TXT"_s);
    try {
        preview.BuildReport();
    } catch (const EPrinter &error) {
        // A preview that could not be built is not shown.
        MessageDialog::Error(error.Message(), report);
        return;
    }
    preview.Execute();
}

int TFormListPrint::Execute()
{
    return ExecHook ? ExecHook(this) : exec();
}

// ---- Building ------------------------------------------------------------------

void TFormListPrint::resetFormat()
{
    TTextReportPrint &lp = *TextReportPrint;
    lp.SetLineSpacing(2);
    lp.SetFont(arial(9));
    lp.SetAlignment(taLeftJustify);
    lp.LineKind = LkNone;
    lp.SetTableGrids(false);
    lp.SetTableFormat(QString());
    lp.SetWordWrap(false);
}

void TFormListPrint::printColumnHeader()
{
    TTextReportPrint &lp = *TextReportPrint;
    lp.SetLineSpacing(2);
    lp.LineKind = LkColumnHeader;
    lp.SetTableGrids(true);
    lp.SetTableFormat(u"||||||"_s);
    lp.PrintTableLine(u"Datum|Zeit|DFÜ-Verbindung|Rufnummer|Gebühr|Dauer|Kosten"_s);
}

void TFormListPrint::BuildReport()
{
    if (!FReport || FReport->Model()->rowCount() == 0)
        return;
    TTextReportPrint &lp = *TextReportPrint;
    resetFormat();
    lp.BeginReport(false);
    try {
        TListFont title = TListFont::Make(u"Courier New"_s, 14, true, true);
        title.Color = Qt::blue;
        lp.SetFont(title);
        lp.PrintLineAligned(taCenter, u"Gebührenreport für Periode"_s);
        lp.PrintLineAligned(taCenter, u"vom: "_s + FReport->DateBegin() + u" bis: "_s + FReport->DateEnd());
        resetFormat();

        // A logo that is no image is left out, caption and all.
        const QString logo = Folders::programFolder() + u"FeeReport.BMP"_s;
        if (QFileInfo(logo).isFile() && QImageReader(logo).canRead()) {
            lp.PrintBitmap(logo, 2, 100, true);
            lp.SetFont(arial(8, true, Qt::blue));
            lp.PrintLineAligned(taCenter, u"Internet-Verbindungen"_s);
            lp.NewLine();
        }

        resetFormat();
        FRow = -1;
        lp.SetLineSpacing(2);
        printColumnHeader();
        const int rows = FReport->Model()->rowCount();
        for (int row = 0; row < rows; ++row) {
            ++FRow;
            lp.SetLineSpacing(2);
            lp.LineKind = LkFeeRow;
            lp.PrintTableLine(u"||||||"_s);
        }

        lp.SetTableGrids(false);
        lp.SetLineSpacing(0);
        lp.NewLine();
        lp.SetLineSpacing(2);
        lp.LineKind = LkSumRow;
        lp.SetTableGrids(true);
        lp.SetTableFormat(u"||"_s);
        lp.PrintTableLine(u"Summe:   |"_s + FReport->TotalTime() + u'|' + FReport->TotalCost());

        resetFormat();
        lp.NewLine();
        lp.SetFont(arial(8, false, Qt::blue));
        lp.PrintLineAligned(taCenter, u"Verbindungsdauer und Verbindungskosten sind Näherungswerte"_s);
        lp.NewLine();
    } catch (...) {
        lp.EndReport();
        FFields.clear();
        FFieldsRow = -1;
        throw;
    }
    lp.EndReport();
    FFields.clear();
    FFieldsRow = -1;
}

const QStringList &TFormListPrint::rowFields()
{
    if (FFieldsRow != FRow) {
        FFields = FReport ? FReport->Model()->Row(FRow) : QStringList();
        FFieldsRow = FRow;
    }
    return FFields;
}

void TFormListPrint::TextReportPrintGetCellFormat(TCustomListPrint *sender, int Col, TTableLineColumnInfo &ColInfo)
{
    const int kind = sender->LineKind;
    if (kind != LkColumnHeader && kind != LkFeeRow && kind != LkSumRow)
        return;
    const int index = Col - 1;
    const int percent = kind == LkSumRow ? SumWidths[std::clamp(index, 0, 2)] : ColumnWidths[std::clamp(index, 0, 6)];
    ColInfo.Width = sender->TextAreaWidth() * percent / 100.0;
    ColInfo.Frame = true;
    switch (kind) {
    case LkColumnHeader:
        ColInfo.Alignment = taCenter;
        break;
    case LkFeeRow:
        ColInfo.Alignment = FeeRowAlignments[std::clamp(index, 0, 6)];
        ColInfo.Text = rowFields().value(index);
        break;
    default:
        ColInfo.Alignment = taRightJustify;
        break;
    }
    // The row's font: 9 points, bold for the column header and the sum.
    const bool bold = kind != LkFeeRow;
    const QFont &font = sender->Font().Font;
    if (font.bold() != bold || font.pointSizeF() != 9 || font.family() != "Arial"_L1)
        sender->SetFont(arial(9, bold));
}

void TFormListPrint::TextReportPrintNewPage(TCustomListPrint *sender)
{
    if (sender->CurrentPage() < 2) {
        // Header and footer span the text area on any paper, margins and orientation,
        // as the table does; on portrait A4 with 25 mm margins that is "<32|^96|>32".
        const QString format = sender->DefaultHeaderFormat();
        sender->SetHeaderFormat(format);
        sender->SetFooterFormat(format);
        return;
    }
    // The row that broke the page goes on in its own font and kind below the header.
    const TListFont font = sender->Font();
    const int kind = sender->LineKind;
    const QString format = sender->TableFormat();
    const bool grids = sender->TableGrids();
    printColumnHeader();
    sender->SetTableFormat(format);
    sender->SetTableGrids(grids);
    sender->LineKind = kind;
    sender->SetFont(font);
}

// ---- Window --------------------------------------------------------------------

void TFormListPrint::FormActivate()
{
    LPToolBar1->ShowPosition();
}

bool TFormListPrint::event(QEvent *event)
{
    if (event->type() == TListPrintEvent::TypeOf(LPM_REBUILD)) {
        try {
            BuildReport();
        } catch (const EPrinter &error) {
            MessageDialog::Error(error.Message(), this);
        }
        FormActivate();
        LPToolBar1->UpdatePaging();
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}
