// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageFavorites.h"

#include "DialogTools.h"
#include "Folders.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "Shell.h"
#include "TextFile.h"

#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

enum Column { NameColumn, SizeColumn, TypeColumn, DateColumn };

/// The folder tree's and file list's model: the page's own column captions,
/// sizes in kilobytes as the shell lists them, and the style's icons where the
/// desktop has no icon theme.
class TShellModel : public QFileSystemModel {
public:
    explicit TShellModel(QWidget *view)
        : QFileSystemModel(view)
        , FView(view)
    {
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section <= SizeColumn)
            return section == NameColumn ? u"Datei Name"_s : u"Grösse"_s;
        if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && section == SizeColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QFileSystemModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (index.column() == SizeColumn && role == Qt::DisplayRole) {
            if (isDir(index))
                return QString();
            // Started kilobytes: a small file is 1 KB, not 0.
            return QString(QLocale().toString((size(index) + 1023) / 1024) + u" KB"_s);
        }
        if (index.column() == NameColumn && role == Qt::DecorationRole) {
            const QVariant icon = QFileSystemModel::data(index, role);
            if (!icon.value<QIcon>().isNull())
                return icon;
            return FView->style()->standardIcon(isDir(index) ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
        }
        return QFileSystemModel::data(index, role);
    }

private:
    QWidget *FView;
};

QAction *menuItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QString cleaned(const QString &path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

} // namespace

TPageFavorites::TPageFavorites(TFormProgStart *dialog)
    : TProgStartPage(dialog, u"TSFavorites"_s, 864)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);

    auto *group = new QGroupBox(u"Selektierter URL"_s, this);
    group->setObjectName(u"GBSelectedURL"_s);
    auto *row = new QHBoxLayout(group);
    row->setSpacing(6);
    BtnToFavotites = CreateHintButton(group, u"BtnToFavotites"_s, u"&Favoriten"_s, u"URL zu Favoriten hinzufügen"_s);
    EditURL = new QLineEdit(group);
    EditURL->setObjectName(u"EditURL"_s);
    EditURL->setReadOnly(true);
    SetHint(EditURL, u"URL (Uniform Resources Locator)"_s);
    BtnStart = CreateHintButton(group, u"BtnStart"_s, u"&Starten"_s, u"Selektierten URL starten"_s);
    row->addWidget(BtnToFavotites);
    row->addWidget(EditURL, 1);
    row->addWidget(BtnStart);
    column->addWidget(group);

    auto *note = new QLabel(u"Bearbeitung mit der rechten Maustaste"_s, this);
    note->setObjectName(u"LblRightButton"_s);
    column->addWidget(note);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(u"SplitterShell"_s);
    Splitter->setChildrenCollapsible(false);
    column->addWidget(Splitter, 1);

    FTreeModel = new TShellModel(this);
    FTreeModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    FTreeModel->setReadOnly(true);
    ShellTree = new QTreeView(Splitter);
    ShellTree->setObjectName(u"ShellTree"_s);
    ShellTree->setModel(FTreeModel);
    ShellTree->setHeaderHidden(true);
    for (int c = SizeColumn; c <= DateColumn; ++c)
        ShellTree->hideColumn(c);
    ShellTree->setRootIsDecorated(false);
    ShellTree->setContextMenuPolicy(Qt::CustomContextMenu);

    FListModel = new TShellModel(this);
    FListModel->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot);
    FListModel->setReadOnly(true);
    ShellList = new QTreeView(Splitter);
    ShellList->setObjectName(u"ShellList"_s);
    ShellList->setModel(FListModel);
    ShellList->setRootIsDecorated(false);
    ShellList->setItemsExpandable(false);
    ShellList->setUniformRowHeights(true);
    ShellList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ShellList->setSortingEnabled(true);
    ShellList->sortByColumn(NameColumn, Qt::DescendingOrder);
    ShellList->hideColumn(TypeColumn);
    ShellList->hideColumn(DateColumn);
    ShellList->setColumnWidth(NameColumn, 150);
    ShellList->setColumnWidth(SizeColumn, 70);
    ShellList->setContextMenuPolicy(Qt::CustomContextMenu);

    PMShell = new QMenu(this);
    PMShell->setObjectName(u"PMShell"_s);
    QAction *open = menuItem(PMShell, "PMIOpen", u"Ö&ffnen"_s);
    QAction *show = menuItem(PMShell, "PMIShowFolder", u"Im &Dateimanager zeigen"_s);
    PMShell->addSeparator();
    QAction *remove = menuItem(PMShell, "PMIDelete", u"&Löschen"_s);
    connect(open, &QAction::triggered, this, &TPageFavorites::PMIOpenClick);
    connect(show, &QAction::triggered, this, &TPageFavorites::PMIShowFolderClick);
    connect(remove, &QAction::triggered, this, &TPageFavorites::PMIDeleteClick);

    connect(ShellTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { ShellTreeChange(current); });
    connect(ShellList, &QAbstractItemView::activated, this, &TPageFavorites::ShellListDblClick);
    connect(ShellTree, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &pos) { ShowContextMenu(ShellTree, pos); });
    connect(ShellList, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &pos) { ShowContextMenu(ShellList, pos); });
    connect(BtnStart, &QPushButton::clicked, this, &TPageFavorites::BtnStartClick);
    connect(BtnToFavotites, &QPushButton::clicked, this, &TPageFavorites::BtnToFavotitesClick);

    SetSelectedURL(QString());
}

