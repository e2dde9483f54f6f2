// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HtmlLinks.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <gumbo.h>

using namespace Qt::StringLiterals;

namespace HtmlLinks {

namespace {

bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// The link text as a URL parser reads it: tabs and line breaks inside are
/// dropped, spaces around it too.
QString linkText(const char *value)
{
    QString text = QString::fromUtf8(value);
    text.remove(u'\t');
    text.remove(u'\n');
    text.remove(u'\r');
    return text.trimmed();
}

class Collector
{
public:
    explicit Collector(const QByteArray &page)
        : m_page(page)
    {
    }

    QList<TLinkRef> links;

    void attribute(const GumboElement &element, const char *name, TLinkKind kind)
    {
        const GumboAttribute *attr = gumbo_get_attribute(&element.attributes, name);
        if (!attr)
            return;
        TLinkRef ref;
        ref.Kind = kind;
        ref.Text = linkText(attr->value);
        if (ref.Text.isEmpty())
            return;
        locate(attr, &ref.Start, &ref.Length, &ref.Quote);
        links.append(ref);
    }

    void srcset(const GumboElement &element)
    {
        const GumboAttribute *attr = gumbo_get_attribute(&element.attributes, "srcset");
        if (!attr)
            return;
        qsizetype start = -1;
        qsizetype length = 0;
        char quote = 0;
        locate(attr, &start, &length, &quote);
        const QByteArray value(attr->value);
        // Offsets inside the value hold only where the source says the same
        // bytes, that is, without character references.
        const bool sameBytes = start >= 0 && QByteArrayView(m_page).sliced(start, length) == value;
        qsizetype i = 0;
        const qsizetype n = value.size();
        while (i < n) {
            while (i < n && (isAsciiSpace(value[i]) || value[i] == ','))
                ++i;
            if (i >= n)
                break;
            const qsizetype urlStart = i;
            while (i < n && !isAsciiSpace(value[i]))
                ++i;
            qsizetype urlEnd = i;
            while (urlEnd > urlStart && value[urlEnd - 1] == ',')
                --urlEnd;
            const bool endedByComma = urlEnd < i;
            if (urlEnd > urlStart) {
                TLinkRef ref;
                ref.Kind = TLinkKind::Embedded;
                ref.Text = QString::fromUtf8(value.constData() + urlStart, urlEnd - urlStart);
                ref.InList = true;
                ref.Quote = quote;
                if (sameBytes) {
                    ref.Start = start + urlStart;
                    ref.Length = urlEnd - urlStart;
                }
                links.append(ref);
            }
            if (endedByComma)
                continue;
            // Descriptors run to the next comma outside parentheses.
            int parens = 0;
            while (i < n && (value[i] != ',' || parens > 0)) {
                if (value[i] == '(')
                    ++parens;
                else if (value[i] == ')' && parens > 0)
                    --parens;
                ++i;
            }
        }
    }

private:
    void locate(const GumboAttribute *attr, qsizetype *start, qsizetype *length, char *quote) const
    {
        const char *base = m_page.constData();
        const char *data = attr->original_value.data;
        const qsizetype size = qsizetype(attr->original_value.length);
        *start = -1;
        if (!data || size == 0 || data < base || data + size > base + m_page.size())
            return;
        qsizetype offset = data - base;
        qsizetype count = size;
        // The parser's place of a value that begins with a character reference
        // may lie behind it; only a value right after its "=" is where it says.
        qsizetype before = offset - 1;
        while (before >= 0 && isAsciiSpace(base[before]))
            --before;
        if (before < 0 || base[before] != '=')
            return;
        const char first = data[0];
        if ((first == '"' || first == '\'') && size >= 2 && data[size - 1] == first) {
            *quote = first;
            ++offset;
            count -= 2;
        }
        *start = offset;
        *length = count;
    }

