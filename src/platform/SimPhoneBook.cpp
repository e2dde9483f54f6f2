// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimPhoneBook.h"

#include "FileLock.h"
#include "TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>

namespace {

enum KeyId {
    DeviceType,
    DeviceName,
    Port,
    PhoneNumber,
    AreaCode,
    CountryCode,
    CountryID,
    OptionBit, // one key per bit, see optionBitNames
    Options,
    IpAddress,
    IpDnsAddress,
    IpDns2Address,
    IpWinsAddress,
    IpWins2Address,
    FrameSize,
    NetProtocols,
    Framing,
    Script,
    OtherKey,
};

// How a key's text stands for the record's value.
enum class Codec {
    Plain,        // the value itself; for an option bit 1 or 0
    Inverted,     // an option bit that the key states the other way round
    Assign,       // an option bit: 2 "specified", 1 "assigned by the server"
    BaseProtocol, // the framing: 1 PPP, 2 SLIP, 3 RAS (the record has 1, 2, 4)
    Excluded,     // the protocols not to be negotiated (the record has those that are)
};

struct OptionKey
{
    const char *name; // as the Windows phone book has it
    Codec codec;
    const char *older; // the record's own name of the bit, still read
};

// The RASEO_* bits in their order, bit 0x1 first.
const OptionKey optionKeys[16] = {
    {"UseCountryAndAreaCodes", Codec::Plain, "UseDialingRules"},
    {"IpAssign", Codec::Assign, "SpecificIpAddr"},
    {"IpNameAssign", Codec::Assign, "SpecificNameServers"},
    {"IpHeaderCompression", Codec::Plain, nullptr},
    {"IpPrioritizeRemote", Codec::Plain, "RemoteDefaultGateway"},
    {"LcpExtensions", Codec::Inverted, "DisableLcpExtensions"},
    {"TerminalBeforeDial", Codec::Plain, nullptr},
    {"TerminalAfterDial", Codec::Plain, nullptr},
    {"ShowMonitorIconInTaskBar", Codec::Plain, "ModemLights"},
    {"SwCompression", Codec::Plain, nullptr},
    {"RequireEncryptedPw", Codec::Plain, nullptr},
    {"RequireMsEncryptedPw", Codec::Plain, nullptr},
    {"RequireDataEncryption", Codec::Plain, nullptr},
    {"NetworkLogon", Codec::Plain, nullptr},
    {"AutoLogon", Codec::Plain, "UseLogonCredentials"},
    {"PromoteAlternates", Codec::Plain, nullptr},
};
constexpr quint32 namedOptionBits = 0xFFFF;
constexpr quint32 knownProtocols = 0xF; // NetBEUI, IPX, IPv4, IPv6

struct KeyInfo
{
    SimKey key;
    KeyId id;
    quint32 bit;  // option keys only
    Codec codec;
    bool older;   // read, but written under the key of the Windows format
};

quint32 decodeRaw(Codec codec, quint32 raw)
{
    switch (codec) {
    case Codec::Plain: return raw;
    case Codec::Inverted: return raw == 0 ? 1 : 0;
    case Codec::Assign: return raw == 2 ? 1 : 0;
    case Codec::BaseProtocol: return raw == 3 ? 4 : raw;
    case Codec::Excluded: return ~raw & knownProtocols;
    }
    return raw;
}

quint32 encodeRaw(Codec codec, quint32 value)
{
    switch (codec) {
    case Codec::Plain: return value;
    case Codec::Inverted: return value == 0 ? 1 : 0;
    case Codec::Assign: return value != 0 ? 2 : 1;
    case Codec::BaseProtocol: return value == 4 ? 3 : value == 3 ? 0 : value;
    case Codec::Excluded: return ~value & knownProtocols;
    }
    return value;
}

const QList<KeyInfo> &keyTable()
{
    static const QList<KeyInfo> table = [] {
        using G = SimKeyGroup;
        using V = SimValueKind;
        QList<KeyInfo> t;
        auto add = [&t](const char *name, G group, V kind, KeyId id, quint32 bit = 0, Codec codec = Codec::Plain,
                        bool older = false) {
            t.append({{QString::fromLatin1(name), group, kind}, id, bit, codec, older});
        };
        add("DEVICE", G::Entry, V::Text, DeviceType);
        add("Device", G::Entry, V::Text, DeviceName);
        add("Port", G::Entry, V::Text, Port);
        add("PhoneNumber", G::Entry, V::Text, PhoneNumber);
        add("AreaCode", G::Entry, V::Text, AreaCode);
        add("CountryCode", G::Entry, V::Number, CountryCode);
        add("CountryID", G::Entry, V::Number, CountryID);
        for (int i = 0; i < 16; ++i) {
            const OptionKey &option = optionKeys[i];
            add(option.name, G::Entry, option.codec == Codec::Assign ? V::Number : V::Flag, OptionBit, 1u << i,
                option.codec);
        }
        add("Options", G::Entry, V::Number, Options);
        add("IpAddress", G::Entry, V::Address, IpAddress);
        add("IpDnsAddress", G::Entry, V::Address, IpDnsAddress);
        add("IpDns2Address", G::Entry, V::Address, IpDns2Address);
        add("IpWinsAddress", G::Entry, V::Address, IpWinsAddress);
        add("IpWins2Address", G::Entry, V::Address, IpWins2Address);
        add("IpFrameSize", G::Entry, V::Number, FrameSize);
        add("ExcludedProtocols", G::Entry, V::Number, NetProtocols, 0, Codec::Excluded);
        add("BaseProtocol", G::Entry, V::Number, Framing, 0, Codec::BaseProtocol);
        add("Script", G::Entry, V::Text, Script);
        // Older spellings, read and taken over by the keys above.
        for (int i = 0; i < 16; ++i) {
            if (optionKeys[i].older)
                add(optionKeys[i].older, G::Entry, V::Flag, OptionBit, 1u << i, Codec::Plain, true);
        }
        add("FrameSize", G::Entry, V::Number, FrameSize, 0, Codec::Plain, true);
        add("NetProtocols", G::Entry, V::Number, NetProtocols, 0, Codec::Plain, true);
        add("Framing", G::Entry, V::Number, Framing, 0, Codec::Plain, true);
        add("User", G::DialParams, V::Text, OtherKey);
        add("Password", G::DialParams, V::Text, OtherKey);
        add("PasswordStored", G::DialParams, V::Flag, OtherKey);
        add("Domain", G::DialParams, V::Text, OtherKey);
        add("CallbackNumber", G::DialParams, V::Text, OtherKey);
        add("SimConnectDelay", G::Scenario, V::Number, OtherKey);
        add("SimBusy", G::Scenario, V::Flag, OtherKey);
        add("SimNoAnswer", G::Scenario, V::Flag, OtherKey);
        add("SimCheckPassword", G::Scenario, V::Flag, OtherKey);
        add("SimRateUp", G::Scenario, V::Number, OtherKey);
        add("SimRateDown", G::Scenario, V::Number, OtherKey);
        add("SimActive", G::Scenario, V::Number, OtherKey);
        add("SimIdle", G::Scenario, V::Number, OtherKey);
        add("SimHangUpAfter", G::Scenario, V::Number, OtherKey);
        add("SimSpeed", G::Scenario, V::Number, OtherKey);
        add("SimLocalIP", G::Scenario, V::Address, OtherKey);
        add("SimRemoteIP", G::Scenario, V::Address, OtherKey);
        return t;
    }();
    return table;
}

// One field of the record, whatever key spells it.
quint64 fieldOf(const KeyInfo &info)
{
    return (quint64(info.id) << 32) | info.bit;
}

// The key of the Windows format for the field of an older spelling.
const KeyInfo *currentKeyOf(const KeyInfo &info)
{
    for (const KeyInfo &candidate : keyTable()) {
        if (!candidate.older && fieldOf(candidate) == fieldOf(info))
            return &candidate;
    }
    return &info;
}

const KeyInfo *findKeyInfo(QStringView name)
{
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const QList<KeyInfo> &t = keyTable();
        for (int i = 0; i < t.size(); ++i) {
            if (t.at(i).id != DeviceType)
                h.insert(t.at(i).key.name.toCaseFolded(), i);
        }
        return h;
    }();
    // "DEVICE" and "Device" differ only in case; every other spelling of
    // "device" means the device name.
    if (name == QLatin1String("DEVICE"))
        return &keyTable().at(0);
    const auto it = index.constFind(name.toString().toCaseFolded());
    return it == index.constEnd() ? nullptr : &keyTable().at(*it);
}

