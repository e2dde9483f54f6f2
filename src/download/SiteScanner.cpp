// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SiteScanner.h"

#include "HtmlLinks.h"
#include "RobotsTxt.h"
#include "SiteNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <deque>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MaxRobotsBytes = 512 * 1024;
// The body of a redirect or an error page is read and dropped, up to this much.
constexpr qint64 MaxIgnoredBytes = 64 * 1024;
constexpr int WatchdogIntervalMs = 100;
constexpr qint64 ReadBufferBytes = 512 * 1024;
// Items up to this size are parsed and stored on the scanner's own thread.
constexpr qint64 InlineBytes = 128 * 1024;

QString keyOf(const QUrl &normal)
{
    return normal.toString(QUrl::FullyEncoded);
}

QString originOf(const QUrl &url)
{
    return url.scheme() + "://"_L1 + url.host(QUrl::FullyEncoded) + u':' + QString::number(url.port());
}

QString pathAndQuery(const QUrl &url)
{
    QString path = url.path(QUrl::FullyEncoded);
    if (path.isEmpty())
        path = u"/"_s;
    if (url.hasQuery())
        path += u'?' + url.query(QUrl::FullyEncoded);
    return path;
}

bool isWebScheme(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == "http"_L1 || scheme == "https"_L1;
}

/// The folder below which pages of the start address are fetched, by the same
/// rule the local names follow: a last segment without "." is a folder.
QString startFolderOf(const QUrl &start)
{
    const QString path = start.path(QUrl::FullyEncoded);
    if (path.endsWith(u'/'))
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (path.mid(slash + 1).contains(u'.'))
        return path.left(slash + 1);
    return path + u'/';
}

/// Connection failures worth another try.
bool retryable(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

/// Writes a downloaded file. No sync to disk: a copy for reading offline is
/// not worth a disk flush per file, which would make a site take minutes.
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written)
        file.remove();
    return written;
}

/// A stored page whose links are converted at the end.
struct TStoredPage
{
    QString File;
    qint64 Size = 0;
    QList<TLinkRef> Links;
    QList<QUrl> Targets; // per link, resolved; invalid for base links
};

/// What a worker hands back for one fetched item.
struct TItemResult
{
    QList<TLinkRef> Links;
    QList<QUrl> Targets;
    bool Saved = false;
    bool Existed = false;
};

TItemResult processItem(const QByteArray &body, const QUrl &base, bool parse, const QString &savePath,
                        bool strongUpdate)
{
    TItemResult result;
    if (!savePath.isEmpty()) {
        if (!strongUpdate && QFileInfo::exists(savePath)) {
            result.Existed = true;
        } else if (QDir().mkpath(QFileInfo(savePath).absolutePath())) {
            result.Saved = writeFile(savePath, body);
        }
    }
    if (!parse)
        return result;
    result.Links = HtmlLinks::Extract(body).Links;
    // The first base element with an address sets the base of all links.
    QUrl documentBase = base;
    for (const TLinkRef &link : std::as_const(result.Links)) {
        if (link.Kind == TLinkKind::Base) {
            const QUrl href = base.resolved(QUrl(link.Text, QUrl::TolerantMode));
            if (href.isValid() && isWebScheme(href))
                documentBase = href;
            break;
        }
    }
    result.Targets.reserve(result.Links.size());
    for (const TLinkRef &link : std::as_const(result.Links)) {
        if (link.Kind == TLinkKind::Base)
            result.Targets.append(QUrl());
        else
            result.Targets.append(documentBase.resolved(QUrl(link.Text, QUrl::TolerantMode)));
    }
    return result;
}

