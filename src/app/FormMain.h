// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "EngineSettings.h"
#include "FeeLogFile.h"
#include "Glyphs.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class DialUpService;
class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QHeaderView;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSpinBox;
class QStatusBar;
class QSystemTrayIcon;
class QTimer;
class QToolButton;
class TActivityGauge;
class TAnimate;
class TRASStrList;
class TRASWorkUnit;

/**
 * The main window: the program's only top-level window and its start-up
 * object. It is built and runs FormCreate in its constructor; the engine is
 * created afterwards (CreateEngine) and then writes into the window's named
 * controls. Heights: 155 collapsed, 404 with the extended panel.
 */
class TFormMain : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(bool ShowPostIt READ ShowPostIt WRITE SetShowPostIt)
    Q_PROPERTY(bool ShapedHints READ ShapedHints WRITE SetShapedHints)

public:
    static constexpr int FormWidth = 520;
    static constexpr int MinHeight = 155;
    static constexpr int MaxHeight = 404;
    static constexpr int PanelMoreHeight = MaxHeight - MinHeight;
    static constexpr int TrayCycleInterval = 400;

    /// Unit start-up, before any window: the program folders and the "URL" folder.
    static void PrepareFolders();

    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    /// Creates the engine; it finds the controls in place and applies the current connection.
    void CreateEngine(DialUpService *service = nullptr);
    /// Shows the window unless MiniStart is on (the tray icon's start-up answer).
    void StartUp();
    /// The orderly end of FormDestroy; runs once, whoever asks first (close,
    /// SIGTERM, end of the desktop session).
    void Shutdown();
    /// Whether the desktop has a notification area for the tray icon.
    bool TrayIconAvailable() const;
    /// Whether the orderly end has run; waits for a dial stop then.
    bool IsShutDown() const { return FShutDown; }

    TRASWorkUnit *engine = nullptr;
    TRASStrList *RASStrList = nullptr;
    TStartSettings StartSettings;
    bool FavoritesAvailable = true;
    bool AlwaysOnline = false;
    /// The address handed to the site download window (message 5950).
    QString DownloadURL;

    /// The fee log file behind RASStrList's "FeeReport".
    TFeeLogFile &FeeLog() { return FFeeLog; }

    int ConnectionState() const;
    /// The start settings in force: the engine's once it exists (the settings
    /// dialog changes those), else those read at FormCreate.
    const TStartSettings &CurrentStartSettings() const;

    // Handlers
    /// Fills the list "StartProgs" from the stored list and rebuilds the start program choice.
    void LoadStartPrograms();
    void LoadFeeList();
    void SaveFeeList();
    void BtnMoreClick();
    void ComboBoxRASSelect(int index);
    void SpinEditChange(int value);
    void BtnStopItClick();
    void BtnGetMesClick();
    void MsgLabelDblClick();
    void MISynchronClick();
    void PMIReadmeClick();
    /// Message 5952: the first-start text, shown once.
    void ShowFirstStartText();
    /// Message 5950: the site download window with DownloadURL.
    void ShowSiteDownload();
    /// Whether the window may close now, by ConnectionState.
    bool FormCloseQuery();

    /// The commands of later program parts are reached through one table:
    /// each menu item or button runs the command of its object name.
    void SetCommand(const QString &name, std::function<void()> handler);
    void RunCommand(const QString &name);
    bool HasCommand(const QString &name) const;
    /// The German name of a command that is not built yet.
    static QString CommandTitle(const QString &name);

    bool ShowPostIt() const { return FShowPostIt; }
    void SetShowPostIt(bool on);
    bool ShapedHints() const { return FShapedHints; }
    void SetShapedHints(bool on);

    /// Splits "tooltip|status text" into the two hints of a widget or action.
    static void SetHint(QObject *target, const QString &hint);

    // Seams: whether the desktop offers a notification area and the
    // favourites; tests replace them.
    static inline std::function<bool()> TrayAvailable;
    static inline std::function<bool()> FavoritesOffered;

signals:
    /// The window was allowed to close; the program ends.
    void programEnds();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void buildActions();
    void buildMenus();
    void buildCompactPanel(QWidget *panel);
    void buildPanelMore(QWidget *panel);
    void buildStatusBar(QStatusBar *bar);
    void buildTray();
    QAction *commandAction(const char *name, const QString &caption, const QString &keys = QString(),
                           const QIcon &icon = QIcon());
    void connectCommand(QAction *action);
    /// A menu item that runs the command of the command table.
    struct CommandItem
    {
        const char *name;
        QString caption;
        QString command;
        QString hint;
        Glyphs::Id glyph;
    };
    QAction *commandItem(const CommandItem &item);
    void onConnectionStateChanged(int state);
    void applyDialButtonLook(int state);
    void updateTrayImage();
    void restorePlacement();
    void savePlacement();
    void applyHintStyle();
    void showMainWindow();

    // Compact panel
    QHeaderView *HeaderControl = nullptr;
    QWidget *BMPRas = nullptr;
    TAnimate *Animate = nullptr;
    QLabel *MsgLabel = nullptr;
    QLineEdit *EditOnline = nullptr;
    QLineEdit *EditCurrent = nullptr;
    QToolButton *BtnDial = nullptr;
    QToolButton *BtnStopp = nullptr;
    QToolButton *BtnMore = nullptr;
    QToolButton *BtnMenuOptions = nullptr;
    QToolButton *BtnHelp = nullptr;
    QToolButton *BtnExit = nullptr;
    QComboBox *ComboBoxRAS = nullptr;
    QToolButton *BtnFavorite = nullptr;
    QComboBox *ComboBoxStartProg = nullptr;
    QToolButton *SBStart = nullptr;

    // Extended panel
    QWidget *PanelMore = nullptr;
    QLineEdit *EditUserName = nullptr;
    QLineEdit *EditPassword = nullptr;
    QLabel *LblTelNum = nullptr;
    QLabel *LblFee = nullptr;
    QLabel *LblTact = nullptr;
    QLineEdit *Edit0 = nullptr;
    QProgressBar *WaitProgress = nullptr;
    QSpinBox *SpinEdit = nullptr;
    QLabel *LabelTime = nullptr;
    QStatusBar *StatusBar = nullptr;
    TActivityGauge *Gauge = nullptr;
    QLabel *StatusPanel5 = nullptr;

    // Actions and menus
    QAction *MIDial = nullptr;
    QAction *MIStop = nullptr;
    QAction *MIHangUp = nullptr;
    QAction *MIExit = nullptr;
    QAction *ActFeeProt = nullptr;
    QAction *MIFavorites = nullptr;
    QAction *MISynchron = nullptr;
    QAction *MIAsynchron = nullptr;
    QAction *MIDialHang = nullptr;
    QMenu *PMTaskmenu = nullptr;
    QMenu *PMHelp = nullptr;
    QMenu *BarPopupMenu = nullptr;

    QSystemTrayIcon *TrayIcon = nullptr;
    QTimer *FTrayTimer = nullptr;
    int FTrayImage = 0;

    TFeeLogFile FFeeLog;
    QHash<QString, std::function<void()>> FCommands;
    bool FShowPostIt = true;
    bool FShapedHints = true;
    bool FShutDown = false;
    bool FWasShown = false;
    bool FMinimizedAtStart = false;
};