bool isPlainText(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != u'\t')
            return false;
    }
    return true;
}

bool isValidKey(const QString &key)
{
    return !key.isEmpty() && key == key.trimmed() && !key.contains(u'=') && !key.startsWith(u'[')
        && !key.startsWith(u';') && !key.startsWith(u'#') && isPlainText(key);
}

quint32 numberOr(const QString &text, quint32 def)
{
    quint32 v = 0;
    return simParseNumber(text, &v) ? v : def;
}

QString quoted(const QString &value)
{
    if (value.isEmpty())
        return value;
    const bool needsQuotes = value.front().isSpace() || value.back().isSpace()
        || (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'));
    return needsQuotes ? u'"' + value + u'"' : value;
}

QString unquoted(const QString &value)
{
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        return value.mid(1, value.size() - 2);
    return value;
}

QString decodeBook(QByteArray bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return TextFile::decode(bytes);
}

// Where new keys go: after the last key line, so that comments and blank lines
// that end a section stay at its end.
qsizetype insertPosition(const QList<SimPhoneBookLine> &lines)
{
    for (qsizetype i = lines.size(); i > 0; --i) {
        if (!lines.at(i - 1).key.isEmpty())
            return i;
    }
    qsizetype end = lines.size();
    while (end > 0 && lines.at(end - 1).value.trimmed().isEmpty())
        --end;
    return end;
}

QString numberText(quint32 value)
{
    return QString::number(value);
}

// The entry keys of a record in the order they are written.
QList<std::pair<const KeyInfo *, QString>> entryValues(const RasEntry &entry, const QString &name,
                                                       const QString &port)
{
    QList<std::pair<const KeyInfo *, QString>> values;
    for (const KeyInfo &info : keyTable()) {
        if (info.key.group != SimKeyGroup::Entry || info.older)
            continue;
        QString v;
        switch (info.id) {
        case DeviceType: v = entry.deviceType; break;
        case DeviceName: v = name; break;
        case Port:
            if (port.isEmpty())
                continue;
            v = port;
            break;
        case PhoneNumber: v = entry.localPhoneNumber; break;
        case AreaCode: v = entry.areaCode; break;
        case CountryCode: v = numberText(entry.countryCode); break;
        case CountryID: v = numberText(entry.countryId); break;
        case OptionBit: v = numberText(encodeRaw(info.codec, (entry.options & info.bit) ? 1 : 0)); break;
        case Options:
            if (!(entry.options & ~namedOptionBits))
                continue;
            v = numberText(entry.options & ~namedOptionBits);
            break;
        case IpAddress: v = simAddressText(entry.ipAddr); break;
        case IpDnsAddress: v = simAddressText(entry.ipAddrDns); break;
        case IpDns2Address: v = simAddressText(entry.ipAddrDnsAlt); break;
        case IpWinsAddress: v = simAddressText(entry.ipAddrWins); break;
        case IpWins2Address: v = simAddressText(entry.ipAddrWinsAlt); break;
        case FrameSize: v = numberText(entry.frameSize); break;
        case NetProtocols: v = numberText(encodeRaw(info.codec, entry.netProtocols)); break;
        case Framing: v = numberText(encodeRaw(info.codec, entry.framingProtocol)); break;
        case Script: v = entry.script; break;
        case OtherKey: continue;
        }
        values.append({&info, v});
    }
    return values;
}

QByteArray obfuscationKey()
{
    return QByteArrayLiteral("Rufwerk-Leitung");
}

QByteArray xored(QByteArray data)
{
    const QByteArray key = obfuscationKey();
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(data.at(i) ^ key.at(i % key.size()));
    return data;
}

const QLatin1String passwordMarker("~1~");

} // namespace

