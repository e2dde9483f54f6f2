// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

/**
 * What the list printer needs of the program around it, without depending on
 * it: the folder for its default file names, its help viewer, and its
 * dialogs. Every dialog has a hook so tests answer instead of a user.
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

enum class TMessageKind { Information, Error, Question };
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

} // namespace ListPrintUi
