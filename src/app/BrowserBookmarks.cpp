// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "BrowserBookmarks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace BrowserBookmarks {

namespace {

QString titled(const QString &title, const QString &profile, bool several)
{
    return several ? title + u" ("_s + profile + u')' : title;
}

// Counts what a tree may still take and whether a limit left something out.
struct Budget {
    const TFavoriteLimits &limits;
    int used = 0;
    bool truncated = false;

    bool take()
    {
        if (used >= limits.MaxItems) {
            truncated = true;
            return false;
        }
        ++used;
        return true;
    }

    /// A bookmark: kept when it is a web address and there is room; untitled ones show their address.
    bool favorite(TFavoriteNode &node, const QString &title, const QString &url)
    {
        if (!FavoriteTree::IsWebAddress(url) || !take())
            return false;
        node.Title = title.isEmpty() ? url : title;
        node.Url = url;
        return true;
    }

    /// A folder at depth: read when it is within the depth limit and there is room.
    bool folder(TFavoriteNode &node, const QString &title, int depth)
    {
        if (depth >= limits.MaxDepth) {
            truncated = true;
            return false;
        }
        if (!take())
            return false;
        node.Title = title;
        node.Folder = true;
        return true;
    }
};

void findFirefox(const QString &base, QList<TSource> &sources)
{
    const QString ini = base + u"/profiles.ini"_s;
    if (!QFileInfo(ini).isFile())
        return;
    QSettings profiles(ini, QSettings::IniFormat);
    QList<QPair<QString, QString>> found; // name, places file
    const QStringList groups = profiles.childGroups();
    for (const QString &group : groups) {
        if (!group.startsWith(u"Profile"_s, Qt::CaseInsensitive))
            continue;
        profiles.beginGroup(group);
        const QString path = profiles.value(u"Path"_s).toString();
        const bool relative = profiles.value(u"IsRelative"_s, 1).toInt() != 0;
        const QString name = profiles.value(u"Name"_s, group).toString();
        profiles.endGroup();
        if (path.isEmpty())
            continue;
        const QString folder = relative ? base + u'/' + path : path;
        const QString places = folder + u"/places.sqlite"_s;
        if (QFileInfo(places).isFile())
            found.append({ name, places });
    }
    for (const auto &[name, places] : std::as_const(found))
        sources.append({ titled(u"Firefox-Lesezeichen"_s, name, found.size() > 1), Kind::Firefox, places });
}

void findChromium(const QString &base, const QString &title, QList<TSource> &sources)
{
    QStringList profiles;
    const QStringList folders = QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &folder : folders) {
        if ((folder == u"Default"_s || folder.startsWith(u"Profile "_s))
            && QFileInfo(base + u'/' + folder + u"/Bookmarks"_s).isFile())
            profiles.append(folder);
    }
    for (const QString &profile : std::as_const(profiles))
        sources.append(
            { titled(title, profile, profiles.size() > 1), Kind::Chromium, base + u'/' + profile + u"/Bookmarks"_s });
}

// Firefox: rows of moz_bookmarks as a tree below the root's folders.
struct PlacesRow {
    qint64 id = 0;
    int type = 0;
    QString title;
    QString url;
    QString guid;
};

struct PlacesTree {
    QHash<qint64, QList<PlacesRow>> children;
    Budget &budget;
    QSet<qint64> visited;

    void build(qint64 parent, int depth, TFavoriteNode &into)
    {
        if (visited.contains(parent))
            return; // a damaged database whose folders contain each other
        visited.insert(parent);
        for (const PlacesRow &row : children.value(parent)) {
            TFavoriteNode node;
            if (row.type == 1) {
                if (!budget.favorite(node, row.title, row.url))
                    continue;
            } else if (row.type == 2) {
                if (!budget.folder(node, row.title, depth))
                    continue;
                build(row.id, depth + 1, node);
                if (node.Children.empty())
                    continue;
            } else {
                continue; // separators
            }
            into.Children.push_back(std::move(node));
        }
    }
};

QString firefoxRootTitle(const QString &guid, const QString &title)
{
    static const QHash<QString, QString> names = {
        { u"menu________"_s, u"Lesezeichen-Menü"_s },
        { u"toolbar_____"_s, u"Lesezeichen-Symbolleiste"_s },
        { u"unfiled_____"_s, u"Weitere Lesezeichen"_s },
        { u"mobile______"_s, u"Mobile Lesezeichen"_s },
    };
    return names.value(guid, title);
}

bool copyLimited(const QString &from, const QString &to)
{
    const QFileInfo info(from);
    return info.isFile() && info.size() <= MaxDatabaseBytes && QFile::copy(from, to);
}

