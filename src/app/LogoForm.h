// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QWidget>

class QTimer;
class TAnimate;

/**
 * The splash window shown while the main window builds itself: a small
 * frameless window on top of the others with the label and the animated
 * logo. It frees itself when closed; a click on the logo closes it earlier.
 */
class TLogoForm : public QWidget
{
    Q_OBJECT

public:
    explicit TLogoForm(const QString &caption, QWidget *parent = nullptr);

    /// Shows the window without waiting, starts the logo and paints it at once.
    void ShowAndPaint();
    TAnimate *Logo() const { return FLogo; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TAnimate *FLogo;
};
