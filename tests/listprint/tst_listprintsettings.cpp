// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The list printer's stored page layout: what LoadSettings reads, what
// SaveSettings writes, and how bad stored values are read.

#include "ListPrintSettings.h"
#include "ListPrintTestSupport.h"

#include <QFontDatabase>
#include <QLocale>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString Key = u"Software\\Kovatek\\Rufwerk\\RasBas\\DizaVadud"_s;
const QString SetupKey = Key + u"\\Setup"_s;

/// A family this machine has, other than Arial.
QString installedFamily()
{
    for (const QString &family : QFontDatabase::families())
        if (family != "Arial"_L1 && !QFontDatabase::isPrivateFamily(family))
            return family;
    return QString();
}

} // namespace

class TestListPrintSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void styleCodeOfFont_data();
    void styleCodeOfFont();
    void fontOfStyleCode_data();
    void fontOfStyleCode();

    void roundTrip_data();
    void roundTrip();
    void writesEveryValueInOrder();
    void firstReportWithoutStoredKey();
    void marginsAreClampedAndConverted();
    void fontNamesAndStyles();
    void titleAndTextsOnlyWhenEmpty();
    void withoutRegistryOrReloadNothingIsRead();
    void exportValuesOnlyWithTheSwitch();
    void aFailedWriteIsReported();
    void programStoreWithoutHost();

private:
    std::unique_ptr<TSettingsFixture> FSettings;
};

void TestListPrintSettings::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    useNoPrinter();
}

void TestListPrintSettings::init()
{
    FSettings.reset(); // before the next one is installed
    FSettings = std::make_unique<TSettingsFixture>();
    TCustomListPrint::ReloadSettings = true;
    TCustomListPrint::ExportSettings = true;
    TCustomListPrint::DDEPause = 0;
    TCustomListPrint::SaveDDEVal = false;
}

// ---- Font style codes --------------------------------------------------------

void TestListPrintSettings::styleCodeOfFont_data()
{
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("strikeOut");
    QTest::addColumn<int>("code");
    QTest::newRow("regular") << false << false << false << false << 0;
    QTest::newRow("bold") << true << false << false << false << 1;
    QTest::newRow("underlined") << false << true << false << false << 2;
    QTest::newRow("bold and underlined") << true << true << false << false << 3;
    QTest::newRow("italic is not kept") << false << false << true << false << 0;
    QTest::newRow("bold italic struck out") << true << false << true << true << 1;
}

void TestListPrintSettings::styleCodeOfFont()
{
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    QFETCH(bool, italic);
    QFETCH(bool, strikeOut);
    QFETCH(int, code);
    QFont font(u"Arial"_s);
    font.setBold(bold);
    font.setUnderline(underline);
    font.setItalic(italic);
    font.setStrikeOut(strikeOut);
    QCOMPARE(ListPrintSettings::StyleCode(font), code);
}

void TestListPrintSettings::fontOfStyleCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    QTest::newRow("0") << 0 << true << false << false;
    QTest::newRow("1") << 1 << true << true << false;
    QTest::newRow("2") << 2 << true << false << true;
    QTest::newRow("3") << 3 << true << true << true;
    QTest::newRow("99 leaves the font") << 99 << false << false << false;
    QTest::newRow("-1 leaves the font") << -1 << false << false << false;
}

void TestListPrintSettings::fontOfStyleCode()
{
    QFETCH(int, code);
    QFETCH(bool, valid);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    QFont font(u"Arial"_s);
    font.setItalic(true);
    QCOMPARE(ListPrintSettings::ApplyStyleCode(font, code), valid);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.underline(), underline);
    QCOMPARE(font.italic(), !valid); // italic is never stored, so a code clears it
}

// ---- Round trip --------------------------------------------------------------

