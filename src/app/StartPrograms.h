// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QIcon>
#include <QString>

class TFormMain;
struct TStartProgram;

/**
 * The start programs of the main window: the choice ComboBoxStartProg and
 * the menu PMStartProgs, built together from the list "StartProgs", and the
 * launch of one of them online or offline.
 */
namespace StartPrograms {

/// Offered only while the favourites are available.
QString HomepageName();
/// The icon the system has for the program's file, else the fallback icon.
QIcon ProgramIcon(const QString &path);
/// The main window's LoadStartPrograms: fills "StartProgs" and rebuilds the combo and the menu.
void Load(TFormMain &form);
/// LaunchStartProgram: index into ComboBoxStartProg; out of range does nothing.
void Launch(TFormMain &form, int index);
/// Starts the program now; a failure is not reported.
void Start(const TStartProgram &program);

} // namespace StartPrograms

/// The commands "RunStartProgram" (the program shown in the combo),
/// "StartProgramMenu" (PMStartProgs at the mouse) and "StartProgramMenuMain"
/// (10 pixels below it).
void InstallStartProgramCommands(TFormMain &form);
