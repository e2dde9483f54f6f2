// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ConnectionCommands.h"

#include "DialUp.h"
#include "DialUpService.h"
#include "EntryNames.h"
#include "FormMain.h"
#include "FormPassword.h"
#include "FrmConnProp.h"
#include "MessageDialog.h"
#include "RASWorkUnit.h"
#include "Shell.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

ConnectionCommands::InputQuery &inputHook()
{
    static ConnectionCommands::InputQuery hook;
    return hook;
}

bool inputQuery(QWidget *parent, const QString &title, const QString &prompt, QString *value)
{
    if (inputHook())
        return inputHook()(title, prompt, value);
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(*value);
    dialog.setOkButtonText(u"OK"_s);
    dialog.setCancelButtonText(u"Abbrechen"_s);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *value = dialog.textValue();
    return true;
}

const QString AccessFailed = u"Zugriff fehlgeschlagen."_s;
const QString CreateFailed = u"Neue DFÜ-Verbindung konnte nicht angelegt werden."_s;
const QString CloseFirst = u"Aktive DFÜ-Verbindung erst schliessen!"_s;

class TConnectionCommands : public QObject
{
public:
    explicit TConnectionCommands(TFormMain &form)
        : QObject(&form)
        , FForm(form)
        , FEngine(*form.engine)
        , ComboBoxRAS(form.findChild<QComboBox *>(u"ComboBoxRAS"_s))
        , EditUserName(form.findChild<QLineEdit *>(u"EditUserName"_s))
        , EditPassword(form.findChild<QLineEdit *>(u"EditPassword"_s))
    {
    }

    void BtnEditEntryClick();
    void btnCreateEntryClick();
    void ActEditAdvanExecute();
    void ActNewAdvanExecute();
    void ActRenameExecute();
    void ActDeleteExecute();
    void ActPWClearExecute();
    void BtnOnlineHelpClick();

private:
    DialUpService &service() const { return FEngine.RWDialUp->service(); }
    QString selectedName() const { return ComboBoxRAS->currentIndex() >= 0 ? ComboBoxRAS->currentText() : QString(); }
    /// No connection of the program is up or being dialed.
    bool lineIsFree() const
    {
        return FEngine.ConnectionState == Offline || FEngine.ConnectionState == Ended;
    }
    void showChangedList(const QString &name);
    void prepareDialog(TfrmConnProp &dialog, const QString &name, bool editMode);

    TFormMain &FForm;
    TRASWorkUnit &FEngine;
    QComboBox *ComboBoxRAS;
    QLineEdit *EditUserName;
    QLineEdit *EditPassword;
};

// After every change of the phone book: name (a new one is added) or else
// the first connection is selected, the connection list and the selector are
// rebuilt from the book keeping that selection, it becomes current, and the
// module is told.
void TConnectionCommands::showChangedList(const QString &name)
{
    int index = name.isEmpty() ? -1 : ComboBoxRAS->findText(name, Qt::MatchFixedString);
    if (index < 0 && !name.isEmpty()) {
        ComboBoxRAS->addItem(name);
        index = ComboBoxRAS->count() - 1;
    }
    if (index < 0)
        index = ComboBoxRAS->count() > 0 ? 0 : -1;
    ComboBoxRAS->setCurrentIndex(index);
    if (QAction *changed = FForm.findChild<QAction *>(u"ActionEnriesChanged"_s))
        changed->trigger();
}

void TConnectionCommands::prepareDialog(TfrmConnProp &dialog, const QString &name, bool editMode)
{
    dialog.setWindowTitle(u"Verbindungseinstellungen für: ["_s + name + u']');
    dialog.EditMode = editMode;
    dialog.SetConnectionName(name);
}

void TConnectionCommands::BtnEditEntryClick()
{
    if (!lineIsFree()) {
        MessageDialog::Information(CloseFirst, &FForm);
        return;
    }
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    QStringList before;
    service().enumEntries(&before);
    FEngine.RWDialUp->setEntry(name);
    const int result = service().editEntryDialog(&FForm, name);
    if (result == RasError::Cancelled)
        return;
    if (result != RasError::Success) {
        MessageDialog::Information(AccessFailed, &FForm);
        return;
    }
    // The system's dialog may also have renamed the entry: its values follow.
    QString shown = name;
    QStringList after;
    if (service().enumEntries(&after) == RasError::Success && !after.contains(name, Qt::CaseInsensitive)) {
        QStringList added;
        for (const QString &entry : std::as_const(after)) {
            if (!before.contains(entry, Qt::CaseInsensitive))
                added << entry;
        }
        if (added.size() == 1) {
            FEngine.MoveConnValues(name, added.first());
            shown = added.first();
            ComboBoxRAS->setItemText(ComboBoxRAS->currentIndex(), shown);
        }
    }
    showChangedList(shown);
}