    const QByteArray &m_page;
};

bool relIs(const GumboElement &element, std::initializer_list<const char *> words)
{
    const GumboAttribute *rel = gumbo_get_attribute(&element.attributes, "rel");
    if (!rel)
        return false;
    const QList<QByteArray> tokens = QByteArray(rel->value).toLower().simplified().split(' ');
    for (const char *word : words)
        if (tokens.contains(QByteArray(word)))
            return true;
    return false;
}

void collectElement(const GumboElement &element, Collector &collector)
{
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return;
    switch (element.tag) {
    case GUMBO_TAG_A:
    case GUMBO_TAG_AREA:
        collector.attribute(element, "href", TLinkKind::Page);
        break;
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_IFRAME:
        collector.attribute(element, "src", TLinkKind::Page);
        break;
    case GUMBO_TAG_IMG:
        collector.attribute(element, "src", TLinkKind::Embedded);
        collector.srcset(element);
        break;
    case GUMBO_TAG_SOURCE:
        collector.attribute(element, "src", TLinkKind::Embedded);
        collector.srcset(element);
        break;
    case GUMBO_TAG_LINK:
        collector.attribute(element, "href",
                            relIs(element, {"icon", "stylesheet", "apple-touch-icon"}) ? TLinkKind::Embedded
                                                                                        : TLinkKind::Page);
        break;
    case GUMBO_TAG_BASE:
        collector.attribute(element, "href", TLinkKind::Base);
        break;
    default:
        break;
    }
}

/// A lower-case tag name; short names need no allocation.
std::string tagName(const char *data, qsizetype from, qsizetype size)
{
    std::string name;
    for (qsizetype at = from; at < size && !isAsciiSpace(data[at]) && data[at] != '/' && data[at] != '>'; ++at) {
        const char c = data[at];
        name += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    return name;
}

} // namespace

qint64 NestingCost(const QByteArray &page)
{
    // Elements without content never stay open; the others listed here close
    // each other as siblings (an unclosed "<p>", "<li>" or "<td>" does not nest).
    static const std::unordered_set<std::string> neverOpen = {
        "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param", "source", "track",
        "wbr", "keygen", "basefont", "bgsound", "frame", "image", "p", "li", "dt", "dd", "option", "optgroup", "a",
        "rb", "rt", "rp", "rtc", "html", "head", "body", "td", "th", "tr", "thead", "tbody", "tfoot", "caption",
        "colgroup"};
    // Their content is text: an end tag inside them ends nothing else.
    static const std::unordered_set<std::string> rawText = {
        "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "noscript", "plaintext"};
    const char *data = page.constData();
    const qsizetype size = page.size();
    auto startsWith = [&](qsizetype at, const char *text) {
        const qsizetype length = qsizetype(std::strlen(text));
        return size - at >= length && std::memcmp(data + at, text, size_t(length)) == 0;
    };
    auto endOf = [&](qsizetype from, const char *text) {
        const qsizetype at = page.indexOf(text, from);
        return at < 0 ? size : at;
    };
    std::unordered_map<std::string, qint64> open;
    qint64 depth = 0;
    qint64 cost = 0;
    // Text that the parser may read as a comment or as raw text: start tags in
    // it still count (an upper estimate), end tags close nothing.
    qsizetype quietUntil = -1;
    std::string rawElement;
    for (qsizetype i = 0; i + 1 < size && cost <= MaxNestingCost; ++i) {
        if (data[i] != '<')
            continue;
        const bool inComment = i < quietUntil;
        const char next = data[i + 1];
        if (isAsciiLetter(next)) {
            std::string name = tagName(data, i + 1, size);
            if (neverOpen.count(name))
                continue;
            ++depth;
            cost += depth;
            if (!inComment && rawElement.empty() && rawText.count(name))
                rawElement = name;
            ++open[std::move(name)];
        } else if (next == '/' && i + 2 < size && isAsciiLetter(data[i + 2])) {
            const std::string name = tagName(data, i + 2, size);
            if (inComment || (!rawElement.empty() && name != rawElement))
                continue;
            rawElement.clear();
            auto it = open.find(name);
            if (it != open.end() && it->second > 0) {
                --it->second;
                --depth;
            }
        } else if (inComment) {
            continue;
        } else if (rawElement == "script" && startsWith(i, "<!--")) {
            // An escaped script may hold "</script>" that does not end it.
            quietUntil = endOf(i + 4, "-->");
        } else if (rawElement.empty() && startsWith(i, "<!--")) {
            quietUntil = endOf(i + 4, "-->");
        } else if (rawElement.empty() && startsWith(i, "<![CDATA[")) {
            quietUntil = endOf(i + 9, "]]>");
        } else if (rawElement.empty() && (next == '!' || next == '?' || next == '/')) {
            quietUntil = endOf(i + 2, ">");
        }
    }
    return cost;
}

Result Extract(const QByteArray &page)
{
    Result result;
    if (NestingCost(page) > MaxNestingCost)
        return result;
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutput *output = gumbo_parse_with_options(&options, page.constData(), size_t(page.size()));
    if (!output)
        return result;
    Collector collector(page);
    std::vector<const GumboNode *> stack{output->root};
    while (!stack.empty()) {
        const GumboNode *node = stack.back();
        stack.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement &element = node->v.element;
        collectElement(element, collector);
        // Children in reverse, so they come off the stack in document order.
        for (unsigned int i = element.children.length; i > 0; --i)
            stack.push_back(static_cast<const GumboNode *>(element.children.data[i - 1]));
    }
    gumbo_destroy_output(&options, output);
    result.Links = std::move(collector.links);
    result.Parsed = true;
    return result;
}

QByteArray Rewrite(const QByteArray &page, const QList<TLinkRef> &links,
                   const std::function<QString(qsizetype index)> &replacement)
{
    struct Splice
    {
        qsizetype start;
        qsizetype length;
        QByteArray text;
    };
    std::vector<Splice> splices;
    for (qsizetype index = 0; index < links.size(); ++index) {
        const TLinkRef &link = links.at(index);
        if (link.Start < 0 || link.Start + link.Length > page.size())
            continue;
        const QString wanted = replacement(index);
        if (wanted.isNull())
            continue;
        QByteArray text = wanted.toUtf8();
        text.replace('&', "&amp;");
        if (link.Quote == '"')
            text.replace('"', "&quot;");
        else if (link.Quote == '\'')
            text.replace('\'', "&#39;");
        if (link.Quote == 0) {
            const bool needsQuotes = text.isEmpty()
                || std::any_of(text.begin(), text.end(), [](char c) {
                       return isAsciiSpace(c) || c == '"' || c == '\'' || c == '=' || c == '<' || c == '>' || c == '`';
                   });
            if (needsQuotes) {
                if (link.InList)
                    continue; // a list item cannot be quoted on its own
                text.replace('"', "&quot;");
                text = '"' + text + '"';
            }
        }
        if (QByteArrayView(page).sliced(link.Start, link.Length) == text)
            continue;
        splices.push_back({link.Start, link.Length, text});
    }
    std::sort(splices.begin(), splices.end(), [](const Splice &a, const Splice &b) { return a.start < b.start; });
    QByteArray out;
    out.reserve(page.size() + 64);
    qsizetype at = 0;
    for (const Splice &splice : splices) {
        if (splice.start < at)
            continue; // overlaps one already placed
        out.append(page.constData() + at, splice.start - at);
        out.append(splice.text);
        at = splice.start + splice.length;
    }
    out.append(page.constData() + at, page.size() - at);
    return out;
}

} // namespace HtmlLinks
