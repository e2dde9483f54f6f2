// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <functional>

class QSocketNotifier;

/// One point-to-point interface of the kernel's link table.
struct PointToPointLink {
    int index = 0;
    QString name;
    QString kind; // the driver's kind ("ppp", "tun", ...), empty when it gives none
    bool ppp = false; // ARPHRD_PPP
    bool up = false; // IFF_UP
    QString localAddress; // IFA_LOCAL
    QString remoteAddress; // IFA_ADDRESS where it differs from the local one
    quint64 bytesSent = 0;
    quint64 bytesReceived = 0;
};

/**
 * The kernel's point-to-point links through rtnetlink: every interface of
 * type PPP or with the point-to-point flag, with its IPv4 addresses and 64-bit
 * traffic counters, whoever created it.
 *
 * A poll is one dump: the 64-bit statistics of the links, or the whole link
 * table when the kernel reported a link change (or lost such reports, or the
 * statistics show a link the table does not know). Addresses come from a cache
 * that is read again only after an address change. Link and address changes
 * also raise changed() through a socket notifier.
 *
 * The sockets belong to the network namespace the watcher was created in.
 */
class LinkWatcher : public QObject {
    Q_OBJECT

public:
    explicit LinkWatcher(QObject *parent = nullptr);
    ~LinkWatcher() override;

    /**
     * Reads the links. Returns 0, or an errno when the kernel could not be
     * read; then links is left as it was: a failed read is no empty table.
     */
    virtual int poll(QList<PointToPointLink> *links);

    /// Parses the messages of one netlink datagram of a link dump: the
    /// point-to-point links, and the index of every link in allIndexes.
    /// Returns 0, or the errno of an error message; done tells that the dump ended.
    static int parseLinkDump(const QByteArray &datagram, quint32 seq, QList<PointToPointLink> *links, bool *done,
        QSet<int> *allIndexes = nullptr);
    /// The same for a statistics dump: index -> (bytes sent, bytes received).
    static int parseStatsDump(
        const QByteArray &datagram, quint32 seq, QHash<int, QPair<quint64, quint64>> *counters, bool *done);
    /// The same for an IPv4 address dump: index -> (local, remote).
    static int parseAddressDump(
        const QByteArray &datagram, quint32 seq, QHash<int, QPair<QString, QString>> *addresses, bool *done);

Q_SIGNALS:
    /// A link came, went or changed, or an address did.
    void changed();

private:
    int openSockets();
    int readLinks();
    int readCounters();
    int dump(int type, const std::function<int(const QByteArray &, bool *)> &parse);
    bool drainEvents();

    int m_request = -1;
    int m_events = -1;
    quint32 m_seq = 0;
    bool m_addressesDirty = true;
    bool m_linksDirty = true;
    bool m_statsDump = true;
    QList<PointToPointLink> m_links; // the table of the last link dump, with the latest counters
    QSet<int> m_allIndexes; // every link of that dump, point-to-point or not
    QHash<int, QPair<QString, QString>> m_addresses;
    QByteArray m_buffer;
    QSocketNotifier *m_notifier = nullptr;
};
