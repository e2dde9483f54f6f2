// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "PluginInterface.h"

#include <QList>
#include <QObject>

#include <exception>

class QLibrary;

class EuilPluginError : public std::exception
{
public:
    explicit EuilPluginError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }
    const char *what() const noexcept override { return m_utf8.constData(); }
    QString message() const { return m_message; }

private:
    QString m_message;
    QByteArray m_utf8;
};

class EuilLoadPluginError : public EuilPluginError
{
public:
    using EuilPluginError::EuilPluginError;
};

using TNewCommandEvent = std::function<void(QObject *sender, const QString &caption, const QString &hint, int data,
                                            const QPixmap &bitmap, const TNotifyEvent &handler)>;
using TuilBeforeLoadEvent = std::function<void(QObject *sender, const QString &fileName, bool &allowLoad)>;
using TuilAfterLoadEvent = std::function<void(QObject *sender, const QString &fileName)>;
using TSenderEvent = std::function<void(QObject *sender)>;

/**
 * Loads module libraries by their export "RegisterPlugin" and keeps their
 * objects, in load order, beside their library handles.
 */
class TuilPluginManager : public QObject
{
    Q_OBJECT

public:
    explicit TuilPluginManager(QObject *parent = nullptr);
    ~TuilPluginManager() override;

    QString Extension() const { return m_extension; }
    /// Throws EuilPluginError for a text not of 1 to 3 characters.
    void SetExtension(const QString &extension);
    QString Version() const { return QStringLiteral("5.1"); }
    void SetVersion(const QString &) {}
    QString PluginFolder() const { return m_pluginFolder; }
    void SetPluginFolder(const QString &folder) { m_pluginFolder = folder; }

    /// Loads one library. Returns false when the module declined (no object,
    /// instance limit); throws EuilLoadPluginError when the file is no module.
    bool LoadPlugin(const QString &fileName, TuilPluginHost *host);
    /// Loads every "*." + Extension file in PluginFolder (the program's folder when empty).
    void LoadPlugins(TuilPluginHost *host);
    int PluginCount() const { return int(m_plugins.size()); }
    /// Throws EuilPluginError("Invalid index").
    TuilPlugin *Plugin(int index) const;
    void UnloadPlugin(int index);
    void SendCommand(int number, const QString &text);

    TSenderEvent OnBeforeLoading;
    TSenderEvent OnAfterLoading;
    TuilBeforeLoadEvent OnBeforeLoad;
    TuilAfterLoadEvent OnAfterLoad;
    TNewCommandEvent OnNewCommand;

private:
    void checkIndex(int index) const;

    QString m_extension = QStringLiteral("uil");
    QString m_pluginFolder;
    QList<TuilPlugin *> m_plugins;
    QList<QLibrary *> m_libraries;
};
