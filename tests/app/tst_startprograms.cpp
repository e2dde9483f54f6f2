// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineSettings.h"
#include "FormMain.h"
#include "FormOpenOn.h"
#include "Glyphs.h"
#include "MainWindowFixture.h"
#include "MessageDialog.h"
#include "OnlineDial.h"
#include "RASStrList.h"
#include "RASWorkUnit.h"
#include "SettingsStore.h"
#include "StartProgramList.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

// Launching start programs from the main window: the combo, its menu, and
// the choice between online and offline.
class TestStartPrograms : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_fx.initTestCase();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
    }

    void init()
    {
        TFormMain::FavoritesOffered = [] { return true; };
        m_fx.init();
        m_messages.clear();
    }

    void cleanup() { m_fx.cleanup(); }

    void cleanupTestCase() { MessageDialog::SetHook(nullptr); }

    void offeredPrograms_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("favorites");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("captions");

        const QStringList list
            = { u"Kovatek Homepage;http://www.kovatek.de;"_s, u"Mail;/usr/bin/mail;-c"_s, u"Web;/usr/bin/web;"_s };
        QTest::newRow("favourites offered: all")
            << list << true << QStringList { u"Kovatek Homepage"_s, u"Mail"_s, u"Web"_s }
            << QStringList { u"Kovatek Homepage"_s, u"Mail"_s, u"Web"_s };
        QTest::newRow("no favourites: no homepage")
            << list << false << QStringList { u"Mail"_s, u"Web"_s } << QStringList { u"Mail"_s, u"Web"_s };
        QTest::newRow("homepage rule compares exactly")
            << QStringList { u"kovatek homepage;http://www.kovatek.de;"_s } << false
            << QStringList { u"kovatek homepage"_s } << QStringList { u"kovatek homepage"_s };
        QTest::newRow("ampersand is no mnemonic in the menu")
            << QStringList { u"Tom & Jerry;/usr/bin/tj;"_s } << true << QStringList { u"Tom & Jerry"_s }
            << QStringList { u"Tom && Jerry"_s };
        QTest::newRow("empty list") << QStringList {} << true << QStringList {} << QStringList {};
    }

    void offeredPrograms()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, favorites);
        QFETCH(QStringList, names);
        QFETCH(QStringList, captions);
        TFormMain::FavoritesOffered = [favorites] { return favorites; };
        storePrograms(lines);
        createForm();
        // The settings dialog reloads after saving: still one item per program.
        m_fx.form->LoadStartPrograms();

        QStringList shown;
        for (int i = 0; i < combo()->count(); ++i)
            shown << combo()->itemText(i);
        QCOMPARE(shown, names);
        QStringList items;
        QStringList hints;
        const QList<QAction *> actions = menu()->actions();
        for (QAction *action : actions) {
            items << action->text();
            hints << action->statusTip();
        }
        QCOMPARE(items, captions);
        for (int i = 0; i < hints.size(); ++i)
            QCOMPARE(hints.at(i), u"Starprogramm: "_s + names.at(i));
        QCOMPARE(combo()->currentIndex(), names.isEmpty() ? -1 : 0);
        // The list holds every record, also those not offered.
        QCOMPARE(m_fx.form->RASStrList->Lines(u"StartProgs"_s), lines);
    }

    void menuItemLaunchesItsOwnRecord()
    {
        // With the homepage left out, each item still starts the program it names.
        TFormMain::FavoritesOffered = [] { return false; };
        storePrograms(
            { u"Kovatek Homepage;http://www.kovatek.de;"_s, u"Mail;/usr/bin/mail;-c"_s, u"Web;/usr/bin/web;--new"_s });
        createForm();
        m_fx.form->engine->SetConnectionState(ExternalOnline);
        menu()->actions().at(1)->trigger();
        QCOMPARE(opened(), QStringList { u"/usr/bin/web|--new"_s });
        QCOMPARE(m_openOn.shown, 0);
        QCOMPARE(SettingsStore::instance().readInteger(RegKey::StartProgram(), QString(), -1), 1);
    }

    void recordSplit_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("started");

        QTest::newRow("parameters") << u"Editor;/usr/bin/editor;-n"_s << u"/usr/bin/editor|-n"_s;
        QTest::newRow("parameters keep further ;")
            << u"Editor;/usr/bin/editor;--a;--b;"_s << u"/usr/bin/editor|--a;--b;"_s;
        QTest::newRow("version-5 line hands on its ;")
            << u"Editor;C:\\WINDOWS\\NOTEPAD.EXE;;"_s << u"C:\\WINDOWS\\NOTEPAD.EXE|;"_s;
        QTest::newRow("no parameter field") << u"Editor;/usr/bin/editor"_s << u"/usr/bin/editor|"_s;
        QTest::newRow("quoted path") << u"Editor;\"/opt/my editor/run\";-v"_s << u"/opt/my editor/run|-v"_s;
    }

    void recordSplit()
    {
        QFETCH(QString, line);
        storePrograms({ line });
        createForm();
        m_fx.form->engine->SetConnectionState(ExternalOnline);
        m_fx.form->RunCommand(u"RunStartProgram"_s);
        QTEST(opened().join(u'#'), "started");
        QCOMPARE(m_openOn.shown, 0);
        QCOMPARE(m_fx.shell->opened.first().workDir, QString());
    }

    void storedSelection_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("selected");
        QTest::newRow("none stored") << QString() << 0;
        QTest::newRow("last of three") << u"2"_s << 2;
        QTest::newRow("beyond the list") << u"3"_s << 0;
        QTest::newRow("negative") << u"-1"_s << 0;
        QTest::newRow("malformed") << u"zwei"_s << 0;
    }

    void storedSelection()
    {
        QFETCH(QString, stored);
        if (!stored.isNull())
            SettingsStore::instance().writeString(RegKey::StartProgram(), QString(), stored);
        storePrograms({ u"A;/a;"_s, u"B;/b;"_s, u"C;/c;"_s });
        createForm();
        QTEST(combo()->currentIndex(), "selected");
    }

    void icons()
    {
        const QString program = m_fx.file(u"editor"_s);
        QVERIFY(writeAll(program, "#!/bin/sh\n"));
        storePrograms({ u"Missing;/nonexistent/editor;"_s, u"Present;\""_s + program + u"\";"_s });

        // The system has no icon for the file's type: the fallback for both.
        createForm();
        const qint64 fallback = Glyphs::icon(Glyphs::Program).cacheKey();
        QCOMPARE(combo()->itemIcon(0).cacheKey(), fallback);
        QCOMPARE(combo()->itemIcon(1).cacheKey(), fallback);

        QPixmap red(16, 16);
        red.fill(Qt::red);
        m_fx.shell->icon = QIcon(red);
        m_fx.form->LoadStartPrograms();
        QCOMPARE(combo()->itemIcon(0).cacheKey(), fallback);
        QCOMPARE(combo()->itemIcon(1).cacheKey(), m_fx.shell->icon.cacheKey());
        QCOMPARE(menu()->actions().at(1)->icon().cacheKey(), m_fx.shell->icon.cacheKey());
    }

    void launchDecision_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("alwaysOnline");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("dialEnds");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("dials");
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("alwaysAfter");

        const QString online = u"BtnShutDown"_s;
        const QString offline = u"BtnLeaveOpen"_s;
        const QString cancel = u"BtnCancel"_s;
        QTest::newRow("online, the dial succeeds")
            << int(Offline) << false << online << false << int(Online) << true << 1 << true << false;
        QTest::newRow("online, the dial is stopped")
            << int(Offline) << false << online << false << int(Offline) << true << 1 << false << false;
        QTest::newRow("offline") << int(Offline) << false << offline << false << int(Online) << true << 0 << true
                                 << false;
        QTest::newRow("cancel") << int(Offline) << false << cancel << false << int(Online) << true << 0 << false
                                << false;
        QTest::newRow("close box is cancel")
            << int(Offline) << false << u"close"_s << false << int(Online) << true << 0 << false << false;
        QTest::newRow("ticked, then cancel")
            << int(Offline) << false << cancel << true << int(Online) << true << 0 << false << true;
        QTest::newRow("ticked, then offline")
            << int(Offline) << false << offline << true << int(Online) << true << 0 << true << true;
        QTest::newRow("always online dials without asking")
            << int(Offline) << true << QString() << false << int(Online) << false << 1 << true << true;
        QTest::newRow("while dialing: asked as offline")
            << int(Dialing) << false << offline << false << int(Online) << true << 0 << true << false;
        QTest::newRow("after an end: asked as offline")
            << int(Ended) << false << offline << false << int(Online) << true << 0 << true << false;
        QTest::newRow("external connection: at once")
            << int(ExternalOnline) << false << QString() << false << int(Online) << false << 0 << true << false;
        QTest::newRow("own connection: at once")
            << int(Online) << true << QString() << false << int(Online) << false << 0 << true << true;
    }

    void launchDecision()
    {
        QFETCH(int, state);
        QFETCH(bool, alwaysOnline);
        QFETCH(QString, button);
        QFETCH(bool, tick);
        QFETCH(int, dialEnds);
        storePrograms({ u"Mail;/usr/bin/mail;-c"_s });
        createForm();
        m_fx.form->engine->SetConnectionState(state);
        m_fx.form->AlwaysOnline = alwaysOnline;
        int dials = 0;
        AnswerDial(*m_fx.form, dialEnds, &dials);
        m_openOn.button = button;
        m_openOn.tick = tick;

        m_fx.form->findChild<QToolButton *>(u"SBStart"_s)->click();

        QTEST(m_openOn.shown == 1, "asked");
        if (m_openOn.shown)
            QCOMPARE(m_openOn.label, u"Mail"_s);
        QTEST(dials, "dials");
        QTEST(!m_fx.shell->opened.isEmpty(), "started");
        QTEST(m_fx.form->AlwaysOnline, "alwaysAfter");
        QVERIFY(m_messages.isEmpty());
    }

    void commandsOpenTheMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("main menu &Ausführen (F12)") << u"MIRunStartProg"_s;
        QTest::newRow("tray menu &Startprogramme") << u"MIStartProgs"_s;
    }

    void commandsOpenTheMenu()
    {
        QFETCH(QString, item);
        storePrograms({ u"Mail;/usr/bin/mail;"_s });
        createForm();
        m_fx.form->findChild<QAction *>(item)->trigger();
        QVERIFY(m_messages.isEmpty());
        QVERIFY(menu()->isVisible());
        menu()->hide();
        QCOMPARE(m_fx.form->findChild<QAction *>(u"MIRunStartProg"_s)->shortcut(), QKeySequence(Qt::Key_F12));
    }

    void doubleClickLaunchesTheShownProgram()
    {
        storePrograms({ u"A;/usr/bin/a;"_s, u"B;/usr/bin/b;"_s });
        createForm();
        m_fx.form->engine->SetConnectionState(ExternalOnline);
        combo()->setCurrentIndex(1);
        QTest::mouseDClick(combo(), Qt::LeftButton);
        QCOMPARE(opened(), QStringList { u"/usr/bin/b|"_s });
        m_fx.form->findChild<QAction *>(u"MITaskStartProg"_s)->trigger();
        QCOMPARE(opened().size(), 2);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(m_openOn.shown, 0);
    }

    void openOnDialog()
    {
        bool always = false;
        const QString address = u"http://www.example.org/"_s + QString(200, u'x');
        TFormOpenOn dialog(address, &always);
        QCOMPARE(dialog.windowTitle(), u"DFÜ-Online"_s);
        QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        // A long address is cut with an ellipsis; the hint has it whole.
        QVERIFY(dialog.LabelName->text().endsWith(u"…"_s));
        QVERIFY(dialog.LabelName->text().size() < address.size());
        QCOMPARE(dialog.LabelName->toolTip(), address);
        const struct {
            const char *name;
            QString caption;
            QString hint;
        } buttons[] = {
            { "BtnShutDown", u"&Online starten"_s, u"Programm online starten"_s },
            { "BtnLeaveOpen", u"O&ffline starten"_s, u"Programm offline starten"_s },
            { "BtnCancel", u"&Abbrechen"_s, u"Aktive Verbindung beenden"_s },
        };
        for (const auto &b : buttons) {
            auto *button = dialog.findChild<QPushButton *>(QLatin1String(b.name));
            QVERIFY(button);
            QCOMPARE(button->text(), b.caption);
            QCOMPARE(button->toolTip(), b.hint);
        }
        QCOMPARE(dialog.CBOnStart->text(), u"&Immer Online starten"_s);
        QCOMPARE(dialog.CBOnStart->property("HelpContext").toInt(), 163);
        QCOMPARE(dialog.CBOnStart->toolTip(), u"Bis zum nächsten Rufwerk Aufruf immer online starten"_s);
        QCOMPARE(dialog.CBOnStart->statusTip(), u"PostIt Hilfe ein / aus"_s);
        dialog.CBOnStart->setChecked(true);
        QVERIFY(always); // at once, before any button
    }

private:
    void storePrograms(const QStringList &lines)
    {
        QVERIFY(TextFile::writeLines(m_fx.file(StartProgramList::FileName()), lines));
    }

    void createForm()
    {
        m_fx.createForm();
        m_messages.clear(); // without the missing module's notice
        m_openOn = OpenOnAnswer();
        WhenOpenOnShows(*m_fx.form, m_openOn);
    }

    QComboBox *combo() const { return m_fx.form->findChild<QComboBox *>(u"ComboBoxStartProg"_s); }
    QMenu *menu() const { return m_fx.form->findChild<QMenu *>(u"PMStartProgs"_s); }

    QStringList opened() const
    {
        QStringList list;
        for (const auto &o : m_fx.shell->opened)
            list << o.target + u'|' + o.parameters;
        return list;
    }

    MainWindowFixture m_fx;
    QStringList m_messages;
    OpenOnAnswer m_openOn;
};

QTEST_MAIN(TestStartPrograms)
#include "tst_startprograms.moc"
