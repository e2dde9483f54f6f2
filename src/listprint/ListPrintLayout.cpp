// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// Writing a report: lines, table rows, bitmaps, page breaks, header and footer.

#include "HeaderFooterCodes.h"
#include "ListPrintPrivate.h"
#include "ListPrintUi.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

using namespace Qt::StringLiterals;
using ListPrintLimits::AddClamped;
using ListPrintLimits::ClampPixels;

namespace {

QString expandTabs(const QString &text, int tabSize)
{
    if (!text.contains(u'\t'))
        return text;
    QString result;
    result.reserve(text.size() + tabSize);
    for (const QChar c : text) {
        if (c == u'\t')
            result.append(QString(tabSize - result.size() % tabSize, u' '));
        else
            result.append(c);
    }
    return result;
}

QString ExportErrorText(const QString &path, const QString &reason)
{
    return u"Der Inhalt konnte nicht nach %1 exportiert werden.\n%2"_s.arg(path, reason);
}

bool isBreakChar(QChar c)
{
    return c.unicode() < 33;
}

struct TSplit {
    QStringView Piece;
    QStringView Rest;
};

} // namespace

// ---- Metrics of the current font ---------------------------------------------

TCustomListPrint::TMeasure &TCustomListPrint::Measure(const TListFont &font)
{
    const int dpiY = Geometry().DpiY;
    for (const auto &measure : FMeasures)
        if (measure->Source == font)
            return *measure;
    FMeasures.push_back(std::make_unique<TMeasure>(font, dpiY));
    return *FMeasures.back();
}

TCustomListPrint::TMeasure &TCustomListPrint::BodyMeasure()
{
    if (!FBody)
        FBody = &Measure(FFont);
    return *FBody;
}

void TCustomListPrint::UpdateLineStep()
{
    const int h = BodyMeasure().Height;
    switch (FLineSpacing) {
    case 0:
        FStep = h / 2;
        break;
    case 2:
        FStep = h + h / 2;
        break;
    case 3:
        FStep = 2 * h;
        break;
    default:
        FStep = h;
        break;
    }
    FStep = std::max(FStep, 1);
}

int TCustomListPrint::ExternalLeading()
{
    const int leading = BodyMeasure().Leading;
    switch (FLineSpacing) {
    case 0:
        return leading / 2;
    case 2:
        return int(std::lround(leading * 1.5));
    case 3:
        return 2 * leading;
    default:
        return leading;
    }
}

qreal TCustomListPrint::TextWidth(const QString &text)
{
    return BodyMeasure().Width(text);
}

void TCustomListPrint::ApplyBodyFont(const TListFont &font)
{
    FFont = font;
    FBody = nullptr;
    UpdateLineStep();
}

int TCustomListPrint::PenWidth()
{
    return std::max(1, Geometry().DpiX / 300 * 2);
}

// ---- Word wrap ---------------------------------------------------------------

namespace {

/// Splits text at width: at a blank or control character after the longest
/// fitting prefix (consumed when consume is set), else after the prefix's last
/// blank, else inside the word. The piece holds at least one character.
TSplit splitAt(QStringView text, qsizetype fit, bool consume)
{
    fit = std::max<qsizetype>(fit, 1);
    if (fit >= text.size())
        return { text, {} };
    if (isBreakChar(text.at(fit)))
        return { text.left(fit), text.mid(consume ? fit + 1 : fit) };
    for (qsizetype i = fit - 1; i > 0; --i)
        if (isBreakChar(text.at(i)))
            return { text.left(i + 1), text.mid(i + 1) };
    return { text.left(fit), text.mid(fit) };
}

} // namespace

// ---- Text output for files and the captured lines ------------------------------

