// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageStartSettings.h"

#include "EngineSettings.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "RASWorkUnit.h"
#include "RadioGroup.h"
#include "Shell.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, int helpContext)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setProperty("HelpContext", helpContext);
    return box;
}

} // namespace

TPageStartSettings::TPageStartSettings(TFormProgStart *dialog)
    : TProgStartPage(dialog, u"TSStartSettings"_s, 861)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(8);

    // Upper group: the time values with their explanation beside them.
    GBRASValues = new QGroupBox(this);
    GBRASValues->setObjectName(u"GBRASValues"_s);
    auto *grid = new QGridLayout(GBRASValues);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(2, 1);
    struct TimeRow {
        QSpinBox **spin;
        const char *name;
        QString label;
        int minimum;
        int maximum;
        QString suffix;
        QString info;
        int helpContext;
    };
    const TimeRow rows[] = {
        { &SpinEditTimeOut, "SpinEditTimeOut", u"Timeout: "_s, SettingRange::TimeoutMin, SettingRange::TimeoutMax,
            u" Sekunden"_s, u"Zeit, nach der ein \"hängender\" Vorgang abgebrochen werden soll"_s, 154 },
        { &SpinEditRemainder, "SpinEditRemainder", u"An Online &erinnern alle:"_s, 0, SettingRange::MinutesMax,
            u" Minuten"_s, u"Zeitintervall, nach dem an Online-Zustand akustisch erinnert werden soll"_s, 155 },
        { &SpEdDisConTime, "SpEdDisConTime", u"Leerlauf-\r\nabbruch:"_s, 0, SettingRange::MinutesMax, u" Minuten"_s,
            u"Zeitintervall, nach dem eine Verbindung\r\nohne Aktivität getrennt werden soll."_s, 156 },
    };
    int row = 0;
    for (const TimeRow &r : rows) {
        auto *spin = new QSpinBox(GBRASValues);
        spin->setObjectName(QLatin1String(r.name));
        spin->setRange(r.minimum, r.maximum);
        spin->setSuffix(r.suffix);
        spin->setAlignment(Qt::AlignRight);
        spin->setMinimumWidth(110);
        spin->setProperty("HelpContext", r.helpContext);
        auto *label = new QLabel(MessageDialog::DisplayText(r.label), GBRASValues);
        label->setBuddy(spin);
        auto *info = new QLabel(MessageDialog::DisplayText(r.info), GBRASValues);
        info->setWordWrap(true);
        info->setProperty("HelpContext", r.helpContext);
        grid->addWidget(label, row, 0);
        grid->addWidget(spin, row, 1, Qt::AlignTop);
        grid->addWidget(info, row, 2);
        *r.spin = spin;
        ++row;
    }
    column->addWidget(GBRASValues);

    auto *link = new QLabel(
        u"<a href=\"%1\">Weiterführende Onlinehilfe für DFÜ-Installation</a>"_s.arg(OnlineHelpAddress()), this);
    link->setObjectName(u"LabelOnlineHelp"_s);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [this](const QString &address) {
        QString error;
        if (!Shell::instance().open(address, QString(), QString(), &error))
            MessageDialog::Information(error, this);
    });
    column->addWidget(link);

    // Lower group: the switches in two columns.
    auto *start = new QGroupBox(u" Start-Einstellungen "_s, this);
    start->setObjectName(u"GBStartSettings"_s);
    auto *switches = new QHBoxLayout(start);
    switches->setSpacing(16);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    left->setSpacing(6);
    right->setSpacing(4);
    CBChkPassword = checkBox(start, "CBChkPassword", u"DFÜ-&Passwort abfragen"_s, 153);
    CBKeepAlive = checkBox(start, "CBKeepAlive", u"DFÜ automatisch &auflegen"_s, 152);
    CBAutoStart = checkBox(start, "CBAutoStart", u"Rufwerk Auto-Start"_s, 165);
    CBMiniStart = checkBox(start, "CBMiniStart", u"&Minimiert starten"_s, 162);
    CBFeeReport = checkBox(start, "CBFeeReport", u"&Gebühren-Protokoll"_s, 161);
    CBChkExt = checkBox(start, "CBChkExt", u"&Gebühren für fremde DFÜ"_s, 166);
    CBPostIt = checkBox(start, "CBPostIt", u"&Objekthilfe anzeigen"_s, 163);
    CBRemainder = checkBox(start, "CBRemainder", u"Akustische &Meldungen"_s, 164);
    RGHintWin = new TRadioGroup(
        u"RGHintWin"_s, u" Fensterart "_s, { u"Einfach, rechteckig"_s, u"Abgerundet mit Zeiger"_s }, start);
    RGHintWin->setProperty("HelpContext", 163);
    RGSound = new TRadioGroup(
        u"RGSound"_s, u" Tonwidergabe "_s, { u"Computer Lautsprecher"_s, u"Computer Soundsystem"_s }, start);
    RGSound->setProperty("HelpContext", 164);
    for (QCheckBox *box : { CBChkPassword, CBKeepAlive, CBAutoStart, CBMiniStart, CBFeeReport, CBChkExt })
        left->addWidget(box);
    for (QWidget *widget : std::initializer_list<QWidget *> { CBPostIt, RGHintWin, CBRemainder, RGSound })
        right->addWidget(widget);
    left->addStretch();
    right->addStretch();
    switches->addLayout(left, 1);
    switches->addLayout(right, 1);
    column->addWidget(start);
    column->addStretch();

    for (QCheckBox *box : { CBChkPassword, CBKeepAlive, CBAutoStart, CBMiniStart, CBFeeReport, CBChkExt })
        connect(box, &QCheckBox::clicked, Dialog, &TFormProgStart::MarkChanged);
    connect(CBPostIt, &QCheckBox::clicked, this, [this](bool on) {
        RGHintWin->setEnabled(on);
        Dialog->MarkChanged();
    });
    connect(CBRemainder, &QCheckBox::clicked, this, [this](bool on) {
        RGSound->setEnabled(on);
        Dialog->MarkChanged();
    });
    for (TRadioGroup *group : { RGHintWin, RGSound })
        connect(group, &TRadioGroup::itemClicked, Dialog, &TFormProgStart::MarkChanged);
    connect(SpinEditTimeOut, &QSpinBox::valueChanged, Dialog, &TFormProgStart::MarkChanged);
    connect(SpinEditRemainder, &QSpinBox::valueChanged, this, &TPageStartSettings::SpinEditMinutesChange);
    connect(SpEdDisConTime, &QSpinBox::valueChanged, this, &TPageStartSettings::SpinEditMinutesChange);
}

