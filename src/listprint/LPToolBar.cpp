// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LPToolBar.h"

#include "ListPrint.h"
#include "ListPrintGlyphs.h"
#include "ListPrintUi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QStandardPaths>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int ControlHeight = 24;

QToolButton *glyphButton(QWidget *parent, const char *name, const QRect &geometry, const char *glyph,
    const QString &caption, const QString &hint, const QString &status)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setIcon(ListPrintGlyphs::Icon(QLatin1String(glyph)));
    button->setIconSize(QSize(16, 16));
    if (!caption.isEmpty()) {
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    button->setToolTip(hint);
    button->setStatusTip(status);
    return button;
}

QAction *menuEntry(QMenu *menu, const char *name, const QString &caption, const QString &hint, const char *glyph)
{
    QAction *action = menu->addAction(ListPrintGlyphs::Icon(QLatin1String(glyph)), caption);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    return action;
}

} // namespace

TLPToolBar::TLPToolBar(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(u"LPToolBar"_s);
    setProperty("HelpContext", HelpContext);
    setProperty("HelpFile", QLatin1String(ListPrintUi::HelpFile));
    setFixedHeight(35);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(grey);

    TrackBarZoom = new QSlider(Qt::Horizontal, this);
    TrackBarZoom->setObjectName(u"TrackBarZoom"_s);
    TrackBarZoom->setGeometry(1, 2, 152, ControlHeight + 6);
    TrackBarZoom->setRange(20, 120);
    TrackBarZoom->setSingleStep(10);
    TrackBarZoom->setPageStep(10);
    TrackBarZoom->setTickInterval(20);
    TrackBarZoom->setTickPosition(QSlider::TicksBelow);
    TrackBarZoom->setValue(35);
    updateZoomHint();

    BtnZoom = glyphButton(this, "BtnZoom", QRect(154, 5, 23, ControlHeight), "LPKTB_10", QString(), u"Zoomstufe"_s,
        u"Zoom ändern um 25%"_s);
    BtnPrevPage = glyphButton(this, "BtnPrevPage", QRect(179, 5, 23, ControlHeight), "LPKTB_02", QString(),
        u"Vorherige Seite"_s, u"Zur Vorseite gehen"_s);
    BtnPrevPage->setEnabled(false);

    LabelPage = new QLabel(u"Seite %1 of %2"_s.arg(0).arg(0), this);
    LabelPage->setObjectName(u"LabelPage"_s);
    LabelPage->setGeometry(202, 4, 98, ControlHeight + 2);
    LabelPage->setAlignment(Qt::AlignCenter);
    LabelPage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelPage->setAutoFillBackground(true);
    QPalette field = LabelPage->palette();
    field.setColor(QPalette::Window, QColor(0xF0, 0xFB, 0xFF));
    field.setColor(QPalette::WindowText, Qt::black);
    LabelPage->setPalette(field);
    QFont bold(u"Arial"_s);
    bold.setPointSize(9);
    bold.setBold(true);
    LabelPage->setFont(bold);

    BtnNextPage = glyphButton(this, "BtnNextPage", QRect(301, 5, 23, ControlHeight), "LPKTB_01", QString(),
        u"Nächste Seite"_s, u"Zur nächsten Seite gehen"_s);
    QToolButton *help = glyphButton(this, "BtnHelp", QRect(326, 5, 23, ControlHeight), "LPKTB_09", QString(),
        u"Hilfe"_s, u"Lokale Hilfe aufrufen"_s);
    QToolButton *settings = glyphButton(this, "BtnSettings", QRect(351, 5, 90, ControlHeight), "LPKTB_03",
        u"&Einstellung"_s, u"Einstellungs-Dialog..."_s, u"Einstellungs-Dialog öffnen"_s);
    BtnOutput = glyphButton(this, "BtnOutput", QRect(443, 5, 90, ControlHeight), "LPKTB_06", u"&Ausgabe.."_s,
        u"Drucken"_s, u"Druck-Dialog öffnen"_s);
    QToolButton *back = glyphButton(this, "BtnBack", QRect(535, 5, 90, ControlHeight), "LPKTB_05", u"&Zurück"_s,
        u"Zurück"_s, u"Zurück zum Vordialog"_s);
    for (QToolButton *button : { BtnNextPage, help, settings, BtnOutput, back })
        button->setFont(bold);

    FOutputMenu = new QMenu(this);
    FOutputMenu->setObjectName(u"OutputMenu"_s);
    FOutputMenu->setToolTipsVisible(true);
    QAction *print = menuEntry(FOutputMenu, "MIPrint", u".. zum &Drucker"_s, u"Ausgabe auf Drucker"_s, "LPKTB_04");
    QAction *pdf
        = menuEntry(FOutputMenu, "MIPdf", u"Als &PDF speichern"_s, u"Bericht als PDF-Datei speichern"_s, "LPKTB_11");
    QAction *worksheet = menuEntry(FOutputMenu, "MIExport", u".. nach &Excel"_s, u"Export nach Excel"_s, "LPKTB_07");
    // The worksheet export has no receiver in this program.
    worksheet->setVisible(false);
    FOutputMenu->addSeparator();
    QAction *rebuild
        = menuEntry(FOutputMenu, "MIRebuild", u"&Vorschau neu erstellen"_s, u"Vorschau neu erstellen"_s, "LPKTB_08");

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &position) { FOutputMenu->popup(mapToGlobal(position)); });
    connect(TrackBarZoom, &QSlider::valueChanged, this, &TLPToolBar::TrackBarChange);
    connect(BtnZoom, &QToolButton::clicked, this, &TLPToolBar::BtnZoomClick);
    connect(BtnPrevPage, &QToolButton::clicked, this, &TLPToolBar::BtnPrevPageClick);
    connect(BtnNextPage, &QToolButton::clicked, this, &TLPToolBar::BtnNextPageClick);
    connect(help, &QToolButton::clicked, this, &TLPToolBar::BtnHelpClick);
    connect(settings, &QToolButton::clicked, this, &TLPToolBar::BtnSettingsClick);
    connect(BtnOutput, &QToolButton::clicked, this, &TLPToolBar::BtnOutputClick);
    connect(back, &QToolButton::clicked, this, &TLPToolBar::BtnBackClick);
    connect(print, &QAction::triggered, this, &TLPToolBar::MIPrintClick);
    connect(pdf, &QAction::triggered, this, &TLPToolBar::MIPdfClick);
    connect(worksheet, &QAction::triggered, this, &TLPToolBar::MIExportClick);
    connect(rebuild, &QAction::triggered, this, &TLPToolBar::MIRebuildClick);
}

