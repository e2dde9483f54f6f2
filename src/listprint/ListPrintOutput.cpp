// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// Printing the recorded pages, the progress dialog and the text file output.

#include "ListPrintPrivate.h"
#include "ListPrintUi.h"
#include "ListPrnPrgDlg.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>

using namespace Qt::StringLiterals;

// ---- Text files --------------------------------------------------------------

namespace {
// Bytes 0x80..0x9F of Windows-1252; the five unassigned ones keep their C1 code.
constexpr char16_t cp1252High[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

int cp1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (cp1252High[i] == c)
            return 0x80 + i;
    return -1;
}
} // namespace

QByteArray EncodeTextLines(const QStringList &lines)
{
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    bytes.reserve(size);
    for (const QString &line : lines) {
        for (const QChar c : line) {
            const int b = cp1252Byte(c.unicode());
            if (b < 0) {
                // A character Windows-1252 lacks: the whole text goes out as UTF-8.
                QByteArray utf8("\xEF\xBB\xBF");
                utf8.append(lines.join(u"\r\n"_s).toUtf8());
                if (!lines.isEmpty())
                    utf8.append("\r\n");
                return utf8;
            }
            bytes.append(char(b));
        }
        bytes.append("\r\n");
    }
    return bytes;
}

QString FileErrorText(const QFileDevice &file)
{
    const QFileInfo info(file.fileName());
    const QFileInfo folder(info.absolutePath());
    if (info.isDir())
        return u"%1 ist ein Ordner."_s.arg(QDir::toNativeSeparators(info.absoluteFilePath()));
    if (!folder.isDir())
        return u"Der Ordner %1 existiert nicht."_s.arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    if (!folder.isWritable() || (info.exists() && !info.isWritable()))
        return u"Keine Berechtigung, die Datei zu schreiben."_s;
    return u"Die Datei kann nicht geschrieben werden (%1)."_s.arg(file.errorString());
}

// ---- Progress dialog ---------------------------------------------------------

void TCustomListPrint::ProgressUpdate(const QString &status, const QString &prefix, int last, int first, int page)
{
    if (!FShowProgress) {
        ProgressFinish();
        return;
    }
    if (!FProgress) {
        FProgress = new TListPrnPrgDlg([this] { CancelPrinting(); });
        FProgress->SetShowCancel(FShowCancel);
    } else if (FProgress->btnCancel->isEnabled() != FShowCancel) {
        FProgress->SetShowCancel(FShowCancel);
    }
    FProgress->setWindowTitle(FPrintTitle);
    FProgress->lblStatus->setText(status.isEmpty() ? u"Sende zum Drucker"_s : status);
    QString label = prefix + QString::number(page);
    if (last > 0) {
        const int pages = last - first + 1;
        FProgress->ProgBar->setRange(0, std::max(1, FCopies * pages));
        FProgress->ProgBar->setValue(std::min(FProgress->ProgBar->value() + 1, FProgress->ProgBar->maximum()));
        if (first == 1) {
            label += " von "_L1 + QString::number(pages);
            if (FCopies > 1)
                label += " x "_L1 + QString::number(FCopies) + " Kopien "_L1;
        }
    } else {
        // While a report is being built its page count is not known yet.
        FProgress->ProgBar->setRange(0, 0);
    }
    FProgress->lblPageNumber->setText(label);
    FProgress->show();
}

void TCustomListPrint::ProgressFinish()
{
    if (!FProgress)
        return;
    FProgress->hide();
    delete FProgress;
    FProgress = nullptr;
}

// ---- Printing ----------------------------------------------------------------

void TCustomListPrint::PlayPage(QPainter &painter, int index, QPrinter *printer)
{
    // The recording may come from another printer: scale it to this one and
    // keep its place on the paper.
    const TPageList::TDevice &recorded = FPages.Device();
    const qreal sx = qreal(printer->logicalDpiX()) / recorded.DpiX;
    const qreal sy = qreal(printer->logicalDpiY()) / recorded.DpiY;
    painter.resetTransform();
    painter.translate(recorded.Offset.x() * sx, recorded.Offset.y() * sy);
    painter.scale(sx, sy);
    FPages.Play(index, painter);
}

