// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QString>
#include <memory>

/**
 * Starting Rufwerk with the user's session. The classic way is the "Load"
 * line of section "Windows" in the profile file "Win.Ini", a comma-separated
 * list of programs; on Windows that is the system's own file, elsewhere a
 * profile file of our own in the data folder, and there the desktop's
 * autostart entry (an XDG autostart .desktop file) does the real work.
 * One process-wide instance; tests replace it or build one on their own folders.
 */
class Autostart {
public:
    virtual ~Autostart() = default;

    virtual QString backendName() const = 0;
    /// The program file as the "Load" line names it.
    virtual QString programPath() const = 0;
    /// The "Load" value of section "Windows"; empty when it is absent.
    virtual QString loadLine() const = 0;
    /// Returns false with a German text in error when the line could not be written.
    virtual bool setLoadLine(const QString &line, QString *error) = 0;
    /// Creates (on) or removes the desktop's own autostart entry; true where
    /// the platform has none.
    virtual bool setDesktopEntry(bool on, QString *error) = 0;

    /**
     * Enters the program into the "Load" line (on) or takes it out, and the
     * desktop entry with it. The line is written only when it changes. Both
     * parts are tried; false with the German reasons in error when one failed.
     */
    bool update(bool on, QString *error);

    /// The line with ",path" appended unless it already contains path (case-sensitive).
    static QString lineWithProgram(const QString &line, const QString &path);
    /// The line without the first occurrence of path and the comma just before
    /// it; the line itself when path is not in it.
    static QString lineWithoutProgram(const QString &line, const QString &path);

    static Autostart &instance();
    /// Replaces the process-wide instance (tests, other desktops).
    static void setInstance(std::unique_ptr<Autostart> autostart);
};

/**
 * The stand-in for systems without "Win.Ini": the line lives in a profile file
 * of our own, the session start comes from an XDG autostart entry named
 * "rufwerk.desktop" in autostartFolder.
 */
class DesktopAutostart : public Autostart {
public:
    DesktopAutostart(QString profileFile, QString autostartFolder, QString programPath);

    QString backendName() const override { return QStringLiteral("XDG"); }
    QString programPath() const override { return FProgramPath; }
    QString loadLine() const override;
    bool setLoadLine(const QString &line, QString *error) override;
    bool setDesktopEntry(bool on, QString *error) override;

    /// The desktop entry's file.
    QString desktopEntryPath() const;
    /// The text of the desktop entry that starts program.
    static QByteArray desktopEntryText(const QString &program);

private:
    QString FProfileFile;
    QString FAutostartFolder;
    QString FProgramPath;
};

/// The desktop autostart on the usual places: "Win.Ini" in the data folder,
/// $XDG_CONFIG_HOME/autostart, this program's file.
std::unique_ptr<Autostart> createDesktopAutostart();
#ifdef Q_OS_WIN
/// The system's "Win.Ini" through the profile functions.
std::unique_ptr<Autostart> createWindowsAutostart();
#endif

/**
 * A profile file ("name=value" lines below "[section]" headers) edited in
 * place: other sections, keys, comments and the order of lines are kept.
 * Section and key names compare without regard to case. Windows-1252, CR LF.
 */
namespace ProfileFile {
QString readString(const QString &path, const QString &section, const QString &key, const QString &def = QString());
/// Returns false with a German text in error when the file could not be written.
bool writeString(
    const QString &path, const QString &section, const QString &key, const QString &value, QString *error = nullptr);
} // namespace ProfileFile
