// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

#include <functional>

class QWidget;

/**
 * How any window asks for the help: by help file and help context number.
 * The help window belongs to the program, which installs the viewer here, so
 * dialogs in lower layers need not know it. Widgets carry their help context
 * in the dynamic property "HelpContext".
 */
namespace HelpLink {

/// "Rufwerk" for the program's help; the list printer has "ListPrinter".
inline const QString ProgramHelp = QStringLiteral("Rufwerk");

enum class Request { Context, Contents, Keyword, HelpOnHelp };
/// Shows the help; context is meaningful for Request::Context only.
using Viewer = std::function<void(const QString &helpFile, Request request, int context, QWidget *parent)>;
void SetViewer(Viewer viewer);

/// Shows the topic of context in helpFile.
void ShowContext(int context, QWidget *parent = nullptr, const QString &helpFile = ProgramHelp);
void ShowContents(QWidget *parent = nullptr, const QString &helpFile = ProgramHelp);
void ShowKeywordSearch(QWidget *parent = nullptr, const QString &helpFile = ProgramHelp);
void ShowHelpOnHelp(QWidget *parent = nullptr);

/// The help context of widget: its own "HelpContext" or that of its nearest
/// parent that has one; 0 when none has.
int ContextOf(const QWidget *widget);

} // namespace HelpLink