QString TPageStartSettings::OnlineHelpAddress()
{
    return u"https://wiki.debian.org/PPP"_s;
}

void TPageStartSettings::FillControls()
{
    const TRASWorkUnit &engine = *Dialog->Engine();
    const TDFURec &rec = engine.DFURec;
    const TStartSettings &start = engine.StartSettings;
    CBChkPassword->setChecked(rec.ChkPassWord);
    SpinEditTimeOut->setValue(engine.Timeout);
    SpinEditRemainder->setValue(rec.RemaindTime);
    CBKeepAlive->setChecked(!rec.KeepAlive);
    CBRemainder->setChecked(rec.WithSound);
    RGSound->setEnabled(rec.WithSound);
    RGSound->SetItemIndex(rec.SoundIndex);
    CBMiniStart->setChecked(start.MiniStart);
    CBPostIt->setChecked(start.ShowPostIt);
    RGHintWin->setEnabled(start.ShowPostIt);
    RGHintWin->SetItemIndex(start.PostItIndex);
    CBAutoStart->setChecked(start.AutoStart);
    CBChkExt->setChecked(start.ChkExtern);
    SpEdDisConTime->setValue(start.DisConTime);
    CBFeeReport->setChecked(start.FeeRecord);
}

void TPageStartSettings::PageShown()
{
    GBRASValues->setTitle(u"DFÜ-Einstellungen für: \""_s + Dialog->CurrentConnectionName() + u'"');
}

void TPageStartSettings::SpinEditMinutesChange()
{
    if (Dialog->Loading())
        return;
    Dialog->Engine()->DFURec.RemaindTime = SpinEditRemainder->value();
    Dialog->MarkChanged();
}

void TPageStartSettings::StoreInto(TDFURec &engine, TStartSettings &start) const
{
    engine.ChkPassWord = CBChkPassword->isChecked();
    engine.RemaindTime = SpinEditRemainder->value();
    engine.KeepAlive = !CBKeepAlive->isChecked();
    engine.WithSound = CBRemainder->isChecked();
    engine.SoundIndex = qMax(0, RGSound->ItemIndex());
    start.ShowPostIt = CBPostIt->isChecked();
    start.MiniStart = CBMiniStart->isChecked();
    start.PostItIndex = qMax(0, RGHintWin->ItemIndex());
    start.AutoStart = CBAutoStart->isChecked();
    start.ChkExtern = CBChkExt->isChecked();
    start.FeeRecord = CBFeeReport->isChecked();
    start.DisConTime = SpEdDisConTime->value();
}

int TPageStartSettings::TimeoutValue() const
{
    return SpinEditTimeOut->value();
}
