// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormSettings.h"

#include "ListPrint.h"
#include "ListPrintUi.h"

#include <QAbstractSlider>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QToolButton>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

/// A horizontal pair of arrow buttons that steps a value, without a field of its own.
class TUpDown : public QAbstractSlider {
public:
    explicit TUpDown(QWidget *parent)
        : QAbstractSlider(parent)
    {
        setOrientation(Qt::Horizontal);
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(36, 22);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        for (int half = 0; half < 2; ++half) {
            QStyleOptionButton button;
            button.initFrom(this);
            button.rect = QRect(half * width() / 2, 0, width() / 2, height());
            button.state |= m_pressed == half ? QStyle::State_Sunken : QStyle::State_Raised;
            style()->drawControl(QStyle::CE_PushButtonBevel, &button, &painter, this);
            QStyleOption arrow = button;
            arrow.rect = button.rect.adjusted(4, 5, -4, -5);
            const bool possible = half == 0 ? value() > minimum() : value() < maximum();
            if (!possible || !isEnabled())
                arrow.state &= ~QStyle::State_Enabled;
            style()->drawPrimitive(
                half == 0 ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight, &arrow, &painter, this);
        }
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        m_pressed = event->position().x() < width() / 2.0 ? 0 : 1;
        triggerAction(m_pressed == 0 ? SliderSingleStepSub : SliderSingleStepAdd);
        update();
    }

    void mouseReleaseEvent(QMouseEvent *) override
    {
        m_pressed = -1;
        update();
    }

    void sliderChange(SliderChange change) override
    {
        QAbstractSlider::sliderChange(change);
        update();
    }

private:
    int m_pressed = -1;
};

QFont shownFont(const TListFont &font)
{
    // Shown in the font's face and style, but never larger than the dialog can hold.
    QFont shown = font.Font;
    if (shown.pointSizeF() > 14)
        shown.setPointSizeF(14);
    return shown;
}

int pointSize(const TListFont &font)
{
    return int(std::lround(font.Font.pointSizeF()));
}

QGroupBox *groupBox(const QString &title, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    return box;
}

