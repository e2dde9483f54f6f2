// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Favorites.h"
#include "Folders.h"
#include "FormMain.h"
#include "FormProgStart.h"
#include "MainWindowFixture.h"
#include "MessageDialog.h"
#include "OnlineDial.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "StartProgramList.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

QByteArray shortcut(const QByteArray &url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

QString importQuestion(const QString &address)
{
    return u"Gesamten URL \""_s + address + u"\"\rfür lokale Nutzung importieren?"_s;
}

} // namespace

// The favourites menu of the main window and opening a favourite online,
// from its local copy or after the import question.
class TestFavorites : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_fx.initTestCase();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return m_answer;
        });
    }

    void init()
    {
        m_fx.init();
        TFavorites::FindBrowsers = [] { return QList<BrowserBookmarks::TSource>(); };
        m_answer = false;
    }

    void cleanup()
    {
        m_fx.cleanup();
        TFavorites::FindBrowsers = nullptr;
    }

    void cleanupTestCase() { MessageDialog::SetHook(nullptr); }

    void menu()
    {
        createForm();
        QCOMPARE(control<QToolButton>("BtnFavorite")->menu(), favorites());
        struct Item {
            QString name;
            QString caption;
            QString hint;
        };
        const QList<Item> expected = {
            { u"PMIFavoriteList"_s, u"Favoriten &Liste"_s, u"Favoriten öffnen"_s },
            { u"MIAdminFavos"_s, u"Favoriten &verwalten"_s, QString() },
            { QString(), QString(), QString() },
            { u"MIDownloadURL"_s, u"&Favoriten lokalisieren"_s, u"Kompletten URL downloaden"_s },
            { u"MIOpenFavos"_s, u"Lokale Favoriten &bearbeiten"_s, u"Lokale Dateien der Favoriten bearbeiten"_s },
            { QString(), QString(), QString() },
            { u"MIRemoveEntries"_s, u"Listeneinträge entfernen"_s, QString() },
        };
        const QList<QAction *> actions = favorites()->actions();
        QCOMPARE(actions.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(actions.at(i)->isSeparator(), expected.at(i).name.isEmpty());
            QCOMPARE(actions.at(i)->objectName(), expected.at(i).name);
            QCOMPARE(actions.at(i)->text(), expected.at(i).caption);
            QCOMPARE(actions.at(i)->statusTip(), expected.at(i).hint);
        }
        // The main menu's "&Favoriten" opens it; no "noch nicht verfügbar".
        action("MIFavorites")->trigger();
        QVERIFY(favorites()->isVisible());
        favorites()->hide();
        QVERIFY(m_messages.isEmpty());
    }

    void history()
    {
        const QString key = u"Software\\Kovatek\\Rufwerk\\RasBas\\MRUList"_s;
        createForm();
        popUp(favorites());
        QVERIFY(!action("MIRemoveEntries")->isEnabled());
        QCOMPARE(favorites()->actions().last(), action("MIRemoveEntries"));

        // Stored by an earlier run: loaded at start, listed after "Listeneinträge entfernen".
        m_fx.form.reset();
        SettingsStore::instance().writeString(key, u"HA"_s, u"http://neu.example"_s);
        SettingsStore::instance().writeString(key, u"HB"_s, u"https://alt.example"_s);
        createForm();
        popUp(favorites());
        QVERIFY(action("MIRemoveEntries")->isEnabled());
        QStringList captions;
        const QList<QAction *> actions = favorites()->actions();
        for (qsizetype i = actions.indexOf(action("MIRemoveEntries")) + 1; i < actions.size(); ++i)
            captions << actions.at(i)->text();
        QCOMPARE(captions, (QStringList { u"&1 http://neu.example"_s, u"&2 https://alt.example"_s }));

        m_fx.form->engine->SetConnectionState(ExternalOnline);
        action("FavMRUList1")->trigger();
        QCOMPARE(opened(), QStringList { u"https://alt.example"_s });

        // No keeps the list, Yes empties it for good.
        action("MIRemoveEntries")->trigger();
        QCOMPARE(m_messages, QStringList { u"Alle Einträge aus der Liste der\rvorher geöffneten URL entfernen?"_s });
        popUp(favorites());
        QCOMPARE(favorites()->actions().size(), actions.size());
        m_answer = true;
        action("MIRemoveEntries")->trigger();
        popUp(favorites());
        QCOMPARE(favorites()->actions().last(), action("MIRemoveEntries"));
        QVERIFY(!action("MIRemoveEntries")->isEnabled());
        QVERIFY(SettingsStore::instance().valueNames(key).isEmpty());
    }

    void chooseShortcut_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<bool>("refused");

        QTest::newRow("web address, stored without its /")
            << shortcut("http://zeitung.example/") << QStringList { u"http://zeitung.example"_s }
            << QStringList { u"http://zeitung.example"_s, u"http://alt.example"_s } << false;
        QTest::newRow("listed address moves up")
            << shortcut("HTTP://ALT.EXAMPLE") << QStringList { u"HTTP://ALT.EXAMPLE"_s }
            << QStringList { u"HTTP://ALT.EXAMPLE"_s } << false;
        QTest::newRow("local program is refused")
            << shortcut("file:///usr/bin/xterm") << QStringList() << QStringList { u"http://alt.example"_s } << true;
        QTest::newRow("script is refused")
            << shortcut("javascript:alert(1)") << QStringList() << QStringList { u"http://alt.example"_s } << true;
        QTest::newRow("no address: nothing") << QByteArray("[InternetShortcut]\r\n") << QStringList()
                                             << QStringList { u"http://alt.example"_s } << false;
    }

    void chooseShortcut()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, refused);
        const QString folder = Shell::instance().favoritesFolder();
        QVERIFY(QDir().mkpath(folder + u"Nachrichten"_s));
        QVERIFY(writeAll(folder + u"Nachrichten/Favorit.url"_s, content));
        SettingsStore::instance().writeString(TFavMRUList::Key(), u"HA"_s, u"http://alt.example"_s);
        createForm();
        m_fx.form->engine->SetConnectionState(ExternalOnline);

        QMenu *list = control<QMenu>("ShellFavoritesMenu");
        popUp(list);
        QMenu *news = list->actions().first()->menu();
        QVERIFY(news);
        QCOMPARE(news->title(), u"Nachrichten"_s);
        news->actions().first()->trigger();

        QTEST(opened(), "opened");
        TFavMRUList stored;
        stored.Load(SettingsStore::instance());
        QTEST(stored.Items(), "history");
        QCOMPARE(m_messages.size(), refused ? 1 : 0);
        if (refused)
            QVERIFY(m_messages.first().contains(u"keine Web-Adresse"_s));
    }

    void offline_data()
    {
        QTest::addColumn<QString>("copy"); // below "URL", empty: none
        QTest::addColumn<bool>("importIt");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("download");

        const QString address = u"https://site.example"_s;
        QTest::newRow("the local copy opens") << u"site.example/index.html"_s << false
                                              << QStringList { u"URL/site.example/index.html"_s } << false << QString();
        QTest::newRow("no copy, import") << QString() << true << QStringList() << true << address;
        QTest::newRow("no copy, no import: the address")
            << QString() << false << QStringList { address } << true << QString();
    }

    void offline()
    {
        QFETCH(QString, copy);
        QFETCH(bool, importIt);
        if (!copy.isEmpty()) {
            const QString page = Folders::programFolder() + u"URL/"_s + copy;
            QVERIFY(QDir().mkpath(QFileInfo(page).path()));
            QVERIFY(writeAll(page, "<html></html>"));
        }
        const QString address = u"https://site.example"_s;
        createForm();
        QStringList downloads;
        m_fx.form->SetCommand(u"SiteDownload"_s, [this, &downloads] { downloads << m_fx.form->DownloadURL; });
        m_openOn.button = u"BtnLeaveOpen"_s;
        m_answer = importIt;

        TFavorites::OpenFavorite(*m_fx.form, address);

        QCOMPARE(m_openOn.shown, 1);
        QCOMPARE(m_openOn.label, address);
        QStringList shown = opened();
        shown.replaceInStrings(Folders::programFolder(), QString());
        QTEST(shown, "opened");
        QTEST(m_messages == QStringList { importQuestion(address) }, "asked");
        QFETCH(QString, download);
        QCOMPARE(downloads, download.isEmpty() ? QStringList() : QStringList { download });
    }

    void online()
    {
        const QString page = Folders::programFolder() + u"URL/site.example/index.htm"_s;
        QVERIFY(QDir().mkpath(QFileInfo(page).path()));
        QVERIFY(writeAll(page, "<html></html>"));
        createForm();
        int dials = 0;
        AnswerDial(*m_fx.form, Online, &dials);
        m_openOn.button = u"BtnShutDown"_s;
        TFavorites::OpenFavorite(*m_fx.form, u"http://site.example"_s);
        QCOMPARE(dials, 1);
        // Online the address itself opens, not the copy.
        QCOMPARE(opened(), QStringList { u"http://site.example"_s });
        QVERIFY(m_messages.isEmpty());
    }

    void otherItems()
    {
        createForm();
        QStringList downloads;
        m_fx.form->DownloadURL = u"http://vorher.example"_s;
        m_fx.form->SetCommand(u"SiteDownload"_s, [this, &downloads] { downloads << m_fx.form->DownloadURL; });
        action("MIDownloadURL")->trigger();
        QCOMPARE(downloads, QStringList { QString() }); // with an empty address

        action("MIAdminFavos")->trigger();
        const QString folder = Shell::instance().favoritesFolder();
        QCOMPARE(m_fx.shell->foldersShown, QStringList { folder });
        QVERIFY(folder.startsWith(m_fx.home->path()));
        QVERIFY(QFileInfo(folder).isDir());

        int page = -1;
        QTimer::singleShot(0, m_fx.form.get(), [&page] {
            auto *dialog = qobject_cast<TFormProgStart *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            page = dialog->findChild<QTabWidget *>(u"PageControl"_s)->currentIndex();
            dialog->findChild<QAbstractButton *>(u"BtnCancel"_s)->click();
        });
        action("MIOpenFavos")->trigger();
        QCOMPARE(page, int(TFormProgStart::PageFavorites));
        QVERIFY(m_messages.isEmpty());
    }

    // "&Starten" on the local copies page opens the site's stored start page.
    void localCopiesPageStartsTheCopy()
    {
        const QString page = Folders::urlFolder() + u"site.example/default.htm"_s;
        QVERIFY(QDir().mkpath(QFileInfo(page).path()));
        QVERIFY(writeAll(page, "<html></html>"));
        createForm();
        QString url;
        QTimer::singleShot(0, m_fx.form.get(), [&url] {
            auto *dialog = qobject_cast<TFormProgStart *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto *tree = dialog->findChild<QTreeView *>(u"ShellTree"_s);
            auto *model = qobject_cast<QFileSystemModel *>(tree->model());
            tree->setCurrentIndex(model->index(Folders::urlFolder() + u"site.example"_s));
            url = dialog->findChild<QLineEdit *>(u"EditURL"_s)->text();
            dialog->findChild<QAbstractButton *>(u"BtnStart"_s)->click();
            dialog->findChild<QAbstractButton *>(u"BtnCancel"_s)->click();
        });
        action("MIOpenFavos")->trigger();
        QCOMPARE(url, u"site.example"_s);
        QCOMPARE(opened(), QStringList { QDir::cleanPath(page) });
        QVERIFY(m_messages.isEmpty());
    }

    void browserBookmarks()
    {
        const QString file = m_fx.file(u"Bookmarks"_s);
        QVERIFY(writeAll(file,
            "{\"roots\": {\"bookmark_bar\": {\"type\": \"folder\", \"children\": ["
            "{\"type\": \"url\", \"name\": \"Bahn\", \"url\": \"https://bahn.example/\"}]}}}"));
        TFavorites::FindBrowsers = [file] {
            return QList<BrowserBookmarks::TSource> { { u"Chromium-Lesezeichen"_s, BrowserBookmarks::Kind::Chromium,
                file } };
        };
        createForm();
        m_fx.form->engine->SetConnectionState(ExternalOnline);
        popUp(favorites());
        const QList<QAction *> actions = favorites()->actions();
        QCOMPARE(actions.at(0)->objectName(), u"PMIFavoriteList"_s);
        QMenu *browser = actions.at(1)->menu();
        QVERIFY(browser);
        QCOMPARE(browser->title(), u"Chromium-Lesezeichen"_s);
        // Opened again: the same one menu.
        popUp(favorites());
        QCOMPARE(favorites()->actions().size(), actions.size());

        popUp(browser);
        QMenu *bar = browser->actions().first()->menu();
        QCOMPARE(bar->title(), u"Lesezeichenleiste"_s);
        QCOMPARE(bar->actions().first()->toolTip(), u"https://bahn.example/"_s);
        bar->actions().first()->trigger();
        QCOMPARE(opened(), QStringList { u"https://bahn.example"_s });
        popUp(favorites());
        QCOMPARE(action("FavMRUList0")->text(), u"&1 https://bahn.example"_s);
    }

    void startProgramTest()
    {
        // "&Testen" of the settings dialog goes the favourites' way.
        const QString program = m_fx.file(u"editor"_s);
        QVERIFY(writeAll(program, "#!/bin/sh\n"));
        QVERIFY(TextFile::writeLines(m_fx.file(StartProgramList::FileName()), { u"Editor;"_s + program + u";-n"_s }));
        createForm();
        m_openOn.button = u"BtnLeaveOpen"_s;
        QTimer::singleShot(0, m_fx.form.get(), [] {
            auto *dialog = qobject_cast<TFormProgStart *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->findChild<QAbstractButton *>(u"BtnTest"_s)->click();
            dialog->findChild<QAbstractButton *>(u"BtnCancel"_s)->click();
        });
        m_fx.form->RunCommand(u"EditStartPrograms"_s);
        QCOMPARE(m_openOn.shown, 1);
        QCOMPARE(m_messages, QStringList { importQuestion(program) });
        QCOMPARE(opened(), QStringList { program }); // the path alone, without parameters
        QCOMPARE(m_fx.shell->opened.first().parameters, QString());
    }

private:
    void createForm()
    {
        m_fx.createForm();
        m_messages.clear(); // without the missing module's notice
        m_openOn = OpenOnAnswer();
        WhenOpenOnShows(*m_fx.form, m_openOn);
    }

    // Opening a menu builds its dynamic part.
    static void popUp(QMenu *menu)
    {
        menu->popup(QPoint(10, 10));
        menu->hide();
    }

    template <typename T> T *control(const char *name) const
    {
        auto *object = m_fx.form->findChild<T *>(QLatin1String(name));
        if (!object)
            qFatal("no control %s", name);
        return object;
    }

    QAction *action(const char *name) const { return control<QAction>(name); }
    QMenu *favorites() const { return control<QMenu>("PMFavorites"); }

    QStringList opened() const
    {
        QStringList list;
        for (const auto &o : m_fx.shell->opened)
            list << o.target;
        return list;
    }

    MainWindowFixture m_fx;
    QStringList m_messages;
    bool m_answer = false;
    OpenOnAnswer m_openOn;
};

QTEST_MAIN(TestFavorites)
#include "tst_favorites.moc"
