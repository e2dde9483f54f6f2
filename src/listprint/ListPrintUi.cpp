// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ListPrintUi.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace ListPrintUi {

namespace {
// Set by the program at start and by tests; read on the user-interface thread only.
QString programFolder;
THelpHandler helpHandler;
TMessageHook messageHook;
TInputHook inputHook;
TPrintDialogHook printDialogHook;
std::shared_ptr<TSettingsAccess> settingsAccess;
TWorksheetHook worksheetHook;
TFontDialogHook fontDialogHook;
TPageSetupHook pageSetupHook;
TSaveFileHook saveFileHook;
} // namespace

QString ProgramFolder()
{
    return programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
}

void SetProgramFolder(const QString &folder)
{
    programFolder = folder;
}

QString InProgramFolder(const QString &fileName)
{
    return QDir(ProgramFolder()).absoluteFilePath(fileName);
}

void SetHelpHandler(THelpHandler handler)
{
    helpHandler = std::move(handler);
}

void ShowHelp(int context, QWidget *parent)
{
    if (helpHandler) {
        helpHandler(context, parent);
        return;
    }
    Message(TMessageKind::Error, u"Helpfile %1 not found!"_s.arg(InProgramFolder(QLatin1String(HelpFile))), parent);
}

bool Message(TMessageKind kind, const QString &text, QWidget *parent)
{
    if (messageHook)
        return messageHook(kind, text);
    const QString title = QGuiApplication::applicationDisplayName();
    switch (kind) {
    case TMessageKind::Question:
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
            == QMessageBox::Yes;
    case TMessageKind::Warning:
        return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
            == QMessageBox::Yes;
    case TMessageKind::Error:
        QMessageBox::critical(parent, title, text);
        return true;
    case TMessageKind::Information:
        break;
    }
    QMessageBox::information(parent, title, text);
    return true;
}

void SetMessageHook(TMessageHook hook)
{
    messageHook = std::move(hook);
}

bool InputText(const QString &caption, const QString &prompt, QString *value, QWidget *parent)
{
    if (inputHook)
        return inputHook(caption, prompt, value);
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, *value, &ok);
    if (ok)
        *value = text;
    return ok;
}

void SetInputHook(TInputHook hook)
{
    inputHook = std::move(hook);
}

TPrintChoice PrintDialog(QPrinter *printer, int pageCount, int current, QWidget *parent)
{
    if (printDialogHook)
        return printDialogHook(printer, pageCount, current);
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        Message(TMessageKind::Information,
            u"Es ist kein Drucker eingerichtet. Der Bericht kann nur in eine Datei ausgegeben werden."_s, parent);
    printer->setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(printer, parent);
    dialog.setMinMax(1, pageCount);
    dialog.setFromTo(1, pageCount);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
        | QAbstractPrintDialog::PrintCurrentPage | QAbstractPrintDialog::PrintCollateCopies);
    if (dialog.exec() != QDialog::Accepted)
        return TPrintChoice::Cancelled;
    // Qt's dialog turns the printer into a file printer when "print to file" is chosen.
    const bool toFile = printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty();
    Q_UNUSED(current)
    return toFile ? TPrintChoice::PrintToFile : TPrintChoice::Print;
}

void SetPrintDialogHook(TPrintDialogHook hook)
{
    printDialogHook = std::move(hook);
}

// ---- Settings ----------------------------------------------------------------

namespace {

/// The application's QSettings; on Windows the registry key itself.
class TQSettingsAccess : public TSettingsAccess {
public:
    std::optional<QString> Read(const QString &key, const QString &name) override
    {
        auto settings = open(key);
        const QVariant value = settings->value(name);
        if (!value.isValid())
            return std::nullopt;
        return value.toString();
    }

    bool Write(const QString &key, const QList<std::pair<QString, QString>> &values) override
    {
        auto settings = open(key);
        for (const auto &[name, value] : values)
            settings->setValue(name, value);
        settings->sync();
        return settings->status() == QSettings::NoError;
    }

private:
    static std::unique_ptr<QSettings> open(const QString &key)
    {
#ifdef Q_OS_WIN
        return std::make_unique<QSettings>(u"HKEY_CURRENT_USER\\"_s + key, QSettings::NativeFormat);
#else
        auto settings = std::make_unique<QSettings>();
        settings->beginGroup(QString(key).replace(u'\\', u'/'));
        return settings;
#endif
    }
};

} // namespace

TSettingsAccess &Settings()
{
    if (!settingsAccess)
        settingsAccess = std::make_shared<TQSettingsAccess>();
    return *settingsAccess;
}

void SetSettingsAccess(std::shared_ptr<TSettingsAccess> access)
{
    settingsAccess = std::move(access);
}