void TestListPrintSettings::roundTrip_data()
{
    // A value stored as "stored" (null: not stored) is written back as "written".
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("written");
    const QString absent;
    QTest::newRow("Header absent") << u"Header"_s << absent << u"Define -Header- text under \"Settings\""_s;
    QTest::newRow("Header") << u"Header"_s << u"Kopf"_s << u"Kopf"_s;
    QTest::newRow("Footer absent") << u"Footer"_s << absent << u"Define Footer text under \"Settings\""_s;
    QTest::newRow("HFName absent") << u"HFName"_s << absent << u"Arial"_s;
    QTest::newRow("HFSize absent") << u"HFSize"_s << absent << u"10"_s;
    QTest::newRow("HFSize 12") << u"HFSize"_s << u"12"_s << u"12"_s;
    QTest::newRow("HFSize malformed") << u"HFSize"_s << u"zehn"_s << u"10"_s;
    QTest::newRow("HFSize 0") << u"HFSize"_s << u"0"_s << u"10"_s;
    QTest::newRow("HFStyle absent") << u"HFStyle"_s << absent << u"1"_s;
    QTest::newRow("HFStyle 2") << u"HFStyle"_s << u"2"_s << u"2"_s;
    QTest::newRow("HFStyle 99") << u"HFStyle"_s << u"99"_s << u"1"_s;
    QTest::newRow("BFName absent") << u"BFName"_s << absent << u"Arial"_s;
    QTest::newRow("BFName unknown") << u"BFName"_s << u"Keine Schrift Dieses Namens"_s << u"Arial"_s;
    QTest::newRow("BFSize absent") << u"BFSize"_s << absent << u"9"_s;
    QTest::newRow("BFSize negative") << u"BFSize"_s << u"-4"_s << u"9"_s;
    QTest::newRow("BFStyle 3") << u"BFStyle"_s << u"3"_s << u"3"_s;
    QTest::newRow("FFSize absent") << u"FFSize"_s << absent << u"8"_s;
    QTest::newRow("FFStyle absent") << u"FFStyle"_s << absent << u"0"_s;
    QTest::newRow("TableGrids absent") << u"TableGrids"_s << absent << u"1"_s;
    QTest::newRow("TableGrids 0") << u"TableGrids"_s << u"0"_s << u"0"_s;
    QTest::newRow("TableGrids 7 is true") << u"TableGrids"_s << u"7"_s << u"1"_s;
    QTest::newRow("TableGrids malformed") << u"TableGrids"_s << u"ja"_s << u"1"_s;
    QTest::newRow("FitPrintToPage 0") << u"FitPrintToPage"_s << u"0"_s << u"0"_s;
    QTest::newRow("PrintWYSIWYG 0") << u"PrintWYSIWYG"_s << u"0"_s << u"0"_s;
    QTest::newRow("WordWrap absent") << u"WordWrap"_s << absent << u"0"_s;
    QTest::newRow("WordWrap 1") << u"WordWrap"_s << u"1"_s << u"1"_s;
    QTest::newRow("WSFileName absent") << u"WSFileName"_s << absent << u"DizaVadud.TXT"_s;
    QTest::newRow("WSFileName trimmed") << u"WSFileName"_s << u"  Liste.txt "_s << u"Liste.txt"_s;
    QTest::newRow("WSFileName blank") << u"WSFileName"_s << u"   "_s << u"DizaVadud.TXT"_s;
    QTest::newRow("DDEPause 250") << u"DDEPause"_s << u"250"_s << u"250"_s;
    QTest::newRow("DDEPause malformed") << u"DDEPause"_s << u"1,5"_s << u"0"_s;
    QTest::newRow("DDEPause negative") << u"DDEPause"_s << u"-5"_s << u"0"_s;
    QTest::newRow("DDEPause beyond the field") << u"DDEPause"_s << u"5000000"_s << u"0"_s;
    QTest::newRow("SaveDDEVal 1") << u"SaveDDEVal"_s << u"1"_s << u"1"_s;
    QTest::newRow("PrintToFile 1") << u"PrintToFile"_s << u"1"_s << u"1"_s;
    QTest::newRow("PrintToFile 2 is not 1") << u"PrintToFile"_s << u"2"_s << u"0"_s;
    QTest::newRow("Portrait absent") << u"Portrait"_s << absent << u"1"_s;
    QTest::newRow("Portrait 0") << u"Portrait"_s << u"0"_s << u"0"_s;
    QTest::newRow("MeasureUnit 1") << u"MeasureUnit"_s << u"1"_s << u"1"_s;
    QTest::newRow("MeasureUnit 5") << u"MeasureUnit"_s << u"5"_s << u"0"_s;
    QTest::newRow("MarginLeft absent") << u"MarginLeft"_s << absent << u"25"_s;
    QTest::newRow("MarginLeft 30") << u"MarginLeft"_s << u"30"_s << u"30"_s;
    QTest::newRow("MarginLeft decimal comma") << u"MarginLeft"_s << u"25,5"_s << u"25,5"_s;
    QTest::newRow("MarginLeft decimal point") << u"MarginLeft"_s << u"25.5"_s << u"25,5"_s;
    QTest::newRow("MarginTop malformed") << u"MarginTop"_s << u"breit"_s << u"25"_s;
    QTest::newRow("MarginBottom not finite") << u"MarginBottom"_s << u"nan"_s << u"25"_s;
    QTest::newRow("ZoomProcent absent") << u"ZoomProcent"_s << absent << u"35"_s;
    QTest::newRow("ZoomProcent 80") << u"ZoomProcent"_s << u"80"_s << u"80"_s;
    QTest::newRow("ZoomProcent 0") << u"ZoomProcent"_s << u"0"_s << u"20"_s;
    QTest::newRow("ZoomProcent 10000") << u"ZoomProcent"_s << u"10000"_s << u"120"_s;
    QTest::newRow("PageBorders absent") << u"PageBorders"_s << absent << u"10"_s;
    QTest::newRow("PageBorders 5") << u"PageBorders"_s << u"5"_s << u"5"_s;
    QTest::newRow("PageBorders 99") << u"PageBorders"_s << u"99"_s << u"10"_s;
    QTest::newRow("HLeft absent") << u"HLeft"_s << absent << u"0"_s;
    QTest::newRow("HCenter absent") << u"HCenter"_s << absent << u"4"_s;
    QTest::newRow("FLeft absent") << u"FLeft"_s << absent << u"1"_s;
    QTest::newRow("FRight absent") << u"FRight"_s << absent << u"2"_s;
    QTest::newRow("HRight 3") << u"HRight"_s << u"3"_s << u"3"_s;
    QTest::newRow("FCenter 9") << u"FCenter"_s << u"9"_s << u"4"_s;
}

