// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Favorites.h"

#include "Folders.h"
#include "FormMain.h"
#include "FormProgStart.h"
#include "Glyphs.h"
#include "MessageDialog.h"
#include "OnlineLaunch.h"
#include "SettingsCommands.h"
#include "SettingsStore.h"
#include "Shell.h"
#include "SiteNames.h"
#include "WindowMessage.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QString withoutTrailingSlash(QString address)
{
    if (address.endsWith(u'/') || address.endsWith(u'\\'))
        address.chop(1);
    return address;
}

QAction *menuItem(QMenu *menu, const char *name, const QString &caption, const QString &hint, Glyphs::Id glyph)
{
    QAction *action = menu->addAction(Glyphs::icon(glyph), caption);
    action->setObjectName(QLatin1String(name));
    if (!hint.isEmpty())
        TFormMain::SetHint(action, hint);
    return action;
}

// When a browser's bookmarks last changed: the file and its write-ahead log.
QString fileStamp(const QString &file)
{
    QString stamp;
    for (const QString &path : QStringList { file, file + u"-wal"_s }) {
        const QFileInfo info(path);
        if (info.exists())
            stamp += info.lastModified().toString(Qt::ISODateWithMs) + u'/' + QString::number(info.size()) + u';';
    }
    return stamp;
}

} // namespace

TFavorites::TFavorites(TFormMain &form)
    : QObject(&form)
    , FForm(form)
{
    setObjectName(u"Favorites"_s);
    PMFavorites = new QMenu(&form);
    PMFavorites->setObjectName(u"PMFavorites"_s);
    PMFavorites->setToolTipsVisible(true);

    ShellFavoritesMenu = new QMenu(u"Favoriten &Liste"_s, PMFavorites);
    ShellFavoritesMenu->setObjectName(u"ShellFavoritesMenu"_s);
    ShellFavoritesMenu->setToolTip(u"IE Favoriten"_s);
    QAction *list = ShellFavoritesMenu->menuAction();
    list->setObjectName(u"PMIFavoriteList"_s);
    list->setIcon(Glyphs::icon(Glyphs::Favorites));
    TFormMain::SetHint(list, u"Favoriten öffnen"_s);
    PMFavorites->addAction(list);
    connect(ShellFavoritesMenu, &QMenu::aboutToShow, this, &TFavorites::ShellFavoritesMenuPopup);

    QAction *admin = menuItem(PMFavorites, "MIAdminFavos", u"Favoriten &verwalten"_s, QString(), Glyphs::Folder);
    connect(admin, &QAction::triggered, this, &TFavorites::MIAdminFavosClick);
    PMFavorites->addSeparator();
    QAction *download = menuItem(
        PMFavorites, "MIDownloadURL", u"&Favoriten lokalisieren"_s, u"Kompletten URL downloaden"_s, Glyphs::Download);
    connect(download, &QAction::triggered, this, [this] {
        FForm.DownloadURL.clear();
        FForm.ShowSiteDownload();
    });
    QAction *local = menuItem(PMFavorites, "MIOpenFavos", u"Lokale Favoriten &bearbeiten"_s,
        u"Lokale Dateien der Favoriten bearbeiten"_s, Glyphs::Edit);
    connect(local, &QAction::triggered, this, [this] { ShowSettingsDialog(FForm, TFormProgStart::PageFavorites); });
    PMFavorites->addSeparator();
    MIRemoveEntries
        = menuItem(PMFavorites, "MIRemoveEntries", u"Listeneinträge entfernen"_s, QString(), Glyphs::Delete);
    connect(MIRemoveEntries, &QAction::triggered, this, &TFavorites::MIRemoveEntriesClick);
    connect(PMFavorites, &QMenu::aboutToShow, this, &TFavorites::PMFavoritesPopup);

    FavMRUList.Load(SettingsStore::instance());
}

void TFavorites::PMFavoritesPopup()
{
    MIRemoveEntries->setEnabled(!FavMRUList.IsEmpty());
    qDeleteAll(FHistoryItems);
    FHistoryItems.clear();
    const QStringList &items = FavMRUList.Items();
    for (int i = 0; i < items.size(); ++i) {
        auto *item = new QAction(TFavMRUList::Caption(i, items.at(i)), PMFavorites);
        item->setObjectName(u"FavMRUList%1"_s.arg(i));
        item->setToolTip(items.at(i));
        item->setStatusTip(items.at(i));
        connect(item, &QAction::triggered, this, [this, i] { FavMRUListClick(i); });
        PMFavorites->addAction(item);
        FHistoryItems.append(item);
    }
    rebuildBrowserMenus();
}

void TFavorites::ShellFavoritesMenuPopup()
{
    ShellFavoritesMenu->clear();
    const TFavoriteTree tree = FavoriteTree::ReadFolder(Shell::instance().favoritesFolder(), Limits);
    FavoriteTree::FillMenu(
        ShellFavoritesMenu, tree, [this](const TFavoriteNode &node) { ShellFavoritesMenuCustomHandler(node.File); });
}

