// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PppPeer.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace Ppp {

namespace {

constexpr int MaxEntryNameLength = 256;
constexpr int MaxSafeLength = 40;
constexpr int MaxDialDigits = 40;
constexpr int MaxRequestBytes = 4096;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString spelledOut(const QString &name)
{
    static const QHash<QChar, QLatin1String> umlauts = {
        { u'ä', "ae"_L1 },
        { u'ö', "oe"_L1 },
        { u'ü', "ue"_L1 },
        { u'Ä', "Ae"_L1 },
        { u'Ö', "Oe"_L1 },
        { u'Ü', "Ue"_L1 },
        { u'ß', "ss"_L1 },
    };
    QString out;
    for (const QChar c : name) {
        const auto it = umlauts.constFind(c);
        if (it != umlauts.constEnd())
            out += *it;
        else
            out += c;
    }
    // "é" becomes "e": the decomposed form's base letter stays, its accent goes.
    QString plain;
    for (const QChar c : out.normalized(QString::NormalizationForm_KD)) {
        if (!c.isMark())
            plain += c;
    }
    return plain;
}

bool isAsciiAlnum(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

QString flag(bool on)
{
    return on ? u"1"_s : u"0"_s;
}

bool parseFlag(const QString &value, bool *on)
{
    if (value != "0"_L1 && value != "1"_L1)
        return false;
    *on = value == "1"_L1;
    return true;
}

bool checkAddress(const QString &text, QString *error)
{
    static const QRegularExpression dotted(u"^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"_s);
    const QRegularExpressionMatch m = dotted.match(text);
    bool ok = m.hasMatch();
    for (int i = 1; ok && i <= 4; ++i)
        ok = m.captured(i).toInt() <= 255 && (m.captured(i).size() == 1 || !m.captured(i).startsWith(u'0'));
    if (!ok || text == "0.0.0.0"_L1) {
        setError(error, u"Die IP-Adresse „%1“ ist ungültig."_s.arg(text));
        return false;
    }
    return true;
}

QString addressText(quint32 address)
{
    return u"%1.%2.%3.%4"_s.arg(address & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg((address >> 16) & 0xFF)
        .arg(address >> 24);
}

bool isPppoE(const RasEntry &entry)
{
    return entry.deviceType.trimmed().compare("pppoe"_L1, Qt::CaseInsensitive) == 0;
}

// The device part of the device-name field, which may hold "name NUL port".
QString deviceText(const RasEntry &entry)
{
    const QString before = entry.deviceName.section(QChar(0), 0, 0).trimmed();
    const QString after = entry.deviceName.section(QChar(0), 1).trimmed();
    return before.startsWith(u'/') || after.isEmpty() ? before : after;
}

QString localNumber(const RasEntry &entry)
{
    if ((entry.options & RasEntryOption::UseCountryAndAreaCodes) && !entry.areaCode.trimmed().isEmpty())
        return entry.areaCode.trimmed() + u' ' + entry.localPhoneNumber.trimmed();
    return entry.localPhoneNumber.trimmed();
}

} // namespace

QString peerName(const QString &entryName)
{
    QString safe;
    bool pendingDash = false;
    for (const QChar c : spelledOut(entryName)) {
        if (isAsciiAlnum(c)) {
            if (pendingDash && !safe.isEmpty())
                safe += u'-';
            pendingDash = false;
            safe += c;
        } else {
            pendingDash = true;
        }
        if (safe.size() >= MaxSafeLength)
            break;
    }
    if (safe != entryName) {
        const QByteArray hash
            = QCryptographicHash::hash(entryName.toUtf8(), QCryptographicHash::Sha256).toHex().left(8);
        safe += (safe.isEmpty() ? QString() : u"-"_s) + QString::fromLatin1(hash);
    }
    return QLatin1String(PeerPrefix) + safe;
}

bool checkEntryName(const QString &name, QString *error)
{
    if (name.trimmed().isEmpty()) {
        setError(error, u"Der Name der Verbindung ist leer."_s);
        return false;
    }
    if (name.size() > MaxEntryNameLength) {
        setError(error, u"Der Name der Verbindung ist länger als %1 Zeichen."_s.arg(MaxEntryNameLength));
        return false;
    }
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c == u'\\' || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator) {
            setError(error, u"Der Name der Verbindung enthält ein unzulässiges Zeichen."_s);
            return false;
        }
    }
    return true;
}

