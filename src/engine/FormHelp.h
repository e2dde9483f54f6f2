// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QAction;
class QPrinter;
class QTextEdit;
class QToolBar;

/**
 * The text display window "Textanzeige": a read-only rich-text area with
 * print, save and close commands. Its users fill it, show it modally and free
 * it; it serves the session protocol, the first-start text and the server
 * profile evaluation.
 */
class TFormHelp : public QDialog {
    Q_OBJECT

public:
    explicit TFormHelp(QWidget *parent = nullptr);

    /// Loads an RTF or plain Windows-1252 text file. Returns false and sets
    /// error (German) when the file cannot be read; the text is then unchanged.
    bool loadFile(const QString &path, QString *error = nullptr);
    /// RTF bytes; anything that is not RTF is shown as plain text.
    void setRichText(const QByteArray &rtf);
    void setPlainLines(const QStringList &lines);

    /// Writes the text as RTF, atomically. Returns false and sets error (German).
    bool saveToFile(const QString &path, QString *error = nullptr) const;
    /// Prints the text on a configured printer. Returns false and sets error.
    bool printTo(QPrinter *printer, QString *error = nullptr) const;

    QTextEdit *richEdit() const { return RichEdit; }

    /// Width of each of the two spacers for a tool bar width.
    static int spacerWidth(int toolBarWidth);
    /// "Text aus: " followed by the application title.
    static QString printJobName();

    int exec() override;

    // Seams for tests: when set, they stand in for the modal dialogs (errors
    // go through MessageDialog and its hook).
    /// Chosen save file name; empty means cancelled.
    static inline std::function<QString()> saveFileNameHook;
    /// Confirms (and may configure) the printer; false means cancelled.
    static inline std::function<bool(QPrinter *)> printDialogHook;
    /// Runs instead of the modal loop; returns the dialog result.
    static inline std::function<int(TFormHelp *)> execHook;

    void BtnPrintClick();
    void BtnSaveClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ToolBarResize();
    void caretToStart();
    void showError(const QString &text);

    QToolBar *ToolBar;
    QAction *ActPrint;
    QAction *ActSave;
    QAction *ActClose;
    QWidget *Spacer1;
    QWidget *Spacer2;
    QTextEdit *RichEdit;
    bool FCentred = false;
};
