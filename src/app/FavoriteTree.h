// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class QMenu;

/// One favourite (an address) or a folder of them.
struct TFavoriteNode {
    QString Title;
    /// The address of a favourite; empty for a folder.
    QString Url;
    /// The internet shortcut file a favourite was read from, if any.
    QString File;
    bool Folder = false;
    std::vector<TFavoriteNode> Children;
};

/// Bounds for reading favourites, so that no folder, file or database can hang the menu.
struct TFavoriteLimits {
    int MaxDepth = 8;
    /// Favourites and folders in one tree.
    int MaxItems = 1000;
    /// Bytes read of one internet shortcut file; an address further in is not found.
    qint64 MaxShortcutBytes = 64 * 1024;
};

struct TFavoriteTree {
    TFavoriteNode Root;
    /// A limit left favourites out.
    bool Truncated = false;
};

/**
 * The favourites folder of internet shortcut files ("[InternetShortcut]",
 * "URL=") as a tree, and the menu built from any favourites tree.
 */
namespace FavoriteTree {

/// The address in an internet shortcut file's text; empty when it has none.
QString ShortcutUrl(const QByteArray &content);
/// The address of the internet shortcut file at path (its first maxBytes).
QString ReadShortcutUrl(const QString &path, qint64 maxBytes = TFavoriteLimits().MaxShortcutBytes);
/// Whether address is a web address (http, https or ftp), the only kind a favourite opens.
bool IsWebAddress(const QString &address);
/// The German refusal of an address that is no web address.
QString NotWebAddressText(const QString &address);

/// Reads folder with its sub-folders: one favourite per "*.url" file, folders
/// first, each sorted by name. Link loops are followed once.
TFavoriteTree ReadFolder(const QString &folder, const TFavoriteLimits &limits = {});

/// Adds the tree to menu: a sub-menu per folder, an item per favourite with
/// its address as hint; chosen gets the favourite.
void FillMenu(QMenu *menu, const TFavoriteTree &tree, const std::function<void(const TFavoriteNode &)> &chosen);

/// Sorts folders before favourites, each by title without regard to case.
void Sort(std::vector<TFavoriteNode> &nodes);

} // namespace FavoriteTree
