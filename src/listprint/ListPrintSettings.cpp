// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The stored page layout and the page layout dialog.

#include "ListPrintSettings.h"

#include "ColumnFormat.h"
#include "FormSettings.h"
#include "ListPrint.h"
#include "ListPrintUi.h"

#include <QFontDatabase>
#include <QLocale>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace ListPrintSettings {

int StyleCode(const QFont &font)
{
    if (font.bold() && font.underline())
        return 3;
    if (font.bold())
        return 1;
    return font.underline() ? 2 : 0;
}

bool ApplyStyleCode(QFont &font, int code)
{
    if (code < 0 || code > 3)
        return false;
    font.setBold(code == 1 || code == 3);
    font.setUnderline(code == 2 || code == 3);
    font.setItalic(false);
    font.setStrikeOut(false);
    return true;
}

bool ParseLength(const QString &text, double *value)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double parsed = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        parsed = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

} // namespace ListPrintSettings

namespace {

constexpr char DefaultKey[] = "Software\\Kovatek\\DizaVadud";
constexpr char DefaultFileName[] = "DizaVadud.TXT";
constexpr int MinZoom = 20;
constexpr int MaxZoom = 120;
constexpr double MinTextArea = 10; // millimetres across and down
constexpr int MaxDDEPause = 999999; // what the dialog's field takes
constexpr std::array<int, 6> DefaultPositionCodes { 0, 4, 0, 1, 4, 2 };
constexpr const char16_t *PositionNames[6] = { u"HLeft", u"HCenter", u"HRight", u"FLeft", u"FCenter", u"FRight" };

/// Reads one key's values; what is missing, malformed or out of range reads as the default.
class TReader {
public:
    explicit TReader(QString key)
        : m_key(std::move(key))
        , m_access(ListPrintUi::Settings())
    {
    }

    QString String(QStringView name, const QString &def)
    {
        const std::optional<QString> text = m_access.Read(m_key, name.toString());
        return text ? *text : def;
    }

    int Integer(QStringView name, int def, int min = INT_MIN, int max = INT_MAX)
    {
        const std::optional<QString> text = m_access.Read(m_key, name.toString());
        if (!text)
            return def;
        bool ok = false;
        const int value = text->trimmed().toInt(&ok);
        return ok && value >= min && value <= max ? value : def;
    }

    /// Any integer other than 0 is true.
    bool Boolean(QStringView name, bool def) { return Integer(name, def ? 1 : 0) != 0; }

    double Length(QStringView name, double def)
    {
        double value = def;
        if (const std::optional<QString> text = m_access.Read(m_key, name.toString()))
            ListPrintSettings::ParseLength(*text, &value);
        return value;
    }

    TListFont Font(QStringView prefix, TListFont font, int defSize, int defStyle)
    {
        const QString defName = u"Arial"_s;
        QString name = String(QString(prefix + u"Name"_s), defName).trimmed();
        // A face this system does not know would be replaced by some other one.
        if (name.isEmpty() || name.size() > 64 || (name != defName && !QFontDatabase::hasFamily(name)))
            name = defName;
        const int size = Integer(QString(prefix + u"Size"_s), defSize, 1, 200);
        const int style = Integer(QString(prefix + u"Style"_s), defStyle, 0, 3);
        font.Font.setFamily(name);
        font.Font.setPointSize(size);
        ListPrintSettings::ApplyStyleCode(font.Font, style);
        return font;
    }

private:
    QString m_key;
    ListPrintUi::TSettingsAccess &m_access;
};

QString fontSize(const TListFont &font)
{
    return QString::number(std::max(1, int(std::lround(font.Font.pointSizeF()))));
}

QString flag(bool value)
{
    return value ? u"1"_s : u"0"_s;
}

} // namespace

QString TCustomListPrint::SettingsKey() const
{
    return (FRegistryKey.isEmpty() ? QLatin1String(DefaultKey) : FRegistryKey) + u"\\Setup"_s;
}