QCheckBox *checkBox(const char *name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QToolButton *fontButton(const char *name, int tag, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setProperty("Tag", tag);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

const QString FontCaptions[4] = { QString(), u"Font für &Titelzeile: %1 - %2"_s, u"Font für &Fußzeile: %1 - %2"_s,
    u"Font für &Textkörper: %1 - %2"_s };

} // namespace

TFormSettings::TFormSettings(TCustomListPrint *listPrint, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , FListPrint(listPrint)
{
    setObjectName(u"FormSettings"_s);
    setWindowTitle(u"Seitenlayout"_s);
    setProperty("HelpContext", HelpContext);
    setProperty("HelpFile", QLatin1String(ListPrintUi::HelpFile));
    setFixedSize(542, 402);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 6);
    column->setSpacing(6);

    auto *toolBar = new QFrame(this);
    toolBar->setObjectName(u"ToolBar"_s);
    toolBar->setAutoFillBackground(true);
    toolBar->setFrameShape(QFrame::StyledPanel);
    QPalette grey = toolBar->palette();
    grey.setColor(QPalette::Window, grey.color(QPalette::Window).darker(112));
    toolBar->setPalette(grey);
    auto *tools = new QHBoxLayout(toolBar);
    tools->setContentsMargins(4, 3, 4, 3);
    auto addTool = [&](const char *name, const QString &caption, const QString &tip, const QString &status,
                       QStyle::StandardPixmap icon) {
        auto *button = new QToolButton(toolBar);
        button->setObjectName(QLatin1String(name));
        button->setText(caption);
        button->setIcon(style()->standardIcon(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setToolTip(tip);
        button->setStatusTip(status);
        tools->addWidget(button);
        return button;
    };
    BtnApply = addTool("BtnApply", u"&Übernehmen"_s, u"Änderungen übernehmen"_s,
        u"Die Änderungen gelten nach der Rückkehr; gespeichert werden sie erst auf Nachfrage."_s,
        QStyle::SP_DialogApplyButton);
    QToolButton *btnHelp = addTool("BtnHelp", u"&Hilfe"_s, u"Hilfe zu Programm-Einstellung"_s,
        u"Hilfe zu Programm-Einstellung"_s, QStyle::SP_MessageBoxQuestion);
    QToolButton *margins
        = addTool("SBPrintMargin", u"&Druckränder"_s, u"Dialog für Druckränder und Orientation öffnen"_s,
            u"Dialog für Druckränder und Orientation öffnen"_s, QStyle::SP_FileDialogDetailedView);
    tools->addStretch();
    QToolButton *btnOK
        = addTool("BtnOK", u"&Zurück"_s, u"Dialog schließen"_s, u"Dialog schließen"_s, QStyle::SP_ArrowBack);
    column->addWidget(toolBar);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(u"PageControl"_s);
    TabSheetLA = buildLayoutPage();
    TabSheetHF = buildHeaderFooterPage();
    TabSheetExp = buildExportPage();
    PageControl->addTab(TabSheetLA, u"&Seiten Layout"_s);
    PageControl->addTab(TabSheetHF, u"&Kopf- + Fußzeilen"_s);
    PageControl->addTab(TabSheetExp, u"&Export Einstellung"_s);
    auto *pages = new QVBoxLayout;
    pages->setContentsMargins(6, 0, 6, 0);
    pages->addWidget(PageControl);
    column->addLayout(pages, 1);

    connect(BtnApply, &QToolButton::clicked, this, &TFormSettings::BtnApplyClick);
    connect(btnHelp, &QToolButton::clicked, this, &TFormSettings::BtnHelpClick);
    connect(margins, &QToolButton::clicked, this, &TFormSettings::SBPrintMarginClick);
    connect(btnOK, &QToolButton::clicked, this, &TFormSettings::BtnOKClick);
}

QWidget *TFormSettings::buildLayoutPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"TabSheetLA"_s);
    auto *grid = new QGridLayout(page);

    // Opening zoom
    auto *zoom = new QHBoxLayout;
    auto *zoomLabel = new QLabel(u"Öffnungs-&Zoom"_s, page);
    EditZoomVal = new QLineEdit(page);
    EditZoomVal->setObjectName(u"EditZoomVal"_s);
    EditZoomVal->setReadOnly(true);
    EditZoomVal->setFixedWidth(44);
    EditZoomVal->setAlignment(Qt::AlignRight);
    auto *upDown = new TUpDown(page);
    upDown->setObjectName(u"UpDown"_s);
    upDown->setRange(20, 120);
    upDown->setSingleStep(5);
    upDown->setPageStep(5);
    UpDown = upDown;
    zoomLabel->setBuddy(upDown);
    zoom->addWidget(zoomLabel);
    zoom->addWidget(EditZoomVal);
    zoom->addWidget(UpDown);
    zoom->addWidget(new QLabel(u"%"_s, page));
    zoom->addStretch();
    grid->addLayout(zoom, 0, 0);
    connect(UpDown, &QAbstractSlider::valueChanged, this, &TFormSettings::UpDownClick);

    // Frames
    auto *frames = groupBox(u" &S&eitenrahmen "_s, page);
    auto *frameRow = new QHBoxLayout(frames);
    PanelPage = new QFrame(frames);
    PanelPage->setObjectName(u"PanelPage"_s);
    PanelPage->setFixedSize(110, 120);
    PanelPage->setFrameShape(QFrame::Box);
    PanelPage->setAutoFillBackground(true);
    QPalette white = PanelPage->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    PanelPage->setPalette(white);
    auto *pageCaption = new QLabel(u"Seitenrahmen"_s, PanelPage);
    pageCaption->setAlignment(Qt::AlignCenter);
    pageCaption->setGeometry(14, 45, 82, 30);
    pageCaption->setWordWrap(true);
    const char *barNames[4] = { "pb_Left", "pb_Top", "pb_Right", "pb_Bottom" };
    // Each bar lies 10 pixels inside the page's edge.
    const QRect barRects[4]
        = { QRect(10, 10, 3, 90), QRect(10, 10, 66, 3), QRect(73, 10, 3, 90), QRect(10, 97, 66, 3) };
    for (int i = 0; i < 4; ++i) {
        auto *bar = new QFrame(PanelPage);
        bar->setObjectName(QLatin1String(barNames[i]));
        bar->setGeometry(barRects[i]);
        bar->setAutoFillBackground(true);
        QPalette barColour = bar->palette();
        barColour.setColor(QPalette::Window, Qt::gray);
        bar->setPalette(barColour);
        FBars[size_t(i)] = bar;
    }
    frameRow->addWidget(PanelPage);
    auto *frameChecks = new QVBoxLayout;
    const char *boxNames[4] = { "CBFLeft", "CBFTop", "CBFRight", "CBFBottom" };
    const QString boxCaptions[4] = { u"Links"_s, u"Oben"_s, u"Rechts"_s, u"Unten"_s };
    for (int i = 0; i < 4; ++i) {
        QCheckBox *box = checkBox(boxNames[i], boxCaptions[i], frames);
        connect(box, &QCheckBox::toggled, this, [this] {
            SetFrames();
            ItemChanged();
        });
        frameChecks->addWidget(box);
        FFrameBoxes[size_t(i)] = box;
    }
    frameChecks->addStretch();
    frameRow->addLayout(frameChecks);
    grid->addWidget(frames, 1, 0, 2, 1);

    // Body font
    auto *body = groupBox(u" Text &Körper "_s, page);
    auto *bodyRow = new QHBoxLayout(body);
    SBBodyFont = fontButton("SBBodyFont", 3, body);
    bodyRow->addWidget(SBBodyFont);
    grid->addWidget(body, 3, 0);

    // Print style
    auto *printStyle = groupBox(u" Druck-&Stil "_s, page);
    auto *styleColumn = new QVBoxLayout(printStyle);
    CBPrintWW = checkBox("CBPrintWW", u"Druck &WYSIWYG"_s, printStyle);
    CBWordWrap = checkBox("CBWordWrap", u"Wort&umbruch"_s, printStyle);
    CBGridLines = checkBox("CBGridLines", u"&Zelllinien drucken"_s, printStyle);
    CBFitToWidth = checkBox("CBFitToWidth", u"&Seitenbreite füllen"_s, printStyle);
    for (QCheckBox *box : { CBPrintWW, CBWordWrap, CBGridLines, CBFitToWidth }) {
        styleColumn->addWidget(box);
        if (box != CBPrintWW)
            connect(box, &QCheckBox::toggled, this, &TFormSettings::ItemChanged);
    }
    connect(CBPrintWW, &QCheckBox::toggled, this, &TFormSettings::CBPrintWWClick);
    grid->addWidget(printStyle, 0, 1, 2, 1);

    // Margins and orientation
    auto *marginBox = groupBox(u" Druck-&Ränder "_s, page);
    auto *form = new QFormLayout(marginBox);
    auto label = [marginBox](const char *name) {
        auto *value = new QLabel(marginBox);
        value->setObjectName(QLatin1String(name));
        return value;
    };
    LabelMLeft = label("LabelMLeft");
    LabelMRight = label("LabelMRight");
    LabelMTop = label("LabelMTop");
    LabelMBot = label("LabelMBot");
    LabelOrient = label("LabelOrient");
    form->addRow(u"Leinks:"_s, LabelMLeft);
    form->addRow(u"Rechts:"_s, LabelMRight);
    form->addRow(u"Oben:"_s, LabelMTop);
    form->addRow(u"Unten:"_s, LabelMBot);
    form->addRow(u"Orientation"_s, LabelOrient);
    grid->addWidget(marginBox, 2, 1, 2, 1);

    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);

    connect(SBBodyFont, &QToolButton::clicked, this, [this] { SBTitleFontClick(3); });
    return page;
}