const QList<SimKey> &simKeys()
{
    static const QList<SimKey> keys = [] {
        QList<SimKey> k;
        for (const KeyInfo &info : keyTable())
            k.append(info.key);
        return k;
    }();
    return keys;
}

const SimKey *simFindKey(QStringView name)
{
    const KeyInfo *info = findKeyInfo(name);
    return info ? &info->key : nullptr;
}

bool simSameKey(QStringView a, QStringView b)
{
    const bool aType = a == QLatin1String("DEVICE");
    const bool bType = b == QLatin1String("DEVICE");
    if (aType || bType)
        return aType && bType;
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool simCheckValue(const SimKey &key, const QString &value, QString *error)
{
    QString expected;
    switch (key.kind) {
    case SimValueKind::Text:
        if (isPlainText(value))
            return true;
        expected = QStringLiteral("Zeilenumbrüche und Steuerzeichen sind nicht erlaubt");
        break;
    case SimValueKind::Number: {
        quint32 v = 0;
        if (simParseNumber(value, &v))
            return true;
        expected = QStringLiteral("erwartet wird eine ganze Zahl von 0 bis 4294967295");
        break;
    }
    case SimValueKind::Flag:
        if (value == QLatin1String("0") || value == QLatin1String("1"))
            return true;
        expected = QStringLiteral("erwartet wird 0 oder 1");
        break;
    case SimValueKind::Address: {
        quint32 v = 0;
        if (simParseAddress(value, &v))
            return true;
        expected = QStringLiteral("erwartet wird eine IP-Adresse wie 10.64.0.1");
        break;
    }
    }
    if (error)
        *error = QStringLiteral("Ungültiger Wert „%1“ für %2: %3.").arg(value, key.name, expected);
    return false;
}

QString simAddressText(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 24) & 0xFF);
}

