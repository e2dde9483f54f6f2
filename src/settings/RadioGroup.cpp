// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RadioGroup.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QRadioButton>

TRadioGroup::TRadioGroup(
    const QString &name, const QString &title, const QStringList &items, QWidget *parent, Qt::Orientation orientation)
    : QGroupBox(title, parent)
    , FGroup(new QButtonGroup(this))
{
    setObjectName(name);
    auto *layout
        = new QBoxLayout(orientation == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, this);
    layout->setContentsMargins(8, 2, 8, 4);
    layout->setSpacing(orientation == Qt::Vertical ? 2 : 12);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        button->setObjectName(name + QString::number(i));
        FGroup->addButton(button, i);
        layout->addWidget(button);
    }
    if (orientation == Qt::Horizontal)
        layout->addStretch();
    connect(FGroup, &QButtonGroup::idClicked, this, &TRadioGroup::itemClicked);
}

int TRadioGroup::ItemIndex() const
{
    return FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *button = FGroup->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: an exclusive group keeps one checked unless told otherwise.
    FGroup->setExclusive(false);
    for (QAbstractButton *button : FGroup->buttons())
        button->setChecked(false);
    FGroup->setExclusive(true);
}

QRadioButton *TRadioGroup::Button(int index) const
{
    return qobject_cast<QRadioButton *>(FGroup->button(index));
}
