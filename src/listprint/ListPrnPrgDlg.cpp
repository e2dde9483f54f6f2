// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ListPrnPrgDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int ClientWidth = 293;
constexpr int ClientHeight = 133;
constexpr int ClientHeightWithoutStop = 98; // at 96 pixels per inch
} // namespace

TListPrnPrgDlg::TListPrnPrgDlg(std::function<void()> onStop, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_onStop(std::move(onStop))
{
    setObjectName(u"ListPrnPrgDlg"_s);
    setWindowTitle(u"Print Progress"_s);
    setWindowModality(Qt::ApplicationModal);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(u"lblStatus"_s);
    lblStatus->setAlignment(Qt::AlignCenter);
    lblPageNumber = new QLabel(this);
    lblPageNumber->setObjectName(u"lblPageNumber"_s);
    lblPageNumber->setAlignment(Qt::AlignCenter);
    ProgBar = new QProgressBar(this);
    ProgBar->setObjectName(u"ProgBar"_s);
    ProgBar->setRange(0, 1);
    ProgBar->setValue(0);
    ProgBar->setTextVisible(false);
    btnCancel = new QPushButton(u"&Stop"_s, this);
    btnCancel->setObjectName(u"btnCancel"_s);
    btnCancel->setDefault(true);
    btnCancel->setAutoDefault(true);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        if (m_onStop)
            m_onStop();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addWidget(lblPageNumber);
    layout->addWidget(ProgBar);
    layout->addWidget(btnCancel, 0, Qt::AlignHCenter);
    SetShowCancel(true);
}

void TListPrnPrgDlg::SetShowCancel(bool show)
{
    btnCancel->setEnabled(show);
    btnCancel->setVisible(show);
    const int height = show ? ClientHeight : ClientHeightWithoutStop * logicalDpiY() / 96;
    setFixedSize(ClientWidth, height);
    PlaceOnScreen();
}

void TListPrnPrgDlg::PlaceOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TListPrnPrgDlg::reject()
{
    // Escape is the Stop button's; the dialog itself closes only when printing ends.
    if (btnCancel->isEnabled() && m_onStop)
        m_onStop();
}
