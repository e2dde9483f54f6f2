// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ColumnFormat.h"
#include "ListPrintTypes.h"
#include "PageList.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QPrinter>
#include <QScrollArea>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

class QSaveFile;
class TListPrnPrgDlg;
class TPreviewPaintBox;

/**
 * The list printer: a report component that a host window fills line by line
 * (plain lines, table lines by a column format, bitmaps) between BeginReport
 * and EndReport. It breaks the output into pages, draws a header and a footer
 * row on each page, records each page as a device-independent drawing in the
 * printer's pixels, shows the pages as a zoomable preview and prints them.
 * With PrintToFile the report goes to a text file instead of pages.
 *
 * Lengths are in MeasureUnit. The cursor is in printer pixels from the
 * top-left corner of the text area (the paper less the margins), the
 * recordings from the printer's printable corner. Without a printer the page
 * is A4 (letter in inches) at 300 pixels per inch; pages recorded for one
 * printer print true to size on another.
 *
 * The host (the parent widget unless SetHost names another) receives
 * LPM_REBUILD as a TListPrintEvent when the report must be built again, and
 * then runs its BeginReport … EndReport once more.
 *
 * Operations that would disturb a report being built raise EPagePrinter; the
 * Stop button of the progress dialog makes the next page start raise
 * ECancelPrinting out of the host's building code.
 */
class TCustomListPrint : public QScrollArea {
    Q_OBJECT

public:
    explicit TCustomListPrint(QWidget *parent = nullptr);
    ~TCustomListPrint() override;

    // ---- Page layout -------------------------------------------------------
    double MarginTop() const { return FMargins[SideTop]; }
    double MarginBottom() const { return FMargins[SideBottom]; }
    double MarginLeft() const { return FMargins[SideLeft]; }
    double MarginRight() const { return FMargins[SideRight]; }
    /// Clamped between the printer's unprintable offset and the paper size less the opposite offset.
    void SetMarginTop(double value) { SetMargin(SideTop, value); }
    void SetMarginBottom(double value) { SetMargin(SideBottom, value); }
    void SetMarginLeft(double value) { SetMargin(SideLeft, value); }
    void SetMarginRight(double value) { SetMargin(SideRight, value); }

    TMeasureUnit MeasureUnit() const { return FMeasureUnit; }
    /// Converts the margins, the frame offset, the default column width and the column formats.
    void SetMeasureUnit(TMeasureUnit unit);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    TPageBorders PageBorders() const { return FPageBorders; }
    void SetPageBorders(TPageBorders borders);
    double PageBorderOffset() const { return FPageBorderOffset; }
    void SetPageBorderOffset(double value);
    double DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(double value);

