// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageConnections.h"

#include "DialogTools.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "RASWorkUnit.h"
#include "RadioGroup.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

int ClassifyPremiumNumber(const QString &number)
{
    if (number.size() < 5 || number.startsWith(u'+'))
        return 0;
    const QChar fifth = number.at(4);
    if (fifth < u'0' || fifth > u'9' || !number.contains(u"0190"_s))
        return 0;
    const int digit = fifth.digitValue();
    if (digit == 0)
        return 3;
    return digit <= 6 ? 1 : 2;
}

QString CheckedFeeText(const QString &text, QString *error)
{
    static const QRegularExpression number(u"^[0-9]+([,.][0-9]*)?$"_s);
    const QString fee = text.trimmed();
    if (number.match(fee).hasMatch())
        return QString(fee).replace(u'.', u',');
    if (error)
        *error
            = (fee.isEmpty() ? u"Bitte geben Sie eine Gebühr ein."_s : u"\"%1\" ist keine gültige Gebühr."_s.arg(fee))
            + u"\r\nDie Gebühr wird in €-Cent pro Minute als Zahl ab 0 eingegeben, zum Beispiel 1,860."_s;
    return QString();
}

namespace {

constexpr int ClassCount = 4;

// The class symbols share the colours of the main window's phone number.
QIcon classIcon(int premiumClass)
{
    static const QColor colours[ClassCount] = { QColor(0, 0, 128), QColor(0, 255, 0), Qt::blue, Qt::red };
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = colours[premiumClass];
    if (premiumClass == 0) {
        painter.setPen(QPen(colour, 1.5));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        return QIcon(pixmap);
    }
    painter.setPen(colour.darker(140));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    painter.setPen(QPen(premiumClass == 1 ? Qt::black : Qt::white, 2));
    painter.drawLine(QPointF(8, 4.5), QPointF(8, 9));
    painter.drawPoint(QPointF(8, 11.5));
    return QIcon(pixmap);
}

} // namespace

