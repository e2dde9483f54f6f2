// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PppDialUpService.h"

#include "LinkWatcher.h"
#include "PppPeer.h"
#include "PppProgress.h"
#include "PppdProcess.h"
#include "SecretStore.h"
#include "SimulatedLine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <map>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Handles of links this service did not dial and of its own dial sessions
// live in two ranges, so one never passes for the other.
constexpr RasHandle LinkHandleBase = RasHandle(1) << 32;
constexpr RasHandle SessionHandleBase = RasHandle(1) << 40;
// A poll this young answers status and address questions without a new dump.
constexpr qint64 FreshPollMs = 200;
// An ended session stays readable this long for the last status query.
constexpr qint64 EndedLifetimeMs = 60000;

constexpr int PkexecDismissed = 126;
constexpr int PkexecNotAuthorized = 127;

QByteArray readSmallFile(const QString &path, qint64 limit = 64 * 1024)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(limit);
}

QString firstLine(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).section(u'\n', 0, 0).trimmed();
}

} // namespace

struct PppDialUpService::Private {
    struct Session {
        RasHandle handle = 0;
        QString entryName;
        QString peer;
        QString deviceType;
        QString deviceName;
        QStringList arguments;
        std::optional<QByteArray> password;
        PppProgress progress;
        std::unique_ptr<PppdProcess> process;
        std::unique_ptr<QProcess> helper;
        int linkIndex = 0;
        bool hungUp = false;
        qint64 endedAtMs = 0;

        ~Session()
        {
            // The password lives only until pppd has it.
            if (password)
                password->fill('\0');
        }
    };

    struct Counted {
        QString name;
        quint64 sent = 0;
        quint64 received = 0;
    };

    Config config;
    SimulatedLine phoneBook;
    std::shared_ptr<SecretStore> secrets;
    std::shared_ptr<LinkWatcher> watcher;
    std::map<RasHandle, std::unique_ptr<Session>> sessions;
    std::vector<std::unique_ptr<PppdProcess>> released;
    quint64 nextSession = 1;

    QList<PointToPointLink> links;
    qint64 polledAtMs = 0;
    bool polledOnce = false;
    QHash<int, Counted> counted; // by interface index
    quint64 totalSent = 0;
    quint64 totalReceived = 0;
    QHash<QString, QString> linkEntries; // interface name -> entry name of a link this program dialed earlier
    QStringList linkNamesSeen;

    QHash<int, QString> errorTexts;
    QObject tidyingHelpers; // helpers nobody waits for end with the service

    explicit Private(Config c)
        : config(std::move(c))
        , phoneBook(config.phoneBookFolder)
        , secrets(config.secrets)
        , watcher(config.links)
    {
        if (!secrets)
            secrets = std::shared_ptr<SecretStore>(createDesktopSecretStore());
        if (!watcher)
            watcher = std::make_shared<LinkWatcher>();
    }

    /// The stored dial parameters of an entry, with the name as the book spells it.
    int stored(const QString &entryName, RasDialParams *params)
    {
        bool ignored = false;
        return phoneBook.getEntryDialParams(entryName, params, &ignored);
    }

    int remember(int error, const QString &text)
    {
        errorTexts.insert(error, text);
        return error;
    }

    QString pppdPath() const
    {
        if (!config.pppdPath.isEmpty())
            return config.pppdPath;
        QString found = QStandardPaths::findExecutable(u"pppd"_s);
        if (found.isEmpty())
            found = QStandardPaths::findExecutable(u"pppd"_s, { u"/usr/sbin"_s, u"/sbin"_s });
        return found;
    }

    Session *session(RasHandle handle)
    {
        const auto it = sessions.find(handle);
        return it == sessions.end() ? nullptr : it->second.get();
    }

    const PointToPointLink *link(int index) const
    {
        for (const PointToPointLink &l : links) {
            if (l.index == index)
                return &l;
        }
        return nullptr;
    }

    const PointToPointLink *linkNamed(const QString &name) const
    {
        for (const PointToPointLink &l : links) {
            if (l.name == name)
                return &l;
        }
        return nullptr;
    }

