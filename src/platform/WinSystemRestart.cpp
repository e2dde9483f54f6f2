// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SystemRestart.h"

#include <QWidget>
#include <windows.h>

namespace {

// RestartDialog is exported from shell32 by ordinal only.
using FnRestartDialog = int(WINAPI *)(HWND, LPCWSTR, DWORD);
constexpr WORD RestartDialogOrdinal = 59;

class WindowsSystemRestart : public SystemRestart {
public:
    QString backendName() const override { return QStringLiteral("Windows"); }

    // The shell's prompt is the confirmation: it shows the reason and asks
    // whether to restart now, so confirm is not used here.
    RestartResult requestRestart(const QString &reason, QWidget *owner, const Confirm &) override
    {
        HMODULE shell = LoadLibraryW(L"shell32.dll");
        if (!shell)
            return { RestartResult::Failed, failureText() };
        const auto restartDialog = reinterpret_cast<FnRestartDialog>(
            reinterpret_cast<void (*)()>(GetProcAddress(shell, MAKEINTRESOURCEA(RestartDialogOrdinal))));
        if (!restartDialog) {
            FreeLibrary(shell);
            return { RestartResult::Failed, failureText() };
        }
        HWND window = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
        const int answer = restartDialog(window, reinterpret_cast<LPCWSTR>(reason.utf16()), EWX_REBOOT);
        FreeLibrary(shell);
        return { answer == IDYES ? RestartResult::Requested : RestartResult::Declined, QString() };
    }

private:
    static QString failureText()
    {
        return QStringLiteral("Der Computer konnte nicht neu gestartet werden: Die Neustart-Abfrage des Systems "
                              "ist nicht verfügbar.\r\nBitte starten Sie den Computer selbst neu.");
    }
};

} // namespace

std::unique_ptr<SystemRestart> createWindowsSystemRestart()
{
    return std::make_unique<WindowsSystemRestart>();
}
