// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The page layout dialog, driven through its controls by ExecuteSettingsDialog.

#include "FormSettings.h"
#include "ListPrintTestSupport.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

/// A host that counts its rebuilds and sees whether the stored settings would be read meanwhile.
class THost : public QWidget {
public:
    int Rebuilds = 0;
    bool ReloadDuringRebuild = true;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == TListPrintEvent::TypeOf(LPM_REBUILD)) {
            ++Rebuilds;
            ReloadDuringRebuild = TCustomListPrint::ReloadSettings;
            return true;
        }
        return QWidget::event(event);
    }
};

template <typename T> T *control(QWidget *dialog, const char *name)
{
    T *found = dialog->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void click(QWidget *dialog, const char *name)
{
    QToolButton *button = control<QToolButton>(dialog, name);
    QVERIFY2(button->isEnabled(), name);
    button->click();
}

} // namespace

class TestFormSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensWithTheHandedOverValues();
    void acceptedChangesRebuildAndMayBeStored_data();
    void acceptedChangesRebuildAndMayBeStored();
    void closingWithPendingChangesAsks_data();
    void closingWithPendingChangesAsks();
    void pageSetupRoundsAndRaisesMargins_data();
    void pageSetupRoundsAndRaisesMargins();
    void fontButtonsRenewTheirCaptions();
    void smallBehaviours();
    void exportChoiceNeedsAWorksheetProgram_data();
    void exportChoiceNeedsAWorksheetProgram();

private:
    std::unique_ptr<TSettingsFixture> FSettings;
    std::unique_ptr<TAnsweredMessages> FMessages;
    THost *FHost = nullptr;
    TTextReportPrint *FListPrint = nullptr;
};

void TestFormSettings::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    useNoPrinter();
}

void TestFormSettings::init()
{
    FSettings = std::make_unique<TSettingsFixture>();
    FMessages = std::make_unique<TAnsweredMessages>();
    TCustomListPrint::ReloadSettings = true;
    TCustomListPrint::ExportSettings = true;
    TCustomListPrint::SaveDDEVal = false;
    TCustomListPrint::DDEPause = 0;
    FHost = new THost;
    FListPrint = new TTextReportPrint(FHost);
    FListPrint->SetShowProgress(false);
    FListPrint->SetUseRegistry(true);
    FListPrint->SetPageBorders(TPageBorders(pbLeft) | pbRight);
    FListPrint->SetHeaderFont(TListFont::Make(u"Arial"_s, 10, true));
    FListPrint->SetHeaderText(u"Kopf"_s);
    FListPrint->SetFileName(u"Liste.TXT"_s);
    ListPrintUi::SetWorksheetHook([] { return QString(); });
}

void TestFormSettings::cleanup()
{
    TFormSettings::ExecHook = {};
    ListPrintUi::SetWorksheetHook({});
    ListPrintUi::SetPageSetupHook({});
    ListPrintUi::SetFontDialogHook({});
    ListPrintUi::SetHelpHandler({});
    delete FHost;
    FMessages.reset();
    FSettings.reset();
}

