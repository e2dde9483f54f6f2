// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
//
// rufwerk-peers: writes and removes the pppd peer and chat files of Rufwerk's
// dial-up entries. Runs with root rights through pkexec, so it trusts nothing
// it is given: the request is parsed and checked field by field, the files
// are rendered from fixed templates, and a peer that another user's Rufwerk
// wrote (or that Rufwerk did not write at all) is left alone.
//
//   rufwerk-peers write    request ("Key=Value" lines) on standard input
//   rufwerk-peers remove   "Name=<entry name>" on standard input
#include "PppPeer.h"

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxInput = 8192;

[[noreturn]] void quit(int code, const QString &message)
{
    const QByteArray text = ("rufwerk-peers: "_L1 + message + u'\n').toUtf8();
    fwrite(text.constData(), 1, size_t(text.size()), stderr);
    exit(code);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

QByteArray readInput()
{
    QByteArray input;
    char buffer[1024];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        input.append(buffer, qsizetype(n));
        if (input.size() > MaxInput)
            quit(Ppp::HelperExit::InvalidRequest, u"Die Anfrage ist zu groß."_s);
    }
    return input;
}

// The user on whose behalf the helper runs: pkexec names the caller.
uid_t callerUid()
{
    const char *fromPkexec = getenv("PKEXEC_UID");
    if (!fromPkexec)
        return getuid();
    bool ok = false;
    const uint uid = QByteArray(fromPkexec).toUInt(&ok);
    if (!ok)
        quit(Ppp::HelperExit::Usage, u"PKEXEC_UID ist keine Benutzernummer."_s);
    return uid_t(uid);
}

// Folders can be moved for tests, but never when the helper runs through
// pkexec (whose callers must not point root at a folder of their choice).
QString folder(const char *variable, const char *fallback)
{
    const char *value = getenv(variable);
    if (value && *value && !getenv("PKEXEC_UID"))
        return QString::fromLocal8Bit(value);
    return QString::fromLatin1(fallback);
}

QByteArray path(const QString &dir, const QString &name)
{
    return (dir + u'/' + name).toLocal8Bit();
}

// The existing file at path: absent (returns false) or a regular file whose
// text is read; anything else (a link, a folder) stops the helper.
bool readExisting(const QByteArray &file, QByteArray *text)
{
    const int fd = open(file.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return false;
        quit(Ppp::HelperExit::WriteFailed,
            u"„%1“ kann nicht gelesen werden: %2"_s.arg(QString::fromLocal8Bit(file), systemError(errno)));
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        quit(Ppp::HelperExit::WriteFailed, u"„%1“ ist keine gewöhnliche Datei."_s.arg(QString::fromLocal8Bit(file)));
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 && text->size() < 1024 * 1024)
        text->append(buffer, qsizetype(n));
    close(fd);
    return true;
}

// Stops unless the peer file is absent or was written for this user.
void checkOwner(const QString &peersFolder, const QString &peer, uid_t caller)
{
    QByteArray text;
    if (!readExisting(path(peersFolder, peer), &text))
        return;
    uint owner = 0;
    if (!Ppp::peerOwner(text, &owner))
        quit(Ppp::HelperExit::NotOwner, u"Die Datei „%1“ stammt nicht von Rufwerk und bleibt unverändert."_s.arg(peer));
    if (owner != caller && caller != 0)
        quit(Ppp::HelperExit::NotOwner, u"Die Verbindung „%1“ gehört einem anderen Benutzer."_s.arg(peer));
}