void TCustomListPrint::TextSinkWrite(const QString &text, bool asLine)
{
    if ((!FFileMode && !FCapture) || FInHeaderFooter)
        return;
    QStringList &target = FFileMode ? FFileLines : FLines;
    if (asLine) {
        target.append(FPendingText + text);
        FPendingText.clear();
        FPendingOpen = false;
        FLineWritten = true;
    } else {
        FPendingText += text;
        FPendingOpen = true;
    }
}

void TCustomListPrint::TextSinkEndLine()
{
    if ((!FFileMode && !FCapture) || FInHeaderFooter)
        return;
    QStringList &target = FFileMode ? FFileLines : FLines;
    // The text file ends one more line after each plain line; the captured
    // lines hold one entry per printed line.
    if (FPendingOpen || FFileMode || !FLineWritten)
        target.append(FPendingText);
    FPendingText.clear();
    FPendingOpen = false;
    FLineWritten = false;
}

// ---- Drawing -----------------------------------------------------------------

void TCustomListPrint::DrawText(int x, QStringView text)
{
    TMeasure &m = BodyMeasure();
    if (m.Index < 0)
        m.Index = FPages.FontIndex(m.Font, m.Source.Color);
    const QRect area = TextArea();
    FPages.Text(AddClamped(area.left(), x), AddClamped(area.top() + FY, int(std::lround(m.Ascent))), text, m.Index);
}

bool TCustomListPrint::MayBreakPage() const
{
    // A page that holds no line of its own yet never breaks: pages too small
    // for one line then take one line each instead of breaking for ever.
    return !FInPageStart && !FInHeaderFooter && FPageHasLine;
}

void TCustomListPrint::BreakPageIfFull()
{
    if (!FFileMode && FY + FStep >= TextArea().height() && MayBreakPage())
        NewPage();
}

void TCustomListPrint::PrintLine(const QString &text)
{
    if (!FBuilding)
        return;
    const QString line = expandTabs(text, FTabSize);
    TMeasure &m = BodyMeasure();
    const int areaWidth = TextArea().width();
    const qreal width = m.Width(line);
    if (width > areaWidth && line.size() > 1) {
        FX = 0;
        QStringView rest(line);
        if (!FWordWrap) {
            PrintLine(rest.left(std::max<qsizetype>(1, m.FitLength(rest, areaWidth))).toString());
            return;
        }
        while (!rest.isEmpty()) {
            const TSplit split = splitAt(rest, m.FitLength(rest, areaWidth), true);
            PrintLine(split.Piece.toString());
            rest = split.Rest;
        }
        return;
    }
    int x = 0;
    if (FAlignment == taRightJustify)
        x = ClampPixels(areaWidth - width);
    else if (FAlignment == taCenter)
        x = ClampPixels((areaWidth - width) / 2);
    BreakPageIfFull();
    FX = x;
    if (FFileMode || FCapture)
        TextSinkWrite(QString(std::max(0, int(FX / m.BlankWidth)), u' ') + line, true);
    if (!FFileMode)
        DrawText(FX, line);
    NewLine();
}

void TCustomListPrint::PrintLineAligned(TAlignment alignment, const QString &text)
{
    const TAlignment saved = FAlignment;
    FAlignment = alignment;
    PrintLine(text);
    FAlignment = saved;
}

void TCustomListPrint::WriteText(const QString &text)
{
    if (!FBuilding)
        return;
    TMeasure &m = BodyMeasure();
    const int areaWidth = TextArea().width();
    const QString expanded = expandTabs(text, FTabSize);
    QStringView rest(expanded);
    while (!rest.isEmpty()) {
        const qreal available = areaWidth - FX;
        qreal width = m.Width(rest);
        QStringView piece = rest;
        rest = {};
        if (width > available && piece.size() > 1) {
            if (FWordWrap) {
                const TSplit split = splitAt(piece, m.FitLength(piece, available), false);
                piece = split.Piece;
                rest = split.Rest;
            } else {
                piece = piece.left(m.FitLength(piece, std::max<qreal>(0, available)));
            }
            width = m.Width(piece);
        }
        BreakPageIfFull();
        if (FFileMode || FCapture) {
            const QString blanks = FPendingOpen ? QString() : QString(int(FX / m.BlankWidth), u' ');
            TextSinkWrite(blanks + piece.toString(), false);
        }
        if (!FFileMode)
            DrawText(FX, piece);
        FX = ClampPixels(FX + width);
        if (!rest.isEmpty())
            NewLine();
    }
}