/// Rewrites the links of one stored page; localFiles maps normalised
/// addresses to the files stored for them.
void convertPage(const TStoredPage &page, const QHash<QString, QString> &localFiles, TLinkConversion mode)
{
    QFile in(page.File);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = in.readAll();
    in.close();
    if (bytes.size() != page.Size)
        return; // not the file this download wrote
    const QDir folder = QFileInfo(page.File).absoluteDir();
    const QByteArray converted = HtmlLinks::Rewrite(bytes, page.Links, [&](qsizetype index) -> QString {
        const TLinkRef &link = page.Links.at(index);
        if (link.Kind == TLinkKind::Base)
            return mode == lcOffline ? QString(u""_s) : QString();
        const QUrl &target = page.Targets.at(index);
        if (!target.isValid() || !isWebScheme(target) || link.Text.startsWith(u'#'))
            return {};
        const QString online = target.toString(QUrl::FullyEncoded);
        if (mode == lcOnline)
            return online;
        const QString local = localFiles.value(keyOf(SiteNames::Normalized(target)));
        if (local.isEmpty())
            return online;
        QString relative = folder.relativeFilePath(local);
        // A colon before the first slash would read as a scheme.
        if (relative.section(u'/', 0, 0).contains(u':'))
            relative.prepend("./"_L1);
        if (target.hasFragment())
            relative += u'#' + target.fragment(QUrl::FullyEncoded);
        return relative;
    });
    if (converted != bytes)
        writeFile(page.File, converted);
}

} // namespace

struct TSiteScanner::Private
{
    explicit Private(TSiteScanner *owner)
        : q(owner)
        , network(new QNetworkAccessManager(owner))
        , watchdog(new QTimer(owner))
    {
        network->setProxy(QNetworkProxy::NoProxy);
        network->setAutoDeleteReplies(false);
        watchdog->setInterval(WatchdogIntervalMs);
        QObject::connect(watchdog, &QTimer::timeout, owner, [this] { watch(); });
    }

    enum class Reason { None, Stopped, ConnectTimeout, TimeLimit, NotAccepted, TooLarge, OverLimit, HttpError, Alias,
                        Refused };

    struct Fetch
    {
        TSiteItem *item = nullptr; // null for a robots.txt
        QString robotsOrigin;
        QUrl current;
        QByteArray body;
        qint64 ignored = 0;
        QElapsedTimer since;
        int hops = 0;
        bool headers = false;
        bool html = false;
        bool redirect = false;
        Reason reason = Reason::None;
    };

    struct Pending
    {
        TSiteItem *item = nullptr;
        QString robotsOrigin;
    };

    struct Candidate
    {
        QUrl url;
        TSiteItem *parent = nullptr;
        TLinkKind kind = TLinkKind::Page;
    };

    struct HostRobots
    {
        enum { Unknown, Loading, Ready } state = Unknown;
        TRobotsRules rules;
        QList<Candidate> waiting;
    };

    TSiteScanner *q;
    QNetworkAccessManager *network;
    QTimer *watchdog;
    QThreadPool pool;

    TDownloadState state = DS_NONE;
    quint64 generation = 0;
    std::vector<std::unique_ptr<TSiteItem>> owned;
    QList<TSiteItem *> items;
    QList<TSiteItem *> tree;
    QHash<TSiteItem *, TSiteItem *> aliasOf;
    QHash<TSiteItem *, QUrl> finalUrl;
    QHash<TSiteItem *, int> attempts;
    // Normalised address -> item; null while the host's robots.txt is awaited.
    QHash<QString, TSiteItem *> known;
    // Local names taken by an item, so two addresses never share one file.
    QHash<QString, TSiteItem *> names;
    std::deque<Pending> queue;
    QHash<QNetworkReply *, Fetch> active;
    QHash<QString, HostRobots> robots;
    QList<TStoredPage> pages;
    int jobs = 0;
    bool converting = false;
    bool stopping = false;
    bool startFailed = false;

    QUrl start;
    QString startHost;
    QString startFolder;
    QElapsedTimer clock;
    qint64 workMs = 0;
    qint64 received = 0;
    int fetchedCount = 0;
    int imageCount = 0;
    qint64 totalBytes = 0;
    int skipped = 0;