    // ---- Text --------------------------------------------------------------
    /// The body font.
    const TListFont &Font() const { return FFont; }
    void SetFont(const TListFont &font);
    const TListFont &HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const TListFont &font) { FHeaderFont = font; }
    const TListFont &FooterFont() const { return FFooterFont; }
    void SetFooterFont(const TListFont &font) { FFooterFont = font; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment) { FAlignment = alignment; }
    int TabSize() const { return FTabSize; }
    void SetTabSize(int size) { FTabSize = std::max(1, size); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool wrap) { FWordWrap = wrap; }
    /// 0 half, 1 single, 2 one and a half, 3 double line steps.
    int LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(int spacing);
    bool TableGrids() const { return FTableGrids; }
    void SetTableGrids(bool grids) { FTableGrids = grids; }
    QString TableFormat() const { return FTableFormat; }
    void SetTableFormat(const QString &format);
    /// For the host's own use, e.g. to tell table rows apart in OnGetCellFormat.
    int LineKind = 0;

    // ---- Page header and footer ---------------------------------------------
    QString Header() const { return FHeader; }
    void SetHeader(const QString &text) { FHeader = text; }
    QString Footer() const { return FFooter; }
    void SetFooter(const QString &text) { FFooter = text; }
    QString HeaderFormat() const { return FHeaderFormat; }
    void SetHeaderFormat(const QString &format);
    QString FooterFormat() const { return FFooterFormat; }
    void SetFooterFormat(const QString &format);
    QString FriendlyHeader() const { return FFriendlyHeader; }
    /// Resolves the &-codes into Header at once (and again at every BeginReport).
    void SetFriendlyHeader(const QString &codes);
    QString FriendlyFooter() const { return FFriendlyFooter; }
    void SetFriendlyFooter(const QString &codes);
    /// The user's texts for the centre column (position code 4).
    QString HeaderText() const { return FHeaderText; }
    void SetHeaderText(const QString &text) { FHeaderText = text; }
    QString FooterText() const { return FFooterText; }
    void SetFooterText(const QString &text) { FFooterText = text; }
    /// Position codes (0 to 4) of the header's and footer's left, centre and right columns.
    enum TPosition { HLeft, HCenter, HRight, FLeft, FCenter, FRight };
    int PositionCode(TPosition position) const { return FPositionCodes[position]; }
    void SetPositionCode(TPosition position, int code) { FPositionCodes[position] = code; }
    /// The default three-column format for the current text area.
    QString DefaultHeaderFormat();

    // ---- Output --------------------------------------------------------------
    QString PrintTitle() const { return FPrintTitle; }
    void SetPrintTitle(const QString &title) { FPrintTitle = title; }
    bool PrintToFile() const { return FPrintToFile; }
    void SetPrintToFile(bool toFile);
    /// The text file of PrintToFile; relative names lie in the program folder.
    QString FileName() const { return FFileName; }
    void SetFileName(const QString &name);
    /// The report's text lines captured for the print dialog's file output.
    QStringList &Lines() { return FLines; }
    int Copies() const { return FCopies; }
    void SetCopies(int copies) { FCopies = copies > 0 ? copies : 1; }
    bool Collate() const { return FCollate; }
    void SetCollate(bool collate) { FCollate = collate; }
    /// On Stop, abort the print job instead of ending it normally. A PDF file
    /// is then removed; a printer queue still receives the pages sent so far.
    bool AbortOnCancel() const { return FAbortOnCancel; }
    void SetAbortOnCancel(bool abort) { FAbortOnCancel = abort; }
    bool ShowProgress() const { return FShowProgress; }
    void SetShowProgress(bool show) { FShowProgress = show; }
    bool ShowCancel() const { return FShowCancel; }
    void SetShowCancel(bool show) { FShowCancel = show; }
    QString ProgressMessage() const { return FProgressMessage; }
    void SetProgressMessage(const QString &message) { FProgressMessage = message; }
    /// The print range; 0 means the first and the last page.
    int FromPage() const { return FFromPage; }
    void SetFromPage(int page);
    int ToPage() const { return FToPage; }
    void SetToPage(int page);

    // ---- Stored settings ---------------------------------------------------
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool use) { FUseRegistry = use; }
    QString RegistryKey() const { return FRegistryKey; }
    void SetRegistryKey(const QString &key) { FRegistryKey = key; }
    /// RegistryKey (or the library's own key when it is empty) with "\Setup".
    QString SettingsKey() const;
    /// Offered in the layout dialog and stored; they do not change the output.
    bool FitPrintToPage = true;
    bool PrintWYSIWYG = true;
    /// The export values (file name, DDE pause, PrintToFile) are stored and offered too.
    static inline bool ExportSettings = true;
    /// Export values kept for every list printer of the program.
    static inline int DDEPause = 0;
    static inline bool SaveDDEVal = false;
    /// While clear, LoadSettings keeps the values the layout dialog handed over.
    static inline bool ReloadSettings = true;
    /// Reads the stored page layout (with UseRegistry); BeginReport calls it first.
    /// Missing, malformed and out-of-range values read as their defaults.
    virtual void LoadSettings();
    /// Writes the page layout (with UseRegistry); false, after telling the user, when that failed.
    virtual bool SaveSettings();
    /// The page layout dialog; accepted changes rebuild the report and may be stored.
    void ExecuteSettingsDialog();

    // ---- Preview -----------------------------------------------------------
    bool GradientBackground() const { return FGradientBackground; }
    void SetGradientBackground(bool gradient);
    QColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(const QColor &color);
    int ShadowOffset() const { return FShadowOffset; }
    void SetShadowOffset(int offset);
    bool ShowMargins() const { return FShowMargins; }
    void SetShowMargins(bool show);
    TZoomLocation ZoomLocation() const { return FZoomLocation; }
    void SetZoomLocation(TZoomLocation location);
    int ZoomPercent() const { return FZoomPercent; }
    void SetZoomPercent(int percent);
    /// Paints the preview: background, shadow, paper, the current page, the margins.
    virtual void PaintPreview(QPainter &painter, const QRect &area);
    /// Repaints the preview unless a report is being built.
    void Invalidate();

    // ---- Pages and state ---------------------------------------------------
    int CurrentPage() const { return FCurrentPage; }
    /// Raises EPagePrinter outside 1..PageCount; with no pages the page becomes 0.
    void SetCurrentPage(int page);
    int PageCount() const;
    int LineNumber() const { return FLineNumber; }
    /// The advance of one line in printer pixels, from the body font and LineSpacing.
    int LineStep() { return FStep > 0 ? FStep : (UpdateLineStep(), FStep); }
    /// The width of text in the body font, in printer pixels.
    qreal TextWidth(const QString &text);
    bool IsBuilding() const { return FBuilding; }
    const TPageList &Pages() const { return FPages; }
    TPageList &Pages() { return FPages; }

    // ---- Events --------------------------------------------------------------
    TGetCellFormatEvent OnGetCellFormat;
    /// At each page start, before the header and footer are drawn; may print lines.
    TListPrintNotifyEvent OnNewPage;
    TListPrintNotifyEvent OnNewLine;

    // ---- Writing a report ------------------------------------------------------
    /// Prints a plain line by Alignment and advances; overlong lines wrap or are cut.
    void PrintLine(const QString &text);
    void PrintLineAligned(TAlignment alignment, const QString &text);
    /// Writes at the cursor without advancing.
    void WriteText(const QString &text);
    /// Advances one line step, breaking the page when the next step does not fit.
    int NewLine();
    int NewPage();
    /// One table row, cells separated by "|", laid out by TableFormat.
    void PrintTableLine(const QString &text);

    // ---- Printing --------------------------------------------------------------
    /// The print dialog and the output it asks for.
    void Print();
    /// Prints the pages FromPage..ToPage in Copies copies; false when cancelled.
    /// Raises EPagePrinter when the printer cannot be opened.
    bool PrintPages();
    /// Writes the recorded pages as a PDF file on their own paper; false when
    /// cancelled. Raises EPagePrinter when there are no pages or the file cannot be written.
    bool SaveAsPdf(const QString &fileName);
    void CancelPrinting() { FCancel = true; }

    /// The printer the pages are laid out for; null while the system has none.
    QPrinter *Printer();
    /// Lays out for and prints on printer from now on (tests give a PDF printer).
    void SetPrinter(std::unique_ptr<QPrinter> printer);
    /// Makes the component's printer when it needs one; the default takes the
    /// system's default printer and gives null when there is none.
    static inline std::function<std::unique_ptr<QPrinter>()> PrinterFactory;
    /// The clock of dates and times in headers, footers and placeholders.
    static inline std::function<QDateTime()> Clock;

    // ---- Host ------------------------------------------------------------------
    /// The window that receives LPM_REBUILD and LPM_EXPORT; default the parent widget.
    QObject *Host() const;
    void SetHost(QObject *host) { FHost = host; }
    /// Delivers message to the host at once (true when it was handled).
    bool SendHostMessage(int message);
    void PostHostMessage(int message);

    // ---- Geometry ----------------------------------------------------------------
    struct TGeometry {
        int DpiX = 300;
        int DpiY = 300;
        QSize Paper; ///< pixels
        QPoint Offset; ///< unprintable offsets (left, top) in pixels; right and bottom are taken equal
        QSizeF PaperMillimetres;
    };
    /// The printer's metrics, or the defaults without a printer.
    const TGeometry &Geometry();
    int UnitsToPixelsX(double value);
    int UnitsToPixelsY(double value);
    double PixelsToUnitsX(double pixels);
    double PixelsToUnitsY(double pixels);
    /// The text area in pixels from the printable origin.
    QRect TextArea();
    /// Width of the text area (paper width less left and right margins) in MeasureUnit.
    double TextAreaWidth();

