// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Clock.h"
#include "EngineSettings.h"
#include "FakeDialUpService.h"
#include "Folders.h"
#include "FeeLogModel.h"
#include "FormFeeReport.h"
#include "FormHelp.h"
#include "FormMain.h"
#include "LogoForm.h"
#include "MainWidgets.h"
#include "MessageDialog.h"
#include "OnLineDetect.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "TestFiles.h"
#include "TextFile.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTextEdit>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
const QString Record1 = u"09.12.2026;10:00:00;Netzwerk Nord;0301234;2 Ct/min;00:01:00;0,0200 €"_s;
const QString Record2 = u"09.12.2026;11:00:00;Netzwerk Nord;0301234;2 Ct/min;00:02:00;0,0400 €"_s;

QByteArray lines(const QStringList &list)
{
    return TextFile::encode(list.join(u"\r\n"_s) + u"\r\n"_s);
}
} // namespace

// The main window with a fake dial-up service and no connection module.
class TestFormMain : public QObject
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
        SettingsStore::instance().writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, u"2"_s);
        m_now = QDateTime(QDate(2026, 12, 10), QTime(14, 3, 7));
        Clock::SetNow([this] { return m_now; });
        m_fake = std::make_unique<FakeDialUpService>();
        m_fake->addEntry(u"Netzwerk Nord"_s, u"0301234"_s);
        m_fake->addEntry(u"Callnet Flat"_s, u"0800111"_s);
        m_messages.clear();
        m_answer = false;
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return m_answer;
        });
        m_shown.clear();
        TFormHelp::execHook = [this](TFormHelp *form) {
            m_shown << form->richEdit()->toPlainText();
            return 0;
        };
    }

    void cleanup()
    {
        m_form.reset();
        TFormHelp::execHook = nullptr;
        MessageDialog::SetHook(nullptr);
        Clock::SetNow(nullptr);
    }

    void stateTable_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("dialShown");
        QTest::addColumn<bool>("dialEnabled");
        QTest::addColumn<QString>("dialText");
        QTest::addColumn<bool>("stopShown");
        QTest::addColumn<bool>("stopEnabled");
        QTest::addColumn<bool>("comboEnabled");
        QTest::addColumn<QString>("menus"); // Wählen / Stop / Auflegen enabled
        QTest::addColumn<QString>("trayItem");
        QTest::addColumn<bool>("trayItemEnabled");
        QTest::addColumn<QString>("trayTip");
        QTest::addColumn<bool>("running");

        QTest::newRow("Offline") << int(Offline) << true << true << u"&Wählen"_s << false << false << true
                                 << u"100"_s << u"&Wählen"_s << true << u"Rufwerk [Offline]"_s << false;
        QTest::newRow("Online") << int(Online) << true << true << u"&Auflegen"_s << false << false << false
                                << u"001"_s << u"&Auflegen"_s << true << u"Rufwerk [Online]"_s << true;
        QTest::newRow("ExternalOnline") << int(ExternalOnline) << true << false << u"Extern"_s << false << false
                                        << false << u"000"_s << u"&Auflegen"_s << false << u"Rufwerk [Extern]"_s
                                        << true;
        // Dialing leaves the tray and the animation as Offline left them.
        QTest::newRow("Dialing") << int(Dialing) << false << true << u"&Wählen"_s << true << true << false
                                 << u"010"_s << u"&Wählen"_s << true << u"Rufwerk [Offline]"_s << false;
        QTest::newRow("Ended") << int(Ended) << true << true << u"&Wählen"_s << false << true << true << u"100"_s
                               << u"&Wählen"_s << true << u"Rufwerk [Offline]"_s << false;
    }

    void stateTable()
    {
        QFETCH(int, state);
        createForm();
        m_form->show();
        TRASWorkUnit *engine = m_form->engine;
        engine->SetConnectionState(Offline);
        engine->SetConnectionState(state);

        auto *dial = control<QToolButton>("BtnDial");
        auto *stop = control<QToolButton>("BtnStopp");
        QTEST(!dial->isHidden(), "dialShown");
        QTEST(dial->isEnabled(), "dialEnabled");
        QFETCH(QString, dialText);
        QCOMPARE(dial->text(), QString(dialText).remove(u'&')); // a tool button shows the action's text without the mnemonic
        QCOMPARE(dial->defaultAction() ? dial->defaultAction()->text() : dialText, dialText);
        QTEST(!stop->isHidden(), "stopShown");
        QTEST(stop->isEnabled(), "stopEnabled");
        QTEST(control<QComboBox>("ComboBoxRAS")->isEnabled(), "comboEnabled");
        const QString menus = QString::number(action("MIDial")->isEnabled()) + QString::number(action("MIStop")->isEnabled())
                              + QString::number(action("MIHangUp")->isEnabled());
        QTEST(menus, "menus");
        QTEST(action("MIDialHang")->text(), "trayItem");
        QTEST(action("MIDialHang")->isEnabled(), "trayItemEnabled");
        QTEST(m_form->findChild<QSystemTrayIcon *>(u"TrayIcon"_s)->toolTip(), "trayTip");
        QTEST(m_form->findChild<QWidget *>(u"Animate"_s)->property("active").toBool(), "running");
        if (state == Offline || state == Ended)
            QVERIFY(m_form->windowTitle().startsWith(u"Rufwerk: Netzwerk Nord - RufNr.: 0301234"_s));
        if (state == Dialing) {
            QCOMPARE(control<QProgressBar>("WaitProgress")->value(), 0);
            QCOMPARE(control<QLabel>("LabelTime")->text(), u"0 sec."_s);
        }
    }

    void extendedPanel()
    {
        createForm();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QCOMPARE(m_form->height(), TFormMain::MinHeight); // always starts collapsed
        const int screenHeight = m_form->screen()->geometry().height();
        auto *more = control<QToolButton>("BtnMore");
        auto *panel = m_form->findChild<QWidget *>(u"PanelMore"_s);

        // Expanding at the bottom of the screen centres the window vertically.
        m_form->move(40, screenHeight - TFormMain::MinHeight);
        QTRY_COMPARE(m_form->y(), screenHeight - TFormMain::MinHeight);
        for (int round = 0; round < 3; ++round) {
            m_form->BtnMoreClick();
            QTRY_COMPARE(m_form->height(), TFormMain::MaxHeight);
            QTRY_COMPARE(m_form->y(), (screenHeight - TFormMain::MaxHeight) / 2);
            QVERIFY(panel->isVisible());
            QCOMPARE(more->text(), u"Weniger"_s);

            // Collapsing leaves the top where it is.
            m_form->BtnMoreClick();
            QTRY_COMPARE(m_form->height(), TFormMain::MinHeight);
            QCOMPARE(m_form->y(), (screenHeight - TFormMain::MaxHeight) / 2);
            QVERIFY(!panel->isVisible());
            QCOMPARE(more->text(), u"Mehr..."_s);
        }
    }

    void costDisplay_data()
    {
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<QString>("online");
        QTest::addColumn<QString>("shownTime");
        QTest::addColumn<QString>("cost");

        QTest::newRow("empty fee text") << QString() << u"00:05:00"_s << u"00:05:00"_s << u"0,00 €"_s;
        QTest::newRow("cleared time") << u"2"_s << QString() << u"00:00:00"_s << u"0,00 €"_s;
        QTest::newRow("started minutes") << u"2"_s << u"00:02:01"_s << u"00:02:01"_s << u"0,06 €"_s;
    }

    void costDisplay()
    {
        QFETCH(QString, tariff);
        QFETCH(QString, online);
        SettingsStore::instance().writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, tariff);
        createForm();
        control<QLineEdit>("EditOnline")->setText(online);
        QTEST(control<QLineEdit>("EditOnline")->text(), "shownTime");
        QTEST(control<QLineEdit>("EditCurrent")->text(), "cost");
    }

    void dialTimeoutIsStoredForTheConnection()
    {
        createForm();
        auto *spin = control<QSpinBox>("SpinEdit");
        QCOMPARE(spin->minimum(), 20);
        QCOMPARE(spin->maximum(), 1000);
        spin->setValue(90);
        QCOMPARE(control<QProgressBar>("WaitProgress")->maximum(), 90);
        QCOMPARE(m_form->engine->Timeout, 90);
        QCOMPARE(ConnectionValues::ReadConnTimeout(SettingsStore::instance(), u"Netzwerk Nord"_s), 90);
    }

    void settingsThatCannotBeStoredAreReported()
    {
        createForm();
        // A folder where the lock file belongs: no write gets through, also not as root.
        QVERIFY(QDir(m_home->path()).mkdir(u"registry.reg.lock"_s));
        auto *spin = control<QSpinBox>("SpinEdit");
        spin->setValue(90);
        spin->setValue(120);
        m_form->engine->WriteSettings();
        // Not from within the handlers that wrote; once for all of them.
        QVERIFY(m_messages.isEmpty());
        QTRY_COMPARE(m_messages.size(), 1);
        const QString text = m_messages.first();
        QVERIFY2(text.contains(u"„Netzwerk Nord“ in „HKEY_CURRENT_USER\\Software\\Kovatek\\Rufwerk\\RasMod\\TIMEOUT“"_s),
                 qPrintable(text));
        QVERIFY2(text.contains(u"„ServiceStr“"_s), qPrintable(text));
        QVERIFY2(text.contains(u"weitere"_s), qPrintable(text));
        QVERIFY2(text.contains(u"registry.reg.lock"_s), qPrintable(text));
        QCOMPARE(text.count(u"TIMEOUT"_s), 1);
        QTest::qWait(20);
        QCOMPARE(m_messages.size(), 1);
    }

    void dialingMethodToggles()
    {
        createForm();
        QAction *synchron = action("MISynchron");
        QAction *asynchron = action("MIAsynchron");
        const bool wasSynchron = synchron->isChecked();
        QCOMPARE(asynchron->isChecked(), !wasSynchron);
        m_form->MISynchronClick();
        QCOMPARE(synchron->isChecked(), !wasSynchron);
        QCOMPARE(asynchron->isChecked(), wasSynchron);
        m_form->MISynchronClick();
        QCOMPARE(synchron->isChecked(), wasSynchron);
    }

    void dataExchangeTest_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("shown");
        QTest::newRow("none") << QString() << 0 << u"Netzwerk Nord ist offline"_s;
        // The program's own connection: the module dialed it, the window's dial-up component did not.
        QTest::newRow("shown connection up") << u"Netzwerk Nord"_s << RasState::Connected << u"Verbunden"_s;
        QTest::newRow("shown connection dialing") << u"Netzwerk Nord"_s << RasState::ConnectDevice
                                                  << u"Verbinde Gerät"_s;
        QTest::newRow("another program's connection") << u"Callnet Flat"_s << RasState::Connected << u"Verbunden"_s;
    }

    void dataExchangeTest()
    {
        QFETCH(QString, connection);
        QFETCH(int, state);
        QFETCH(QString, shown);
        createForm();
        if (!connection.isEmpty())
            m_fake->addConnection(connection, state);
        m_form->BtnGetMesClick();
        auto *panel = control<QLabel>("StatusPanel5");
        QCOMPARE(panel->text(), shown);
        // Readable although the panel is narrow.
        QCOMPARE(panel->toolTip(), shown);
        QCOMPARE(control<QStatusBar>("StatusBar")->currentMessage(), shown);
    }

    void dataExchangeTestAfterTheConnectionEnded()
    {
        createForm();
        const RasHandle handle = m_fake->addConnection(u"Netzwerk Nord"_s);
        m_form->BtnGetMesClick();
        QCOMPARE(control<QLabel>("StatusPanel5")->text(), u"Verbunden"_s);
        m_fake->removeConnection(handle);
        m_form->BtnGetMesClick();
        QCOMPARE(control<QLabel>("StatusPanel5")->text(), u"Netzwerk Nord ist offline"_s);
    }

    void valuesBelongToWhatIsShown()
    {
        createForm();
        TRASWorkUnit *engine = m_form->engine;
        engine->OnLineDetect->setEnabled(false);
        const QString noConnection = u"DFÜ-Name|Gerät|kb/s|Gerätename / Local IP|Send|Receive|Remote IP"_s;
        QCOMPARE(connectionInfo(), noConnection);

        engine->SetConnectionState(Dialing);
        engine->SetConnectionState(Online);
        m_form->RASStrList->SetLines(u"RASInfo"_s, {u"Netzwerk Nord"_s, u"modem"_s, u"Modem 56k"_s, u"1200"_s, u"3,5"_s,
                                             u"54000"_s, u"10.64.0.2"_s, u"10.64.0.1"_s});
        engine->ShowConnectionInfo();
        control<QLineEdit>("EditOnline")->setText(u"00:01:10"_s);
        QCOMPARE(connectionInfo(), u"Netzwerk Nord|modem|3,5|Modem 56k / 10.64.0.2|1200|54000|10.64.0.1"_s);

        // Hung up: no device, rate, traffic or addresses any more; the
        // finished call's time and cost stay, as its record has them.
        engine->SetConnectionState(Ended);
        engine->SetConnectionState(Offline);
        QCOMPARE(connectionInfo(), noConnection);
        QCOMPARE(control<QLineEdit>("EditOnline")->text(), u"00:01:10"_s);
        QCOMPARE(control<QLineEdit>("EditCurrent")->text(), u"0,04 €"_s);
        // ... until the next call begins.
        engine->SetConnectionState(Dialing);
        QCOMPARE(control<QLineEdit>("EditOnline")->text(), u"00:00:00"_s);
        QCOMPARE(control<QLineEdit>("EditCurrent")->text(), u"0,00 €"_s);
        engine->SetConnectionState(Ended);
        control<QLineEdit>("EditOnline")->setText(u"00:01:10"_s);

        // Another connection shown: none of the last call's values are its own.
        auto *combo = control<QComboBox>("ComboBoxRAS");
        combo->setCurrentIndex(combo->findText(u"Callnet Flat"_s));
        m_form->ComboBoxRASSelect(combo->currentIndex());
        QCOMPARE(control<QLineEdit>("EditOnline")->text(), u"00:00:00"_s);
        QCOMPARE(control<QLineEdit>("EditCurrent")->text(), u"0,00 €"_s);
        QCOMPARE(engine->FeeCents, 0.0);

        // An external connection of another entry: the header names that entry.
        m_fake->addConnection(u"Netzwerk Nord"_s, RasState::Connected, u"10.64.9.2"_s, u"10.64.0.1"_s);
        engine->OnLineDetect->Poll();
        engine->TimerChkExternTimer();
        QCOMPARE(engine->ConnectionState, int(ExternalOnline));
        QCOMPARE(connectionInfo(), u"Netzwerk Nord|modem|kb/s|Standardmodem / 10.64.9.2|Send|Receive|10.64.0.1"_s);
    }

    void animationsRunOnlyWhereSomebodySeesThem()
    {
        createForm();
        // The splash window is gone, not just hidden.
        for (QWidget *w : qApp->topLevelWidgets())
            QVERIFY(!qobject_cast<TLogoForm *>(w));
        auto *globe = m_form->findChild<TAnimate *>(u"Animate"_s);
        auto *gauge = m_form->findChild<TActivityGauge *>(u"StatusPanel2"_s);
        auto *trayTimer = m_form->findChild<QTimer *>(u"TrayTimer"_s);
        m_form->engine->SetConnectionState(Online);
        QVERIFY(globe->active());
        QVERIFY(!globe->running()); // the window is not shown yet
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QVERIFY(globe->running());
        QVERIFY(!gauge->running()); // the extended panel is collapsed
        QVERIFY(trayTimer->isActive());
        m_form->BtnMoreClick();
        QVERIFY(gauge->running());
        m_form->hide(); // to the notification area
        QVERIFY(!globe->running());
        QVERIFY(!gauge->running());
        m_form->show();
        QVERIFY(globe->running());
        m_form->engine->SetConnectionState(Ended);
        QVERIFY(!globe->running());
        QVERIFY(!gauge->running());
        QVERIFY(!trayTimer->isActive());

        // Without a notification area nobody sees the tray images cycle.
        TFormMain::TrayAvailable = [] { return false; };
        m_form->engine->SetConnectionState(Online);
        TFormMain::TrayAvailable = [] { return true; };
        QVERIFY(!trayTimer->isActive());
    }

    void loadFeeList_data()
    {
        QTest::addColumn<QByteArray>("lst"); // null: no such file
        QTest::addColumn<QByteArray>("bak");
        QTest::addColumn<bool>("feeRecord");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QByteArray>("bakAfter");

        const QByteArray none;
        QTest::newRow("list only") << lines({Record1, Record2}) << none << true << QStringList{Record1, Record2}
                                   << lines({Record1, Record2});
        QTest::newRow("backup only") << none << lines({Record1}) << true << QStringList{Record1} << lines({Record1});
        QTest::newRow("both: backup never overwritten")
            << lines({Record1, Record2}) << lines({Record1}) << true << QStringList{Record1, Record2}
            << lines({Record1});
        QTest::newRow("neither") << none << none << true << QStringList() << none;
        QTest::newRow("fee record off") << lines({Record1}) << none << false << QStringList() << none;
        QTest::newRow("LF, no final break") << QByteArray("a;1\nb;2") << none << true << QStringList{u"a;1"_s, u"b;2"_s}
                                            << QByteArray("a;1\nb;2");
    }

    void loadFeeList()
    {
        QFETCH(QByteArray, lst);
        QFETCH(QByteArray, bak);
        QFETCH(bool, feeRecord);
        if (!lst.isNull())
            QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lst));
        if (!bak.isNull())
            QVERIFY(writeAll(home(u"FeeReport.BAK"_s), bak));
        TStartSettings settings;
        settings.FeeRecord = feeRecord;
        settings.Write(SettingsStore::instance());

        createForm();
        QTEST(m_form->RASStrList->Lines(u"FeeReport"_s), "loaded");
        QTEST(readAll(home(u"FeeReport.BAK"_s)), "bakAfter");
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(action("ActFeeProt")->isEnabled(), feeRecord);

        // At exit a list loaded from the list file and not changed leaves it as it is
        // (also its line ends); one loaded from the backup is written as CRLF lines.
        QFETCH(QStringList, loaded);
        m_form.reset();
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), lst.isNull() && !loaded.isEmpty() ? lines(loaded) : lst);
    }

    void saveFeeListTiming_data()
    {
        QTest::addColumn<bool>("autoStart");
        QTest::newRow("AutoStart off: at exit") << false;
        QTest::newRow("AutoStart on: after each record") << true;
    }

    void saveFeeListTiming()
    {
        QFETCH(bool, autoStart);
        TStartSettings settings;
        settings.AutoStart = autoStart;
        settings.Write(SettingsStore::instance());
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lines({Record1})));
        createForm();
        oneCall(u"00:00:30"_s);
        const QString expected = u"10.12.2026;14:03:07;Netzwerk Nord;0301234;2 Ct/min;00:00:30;0,0200 €"_s;
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), autoStart ? lines({Record1, expected}) : lines({Record1}));
        m_form.reset();
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), lines({Record1, expected}));
    }

    void damagedFeeLogIsNeverOverwritten_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::newRow("binary junk") << false;
        QTest::newRow("unreadable") << true; // a folder in its place cannot be read, not even by root
    }

    void damagedFeeLogIsNeverOverwritten()
    {
        QFETCH(bool, directory);
        const QString path = home(u"FeeReport.Lst"_s);
        const QByteArray junk("09.12.2026;10:00\0\0\0\0\xff\xfe", 22);
        if (directory)
            QVERIFY(QDir().mkdir(path));
        else
            QVERIFY(writeAll(path, junk));
        createForm();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(u"nicht überschrieben"_s), qPrintable(m_messages.first()));
        QVERIFY(m_form->RASStrList->Lines(u"FeeReport"_s).isEmpty());
        QVERIFY(!QFile::exists(home(u"FeeReport.BAK"_s)));

        oneCall(u"00:01:00"_s);
        m_form.reset();
        if (directory)
            QVERIFY(QFileInfo(path).isDir());
        else
            QCOMPARE(readAll(path), junk);
        QStringList rescued;
        QVERIFY(TextFile::readLines(home(u"FeeReport.NEU"_s), &rescued));
        QCOMPARE(rescued.size(), 1);
        QVERIFY(rescued.first().endsWith(u";00:01:00;0,0200 €"_s));
    }

    void namesOutsideWindows1252ReadBackUnchanged()
    {
        const QString name = u"宽带连接"_s;
        m_fake->addEntry(name, u"0301999"_s);
        SettingsStore::instance().writeString(RegKey::Tariff(), name, u"1,5"_s);
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lines({Record1})));
        createForm();
        auto *combo = control<QComboBox>("ComboBoxRAS");
        combo->setCurrentIndex(combo->findText(name));
        m_form->ComboBoxRASSelect(combo->currentIndex());
        oneCall(u"00:00:30"_s);
        const QString protocolLine = u"  -  DFÜ, Rufnummer: "_s + name + u", 0301999"_s;
        m_form->engine->AppendProtocol(protocolLine);
        m_form.reset();

        const QString fee = u"10.12.2026;14:03:07;"_s + name + u";0301999;1,5 Ct/min;00:00:30;0,0150 €"_s;
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)),
                 QByteArray(TextFile::Utf8Bom) + (Record1 + u"\r\n"_s + fee + u"\r\n"_s).toUtf8());
        QStringList protocol;
        QVERIFY(TextFile::readLines(home(u"Rufwerk-Log.TXT"_s), &protocol));
        QCOMPARE(protocol.last(), protocolLine);
        QVERIFY(TextFile::hasUtf8Bom(readAll(home(u"Rufwerk-Log.TXT"_s))));

        // The next run reads the record back as it was written.
        createForm();
        QCOMPARE(m_form->RASStrList->Lines(u"FeeReport"_s), (QStringList{Record1, fee}));
    }

    void feeReportFromTheMenus_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("main menu") << u"ActFeeProt"_s;
        QTest::newRow("tray menu") << u"MICostReport"_s;
    }

    void feeReportFromTheMenus()
    {
        QFETCH(QString, item);
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lines({Record1, Record2})));
        createForm();
        QStringList shown;
        TFormFeeReport::ExecHook = [&shown](TFormFeeReport *report) {
            for (int row = 0; row < report->Model()->rowCount(); ++row)
                shown << report->Model()->Row(row).join(u';');
            auto *table = report->findChild<QTableView *>(u"ListBoxFees"_s);
            table->selectRow(0);
            report->findChild<QPushButton *>(u"BtnDelPeriod"_s)->click();
            return 0;
        };
        control<QAction>(qPrintable(item))->trigger();
        TFormFeeReport::ExecHook = nullptr;
        QCOMPARE(shown, (QStringList{Record1, Record2}));
        QCOMPARE(m_form->RASStrList->Lines(u"FeeReport"_s), QStringList{Record2});
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), lines({Record1, Record2})); // saved by the main window's rule
        m_form.reset();
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), lines({Record2}));
    }

    void deletingTheWholeFeeLog()
    {
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lines({Record1, Record2})));
        createForm();
        QCOMPARE(readAll(home(u"FeeReport.BAK"_s)), lines({Record1, Record2}));
        m_answer = true;
        TFormFeeReport::ExecHook = [](TFormFeeReport *report) {
            report->findChild<QPushButton *>(u"BtnDeleteAll"_s)->click();
            return 0;
        };
        action("ActFeeProt")->trigger();
        TFormFeeReport::ExecHook = nullptr;
        QCOMPARE(m_messages, QStringList{u"Gesamte Gebührenliste löschen?"_s});
        QVERIFY(!QFile::exists(home(u"FeeReport.Lst"_s)));
        m_form.reset();
        QVERIFY(!QFile::exists(home(u"FeeReport.Lst"_s)));
        QCOMPARE(readAll(home(u"FeeReport.BAK"_s)), lines({Record1, Record2}));
    }

    void recordBeforeTheLogIsTakenGoesAfterIt()
    {
        // The log is read in the background; a record completed before the
        // start took it still lands behind the old records.
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lines({Record1, Record2})));
        m_form = std::make_unique<TFormMain>();
        m_form->CreateEngine(m_fake.get());
        oneCall(u"00:00:30"_s);
        const QStringList log = m_form->RASStrList->Lines(u"FeeReport"_s);
        QCOMPARE(log.size(), 3);
        QCOMPARE(log.mid(0, 2), (QStringList{Record1, Record2}));
        QVERIFY(log.last().endsWith(u";00:00:30;0,0200 €"_s));
        QCOMPARE(readAll(home(u"FeeReport.BAK"_s)), lines({Record1, Record2}));
    }

    void unchangedLogIsNotRewritten()
    {
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lines({Record1, Record2})));
        const QDateTime written = QDateTime::currentDateTime().addSecs(-3600);
        {
            QFile file(home(u"FeeReport.Lst"_s));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
        }
        createForm();
        m_form.reset();
        QCOMPARE(QFileInfo(home(u"FeeReport.Lst"_s)).lastModified(), written);

        // Once someone else changed the file, the log is written at exit as always.
        createForm();
        QVERIFY(writeAll(home(u"FeeReport.Lst"_s), lines({Record1})));
        m_form.reset();
        QCOMPARE(readAll(home(u"FeeReport.Lst"_s)), lines({Record1, Record2}));
    }

    void shutdownWhileOnlineKeepsThePendingRecord()
    {
        createForm();
        m_form->engine->SetConnectionState(Dialing);
        m_form->engine->SetConnectionState(Online);
        control<QLineEdit>("EditOnline")->setText(u"00:10:00"_s);
        m_form->Shutdown(); // what SIGTERM and the end of the desktop session run
        QStringList saved;
        QVERIFY(TextFile::readLines(home(u"FeeReport.Lst"_s), &saved));
        QCOMPARE(saved, QStringList{u"10.12.2026;14:03:07;Netzwerk Nord;0301234;2 Ct/min;00:10:00;0,2000 €"_s});
    }

    void closeByState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("message");

        const QString question = u"Offene DFÜ-Verbindung in der Windows Statuszeile schliessen?"_s;
        QTest::newRow("online, No") << int(Online) << false << false << question;
        QTest::newRow("online, Yes") << int(Online) << true << true << question;
        QTest::newRow("external") << int(ExternalOnline) << false << true
                                  << u"Externe DFÜ-Verbindung in der Windows Statuszeile schliessen!"_s;
        QTest::newRow("dialing") << int(Dialing) << false << true << QString();
        QTest::newRow("offline") << int(Offline) << false << true << QString();
        QTest::newRow("ended") << int(Ended) << false << true << QString();
    }

    void closeByState()
    {
        QFETCH(int, state);
        QFETCH(bool, closes);
        QFETCH(QString, message);
        m_answer = QTest::currentDataTag() == QByteArray("online, Yes");
        createForm();
        m_form->show();
        if (state != Offline && state != Ended)
            m_form->engine->SetConnectionState(Dialing);
        m_form->engine->SetConnectionState(state);
        m_messages.clear();
        bool ended = false;
        connect(m_form.get(), &TFormMain::programEnds, this, [&ended] { ended = true; });

        QCOMPARE(m_form->close(), closes);
        QCOMPARE(ended, closes);
        QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{message});
        // The window never hangs up by itself.
        QCOMPARE(m_form->engine->ConnectionState, state);
    }

    void firstStartText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("oldCopy");
        QTest::addColumn<QString>("shows");

        const QByteArray rtf = "{\\rtf1\\ansi Willkommen bei \\'c4nderungen\\par}";
        QTest::newRow("renamed") << rtf << false << u"Willkommen bei Änderungen"_s;
        QTest::newRow("rename blocked: deleted") << rtf << true << u"Willkommen bei Änderungen"_s;
        QTest::newRow("broken: what can be read, still renamed")
            << QByteArray("{\\rtf1\\ansi Erste Zeile\\par{\\b fett", 34) << false << u"Erste Zeile"_s;
    }

    void firstStartText()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, oldCopy);
        QFETCH(QString, shows);
        QVERIFY(writeAll(home(u"Start_Up.RTF"_s), text));
        const QByteArray old = "{\\rtf1 alt}";
        if (oldCopy)
            QVERIFY(writeAll(home(u"StartUp.RTF"_s), old));
        TStartSettings settings;
        settings.MiniStart = true; // a modal window of its own: shown anyway
        settings.Write(SettingsStore::instance());

        m_form = std::make_unique<TFormMain>();
        QCOMPARE(m_shown.size(), 1);
        QVERIFY2(m_shown.first().startsWith(shows), qPrintable(m_shown.first()));
        QVERIFY(m_form->engine == nullptr); // shown before the engine exists
        QVERIFY(!QFile::exists(home(u"Start_Up.RTF"_s)));
        QCOMPARE(readAll(home(u"StartUp.RTF"_s)), oldCopy ? old : text);

        // Once only.
        m_form.reset();
        m_form = std::make_unique<TFormMain>();
        QCOMPARE(m_shown.size(), 1);
    }

    void storedPlacement_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");

        QTest::newRow("ordinary") << u"30,40,520,155,0"_s << true;
        QTest::newRow("minimised, far off") << u"-16777215,16777215,16777215,1,1"_s << true;
        QTest::newRow("largest numbers") << u"2147483647,2147483647,2147483647,2147483647,1"_s << false;
        QTest::newRow("beyond every screen") << u"16777216,0,520,155,0"_s << false;
        QTest::newRow("no size") << u"30,40,0,155,0"_s << false;
        QTest::newRow("too few numbers") << u"30,40,520"_s << false;
    }

    void storedPlacement()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<WindowPlacement::Placement> placement = WindowPlacement::Parse(text);
        QCOMPARE(placement.has_value(), valid);
        if (valid)
            QCOMPARE(WindowPlacement::Format(*placement), text);
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("placed");

        const QList<QRect> one = {QRect(0, 0, 1024, 768)};
        const QList<QRect> two = {QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
        QTest::newRow("on screen") << QRect(100, 200, 520, 155) << one << QPoint(100, 200);
        QTest::newRow("off to the right") << QRect(3000, 100, 520, 155) << one << QPoint(504, 100);
        QTest::newRow("above and left") << QRect(-900, -500, 520, 155) << one << QPoint(0, 0);
        QTest::newRow("half below") << QRect(10, 700, 520, 155) << one << QPoint(10, 613);
        QTest::newRow("second screen kept") << QRect(1500, 800, 520, 155) << two << QPoint(1500, 800);
        QTest::newRow("second screen gone") << QRect(1500, 800, 520, 155) << one << QPoint(504, 613);
    }

    void placement()
    {
        QFETCH(QRect, stored);
        QFETCH(QList<QRect>, screens);
        QTEST(WindowPlacement::OntoScreens(stored, screens), "placed");
    }

    void placementRoundTrip()
    {
        createForm();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->move(30, 40);
        QTRY_COMPARE(m_form->pos(), QPoint(30, 40));
        m_form.reset();
        const auto stored = WindowPlacement::Read(SettingsStore::instance());
        QVERIFY(stored.has_value());
        QCOMPARE(stored->frame.topLeft(), QPoint(30, 40));

        // Malformed or off every screen: the window still lands on a screen.
        SettingsStore::instance().writeString(WindowPlacement::Key(), WindowPlacement::ValueName(), u"99999,-5000,520,155,0"_s);
        createForm();
        const QRect area = m_form->screen()->availableGeometry();
        QVERIFY(area.contains(QRect(m_form->pos(), m_form->size())));
        m_form.reset();
        SettingsStore::instance().writeString(WindowPlacement::Key(), WindowPlacement::ValueName(), u"x,1"_s);
        createForm();
        QVERIFY(area.contains(QRect(m_form->pos(), m_form->size())));
    }

    void hints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("status");

        QTest::newRow("Animate") << u"Animate"_s << u"Onlinestatus, Onlinezeit"_s << u"Onlinestatus und Onlinezeit"_s;
        QTest::newRow("MsgLabel") << u"MsgLabel"_s << u"Sitzungsprotokoll mit\nDoppelklick in anzeigen"_s
                                  << u"Sitzungsprotokoll mit Doppelklick in anzeigen"_s;
        QTest::newRow("EditOnline") << u"EditOnline"_s << u"Onlinezeit"_s << u"Onlinezeit"_s;
        QTest::newRow("EditCurrent") << u"EditCurrent"_s << u"Onlinezeit"_s << u"Onlinezeit"_s;
        QTest::newRow("BtnDial") << u"BtnDial"_s << u"Verbindung aufbauen / abbauen"_s
                                 << u"Verbindung aufbauen / abbauen"_s;
        QTest::newRow("BtnStopp") << u"BtnStopp"_s << u"Operationsabbruch"_s << u"Operationsabbruch"_s;
        QTest::newRow("BtnMore") << u"BtnMore"_s << u"Bearbeitungsbereich"_s << u"Bearbeitungsbereich"_s;
        QTest::newRow("BtnHelp") << u"BtnHelp"_s << u"Hilfe aufrufen"_s << u"Hilfe aufrufen"_s;
        QTest::newRow("BtnExit") << u"BtnExit"_s << u"Programmende"_s << u"Programmende"_s;
        QTest::newRow("ComboBoxRAS") << u"ComboBoxRAS"_s << u"Liste der DFÜ-Verbindungen"_s
                                     << u"Liste der DFÜ-Verbindungen"_s;
        QTest::newRow("BtnFavorite") << u"BtnFavorite"_s << u"Favorite"_s << u"Favoriten laden / speichern"_s;
        QTest::newRow("ComboBoxStartProg")
            << u"ComboBoxStartProg"_s
            << u"Starprogramme:\nWählen Sie aus der aufklappbaren Liste\nein Programm, welches Sie online oder\noffline starten möchten."_s
            << u"Startprogramm aus Liste wählen"_s;
        QTest::newRow("SBStart") << u"SBStart"_s << u"Angezeigtes Programm\nonline oder offline starten"_s
                                 << u"Das angezeigte Programm starten"_s;
        QTest::newRow("WaitProgress") << u"WaitProgress"_s << u"Verbindungszeit"_s << u"Verbindungszeit"_s;
        QTest::newRow("BtnGetMes") << u"BtnGetMes"_s << u"Datenaustausch Test\nAnzeige in Statuszeile"_s
                                   << u"Datenaustausch Test, Anzeige in Statuszeile"_s;
    }

    void hints()
    {
        QFETCH(QString, control);
        createForm();
        m_form->engine->SetConnectionState(Offline); // binding actions must not replace the buttons' hints
        auto *widget = m_form->findChild<QWidget *>(control);
        QVERIFY(widget);
        QTEST(widget->toolTip(), "tooltip");
        QTEST(widget->statusTip(), "status");
    }

    void favouritesHiddenWhenNotOffered()
    {
        TFormMain::FavoritesOffered = [] { return false; };
        createForm();
        TFormMain::FavoritesOffered = [] { return true; };
        QVERIFY(control<QToolButton>("BtnFavorite")->isHidden());
        QVERIFY(!action("MIFavorites")->isVisible());
    }