    void reset()
    {
        items.clear();
        tree.clear();
        aliasOf.clear();
        finalUrl.clear();
        attempts.clear();
        known.clear();
        names.clear();
        queue.clear();
        robots.clear();
        pages.clear();
        owned.clear();
        jobs = 0;
        converting = false;
        stopping = false;
        startFailed = false;
        workMs = 0;
        received = 0;
        fetchedCount = 0;
        imageCount = 0;
        totalBytes = 0;
        skipped = 0;
    }

    bool limitReached() const
    {
        return q->MaxDownloadKB > 0 && received >= qint64(q->MaxDownloadKB) * 1024;
    }

    QString predictedName(const QUrl &normal) const
    {
        return SiteNames::LocalFilePath(q->DestinationDir, normal, q->DefaultFileName, false);
    }

    /// name: the predicted local file, empty when nothing is stored.
    TSiteItem *addItem(const QUrl &normal, const QString &key, const QString &name, TSiteItem *parent, bool treeLink)
    {
        owned.push_back(std::make_unique<TSiteItem>());
        TSiteItem *item = owned.back().get();
        item->URL = normal;
        item->IsTreeLink = treeLink;
        item->UpperItem = parent;
        item->Level = parent ? parent->Level + 1 : 0;
        (parent ? parent->SubTree : tree).append(item);
        items.append(item);
        known.insert(key, item);
        if (!name.isEmpty())
            names.insert(name, item);
        queue.push_back({item, {}});
        emit q->OnAddItem(item);
        return item;
    }

    void consider(const QUrl &url, TSiteItem *parent, TLinkKind kind)
    {
        if (stopping || !isWebScheme(url))
            return;
        const QUrl normal = SiteNames::Normalized(url);
        if (normal.isEmpty()) {
            ++skipped;
            return;
        }
        const QString key = keyOf(normal);
        if (known.contains(key))
            return;
        const bool page = kind == TLinkKind::Page;
        if (parent->Level > q->Depth || (page && parent->Level + 1 > q->Depth))
            return;
        if (!q->LoadOtherSites) {
            if (normal.host() != startHost)
                return;
            // Images of a page are part of it wherever they lie.
            if (page && !normal.path(QUrl::FullyEncoded).startsWith(startFolder))
                return;
        }
        if (items.size() >= q->MaxItems) {
            ++skipped;
            return;
        }
        QString name;
        if (q->SaveFiles) {
            name = predictedName(normal);
            if (name.isEmpty()) {
                ++skipped;
                return;
            }
            // Another address of the same file ("/a" and "/a/"): one copy.
            if (TSiteItem *same = names.value(name)) {
                known.insert(key, same);
                return;
            }
        }
        if (q->ObeyRobots) {
            HostRobots &host = robots[originOf(normal)];
            if (host.state != HostRobots::Ready) {
                known.insert(key, nullptr);
                host.waiting.append({normal, parent, kind});
                if (host.state == HostRobots::Unknown) {
                    host.state = HostRobots::Loading;
                    queue.push_front({nullptr, originOf(normal)});
                }
                return;
            }
            if (!host.rules.Allowed(pathAndQuery(normal))) {
                ++skipped;
                return;
            }
        }
        addItem(normal, key, name, parent, page);
    }

    void robotsReady(const QString &origin, const TRobotsRules &rules)
    {
        HostRobots &host = robots[origin];
        host.state = HostRobots::Ready;
        host.rules = rules;
        const QList<Candidate> waiting = std::exchange(host.waiting, {});
        for (const Candidate &candidate : waiting) {
            // A redirect may have brought the address in meanwhile.
            const QString key = keyOf(candidate.url);
            if (known.value(key))
                continue;
            known.remove(key);
            consider(candidate.url, candidate.parent, candidate.kind);
        }
    }