QString TPageFavorites::RootFolder() const
{
    return cleaned(Folders::urlFolder());
}

void TPageFavorites::PageShown()
{
    const QString root = RootFolder();
    // Created at start-up; someone may have removed it since.
    QDir().mkpath(root);
    if (cleaned(FTreeModel->rootPath()) == root)
        return;
    ShellTree->setRootIndex(FTreeModel->setRootPath(root));
    ShellList->setRootIndex(FListModel->setRootPath(root));
    SetSelectedURL(QString());
}

void TPageFavorites::showEvent(QShowEvent *event)
{
    TProgStartPage::showEvent(event);
    if (FSplitPlaced || Splitter->width() <= 0)
        return;
    // The divider starts at 54 % of the width.
    FSplitPlaced = true;
    const int width = Splitter->width() - Splitter->handleWidth();
    Splitter->setSizes({ width * 54 / 100, width - width * 54 / 100 });
}

// --- selecting ---------------------------------------------------------------

void TPageFavorites::ShellTreeChange(const QModelIndex &current)
{
    const QString folder = current.isValid() ? FTreeModel->filePath(current) : RootFolder();
    ShellList->setRootIndex(FListModel->setRootPath(folder));
    // Only a site folder directly below "URL" names a site; any deeper folder
    // is a part of one, whatever its parent is called.
    const bool site = current.isValid() && cleaned(FTreeModel->filePath(current.parent())) == RootFolder();
    SetSelectedURL(site ? FTreeModel->fileName(current) : QString());
}

void TPageFavorites::SetSelectedURL(const QString &url)
{
    EditURL->setText(url);
    BtnStart->setEnabled(!url.isEmpty());
    BtnToFavotites->setEnabled(!url.isEmpty());
}

void TPageFavorites::SelectFolder(const QString &folder)
{
    const QModelIndex index = FTreeModel->index(folder);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid() && up != ShellTree->rootIndex(); up = up.parent())
        ShellTree->expand(up);
    ShellTree->setCurrentIndex(index);
    ShellTree->scrollTo(index);
}

void TPageFavorites::ShellListDblClick(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    FContextPath = FListModel->filePath(index);
    PMIOpenClick();
}

// --- the two buttons -------------------------------------------------------

void TPageFavorites::BtnStartClick()
{
    const QString url = EditURL->text();
    if (url.isEmpty())
        return;
    const auto &open = Dialog->Host().OpenLocalCopy;
    if (open && open(url))
        return;
    MessageDialog::Information(
        u"Im Ordner \""_s + url + u"\" gibt es keine Startseite\r(index.htm, index.html oder default.htm)."_s, this);
}

