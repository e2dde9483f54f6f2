// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Folders.h"

#include "TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString withSeparator(QString path)
{
    path = QDir::cleanPath(path);
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

bool writableFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    // The folder's permission bits do not tell everything (read-only mounts),
    // so try to create a file.
    QTemporaryFile probe(folder + QLatin1String(".rufwerk-probe-XXXXXX"));
    return probe.open();
}

QString executableFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return withSeparator(dir);
}

struct Computed
{
    bool done = false;
    QString program;
    QString module;
};

Computed &computed()
{
    static Computed c;
    if (!c.done) {
        const QString exe = executableFolder();
        c.program = Folders::dataFolderFor(exe);
        const QString moduleOverride = qEnvironmentVariable("RUFWERK_MODULE_DIR");
        c.module = moduleOverride.isEmpty() ? Folders::parentFolder(exe) : withSeparator(moduleOverride);
        TextFile::makePrivateFolder(c.program);
        c.done = true;
    }
    return c;
}

} // namespace

namespace Folders {

QString programFolder()
{
    return computed().program;
}

QString urlFolder()
{
    return computed().program + QLatin1String("URL/");
}

QString moduleFolder()
{
    return computed().module;
}

void reset()
{
    computed() = Computed{};
}

QString dataFolderFor(const QString &folder)
{
    if (!qEnvironmentVariableIsEmpty("RUFWERK_HOME"))
        return userDataFolder();
    if (writableFolder(withSeparator(folder)))
        return withSeparator(folder);
    return userDataFolder();
}

QString userDataFolder()
{
    const QString home = qEnvironmentVariable("RUFWERK_HOME");
    if (!home.isEmpty())
        return withSeparator(home);
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QLatin1String("/.local/share");
    return withSeparator(data + QLatin1String("/Rufwerk"));
}

QString parentFolder(const QString &folder)
{
    QString path = QDir::cleanPath(folder);
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash <= 0)
        return QStringLiteral("/");
    return withSeparator(path.left(slash));
}

} // namespace Folders
