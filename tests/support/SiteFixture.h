// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "LoopbackHttpServer.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

/**
 * Web sites for the site download, served by LoopbackHttpServer on
 * 127.0.0.1 (and 127.0.0.2 for "another host").
 */
namespace SiteFixture {

inline QByteArray png(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QPainter painter(&image);
    painter.setPen(colour.darker(160));
    painter.drawRect(0, 0, width - 1, height - 1);
    painter.drawLine(0, 0, width - 1, height - 1);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline LoopbackHttpServer::Response image(const QByteArray &bytes)
{
    LoopbackHttpServer::Response r;
    r.contentType = "image/png";
    r.body = bytes;
    return r;
}

/// A page with a title and the given body.
inline QByteArray html(const QByteArray &title, const QByteArray &body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head>\n<body>\n"
        + body + "\n</body></html>\n";
}

/**
 * The test site below "/site/", start address "/site/" (level 0); server
 * must be started, some links name its port:
 * - level 1: a.html, frame.html, bad.html (malformed), links to everything below;
 * - level 2: sub/b.html; level 3: sub/deeper/c.html with c.png; level 4: sub/deeper/d.html;
 * - images img/logo.png (also in srcset with img/logo2x.png), img/icon.png (link rel=icon),
 *   /up.png above the start folder (an image of the page, fetched all the same);
 * - /outside.html above the start folder and page2 on 127.0.0.2 (other host);
 * - private/secret.html, which robots.txt forbids;
 * - redirect chain r1 -> r2 -> r3 -> target.html, a loop, a chain of 12, 404 missing.html;
 * - slow.html (answers after 1500 ms), huge.png (20 MB);
 * - links built to leave the folder, which are refused.
 */
inline void install(LoopbackHttpServer &server)
{
    const QByteArray other = server.urlBytes("/other/page2.html", "127.0.0.2");
    server.page("/site/", html("Start",
                               "<h1>Start</h1>\n"
                               "<p><a href=\"a.html\">Seite A</a> <a href='frame.html'>Rahmen</a>"
                               " <a href=bad.html>Kaputt</a></p>\n"
                               "<img src=\"img/logo.png\" srcset=\"img/logo.png 1x, img/logo2x.png 2x\" alt=\"Logo\">\n"
                               "<link rel=\"icon\" href=\"img/icon.png\">\n"
                               "<img src=\"../up.png\">\n"
                               "<p><a href=\"../outside.html\">Draussen</a> <a href=\""
                                   + other
                                   + "\">Anderer Host</a>"
                                     " <a href=\"private/secret.html\">Geheim</a></p>\n"
                                     "<p><a href=\"r1\">Umleitung</a> <a href=\"loopA\">Schleife</a>"
                                     " <a href=\"long0\">Lange Kette</a> <a href=\"missing.html\">Fehlt</a></p>\n"
                                     "<p><a href=\"slow.html\">Langsam</a> <a href=\"huge.png\">Riesig</a></p>\n"
                                     "<p><a href=\"..\\..\\evil1.html\">x</a> <a href=\"%2e%2e/%2e%2e/evil2.html\">x</a>"
                                     " <a href=\"/site/a%00b.html\">x</a> <a href=\"/site/C:/evil3.html\">x</a>"
                                     " <a href=\"/site/"
                                   + QByteArray(300, 'x')
                                   + ".html\">x</a> <a href=\"mailto:info@example.com\">Post</a>"
                                     " <a href=\"#oben\">Oben</a> <a href=\"javascript:void(0)\">js</a></p>"));
    server.page("/site/a.html", html("A", "<p><a href=\"sub/b.html\">B</a> <a href=\"./\">Start</a></p>"
                                          "<img src=\"img/logo.png\">"));
    server.page("/site/frame.html", "<html><frameset><frame src=\"a.html\"><frame src=\"sub/b.html\"></frameset></html>");
    server.page("/site/bad.html", "<html><body><a href=good.html>gut<div><p><table><td><a href='sub/b.html'>b<b><i>"
                                  "<a href=\"img/bad.png\">&amp;<img src=img/bad.png>");
    server.page("/site/good.html", html("Gut", "<p>ok</p>"));
    server.page("/site/sub/b.html", html("B", "<a href=\"deeper/c.html\">C</a>"));
    server.page("/site/sub/deeper/c.html", html("C", "<a href=\"d.html\">D</a><img src=\"c.png\">"));
    server.page("/site/sub/deeper/d.html", html("D", "<p>zu tief</p>"));
    server.page("/site/private/secret.html", html("Geheim", "<p>geheim</p>"));
    server.page("/site/target.html", html("Ziel", "<p>Ziel der Umleitung</p>"));
    server.page("/site/slow-ok.html", html("ok", "<p>ok</p>"));
    server.page("/outside.html", html("Draussen", "<p>oberhalb</p>"));
    server.page("/other/page2.html", html("Anderer Host", "<p>anderswo</p>"), "127.0.0.2");
    server.route("/site/img/logo.png", image(png(120, 40, QColor(0x1d, 0x5f, 0xb0))));
    server.route("/site/img/logo2x.png", image(png(240, 80, QColor(0x1d, 0x5f, 0xb0))));
    server.route("/site/img/icon.png", image(png(16, 16, QColor(0xf0, 0xc4, 0x4c))));
    server.route("/site/img/bad.png", image(png(8, 8, Qt::red)));
    server.route("/site/sub/deeper/c.png", image(png(30, 30, Qt::darkGreen)));
    server.route("/up.png", image(png(20, 20, Qt::gray)));
    server.redirect("/site/r1", "r2", 301);
    server.redirect("/site/r2", "/site/r3", 302);
    server.redirect("/site/r3", server.urlBytes("/site/target.html"), 307);
    server.redirect("/site/loopA", "loopB");
    server.redirect("/site/loopB", "loopA");
    for (int i = 0; i < 12; ++i)
        server.redirect("/site/long" + QByteArray::number(i), "long" + QByteArray::number(i + 1));
    server.page("/site/long12", html("Ende", "<p>zu weit</p>"));
    LoopbackHttpServer::Response slow;
    slow.body = html("Langsam", "<p>endlich</p>");
    slow.delayMs = 1500;
    server.route("/site/slow.html", slow);
    LoopbackHttpServer::Response huge;
    huge.contentType = "image/png";
    huge.streamBytes = 20 * 1024 * 1024;
    server.route("/site/huge.png", huge);
    LoopbackHttpServer::Response robots;
    robots.contentType = "text/plain";
    robots.body = "User-agent: *\nDisallow: /site/private/\n";
    server.route("/robots.txt", robots);
}

/// The files the test site leaves below the "URL" folder with the defaults
/// (depth 3, same host and folder, robots.txt obeyed, no size limit, with
/// huge.png beyond the image bound).
inline QStringList defaultFiles()
{
    using namespace Qt::StringLiterals;
    return {
        u"127.0.0.1/site/index.html"_s,         u"127.0.0.1/site/a.html"_s,
        u"127.0.0.1/site/frame.html"_s,         u"127.0.0.1/site/bad.html"_s,
        u"127.0.0.1/site/good.html"_s,          u"127.0.0.1/site/sub/b.html"_s,
        u"127.0.0.1/site/sub/deeper/c.html"_s,  u"127.0.0.1/site/sub/deeper/c.png"_s,
        u"127.0.0.1/site/img/logo.png"_s,       u"127.0.0.1/site/img/logo2x.png"_s,
        u"127.0.0.1/site/img/icon.png"_s,       u"127.0.0.1/site/img/bad.png"_s,
        u"127.0.0.1/up.png"_s,                  u"127.0.0.1/site/target.html"_s,
        u"127.0.0.1/site/slow.html"_s,
    };
}

/**
 * A site of pages and images in a tree three levels deep below "/site/":
 * the start page links to sections, each section to its pages; every page
 * shows one image of its own and links to its neighbours.
 */
inline void installLarge(LoopbackHttpServer &server, int pageCount, int imageCount)
{
    const int sections = 40;
    QList<QByteArray> images;
    for (int i = 0; i < imageCount; ++i)
        images.append(png(24 + i % 40, 16 + i % 24, QColor::fromHsv((i * 37) % 360, 160, 200)));
    QByteArray start;
    for (int s = 0; s < sections; ++s)
        start += "<li><a href=\"s" + QByteArray::number(s) + "/\">Abschnitt " + QByteArray::number(s) + "</a></li>\n";
    server.page("/site/", html("Start", "<ul>\n" + start + "</ul>"));
    int nextImage = 0;
    const int imagesPerPage = imageCount / std::max(pageCount, 1);
    QList<QByteArray> sectionLinks(sections);
    for (int p = 0; p < pageCount; ++p) {
        const int s = p % sections;
        const QByteArray name = "p" + QByteArray::number(p) + ".html";
        sectionLinks[s] += "<li><a href=\"" + name + "\">Seite " + QByteArray::number(p) + "</a></li>\n";
        QByteArray body = "<h1>Seite " + QByteArray::number(p) + "</h1>\n<p>" + QByteArray(400 + p % 300, 'a')
            + "</p>\n<p><a href=\"../\">Start</a> <a href=\"./\">Abschnitt</a>";
        if (p + sections < pageCount)
            body += " <a href=\"p" + QByteArray::number(p + sections) + ".html\">weiter</a>";
        body += "</p>\n";
        for (int k = 0; k < imagesPerPage && nextImage < imageCount; ++k, ++nextImage)
            body += "<img src=\"../img/i" + QByteArray::number(nextImage) + ".png\" alt=\"\">\n";
        server.page("/site/s" + QByteArray::number(s) + '/' + name, html("Seite", body));
    }
    // Images left over go to the section pages.
    for (int s = 0; s < sections; ++s) {
        QByteArray body = "<ul>\n" + sectionLinks[s] + "</ul>\n";
        for (int i = nextImage + s; i < imageCount; i += sections)
            body += "<img src=\"../img/i" + QByteArray::number(i) + ".png\" alt=\"\">\n";
        server.page("/site/s" + QByteArray::number(s) + "/", html("Abschnitt", body));
    }
    for (int i = 0; i < imageCount; ++i)
        server.route("/site/img/i" + QByteArray::number(i) + ".png", image(images.at(i)));
}

} // namespace SiteFixture