void TestFormSettings::opensWithTheHandedOverValues()
{
    FListPrint->SetPositionCode(TCustomListPrint::FRight, 3);
    FListPrint->SetZoomPercent(60);
    FListPrint->PrintWYSIWYG = false;
    bool ran = false;
    TFormSettings::ExecHook = [&](TFormSettings *dialog) {
        ran = true;
        [&] {
            QCOMPARE(dialog->windowTitle(), u"Seitenlayout"_s);
            QCOMPARE(dialog->size(), QSize(542, 402));
            auto *pages = control<QTabWidget>(dialog, "PageControl");
            QCOMPARE(pages->currentWidget()->objectName(), u"TabSheetLA"_s);
            QVERIFY(pages->isTabVisible(pages->indexOf(control<QWidget>(dialog, "TabSheetExp"))));
            // Frames left and right: the check boxes and the bars on the little page.
            QVERIFY(control<QCheckBox>(dialog, "CBFLeft")->isChecked());
            QVERIFY(!control<QCheckBox>(dialog, "CBFTop")->isChecked());
            QVERIFY(control<QCheckBox>(dialog, "CBFRight")->isChecked());
            QVERIFY(!control<QCheckBox>(dialog, "CBFBottom")->isChecked());
            QVERIFY(!control<QWidget>(dialog, "pb_Left")->isHidden());
            QVERIFY(control<QWidget>(dialog, "pb_Top")->isHidden());
            QCOMPARE(control<QLineEdit>(dialog, "EditTitle")->text(), u"Kopf"_s);
            QVERIFY(control<QLineEdit>(dialog, "EditTitle")->font().bold());
            QCOMPARE(control<QToolButton>(dialog, "SBTitleFont")->text(), u"Font für &Titelzeile: Arial - 10"_s);
            QCOMPARE(control<QToolButton>(dialog, "SBBodyFont")->text(), u"Font für &Textkörper: Arial - 9"_s);
            QCOMPARE(control<QToolButton>(dialog, "SBFooterFont")->text(), u"Font für &Fußzeile: Arial - 9"_s);
            QCOMPARE(control<QComboBox>(dialog, "CBTitCenter")->currentText(), u"Titel Text"_s);
            QCOMPARE(control<QComboBox>(dialog, "CBFootCenter")->currentText(), u"Fuß Text"_s);
            QCOMPARE(control<QComboBox>(dialog, "CBFootRight")->currentText(), u"Zeit"_s);
            QCOMPARE(control<QComboBox>(dialog, "CBFootLeft")->currentText(), u"Datum"_s);
            QCOMPARE(control<QAbstractSlider>(dialog, "UpDown")->value(), 60);
            QCOMPARE(control<QLineEdit>(dialog, "EditZoomVal")->text(), u"60"_s);
            QVERIFY(!control<QCheckBox>(dialog, "CBPrintWW")->isChecked());
            QVERIFY(control<QToolButton>(dialog, "SBBodyFont")->isEnabled());
            QCOMPARE(control<QLabel>(dialog, "LabelMLeft")->text(), u"25,00mm"_s);
            QCOMPARE(control<QLabel>(dialog, "LabelOrient")->text(), u"Hochformat"_s);
            QCOMPARE(control<QLineEdit>(dialog, "EditWSFileName")->text(), u"Liste.TXT"_s);
            QCOMPARE(control<QLineEdit>(dialog, "EditDDEPause")->text(), u"0"_s);
            QVERIFY(!control<QToolButton>(dialog, "BtnApply")->isEnabled());
        }();
        return 0;
    };
    FListPrint->ExecuteSettingsDialog();
    QVERIFY(ran);
    QCOMPARE(FHost->Rebuilds, 0);

    TCustomListPrint::ExportSettings = false;
    TFormSettings::ExecHook = [](TFormSettings *dialog) {
        auto *pages = control<QTabWidget>(dialog, "PageControl");
        [&] { QVERIFY(!pages->isTabVisible(pages->indexOf(control<QWidget>(dialog, "TabSheetExp")))); }();
        return 0;
    };
    FListPrint->ExecuteSettingsDialog();
}

void TestFormSettings::acceptedChangesRebuildAndMayBeStored_data()
{
    QTest::addColumn<bool>("store");
    QTest::newRow("stored") << true;
    QTest::newRow("for this preview only") << false;
}

void TestFormSettings::acceptedChangesRebuildAndMayBeStored()
{
    QFETCH(bool, store);
    TFormSettings::ExecHook = [](TFormSettings *dialog) {
        control<QCheckBox>(dialog, "CBFTop")->click();
        control<QAbstractSlider>(dialog, "UpDown")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        control<QComboBox>(dialog, "CBTitLeft")->setCurrentIndex(2);
        auto *title = control<QLineEdit>(dialog, "EditTitle");
        title->setText(u"Neuer Kopf"_s);
        emit title->textEdited(title->text());
        click(dialog, "BtnApply");
        [&] { QVERIFY(!control<QToolButton>(dialog, "BtnApply")->isEnabled()); }();
        click(dialog, "BtnOK");
        return 0;
    };
    FMessages->Answers = { store };
    FListPrint->ExecuteSettingsDialog();
    QCOMPARE(FMessages->Entries, QStringList { u"Question: Änderungen sichern?"_s });
    QCOMPARE(FHost->Rebuilds, 1);
    QVERIFY(!FHost->ReloadDuringRebuild);
    QVERIFY(TCustomListPrint::ReloadSettings);
    QCOMPARE(FListPrint->PageBorders(), TPageBorders(pbLeft) | pbTop | pbRight);
    QCOMPARE(FListPrint->ZoomPercent(), 40);
    QCOMPARE(FListPrint->PositionCode(TCustomListPrint::HLeft), 2);
    QCOMPARE(FListPrint->HeaderText(), u"Neuer Kopf"_s);
    const auto stored = FSettings->Store->Read(FListPrint->SettingsKey(), u"PageBorders"_s);
    QCOMPARE(stored.has_value(), store);

    // The next report reads the store again: unsaved changes are gone, saved ones stay.
    FListPrint->BeginReport(false);
    FListPrint->EndReport();
    QCOMPARE(
        FListPrint->PageBorders(), store ? TPageBorders(pbLeft) | pbTop | pbRight : TPageBorders(pbTop) | pbBottom);
    QCOMPARE(FListPrint->ZoomPercent(), store ? 40 : 35);
}

