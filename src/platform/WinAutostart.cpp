// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <vector>
#include <windows.h>

namespace {

class WindowsAutostart : public Autostart {
public:
    QString backendName() const override { return QStringLiteral("Win.Ini"); }

    QString programPath() const override { return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()); }

    QString loadLine() const override
    {
        // The profile functions cut a value that does not fit; grow until it does.
        for (DWORD size = 1024; size <= 1024 * 1024; size *= 4) {
            std::vector<wchar_t> buffer(size);
            const DWORD length = GetProfileStringW(L"Windows", L"Load", L"", buffer.data(), size);
            if (length < size - 1)
                return QString::fromWCharArray(buffer.data(), int(length));
        }
        return QString();
    }

    bool setLoadLine(const QString &line, QString *error) override
    {
        if (WriteProfileStringW(L"Windows", L"Load", reinterpret_cast<const wchar_t *>(line.utf16())))
            return true;
        if (error)
            *error = QStringLiteral("Der Autostart-Eintrag in \"Win.Ini\" konnte nicht geschrieben werden (Fehler %1).")
                         .arg(GetLastError());
        return false;
    }

    // The "Load" line is the system's own autostart.
    bool setDesktopEntry(bool, QString *) override { return true; }
};

} // namespace

std::unique_ptr<Autostart> createWindowsAutostart()
{
    return std::make_unique<WindowsAutostart>();
}