void TestListPrintSettings::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QFETCH(QString, written);
    if (!stored.isNull())
        FSettings->Store->Values.insert(TMemorySettings::Path(SetupKey, name), stored);
    TTextReportPrint lp;
    lp.SetRegistryKey(Key);
    lp.SetUseRegistry(true);
    lp.LoadSettings();
    FSettings->Store->Values.clear();
    QVERIFY(lp.SaveSettings());
    QCOMPARE(FSettings->Store->Read(SetupKey, name), std::optional<QString>(written));
}

void TestListPrintSettings::writesEveryValueInOrder()
{
    TTextReportPrint lp;
    lp.SetUseRegistry(true);
    QVERIFY(lp.SaveSettings());
    const QStringList order { u"Title"_s, u"Header"_s, u"HFName"_s, u"HFSize"_s, u"HFStyle"_s, u"BFName"_s, u"BFSize"_s,
        u"BFStyle"_s, u"Footer"_s, u"FFName"_s, u"FFSize"_s, u"FFStyle"_s, u"TableGrids"_s, u"FitPrintToPage"_s,
        u"PrintWYSIWYG"_s, u"WordWrap"_s, u"WSFileName"_s, u"DDEPause"_s, u"SaveDDEVal"_s, u"PrintToFile"_s,
        u"Portrait"_s, u"MeasureUnit"_s, u"MarginBottom"_s, u"MarginLeft"_s, u"MarginRight"_s, u"MarginTop"_s,
        u"ZoomProcent"_s, u"PageBorders"_s, u"HLeft"_s, u"HCenter"_s, u"HRight"_s, u"FLeft"_s, u"FCenter"_s,
        u"FRight"_s };
    QCOMPARE(FSettings->Store->Written, order);
    // Without a registry key of its own the library's key is used.
    QVERIFY(FSettings->Store->Read(u"Software\\Kovatek\\DizaVadud\\Setup"_s, u"Title"_s).has_value());
}

void TestListPrintSettings::firstReportWithoutStoredKey()
{
    TTextReportPrint lp;
    lp.SetShowProgress(false);
    lp.SetRegistryKey(Key);
    lp.SetUseRegistry(true);
    lp.SetMarginLeft(40);
    lp.SetPageBorders(pbLeft);
    lp.SetZoomPercent(90);
    lp.BeginReport(false);
    lp.EndReport();
    for (double margin : { lp.MarginTop(), lp.MarginBottom(), lp.MarginLeft(), lp.MarginRight() })
        QCOMPARE(margin, 25.0);
    QCOMPARE(lp.HeaderFont().Font.family(), u"Arial"_s);
    QCOMPARE(lp.HeaderFont().Font.pointSize(), 10);
    QVERIFY(lp.HeaderFont().Font.bold());
    QCOMPARE(lp.Font().Font.pointSize(), 9);
    QVERIFY(!lp.Font().Font.bold());
    QCOMPARE(lp.FooterFont().Font.pointSize(), 8);
    QCOMPARE(lp.PageBorders(), TPageBorders(pbTop) | pbBottom);
    QCOMPARE(lp.ZoomPercent(), 35);
    QCOMPARE(lp.FileName(), u"DizaVadud.TXT"_s);
    const int codes[6] = { 0, 4, 0, 1, 4, 2 };
    for (int i = 0; i < 6; ++i)
        QCOMPARE(lp.PositionCode(TCustomListPrint::TPosition(i)), codes[i]);
}