    int refresh();
    int refreshIfStale();
    void count(const QList<PointToPointLink> &fresh);
    void mapLinksToEntries();
    void dropEndedSessions();
    void noteError(Session &s);
    void startPppd(Session &s);
    bool peerIsCurrent(const PppPeerSpec &spec) const;
    void runHelper(Session *s, const QStringList &arguments, const QByteArray &input);
    void removePeerOf(const QString &entryName);
    QString entryForPeer(const QString &peer);
};

int PppDialUpService::Private::refresh()
{
    QList<PointToPointLink> fresh;
    const int error = watcher->poll(&fresh);
    if (error != 0) {
        return remember(PppError::LinksUnreadable,
            u"Die Verbindungen des Systems können nicht gelesen werden: %1"_s.arg(
                QString::fromLocal8Bit(strerror(error))));
    }
    count(fresh);
    links = std::move(fresh);
    polledAtMs = QDateTime::currentMSecsSinceEpoch();
    mapLinksToEntries();
    return RasError::Success;
}

int PppDialUpService::Private::refreshIfStale()
{
    if (polledOnce && QDateTime::currentMSecsSinceEpoch() - polledAtMs < FreshPollMs)
        return RasError::Success;
    return refresh();
}

void PppDialUpService::Private::count(const QList<PointToPointLink> &fresh)
{
    QHash<int, Counted> next;
    for (const PointToPointLink &l : fresh) {
        Counted now { l.name, l.bytesSent, l.bytesReceived };
        const auto before = counted.constFind(l.index);
        if (!polledOnce) {
            // Traffic from before this program started is not counted.
        } else if (before == counted.constEnd() || before->name != l.name) {
            totalSent += l.bytesSent;
            totalReceived += l.bytesReceived;
        } else {
            // Counters that went back belong to a re-created interface: they start from zero.
            totalSent += l.bytesSent >= before->sent ? l.bytesSent - before->sent : l.bytesSent;
            totalReceived += l.bytesReceived >= before->received ? l.bytesReceived - before->received : l.bytesReceived;
        }
        next.insert(l.index, now);
    }
    counted = std::move(next);
    polledOnce = true;
}

QString PppDialUpService::Private::entryForPeer(const QString &peer)
{
    QStringList names;
    if (phoneBook.enumEntries(&names) != RasError::Success)
        return QString();
    for (const QString &name : std::as_const(names)) {
        if (Ppp::peerName(name) == peer)
            return name;
    }
    return QString();
}

void PppDialUpService::Private::mapLinksToEntries()
{
    QStringList names;
    for (const PointToPointLink &l : std::as_const(links))
        names << l.name;
    if (names == linkNamesSeen)
        return;
    linkNamesSeen = names;
    // pppd notes each named link's interface in "ppp-<linkname>.pid": a link
    // this program dialed before it was restarted still carries its entry.
    linkEntries.clear();
    const QString prefix = "ppp-"_L1 + QLatin1String(Ppp::PeerPrefix);
    const QStringList files = QDir(config.runFolder).entryList({ prefix + u"*.pid"_s }, QDir::Files);
    for (const QString &file : files) {
        const QList<QByteArray> lines = readSmallFile(config.runFolder + u'/' + file, 1024).split('\n');
        if (lines.size() < 2)
            continue;
        const QString interface = QString::fromLatin1(lines.at(1).trimmed());
        if (!names.contains(interface))
            continue;
        const QString entry = entryForPeer(file.mid(4, file.size() - 8));
        if (!entry.isEmpty())
            linkEntries.insert(interface, entry);
    }
}

void PppDialUpService::Private::dropEndedSessions()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (auto it = sessions.begin(); it != sessions.end();) {
        Session &s = *it->second;
        const bool over = s.progress.hasEnded() && (s.hungUp || now - s.endedAtMs > EndedLifetimeMs);
        it = over ? sessions.erase(it) : std::next(it);
    }
}

