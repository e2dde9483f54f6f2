// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ProgStartPage.h"

class QAbstractItemView;
class QFileSystemModel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QSplitter;
class QTreeView;

/**
 * Page 3 "Favoriten": the web sites stored by the site download, a folder
 * tree of the "URL" folder beside the files of the chosen folder. A site
 * folder directly below "URL" can be opened offline or added to the
 * favourites; the right mouse button opens, shows or deletes an item.
 */
class TPageFavorites : public TProgStartPage {
    Q_OBJECT

public:
    explicit TPageFavorites(TFormProgStart *dialog);

    void PageShown() override;

    /// The folder the tree and the list show: "URL" in the program folder.
    QString RootFolder() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShellTreeChange(const QModelIndex &current);
    void ShellListDblClick(const QModelIndex &index);
    void BtnStartClick();
    void BtnToFavotitesClick();
    void ShowContextMenu(QAbstractItemView *view, const QPoint &pos);
    void PMIOpenClick();
    void PMIShowFolderClick();
    void PMIDeleteClick();
    /// Makes folder the tree's current node, opening the nodes above it.
    void SelectFolder(const QString &folder);
    void SetSelectedURL(const QString &url);

    QLineEdit *EditURL = nullptr;
    QPushButton *BtnStart = nullptr;
    QPushButton *BtnToFavotites = nullptr;
    QSplitter *Splitter = nullptr;
    QTreeView *ShellTree = nullptr;
    QTreeView *ShellList = nullptr;
    QFileSystemModel *FTreeModel = nullptr;
    QFileSystemModel *FListModel = nullptr;
    QMenu *PMShell = nullptr;
    /// The item the context menu was opened on; empty on a blank spot.
    QString FContextPath;
    bool FSplitPlaced = false;
};
