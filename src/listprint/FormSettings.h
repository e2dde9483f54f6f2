// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ListPrintTypes.h"

#include <QDialog>
#include <QMarginsF>
#include <array>
#include <functional>

class QAbstractSlider;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QToolButton;
class TCustomListPrint;

/**
 * The page layout dialog ("Seitenlayout") of a list printer: frames, zoom,
 * fonts, print style, margins and orientation, the header and footer columns
 * and the export values. It works on a copy of the values; Accepted() tells
 * whether the user took the changes over ("&Übernehmen", or Yes to the
 * question when closing with changes pending).
 */
class TFormSettings : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 3334;

    /// What the list printer hands over and takes back. Margins are in
    /// hundredths of a millimetre or thousandths of an inch (left, top, right, bottom).
    struct TValues {
        bool UseRegistry = false;
        TListFont BodyFont;
        TListFont HeaderFont;
        TListFont FooterFont;
        TPageBorders PageBorders;
        bool TableGrids = true;
        QString HeaderText;
        QString FooterText;
        int Zoom = 35;
        std::array<int, 6> PositionCodes { 0, 4, 0, 1, 4, 2 };
        QString WorksheetProgram;
        bool PrintWYSIWYG = true;
        bool WordWrap = false;
        bool FitPrintToPage = true;
        bool ExportSettings = true;
        QString FileName;
        int DDEPause = 0;
        bool SaveDDEVal = false;
        bool PrintToFile = false;
        TMeasureUnit MeasureUnit = muMillimeters;
        TPrinterOrientation Orientation = poPortrait;
        QMarginsF Margins;
        QMarginsF MinMargins;
    };

    /// listPrint receives the page setup dialog's orientation at once.
    explicit TFormSettings(TCustomListPrint *listPrint, QWidget *parent = nullptr);

    TValues Values;
    bool Accepted() const { return FAccepted; }

    /// Fills the controls from Values and shows the dialog modally (ExecHook instead when set).
    int Execute();
    /// Tests drive the filled dialog here instead of a user.
    static inline std::function<int(TFormSettings *)> ExecHook;

    /// Margin in page setup units as the list printer takes it back: whole
    /// millimetres (halves to the even neighbour), or inches.
    static double MarginFromPageSetup(double value, TMeasureUnit unit);

    // Handlers
    void FormActivate();
    void BtnApplyClick();
    void ItemChanged();
    void SetFrames();
    void BtnHelpClick();
    void SBTitleFontClick(int tag);
    void BtnOKClick();
    void UpDownClick();
    void CBPrintWWClick();
    void SBPrintMarginClick();
    void EditWSFileNameChange();
    void EditDDEPauseChange();

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCloseQuery();
    QWidget *buildLayoutPage();
    QWidget *buildHeaderFooterPage();
    QWidget *buildExportPage();
    void showFont(int tag);
    void showMargins();

    TCustomListPrint *FListPrint;
    bool FAccepted = false;
    bool FActivated = false;
    bool FFilling = false;
    bool FWorksheetFound = false;

    QToolButton *BtnApply = nullptr;
    QTabWidget *PageControl = nullptr;
    QWidget *TabSheetLA = nullptr;
    QWidget *TabSheetHF = nullptr;
    QWidget *TabSheetExp = nullptr;
    QLineEdit *EditZoomVal = nullptr;
    QAbstractSlider *UpDown = nullptr;
    QFrame *PanelPage = nullptr;
    std::array<QFrame *, 4> FBars {}; // pb_Left, pb_Top, pb_Right, pb_Bottom
    std::array<QCheckBox *, 4> FFrameBoxes {}; // CBFLeft, CBFTop, CBFRight, CBFBottom
    QToolButton *SBBodyFont = nullptr;
    QToolButton *SBTitleFont = nullptr;
    QToolButton *SBFooterFont = nullptr;
    QCheckBox *CBPrintWW = nullptr;
    QCheckBox *CBWordWrap = nullptr;
    QCheckBox *CBGridLines = nullptr;
    QCheckBox *CBFitToWidth = nullptr;
    QLabel *LabelMLeft = nullptr;
    QLabel *LabelMRight = nullptr;
    QLabel *LabelMTop = nullptr;
    QLabel *LabelMBot = nullptr;
    QLabel *LabelOrient = nullptr;
    QLineEdit *EditTitle = nullptr;
    QLineEdit *EditFooter = nullptr;
    std::array<QComboBox *, 6> FPositionBoxes {}; // CBTitLeft … CBFootRight
    QLineEdit *EditWSFileName = nullptr;
    QLineEdit *EditWSProgram = nullptr;
    QGroupBox *RGExportTo = nullptr;
    QRadioButton *FToWorksheet = nullptr;
    QRadioButton *FToTextFile = nullptr;
    QLineEdit *EditDDEPause = nullptr;
    QCheckBox *CBSaveDDEVal = nullptr;
};