void PppDialUpService::Private::noteError(Session &s)
{
    const int error = s.progress.error();
    if (error == 0)
        return;
    const QString detail = s.progress.detail();
    QString text;
    switch (error) {
    case PppError::DeviceLocked:
        text = u"Das Gerät %1 ist von einem anderen Programm belegt."_s.arg(detail.isEmpty() ? s.deviceName : detail);
        break;
    case PppError::DeviceMissing:
        text = u"Das Gerät %1 ist nicht vorhanden oder nicht zugänglich."_s.arg(
            detail.isEmpty() ? s.deviceName : detail);
        break;
    case PppError::OptionsRejected:
        text = detail.isEmpty() ? QString() : u"pppd lehnt die Verbindungsdaten ab: %1"_s.arg(detail);
        break;
    case PppError::PppdFailed:
        text = detail.isEmpty() ? QString() : u"pppd ist mit einem Fehler beendet: %1"_s.arg(detail);
        break;
    default:
        text = detail;
        break;
    }
    if (text.isEmpty())
        errorTexts.remove(error);
    else
        errorTexts.insert(error, text);
}

bool PppDialUpService::Private::peerIsCurrent(const PppPeerSpec &spec) const
{
    const QString peer = Ppp::peerName(spec.entryName);
    const QByteArray chat = Ppp::renderChat(spec);
    if (readSmallFile(config.peersFolder + u'/' + peer) != Ppp::renderPeer(spec, config.chatFolder, getuid()))
        return false;
    return chat.isEmpty() || readSmallFile(config.chatFolder + u'/' + peer) == chat;
}

void PppDialUpService::Private::runHelper(Session *s, const QStringList &arguments, const QByteArray &input)
{
    auto helper = std::make_unique<QProcess>();
    QStringList command = config.helperCommand;
    const QString program = command.takeFirst();
    helper->setProgram(program);
    helper->setArguments(command + arguments);
    helper->setProcessChannelMode(QProcess::SeparateChannels);
    QProcess *raw = helper.get();
    if (s) {
        const RasHandle handle = s->handle;
        QObject::connect(raw, &QProcess::finished, raw, [this, handle](int exitCode, QProcess::ExitStatus status) {
            Session *owner = session(handle);
            if (!owner || !owner->helper)
                return;
            const QString message = firstLine(owner->helper->readAllStandardError());
            if (status == QProcess::NormalExit && exitCode == Ppp::HelperExit::Ok) {
                startPppd(*owner);
                return;
            }
            if (status == QProcess::NormalExit && (exitCode == PkexecDismissed || exitCode == PkexecNotAuthorized)
                && message.isEmpty()) {
                owner->progress.abort(PppError::NotAuthorized);
            } else {
                owner->progress.abort(remember(PppError::PeerNotWritten,
                    u"Die Verbindungsdaten für pppd konnten nicht geschrieben werden: %1"_s.arg(
                        message.isEmpty() ? u"Hilfsprogramm endete mit %1"_s.arg(exitCode) : message)));
            }
            owner->endedAtMs = QDateTime::currentMSecsSinceEpoch();
        });
        QObject::connect(raw, &QProcess::errorOccurred, raw, [this, handle](QProcess::ProcessError error) {
            Session *owner = session(handle);
            if (error != QProcess::FailedToStart || !owner)
                return;
            owner->progress.abort(remember(PppError::PeerNotWritten,
                u"Die Verbindungsdaten für pppd konnten nicht geschrieben werden: „%1“ "
                u"lässt sich nicht starten."_s.arg(owner->helper->program())));
            owner->endedAtMs = QDateTime::currentMSecsSinceEpoch();
        });
        s->helper = std::move(helper);
    } else {
        // Nobody waits for this one: it tidies up and goes.
        QObject::connect(raw, &QProcess::finished, raw, &QObject::deleteLater);
        QObject::connect(raw, &QProcess::errorOccurred, raw, [raw](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                raw->deleteLater();
        });
        helper.release()->setParent(&tidyingHelpers);
    }
    raw->start();
    raw->write(input);
    raw->closeWriteChannel();
}