// ---- Worksheet program -------------------------------------------------------

namespace {

#ifndef Q_OS_WIN
/// The first desktop entry the freedesktop.org association files name for mimeType.
QString desktopEntryFor(const QString &mimeType)
{
    QStringList lists;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << folder + u"/mimeapps.list"_s;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        lists << folder + u"/applications/mimeapps.list"_s << folder + u"/applications/defaults.list"_s
              << folder + u"/applications/mimeinfo.cache"_s;
    const QString prefix = mimeType + u'=';
    for (const QString &list : std::as_const(lists)) {
        QFile file(list);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (!line.startsWith(prefix))
                continue;
            for (const QString &id : line.mid(prefix.size()).split(u';', Qt::SkipEmptyParts)) {
                const QString entry
                    = QStandardPaths::locate(QStandardPaths::GenericDataLocation, u"applications/"_s + id.trimmed());
                if (!entry.isEmpty())
                    return entry;
            }
        }
    }
    return QString();
}

QString execLineOf(const QString &desktopEntry)
{
    QFile file(desktopEntry);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inEntry = line == "[Desktop Entry]"_L1;
        else if (inEntry && line.startsWith("Exec="_L1))
            return line.mid(5).trimmed();
    }
    return QString();
}
#endif

} // namespace

QString WorksheetProgram()
{
    if (worksheetHook)
        return worksheetHook();
#ifdef Q_OS_WIN
    const QString type = QSettings(u"HKEY_CLASSES_ROOT\\.XLS"_s, QSettings::NativeFormat).value(u"."_s).toString();
    if (type.isEmpty())
        return QString();
    return QSettings(u"HKEY_CLASSES_ROOT\\"_s + type + u"\\shell\\open\\command"_s, QSettings::NativeFormat)
        .value(u"."_s)
        .toString();
#else
    const QString entry = desktopEntryFor(u"application/vnd.ms-excel"_s);
    return entry.isEmpty() ? QString() : execLineOf(entry);
#endif
}

void SetWorksheetHook(TWorksheetHook hook)
{
    worksheetHook = std::move(hook);
}

// ---- Font, page setup and file dialogs -----------------------------------------

bool FontDialog(TListFont *font, QWidget *parent)
{
    if (fontDialogHook)
        return fontDialogHook(font);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font->Font, parent);
    if (ok)
        font->Font = chosen;
    return ok;
}

void SetFontDialogHook(TFontDialogHook hook)
{
    fontDialogHook = std::move(hook);
}

bool PageSetupDialog(QPrinter *printer, TPageSetup *setup, QWidget *parent)
{
    if (pageSetupHook)
        return pageSetupHook(printer, setup);
    const QPageLayout::Unit unit = setup->Inches ? QPageLayout::Inch : QPageLayout::Millimeter;
    const double scale = setup->Inches ? 1000 : 100;
    QPageLayout layout = printer->pageLayout();
    layout.setUnits(unit);
    layout.setOrientation(setup->Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const QMarginsF wanted = setup->Margins / scale;
    const QMarginsF least = layout.minimumMargins();
    const QMarginsF most = layout.maximumMargins();
    layout.setMargins(QMarginsF(std::clamp(wanted.left(), least.left(), most.left()),
        std::clamp(wanted.top(), least.top(), most.top()), std::clamp(wanted.right(), least.right(), most.right()),
        std::clamp(wanted.bottom(), least.bottom(), most.bottom())));
    printer->setPageLayout(layout);

    QPageSetupDialog dialog(printer, parent);
    // The paper is the printer's; only margins and orientation are chosen here.
    for (const char *name : { "pageSizeCombo", "pageWidth", "pageHeight", "paperSource", "unitCombo" })
        if (QWidget *control = dialog.findChild<QWidget *>(QLatin1String(name)))
            control->setEnabled(false);
    // Centred across, a third of the free height down.
    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        const QSize size = dialog.sizeHint();
        dialog.move(free.left() + (free.width() - size.width()) / 2, free.top() + (free.height() - size.height()) / 3);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QPageLayout chosen = printer->pageLayout();
    setup->Margins = chosen.margins(unit) * scale;
    setup->Orientation = chosen.orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
    return true;
}

void SetPageSetupHook(TPageSetupHook hook)
{
    pageSetupHook = std::move(hook);
}

QString SaveFileName(const QString &caption, const QString &proposal, const QString &filter, QWidget *parent)
{
    if (saveFileHook)
        return saveFileHook(caption, proposal);
    return QFileDialog::getSaveFileName(parent, caption, proposal, filter);
}

void SetSaveFileHook(TSaveFileHook hook)
{
    saveFileHook = std::move(hook);
}

} // namespace ListPrintUi
