// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <functional>

class QApplication;
class QScreen;
class QWidget;

/// Interface version shared by the program and its connection modules.
#define RUFWERK_PLUGIN_INTERFACE_VERSION 1

/// Handler of a module command; bound to one of the engine's actions.
using TNotifyEvent = std::function<void(QObject *sender)>;

/// What a connection module may reach of the program.
class TuilPluginHost
{
public:
    virtual ~TuilPluginHost() = default;
    /// The main window: target of the module's window messages, owner of its controls.
    virtual QWidget *MainWindow() const = 0;
    /// A named list of the main window's string list container ("RASInfo", "Entries", ...).
    virtual QStringList *StringList(const QString &name) = 0;
};

/// One command a module offers (caption, hint, data, bitmap, handler).
struct TuilPluginCommand
{
    QString Caption;
    QString Hint;
    int Data = 0;
    QPixmap Bitmap;
    TNotifyEvent Handler;
};

/**
 * The object a connection module returns from its export "RegisterPlugin".
 * Only virtual calls cross the library boundary.
 */
class TuilPlugin
{
public:
    virtual ~TuilPlugin() = default;

    virtual int InterfaceVersion() const { return RUFWERK_PLUGIN_INTERFACE_VERSION; }
    virtual QString Name() const = 0;
    /// How many modules of this name may be loaded at once (0: no limit).
    virtual int MaxInstances() const = 0;
    /// Returns false when the module cannot work.
    virtual bool Initialize(TuilPluginHost *host, QApplication *application, QScreen *screen,
                            const QString &fileName) = 0;
    virtual QList<TuilPluginCommand> Commands() const = 0;
    /// The activation entry, run once after loading.
    virtual void Activate() = 0;
    /// A numbered command from the program (5945, 5946, 5948).
    virtual void Command(int number, const QString &text) = 0;
};

extern "C" {
using TRegisterPlugin = TuilPlugin *(*)();
}
