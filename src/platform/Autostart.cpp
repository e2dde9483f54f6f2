// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Autostart.h"

#include "Folders.h"
#include "TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<Autostart> &current()
{
    static std::unique_ptr<Autostart> autostart;
    return autostart;
}

void appendError(QString *error, const QString &text)
{
    if (!error)
        return;
    if (!error->isEmpty())
        *error += u"\r\n"_s;
    *error += text;
}

// "[name]" gives name; anything else an empty text.
QString sectionName(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'[') || !trimmed.contains(u']'))
        return QString();
    return trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed();
}

bool isKeyLine(const QString &line, const QString &key)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0;
}

// Inside double quotes of an Exec line these four are escaped; the entry's
// string rules then double every backslash, and "%" is a field code.
QString execArgument(const QString &program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u"\\"_s, u"\\\\"_s);
    quoted.replace(u"%"_s, u"%%"_s);
    return u'"' + quoted + u'"';
}

} // namespace

// --- Autostart --------------------------------------------------------------

QString Autostart::lineWithProgram(const QString &line, const QString &path)
{
    if (line.contains(path))
        return line;
    return line + u',' + path;
}

QString Autostart::lineWithoutProgram(const QString &line, const QString &path)
{
    qsizetype at = path.isEmpty() ? -1 : line.indexOf(path);
    if (at < 0)
        return line;
    qsizetype length = path.size();
    if (at > 0 && line.at(at - 1) == u',') {
        --at;
        ++length;
    }
    return QString(line).remove(at, length);
}

bool Autostart::update(bool on, QString *error)
{
    if (error)
        error->clear();
    const QString path = programPath();
    const QString line = loadLine();
    const QString changed = on ? lineWithProgram(line, path) : lineWithoutProgram(line, path);
    bool ok = true;
    QString reason;
    if (changed != line && !setLoadLine(changed, &reason)) {
        appendError(error, reason);
        ok = false;
    }
    reason.clear();
    if (!setDesktopEntry(on, &reason)) {
        appendError(error, reason);
        ok = false;
    }
    return ok;
}

Autostart &Autostart::instance()
{
    if (!current()) {
#ifdef Q_OS_WIN
        current() = createWindowsAutostart();
#else
        current() = createDesktopAutostart();
#endif
    }
    return *current();
}

void Autostart::setInstance(std::unique_ptr<Autostart> autostart)
{
    current() = std::move(autostart);
}

// --- DesktopAutostart -----------------------------------------------------

DesktopAutostart::DesktopAutostart(QString profileFile, QString autostartFolder, QString programPath)
    : FProfileFile(std::move(profileFile))
    , FAutostartFolder(std::move(autostartFolder))
    , FProgramPath(std::move(programPath))
{
}

QString DesktopAutostart::loadLine() const
{
    return ProfileFile::readString(FProfileFile, u"Windows"_s, u"Load"_s);
}

bool DesktopAutostart::setLoadLine(const QString &line, QString *error)
{
    return ProfileFile::writeString(FProfileFile, u"Windows"_s, u"Load"_s, line, error);
}

QString DesktopAutostart::desktopEntryPath() const
{
    return QDir(FAutostartFolder).filePath(u"rufwerk.desktop"_s);
}

QByteArray DesktopAutostart::desktopEntryText(const QString &program)
{
    const QString text = u"[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=Rufwerk\n"
                         "Comment=DFÜ-Verbindungen wählen, überwachen und abrechnen\n"
                         "Exec="_s
        + execArgument(program)
        + u"\n"
          "Icon=rufwerk\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n"_s;
    return text.toUtf8();
}

bool DesktopAutostart::setDesktopEntry(bool on, QString *error)
{
    const QString path = desktopEntryPath();
    if (!on) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        appendError(
            error, u"Der Autostart-Eintrag \"%1\" konnte nicht entfernt werden."_s.arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (!QDir().mkpath(FAutostartFolder)) {
        appendError(error,
            u"Der Autostart-Ordner \"%1\" konnte nicht angelegt werden."_s.arg(
                QDir::toNativeSeparators(FAutostartFolder)));
        return false;
    }
    QString reason;
    if (TextFile::writeText(path, desktopEntryText(FProgramPath), &reason))
        return true;
    appendError(error, u"Der Autostart-Eintrag konnte nicht angelegt werden. "_s + reason);
    return false;
}

std::unique_ptr<Autostart> createDesktopAutostart()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<DesktopAutostart>(Folders::programFolder() + u"Win.Ini"_s,
        QDir(config).filePath(u"autostart"_s), QCoreApplication::applicationFilePath());
}

// --- ProfileFile ------------------------------------------------------------

namespace ProfileFile {

QString readString(const QString &path, const QString &section, const QString &key, const QString &def)
{
    QStringList lines;
    if (!QFileInfo::exists(path) || !TextFile::readLines(path, &lines))
        return def;
    bool inSection = false;
    for (const QString &line : std::as_const(lines)) {
        const QString name = sectionName(line);
        if (!name.isEmpty()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inSection && isKeyLine(line, key))
            return line.mid(line.indexOf(u'=') + 1).trimmed();
    }
    return def;
}

bool writeString(const QString &path, const QString &section, const QString &key, const QString &value, QString *error)
{
    QStringList lines;
    if (QFileInfo::exists(path) && !TextFile::readLines(path, &lines, error))
        return false;
    qsizetype sectionAt = -1;
    qsizetype insertAt = -1; // after the section's last non-empty line
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QString name = sectionName(line);
        if (!name.isEmpty()) {
            if (sectionAt >= 0)
                break;
            if (name.compare(section, Qt::CaseInsensitive) == 0)
                insertAt = sectionAt = i;
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (isKeyLine(line, key)) {
            lines[i] = line.left(line.indexOf(u'=')) + u'=' + value;
            return TextFile::writeLines(path, lines, error);
        }
        if (!line.trimmed().isEmpty())
            insertAt = i;
    }
    if (sectionAt >= 0) {
        lines.insert(insertAt + 1, key + u'=' + value);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << u'[' + section + u']' << key + u'=' + value;
    }
    return TextFile::writeLines(path, lines, error);
}

} // namespace ProfileFile