// Chromium: nested JSON nodes.
void chromiumNodes(const QJsonArray &nodes, int depth, TFavoriteNode &into, Budget &budget)
{
    for (const QJsonValue &value : nodes) {
        const QJsonObject object = value.toObject();
        const QString type = object.value(u"type"_s).toString();
        const QString title = object.value(u"name"_s).toString();
        TFavoriteNode node;
        if (type == u"url"_s) {
            if (!budget.favorite(node, title, object.value(u"url"_s).toString()))
                continue;
        } else if (type == u"folder"_s) {
            if (!budget.folder(node, title, depth))
                continue;
            chromiumNodes(object.value(u"children"_s).toArray(), depth + 1, node, budget);
            if (node.Children.empty())
                continue;
        } else {
            continue;
        }
        into.Children.push_back(std::move(node));
    }
}

} // namespace

QList<TSource> Find(const QString &home, const QString &configHome)
{
    QList<TSource> sources;
    const QStringList firefoxFolders = { home + u"/.mozilla/firefox"_s,
        home + u"/snap/firefox/common/.mozilla/firefox"_s, home + u"/.var/app/org.mozilla.firefox/.mozilla/firefox"_s };
    for (const QString &base : firefoxFolders)
        findFirefox(base, sources);
    findChromium(configHome + u"/chromium"_s, u"Chromium-Lesezeichen"_s, sources);
    findChromium(home + u"/snap/chromium/common/chromium"_s, u"Chromium-Lesezeichen"_s, sources);
    findChromium(configHome + u"/google-chrome"_s, u"Chrome-Lesezeichen"_s, sources);
    return sources;
}

QList<TSource> FindForUser()
{
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + u"/.config"_s;
    return Find(QDir::homePath(), config);
}

TFavoriteTree ReadFirefox(const QString &placesFile, const TFavoriteLimits &limits)
{
    TFavoriteTree tree;
    tree.Root.Folder = true;
    // The browser may hold the database open and write to it: read a copy,
    // with the write-ahead log that holds its newest changes.
    QTemporaryDir copy;
    const QString database = copy.filePath(u"places.sqlite"_s);
    if (!copy.isValid() || !copyLimited(placesFile, database))
        return tree;
    copyLimited(placesFile + u"-wal"_s, database + u"-wal"_s);

    Budget budget { limits };
    const QString connection = u"rufwerk-places-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
        db.setDatabaseName(database);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        if (db.open()) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            // Rows beyond this cannot all be shown anyway; separators and
            // addresses that are no web addresses take their share.
            const int maxRows = limits.MaxItems * 4;
            if (query.exec(u"SELECT b.id, b.parent, b.type, b.title, p.url, b.guid FROM moz_bookmarks b "
                           "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position LIMIT %1"_s.arg(
                               maxRows + 1))) {
                PlacesTree places { {}, budget, {} };
                qint64 root = -1;
                int rows = 0;
                while (query.next()) {
                    if (++rows > maxRows) {
                        budget.truncated = true;
                        break;
                    }
                    PlacesRow row { query.value(0).toLongLong(), query.value(2).toInt(), query.value(3).toString(),
                        query.value(4).toString(), query.value(5).toString() };
                    if (row.guid == u"root________"_s)
                        root = row.id;
                    places.children[query.value(1).toLongLong()].append(row);
                }
                // The root's folders carry internal names; the tags folder repeats bookmarks.
                for (PlacesRow &row : places.children[root])
                    row.title = firefoxRootTitle(row.guid, row.title);
                auto &top = places.children[root];
                top.erase(std::remove_if(top.begin(), top.end(),
                              [](const PlacesRow &row) { return row.guid == u"tags________"_s; }),
                    top.end());
                if (root >= 0)
                    places.build(root, 0, tree.Root);
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    tree.Truncated = budget.truncated;
    return tree;
}

TFavoriteTree ReadChromium(const QString &bookmarksFile, const TFavoriteLimits &limits)
{
    TFavoriteTree tree;
    tree.Root.Folder = true;
    QFile file(bookmarksFile);
    if (file.size() > MaxJsonBytes || !file.open(QIODevice::ReadOnly))
        return tree;
    const QJsonObject roots = QJsonDocument::fromJson(file.read(MaxJsonBytes)).object().value(u"roots"_s).toObject();
    Budget budget { limits };
    const QPair<QString, QString> rootNames[] = {
        { u"bookmark_bar"_s, u"Lesezeichenleiste"_s },
        { u"other"_s, u"Weitere Lesezeichen"_s },
        { u"synced"_s, u"Mobile Lesezeichen"_s },
    };
    for (const auto &[key, title] : rootNames) {
        QJsonObject root = roots.value(key).toObject();
        if (root.isEmpty())
            continue;
        root.insert(u"name"_s, title);
        chromiumNodes(QJsonArray { root }, 0, tree.Root, budget);
    }
    tree.Truncated = budget.truncated;
    return tree;
}

TFavoriteTree Read(const TSource &source, const TFavoriteLimits &limits)
{
    return source.Type == Kind::Firefox ? ReadFirefox(source.File, limits) : ReadChromium(source.File, limits);
}

} // namespace BrowserBookmarks
