// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

enum TDownloadState { DS_NONE, DS_PROCESSING, DS_PROCESSED, DS_ERROR, DS_PREPARED };
enum TLinkConversion { lcNone, lcOnline, lcOffline };
enum class TFileType { Unknown, Html, Image };

/// One item of a site download: queued, then fetched or not.
struct TSiteItem
{
    /// The address as linked, normalised.
    QUrl URL;
    TFileType FileType = TFileType::Unknown;
    qint64 DataSize = 0;
    /// Reached by a page link (or the start page); embedded images are not.
    bool IsTreeLink = false;
    TSiteItem *UpperItem = nullptr;
    QList<TSiteItem *> SubTree;
    /// Link levels below the start page.
    int Level = 0;
    bool Fetched = false;
    /// The stored copy (absolute path); empty when there is none.
    QString LocalFile;
};

/**
 * Copies a web site, starting at BaseURL, into DestinationDir: pages and the
 * images they show, by the depth, host, folder, size and robots rules, over
 * at most MaxConnections HTTP connections. Qt Network fetches in its own
 * thread; pages are parsed and stored in a thread pool; every signal arrives
 * on the thread that owns the scanner. Links in stored pages are rewritten by
 * LinkConversion when the download ends or is stopped.
 *
 * Everything the server chooses is bounded: file names (SiteNames), redirect
 * chains, response sizes, time per item, the number of items and the depth.
 */
class TSiteScanner : public QObject
{
    Q_OBJECT

public:
    explicit TSiteScanner(QObject *parent = nullptr);
    ~TSiteScanner() override;

    // The task
    QString BaseURL;
    QString DestinationDir;
    int Depth = 3;
    bool LoadOtherSites = false;
    /// Kilobytes (1024 bytes); 0: no limit.
    int MaxDownloadKB = 500;
    QString DefaultFileName = QStringLiteral("index.html");
    TLinkConversion LinkConversion = lcOffline;
    bool StrongUpdate = true;
    bool SaveFiles = true;
    bool ObeyRobots = true;
    QStringList AcceptTypes = {QStringLiteral("text/html"), QStringLiteral("image/")};

    // The connection
    QString UserAgent = QStringLiteral("DW");
    int Retries = 2;
    int ConnectTimeoutMs = 30000;
    int MaxConnections = 4;

    // Bounds against a hostile server
    int MaxRedirects = 10;
    int ItemTimeLimitMs = 300000;
    int MaxItems = 100000;
    qint64 MaxPageBytes = 8 * 1024 * 1024;
    qint64 MaxImageBytes = 64 * 1024 * 1024;

    /// Starts a new download; the items of the last one are dropped.
    void Start();
    /// Ends the download: running transfers are cancelled, what arrived is
    /// kept and its links converted. OnProcessed is not raised.
    void Stop();
    TDownloadState State() const;

    /// Every item, in the order queued.
    const QList<TSiteItem *> &AllItems() const;
    /// The item tree's top level; each item's SubTree holds the rest.
    const QList<TSiteItem *> &Tree() const;
    void ClearTree();
    /// Rebuilds the tree from all items, each under its upper item.
    void RebuildTree();

    /// Items fetched so far, images among them, and their bytes.
    int ItemCount() const;
    int ImageCount() const;
    qint64 TotalBytes() const;
    /// Bytes per second over the download's working time.
    double BytesPerSecond() const;
    /// Links refused (unsafe names, robots, bounds) or cut off by a limit.
    int SkippedCount() const;

signals:
    /// An item was queued for fetching.
    void OnAddItem(TSiteItem *item);
    /// An item was fetched and processed.
    void OnProgress(TSiteItem *item);
    /// The download has ended by itself.
    void OnProcessed();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