TPageConnections::TPageConnections(TFormProgStart *dialog)
    : TProgStartPage(dialog, u"TSConnections"_s, 863)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);

    auto *top = new QHBoxLayout;
    top->setSpacing(6);

    auto *selected = new QGroupBox(u"Selektierte Verbindung"_s, this);
    selected->setObjectName(u"GBSelected"_s);
    auto *selectedGrid = new QGridLayout(selected);
    selectedGrid->setSpacing(4);
    auto *btnChange = CreateHintButton(selected, u"BtnChangeDFU"_s, u"Än&dern"_s, QString());
    SetHint(btnChange, u"Selektierte DFÜ-Verbindung ändern"_s);
    auto *btnDelete = CreateHintButton(selected, u"BtnDeleteDFU"_s, u"&Löschen"_s, QString());
    SetHint(btnDelete, u"DFÜ-Verbindung löschen"_s);
    EditAccount = new QLineEdit(selected);
    EditAccount->setObjectName(u"EditAccount"_s);
    EditAccount->setReadOnly(true);
    selectedGrid->addWidget(btnChange, 0, 0);
    selectedGrid->addWidget(btnDelete, 0, 1);
    selectedGrid->addWidget(EditAccount, 1, 0, 1, 2);
    top->addWidget(selected, 3);

    // The blanks centred the first line on the old button; Qt centres each line itself.
    auto *btnNew = CreateHintButton(this, u"BtnNewDFU"_s, u"DFÜ\n&Anlegen"_s, QString());
    btnNew->setMinimumHeight(btnNew->sizeHint().height());
    btnNew->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    top->addWidget(btnNew, 1);

    auto *feeBox = new QGroupBox(u"Gebühr, Takt"_s, this);
    feeBox->setObjectName(u"GBFee"_s);
    auto *feeGrid = new QGridLayout(feeBox);
    feeGrid->setSpacing(4);
    EditCent = new QLineEdit(u"0,000"_s, feeBox);
    EditCent->setObjectName(u"EditCent"_s);
    EditCent->setAlignment(Qt::AlignRight);
    // The current tariff is kept to seven characters; a longer fee would be cut.
    EditCent->setMaxLength(7);
    EditCent->setMaximumWidth(80);
    SetHint(EditCent, u"Gebühr als Cent-Wert eingeben"_s);
    EditCent->installEventFilter(this);
    BtnChangeAcc = CreateHintButton(feeBox, u"BtnChangeAcc"_s, u"Ü&bernehmen"_s, QString());
    SetHint(BtnChangeAcc, u"Änderung übernehmen"_s);
    BtnChangeAcc->setEnabled(false);
    RGTact = new TRadioGroup(u"RGTact"_s, u"Takt"_s, { u"Min"_s, u"Sec"_s }, feeBox);
    SetHint(RGTact, u"Takt, in dem der Provider abrechnet;\r\nMinuten oder Sekunden"_s);
    feeGrid->addWidget(new QLabel(u"€ - Cent pro Minute:"_s, feeBox), 0, 0, 1, 2);
    feeGrid->addWidget(EditCent, 1, 0);
    feeGrid->addWidget(BtnChangeAcc, 1, 1);
    feeGrid->addWidget(RGTact, 0, 2, 2, 1);
    top->addWidget(feeBox, 4);
    column->addLayout(top);

    LVAccounts = new QTableWidget(0, 4, this);
    LVAccounts->setObjectName(u"LVAccounts"_s);
    LVAccounts->setHorizontalHeaderLabels(
        { u"DFÜ-Verbindung"_s, u"Rufnummer"_s, u"Benutzerkonto"_s, u"Gebühr €-Ct"_s });
    LVAccounts->horizontalHeaderItem(3)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LVAccounts->setSelectionBehavior(QAbstractItemView::SelectRows);
    LVAccounts->setSelectionMode(QAbstractItemView::SingleSelection);
    LVAccounts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LVAccounts->setShowGrid(true);
    LVAccounts->setIconSize(QSize(16, 16));
    LVAccounts->verticalHeader()->hide();
    LVAccounts->verticalHeader()->setDefaultSectionSize(LVAccounts->fontMetrics().height() + 6);
    LVAccounts->horizontalHeader()->setSectionsClickable(false);
    LVAccounts->horizontalHeader()->setHighlightSections(false);
    LVAccounts->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int widths[4] = { 145, 125, 135, 85 };
    for (int i = 0; i < 4; ++i)
        LVAccounts->setColumnWidth(i, widths[i]);
    QPalette info = LVAccounts->palette();
    info.setColor(QPalette::Base, info.color(QPalette::ToolTipBase));
    info.setColor(QPalette::Text, info.color(QPalette::ToolTipText));
    LVAccounts->setPalette(info);
    column->addWidget(LVAccounts, 1);

    auto *legend = new QGroupBox(u"Symbolbedeutung bei \"0190-X\" Nummern"_s, this);
    legend->setObjectName(u"GBLegend"_s);
    auto *legendRow = new QHBoxLayout(legend);
    legendRow->setSpacing(4);
    const QString meanings[ClassCount]
        = { u": keine 0190 Nr."_s, u": 0190-1 bis 6"_s, u": 0190-7 bis 9"_s, u": 0190-0"_s };
    for (int i = 0; i < ClassCount; ++i) {
        auto *symbol = new QLabel(legend);
        symbol->setPixmap(classIcon(i).pixmap(16, 16));
        legendRow->addWidget(symbol);
        legendRow->addWidget(new QLabel(meanings[i], legend));
        legendRow->addSpacing(10);
    }
    legendRow->addStretch();
    column->addWidget(legend);

    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    connect(LVAccounts, &QTableWidget::itemSelectionChanged, this, &TPageConnections::rowSelected);
    connect(EditCent, &QLineEdit::textEdited, this, [this] {
        FFeeEdited = true;
        feeEdited();
    });
    connect(RGTact, &TRadioGroup::itemClicked, this, &TPageConnections::feeEdited);
    connect(BtnChangeAcc, &QPushButton::clicked, this, &TPageConnections::BtnChangeAccClick);
    connect(btnNew, &QPushButton::clicked, this, [this] { handOver(u"NewAdvanced"_s, false); });
    connect(btnChange, &QPushButton::clicked, this, [this] { handOver(u"EditAdvanced"_s, true); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { handOver(u"Delete"_s, true); });
}

void TPageConnections::FillControls()
{
    RGTact->SetItemIndex(Dialog->Engine()->SecondBilling);
}

