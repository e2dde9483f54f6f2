// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ListPrintHooks.h"

#include "Folders.h"
#include "HelpLink.h"
#include "ListPrintUi.h"
#include "MessageDialog.h"
#include "SettingsStore.h"

#include <QApplication>

namespace {

/// The list printer's page layout in the program's settings store.
class TStoreAccess : public ListPrintUi::TSettingsAccess {
public:
    std::optional<QString> Read(const QString &key, const QString &name) override
    {
        // The store is looked up each time: tests and the program may replace it.
        const SettingsStore &store = SettingsStore::instance();
        if (!store.hasValue(key, name))
            return std::nullopt;
        return store.readString(key, name);
    }

    bool Write(const QString &key, const QList<std::pair<QString, QString>> &values) override
    {
        SettingsStore &store = SettingsStore::instance();
        bool written = true;
        for (const auto &[name, value] : values)
            written = store.writeString(key, name, value) && written;
        return written;
    }
};

} // namespace

void InstallListPrintHooks()
{
    ListPrintUi::SetProgramFolder(Folders::programFolder());
    ListPrintUi::SetSettingsAccess(std::make_shared<TStoreAccess>());
    ListPrintUi::SetHelpHandler([](int context, QWidget *parent) {
        HelpLink::ShowContext(context, parent, QLatin1String(ListPrintUi::HelpFile));
    });
    ListPrintUi::SetMessageHook([](ListPrintUi::TMessageKind kind, const QString &text) {
        // Over the window that asks, which is the preview or one of its dialogs.
        QWidget *parent = QApplication::activeWindow();
        switch (kind) {
        case ListPrintUi::TMessageKind::Question:
        case ListPrintUi::TMessageKind::Warning:
            return MessageDialog::Question(text, parent);
        case ListPrintUi::TMessageKind::Error:
            MessageDialog::Error(text, parent);
            return true;
        case ListPrintUi::TMessageKind::Information:
            break;
        }
        MessageDialog::Information(text, parent);
        return true;
    });
}
