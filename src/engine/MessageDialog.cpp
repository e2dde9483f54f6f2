// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "MessageDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace {

MessageDialog::Hook &hook()
{
    static MessageDialog::Hook h;
    return h;
}

QWidget *ownerOr(QWidget *parent)
{
    if (parent)
        return parent;
    return QApplication::activeWindow();
}

int show(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton defaultButton, QWidget *parent)
{
    QMessageBox box(icon, QStringLiteral("Rufwerk"), MessageDialog::DisplayText(text), buttons, ownerOr(parent));
    box.setDefaultButton(defaultButton);
    if (auto *yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("&Ja"));
    if (auto *no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("&Nein"));
    return box.exec();
}

} // namespace

namespace MessageDialog {

QString DisplayText(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

bool Question(const QString &text, QWidget *parent)
{
    if (hook())
        return hook()(Kind::Question, text);
    return show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, parent)
        == QMessageBox::Yes;
}

bool QuestionDefaultNo(const QString &text, QWidget *parent)
{
    if (hook())
        return hook()(Kind::QuestionDefaultNo, text);
    return show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, parent)
        == QMessageBox::Yes;
}

void Information(const QString &text, QWidget *parent)
{
    if (hook()) {
        hook()(Kind::Information, text);
        return;
    }
    show(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok, parent);
}

void Error(const QString &text, QWidget *parent)
{
    if (hook()) {
        hook()(Kind::Error, text);
        return;
    }
    show(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok, parent);
}

void SetHook(Hook h)
{
    hook() = std::move(h);
}

} // namespace MessageDialog