QWidget *TFormSettings::buildHeaderFooterPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"TabSheetHF"_s);
    auto *column = new QVBoxLayout(page);
    const char *comboNames[6]
        = { "CBTitLeft", "CBTitCenter", "CBTitRight", "CBFootLeft", "CBFootCenter", "CBFootRight" };
    const QStringList outer { u"Leer"_s, u"Datum"_s, u"Seiten Nr."_s, u"Zeit"_s, u"Leer"_s };
    for (int part = 0; part < 2; ++part) {
        const bool header = part == 0;
        auto *box = groupBox(header ? u" Kopfzeile "_s : u" Fußzeile "_s, page);
        auto *grid = new QGridLayout(box);
        auto *edit = new QLineEdit(box);
        edit->setObjectName(header ? u"EditTitle"_s : u"EditFooter"_s);
        auto *caption = new QLabel(header ? u"Kopftext"_s : u"Fußtext"_s, box);
        caption->setBuddy(edit);
        grid->addWidget(caption, 0, 0);
        grid->addWidget(edit, 0, 1);
        connect(edit, &QLineEdit::textEdited, this, &TFormSettings::ItemChanged);
        QToolButton *font = fontButton(header ? "SBTitleFont" : "SBFooterFont", header ? 1 : 2, box);
        connect(font, &QToolButton::clicked, this, [this, font] { SBTitleFontClick(font->property("Tag").toInt()); });
        grid->addWidget(font, 0, 2);
        auto *columns = groupBox(u" Spaltenlayout "_s, box);
        auto *row = new QHBoxLayout(columns);
        const QString positions[3] = { u"Links"_s, u"Mitte"_s, u"Rechts"_s };
        for (int i = 0; i < 3; ++i) {
            auto *combo = new QComboBox(columns);
            const int index = part * 3 + i;
            combo->setObjectName(QLatin1String(comboNames[index]));
            QStringList items = outer;
            if (i == 1)
                items.last() = header ? u"Titel Text"_s : u"Fuß Text"_s;
            combo->addItems(items);
            auto *label = new QLabel(positions[i], columns);
            label->setBuddy(combo);
            row->addWidget(label);
            row->addWidget(combo, 1);
            if (i < 2)
                row->addSpacing(10);
            connect(combo, &QComboBox::currentIndexChanged, this, &TFormSettings::ItemChanged);
            FPositionBoxes[size_t(index)] = combo;
        }
        grid->addWidget(columns, 1, 0, 1, 3);
        grid->setColumnStretch(1, 1);
        column->addWidget(box);
        (header ? EditTitle : EditFooter) = edit;
        (header ? SBTitleFont : SBFooterFont) = font;
    }
    column->addStretch();
    return page;
}

