// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Autostart.h"
#include "EngineSettings.h"
#include "FakeDialUpService.h"
#include "Folders.h"
#include "FormMain.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "TextFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;

namespace {
const QString Record = u"09.12.2026;10:00:00;Netzwerk Nord;0301234;2 Ct/min;00:01:00;0,0200 €"_s;
} // namespace

// The main window's commands that open the settings dialog, and what the
// window sees of the dialog's work.
class TestSettingsCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        TFormMain::TrayAvailable = [] { return true; };
        TFormMain::FavoritesOffered = [] { return true; };
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return m_answer;
        });
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_home->path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home->filePath(u"registry.reg"_s)));
        Autostart::setInstance(std::make_unique<DesktopAutostart>(
            m_home->filePath(u"Win.Ini"_s), m_home->filePath(u"autostart"_s), u"/opt/rufwerk/bin/rufwerk"_s));
        m_fake = std::make_unique<FakeDialUpService>();
        m_fake->addEntry(u"Netzwerk Nord"_s, u"0301234"_s);
        m_fake->addEntry(u"Callnet Flat"_s, u"0800111"_s);
        m_form = std::make_unique<TFormMain>();
        m_form->CreateEngine(m_fake.get());
        m_messages.clear();
        m_answer = false;
    }

    void cleanup() { m_form.reset(); }

    void cleanupTestCase() { MessageDialog::SetHook(nullptr); }

    void commandsOpenTheirPage_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("page");
        QTest::newRow("&Einstellung (F11)") << u"MISettings"_s << 0;
        QTest::newRow("&Einstellungen of the task menu") << u"MITaskSettings"_s << 0;
        QTest::newRow("&Bearbeiten of the start programs") << u"MIEditStartProgs"_s << 1;
        QTest::newRow("DFÜ &Liste") << u"MIDFUList"_s << 2;
    }

    void commandsOpenTheirPage()
    {
        QFETCH(QString, item);
        QFETCH(int, page);
        int shown = -1;
        whenDialogOpens([&shown](TFormProgStart *dialog) {
            shown = dialog->findChild<QTabWidget *>(u"PageControl"_s)->currentIndex();
            dialog->findChild<QPushButton *>(u"BtnCancel"_s)->click();
        });
        m_form->findChild<QAction *>(item)->trigger();
        QCOMPARE(shown, page);
        QVERIFY(m_messages.isEmpty()); // none answers "noch nicht verfügbar"
        QCOMPARE(m_form->findChild<QAction *>(u"MISettings"_s)->shortcut(), QKeySequence(Qt::Key_F11));
    }

    void startProgramsReachTheWindow()
    {
        whenDialogOpens([](TFormProgStart *dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit *>(u"EditProgName"_s), u"Web"_s);
            QTest::keyClicks(dialog->findChild<QLineEdit *>(u"FilenameEdit"_s), u"/usr/bin/web"_s);
            dialog->findChild<QPushButton *>(u"BtnInsert"_s)->click();
            dialog->findChild<QPushButton *>(u"BtnOK"_s)->click();
        });
        m_form->RunCommand(u"EditStartPrograms"_s);
        QVERIFY(m_messages.isEmpty());
        auto *combo = m_form->findChild<QComboBox *>(u"ComboBoxStartProg"_s);
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->itemText(0), u"Web"_s);
        QCOMPARE(m_form->RASStrList->Lines(u"StartProgs"_s), QStringList { u"Web;/usr/bin/web;"_s });
    }

    void windowFollowsTheTakeOver()
    {
        whenDialogOpens([](TFormProgStart *dialog) {
            dialog->findChild<QCheckBox *>(u"CBMiniStart"_s)->click();
            dialog->findChild<QCheckBox *>(u"CBPostIt"_s)->click();
            dialog->findChild<QPushButton *>(u"BtnOK"_s)->click();
        });
        m_answer = true;
        m_form->RunCommand(u"Settings"_s);
        QCOMPARE(m_messages, QStringList { u"Änderungen übernehmen und sichern?"_s });
        QVERIFY(m_form->StartSettings.MiniStart);
        QVERIFY(m_form->engine->StartSettings.MiniStart);
        QVERIFY(!m_form->ShowPostIt());
    }

    void feeLogSwitchedOnIsLoaded()
    {
        // Off at start: the window never loaded the log.
        m_form.reset();
        TStartSettings off;
        off.FeeRecord = false;
        off.Write(SettingsStore::instance());
        QVERIFY(TextFile::writeLines(m_home->filePath(u"FeeReport.Lst"_s), { Record }));
        m_form = std::make_unique<TFormMain>();
        m_form->CreateEngine(m_fake.get());
        QVERIFY(m_form->RASStrList->Lines(u"FeeReport"_s).isEmpty());

        whenDialogOpens([](TFormProgStart *dialog) {
            dialog->findChild<QCheckBox *>(u"CBFeeReport"_s)->click();
            dialog->findChild<QPushButton *>(u"BtnOK"_s)->click();
        });
        m_answer = true;
        m_form->RunCommand(u"Settings"_s);
        QCOMPARE(m_form->RASStrList->Lines(u"FeeReport"_s), QStringList { Record });
        m_form->SaveFeeList();
        QStringList stored;
        QVERIFY(TextFile::readLines(m_home->filePath(u"FeeReport.Lst"_s), &stored));
        QCOMPARE(stored, QStringList { Record });
    }

    void connectionCommandsRunAfterTheDialog()
    {
        QStringList ran;
        m_form->SetCommand(u"EditAdvanced"_s, [this, &ran] {
            ran << m_form->findChild<QComboBox *>(u"ComboBoxRAS"_s)->currentText()
                << QString::number(QApplication::activeModalWidget() != nullptr);
        });
        whenDialogOpens([](TFormProgStart *dialog) {
            dialog->findChild<QTableWidget *>(u"LVAccounts"_s)->selectRow(1);
            dialog->findChild<QPushButton *>(u"BtnChangeDFU"_s)->click();
        });
        m_form->RunCommand(u"ConnectionList"_s);
        // The chosen connection became the current one, and the dialog was gone, before the command ran.
        QCOMPARE(ran, (QStringList { u"Callnet Flat"_s, u"0"_s }));
        QCOMPARE(m_form->engine->DFURec.ServiceStr, u"Callnet Flat"_s);
        QVERIFY(m_messages.isEmpty());
    }

private:
    // Runs act on the settings dialog as soon as it is shown modally.
    void whenDialogOpens(std::function<void(TFormProgStart *)> act)
    {
        QTimer::singleShot(0, m_form.get(), [act = std::move(act)] {
            auto *dialog = qobject_cast<TFormProgStart *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            act(dialog);
        });
    }

    QTemporaryDir m_noModule;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<TFormMain> m_form;
    QStringList m_messages;
    bool m_answer = false;
};

QTEST_MAIN(TestSettingsCommands)
#include "tst_settingscommands.moc"
