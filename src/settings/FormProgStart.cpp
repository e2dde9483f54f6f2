// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormProgStart.h"

#include "Autostart.h"
#include "HelpLink.h"
#include "MessageDialog.h"
#include "PageConnections.h"
#include "PageFavorites.h"
#include "PageServerProfile.h"
#include "PageStartPrograms.h"
#include "PageStartSettings.h"
#include "RASWorkUnit.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr int TabWidth = 100;

class TPageTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        // Never narrower than the caption: larger fonts than the old dialog's.
        QSize size = QTabBar::tabSizeHint(index);
        size.setWidth(qMax(TabWidth, size.width()));
        return size;
    }
};

class TPageControl : public QTabWidget {
public:
    explicit TPageControl(QWidget *parent)
        : QTabWidget(parent)
    {
        setTabBar(new TPageTabBar(this));
    }
};

QPushButton *toolButton(QWidget *parent, const char *name, const QString &caption, QStyle::StandardPixmap icon)
{
    auto *button = new QPushButton(parent->style()->standardIcon(icon), caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFormProgStart::TFormProgStart(TRASWorkUnit *engine, TProgStartHost host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , FEngine(engine)
    , FHost(std::move(host))
{
    Q_ASSERT(engine);
    setObjectName(u"FormProgStart"_s);
    setWindowTitle(u"Einstellungsoptionen"_s);
    setProperty("HelpContext", 870);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(6);

    auto *toolbar = new QHBoxLayout;
    toolbar->setSpacing(4);
    toolbar->addSpacing(55);
    BtnSaveTake = toolButton(this, "BtnSaveTake", u"Übernehmen"_s, QStyle::SP_DialogApplyButton);
    QFont bold = BtnSaveTake->font();
    bold.setBold(true);
    BtnSaveTake->setFont(bold);
    BtnSaveTake->setEnabled(false);
    auto *btnHelp = toolButton(this, "BtnHelp", u"Hilfe"_s, QStyle::SP_DialogHelpButton);
    auto *btnCancel = toolButton(this, "BtnCancel", u"&Abbruch"_s, QStyle::SP_DialogCancelButton);
    auto *btnOK = toolButton(this, "BtnOK", u"&OK"_s, QStyle::SP_DialogOkButton);
    for (QPushButton *button : { BtnSaveTake, btnHelp, btnCancel, btnOK })
        toolbar->addWidget(button);
    toolbar->addStretch();
    column->addLayout(toolbar);

    connect(BtnSaveTake, &QPushButton::clicked, this, [this] { TakeOver(); });
    connect(btnHelp, &QPushButton::clicked, this, &TFormProgStart::BtnHelpClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFormProgStart::CancelDialog);
    connect(btnOK, &QPushButton::clicked, this, [this] { CloseDialog(); });

    PageControl = new TPageControl(this);
    PageControl->setObjectName(u"PageControl"_s);
    FStartSettings = new TPageStartSettings(this);
    FStartPrograms = new TPageStartPrograms(this);
    FConnections = new TPageConnections(this);
    FPages = { FStartSettings, FStartPrograms, FConnections, new TPageFavorites(this), new TPageServerProfile(this) };
    const QString captions[PageCount]
        = { u"Start-Einstellung"_s, u"Start-Programm"_s, u"DFÜ-Verbindung"_s, u"Favoriten"_s, u"Server-Profil"_s };
    for (int i = 0; i < PageCount; ++i)
        PageControl->addTab(FPages.at(size_t(i)), captions[i]);
    connect(PageControl, &QTabWidget::currentChanged, this, &TFormProgStart::PageChanged);
    column->addWidget(PageControl, 1);
}

TFormProgStart::~TFormProgStart() = default;

int TFormProgStart::StartPageIndex(int startPage)
{
    return startPage >= PageStartPrograms && startPage <= PageFavorites ? startPage : PageStartSettings;
}

// --- filling ----------------------------------------------------------------

void TFormProgStart::showEvent(QShowEvent *event)
{
    // Filled once: refilling on every activation would drop pending changes
    // whenever a window opened from here closes.
    if (!FFilled)
        FillControls();
    QDialog::showEvent(event);
}

void TFormProgStart::FillControls()
{
    FFilled = true;
    FLoading = true;
    PageControl->setCurrentIndex(StartPageIndex(StartPage));
    FShownPage = PageControl->currentIndex();
    for (TProgStartPage *page : FPages)
        page->FillControls();
    FAutoStartAtActivation = FEngine->StartSettings.AutoStart;
    FRemaindTimeAtActivation = FEngine->DFURec.RemaindTime;
    Page(FShownPage)->PageShown();
    FLoading = false;
    FSettingsChanged = false;
    BtnSaveTake->setEnabled(false);
}

// --- change tracking --------------------------------------------------------

void TFormProgStart::MarkChanged()
{
    if (FLoading)
        return;
    FSettingsChanged = true;
    BtnSaveTake->setEnabled(true);
}

void TFormProgStart::MarkStartProgramsChanged()
{
    if (!FLoading)
        BtnSaveTake->setEnabled(true);
}

void TFormProgStart::StartProgramsStored()
{
    BtnSaveTake->setEnabled(FSettingsChanged);
}

bool TFormProgStart::Changed() const
{
    return BtnSaveTake->isEnabled();
}

void TFormProgStart::ShowPage(int index)
{
    PageControl->setCurrentIndex(index);
}

void TFormProgStart::PageChanged(int index)
{
    if (FLoading || index == FShownPage)
        return;
    const int left = FShownPage;
    FShownPage = index;
    if (!Page(left)->PageLeaving()) {
        FShownPage = left;
        PageControl->setCurrentIndex(left);
        return;
    }
    Page(index)->PageShown();
}

// --- the main window's current connection ----------------------------------

namespace {
QComboBox *connectionList(const TRASWorkUnit *engine)
{
    QWidget *window = engine->MainWindow();
    return window ? window->findChild<QComboBox *>(u"ComboBoxRAS"_s) : nullptr;
}
} // namespace

QString TFormProgStart::CurrentConnectionName() const
{
    if (const QComboBox *list = connectionList(FEngine))
        return list->currentIndex() >= 0 ? list->currentText() : QString();
    return FEngine->DFURec.ServiceStr;
}

int TFormProgStart::CurrentConnectionIndex() const
{
    if (const QComboBox *list = connectionList(FEngine))
        return list->currentIndex();
    return FEngine->FindEntry(FEngine->DFURec.ServiceStr);
}

// --- take-over --------------------------------------------------------------

bool TFormProgStart::TakeOver()
{
    TRASWorkUnit &engine = *FEngine;
    const QString account = FConnections->Account();
    // A fee that is no number stores nothing at all.
    QString fee;
    const bool feeChanged = FConnections->FeeChanged();
    if (feeChanged) {
        QString error;
        fee = CheckedFeeText(FConnections->FeeText(), &error);
        if (fee.isEmpty()) {
            MessageDialog::Information(error, this);
            FConnections->ShowFee();
            return false;
        }
    }

    FStartSettings->StoreInto(engine.DFURec, engine.StartSettings);
    if (engine.StartSettings.AutoStart != FAutoStartAtActivation) {
        UpdateAutostartEntry(engine.StartSettings.AutoStart);
        FAutoStartAtActivation = engine.StartSettings.AutoStart;
    }

    const bool listStored = !FStartPrograms->ListChanged() || FStartPrograms->StoreList();

    // The dial time-out on page 0 is the current connection's (see below);
    // billing interval and fee belong to the connection chosen on page 2.
    if (!account.isEmpty()) {
        const int tact = FConnections->TactIndex();
        if (tact >= 0 && tact != engine.SecondBilling) {
            engine.SecondBilling = tact;
            engine.WriteBilling(account, tact);
        }
        if (feeChanged) {
            engine.TariffText = fee.left(7);
            engine.WriteTariff(account, engine.TariffText);
            FConnections->FeeStored(engine.TariffText);
            // The connection list carries the fee the engine charges by.
            engine.BuildEntriesFromPhonebook();
        }
    }

    engine.WriteSettings();
    engine.WriteStartSettings();
    engine.ApplyCurrentConnection();
    FRemaindTimeAtActivation = engine.DFURec.RemaindTime;
    if (listStored && FHost.LoadStartPrograms)
        FHost.LoadStartPrograms();

    const int timeout = FStartSettings->TimeoutValue();
    if (timeout != engine.Timeout) {
        engine.Timeout = timeout;
        const QString current = CurrentConnectionName();
        if (!current.isEmpty())
            engine.WriteConnTimeout(current, timeout);
        if (QWidget *window = engine.MainWindow()) {
            if (auto *progress = window->findChild<QProgressBar *>(u"WaitProgress"_s))
                progress->setMaximum(timeout);
            if (auto *spin = window->findChild<QSpinBox *>(u"SpinEdit"_s))
                spin->setValue(timeout);
        }
    }

    if (!listStored)
        return false; // the list's change stays pending; its error was shown
    FSettingsChanged = false;
    BtnSaveTake->setEnabled(false);
    return true;
}

void TFormProgStart::UpdateAutostartEntry(bool on)
{
    if (!MessageDialog::Question(
            on ? u"Autostart von Rufwerk einrichten?"_s : u"Autostart von Rufwerk entfernen?"_s, this))
        return;
    QString error;
    if (!Autostart::instance().update(on, &error))
        MessageDialog::Error(error, this);
}

// --- closing ----------------------------------------------------------------

bool TFormProgStart::ConfirmClose()
{
    if (Changed() && MessageDialog::Question(u"Änderungen übernehmen und sichern?"_s, this))
        return TakeOver();
    RestoreUnsaved();
    return true;
}

void TFormProgStart::RestoreUnsaved()
{
    // The reminder interval reaches the engine while it is typed; what was not
    // taken over goes back.
    FEngine->DFURec.RemaindTime = FRemaindTimeAtActivation;
}

bool TFormProgStart::CloseDialog()
{
    if (!ConfirmClose())
        return false;
    done(QDialog::Accepted);
    return true;
}

void TFormProgStart::CancelDialog()
{
    FSettingsChanged = false;
    BtnSaveTake->setEnabled(false);
    RestoreUnsaved();
    done(QDialog::Rejected);
}

void TFormProgStart::reject()
{
    if (ConfirmClose())
        done(QDialog::Rejected);
}

void TFormProgStart::BtnHelpClick()
{
    HelpLink::ShowContext(HelpLink::ContextOf(PageControl->currentWidget()), this);
}