bool dialNumberFromText(const QString &text, QString *number, QString *error)
{
    QString digits;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u' ' || c == u'-' || c == u'/' || c == u'(' || c == u')' || c == u'.')
            continue;
        if (c == u'+' && digits.isEmpty()) {
            digits += "00"_L1;
            continue;
        }
        if ((c >= u'0' && c <= u'9') || c == u'*' || c == u'#' || c == u',') {
            digits += c;
            continue;
        }
        setError(error,
            u"Die Rufnummer „%1“ enthält ein unzulässiges Zeichen („%2“); erlaubt sind Ziffern, +, *, # und Komma."_s
                .arg(text, QString(c)));
        return false;
    }
    if (digits.isEmpty() || digits == "00"_L1) {
        setError(error, u"Die Verbindung hat keine Rufnummer."_s);
        return false;
    }
    if (digits.size() > MaxDialDigits) {
        setError(error, u"Die Rufnummer ist länger als %1 Zeichen."_s.arg(MaxDialDigits));
        return false;
    }
    *number = digits;
    return true;
}

bool normalizeSerialDevice(const QString &text, QString *device, QString *error)
{
    static const QRegularExpression tty(u"^(?:/dev/)?(tty(?:S|USB|ACM)\\d{1,3})$"_s);
    static const QRegularExpression byId(u"^/dev/serial/by-(?:id|path)/[A-Za-z0-9_.:+-]{1,200}$"_s);
    const QRegularExpressionMatch m = tty.match(text);
    if (m.hasMatch()) {
        *device = "/dev/"_L1 + m.captured(1);
        return true;
    }
    if (byId.match(text).hasMatch() && !text.contains("/.."_L1)) {
        *device = text;
        return true;
    }
    setError(error,
        text.isEmpty() ? u"Die Verbindung hat kein Modem (Gerät wie /dev/ttyUSB0)."_s
                       : u"„%1“ ist kein Modem-Anschluss; erlaubt sind /dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM* "
                         u"und /dev/serial/by-id/..."_s.arg(text));
    return false;
}

bool checkInterfaceName(const QString &name, QString *error)
{
    static const QRegularExpression pattern(u"^[A-Za-z0-9][A-Za-z0-9._-]{0,14}$"_s);
    if (!pattern.match(name).hasMatch()) {
        setError(error,
            name.isEmpty() ? u"Die PPPoE-Verbindung hat keine Netzwerkkarte (wie eth0)."_s
                           : u"„%1“ ist kein gültiger Name einer Netzwerkkarte."_s.arg(name));
        return false;
    }
    return true;
}

bool specFromEntry(const QString &entryName, const RasEntry &entry, PppPeerSpec *spec, QString *error)
{
    PppPeerSpec s;
    if (!checkEntryName(entryName, error))
        return false;
    s.entryName = entryName;
    const QString device = deviceText(entry);
    if (isPppoE(entry)) {
        s.kind = PppPeerSpec::Kind::PppoE;
        if (!checkInterfaceName(device, error))
            return false;
        s.device = device;
    } else {
        s.kind = PppPeerSpec::Kind::Modem;
        if (!normalizeSerialDevice(device, &s.device, error)
            || !dialNumberFromText(localNumber(entry), &s.dialNumber, error))
            return false;
    }
    s.defaultRoute = entry.options & RasEntryOption::RemoteDefaultGateway;
    s.peerDns = !(entry.options & RasEntryOption::SpecificNameServers);
    if ((entry.options & RasEntryOption::SpecificIpAddr) && entry.ipAddr != 0) {
        s.localAddress = addressText(entry.ipAddr);
        if (!checkAddress(s.localAddress, error))
            return false;
    }
    s.vjCompression = entry.options & RasEntryOption::IpHeaderCompression;
    s.compression = entry.options & RasEntryOption::SwCompression;
    *spec = s;
    return true;
}