void TestFormSettings::closingWithPendingChangesAsks_data()
{
    QTest::addColumn<bool>("applyFirst");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Yes takes them over") << false << true << true;
    QTest::newRow("No drops them") << false << false << false;
    QTest::newRow("No drops what was taken over before") << true << false << false;
}

void TestFormSettings::closingWithPendingChangesAsks()
{
    QFETCH(bool, applyFirst);
    QFETCH(bool, answer);
    QFETCH(bool, accepted);
    TFormSettings::ExecHook = [applyFirst](TFormSettings *dialog) {
        if (applyFirst) {
            control<QCheckBox>(dialog, "CBGridLines")->click();
            click(dialog, "BtnApply");
        }
        control<QCheckBox>(dialog, "CBFBottom")->click();
        dialog->reject(); // the close box
        [&] { QVERIFY(!dialog->isVisible()); }();
        return 0;
    };
    FMessages->Answers = { answer, false };
    FListPrint->ExecuteSettingsDialog();
    QCOMPARE(FMessages->Entries.value(0), u"Warning: Änderung übernehmen"_s);
    QCOMPARE(FHost->Rebuilds, accepted ? 1 : 0);
    QCOMPARE(FListPrint->PageBorders().testFlag(pbBottom), accepted);
    QCOMPARE(FListPrint->TableGrids(), !(applyFirst && accepted));
}

void TestFormSettings::pageSetupRoundsAndRaisesMargins_data()
{
    QTest::addColumn<QMarginsF>("chosen");
    QTest::addColumn<QMarginsF>("margins");
    QTest::addColumn<QString>("leftLabel");
    // Hundredths of a millimetre: left, top, right, bottom.
    QTest::newRow("halves to the even millimetre")
        << QMarginsF(2550, 2450, 3000, 2500) << QMarginsF(26, 24, 30, 25) << u"26,00mm"_s;
    QTest::newRow("below the unprintable edge")
        << QMarginsF(0, 100, 2000, 2000) << QMarginsF(6, 6, 20, 20) << u"6,00mm"_s;
}

void TestFormSettings::pageSetupRoundsAndRaisesMargins()
{
    QFETCH(QMarginsF, chosen);
    QFETCH(QMarginsF, margins);
    QFETCH(QString, leftLabel);
    ListPrintUi::TPageSetup seen;
    ListPrintUi::SetPageSetupHook([&](QPrinter *printer, ListPrintUi::TPageSetup *setup) {
        [&] { QVERIFY(printer); }();
        seen = *setup;
        setup->Margins = chosen;
        setup->Orientation = poLandscape;
        return true;
    });
    TFormSettings::ExecHook = [&](TFormSettings *dialog) {
        click(dialog, "SBPrintMargin");
        [&] {
            QCOMPARE(control<QLabel>(dialog, "LabelMLeft")->text(), leftLabel);
            QCOMPARE(control<QLabel>(dialog, "LabelOrient")->text(), u"Querformat"_s);
            QVERIFY(control<QToolButton>(dialog, "BtnApply")->isEnabled());
        }();
        click(dialog, "BtnApply");
        click(dialog, "BtnOK");
        return 0;
    };
    FMessages->Answers = { false };
    FListPrint->ExecuteSettingsDialog();
    QCOMPARE(seen.Inches, false);
    QCOMPARE(seen.Margins, QMarginsF(2500, 2500, 2500, 2500));
    QCOMPARE(seen.Minimum, QMarginsF(601, 601, 601, 601)); // 71 pixels at 300 dpi
    QCOMPARE(FListPrint->Orientation(), poLandscape); // at once
    // Whole millimetres, never inside the unprintable edge of 6.01 mm.
    const double edge = FListPrint->PixelsToUnitsX(FListPrint->Geometry().Offset.x());
    QCOMPARE(FListPrint->MarginLeft(), std::max(edge, margins.left()));
    QCOMPARE(FListPrint->MarginTop(), std::max(edge, margins.top()));
    QCOMPARE(FListPrint->MarginRight(), margins.right());
    QCOMPARE(FListPrint->MarginBottom(), margins.bottom());
}

