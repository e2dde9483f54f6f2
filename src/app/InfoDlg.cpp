// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "InfoDlg.h"

#include "DialogTools.h"
#include "Glyphs.h"
#include "MessageDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>

using namespace Qt::StringLiterals;

TInfoDlg::TInfoDlg(const TVersionInfo &version, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(u"InfoDlg"_s);
    setWindowTitle(u"Info"_s);

    auto *icon = new QLabel(this);
    icon->setObjectName(u"ProgramIcon"_s);
    icon->setPixmap(Glyphs::appIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *name = new QLabel(u"KVT Rufwerk"_s, this);
    name->setObjectName(u"LblAppName"_s);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    name->setFont(big);

    auto *description = new QLabel(
        MessageDialog::DisplayText(
            u"Kovatek Rufwerk für einfaches\r\nAnlegen, Ändern und Betreiben von\r\nDFÜ-Verbindungen zu remoten Servern"_s),
        this);
    description->setObjectName(u"LblDescription"_s);

    auto *versionText = new QLabel(u"Version "_s + version.ProductVersion, this);
    versionText->setObjectName(u"LblVersion"_s);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"BtnOK"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(icon, 0, 0, 3, 1);
    grid->addWidget(name, 0, 1);
    grid->addWidget(description, 1, 1);
    grid->addWidget(versionText, 2, 1);
    grid->addWidget(buttons, 3, 0, 1, 2);
    setFixedSize(sizeHint());
}

void TInfoDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FExploded)
        return;
    FExploded = true;
    // Grows from a point in its centre to its place.
    const QRect target = geometry();
    auto *explode = new QPropertyAnimation(this, "geometry", this);
    explode->setDuration(ExplodeMilliseconds);
    explode->setStartValue(QRect(target.center(), QSize(1, 1)));
    explode->setEndValue(target);
    explode->setEasingCurve(QEasingCurve::OutCubic);
    setMinimumSize(1, 1);
    connect(explode, &QPropertyAnimation::finished, this, [this, target] { setFixedSize(target.size()); });
    explode->start(QAbstractAnimation::DeleteWhenStopped);
}

void TInfoDlg::Execute(QWidget *parent)
{
    TInfoDlg dialog(TVersionInfo::Program(), parent);
    CenterOnDesktop(&dialog);
    dialog.exec();
}
