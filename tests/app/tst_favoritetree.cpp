// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "BrowserBookmarks.h"
#include "FavMRUList.h"
#include "FavoriteTree.h"
#include "Folders.h"
#include "SettingsStore.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray shortcut(const QByteArray &url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

// "title" for a favourite, "title[...]" for a folder with its contents.
QString outline(const TFavoriteNode &folder)
{
    QStringList parts;
    for (const TFavoriteNode &node : folder.Children)
        parts << (node.Folder ? QString(node.Title + u'[' + outline(node) + u']')
                              : QString(node.Title + u'=' + node.Url));
    return parts.join(u", "_s);
}

// Fixture text with ' for " (a raw string confuses the moc scanner).
QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

bool execAll(QSqlDatabase &db, const QStringList &statements)
{
    QSqlQuery query(db);
    for (const QString &statement : statements) {
        if (!query.exec(statement)) {
            qWarning() << statement << query.lastError().text();
            return false;
        }
    }
    return true;
}

} // namespace

// Reading favourites: internet shortcut files, the favourites folder, the
// browsers' bookmarks, the history and where local copies are found.
class TestFavoriteTree : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_dir->path().toLocal8Bit());
        Folders::reset();
    }

    void shortcutUrl_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("url");

        QTest::newRow("plain") << shortcut("http://www.example.org/") << u"http://www.example.org/"_s;
        QTest::newRow("any letter case, LF, spaces")
            << QByteArray("[internetshortcut]\nurl = https://a.example/ \n") << u"https://a.example/"_s;
        QTest::newRow("after another section") << QByteArray(
            "[DEFAULT]\r\nBASEURL=http://x.example/\r\n[InternetShortcut]\r\nIconIndex=0\r\n"
            "URL=http://y.example/\r\n") << u"http://y.example/"_s;
        QTest::newRow("only in another section") << QByteArray("[Other]\r\nURL=http://x.example/\r\n") << QString();
        QTest::newRow("section ended before it")
            << QByteArray("[InternetShortcut]\r\n[Other]\r\nURL=http://x.example/\r\n") << QString();
        QTest::newRow("without URL=") << QByteArray("[InternetShortcut]\r\nIconFile=x.ico\r\n") << QString();
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("binary") << QByteArray("\x00\x01[InternetShortcut]\nURL=http://x\x00y\n", 35) << QString();
        QTest::newRow("UTF-8") << shortcut("http://b\xc3\xbc"
                                           "cher.example/")
                               << u"http://bücher.example/"_s;
        QTest::newRow("Windows-1252") << shortcut("http://b\xfc"
                                                  "cher.example/")
                                      << u"http://bücher.example/"_s;
    }

    void shortcutUrl()
    {
        QFETCH(QByteArray, content);
        QTEST(FavoriteTree::ShortcutUrl(content), "url");
    }

    void hugeShortcutIsReadOnlyAtItsStart()
    {
        const QString front = m_dir->filePath(u"front.url"_s);
        const QString back = m_dir->filePath(u"back.url"_s);
        const QByteArray padding(4 * 1024 * 1024, 'x');
        QVERIFY(writeAll(front, shortcut("http://front.example/") + padding));
        QVERIFY(writeAll(back, "[InternetShortcut]\r\nX=" + padding + "\r\nURL=http://back.example/\r\n"));
        QCOMPARE(FavoriteTree::ReadShortcutUrl(front), u"http://front.example/"_s);
        QCOMPARE(FavoriteTree::ReadShortcutUrl(back), QString());
        QCOMPARE(FavoriteTree::ReadShortcutUrl(m_dir->filePath(u"missing.url"_s)), QString());
    }

    void webAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("web");
        QTest::newRow("http") << u"http://www.example.org"_s << true;
        QTest::newRow("https, capitals") << u"HTTPS://www.example.org/a?b=c"_s << true;
        QTest::newRow("ftp") << u"ftp://ftp.example.org/pub"_s << true;
        QTest::newRow("local program") << u"file:///usr/bin/xterm"_s << false;
        QTest::newRow("script") << u"javascript:alert(1)"_s << false;
        QTest::newRow("mail") << u"mailto:a@example.org"_s << false;
        QTest::newRow("path") << u"/usr/bin/xterm"_s << false;
        QTest::newRow("drive path") << u"C:\\WINDOWS\\CALC.EXE"_s << false;
        QTest::newRow("http without host") << u"http:/etc/passwd"_s << false;
        QTest::newRow("empty") << QString() << false;
    }

    void webAddresses()
    {
        QFETCH(QString, address);
        QTEST(FavoriteTree::IsWebAddress(address), "web");
    }

    void folder()
    {
        const QString root = m_dir->filePath(u"Favoriten"_s);
        QVERIFY(QDir().mkpath(root + u"/Reisen"_s));
        QVERIFY(QDir().mkpath(root + u"/leer"_s));
        QVERIFY(writeAll(root + u"/Zeitung.url"_s, shortcut("http://zeitung.example/")));
        QVERIFY(writeAll(root + u"/abc.URL"_s, shortcut("https://abc.example/")));
        QVERIFY(writeAll(root + u"/kaputt.url"_s,
            QByteArray("\x7f"
                       "ELF\x00\x00",
                6)));
        QVERIFY(writeAll(root + u"/notizen.txt"_s, shortcut("http://txt.example/")));
        QVERIFY(writeAll(root + u"/Reisen/Bahn.url"_s, shortcut("https://bahn.example/")));
        // A link back to the favourites folder, and a pipe that would never end a read.
        QVERIFY(QFile::link(root, root + u"/Reisen/zurück"_s));
        QCOMPARE(mkfifo(QFile::encodeName(root + u"/pipe.url"_s).constData(), 0600), 0);

        const TFavoriteTree tree = FavoriteTree::ReadFolder(root);
        QCOMPARE(outline(tree.Root),
            u"leer[], Reisen[Bahn=https://bahn.example/], abc=https://abc.example/, kaputt=, "
            "Zeitung=http://zeitung.example/"_s);
        QVERIFY(!tree.Truncated);
        QCOMPARE(tree.Root.Children.back().File, root + u"/Zeitung.url"_s);
        QVERIFY(FavoriteTree::ReadFolder(m_dir->filePath(u"fehlt"_s)).Root.Children.empty());
    }

    void folderBounds()
    {
        // Deep nesting stops at the depth limit.
        QString deep = m_dir->filePath(u"tief"_s);
        for (int i = 0; i < 12; ++i)
            deep += u"/e%1"_s.arg(i);
        QVERIFY(QDir().mkpath(deep));
        TFavoriteLimits limits;
        limits.MaxDepth = 3;
        TFavoriteTree tree = FavoriteTree::ReadFolder(m_dir->filePath(u"tief"_s), limits);
        QCOMPARE(outline(tree.Root), u"e0[e1[e2[]]]"_s);
        QVERIFY(tree.Truncated);

        // Thousands of files: no more than the item limit is read.
        const QString many = m_dir->filePath(u"viele"_s);
        QVERIFY(QDir().mkpath(many));
        for (int i = 0; i < 2500; ++i)
            QVERIFY(writeAll(many + u"/f%1.url"_s.arg(i), shortcut("http://x.example/")));
        tree = FavoriteTree::ReadFolder(many);
        QCOMPARE(int(tree.Root.Children.size()), TFavoriteLimits().MaxItems);
        QVERIFY(tree.Truncated);
    }

    void history_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("list");

        QStringList eleven;
        for (int i = 1; i <= 11; ++i)
            eleven << u"http://s%1.example"_s.arg(i);
        QStringList tenNewest;
        for (int i = 11; i >= 2; --i)
            tenNewest << u"http://s%1.example"_s.arg(i);
        QTest::newRow("newest first") << QStringList { u"http://a"_s, u"http://b"_s }
                                      << QStringList { u"http://b"_s, u"http://a"_s };
        QTest::newRow("listed one moves to the top, any case") << QStringList { u"http://a"_s, u"http://b"_s,
            u"http://c"_s, u"HTTP://A"_s } << QStringList { u"HTTP://A"_s, u"http://c"_s, u"http://b"_s };
        QTest::newRow("the eleventh drops the oldest") << eleven << tenNewest;
    }

    void history()
    {
        QFETCH(QStringList, added);
        TFavMRUList list;
        for (const QString &address : added)
            list.Add(address);
        QTEST(list.Items(), "list");
    }

    void historyStorage()
    {
        FileSettingsStore store(m_dir->filePath(u"registry.reg"_s));
        TFavMRUList list;
        for (const QString &address : { u"http://c"_s, u"http://b"_s, u"http://a"_s })
            list.Add(address);
        QVERIFY(list.Save(store));
        const QString key = u"Software\\Kovatek\\Rufwerk\\RasBas\\MRUList"_s;
        QCOMPARE(store.readString(key, u"HA"_s), u"http://a"_s);
        QCOMPARE(store.readString(key, u"HC"_s), u"http://c"_s);

        TFavMRUList loaded;
        loaded.Load(store);
        QCOMPARE(loaded.Items(), list.Items());

        // A shorter list leaves no old entries behind.
        loaded.Clear();
        loaded.Add(u"http://z"_s);
        QVERIFY(loaded.Save(store));
        QCOMPARE(store.valueNames(key), QStringList { u"HA"_s });

        // Gaps in hand-edited values are closed.
        store.writeString(key, u"HD"_s, u"http://d"_s);
        loaded.Load(store);
        QCOMPARE(loaded.Items(), (QStringList { u"http://z"_s, u"http://d"_s }));
    }

    void historyCaptions_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("caption");
        QTest::newRow("first") << 0 << u"http://a.example"_s << u"&1 http://a.example"_s;
        QTest::newRow("ninth") << 8 << u"http://a.example"_s << u"&9 http://a.example"_s;
        QTest::newRow("tenth") << 9 << u"http://a.example"_s << u"&A http://a.example"_s;
        QTest::newRow("ampersand") << 0 << u"http://a.example/?x=1&y=2"_s << u"&1 http://a.example/?x=1&&y=2"_s;
        QTest::newRow("long address keeps start and end")
            << 0 << u"http://a.example/"_s + QString(100, u'x') + u"/ende"_s
            << u"&1 http://a.example/xxxxxxxxxxxx…xxxxxxxxxxxxxxxxxxxxxxxx/ende"_s;
    }

    void historyCaptions()
    {
        QFETCH(int, index);
        QFETCH(QString, address);
        QTEST(TFavMRUList::Caption(index, address), "caption");
    }

    void firefox()
    {
        const QString places = m_dir->filePath(u"places.sqlite"_s);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"fixture"_s);
            db.setDatabaseName(places);
            QVERIFY(db.open());
            QVERIFY(execAll(db,
                {
                    u"PRAGMA journal_mode=WAL"_s,
                    u"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT)"_s,
                    u"CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent INTEGER, "
                    "position INTEGER, title TEXT, guid TEXT)"_s,
                    u"INSERT INTO moz_places VALUES (1, 'http://news.example/'), (2, 'https://bahn.example/'), "
                    "(3, 'javascript:alert(1)'), (4, 'place:sort=8'), (5, 'http://tag.example/'), "
                    "(6, 'http://ohne-titel.example/')"_s,
                    u"INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'), "
                    "(2, 2, NULL, 1, 0, 'menu', 'menu________'), (3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____'), "
                    "(4, 2, NULL, 1, 2, 'tags', 'tags________'), (5, 2, NULL, 1, 3, 'unfiled', 'unfiled_____'), "
                    "(6, 2, NULL, 1, 4, 'mobile', 'mobile______'), "
                    "(10, 1, 1, 2, 0, 'Nachrichten', 'a1'), (11, 3, NULL, 2, 1, NULL, 'a2'), "
                    "(12, 2, NULL, 2, 2, 'Reisen', 'a3'), (13, 1, 2, 12, 0, 'Bahn', 'a4'), "
                    "(14, 1, 3, 2, 3, 'Skript', 'a5'), (15, 1, 4, 3, 0, 'Suche', 'a6'), "
                    "(16, 1, 5, 4, 0, 'markiert', 'a7'), (17, 1, 6, 5, 0, NULL, 'a8')"_s,
                }));
            // The browser is still running: its newest bookmark is only in the write-ahead log.
            QVERIFY(QFile::exists(places + u"-wal"_s));
            const QByteArray before = readAll(places);

            const TFavoriteTree tree = BrowserBookmarks::ReadFirefox(places);
            QCOMPARE(outline(tree.Root),
                u"Lesezeichen-Menü[Nachrichten=http://news.example/, Reisen[Bahn=https://bahn.example/]], "
                "Weitere Lesezeichen[http://ohne-titel.example/=http://ohne-titel.example/]"_s);
            QVERIFY(!tree.Truncated);
            QCOMPARE(readAll(places), before); // never written

            TFavoriteLimits small;
            small.MaxItems = 3;
            QVERIFY(BrowserBookmarks::ReadFirefox(places, small).Truncated);
        }
        QSqlDatabase::removeDatabase(u"fixture"_s);

        QVERIFY(writeAll(m_dir->filePath(u"kaputt.sqlite"_s), "kein SQLite"));
        QVERIFY(BrowserBookmarks::ReadFirefox(m_dir->filePath(u"kaputt.sqlite"_s)).Root.Children.empty());
        QVERIFY(BrowserBookmarks::ReadFirefox(m_dir->filePath(u"fehlt.sqlite"_s)).Root.Children.empty());
    }

    void chromium_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<bool>("truncated");

        QTest::newRow("roots, folders, only web addresses")
            << json("{'roots': {"
                    "'bookmark_bar': {'type': 'folder', 'name': 'Bookmarks bar', 'children': ["
                    "  {'type': 'url', 'name': 'A', 'url': 'https://a.example/'},"
                    "  {'type': 'folder', 'name': 'F', 'children': ["
                    "    {'type': 'url', 'name': 'B', 'url': 'http://b.example/'},"
                    "    {'type': 'url', 'name': 'S', 'url': 'javascript:void(0)'}]},"
                    "  {'type': 'folder', 'name': 'Leer', 'children': []}]},"
                    "'other': {'type': 'folder', 'children': [{'type': 'url', 'name': '', 'url': 'ftp://c.example/'}]},"
                    "'synced': {'type': 'folder', 'children': []}}}")
            << u"Lesezeichenleiste[A=https://a.example/, F[B=http://b.example/]], "
               "Weitere Lesezeichen[ftp://c.example/=ftp://c.example/]"_s
            << false;
        QTest::newRow("damaged file") << json("{'roots': {'bookmark_bar': ") << QString() << false;
        QTest::newRow("not an object") << QByteArray("[1, 2, 3]") << QString() << false;

        QByteArray deep = json("{'type': 'url', 'name': 'Tief', 'url': 'http://tief.example/'}");
        for (int i = 0; i < 30; ++i)
            deep = json("{'type': 'folder', 'name': 'e', 'children': [") + deep + "]}";
        QTest::newRow("nesting beyond the depth limit")
            << QByteArray(json("{'roots': {'other': ") + deep + "}}") << QString() << true;
    }

    void chromium()
    {
        QFETCH(QByteArray, content);
        const QString file = m_dir->filePath(u"Bookmarks"_s);
        QVERIFY(writeAll(file, content));
        const TFavoriteTree tree = BrowserBookmarks::ReadChromium(file);
        QTEST(outline(tree.Root), "tree");
        QTEST(tree.Truncated, "truncated");
    }

    void browsersFound()
    {
        const QString home = m_dir->filePath(u"home"_s);
        const QString config = home + u"/.config"_s;
        const QString mozilla = home + u"/.mozilla/firefox"_s;
        const QString elsewhere = m_dir->filePath(u"profil-woanders"_s);
        for (const QString &folder : QStringList { mozilla + u"/abc.default"_s, mozilla + u"/ohne.lesezeichen"_s,
                 elsewhere, config + u"/chromium/Default"_s, config + u"/chromium/Crashpad"_s,
                 config + u"/google-chrome/Profile 1"_s })
            QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeAll(mozilla + u"/profiles.ini"_s,
            "[General]\nStartWithLastProfile=1\n\n"
            "[Profile0]\nName=Privat\nIsRelative=1\nPath=abc.default\nDefault=1\n\n"
            "[Profile1]\nName=Leer\nIsRelative=1\nPath=ohne.lesezeichen\n\n"
            "[Profile2]\nName=Arbeit\nIsRelative=0\nPath="
                + QFile::encodeName(elsewhere) + "\n"));
        QVERIFY(writeAll(mozilla + u"/abc.default/places.sqlite"_s, ""));
        QVERIFY(writeAll(elsewhere + u"/places.sqlite"_s, ""));
        QVERIFY(writeAll(config + u"/chromium/Default/Bookmarks"_s, "{}"));
        QVERIFY(writeAll(config + u"/google-chrome/Profile 1/Bookmarks"_s, "{}"));

        QStringList found;
        for (const auto &source : BrowserBookmarks::Find(home, config))
            found << source.Title + u'|' + QFileInfo(source.File).fileName();
        QCOMPARE(found,
            (QStringList { u"Firefox-Lesezeichen (Privat)|places.sqlite"_s,
                u"Firefox-Lesezeichen (Arbeit)|places.sqlite"_s, u"Chromium-Lesezeichen|Bookmarks"_s,
                u"Chrome-Lesezeichen|Bookmarks"_s }));
        QVERIFY(BrowserBookmarks::Find(m_dir->filePath(u"niemand"_s), m_dir->filePath(u"niemand/.config"_s)).isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestFavoriteTree)
#include "tst_favoritetree.moc"
