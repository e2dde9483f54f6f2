// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HeaderFooterCodes.h"
#include "ListPrintPrivate.h"
#include "ListPrnPrgDlg.h"

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QScrollBar>

using namespace Qt::StringLiterals;

TListFont TListFont::Make(const QString &family, double points, bool bold, bool underline)
{
    TListFont font;
    font.Font = QFont(family);
    font.Font.setPointSizeF(points);
    font.Font.setBold(bold);
    font.Font.setUnderline(underline);
    return font;
}

// ---- Metrics -----------------------------------------------------------------

TCustomListPrint::TMeasure::TMeasure(const TListFont &source, int dpiY)
    : Source(source)
    , Font(source.Font)
    , Metrics(Font)
{
    const double points
        = source.Font.pointSizeF() > 0 ? source.Font.pointSizeF() : std::max(1, source.Font.pixelSize()) * 72.0 / 96.0;
    Height = std::clamp(int(std::lround(points * dpiY / 72.0)), 1, 0x7fff);
    Font.setPixelSize(Height);
    Font.setHintingPreference(QFont::PreferNoHinting);
    Font.setKerning(false);
    Font.setStyleStrategy(QFont::PreferNoShaping);
    Metrics = QFontMetricsF(Font);
    Ascent = Metrics.ascent();
    Leading = std::max(0, int(std::lround(Metrics.leading())));
    BlankWidth = std::max<qreal>(1, Metrics.horizontalAdvance(u' '));
}

qreal TCustomListPrint::TMeasure::Advance(char16_t c)
{
    if (m_advances.empty())
        m_advances.assign(0x2100, std::numeric_limits<float>::quiet_NaN());
    float &advance = m_advances[c];
    if (std::isnan(advance))
        advance = float(Metrics.horizontalAdvance(QChar(c)));
    return advance;
}

namespace {
/// Characters whose drawn width is the sum of their advances: no combining
/// marks, no scripts that need shaping.
bool simpleChar(char16_t c)
{
    return c < 0x0300 || (c >= 0x2000 && c < 0x2100);
}
} // namespace

qreal TCustomListPrint::TMeasure::Width(QStringView text)
{
    qreal width = 0;
    for (const QChar c : text) {
        if (!simpleChar(c.unicode()))
            return Metrics.horizontalAdvance(text.toString());
        width += Advance(c.unicode());
    }
    return width;
}

qsizetype TCustomListPrint::TMeasure::FitLength(QStringView text, qreal width)
{
    qreal sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (!simpleChar(c)) {
            // Binary search over the prefix length, widths measured whole.
            qsizetype lo = i, hi = text.size();
            while (lo < hi) {
                const qsizetype mid = (lo + hi + 1) / 2;
                if (Metrics.horizontalAdvance(text.left(mid).toString()) <= width)
                    lo = mid;
                else
                    hi = mid - 1;
            }
            return lo;
        }
        sum += Advance(c);
        if (sum > width)
            return i;
    }
    return text.size();
}

// ---- Construction ------------------------------------------------------------

TCustomListPrint::TCustomListPrint(QWidget *parent)
    : QScrollArea(parent)
    , FPrintTitle(u"Listprinting"_s)
    , FRegistryKey(u"Software\\Kovatek\\DizaVadud"_s)
{
    FFont = TListFont::Make(u"Arial"_s, 9);
    FHeaderFont = FFont;
    FFooterFont = FFont;
    FShadowColor = palette().color(QPalette::Dark);
    FPaintBox = new TPreviewPaintBox(this);
    FPaintBox->setObjectName(u"PaintBox"_s);
    setWidget(FPaintBox);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    UpdatePreviewSize();
}

TCustomListPrint::~TCustomListPrint()
{
    ProgressFinish();
    if (FWaitCursor)
        QApplication::restoreOverrideCursor();
}

void TCustomListPrint::CheckNotBuilding(const char *message) const
{
    if (FBuilding || FFileMode)
        throw EPagePrinter(QString::fromUtf8(message));
}

// ---- Printer and geometry ----------------------------------------------------