void TCustomListPrint::LoadSettings()
{
    if (!FUseRegistry) {
        FPositionCodes = DefaultPositionCodes;
        return;
    }
    if (!ReloadSettings)
        return;
    TReader r(SettingsKey());
    if (FPrintTitle.isEmpty())
        FPrintTitle = r.String(u"Title", u"List printout"_s);
    if (FHeaderText.isEmpty())
        FHeaderText = r.String(u"Header", u"Define -Header- text under \"Settings\""_s);
    FHeaderFont = r.Font(u"HF", FHeaderFont, 10, 1);
    SetFont(r.Font(u"BF", FFont, 9, 0));
    if (FFooterText.isEmpty())
        FFooterText = r.String(u"Footer", u"Define Footer text under \"Settings\""_s);
    FFooterFont = r.Font(u"FF", FFooterFont, 8, 0);

    FTableGrids = r.Boolean(u"TableGrids", true);
    FitPrintToPage = r.Boolean(u"FitPrintToPage", true);
    PrintWYSIWYG = r.Boolean(u"PrintWYSIWYG", true);

    // Orientation and unit before the margins: a new unit converts the old margins first.
    const TPrinterOrientation orientation = r.Boolean(u"Portrait", true) ? poPortrait : poLandscape;
    if (orientation != Orientation())
        SetOrientation(orientation);
    SetMeasureUnit(r.Integer(u"MeasureUnit", 0, 0, 1) == 1 ? muInches : muMillimeters);

    SetMarginBottom(r.Length(u"MarginBottom", 25));
    SetMarginLeft(r.Length(u"MarginLeft", 25));
    SetMarginRight(r.Length(u"MarginRight", 25));
    SetMarginTop(r.Length(u"MarginTop", 25));
    // Margins that leave no text area would put every line on a page of its own.
    const QSizeF paper = Geometry().PaperMillimetres / (FMeasureUnit == muMillimeters ? 1.0 : 25.4);
    const double least = FMeasureUnit == muMillimeters ? MinTextArea : MinTextArea / 25.4;
    if (paper.width() - MarginLeft() - MarginRight() < least) {
        SetMarginLeft(25);
        SetMarginRight(25);
    }
    if (paper.height() - MarginTop() - MarginBottom() < least) {
        SetMarginTop(25);
        SetMarginBottom(25);
    }
    SetZoomPercent(std::clamp(r.Integer(u"ZoomProcent", 35), MinZoom, MaxZoom));
    SetPageBorders(TPageBorders::fromInt(r.Integer(u"PageBorders", pbTop | pbBottom, 0, 15)));
    for (size_t i = 0; i < FPositionCodes.size(); ++i)
        FPositionCodes[i] = r.Integer(PositionNames[i], DefaultPositionCodes[i], 0, 4);

    FitPrintToPage = r.Boolean(u"FitPrintToPage", true);
    PrintWYSIWYG = r.Boolean(u"PrintWYSIWYG", true);
    FWordWrap = r.Boolean(u"WordWrap", false);

    if (ExportSettings) {
        const QString fileName = r.String(u"WSFileName", QLatin1String(DefaultFileName)).trimmed();
        SetFileName(fileName.isEmpty() ? QLatin1String(DefaultFileName) : fileName);
        DDEPause = r.Integer(u"DDEPause", 0, 0, MaxDDEPause);
        SaveDDEVal = r.Boolean(u"SaveDDEVal", false);
        SetPrintToFile(r.Integer(u"PrintToFile", 0) == 1);
    }
}

bool TCustomListPrint::SaveSettings()
{
    if (!FUseRegistry)
        return true;
    using ColumnFormat::FormatNumber;
    QList<std::pair<QString, QString>> values {
        { u"Title"_s, FPrintTitle },
        { u"Header"_s, FHeaderText },
        { u"HFName"_s, FHeaderFont.Font.family() },
        { u"HFSize"_s, fontSize(FHeaderFont) },
        { u"HFStyle"_s, QString::number(ListPrintSettings::StyleCode(FHeaderFont.Font)) },
        { u"BFName"_s, FFont.Font.family() },
        { u"BFSize"_s, fontSize(FFont) },
        { u"BFStyle"_s, QString::number(ListPrintSettings::StyleCode(FFont.Font)) },
        { u"Footer"_s, FFooterText },
        { u"FFName"_s, FFooterFont.Font.family() },
        { u"FFSize"_s, fontSize(FFooterFont) },
        { u"FFStyle"_s, QString::number(ListPrintSettings::StyleCode(FFooterFont.Font)) },
        { u"TableGrids"_s, flag(FTableGrids) },
        { u"FitPrintToPage"_s, flag(FitPrintToPage) },
        { u"PrintWYSIWYG"_s, flag(PrintWYSIWYG) },
        { u"WordWrap"_s, flag(FWordWrap) },
    };
    if (ExportSettings)
        values << std::pair { u"WSFileName"_s, FFileName } << std::pair { u"DDEPause"_s, QString::number(DDEPause) }
               << std::pair { u"SaveDDEVal"_s, flag(SaveDDEVal) } << std::pair { u"PrintToFile"_s, flag(FPrintToFile) };
    values << std::pair { u"Portrait"_s, flag(Orientation() == poPortrait) }
           << std::pair { u"MeasureUnit"_s, flag(FMeasureUnit == muInches) }
           << std::pair { u"MarginBottom"_s, FormatNumber(MarginBottom()) }
           << std::pair { u"MarginLeft"_s, FormatNumber(MarginLeft()) }
           << std::pair { u"MarginRight"_s, FormatNumber(MarginRight()) }
           << std::pair { u"MarginTop"_s, FormatNumber(MarginTop()) }
           << std::pair { u"ZoomProcent"_s, QString::number(FZoomPercent) }
           << std::pair { u"PageBorders"_s, QString::number(FPageBorders.toInt()) };
    for (size_t i = 0; i < FPositionCodes.size(); ++i)
        values << std::pair { QString::fromUtf16(PositionNames[i]), QString::number(FPositionCodes[i]) };
    if (ListPrintUi::Settings().Write(SettingsKey(), values))
        return true;
    ListPrintUi::Message(ListPrintUi::TMessageKind::Error,
        u"Die Einstellungen des Listendruckers konnten nicht gespeichert werden."_s, this);
    return false;
}

