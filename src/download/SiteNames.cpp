// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SiteNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace SiteNames {

namespace {

// Longest name a common file system holds, and a bound on a whole relative name.
constexpr int MaxSegmentLength = 255;
constexpr int MaxRelativeLength = 2048;

Qt::CaseSensitivity pathCase()
{
#ifdef Q_OS_WIN
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

bool isControl(char c)
{
    return uchar(c) < 0x20 || uchar(c) == 0x7f;
}

bool acceptableSegment(const QString &segment)
{
    static const QRegularExpression driveLetter(u"^[A-Za-z]:"_s);
    if (segment.isEmpty() || segment == "."_L1 || segment == ".."_L1)
        return false;
    if (segment.size() > MaxSegmentLength || segment.contains(u'\\') || segment.contains(u'/'))
        return false;
    for (const QChar c : segment)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return !driveLetter.match(segment).hasMatch();
}

QString acceptableHost(const QUrl &url)
{
    QString host = url.host(QUrl::FullyEncoded);
    // Only an IPv6 address holds ":", which a file name must not.
    host.replace(u':', u'_');
    static const QRegularExpression allowed(u"^[A-Za-z0-9._~\\-]+$"_s);
    if (host == "."_L1 || host == ".."_L1 || !allowed.match(host).hasMatch())
        return {};
    return host;
}

QString sanitizedDefault(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (!acceptableSegment(trimmed) || trimmed.contains(u':'))
        return DefaultFileName();
    return trimmed;
}

/// Host and path segments of a normalised URL by the naming rule; folder is
/// set when the address names a folder by its own text (empty or trailing "/").
bool nameParts(const QUrl &normal, QString *host, QStringList *segments, bool *folder)
{
    *host = acceptableHost(normal);
    if (host->isEmpty())
        return false;
    const QString path = normal.path(QUrl::FullyEncoded);
    // A backslash or a control character in the path is an attack or an error,
    // never a name.
    const QByteArray decoded = QByteArray::fromPercentEncoding(path.toLatin1());
    if (decoded.contains('\\') || std::any_of(decoded.begin(), decoded.end(), isControl))
        return false;
    QString rest = path.mid(1);
    if (normal.hasQuery())
        rest += u'?' + normal.query(QUrl::FullyEncoded);
    for (QChar &c : rest)
        if (c == u'%' || c == u'&' || c == u'=' || c == u'?' || c == u'@')
            c = u'_';
    *folder = rest.isEmpty() || rest.endsWith(u'/');
    segments->clear();
    for (const QString &segment : rest.split(u'/', Qt::SkipEmptyParts)) {
        if (!acceptableSegment(segment))
            return false;
        segments->append(segment);
    }
    return true;
}

} // namespace

QString DefaultFileName()
{
    return u"index.html"_s;
}

QUrl Normalized(const QUrl &url)
{
    if (!url.isValid() || url.isRelative())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme != "http"_L1 && scheme != "https"_L1)
        return {};
    QUrl normal = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    normal.setScheme(scheme);
    if (normal.host().isEmpty())
        return {};
    if ((scheme == "http"_L1 && normal.port() == 80) || (scheme == "https"_L1 && normal.port() == 443))
        normal.setPort(-1);
    // QUrl has already decoded the unreserved escapes ("%2e" is "."), so the
    // dot segments are plain to see; they never climb above the root.
    const QStringList segments = normal.path(QUrl::FullyEncoded).split(u'/');
    QStringList kept;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString &segment = segments.at(i);
        const bool last = i == segments.size() - 1;
        if (i == 0 && segment.isEmpty())
            continue;
        if (segment == "."_L1 || segment == ".."_L1) {
            if (segment == ".."_L1 && !kept.isEmpty())
                kept.removeLast();
            if (last)
                kept.append(QString());
            continue;
        }
        kept.append(segment);
    }
    normal.setPath(u'/' + kept.join(u'/'), QUrl::TolerantMode);
    return normal.isValid() ? normal : QUrl();
}

namespace {

/// nameParts of the normalised url; false when it has none.
bool partsOf(const QUrl &url, QString *host, QStringList *segments, bool *folder)
{
    const QUrl normal = Normalized(url);
    return !normal.isEmpty() && nameParts(normal, host, segments, folder);
}

} // namespace

QString LocalFileName(const QUrl &url, const QString &defaultFileName, bool html)
{
    QString host;
    QStringList segments;
    bool folder = false;
    if (!partsOf(url, &host, &segments, &folder))
        return {};
    if (!folder && (segments.isEmpty() || !segments.last().contains(u'.')))
        folder = true;
    if (folder)
        segments.append(sanitizedDefault(defaultFileName));
    QString &name = segments.last();
    if (html) {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString extension = dot < 0 ? QString() : name.mid(dot + 1);
        if (!extension.contains("htm"_L1, Qt::CaseInsensitive))
            name += ".htm"_L1;
    }
    if (name.size() > MaxSegmentLength)
        return {};
    const QString relative = host + u'/' + segments.join(u'/');
    return relative.size() > MaxRelativeLength ? QString() : relative;
}

QString LocalFilePath(const QString &root, const QUrl &url, const QString &defaultFileName, bool html)
{
    const QString relative = LocalFileName(url, defaultFileName, html);
    if (relative.isEmpty())
        return {};
    const QString path = QDir::cleanPath(QDir(root).absolutePath() + u'/' + relative);
    return IsInside(root, path) ? path : QString();
}

QString LocalSiteFolder(const QString &address)
{
    QString text = address.trimmed();
    if (text.endsWith(u'/') || text.endsWith(u'\\'))
        text.chop(1);
    if (!text.startsWith("http://"_L1, Qt::CaseInsensitive) && !text.startsWith("https://"_L1, Qt::CaseInsensitive))
        return {};
    QString host;
    QStringList segments;
    bool folder = false;
    if (!partsOf(QUrl(text, QUrl::TolerantMode), &host, &segments, &folder))
        return {};
    segments.prepend(host);
    const QString relative = segments.join(u'/');
    return relative.size() > MaxRelativeLength ? QString() : relative;
}

QString FindLocalCopy(const QString &root, const QString &address)
{
    const QString text = address.trimmed();
    const QString folder = LocalSiteFolder(text.contains("://"_L1) ? text : u"http://"_s + text);
    if (folder.isEmpty())
        return {};
    for (const char *name : {"index.htm", "index.html", "default.htm"}) {
        const QString path = QDir::cleanPath(QDir(root).absolutePath() + u'/' + folder + u'/' + QLatin1String(name));
        if (IsInside(root, path) && QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool IsInside(const QString &root, const QString &path)
{
    const QString base = QDir::cleanPath(QDir(root).absolutePath());
    const QString target = QDir::cleanPath(QDir(root).absoluteFilePath(path));
    const QString prefix = base.endsWith(u'/') ? base : base + u'/';
    return target.size() > prefix.size() && target.startsWith(prefix, pathCase());
}

} // namespace SiteNames
