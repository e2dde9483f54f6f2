// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "BrowserBookmarks.h"
#include "FavMRUList.h"

#include <QHash>
#include <QObject>
#include <functional>

class QAction;
class QMenu;
class TFormMain;

/**
 * The favourites of the main window: the menu PMFavorites with the
 * favourites folder, the browsers' bookmarks and the history of opened
 * addresses, and the opening of an address online, from its local copy or
 * after the question whether to download the site.
 */
class TFavorites : public QObject {
    Q_OBJECT

public:
    explicit TFavorites(TFormMain &form);

    QMenu *PMFavorites = nullptr;
    QMenu *ShellFavoritesMenu = nullptr;
    QAction *MIRemoveEntries = nullptr;
    TFavMRUList FavMRUList;
    TFavoriteLimits Limits;

    /// Enables "Listeneinträge entfernen" and lists the history after it.
    void PMFavoritesPopup();
    /// Rebuilds the favourites sub-menu from the favourites folder.
    void ShellFavoritesMenuPopup();
    /// A shortcut file was chosen: its address goes to the history and is opened.
    void ShellFavoritesMenuCustomHandler(const QString &shortcutFile);
    /// An address was chosen (shortcut file or bookmark); only web addresses are opened.
    void OpenChosenAddress(const QString &address);
    void FavMRUListClick(int index);
    void MIRemoveEntriesClick();
    void MIAdminFavosClick();

    /// Opens address online, or offline from its local copy or after the import question.
    static void OpenFavorite(TFormMain &form, const QString &address);
    /// Opens the local copy of address; false when there is none.
    static bool OpenLocalCopy(const QString &address);
    /// "Gesamten URL ... importieren?": Yes hands address to the site download and returns true.
    static bool AskImport(TFormMain &form, const QString &address);

    /// The browsers whose bookmarks are offered; tests replace it.
    static inline std::function<QList<BrowserBookmarks::TSource>()> FindBrowsers;

private:
    void rebuildBrowserMenus();
    void fillBrowserMenu(QMenu *menu, const BrowserBookmarks::TSource &source);

    TFormMain &FForm;
    QList<QAction *> FHistoryItems;
    QList<QMenu *> FBrowserMenus;
    // What each browser menu was built from, so an unchanged file is not read again.
    QHash<QString, QString> FBrowserBuilt;
};

/// The command "Favorites" (PMFavorites 15 pixels below the mouse), the drop-down
/// of BtnFavorite, and the history, loaded here and stored on every change.
void InstallFavoriteCommands(TFormMain &form);
