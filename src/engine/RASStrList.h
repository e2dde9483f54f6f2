// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>

#include <memory>
#include <unordered_map>

/**
 * The main window's container of named string lists ("Protocol", "Entries",
 * "RASInfo", "FeeReport", ...), looked up by name, never by position.
 * A list that was never written reads as empty.
 */
class TRASStrList : public QObject
{
    Q_OBJECT

public:
    explicit TRASStrList(QObject *parent = nullptr);

    /// The list of that name, created empty on first use. The pointer stays valid
    /// for the container's life.
    QStringList *List(const QString &name);
    QStringList Lines(const QString &name) const;
    void SetLines(const QString &name, const QStringList &lines);
    void Append(const QString &name, const QString &line);
    /// Tells listeners that a list was changed through its pointer.
    void Changed(const QString &name);

signals:
    void listChanged(const QString &name);

private:
    std::unordered_map<QString, std::unique_ptr<QStringList>> m_lists;
};
