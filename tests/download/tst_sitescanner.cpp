// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LoopbackHttpServer.h"
#include "SiteFixture.h"
#include "SiteScanner.h"
#include "TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The scanner against a real HTTP server on the loopback addresses.
class TestSiteScanner : public QObject
{
    Q_OBJECT

private:
    LoopbackHttpServer m_server;
    bool m_otherHost = false;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    QString url(const QString &path) const { return m_server.url(path); }
    QByteArray urlBytes(const QByteArray &path) const { return m_server.urlBytes(path); }

    /// A scanner with the window's defaults, except that tests need no
    /// limit and huge.png is cut at the image bound.
    std::unique_ptr<TSiteScanner> scanner(const QString &path)
    {
        auto s = std::make_unique<TSiteScanner>();
        s->BaseURL = url(path);
        s->DestinationDir = m_root;
        s->MaxDownloadKB = 0;
        s->MaxImageBytes = 1024 * 1024;
        return s;
    }

    static bool run(TSiteScanner &s, int timeoutMs = 20000)
    {
        QSignalSpy done(&s, &TSiteScanner::OnProcessed);
        s.Start();
        return done.wait(timeoutMs) && done.size() == 1;
    }

    QStringList files() const
    {
        QStringList list;
        QDirIterator it(m_root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            list << QDir(m_root).relativeFilePath(it.next());
        list.sort();
        return list;
    }

    qint64 storedBytes() const
    {
        qint64 total = 0;
        for (const QString &file : files())
            total += QFileInfo(m_root + u'/' + file).size();
        return total;
    }

    QByteArray stored(const QString &file) const { return readAll(m_root + u'/' + file); }

    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }

private slots:
    void initTestCase()
    {
        m_otherHost = m_server.start({QHostAddress(u"127.0.0.1"_s), QHostAddress(u"127.0.0.2"_s)});
        if (!m_otherHost)
            QVERIFY(m_server.start());
        SiteFixture::install(m_server);
        // Pages of the size limit test: one page with eight images of 100,000 bytes.
        QByteArray big;
        for (int i = 1; i <= 8; ++i) {
            big += "<img src=\"i" + QByteArray::number(i) + ".png\">";
            LoopbackHttpServer::Response image;
            image.contentType = "image/png";
            image.body = QByteArray(100000, char('0' + i));
            m_server.route("/big/i" + QByteArray::number(i) + ".png", image);
        }
        m_server.page("/big/", big);
        // Redirects by every status, and away to another host.
        for (const int status : {301, 302, 303, 307, 308}) {
            const QByteArray code = QByteArray::number(status);
            m_server.redirect("/redir/" + code, "t" + code + ".html", status);
            m_server.page("/redir/t" + code + ".html", SiteFixture::html("Ziel", code));
        }
        // Connections that break in the middle of the answer, twice and three times.
        for (const int times : {2, 3}) {
            LoopbackHttpServer::Response flaky;
            flaky.body = SiteFixture::html("Wackelig", "<p>da</p>");
            flaky.closeTimes = times;
            m_server.route("/flaky" + QByteArray::number(times) + ".html", flaky);
        }
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->filePath(u"URL"_s);
    }

    void defaultRules()
    {
        auto s = scanner(u"/site/"_s);
        QSignalSpy added(s.get(), &TSiteScanner::OnAddItem);
        QSignalSpy progress(s.get(), &TSiteScanner::OnProgress);
        QVERIFY(run(*s));
        QCOMPARE(s->State(), DS_PROCESSED);
        QCOMPARE(files(), sorted(SiteFixture::defaultFiles()));
        QCOMPARE(s->ItemCount(), progress.size());
        QCOMPARE(s->ItemCount(), SiteFixture::defaultFiles().size());
        QCOMPARE(s->ImageCount(), 6);
        QVERIFY(s->BytesPerSecond() > 0);

        const QStringList requests = m_server.requests();
        const QString log = requests.join(u'\n');
        // The escapes never reach the server: refused and counted.
        for (const char *never : {"evil", "%00", "C:", "xxxx", "/site/private/", "/deeper/d.html", "/outside.html", "127.0.0.2"})
            QVERIFY2(!log.contains(QLatin1String(never)), never);
        QVERIFY(s->SkippedCount() >= 6); // 4 escapes, the chain of 12, huge.png
        QCOMPARE(m_server.requestCount(u"/robots.txt"_s), 1);
        QVERIFY(m_server.userAgents().count(u"DW"_s) == requests.size());
        // huge.png stopped at the image bound, far below its 20 MB.
        QVERIFY(m_server.bytesSent() < 8 * 1024 * 1024);

        // The tree: pages nested under the page that first linked them.
        const QList<TSiteItem *> &tree = s->Tree();
        QCOMPARE(tree.size(), 1);
        TSiteItem *start = tree.first();
        QCOMPARE(start->URL.toString(), url(u"/site/"_s));
        QVERIFY(start->IsTreeLink);
        QVERIFY(start->Fetched);
        QCOMPARE(start->FileType, TFileType::Html);
        for (const TSiteItem *item : s->AllItems()) {
            // Pages are tree links, images shown by a page are not.
            if (item->FileType == TFileType::Html)
                QVERIFY(item->IsTreeLink);
            if (item->URL.path().endsWith(u"logo.png"_s))
                QVERIFY(!item->IsTreeLink);
            if (item != start)
                QCOMPARE(item->Level, item->UpperItem->Level + 1);
        }
        QCOMPARE(added.size(), s->AllItems().size());
    }

