// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LocalSiteCopy.h"

#include "Folders.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace LocalSiteCopy {

QString FolderName(const QString &address)
{
    QString name = address;
    if (name.endsWith(u'/') || name.endsWith(u'\\'))
        name.chop(1);
    for (const QString &prefix : { u"http://"_s, u"https://"_s }) {
        if (name.startsWith(prefix, Qt::CaseInsensitive)) {
            name.remove(0, prefix.size());
            break;
        }
    }
    name.replace(u'\\', u'/');
    // "..", an absolute path or an empty name would name a folder outside "URL".
    const QString clean = QDir::cleanPath(name);
    if (clean.isEmpty() || clean == u"."_s || clean.startsWith(u"../"_s) || clean == u".."_s
        || QDir::isAbsolutePath(clean))
        return QString();
    return clean;
}

QString Folder(const QString &address)
{
    const QString name = FolderName(address);
    if (name.isEmpty())
        return QString();
    return Folders::programFolder() + u"URL/"_s + name + u'/';
}

QString StartPage(const QString &address)
{
    const QString folder = Folder(address);
    if (folder.isEmpty())
        return QString();
    for (const QString &page : { u"index.htm"_s, u"index.html"_s, u"default.htm"_s }) {
        if (QFileInfo(folder + page).isFile())
            return folder + page;
    }
    return QString();
}

} // namespace LocalSiteCopy
