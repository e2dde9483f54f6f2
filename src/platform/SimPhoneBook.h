// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"
#include "SimFiles.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

/**
 * The simulated line's phone book "rasphone.pbk": the Windows phone-book INI
 * layout, one "[Entry name]" section per entry with "Key=Value" lines.
 *
 * Read as UTF-8, or as Windows-1252 when the bytes are not valid UTF-8; written
 * as UTF-8 with CR LF line ends. Values with blanks at either end are written
 * in double quotes, which reading removes again. Section names compare without
 * regard to case, key names too, except that "DEVICE" (the device type) and
 * "Device" (the device name) are two keys.
 *
 * Entry keys, as the Windows phone book names them: PhoneNumber, AreaCode,
 * CountryCode, CountryID, one key per option bit (UseCountryAndAreaCodes,
 * IpAssign and IpNameAssign with 2 for "specified", IpHeaderCompression,
 * IpPrioritizeRemote, LcpExtensions for the inverse of DisableLcpExtensions,
 * ShowMonitorIconInTaskBar, SwCompression, AutoLogon, PromoteAlternates, ...),
 * Options (option bits beyond those), DEVICE, Device, Port, IpAddress,
 * IpDnsAddress, IpDns2Address, IpWinsAddress, IpWins2Address (dotted text),
 * IpFrameSize, ExcludedProtocols (the protocols not negotiated), BaseProtocol
 * (1 PPP, 2 SLIP, 3 RAS), Script. Older spellings (UseDialingRules,
 * SpecificIpAddr, ModemLights, Framing, NetProtocols, FrameSize, ...) are read
 * and written back under the Windows key. Dial parameters: User, Password
 * (obfuscated, see simEncodePassword), PasswordStored, Domain, CallbackNumber.
 * Scenario keys of the simulated line start with "Sim". Every other key is
 * kept as it is.
 */

enum class SimKeyGroup { Entry, DialParams, Scenario };
enum class SimValueKind { Text, Number, Flag, Address };

struct SimKey
{
    QString name;
    SimKeyGroup group;
    SimValueKind kind;
};

/// All keys the simulated line knows, in the order they are written.
const QList<SimKey> &simKeys();
/// The known key that name stands for, or nullptr.
const SimKey *simFindKey(QStringView name);
/// True when both name the same key.
bool simSameKey(QStringView a, QStringView b);
/// Checks a value given for a key; on failure error gets a German message.
bool simCheckValue(const SimKey &key, const QString &value, QString *error);

/// Decimal digits only, 0 to 4294967295.
bool simParseNumber(QStringView text, quint32 *value);
/// "a.b.c.d" with a in the lowest byte, as RasEntry keeps addresses.
QString simAddressText(quint32 address);
bool simParseAddress(QStringView text, quint32 *address);

/// Light obfuscation, so a glance at the file does not show passwords. A stored
/// value without the marker is taken as plain text (hand-written books).
QString simEncodePassword(const QString &password);
QString simDecodePassword(const QString &stored);

struct SimPhoneBookLine
{
    QString key;   // empty: a comment or blank line, kept as text
    QString value; // the value, or the whole line of a comment
};

struct SimPhoneBookSection
{
    QString name;
    QList<SimPhoneBookLine> lines;

    /// The value of the first line with that key.
    QString value(QStringView key, const QString &def = QString(), bool *found = nullptr) const;
    bool contains(QStringView key) const;
    /// Sets the first line with that key, or adds one after the last key line.
    void setValue(const QString &key, const QString &value);
    void removeValue(QStringView key);
};

/// The parsed phone book.
class SimPhoneBookText
{
public:
    /// A damaged book (binary junk, lines that are neither section, key=value,
    /// comment nor blank, keys before the first section) is parsed as far as it
    /// goes; damaged tells and damagedLine gives the first bad line (1-based).
    static SimPhoneBookText parse(const QByteArray &bytes);
    QByteArray serialize() const;

