// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "ConnectionCommands.h"
#include "EngineSettings.h"
#include "FakeDialUpService.h"
#include "FakeShell.h"
#include "Folders.h"
#include "FormMain.h"
#include "FormPassword.h"
#include "FrmConnProp.h"
#include "MessageDialog.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QLabel>

using namespace Qt::StringLiterals;

// The connection commands of the main window on a fake phone book, without a
// connection module.
class TestConnectionCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        TFormMain::TrayAvailable = [] { return true; };
        TFormMain::FavoritesOffered = [] { return true; };
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_home->path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home->filePath(u"registry.reg"_s)));
        m_fake = std::make_unique<FakeDialUpService>();
        m_fake->addEntry(u"Netzwerk Nord"_s, u"0301234"_s);
        m_fake->setDialParams(u"Netzwerk Nord"_s, u"nord"_s, u"Geheim"_s);
        m_fake->addEntry(u"Callnet Flat"_s, u"0800111"_s);
        m_fake->addEntry(u"Sparruf Süd"_s, u"0190333"_s);
        store().writeString(RegKey::Ras(), u"ServiceStr"_s, u"Netzwerk Nord"_s);
        ConnectionValues::WriteTariff(store(), u"Netzwerk Nord"_s, u"2,500"_s);
        ConnectionValues::WriteConnTimeout(store(), u"Netzwerk Nord"_s, 90);
        ConnectionValues::WriteBilling(store(), u"Netzwerk Nord"_s, 1);
        ConnectionValues::WriteTariff(store(), u"Callnet Flat"_s, u"1,000"_s);

        m_messages.clear();
        m_answers.clear();
        MessageDialog::SetHook([this](MessageDialog::Kind kind, const QString &text) {
            // The missing module is announced at every reload; it is not what these tests look at.
            if (!text.startsWith(u"DFÜ-Modul nicht gefunden"_s))
                m_messages << text;
            return (kind == MessageDialog::Kind::Question || kind == MessageDialog::Kind::QuestionDefaultNo)
                && !m_answers.isEmpty() && m_answers.takeFirst();
        });
        m_inputs.clear();
        m_queries.clear();
        ConnectionCommands::SetInputHook([this](const QString &title, const QString &prompt, QString *value) {
            m_queries << title + u'|' + prompt + u'|' + *value;
            if (m_inputs.isEmpty())
                return false;
            const QString answer = m_inputs.takeFirst();
            if (answer == u"<Abbruch>"_s)
                return false;
            *value = answer;
            return true;
        });
        auto shell = std::make_unique<FakeShell>();
        m_shell = shell.get();
        Shell::setInstance(std::move(shell));

        m_form = std::make_unique<TFormMain>();
        m_form->CreateEngine(m_fake.get());
        m_engine = m_form->engine;
        m_fake->calls.clear();
    }

    void cleanup()
    {
        m_form.reset();
        MessageDialog::SetHook(nullptr);
        ConnectionCommands::SetInputHook(nullptr);
        TfrmConnProp::ExecHook = nullptr;
        TFormPassword::SetHook(nullptr);
        Shell::setInstance(nullptr);
    }

    void everyCommandIsBuilt()
    {
        for (const char *name :
             {"EditEntry", "CreateEntry", "EditAdvanced", "NewAdvanced", "Rename", "Delete", "PasswordClear", "OnlineHelp"})
            QVERIFY2(m_form->HasCommand(QLatin1String(name)), name);
    }

    // Cancel returns the old name; nothing happens for it, an empty or the same name.
    void renameWithoutANewName_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("Cancel") << u"<Abbruch>"_s;
        QTest::newRow("empty") << QString();
        QTest::newRow("the same name") << u"Netzwerk Nord"_s;
    }

    void renameWithoutANewName()
    {
        QFETCH(QString, answer);
        m_inputs << answer;
        const QStringList entries = entryLines();
        m_form->RunCommand(u"Rename"_s);
        QCOMPARE(m_queries, QStringList{u"DFÜ umbennen|Neuer Name|Netzwerk Nord"_s});
        QCOMPARE(m_messages, QStringList());
        QVERIFY(!m_fake->calls.join(u'\n').contains(u"renameEntry"_s));
        QCOMPARE(m_fake->entryNames(), (QStringList{u"Netzwerk Nord"_s, u"Callnet Flat"_s, u"Sparruf Süd"_s}));
        QCOMPARE(entryLines(), entries);
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), u"2,500"_s);
    }

    void renameOfTheCurrentConnectionKeepsItsValues_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::newRow("new name") << u"Netz Nord"_s;
        QTest::newRow("only the letter case") << u"NETZWERK NORD"_s;
    }

    void renameOfTheCurrentConnectionKeepsItsValues()
    {
        QFETCH(QString, newName);
        m_inputs << newName;
        m_form->RunCommand(u"Rename"_s);
        QCOMPARE(m_fake->entryNames(), (QStringList{newName, u"Callnet Flat"_s, u"Sparruf Süd"_s}));
        QCOMPARE(m_engine->DFURec.ServiceStr, newName);
        QCOMPARE(store().readString(RegKey::Ras(), u"ServiceStr"_s), newName);
        QCOMPARE(combo()->currentText(), newName);
        QCOMPARE(ConnectionValues::ReadTariff(store(), newName), u"2,500"_s);
        QCOMPARE(ConnectionValues::ReadConnTimeout(store(), newName), 90);
        QCOMPARE(ConnectionValues::ReadBilling(store(), newName), 1);
        if (newName.compare(u"Netzwerk Nord"_s, Qt::CaseInsensitive) != 0) {
            QVERIFY(!store().hasValue(RegKey::Tariff(), u"Netzwerk Nord"_s));
            QVERIFY(!store().hasValue(RegKey::ConnTimeout(), u"Netzwerk Nord"_s));
            QVERIFY(!store().hasValue(RegKey::Billing(), u"Netzwerk Nord"_s));
        }
        QCOMPARE(entryLines().first(), newName + u";0301234;nord;2,500;Geheim"_s);
        QCOMPARE(m_engine->TariffText, u"2,500"_s);
        QCOMPARE(m_messages,
                 QStringList{u"Wenn Sie Programmen \"Netzwerk Nord\" als DFÜ-Verbindung zugeornet hatten,\r"
                             "dann müssen Sie diese Programmen manuell auf \""_s
                             + newName + u"\" umstellen!"_s});
        checkConsistent();
    }

    void renameOfAnotherConnectionMakesItCurrent()
    {
        selectConnection(u"Callnet Flat"_s);
        // Left behind by an earlier connection of the new name: not this one's.
        ConnectionValues::WriteBilling(store(), u"Callnet Neu"_s, 1);
        m_inputs << u"Callnet Neu"_s;
        m_form->RunCommand(u"Rename"_s);
        QCOMPARE(m_engine->DFURec.ServiceStr, u"Callnet Neu"_s);
        QCOMPARE(m_engine->TariffText, u"1,000"_s);
        QCOMPARE(m_engine->SecondBilling, 0);
        QVERIFY(!store().hasValue(RegKey::Billing(), u"Callnet Neu"_s));
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), u"2,500"_s);
        checkConsistent();
    }

    void renameRefusesUnusableNames_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("message");
        QTest::newRow("semicolon") << u"Nord;2"_s << u"Der Name „Nord;2“ darf kein Semikolon „;“ enthalten."_s;
        QTest::newRow("another entry's name")
            << u"callnet flat"_s << u"Eine DFÜ-Verbindung „callnet flat“ gibt es bereits.\rBitte einen anderen Namen wählen."_s;
        QTest::newRow("blank in front") << u" Nord"_s << u"Der Name „ Nord“ darf nicht mit einem Leerzeichen beginnen oder enden."_s;
        QTest::newRow("tab") << u"Netz\tNord"_s << u"Der Name darf keine Steuerzeichen wie Tabulator oder Zeilenumbruch enthalten."_s;
        QTest::newRow("too long") << QString(300, u'x') << u"Der Name ist zu lang: höchstens 256 Zeichen.\r(Eingegeben: 300 Zeichen)"_s;
    }

    void renameRefusesUnusableNames()
    {
        QFETCH(QString, newName);
        m_inputs << newName;
        m_form->RunCommand(u"Rename"_s);
        QTEST(m_messages.join(u'\n'), "message");
        QCOMPARE(m_queries.size(), 2); // asked again with the refused name, then cancelled
        QCOMPARE(m_queries.last(), u"DFÜ umbennen|Neuer Name|"_s + newName);
        QVERIFY(!m_fake->calls.join(u'\n').contains(u"renameEntry"_s));
        QCOMPARE(m_fake->entryNames().first(), u"Netzwerk Nord"_s);
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), u"2,500"_s);
        QCOMPARE(m_engine->DFURec.ServiceStr, u"Netzwerk Nord"_s);
    }

    void failedRenameChangesNothing()
    {
        m_fake->setFailure(FakeDialUpService::Call::RenameEntry, RasError::CannotWritePhonebook);
        m_inputs << u"Netz Nord"_s;
        m_form->RunCommand(u"Rename"_s);
        QCOMPARE(m_messages, QStringList{u"Umbenennung fehlgeschlagen."_s});
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), u"2,500"_s);
        QVERIFY(!store().hasValue(RegKey::Tariff(), u"Netz Nord"_s));
        QCOMPARE(m_engine->DFURec.ServiceStr, u"Netzwerk Nord"_s);
        checkConsistent();
    }

    void deleteAnsweredNoChangesNothing()
    {
        m_answers << false;
        const QStringList entries = entryLines();
        m_form->RunCommand(u"Delete"_s);
        QCOMPARE(m_messages, QStringList{u"DFÜ-Verbindung \"Netzwerk Nord\" löschen?"_s});
        QCOMPARE(m_fake->entryNames().size(), 3);
        QCOMPARE(entryLines(), entries);
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), u"2,500"_s);
    }

    void deleteRemovesEntryAndValues()
    {
        m_answers << true;
        m_form->RunCommand(u"Delete"_s);
        QCOMPARE(m_fake->entryNames(), (QStringList{u"Callnet Flat"_s, u"Sparruf Süd"_s}));
        for (const QString &key : {RegKey::Tariff(), RegKey::ConnTimeout(), RegKey::Billing()})
            QVERIFY(!store().hasValue(key, u"Netzwerk Nord"_s));
        QCOMPARE(m_engine->DFURec.ServiceStr, u"Callnet Flat"_s);
        QCOMPARE(store().readString(RegKey::Ras(), u"ServiceStr"_s), u"Callnet Flat"_s);
        QCOMPARE(m_engine->TariffText, u"1,000"_s);
        QCOMPARE(m_messages.last(),
                 u"Wenn Sie Programmen \"Netzwerk Nord\" als DFÜ-Verbindung zugeornet hatten,\r"
                 "dann müssen Sie diesen Programmen manuell eine andere DFÜ-Verbindung zuordnen!"_s);
        checkConsistent();
    }

    void deleteOfTheLastConnection()
    {
        m_fake->entries.remove(1, 2);
        m_engine->BuildEntriesFromPhonebook();
        m_answers << true;
        m_form->RunCommand(u"Delete"_s);
        QVERIFY(m_fake->entries.isEmpty());
        QCOMPARE(combo()->count(), 0);
        QCOMPARE(combo()->currentIndex(), -1);
        QCOMPARE(m_engine->DFURec.ServiceStr, QString());
        QCOMPARE(store().readString(RegKey::Ras(), u"ServiceStr"_s, u"-"_s), QString());
        QVERIFY(entryLines().isEmpty());
        QVERIFY(control<QLineEdit>("EditUserName")->text().isEmpty());
        // With nothing selected the commands do nothing.
        m_messages.clear();
        for (const char *command : {"Delete", "Rename", "EditAdvanced"})
            m_form->RunCommand(QLatin1String(command));
        QCOMPARE(m_messages, QStringList());
        QVERIFY(m_queries.isEmpty());
    }

    void failedDeleteChangesNothing()
    {
        m_fake->setFailure(FakeDialUpService::Call::DeleteEntry, RasError::CannotWritePhonebook);
        m_answers << true;
        m_form->RunCommand(u"Delete"_s);
        QCOMPARE(m_messages.last(), u"Löschen fehlgeschlagen."_s);
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), u"2,500"_s);
        QCOMPARE(combo()->count(), 3);
        checkConsistent();
    }

    void deleteQuestionDefaultsToNo()
    {
        MessageDialog::SetHook(nullptr);
        QString defaultButton;
        QTimer::singleShot(50, this, [&defaultButton] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return); // a stray Enter
        });
        m_form->RunCommand(u"Delete"_s);
        QCOMPARE(defaultButton, u"&Nein"_s);
        QCOMPARE(m_fake->entryNames().size(), 3);
    }

    void advancedCreateCancelledWritesNothing_data()
    {
        QTest::addColumn<bool>("cancelQuery");
        QTest::newRow("Cancel in the name query") << true;
        QTest::newRow("Cancel in the dialog") << false;
    }

    void advancedCreateCancelledWritesNothing()
    {
        QFETCH(bool, cancelQuery);
        m_inputs << (cancelQuery ? u"<Abbruch>"_s : u"Neu"_s);
        bool shown = false;
        onDialog([&shown](TfrmConnProp &dialog) {
            shown = true;
            dialog.findChild<QLineEdit *>(u"txtPhoneNumber"_s)->setText(u"0301"_s);
            dialog.findChild<QPushButton *>(u"BtnCancel"_s)->click();
        });
        const QByteArray registry = readRegistry();
        m_form->RunCommand(u"NewAdvanced"_s);
        QCOMPARE(m_queries, QStringList{u"Verbindungsname|Eingeben|Neue Verbindung"_s});
        QCOMPARE(shown, !cancelQuery);
        QCOMPARE(m_fake->entryNames().size(), 3);
        QCOMPARE(readRegistry(), registry);
        QCOMPARE(m_messages, QStringList());
    }

    void advancedCreate()
    {
        m_inputs << u"Funk West"_s;
        onDialog([](TfrmConnProp &dialog) {
            QCOMPARE(dialog.windowTitle(), u"Verbindungseinstellungen für: [Funk West]"_s);
            QCOMPARE(dialog.findChild<QComboBox *>(u"cboDevice"_s)->currentIndex(), 0);
            dialog.findChild<QLineEdit *>(u"EditRASName"_s)->setText(u"Funk Westen"_s);
            Q_EMIT dialog.findChild<QLineEdit *>(u"EditRASName"_s)->editingFinished();
            dialog.findChild<QLineEdit *>(u"txtPhoneNumber"_s)->setText(u"0307777"_s);
            dialog.findChild<QLineEdit *>(u"Edit_UserName"_s)->setText(u"west"_s);
            dialog.findChild<QLineEdit *>(u"Edit_Password"_s)->setText(u"Wind"_s);
            dialog.SetFeeText(u"1,25"_s);
            dialog.SetCountTact(1);
            pressOk(dialog);
        });
        m_form->RunCommand(u"NewAdvanced"_s);
        QCOMPARE(m_messages, QStringList());
        const FakeDialUpService::Entry *created = m_fake->entry(u"Funk Westen"_s);
        QVERIFY(created);
        QCOMPARE(created->properties.localPhoneNumber, u"0307777"_s);
        QCOMPARE(created->properties.countryId, 0u); // a zeroed record, codes not used
        QCOMPARE(created->properties.deviceName, u"Standardmodem"_s);
        QCOMPARE(created->params.userName, u"west"_s);
        QCOMPARE(created->params.password, u"Wind"_s);
        QVERIFY(created->passwordStored);
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Funk Westen"_s), u"1,250"_s);
        QCOMPARE(ConnectionValues::ReadBilling(store(), u"Funk Westen"_s), 1);
        QCOMPARE(combo()->currentText(), u"Funk Westen"_s);
        QCOMPARE(m_engine->DFURec.ServiceStr, u"Funk Westen"_s);
        QCOMPARE(m_engine->SecondBilling, 1);
        QCOMPARE(control<QLineEdit>("EditUserName")->text(), u"west"_s);
        QCOMPARE(entryLines().last(), u"Funk Westen;0307777;west;1,250;Wind"_s);
        checkConsistent();
    }

    void failedCreationLeavesNoValues()
    {
        m_fake->setFailure(FakeDialUpService::Call::SetEntryProperties, RasError::CannotWritePhonebook);
        m_inputs << u"Funk West"_s;
        onDialog([](TfrmConnProp &dialog) {
            dialog.SetFeeText(u"9"_s);
            pressOk(dialog);
        });
        m_form->RunCommand(u"NewAdvanced"_s);
        QCOMPARE(m_messages, QStringList{u"Zugriff fehlgeschlagen."_s});
        for (const QString &key : {RegKey::Tariff(), RegKey::ConnTimeout(), RegKey::Billing()})
            QVERIFY(!store().hasValue(key, u"Funk West"_s));
        QCOMPARE(combo()->count(), 3);
        checkConsistent();
    }

    void advancedEditAnsweredNoKeepsEverything()
    {
        m_answers << false;
        onDialog([](TfrmConnProp &dialog) {
            dialog.findChild<QLineEdit *>(u"txtPhoneNumber"_s)->setText(u"0309999"_s);
            dialog.SetFeeText(u"7"_s);
            pressOk(dialog);
        });
        const QByteArray registry = readRegistry();
        m_form->RunCommand(u"EditAdvanced"_s);
        QCOMPARE(m_messages, QStringList{u"Geänderte Verbindungsdaten sichern: Netzwerk Nord?"_s});
        QCOMPARE(m_fake->entry(u"Netzwerk Nord"_s)->properties.localPhoneNumber, u"0301234"_s);
        QCOMPARE(readRegistry(), registry);
    }

    void advancedEditStoresAndKeepsOtherChanges()
    {
        m_answers << true;
        onDialog([this](TfrmConnProp &dialog) {
            QCOMPARE(dialog.windowTitle(), u"Verbindungseinstellungen für: [Netzwerk Nord]"_s);
            QCOMPARE(dialog.FeeText(), u"2,500"_s);
            QCOMPARE(dialog.CountTact(), 1);
            QCOMPARE(dialog.UserName(), u"nord"_s);
            QCOMPARE(dialog.Password(), u"Geheim"_s);
            QCOMPARE(dialog.findChild<QLineEdit *>(u"txtPhoneNumber"_s)->text(), u"0301234"_s);
            dialog.findChild<QLineEdit *>(u"txtPhoneNumber"_s)->setText(u"0309999"_s);
            dialog.findChild<QLineEdit *>(u"Edit_UserName"_s)->setText(u"nord2"_s);
            dialog.SetFeeText(u"3"_s);
            dialog.SetCountTact(0);
            // Meanwhile another program changes what the dialog does not show.
            m_fake->entry(u"Netzwerk Nord"_s)->properties.passThrough.insert(u"SimBusy"_s, u"1"_s);
            pressOk(dialog);
        });
        m_form->RunCommand(u"EditAdvanced"_s);
        const FakeDialUpService::Entry *entry = m_fake->entry(u"Netzwerk Nord"_s);
        QCOMPARE(entry->properties.localPhoneNumber, u"0309999"_s);
        QCOMPARE(entry->properties.passThrough.value(u"SimBusy"_s), u"1"_s);
        QCOMPARE(entry->params.userName, u"nord2"_s);
        QCOMPARE(entry->params.password, u"Geheim"_s);
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), u"3,000"_s);
        QCOMPARE(ConnectionValues::ReadBilling(store(), u"Netzwerk Nord"_s), 0);
        QCOMPARE(m_engine->TariffText, u"3,000"_s);
        QCOMPARE(m_engine->SecondBilling, 0);
        QCOMPARE(entryLines().first(), u"Netzwerk Nord;0309999;nord2;3,000;Geheim"_s);
        checkConsistent();
    }

    void advancedEditFailures_data()
    {
        QTest::addColumn<int>("call");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("fee"); // stored afterwards
        QTest::newRow("reading the entry") << int(FakeDialUpService::Call::GetEntryProperties)
                                           << u"Zugriff fehlgeschlagen."_s << u"2,500"_s;
        // Fee and tact are stored before the entry is written and stay.
        QTest::newRow("writing the entry") << int(FakeDialUpService::Call::SetEntryProperties)
                                           << u"Zugriff fehlgeschlagen."_s << u"4,000"_s;
        QTest::newRow("storing the dial parameters") << int(FakeDialUpService::Call::SetEntryDialParams)
                                                     << u"Neue DFÜ-Verbindung konnte nicht angelegt werden."_s
                                                     << u"4,000"_s;
    }

    void advancedEditFailures()
    {
        QFETCH(int, call);
        m_fake->setFailure(FakeDialUpService::Call(call), RasError::CannotWritePhonebook);
        m_answers << true;
        onDialog([](TfrmConnProp &dialog) {
            dialog.SetFeeText(u"4"_s);
            pressOk(dialog);
        });
        m_form->RunCommand(u"EditAdvanced"_s);
        QFETCH(QString, message);
        QCOMPARE(m_messages.last(), message);
        QTEST(ConnectionValues::ReadTariff(store(), u"Netzwerk Nord"_s), "fee");
        m_fake->clearFailures();
        checkConsistent();
    }

    void renameButtonOfTheDialogRenames()
    {
        m_inputs << u"Netz Nord"_s;
        onDialog([](TfrmConnProp &dialog) {
            dialog.findChild<QToolButton *>(u"SPChange"_s)->click();
        });
        m_form->RunCommand(u"EditAdvanced"_s);
        QCOMPARE(m_queries, QStringList{u"DFÜ umbennen|Neuer Name|Netzwerk Nord"_s});
        QCOMPARE(m_fake->entryNames().first(), u"Netz Nord"_s);
    }

    void standardCommandsNeedAFreeLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("refused");
        for (const char *command : {"EditEntry", "CreateEntry"}) {
            QTest::addRow("%s online", command) << QString::fromLatin1(command) << int(Online) << true;
            QTest::addRow("%s dialing", command) << QString::fromLatin1(command) << int(Dialing) << true;
            QTest::addRow("%s external", command) << QString::fromLatin1(command) << int(ExternalOnline) << true;
            QTest::addRow("%s after a call", command) << QString::fromLatin1(command) << int(Ended) << false;
        }
    }

    void standardCommandsNeedAFreeLine()
    {
        QFETCH(QString, command);
        QFETCH(int, state);
        QFETCH(bool, refused);
        m_engine->ConnectionState = state;
        m_fake->dialogResult = RasError::Cancelled;
        m_form->RunCommand(command);
        QCOMPARE(m_messages, refused ? QStringList{u"Aktive DFÜ-Verbindung erst schliessen!"_s} : QStringList());
        QCOMPARE(m_fake->calls.join(u'\n').contains(u"EntryDialog"_s), !refused);
        m_engine->ConnectionState = Offline;
    }

    void standardEdit()
    {
        m_fake->entry(u"Netzwerk Nord"_s)->properties.localPhoneNumber = u"0305555"_s; // what the dialog changes
        m_form->RunCommand(u"EditEntry"_s);
        QVERIFY(m_fake->calls.contains(u"editEntryDialog Netzwerk Nord"_s));
        QCOMPARE(m_fake->lastDialogOwner, static_cast<QObject *>(m_form.get()));
        QCOMPARE(control<QLabel>("LblTelNum")->text(), u"0305555"_s);
        QCOMPARE(entryLines().first(), u"Netzwerk Nord;0305555;nord;2,500;Geheim"_s);
        QCOMPARE(m_messages, QStringList());

        m_fake->setFailure(FakeDialUpService::Call::EditEntryDialog, RasError::CannotOpenPhonebook);
        m_form->RunCommand(u"EditEntry"_s);
        QCOMPARE(m_messages, QStringList{u"Zugriff fehlgeschlagen."_s});
        m_fake->setFailure(FakeDialUpService::Call::EditEntryDialog, RasError::Cancelled);
        m_form->RunCommand(u"EditEntry"_s);
        QCOMPARE(m_messages.size(), 1); // Cancel is no failure
    }

    void standardEditThatRenames()
    {
        m_fake->setEntryDialogHook([this](QObject *, const QString &name, QString *) {
            m_fake->entry(name)->name = u"Netz Nord"_s;
            return int(RasError::Success);
        });
        m_form->RunCommand(u"EditEntry"_s);
        QCOMPARE(combo()->currentText(), u"Netz Nord"_s);
        QCOMPARE(ConnectionValues::ReadTariff(store(), u"Netz Nord"_s), u"2,500"_s);
        QVERIFY(!store().hasValue(RegKey::Tariff(), u"Netzwerk Nord"_s));
        QCOMPARE(m_engine->DFURec.ServiceStr, u"Netz Nord"_s);
        checkConsistent();
    }

    void standardCreate()
    {
        auto *user = control<QLineEdit>("EditUserName");
        auto *password = control<QLineEdit>("EditPassword");
        QVERIFY(!user->isEnabled());
        m_fake->dialogResult = RasError::Cancelled;
        m_form->RunCommand(u"CreateEntry"_s);
        QCOMPARE(m_messages, QStringList());
        QVERIFY(!user->isEnabled());

        m_fake->dialogResult = RasError::CannotWritePhonebook;
        m_form->RunCommand(u"CreateEntry"_s);
        QCOMPARE(m_messages, QStringList{u"Neue DFÜ-Verbindung konnte nicht angelegt werden."_s});
        m_messages.clear();

        m_fake->dialogResult = RasError::Success;
        m_fake->dialogCreatesEntry = u"Neu Ost"_s;
        m_form->show();
        m_form->RunCommand(u"CreateEntry"_s);
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(combo()->currentText(), u"Neu Ost"_s);
        QCOMPARE(m_engine->DFURec.ServiceStr, u"Neu Ost"_s);
        QVERIFY(user->isEnabled());
        QVERIFY(password->isEnabled());
        QVERIFY(user->text().isEmpty());
        QVERIFY(password->text().isEmpty());
        checkConsistent();

        // Typed in and stored with the advanced edit.
        user->setText(u"ost"_s);
        password->setText(u"Sonne"_s);
        m_answers << true;
        onDialog([](TfrmConnProp &dialog) {
            pressOk(dialog);
        });
        m_form->RunCommand(u"EditAdvanced"_s);
        QCOMPARE(m_fake->entry(u"Neu Ost"_s)->params.userName, u"ost"_s);
        QCOMPARE(m_fake->entry(u"Neu Ost"_s)->params.password, u"Sonne"_s);
        QCOMPARE(entryLines().last(), u"Neu Ost;;ost;0,000;Sonne"_s);
    }

    void passwordInClearText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("revealed");
        QTest::newRow("the stored password") << u"Geheim"_s << true;
        QTest::newRow("other letter case") << u"geheim"_s << false;
    }

    void passwordInClearText()
    {
        QFETCH(QString, typed);
        QFETCH(bool, revealed);
        TFormPassword::SetHook([&typed](const QString &) { return typed; });
        auto *password = control<QLineEdit>("EditPassword");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        m_form->RunCommand(u"PasswordClear"_s);
        QCOMPARE(password->echoMode() == QLineEdit::Normal, revealed);
        QCOMPARE(m_messages, revealed ? QStringList() : QStringList{u"Falsches Paßwort eingegeben!"_s});
        // Another connection's password is not shown in clear.
        selectConnection(u"Callnet Flat"_s);
        QCOMPARE(password->echoMode(), QLineEdit::Password);
    }

    void onlineHelp_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("dials");
        QTest::newRow("offline: dials first") << int(Offline) << true;
        QTest::newRow("online: opens at once") << int(Online) << false;
    }

    void onlineHelp()
    {
        QFETCH(int, state);
        QFETCH(bool, dials);
        m_engine->SetConnectionState(state);
        bool dialed = false;
        bool openedBeforeOnline = false;
        connect(m_engine->ActionConnect, &QAction::triggered, this, [&] {
            dialed = true;
            m_engine->SetConnectionState(Dialing);
            QTimer::singleShot(300, this, [&] {
                openedBeforeOnline = !m_shell->opened.isEmpty();
                m_engine->SetConnectionState(Online);
            });
        });
        m_answers << true;
        m_form->RunCommand(u"OnlineHelp"_s);
        QCOMPARE(m_messages, QStringList{u"Für online DFÜ-Hinweise Webbrowser öffnen?"_s});
        QCOMPARE(dialed, dials);
        QVERIFY(!openedBeforeOnline);
        QCOMPARE(m_shell->opened.size(), 1);
        QCOMPARE(m_shell->opened.first().target, ConnectionCommands::OnlineHelpAddress());
    }

    void onlineHelpAfterAFailedDialAndWithoutBrowser()
    {
        connect(m_engine->ActionConnect, &QAction::triggered, this, [this] {
            m_engine->SetConnectionState(Dialing);
            QTimer::singleShot(200, this, [this] { m_engine->SetConnectionState(Ended); });
        });
        m_shell->succeed = false;
        m_answers << true;
        m_form->RunCommand(u"OnlineHelp"_s);
        QCOMPARE(m_shell->opened.size(), 1);
        QCOMPARE(m_messages.last(), u"Ist ein Web Browser installiert?"_s);

        m_messages.clear();
        m_answers << false;
        m_form->RunCommand(u"OnlineHelp"_s);
        QCOMPARE(m_shell->opened.size(), 1);
    }

