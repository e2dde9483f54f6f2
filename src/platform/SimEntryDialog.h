// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

/**
 * The simulated line's own small entry dialog, standing in for the system's
 * create and edit dialogs: name, device, phone number, user name, password.
 * OK stores the entry and its dial parameters in the service's phone book.
 */
class SimEntryDialog : public QDialog
{
    Q_OBJECT

public:
    /// entryName empty: a new entry; otherwise that entry is edited.
    SimEntryDialog(DialUpService &service, const QString &entryName, QWidget *parent = nullptr);

    /// Shows the dialog modally. RasError::Success when stored, RasError::Cancelled
    /// when the user closed it without storing, else the error of storing;
    /// createdName gets the name of a new entry.
    int run(QString *createdName = nullptr);

    /// Replaces the modal loop; tests fill the named controls and press a button.
    static inline std::function<void(SimEntryDialog &)> ExecHook;

    void accept() override;

private:
    int store();
    void showProblem(const QString &text, QWidget *field);

    DialUpService &m_service;
    QString m_entryName;
    QList<RasDevice> m_devices;
    int m_result = RasError::Cancelled;
    QString m_stored;

    QLineEdit *EditName;
    QComboBox *CBDevice;
    QLineEdit *EditPhone;
    QLineEdit *EditUser;
    QLineEdit *EditPassword;
    QLabel *LblProblem;
};
