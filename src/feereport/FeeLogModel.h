// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "TextLines.h"

#include <QAbstractTableModel>
#include <QStringList>

class TRASStrList;

/**
 * The fee log "FeeReport" of the main window's lists as a table of seven
 * columns, one row per line, in log order. Rows are decoded only when a view
 * shows them. Records the engine appends while the table is open appear as
 * new rows.
 */
class TFeeLogModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TFeeLogModel(TRASStrList *lists, QObject *parent = nullptr);

    static QString ListName();
    static const QStringList &Headers();

    const TextLines &Log() const;
    /// The fields of a row.
    QStringList Row(int row) const;
    /// Removes the rows of sorted, disjoint ranges from the fee log.
    void RemoveRows(const TextLines::Ranges &ranges);
    /// Empties the fee log.
    void Clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    /// Rows came or went other than through this model.
    void logChanged();

private:
    void listChanged(const QString &name);
    TextLines &log() const;

    TRASStrList *FLists;
    qsizetype FRows = 0;
    quint64 FRevision = 0;
    mutable int FCachedRow = -1;
    mutable QStringList FCachedFields;
};