void TestListPrintSettings::marginsAreClampedAndConverted()
{
    TTextReportPrint lp;
    lp.SetUseRegistry(true);
    auto &values = FSettings->Store->Values;
    const QString key = lp.SettingsKey();
    values.insert(TMemorySettings::Path(key, u"MarginLeft"_s), u"-3"_s);
    values.insert(TMemorySettings::Path(key, u"MarginTop"_s), u"1e9"_s);
    lp.LoadSettings();
    const double offset = lp.PixelsToUnitsX(lp.Geometry().Offset.x());
    QCOMPARE(lp.MarginLeft(), offset); // never inside the unprintable edge
    QCOMPARE(lp.MarginTop(), 25.0); // top and bottom would leave no room: both as by default
    QCOMPARE(lp.MarginBottom(), 25.0);

    values.insert(TMemorySettings::Path(key, u"MarginTop"_s), u"280"_s);
    values.insert(TMemorySettings::Path(key, u"MarginBottom"_s), u"-1"_s);
    lp.LoadSettings();
    QCOMPARE(lp.MarginTop(), 280.0); // 11 mm of text area are enough
    QCOMPARE(lp.MarginBottom(), offset);
    values.insert(TMemorySettings::Path(key, u"MarginLeft"_s), u"100"_s);
    values.insert(TMemorySettings::Path(key, u"MarginRight"_s), u"105"_s);
    lp.LoadSettings();
    QCOMPARE(lp.MarginLeft(), 25.0);
    QCOMPARE(lp.MarginRight(), 25.0);

    // Inches: the unit comes first, so margins stored in inches stay inches.
    values.clear();
    values.insert(TMemorySettings::Path(key, u"MeasureUnit"_s), u"1"_s);
    for (const char16_t *side : { u"MarginLeft", u"MarginTop", u"MarginRight", u"MarginBottom" })
        values.insert(TMemorySettings::Path(key, QString::fromUtf16(side)), u"1,5"_s);
    lp.LoadSettings();
    QCOMPARE(lp.MeasureUnit(), muInches);
    QCOMPARE(lp.MarginLeft(), 1.5);
    QCOMPARE(lp.MarginBottom(), 1.5);
}

void TestListPrintSettings::fontNamesAndStyles()
{
    const QString family = installedFamily();
    if (family.isEmpty())
        QSKIP("This machine has no font family other than Arial.");
    TTextReportPrint lp;
    lp.SetUseRegistry(true);
    const QString key = lp.SettingsKey();
    FSettings->Store->Values.insert(TMemorySettings::Path(key, u"FFName"_s), family);
    FSettings->Store->Values.insert(TMemorySettings::Path(key, u"FFStyle"_s), u"2"_s);
    lp.LoadSettings();
    QCOMPARE(lp.FooterFont().Font.family(), family);
    QVERIFY(lp.FooterFont().Font.underline());

    // An italic header font is stored as regular, and reads back so.
    TListFont italic = lp.HeaderFont();
    italic.Font.setBold(false);
    italic.Font.setItalic(true);
    lp.SetHeaderFont(italic);
    QVERIFY(lp.SaveSettings());
    QCOMPARE(FSettings->Store->Read(key, u"HFStyle"_s), std::optional<QString>(u"0"_s));
    lp.LoadSettings();
    QVERIFY(!lp.HeaderFont().Font.italic());
    QVERIFY(!lp.HeaderFont().Font.bold());
}