QPrinter *TCustomListPrint::Printer()
{
    if (!FPrinter && !FPrinterChecked) {
        FPrinterChecked = true;
        if (PrinterFactory) {
            FPrinter = PrinterFactory();
        } else if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
            FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        }
        if (FPrinter)
            FPrinter->setPageOrientation(FOrientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    return FPrinter.get();
}

void TCustomListPrint::SetPrinter(std::unique_ptr<QPrinter> printer)
{
    FPrinter = std::move(printer);
    FPrinterChecked = true;
    if (FPrinter)
        FPrinter->setPageOrientation(FOrientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    InvalidateGeometry();
}

void TCustomListPrint::InvalidateGeometry()
{
    FGeometryValid = false;
    FMeasures.clear();
    FBody = nullptr;
}

const TCustomListPrint::TGeometry &TCustomListPrint::Geometry()
{
    if (FGeometryValid)
        return FGeometry;
    TGeometry g;
    if (QPrinter *printer = Printer()) {
        g.DpiX = std::max(1, printer->logicalDpiX());
        g.DpiY = std::max(1, printer->logicalDpiY());
        g.Paper = printer->paperRect(QPrinter::DevicePixel).size().toSize();
        QPageLayout layout = printer->pageLayout();
        layout.setMargins(layout.minimumMargins());
        const QRect printable = layout.paintRectPixels(g.DpiX);
        g.Offset = printable.topLeft();
        g.PaperMillimetres = layout.fullRect(QPageLayout::Millimeter).size();
    } else {
        const bool inches = FMeasureUnit == muInches;
        const double width = inches ? 8.5 : 210 / 25.4;
        const double height = inches ? 11 : 297 / 25.4;
        const double offset = inches ? 0.25 : 6 / 25.4;
        g.Paper = QSize(int(std::lround(width * g.DpiX)), int(std::lround(height * g.DpiY)));
        g.Offset = QPoint(int(std::lround(offset * g.DpiX)), int(std::lround(offset * g.DpiY)));
        g.PaperMillimetres = QSizeF(width * 25.4, height * 25.4);
        if (FOrientation == poLandscape) {
            g.Paper.transpose();
            g.Offset = g.Offset.transposed();
            g.PaperMillimetres.transpose();
        }
    }
    if (g.Paper.isEmpty())
        g.Paper = QSize(std::max(1, g.Paper.width()), std::max(1, g.Paper.height()));
    FGeometry = g;
    FGeometryValid = true;
    FMeasures.clear();
    FBody = nullptr;
    return FGeometry;
}

int TCustomListPrint::UnitsToPixelsX(double value)
{
    const double inches = FMeasureUnit == muMillimeters ? value / 25.4 : value;
    return ListPrintLimits::ClampPixels(inches * Geometry().DpiX);
}

int TCustomListPrint::UnitsToPixelsY(double value)
{
    const double inches = FMeasureUnit == muMillimeters ? value / 25.4 : value;
    return ListPrintLimits::ClampPixels(inches * Geometry().DpiY);
}

double TCustomListPrint::PixelsToUnitsX(double pixels)
{
    const double inches = pixels / Geometry().DpiX;
    return FMeasureUnit == muMillimeters ? inches * 25.4 : inches;
}

double TCustomListPrint::PixelsToUnitsY(double pixels)
{
    const double inches = pixels / Geometry().DpiY;
    return FMeasureUnit == muMillimeters ? inches * 25.4 : inches;
}

QRect TCustomListPrint::TextArea()
{
    const TGeometry &g = Geometry();
    const int left = UnitsToPixelsX(MarginLeft());
    const int top = UnitsToPixelsY(MarginTop());
    const int width = g.Paper.width() - left - UnitsToPixelsX(MarginRight());
    const int height = g.Paper.height() - top - UnitsToPixelsY(MarginBottom());
    // Margins that leave no room still give a sliver: pages then hold one line each.
    return QRect(left - g.Offset.x(), top - g.Offset.y(), std::max(1, width), std::max(1, height));
}

double TCustomListPrint::TextAreaWidth()
{
    // From the paper's own size: 210 mm less 2 × 25 mm is 160, not the 159.97 of whole pixels.
    const double paper = Geometry().PaperMillimetres.width();
    return (FMeasureUnit == muMillimeters ? paper : paper / 25.4) - MarginLeft() - MarginRight();
}

double TCustomListPrint::ClampMargin(TSide side, double value)
{
    const TGeometry &g = Geometry();
    const bool vertical = side == SideTop || side == SideBottom;
    const double offset = vertical ? PixelsToUnitsY(g.Offset.y()) : PixelsToUnitsX(g.Offset.x());
    const double millimetres = vertical ? g.PaperMillimetres.height() : g.PaperMillimetres.width();
    const double paper = FMeasureUnit == muMillimeters ? millimetres : millimetres / 25.4;
    if (!std::isfinite(value))
        value = offset;
    return std::max(offset, std::min(value, paper - offset));
}

void TCustomListPrint::SetMargin(TSide side, double value)
{
    CheckNotBuilding("Während des Druckens kann der Rand nicht gesetzt werden");
    FMargins[side] = ClampMargin(side, value);
    Invalidate();
}

void TCustomListPrint::ClampMargins()
{
    for (int side = SideTop; side <= SideRight; ++side)
        FMargins[side] = ClampMargin(TSide(side), FMargins[side]);
}

void TCustomListPrint::SetMeasureUnit(TMeasureUnit unit)
{
    if (unit == FMeasureUnit)
        return;
    const double factor = unit == muMillimeters ? 25.4 : 1 / 25.4;
    FMeasureUnit = unit;
    InvalidateGeometry();
    for (double &margin : FMargins)
        margin *= factor;
    FPageBorderOffset *= factor;
    FDefaultColWidth *= factor;
    FTableFormat = ColumnFormat::Scale(FTableFormat, factor, FDefaultColWidth);
    FTableColumnsValid = false;
    // Header and footer formats follow the unit as well, also while friendly
    // codes are set: kept in the old unit they would be 25.4 times too wide
    // (or too narrow) and push the header off the paper.
    FHeaderFormat = ColumnFormat::Scale(FHeaderFormat, factor, FDefaultColWidth);
    FFooterFormat = ColumnFormat::Scale(FFooterFormat, factor, FDefaultColWidth);
    ResolveFriendly();
    Invalidate();
}

TPrinterOrientation TCustomListPrint::Orientation() const
{
    if (FPrinter)
        return FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
    return FOrientation;
}

void TCustomListPrint::SetOrientation(TPrinterOrientation orientation)
{
    CheckNotBuilding("Sende Seiten an Drucker");
    FOrientation = orientation;
    if (QPrinter *printer = Printer())
        printer->setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    InvalidateGeometry();
    UpdatePreviewSize();
    PlaceView();
    Invalidate();
}

void TCustomListPrint::SetPageBorders(TPageBorders borders)
{
    FPageBorders = borders;
    Invalidate();
}

void TCustomListPrint::SetPageBorderOffset(double value)
{
    if (std::isfinite(value))
        FPageBorderOffset = value;
}

void TCustomListPrint::SetDefaultColWidth(double value)
{
    if (std::isfinite(value)) {
        FDefaultColWidth = value;
        FTableColumnsValid = false;
    }
}

// ---- Text properties ---------------------------------------------------------

void TCustomListPrint::SetFont(const TListFont &font)
{
    FFont = font;
    FBody = nullptr;
    UpdateLineStep();
}

void TCustomListPrint::SetLineSpacing(int spacing)
{
    FLineSpacing = std::clamp(spacing, 0, 3);
    UpdateLineStep();
}

void TCustomListPrint::SetTableFormat(const QString &format)
{
    FTableFormat = ColumnFormat::Normalise(format, FDefaultColWidth);
    FTableColumnsValid = false;
}

void TCustomListPrint::SetHeaderFormat(const QString &format)
{
    FHeaderFormat = ColumnFormat::Normalise(format, FDefaultColWidth);
}

void TCustomListPrint::SetFooterFormat(const QString &format)
{
    FFooterFormat = ColumnFormat::Normalise(format, FDefaultColWidth);
}

void TCustomListPrint::SetFriendlyHeader(const QString &codes)
{
    FFriendlyHeader = codes;
    ResolveFriendly();
}

void TCustomListPrint::SetFriendlyFooter(const QString &codes)
{
    FFriendlyFooter = codes;
    ResolveFriendly();
}

QDateTime TCustomListPrint::Now() const
{
    return Clock ? Clock() : QDateTime::currentDateTime();
}

void TCustomListPrint::ResolveFriendly()
{
    HeaderFooterCodes::TContext context;
    context.Now = Now();
    context.FileName = FFileName;
    if (!FFriendlyHeader.isEmpty())
        FHeader = HeaderFooterCodes::ResolveFriendly(FFriendlyHeader, context);
    if (!FFriendlyFooter.isEmpty())
        FFooter = HeaderFooterCodes::ResolveFriendly(FFriendlyFooter, context);
}

QString TCustomListPrint::DefaultHeaderFormat()
{
    return ColumnFormat::DefaultThreeColumns(TextAreaWidth());
}

void TCustomListPrint::RebuildFromPositionCodes()
{
    const QString format = DefaultHeaderFormat();
    FHeaderFormat = format;
    SetFriendlyHeader(HeaderFooterCodes::PositionCodeString(
        FPositionCodes[HLeft], FPositionCodes[HCenter], FPositionCodes[HRight], FHeaderText));
    FFooterFormat = format;
    SetFriendlyFooter(HeaderFooterCodes::PositionCodeString(
        FPositionCodes[FLeft], FPositionCodes[FCenter], FPositionCodes[FRight], FFooterText));
}

// ---- Output properties -------------------------------------------------------

void TCustomListPrint::SetPrintToFile(bool toFile)
{
    if (toFile == FPrintToFile)
        return;
    CheckNotBuilding("Druck in Datei kann während des Druckes nicht geändert werden");
    FPrintToFile = toFile;
}

void TCustomListPrint::SetFileName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed == FFileName)
        return;
    CheckNotBuilding("Dateiname kann während des Druckens nicht geändert werden");
    FFileName = trimmed;
}