bool simParseNumber(QStringView text, quint32 *value)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    quint64 v = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c.unicode() - u'0');
    }
    if (v > 0xFFFFFFFFu)
        return false;
    *value = quint32(v);
    return true;
}

bool simParseAddress(QStringView text, quint32 *address)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    quint32 result = 0;
    for (int i = 0; i < 4; ++i) {
        quint32 part = 0;
        if (parts.at(i).size() > 3 || !simParseNumber(parts.at(i), &part) || part > 255)
            return false;
        result |= part << (8 * i);
    }
    *address = result;
    return true;
}

QString simEncodePassword(const QString &password)
{
    if (password.isEmpty())
        return QString();
    return passwordMarker + QString::fromLatin1(xored(password.toUtf8()).toBase64());
}

QString simDecodePassword(const QString &stored)
{
    if (!stored.startsWith(passwordMarker))
        return stored;
    const auto decoded = QByteArray::fromBase64Encoding(stored.mid(passwordMarker.size()).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return stored;
    return QString::fromUtf8(xored(*decoded));
}

QString SimPhoneBookSection::value(QStringView key, const QString &def, bool *found) const
{
    for (const SimPhoneBookLine &line : lines) {
        if (!line.key.isEmpty() && simSameKey(line.key, key)) {
            if (found)
                *found = true;
            return line.value;
        }
    }
    if (found)
        *found = false;
    return def;
}

bool SimPhoneBookSection::contains(QStringView key) const
{
    bool found = false;
    value(key, QString(), &found);
    return found;
}

void SimPhoneBookSection::setValue(const QString &key, const QString &value)
{
    for (SimPhoneBookLine &line : lines) {
        if (!line.key.isEmpty() && simSameKey(line.key, key)) {
            line.value = value;
            return;
        }
    }
    lines.insert(insertPosition(lines), {key, value});
}

void SimPhoneBookSection::removeValue(QStringView key)
{
    lines.removeIf([key](const SimPhoneBookLine &line) { return !line.key.isEmpty() && simSameKey(line.key, key); });
}

SimPhoneBookText SimPhoneBookText::parse(const QByteArray &bytes)
{
    SimPhoneBookText book;
    const QStringList lines = TextFile::splitLines(decodeBook(bytes));
    auto markDamaged = [&book](int lineNumber) {
        if (!book.damaged) {
            book.damaged = true;
            book.damagedLine = lineNumber;
        }
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QString t = line.trimmed();
        if (!isPlainText(line)) {
            markDamaged(i + 1);
            continue;
        }
        if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#')) {
            if (book.sections.isEmpty())
                book.preamble.append(line);
            else
                book.sections.last().lines.append({QString(), line});
            continue;
        }
        if (t.startsWith(u'[')) {
            const QString name = t.endsWith(u']') ? t.mid(1, t.size() - 2).trimmed() : QString();
            if (name.isEmpty()) {
                markDamaged(i + 1);
                continue;
            }
            book.sections.append({name, {}});
            continue;
        }
        const qsizetype eq = t.indexOf(u'=');
        const QString key = eq > 0 ? t.left(eq).trimmed() : QString();
        if (key.isEmpty() || book.sections.isEmpty()) {
            markDamaged(i + 1);
            continue;
        }
        book.sections.last().lines.append({key, unquoted(t.mid(eq + 1).trimmed())});
    }
    book.reindex();
    return book;
}