    void pump()
    {
        while (!stopping && active.size() < q->MaxConnections && !queue.empty()) {
            if (limitReached()) {
                for (const Pending &pending : queue)
                    if (pending.item)
                        ++skipped;
                queue.clear();
                break;
            }
            const Pending next = queue.front();
            queue.pop_front();
            startFetch(next);
        }
    }

    void startFetch(const Pending &pending)
    {
        Fetch fetch;
        fetch.item = pending.item;
        fetch.robotsOrigin = pending.robotsOrigin;
        if (pending.item) {
            fetch.current = finalUrl.value(pending.item, pending.item->URL);
            ++attempts[pending.item];
        } else {
            fetch.current = QUrl(pending.robotsOrigin + "/robots.txt"_L1);
        }
        fetch.since.start();
        send(std::move(fetch));
    }

    /// Sends the request of fetch; redirects come back here with their hop
    /// count and the item's start time.
    void send(Fetch fetch)
    {
        QNetworkRequest request(fetch.current);
        request.setHeader(QNetworkRequest::UserAgentHeader, q->UserAgent);
        request.setRawHeader("Accept", "text/html, image/*;q=0.9, */*;q=0.1");
        // Redirects are followed here, by the same rules as links.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply *reply = network->get(request);
        // Qt Network reads no further ahead than this; the server waits.
        reply->setReadBufferSize(ReadBufferBytes);
        fetch.body.clear();
        fetch.ignored = 0;
        fetch.headers = false;
        fetch.html = false;
        fetch.redirect = false;
        fetch.reason = Reason::None;
        active.insert(reply, std::move(fetch));
        QObject::connect(reply, &QNetworkReply::metaDataChanged, q, [this, reply] { onHeaders(reply); });
        QObject::connect(reply, &QNetworkReply::readyRead, q, [this, reply] { onData(reply); });
        QObject::connect(reply, &QNetworkReply::finished, q, [this, reply] { onFinished(reply); });
    }

    void abort(QNetworkReply *reply, Reason reason)
    {
        auto it = active.find(reply);
        if (it == active.end())
            return;
        if (it->reason == Reason::None)
            it->reason = reason;
        reply->abort();
    }

    bool accepted(const QString &type) const
    {
        for (const QString &wanted : q->AcceptTypes)
            if (wanted.endsWith(u'/') ? type.startsWith(wanted) : type == wanted)
                return true;
        return false;
    }

    void onHeaders(QNetworkReply *reply)
    {
        auto it = active.find(reply);
        if (it == active.end())
            return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        it->headers = true;
        if (reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid()) {
            it->redirect = true;
            return;
        }
        if (status < 200 || status >= 300) {
            it->reason = Reason::HttpError;
            return;
        }
        if (!it->item)
            return;
        QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString().section(u';', 0, 0);
        type = type.trimmed().toLower();
        if (type.isEmpty())
            type = QMimeDatabase().mimeTypeForFile(it->current.path(), QMimeDatabase::MatchExtension).name();
        if (!accepted(type)) {
            abort(reply, Reason::NotAccepted);
            return;
        }
        it->html = type == "text/html"_L1;
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (length > (it->html ? q->MaxPageBytes : q->MaxImageBytes))
            abort(reply, Reason::TooLarge);
    }

    void onData(QNetworkReply *reply)
    {
        auto it = active.find(reply);
        if (it == active.end())
            return;
        const QByteArray chunk = reply->readAll();
        if (it->redirect || it->reason != Reason::None) {
            it->ignored += chunk.size();
            if (it->ignored > MaxIgnoredBytes)
                reply->abort();
            return;
        }
        it->body += chunk;
        if (!it->item) {
            if (it->body.size() > MaxRobotsBytes)
                abort(reply, Reason::TooLarge);
            return;
        }
        received += chunk.size();
        if (it->body.size() > (it->html ? q->MaxPageBytes : q->MaxImageBytes))
            abort(reply, Reason::TooLarge);
        else if (q->MaxDownloadKB > 0 && received > qint64(q->MaxDownloadKB) * 1024)
            abort(reply, Reason::OverLimit);
    }