void PppDialUpService::Private::startPppd(Session &s)
{
    if (s.hungUp) {
        s.progress.abort(RasError::UserDisconnection);
        return;
    }
    const QString program = pppdPath();
    s.process = std::make_unique<PppdProcess>();
    const RasHandle handle = s.handle;
    QObject::connect(s.process.get(), &PppdProcess::lineRead, s.process.get(), [this, handle](const QString &line) {
        if (Session *owner = session(handle)) {
            owner->progress.feedLine(line);
            noteError(*owner);
        }
    });
    QObject::connect(
        s.process.get(), &PppdProcess::finished, s.process.get(), [this, handle](int exitCode, int signal) {
            if (Session *owner = session(handle)) {
                owner->progress.finished(exitCode, signal);
                owner->endedAtMs = QDateTime::currentMSecsSinceEpoch();
                noteError(*owner);
            }
        });
    const int result = s.process->start(program, s.arguments, s.password);
    if (s.password) {
        s.password->fill('\0');
        s.password.reset();
    }
    if (result != 0) {
        s.progress.abort(result == EACCES || result == EPERM ? PppError::PppdNotPermitted : PppError::PppdMissing);
        s.endedAtMs = QDateTime::currentMSecsSinceEpoch();
    }
}

void PppDialUpService::Private::removePeerOf(const QString &entryName)
{
    // Only a peer that exists costs the user an authorization.
    if (config.helperCommand.isEmpty() || !QFileInfo::exists(config.peersFolder + u'/' + Ppp::peerName(entryName)))
        return;
    runHelper(nullptr, { u"remove"_s }, ("Name="_L1 + entryName + u'\n').toUtf8());
}

// ---------------------------------------------------------------------------

PppDialUpService::Config PppDialUpService::systemConfig()
{
    Config c;
    const QString home = qEnvironmentVariable("RUFWERK_HOME");
    c.phoneBookFolder = !home.isEmpty()
        ? QDir::cleanPath(home)
        : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Rufwerk"_L1;
    const QString helper = QCoreApplication::applicationDirPath() + "/rufwerk-peers"_L1;
    c.helperCommand = { u"pkexec"_s, helper };
    return c;
}

PppDialUpService::PppDialUpService(Config config)
    : d(std::make_unique<Private>(std::move(config)))
{
}

PppDialUpService::~PppDialUpService() = default;

QString PppDialUpService::backendName() const
{
    return u"Linux-System (pppd)"_s;
}

int PppDialUpService::enumEntries(QStringList *names)
{
    return d->phoneBook.enumEntries(names);
}

int PppDialUpService::getEntryProperties(const QString &entryName, RasEntry *entry)
{
    return d->phoneBook.getEntryProperties(entryName, entry);
}

int PppDialUpService::setEntryProperties(const QString &entryName, const RasEntry &entry)
{
    QString error;
    if (!Ppp::checkEntry(entry, &error))
        return d->remember(PppError::InvalidEntry, error);
    if (!Ppp::checkEntryName(entryName.trimmed(), &error))
        return RasError::InvalidName;
    return d->phoneBook.setEntryProperties(entryName, entry);
}

int PppDialUpService::getEntryDialParams(const QString &entryName, RasDialParams *params, bool *passwordStored)
{
    RasDialParams stored;
    const int result = d->stored(entryName, &stored);
    if (result != RasError::Success)
        return result;
    // The file never holds the password here, whatever a copied book says.
    stored.password.clear();
    bool found = false;
    QString error;
    if (!d->secrets) {
        found = false;
    } else if (!d->secrets->readPassword(stored.entryName, &stored.password, &found, &error)) {
        return d->remember(PppError::SecretStoreFailed, error);
    }
    *params = stored;
    if (passwordStored)
        *passwordStored = found;
    return RasError::Success;
}

int PppDialUpService::setEntryDialParams(const RasDialParams &params, bool removePassword)
{
    RasDialParams current;
    int result = d->stored(params.entryName, &current);
    if (result != RasError::Success)
        return result;
    QString error;
    if (removePassword) {
        if (d->secrets && !d->secrets->removePassword(current.entryName, &error))
            return d->remember(PppError::SecretStoreFailed, error);
    } else {
        if (!d->secrets) {
            return d->remember(PppError::SecretStoreFailed,
                u"Dieses Programm wurde ohne Passwortspeicher gebaut; Passwort bei jedem Wählen abfragen lassen."_s);
        }
        if (!d->secrets->writePassword(current.entryName, params.password, &error))
            return d->remember(PppError::SecretStoreFailed, error);
    }
    RasDialParams withoutPassword = params;
    withoutPassword.password.clear();
    return d->phoneBook.setEntryDialParams(withoutPassword, true);
}