bool checkEntry(const RasEntry &entry, QString *error)
{
    const QString device = deviceText(entry);
    QString normalized;
    if (isPppoE(entry)) {
        if (!device.isEmpty() && !checkInterfaceName(device, error))
            return false;
    } else {
        if (!device.isEmpty() && !normalizeSerialDevice(device, &normalized, error))
            return false;
        const QString number = localNumber(entry);
        if (!number.isEmpty() && !dialNumberFromText(number, &normalized, error))
            return false;
    }
    return true;
}

bool checkSpec(const PppPeerSpec &spec, QString *error)
{
    if (!checkEntryName(spec.entryName, error))
        return false;
    if (spec.kind == PppPeerSpec::Kind::PppoE) {
        if (!checkInterfaceName(spec.device, error))
            return false;
        if (!spec.dialNumber.isEmpty()) {
            setError(error, u"Eine PPPoE-Verbindung wählt keine Rufnummer."_s);
            return false;
        }
    } else {
        QString device, number;
        if (!normalizeSerialDevice(spec.device, &device, error) || !dialNumberFromText(spec.dialNumber, &number, error))
            return false;
        // Only the canonical forms: what was checked is exactly what gets written.
        if (device != spec.device || number != spec.dialNumber) {
            setError(error, u"Gerät oder Rufnummer sind nicht in der erwarteten Form."_s);
            return false;
        }
    }
    return spec.localAddress.isEmpty() || checkAddress(spec.localAddress, error);
}

QByteArray serializeRequest(const PppPeerSpec &spec)
{
    const QStringList lines = {
        "Name="_L1 + spec.entryName,
        "Type="_L1 + (spec.kind == PppPeerSpec::Kind::PppoE ? "pppoe"_L1 : "modem"_L1),
        "Device="_L1 + spec.device,
        "Number="_L1 + spec.dialNumber,
        "DefaultRoute="_L1 + flag(spec.defaultRoute),
        "PeerDns="_L1 + flag(spec.peerDns),
        "LocalAddress="_L1 + spec.localAddress,
        "VjCompression="_L1 + flag(spec.vjCompression),
        "Compression="_L1 + flag(spec.compression),
    };
    return (lines.join(u'\n') + u'\n').toUtf8();
}

bool parseRequest(const QByteArray &bytes, PppPeerSpec *spec, QString *error)
{
    if (bytes.size() > MaxRequestBytes) {
        setError(error, u"Die Anfrage ist zu groß."_s);
        return false;
    }
    QString text;
    {
        auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = decoder(bytes);
        if (decoder.hasError() || text.contains(QChar(0)) || text.contains(u'\r')) {
            setError(error, u"Die Anfrage ist kein gültiger Text."_s);
            return false;
        }
    }
    if (!text.endsWith(u'\n')) {
        setError(error, u"Die Anfrage ist unvollständig."_s);
        return false;
    }
    text.chop(1);
    static const QStringList keys = { "Name"_L1, "Type"_L1, "Device"_L1, "Number"_L1, "DefaultRoute"_L1, "PeerDns"_L1,
        "LocalAddress"_L1, "VjCompression"_L1, "Compression"_L1 };
    QHash<QString, QString> values;
    for (const QString &line : text.split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        const QString key = line.left(eq);
        if (eq <= 0 || !keys.contains(key) || values.contains(key)) {
            setError(error, u"Die Anfrage enthält eine unbekannte oder doppelte Zeile."_s);
            return false;
        }
        values.insert(key, line.mid(eq + 1));
    }
    if (values.size() != keys.size()) {
        setError(error, u"Der Anfrage fehlen Angaben."_s);
        return false;
    }
    PppPeerSpec s;
    s.entryName = values.value(u"Name"_s);
    const QString type = values.value(u"Type"_s);
    if (type != "modem"_L1 && type != "pppoe"_L1) {
        setError(error, u"Unbekannte Geräteart „%1“."_s.arg(type));
        return false;
    }
    s.kind = type == "pppoe"_L1 ? PppPeerSpec::Kind::PppoE : PppPeerSpec::Kind::Modem;
    s.device = values.value(u"Device"_s);
    s.dialNumber = values.value(u"Number"_s);
    s.localAddress = values.value(u"LocalAddress"_s);
    if (!parseFlag(values.value(u"DefaultRoute"_s), &s.defaultRoute)
        || !parseFlag(values.value(u"PeerDns"_s), &s.peerDns)
        || !parseFlag(values.value(u"VjCompression"_s), &s.vjCompression)
        || !parseFlag(values.value(u"Compression"_s), &s.compression)) {
        setError(error, u"Eine Ja/Nein-Angabe der Anfrage ist weder 0 noch 1."_s);
        return false;
    }
    if (!checkSpec(s, error))
        return false;
    *spec = s;
    return true;
}

