// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LogoForm.h"

#include "Glyphs.h"
#include "MainWidgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TLogoForm::TLogoForm(const QString &caption, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , FLogo(new TAnimate(this))
{
    setObjectName(u"LogoForm"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);

    FLogo->setObjectName(u"Logo"_s);
    FLogo->setFixedSize(96, 96);
    FLogo->installEventFilter(this);
    FLogo->setCursor(Qt::PointingHandCursor);

    auto *label = new QLabel(u"Kovatek`s Cool Tool"_s, this);
    label->setObjectName(u"LblCoolTool"_s);
    QFont f = label->font();
    f.setBold(true);
    f.setItalic(true);
    f.setPixelSize(20);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0x10, 0x3c, 0xa8));
    label->setPalette(pal);

    auto *title = new QLabel(caption, this);
    title->setObjectName(u"LblCaption"_s);
    QFont tf = title->font();
    tf.setPixelSize(13);
    title->setFont(tf);
    QPalette tp = title->palette();
    tp.setColor(QPalette::WindowText, QColor(0x3b, 0x47, 0x55));
    title->setPalette(tp);

    auto *text = new QVBoxLayout;
    text->addStretch();
    text->addWidget(label);
    text->addWidget(title);
    text->addStretch();

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(18, 18, 18, 18);
    row->setSpacing(18);
    row->addWidget(FLogo);
    row->addLayout(text, 1);
    // As wide as the label needs in the font at hand, never cut off.
    setFixedSize(std::max(360, row->sizeHint().width()), 132);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TLogoForm::ShowAndPaint()
{
    show();
    raise();
    FLogo->setActive(true);
    // The main window keeps the event loop busy while it builds itself, so
    // paint now instead of waiting for it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

bool TLogoForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FLogo && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TLogoForm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xf4, 0xf9, 0xff));
    g.setColorAt(1, QColor(0xc9, 0xde, 0xf7));
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xb0), 2));
    p.setBrush(g);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}