QWidget *TFormSettings::buildExportPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"TabSheetExp"_s);
    auto *column = new QVBoxLayout(page);

    auto *properties = groupBox(u" Export &Eigenschaften "_s, page);
    auto *form = new QFormLayout(properties);
    EditWSFileName = new QLineEdit(properties);
    EditWSFileName->setObjectName(u"EditWSFileName"_s);
    form->addRow(u"Name der &Exportdatei"_s, EditWSFileName);
    EditWSProgram = new QLineEdit(properties);
    EditWSProgram->setObjectName(u"EditWSProgram"_s);
    EditWSProgram->setReadOnly(true);
    form->addRow(u"Arbeitsblatt &Programm"_s, EditWSProgram);
    RGExportTo = new QGroupBox(properties);
    RGExportTo->setObjectName(u"RGExportTo"_s);
    auto *radios = new QHBoxLayout(RGExportTo);
    FToWorksheet = new QRadioButton(u"Export in Arbeitsblatt"_s, RGExportTo);
    FToTextFile = new QRadioButton(u"Export in Textdatei"_s, RGExportTo);
    auto *group = new QButtonGroup(RGExportTo);
    group->addButton(FToWorksheet, 0);
    group->addButton(FToTextFile, 1);
    radios->addWidget(FToWorksheet);
    radios->addWidget(FToTextFile);
    form->addRow(RGExportTo);
    column->addWidget(properties);
    connect(EditWSFileName, &QLineEdit::textEdited, this, &TFormSettings::EditWSFileNameChange);
    connect(group, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            ItemChanged();
    });

    auto *exportSettings = groupBox(u" Export &Einstellung "_s, page);
    auto *row = new QHBoxLayout(exportSettings);
    auto *pauseLabel = new QLabel(u"&DDE Pause"_s, exportSettings);
    EditDDEPause = new QLineEdit(exportSettings);
    EditDDEPause->setObjectName(u"EditDDEPause"_s);
    EditDDEPause->setValidator(new QIntValidator(0, 999999, EditDDEPause));
    EditDDEPause->setFixedWidth(80);
    pauseLabel->setBuddy(EditDDEPause);
    CBSaveDDEVal = checkBox("CBSaveDDEVal", u"&Wert sichern"_s, exportSettings);
    row->addWidget(pauseLabel);
    row->addWidget(EditDDEPause);
    row->addSpacing(20);
    row->addWidget(CBSaveDDEVal);
    row->addStretch();
    column->addWidget(exportSettings);
    column->addStretch();
    connect(EditDDEPause, &QLineEdit::textEdited, this, &TFormSettings::EditDDEPauseChange);
    connect(CBSaveDDEVal, &QCheckBox::toggled, this, &TFormSettings::ItemChanged);
    return page;
}

int TFormSettings::Execute()
{
    if (ExecHook) {
        FormActivate();
        return ExecHook(this);
    }
    return exec();
}