int TCustomListPrint::NewLine()
{
    if (!FBuilding)
        return FLineNumber;
    FX = 0;
    FY = AddClamped(FY, FStep);
    if (!FInPageStart && !FInHeaderFooter)
        FPageHasLine = true;
    if (FFileMode || FInHeaderFooter || FY + FStep < TextArea().height() || !MayBreakPage()) {
        ++FLineNumber;
        TextSinkEndLine();
    } else {
        TextSinkEndLine();
        NewPage();
    }
    if (OnNewLine)
        OnNewLine(this);
    return FLineNumber;
}

int TCustomListPrint::NewPage()
{
    // A page start that asks for a new page (from OnNewPage) would never end.
    if (!FBuilding || FInPageStart || FInHeaderFooter)
        return FCurrentPage;
    if (FFileMode) {
        TextSinkWrite(u"\f"_s, false);
        TextSinkEndLine();
    } else {
        FPages.BeginPage();
    }
    ++FCurrentPage;
    PageStart();
    return FCurrentPage;
}

// ---- Page start --------------------------------------------------------------

void TCustomListPrint::PageStart()
{
    // Pages are recorded faster than a screen shows them: the dialog and its
    // Stop button get their turn every few milliseconds, not at every page.
    const bool turn = !FEventTurn.isValid() || FEventTurn.hasExpired(20);
    if (turn)
        FEventTurn.start();
    if (FShowProgress && turn)
        QCoreApplication::processEvents();
    ProgressUpdate(u"Preview wieder aufbauen"_s, u"Seite "_s, 0, 1, FCurrentPage);
    if (FShowProgress && FShowCancel && turn)
        QCoreApplication::processEvents();
    if (FCancel)
        throw ECancelPrinting(u"Druck abgebrochen"_s);

    FX = 0;
    FY = 0;
    FLineNumber = 0;
    FPageHasLine = false;
    {
        struct TGuard {
            bool &Flag;
            ~TGuard() { Flag = false; }
        } guard { FInPageStart = true };
        if (OnNewPage)
            OnNewPage(this);

        const int x = FX, y = FY, lineNumber = FLineNumber;
        const QString tableFormat = FTableFormat;
        const bool grids = FTableGrids, wrap = FWordWrap;
        const TListFont font = FFont;
        DrawHeaderFooter();
        FX = x;
        FY = y;
        FLineNumber = lineNumber;
        FTableFormat = tableFormat;
        FTableColumnsValid = false;
        FTableGrids = grids;
        FWordWrap = wrap;
        ApplyBodyFont(font);
    }
    if (OnNewLine)
        OnNewLine(this);
    DrawPageBorders();
}

void TCustomListPrint::DrawHeaderFooter()
{
    if (FFileMode)
        return;
    struct TGuard {
        bool &Flag;
        ~TGuard() { Flag = false; }
    } guard { FInHeaderFooter = true };
    FTableGrids = false;
    FWordWrap = true;
    const QRect area = TextArea();
    const TGeometry &g = Geometry();
    if (!FHeader.isEmpty()) {
        ApplyBodyFont(FHeaderFont);
        // Centred between the paper's top edge and the frame line above the text area.
        const int band = UnitsToPixelsY(MarginTop() - FPageBorderOffset);
        const int top = std::max(0, (band - FStep) / 2 - g.Offset.y());
        FX = 0;
        FY = top - area.top();
        FTableFormat = FHeaderFormat;
        FTableColumnsValid = false;
        PrintTableLine(FHeader);
    }
    if (!FFooter.isEmpty()) {
        ApplyBodyFont(FFooterFont);
        FX = 0;
        FY = AddClamped(area.height(), 2 * FStep);
        FTableFormat = FFooterFormat;
        FTableColumnsValid = false;
        PrintTableLine(FFooter);
    }
}