TCustomListPrint *TLPToolBar::DizaVadud() const
{
    return FDizaVadud;
}

void TLPToolBar::SetDizaVadud(TCustomListPrint *listPrint)
{
    FDizaVadud = listPrint;
}

// ---- Page field and zoom -------------------------------------------------------

void TLPToolBar::showPageOf()
{
    if (!FDizaVadud)
        return;
    setPageText(u"Seite %1 of %2"_s.arg(FDizaVadud->CurrentPage()).arg(FDizaVadud->PageCount()));
}

void TLPToolBar::setPageText(const QString &text)
{
    // Long reports have page numbers wider than the field: the font gets smaller instead.
    QFont font = LabelPage->font();
    font.setPointSize(9);
    while (font.pointSize() > 6 && QFontMetrics(font).horizontalAdvance(text) > LabelPage->contentsRect().width() - 4)
        font.setPointSize(font.pointSize() - 1);
    LabelPage->setFont(font);
    LabelPage->setText(text);
}

void TLPToolBar::ShowPosition()
{
    if (!FDizaVadud)
        return;
    TrackBarZoom->setValue(FDizaVadud->ZoomPercent());
    setPageText(u"Seite "_s + QString::number(FDizaVadud->CurrentPage()) + u" von "_s
        + QString::number(FDizaVadud->PageCount()));
}

