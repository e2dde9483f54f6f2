// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <exception>

Q_DECLARE_METATYPE(RasConnStatus)

/// Raised by TDialUp::FindActiveConnection; the text is the RAS error number.
class EDialUpError : public std::exception
{
public:
    explicit EDialUpError(const QString &message);

    QString message() const { return FMessage; }
    const char *what() const noexcept override { return FWhat.constData(); }

private:
    QString FMessage;
    QByteArray FWhat;
};

/**
 * Phone book, active connections and traffic statistics of the dial-up
 * networking service, for the engine, its connection watcher and the dialogs.
 *
 * Operations return the service's RAS error number (0 on success) and leave
 * their results in the public fields; only FindActiveConnection() throws.
 */
class TDialUp : public QObject
{
    Q_OBJECT
    Q_PROPERTY(TDialMode DialMode READ DialMode WRITE setDialMode)
    Q_PROPERTY(QStringList Entries READ Entries)
    Q_PROPERTY(QString Entry READ Entry WRITE setEntry)
    Q_PROPERTY(TLanguage Language READ Language WRITE setLanguage)
    Q_PROPERTY(QStringList DUNA READ DUNA)
    Q_PROPERTY(QString DUNA_Key READ DUNA_Key WRITE setDUNA_Key)
    Q_PROPERTY(quint64 BytesXmit READ BytesXmit)
    Q_PROPERTY(quint64 BytesRecv READ BytesRecv)
    Q_PROPERTY(quint32 ConnectionSpeed READ ConnectionSpeed)

public:
    enum TDialMode { dmAsync, dmSync };
    Q_ENUM(TDialMode)
    /// Selects the status-text table; Czech holds the German texts.
    enum TLanguage { English, Czech, Portuguese };
    Q_ENUM(TLanguage)

    /// A null service means DialUpService::instance().
    explicit TDialUp(QObject *owner = nullptr, DialUpService *service = nullptr);
    ~TDialUp() override;

    DialUpService &service() const { return *FService; }

    // Properties
    TDialMode DialMode() const { return FDialMode; }
    void setDialMode(TDialMode mode) { FDialMode = mode; }
    const QStringList &Entries() const { return FEntries; }
    QString Entry() const { return FEntry; }
    void setEntry(const QString &entry) { FEntry = entry; }
    TLanguage Language() const { return FLanguage; }
    void setLanguage(TLanguage language) { FLanguage = language; }
    const QStringList &DUNA() const { return FDUNA; }
    QString DUNA_Key() const { return FDUNA_Key; }
    void setDUNA_Key(const QString &key) { FDUNA_Key = key; }
    /// Bytes since the last reset, counted on across the wrap of the system's 32-bit counters.
    quint64 BytesXmit() const { return FBytesXmit; }
    quint64 BytesRecv() const { return FBytesRecv; }
    quint32 ConnectionSpeed() const { return FConnectionSpeed; }

    // Phone book
    /// Entries := every entry name in enumeration order, OnEntryGet per name.
    int GetEntries();
    /// EntryUser := the user name stored for Entry; unchanged on failure.
    int ReadUserName();
    /// EntryPassword := the password stored for Entry (empty when none is stored); unchanged on failure.
    int ReadPassword();
    /// Fills EntryName, PhoneNumber, DisplayNumber, DeviceType, DeviceName and DevicePort for Entry.
    int ReadEntryProperties();
    /// The system dialog for a new entry; createdName receives the new entry's name when known.
    int CreateEntry(QString *createdName = nullptr);
    int EditEntry();
    /// Renames Entry; on success Entry follows the new name.
    int RenameEntry(const QString &newName);
    int DeleteEntry();

    // Connections
    /// Number of active connections, OnActiveConnection per connection; -1 when
    /// they could not be enumerated, which is not the same as none.
    int GetActiveConnections();
    /// Fills the connection fields from the first connection that has a local IP
    /// address. Throws EDialUpError with the RAS error number as text.
    bool FindActiveConnection();
    QString ConnectionStatusText(int state, int error) const;

    // Statistics of the dial-up adapter
    bool FindAdapters();
    bool StartStatistics(bool start, bool findAdapter);
    bool ReadStatistics();
    void ResetStatistics();

    // Entry and connection data
    QString EntryName;
    QString EntryUser;
    QString EntryPassword;
    QString PhoneNumber;
    QString DisplayNumber;
    QString DeviceType;
    QString DeviceName;
    QString DevicePort;
    QString LocalIP;
    QString RemoteIP;
    RasHandle LastHandle = 0;

    // Raw counters of the last statistics read and the baselines they are counted from
    quint32 RawBytesXmit = 0;
    quint32 RawBytesRecv = 0;
    quint32 BaseBytesXmit = 0;
    quint32 BaseBytesRecv = 0;

    /// Connection records FindActiveConnection looks at.
    static constexpr int MaxFindConnections = 10;
    /// Longest entry name, status error text and adapter key taken over.
    static constexpr int MaxEntryNameLength = 256;
    static constexpr int MaxStatusTextLength = 100;
    static constexpr int MaxAdapterKeyLength = 32;

Q_SIGNALS:
    void OnEntryGet(QString name);
    void OnActiveConnection(RasHandle handle, RasConnStatus status, QString statusText, QString entryName,
                            QString deviceType, QString deviceName);

private:
    QObject *dialogOwner() const;

    DialUpService *FService = nullptr;
    TDialMode FDialMode = dmAsync;
    QStringList FEntries;
    QString FEntry;
    TLanguage FLanguage = Czech;
    QStringList FDUNA;
    QString FDUNA_Key;
    quint64 FBytesXmit = 0;
    quint64 FBytesRecv = 0;
    quint32 FConnectionSpeed = 0;
};
