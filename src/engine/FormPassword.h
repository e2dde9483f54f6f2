// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;

/// The password prompt: a small tool window with a masked field and an OK button.
class TFormPassword : public QDialog
{
    Q_OBJECT

public:
    explicit TFormPassword(QWidget *parent = nullptr);

    void SetConnectionName(const QString &name);
    QString Password() const;

    /// Shows the prompt modally and returns the typed text. Tests replace the
    /// prompt with a hook that returns the answer.
    static QString Ask(const QString &connectionName, QWidget *parent = nullptr);
    using Hook = std::function<QString(const QString &connectionName)>;
    static void SetHook(Hook hook);

private:
    QLabel *m_name;
    QLineEdit *m_password;
};
