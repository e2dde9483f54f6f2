// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimulatedLine.h"

#include "SimConnection.h"
#include "SimEntryDialog.h"
#include "SimFiles.h"
#include "SimPhoneBook.h"
#include "TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>

namespace {

// A failed or ended connection stays visible this long for a late status
// query, then any reader removes it.
constexpr qint64 endedLifetimeMs = 60000;
// How often a reader checks that a connection's dialing process still runs.
constexpr qint64 ownerCheckIntervalMs = 1000;

const QString &defaultModem()
{
    static const QString name = QStringLiteral("Simuliertes Modem 56k");
    return name;
}

quint32 numberValue(const SimPhoneBookSection &section, QStringView key, quint32 def)
{
    quint32 v = 0;
    return simParseNumber(section.value(key), &v) ? v : def;
}

bool flagValue(const SimPhoneBookSection &section, QStringView key)
{
    return numberValue(section, key, 0) != 0;
}

QString addressValue(const SimPhoneBookSection &section, QStringView key, const QString &def)
{
    quint32 address = 0;
    const QString text = section.value(key).trimmed();
    return simParseAddress(text, &address) ? text : def;
}

SimScenario scenarioFor(const SimPhoneBookSection &section, const QString &deviceType)
{
    SimScenario s;
    s.speed = deviceType.compare(QLatin1String("isdn"), Qt::CaseInsensitive) == 0 ? 64000 : 56000;
    s.connectDelay = numberValue(section, u"SimConnectDelay", s.connectDelay);
    s.busy = flagValue(section, u"SimBusy");
    s.noAnswer = flagValue(section, u"SimNoAnswer");
    s.rateUp = numberValue(section, u"SimRateUp", s.rateUp);
    s.rateDown = numberValue(section, u"SimRateDown", s.rateDown);
    s.active = numberValue(section, u"SimActive", s.active);
    s.idle = numberValue(section, u"SimIdle", s.idle);
    s.hangUpAfter = numberValue(section, u"SimHangUpAfter", s.hangUpAfter);
    s.speed = numberValue(section, u"SimSpeed", s.speed);
    return s;
}

QString dialedNumber(const RasEntry &entry, const RasDialParams &params)
{
    if (!params.phoneNumber.isEmpty())
        return params.phoneNumber;
    if ((entry.options & RasEntryOption::UseCountryAndAreaCodes) && !entry.areaCode.isEmpty())
        return entry.areaCode + u' ' + entry.localPhoneNumber;
    return entry.localPhoneNumber;
}

} // namespace

struct SimulatedLine::Private
{
    struct Cached
    {
        SimConnectionRecord record;
        qint64 ownerCheckedAt = 0; // never
    };

    QString folder;
    QString connectionsFolder;
    SimPhoneBook book;

    bool listed = false;
    SimFileStamp folderStamp;
    qint64 listedAt = 0;
    QHash<QString, Cached> records; // by file name
    QStringList order;              // file names in dialing order

    explicit Private(const QString &f)
        : folder(f)
        , connectionsFolder(f + QLatin1String("/connections"))
        , book(f + QLatin1String("/rasphone.pbk"))
    {
    }

    QString recordPath(const QString &fileName) const { return connectionsFolder + u'/' + fileName; }

    void sortOrder()
    {
        order = records.keys();
        std::sort(order.begin(), order.end(), [this](const QString &a, const QString &b) {
            const SimConnectionRecord &ra = records.constFind(a)->record;
            const SimConnectionRecord &rb = records.constFind(b)->record;
            return ra.dialStartMs != rb.dialStartMs ? ra.dialStartMs < rb.dialStartMs : ra.handle < rb.handle;
        });
    }

    void drop(const QString &fileName)
    {
        QFile::remove(recordPath(fileName));
        records.remove(fileName);
        order.removeOne(fileName);
    }

    void relist(qint64 now, const SimFileStamp &stamp)
    {
        listed = true;
        folderStamp = stamp;
        listedAt = now;
        QHash<QString, Cached> fresh;
        if (stamp.exists) {
            const QStringList names = QDir(connectionsFolder).entryList({QStringLiteral("*.conn")}, QDir::Files);
            for (const QString &name : names) {
                // Records never change once written, so a known one needs no reading.
                const auto known = records.constFind(name);
                if (known != records.constEnd()) {
                    fresh.insert(name, *known);
                    continue;
                }
                QFile file(recordPath(name));
                Cached cached;
                if (file.open(QIODevice::ReadOnly) && SimConnectionRecord::parse(file.readAll(), &cached.record)) {
                    fresh.insert(name, cached);
                } else if (QFileInfo(file).lastModified().toMSecsSinceEpoch() < now - endedLifetimeMs) {
                    QFile::remove(file.fileName()); // junk, not a record being written
                }
            }
        }
        records = std::move(fresh);
        sortOrder();
    }

