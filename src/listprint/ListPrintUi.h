// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ListPrintTypes.h"

#include <QList>
#include <QMarginsF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QPrinter;
class QWidget;

/**
 * What the list printer needs of the program around it, without depending on
 * it: the folder for its default file names, its help viewer, the store of its
 * settings, and its dialogs. Every dialog has a hook so tests answer instead
 * of a user.
 */
namespace ListPrintUi {

/// Folder of "DizaVadud.TXT" and of relative export file names; default the executable's folder.
QString ProgramFolder();
void SetProgramFolder(const QString &folder);
/// fileName as given when absolute, else in ProgramFolder().
QString InProgramFolder(const QString &fileName);

/// The list printer's own help file; the program's handler shows its topics.
inline constexpr char HelpFile[] = "ListPrinter";
using THelpHandler = std::function<void(int context, QWidget *parent)>;
void SetHelpHandler(THelpHandler handler);
/// Shows topic context of the help file; without a handler says that the help file is missing.
void ShowHelp(int context, QWidget *parent);

/// Question asks Yes or No; Warning asks Yes or No under a warning sign.
enum class TMessageKind { Information, Error, Question, Warning };
/// Returns true for Yes (questions) and OK.
bool Message(TMessageKind kind, const QString &text, QWidget *parent);
using TMessageHook = std::function<bool(TMessageKind kind, const QString &text)>;
void SetMessageHook(TMessageHook hook);

/// A text input box; false when cancelled.
bool InputText(const QString &caption, const QString &prompt, QString *value, QWidget *parent);
using TInputHook = std::function<bool(const QString &caption, const QString &prompt, QString *value)>;
void SetInputHook(TInputHook hook);

/// The system print dialog's answer.
enum class TPrintChoice { Cancelled, Print, PrintToFile };
/// Shows the print dialog for pages 1..pageCount with current as the current page.
/// The printer holds the choices: its print range, page range, copies and collation.
TPrintChoice PrintDialog(QPrinter *printer, int pageCount, int current, QWidget *parent);
using TPrintDialogHook = std::function<TPrintChoice(QPrinter *printer, int pageCount, int current)>;
void SetPrintDialogHook(TPrintDialogHook hook);

/**
 * Where the page layout is stored: keys addressed like registry keys below
 * the current user ("Software\Kovatek\DizaVadud\Setup"), values as text.
 * Without one set, QSettings of the application holds them.
 */
class TSettingsAccess {
public:
    virtual ~TSettingsAccess() = default;
    /// The stored text, or nothing when the value is missing.
    virtual std::optional<QString> Read(const QString &key, const QString &name) = 0;
    /// Writes the values in their order, creating the key; false when the store could not be written.
    virtual bool Write(const QString &key, const QList<std::pair<QString, QString>> &values) = 0;
};
TSettingsAccess &Settings();
/// Null brings back the QSettings store.
void SetSettingsAccess(std::shared_ptr<TSettingsAccess> access);

/// The command line of the worksheet program that opens ".xls" files; empty when there is none.
QString WorksheetProgram();
using TWorksheetHook = std::function<QString()>;
void SetWorksheetHook(TWorksheetHook hook);

/// The font dialog; false when cancelled, else font holds the choice (its colour is kept).
bool FontDialog(TListFont *font, QWidget *parent);
using TFontDialogHook = std::function<bool(TListFont *font)>;
void SetFontDialogHook(TFontDialogHook hook);

/// The page setup dialog's values: margins (left, top, right, bottom) and their
/// minimums in hundredths of a millimetre or thousandths of an inch.
struct TPageSetup {
    bool Inches = false;
    QMarginsF Margins;
    QMarginsF Minimum;
    TPrinterOrientation Orientation = poPortrait;
};
/// The page setup dialog for printer, paper size fixed; false when cancelled.
bool PageSetupDialog(QPrinter *printer, TPageSetup *setup, QWidget *parent);
using TPageSetupHook = std::function<bool(QPrinter *printer, TPageSetup *setup)>;
void SetPageSetupHook(TPageSetupHook hook);

/// A save file dialog starting at proposal; empty when cancelled.
QString SaveFileName(const QString &caption, const QString &proposal, const QString &filter, QWidget *parent);
using TSaveFileHook = std::function<QString(const QString &caption, const QString &proposal)>;
void SetSaveFileHook(TSaveFileHook hook);

} // namespace ListPrintUi
