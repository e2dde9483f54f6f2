// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RASStrList.h"

using namespace Qt::StringLiterals;

TRASStrList::TRASStrList(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("RASStrList"));
}

bool TRASStrList::IsCompact(const QString &name)
{
    return name == u"FeeReport"_s;
}

QStringList *TRASStrList::List(const QString &name)
{
    Q_ASSERT(!IsCompact(name));
    std::unique_ptr<QStringList> &list = m_lists[name];
    if (!list)
        list = std::make_unique<QStringList>();
    return list.get();
}

TextLines *TRASStrList::Compact(const QString &name)
{
    if (!IsCompact(name))
        return nullptr;
    EnsureLoaded(name);
    return &m_feeReport;
}

void TRASStrList::SetLoader(const QString &name, std::function<void()> loader)
{
    if (IsCompact(name))
        m_feeReportLoader = std::move(loader);
}

void TRASStrList::EnsureLoaded(const QString &name) const
{
    if (!IsCompact(name) || !m_feeReportLoader)
        return;
    // Taken first: the loader fills the list through this container.
    const std::function<void()> loader = std::move(m_feeReportLoader);
    m_feeReportLoader = nullptr;
    loader();
}

QStringList TRASStrList::Lines(const QString &name) const
{
    EnsureLoaded(name);
    if (IsCompact(name))
        return m_feeReport.toStringList();
    const auto it = m_lists.find(name);
    return it == m_lists.end() ? QStringList() : *it->second;
}

void TRASStrList::SetLines(const QString &name, const QStringList &lines)
{
    if (TextLines *compact = Compact(name))
        *compact = TextLines(lines);
    else
        *List(name) = lines;
    emit listChanged(name);
}

void TRASStrList::SetLines(const QString &name, TextLines lines)
{
    if (TextLines *compact = Compact(name))
        *compact = std::move(lines);
    else
        *List(name) = lines.toStringList();
    emit listChanged(name);
}

void TRASStrList::Append(const QString &name, const QString &line)
{
    if (TextLines *compact = Compact(name))
        compact->append(line);
    else
        List(name)->append(line);
    emit listChanged(name);
}

void TRASStrList::Clear(const QString &name)
{
    if (TextLines *compact = Compact(name))
        compact->clear();
    else
        List(name)->clear();
    emit listChanged(name);
}

qsizetype TRASStrList::Count(const QString &name) const
{
    EnsureLoaded(name);
    if (IsCompact(name))
        return m_feeReport.count();
    const auto it = m_lists.find(name);
    return it == m_lists.end() ? 0 : it->second->size();
}

QString TRASStrList::Line(const QString &name, qsizetype i) const
{
    if (i < 0 || i >= Count(name))
        return QString();
    if (IsCompact(name))
        return m_feeReport.at(i);
    return m_lists.find(name)->second->at(i);
}

void TRASStrList::Changed(const QString &name)
{
    emit listChanged(name);
}