void TFormSettings::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!FActivated)
        FormActivate();
}

// ---- Filling -----------------------------------------------------------------

void TFormSettings::FormActivate()
{
    FActivated = true;
    FFilling = true;
    PageControl->setCurrentWidget(TabSheetLA);
    const TPageBorder borders[4] = { pbLeft, pbTop, pbRight, pbBottom };
    for (int i = 0; i < 4; ++i)
        FFrameBoxes[size_t(i)]->setChecked(Values.PageBorders.testFlag(borders[i]));
    SetFrames();
    EditTitle->setText(Values.HeaderText);
    EditFooter->setText(Values.FooterText);
    for (int tag = 1; tag <= 3; ++tag)
        showFont(tag);

    CBGridLines->setChecked(Values.TableGrids);
    for (size_t i = 0; i < FPositionBoxes.size(); ++i)
        FPositionBoxes[i]->setCurrentIndex(std::clamp(Values.PositionCodes[i], 0, 4));
    UpDown->setValue(Values.Zoom);
    EditZoomVal->setText(QString::number(UpDown->value()));
    CBPrintWW->setChecked(Values.PrintWYSIWYG);
    CBWordWrap->setChecked(Values.WordWrap);
    CBFitToWidth->setChecked(Values.FitPrintToPage);
    SBBodyFont->setEnabled(!CBPrintWW->isChecked());

    PageControl->setTabVisible(PageControl->indexOf(TabSheetExp), Values.ExportSettings);
    if (Values.ExportSettings) {
        EditWSProgram->setText(Values.WorksheetProgram);
        EditWSFileName->setText(Values.FileName);
        EditDDEPause->setText(QString::number(Values.DDEPause));
        CBSaveDDEVal->setChecked(Values.SaveDDEVal);
        (Values.PrintToFile ? FToTextFile : FToWorksheet)->setChecked(true);
    }
    FWorksheetFound = !Values.WorksheetProgram.isEmpty();
    if (!FWorksheetFound) {
        CBSaveDDEVal->setEnabled(false);
        RGExportTo->setEnabled(false);
        EditDDEPause->setEnabled(false);
        FToTextFile->setChecked(true);
        EditWSProgram->setText(u"Kein Arbeitsblatt-Programm gefunden"_s);
    }
    showMargins();
    FFilling = false;
    BtnApply->setEnabled(false);
}

void TFormSettings::showFont(int tag)
{
    const TListFont &font = tag == 1 ? Values.HeaderFont : tag == 2 ? Values.FooterFont : Values.BodyFont;
    QToolButton *button = tag == 1 ? SBTitleFont : tag == 2 ? SBFooterFont : SBBodyFont;
    button->setText(FontCaptions[tag].arg(font.Font.family()).arg(pointSize(font)));
    if (tag == 1) {
        EditTitle->setFont(shownFont(font));
    } else if (tag == 2) {
        EditFooter->setFont(shownFont(font));
    } else {
        PanelPage->setFont(shownFont(font));
        SBBodyFont->setFont(shownFont(font));
    }
}

double TFormSettings::MarginFromPageSetup(double value, TMeasureUnit unit)
{
    // Whole millimetres, halves to the even neighbour as the page setup rounds them.
    return unit == muMillimeters ? std::nearbyint(value / 100.0) : value / 1000.0;
}

void TFormSettings::showMargins()
{
    const QStringView unit = Values.MeasureUnit == muMillimeters ? QStringView(u"mm") : QStringView(u"\"");
    auto text = [&](double value) {
        QString shown = QLocale().toString(MarginFromPageSetup(value, Values.MeasureUnit), 'f', 2);
        shown.append(unit);
        return shown;
    };
    LabelMLeft->setText(text(Values.Margins.left()));
    LabelMRight->setText(text(Values.Margins.right()));
    LabelMTop->setText(text(Values.Margins.top()));
    LabelMBot->setText(text(Values.Margins.bottom()));
    LabelOrient->setText(Values.Orientation == poLandscape ? u"Querformat"_s : u"Hochformat"_s);
}

// ---- Changes -----------------------------------------------------------------

void TFormSettings::ItemChanged()
{
    if (!FFilling)
        BtnApply->setEnabled(true);
}

void TFormSettings::SetFrames()
{
    for (size_t i = 0; i < FBars.size(); ++i)
        FBars[i]->setVisible(FFrameBoxes[i]->isChecked());
}

