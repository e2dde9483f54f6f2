// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SiteNames.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
void put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY(writeAll(path, bytes));
}
} // namespace

// Where a URL's copy lies below the "URL" folder; the server chooses the
// names, so every way out of the folder must be refused.
class TestSiteNames : public QObject
{
    Q_OBJECT

private slots:
    void localFileName_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("defaultName");
        QTest::addColumn<bool>("html");
        QTest::addColumn<QString>("expected");

        const QString index = u"index.html"_s;
        QTest::newRow("host only gets the default name") << u"http://www.example.com"_s << index << true << u"www.example.com/index.html"_s;
        QTest::newRow("host with slash") << u"http://www.example.com/"_s << index << true << u"www.example.com/index.html"_s;
        QTest::newRow("segment without dot is a folder") << u"http://h.de/docs"_s << index << true << u"h.de/docs/index.html"_s;
        QTest::newRow("trailing slash is a folder") << u"http://h.de/docs/"_s << u"default.htm"_s << true << u"h.de/docs/default.htm"_s;
        QTest::newRow("image keeps its name") << u"http://h.de/a/b.gif"_s << index << false << u"h.de/a/b.gif"_s;
        QTest::newRow("query characters become _, .htm added")
            << u"http://h.de/page.php?id=3&x=y"_s << index << true << u"h.de/page.php_id_3_x_y.htm"_s;
        QTest::newRow("query without dot is a folder") << u"http://h.de/cgi?x=1"_s << index << true << u"h.de/cgi_x_1/index.html"_s;
        QTest::newRow("percent and at become _") << u"http://h.de/a%20b@c.html"_s << index << true << u"h.de/a_20b_c.html"_s;
        QTest::newRow("upper-case HTM extension kept") << u"http://h.de/A.HTM"_s << index << true << u"h.de/A.HTM"_s;
        QTest::newRow("shtml holds HTM") << u"http://h.de/a.shtml"_s << index << true << u"h.de/a.shtml"_s;
        QTest::newRow("asp page gets .htm") << u"http://h.de/a.asp"_s << index << true << u"h.de/a.asp.htm"_s;
        QTest::newRow("default name without HTM gets .htm") << u"http://h.de/"_s << u"start"_s << true << u"h.de/start.htm"_s;
        QTest::newRow("image named like a folder") << u"http://h.de/pic"_s << index << false << u"h.de/pic/index.html"_s;
        QTest::newRow("unsafe default name falls back") << u"http://h.de/"_s << u"../x.html"_s << true << u"h.de/index.html"_s;
        QTest::newRow("https, case, default port") << u"HTTPS://Host.Example.COM:443/x.html"_s << index << true << u"host.example.com/x.html"_s;
        QTest::newRow("port is not part of the name") << u"http://h.de:8080/x.html"_s << index << true << u"h.de/x.html"_s;
        QTest::newRow("user is dropped") << u"http://user:pw@h.de/x.html"_s << index << true << u"h.de/x.html"_s;
        QTest::newRow("fragment is dropped") << u"http://h.de/x.html#teil"_s << index << true << u"h.de/x.html"_s;
        QTest::newRow("empty segments collapse") << u"http://h.de//a///b.png"_s << index << false << u"h.de/a/b.png"_s;
        // Dot segments are resolved as a browser would, never above the host.
        QTest::newRow("dot-dot stays below the host") << u"http://h.de/a/../../../b.html"_s << index << true << u"h.de/b.html"_s;
        QTest::newRow("encoded dot-dot stays below the host")
            << u"http://h.de/%2e%2e/%2E%2E/etc/passwd"_s << index << false << u"h.de/etc/passwd/index.html"_s;
        // Refused.
        QTest::newRow("backslash") << u"http://h.de/..%5C..%5Cx.html"_s << index << true << QString();
        QTest::newRow("literal backslash") << u"http://h.de/a\\..\\..\\x.html"_s << index << true << QString();
        QTest::newRow("NUL") << u"http://h.de/a%00.html"_s << index << true << QString();
        QTest::newRow("control character") << u"http://h.de/a%0A.html"_s << index << true << QString();
        QTest::newRow("drive letter") << u"http://h.de/C:/x.html"_s << index << true << QString();
        QTest::newRow("over-long segment") << u"http://h.de/"_s + QString(300, u'x') + u".html"_s << index << true << QString();
        QTest::newRow("name too long after .htm") << u"http://h.de/"_s + QString(252, u'x') + u".php"_s << index << true << QString();
        QTest::newRow("dot-dot hidden in the query") << u"http://h.de/a?x=/../../../etc"_s << index << true << QString();
        QTest::newRow("other scheme") << u"ftp://h.de/x.html"_s << index << true << QString();
        QTest::newRow("file URL") << u"file:///etc/passwd"_s << index << true << QString();
        QTest::newRow("no host") << u"http:///x.html"_s << index << true << QString();
        QTest::newRow("relative") << u"../x.html"_s << index << true << QString();
    }

    void localFileName()
    {
        QFETCH(QString, url);
        QFETCH(QString, defaultName);
        QFETCH(bool, html);
        QFETCH(QString, expected);
        QCOMPARE(SiteNames::LocalFileName(QUrl(url), defaultName, html), expected);
    }

    void localFilePathStaysInside()
    {
        QTemporaryDir home;
        const QString root = home.filePath(u"URL"_s);
        const QString path = SiteNames::LocalFilePath(root, QUrl(u"http://h.de/a/../../b.html"_s), u"index.html"_s, true);
        QCOMPARE(path, QDir(root).absolutePath() + u"/h.de/b.html"_s);
        QVERIFY(SiteNames::IsInside(root, path));
        QVERIFY(!SiteNames::IsInside(root, root));
        QVERIFY(!SiteNames::IsInside(root, root + u"/../URL2/x"_s));
        QVERIFY(!SiteNames::IsInside(root, root + u"X/x"_s));
    }

    void localSiteFolder_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("folder");
        QTest::newRow("http with slash") << u"http://www.example.com/"_s << u"www.example.com"_s;
        QTest::newRow("prefix in capitals") << u"HTTP://WWW.Example.COM"_s << u"www.example.com"_s;
        QTest::newRow("https") << u"https://example.com/docs/"_s << u"example.com/docs"_s;
        QTest::newRow("trailing backslash") << u"http://example.com/docs\\"_s << u"example.com/docs"_s;
        QTest::newRow("query as in the file names") << u"http://example.com/a?b=c"_s << u"example.com/a_b_c"_s;
        QTest::newRow("other prefix") << u"ftp://example.com"_s << QString();
        QTest::newRow("no prefix") << u"www.example.com"_s << QString();
        QTest::newRow("escape") << u"http://example.com/..%5Cx"_s << QString();
    }

    void localSiteFolder()
    {
        QFETCH(QString, address);
        QFETCH(QString, folder);
        QCOMPARE(SiteNames::LocalSiteFolder(address), folder);
    }

    // The site's own start page and the downloaded copy agree on the folder.
    void siteFolderHoldsTheStartFile()
    {
        const QString url = u"https://example.com/docs/"_s;
        QCOMPARE(SiteNames::LocalFileName(QUrl(url), u"index.html"_s, true),
                 SiteNames::LocalSiteFolder(url) + u"/index.html"_s);
    }

    void findLocalCopy()
    {
        QTemporaryDir home;
        const QString root = home.filePath(u"URL"_s);
        QCOMPARE(SiteNames::FindLocalCopy(root, u"http://example.com"_s), QString());
        put(root + u"/example.com/default.htm"_s, "d");
        QCOMPARE(SiteNames::FindLocalCopy(root, u"http://example.com/"_s), QDir(root).absolutePath() + u"/example.com/default.htm"_s);
        put(root + u"/example.com/index.html"_s, "i");
        QCOMPARE(SiteNames::FindLocalCopy(root, u"https://example.com"_s), QDir(root).absolutePath() + u"/example.com/index.html"_s);
        put(root + u"/example.com/index.htm"_s, "i");
        QCOMPARE(SiteNames::FindLocalCopy(root, u"HTTP://EXAMPLE.COM/"_s), QDir(root).absolutePath() + u"/example.com/index.htm"_s);
        QCOMPARE(SiteNames::FindLocalCopy(root, u"ftp://example.com"_s), QString());
    }

    // The favourites and the local copies page find a copy by its start page.
    void localCopy_data()
    {
        QTest::addColumn<QStringList>("files"); // below "URL"
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("found"); // below "URL"

        const QStringList all
            = { u"example.org/index.htm"_s, u"example.org/index.html"_s, u"example.org/default.htm"_s };
        QTest::newRow("index.htm first") << all << u"http://example.org"_s << u"example.org/index.htm"_s;
        QTest::newRow("then index.html") << all.mid(1) << u"http://example.org"_s << u"example.org/index.html"_s;
        QTest::newRow("then default.htm") << all.mid(2) << u"http://example.org"_s << u"example.org/default.htm"_s;
        QTest::newRow("no start page") << QStringList { u"example.org/seite.htm"_s } << u"http://example.org"_s
                                       << QString();
        QTest::newRow("https finds the copy") << all << u"https://example.org/"_s << u"example.org/index.htm"_s;
        QTest::newRow("prefix in capitals") << all << u"HTTP://example.org"_s << u"example.org/index.htm"_s;
        QTest::newRow("trailing backslash") << all << u"http://example.org\\"_s << u"example.org/index.htm"_s;
        QTest::newRow("other prefix finds none") << all << u"ftp://example.org"_s << QString();
        QTest::newRow("path below the host") << QStringList { u"example.org/doku/index.html"_s }
                                             << u"http://example.org/doku/"_s << u"example.org/doku/index.html"_s;
        QTest::newRow("never outside URL")
            << QStringList { u"../geheim/index.htm"_s } << u"http://../geheim"_s << QString();
        QTest::newRow("a file path") << all << u"/usr/bin/editor"_s << QString();
        QTest::newRow("a Windows file path") << all << u"C:\\Programme\\editor.exe"_s << QString();
        QTest::newRow("site folder name") << all << u"example.org"_s << u"example.org/index.htm"_s;
        QTest::newRow("site folder name with path") << QStringList { u"example.org/doku/default.htm"_s }
                                                    << u"example.org/doku"_s << u"example.org/doku/default.htm"_s;
        QTest::newRow("site folder name never outside URL")
            << QStringList { u"../geheim/index.htm"_s } << u"../geheim"_s << QString();
    }

    void localCopy()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, address);
        QFETCH(QString, found);
        QTemporaryDir home;
        const QString root = home.filePath(u"URL"_s);
        for (const QString &file : files)
            put(QDir::cleanPath(root + u'/' + file), "<html></html>");
        QCOMPARE(SiteNames::FindLocalCopy(root, address),
                 found.isEmpty() ? QString() : QDir(root).absolutePath() + u'/' + found);
    }
};

QTEST_GUILESS_MAIN(TestSiteNames)
#include "tst_sitenames.moc"