void TCustomListPrint::ExecuteSettingsDialog()
{
    TFormSettings dialog(this, window());
    TFormSettings::TValues &v = dialog.Values;
    v.UseRegistry = FUseRegistry;
    v.BodyFont = FFont;
    v.HeaderFont = FHeaderFont;
    v.FooterFont = FFooterFont;
    v.PageBorders = FPageBorders;
    v.TableGrids = FTableGrids;
    v.HeaderText = FHeaderText;
    v.FooterText = FFooterText;
    v.Zoom = FZoomPercent;
    v.PositionCodes = FPositionCodes;
    v.WorksheetProgram = ListPrintUi::WorksheetProgram();
    v.PrintWYSIWYG = PrintWYSIWYG;
    v.WordWrap = FWordWrap;
    v.FitPrintToPage = FitPrintToPage;
    v.ExportSettings = ExportSettings;
    if (ExportSettings) {
        v.FileName = FFileName;
        v.DDEPause = DDEPause;
        v.SaveDDEVal = SaveDDEVal;
        v.PrintToFile = FPrintToFile;
    }
    v.MeasureUnit = FMeasureUnit;
    v.Orientation = Orientation();
    // Page setup units: hundredths of a millimetre or thousandths of an inch.
    const double scale = FMeasureUnit == muMillimeters ? 100 : 1000;
    auto setupUnits = [scale](double units) { return double(std::lround(units * scale)); };
    v.Margins = QMarginsF(
        setupUnits(MarginLeft()), setupUnits(MarginTop()), setupUnits(MarginRight()), setupUnits(MarginBottom()));
    const QPoint offset = Geometry().Offset;
    const double offsetX = setupUnits(PixelsToUnitsX(offset.x()));
    const double offsetY = setupUnits(PixelsToUnitsY(offset.y()));
    v.MinMargins = QMarginsF(offsetX, offsetY, offsetX, offsetY);

    dialog.Execute();
    if (!dialog.Accepted())
        return;

    SetFont(v.BodyFont);
    FHeaderFont = v.HeaderFont;
    FFooterFont = v.FooterFont;
    SetPageBorders(v.PageBorders);
    FHeaderText = v.HeaderText;
    FFooterText = v.FooterText;
    FTableGrids = v.TableGrids;
    SetZoomPercent(v.Zoom);
    FPositionCodes = v.PositionCodes;
    try {
        SetMarginLeft(TFormSettings::MarginFromPageSetup(v.Margins.left(), FMeasureUnit));
        SetMarginTop(TFormSettings::MarginFromPageSetup(v.Margins.top(), FMeasureUnit));
        SetMarginRight(TFormSettings::MarginFromPageSetup(v.Margins.right(), FMeasureUnit));
        SetMarginBottom(TFormSettings::MarginFromPageSetup(v.Margins.bottom(), FMeasureUnit));
        FitPrintToPage = v.FitPrintToPage;
        PrintWYSIWYG = v.PrintWYSIWYG;
        FWordWrap = v.WordWrap;
        if (ExportSettings) {
            SetFileName(v.FileName);
            DDEPause = v.DDEPause;
            SaveDDEVal = v.SaveDDEVal;
            SetPrintToFile(v.PrintToFile);
        }
    } catch (const EPagePrinter &error) {
        ListPrintUi::Message(ListPrintUi::TMessageKind::Error, error.Message(), this);
        return;
    }

    // The rebuild shows the accepted values, stored or not.
    struct TReloadGuard {
        TReloadGuard() { ReloadSettings = false; }
        ~TReloadGuard() { ReloadSettings = true; }
    } guard;
    SendHostMessage(LPM_REBUILD);
    if (FUseRegistry && ListPrintUi::Message(ListPrintUi::TMessageKind::Question, u"Änderungen sichern?"_s, this))
        SaveSettings();
}