int PppDialUpService::renameEntry(const QString &oldName, const QString &newName)
{
    RasDialParams current;
    int result = d->stored(oldName, &current);
    if (result != RasError::Success)
        return result;
    QString error;
    if (!Ppp::checkEntryName(newName.trimmed(), &error))
        return RasError::InvalidName;
    // The password moves first, so a store that fails leaves everything as it was.
    QString password;
    bool found = false;
    if (d->secrets && !d->secrets->readPassword(current.entryName, &password, &found, &error))
        return d->remember(PppError::SecretStoreFailed, error);
    if (found && !d->secrets->writePassword(newName.trimmed(), password, &error))
        return d->remember(PppError::SecretStoreFailed, error);
    result = d->phoneBook.renameEntry(oldName, newName);
    if (result != RasError::Success) {
        if (found && current.entryName.compare(newName.trimmed(), Qt::CaseInsensitive) != 0)
            d->secrets->removePassword(newName.trimmed(), &error);
        return result;
    }
    if (found && current.entryName != newName.trimmed())
        d->secrets->removePassword(current.entryName, &error);
    password.fill(u'\0');
    if (Ppp::peerName(current.entryName) != Ppp::peerName(newName.trimmed()))
        d->removePeerOf(current.entryName);
    return RasError::Success;
}

int PppDialUpService::deleteEntry(const QString &entryName)
{
    RasDialParams current;
    int result = d->stored(entryName, &current);
    if (result != RasError::Success)
        return result;
    result = d->phoneBook.deleteEntry(entryName);
    if (result != RasError::Success)
        return result;
    QString error;
    // A password left behind in the store loses nothing; the entry is gone either way.
    if (d->secrets)
        d->secrets->removePassword(current.entryName, &error);
    d->removePeerOf(current.entryName);
    return RasError::Success;
}

int PppDialUpService::enumDevices(QList<RasDevice> *devices)
{
    devices->clear();
    const QString root = QDir::cleanPath(d->config.systemRoot);
    const QString dev = root + "/dev"_L1;
    const QString ttyClass = root + "/sys/class/tty/"_L1;
    QStringList serial = QDir(dev).entryList({ u"ttyUSB*"_s, u"ttyACM*"_s, u"ttyS*"_s }, QDir::System | QDir::Files);
    static const QRegularExpression numbered(u"^tty(S|USB|ACM)(\\d+)$"_s);
    serial.erase(std::remove_if(serial.begin(), serial.end(),
                     [&](const QString &name) {
                         if (!numbered.match(name).hasMatch())
                             return true;
                         // Every system has ttyS0..31; only those with a UART behind them count.
                         return name.startsWith("ttyS"_L1)
                             && readSmallFile(ttyClass + name + "/type"_L1, 16).trimmed() == "0";
                     }),
        serial.end());
    std::sort(serial.begin(), serial.end(), [](const QString &a, const QString &b) {
        const QRegularExpressionMatch ma = numbered.match(a);
        const QRegularExpressionMatch mb = numbered.match(b);
        return ma.captured(1) != mb.captured(1) ? ma.captured(1) > mb.captured(1)
                                                : ma.captured(2).toInt() < mb.captured(2).toInt();
    });
    for (const QString &name : std::as_const(serial))
        devices->append({ u"modem"_s, "/dev/"_L1 + name });
    const QString netClass = root + "/sys/class/net/"_L1;
    const QStringList interfaces = QDir(netClass).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &name : interfaces) {
        // Ethernet (ARPHRD_ETHER) carries PPPoE; loopback and tunnels do not.
        if (readSmallFile(netClass + name + "/type"_L1, 16).trimmed() == "1" && name != "lo"_L1)
            devices->append({ u"pppoe"_s, name });
    }
    return RasError::Success;
}