void TConnectionCommands::btnCreateEntryClick()
{
    if (!lineIsFree()) {
        MessageDialog::Information(CloseFirst, &FForm);
        return;
    }
    FEngine.RWDialUp->setEntry(selectedName());
    QString created;
    const int result = service().createEntryDialog(&FForm, &created);
    if (result == RasError::Cancelled)
        return;
    if (result != RasError::Success) {
        MessageDialog::Information(CreateFailed, &FForm);
        return;
    }
    showChangedList(created.isEmpty() ? FEngine.DFURec.ServiceStr : created);
    if (ComboBoxRAS->count() == 0)
        return;
    // The fields show what the new entry stores (empty when the system's
    // dialog stored nothing) and stay open for typing; the advanced edit
    // stores them. Emptied fields would wipe stored values at that edit.
    for (QLineEdit *edit : {EditUserName, EditPassword})
        edit->setEnabled(true);
    EditUserName->setFocus();
}

void TConnectionCommands::ActEditAdvanExecute()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    FEngine.RWDialUp->GetEntries();
    FEngine.RWDialUp->setEntry(name);
    RasEntry entry;
    if (service().getEntryProperties(name, &entry) != RasError::Success) {
        MessageDialog::Information(AccessFailed, &FForm);
        return;
    }
    TfrmConnProp dialog(service(), &FForm);
    prepareDialog(dialog, name, true);
    dialog.EntryToDialog(entry);
    dialog.SetFeeText(FEngine.ReadTariff(name));
    dialog.SetCountTact(FEngine.ReadBilling(name));
    dialog.SetUserName(EditUserName->text());
    dialog.SetPassword(EditPassword->text());
    const int result = dialog.Execute();
    if (dialog.RenameRequested()) {
        ActRenameExecute();
        return;
    }
    if (result != QDialog::Accepted)
        return;
    if (!MessageDialog::Question(u"Geänderte Verbindungsdaten sichern: "_s + name + u'?', &FForm))
        return;

    // What another program changed in the entry meanwhile stays: the dialog's
    // fields go into the entry as it is now.
    RasEntry current;
    if (service().getEntryProperties(name, &current) != RasError::Success) {
        MessageDialog::Information(AccessFailed, &FForm);
        showChangedList(name);
        return;
    }
    QString error;
    if (!dialog.DialogToEntry(&current, &error)) {
        MessageDialog::Error(error, &FForm);
        return;
    }
    FEngine.WriteTariff(name, dialog.FeeText());
    FEngine.WriteBilling(name, dialog.CountTact());
    if (service().setEntryProperties(name, current) != RasError::Success) {
        MessageDialog::Information(AccessFailed, &FForm);
        showChangedList(name);
        return;
    }
    if (EditUserName->text() != dialog.UserName())
        EditUserName->setText(dialog.UserName());
    if (EditPassword->text() != dialog.Password())
        EditPassword->setText(dialog.Password());
    RasDialParams params;
    params.entryName = name;
    params.userName = EditUserName->text();
    params.password = EditPassword->text();
    if (service().setEntryDialParams(params, false) != RasError::Success)
        MessageDialog::Information(CreateFailed, &FForm);
    showChangedList(name);
}

void TConnectionCommands::ActNewAdvanExecute()
{
    QString name = u"Neue Verbindung"_s;
    if (!inputQuery(&FForm, u"Verbindungsname"_s, u"Eingeben"_s, &name))
        return;
    TfrmConnProp dialog(service(), &FForm);
    prepareDialog(dialog, name, false);
    dialog.SelectFirstDevice();
    if (dialog.Execute() != QDialog::Accepted)
        return;

    const QString newName = dialog.PendingName();
    const QString problem = EntryNameProblem(service(), newName);
    if (!problem.isEmpty()) {
        MessageDialog::Error(problem, &FForm);
        return;
    }
    RasEntry entry;
    entry.countryId = 0;
    entry.countryCode = 0;
    entry.netProtocols = 0;
    entry.framingProtocol = 0;
    QString error;
    if (!dialog.DialogToEntry(&entry, &error)) {
        MessageDialog::Error(error, &FForm);
        return;
    }
    if (service().setEntryProperties(newName, entry) != RasError::Success) {
        MessageDialog::Information(AccessFailed, &FForm);
        return;
    }
    // Only an entry that exists gets fee and tact: a failed creation leaves
    // no values behind for a name without an entry.
    FEngine.WriteTariff(newName, dialog.FeeText());
    FEngine.WriteBilling(newName, dialog.CountTact());
    RasDialParams params;
    params.entryName = newName;
    params.userName = dialog.UserName();
    params.password = dialog.Password();
    if (service().setEntryDialParams(params, false) != RasError::Success)
        MessageDialog::Information(CreateFailed, &FForm);
    showChangedList(newName);
    EditUserName->setText(dialog.UserName());
    EditPassword->setText(dialog.Password());
}

