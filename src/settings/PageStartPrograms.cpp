// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PageStartPrograms.h"

#include "DialogTools.h"
#include "FormProgStart.h"
#include "HelpLink.h"
#include "MessageDialog.h"
#include "RASWorkUnit.h"
#include "StartProgramList.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int NameLimit = 40;
constexpr int ParamsLimit = 40;
constexpr int LineRole = Qt::UserRole;

QString chooseProgramFile(QWidget *parent, const QString &current)
{
    const QString programs = u"Programm Dateien (*.exe *.com)"_s;
    const QString all = u"Alle Dateien (*)"_s;
#ifdef Q_OS_WIN
    QString selected = programs;
#else
    QString selected = all; // programs here have no extension
#endif
    const QString folder = current.isEmpty() ? QString() : QFileInfo(QString(current).remove(u'"')).absolutePath();
    return QFileDialog::getOpenFileName(parent, u"Startprogramm wählen"_s, folder, programs + u";;"_s + all, &selected);
}

} // namespace

TPageStartPrograms::TPageStartPrograms(TFormProgStart *dialog)
    : TProgStartPage(dialog, u"TSStartPrograms"_s, 862)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(8);

    auto *group = new QGroupBox(u" Startprogramme "_s, this);
    group->setObjectName(u"GBStartProgs"_s);
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);

    EditProgName = new QLineEdit(group);
    EditProgName->setObjectName(u"EditProgName"_s);
    EditProgName->setMaxLength(NameLimit);
    SetHint(EditProgName, u"Bezeichnung des Programmes"_s);
    FilenameEdit = new QLineEdit(group);
    FilenameEdit->setObjectName(u"FilenameEdit"_s);
    SetHint(FilenameEdit, u"Startprogramm-Verzeichnis"_s);
    auto *browse = new QToolButton(group);
    browse->setObjectName(u"FilenameEditBrowse"_s);
    browse->setText(u"..."_s);
    SetHint(browse, u"Startprogramm-Verzeichnis"_s);
    EditParams = new QLineEdit(group);
    EditParams->setObjectName(u"EditParams"_s);
    EditParams->setMaxLength(ParamsLimit);
    SetHint(EditParams, u"Startparameter"_s);

    auto label = [group](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, group);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(u"Programmbezeichnung"_s, EditProgName), 0, 0, 1, 2);
    grid->addWidget(EditProgName, 1, 0, 1, 2);
    grid->addWidget(label(u"Parameter"_s, EditParams), 0, 2);
    grid->addWidget(EditParams, 1, 2);
    grid->addWidget(label(u"Programm-Verzeichnis und -Name"_s, FilenameEdit), 2, 0, 1, 3);
    auto *pathRow = new QHBoxLayout;
    pathRow->setSpacing(2);
    pathRow->addWidget(FilenameEdit, 1);
    pathRow->addWidget(browse);
    grid->addLayout(pathRow, 3, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(2, 2);

    auto button = [group](const char *name, const QString &caption, const QString &hint) {
        QPushButton *b = CreateHintButton(group, QLatin1String(name), MessageDialog::DisplayText(caption), hint);
        SetHint(b, hint);
        b->setAutoDefault(false);
        return b;
    };
    auto *btnNew = button("BtnNewProg", u"&Neu"_s, u"Neueintrag oder Änderung übernehmen"_s);
    BtnInsert = button("BtnInsert", u"&Einfügen"_s, u"Neueintrag oder Änderung übernehmen"_s);
    BtnInsert->setEnabled(false);
    auto *btnDelete = button("BtnDelete", u"&Löschen"_s, u"Programm-Eintrag löschen"_s);
    auto *btnTest = button("BtnTest", u"&Testen"_s, u"Selektiertes Programm aufrufen"_s);
    auto *btnHelp = button("BtnStartHelp", u"&Hilfe"_s, u"Hilfe aufrufen"_s);
    BtnRemove
        = button("BtnRemove", u"Version 5.x\r\nEnt&fernen"_s, u"Einträge aus Rufwerk,\r\nVersion 5.x entfernen"_s);
    auto *buttons = new QGridLayout;
    buttons->setSpacing(4);
    buttons->addWidget(btnNew, 0, 0);
    buttons->addWidget(BtnInsert, 0, 1);
    buttons->addWidget(btnDelete, 1, 0);
    buttons->addWidget(btnTest, 1, 1);
    buttons->addWidget(btnHelp, 2, 0);
    buttons->addWidget(BtnRemove, 2, 1, 2, 1);
    buttons->setRowStretch(3, 1);
    grid->addLayout(buttons, 0, 3, 4, 1);
    column->addWidget(group);

    ListBoxStarts = new QTableWidget(0, 3, this);
    ListBoxStarts->setObjectName(u"ListBoxStarts"_s);
    ListBoxStarts->setHorizontalHeaderLabels({ u"Programmbezeichnung"_s, u"Programmverzeichnis"_s, u"Parameter"_s });
    ListBoxStarts->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListBoxStarts->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBoxStarts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBoxStarts->setShowGrid(true);
    ListBoxStarts->verticalHeader()->hide();
    ListBoxStarts->verticalHeader()->setDefaultSectionSize(ListBoxStarts->fontMetrics().height() + 6);
    ListBoxStarts->horizontalHeader()->setSectionsClickable(false);
    ListBoxStarts->horizontalHeader()->setHighlightSections(false);
    ListBoxStarts->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ListBoxStarts->horizontalHeader()->setStretchLastSection(true);
    // At least as wide as the caption, which is longer than the old width in today's fonts.
    ListBoxStarts->setColumnWidth(
        0, qMax(125, ListBoxStarts->fontMetrics().horizontalAdvance(u"Programmbezeichnung"_s) + 12));
    ListBoxStarts->setColumnWidth(1, 300);
    ListBoxStarts->setColumnWidth(2, 66);
    QPalette info = ListBoxStarts->palette();
    info.setColor(QPalette::Base, info.color(QPalette::ToolTipBase));
    info.setColor(QPalette::Text, info.color(QPalette::ToolTipText));
    ListBoxStarts->setPalette(info);
    column->addWidget(ListBoxStarts, 1);

    // The lines of the main window's list, one entry chosen from the start.
    const QStringList *lines = Dialog->Engine()->StringList(u"StartProgs"_s);
    for (const QString &line : *lines)
        addRow(ListBoxStarts->rowCount(), line);
    const int preselect = Dialog->CurrentConnectionIndex();
    selectRow(preselect >= 0 && preselect < ListBoxStarts->rowCount() ? preselect : 0);

    connect(ListBoxStarts, &QTableWidget::itemSelectionChanged, this, &TPageStartPrograms::fillFields);
    connect(ListBoxStarts, &QTableWidget::cellDoubleClicked, this, &TPageStartPrograms::BtnTestClick);
    connect(FilenameEdit, &QLineEdit::textChanged, this, &TPageStartPrograms::FilenameEditChange);
    connect(EditProgName, &QLineEdit::textEdited, this, [this] {
        FNameEdited = true;
        updateInsert();
    });
    connect(FilenameEdit, &QLineEdit::textEdited, this, [this] { FPathEdited = true; });
    connect(EditParams, &QLineEdit::textEdited, this, [this] {
        FParamsEdited = true;
        updateInsert();
    });
    connect(browse, &QToolButton::clicked, this, &TPageStartPrograms::BtnBrowseClick);
    connect(btnNew, &QPushButton::clicked, this, &TPageStartPrograms::BtnNewProgClick);
    connect(BtnInsert, &QPushButton::clicked, this, &TPageStartPrograms::BtnInsertClick);
    connect(btnDelete, &QPushButton::clicked, this, &TPageStartPrograms::BtnDeleteClick);
    connect(btnTest, &QPushButton::clicked, this, &TPageStartPrograms::BtnTestClick);
    connect(btnHelp, &QPushButton::clicked, this, [this] { HelpLink::ShowContext(862, this); });
    connect(BtnRemove, &QPushButton::clicked, this, &TPageStartPrograms::BtnRemoveClick);
}