void TCustomListPrint::DrawPageBorders()
{
    if (FFileMode || !FPageBorders)
        return;
    const QRect area = TextArea();
    const int d = UnitsToPixelsY(FPageBorderOffset);
    const int dx = UnitsToPixelsX(FPageBorderOffset);
    const int left = area.left() - dx, right = area.left() + area.width() + dx;
    const int top = area.top() - d, bottom = area.top() + area.height() + d;
    const int horizontal = std::max(1, Geometry().DpiY / 300 * 2);
    const int vertical = PenWidth();
    if (FPageBorders & pbTop)
        FPages.Line(left, top, right, top, horizontal);
    if (FPageBorders & pbBottom)
        FPages.Line(left, bottom, right, bottom, horizontal);
    if (FPageBorders & pbLeft)
        FPages.Line(left, top, left, bottom, vertical);
    if (FPageBorders & pbRight)
        FPages.Line(right, top, right, bottom, vertical);
}

// ---- Table lines -------------------------------------------------------------

const QList<ColumnFormat::TColumn> &TCustomListPrint::TableColumns()
{
    if (!FTableColumnsValid || FParsedTableFormat != FTableFormat) {
        FTableColumns = ColumnFormat::Parse(FTableFormat, FDefaultColWidth);
        FParsedTableFormat = FTableFormat;
        FTableColumnsValid = true;
    }
    return FTableColumns;
}

struct TCustomListPrint::TCell {
    QString Text;
    TAlignment Alignment = taLeftJustify;
    int Width = 0; // pixels
    bool Frame = false;
};