bool TCustomListPrint::PlayOnPrinter(QPrinter *printer, int first, int last, int copies, bool collate, bool abort)
{
    FCancel = false;
    QPainter painter;
    if (!painter.begin(printer)) {
        const QString target = printer->outputFileName().isEmpty()
            ? printer->printerName()
            : QDir::toNativeSeparators(printer->outputFileName());
        throw EPagePrinter(u"Der Druck auf %1 kann nicht beginnen."_s.arg(target));
    }
    if (FProgress)
        FProgress->ProgBar->setValue(0);
    bool completed = true;
    try {
        const int pages = last - first + 1;
        const int total = copies * pages;
        for (int n = 0; n < total; ++n) {
            const int page = collate ? first + n % pages : first + n / copies;
            const int copy = collate ? n / pages + 1 : n % copies + 1;
            if (FShowProgress && FShowCancel)
                QCoreApplication::processEvents();
            if (FCancel)
                throw ECancelPrinting(u"Druck abgebrochen"_s);
            // The page break comes before the next page, not after each one:
            // neither the last page nor a stopped run ends in an empty page.
            if (n > 0)
                printer->newPage();
            ProgressUpdate(FProgressMessage, u"Seite "_s, last, first, page);
            emit PrintingPage(page, copy);
            PlayPage(painter, page - 1, printer);
        }
        painter.end();
    } catch (const ECancelPrinting &) {
        completed = false;
        if (abort && !printer->abort()) {
            // Qt's PDF and CUPS engines cannot abort a job: a file printout is
            // removed instead; a queue still gets the pages sent so far.
            painter.end();
            if (!printer->outputFileName().isEmpty())
                QFile::remove(printer->outputFileName());
        }
        if (painter.isActive())
            painter.end();
    }
    ProgressFinish();
    return completed;
}

bool TCustomListPrint::PrintPages()
{
    if (FBuilding)
        FinishPages();
    const int count = FPages.Count();
    if (count == 0)
        return true;
    const int last = FToPage > 0 ? std::min(FToPage, count) : count;
    const int first = std::min(FFromPage > 0 ? std::min(FFromPage, count) : 1, last);

    QPrinter *printer = Printer();
    if (!printer)
        throw EPagePrinter(u"Es ist kein Drucker eingerichtet."_s);
    const int printerCopies = printer->copyCount();
    printer->setCopyCount(1);
    printer->setDocName(FPrintTitle);
    printer->setFullPage(true);
    bool completed = false;
    try {
        completed = PlayOnPrinter(printer, first, last, FCopies, FCollate, FAbortOnCancel);
    } catch (const EPrinter &) {
        printer->setCopyCount(printerCopies);
        throw;
    }
    const bool failed = printer->printerState() == QPrinter::Error;
    if (printer->printerState() != QPrinter::Active)
        printer->setCopyCount(printerCopies);
    if (completed && failed)
        throw EPagePrinter(u"Beim Drucken ist ein Fehler aufgetreten."_s);
    return completed;
}