void TestListPrintSettings::titleAndTextsOnlyWhenEmpty()
{
    TTextReportPrint lp;
    lp.SetUseRegistry(true);
    const QString key = lp.SettingsKey();
    FSettings->Store->Values.insert(TMemorySettings::Path(key, u"Title"_s), u"Gespeicherter Titel"_s);
    FSettings->Store->Values.insert(TMemorySettings::Path(key, u"Footer"_s), u"Gespeicherter Fuß"_s);
    lp.SetPrintTitle(u"Kovatek Rufwerk"_s);
    lp.SetFooterText(u"Eigener Fuß"_s);
    lp.LoadSettings();
    QCOMPARE(lp.PrintTitle(), u"Kovatek Rufwerk"_s);
    QCOMPARE(lp.FooterText(), u"Eigener Fuß"_s);
    QVERIFY(lp.SaveSettings());
    QCOMPARE(FSettings->Store->Read(key, u"Title"_s), std::optional<QString>(u"Kovatek Rufwerk"_s));

    lp.SetPrintTitle(QString());
    lp.LoadSettings();
    QCOMPARE(lp.PrintTitle(), u"Kovatek Rufwerk"_s);
    FSettings->Store->Values.clear();
    lp.SetPrintTitle(QString());
    lp.LoadSettings();
    QCOMPARE(lp.PrintTitle(), u"List printout"_s);
}

void TestListPrintSettings::withoutRegistryOrReloadNothingIsRead()
{
    TTextReportPrint lp;
    const QString key = lp.SettingsKey();
    FSettings->Store->Values.insert(TMemorySettings::Path(key, u"ZoomProcent"_s), u"80"_s);
    FSettings->Store->Values.insert(TMemorySettings::Path(key, u"HLeft"_s), u"3"_s);
    lp.SetPositionCode(TCustomListPrint::FRight, 3);
    lp.LoadSettings();
    QCOMPARE(lp.ZoomPercent(), 35);
    QCOMPARE(lp.PositionCode(TCustomListPrint::FRight), 2); // the defaults come back
    QCOMPARE(lp.PositionCode(TCustomListPrint::HLeft), 0);
    QVERIFY(lp.SaveSettings());
    QVERIFY(FSettings->Store->Written.isEmpty());

    lp.SetUseRegistry(true);
    TCustomListPrint::ReloadSettings = false;
    lp.LoadSettings();
    QCOMPARE(lp.ZoomPercent(), 35);
    TCustomListPrint::ReloadSettings = true;
    lp.LoadSettings();
    QCOMPARE(lp.ZoomPercent(), 80);
    QCOMPARE(lp.PositionCode(TCustomListPrint::HLeft), 3);
}

void TestListPrintSettings::exportValuesOnlyWithTheSwitch()
{
    TCustomListPrint::ExportSettings = false;
    TTextReportPrint lp;
    lp.SetUseRegistry(true);
    lp.SetFileName(u"FeeReport.TXT"_s);
    FSettings->Store->Values.insert(TMemorySettings::Path(lp.SettingsKey(), u"WSFileName"_s), u"Anders.TXT"_s);
    lp.LoadSettings();
    QCOMPARE(lp.FileName(), u"FeeReport.TXT"_s);
    QVERIFY(lp.SaveSettings());
    for (const char16_t *name : { u"WSFileName", u"DDEPause", u"SaveDDEVal", u"PrintToFile" })
        QVERIFY(!FSettings->Store->Written.contains(QString::fromUtf16(name)));
}

void TestListPrintSettings::aFailedWriteIsReported()
{
    TMessageLog messages;
    TTextReportPrint lp;
    lp.SetUseRegistry(true);
    FSettings->Store->Broken = true;
    QVERIFY(!lp.SaveSettings());
    QCOMPARE(messages.Entries,
        QStringList { u"Error: Die Einstellungen des Listendruckers konnten nicht gespeichert werden."_s });
}

void TestListPrintSettings::programStoreWithoutHost()
{
    // Without a store of the program's the values go to the application's QSettings.
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setDefaultFormat(QSettings::NativeFormat);
    QCoreApplication::setOrganizationName(u"Kovatek-Test"_s);
    QCoreApplication::setApplicationName(u"listprint-settings"_s);
    ListPrintUi::SetSettingsAccess({});
    {
        TTextReportPrint lp;
        lp.SetUseRegistry(true);
        lp.SetZoomPercent(70);
        lp.SetPageBorders(pbLeft);
        QVERIFY(lp.SaveSettings());
    }
    TTextReportPrint lp;
    lp.SetUseRegistry(true);
    lp.LoadSettings();
    QCOMPARE(lp.ZoomPercent(), 70);
    QCOMPARE(lp.PageBorders(), TPageBorders(pbLeft));
}

QTEST_MAIN(TestListPrintSettings)
#include "tst_listprintsettings.moc"