    /// Brings the records up to date and removes those whose time is over.
    void refresh(qint64 now)
    {
        const SimFileStamp stamp = simFileStamp(connectionsFolder);
        if (!listed || !simStampStillValid(folderStamp, listedAt, stamp))
            relist(now, stamp);
        const qint64 self = simCurrentPid();
        const QStringList names = order;
        for (const QString &name : names) {
            Cached &c = records[name];
            const SimConnectionRecord &r = c.record;
            if (r.ownerPid != 0 && r.ownerPid != self && now - c.ownerCheckedAt >= ownerCheckIntervalMs) {
                c.ownerCheckedAt = now;
                if (!simProcessAlive(r.ownerPid, r.ownerStart)) {
                    drop(name);
                    continue;
                }
            }
            const SimConnectionState st = r.stateAt(now);
            // A damaged record's end may lie anywhere before now.
            if (!st.isLive() && st.endedAtMs < now - endedLifetimeMs)
                drop(name);
        }
    }

    const SimConnectionRecord *find(RasHandle handle) const
    {
        const auto it = records.constFind(SimConnectionRecord::fileName(handle));
        return it == records.constEnd() ? nullptr : &it->record;
    }

    RasHandle newHandle() const
    {
        for (;;) {
            const RasHandle h = QRandomGenerator::global()->bounded(1u, 0x7FFFFFFFu);
            if (!records.contains(SimConnectionRecord::fileName(h))
                && !QFileInfo::exists(recordPath(SimConnectionRecord::fileName(h))))
                return h;
        }
    }

    int dial(const RasDialParams &params, RasHandle *handle, bool detached);
};

int SimulatedLine::Private::dial(const RasDialParams &params, RasHandle *handle, bool detached)
{
    if (!handle)
        return RasError::InvalidParameter;
    std::shared_ptr<const SimPhoneBookText> text;
    const SimPhoneBookSection *found = nullptr;
    const int result = book.findEntry(params.entryName, &text, &found);
    if (result != RasError::Success)
        return result;
    const SimPhoneBookSection &section = *found;
    const RasEntry entry = simEntryFromSection(section);

    SimConnectionRecord r;
    r.handle = newHandle();
    r.entryName = section.name;
    r.phoneNumber = dialedNumber(entry, params);
    r.deviceType = entry.deviceType.isEmpty() ? QStringLiteral("modem") : entry.deviceType;
    r.deviceName = entry.deviceName.section(QChar(0), 0, 0);
    if (r.deviceName.isEmpty())
        r.deviceName = defaultModem();
    if (!detached) {
        r.ownerPid = simCurrentPid();
        r.ownerStart = simProcessStartToken(r.ownerPid);
    }
    r.scenario = scenarioFor(section, r.deviceType);
    if (flagValue(section, u"SimCheckPassword")) {
        bool stored = false;
        const RasDialParams storedParams = simDialParamsFromSection(section, &stored);
        r.scenario.authFails = params.password != storedParams.password;
    }
    // Addresses are only texts for the display; nothing is ever sent.
    const QString local = QStringLiteral("10.64.%1.%2").arg(r.handle / 253 % 254 + 1).arg(r.handle % 253 + 2);
    r.localIp = addressValue(section, u"SimLocalIP", local);
    r.remoteIp = addressValue(section, u"SimRemoteIP", QStringLiteral("10.64.0.1"));
    r.dialStartMs = QDateTime::currentMSecsSinceEpoch();

    const QString name = SimConnectionRecord::fileName(r.handle);
    if (!TextFile::makePrivateFolder(connectionsFolder) || !TextFile::writeText(recordPath(name), r.serialize()))
        return RasError::PortNotAvailable;
    Cached cached;
    cached.record = r;
    records.insert(name, cached);
    sortOrder();
    *handle = r.handle;
    return RasError::Success;
}

SimulatedLine::SimulatedLine(const QString &folder)
    : d(std::make_unique<Private>(QDir::cleanPath(folder.isEmpty() ? defaultFolder() : folder)))
{
}

SimulatedLine::~SimulatedLine() = default;

QString SimulatedLine::defaultFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("RUFWERK_LINE_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1String("/Rufwerk/line");
}

