// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QMenu>

/// A menu with a vertical bar on its left that carries a caption from bottom to top.
class TSideBarMenu : public QMenu {
    Q_OBJECT

public:
    static constexpr int BarWidth = 30;

    explicit TSideBarMenu(const QString &barText, QWidget *parent = nullptr);

    QString barText() const { return FBarText; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString FBarText;
};