// Replaces file atomically with text, readable by root and the dip group only.
void writeFile(const QString &dir, const QString &name, const QByteArray &text)
{
    QByteArray temp = path(dir, u".rufwerk-XXXXXX"_s);
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        quit(Ppp::HelperExit::WriteFailed,
            u"Der Ordner „%1“ kann nicht beschrieben werden: %2"_s.arg(dir, systemError(errno)));
    }
    bool ok = fchmod(fd, 0640) == 0;
    if (ok && geteuid() == 0) {
        if (const group *dip = getgrnam("dip"))
            ok = fchown(fd, 0, dip->gr_gid) == 0;
    }
    ok = ok && write(fd, text.constData(), size_t(text.size())) == ssize_t(text.size()) && fsync(fd) == 0;
    const int error = errno;
    close(fd);
    if (!ok || rename(temp.constData(), path(dir, name).constData()) != 0) {
        const int failure = ok ? errno : error;
        unlink(temp.constData());
        quit(Ppp::HelperExit::WriteFailed,
            u"„%1/%2“ kann nicht geschrieben werden: %3"_s.arg(dir, name, systemError(failure)));
    }
}

void ensureFolder(const QString &dir)
{
    const QByteArray local = dir.toLocal8Bit();
    struct stat info;
    if (lstat(local.constData(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            quit(Ppp::HelperExit::WriteFailed, u"„%1“ ist kein Ordner."_s.arg(dir));
        return;
    }
    if (mkdir(local.constData(), 02750) != 0)
        quit(Ppp::HelperExit::WriteFailed,
            u"Der Ordner „%1“ kann nicht angelegt werden: %2"_s.arg(dir, systemError(errno)));
    if (geteuid() == 0) {
        if (const group *dip = getgrnam("dip")) {
            if (chown(local.constData(), 0, dip->gr_gid) != 0)
                quit(Ppp::HelperExit::WriteFailed, u"Der Ordner „%1“ kann nicht eingerichtet werden."_s.arg(dir));
        }
    }
}

void removeFile(const QString &dir, const QString &name)
{
    if (unlink(path(dir, name).constData()) != 0 && errno != ENOENT) {
        quit(Ppp::HelperExit::WriteFailed,
            u"„%1/%2“ kann nicht gelöscht werden: %3"_s.arg(dir, name, systemError(errno)));
    }
}

} // namespace

int main(int argc, char **argv)
{
    umask(027);
    if (argc != 2 || (strcmp(argv[1], "write") != 0 && strcmp(argv[1], "remove") != 0))
        quit(Ppp::HelperExit::Usage, u"Aufruf: rufwerk-peers write|remove (Anfrage auf der Standardeingabe)"_s);
    const uid_t caller = callerUid();
    const QString peers = folder("RUFWERK_PPP_PEERS", Ppp::SystemPeersFolder);
    const QString chats = folder("RUFWERK_PPP_CHATS", Ppp::SystemChatFolder);
    const QByteArray input = readInput();

    if (strcmp(argv[1], "remove") == 0) {
        QString name = QString::fromUtf8(input);
        if (!name.startsWith("Name="_L1) || !name.endsWith(u'\n') || name.count(u'\n') != 1)
            quit(Ppp::HelperExit::InvalidRequest, u"Erwartet wird genau eine Zeile „Name=…“."_s);
        name = name.mid(5).chopped(1);
        QString error;
        if (!Ppp::checkEntryName(name, &error))
            quit(Ppp::HelperExit::InvalidRequest, error);
        const QString peer = Ppp::peerName(name);
        checkOwner(peers, peer, caller);
        removeFile(peers, peer);
        removeFile(chats, peer);
        return Ppp::HelperExit::Ok;
    }

    PppPeerSpec spec;
    QString error;
    if (!Ppp::parseRequest(input, &spec, &error))
        quit(Ppp::HelperExit::InvalidRequest, error);
    const QString peer = Ppp::peerName(spec.entryName);
    struct stat info;
    if (stat(peers.toLocal8Bit().constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        quit(Ppp::HelperExit::WriteFailed, u"Der Ordner „%1“ fehlt; ist pppd installiert?"_s.arg(peers));
    checkOwner(peers, peer, caller);
    const QByteArray chat = Ppp::renderChat(spec);
    if (!chat.isEmpty()) {
        ensureFolder(chats);
        writeFile(chats, peer, chat);
    } else {
        removeFile(chats, peer); // an entry that no longer dials a modem
    }
    writeFile(peers, peer, Ppp::renderPeer(spec, chats, uint(caller)));
    return Ppp::HelperExit::Ok;
}