QByteArray renderPeer(const PppPeerSpec &spec, const QString &chatFolder, uint ownerUid)
{
    const QString peer = peerName(spec.entryName);
    QStringList lines = {
        u"# Rufwerk: DFÜ-Verbindung %1"_s.arg(spec.entryName),
        u"# rufwerk-owner %1"_s.arg(ownerUid),
        u"# Geschrieben von rufwerk-peers; Änderungen gehen beim nächsten Wählen verloren."_s,
    };
    if (spec.kind == PppPeerSpec::Kind::PppoE) {
        lines << u"plugin rp-pppoe.so"_s << "nic-"_L1 + spec.device;
    } else {
        lines << spec.device << u"115200"_s << u"crtscts"_s << u"lock"_s << u"modem"_s
              << u"connect \"%1 -v -s -f %2/%3\""_s.arg(QLatin1String(ChatProgram), chatFolder, peer);
    }
    lines << u"noauth"_s << u"hide-password"_s << u"maxfail 1"_s << u"lcp-echo-interval 30"_s
          << u"lcp-echo-failure 4"_s;
    lines << (spec.localAddress.isEmpty() ? u"noipdefault"_s : spec.localAddress + u':');
    if (spec.defaultRoute)
        lines << u"defaultroute"_s;
    if (spec.peerDns)
        lines << u"usepeerdns"_s;
    if (!spec.vjCompression)
        lines << u"novj"_s;
    if (!spec.compression)
        lines << u"nobsdcomp"_s << u"nodeflate"_s;
    // The password comes on a file descriptor; the name of the link ties the
    // interface (in /run/ppp-<linkname>.pid) to this entry.
    lines << u"plugin passwordfd.so"_s << "linkname "_L1 + peer << "ipparam "_L1 + peer;
    return (lines.join(u'\n') + u'\n').toUtf8();
}

QByteArray renderChat(const PppPeerSpec &spec, int dialTimeoutSeconds, int initTimeoutSeconds)
{
    if (spec.kind != PppPeerSpec::Kind::Modem)
        return QByteArray();
    const QStringList lines = {
        u"ABORT BUSY"_s,
        u"ABORT \"NO CARRIER\""_s,
        u"ABORT \"NO DIALTONE\""_s,
        u"ABORT \"NO DIAL TONE\""_s,
        u"ABORT \"NO ANSWER\""_s,
        u"ABORT ERROR"_s,
        u"REPORT CONNECT"_s,
        u"TIMEOUT %1"_s.arg(initTimeoutSeconds),
        u"\"\" ATZ"_s,
        u"OK ATDT"_s + spec.dialNumber,
        u"TIMEOUT %1"_s.arg(dialTimeoutSeconds),
        u"CONNECT \"\""_s,
    };
    return (lines.join(u'\n') + u'\n').toUtf8();
}

bool peerOwner(const QByteArray &peerText, uint *ownerUid)
{
    for (const QByteArray &line : peerText.split('\n')) {
        if (!line.startsWith("# rufwerk-owner "))
            continue;
        bool ok = false;
        const uint uid = line.mid(16).trimmed().toUInt(&ok);
        if (ok)
            *ownerUid = uid;
        return ok;
    }
    return false;
}

} // namespace Ppp