void TPageFavorites::BtnToFavotitesClick()
{
    const QString url = EditURL->text();
    if (url.isEmpty())
        return;
    const QString folder = Shell::instance().favoritesFolder();
    const QString file = QDir(folder).filePath(url + u".url"_s);
    if (QFileInfo::exists(file)
        && !MessageDialog::QuestionDefaultNo(u"Der Favorit \""_s + url + u"\" ist schon vorhanden.\rErsetzen?"_s, this))
        return;
    QString error;
    if (!QDir().mkpath(folder)) {
        MessageDialog::Error(
            u"Der Favoriten-Ordner \""_s + QDir::toNativeSeparators(folder) + u"\" kann nicht angelegt werden."_s,
            this);
        return;
    }
    if (!TextFile::writeLines(file, { u"[InternetShortcut]"_s, u"URL=http://"_s + url }, &error)) {
        MessageDialog::Error(error, this);
        return;
    }
    MessageDialog::Information(u"\""_s + url + u"\" steht jetzt in den Favoriten."_s, this);
}

// --- the context menu -------------------------------------------------------

void TPageFavorites::ShowContextMenu(QAbstractItemView *view, const QPoint &pos)
{
    const QModelIndex index = view->indexAt(pos);
    const auto *model = static_cast<const QFileSystemModel *>(view->model());
    FContextPath = index.isValid() ? model->filePath(index) : QString();
    for (QAction *action : PMShell->actions())
        if (!action->isSeparator())
            action->setEnabled(!FContextPath.isEmpty());
    if (view == ShellList && FContextPath.isEmpty()) {
        // A blank spot of the list stands for the folder it shows.
        if (auto *show = PMShell->findChild<QAction *>(u"PMIShowFolder"_s))
            show->setEnabled(true);
    }
    PMShell->popup(view->viewport()->mapToGlobal(pos));
}

void TPageFavorites::PMIOpenClick()
{
    PMShell->hide();
    const QString path = FContextPath;
    if (path.isEmpty())
        return;
    if (QFileInfo(path).isDir()) {
        SelectFolder(path);
        return;
    }
    QString error;
    if (!Shell::instance().open(path, QString(), QString(), &error))
        MessageDialog::Information(error, this);
}

void TPageFavorites::PMIShowFolderClick()
{
    PMShell->hide();
    QString folder = FContextPath;
    if (folder.isEmpty())
        folder = FListModel->rootPath();
    else if (!QFileInfo(folder).isDir())
        folder = QFileInfo(folder).absolutePath();
    QString error;
    if (!Shell::instance().showFolder(folder, &error))
        MessageDialog::Information(error, this);
}

void TPageFavorites::PMIDeleteClick()
{
    PMShell->hide();
    const QString path = cleaned(FContextPath);
    const QString root = RootFolder();
    // Only what lies inside "URL"; never the folder itself.
    if (path.isEmpty() || !path.startsWith(root + u'/'))
        return;
    const QFileInfo info(path);
    const bool folder = info.isDir() && !info.isSymLink();
    const QString name = info.fileName();
    const QString question
        = folder ? u"Ordner \""_s + name + u"\" mit allen Dateien löschen?"_s : u"Datei \""_s + name + u"\" löschen?"_s;
    if (!MessageDialog::QuestionDefaultNo(question, this))
        return;
    const QString shown = FTreeModel->filePath(ShellTree->currentIndex());
    // A link goes by itself: following it would empty a folder outside "URL".
    const bool removed = folder ? QDir(path).removeRecursively() : QFile::remove(path);
    if (!removed) {
        MessageDialog::Information(u"\""_s + name + u"\" konnte nicht (vollständig) gelöscht werden."_s, this);
        return;
    }
    if (folder && !shown.isEmpty() && (cleaned(shown) == path || cleaned(shown).startsWith(path + u'/'))) {
        const QString parent = info.absolutePath();
        if (cleaned(parent) == root) {
            ShellTree->setCurrentIndex(QModelIndex());
            ShellTree->clearSelection();
            ShellTreeChange(QModelIndex());
        } else {
            SelectFolder(parent);
        }
    }
    FContextPath.clear();
}