signals:
    /// Before each page is sent to the printer; copy counts from 1.
    void PrintingPage(int page, int copy);
    /// After EndReport and after the pages were discarded.
    void PagesChanged();

protected:
    void BeginReport(bool RebuildHeaderFooter);
    void EndReport();
    void PrintBitmap(const QString &fileName, int alignment, int scalePercent, bool advance);

    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    friend class TPreviewPaintBox;
    enum TSide { SideTop, SideBottom, SideLeft, SideRight };
    struct TMeasure;
    struct TCell;

    void SetMargin(TSide side, double value);
    double ClampMargin(TSide side, double value);
    void ClampMargins();
    void InvalidateGeometry();
    void CheckNotBuilding(const char *message) const;

    // Layout
    TMeasure &Measure(const TListFont &font);
    TMeasure &BodyMeasure();
    void ApplyBodyFont(const TListFont &font);
    void UpdateLineStep();
    int ExternalLeading();
    bool MayBreakPage() const;
    void BreakPageIfFull();
    void DrawText(int x, QStringView text);
    void PageStart();
    void DrawHeaderFooter();
    void DrawPageBorders();
    int PenWidth();
    void ResolveFriendly();
    QDateTime Now() const;
    const QList<ColumnFormat::TColumn> &TableColumns();
    void TextSinkWrite(const QString &text, bool asLine);
    void TextSinkEndLine();
    void OpenFile();
    void FinishPages();
    void RebuildFromPositionCodes();

    // Printing
    void ProgressUpdate(const QString &status, const QString &prefix, int last, int first, int page);
    void ProgressFinish();
    void PrintToTextFile();
    void PlayPage(QPainter &painter, int index, QPrinter *printer);
    /// Pages first..last in copies, with progress and Stop; false when stopped.
    /// abort: a stopped job is aborted (a file printout removed) instead of ended.
    bool PlayOnPrinter(QPrinter *printer, int first, int last, int copies, bool collate, bool abort);

    // Preview
    QSize PreviewPageSize();
    void UpdatePreviewSize();
    void PlaceView();

    // Properties
    std::array<double, 4> FMargins { 25, 25, 25, 25 };
    TMeasureUnit FMeasureUnit = muMillimeters;
    TPrinterOrientation FOrientation = poPortrait;
    TPageBorders FPageBorders;
    double FPageBorderOffset = 1.5;
    double FDefaultColWidth = 25;
    TListFont FFont;
    TListFont FHeaderFont;
    TListFont FFooterFont;
    TAlignment FAlignment = taLeftJustify;
    int FTabSize = 8;
    bool FWordWrap = false;
    int FLineSpacing = 1;
    bool FTableGrids = true;
    QString FTableFormat;
    QString FHeader;
    QString FFooter;
    QString FHeaderFormat;
    QString FFooterFormat;
    QString FFriendlyHeader;
    QString FFriendlyFooter;
    QString FHeaderText;
    QString FFooterText;
    std::array<int, 6> FPositionCodes { 0, 4, 0, 1, 4, 2 };
    QString FPrintTitle;
    bool FPrintToFile = false;
    QString FFileName;
    QStringList FLines;
    int FCopies = 1;
    bool FCollate = true;
    bool FAbortOnCancel = false;
    bool FShowProgress = true;
    bool FShowCancel = true;
    QString FProgressMessage;
    int FFromPage = 0;
    int FToPage = 0;
    bool FUseRegistry = false;
    QString FRegistryKey;
    bool FGradientBackground = false;
    QColor FShadowColor;
    int FShadowOffset = 5;
    bool FShowMargins = false;
    TZoomLocation FZoomLocation = zlTopCenter;
    int FZoomPercent = 35;
    QPointer<QObject> FHost;

    // State
    TPageList FPages;
    int FCurrentPage = 0;
    int FLineNumber = 0;
    int FX = 0;
    int FY = 0;
    int FStep = 0;
    bool FBuilding = false;
    bool FFileMode = false; // the report goes to FileName
    bool FCapture = false; // the report's lines go to Lines as well
    bool FCancel = false;
    bool FInHeaderFooter = false;
    bool FInPageStart = false;
    bool FPageHasLine = false; // a body line was advanced on this page
    bool FLineWritten = false; // PrintLine ended its own text line
    bool FWaitCursor = false;
    int FUpdateCount = 0;
    QString FPendingText;
    bool FPendingOpen = false;
    QElapsedTimer FEventTurn;
    QStringList FFileLines;
    std::unique_ptr<QSaveFile> FFile;
    QString FFileError;
    QString FParsedTableFormat;
    QList<ColumnFormat::TColumn> FTableColumns;
    bool FTableColumnsValid = false;

    std::unique_ptr<QPrinter> FPrinter;
    bool FPrinterChecked = false;
    TGeometry FGeometry;
    bool FGeometryValid = false;
    std::vector<std::unique_ptr<TMeasure>> FMeasures;
    TMeasure *FBody = nullptr;
    TListPrnPrgDlg *FProgress = nullptr;
    TPreviewPaintBox *FPaintBox = nullptr;
};

/**
 * The list printer as hosts use it: BeginReport … EndReport, bitmaps and the
 * stored settings, with the default three-column header and footer formats.
 */
class TTextReportPrint : public TCustomListPrint {
    Q_OBJECT

public:
    explicit TTextReportPrint(QWidget *parent = nullptr);

    /// Starts a new report, discarding the pages; with RebuildHeaderFooter the
    /// header and footer come from the position codes. Always true.
    bool BeginReport(bool RebuildHeaderFooter);
    /// Finishes the report: closes the last page (or the text file) and shows page 1.
    void EndReport();
    /// Prints an image file; alignment 0 left, 1 right, 2 centre; scalePercent of
    /// one image pixel per printer pixel. Missing or unreadable files print nothing.
    void PrintBitmap(const QString &fileName, int alignment, int scalePercent, bool advance);
};
