// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QByteArray>
#include <QString>

/**
 * A phone-book entry as a pppd peer: what the peer and chat files say, checked
 * field by field. Peer files are written only from this record through fixed
 * templates, so no value can add a pppd option or a chat command of its own.
 *
 * Shared by the dial-up backend (which builds the request) and the privileged
 * helper rufwerk-peers (which parses and checks it again before writing).
 */
struct PppPeerSpec {
    enum class Kind { Modem, PppoE };

    QString entryName;
    Kind kind = Kind::Modem;
    QString device; // "/dev/ttyUSB0" for a modem, "eth0" for PPPoE
    QString dialNumber; // digits, "*", "#" and "," only; modems only
    bool defaultRoute = true;
    bool peerDns = true;
    QString localAddress; // dotted, or empty for the address the peer gives
    bool vjCompression = true;
    bool compression = true;

    bool operator==(const PppPeerSpec &) const = default;
};

namespace Ppp {

inline constexpr char PeerPrefix[] = "rufwerk-";
inline constexpr char SystemPeersFolder[] = "/etc/ppp/peers";
inline constexpr char SystemChatFolder[] = "/etc/chatscripts";
inline constexpr char ChatProgram[] = "/usr/sbin/chat";
/// Seconds chat waits for the modem's CONNECT after dialing.
inline constexpr int DialTimeoutSeconds = 60;
/// Seconds chat waits for the modem's OK after its reset.
inline constexpr int InitTimeoutSeconds = 10;

/// Exit codes of the helper rufwerk-peers; its stderr carries a German message.
namespace HelperExit {
inline constexpr int Ok = 0;
inline constexpr int InvalidRequest = 1;
inline constexpr int NotOwner = 2;
inline constexpr int WriteFailed = 3;
inline constexpr int Usage = 4;
} // namespace HelperExit

/**
 * The peer name of an entry: "rufwerk-" and the name in letters, digits and
 * "-" (umlauts spelled out). A name that had to be changed for that gets a
 * short hash of itself appended, so two names never share a peer.
 */
QString peerName(const QString &entryName);

/// An entry name the peer files can carry: not empty, at most 256 characters,
/// no control characters, no backslash.
bool checkEntryName(const QString &name, QString *error);

/**
 * The peer record of an entry. A modem entry needs a serial device
 * ("/dev/ttyS*", "ttyUSB*", "ttyACM*", "/dev/serial/by-id/...") and a number;
 * an entry of device type "pppoe" needs an Ethernet interface name. Returns
 * false with a German message for anything else.
 */
bool specFromEntry(const QString &entryName, const RasEntry &entry, PppPeerSpec *spec, QString *error);
/// Checks a phone-book entry as far as it is filled in: empty number and device
/// pass (an entry being created), malformed ones do not.
bool checkEntry(const RasEntry &entry, QString *error);
/// The digits to dial: blanks and "-/()." dropped, a leading "+" becomes "00".
bool dialNumberFromText(const QString &text, QString *number, QString *error);
/// A serial device path or a bare name ("ttyUSB0") as "/dev/...".
bool normalizeSerialDevice(const QString &text, QString *device, QString *error);
bool checkInterfaceName(const QString &name, QString *error);
/// Every field of a spec, as the helper checks a request.
bool checkSpec(const PppPeerSpec &spec, QString *error);

/// The request to the helper: "Key=Value" lines in UTF-8.
QByteArray serializeRequest(const PppPeerSpec &spec);
/// Parses and checks a request; unknown, repeated or missing keys fail.
bool parseRequest(const QByteArray &bytes, PppPeerSpec *spec, QString *error);

/**
 * The peer file. chatFolder is where the chat file lies; ownerUid is recorded
 * so the helper never lets one user replace another user's peer.
 */
QByteArray renderPeer(const PppPeerSpec &spec, const QString &chatFolder, uint ownerUid);
/// The chat file of a modem entry (empty for PPPoE): the modem's reset gets
/// initTimeoutSeconds to answer, the dial dialTimeoutSeconds to connect.
QByteArray renderChat(
    const PppPeerSpec &spec, int dialTimeoutSeconds = DialTimeoutSeconds, int initTimeoutSeconds = InitTimeoutSeconds);
/// The owner recorded in a peer file written by the helper; false when the
/// text is no peer of ours.
bool peerOwner(const QByteArray &peerText, uint *ownerUid);

} // namespace Ppp