QByteArray SimPhoneBookText::serialize() const
{
    QString out;
    const QLatin1String crlf("\r\n");
    for (const QString &line : preamble)
        out += line + crlf;
    bool endsBlank = true;
    for (const SimPhoneBookSection &section : sections) {
        if (!endsBlank)
            out += crlf;
        out += u'[' + section.name + u']' + crlf;
        endsBlank = false;
        for (const SimPhoneBookLine &line : section.lines) {
            if (line.key.isEmpty()) {
                out += line.value + crlf;
                endsBlank = line.value.trimmed().isEmpty();
            } else {
                out += line.key + u'=' + quoted(line.value) + crlf;
                endsBlank = false;
            }
        }
    }
    return out.toUtf8();
}

int SimPhoneBookText::indexOf(const QString &name) const
{
    return m_index.value(name.trimmed().toCaseFolded(), -1);
}

void SimPhoneBookText::reindex()
{
    m_names.clear();
    m_index.clear();
    m_names.reserve(sections.size());
    m_index.reserve(sections.size());
    for (int i = 0; i < sections.size(); ++i) {
        const QString folded = sections.at(i).name.toCaseFolded();
        if (m_index.contains(folded))
            continue;
        m_index.insert(folded, i);
        m_names.append(sections.at(i).name);
    }
}

RasEntry simEntryFromSection(const SimPhoneBookSection &section)
{
    RasEntry entry;
    QString device;
    QString port;
    quint32 optionsField = 0;
    quint32 setBits = 0;
    quint32 clearBits = 0;
    const auto take = [&](const KeyInfo &info, const QString &v) {
        switch (info.id) {
        case DeviceType: entry.deviceType = v; break;
        case DeviceName: device = v; break;
        case Port: port = v; break;
        case PhoneNumber: entry.localPhoneNumber = v; break;
        case AreaCode: entry.areaCode = v; break;
        case CountryCode: entry.countryCode = numberOr(v, entry.countryCode); break;
        case CountryID: entry.countryId = numberOr(v, entry.countryId); break;
        case OptionBit:
            if (decodeRaw(info.codec, numberOr(v, 0)) != 0)
                setBits |= info.bit;
            else
                clearBits |= info.bit;
            break;
        case Options: optionsField = numberOr(v, 0); break;
        case IpAddress: simParseAddress(v, &entry.ipAddr); break;
        case IpDnsAddress: simParseAddress(v, &entry.ipAddrDns); break;
        case IpDns2Address: simParseAddress(v, &entry.ipAddrDnsAlt); break;
        case IpWinsAddress: simParseAddress(v, &entry.ipAddrWins); break;
        case IpWins2Address: simParseAddress(v, &entry.ipAddrWinsAlt); break;
        case FrameSize: entry.frameSize = numberOr(v, entry.frameSize); break;
        case NetProtocols: {
            quint32 raw = 0;
            // Bits of protocols nobody knows could not be stored back.
            if (simParseNumber(v, &raw))
                entry.netProtocols = decodeRaw(info.codec, raw) & knownProtocols;
            break;
        }
        case Framing: {
            quint32 raw = 0;
            // 3 has no framing of its own and is stored as 0: read it so.
            if (simParseNumber(v, &raw)) {
                const quint32 framing = decodeRaw(info.codec, raw);
                entry.framingProtocol = framing == 3 ? 0 : framing;
            }
            break;
        }
        case Script: entry.script = v; break;
        case OtherKey: break;
        }
    };
    // The first line of a field counts; a key of the Windows format wins over
    // an older spelling of the same field.
    QSet<quint64> seen;
    QList<std::pair<const KeyInfo *, QString>> older;
    QSet<quint64> olderSeen;
    for (const SimPhoneBookLine &line : section.lines) {
        if (line.key.isEmpty())
            continue;
        const KeyInfo *info = findKeyInfo(line.key);
        if (!info || info->key.group == SimKeyGroup::Scenario) {
            if (!entry.passThrough.contains(line.key))
                entry.passThrough.insert(line.key, line.value);
            continue;
        }
        if (info->key.group != SimKeyGroup::Entry)
            continue;
        const quint64 field = fieldOf(*info);
        if (info->older) {
            if (!olderSeen.contains(field)) {
                olderSeen.insert(field);
                older.append({info, line.value});
            }
            continue;
        }
        if (seen.contains(field))
            continue;
        seen.insert(field);
        take(*info, line.value);
    }
    for (const auto &[info, v] : std::as_const(older)) {
        if (!seen.contains(fieldOf(*info)))
            take(*info, v);
    }
    // The named keys win over the bit field, so a hand edit of one is enough.
    entry.options = (optionsField | setBits) & ~clearBits;
    entry.deviceName = port.isEmpty() ? device : device + QChar(0) + port;
    return entry;
}

