// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialUpService.h"

#include "SettingsStore.h"
#include "SimulatedLine.h"

#ifdef RUFWERK_HAVE_PPP_BACKEND
#include "PppDialUpService.h"
#endif

#include <QDebug>
#include <QHash>

namespace {
std::unique_ptr<DialUpService> &serviceSlot()
{
    static std::unique_ptr<DialUpService> service;
    return service;
}
} // namespace

DialUpService &DialUpService::instance()
{
    auto &slot = serviceSlot();
    if (!slot)
        slot = createSystemOrSimulatedService();
    return *slot;
}

std::unique_ptr<DialUpService> createSystemOrSimulatedService()
{
#ifdef RUFWERK_HAVE_PPP_BACKEND
    const bool kernelPpp = kernelHasPpp();
#else
    const bool kernelPpp = true; // the system's own service decides for itself
#endif
    const DialUpBackendChoice choice = chooseDialUpBackend(
        qEnvironmentVariable("RUFWERK_BACKEND"),
        SettingsStore::instance().readString(dialUpBackendKey(), dialUpBackendValueName()),
        !qEnvironmentVariableIsEmpty("RUFWERK_LINE_DIR"), kernelPpp);
    if (!choice.warning.isEmpty())
        qWarning().noquote() << choice.warning;
    if (choice.backend == QLatin1String("system")) {
#if defined(Q_OS_WIN)
        if (auto service = createWindowsRasService())
            return service;
#elif defined(RUFWERK_HAVE_PPP_BACKEND)
        return std::make_unique<PppDialUpService>();
#endif
    }
    return std::make_unique<SimulatedLine>();
}

void DialUpService::setInstance(std::unique_ptr<DialUpService> service)
{
    serviceSlot() = std::move(service);
}

QString dialUpBackendKey()
{
    return QStringLiteral("Software\\Kovatek\\Rufwerk\\RasBas\\");
}

QString dialUpBackendValueName()
{
    return QStringLiteral("DialUpBackend");
}

DialUpBackendChoice chooseDialUpBackend(const QString &environmentValue, const QString &settingValue, bool lineDirSet,
                                        bool systemCanDial)
{
    DialUpBackendChoice choice;
    const auto pick = [&choice](const QString &value, const QString &source) {
        const QString v = value.trimmed().toLower();
        if (v == QLatin1String("sim") || v == QLatin1String("system"))
            return v;
        if (!v.isEmpty() && v != QLatin1String("auto")) {
            choice.warning += QStringLiteral("%1 „%2“ ist unbekannt (erlaubt: sim, system); die Wahl erfolgt automatisch.\n").arg(
                source, value);
        }
        return QString();
    };
    choice.backend = pick(environmentValue, QStringLiteral("RUFWERK_BACKEND"));
    if (choice.backend.isEmpty())
        choice.backend = pick(settingValue, QStringLiteral("Die Einstellung DialUpBackend"));
    if (choice.backend.isEmpty())
        choice.backend = lineDirSet || !systemCanDial ? QStringLiteral("sim") : QStringLiteral("system");
    choice.warning = choice.warning.trimmed();
    return choice;
}

int DialUpService::createEntryDialog(QObject *owner, QString *createdName)
{
    if (!m_dialogHook)
        return RasError::InvalidParameter;
    return m_dialogHook(owner, QString(), createdName);
}

int DialUpService::editEntryDialog(QObject *owner, const QString &entryName)
{
    if (!m_dialogHook)
        return RasError::InvalidParameter;
    return m_dialogHook(owner, entryName, nullptr);
}

int DialUpService::showModemSettings(QObject *)
{
    return RasError::InvalidParameter;
}

int DialUpService::validateEntryName(const QString &entryName)
{
    const QString trimmed = entryName.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 256 || trimmed.startsWith(u'.')
        || trimmed.contains(u'[') || trimmed.contains(u']') || trimmed.contains(u'\n')
        || trimmed.contains(u'\r') || trimmed.contains(u'\\') || trimmed.contains(u'/')) {
        return RasError::InvalidName;
    }
    QStringList names;
    if (enumEntries(&names) == RasError::Success) {
        for (const QString &name : std::as_const(names)) {
            if (name.compare(trimmed, Qt::CaseInsensitive) == 0)
                return RasError::AlreadyExists;
        }
    }
    return RasError::Success;
}

QString DialUpService::errorString(int error) const
{
    return rasErrorText(error);
}

QString rasErrorText(int error)
{
    static const QHash<int, QString> texts = {
        {RasError::InvalidHandle, QStringLiteral("Das Handle ist ungültig.")},
        {RasError::InvalidParameter, QStringLiteral("Falscher Parameter.")},
        {RasError::InvalidName, QStringLiteral("Der Name der Verbindung ist ungültig.")},
        {RasError::AlreadyExists, QStringLiteral("Eine Verbindung mit diesem Namen existiert bereits.")},
        {RasError::Pending, QStringLiteral("Ein Vorgang ist noch nicht abgeschlossen.")},
        {RasError::BufferTooSmall, QStringLiteral("Der Puffer ist zu klein.")},
        {RasError::CannotOpenPhonebook, QStringLiteral("Das Telefonbuch kann nicht geöffnet werden.")},
        {RasError::CannotLoadPhonebook, QStringLiteral("Das Telefonbuch kann nicht geladen werden.")},
        {RasError::CannotFindPhonebookEntry, QStringLiteral("Der Telefonbucheintrag für diese Verbindung wurde nicht gefunden.")},
        {RasError::CannotWritePhonebook, QStringLiteral("Das Telefonbuch kann nicht geschrieben werden.")},
        {RasError::CorruptPhonebook, QStringLiteral("Das Telefonbuch enthält ungültige Informationen.")},
        {RasError::Disconnection, QStringLiteral("Die Verbindung wurde getrennt.")},
        {RasError::RemoteDisconnection, QStringLiteral("Die Verbindung wurde von der Gegenstelle getrennt.")},
        {RasError::HardwareFailure, QStringLiteral("Die Verbindung wurde wegen eines Hardwarefehlers getrennt.")},
        {RasError::UserDisconnection, QStringLiteral("Die Verbindung wurde vom Benutzer getrennt.")},
        {RasError::PortNotAvailable, QStringLiteral("Das Modem oder ein anderes Verbindungsgerät wird bereits verwendet oder ist nicht richtig konfiguriert.")},
        {RasError::NoConnection, QStringLiteral("Die Verbindung wurde beendet.")},
        {RasError::LineBusy, QStringLiteral("Die Telefonleitung ist besetzt.")},
        {RasError::NoAnswer, QStringLiteral("Die Gegenstelle antwortet nicht.")},
        {RasError::NoCarrier, QStringLiteral("Es wurde kein Trägersignal erkannt.")},
        {RasError::NoDialtone, QStringLiteral("Es wurde kein Wählton erkannt.")},
        {RasError::AuthenticationFailure, QStringLiteral("Der Zugriff wurde verweigert, weil Benutzername und/oder Kennwort ungültig sind.")},
        {RasError::ProjectionNotComplete, QStringLiteral("Die Konfiguration der Netzwerkprotokolle ist noch nicht abgeschlossen.")},
        {RasError::Cancelled, QStringLiteral("Der Vorgang wurde vom Benutzer abgebrochen.")},
    };
    const auto it = texts.constFind(error);
    if (it != texts.constEnd())
        return *it;
    return QStringLiteral("Unbekannter Fehler %1.").arg(error);
}
