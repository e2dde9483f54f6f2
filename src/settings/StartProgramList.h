// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

/// One start program: a line "name;path;parameters" of "StartProgs.Lst".
struct TStartProgram {
    QString Name;
    QString Path;
    QString Parameters;

    /// The stored line; there is no quoting.
    QString Line() const;
    /// A German text when name or path holds a ";", which would shift the
    /// stored fields; empty when the entry can be stored.
    QString FieldError() const;

    /// The launcher's reading: parameters are everything after the second ";".
    static TStartProgram FromLine(const QString &line);
    /// The editor's reading: like the launcher's, without the one ";" that
    /// ends a line imported from version 5.
    static TStartProgram EditorFields(const QString &line);
};

/**
 * The start program list: the file "StartProgs.Lst" in the program folder and
 * the one-way import of the predecessor's (version 5) entries from the
 * settings store. The main window loads it; the settings dialog edits and
 * stores it.
 */
namespace StartProgramList {

QString FileName();
QString FilePath();
/// The predecessor's key below HKEY_CURRENT_USER.
QString Version5Key();
/// Whether the version-5 entries are still imported ("Altruf5Progs").
bool ImportsVersion5(const SettingsStore &store);

/// The file's lines (none when it is absent) and, while ImportsVersion5, the
/// version-5 entries that the list does not hold yet. Never writes. A file
/// that exists but cannot be read gives the other lines and a German error.
QStringList Load(const SettingsStore &store, QString *error = nullptr);
/// Appends the version-5 entries of store to lines, skipping lines already
/// there (compared without regard to case).
void ImportVersion5(const SettingsStore &store, QStringList &lines);
/// Replaces the file atomically; the old file stays whole when that fails.
bool Save(const QStringList &lines, QString *error = nullptr);
/// Stops the import for good: "Altruf5Progs" = 0 and the version-5 key deleted.
void RemoveVersion5(SettingsStore &store);

} // namespace StartProgramList
