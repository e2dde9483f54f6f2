// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

/// A titled group of radio buttons with one chosen item, numbered from 0.
/// The buttons are named after the group with their number ("RGTact1").
class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    TRadioGroup(const QString &name, const QString &title, const QStringList &items, QWidget *parent,
        Qt::Orientation orientation = Qt::Vertical);

    /// The chosen item, -1 when none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton *Button(int index) const;

signals:
    /// The user clicked an item (not sent for SetItemIndex).
    void itemClicked(int index);

private:
    QButtonGroup *FGroup;
};