void TestFormSettings::fontButtonsRenewTheirCaptions()
{
    QList<QString> offered;
    ListPrintUi::SetFontDialogHook([&](TListFont *font) {
        offered << font->Font.family() + u' ' + QString::number(font->Font.pointSize());
        font->Font.setPointSize(14);
        font->Font.setItalic(true);
        return true;
    });
    TFormSettings::ExecHook = [](TFormSettings *dialog) {
        click(dialog, "SBFooterFont");
        [&] {
            QCOMPARE(control<QToolButton>(dialog, "SBFooterFont")->text(), u"Font für &Fußzeile: Arial - 14"_s);
            QVERIFY(control<QLineEdit>(dialog, "EditFooter")->font().italic());
            // The body font is chosen only while WYSIWYG printing is off.
            QVERIFY(!control<QToolButton>(dialog, "SBBodyFont")->isEnabled());
        }();
        control<QCheckBox>(dialog, "CBPrintWW")->click();
        click(dialog, "SBBodyFont");
        click(dialog, "BtnApply");
        click(dialog, "BtnOK");
        return 0;
    };
    FMessages->Answers = { false };
    FListPrint->ExecuteSettingsDialog();
    QCOMPARE(offered, (QList<QString> { u"Arial 9"_s, u"Arial 9"_s }));
    QCOMPARE(FListPrint->FooterFont().Font.pointSize(), 14);
    QCOMPARE(FListPrint->Font().Font.pointSize(), 14);
    QCOMPARE(FListPrint->HeaderFont().Font.pointSize(), 10);
    QCOMPARE(FListPrint->PrintWYSIWYG, false);
}

void TestFormSettings::smallBehaviours()
{
    QList<int> help;
    ListPrintUi::SetHelpHandler([&](int context, QWidget *) { help << context; });
    TFormSettings::ExecHook = [](TFormSettings *dialog) {
        click(dialog, "BtnHelp");
        auto *pause = control<QLineEdit>(dialog, "EditDDEPause");
        pause->clear();
        emit pause->textEdited(QString());
        [&] { QCOMPARE(pause->text(), u"0"_s); }();
        auto *upDown = control<QAbstractSlider>(dialog, "UpDown");
        upDown->setValue(120);
        upDown->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        upDown->setValue(5);
        [&] {
            QCOMPARE(upDown->value(), 20);
            QCOMPARE(control<QLineEdit>(dialog, "EditZoomVal")->text(), u"20"_s);
        }();
        return 0;
    };
    FListPrint->ExecuteSettingsDialog();
    QCOMPARE(help, QList<int> { 3334 });
}

void TestFormSettings::exportChoiceNeedsAWorksheetProgram_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("printToFile");
    QTest::newRow("with a worksheet program the choice is made") << u"tabelle %f"_s << true;
    QTest::newRow("without one it is only shown") << QString() << false;
}

void TestFormSettings::exportChoiceNeedsAWorksheetProgram()
{
    QFETCH(QString, program);
    QFETCH(bool, printToFile);
    ListPrintUi::SetWorksheetHook([program] { return program; });
    TFormSettings::ExecHook = [&](TFormSettings *dialog) {
        auto *group = control<QGroupBox>(dialog, "RGExportTo");
        const QList<QRadioButton *> radios = group->findChildren<QRadioButton *>();
        [&] {
            QCOMPARE(radios.size(), 2);
            QCOMPARE(radios.at(1)->text(), u"Export in Textdatei"_s);
            QCOMPARE(group->isEnabled(), !program.isEmpty());
            QCOMPARE(control<QWidget>(dialog, "EditDDEPause")->isEnabled(), !program.isEmpty());
            QCOMPARE(control<QWidget>(dialog, "CBSaveDDEVal")->isEnabled(), !program.isEmpty());
            QCOMPARE(control<QLineEdit>(dialog, "EditWSProgram")->text(),
                program.isEmpty() ? u"Kein Arbeitsblatt-Programm gefunden"_s : program);
            QCOMPARE(radios.at(1)->isChecked(), program.isEmpty());
        }();
        radios.at(1)->click();
        auto *name = control<QLineEdit>(dialog, "EditWSFileName");
        name->setText(u" Export.TXT "_s);
        emit name->textEdited(name->text());
        click(dialog, "BtnApply");
        click(dialog, "BtnOK");
        return 0;
    };
    FMessages->Answers = { false };
    FListPrint->ExecuteSettingsDialog();
    QCOMPARE(FListPrint->PrintToFile(), printToFile);
    QCOMPARE(FListPrint->FileName(), u"Export.TXT"_s);
}

QTEST_MAIN(TestFormSettings)
#include "tst_formsettings.moc"
