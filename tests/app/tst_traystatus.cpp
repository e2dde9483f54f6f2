// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "DialUp.h"
#include "EngineSettings.h"
#include "FormMain.h"
#include "MainWindowFixture.h"
#include "MessageDialog.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "SideBarMenu.h"
#include "TrayStatus.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

TStatusData sample(int state)
{
    TStatusData data;
    data.State = state;
    data.OnlineTime = u"00:01:05"_s;
    data.Cost = u"0,04 €"_s;
    data.Entry = { u"Netzwerk Nord"_s, u"0301234"_s, u"nord"_s, QString(), u"2"_s };
    data.Header = { u"Netzwerk Nord"_s, u"Modem"_s, u"56000"_s, u"Standardmodem"_s };
    data.Panels = { u"10.0.0.2"_s, u"1200"_s, QString(), u"3400"_s, u"10.0.0.1"_s, QString() };
    return data;
}

const QString Connection = u"Aktive DFÜ, Rufnummer, Gebühr: \rNetzwerk Nord, 0301234, 2 €-Ct/Min."_s;
const QString Traffic = u"Verbindung:\rModem, 56000Standardmodem\rVerarbeitung: \r"
                        "10.0.0.2 > 1200 gesendet | 10.0.0.1 < 3400 empfangen\r"_s;

} // namespace

Q_DECLARE_METATYPE(TStatusData)

