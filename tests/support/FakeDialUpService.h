// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QHash>
#include <QMap>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

/**
 * An in-memory dial-up service for tests: a phone book with properties and
 * dial parameters, connections with status and IP projection, statistics
 * counters, and errors that a test sets per call or per connection.
 *
 * Everything is public so a test can arrange and inspect state directly.
 * References returned by addEntry()/entry() and connection() stay valid only
 * until the next entry or connection is added or removed.
 */
class FakeDialUpService : public DialUpService
{
public:
    struct Entry
    {
        QString name;
        RasEntry properties;
        RasDialParams params;
        bool passwordStored = false;
    };

    struct Connection
    {
        RasConnection connection;
        RasConnStatus status;
        RasIpProjection projection;
        int statusError = 0;     // returned by connectStatus() for this handle
        int projectionError = 0; // returned by projectionInfo() for this handle
    };

    /// Calls whose result a test can force with setFailure().
    enum class Call {
        EnumEntries,
        GetEntryProperties,
        SetEntryProperties,
        GetEntryDialParams,
        SetEntryDialParams,
        CreateEntryDialog,
        EditEntryDialog,
        RenameEntry,
        DeleteEntry,
        EnumDevices,
        EnumConnections,
        ConnectStatus,
        ProjectionInfo,
        Dial,
        HangUp,
    };

    // Phone book
    QList<Entry> entries;
    QList<RasDevice> devices = {{QStringLiteral("modem"), QStringLiteral("Standardmodem")},
                                {QStringLiteral("isdn"), QStringLiteral("ISDN-Adapter")}};

    // Connections
    QList<Connection> connections;
    RasHandle nextHandle = 0x1000;

    // Statistics
    RasStatistics statistics;
    QStringList adapters = {QStringLiteral("DFÜ-Adapter")};
    bool statisticsAvailable = true; // readStatistics() result
    bool startStatisticsResult = true;
    QList<bool> startStatisticsCalls; // the start argument of each call

    // Dialing: dial() adds a connection of the dialed entry in dialState
    int dialState = RasState::Connected;
    QString dialLocalIp = QStringLiteral("10.64.0.2");
    QString dialRemoteIp = QStringLiteral("10.64.0.1");
    QList<RasDialParams> dialed;
    QList<RasHandle> hungUp;

    // Entry dialogs (used when no dialog hook is set)
    int dialogResult = RasError::Success;
    QString dialogCreatesEntry; // name of the entry the create dialog adds; empty adds none
    QObject *lastDialogOwner = nullptr;

    /// Error texts that replace the system's ones.
    QHash<int, QString> errorTexts;
    /// Every call with its main argument, in order ("renameEntry A -> B").
    QStringList calls;

    QString backendName() const override { return QStringLiteral("Fake"); }

    // Arranging

    Entry &addEntry(const QString &name, const QString &localNumber = QString())
    {
        Entry e;
        e.name = name;
        e.params.entryName = name;
        e.properties.localPhoneNumber = localNumber;
        e.properties.deviceType = QStringLiteral("modem");
        e.properties.deviceName = QStringLiteral("Standardmodem");
        entries.append(e);
        return entries.last();
    }

    /// Entries "Name 1" ... "Name count".
    void addEntries(int count, const QString &prefix = QStringLiteral("Verbindung "))
    {
        for (int i = 1; i <= count; ++i)
            addEntry(prefix + QString::number(i), QStringLiteral("030%1").arg(1000 + i));
    }

    void setDialParams(const QString &name, const QString &user, const QString &password, bool stored = true)
    {
        if (Entry *e = entry(name)) {
            e->params.userName = user;
            e->params.password = password;
            e->passwordStored = stored;
        }
    }

    Entry *entry(const QString &name)
    {
        const qsizetype i = indexOfEntry(name);
        return i < 0 ? nullptr : &entries[i];
    }