bool TCustomListPrint::SaveAsPdf(const QString &fileName)
{
    if (FBuilding)
        FinishPages();
    const int count = FPages.Count();
    if (count == 0)
        throw EPagePrinter(u"Kein Inhalt zum drucken"_s);
    // Written beside the target first: a failed run leaves an older file as it was.
    const QString target = QFileInfo(fileName).absoluteFilePath();
    const QString part = target + u".part"_s;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(part);
    pdf.setDocName(FPrintTitle);
    pdf.setCreator(QCoreApplication::applicationName());
    const TPageList::TDevice &device = FPages.Device();
    QSizeF paper(device.PaperPixels.width() * 25.4 / device.DpiX, device.PaperPixels.height() * 25.4 / device.DpiY);
    const bool landscape = paper.width() > paper.height();
    if (landscape)
        paper.transpose();
    pdf.setPageLayout(QPageLayout(QPageSize(paper, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    pdf.setFullPage(true);
    bool completed = false;
    try {
        completed = PlayOnPrinter(&pdf, 1, count, 1, true, true);
    } catch (const EPrinter &) {
        QFile::remove(part);
        throw EPagePrinter(u"Die Datei %1 kann nicht geschrieben werden.\n%2"_s.arg(
            QDir::toNativeSeparators(target), FileErrorText(QFile(part))));
    }
    if (!completed) {
        QFile::remove(part);
        return false;
    }
    if (pdf.printerState() == QPrinter::Error || (QFile::exists(target) && !QFile::remove(target))
        || !QFile::rename(part, target)) {
        QFile::remove(part);
        throw EPagePrinter(u"Die Datei %1 kann nicht geschrieben werden.\n%2"_s.arg(
            QDir::toNativeSeparators(target), FileErrorText(QFile(target))));
    }
    return true;
}

void TCustomListPrint::Print()
{
    if (PageCount() == 0 || FBuilding) {
        ListPrintUi::Message(ListPrintUi::TMessageKind::Information, u"Kein Inhalt zum drucken"_s, this);
        return;
    }
    if (!Printer())
        SetPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution));
    QPrinter *printer = Printer();
    printer->setDocName(FPrintTitle);
    printer->setCopyCount(FCopies);
    printer->setCollateCopies(FCollate);
    const ListPrintUi::TPrintChoice choice = ListPrintUi::PrintDialog(printer, PageCount(), FCurrentPage, this);
    if (choice == ListPrintUi::TPrintChoice::Cancelled)
        return;
    if (choice == ListPrintUi::TPrintChoice::PrintToFile) {
        PrintToTextFile();
        return;
    }
    SetCopies(printer->copyCount());
    FCollate = printer->collateCopies();
    switch (printer->printRange()) {
    case QPrinter::CurrentPage:
        FFromPage = FToPage = std::max(1, FCurrentPage);
        break;
    case QPrinter::PageRange:
        FFromPage = std::max(1, printer->fromPage());
        FToPage = std::max(FFromPage, printer->toPage());
        break;
    default:
        FFromPage = 1;
        FToPage = PageCount();
        break;
    }
    try {
        if (!PrintPages())
            ListPrintUi::Message(ListPrintUi::TMessageKind::Information, u"Druck abgebrochen"_s, this);
    } catch (const EPrinter &error) {
        ListPrintUi::Message(ListPrintUi::TMessageKind::Error, error.Message(), this);
    }
}

void TCustomListPrint::PrintToTextFile()
{
    QString name = ListPrintUi::InProgramFolder(u"DizaVadud.TXT"_s);
    if (!ListPrintUi::InputText(u"Dateiname bestimmen"_s, u"Name:"_s, &name, this))
        return;
    name = name.trimmed();
    if (name.isEmpty()) {
        ListPrintUi::Message(ListPrintUi::TMessageKind::Error, u"Es ist kein Dateiname angegeben."_s, this);
        return;
    }
    const QString path = ListPrintUi::InProgramFolder(name);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool grids = FTableGrids;
    try {
        SetPrintToFile(false);
        FLines.clear();
        FCapture = true;
        SendHostMessage(LPM_REBUILD);
    } catch (const EPrinter &e) {
        error = e.Message();
    }
    FCapture = false;
    if (error.isEmpty() && FLines.isEmpty())
        error = u"Der Bericht hat keinen Text geliefert; es wurde keine Datei geschrieben."_s;
    if (error.isEmpty()) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(EncodeTextLines(FLines)) < 0 || !file.commit())
            error = u"Der Inhalt konnte nicht in Datei %1 gesichert werden.\n%2"_s.arg(
                QDir::toNativeSeparators(path), FileErrorText(file));
    }
    QApplication::restoreOverrideCursor();
    if (error.isEmpty())
        ListPrintUi::Message(ListPrintUi::TMessageKind::Information,
            u"Inhalt gesichert in Datei %1"_s.arg(QDir::toNativeSeparators(path)), this);
    else
        ListPrintUi::Message(ListPrintUi::TMessageKind::Error, error, this);
    FTableGrids = grids;
    PostHostMessage(LPM_REBUILD);
}