void TPageConnections::PageShown()
{
    // A fee change still waiting for "Übernehmen" keeps its row and text.
    if (!FFilled || !BtnChangeAcc->isEnabled())
        fillList();
}

void TPageConnections::fillList()
{
    FFilled = true;
    const QStringList lines = *Dialog->Engine()->StringList(u"Entries"_s);
    LVAccounts->setUpdatesEnabled(false);
    const QSignalBlocker block(LVAccounts);
    LVAccounts->setRowCount(0);
    LVAccounts->setRowCount(int(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        const TEntryRec entry = Dialog->Engine()->ReadEntry(row);
        const QString cells[4] = { entry.Name, entry.Phone, entry.User, entry.Fee };
        for (int column = 0; column < 4; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            LVAccounts->setItem(row, column, item);
        }
        LVAccounts->item(row, 0)->setIcon(classIcon(ClassifyPremiumNumber(entry.Phone)));
    }
    LVAccounts->setUpdatesEnabled(true);
    FAccountRow = -1;
    const int current = Dialog->CurrentConnectionIndex();
    if (current >= 0 && current < LVAccounts->rowCount()) {
        LVAccounts->setCurrentCell(current, 0);
        LVAccounts->selectRow(current);
    } else {
        LVAccounts->clearSelection();
    }
    rowSelected();
}

void TPageConnections::rowSelected()
{
    const QList<QTableWidgetItem *> selected = LVAccounts->selectedItems();
    if (selected.isEmpty())
        return;
    FAccountRow = selected.first()->row();
    EditAccount->setText(LVAccounts->item(FAccountRow, 0)->text());
    EditCent->setText(AccountFee());
    FFeeEdited = false;
}

QString TPageConnections::Account() const
{
    return EditAccount->text();
}

QString TPageConnections::FeeText() const
{
    return EditCent->text();
}

bool TPageConnections::FeeChanged() const
{
    return FFeeEdited && !Account().isEmpty() && EditCent->text() != AccountFee();
}

QString TPageConnections::AccountFee() const
{
    return FAccountRow >= 0 && FAccountRow < LVAccounts->rowCount() ? LVAccounts->item(FAccountRow, 3)->text()
                                                                    : QString();
}

int TPageConnections::TactIndex() const
{
    return RGTact->ItemIndex();
}

void TPageConnections::FeeStored(const QString &fee)
{
    if (FAccountRow >= 0 && FAccountRow < LVAccounts->rowCount())
        LVAccounts->item(FAccountRow, 3)->setText(fee);
    EditCent->setText(fee);
    FFeeEdited = false;
    BtnChangeAcc->setEnabled(false);
}

void TPageConnections::ShowFee()
{
    Dialog->ShowPage(TFormProgStart::PageConnections);
    EditCent->setFocus();
    EditCent->selectAll();
}

bool TPageConnections::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EditCent && event->type() == QEvent::MouseButtonPress)
        BtnChangeAcc->setEnabled(true);
    return TProgStartPage::eventFilter(watched, event);
}

void TPageConnections::feeEdited()
{
    BtnChangeAcc->setEnabled(true);
    // Also a change the closing question must not let go unasked.
    Dialog->MarkChanged();
}

void TPageConnections::BtnChangeAccClick()
{
    if (FAccountRow < 0)
        return;
    QString error;
    const QString fee = CheckedFeeText(EditCent->text(), &error);
    if (fee.isEmpty()) {
        MessageDialog::Information(error, this);
        EditCent->setFocus();
        return;
    }
    TRASWorkUnit *engine = Dialog->Engine();
    engine->WriteTariff(EditAccount->text(), fee);
    FeeStored(fee);
    engine->BuildEntriesFromPhonebook();
}

bool TPageConnections::PageLeaving()
{
    if (!BtnChangeAcc->isEnabled())
        return true;
    return !MessageDialog::Question(u"Gebührenänderung sichern?"_s, this);
}

void TPageConnections::handOver(const QString &command, bool forAccount)
{
    const QString account = EditAccount->text();
    if (!Dialog->CloseDialog())
        return;
    const TProgStartHost &host = Dialog->Host();
    if (forAccount && (!host.SelectConnection || !host.SelectConnection(account)))
        return;
    QCoreApplication::processEvents();
    if (host.RunCommand)
        host.RunCommand(command);
}
