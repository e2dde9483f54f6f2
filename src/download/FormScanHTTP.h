// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DownloadOptions.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class SettingsStore;
class TAnimatCopy;
class TRASWorkUnit;
struct TSiteItem;

/**
 * "Download URL:": copies a web site into the "URL" folder for offline
 * reading. It dials the current connection first when the line is down and
 * afterwards offers to hang up ("&Auflegen"). Created for one use.
 */
class TFormScanHTTP : public QDialog
{
    Q_OBJECT

public:
    static constexpr int HelpContext = 844;

    /// engine may be null: then there is no line to dial and the download
    /// starts at once. store defaults to the process-wide settings.
    explicit TFormScanHTTP(TRASWorkUnit *engine, QWidget *parent = nullptr, SettingsStore *store = nullptr);
    ~TFormScanHTTP() override;

    /// Opens the window modally; an empty url lets the user type one.
    static int Execute(TRASWorkUnit *engine, const QString &url, QWidget *parent = nullptr);

    /// The caller's address, taken by FormShow when the window opens.
    void SetURL(const QString &url);

    // Handlers
    void FormShow();
    void LoadDownloadOptions();
    void UpdateButtons();
    void EditURLChange(const QString &text);
    void StartBtnClick();
    void StopBtnClick();
    void MapBtnClick();
    void BtnOptionsClick();
    void BtnUpdateClick();
    void BtnReturnClick();
    void OptionChange();
    void ScannerAddItem(TSiteItem *item);
    void ScannerProgress(TSiteItem *item);
    void ScannerProcessed();
    void AddItemNode(TSiteItem *item);
    void FillTreeFromTask();

    /// The target display for a URL: the "URL" folder and the site's folder.
    static QString TargetFor(const QString &url, bool withoutURL);

    TSiteScanner *Scanner;
    QLineEdit *EditURL;
    QLineEdit *EditTarget;
    QLineEdit *EditDefault;
    QGroupBox *GroupOptions;
    QCheckBox *CBStrongUpd;
    QCheckBox *CBOtherURL;
    QCheckBox *CBFileResult;
    QCheckBox *CBRobots;
    QLineEdit *EditMaxKB;
    QSpinBox *SEditRecDep;
    QGroupBox *RGLinkConv;
    QButtonGroup *FLinkConvButtons;
    QPushButton *StartBtn;
    QPushButton *StopBtn;
    QPushButton *MapBtn;
    QPushButton *BtnOptions;
    QPushButton *BtnReturn;
    QPushButton *BtnUpdate;
    QTreeWidget *TreeView1;
    TAnimatCopy *AnimatCopy;
    QStatusBar *MessageBar;
    QLabel *PanelKB;
    QLabel *PanelFiles;
    QLabel *PanelImages;
    QLabel *PanelRate;

public Q_SLOTS:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildOptions();
    void buildMessageBar();
    /// Waits while the engine dials, keeping the window responsive.
    void waitForLine();
    QTreeWidgetItem *addNode(TSiteItem *item, QTreeWidgetItem *parent);

    QPointer<TRASWorkUnit> FEngine;
    SettingsStore *FStore;
    QString FCallerURL;
    bool FOpenedWithoutURL = false;
    bool FShown = false;
    bool FWaiting = false;
    bool FClosed = false;
    QHash<TSiteItem *, QTreeWidgetItem *> FNodes;
};
