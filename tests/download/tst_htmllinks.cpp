// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HtmlLinks.h"
#include "RobotsTxt.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString kindName(TLinkKind kind)
{
    switch (kind) {
    case TLinkKind::Page: return u"page"_s;
    case TLinkKind::Embedded: return u"embedded"_s;
    case TLinkKind::Base: return u"base"_s;
    }
    return {};
}

QStringList describe(const HtmlLinks::Result &result)
{
    QStringList lines;
    for (const TLinkRef &link : result.Links)
        lines << kindName(link.Kind) + u' ' + link.Text;
    return lines;
}

} // namespace

// Links found by the HTML5 parser, and their rewriting in place.
class TestHtmlLinks : public QObject
{
    Q_OBJECT

private slots:
    void extract_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("anchors and areas")
            << QByteArray("<a href=\"a.html\">a</a><map><area href='b.html'></map><a name=x>no link</a>")
            << QStringList{u"page a.html"_s, u"page b.html"_s};
        QTest::newRow("frames and iframes")
            << QByteArray("<frameset><frame src=f.html></frameset>")
            << QStringList{u"page f.html"_s};
        QTest::newRow("iframe") << QByteArray("<p><iframe src=\"i.html\"></iframe>") << QStringList{u"page i.html"_s};
        QTest::newRow("images with srcset")
            << QByteArray("<img src=\"a.png\" srcset=\"a.png 1x, b,c.png 2x,d.png\">")
            << QStringList{u"embedded a.png"_s, u"embedded a.png"_s, u"embedded b,c.png"_s, u"embedded d.png"_s};
        QTest::newRow("picture sources")
            << QByteArray("<picture><source srcset=\"w.png 100w\"><img src=p.png></picture>")
            << QStringList{u"embedded w.png"_s, u"embedded p.png"_s};
        QTest::newRow("link relations")
            << QByteArray("<link rel=\"stylesheet\" href=\"s.css\"><link rel=\"Shortcut Icon\" href=\"i.ico\">"
                          "<link rel=\"next\" href=\"n.html\">")
            << QStringList{u"embedded s.css"_s, u"embedded i.ico"_s, u"page n.html"_s};
        QTest::newRow("base") << QByteArray("<base href=\"http://x.de/\"><a href=a>") << QStringList{u"base http://x.de/"_s, u"page a"_s};
        QTest::newRow("entities decoded, spaces and line breaks dropped")
            << QByteArray("<a href=\" a.php?x=1&amp;y=2\n \">") << QStringList{u"page a.php?x=1&y=2"_s};
        QTest::newRow("empty links are none") << QByteArray("<a href=\"\"><img src=' '><a href>") << QStringList();
        QTest::newRow("malformed markup")
            << QByteArray("<html><body><a href=good.html>gut<div><p><table><td><a href='b.html'>b<b><i><img src=x.png>")
            << QStringList{u"page good.html"_s, u"page b.html"_s, u"embedded x.png"_s};
        QTest::newRow("svg links are not followed")
            << QByteArray("<svg><a href=\"s.html\"><image href=\"s.png\"/></a></svg>") << QStringList();
        QTest::newRow("script text is no markup")
            << QByteArray("<script>document.write('<a href=\"js.html\">')</script><a href=x.html>")
            << QStringList{u"page x.html"_s};
    }

    void extract()
    {
        QFETCH(QByteArray, html);
        QFETCH(QStringList, links);
        const HtmlLinks::Result result = HtmlLinks::Extract(html);
        QVERIFY(result.Parsed);
        QCOMPARE(describe(result), links);
    }

    // Only the link texts change; every other byte stays as it was.
    void rewrite_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("quote styles")
            << QByteArray("<A HREF=\"a.html\" class=x>1</A>\r\n<a  href = 'b.html' >2</a><a href=c.html>3</a>")
            << QByteArray("<A HREF=\"[a.html]\" class=x>1</A>\r\n<a  href = '[b.html]' >2</a><a href=[c.html]>3</a>");
        QTest::newRow("comments, entities and odd bytes untouched")
            << QByteArray("<!-- <a href=\"no.html\"> -->\xe4\xf6<p title=\"&quot;\">&nbsp;<img src=\"i.png\"\tsrcset=\"i.png 1x,  j.png 2x\">")
            << QByteArray("<!-- <a href=\"no.html\"> -->\xe4\xf6<p title=\"&quot;\">&nbsp;<img src=\"[i.png]\"\tsrcset=\"[i.png] 1x,  [j.png] 2x\">");
        QTest::newRow("entity in the link is written anew")
            << QByteArray("<a href=\"a?x=1&amp;y=2\">") << QByteArray("<a href=\"[a?x=1&amp;y=2]\">");
        QTest::newRow("links in tables that the parser moves")
            << QByteArray("<table><a href=\"t.html\">x</a><tr><td><a href=u.html>y</table>")
            << QByteArray("<table><a href=\"[t.html]\">x</a><tr><td><a href=[u.html]>y</table>");
        // The parser places such a value behind its first reference: kept rather than half replaced.
        QTest::newRow("unquoted link that begins with an entity")
            << QByteArray("<a href=&amp;x.html>") << QByteArray("<a href=&amp;x.html>");
    }

    void rewrite()
    {
        QFETCH(QByteArray, html);
        QFETCH(QByteArray, expected);
        const HtmlLinks::Result result = HtmlLinks::Extract(html);
        const QByteArray out = HtmlLinks::Rewrite(html, result.Links, [&](qsizetype i) -> QString {
            return u'[' + result.Links.at(i).Text + u']';
        });
        QCOMPARE(out, expected);
    }

    void rewriteQuotesWhereNeeded()
    {
        const QByteArray html = "<a href=a.html>x</a><a href='b.html'>y</a><img srcset=c.png>";
        const HtmlLinks::Result result = HtmlLinks::Extract(html);
        QCOMPARE(result.Links.size(), 3);
        const QByteArray out = HtmlLinks::Rewrite(html, result.Links, [](qsizetype i) {
            return i == 1 ? u"it's.html"_s : u"a b.html"_s;
        });
        // An unquoted list item cannot take quotes of its own: it stays.
        QCOMPARE(out, QByteArray("<a href=\"a b.html\">x</a><a href='it&#39;s.html'>y</a><img srcset=c.png>"));
    }

    void rewriteKeepsUnchangedAndNullLinks()
    {
        const QByteArray html = "<a href=\"a.html\">x</a><a href=\"b.html\">y</a>";
        const HtmlLinks::Result result = HtmlLinks::Extract(html);
        QCOMPARE(HtmlLinks::Rewrite(html, result.Links, [](qsizetype i) { return i == 0 ? u"a.html"_s : QString(); }), html);
    }

    // Deep nesting makes the parser's work grow with the square of the depth;
    // such pages are stored but not parsed, and fast.
    void deepNestingIsNotParsed_data()
    {
        QTest::addColumn<QByteArray>("unit");
        QTest::addColumn<int>("count");
        QTest::newRow("divs") << QByteArray("<div>") << 200000;
        QTest::newRow("bold") << QByteArray("<b>") << 200000;
        QTest::newRow("tables") << QByteArray("<table><tr><td>") << 60000;
        QTest::newRow("stray end tags of other elements") << QByteArray("<span></div>") << 150000;
        QTest::newRow("end tags hidden in comments") << QByteArray("<div><!-- </div> -->") << 100000;
        QTest::newRow("end tags hidden in bogus comments") << QByteArray("<div><!</div>") << 100000;
        QTest::newRow("end tags hidden in escaped scripts") << QByteArray("<div><script><!--<script></div></script>-->")
                                                          << 40000;
    }

    void deepNestingIsNotParsed()
    {
        QFETCH(QByteArray, unit);
        QFETCH(int, count);
        const QByteArray page = "<a href=x.html>x</a>" + unit.repeated(count);
        QVERIFY(HtmlLinks::NestingCost(page) > HtmlLinks::MaxNestingCost);
        const HtmlLinks::Result result = HtmlLinks::Extract(page);
        QVERIFY(!result.Parsed);
        QVERIFY(result.Links.isEmpty());
    }

    void ordinaryPagesAreParsed_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("many closed sections")
            << QByteArray("<div><p><a href=a.html>a</a> <b>b</b></p></div>\n").repeated(20000);
        QTest::newRow("sloppy lists and tables")
            << (QByteArray("<ul>") + QByteArray("<li><a href=a.html>a</a>").repeated(20000) + QByteArray("</ul><table>")
                + QByteArray("<tr><td>x<td><a href=b.html>b</a>").repeated(20000) + QByteArray("</table>"));
        QTest::newRow("unclosed paragraphs and anchors") << QByteArray("<p><a href=c.html>c").repeated(30000);
    }

    void ordinaryPagesAreParsed()
    {
        QFETCH(QByteArray, page);
        QVERIFY(HtmlLinks::NestingCost(page) <= HtmlLinks::MaxNestingCost);
        const HtmlLinks::Result result = HtmlLinks::Extract(page);
        QVERIFY(result.Parsed);
        QVERIFY(!result.Links.isEmpty());
    }

    void robots_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("allowed");
        const QByteArray common = "User-agent: *\nDisallow: /private/\nAllow: /private/open.html\nDisallow: /*.cgi$\n"
                                  "Disallow: /tmp\n";
        QTest::newRow("outside the rules") << common << u"/index.html"_s << true;
        QTest::newRow("prefix") << common << u"/private/a.html"_s << false;
        QTest::newRow("longer allow wins") << common << u"/private/open.html"_s << true;
        QTest::newRow("wildcard with end anchor") << common << u"/bin/run.cgi"_s << false;
        QTest::newRow("anchor not at the end") << common << u"/bin/run.cgi?x=1"_s << true;
        QTest::newRow("plain prefix without slash") << common << u"/tmpfile.html"_s << false;
        QTest::newRow("our own group wins over *")
            << QByteArray("User-agent: *\nDisallow: /\n\nUser-agent: DW\nDisallow: /only-this/\n") << u"/x.html"_s << true;
        QTest::newRow("grouped agents")
            << QByteArray("User-agent: other\nUser-agent: dw/1.0\nDisallow: /x\n") << u"/x.html"_s << false;
        QTest::newRow("other agents' rules do not count")
            << QByteArray("User-agent: other\nDisallow: /\n") << u"/x.html"_s << true;
        QTest::newRow("empty disallow allows all") << QByteArray("User-agent: *\nDisallow:\n") << u"/x.html"_s << true;
        QTest::newRow("comments and CR LF")
            << QByteArray("# hallo\r\nUser-agent: * # alle\r\nDisallow: /a # nein\r\n") << u"/a/b"_s << false;
        QTest::newRow("garbage") << (QByteArray(1, '\0') + "\xff<html>not robots</html>") << u"/x.html"_s << true;
    }

    void robots()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, path);
        QFETCH(bool, allowed);
        QCOMPARE(TRobotsRules::Parse(text, u"DW"_s).Allowed(path), allowed);
    }
};

QTEST_GUILESS_MAIN(TestHtmlLinks)
#include "tst_htmllinks.moc"
