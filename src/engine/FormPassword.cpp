// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormPassword.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
TFormPassword::Hook &hook()
{
    static TFormPassword::Hook h;
    return h;
}
} // namespace

TFormPassword::TFormPassword(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_name(new QLabel(this))
    , m_password(new QLineEdit(this))
{
    setObjectName(QStringLiteral("FormPassword"));
    setWindowTitle(QStringLiteral("Bitte Passwort eingeben für"));

    auto *caption = new QLabel(QStringLiteral("DFÜ:"), this);
    m_name->setObjectName(QStringLiteral("LabelConnection"));
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_password->setObjectName(QStringLiteral("EditPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setToolTip(QStringLiteral("Passwort eingeben"));
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *note = new QLabel(QStringLiteral("   Passwort eingeben, welches mit dem Service    Provider vereinbart ist.  "),
                            this);
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(m_name, 0, 1, 1, 2);
    layout->addWidget(m_password, 1, 0, 1, 2);
    layout->addWidget(ok, 1, 2);
    layout->addWidget(note, 2, 0, 1, 3);
    setFixedWidth(330);
}

void TFormPassword::SetConnectionName(const QString &name)
{
    m_name->setText(name);
}

QString TFormPassword::Password() const
{
    return m_password->text();
}

QString TFormPassword::Ask(const QString &connectionName, QWidget *parent)
{
    if (hook())
        return hook()(connectionName);
    TFormPassword form(parent);
    form.SetConnectionName(connectionName);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        form.adjustSize();
        form.move(screen->availableGeometry().center() - form.rect().center());
    }
    form.exec();
    return form.Password();
}

void TFormPassword::SetHook(Hook h)
{
    hook() = std::move(h);
}
