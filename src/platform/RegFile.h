// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

/**
 * The settings file's layout: a registry export (UTF-8) below
 * "HKEY_CURRENT_USER", one "[key path]" line per key followed by its
 * "name"="data" lines ("@" for the default value), with "\\", "\"", "\n",
 * "\r" and "\0" escaped. Reading skips what it cannot take and keeps the rest.
 */
namespace RegFile {

struct Value
{
    QString name; // as first written
    QString data;
};

struct Key
{
    QString path;                // as first written
    QMap<QString, Value> values; // by lower-case name
};

using Tree = QMap<QString, Key>; // by lower-case path

/// Backslashes for slashes, none at either end.
QString normalizedKey(const QString &key);

Tree parse(const QByteArray &bytes);
QByteArray serialize(const Tree &tree);

} // namespace RegFile