int PppDialUpService::enumConnections(QList<RasConnection> *connections)
{
    const int result = d->refresh();
    if (result != RasError::Success)
        return result;
    d->dropEndedSessions();
    QList<RasConnection> found;
    QHash<QString, Private::Session *> byInterface;
    for (auto &[handle, s] : d->sessions) {
        if (s->process)
            s->process->pump();
        if (s->progress.hasEnded())
            continue;
        const QString interface = s->progress.interfaceName();
        const PointToPointLink *l = interface.isEmpty() ? nullptr : d->linkNamed(interface);
        if (l) {
            s->linkIndex = l->index;
            byInterface.insert(interface, s.get());
        } else {
            // Still dialing: no link yet.
            found.append({ handle, s->entryName, s->deviceType, s->deviceName });
        }
    }
    for (const PointToPointLink &l : std::as_const(d->links)) {
        if (Private::Session *s = byInterface.value(l.name)) {
            found.append({ s->handle, s->entryName, s->deviceType, s->deviceName });
            continue;
        }
        const QString entry = d->linkEntries.value(l.name, l.name);
        const QString type = !l.kind.isEmpty() ? l.kind : (l.ppp ? u"ppp"_s : u"ptp"_s);
        found.append({ LinkHandleBase + RasHandle(quint32(l.index)), entry, type, l.name });
    }
    *connections = std::move(found);
    return RasError::Success;
}

int PppDialUpService::connectStatus(RasHandle handle, RasConnStatus *status)
{
    if (Private::Session *s = d->session(handle)) {
        if (s->process)
            s->process->pump();
        status->state = s->progress.state();
        status->error = s->progress.error();
        status->deviceType = s->deviceType;
        status->deviceName = s->deviceName;
        return RasError::Success;
    }
    if (handle <= LinkHandleBase || handle >= SessionHandleBase)
        return RasError::InvalidHandle;
    const int result = d->refreshIfStale();
    if (result != RasError::Success)
        return result;
    const PointToPointLink *l = d->link(int(handle - LinkHandleBase));
    if (!l)
        return RasError::InvalidHandle;
    // A link that is not up yet is still being set up.
    status->state = l->up ? RasState::Connected : RasState::AllDevicesConnected;
    status->error = 0;
    status->deviceType = !l->kind.isEmpty() ? l->kind : (l->ppp ? u"ppp"_s : u"ptp"_s);
    status->deviceName = l->name;
    return RasError::Success;
}

int PppDialUpService::projectionInfo(RasHandle handle, RasIpProjection *projection)
{
    const int result = d->refreshIfStale();
    if (result != RasError::Success)
        return result;
    const PointToPointLink *l = nullptr;
    if (Private::Session *s = d->session(handle)) {
        if (s->progress.state() != RasState::Connected)
            return RasError::ProjectionNotComplete;
        l = d->linkNamed(s->progress.interfaceName());
        if (!l || l->localAddress.isEmpty()) {
            // The kernel's table lags behind pppd's own report for a moment.
            projection->error = 0;
            projection->clientAddress = s->progress.localAddress();
            projection->serverAddress = s->progress.remoteAddress();
            return RasError::Success;
        }
    } else if (handle > LinkHandleBase && handle < SessionHandleBase) {
        l = d->link(int(handle - LinkHandleBase));
        if (!l)
            return RasError::InvalidHandle;
    } else {
        return RasError::InvalidHandle;
    }
    if (l->localAddress.isEmpty())
        return RasError::ProjectionNotComplete;
    projection->error = 0;
    projection->clientAddress = l->localAddress;
    projection->serverAddress = l->remoteAddress;
    return RasError::Success;
}