    void depth_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QStringList>("expected");
        const QStringList level0 = {u"127.0.0.1/site/index.html"_s, u"127.0.0.1/site/img/logo.png"_s,
                                    u"127.0.0.1/site/img/logo2x.png"_s, u"127.0.0.1/site/img/icon.png"_s,
                                    u"127.0.0.1/up.png"_s};
        const QStringList level1 = level0
            + QStringList{u"127.0.0.1/site/a.html"_s, u"127.0.0.1/site/frame.html"_s, u"127.0.0.1/site/bad.html"_s,
                          u"127.0.0.1/site/target.html"_s, u"127.0.0.1/site/img/bad.png"_s};
        const QStringList level2 = level1 + QStringList{u"127.0.0.1/site/good.html"_s, u"127.0.0.1/site/sub/b.html"_s};
        const QStringList level3
            = level2 + QStringList{u"127.0.0.1/site/sub/deeper/c.html"_s, u"127.0.0.1/site/sub/deeper/c.png"_s};
        QTest::newRow("0: the start page and its images") << 0 << level0;
        QTest::newRow("1") << 1 << level1;
        QTest::newRow("2") << 2 << level2;
        QTest::newRow("3: images of the deepest pages too") << 3 << level3;
        QTest::newRow("4") << 4 << level3 + QStringList{u"127.0.0.1/site/sub/deeper/d.html"_s};
    }

    void depth()
    {
        QFETCH(int, depth);
        QFETCH(QStringList, expected);
        auto s = scanner(u"/site/"_s);
        s->Depth = depth;
        s->ItemTimeLimitMs = 200; // slow.html is not waited for
        QVERIFY(run(*s));
        QCOMPARE(files(), sorted(expected));
    }

    void otherSitesAndFolders()
    {
        if (!m_otherHost)
            QSKIP("127.0.0.2 cannot be bound here");
        auto s = scanner(u"/site/"_s);
        s->LoadOtherSites = true;
        s->Depth = 1;
        s->ItemTimeLimitMs = 200;
        QVERIFY(run(*s));
        const QStringList stored = files();
        QVERIFY(stored.contains(u"127.0.0.2/other/page2.html"_s));
        QVERIFY(stored.contains(u"127.0.0.1/outside.html"_s));
        QVERIFY(!stored.contains(u"127.0.0.1/site/private/secret.html"_s));
        // Each host's own robots.txt is asked for.
        QVERIFY(m_server.requests().contains(u"127.0.0.2 /robots.txt"_s));
    }

    void robotsCanBeIgnored()
    {
        const qsizetype before = m_server.requestCount(u"/robots.txt"_s);
        auto s = scanner(u"/site/"_s);
        s->ObeyRobots = false;
        s->Depth = 1;
        s->ItemTimeLimitMs = 200;
        QVERIFY(run(*s));
        QVERIFY(files().contains(u"127.0.0.1/site/private/secret.html"_s));
        QCOMPARE(m_server.requestCount(u"/robots.txt"_s), before);
    }

    void sizeLimit_data()
    {
        QTest::addColumn<int>("maxKB");
        QTest::addColumn<int>("connections");
        QTest::newRow("no limit") << 0 << 4;
        QTest::newRow("500 KB, one connection") << 500 << 1;
        QTest::newRow("500 KB, four connections") << 500 << 4;
    }

    void sizeLimit()
    {
        QFETCH(int, maxKB);
        QFETCH(int, connections);
        auto s = scanner(u"/big/"_s);
        s->MaxDownloadKB = maxKB;
        s->MaxConnections = connections;
        const qsizetype before = m_server.requests().size();
        QVERIFY(run(*s));
        const QStringList stored = files();
        const QStringList requested = m_server.requests().mid(before).filter(u"/big/i"_s);
        if (maxKB == 0) {
            QCOMPARE(stored.size(), 9);
            QCOMPARE(s->TotalBytes(), storedBytes());
            return;
        }
        // Everything stored fits the limit; the item that crossed it is dropped.
        QVERIFY(storedBytes() <= 512000);
        QVERIFY(stored.size() >= 2);
        QVERIFY(stored.size() < 9);
        if (connections == 1) {
            // Page and five images make 500,0xx bytes: the sixth still starts,
            // passes 512,000 bytes and is cut off; no further one starts.
            QCOMPARE(stored.size(), 6);
            QCOMPARE(requested.size(), 6);
        }
    }

    void linkConversion_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray base = urlBytes("/conv/deep/");
        const QByteArray page = "<html><head><base href=\"" + base
            + "\"><title>K</title></head>\r\n<body><a href=\"a.html#s2\">A</a> <a href='" + base
            + "b.html'>B</a> <a href=missing.html>M</a>\n<img src=\"/conv/pic.png\" srcset=\"/conv/pic.png 1x, pic2.png 2x\">"
              " <a href=\"#top\">T</a> <a href=\"mailto:x@y.de\">P</a> <a href=\"sub/\">S</a>"
              " <a href=\"../top.html\">Oben</a> &auml;</body></html>";
        m_server.page("/conv/deep/", page);
        m_server.page("/conv/deep/a.html", "a");
        m_server.page("/conv/deep/b.html", "b");
        m_server.page("/conv/deep/sub/", "s");
        m_server.page("/conv/top.html", "t");
        m_server.route("/conv/pic.png", SiteFixture::image("p"));
        m_server.route("/conv/deep/pic2.png", SiteFixture::image("q"));
        // Only link texts change; everything else stays byte for byte.
        auto swap = [](QByteArray text, const QList<std::pair<QByteArray, QByteArray>> &pairs) {
            for (const auto &[from, to] : pairs) {
                Q_ASSERT(text.contains(from));
                text.replace(from, to);
            }
            return text;
        };
        const QByteArray pic = urlBytes("/conv/pic.png");
        const QByteArray online = swap(
            page, {{"\"a.html#s2\"", "\"" + base + "a.html#s2\""},
                   {"href=missing.html", "href=" + base + "missing.html"},
                   {"\"/conv/pic.png\" srcset=\"/conv/pic.png 1x, pic2.png 2x\"",
                    "\"" + pic + "\" srcset=\"" + pic + " 1x, " + base + "pic2.png 2x\""},
                   {"\"sub/\"", "\"" + base + "sub/\""},
                   {"\"../top.html\"", "\"" + urlBytes("/conv/top.html") + "\""}});
        const QByteArray offline = swap(
            page, {{"<base href=\"" + base + "\">", "<base href=\"\">"},
                   {"'" + base + "b.html'", "'b.html'"},
                   {"href=missing.html", "href=" + base + "missing.html"},
                   {"\"/conv/pic.png\" srcset=\"/conv/pic.png 1x", "\"../pic.png\" srcset=\"../pic.png 1x"},
                   {"\"sub/\"", "\"sub/index.html\""},
                   {"\"../top.html\"", "\"" + urlBytes("/conv/top.html") + "\""}});
        QTest::newRow("none: as fetched") << int(lcNone) << page;
        QTest::newRow("online: every link absolute") << int(lcOnline) << online;
        QTest::newRow("offline: local where stored, else online") << int(lcOffline) << offline;
    }

    void linkConversion()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, expected);
        auto s = scanner(u"/conv/deep/"_s);
        s->LinkConversion = TLinkConversion(mode);
        QVERIFY(run(*s));
        QCOMPARE(stored(u"127.0.0.1/conv/deep/index.html"_s), expected);
        QVERIFY(files().contains(u"127.0.0.1/conv/pic.png"_s));
        QVERIFY(!files().contains(u"127.0.0.1/conv/top.html"_s));
    }

    void redirects_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("expected");
        for (const int status : {301, 302, 303, 307, 308})
            QTest::addRow("%d", status) << u"/redir/%1"_s.arg(status)
                                        << QStringList{u"127.0.0.1/redir/t%1.html"_s.arg(status)};
        QTest::newRow("chain of three") << u"/site/r1"_s << QStringList{u"127.0.0.1/site/target.html"_s};
        QTest::newRow("loop") << u"/site/loopA"_s << QStringList();
        QTest::newRow("chain of twelve") << u"/site/long0"_s << QStringList();
    }

    void redirects()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, expected);
        auto s = scanner(start);
        s->Depth = 0;
        QVERIFY(run(*s));
        QCOMPARE(files(), expected);
    }

    void itemCountIsBounded()
    {
        auto s = scanner(u"/site/"_s);
        s->MaxItems = 3;
        s->ItemTimeLimitMs = 200;
        QVERIFY(run(*s));
        QCOMPARE(s->AllItems().size(), 3);
        QCOMPARE(files().size(), 3);
        QVERIFY(s->SkippedCount() > 0);
    }

    void redirectToAnotherHostIsRefused()
    {
        m_server.redirect("/away", m_server.urlBytes("/other/page2.html", "127.0.0.2"));
        auto s = scanner(u"/away"_s);
        QVERIFY(run(*s));
        QCOMPARE(files(), QStringList());
        QCOMPARE(s->SkippedCount(), 1);
    }

    void retries_data()
    {
        QTest::addColumn<int>("breaks");
        QTest::addColumn<bool>("fetched");
        QTest::newRow("broken twice: the second retry gets it") << 2 << true;
        QTest::newRow("broken three times: given up") << 3 << false;
    }

    void retries()
    {
        QFETCH(int, breaks);
        QFETCH(bool, fetched);
        auto s = scanner(u"/flaky%1.html"_s.arg(breaks));
        s->ObeyRobots = false;
        QVERIFY(run(*s));
        QCOMPARE(!files().isEmpty(), fetched);
        // A start page that cannot be reached ends the task in error.
        QCOMPARE(s->State(), fetched ? DS_PROCESSED : DS_ERROR);
    }

    void slowAnswers()
    {
        // No answer within the connection time-out: tried three times.
        auto s = scanner(u"/site/slow.html"_s);
        s->ObeyRobots = false;
        s->ConnectTimeoutMs = 150;
        const qsizetype before = m_server.requestCount(u"/site/slow.html"_s);
        QVERIFY(run(*s));
        QCOMPARE(s->State(), DS_ERROR);
        QCOMPARE(m_server.requestCount(u"/site/slow.html"_s) - before, 3);
        // Beyond the time for one item: dropped, not retried.
        auto t = scanner(u"/site/slow.html"_s);
        t->ObeyRobots = false;
        t->ItemTimeLimitMs = 150;
        QVERIFY(run(*t));
        QCOMPARE(files(), QStringList());
        QCOMPARE(t->SkippedCount(), 1);
    }

    void strongUpdate_data()
    {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("overwrite") << true;
        QTest::newRow("keep existing files") << false;
    }

    void strongUpdate()
    {
        QFETCH(bool, overwrite);
        const QString existing = m_root + u"/127.0.0.1/redir/t301.html"_s;
        QDir().mkpath(QFileInfo(existing).absolutePath());
        QVERIFY(writeAll(existing, "alt"));
        auto s = scanner(u"/redir/301"_s);
        s->StrongUpdate = overwrite;
        QVERIFY(run(*s));
        QCOMPARE(readAll(existing) == "alt", !overwrite);
    }

    void withoutSavingNothingIsWritten()
    {
        auto s = scanner(u"/site/"_s);
        s->SaveFiles = false;
        s->Depth = 1;
        s->ItemTimeLimitMs = 200;
        QVERIFY(run(*s));
        QCOMPARE(QDir(m_root).exists(), false);
        QVERIFY(s->ItemCount() >= 10);
    }

    void stopKeepsAndConvertsWhatArrived()
    {
        auto s = scanner(u"/site/"_s);
        QSignalSpy done(s.get(), &TSiteScanner::OnProcessed);
        QSignalSpy progress(s.get(), &TSiteScanner::OnProgress);
        s->Start();
        QTRY_VERIFY(s->AllItems().first()->Fetched);
        s->Stop();
        QCOMPARE(s->State(), DS_PROCESSED);
        const QByteArray index = stored(u"127.0.0.1/site/index.html"_s);
        // Links to what was not fetched point online.
        QVERIFY(index.contains(urlBytes("/site/private/secret.html")));
        QTest::qWait(100);
        QCOMPARE(done.size(), 0);
        const qsizetype seen = progress.size();
        QTest::qWait(100);
        QCOMPARE(progress.size(), seen);
    }

    void startFails_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("no host") << u"http://"_s;
        QTest::newRow("nobody listening") << u"http://127.0.0.1:1/"_s;
        QTest::newRow("not a web address") << u"ftp://127.0.0.1/"_s;
    }

    void startFails()
    {
        QFETCH(QString, address);
        TSiteScanner s;
        s.BaseURL = address;
        s.DestinationDir = m_root;
        s.ObeyRobots = false;
        QVERIFY(run(s));
        QCOMPARE(s.State(), DS_ERROR);
        QCOMPARE(s.ItemCount(), 0);
        QCOMPARE(files(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSiteScanner)
#include "tst_sitescanner.moc"
