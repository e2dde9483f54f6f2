// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RASStrList.h"

TRASStrList::TRASStrList(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("RASStrList"));
}

QStringList *TRASStrList::List(const QString &name)
{
    std::unique_ptr<QStringList> &list = m_lists[name];
    if (!list)
        list = std::make_unique<QStringList>();
    return list.get();
}

QStringList TRASStrList::Lines(const QString &name) const
{
    const auto it = m_lists.find(name);
    return it == m_lists.end() ? QStringList() : *it->second;
}

void TRASStrList::SetLines(const QString &name, const QStringList &lines)
{
    *List(name) = lines;
    emit listChanged(name);
}

void TRASStrList::Append(const QString &name, const QString &line)
{
    List(name)->append(line);
    emit listChanged(name);
}

void TRASStrList::Changed(const QString &name)
{
    emit listChanged(name);
}
