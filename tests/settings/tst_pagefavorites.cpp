// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineHost.h"
#include "FakeDialUpService.h"
#include "FakeShell.h"
#include "Folders.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "SettingsStore.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

/// Site folders and files below "URL" for the page to show.
const QStringList Sites = { u"www.example.com/index.htm"_s, u"www.example.com/bilder/logo.gif"_s,
    u"www.example.com/doku/teil/seite.htm"_s, u"curl.se/docs/index.html"_s, u"kurz.de/default.htm"_s };

} // namespace

// The local copies page of the settings dialog: which folder names a site,
// the two buttons and the page's own context menu, over a temporary "URL"
// folder and a fake shell.
class TestPageFavorites : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        MessageDialog::SetHook([this](MessageDialog::Kind kind, const QString &text) {
            m_messages << (kind == MessageDialog::Kind::QuestionDefaultNo ? u"Q-No:"_s
                                  : kind == MessageDialog::Kind::Question ? u"Q:"_s
                                                                          : u"I:"_s)
                    + text;
            return m_answer;
        });
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_home->path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home->filePath(u"registry.reg"_s)));
        auto shell = std::make_unique<FakeShell>();
        m_shell = shell.get();
        Shell::setInstance(std::move(shell));
        m_answer = false;
        m_localCopies.clear();
        m_copyFound = true;
    }

    void cleanup()
    {
        m_dialog.reset();
        m_host.reset();
        Shell::setInstance(nullptr);
    }

    void cleanupTestCase() { MessageDialog::SetHook(nullptr); }

    void showsTheUrlFolder()
    {
        putSites();
        open();
        QCOMPARE(pages()->currentIndex(), int(TFormProgStart::PageFavorites));
        QCOMPARE(pages()->tabText(TFormProgStart::PageFavorites), u"Favoriten"_s);
        QCOMPARE(QDir::cleanPath(treeModel()->filePath(tree()->rootIndex())), QDir::cleanPath(urlFolder()));
        QVERIFY(!tree()->rootIsDecorated());
        QTRY_COMPARE(treeModel()->rowCount(tree()->rootIndex()), 3);
        // Folders only in the tree; the list shows the folder chosen there.
        QTRY_COMPARE(listModel()->rowCount(list()->rootIndex()), 3);
        select(u"www.example.com"_s);
        // By name, descending; the model sorts after it has read the folder.
        QTRY_COMPARE(listNames(), (QStringList { u"index.htm"_s, u"doku"_s, u"bilder"_s }));
        QCOMPARE(listModel()->headerData(0, Qt::Horizontal).toString(), u"Datei Name"_s);
        QCOMPARE(listModel()->headerData(1, Qt::Horizontal).toString(), u"Grösse"_s);
        QVERIFY(listModel()->isReadOnly());
    }

    void selectingEnablesTheButtons_data()
    {
        QTest::addColumn<QString>("folder"); // below "URL"
        QTest::addColumn<QString>("url"); // empty: buttons disabled

        QTest::newRow("site folder below the root") << u"www.example.com"_s << u"www.example.com"_s;
        QTest::newRow("another site folder") << u"kurz.de"_s << u"kurz.de"_s;
        QTest::newRow("one level deeper") << u"www.example.com/doku"_s << QString();
        QTest::newRow("two levels deeper") << u"www.example.com/doku/teil"_s << QString();
        // A folder below a site whose name holds "url" is still no site.
        QTest::newRow("below a site named like the root") << u"curl.se/docs"_s << QString();
    }

    void selectingEnablesTheButtons()
    {
        QFETCH(QString, folder);
        QFETCH(QString, url);
        putSites();
        open();
        QVERIFY(!start()->isEnabled());
        QVERIFY(!toFavorites()->isEnabled());
        select(u"kurz.de"_s); // a site first: leaving it must disable again
        select(folder);
        QCOMPARE(editURL()->text(), url);
        QVERIFY(editURL()->isReadOnly());
        QCOMPARE(start()->isEnabled(), !url.isEmpty());
        QCOMPARE(toFavorites()->isEnabled(), !url.isEmpty());
    }

    void noStoredSites()
    {
        open();
        QVERIFY(QFileInfo(urlFolder()).isDir());
        QTest::qWait(50); // let the model find nothing
        QCOMPARE(treeModel()->rowCount(tree()->rootIndex()), 0);
        QVERIFY(editURL()->text().isEmpty());
        QVERIFY(!start()->isEnabled());
        QVERIFY(!toFavorites()->isEnabled());
    }

    void startOpensTheLocalCopy_data()
    {
        QTest::addColumn<bool>("found");
        QTest::newRow("copy found") << true;
        QTest::newRow("no start page") << false;
    }

    void startOpensTheLocalCopy()
    {
        QFETCH(bool, found);
        putSites();
        open();
        m_copyFound = found;
        select(u"www.example.com"_s);
        start()->click();
        QCOMPARE(m_localCopies, QStringList { u"www.example.com"_s });
        if (found)
            QVERIFY(m_messages.isEmpty());
        else
            QCOMPARE(m_messages,
                QStringList { u"I:Im Ordner \"www.example.com\" gibt es keine Startseite\r"
                              "(index.htm, index.html oder default.htm)."_s });
    }

    void toFavoritesWritesAShortcut_data()
    {
        QTest::addColumn<QByteArray>("before"); // empty: no such favourite yet
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("messages");

        const QByteArray shortcut = "[InternetShortcut]\r\nURL=http://kurz.de\r\n";
        const QString question = u"Q-No:Der Favorit \"kurz.de\" ist schon vorhanden.\rErsetzen?"_s;
        const QString done = u"I:\"kurz.de\" steht jetzt in den Favoriten."_s;
        QTest::newRow("new favourite") << QByteArray() << false << shortcut << QStringList { done };
        QTest::newRow("existing one kept")
            << QByteArray("alt") << false << QByteArray("alt") << QStringList { question };
        QTest::newRow("existing one replaced")
            << QByteArray("alt") << true << shortcut << QStringList { question, done };
    }

    void toFavoritesWritesAShortcut()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, replace);
        const QString file = Shell::instance().favoritesFolder() + u"kurz.de.url"_s;
        if (!before.isEmpty()) {
            QVERIFY(QDir().mkpath(Shell::instance().favoritesFolder()));
            QVERIFY(writeAll(file, before));
        }
        putSites();
        open();
        select(u"kurz.de"_s);
        m_answer = replace;
        toFavorites()->click();
        QTEST(readAll(file), "after");
        QTEST(m_messages, "messages");
    }

    void contextMenuOpensAndShows_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("item"); // below "URL"; empty: a blank spot
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("opened"); // below "URL"
        QTest::addColumn<QStringList>("shown"); // below "URL"
        QTest::addColumn<QString>("current"); // the tree's folder afterwards

        const QString site = u"www.example.com"_s;
        QTest::newRow("open a file") << u"ShellList"_s << u"www.example.com/index.htm"_s << u"PMIOpen"_s
                                     << QStringList { u"www.example.com/index.htm"_s } << QStringList() << site;
        QTest::newRow("open a folder of the list goes into it")
            << u"ShellList"_s << u"www.example.com/doku"_s << u"PMIOpen"_s << QStringList() << QStringList()
            << u"www.example.com/doku"_s;
        QTest::newRow("file's folder in the file manager")
            << u"ShellList"_s << u"www.example.com/index.htm"_s << u"PMIShowFolder"_s << QStringList()
            << QStringList { site } << site;
        QTest::newRow("blank spot shows the list's folder")
            << u"ShellList"_s << QString() << u"PMIShowFolder"_s << QStringList() << QStringList { site } << site;
        QTest::newRow("tree folder in the file manager") << u"ShellTree"_s << u"kurz.de"_s << u"PMIShowFolder"_s
                                                         << QStringList() << QStringList { u"kurz.de"_s } << site;
    }

    void contextMenuOpensAndShows()
    {
        QFETCH(QString, view);
        QFETCH(QString, item);
        QFETCH(QString, action);
        putSites();
        open();
        select(u"www.example.com"_s);
        contextMenu(view, item, action);
        QStringList opened;
        for (const auto &o : m_shell->opened)
            opened << relative(o.target);
        QTEST(opened, "opened");
        QStringList shown;
        for (const QString &folder : m_shell->foldersShown)
            shown << relative(folder);
        QTEST(shown, "shown");
        QTEST(relative(treeModel()->filePath(tree()->currentIndex())), "current");
        QVERIFY(m_messages.isEmpty());
    }

    void contextMenuDeletes_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("item"); // below "URL"
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("gone");

        const QString file = u"Datei \"index.htm\" löschen?"_s;
        const QString folder = u"Ordner \"doku\" mit allen Dateien löschen?"_s;
        QTest::newRow("file, No keeps it")
            << u"ShellList"_s << u"www.example.com/index.htm"_s << false << file << false;
        QTest::newRow("file, Yes") << u"ShellList"_s << u"www.example.com/index.htm"_s << true << file << true;
        QTest::newRow("folder of the list, Yes")
            << u"ShellList"_s << u"www.example.com/doku"_s << true << folder << true;
        QTest::newRow("folder of the tree, No")
            << u"ShellTree"_s << u"www.example.com/doku"_s << false << folder << false;
        QTest::newRow("site folder of the tree, Yes")
            << u"ShellTree"_s << u"www.example.com"_s << true
            << u"Ordner \"www.example.com\" mit allen Dateien löschen?"_s << true;
    }

    void contextMenuDeletes()
    {
        QFETCH(QString, view);
        QFETCH(QString, item);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        putSites();
        open();
        select(u"www.example.com"_s);
        m_answer = yes;
        contextMenu(view, item, u"PMIDelete"_s);
        QCOMPARE(m_messages, QStringList { u"Q-No:"_s + question });
        QFETCH(bool, gone);
        QCOMPARE(!QFileInfo::exists(urlFolder() + item), gone);
        // The other site is never touched.
        QVERIFY(QFileInfo::exists(urlFolder() + u"kurz.de/default.htm"_s));
        if (gone && item == u"www.example.com"_s) {
            QVERIFY(editURL()->text().isEmpty());
            QVERIFY(!start()->isEnabled());
        }
    }

    // A link inside "URL" to a folder elsewhere goes by itself; what it points
    // at stays.
    void deletingALinkKeepsItsTarget()
    {
        putSites();
        const QString outside = m_home->filePath(u"Eigene Dateien"_s);
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(writeAll(outside + u"/brief.txt"_s, "wichtig"));
        QVERIFY(QFile::link(outside, urlFolder() + u"www.example.com/verweis"_s));
        open();
        select(u"www.example.com"_s);
        m_answer = true;
        contextMenu(u"ShellList"_s, u"www.example.com/verweis"_s, u"PMIDelete"_s);
        QCOMPARE(m_messages, QStringList { u"Q-No:Datei \"verweis\" löschen?"_s });
        QVERIFY(!QFileInfo(urlFolder() + u"www.example.com/verweis"_s).isSymLink());
        QCOMPARE(readAll(outside + u"/brief.txt"_s), QByteArray("wichtig"));
    }

    void blankSpotOffersOnlyTheFolder()
    {
        putSites();
        open();
        select(u"www.example.com"_s);
        emit list()->customContextMenuRequested(QPoint(5, list()->viewport()->height() - 5));
        auto *menu = m_dialog->findChild<QMenu *>(u"PMShell"_s);
        QVERIFY(menu->isVisible());
        QVERIFY(!menuAction(u"PMIOpen"_s)->isEnabled());
        QVERIFY(!menuAction(u"PMIDelete"_s)->isEnabled());
        QVERIFY(menuAction(u"PMIShowFolder"_s)->isEnabled());
        menu->hide();
    }

