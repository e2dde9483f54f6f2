// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "VersionInfo.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStackedLayout;
class QTreeWidget;

/**
 * The about box "Programm-Info": a picture, or in its place the version
 * resource as a list "Ressource" / "Wert", then product, version and
 * comments. The list is filled each time the box becomes active.
 */
class TLocaAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TLocaAboutBox(const TVersionInfo &version = TVersionInfo::Program(), QWidget *parent = nullptr);

    /// Fills the list and the labels from the version resource.
    void FormActivate();
    void BtnFileInfoClick();
    void BtnMailClick();

    /// Shows the about box modally and frees it.
    static void Execute(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    TVersionInfo FVersion;
    QStackedLayout *FPlace;
    QWidget *FPicture;
    QTreeWidget *FList;
    QLabel *FProductName;
    QLabel *FVersionLabel;
    QLabel *FComments;
};