void TCustomListPrint::SetFromPage(int page)
{
    FFromPage = std::max(0, page);
    // 0 stands for "from the first" and "to the last" and couples with nothing.
    if (FToPage != 0 && FFromPage > FToPage)
        FToPage = FFromPage;
}

void TCustomListPrint::SetToPage(int page)
{
    FToPage = std::max(0, page);
    if (FToPage != 0 && FToPage < FFromPage)
        FFromPage = FToPage;
}

// ---- Pages -------------------------------------------------------------------

int TCustomListPrint::PageCount() const
{
    return FPages.Count() + (FPages.IsRecording() ? 1 : 0);
}

void TCustomListPrint::SetCurrentPage(int page)
{
    const int count = PageCount();
    if (count == 0) {
        FCurrentPage = 0;
    } else {
        if (page < 1 || page > count)
            throw EPagePrinter(u"Seitennummer muß zwischen 1 und %1 liegen"_s.arg(count));
        FCurrentPage = page;
    }
    PlaceView();
    Invalidate();
}

// ---- Host --------------------------------------------------------------------

QObject *TCustomListPrint::Host() const
{
    return FHost ? FHost.data() : parent();
}

bool TCustomListPrint::SendHostMessage(int message)
{
    QObject *host = Host();
    if (!host)
        return false;
    TListPrintEvent event(message);
    return QCoreApplication::sendEvent(host, &event);
}

void TCustomListPrint::PostHostMessage(int message)
{
    if (QObject *host = Host())
        QCoreApplication::postEvent(host, new TListPrintEvent(message));
}

// ---- The report component ----------------------------------------------------

TTextReportPrint::TTextReportPrint(QWidget *parent)
    : TCustomListPrint(parent)
{
    SetHeaderFormat(DefaultHeaderFormat());
    SetFooterFormat(HeaderFormat());
}

bool TTextReportPrint::BeginReport(bool RebuildHeaderFooter)
{
    TCustomListPrint::BeginReport(RebuildHeaderFooter);
    return true;
}

void TTextReportPrint::EndReport()
{
    TCustomListPrint::EndReport();
}

void TTextReportPrint::PrintBitmap(const QString &fileName, int alignment, int scalePercent, bool advance)
{
    TCustomListPrint::PrintBitmap(fileName, alignment, scalePercent, advance);
}