private:
    QString urlFolder() const { return Folders::urlFolder(); }

    void putSites()
    {
        for (const QString &file : Sites) {
            QVERIFY(QDir().mkpath(QFileInfo(urlFolder() + file).path()));
            QVERIFY(writeAll(urlFolder() + file, "<html></html>"));
        }
    }

    void open()
    {
        m_fake = std::make_unique<FakeDialUpService>();
        m_host = std::make_unique<EngineHost>();
        m_host->engine = new TRASWorkUnit(m_host.get(), m_fake.get());
        TProgStartHost host;
        host.OpenLocalCopy = [this](const QString &address) {
            m_localCopies << address;
            return m_copyFound;
        };
        m_dialog = std::make_unique<TFormProgStart>(m_host->engine, host);
        m_dialog->StartPage = TFormProgStart::PageFavorites;
        m_dialog->show();
        m_messages.clear(); // the missing module is not this test's business
    }

    /// Makes folder (below "URL") the tree's current node, as a click would.
    void select(const QString &folder)
    {
        const QModelIndex index = treeModel()->index(urlFolder() + folder);
        QVERIFY(index.isValid());
        tree()->setCurrentIndex(index);
    }

    /// Opens the context menu of view over item (below "URL", or a blank spot)
    /// and chooses action.
    void contextMenu(const QString &viewName, const QString &item, const QString &action)
    {
        auto *view = m_dialog->findChild<QTreeView *>(viewName);
        QVERIFY(view);
        auto *model = qobject_cast<QFileSystemModel *>(view->model());
        QPoint pos(5, view->viewport()->height() - 5);
        if (!item.isEmpty()) {
            const QModelIndex index = model->index(urlFolder() + item);
            QVERIFY(index.isValid());
            for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
                view->expand(up);
            QTRY_VERIFY(!view->visualRect(index).isEmpty());
            view->scrollTo(index);
            pos = view->visualRect(index).center();
        }
        emit view->customContextMenuRequested(pos);
        QAction *chosen = menuAction(action);
        QVERIFY(chosen->isEnabled());
        chosen->trigger();
        QVERIFY(!m_dialog->findChild<QMenu *>(u"PMShell"_s)->isVisible());
    }

    QAction *menuAction(const QString &name) const { return m_dialog->findChild<QAction *>(name); }

    QString relative(const QString &path) const
    {
        const QString root = QDir::cleanPath(urlFolder());
        const QString clean = QDir::cleanPath(path);
        return clean.startsWith(root + u'/') ? clean.mid(root.size() + 1) : clean;
    }

    QStringList listNames() const
    {
        QStringList names;
        for (int row = 0; row < listModel()->rowCount(list()->rootIndex()); ++row)
            names << listModel()->fileName(list()->model()->index(row, 0, list()->rootIndex()));
        return names;
    }

    template <typename T> T *child(const char *name) const
    {
        T *found = m_dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QTabWidget *pages() const { return child<QTabWidget>("PageControl"); }
    QTreeView *tree() const { return child<QTreeView>("ShellTree"); }
    QTreeView *list() const { return child<QTreeView>("ShellList"); }
    QFileSystemModel *treeModel() const { return qobject_cast<QFileSystemModel *>(tree()->model()); }
    QFileSystemModel *listModel() const { return qobject_cast<QFileSystemModel *>(list()->model()); }
    QLineEdit *editURL() const { return child<QLineEdit>("EditURL"); }
    QPushButton *start() const { return child<QPushButton>("BtnStart"); }
    QPushButton *toFavorites() const { return child<QPushButton>("BtnToFavotites"); }

    QTemporaryDir m_noModule;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<EngineHost> m_host;
    std::unique_ptr<TFormProgStart> m_dialog;
    FakeShell *m_shell = nullptr;
    QStringList m_messages;
    bool m_answer = false;
    QStringList m_localCopies;
    bool m_copyFound = true;
};

QTEST_MAIN(TestPageFavorites)
#include "tst_pagefavorites.moc"
