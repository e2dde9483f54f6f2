// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ListPrintUi.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

using namespace Qt::StringLiterals;

namespace ListPrintUi {

namespace {
// Set by the program at start and by tests; read on the user-interface thread only.
QString programFolder;
THelpHandler helpHandler;
TMessageHook messageHook;
TInputHook inputHook;
TPrintDialogHook printDialogHook;
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

} // namespace ListPrintUi
