// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SystemRestart.h"

#ifdef RUFWERK_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QVariant>
#endif

namespace {

std::unique_ptr<SystemRestart> &current()
{
    static std::unique_ptr<SystemRestart> restart;
    return restart;
}

QString unsupportedText()
{
    return QStringLiteral("Der Computer kann von Rufwerk aus nicht neu gestartet werden: Dieses System bietet "
                          "dafür keinen Dienst an.\r\nBitte starten Sie den Computer selbst neu.");
}

class UnsupportedSystemRestart : public SystemRestart {
public:
    QString backendName() const override { return QStringLiteral("Unsupported"); }
    RestartResult requestRestart(const QString &, QWidget *, const Confirm &) override
    {
        return { RestartResult::Failed, unsupportedText() };
    }
};

#ifdef RUFWERK_HAVE_DBUS

const QString LoginService = QStringLiteral("org.freedesktop.login1");
const QString LoginPath = QStringLiteral("/org/freedesktop/login1");
const QString LoginManager = QStringLiteral("org.freedesktop.login1.Manager");

// The authorisation prompt of the system may wait for a password.
constexpr int RebootTimeoutMs = 5 * 60 * 1000;
constexpr int QueryTimeoutMs = 10 * 1000;

QString failureText(const QString &reason)
{
    return QStringLiteral("Der Computer konnte nicht neu gestartet werden: ") + reason
        + QStringLiteral("\r\nBitte starten Sie den Computer selbst neu.");
}

QString errorText(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return failureText(QStringLiteral("Der Anmeldedienst des Systems (logind) ist nicht verfügbar."));
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
        return failureText(QStringLiteral("Der Systembus (D-Bus) ist nicht erreichbar."));
    case QDBusError::AccessDenied:
        return failureText(QStringLiteral("Das System hat den Neustart abgelehnt (keine Berechtigung)."));
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return failureText(QStringLiteral("Das System hat nicht rechtzeitig geantwortet."));
    default:
        break;
    }
    if (error.name() == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"))
        return failureText(QStringLiteral("Das System hat den Neustart abgelehnt (Anmeldung erforderlich)."));
    const QString detail = error.message().isEmpty() ? error.name() : error.message();
    return failureText(QStringLiteral("Das System hat den Neustart abgelehnt (") + detail + QStringLiteral(")."));
}

#endif

} // namespace

SystemRestart &SystemRestart::instance()
{
    if (!current()) {
#ifdef Q_OS_WIN
        current() = createWindowsSystemRestart();
#else
        current() = createLogindSystemRestart();
#endif
    }
    return *current();
}

void SystemRestart::setInstance(std::unique_ptr<SystemRestart> restart)
{
    current() = std::move(restart);
}

ConfirmingSystemRestart::ConfirmingSystemRestart(QString backendName, Reboot reboot)
    : FBackendName(std::move(backendName))
    , FReboot(std::move(reboot))
{
}

QString ConfirmingSystemRestart::ConfirmationText()
{
    return QStringLiteral("Der Computer wird jetzt neu gestartet. Nicht gespeicherte Daten in anderen "
                          "Programmen können dabei verloren gehen.\r\n\r\nJetzt neu starten?");
}

RestartResult ConfirmingSystemRestart::requestRestart(const QString &reason, QWidget *, const Confirm &confirm)
{
    // Never restart on our own: no way to ask means no restart.
    if (!confirm)
        return { RestartResult::Failed,
            QStringLiteral("Der Computer wird nicht neu gestartet, weil keine Bestätigung eingeholt werden konnte.") };
    if (!confirm(reason + ConfirmationText()))
        return { RestartResult::Declined, QString() };
    const QString error = FReboot ? FReboot() : unsupportedText();
    if (!error.isEmpty())
        return { RestartResult::Failed, error };
    return { RestartResult::Requested, QString() };
}

std::unique_ptr<SystemRestart> createUnsupportedSystemRestart()
{
    return std::make_unique<UnsupportedSystemRestart>();
}

#ifndef Q_OS_WIN

std::unique_ptr<SystemRestart> createLogindSystemRestart()
{
#ifdef RUFWERK_HAVE_DBUS
    return std::make_unique<ConfirmingSystemRestart>(QStringLiteral("logind"), &logindReboot);
#else
    return createUnsupportedSystemRestart();
#endif
}

QString logindReboot()
{
#ifdef RUFWERK_HAVE_DBUS
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return failureText(QStringLiteral("Der Systembus (D-Bus) ist nicht erreichbar."));

    // Asking first gives a clear answer where the system does not allow it at all.
    const QDBusMessage query
        = QDBusMessage::createMethodCall(LoginService, LoginPath, LoginManager, QStringLiteral("CanReboot"));
    const QDBusMessage answer = bus.call(query, QDBus::Block, QueryTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage)
        return errorText(QDBusError(answer));
    const QString can = answer.arguments().value(0).toString();
    if (can == QLatin1String("na"))
        return failureText(QStringLiteral("Das System unterstützt keinen Neustart."));
    if (can == QLatin1String("no"))
        return failureText(QStringLiteral("Das System hat den Neustart abgelehnt (keine Berechtigung)."));

    QDBusMessage reboot
        = QDBusMessage::createMethodCall(LoginService, LoginPath, LoginManager, QStringLiteral("Reboot"));
    reboot << true; // interactive: the system may ask for authorisation
    const QDBusMessage reply = bus.call(reboot, QDBus::Block, RebootTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return errorText(QDBusError(reply));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return failureText(QStringLiteral("Das System hat nicht geantwortet."));
    return QString();
#else
    return unsupportedText();
#endif
}

#endif
