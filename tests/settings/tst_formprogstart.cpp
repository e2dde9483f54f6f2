// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Autostart.h"
#include "EngineHost.h"
#include "FakeDialUpService.h"
#include "Folders.h"
#include "FormProgStart.h"
#include "MessageDialog.h"
#include "PageConnections.h"
#include "PageStartPrograms.h"
#include "RadioGroup.h"
#include "SettingsStore.h"
#include "StartProgramList.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
const QString Program = u"/opt/rufwerk/bin/rufwerk"_s;
const QString Saved = u"Änderungen übernehmen und sichern?"_s;
} // namespace

// The dialog over an engine on a fake phone book, with the main window's
// callbacks recorded in the same log as the messages.
class TestFormProgStart : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        MessageDialog::SetHook([this](MessageDialog::Kind kind, const QString &text) {
            const char *prefix = kind == MessageDialog::Kind::Question ? "Q:"
                : kind == MessageDialog::Kind::Error                   ? "E:"
                                                                       : "I:";
            m_log << QLatin1String(prefix) + text;
            return m_answers.isEmpty() ? false : m_answers.takeFirst();
        });
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_home->path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home->filePath(u"registry.reg"_s)));
        Autostart::setInstance(
            std::make_unique<DesktopAutostart>(m_home->filePath(u"Win.Ini"_s), autostartFolder(), Program));
        m_fake = std::make_unique<FakeDialUpService>();
        addConnection(u"Netzwerk Nord"_s, u"0301234"_s, u"1,5"_s);
        addConnection(u"Callnet Flat"_s, u"0800111"_s, u"0"_s);
        addConnection(u"Blitzzugang Premium"_s, u"01900123"_s, u"186"_s);
        m_answers.clear();
        m_selectable = true;
    }

    void cleanup()
    {
        m_dialog.reset();
        m_host.reset();
        TPageStartPrograms::ChooseFile = nullptr;
    }

    void cleanupTestCase() { MessageDialog::SetHook(nullptr); }

    // --- the frame ------------------------------------------------------------

    void startPage_data()
    {
        QTest::addColumn<int>("startPage");
        QTest::addColumn<int>("shown");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("1 start programs") << 1 << 1;
        QTest::newRow("2 connections") << 2 << 2;
        QTest::newRow("3 favourites") << 3 << 3;
        QTest::newRow("4 is never a start page") << 4 << 0;
        QTest::newRow("7") << 7 << 0;
        QTest::newRow("-1") << -1 << 0;
    }

    void startPage()
    {
        QFETCH(int, startPage);
        open(startPage);
        QTEST(pages()->currentIndex(), "shown");
        QCOMPARE(pages()->count(), 5);
        QCOMPARE(pages()->tabText(4), u"Server-Profil"_s);
        QCOMPARE(pages()->currentWidget()->property("HelpContext").toInt(), 861 + pages()->currentIndex());
        QVERIFY(!button("BtnSaveTake")->isEnabled());
    }

    void changesMarkTheDialog_data()
    {
        QTest::addColumn<QStringList>("clicks");
        for (const char *box : { "CBChkPassword", "CBChkExt", "CBAutoStart", "CBMiniStart", "CBFeeReport",
                 "CBKeepAlive", "CBPostIt", "CBRemainder" }) {
            QTest::newRow(box) << QStringList { QLatin1String(box) };
            QTest::addRow("%s checked and unchecked", box) << QStringList { QLatin1String(box), QLatin1String(box) };
        }
        QTest::newRow("RGHintWin") << QStringList { u"RGHintWin0"_s };
        QTest::newRow("RGSound") << QStringList { u"RGSound0"_s };
        QTest::newRow("SpinEditTimeOut") << QStringList { u"SpinEditTimeOut"_s };
        QTest::newRow("SpinEditRemainder") << QStringList { u"SpinEditRemainder"_s };
        QTest::newRow("SpEdDisConTime") << QStringList { u"SpEdDisConTime"_s };
    }

    void changesMarkTheDialog()
    {
        QFETCH(QStringList, clicks);
        open(0);
        for (const QString &name : clicks)
            touch(name);
        QVERIFY(button("BtnSaveTake")->isEnabled());
        // "&OK" asks; No closes without storing.
        button("BtnOK")->click();
        QCOMPARE(m_log, QStringList { u"Q:"_s + Saved });
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!store().keyExists(RegKey::Bas()));
    }

    void closingWithoutQuestion_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("closeWith");
        QTest::newRow("OK, nothing changed") << false << u"BtnOK"_s;
        QTest::newRow("Abbruch after a change") << true << u"BtnCancel"_s;
    }

    void closingWithoutQuestion()
    {
        QFETCH(bool, change);
        QFETCH(QString, closeWith);
        open(0);
        if (change)
            touch(u"CBMiniStart"_s);
        button(closeWith)->click();
        QVERIFY(m_log.isEmpty());
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!store().keyExists(RegKey::Bas()));
    }

    void closeBoxAsksAndTakesOver()
    {
        open(0);
        touch(u"CBMiniStart"_s);
        m_answers << true;
        m_dialog->close();
        QCOMPARE(m_log, (QStringList { u"Q:"_s + Saved, u"LoadStartPrograms"_s }));
        QCOMPARE(store().readString(RegKey::Bas(), u"MiniStart"_s), u"1"_s);
        QVERIFY(store().keyExists(RegKey::Bas())); // what the tests of "nothing stored" look at
        QVERIFY(!m_dialog->isVisible());
    }

    void pendingChangesSurviveAnotherWindow()
    {
        open(0);
        touch(u"CBMiniStart"_s);
        // A window opened from the dialog closes: the dialog becomes active again.
        {
            QDialog other(m_dialog.get());
            other.show();
            other.activateWindow();
            other.close();
        }
        m_dialog->activateWindow();
        m_dialog->hide();
        m_dialog->show();
        QVERIFY(child<QCheckBox>("CBMiniStart")->isChecked());
        QVERIFY(button("BtnSaveTake")->isEnabled());
    }

    void takeOverReachesEngineAndWindow()
    {
        open(0);
        TRASWorkUnit *engine = m_host->engine;
        QVERIFY(engine->TimerDisCon->interval() == 5 * 60000);
        touch(u"CBPostIt"_s); // off
        touch(u"CBFeeReport"_s); // off
        touch(u"CBKeepAlive"_s); // off: the connection stays up
        touch(u"RGSound0"_s);
        touch(u"CBRemainder"_s); // off
        touch(u"CBMiniStart"_s);
        child<QSpinBox>("SpEdDisConTime")->setValue(9);
        child<QSpinBox>("SpinEditRemainder")->setValue(7);
        QVERIFY(!child<TRadioGroup>("RGHintWin")->isEnabled());
        QVERIFY(!child<TRadioGroup>("RGSound")->isEnabled());
        button("BtnSaveTake")->click();

        QVERIFY(!button("BtnSaveTake")->isEnabled());
        const QString bas = RegKey::Bas();
        const QString ras = RegKey::Ras();
        QCOMPARE(store().readString(bas, u"ShowPostIt"_s), u"0"_s);
        QCOMPARE(store().readString(bas, u"FeeRecord"_s), u"0"_s);
        QCOMPARE(store().readString(bas, u"MiniStart"_s), u"1"_s);
        QCOMPARE(store().readString(bas, u"DisConTime"_s), u"9"_s);
        QCOMPARE(store().readString(bas, u"Altruf5Progs"_s), u"1"_s);
        QVERIFY(!store().hasValue(bas, u"STARTPRG"_s));
        QCOMPARE(store().readString(ras, u"KeepAlive"_s), u"1"_s);
        QCOMPARE(store().readString(ras, u"WithSound"_s), u"0"_s);
        QCOMPARE(store().readString(ras, u"SoundIndex"_s), u"0"_s);
        QCOMPARE(store().readString(ras, u"RemaindTime"_s), u"7"_s);
        // The engine works with the new values at once.
        QCOMPARE(engine->TimerDisCon->interval(), 9 * 60000);
        QVERIFY(!m_host->findChild<QAction *>(u"ActFeeProt"_s)->isEnabled());
        QCOMPARE(m_host->property("ShowPostIt").toBool(), false);
        QCOMPARE(engine->DFURec.RemaindTime, 7);
        QVERIFY(engine->ModuleSettingsText().contains(u"\t7\t1\t0\t0\t"_s));
        QCOMPARE(m_log, QStringList { u"LoadStartPrograms"_s });
    }

    void reminderIntervalGoesBackWhenNotTakenOver()
    {
        open(0);
        child<QSpinBox>("SpinEditRemainder")->setValue(9);
        QCOMPARE(m_host->engine->DFURec.RemaindTime, 9); // at once, for the module
        button("BtnCancel")->click();
        QCOMPARE(m_host->engine->DFURec.RemaindTime, 2);
    }

    void perConnectionValues_data()
    {
        QTest::addColumn<int>("row"); // row chosen on page 2, -1: page never shown
        QTest::addColumn<int>("timeout"); // 0: unchanged
        QTest::addColumn<int>("tact"); // -1: unchanged
        QTest::addColumn<QString>("fee"); // empty: unchanged
        QTest::addColumn<QStringList>("written");

        QTest::newRow("time-out, page 2 never shown")
            << -1 << 90 << -1 << QString() << QStringList { u"TIMEOUT\\Netzwerk Nord=90"_s };
        QTest::newRow("time-out with another connection chosen")
            << 1 << 90 << -1 << QString() << QStringList { u"TIMEOUT\\Netzwerk Nord=90"_s };
        QTest::newRow("another connection chosen, nothing changed") << 2 << 0 << -1 << QString() << QStringList();
        QTest::newRow("billing of the chosen connection")
            << 1 << 0 << 1 << QString() << QStringList { u"CNTTACT\\Callnet Flat=1"_s };
        QTest::newRow("fee of the current connection")
            << 0 << 0 << -1 << u"2,25"_s << QStringList { u"CURMIN\\Netzwerk Nord=2,25"_s };
        QTest::newRow("fee with a point, all three")
            << 1 << 45 << 1 << u"0.9"_s
            << QStringList { u"CNTTACT\\Callnet Flat=1"_s, u"CURMIN\\Callnet Flat=0,9"_s,
                   u"TIMEOUT\\Netzwerk Nord=45"_s };
    }

    void perConnectionValues()
    {
        QFETCH(int, row);
        QFETCH(int, timeout);
        QFETCH(int, tact);
        QFETCH(QString, fee);
        QFETCH(QStringList, written);
        open(0);
        const QStringList before = connectionValues();
        if (timeout)
            child<QSpinBox>("SpinEditTimeOut")->setValue(timeout);
        if (row >= 0) {
            pages()->setCurrentIndex(2);
            accounts()->selectRow(row);
        }
        if (tact >= 0)
            child<TRadioGroup>("RGTact")->Button(tact)->click();
        if (!fee.isEmpty())
            typeFee(fee);
        pages()->setCurrentIndex(0);
        m_answers << false; // leave page 2 with its change pending
        button("BtnSaveTake")->click();

        QStringList changed = connectionValues();
        for (const QString &value : before)
            changed.removeOne(value);
        QCOMPARE(changed, written);
        TRASWorkUnit *engine = m_host->engine;
        if (timeout) {
            QCOMPARE(engine->Timeout, timeout);
            QCOMPARE(m_host->get<QProgressBar>("WaitProgress")->maximum(), timeout);
            QCOMPARE(m_host->get<QSpinBox>("SpinEdit")->value(), timeout);
        }
        if (row == 0 && !fee.isEmpty()) {
            // The engine charges the new fee at once.
            QCOMPARE(engine->TariffText, fee);
            QCOMPARE(m_host->get<QLabel>("LblFee")->text(), fee);
        } else {
            QCOMPARE(engine->TariffText, u"1,5"_s);
        }
    }

    // --- autostart ------------------------------------------------------------

    void autostart_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("loadLine");
        QTest::addColumn<bool>("desktopEntry");
        QTest::newRow("Yes") << true << u","_s + Program << true;
        QTest::newRow("No") << false << QString() << false;
    }

    void autostart()
    {
        QFETCH(bool, answer);
        open(0);
        touch(u"CBAutoStart"_s);
        m_answers << answer;
        button("BtnSaveTake")->click();
        QCOMPARE(m_log.first(), u"Q:Autostart von Rufwerk einrichten?"_s);
        // The setting follows the box whatever the answer.
        QCOMPARE(store().readString(RegKey::Bas(), u"AutoStart"_s), u"1"_s);
        QTEST(Autostart::instance().loadLine(), "loadLine");
        QTEST(QFileInfo::exists(autostartFolder() + u"/rufwerk.desktop"_s), "desktopEntry");

        // A take-over without a change of the box asks nothing.
        m_log.clear();
        touch(u"CBMiniStart"_s);
        button("BtnSaveTake")->click();
        QCOMPARE(m_log, QStringList { u"LoadStartPrograms"_s });

        // Switched off again and confirmed: both entries go.
        touch(u"CBAutoStart"_s);
        m_answers << true;
        button("BtnSaveTake")->click();
        QCOMPARE(m_log.at(1), u"Q:Autostart von Rufwerk entfernen?"_s);
        QCOMPARE(Autostart::instance().loadLine(), QString());
        QVERIFY(!QFileInfo::exists(autostartFolder() + u"/rufwerk.desktop"_s));
        QCOMPARE(store().readString(RegKey::Bas(), u"AutoStart"_s), u"0"_s);
    }

    void autostartFolderNotWritable()
    {
        QVERIFY(writeAll(m_home->filePath(u"config"_s), "kein Ordner"));
        open(0);
        touch(u"CBAutoStart"_s);
        m_answers << true;
        button("BtnSaveTake")->click();
        QCOMPARE(m_log.size(), 3);
        QVERIFY2(m_log.at(1).startsWith(u"E:Der Autostart-Ordner"_s), qPrintable(m_log.at(1)));
        QCOMPARE(store().readString(RegKey::Bas(), u"AutoStart"_s), u"1"_s);
        QVERIFY(!button("BtnSaveTake")->isEnabled());
    }

    // --- page 2 -----------------------------------------------------------------

    void classifyPremiumNumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("premiumClass");
        QTest::newRow("019012345") << u"019012345"_s << 1;
        QTest::newRow("01900123") << u"01900123"_s << 3;
        QTest::newRow("019078") << u"019078"_s << 2;
        QTest::newRow("0190-123: fifth is -") << u"0190-123"_s << 0;
        QTest::newRow("+49 (190) 12345") << u"+49 (190) 12345"_s << 0;
        QTest::newRow("0190: no fifth") << u"0190"_s << 0;
        QTest::newRow("12340190: 0190 found later") << u"12340190"_s << 3;
        QTest::newRow("030 1234567") << u"030 1234567"_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("01906 upper end of class 1") << u"01906000"_s << 1;
        QTest::newRow("01909 upper end of class 2") << u"019099"_s << 2;
        QTest::newRow("fifth a letter") << u"0190x190"_s << 0;
        QTest::newRow("0180 service number") << u"01805123"_s << 0;
        QTest::newRow("blank as fifth") << u"0190 5"_s << 0;
    }

    void classifyPremiumNumber()
    {
        QFETCH(QString, number);
        QTEST(ClassifyPremiumNumber(number), "premiumClass");
    }

    void connectionList()
    {
        store().writeString(RegKey::Ras(), u"ServiceStr"_s, u"Callnet Flat"_s);
        open(2);
        QTableWidget *list = accounts();
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(list->columnCount(), 4);
        QCOMPARE(list->horizontalHeaderItem(3)->text(), u"Gebühr €-Ct"_s);
        QCOMPARE(rowTexts(2), (QStringList { u"Blitzzugang Premium"_s, u"01900123"_s, u"blitz-user"_s, u"186"_s }));
        // The main window's current connection is chosen.
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(child<QLineEdit>("EditAccount")->text(), u"Callnet Flat"_s);
        QCOMPARE(child<QLineEdit>("EditCent")->text(), u"0"_s);
        list->selectRow(2);
        QCOMPARE(child<QLineEdit>("EditAccount")->text(), u"Blitzzugang Premium"_s);
        QCOMPARE(child<QLineEdit>("EditCent")->text(), u"186"_s);
    }

    void noConnections()
    {
        m_fake->entries.clear();
        open(2);
        QCOMPARE(accounts()->rowCount(), 0);
        QVERIFY(child<QLineEdit>("EditAccount")->text().isEmpty());
        const QStringList before = connectionValues();
        touch(u"CBMiniStart"_s);
        button("BtnSaveTake")->click();
        QCOMPARE(connectionValues(), before);
    }

    void selectingARowKeepsTheTact()
    {
        store().writeInteger(RegKey::Billing(), u"Netzwerk Nord"_s, 1);
        open(2);
        QCOMPARE(child<TRadioGroup>("RGTact")->ItemIndex(), 1);
        accounts()->selectRow(1);
        QCOMPARE(child<TRadioGroup>("RGTact")->ItemIndex(), 1);
        QVERIFY(!button("BtnChangeAcc")->isEnabled());
    }

    void feeOfOneRow()
    {
        open(2);
        accounts()->selectRow(1);
        typeFee(u"2,5"_s);
        QVERIFY(button("BtnChangeAcc")->isEnabled());
        button("BtnChangeAcc")->click();
        QCOMPARE(store().readString(RegKey::Tariff(), u"Callnet Flat"_s), u"2,5"_s);
        QCOMPARE(store().readString(RegKey::Tariff(), u"Netzwerk Nord"_s), u"1,5"_s);
        QCOMPARE(m_host->engine->TariffText, u"1,5"_s);
        QCOMPARE(m_host->engine->ReadEntry(1).Fee, u"2,5"_s); // the list is rebuilt
        QCOMPARE(rowTexts(1).at(3), u"2,5"_s);
        QVERIFY(!button("BtnChangeAcc")->isEnabled());
    }

    void badFee_data()
    {
        QTest::addColumn<QString>("fee");
        QTest::newRow("letters") << u"abc"_s;
        QTest::newRow("two commas") << u"1,2,3"_s;
        QTest::newRow("negative") << u"-1"_s;
        QTest::newRow("empty") << QString();
    }

    void badFee()
    {
        QFETCH(QString, fee);
        open(2);
        accounts()->selectRow(1);
        typeFee(fee);
        button("BtnChangeAcc")->click();
        QCOMPARE(m_log.size(), 1);
        QVERIFY2(m_log.first().startsWith(u"I:"_s) && m_log.first().contains(u"Gebühr"_s), qPrintable(m_log.first()));
        QCOMPARE(store().readString(RegKey::Tariff(), u"Callnet Flat"_s), u"0"_s);

        // Neither does the closing take-over store anything; the dialog stays open on the fee.
        m_log.clear();
        touch(u"CBMiniStart"_s);
        m_answers << true;
        button("BtnOK")->click();
        QCOMPARE(m_log.size(), 2);
        QCOMPARE(m_log.first(), u"Q:"_s + Saved);
        QVERIFY(m_log.at(1).startsWith(u"I:"_s));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(pages()->currentIndex(), 2);
        QVERIFY(!store().keyExists(RegKey::Bas()));
        QCOMPARE(store().readString(RegKey::Tariff(), u"Callnet Flat"_s), u"0"_s);
    }

    void leavingWithAPendingFee()
    {
        open(2);
        accounts()->selectRow(1);
        typeFee(u"3"_s);
        m_answers << true;
        pages()->setCurrentIndex(0);
        QCOMPARE(m_log, QStringList { u"Q:Gebührenänderung sichern?"_s });
        QCOMPARE(pages()->currentIndex(), 2); // back, so the user can store it

        m_answers << false;
        pages()->setCurrentIndex(1);
        QCOMPARE(pages()->currentIndex(), 1);
        // Coming back, the change is still there.
        pages()->setCurrentIndex(2);
        QCOMPARE(child<QLineEdit>("EditAccount")->text(), u"Callnet Flat"_s);
        QCOMPARE(child<QLineEdit>("EditCent")->text(), u"3"_s);
        QVERIFY(button("BtnChangeAcc")->isEnabled());
    }

    void handOver_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("Anlegen") << u"BtnNewDFU"_s << false << true << QStringList { u"Run:NewAdvanced"_s };
        QTest::newRow("Ändern") << u"BtnChangeDFU"_s << false << true
                                << QStringList { u"Select:Callnet Flat"_s, u"Run:EditAdvanced"_s };
        QTest::newRow("Löschen after the closing question")
            << u"BtnDeleteDFU"_s << true << true
            << QStringList { u"Q:"_s + Saved, u"Select:Callnet Flat"_s, u"Run:Delete"_s };
        QTest::newRow("Ändern, no longer listed")
            << u"BtnChangeDFU"_s << false << false << QStringList { u"Select:Callnet Flat"_s };
    }

    void handOver()
    {
        QFETCH(QString, button);
        QFETCH(bool, pending);
        QFETCH(bool, listed);
        m_selectable = listed;
        open(2);
        accounts()->selectRow(1);
        if (pending)
            touch(u"CBMiniStart"_s);
        this->button(button)->click();
        QTEST(m_log, "log");
        QVERIFY(!m_dialog->isVisible());
    }

    // --- page 1 -----------------------------------------------------------------

    void insertRules_data()
    {
        QTest::addColumn<QStringList>("fields"); // name, path, parameters
        QTest::addColumn<QStringList>("expected");
        const QString mail = u"Mail;/usr/bin/mail;-c"_s;
        const QString web = u"Web;/usr/bin/web;"_s;
        QTest::newRow("same name, same case: replaced in place") << QStringList { u"Mail"_s, u"/usr/bin/mutt"_s,
            QString() } << QStringList { u"Mail;/usr/bin/mutt;"_s, web };
        QTest::newRow("same name, other case: added") << QStringList { u"mail"_s, u"/usr/bin/mutt"_s, QString() }
                                                      << QStringList { mail, web, u"mail;/usr/bin/mutt;"_s };
        QTest::newRow("new name: appended") << QStringList { u"Editor"_s, u"/usr/bin/ed"_s, u"-p *"_s }
                                            << QStringList { mail, web, u"Editor;/usr/bin/ed;-p *"_s };
        QTest::newRow("all fields empty")
            << QStringList { QString(), QString(), QString() } << QStringList { mail, web, u";;"_s };
    }

    void insertRules()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, expected);
        setStartPrograms({ u"Mail;/usr/bin/mail;-c"_s, u"Web;/usr/bin/web;"_s });
        open(1);
        button("BtnNewProg")->click();
        typeEntry(fields.at(0), fields.at(1), fields.at(2));
        QVERIFY(button("BtnInsert")->isEnabled());
        QVERIFY(button("BtnSaveTake")->isEnabled());
        button("BtnInsert")->click();

        QString error;
        QStringList stored;
        QVERIFY(TextFile::readLines(StartProgramList::FilePath(), &stored, &error));
        QCOMPARE(stored, expected);
        QCOMPARE(*m_host->engine->StringList(u"StartProgs"_s), expected);
        QCOMPARE(m_log, QStringList { u"LoadStartPrograms"_s });
        QVERIFY(!button("BtnInsert")->isEnabled());
        QVERIFY(!button("BtnSaveTake")->isEnabled());
    }

    void insertKeepsOtherPendingChanges()
    {
        open(1);
        touch(u"CBMiniStart"_s);
        typeEntry(u"Web"_s, u"/usr/bin/web"_s);
        button("BtnInsert")->click();
        QVERIFY(!button("BtnInsert")->isEnabled());
        QVERIFY(button("BtnSaveTake")->isEnabled()); // the start setting is still to be stored
    }

    void semicolonIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("in the name") << u"Post;Mail"_s << u"/usr/bin/mail"_s;
        QTest::newRow("in the path") << u"Mail"_s << u"/usr/bin;/mail"_s;
    }

    void semicolonIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        open(1);
        typeEntry(name, path);
        button("BtnInsert")->click();
        QCOMPARE(m_log.size(), 1);
        QVERIFY2(m_log.first().startsWith(u"I:"_s) && m_log.first().contains(u"\";\""_s), qPrintable(m_log.first()));
        QCOMPARE(startProgramRows(), 0);
        QVERIFY(!QFileInfo::exists(StartProgramList::FilePath()));
        QVERIFY(button("BtnInsert")->isEnabled());
    }

    void editorEnablesInsert()
    {
        setStartPrograms({ u"Mail;/usr/bin/mail;-c"_s });
        open(1);
        QCOMPARE(child<QLineEdit>("FilenameEdit")->text(), u"/usr/bin/mail"_s);
        QVERIFY(!button("BtnInsert")->isEnabled());
        // A name typed alone, with a path nobody typed, is not enough ...
        QTest::keyClicks(child<QLineEdit>("EditProgName"), u"2"_s);
        QVERIFY(!button("BtnInsert")->isEnabled());
        // ... typed parameters are.
        QTest::keyClicks(child<QLineEdit>("EditParams"), u"x"_s);
        QVERIFY(button("BtnInsert")->isEnabled());
        // So is a path chosen with the browse button.
        button("BtnNewProg")->click();
        button("BtnInsert")->setEnabled(false);
        TPageStartPrograms::ChooseFile = [](QWidget *, const QString &) { return u"/usr/bin/vi"_s; };
        child<QToolButton>("FilenameEditBrowse")->click();
        QCOMPARE(child<QLineEdit>("FilenameEdit")->text(), u"/usr/bin/vi"_s);
        QVERIFY(button("BtnInsert")->isEnabled());
    }

    void deletingTheOnlyEntry()
    {
        setStartPrograms({ u"Mail;/usr/bin/mail;-c"_s });
        open(1);
        button("BtnDelete")->click();
        QCOMPARE(startProgramRows(), 0);
        QVERIFY(child<QLineEdit>("EditProgName")->text().isEmpty());
        QVERIFY(child<QLineEdit>("FilenameEdit")->text().isEmpty());
        QVERIFY(readAll(StartProgramList::FilePath()).startsWith("Mail")); // not yet stored
        button("BtnSaveTake")->click();
        QCOMPARE(readAll(StartProgramList::FilePath()), QByteArray());
        QVERIFY(m_host->engine->StringList(u"StartProgs"_s)->isEmpty());
    }

    void unwritableListKeepsTheUsersLines()
    {
        QVERIFY(QDir().mkpath(StartProgramList::FilePath()));
        open(1);
        typeEntry(u"Web"_s, u"/usr/bin/web"_s);
        button("BtnInsert")->click();
        QCOMPARE(m_log.size(), 1);
        QVERIFY2(m_log.first().startsWith(u"E:"_s) && m_log.first().contains(u"StartProgs.Lst"_s),
            qPrintable(m_log.first()));
        QCOMPARE(startProgramRows(), 1);
        QCOMPARE(*m_host->engine->StringList(u"StartProgs"_s), QStringList { u"Web;/usr/bin/web;"_s });
        QVERIFY(button("BtnInsert")->isEnabled());
        QVERIFY(button("BtnSaveTake")->isEnabled());

        // The closing take-over fails the same way: the dialog stays open with the lines.
        m_log.clear();
        m_answers << true;
        button("BtnOK")->click();
        QCOMPARE(m_log.size(), 2);
        QVERIFY(m_log.at(1).startsWith(u"E:"_s));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(startProgramRows(), 1);
    }

    void testButton_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("logged");
        const QString existing = QCoreApplication::applicationFilePath();
        QTest::newRow("existing file") << existing << u"Open:"_s + existing;
        QTest::newRow("in quotes") << u"\""_s + existing + u"\""_s << u"Open:"_s + existing;
        QTest::newRow("missing") << u"/nirgends/prog"_s << u"I:/nirgends/prog: nicht gefunden"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void testButton()
    {
        QFETCH(QString, path);
        QFETCH(QString, logged);
        setStartPrograms({ u"Prog;"_s + path + u";-x"_s });
        open(1);
        button("BtnTest")->click();
        QCOMPARE(m_log, logged.isEmpty() ? QStringList() : QStringList { logged });
    }

    void preselectedEntry_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("name");
        QTest::newRow("at the current connection's position") << u"Callnet Flat"_s << u"Web"_s;
        QTest::newRow("beyond the list: the first") << u"Blitzzugang Premium"_s << u"Mail"_s;
    }

    void preselectedEntry()
    {
        QFETCH(QString, current);
        store().writeString(RegKey::Ras(), u"ServiceStr"_s, current);
        setStartPrograms({ u"Mail;/usr/bin/mail;-c"_s, u"Web;/usr/bin/web;"_s });
        open(1);
        QTEST(child<QLineEdit>("EditProgName")->text(), "name");
    }

    void removeVersion5()
    {
        store().writeString(StartProgramList::Version5Key(), u"Prog1"_s, u"Editor\tC:\\EDIT.EXE\t"_s);
        setStartPrograms(StartProgramList::Load(store()));
        open(1);
        QVERIFY(button("BtnRemove")->isVisible());
        button("BtnRemove")->click();
        QVERIFY(!button("BtnRemove")->isVisible());
        QCOMPARE(store().readString(RegKey::Bas(), u"Altruf5Progs"_s), u"0"_s);
        QVERIFY(!store().keyExists(StartProgramList::Version5Key()));
        QCOMPARE(startProgramRows(), 1); // imported entries stay
        // The take-over writes every start setting but must not bring the import back.
        touch(u"CBMiniStart"_s);
        button("BtnSaveTake")->click();
        QCOMPARE(store().readString(RegKey::Bas(), u"Altruf5Progs"_s), u"0"_s);
    }

