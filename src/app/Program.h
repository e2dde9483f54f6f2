// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

/// The program entry: folders, application, main window, engine, message loop.
/// SIGTERM, SIGINT and the end of the desktop session end it in order.
int RunRufwerk(int argc, char **argv);

class QCoreApplication;

/// German texts for Qt's own dialogs and buttons ("qtbase_de"), from beside the
/// program or Qt's translations folder; false when none was found.
bool InstallQtTranslations(QCoreApplication *app);