void TFavorites::rebuildBrowserMenus()
{
    const QList<BrowserBookmarks::TSource> sources = FindBrowsers ? FindBrowsers() : BrowserBookmarks::FindForUser();
    QStringList wanted;
    for (const auto &source : sources)
        wanted << source.Title + u'|' + source.File;
    QStringList present;
    for (QMenu *menu : std::as_const(FBrowserMenus))
        present << menu->property("source").toString();
    if (wanted == present)
        return;

    qDeleteAll(FBrowserMenus);
    FBrowserMenus.clear();
    FBrowserBuilt.clear();
    // Below the favourites folder's own sub-menu.
    QAction *before = PMFavorites->findChild<QAction *>(u"MIAdminFavos"_s);
    for (int i = 0; i < sources.size(); ++i) {
        const BrowserBookmarks::TSource source = sources.at(i);
        auto *menu = new QMenu(QString(source.Title).replace(u'&', u"&&"_s), PMFavorites);
        menu->setObjectName(u"PMIBrowser%1"_s.arg(i));
        menu->setIcon(Glyphs::icon(Glyphs::Favorites));
        menu->setProperty("source", wanted.at(i));
        PMFavorites->insertMenu(before, menu);
        connect(menu, &QMenu::aboutToShow, this, [this, menu, source] { fillBrowserMenu(menu, source); });
        FBrowserMenus.append(menu);
    }
}

void TFavorites::fillBrowserMenu(QMenu *menu, const BrowserBookmarks::TSource &source)
{
    // Reading a browser's database costs a copy of it: only when it changed.
    const QString stamp = fileStamp(source.File);
    if (!menu->isEmpty() && FBrowserBuilt.value(source.File) == stamp)
        return;
    FBrowserBuilt.insert(source.File, stamp);
    menu->clear();
    const TFavoriteTree tree = BrowserBookmarks::Read(source, Limits);
    FavoriteTree::FillMenu(menu, tree, [this](const TFavoriteNode &node) { OpenChosenAddress(node.Url); });
}

void TFavorites::ShellFavoritesMenuCustomHandler(const QString &shortcutFile)
{
    const QString address = FavoriteTree::ReadShortcutUrl(shortcutFile, Limits.MaxShortcutBytes);
    if (address.isEmpty())
        return;
    OpenChosenAddress(address);
}

void TFavorites::OpenChosenAddress(const QString &chosen)
{
    const QString address = withoutTrailingSlash(chosen);
    // A shortcut file may name a program or a script; only web addresses open.
    if (!FavoriteTree::IsWebAddress(address)) {
        MessageDialog::Information(FavoriteTree::NotWebAddressText(address), &FForm);
        return;
    }
    FavMRUList.Add(address);
    FavMRUList.Save(SettingsStore::instance());
    OpenFavorite(FForm, address);
}

void TFavorites::FavMRUListClick(int index)
{
    const QStringList &items = FavMRUList.Items();
    if (index < 0 || index >= items.size())
        return;
    const QString address = items.at(index);
    // The history holds only what favourites opened, unless its stored values were edited.
    if (!FavoriteTree::IsWebAddress(address)) {
        MessageDialog::Information(FavoriteTree::NotWebAddressText(address), &FForm);
        return;
    }
    OpenFavorite(FForm, address);
}

void TFavorites::MIRemoveEntriesClick()
{
    if (!MessageDialog::Question(u"Alle Einträge aus der Liste der\rvorher geöffneten URL entfernen?"_s, &FForm))
        return;
    FavMRUList.Clear();
    FavMRUList.Save(SettingsStore::instance());
}

void TFavorites::MIAdminFavosClick()
{
    const QString folder = Shell::instance().favoritesFolder();
    QDir().mkpath(folder);
    QString error;
    if (!Shell::instance().showFolder(folder, &error))
        MessageDialog::Information(error, &FForm);
}

void TFavorites::OpenFavorite(TFormMain &form, const QString &address)
{
    const auto open = [address] { Shell::instance().open(address, QString(), QString()); };
    OnlineLaunch::Run(form, address, open, [&form, address, open] {
        if (OpenLocalCopy(address) || AskImport(form, address))
            return;
        open();
    });
}

bool TFavorites::OpenLocalCopy(const QString &address)
{
    const QString page = SiteNames::FindLocalCopy(Folders::urlFolder(), address);
    if (page.isEmpty())
        return false;
    Shell::instance().open(page, QString(), QString());
    return true;
}

bool TFavorites::AskImport(TFormMain &form, const QString &address)
{
    if (!MessageDialog::Question(u"Gesamten URL \""_s + address + u"\"\rfür lokale Nutzung importieren?"_s, &form))
        return false;
    form.DownloadURL = address;
    TWindowMessage message(WM::SiteDownload);
    QCoreApplication::sendEvent(&form, &message);
    return true;
}

void InstallFavoriteCommands(TFormMain &form)
{
    if (form.findChild<TFavorites *>())
        return;
    auto *favorites = new TFavorites(form);
    // The folder Rufwerk keeps the favourites in where the system has none.
#ifndef Q_OS_WIN
    QDir().mkpath(Shell::instance().favoritesFolder());
#endif
    form.SetCommand(u"Favorites"_s, [favorites] { favorites->PMFavorites->popup(QCursor::pos() + QPoint(0, 15)); });
    if (auto *button = form.findChild<QToolButton *>(u"BtnFavorite"_s)) {
        button->setMenu(favorites->PMFavorites);
        button->setPopupMode(QToolButton::InstantPopup);
    }
}