    qsizetype indexOfEntry(const QString &name) const
    {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    QStringList entryNames() const
    {
        QStringList names;
        for (const Entry &e : entries)
            names << e.name;
        return names;
    }

    /// Adds an active connection; device type and name come from the entry when it exists.
    RasHandle addConnection(const QString &entryName, int state = RasState::Connected,
                            const QString &localIp = QString(), const QString &remoteIp = QString())
    {
        Connection c;
        c.connection.handle = nextHandle++;
        c.connection.entryName = entryName;
        if (const Entry *e = entry(entryName)) {
            c.connection.deviceType = e->properties.deviceType;
            c.connection.deviceName = e->properties.deviceName.section(QChar(0), 0, 0);
        } else {
            c.connection.deviceType = QStringLiteral("modem");
            c.connection.deviceName = QStringLiteral("Standardmodem");
        }
        c.status.state = state;
        c.status.deviceType = c.connection.deviceType;
        c.status.deviceName = c.connection.deviceName;
        c.projection.clientAddress = localIp;
        c.projection.serverAddress = remoteIp;
        connections.append(c);
        return c.connection.handle;
    }

    Connection *connection(RasHandle handle)
    {
        for (Connection &c : connections) {
            if (c.connection.handle == handle)
                return &c;
        }
        return nullptr;
    }

    void setState(RasHandle handle, int state, int error = 0)
    {
        if (Connection *c = connection(handle)) {
            c->status.state = state;
            c->status.error = error;
        }
    }

    bool removeConnection(RasHandle handle)
    {
        for (qsizetype i = 0; i < connections.size(); ++i) {
            if (connections.at(i).connection.handle == handle) {
                connections.removeAt(i);
                return true;
            }
        }
        return false;
    }

    /// Counts traffic on the adapter; the 32-bit counters wrap like the system's.
    void addTraffic(quint32 sent, quint32 received)
    {
        statistics.bytesXmit += sent;
        statistics.bytesRecv += received;
    }

    /// From now on call returns error (0 clears it).
    void setFailure(Call call, int error)
    {
        if (error == RasError::Success)
            m_failures.remove(call);
        else
            m_failures.insert(call, error);
    }
    void clearFailures() { m_failures.clear(); }

    // DialUpService

    int enumEntries(QStringList *names) override
    {
        log(QStringLiteral("enumEntries"));
        names->clear();
        if (const int error = failure(Call::EnumEntries))
            return error;
        *names = entryNames();
        return RasError::Success;
    }

    int getEntryProperties(const QString &entryName, RasEntry *properties) override
    {
        log(QStringLiteral("getEntryProperties ") + entryName);
        if (const int error = failure(Call::GetEntryProperties))
            return error;
        const Entry *e = entry(entryName);
        if (!e)
            return RasError::CannotFindPhonebookEntry;
        *properties = e->properties;
        return RasError::Success;
    }

    int setEntryProperties(const QString &entryName, const RasEntry &properties) override
    {
        log(QStringLiteral("setEntryProperties ") + entryName);
        if (const int error = failure(Call::SetEntryProperties))
            return error;
        Entry *e = entry(entryName);
        if (!e) {
            if (const int invalid = DialUpService::validateEntryName(entryName))
                return invalid;
            e = &addEntry(entryName.trimmed());
        }
        e->properties = properties;
        return RasError::Success;
    }

    int getEntryDialParams(const QString &entryName, RasDialParams *params, bool *passwordStored) override
    {
        log(QStringLiteral("getEntryDialParams ") + entryName);
        if (const int error = failure(Call::GetEntryDialParams))
            return error;
        const Entry *e = entry(entryName);
        if (!e)
            return RasError::CannotFindPhonebookEntry;
        *params = e->params;
        if (passwordStored)
            *passwordStored = e->passwordStored;
        return RasError::Success;
    }

    int setEntryDialParams(const RasDialParams &params, bool removePassword) override
    {
        log(QStringLiteral("setEntryDialParams ") + params.entryName);
        if (const int error = failure(Call::SetEntryDialParams))
            return error;
        Entry *e = entry(params.entryName);
        if (!e)
            return RasError::CannotFindPhonebookEntry;
        const QString name = e->params.entryName;
        e->params = params;
        e->params.entryName = name;
        if (removePassword) {
            e->params.password.clear();
            e->passwordStored = false;
        } else {
            e->passwordStored = true;
        }
        return RasError::Success;
    }

    int createEntryDialog(QObject *owner, QString *createdName = nullptr) override
    {
        log(QStringLiteral("createEntryDialog"));
        lastDialogOwner = owner;
        if (m_dialogHook)
            return DialUpService::createEntryDialog(owner, createdName);
        if (const int error = failure(Call::CreateEntryDialog))
            return error;
        if (dialogResult != RasError::Success)
            return dialogResult;
        if (!dialogCreatesEntry.isEmpty() && !entry(dialogCreatesEntry))
            addEntry(dialogCreatesEntry);
        if (createdName)
            *createdName = dialogCreatesEntry;
        return RasError::Success;
    }

    int editEntryDialog(QObject *owner, const QString &entryName) override
    {
        log(QStringLiteral("editEntryDialog ") + entryName);
        lastDialogOwner = owner;
        if (m_dialogHook)
            return DialUpService::editEntryDialog(owner, entryName);
        if (const int error = failure(Call::EditEntryDialog))
            return error;
        if (!entry(entryName))
            return RasError::CannotFindPhonebookEntry;
        return dialogResult;
    }

    int renameEntry(const QString &oldName, const QString &newName) override
    {
        log(QStringLiteral("renameEntry ") + oldName + QLatin1String(" -> ") + newName);
        if (const int error = failure(Call::RenameEntry))
            return error;
        Entry *e = entry(oldName);
        if (!e)
            return RasError::CannotFindPhonebookEntry;
        const int valid = DialUpService::validateEntryName(newName);
        const bool sameEntry = newName.trimmed().compare(oldName, Qt::CaseInsensitive) == 0;
        if (valid != RasError::Success && !(valid == RasError::AlreadyExists && sameEntry))
            return valid;
        e = entry(oldName); // validateEntryName() enumerated the book
        e->name = newName.trimmed();
        e->params.entryName = e->name;
        for (Connection &c : connections) {
            if (c.connection.entryName.compare(oldName, Qt::CaseInsensitive) == 0)
                c.connection.entryName = e->name;
        }
        return RasError::Success;
    }

    int deleteEntry(const QString &entryName) override
    {
        log(QStringLiteral("deleteEntry ") + entryName);
        if (const int error = failure(Call::DeleteEntry))
            return error;
        const qsizetype i = indexOfEntry(entryName);
        if (i < 0)
            return RasError::CannotFindPhonebookEntry;
        entries.removeAt(i);
        return RasError::Success;
    }

    int enumDevices(QList<RasDevice> *list) override
    {
        log(QStringLiteral("enumDevices"));
        list->clear();
        if (const int error = failure(Call::EnumDevices))
            return error;
        *list = devices;
        return RasError::Success;
    }

    int enumConnections(QList<RasConnection> *list) override
    {
        log(QStringLiteral("enumConnections"));
        list->clear();
        if (const int error = failure(Call::EnumConnections))
            return error;
        for (const Connection &c : std::as_const(connections))
            list->append(c.connection);
        return RasError::Success;
    }

    int connectStatus(RasHandle handle, RasConnStatus *status) override
    {
        log(QStringLiteral("connectStatus ") + QString::number(handle));
        if (const int error = failure(Call::ConnectStatus))
            return error;
        const Connection *c = connection(handle);
        if (!c)
            return RasError::InvalidHandle;
        if (c->statusError)
            return c->statusError;
        *status = c->status;
        return RasError::Success;
    }

    int projectionInfo(RasHandle handle, RasIpProjection *projection) override
    {
        log(QStringLiteral("projectionInfo ") + QString::number(handle));
        if (const int error = failure(Call::ProjectionInfo))
            return error;
        const Connection *c = connection(handle);
        if (!c)
            return RasError::InvalidHandle;
        if (c->projectionError)
            return c->projectionError;
        *projection = c->projection;
        return RasError::Success;
    }

    QString errorString(int error) const override
    {
        const auto it = errorTexts.constFind(error);
        return it != errorTexts.constEnd() ? *it : DialUpService::errorString(error);
    }

    QStringList findAdapters() override
    {
        log(QStringLiteral("findAdapters"));
        return adapters;
    }

    bool startStatistics(bool start) override
    {
        log(start ? QStringLiteral("startStatistics start") : QStringLiteral("startStatistics stop"));
        startStatisticsCalls.append(start);
        return startStatisticsResult;
    }

    bool readStatistics(RasStatistics *result) override
    {
        log(QStringLiteral("readStatistics"));
        if (!statisticsAvailable)
            return false;
        *result = statistics;
        return true;
    }

    int dial(const RasDialParams &params, RasHandle *handle) override
    {
        log(QStringLiteral("dial ") + params.entryName);
        *handle = 0;
        dialed.append(params);
        if (const int error = failure(Call::Dial))
            return error;
        if (!entry(params.entryName))
            return RasError::CannotFindPhonebookEntry;
        *handle = addConnection(params.entryName, dialState, dialLocalIp, dialRemoteIp);
        return RasError::Success;
    }

    int hangUp(RasHandle handle) override
    {
        log(QStringLiteral("hangUp ") + QString::number(handle));
        hungUp.append(handle);
        if (const int error = failure(Call::HangUp))
            return error;
        return removeConnection(handle) ? RasError::Success : RasError::InvalidHandle;
    }

private:
    int failure(Call call) const { return m_failures.value(call, RasError::Success); }
    void log(const QString &call) { calls.append(call); }

    QMap<Call, int> m_failures;
};
