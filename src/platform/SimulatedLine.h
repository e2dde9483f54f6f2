// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

class SimPhoneBook;
struct SimConnectionRecord;

/**
 * A dial-up line that needs no modem: the phone book is a file in the Windows
 * phone-book format, and every connection is a record in a state folder, so all
 * processes of the user see the same connections. Per-entry scenario keys decide
 * how a dial goes (delay, busy, no answer, traffic, remote hang-up, addresses).
 *
 * The folder is $RUFWERK_LINE_DIR, or a per-user default.
 */
class SimulatedLine : public DialUpService
{
public:
    explicit SimulatedLine(const QString &folder = QString());
    ~SimulatedLine() override;

    static QString defaultFolder();
    QString folder() const;
    QString phoneBookPath() const;

    QString backendName() const override;

    int enumEntries(QStringList *names) override;
    int getEntryProperties(const QString &entryName, RasEntry *entry) override;
    int setEntryProperties(const QString &entryName, const RasEntry &entry) override;
    int getEntryDialParams(const QString &entryName, RasDialParams *params, bool *passwordStored) override;
    int setEntryDialParams(const RasDialParams &params, bool removePassword) override;
    /// The line's own small entry dialog (SimEntryDialog), unless a dialog hook is set.
    int createEntryDialog(QObject *owner, QString *createdName = nullptr) override;
    int editEntryDialog(QObject *owner, const QString &entryName) override;
    int renameEntry(const QString &oldName, const QString &newName) override;
    int deleteEntry(const QString &entryName) override;
    int enumDevices(QList<RasDevice> *devices) override;

    int enumConnections(QList<RasConnection> *connections) override;
    int connectStatus(RasHandle handle, RasConnStatus *status) override;
    int projectionInfo(RasHandle handle, RasIpProjection *projection) override;

    QStringList findAdapters() override;
    bool startStatistics(bool start) override;
    bool readStatistics(RasStatistics *statistics) override;

    int dial(const RasDialParams &params, RasHandle *handle) override;
    int hangUp(RasHandle handle) override;
    int releaseConnection(RasHandle handle) override;
    void beginPhoneBookPass() override;
    void endPhoneBookPass() override;

    /// Dials a connection that no process owns: it stays until it is hung up,
    /// where a dialed one goes when its dialing process ends.
    int dialDetached(const RasDialParams &params, RasHandle *handle);
    /// Every connection record, also failed and ended ones not yet hung up, in
    /// dialing order.
    QList<SimConnectionRecord> connectionRecords();
    QString connectionsFolder() const;
    /// The phone book itself, for tools that edit its keys directly.
    SimPhoneBook &phoneBook();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
