// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QList>
#include <QtGlobal>

#include <algorithm>

/**
 * Rising byte offsets of lines, four bytes each instead of eight: the low 32
 * bits per line, and for every 4 GiB passed the first row beyond it. A fee
 * log of a million lines keeps 4 MiB less this way, and larger files still work.
 */
class LineStarts
{
public:
    qsizetype size() const { return m_low.size(); }
    bool isEmpty() const { return m_low.isEmpty(); }
    void reserve(qsizetype rows) { m_low.reserve(rows); }
    void clear()
    {
        m_low.clear();
        m_blockRows.clear();
    }

    /// Offsets must not fall; a smaller one than the last is a caller's fault.
    void append(qsizetype offset)
    {
        Q_ASSERT(offset >= 0 && (isEmpty() || offset >= at(size() - 1)));
        while (quint64(offset) >> 32 > quint64(m_blockRows.size()))
            m_blockRows.append(size());
        m_low.append(quint32(quint64(offset)));
    }

    qsizetype at(qsizetype row) const
    {
        const quint64 low = m_low.at(row);
        if (m_blockRows.isEmpty())
            return qsizetype(low);
        const auto high = std::upper_bound(m_blockRows.cbegin(), m_blockRows.cend(), row) - m_blockRows.cbegin();
        return qsizetype((quint64(high) << 32) | low);
    }

private:
    QList<quint32> m_low;
    // m_blockRows[k]: the first row whose offset is at least (k + 1) * 4 GiB.
    QList<qsizetype> m_blockRows;
};
