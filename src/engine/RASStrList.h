// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "TextLines.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <unordered_map>

/**
 * The main window's container of named string lists ("Protocol", "Entries",
 * "RASInfo", "FeeReport", ...), looked up by name, never by position.
 * A list that was never written reads as empty.
 *
 * "FeeReport" grows by a line per connection for years; it is kept compact
 * (TextLines) and reached through Compact() or the operations by name, never
 * through List(). Every such access first runs its loader, if one is pending.
 */
class TRASStrList : public QObject
{
    Q_OBJECT

public:
    explicit TRASStrList(QObject *parent = nullptr);

    /// Whether the list of that name is kept compact.
    static bool IsCompact(const QString &name);

    /// The plain list of that name, created empty on first use. The pointer
    /// stays valid for the container's life. Not for compact lists.
    QStringList *List(const QString &name);
    /// The compact list of that name; null for a plain one. Tell listeners
    /// with Changed() after changing it through the pointer.
    TextLines *Compact(const QString &name);

    // Operations on either kind of list.
    QStringList Lines(const QString &name) const;
    void SetLines(const QString &name, const QStringList &lines);
    void SetLines(const QString &name, TextLines lines);
    void Append(const QString &name, const QString &line);
    void Clear(const QString &name);
    qsizetype Count(const QString &name) const;
    /// Line i of the list; empty text outside the list.
    QString Line(const QString &name, qsizetype i) const;
    /// Tells listeners that a list was changed through its pointer.
    void Changed(const QString &name);

    /// Fills a compact list on its first use (or at EnsureLoaded), so that a
    /// fee log of years need not be read before the main window shows.
    void SetLoader(const QString &name, std::function<void()> loader);
    void EnsureLoaded(const QString &name) const;

signals:
    void listChanged(const QString &name);

private:
    std::unordered_map<QString, std::unique_ptr<QStringList>> m_lists;
    TextLines m_feeReport;
    mutable std::function<void()> m_feeReportLoader;
};
