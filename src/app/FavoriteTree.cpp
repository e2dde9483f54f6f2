// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FavoriteTree.h"

#include "Glyphs.h"
#include "TextFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return TextFile::decode(bytes);
}

QString menuText(const QString &text)
{
    return QString(text).replace(u'&', u"&&"_s);
}

struct FolderReader {
    const TFavoriteLimits &limits;
    int used = 0;
    bool truncated = false;
    QSet<QString> visited;

    bool full()
    {
        if (used < limits.MaxItems)
            return false;
        truncated = true;
        return true;
    }

    void read(const QString &path, int depth, TFavoriteNode &into)
    {
        visited.insert(QFileInfo(path).canonicalFilePath());
        // Names first, at most what may still be shown, so a folder of
        // thousands of files costs no more than the limit.
        std::vector<QFileInfo> entries;
        QDirIterator it(path, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            // Only plain files are read: a pipe or device would never end.
            if (!info.isDir() && (!info.isFile() || info.suffix().compare(u"url"_s, Qt::CaseInsensitive) != 0))
                continue;
            if (int(entries.size()) >= limits.MaxItems - used) {
                truncated = true;
                break;
            }
            entries.push_back(info);
        }
        for (const QFileInfo &info : entries) {
            if (full())
                return;
            TFavoriteNode node;
            if (info.isDir()) {
                node.Folder = true;
                node.Title = info.fileName();
                const QString canonical = info.canonicalFilePath();
                if (canonical.isEmpty() || visited.contains(canonical))
                    continue; // a link back into the tree
                if (depth >= limits.MaxDepth) {
                    truncated = true;
                    continue;
                }
                ++used;
                read(info.filePath(), depth + 1, node);
            } else {
                node.Title = info.completeBaseName();
                node.File = info.filePath();
                node.Url = FavoriteTree::ReadShortcutUrl(info.filePath(), limits.MaxShortcutBytes);
                ++used;
            }
            into.Children.push_back(std::move(node));
        }
        FavoriteTree::Sort(into.Children);
    }
};

void fill(QMenu *menu, const TFavoriteNode &folder, const std::function<void(const TFavoriteNode &)> &chosen)
{
    for (const TFavoriteNode &node : folder.Children) {
        if (node.Folder) {
            QMenu *sub = menu->addMenu(Glyphs::icon(Glyphs::Folder), menuText(node.Title));
            sub->setToolTipsVisible(true);
            fill(sub, node, chosen);
            if (node.Children.empty())
                sub->addAction(u"(leer)"_s)->setEnabled(false);
            continue;
        }
        QAction *item = menu->addAction(Glyphs::icon(Glyphs::Web), menuText(node.Title));
        item->setToolTip(node.Url);
        item->setStatusTip(node.Url);
        QObject::connect(item, &QAction::triggered, menu, [chosen, node] { chosen(node); });
    }
}

} // namespace

namespace FavoriteTree {

QString ShortcutUrl(const QByteArray &content)
{
    const QStringList lines = decodeText(content).split(u'\n');
    bool inSection = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.compare(u"[InternetShortcut]"_s, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || line.left(equals).trimmed().compare(u"URL"_s, Qt::CaseInsensitive) != 0)
            continue;
        const QString url = line.mid(equals + 1).trimmed();
        // Control characters belong to no address: a damaged or binary file.
        const bool clean = std::none_of(url.cbegin(), url.cend(), [](QChar c) { return c.unicode() < 0x20; });
        return clean ? url : QString();
    }
    return QString();
}

QString ReadShortcutUrl(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return ShortcutUrl(file.read(maxBytes));
}

bool IsWebAddress(const QString &address)
{
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s || scheme == u"ftp"_s;
}

QString NotWebAddressText(const QString &address)
{
    return u"Die Adresse \"%1\"\rist keine Web-Adresse (http, https, ftp) und wird nicht geöffnet."_s.arg(address);
}

TFavoriteTree ReadFolder(const QString &folder, const TFavoriteLimits &limits)
{
    TFavoriteTree tree;
    tree.Root.Folder = true;
    tree.Root.Title = QFileInfo(folder).fileName();
    if (!QFileInfo(folder).isDir())
        return tree;
    FolderReader reader { limits, 0, false, {} };
    reader.read(folder, 0, tree.Root);
    tree.Truncated = reader.truncated;
    return tree;
}

void Sort(std::vector<TFavoriteNode> &nodes)
{
    std::stable_sort(nodes.begin(), nodes.end(), [](const TFavoriteNode &a, const TFavoriteNode &b) {
        if (a.Folder != b.Folder)
            return a.Folder;
        return QString::localeAwareCompare(a.Title.toLower(), b.Title.toLower()) < 0;
    });
}

void FillMenu(QMenu *menu, const TFavoriteTree &tree, const std::function<void(const TFavoriteNode &)> &chosen)
{
    menu->setToolTipsVisible(true);
    fill(menu, tree.Root, chosen);
    if (tree.Root.Children.empty())
        menu->addAction(u"(leer)"_s)->setEnabled(false);
    if (tree.Truncated)
        menu->addAction(u"Weitere Einträge nicht angezeigt"_s)->setEnabled(false);
}

} // namespace FavoriteTree
