// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Shell.h"

#include "Folders.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<Shell> &current()
{
    static std::unique_ptr<Shell> shell;
    return shell;
}

class DesktopShell : public Shell {
public:
    bool open(const QString &target, const QString &parameters, const QString &workDir, QString *error) override
    {
        const QFileInfo file(target);
        if (file.isFile() && file.isExecutable()) {
            const QStringList arguments = QProcess::splitCommand(parameters);
            const QString folder = workDir.isEmpty() ? file.absolutePath() : workDir;
            if (QProcess::startDetached(file.absoluteFilePath(), arguments, folder))
                return true;
            return fail(error, u"\"%1\" konnte nicht gestartet werden."_s.arg(QDir::toNativeSeparators(target)));
        }
        const QUrl url = file.exists() ? QUrl::fromLocalFile(file.absoluteFilePath())
                                       : QUrl::fromUserInput(target, workDir);
        if (url.isValid() && QDesktopServices::openUrl(url))
            return true;
        return fail(error, u"\"%1\" konnte nicht geöffnet werden."_s.arg(target));
    }

    bool showFolder(const QString &folder, QString *error) override
    {
        if (QFileInfo(folder).isDir() && QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
            return true;
        return fail(error, u"Der Ordner \"%1\" konnte nicht angezeigt werden."_s.arg(QDir::toNativeSeparators(folder)));
    }

    QIcon fileIcon(const QString &path) override
    {
        const QFileInfo file(path);
        if (!file.exists())
            return QIcon();
        return QFileIconProvider().icon(file);
    }

private:
    static bool fail(QString *error, const QString &text)
    {
        if (error)
            *error = text;
        return false;
    }
};

} // namespace

std::unique_ptr<Shell> createDesktopShell()
{
    return std::make_unique<DesktopShell>();
}

QString Shell::favoritesFolder()
{
#ifdef Q_OS_WIN
    const QString profile = qEnvironmentVariable("USERPROFILE");
    if (!profile.isEmpty())
        return QDir::fromNativeSeparators(profile) + u"/Favorites/"_s;
#endif
    return Folders::userDataFolder() + u"Favoriten/"_s;
}

Shell &Shell::instance()
{
    if (!current())
        current() = createDesktopShell();
    return *current();
}

void Shell::setInstance(std::unique_ptr<Shell> shell)
{
    current() = std::move(shell);
}