int simApplyEntry(SimPhoneBookSection *section, const RasEntry &entry)
{
    // The port follows the device name after a NUL on systems that keep both
    // in one field.
    QString name = entry.deviceName;
    QString port;
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0) {
        port = name.mid(nul + 1);
        port.remove(QChar(0));
        port = port.trimmed();
        name = name.left(nul).trimmed();
    }
    for (const QString *text : {&entry.areaCode, &entry.localPhoneNumber, &entry.script, &entry.deviceType,
                                static_cast<const QString *>(&name), static_cast<const QString *>(&port)}) {
        if (!isPlainText(*text))
            return RasError::InvalidParameter;
    }
    for (auto it = entry.passThrough.constBegin(); it != entry.passThrough.constEnd(); ++it) {
        if (!isValidKey(it.key()) || !isPlainText(it.value()))
            return RasError::InvalidParameter;
    }

    const auto values = entryValues(entry, name, port);
    QHash<const KeyInfo *, QString> pending;
    for (const auto &[info, v] : values)
        pending.insert(info, v);
    QSet<QString> passThroughDone;

    QList<SimPhoneBookLine> out;
    out.reserve(section->lines.size() + values.size());
    for (const SimPhoneBookLine &line : std::as_const(section->lines)) {
        if (line.key.isEmpty()) {
            out.append(line);
            continue;
        }
        const KeyInfo *info = findKeyInfo(line.key);
        if (info && info->key.group == SimKeyGroup::DialParams) {
            out.append(line);
        } else if (info && info->key.group == SimKeyGroup::Entry) {
            // Replaced in place; a repeated or no longer written key goes.
            const auto it = pending.find(info);
            if (it != pending.end()) {
                out.append({line.key, *it});
                pending.erase(it);
            }
        } else if (entry.passThrough.contains(line.key)) {
            // Later lines with the same key were never read; they stay untouched.
            if (passThroughDone.contains(line.key)) {
                out.append(line);
            } else {
                out.append({line.key, entry.passThrough.value(line.key)});
                passThroughDone.insert(line.key);
            }
        }
    }
    QList<SimPhoneBookLine> added;
    for (const auto &[info, v] : values) {
        if (pending.contains(info))
            added.append({info->key.name, v});
    }
    for (auto it = entry.passThrough.constBegin(); it != entry.passThrough.constEnd(); ++it) {
        // Record keys are written from the record's own fields, never from here.
        const KeyInfo *info = findKeyInfo(it.key());
        if (!passThroughDone.contains(it.key()) && (!info || info->key.group == SimKeyGroup::Scenario))
            added.append({it.key(), it.value()});
    }
    const qsizetype at = insertPosition(out);
    for (qsizetype i = 0; i < added.size(); ++i)
        out.insert(at + i, added.at(i));
    section->lines = out;
    return RasError::Success;
}

