// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "MessageDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>
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

QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton, QWidget *parent)
{
    QMessageBox box(icon, QStringLiteral("Rufwerk"), MessageDialog::DisplayText(text), QMessageBox::NoButton,
                    ownerOr(parent));
    // Buttons of our own: a translator installed later retranslates standard
    // buttons into whatever language it carries, and these texts must stay German.
    struct Choice {
        QMessageBox::StandardButton button;
        const char *text;
        QMessageBox::ButtonRole role;
    };
    static constexpr Choice choices[] = {
        {QMessageBox::Yes, "&Ja", QMessageBox::YesRole},
        {QMessageBox::No, "&Nein", QMessageBox::NoRole},
        {QMessageBox::Ok, "OK", QMessageBox::AcceptRole},
    };
    QHash<QAbstractButton *, QMessageBox::StandardButton> answers;
    for (const Choice &choice : choices) {
        if (!(buttons & choice.button))
            continue;
        QPushButton *button = box.addButton(QString::fromUtf8(choice.text), choice.role);
        answers.insert(button, choice.button);
        if (choice.button == defaultButton)
            box.setDefaultButton(button);
    }
    // Esc and the close box answer No where there is one.
    box.setEscapeButton(answers.key(buttons & QMessageBox::No ? QMessageBox::No : QMessageBox::Ok));
    box.exec();
    return answers.value(box.clickedButton(), buttons & QMessageBox::No ? QMessageBox::No : QMessageBox::Ok);
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