QString SimulatedLine::folder() const
{
    return d->folder;
}

QString SimulatedLine::phoneBookPath() const
{
    return d->book.path();
}

QString SimulatedLine::connectionsFolder() const
{
    return d->connectionsFolder;
}

SimPhoneBook &SimulatedLine::phoneBook()
{
    return d->book;
}

void SimulatedLine::beginPhoneBookPass()
{
    d->book.beginPass();
}

void SimulatedLine::endPhoneBookPass()
{
    d->book.endPass();
}

QString SimulatedLine::backendName() const
{
    return QStringLiteral("Simulierte Leitung");
}

int SimulatedLine::enumEntries(QStringList *names)
{
    names->clear();
    std::shared_ptr<const SimPhoneBookText> text;
    const int result = d->book.readIntact(&text);
    if (result != RasError::Success)
        return result;
    *names = text->names();
    return RasError::Success;
}

int SimulatedLine::getEntryProperties(const QString &entryName, RasEntry *entry)
{
    std::shared_ptr<const SimPhoneBookText> text;
    const SimPhoneBookSection *section = nullptr;
    const int result = d->book.findEntry(entryName, &text, &section);
    if (result == RasError::Success)
        *entry = simEntryFromSection(*section);
    return result;
}

int SimulatedLine::setEntryProperties(const QString &entryName, const RasEntry &entry)
{
    const QString name = entryName.trimmed();
    return d->book.modify([&](SimPhoneBookText &text) {
        int index = text.indexOf(name);
        if (index < 0) {
            if (validateEntryName(name) == RasError::InvalidName)
                return RasError::InvalidName;
            text.sections.append({name, {}});
            index = int(text.sections.size() - 1);
        }
        return simApplyEntry(&text.sections[index], entry);
    });
}

int SimulatedLine::getEntryDialParams(const QString &entryName, RasDialParams *params, bool *passwordStored)
{
    std::shared_ptr<const SimPhoneBookText> text;
    const SimPhoneBookSection *section = nullptr;
    const int result = d->book.findEntry(entryName, &text, &section);
    if (result == RasError::Success)
        *params = simDialParamsFromSection(*section, passwordStored);
    return result;
}

int SimulatedLine::setEntryDialParams(const RasDialParams &params, bool removePassword)
{
    return d->book.modify([&](SimPhoneBookText &text) {
        const int index = text.indexOf(params.entryName);
        if (index < 0)
            return RasError::CannotFindPhonebookEntry;
        return simApplyDialParams(&text.sections[index], params, removePassword);
    });
}

namespace {
QWidget *dialogParent(QObject *owner)
{
    return owner && owner->isWidgetType() ? static_cast<QWidget *>(owner)->window() : nullptr;
}
} // namespace

int SimulatedLine::createEntryDialog(QObject *owner, QString *createdName)
{
    if (m_dialogHook)
        return DialUpService::createEntryDialog(owner, createdName);
    SimEntryDialog dialog(*this, QString(), dialogParent(owner));
    return dialog.run(createdName);
}

int SimulatedLine::editEntryDialog(QObject *owner, const QString &entryName)
{
    if (m_dialogHook)
        return DialUpService::editEntryDialog(owner, entryName);
    std::shared_ptr<const SimPhoneBookText> text;
    const SimPhoneBookSection *section = nullptr;
    if (const int error = d->book.findEntry(entryName, &text, &section))
        return error;
    SimEntryDialog dialog(*this, section->name, dialogParent(owner));
    return dialog.run();
}

int SimulatedLine::renameEntry(const QString &oldName, const QString &newName)
{
    const QString name = newName.trimmed();
    return d->book.modify([&](SimPhoneBookText &text) {
        const int index = text.indexOf(oldName);
        if (index < 0)
            return RasError::CannotFindPhonebookEntry;
        if (validateEntryName(name) == RasError::InvalidName)
            return RasError::InvalidName;
        const int existing = text.indexOf(name);
        if (existing >= 0 && existing != index)
            return RasError::AlreadyExists;
        const QString folded = text.sections.at(index).name.toCaseFolded();
        for (SimPhoneBookSection &section : text.sections) {
            if (section.name.toCaseFolded() == folded)
                section.name = name;
        }
        return RasError::Success;
    });
}