void TCustomListPrint::PrintTableLine(const QString &text)
{
    if (!FBuilding)
        return;
    const QList<ColumnFormat::TColumn> columns = TableColumns();
    const QList<QStringView> texts = QStringView(text).split(ColumnFormat::Separator);
    QList<TCell> cells;
    cells.reserve(columns.size());

    HeaderFooterCodes::TContext context;
    bool contextReady = false;
    for (qsizetype col = 0; col < columns.size(); ++col) {
        TCell cell;
        cell.Alignment = columns.at(col).Alignment;
        double width = columns.at(col).Width;
        cell.Frame = FTableGrids && width >= 0;
        cell.Text = col < texts.size() ? texts.at(col).toString() : QString();
        if (cell.Text.contains("{$"_L1)) {
            if (!contextReady) {
                context = { FLineNumber, FCurrentPage, FPrintTitle, FFileName, Now() };
                contextReady = true;
            }
            cell.Text = HeaderFooterCodes::ReplacePlaceholders(cell.Text, context);
        }
        if (OnGetCellFormat && !FInHeaderFooter) {
            TTableLineColumnInfo info { cell.Text, width, cell.Alignment, cell.Frame };
            OnGetCellFormat(this, int(col + 1), info);
            cell.Text = info.Text;
            width = info.Width;
            cell.Alignment = info.Alignment;
            cell.Frame = info.Frame;
        }
        cell.Width = std::abs(UnitsToPixelsX(std::abs(width)));
        cells.append(std::move(cell));
    }

    if (!FInHeaderFooter)
        BreakPageIfFull();
    TMeasure &m = BodyMeasure();
    const int inset = std::max(1, Geometry().DpiX / 300 * 6);
    const int pen = PenWidth();
    const QRect area = TextArea();
    const int lead = ExternalLeading();
    const bool toText = (FFileMode || FCapture) && !FInHeaderFooter;
    for (bool firstPass = true;; firstPass = false) {
        bool remainder = false;
        int x = 0;
        int previousRight = std::numeric_limits<int>::min();
        for (TCell &cell : cells) {
            QStringView piece(cell.Text);
            QString next;
            if (FWordWrap) {
                const TSplit split = splitAt(piece, m.FitLength(piece, cell.Width), true);
                piece = split.Piece;
                next = split.Rest.toString();
                if (const qsizetype lf = piece.indexOf(u'\n'); lf >= 0) {
                    // What follows a line feed opens the next pass, joined to the rest by a blank.
                    const QString after = piece.mid(lf + 1).toString();
                    next = next.isEmpty() ? after : after + u' ' + next;
                    piece = piece.left(lf);
                }
            } else {
                if (const qsizetype lf = piece.indexOf(u'\n'); lf >= 0)
                    piece = piece.left(lf);
                piece = piece.left(m.FitLength(piece, cell.Width));
            }
            if (piece.endsWith(u'\r'))
                piece.chop(1);
            const int textWidth = ClampPixels(m.Width(piece));
            int pos = 0;
            if (cell.Alignment == taRightJustify)
                pos = cell.Width - textWidth;
            else if (cell.Alignment == taCenter)
                pos = (cell.Width - textWidth) / 2;
            if (textWidth < cell.Width - inset) {
                if (cell.Alignment == taLeftJustify)
                    pos += inset;
                else if (cell.Alignment == taRightJustify)
                    pos -= inset;
            }
            if (toText)
                TextSinkWrite(piece.toString() + u'\t', false);
            if (!FFileMode) {
                if (!piece.isEmpty())
                    DrawText(AddClamped(x, pos), piece);
                if (cell.Frame) {
                    const int top = area.top() + FY - lead;
                    const int left = area.left() + x, right = AddClamped(left, cell.Width);
                    if (left != previousRight)
                        FPages.Line(left, top, left, top + FStep, pen);
                    FPages.Line(right, top, right, top + FStep, pen);
                    previousRight = right;
                    if (firstPass)
                        FPages.Line(left, top, right, top, pen);
                } else {
                    previousRight = std::numeric_limits<int>::min();
                }
            }
            x = AddClamped(x, cell.Width);
            cell.Text = next;
            remainder = remainder || !next.isEmpty();
        }
        if (!remainder)
            break;
        NewLine();
    }
    if (FTableGrids && !FFileMode) {
        int x = 0;
        const int bottom = area.top() + FY - lead + FStep;
        for (const TCell &cell : std::as_const(cells)) {
            if (cell.Frame)
                FPages.Line(area.left() + x, bottom, AddClamped(area.left() + x, cell.Width), bottom, pen);
            x = AddClamped(x, cell.Width);
        }
    }
    if (!FInHeaderFooter || FFileMode)
        NewLine();
}

// ---- Bitmaps -----------------------------------------------------------------

void TCustomListPrint::PrintBitmap(const QString &fileName, int alignment, int scalePercent, bool advance)
{
    if (!FBuilding || !QFileInfo(fileName).isFile())
        return;
    if (advance)
        NewLine();
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull())
        return; // not an image: the report goes on without it
    const int percent = std::clamp(scalePercent, 1, 10000);
    const int width = std::max(1, int(qint64(image.width()) * percent / 100));
    const int height = std::max(1, int(qint64(image.height()) * percent / 100));
    const QRect area = TextArea();
    int x = 0;
    if (alignment == 1)
        x = area.width() - width;
    else if (alignment == 2)
        x = (area.width() - width) / 2;
    if (!FFileMode) {
        if (FY + height > area.height() && MayBreakPage())
            NewPage();
        // Black is the transparent colour of the report's bitmaps.
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int row = 0; row < image.height(); ++row) {
            auto *pixel = reinterpret_cast<QRgb *>(image.scanLine(row));
            for (int col = 0; col < image.width(); ++col)
                if ((pixel[col] & 0xffffff) == 0)
                    pixel[col] = 0;
        }
        const int index = FPages.ImageIndex(QFileInfo(fileName).absoluteFilePath(), image);
        FPages.Image(QRect(area.left() + x, area.top() + FY, width, height), index);
        FPageHasLine = true;
    }
    if (advance)
        FY = AddClamped(FY, height);
}