void TLPToolBar::UpdatePaging()
{
    if (!FDizaVadud)
        return;
    BtnPrevPage->setEnabled(FDizaVadud->CurrentPage() > 1);
    BtnNextPage->setEnabled(FDizaVadud->CurrentPage() < FDizaVadud->PageCount());
}

void TLPToolBar::updateZoomHint()
{
    TrackBarZoom->setToolTip(u"Zoom: %1%"_s.arg(TrackBarZoom->value()));
    TrackBarZoom->setStatusTip(u"Zoom mit Klick vor oder hinter der Zunge oder mit Pfeiltasten ändern"_s);
}

void TLPToolBar::TrackBarChange()
{
    if (FDizaVadud) {
        FDizaVadud->SetZoomPercent(TrackBarZoom->value());
        FDizaVadud->SetZoomLocation(zlTopCenter);
        showPageOf();
    }
    updateZoomHint();
}

void TLPToolBar::BtnZoomClick()
{
    if (TrackBarZoom->value() >= TrackBarZoom->maximum())
        FZoomStep = -25;
    else if (TrackBarZoom->value() <= TrackBarZoom->minimum())
        FZoomStep = 25;
    TrackBarZoom->setValue(TrackBarZoom->value() + FZoomStep);
}

// ---- Paging ----------------------------------------------------------------------

void TLPToolBar::stepPage(int step)
{
    if (!FDizaVadud)
        return;
    const int page = FDizaVadud->CurrentPage() + step;
    if (page >= 1 && page <= FDizaVadud->PageCount())
        FDizaVadud->SetCurrentPage(page);
    showPageOf();
    UpdatePaging();
}

void TLPToolBar::BtnPrevPageClick()
{
    stepPage(-1);
}

void TLPToolBar::BtnNextPageClick()
{
    stepPage(1);
}

// ---- Dialogs and output ------------------------------------------------------------

void TLPToolBar::BtnHelpClick()
{
    ListPrintUi::ShowHelp(HelpContext, window());
}

void TLPToolBar::BtnSettingsClick()
{
    if (!FDizaVadud)
        return;
    FDizaVadud->ExecuteSettingsDialog();
    ShowPosition();
}

void TLPToolBar::BtnOutputClick()
{
    FOutputMenu->popup(BtnOutput->mapToGlobal(QPoint(0, 25)));
}

void TLPToolBar::BtnBackClick()
{
    if (QWidget *form = parentWidget()) {
        form->window()->close();
        return;
    }
    QCoreApplication::exit(16);
}

void TLPToolBar::MIPrintClick()
{
    if (FDizaVadud)
        FDizaVadud->Print();
}

void TLPToolBar::MIPdfClick()
{
    if (!FDizaVadud)
        return;
    if (FDizaVadud->PageCount() == 0 || FDizaVadud->IsBuilding()) {
        ListPrintUi::Message(ListPrintUi::TMessageKind::Information, u"Kein Inhalt zum drucken"_s, window());
        return;
    }
    // The documents folder where there is one, else the home folder.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString proposal = QDir(folder).absoluteFilePath(PdfFileName);
    QString name = ListPrintUi::SaveFileName(u"Als PDF speichern"_s, proposal, u"PDF-Dateien (*.pdf)"_s, window());
    if (name.trimmed().isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += u".pdf"_s;
    try {
        if (FDizaVadud->SaveAsPdf(name))
            ListPrintUi::Message(ListPrintUi::TMessageKind::Information,
                u"Inhalt gesichert in Datei %1"_s.arg(QDir::toNativeSeparators(name)), window());
        else
            ListPrintUi::Message(ListPrintUi::TMessageKind::Information, u"Druck abgebrochen"_s, window());
    } catch (const EPrinter &error) {
        ListPrintUi::Message(ListPrintUi::TMessageKind::Error, error.Message(), window());
    }
}

void TLPToolBar::MIExportClick()
{
    if (FDizaVadud)
        FDizaVadud->SendHostMessage(LPM_EXPORT);
}

void TLPToolBar::MIRebuildClick()
{
    if (FDizaVadud)
        FDizaVadud->SendHostMessage(LPM_REBUILD);
}
