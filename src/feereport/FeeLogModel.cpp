// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeLogModel.h"

#include "FeeRecord.h"
#include "RASStrList.h"

using namespace Qt::StringLiterals;

TFeeLogModel::TFeeLogModel(TRASStrList *lists, QObject *parent)
    : QAbstractTableModel(parent)
    , FLists(lists)
    , FRows(log().count())
    , FRevision(log().revision())
{
    connect(FLists, &TRASStrList::listChanged, this, &TFeeLogModel::listChanged);
}

QString TFeeLogModel::ListName()
{
    return u"FeeReport"_s;
}

const QStringList &TFeeLogModel::Headers()
{
    static const QStringList headers = {u"Datum"_s,   u"Zeit"_s,  u"DFÜ-Verbindung"_s, u"Rufnummer"_s,
                                        u"Gebühr"_s, u"Dauer"_s, u"Kosten"_s};
    return headers;
}

TextLines &TFeeLogModel::log() const
{
    return *FLists->Compact(ListName());
}

const TextLines &TFeeLogModel::Log() const
{
    return log();
}

QStringList TFeeLogModel::Row(int row) const
{
    if (row != FCachedRow) {
        FCachedFields.clear();
        // The log may have been changed behind the model's back; a row it lacks is empty.
        const TextLines &lines = log();
        const QByteArrayView raw = row < lines.count() ? lines.raw(row) : QByteArrayView();
        for (const QByteArrayView field : FeeRecord::FieldsOf(raw))
            FCachedFields.append(lines.decode(field));
        FCachedRow = row;
    }
    return FCachedFields;
}

int TFeeLogModel::rowCount(const QModelIndex &parent) const
{
    // A view holds rows by int; a log beyond that is shown up to it.
    return parent.isValid() ? 0 : int(std::min<qsizetype>(FRows, std::numeric_limits<int>::max()));
}

int TFeeLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FeeRecord::FieldCount;
}

QVariant TFeeLogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= FRows)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return Row(index.row()).at(index.column());
    case Qt::TextAlignmentRole:
        // Amounts and times line up on the right.
        return int(index.column() >= FeeRecord::Tariff ? Qt::AlignRight | Qt::AlignVCenter
                                                         : Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TFeeLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FeeRecord::FieldCount)
        return {};
    if (role == Qt::DisplayRole)
        return Headers().at(section);
    if (role == Qt::TextAlignmentRole)
        return int(section >= FeeRecord::Tariff ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void TFeeLogModel::RemoveRows(const TextLines::Ranges &ranges)
{
    if (ranges.isEmpty())
        return;
    beginResetModel();
    log().remove(ranges);
    FRows = log().count();
    FRevision = log().revision();
    FCachedRow = -1;
    endResetModel();
    FLists->Changed(ListName());
}

void TFeeLogModel::Clear()
{
    beginResetModel();
    log().clear();
    FRows = 0;
    FRevision = log().revision();
    FCachedRow = -1;
    endResetModel();
    FLists->Changed(ListName());
}

void TFeeLogModel::listChanged(const QString &name)
{
    if (name != ListName() || log().revision() == FRevision)
        return;
    FRevision = log().revision();
    FCachedRow = -1;
    const qsizetype rows = log().count();
    if (rows > FRows && rows <= std::numeric_limits<int>::max()) {
        // The engine appended a record.
        const qsizetype old = FRows;
        beginInsertRows(QModelIndex(), int(old), int(rows - 1));
        FRows = rows;
        endInsertRows();
        if (old > 0)
            emit dataChanged(index(0, 0), index(int(old - 1), FeeRecord::FieldCount - 1));
    } else {
        beginResetModel();
        FRows = rows;
        endResetModel();
    }
    emit logChanged();
}