private:
    SettingsStore &store() { return SettingsStore::instance(); }
    QString autostartFolder() const { return m_home->filePath(u"config/autostart"_s); }

    void addConnection(const QString &name, const QString &number, const QString &fee)
    {
        m_fake->addEntry(name, number);
        m_fake->setDialParams(name, name.section(u' ', 0, 0).toLower().left(5) + u"-user"_s, u"pw"_s);
        store().writeString(RegKey::Tariff(), name, fee);
    }

    void setStartPrograms(const QStringList &lines) { QVERIFY(StartProgramList::Save(lines)); }

    void open(int startPage)
    {
        if (!m_host)
            m_host = std::make_unique<EngineHost>();
        m_host->engine = new TRASWorkUnit(m_host.get(), m_fake.get());
        *m_host->engine->StringList(u"StartProgs"_s) = StartProgramList::Load(store());
        m_log.clear(); // the missing module is not this test's business
        TProgStartHost host;
        host.RunCommand = [this](const QString &command) { m_log << u"Run:"_s + command; };
        host.SelectConnection = [this](const QString &name) {
            m_log << u"Select:"_s + name;
            return m_selectable;
        };
        host.LoadStartPrograms = [this] { m_log << u"LoadStartPrograms"_s; };
        host.OpenFavorite = [this](const QString &path) { m_log << u"Open:"_s + path; };
        m_dialog = std::make_unique<TFormProgStart>(m_host->engine, host);
        m_dialog->StartPage = startPage;
        m_dialog->show();
    }

    template <typename T> T *child(const char *name) const
    {
        T *found = m_dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QPushButton *button(const QString &name) const { return button(name.toLatin1().constData()); }
    QTabWidget *pages() const { return child<QTabWidget>("PageControl"); }
    QTableWidget *accounts() const { return child<QTableWidget>("LVAccounts"); }
    int startProgramRows() const { return child<QTableWidget>("ListBoxStarts")->rowCount(); }

    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int column = 0; column < accounts()->columnCount(); ++column)
            texts << accounts()->item(row, column)->text();
        return texts;
    }

    // A user's click on a check box or radio button, or a step of a spin field.
    void touch(const QString &name)
    {
        QWidget *widget = m_dialog->findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        if (auto *spin = qobject_cast<QSpinBox *>(widget))
            spin->setValue(spin->value() + 1);
        else
            static_cast<QAbstractButton *>(widget)->click();
    }

    // Typed as a user would, field after field.
    void typeEntry(const QString &name, const QString &path, const QString &parameters = QString())
    {
        QTest::keyClicks(child<QLineEdit>("EditProgName"), name);
        QTest::keyClicks(child<QLineEdit>("FilenameEdit"), path);
        QTest::keyClicks(child<QLineEdit>("EditParams"), parameters);
    }

    void typeFee(const QString &fee)
    {
        auto *edit = child<QLineEdit>("EditCent");
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, fee);
    }

    QStringList connectionValues()
    {
        QStringList values;
        for (const QString &key : { RegKey::Billing(), RegKey::Tariff(), RegKey::ConnTimeout() }) {
            for (const QString &name : store().valueNames(key))
                values << key.section(u'\\', -1) + u'\\' + name + u'=' + store().readString(key, name);
        }
        values.sort();
        return values;
    }

    QTemporaryDir m_noModule;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<EngineHost> m_host;
    std::unique_ptr<TFormProgStart> m_dialog;
    QStringList m_log;
    QList<bool> m_answers;
    bool m_selectable = true;
};

QTEST_MAIN(TestFormProgStart)
#include "tst_formprogstart.moc"
