// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PluginManager.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibrary>

namespace {
QString quoted(const QString &path)
{
    return u'\'' + QDir::toNativeSeparators(path) + u'\'';
}
} // namespace

TuilPluginManager::TuilPluginManager(QObject *parent)
    : QObject(parent)
{
}

TuilPluginManager::~TuilPluginManager()
{
    // The libraries stay loaded until the process ends: code of a module may
    // still be referenced by handlers that outlive its object.
    qDeleteAll(m_plugins);
    m_plugins.clear();
}

void TuilPluginManager::SetExtension(const QString &extension)
{
    if (extension.isEmpty() || extension.size() > 3)
        throw EuilPluginError(QStringLiteral("Extension must be between 1 and 3 characters"));
    m_extension = extension;
}

bool TuilPluginManager::LoadPlugin(const QString &fileName, TuilPluginHost *host)
{
    auto *library = new QLibrary(fileName, this);
    library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library->load()) {
        delete library;
        throw EuilLoadPluginError(QLatin1String("Error loading Plug-in ") + quoted(fileName));
    }
    const auto registerPlugin = reinterpret_cast<TRegisterPlugin>(library->resolve("RegisterPlugin"));
    if (!registerPlugin) {
        library->unload();
        delete library;
        throw EuilLoadPluginError(quoted(fileName) + QLatin1String(" is not a valid Plug-in"));
    }
    TuilPlugin *plugin = registerPlugin();
    if (!plugin)
        return false;
    if (plugin->InterfaceVersion() != RUFWERK_PLUGIN_INTERFACE_VERSION) {
        // An object of another interface cannot be called safely, not even freed.
        throw EuilLoadPluginError(quoted(fileName) + QLatin1String(" is not a valid Plug-in"));
    }
    const QString name = plugin->Name();
    if (plugin->MaxInstances() > 0) {
        int loaded = 0;
        for (const TuilPlugin *p : std::as_const(m_plugins)) {
            if (p->Name() == name)
                ++loaded;
        }
        if (loaded >= plugin->MaxInstances()) {
            delete plugin;
            return false;
        }
    }
    if (!plugin->Initialize(host, qobject_cast<QApplication *>(QCoreApplication::instance()),
                            QGuiApplication::primaryScreen(), QFileInfo(fileName).fileName())) {
        delete plugin;
        throw EuilLoadPluginError(quoted(fileName) + QLatin1String(" failed initialization."));
    }
    m_plugins.append(plugin);
    m_libraries.append(library);
    if (OnNewCommand) {
        const QList<TuilPluginCommand> commands = plugin->Commands();
        for (const TuilPluginCommand &command : commands)
            OnNewCommand(this, command.Caption, command.Hint, command.Data, command.Bitmap, command.Handler);
    }
    return true;
}

void TuilPluginManager::LoadPlugins(TuilPluginHost *host)
{
    QString folder = m_pluginFolder;
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (OnBeforeLoading)
        OnBeforeLoading(this);
    const QFileInfoList files = QDir(folder).entryInfoList({QLatin1String("*.") + m_extension}, QDir::Files,
                                                          QDir::Name);
    for (const QFileInfo &file : files) {
        bool allow = true;
        if (OnBeforeLoad)
            OnBeforeLoad(this, file.absoluteFilePath(), allow);
        if (!allow)
            continue;
        LoadPlugin(file.absoluteFilePath(), host);
        if (OnAfterLoad)
            OnAfterLoad(this, file.absoluteFilePath());
    }
    if (OnAfterLoading)
        OnAfterLoading(this);
}

void TuilPluginManager::checkIndex(int index) const
{
    if (index < 0 || index >= m_plugins.size())
        throw EuilPluginError(QStringLiteral("Invalid index"));
}

TuilPlugin *TuilPluginManager::Plugin(int index) const
{
    checkIndex(index);
    return m_plugins.at(index);
}

void TuilPluginManager::UnloadPlugin(int index)
{
    checkIndex(index);
    delete m_plugins.takeAt(index);
    QLibrary *library = m_libraries.takeAt(index);
    library->unload();
    delete library;
}

void TuilPluginManager::SendCommand(int number, const QString &text)
{
    // A command may unload modules; iterate over a copy.
    const QList<TuilPlugin *> plugins = m_plugins;
    for (TuilPlugin *plugin : plugins)
        plugin->Command(number, text);
}