void TPageStartPrograms::FillControls()
{
    BtnRemove->setVisible(Dialog->Engine()->StartSettings.Altruf5Progs);
    fillFields();
    BtnInsert->setEnabled(false);
}

void TPageStartPrograms::addRow(int row, const QString &line)
{
    ListBoxStarts->insertRow(row);
    const TStartProgram program = TStartProgram::EditorFields(line);
    const QString cells[3] = { program.Name, program.Path, program.Parameters };
    for (int column = 0; column < 3; ++column) {
        auto *item = new QTableWidgetItem(cells[column]);
        item->setData(LineRole, line);
        ListBoxStarts->setItem(row, column, item);
    }
}

void TPageStartPrograms::selectRow(int row)
{
    if (row < 0 || row >= ListBoxStarts->rowCount()) {
        ListBoxStarts->clearSelection();
        return;
    }
    ListBoxStarts->setCurrentCell(row, 0);
    ListBoxStarts->selectRow(row);
}

QStringList TPageStartPrograms::Lines() const
{
    QStringList lines;
    for (int row = 0; row < ListBoxStarts->rowCount(); ++row)
        lines << ListBoxStarts->item(row, 0)->data(LineRole).toString();
    return lines;
}

bool TPageStartPrograms::ListChanged() const
{
    return BtnInsert->isEnabled();
}