void TFormSettings::UpDownClick()
{
    EditZoomVal->setText(QString::number(UpDown->value()));
    ItemChanged();
}

void TFormSettings::CBPrintWWClick()
{
    SBBodyFont->setEnabled(!CBPrintWW->isChecked());
    ItemChanged();
}

void TFormSettings::EditWSFileNameChange()
{
    ItemChanged();
}

void TFormSettings::EditDDEPauseChange()
{
    if (EditDDEPause->text().isEmpty())
        EditDDEPause->setText(u"0"_s);
    ItemChanged();
}

void TFormSettings::SBTitleFontClick(int tag)
{
    TListFont &font = tag == 1 ? Values.HeaderFont : tag == 2 ? Values.FooterFont : Values.BodyFont;
    TListFont chosen = font;
    if (!ListPrintUi::FontDialog(&chosen, this))
        return;
    font = chosen;
    showFont(tag);
    ItemChanged();
}

void TFormSettings::SBPrintMarginClick()
{
    ListPrintUi::TPageSetup setup;
    setup.Inches = Values.MeasureUnit == muInches;
    setup.Margins = Values.Margins;
    setup.Minimum = Values.MinMargins;
    setup.Orientation = Values.Orientation;
    // Without a printer the dialog works on a printer of its own; only the orientation is taken.
    std::unique_ptr<QPrinter> own;
    QPrinter *printer = FListPrint ? FListPrint->Printer() : nullptr;
    if (!printer) {
        own = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer = own.get();
    }
    if (!ListPrintUi::PageSetupDialog(printer, &setup, this))
        return;
    const QMarginsF &least = Values.MinMargins;
    Values.Margins = QMarginsF(std::max(setup.Margins.left(), least.left()), std::max(setup.Margins.top(), least.top()),
        std::max(setup.Margins.right(), least.right()), std::max(setup.Margins.bottom(), least.bottom()));
    if (FListPrint && setup.Orientation != FListPrint->Orientation()) {
        try {
            FListPrint->SetOrientation(setup.Orientation);
        } catch (const EPagePrinter &error) {
            ListPrintUi::Message(ListPrintUi::TMessageKind::Error, error.Message(), this);
        }
    }
    Values.Orientation = FListPrint ? FListPrint->Orientation() : setup.Orientation;
    showMargins();
    BtnApply->setEnabled(true);
}

void TFormSettings::BtnApplyClick()
{
    const TPageBorder borders[4] = { pbLeft, pbTop, pbRight, pbBottom };
    TPageBorders chosen;
    for (int i = 0; i < 4; ++i)
        chosen.setFlag(borders[i], FFrameBoxes[size_t(i)]->isChecked());
    Values.PageBorders = chosen;
    Values.HeaderText = EditTitle->text();
    Values.FooterText = EditFooter->text();
    Values.TableGrids = CBGridLines->isChecked();
    Values.Zoom = UpDown->value();
    for (size_t i = 0; i < FPositionBoxes.size(); ++i)
        Values.PositionCodes[i] = FPositionBoxes[i]->currentIndex();
    Values.PrintWYSIWYG = CBPrintWW->isChecked();
    Values.WordWrap = CBWordWrap->isChecked();
    Values.FitPrintToPage = CBFitToWidth->isChecked();
    if (Values.ExportSettings) {
        Values.FileName = EditWSFileName->text().trimmed();
        Values.DDEPause = std::max(0, EditDDEPause->text().toInt());
        Values.SaveDDEVal = CBSaveDDEVal->isChecked();
        // Without a worksheet program the choice is only shown, not made:
        // taking it would send every later report into the text file.
        if (FWorksheetFound)
            Values.PrintToFile = FToTextFile->isChecked();
    }
    FAccepted = true;
    BtnApply->setEnabled(false);
}

// ---- Closing -----------------------------------------------------------------

void TFormSettings::BtnOKClick()
{
    reject();
}

void TFormSettings::FormCloseQuery()
{
    if (!BtnApply->isEnabled())
        return;
    if (ListPrintUi::Message(ListPrintUi::TMessageKind::Warning, u"Änderung übernehmen"_s, this))
        BtnApplyClick();
    else
        FAccepted = false;
}

void TFormSettings::reject()
{
    FormCloseQuery();
    QDialog::reject();
}

void TFormSettings::BtnHelpClick()
{
    ListPrintUi::ShowHelp(HelpContext, this);
}