int SimulatedLine::deleteEntry(const QString &entryName)
{
    return d->book.modify([&](SimPhoneBookText &text) {
        const int index = text.indexOf(entryName);
        if (index < 0)
            return RasError::CannotFindPhonebookEntry;
        const QString folded = text.sections.at(index).name.toCaseFolded();
        text.sections.removeIf([&folded](const SimPhoneBookSection &s) { return s.name.toCaseFolded() == folded; });
        return RasError::Success;
    });
}

int SimulatedLine::enumDevices(QList<RasDevice> *devices)
{
    *devices = {
        {QStringLiteral("modem"), defaultModem()},
        {QStringLiteral("modem"), QStringLiteral("Simuliertes Modem 33,6k")},
        {QStringLiteral("isdn"), QStringLiteral("Simulierter ISDN-Adapter")},
    };
    return RasError::Success;
}

int SimulatedLine::enumConnections(QList<RasConnection> *connections)
{
    connections->clear();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    d->refresh(now);
    for (const QString &name : std::as_const(d->order)) {
        const SimConnectionRecord &r = d->records.constFind(name)->record;
        if (r.stateAt(now).isLive())
            connections->append({r.handle, r.entryName, r.deviceType, r.deviceName});
    }
    return RasError::Success;
}

int SimulatedLine::connectStatus(RasHandle handle, RasConnStatus *status)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    d->refresh(now);
    const SimConnectionRecord *r = d->find(handle);
    if (!r)
        return RasError::InvalidHandle;
    const SimConnectionState st = r->stateAt(now);
    status->state = st.state;
    status->error = st.error;
    status->deviceType = r->deviceType;
    status->deviceName = r->deviceName;
    return RasError::Success;
}

int SimulatedLine::projectionInfo(RasHandle handle, RasIpProjection *projection)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    d->refresh(now);
    const SimConnectionRecord *r = d->find(handle);
    if (!r)
        return RasError::InvalidHandle;
    if (!r->stateAt(now).isConnected())
        return RasError::ProjectionNotComplete;
    projection->error = 0;
    projection->clientAddress = r->localIp;
    projection->serverAddress = r->remoteIp;
    return RasError::Success;
}

QStringList SimulatedLine::findAdapters()
{
    return {QStringLiteral("Simulierter DFÜ-Adapter")};
}

bool SimulatedLine::startStatistics(bool)
{
    return true;
}

bool SimulatedLine::readStatistics(RasStatistics *statistics)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    d->refresh(now);
    quint64 sent = 0;
    quint64 received = 0;
    quint32 speed = 0;
    for (const QString &name : std::as_const(d->order)) {
        const SimConnectionRecord &r = d->records.constFind(name)->record;
        const SimConnectionState st = r.stateAt(now);
        if (!st.isConnected())
            continue;
        sent += st.bytesSent;
        received += st.bytesReceived;
        if (speed == 0)
            speed = r.scenario.speed;
    }
    // The system's counters are 32 bits wide and wrap.
    statistics->bytesXmit = quint32(sent);
    statistics->bytesRecv = quint32(received);
    statistics->connectSpeed = speed;
    return true;
}

int SimulatedLine::dial(const RasDialParams &params, RasHandle *handle)
{
    return d->dial(params, handle, false);
}

int SimulatedLine::dialDetached(const RasDialParams &params, RasHandle *handle)
{
    return d->dial(params, handle, true);
}

int SimulatedLine::hangUp(RasHandle handle)
{
    const QString name = SimConnectionRecord::fileName(handle);
    const bool removed = QFile::remove(d->recordPath(name));
    d->records.remove(name);
    d->order.removeOne(name);
    return removed ? RasError::Success : RasError::InvalidHandle;
}

int SimulatedLine::releaseConnection(RasHandle handle)
{
    d->refresh(QDateTime::currentMSecsSinceEpoch());
    const QString name = SimConnectionRecord::fileName(handle);
    const auto it = d->records.find(name);
    if (it == d->records.end())
        return RasError::InvalidHandle;
    // Without an owner nobody cleans it up when this process ends.
    SimConnectionRecord released = it->record;
    released.ownerPid = 0;
    released.ownerStart.clear();
    if (!TextFile::writeText(d->recordPath(name), released.serialize()))
        return RasError::PortNotAvailable;
    it->record = released;
    return RasError::Success;
}

QList<SimConnectionRecord> SimulatedLine::connectionRecords()
{
    d->refresh(QDateTime::currentMSecsSinceEpoch());
    QList<SimConnectionRecord> list;
    list.reserve(d->order.size());
    for (const QString &name : std::as_const(d->order))
        list.append(d->records.constFind(name)->record);
    return list;
}
