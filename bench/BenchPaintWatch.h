// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// Waiting for a widget to paint, for benchmarks that time what the user sees.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QWidget>

// Waits until the widget has painted what the last change shows.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *widget)
        : FWidget(widget)
    {
        widget->installEventFilter(this);
    }

    void wait()
    {
        FPainted = false;
        FWidget->update();
        while (!FPainted)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == FWidget && event->type() == QEvent::Paint)
            FPainted = true;
        return false;
    }

private:
    QWidget *FWidget;
    bool FPainted = false;
};