    /// Follows a redirect of fetch to location, or tells why not.
    Reason follow(Fetch fetch, const QUrl &location)
    {
        if (++fetch.hops > q->MaxRedirects)
            return Reason::Refused;
        const QUrl target = SiteNames::Normalized(fetch.current.resolved(location));
        if (target.isEmpty())
            return Reason::Refused;
        if (TSiteItem *item = fetch.item) {
            // The same rules as for a link: a redirect may not lead elsewhere.
            if (!q->LoadOtherSites && target.host() != startHost)
                return Reason::Refused;
            if (q->ObeyRobots) {
                const HostRobots host = robots.value(originOf(target));
                if (host.state == HostRobots::Ready && !host.rules.Allowed(pathAndQuery(target)))
                    return Reason::Refused;
            }
            const QString key = keyOf(target);
            TSiteItem *same = known.value(key);
            if (same && same != item) {
                aliasOf.insert(item, same);
                return Reason::Alias;
            }
            if (q->SaveFiles && predictedName(target).isEmpty())
                return Reason::Refused;
            known.insert(key, item);
            finalUrl.insert(item, target);
        }
        fetch.current = target;
        send(std::move(fetch));
        return Reason::None;
    }

    void watch()
    {
        const QList<QNetworkReply *> replies = active.keys();
        for (QNetworkReply *reply : replies) {
            auto it = active.constFind(reply);
            if (it == active.constEnd())
                continue;
            const qint64 elapsed = it->since.elapsed();
            if (!it->headers && elapsed > q->ConnectTimeoutMs)
                abort(reply, Reason::ConnectTimeout);
            else if (elapsed > q->ItemTimeLimitMs)
                abort(reply, Reason::TimeLimit);
        }
    }

    /// A connection failure: again, up to Retries times.
    void retryOrFail(TSiteItem *item)
    {
        if (attempts.value(item) <= q->Retries) {
            queue.push_front({item, {}});
            return;
        }
        if (!item->UpperItem)
            startFailed = true;
    }