void TConnectionCommands::ActRenameExecute()
{
    const QString oldName = selectedName();
    if (oldName.isEmpty())
        return;
    const bool wasCurrent = oldName.compare(FEngine.DFURec.ServiceStr, Qt::CaseInsensitive) == 0;
    FEngine.RWDialUp->setEntry(oldName);
    // A refused name is offered again for mending.
    QString newName = oldName;
    for (;;) {
        if (!inputQuery(&FForm, u"DFÜ umbennen"_s, u"Neuer Name"_s, &newName) || newName.isEmpty()
            || newName == oldName)
            return;
        const QString problem = EntryNameProblem(service(), newName, oldName);
        if (problem.isEmpty())
            break;
        MessageDialog::Error(problem, &FForm);
    }
    if (FEngine.RWDialUp->RenameEntry(newName) != RasError::Success) {
        MessageDialog::Information(u"Umbenennung fehlgeschlagen."_s, &FForm);
        return;
    }
    if (wasCurrent)
        FEngine.DFURec.ServiceStr = newName;
    ComboBoxRAS->setItemText(ComboBoxRAS->currentIndex(), newName);
    FEngine.MoveConnValues(oldName, newName);
    showChangedList(newName);
    MessageDialog::Information(u"Wenn Sie Programmen \""_s + oldName + u"\" als DFÜ-Verbindung zugeornet hatten,\r"_s
                                   + u"dann müssen Sie diese Programmen manuell auf \""_s + newName
                                   + u"\" umstellen!"_s,
                               &FForm);
}

void TConnectionCommands::ActDeleteExecute()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    if (!MessageDialog::QuestionDefaultNo(u"DFÜ-Verbindung \""_s + name + u"\" löschen?"_s, &FForm))
        return;
    FEngine.RWDialUp->GetEntries();
    FEngine.RWDialUp->setEntry(name);
    if (FEngine.RWDialUp->DeleteEntry() != RasError::Success) {
        MessageDialog::Information(u"Löschen fehlgeschlagen."_s, &FForm);
        return;
    }
    ComboBoxRAS->removeItem(ComboBoxRAS->currentIndex());
    FEngine.DeleteConnValues(name);
    // The first remaining connection becomes current; none when it was the last.
    showChangedList(QString());
    MessageDialog::Information(u"Wenn Sie Programmen \""_s + name + u"\" als DFÜ-Verbindung zugeornet hatten,\r"_s
                                   + u"dann müssen Sie diesen Programmen manuell eine andere DFÜ-Verbindung zuordnen!"_s,
                               &FForm);
}

void TConnectionCommands::ActPWClearExecute()
{
    const QString typed = TFormPassword::Ask(QString(), &FForm);
    if (typed != EditPassword->text()) {
        MessageDialog::Information(u"Falsches Paßwort eingegeben!"_s, &FForm);
        return;
    }
    EditPassword->setEchoMode(QLineEdit::Normal);
    // The next connection's password is not revealed with this one.
    connect(
        ComboBoxRAS, &QComboBox::currentIndexChanged, EditPassword,
        [edit = EditPassword] { edit->setEchoMode(QLineEdit::Password); }, Qt::SingleShotConnection);
}

void TConnectionCommands::BtnOnlineHelpClick()
{
    if (!MessageDialog::Question(u"Für online DFÜ-Hinweise Webbrowser öffnen?"_s, &FForm))
        return;
    const QString target = ConnectionCommands::OnlineHelpAddress();
    QPointer<TRASWorkUnit> engine(&FEngine);
    if (lineIsFree())
        FEngine.ActionConnect->trigger();
    // The dial runs on in the message loop; the page opens once it has
    // succeeded or failed. A failed dial leaves the progress timer running
    // up to the time-out, which is no reason to wait.
    do {
        QEventLoop wait;
        QTimer::singleShot(100, &wait, &QEventLoop::quit);
        connect(engine, &TRASWorkUnit::connectionStateChanged, &wait, &QEventLoop::quit);
        if (wait.exec() != 0)
            return; // the program ends
    } while (engine && engine->ConnectionState == Dialing && engine->TimerProceed->isActive());
    if (!engine)
        return;
    if (!Shell::instance().open(target))
        MessageDialog::Information(u"Ist ein Web Browser installiert?"_s, &FForm);
}

} // namespace

namespace ConnectionCommands {

QString OnlineHelpAddress()
{
    return u"https://www.kovatek.de/rufwerk/dfue-hinweise.html"_s;
}

void SetInputHook(InputQuery hook)
{
    inputHook() = std::move(hook);
}

} // namespace ConnectionCommands

void InstallConnectionCommands(TFormMain &form)
{
    if (!form.engine)
        return;
    auto *commands = new TConnectionCommands(form);
    const struct
    {
        const char *name;
        void (TConnectionCommands::*run)();
    } table[] = {
        {"EditEntry", &TConnectionCommands::BtnEditEntryClick},
        {"CreateEntry", &TConnectionCommands::btnCreateEntryClick},
        {"EditAdvanced", &TConnectionCommands::ActEditAdvanExecute},
        {"NewAdvanced", &TConnectionCommands::ActNewAdvanExecute},
        {"Rename", &TConnectionCommands::ActRenameExecute},
        {"Delete", &TConnectionCommands::ActDeleteExecute},
        {"PasswordClear", &TConnectionCommands::ActPWClearExecute},
        {"OnlineHelp", &TConnectionCommands::BtnOnlineHelpClick},
    };
    for (const auto &entry : table)
        form.SetCommand(QLatin1String(entry.name), [commands, run = entry.run] { (commands->*run)(); });
}