RasDialParams simDialParamsFromSection(const SimPhoneBookSection &section, bool *passwordStored)
{
    RasDialParams params;
    params.entryName = section.name;
    params.userName = section.value(u"User");
    params.domain = section.value(u"Domain");
    params.callbackNumber = section.value(u"CallbackNumber");
    const bool stored = numberOr(section.value(u"PasswordStored"), 0) != 0;
    if (stored)
        params.password = simDecodePassword(section.value(u"Password"));
    if (passwordStored)
        *passwordStored = stored;
    return params;
}

int simApplyDialParams(SimPhoneBookSection *section, const RasDialParams &params, bool removePassword)
{
    for (const QString *text : {&params.userName, &params.password, &params.domain, &params.callbackNumber}) {
        if (!isPlainText(*text))
            return RasError::InvalidParameter;
    }
    section->setValue(QStringLiteral("User"), params.userName);
    for (const auto &[key, v] : {std::pair{QStringLiteral("Domain"), params.domain},
                                 std::pair{QStringLiteral("CallbackNumber"), params.callbackNumber}}) {
        if (v.isEmpty())
            section->removeValue(key);
        else
            section->setValue(key, v);
    }
    if (removePassword) {
        section->removeValue(u"Password");
        section->setValue(QStringLiteral("PasswordStored"), QStringLiteral("0"));
    } else {
        section->setValue(QStringLiteral("Password"), simEncodePassword(params.password));
        section->setValue(QStringLiteral("PasswordStored"), QStringLiteral("1"));
    }
    return RasError::Success;
}

bool simApplyUserValue(SimPhoneBookSection *section, const QString &key, const QString &value, QString *error)
{
    const KeyInfo *info = findKeyInfo(key);
    if (!info) {
        if (error)
            *error = QStringLiteral("Unbekannter Schlüssel „%1“.").arg(key);
        return false;
    }
    const SimKey &known = info->key;
    if (value.isEmpty() && known.group == SimKeyGroup::Scenario) {
        section->removeValue(known.name);
        return true;
    }
    if (!simCheckValue(known, value, error))
        return false;
    if (known.name == QLatin1String("Password")) {
        section->setValue(known.name, simEncodePassword(value));
        section->setValue(QStringLiteral("PasswordStored"), QStringLiteral("1"));
        return true;
    }
    if (known.group != SimKeyGroup::Entry) {
        section->setValue(known.name, value);
        return true;
    }
    // A field has one key in the book: the one of the Windows format.
    const KeyInfo *current = currentKeyOf(*info);
    QString stored = value;
    if (current != info) {
        quint32 raw = 0;
        simParseNumber(value, &raw);
        stored = numberText(encodeRaw(current->codec, decodeRaw(info->codec, raw)));
    }
    for (const KeyInfo &other : keyTable()) {
        if (other.older && fieldOf(other) == fieldOf(*current))
            section->removeValue(other.key.name);
    }
    section->setValue(current->key.name, stored);
    return true;
}

SimPhoneBook::SimPhoneBook(const QString &path)
    : m_path(path)
{
}

int SimPhoneBook::readBytes(QByteArray *bytes, bool *exists) const
{
    QFile file(m_path);
    *exists = file.exists();
    if (!*exists) {
        bytes->clear();
        return RasError::Success;
    }
    if (!file.open(QIODevice::ReadOnly))
        return RasError::CannotOpenPhonebook;
    *bytes = file.readAll();
    return RasError::Success;
}

void SimPhoneBook::beginPass()
{
    if (m_passDepth++ == 0)
        m_passChecked = false;
}

void SimPhoneBook::endPass()
{
    Q_ASSERT(m_passDepth > 0);
    --m_passDepth;
}