    void onFinished(QNetworkReply *reply)
    {
        const Fetch fetch = active.take(reply);
        reply->deleteLater();
        if (!fetch.since.isValid())
            return; // not ours any more (stopped)
        const QNetworkReply::NetworkError error = reply->error();
        Reason reason = fetch.reason;
        if (reason == Reason::None && fetch.redirect) {
            reason = follow(fetch, reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
            if (reason == Reason::None) {
                pump();
                return;
            }
        }
        if (!fetch.item) {
            finishRobots(fetch, reason == Reason::None ? error : QNetworkReply::ContentNotFoundError);
        } else {
            switch (reason) {
            case Reason::None:
                if (error == QNetworkReply::NoError)
                    fetched(fetch, reply);
                else if (retryable(error))
                    retryOrFail(fetch.item);
                break;
            case Reason::ConnectTimeout:
                retryOrFail(fetch.item);
                break;
            case Reason::TimeLimit:
            case Reason::TooLarge:
            case Reason::OverLimit:
            case Reason::Refused:
                ++skipped;
                break;
            case Reason::Stopped:
            case Reason::NotAccepted:
            case Reason::HttpError:
            case Reason::Alias:
                break;
            }
        }
        pump();
        maybeFinish();
    }

    void finishRobots(const Fetch &fetch, QNetworkReply::NetworkError error)
    {
        if (fetch.reason == Reason::Stopped)
            return;
        // A site without a readable robots.txt sets no rules.
        TRobotsRules rules;
        if (fetch.reason == Reason::None && !fetch.redirect && error == QNetworkReply::NoError)
            rules = TRobotsRules::Parse(fetch.body, q->UserAgent);
        robotsReady(fetch.robotsOrigin, rules);
    }

    void fetched(const Fetch &fetch, QNetworkReply *reply)
    {
        TSiteItem *item = fetch.item;
        const QByteArray rest = reply->readAll();
        received += rest.size();
        const QByteArray body = fetch.body + rest;
        item->FileType = fetch.html ? TFileType::Html : TFileType::Image;
        item->DataSize = body.size();
        QString savePath;
        if (q->SaveFiles) {
            savePath = SiteNames::LocalFilePath(q->DestinationDir, fetch.current, q->DefaultFileName, fetch.html);
            TSiteItem *owner = names.value(savePath);
            if (savePath.isEmpty() || (owner && owner != item)) {
                ++skipped;
                return;
            }
            names.insert(savePath, item);
        }
        const bool parse = fetch.html && item->Level <= q->Depth;
        const QUrl base = fetch.current;
        const bool strongUpdate = q->StrongUpdate;
        const quint64 run = generation;
        ++jobs;
        if (body.size() <= InlineBytes) {
            // Small items cost less here than the trips to a worker and back.
            processed(item, savePath, run, processItem(body, base, parse, savePath, strongUpdate));
            return;
        }
        pool.start([this, item, body, base, parse, savePath, strongUpdate, run] {
            TItemResult result = processItem(body, base, parse, savePath, strongUpdate);
            QMetaObject::invokeMethod(
                q, [this, item, savePath, run, result = std::move(result)] { processed(item, savePath, run, result); },
                Qt::QueuedConnection);
        });
    }

    void processed(TSiteItem *item, const QString &savePath, quint64 run, const TItemResult &result)
    {
        if (run != generation)
            return;
        --jobs;
        item->Fetched = true;
        if (result.Saved || result.Existed)
            item->LocalFile = savePath;
        ++fetchedCount;
        if (item->FileType == TFileType::Image)
            ++imageCount;
        totalBytes += item->DataSize;
        if (result.Saved && q->LinkConversion != lcNone && !result.Links.isEmpty())
            pages.append({savePath, item->DataSize, result.Links, result.Targets});
        for (qsizetype i = 0; i < result.Links.size(); ++i)
            if (result.Links.at(i).Kind != TLinkKind::Base)
                consider(result.Targets.at(i), item, result.Links.at(i).Kind);
        if (!stopping)
            emit q->OnProgress(item);
        pump();
        maybeFinish();
    }

    bool idle() const
    {
        return active.isEmpty() && queue.empty() && jobs == 0 && !converting;
    }

    void maybeFinish()
    {
        if (state != DS_PROCESSING || stopping || !idle())
            return;
        workMs = clock.elapsed();
        watchdog->stop();
        if (q->LinkConversion == lcNone || pages.isEmpty()) {
            finish();
            return;
        }
        converting = true;
        const quint64 run = generation;
        convertAll([this, run] {
            QMetaObject::invokeMethod(
                q,
                [this, run] {
                    if (run != generation || stopping)
                        return;
                    converting = false;
                    pages.clear();
                    finish();
                },
                Qt::QueuedConnection);
        });
    }

    QHash<QString, QString> localFiles() const
    {
        QHash<QString, QString> files;
        for (auto it = known.cbegin(); it != known.cend(); ++it) {
            const TSiteItem *item = aliasOf.value(it.value(), it.value());
            if (item && !item->LocalFile.isEmpty())
                files.insert(it.key(), item->LocalFile);
        }
        return files;
    }

    /// Converts every stored page in the pool; done runs after the last one.
    void convertAll(std::function<void()> done)
    {
        const QHash<QString, QString> files = localFiles();
        const TLinkConversion mode = q->LinkConversion;
        auto left = std::make_shared<std::atomic<qsizetype>>(pages.size());
        auto finished = std::make_shared<std::function<void()>>(std::move(done));
        for (const TStoredPage &page : std::as_const(pages)) {
            pool.start([page, files, mode, left, finished] {
                convertPage(page, files, mode);
                if (--*left == 0)
                    (*finished)();
            });
        }
    }

    void finish()
    {
        state = startFailed ? DS_ERROR : DS_PROCESSED;
        emit q->OnProcessed();
    }

    void cancelTransfers()
    {
        queue.clear();
        for (auto it = robots.begin(); it != robots.end(); ++it)
            it->waiting.clear();
        const QList<QNetworkReply *> replies = active.keys();
        active.clear();
        // Deleting a reply ends its transfer; aborting one whose failure is
        // already on its way would report that failure twice.
        for (QNetworkReply *reply : replies) {
            reply->disconnect(q);
            reply->deleteLater();
        }
    }
};

TSiteScanner::TSiteScanner(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this))
{
}