void TPageStartPrograms::fillFields()
{
    const QList<QTableWidgetItem *> selected = ListBoxStarts->selectedItems();
    if (selected.isEmpty())
        return;
    const TStartProgram program = TStartProgram::EditorFields(selected.first()->data(LineRole).toString());
    EditProgName->setText(program.Name);
    FilenameEdit->setText(program.Path);
    EditParams->setText(program.Parameters);
    FNameEdited = FPathEdited = FParamsEdited = false;
}

void TPageStartPrograms::updateInsert()
{
    const bool name = FNameEdited && !EditProgName->text().isEmpty();
    const bool path = FPathEdited && !FilenameEdit->text().isEmpty();
    BtnInsert->setEnabled((name && path) || FParamsEdited);
}

void TPageStartPrograms::FilenameEditChange()
{
    if (Dialog->Loading())
        return;
    BtnInsert->setEnabled(true);
    Dialog->MarkStartProgramsChanged();
}

void TPageStartPrograms::BtnBrowseClick()
{
    const QString file
        = ChooseFile ? ChooseFile(this, FilenameEdit->text()) : chooseProgramFile(this, FilenameEdit->text());
    if (file.isEmpty())
        return;
    FilenameEdit->setText(QDir::toNativeSeparators(file));
    FPathEdited = true;
}

void TPageStartPrograms::BtnNewProgClick()
{
    EditProgName->clear();
    FilenameEdit->clear();
    EditParams->clear();
}

void TPageStartPrograms::BtnInsertClick()
{
    const TStartProgram program { EditProgName->text(), FilenameEdit->text(), EditParams->text() };
    const QString refused = program.FieldError();
    if (!refused.isEmpty()) {
        MessageDialog::Information(refused, this);
        (program.Name.contains(u';') ? EditProgName : FilenameEdit)->setFocus();
        return;
    }
    int found = -1;
    for (int row = 0; row < ListBoxStarts->rowCount() && found < 0; ++row) {
        if (ListBoxStarts->item(row, 0)->text() == program.Name)
            found = row;
    }
    if (found < 0) {
        addRow(ListBoxStarts->rowCount(), program.Line());
    } else {
        ListBoxStarts->removeRow(found);
        addRow(found, program.Line());
        selectRow(found);
        fillFields();
    }
    if (!StoreList())
        return; // stays pending for the next try
    BtnInsert->setEnabled(false);
    Dialog->StartProgramsStored();
}

bool TPageStartPrograms::StoreList()
{
    const QStringList lines = Lines();
    *Dialog->Engine()->StringList(u"StartProgs"_s) = lines;
    QString error;
    if (!StartProgramList::Save(lines, &error)) {
        MessageDialog::Error(error, this);
        return false;
    }
    if (Dialog->Host().LoadStartPrograms)
        Dialog->Host().LoadStartPrograms();
    return true;
}

void TPageStartPrograms::BtnDeleteClick()
{
    const QList<QTableWidgetItem *> selected = ListBoxStarts->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = selected.first()->row();
    ListBoxStarts->removeRow(row);
    BtnNewProgClick();
    selectRow(qMax(0, row - 1));
    fillFields();
    // The removal is stored with the next "&Einfügen" or take-over.
    BtnInsert->setEnabled(true);
    Dialog->MarkStartProgramsChanged();
}

void TPageStartPrograms::BtnTestClick()
{
    const QString path = FilenameEdit->text();
    if (path.isEmpty())
        return;
    const QString file = QString(path).remove(u'"');
    if (!QFileInfo::exists(file)) {
        MessageDialog::Information(path + u": nicht gefunden"_s, this);
        return;
    }
    if (Dialog->Host().OpenFavorite)
        Dialog->Host().OpenFavorite(file);
}

void TPageStartPrograms::BtnRemoveClick()
{
    TRASWorkUnit *engine = Dialog->Engine();
    StartProgramList::RemoveVersion5(engine->Store());
    // The take-over writes every start setting: it must not bring the import back.
    engine->StartSettings.Altruf5Progs = false;
    BtnRemove->hide();
}