int SimPhoneBook::read(std::shared_ptr<const SimPhoneBookText> *text)
{
    if (m_cache && m_passDepth > 0 && m_passChecked) {
        *text = m_cache;
        return RasError::Success;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const SimFileStamp stamp = simFileStamp(m_path);
    if (m_cache && simStampStillValid(m_cacheStamp, m_cacheReadAt, stamp)) {
        m_passChecked = m_passDepth > 0;
        *text = m_cache;
        return RasError::Success;
    }
    QByteArray bytes;
    bool exists = false;
    const int result = readBytes(&bytes, &exists);
    if (result != RasError::Success)
        return result;
    // Right after a change the stamp cannot tell; the bytes can, and comparing
    // them is much cheaper than parsing them again.
    if (!m_cache || m_cacheStamp != stamp || bytes != m_cacheBytes) {
        m_cache = std::make_shared<const SimPhoneBookText>(SimPhoneBookText::parse(bytes));
        m_cacheBytes = bytes;
    }
    m_cacheStamp = stamp;
    m_cacheReadAt = now;
    m_passChecked = m_passDepth > 0;
    *text = m_cache;
    return RasError::Success;
}

int SimPhoneBook::readIntact(std::shared_ptr<const SimPhoneBookText> *text)
{
    const int result = read(text);
    if (result == RasError::Success && (*text)->damaged)
        return RasError::CorruptPhonebook;
    return result;
}

int SimPhoneBook::findEntry(const QString &name, std::shared_ptr<const SimPhoneBookText> *text,
                            const SimPhoneBookSection **section)
{
    const int result = readIntact(text);
    if (result != RasError::Success)
        return result;
    const int index = (*text)->indexOf(name);
    if (index < 0)
        return RasError::CannotFindPhonebookEntry;
    *section = &(*text)->sections.at(index);
    return RasError::Success;
}

bool SimPhoneBook::writeBackup(const QByteArray &bytes)
{
    // An earlier backup may be the only good copy; it is never replaced.
    for (int n = 1; n < 1000; ++n) {
        QString candidate = m_path + QLatin1String(".bak");
        if (n > 1)
            candidate += u'.' + QString::number(n);
        if (QFileInfo::exists(candidate))
            continue;
        QFile file(candidate);
        // A copy of the book holds its passwords too.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
            return false;
        if (file.write(bytes) != bytes.size() || !file.flush())
            return false;
        m_lastBackup = candidate;
        return true;
    }
    return false;
}

int SimPhoneBook::modify(const std::function<int(SimPhoneBookText &)> &change, Backup backup)
{
    m_lastBackup.clear();
    if (!TextFile::makePrivateFolder(QFileInfo(m_path).absolutePath()))
        return RasError::CannotWritePhonebook;
    FileLock lock(lockPath());
    switch (lock.lock(LockTimeoutMs)) {
    case FileLock::Result::Locked: break;
    case FileLock::Result::Busy: return RasError::CannotOpenPhonebook;
    case FileLock::Result::Failed: return RasError::CannotWritePhonebook;
    }
    QByteArray bytes;
    bool exists = false;
    int result = readBytes(&bytes, &exists);
    if (result != RasError::Success)
        return result;
    SimPhoneBookText text = SimPhoneBookText::parse(bytes);
    const bool damaged = text.damaged;
    result = change(text);
    if (result != RasError::Success)
        return result;
    text.reindex();
    if (exists && !bytes.isEmpty() && (damaged || backup == Backup::Always) && !writeBackup(bytes))
        return RasError::CannotWritePhonebook;
    const QByteArray written = text.serialize();
    if (!TextFile::writeText(m_path, written))
        return RasError::CannotWritePhonebook;
    // What was just written need not be parsed again: it is the cache, checked
    // against the file's bytes until its stamp can be trusted. Writing left
    // out what was damaged.
    text.damaged = false;
    text.damagedLine = 0;
    m_cache = std::make_shared<const SimPhoneBookText>(std::move(text));
    m_cacheBytes = written;
    m_cacheStamp = simFileStamp(m_path);
    m_cacheReadAt = QDateTime::currentMSecsSinceEpoch();
    return RasError::Success;
}
