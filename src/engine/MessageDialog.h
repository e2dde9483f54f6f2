// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>

#include <functional>

class QWidget;

/**
 * The program's one message dialog, titled "Rufwerk": questions offer Yes and
 * No and only Yes proceeds; information and errors have one button.
 * Tests set an answer hook instead of clicking.
 */
namespace MessageDialog {

enum class Kind { Question, QuestionDefaultNo, Information, Error };

/// Returns true for Yes.
bool Question(const QString &text, QWidget *parent = nullptr);
/// A question whose Yes cannot be undone (restart the computer, delete an
/// entry, delete the whole fee log): No is the default button, so a stray
/// Enter does no harm. Returns true for Yes.
bool QuestionDefaultNo(const QString &text, QWidget *parent = nullptr);
void Information(const QString &text, QWidget *parent = nullptr);
/// The application's standard error box.
void Error(const QString &text, QWidget *parent = nullptr);

/// Replaces the dialogs: called with the kind and text, returns the answer to a question.
using Hook = std::function<bool(Kind kind, const QString &text)>;
void SetHook(Hook hook);

/// Windows texts use "\r" or "\r\n" for line breaks.
QString DisplayText(const QString &text);

} // namespace MessageDialog