private:
    void createForm()
    {
        m_messages.clear();
        m_form = std::make_unique<TFormMain>();
        const QStringList fromWindow = m_messages;
        m_form->CreateEngine(m_fake.get());
        m_messages = fromWindow; // without the missing module's notice
        // What the start does once the event loop runs: the fee log read meanwhile is taken.
        m_form->RASStrList->EnsureLoaded(u"FeeReport"_s);
    }

    void oneCall(const QString &online)
    {
        m_form->engine->SetConnectionState(Dialing);
        m_form->engine->SetConnectionState(Online);
        control<QLineEdit>("EditOnline")->setText(online);
        m_form->engine->SetConnectionState(Ended);
    }

    template<typename T>
    T *control(const char *name) const
    {
        auto *widget = m_form->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

    QAction *action(const char *name) const { return control<QAction>(name); }

    /// Header sections, then status panels 0, 1, 3 and 4.
    QString connectionInfo() const
    {
        QStringList header;
        auto *model = control<QHeaderView>("HeaderControl")->model();
        for (int s = 0; s < 4; ++s)
            header << model->headerData(s, Qt::Horizontal).toString();
        QStringList panels;
        for (const char *name : {"StatusPanel0", "StatusPanel1", "StatusPanel3", "StatusPanel4"})
            panels << control<QLabel>(name)->text();
        return header.join(u'|') + u" / "_s + panels.join(u'|');
    }

    QString home(const QString &name) const { return m_home->filePath(name); }

    QTemporaryDir m_noModule;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<TFormMain> m_form;
    QDateTime m_now;
    QStringList m_messages;
    QStringList m_shown;
    bool m_answer = false;
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