// ---- Begin and end -----------------------------------------------------------

void TCustomListPrint::BeginReport(bool RebuildHeaderFooter)
{
    // A rebuild started while a report is being built must not mix into it.
    if (FBuilding || FFileMode)
        throw EPagePrinter(u"Kein Neuaufbau während des Druckens"_s);
    LoadSettings();
    FZoomLocation = zlTopCenter;
    try {
        FPages.Clear();
        for (const auto &measure : FMeasures)
            measure->Index = -1;
        FCurrentPage = 0;
        emit PagesChanged();
        FCancel = false; // a print run stopped before must not stop this report
        if (RebuildHeaderFooter)
            RebuildFromPositionCodes();
        FTableFormat.clear();
        FTableColumnsValid = false;
        ++FUpdateCount;
        InvalidateGeometry();
        ClampMargins();
        UpdateLineStep();
        ResolveFriendly();
        FBuilding = true;
        FPendingText.clear();
        FPendingOpen = false;
        FLineWritten = false;
        FFileError.clear();
        if (FPrintToFile)
            OpenFile();
        if (!FFileMode) {
            const TGeometry &g = Geometry();
            FPages.SetDevice({ g.DpiX, g.DpiY, g.Offset, g.Paper });
            FPages.BeginPage();
        }
        FCurrentPage = 1;
        PageStart();
    } catch (const EPagePrinter &) {
        // The report is begun as far as it got; a cancel shows at the next page start.
    }
    if (!FWaitCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FWaitCursor = true;
    }
}

void TCustomListPrint::OpenFile()
{
    const QString path = ListPrintUi::InProgramFolder(FFileName.isEmpty() ? u"DizaVadud.TXT"_s : FFileName);
    FFileLines.clear();
    FFile = std::make_unique<QSaveFile>(path);
    if (FFileName.isEmpty()) {
        FFileError = u"Für den Export ist kein Dateiname angegeben."_s;
    } else if (!FFile->open(QIODevice::WriteOnly)) {
        FFileError = ExportErrorText(path, FileErrorText(*FFile));
    } else {
        FFileMode = true;
        return;
    }
    // The report then goes into preview pages.
    FFile.reset();
}

void TCustomListPrint::FinishPages()
{
    if (FFileMode) {
        if (FPendingOpen)
            TextSinkEndLine();
        FFileMode = false;
        FCurrentPage = 0;
        const QString path = FFile->fileName();
        FFile->write(EncodeTextLines(FFileLines));
        FFileLines.clear();
        const bool written = FFile->commit();
        const QString error = written ? QString() : FileErrorText(*FFile);
        FFile.reset();
        if (written)
            ListPrintUi::Message(
                ListPrintUi::TMessageKind::Information, u"Inhalt exportiert nach %1"_s.arg(path), this);
        else
            FFileError = ExportErrorText(path, error);
    } else if (FPages.IsRecording()) {
        FPages.EndPage();
        FCurrentPage = FPages.IsEmpty() ? 0 : 1;
    }
    if (!FFileError.isEmpty()) {
        const QString error = FFileError;
        FFileError.clear();
        ListPrintUi::Message(ListPrintUi::TMessageKind::Error, error, this);
    }
}

void TCustomListPrint::EndReport()
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    const bool wasBuilding = FBuilding;
    FBuilding = false;
    if (wasBuilding) {
        FinishPages();
        UpdatePreviewSize();
        PlaceView();
        emit PagesChanged();
    }
    Invalidate();
    ProgressFinish();
    if (FWaitCursor) {
        QApplication::restoreOverrideCursor();
        FWaitCursor = false;
    }
}