// The tray icon: its menu, the status balloon, and showing and hiding the main window.
class TestTrayStatus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_fx.initTestCase();
        MessageDialog::SetHook([](MessageDialog::Kind, const QString &) { return false; });
        TrayStatus::ShowBalloonHook
            = [this](const QString &title, const QString &text) { m_balloons << title + u'#' + text; };
    }

    void init()
    {
        TFormMain::TrayAvailable = [] { return true; };
        m_fx.init();
        SettingsStore::instance().writeString(RegKey::Tariff(), u"Netzwerk Nord"_s, u"2"_s);
        m_balloons.clear();
    }

    void cleanup() { m_fx.cleanup(); }

    void cleanupTestCase()
    {
        MessageDialog::SetHook(nullptr);
        TrayStatus::ShowBalloonHook = nullptr;
    }

    void balloon_data()
    {
        QTest::addColumn<TStatusData>("data");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");

        QTest::newRow("Offline") << sample(Offline) << u"Rufwerk ist offline"_s << Connection;
        QTest::newRow("Online") << sample(Online) << u"Rufwerk ist online: 00:01:05 (hh:mm:ss), 0,04 €"_s
                                << Connection + u"\r"_s + Traffic;
        QTest::newRow("ExternalOnline") << sample(ExternalOnline) << u"Extern ist online: 00:01:05 (hh:mm:ss), 0,04 €"_s
                                        << Connection + u"\r"_s + Traffic;
        TStatusData unknown = sample(ExternalOnline);
        unknown.Entry = TEntryRec();
        QTest::newRow("external connection not in the list")
            << unknown << u"Extern ist online: 00:01:05 (hh:mm:ss), 0,04 €"_s
            << u"Aktive DFÜ, Rufnummer, Gebühr: \r, ,  €-Ct/Min.\r"_s + Traffic;
        QTest::newRow("Dialing") << sample(Dialing) << QString() << QString();
        QTest::newRow("Ended") << sample(Ended) << QString() << QString();

        TStatusData longOnes = sample(Online);
        longOnes.Cost = QString(100, u'9') + u" €"_s;
        longOnes.Header[3] = QString(300, u'G');
        const QString title = u"Rufwerk ist online: 00:01:05 (hh:mm:ss), "_s + QString(100, u'9');
        const QString text = Connection + u"\rVerbindung:\rModem, 56000"_s + QString(300, u'G');
        QTest::newRow("cut at 63 and 255 characters") << longOnes << title.left(63) << text.left(255);
    }

    void balloon()
    {
        QFETCH(TStatusData, data);
        const TBalloon balloon = TrayStatus::StatusBalloon(data);
        QTEST(balloon.Title, "title");
        QTEST(balloon.Text, "text");
        QVERIFY(balloon.Title.size() <= TrayStatus::MaxTitle);
        QVERIFY(balloon.Text.size() <= TrayStatus::MaxText);
    }

    void cutKeepsCharacterPairs()
    {
        const QString text = QString(62, u'a') + u"😀b"_s;
        QCOMPARE(TrayStatus::Cut(text, 63), QString(62, u'a'));
        QCOMPARE(TrayStatus::Cut(text, 64), QString(62, u'a') + u"😀"_s);
        QCOMPARE(TrayStatus::Cut(u"kurz"_s, 63), u"kurz"_s);
    }

    void entryContaining_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("first line that contains it") << u"Flat"_s << 1;
        QTest::newRow("whole name") << u"Callnet Flat"_s << 1;
        QTest::newRow("letter case counts") << u"callnet"_s << -1;
        QTest::newRow("no name") << QString() << -1;
    }

    void entryContaining()
    {
        QFETCH(QString, name);
        const QStringList entries
            = { u"Netzwerk Nord;0301234;nord;2;"_s, u"Callnet Flat;0800111;;1;"_s, u"Flat Zwei;0800222;;1;"_s };
        QTEST(TrayStatus::EntryContaining(entries, name), "index");
    }

    void statusCommand()
    {
        createForm();
        TRASWorkUnit *engine = m_fx.form->engine;
        action("MIStatus")->trigger();
        QCOMPARE(m_balloons, QStringList { u"Rufwerk ist offline#"_s + Connection });

        engine->SetConnectionState(Dialing);
        action("MIStatus")->trigger();
        QCOMPARE(m_balloons.size(), 1); // no balloon while dialing

        engine->SetConnectionState(Online);
        m_fx.form->findChild<QLineEdit *>(u"EditOnline"_s)->setText(u"00:00:05"_s);
        m_fx.form->findChild<QLabel *>(u"StatusPanel1"_s)->setText(u"1200"_s);
        m_fx.form->findChild<QHeaderView *>(u"HeaderControl"_s)->model()->setHeaderData(1, Qt::Horizontal, u"ISDN"_s);
        action("MIStatus")->trigger();
        QVERIFY(m_balloons.last().startsWith(
            u"Rufwerk ist online: 00:00:05 (hh:mm:ss), 0,02 €#"_s + Connection + u"\rVerbindung:\rISDN, "_s));
        QVERIFY(m_balloons.last().contains(u" > 1200 gesendet | "_s));

        // An external connection shows its own entry's data.
        engine->SetConnectionState(Offline);
        engine->SetConnectionState(ExternalOnline);
        engine->RWDialUp->EntryName = u"Callnet Flat"_s;
        action("MIStatus")->trigger();
        QVERIFY(m_balloons.last().startsWith(u"Extern ist online: "_s));
        QVERIFY(m_balloons.last().contains(u"\rCallnet Flat, 0800111, "_s));
    }

    void trayMenu()
    {
        createForm();
        auto *menu = qobject_cast<TSideBarMenu *>(m_fx.form->findChild<QMenu *>(u"BarPopupMenu"_s));
        QVERIFY(menu);
        QCOMPARE(m_fx.form->findChild<QSystemTrayIcon *>(u"TrayIcon"_s)->contextMenu(), menu);
        QStringList items;
        const QList<QAction *> actions = menu->actions();
        for (QAction *a : actions)
            items << (a->isSeparator() ? u"-"_s : a->objectName() + u' ' + a->text() + u'|' + a->statusTip());
        QCOMPARE(items,
            (QStringList {
                u"MIAltruf &Kovatek Rufwerk|Rufwerk rückladen"_s,
                u"MIStartProgs &Startprogramme|Startprogramme"_s,
                u"MIProgInfo &Programminfo|Programm-Kurzinformation"_s,
                u"MIDialHang &Wählen|"_s,
                u"-"_s,
                u"MIProtocol &Sitzungs-Protokoll|"_s,
                u"MICostReport &Gebühren-Protokoll|"_s,
                u"-"_s,
                u"MIStatus Statusanzeige|Statusanzeige"_s,
                u"-"_s,
                u"MIProgExit &Programm &beenden\tAlt+F4|"_s,
            }));

        // The side bar: sky blue at the top, blue at the bottom, yellow letters, items right of it.
        menu->popup(QPoint(0, 0));
        const QImage image = menu->grab().toImage();
        menu->hide();
        QVERIFY(menu->actionGeometry(actions.first()).left() >= TSideBarMenu::BarWidth);
        const QColor top = image.pixelColor(2, 2);
        const QColor bottom = image.pixelColor(2, image.height() - 3);
        QVERIFY2(top.blue() > 200 && top.red() > 120, qPrintable(top.name()));
        QVERIFY2(bottom.blue() > 200 && bottom.red() < 40, qPrintable(bottom.name()));
        int yellow = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < TSideBarMenu::BarWidth; ++x) {
                const QColor c = image.pixelColor(x, y);
                yellow += c.red() > 200 && c.green() > 200 && c.blue() < 80;
            }
        }
        QVERIFY(yellow > 20);
    }

    void minimiseToTray()
    {
        createForm();
        auto *tray = m_fx.form->findChild<QSystemTrayIcon *>(u"TrayIcon"_s);
        m_fx.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fx.form.get()));
        m_fx.form->showMinimized();
        QTRY_VERIFY(!m_fx.form->isVisible());

        emit tray->activated(QSystemTrayIcon::MiddleClick);
        QVERIFY(!m_fx.form->isVisible());
        emit tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(m_fx.form->isVisible());
        QVERIFY(!m_fx.form->isMinimized());

        m_fx.form->showMinimized();
        QTRY_VERIFY(!m_fx.form->isVisible());
        emit tray->activated(QSystemTrayIcon::Trigger); // the left button
        QVERIFY(m_fx.form->isVisible());

        // Without a notification area the window only minimises.
        TFormMain::TrayAvailable = [] { return false; };
        m_fx.form->showMinimized();
        QTest::qWait(20);
        QVERIFY(m_fx.form->isVisible());
    }

    void miniStart()
    {
        TStartSettings settings;
        settings.MiniStart = true;
        settings.Write(SettingsStore::instance());
        createForm();
        m_fx.form->StartUp();
        QVERIFY(!m_fx.form->isVisible());
        action("MIAltruf")->trigger();
        QVERIFY(m_fx.form->isVisible());
    }

    void animation()
    {
        createForm();
        auto *tray = m_fx.form->findChild<QSystemTrayIcon *>(u"TrayIcon"_s);
        auto *timer = m_fx.form->findChild<QTimer *>(u"TrayTimer"_s);
        QCOMPARE(timer->interval(), 400);
        m_fx.form->engine->SetConnectionState(Online);
        QVERIFY(timer->isActive());
        QCOMPARE(tray->property("image").toInt(), 0);
        QTRY_VERIFY(tray->property("image").toInt() != 0);
        m_fx.form->engine->SetConnectionState(Ended);
        QVERIFY(!timer->isActive());
        QCOMPARE(tray->property("image").toInt(), 0);
    }

private:
    void createForm() { m_fx.createForm(); }

    QAction *action(const char *name) const
    {
        auto *a = m_fx.form->findChild<QAction *>(QLatin1String(name));
        if (!a)
            qFatal("no action %s", name);
        return a;
    }

    MainWindowFixture m_fx;
    QStringList m_balloons;
};

QTEST_MAIN(TestTrayStatus)
#include "tst_traystatus.moc"
