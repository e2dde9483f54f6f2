// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QFrame>
#include <QPointer>

class QAction;
class QLabel;
class QMenu;
class QSlider;
class QToolButton;
class TCustomListPrint;

/**
 * The print toolbar above a list printer's preview: zoom, paging, help, the
 * page layout dialog, the output menu (printer, PDF file, rebuild) and the way
 * back to the window before. It works on the list printer DizaVadud, which
 * becomes null when that list printer is destroyed.
 */
class TLPToolBar : public QFrame {
    Q_OBJECT

public:
    static constexpr int HelpContext = 3333;

    explicit TLPToolBar(QWidget *parent = nullptr);

    TCustomListPrint *DizaVadud() const;
    void SetDizaVadud(TCustomListPrint *listPrint);

    /// Proposed file of "Als PDF speichern"; a relative name lies in the user's documents (or home) folder.
    QString PdfFileName = QStringLiteral("Liste.pdf");

    QMenu *OutputMenu() const { return FOutputMenu; }
    /// Track bar at ZoomPercent and the page field "Seite n von m", as when the preview window is activated.
    void ShowPosition();
    /// Enables the paging buttons by the current page, as after a step.
    void UpdatePaging();

    // Handlers
    void TrackBarChange();
    void BtnZoomClick();
    void BtnPrevPageClick();
    void BtnNextPageClick();
    void BtnHelpClick();
    void BtnSettingsClick();
    void BtnOutputClick();
    void BtnBackClick();
    void MIPrintClick();
    void MIPdfClick();
    void MIExportClick();
    void MIRebuildClick();

private:
    void stepPage(int step);
    void showPageOf();
    void setPageText(const QString &text);
    void updateZoomHint();

    QPointer<TCustomListPrint> FDizaVadud;
    int FZoomStep = 25;
    QSlider *TrackBarZoom = nullptr;
    QToolButton *BtnZoom = nullptr;
    QToolButton *BtnPrevPage = nullptr;
    QLabel *LabelPage = nullptr;
    QToolButton *BtnNextPage = nullptr;
    QToolButton *BtnOutput = nullptr;
    QMenu *FOutputMenu = nullptr;
};