QString PppDialUpService::errorString(int error) const
{
    const auto it = d->errorTexts.constFind(error);
    if (it != d->errorTexts.constEnd() && !it->isEmpty())
        return *it;
    switch (error) {
    case PppError::KernelLacksPpp:
        return u"Der Kernel dieses Systems unterstützt kein PPP (Modul ppp_generic fehlt)."_s;
    case PppError::PppdMissing:
        return u"pppd ist nicht installiert (Debian-Paket „ppp“)."_s;
    case PppError::PppdNotPermitted:
        return u"pppd dürfen nur Mitglieder der Gruppe „dip“ starten."_s;
    case PppError::DeviceLocked:
        return u"Das Gerät ist von einem anderen Programm belegt."_s;
    case PppError::DeviceMissing:
        return u"Das Gerät ist nicht vorhanden oder nicht zugänglich."_s;
    case PppError::PeerNotWritten:
        return u"Die Verbindungsdaten für pppd konnten nicht geschrieben werden."_s;
    case PppError::NotAuthorized:
        return u"Die Berechtigung zum Schreiben der pppd-Verbindungsdaten wurde nicht erteilt."_s;
    case PppError::InvalidEntry:
        return u"Die Verbindung ist unvollständig oder enthält ungültige Angaben."_s;
    case PppError::NegotiationFailed:
        return u"Die Gegenstelle hat die PPP-Verbindung nicht ausgehandelt."_s;
    case PppError::OptionsRejected:
        return u"pppd lehnt die Verbindungsdaten ab."_s;
    case PppError::LinksUnreadable:
        return u"Die Verbindungen des Systems können nicht gelesen werden."_s;
    case PppError::SecretStoreFailed:
        return u"Der Passwortspeicher des Desktops ist nicht erreichbar."_s;
    case PppError::PppdFailed:
        return u"pppd ist mit einem Fehler beendet."_s;
    default:
        return DialUpService::errorString(error);
    }
}

QStringList PppDialUpService::findAdapters()
{
    return { u"PPP- und Punkt-zu-Punkt-Verbindungen"_s };
}

bool PppDialUpService::startStatistics(bool)
{
    return true;
}

bool PppDialUpService::readStatistics(RasStatistics *statistics)
{
    // A failed read skips this reading; the totals never go backwards.
    if (d->refresh() != RasError::Success)
        return false;
    quint32 speed = 0;
    for (const auto &[handle, s] : d->sessions) {
        if (!s->progress.hasEnded() && s->progress.wasConnected() && s->progress.connectSpeed() != 0) {
            speed = s->progress.connectSpeed();
            break;
        }
    }
    // The interface decides the width; a narrower one wraps as the system's counters do.
    statistics->bytesXmit = decltype(statistics->bytesXmit)(d->totalSent);
    statistics->bytesRecv = decltype(statistics->bytesRecv)(d->totalReceived);
    statistics->connectSpeed = speed;
    return true;
}

quint64 PppDialUpService::totalBytesSent() const
{
    return d->totalSent;
}

quint64 PppDialUpService::totalBytesReceived() const
{
    return d->totalReceived;
}

int PppDialUpService::dial(const RasDialParams &params, RasHandle *handle)
{
    if (!handle)
        return RasError::InvalidParameter;
    *handle = 0;
    RasDialParams stored;
    int result = d->stored(params.entryName, &stored);
    if (result != RasError::Success)
        return result;
    RasEntry entry;
    result = d->phoneBook.getEntryProperties(stored.entryName, &entry);
    if (result != RasError::Success)
        return result;
    PppPeerSpec spec;
    QString error;
    if (!Ppp::specFromEntry(stored.entryName, entry, &spec, &error))
        return d->remember(PppError::InvalidEntry, error);
    const bool kernelPpp = d->config.kernelCheck ? d->config.kernelCheck() : kernelHasPpp();
    if (!kernelPpp)
        return PppError::KernelLacksPpp;
    const QString pppd = d->pppdPath();
    if (pppd.isEmpty() || !QFileInfo::exists(pppd))
        return PppError::PppdMissing;
    if (access(QFile::encodeName(pppd).constData(), X_OK) != 0)
        return PppError::PppdNotPermitted;

    auto s = std::make_unique<Private::Session>();
    s->handle = SessionHandleBase + d->nextSession++;
    s->entryName = stored.entryName;
    s->peer = Ppp::peerName(stored.entryName);
    s->deviceType = spec.kind == PppPeerSpec::Kind::PppoE
        ? u"pppoe"_s
        : (entry.deviceType.isEmpty() ? u"modem"_s : entry.deviceType);
    s->deviceName = spec.device;
    // "call" reads only from the system's peers folder; any other folder is named as a file.
    if (QDir::cleanPath(d->config.peersFolder) == QLatin1String(Ppp::SystemPeersFolder))
        s->arguments = { u"call"_s, s->peer };
    else
        s->arguments = { u"file"_s, d->config.peersFolder + u'/' + s->peer };
    s->arguments << u"nodetach"_s;
    const QString user = !params.userName.isEmpty() ? params.userName : stored.userName;
    if (!user.isEmpty())
        s->arguments << u"user"_s << user;
    if (!user.isEmpty() || !params.password.isEmpty()) {
        s->arguments << u"passwordfd"_s << QString::number(PppdProcess::PasswordFd);
        s->password = params.password.toUtf8();
    }

    Private::Session &session = *s;
    *handle = s->handle;
    d->sessions.emplace(s->handle, std::move(s));
    if (d->peerIsCurrent(spec) || d->config.helperCommand.isEmpty())
        d->startPppd(session);
    else
        d->runHelper(&session, { u"write"_s }, Ppp::serializeRequest(spec));
    return RasError::Success;
}