    bool damaged = false;
    int damagedLine = 0;
    QStringList preamble; // comments before the first section
    QList<SimPhoneBookSection> sections;

    /// Entry names in file order, each once.
    const QStringList &names() const { return m_names; }
    /// The first section of that name (case-insensitive), or -1.
    int indexOf(const QString &name) const;
    /// Must be called after sections were changed.
    void reindex();

private:
    QStringList m_names;
    QHash<QString, int> m_index; // case-folded name -> first section
};

/// The entry record of a section; keys other than entry and dial-parameter keys
/// go into passThrough.
RasEntry simEntryFromSection(const SimPhoneBookSection &section);
/// Writes an entry record into a section: entry keys are replaced, dial
/// parameters kept, pass-through keys become those of entry.passThrough.
/// Returns RasError::InvalidParameter (and leaves the section alone) when a text
/// would break the file (line ends, NUL) or a pass-through key is not a key.
int simApplyEntry(SimPhoneBookSection *section, const RasEntry &entry);
/// The stored dial parameters; the password only when one is stored.
RasDialParams simDialParamsFromSection(const SimPhoneBookSection &section, bool *passwordStored);
int simApplyDialParams(SimPhoneBookSection *section, const RasDialParams &params, bool removePassword);
/**
 * Sets one key as a user typed it (the rufwerk-line tool): checks key and value,
 * uses the key's own spelling, stores a password obfuscated and marks it
 * stored. An empty value removes a scenario key. Returns false with a German
 * message for an unknown key or a malformed value.
 */
bool simApplyUserValue(SimPhoneBookSection *section, const QString &key, const QString &value, QString *error);

/**
 * The phone-book file. Reading needs no lock (writes replace the file
 * atomically) and is cached by the file's stamp; writing locks the book, reads
 * it afresh, applies the change and replaces the file. A damaged book is copied
 * to "rasphone.pbk.bak" (or ".bak.2", ".bak.3", ... when that exists) before it
 * is written.
 */
class SimPhoneBook
{
public:
    static constexpr int LockTimeoutMs = 2000;
    enum class Backup { WhenDamaged, Always };

    explicit SimPhoneBook(const QString &path);

    QString path() const { return m_path; }
    QString lockPath() const { return m_path + QLatin1String(".lock"); }

    /// A missing file is an empty book. RasError::CannotOpenPhonebook when the
    /// file cannot be read. The caller checks text->damaged.
    int read(std::shared_ptr<const SimPhoneBookText> *text);
    /// Like read(), but a damaged book gives RasError::CorruptPhonebook.
    int readIntact(std::shared_ptr<const SimPhoneBookText> *text);
    /// The section of an entry of an intact book, CannotFindPhonebookEntry when
    /// there is none; text keeps the section alive.
    int findEntry(const QString &name, std::shared_ptr<const SimPhoneBookText> *text,
                  const SimPhoneBookSection **section);
    /**
     * Runs change on the current book under the lock and writes the result when
     * change returns RasError::Success. CannotOpenPhonebook when the lock is
     * not obtained within LockTimeoutMs, CannotWritePhonebook when the backup
     * or the file cannot be written.
     */
    int modify(const std::function<int(SimPhoneBookText &)> &change, Backup backup = Backup::WhenDamaged);
    /// The backup made by the last modify(), or empty.
    QString lastBackupPath() const { return m_lastBackup; }

    /// While a pass is open, the book is checked against the file once; later
    /// reads of the pass take that state, even right after a write, when the
    /// file's time stamp alone cannot tell a change.
    void beginPass();
    void endPass();

private:
    int readBytes(QByteArray *bytes, bool *exists) const;
    bool writeBackup(const QByteArray &bytes);

    QString m_path;
    QString m_lastBackup;
    std::shared_ptr<const SimPhoneBookText> m_cache;
    SimFileStamp m_cacheStamp;
    QByteArray m_cacheBytes; // the file's bytes the cache was parsed from
    qint64 m_cacheReadAt = 0;
    int m_passDepth = 0;
    bool m_passChecked = false;
};