TSiteScanner::~TSiteScanner()
{
    ++d->generation;
    d->stopping = true;
    d->cancelTransfers();
    d->pool.waitForDone();
}

void TSiteScanner::Start()
{
    if (d->state == DS_PROCESSING)
        return;
    ++d->generation;
    d->pool.waitForDone();
    d->reset();
    d->state = DS_PROCESSING;
    d->clock.start();
    d->start = SiteNames::Normalized(QUrl::fromUserInput(BaseURL.trimmed()));
    if (d->start.isEmpty() || (SaveFiles && d->predictedName(d->start).isEmpty())) {
        // Nothing to fetch: the task ends at once.
        d->startFailed = true;
        QMetaObject::invokeMethod(this, [this] { d->maybeFinish(); }, Qt::QueuedConnection);
        return;
    }
    d->startHost = d->start.host();
    d->startFolder = startFolderOf(d->start);
    d->watchdog->start();
    d->addItem(d->start, keyOf(d->start), SaveFiles ? d->predictedName(d->start) : QString(), nullptr, true);
    if (ObeyRobots) {
        // The start page is the user's own choice; the links found on it wait
        // for the site's rules.
        d->robots[originOf(d->start)].state = Private::HostRobots::Loading;
        d->queue.push_back({nullptr, originOf(d->start)});
    }
    d->pump();
}

void TSiteScanner::Stop()
{
    if (d->state != DS_PROCESSING)
        return;
    d->stopping = true;
    // A conversion under way is left to finish: pages are converted once.
    const bool converted = d->converting;
    d->cancelTransfers();
    // What the workers still hold is stored and comes back now.
    d->pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    ++d->generation;
    d->converting = false;
    if (!converted && LinkConversion != lcNone && !d->pages.isEmpty()) {
        d->convertAll([] {});
        d->pool.waitForDone();
    }
    d->pages.clear();
    d->workMs = d->clock.elapsed();
    d->watchdog->stop();
    d->jobs = 0;
    d->stopping = false;
    d->state = DS_PROCESSED;
}

TDownloadState TSiteScanner::State() const
{
    return d->state;
}

const QList<TSiteItem *> &TSiteScanner::AllItems() const
{
    return d->items;
}

const QList<TSiteItem *> &TSiteScanner::Tree() const
{
    return d->tree;
}

void TSiteScanner::ClearTree()
{
    d->tree.clear();
    for (TSiteItem *item : std::as_const(d->items))
        item->SubTree.clear();
}

void TSiteScanner::RebuildTree()
{
    ClearTree();
    for (TSiteItem *item : std::as_const(d->items))
        (item->UpperItem ? item->UpperItem->SubTree : d->tree).append(item);
}

int TSiteScanner::ItemCount() const
{
    return d->fetchedCount;
}

int TSiteScanner::ImageCount() const
{
    return d->imageCount;
}

qint64 TSiteScanner::TotalBytes() const
{
    return d->totalBytes;
}

double TSiteScanner::BytesPerSecond() const
{
    const qint64 ms = d->state == DS_PROCESSING ? d->clock.elapsed() : d->workMs;
    return ms > 0 ? double(d->totalBytes) * 1000.0 / double(ms) : 0.0;
}

int TSiteScanner::SkippedCount() const
{
    return d->skipped;
}
