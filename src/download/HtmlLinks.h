// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

enum class TLinkKind {
    Page,     // a document of its own: a, area, frame, iframe, link (other than icons and style sheets)
    Embedded, // shown inside the page: img, srcset, source, link rel="icon"/"stylesheet"
    Base,     // base href
};

/// One link of a page: what it says and where its text lies in the page's bytes.
struct TLinkRef
{
    TLinkKind Kind = TLinkKind::Page;
    /// The link as the browser reads it: entities decoded, spaces around it dropped.
    QString Text;
    /// The link's bytes in the page (inside any quotes); Start -1: not rewritable.
    qsizetype Start = -1;
    qsizetype Length = 0;
    /// The quote around the attribute value: '"', '\'' or 0 when unquoted.
    char Quote = 0;
    /// One candidate of a srcset list, which cannot take quotes of its own.
    bool InList = false;
};

/// The links of one HTML page, found by an HTML5 parser (gumbo).
namespace HtmlLinks {

struct Result
{
    QList<TLinkRef> Links;
    /// False when the page was not parsed: nested so deeply that parsing it
    /// would take minutes (the parser's work grows with the nesting depth).
    bool Parsed = false;
};

Result Extract(const QByteArray &page);

/// The page with link texts replaced and every other byte kept. replacement
/// gets the index of a link in links and returns its new text, or a null
/// QString to keep it as it is.
QByteArray Rewrite(const QByteArray &page, const QList<TLinkRef> &links,
                   const std::function<QString(qsizetype index)> &replacement);

/// An upper estimate of the parser's work on page: the sum, over its start
/// tags, of the number of elements that may still be open. Counting stops
/// once it passes MaxNestingCost.
qint64 NestingCost(const QByteArray &page);
/// Pages above this are not parsed; ordinary pages stay far below it.
constexpr qint64 MaxNestingCost = 20'000'000;

} // namespace HtmlLinks