int PppDialUpService::hangUp(RasHandle handle)
{
    if (Private::Session *s = d->session(handle)) {
        s->hungUp = true;
        s->progress.hangUpRequested();
        if (s->helper && s->helper->state() != QProcess::NotRunning)
            s->helper->kill();
        if (s->process)
            s->process->terminate();
        else
            s->progress.abort(RasError::UserDisconnection);
        if (!s->process || !s->process->isRunning())
            d->sessions.erase(handle);
        return RasError::Success;
    }
    if (handle <= LinkHandleBase || handle >= SessionHandleBase)
        return RasError::InvalidHandle;
    const PointToPointLink *l = d->link(int(handle - LinkHandleBase));
    if (!l)
        return RasError::InvalidHandle;
    // pppd notes its pid as "<interface>.pid"; a pppd of this user can be asked to end.
    bool ok = false;
    const pid_t pid = pid_t(readSmallFile(d->config.runFolder + u'/' + l->name + ".pid"_L1, 64).trimmed().toInt(&ok));
    if (!ok || pid <= 1)
        return RasError::InvalidHandle;
    if (kill(pid, SIGTERM) != 0)
        return errno == EPERM ? PppError::PppdNotPermitted : RasError::InvalidHandle;
    return RasError::Success;
}

int PppDialUpService::releaseConnection(RasHandle handle)
{
    const auto it = d->sessions.find(handle);
    if (it == d->sessions.end())
        return RasError::InvalidHandle;
    Private::Session &s = *it->second;
    if (s.process && s.process->isRunning()) {
        s.process->release();
        d->released.push_back(std::move(s.process));
    }
    d->sessions.erase(it);
    return RasError::Success;
}

// ---------------------------------------------------------------------------

bool kernelHasPpp(const QString &root)
{
    const QString base = QDir::cleanPath(root) + u'/';
    if (QFileInfo::exists(base + "dev/ppp"_L1) || QFileInfo::exists(base + "sys/class/misc/ppp"_L1)
        || QFileInfo::exists(base + "sys/module/ppp_generic"_L1)) {
        return true;
    }
    static const QRegularExpression device(u"^\\s*\\d+\\s+ppp\\s*$"_s, QRegularExpression::MultilineOption);
    if (device.match(QString::fromLatin1(readSmallFile(base + "proc/devices"_L1))).hasMatch())
        return true;
    // Not loaded yet: pppd's first open of /dev/ppp loads an installed module.
    const QString release = QSysInfo::kernelVersion();
    const QStringList moduleFolders = { base + "lib/modules/"_L1 + release, base + "usr/lib/modules/"_L1 + release };
    for (const QString &modules : moduleFolders) {
        for (const QString &list : { u"/modules.builtin"_s, u"/modules.dep"_s }) {
            if (readSmallFile(modules + list, 16 * 1024 * 1024).contains("/ppp_generic.ko"))
                return true;
        }
    }
    return false;
}
