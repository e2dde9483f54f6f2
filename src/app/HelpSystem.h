// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "HelpLink.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class THelpWindow;
class QWidget;

/**
 * The program's help: the viewer behind HelpLink and F1 in every window.
 * The help collections "<name>.qch" with "<name>.qhc" lie beside the program;
 * each user gets a writable copy of a collection (the search index grows
 * beside it) in the cache folder. Help windows are created on demand and
 * belong to the modal dialog that asks for help, so that dialog does not
 * block them.
 */
class THelpSystem : public QObject {
    Q_OBJECT

public:
    explicit THelpSystem(QObject *parent = nullptr);
    ~THelpSystem() override;

    /// Makes this the viewer of HelpLink and watches F1 in the whole application.
    void Install();

    /// Where the help files are looked for: the program's own folder unless set.
    static QString HelpFolder();
    static void SetHelpFolder(const QString &folder);
    /// The user's collection of helpFile ("Rufwerk", "ListPrinter"), ready to
    /// open; empty with a German error when the help file is missing or broken.
    static QString PrepareCollection(const QString &helpFile, QString *error);

    /// Carries out a help request; a missing help file is reported in the error box.
    void Show(const QString &helpFile, HelpLink::Request request, int context, QWidget *parent);
    /// The open window of helpFile, or null.
    THelpWindow *Window(const QString &helpFile) const;
    /// Closes every help window (the viewer's quit command).
    void CloseAll();

    /// The help file of widget: the "HelpFile" property of it or its parents, else the program's.
    static QString HelpFileOf(const QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    THelpWindow *windowFor(const QString &helpFile, QString *error);

    QHash<QString, QPointer<THelpWindow>> FWindows;
};
