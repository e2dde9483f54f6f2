// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "WindowMessage.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QToolButton>
#include <QWidget>

/// A bare window with the named controls the engine writes to, routing the
/// module's window messages to the engine like the main window does.
class EngineHost : public QWidget
{
public:
    EngineHost()
    {
        auto add = [this](QWidget *w, const char *name) {
            w->setParent(this);
            w->setObjectName(QLatin1String(name));
        };
        add(new QComboBox, "ComboBoxRAS");
        for (const char *name : {"EditUserName", "EditPassword", "EditOnline", "EditCurrent"})
            add(new QLineEdit, name);
        for (const char *name : {"LblTelNum", "LblFee", "LblTact", "MsgLabel", "LabelTime"})
            add(new QLabel, name);
        auto *spin = new QSpinBox;
        spin->setRange(20, 1000);
        spin->setValue(60);
        add(spin, "SpinEdit");
        add(new QProgressBar, "WaitProgress");
        add(new QToolButton, "BtnDial");
        add(new QToolButton, "BtnStopp");
        for (const char *name : {"MIDialHang", "MIDial", "MIHangUp", "MIStop", "MISynchron", "MIAsynchron", "ActFeeProt"}) {
            auto *a = new QAction(this);
            a->setObjectName(QLatin1String(name));
            a->setCheckable(QByteArray(name).startsWith("MIS") || QByteArray(name).startsWith("MIA"));
        }
        auto *bar = new QStatusBar;
        add(bar, "StatusBar");
        for (int i = 0; i < 6; ++i) {
            auto *panel = new QLabel(bar);
            panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
            bar->addWidget(panel);
        }
        auto *header = new QHeaderView(Qt::Horizontal);
        auto *model = new QStandardItemModel(0, 4, header);
        header->setModel(model);
        add(header, "HeaderControl");
        static_cast<QLineEdit *>(child("EditOnline"))->setText(QStringLiteral("00:00:00"));
        lists = new TRASStrList(this);
    }

    QWidget *child(const char *name) const { return findChild<QWidget *>(QLatin1String(name)); }
    template<typename T>
    T *get(const char *name) const { return findChild<T *>(QLatin1String(name)); }

    TRASWorkUnit *engine = nullptr;
    TRASStrList *lists = nullptr;
    QList<int> messages;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == TWindowMessage::EventType) {
            const auto *m = static_cast<TWindowMessage *>(e);
            messages << m->Message;
            if (engine)
                engine->HandleWindowMessage(m->Message, m->WParam, m->LParam);
            return true;
        }
        return QWidget::event(e);
    }
};