private:
    /// "&OK, sichern", enabled as a change of any field would.
    static void pressOk(TfrmConnProp &dialog)
    {
        auto *ok = dialog.findChild<QPushButton *>(u"BtnIsOk"_s);
        ok->setEnabled(true);
        ok->click();
    }

    /// The properties dialog runs body in place of the user.
    static void onDialog(std::function<void(TfrmConnProp &)> body)
    {
        TfrmConnProp::ExecHook = [body = std::move(body)](TfrmConnProp &dialog) {
            body(dialog);
            return dialog.result();
        };
    }

    SettingsStore &store() const { return SettingsStore::instance(); }
    QComboBox *combo() const { return control<QComboBox>("ComboBoxRAS"); }
    QStringList entryLines() const { return m_form->RASStrList->Lines(u"Entries"_s); }
    QByteArray readRegistry() const
    {
        QFile file(m_home->filePath(u"registry.reg"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void selectConnection(const QString &name)
    {
        combo()->setCurrentIndex(combo()->findText(name));
        m_form->ComboBoxRASSelect(combo()->currentIndex());
    }

    // The phone book, the selector, the connection list and the current
    // connection tell the same story.
    void checkConsistent()
    {
        const QStringList names = m_fake->entryNames();
        QStringList items;
        for (int i = 0; i < combo()->count(); ++i)
            items << combo()->itemText(i);
        QCOMPARE(items, names);
        const QStringList lines = entryLines();
        QCOMPARE(lines.size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            const TEntryRec rec = m_engine->ReadEntry(i);
            QCOMPARE(rec.Name, names.at(i));
            QCOMPARE(lines.at(i).count(u';'), 4);
            QCOMPARE(rec.Fee, ConnectionValues::ReadTariff(store(), names.at(i)));
        }
        QCOMPARE(m_engine->DFURec.ServiceStr, combo()->currentText());
        QCOMPARE(m_engine->CurrentEntry.Name, combo()->currentText());
    }

    template<typename T>
    T *control(const char *name) const
    {
        auto *object = m_form->findChild<T *>(QLatin1String(name));
        if (!object)
            qFatal("no control %s", name);
        return object;
    }

    QTemporaryDir m_noModule;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<TFormMain> m_form;
    TRASWorkUnit *m_engine = nullptr;
    FakeShell *m_shell = nullptr;
    QStringList m_messages;
    QList<bool> m_answers;
    QStringList m_inputs;
    QStringList m_queries;
};

QTEST_MAIN(TestConnectionCommands)
#include "tst_connectioncommands.moc"
