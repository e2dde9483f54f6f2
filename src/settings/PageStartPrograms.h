// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ProgStartPage.h"

#include <QStringList>
#include <functional>

class QLineEdit;
class QPushButton;
class QTableWidget;
struct TStartProgram;

/// Page 1 "Start-Programm": the editor of the start program list.
class TPageStartPrograms : public TProgStartPage {
    Q_OBJECT

public:
    explicit TPageStartPrograms(TFormProgStart *dialog);

    void FillControls() override;

    /// Whether the list has a change that the take-over stores ("&Einfügen" enabled).
    bool ListChanged() const;
    /// The lines of the list, as they are stored.
    QStringList Lines() const;
    /// Stores the list: the main window's list, the file, then its reload.
    /// The error has been shown when this returns false.
    bool StoreList();

    /// Chooses a program file for the path field; empty when cancelled. Tests replace it.
    static inline std::function<QString(QWidget *parent, const QString &current)> ChooseFile;

private:
    void addRow(int row, const QString &line);
    void selectRow(int row);
    void fillFields();
    void updateInsert();
    void FilenameEditChange();
    void BtnBrowseClick();
    void BtnNewProgClick();
    void BtnInsertClick();
    void BtnDeleteClick();
    void BtnTestClick();
    void BtnRemoveClick();

    QTableWidget *ListBoxStarts = nullptr;
    QLineEdit *EditProgName = nullptr;
    QLineEdit *FilenameEdit = nullptr;
    QLineEdit *EditParams = nullptr;
    QPushButton *BtnInsert = nullptr;
    QPushButton *BtnRemove = nullptr;
    // Typed into since the fields were last filled by the program.
    bool FNameEdited = false;
    bool FPathEdited = false;
    bool FParamsEdited = false;
};
