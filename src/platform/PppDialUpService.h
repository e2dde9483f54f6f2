// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class LinkWatcher;
class SecretStore;

/**
 * The Linux system's dial-up service. Active connections are the kernel's
 * point-to-point links, whoever dialed them; a link that this backend dialed
 * carries its entry's name, any other one its interface name. Dialing runs
 * pppd with a peer per entry ("rufwerk-" + a safe form of the name) that the
 * privileged helper rufwerk-peers writes. The phone book is a per-user file
 * in the Windows phone-book layout; passwords live in the desktop's secret
 * store, never in that file.
 */
class PppDialUpService : public DialUpService {
public:
    struct Config {
        /// The folder of the per-user phone book ("rasphone.pbk").
        QString phoneBookFolder;
        QString peersFolder = QStringLiteral("/etc/ppp/peers");
        QString chatFolder = QStringLiteral("/etc/chatscripts");
        /// Where pppd notes the interface of a named link ("ppp-<linkname>.pid").
        QString runFolder = QStringLiteral("/run");
        /// Empty: looked up in PATH, /usr/sbin and /sbin.
        QString pppdPath;
        /// The command that runs the helper with root rights, helper path last
        /// ("pkexec", ".../rufwerk-peers"); the helper's own arguments follow.
        QStringList helperCommand;
        /// Root of /sys and /dev for the device list (tests).
        QString systemRoot = QStringLiteral("/");
        /// Whether the kernel can do PPP; null means kernelHasPpp().
        std::function<bool()> kernelCheck;
        /// Null means the desktop's secret store.
        std::shared_ptr<SecretStore> secrets;
        /// Null means a watcher of this process's network namespace.
        std::shared_ptr<LinkWatcher> links;
    };

    /// The folders of a real system: the per-user phone book, pkexec and the
    /// helper installed beside the program.
    static Config systemConfig();

    explicit PppDialUpService(Config config = systemConfig());
    ~PppDialUpService() override;

    QString backendName() const override;

    int enumEntries(QStringList *names) override;
    int getEntryProperties(const QString &entryName, RasEntry *entry) override;
    int setEntryProperties(const QString &entryName, const RasEntry &entry) override;
    int getEntryDialParams(const QString &entryName, RasDialParams *params, bool *passwordStored) override;
    int setEntryDialParams(const RasDialParams &params, bool removePassword) override;
    int renameEntry(const QString &oldName, const QString &newName) override;
    int deleteEntry(const QString &entryName) override;
    int enumDevices(QList<RasDevice> *devices) override;

    int enumConnections(QList<RasConnection> *connections) override;
    int connectStatus(RasHandle handle, RasConnStatus *status) override;
    int projectionInfo(RasHandle handle, RasIpProjection *projection) override;
    QString errorString(int error) const override;

    QStringList findAdapters() override;
    bool startStatistics(bool start) override;
    bool readStatistics(RasStatistics *statistics) override;

    int dial(const RasDialParams &params, RasHandle *handle) override;
    int hangUp(RasHandle handle) override;
    int releaseConnection(RasHandle handle) override;

    /// The traffic of every point-to-point link since this service started,
    /// counted on across re-created interfaces and vanished links.
    quint64 totalBytesSent() const;
    quint64 totalBytesReceived() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

/// True when the kernel under root has PPP: a /dev/ppp node, the ppp
/// character device registered, or the ppp_generic module loaded, built in or
/// installed for the running kernel.
bool kernelHasPpp(const QString &root = QStringLiteral("/"));
