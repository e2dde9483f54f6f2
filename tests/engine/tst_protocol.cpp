// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineHost.h"
#include "FakeDialUpService.h"
#include "Folders.h"
#include "FormHelp.h"
#include "MessageDialog.h"
#include "SettingsStore.h"
#include "TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

// Session protocol and dial supervision: the engine's lines and its timers.
class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
    }

    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_home->path().toLocal8Bit());
        Folders::reset();
        m_questions.clear();
        m_errors.clear();
        m_answer = false;
        MessageDialog::SetHook([this](MessageDialog::Kind kind, const QString &text) {
            if (kind == MessageDialog::Kind::Question)
                m_questions << text;
            if (kind == MessageDialog::Kind::Error)
                m_errors << text;
            return m_answer;
        });
        m_shown.clear();
        TFormHelp::execHook = [this](TFormHelp *form) {
            m_shown << form->richEdit()->toPlainText();
            return 1;
        };
        m_store = std::make_unique<FileSettingsStore>(m_home->filePath(u"registry.reg"_s));
        m_fake = std::make_unique<FakeDialUpService>();
        m_fake->addEntry(u"Netzwerk Nord"_s, u"0191011"_s);
        m_host = std::make_unique<EngineHost>();
        m_engine = new TRASWorkUnit(m_host.get(), m_fake.get(), m_store.get());
        m_host->engine = m_engine;
        m_connects = 0;
        connect(m_engine->ActionConnect, &QAction::triggered, this, [this] { ++m_connects; });
    }

    void cleanup()
    {
        m_host.reset();
        TFormHelp::execHook = nullptr;
    }

    void noProtocolYet()
    {
        m_engine->ActionShowLogExecute();
        QCOMPARE(m_shown, QStringList{u"Noch kein Protokoll erstellt!"_s});
        QVERIFY(!QFile::exists(m_engine->ProtocolFileName()));
    }

    void earlierRunIsShownUntilTheFirstEvent()
    {
        QVERIFY(TextFile::writeLines(m_engine->ProtocolFileName(), {u"Wahl wiederholt"_s, u"aus dem letzten Lauf"_s}));
        m_engine->ActionShowLogExecute();
        QCOMPARE(m_shown.last(), u"Wahl wiederholt\naus dem letzten Lauf"_s);
        m_engine->AppendProtocol(u"neu"_s);
        m_engine->ActionShowLogExecute();
        QCOMPARE(m_shown.last(), u"neu"_s);
    }

    void dialTimeout()
    {
        m_engine->Timeout = 60;
        m_host->get<QSpinBox>("SpinEdit")->setValue(20);
        m_engine->SetConnectionState(Dialing);
        QVERIFY(m_engine->TimerProceed->isActive());
        int stops = 0;
        connect(m_engine->ActionStopCon, &QAction::triggered, this, [&stops] { ++stops; });
        for (int tick = 1; tick < 20; ++tick)
            m_engine->TimerProceedTimer();
        QCOMPARE(m_host->get<QLabel>("LabelTime")->text(), u"19 sec."_s);
        QCOMPARE(stops, 0);
        m_engine->TimerProceedTimer();
        QCOMPARE(m_host->get<QLabel>("LabelTime")->text(), u"20 sec."_s);
        QCOMPARE(stops, 1);
        QVERIFY(!m_engine->TimerProceed->isActive());
        QCOMPARE(m_engine->DialSeconds, 0);
        QCOMPARE(m_host->lists->Lines(u"Protocol"_s),
                 (QStringList{u"Abbruch-Laufzeit von: 60 Sekunden wurde überschritten!"_s,
                              u"Öffnen Sie \"VV Mehr...\" und erhöhen Sie den Wert von \"Timeout\""_s}));
        // the lines are on disk at once, not only when the protocol is shown
        QStringList onDisk;
        QVERIFY(TextFile::readLines(m_engine->ProtocolFileName(), &onDisk));
        QCOMPARE(onDisk, m_host->lists->Lines(u"Protocol"_s));
    }

    void loweringTheLimitAbortsAtTheNextTick()
    {
        m_engine->SetConnectionState(Dialing);
        for (int tick = 0; tick < 30; ++tick)
            m_engine->TimerProceedTimer();
        QVERIFY(m_engine->TimerProceed->isActive());
        m_host->get<QSpinBox>("SpinEdit")->setValue(20);
        m_engine->TimerProceedTimer();
        QVERIFY(!m_engine->TimerProceed->isActive());
        QCOMPARE(m_host->lists->Lines(u"Protocol"_s).size(), 2);
    }

    void timeoutAfterOnlineDoesNothing()
    {
        m_engine->SetConnectionState(Dialing);
        m_engine->SetConnectionState(Online);
        QVERIFY(!m_engine->TimerProceed->isActive());
        m_engine->HandleDialTimeout();
        QVERIFY(m_host->lists->Lines(u"Protocol"_s).isEmpty());
    }

    void busyLine_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("redial") << true;
        QTest::newRow("no redial") << false;
    }

    void busyLine()
    {
        QFETCH(bool, answer);
        m_answer = answer;
        QList<int> waits;
        m_engine->Wait = [&waits](int ms) { waits << ms; };
        m_engine->HandleWindowMessage(5939, 0, 0);
        QCOMPARE(m_questions, QStringList{u"Teilnehmer ist besetzt!\rWahl wiederholen?"_s});
        QCOMPARE(m_connects, answer ? 1 : 0);
        QCOMPARE(waits, answer ? QList<int>{3000} : QList<int>{});
        QCOMPARE(m_host->lists->Lines(u"Protocol"_s), answer ? QStringList{u"Wahl wiederholt"_s} : QStringList{});
    }

    void showingTwiceRewritesTheFile()
    {
        for (const QString &line : {u"eins"_s, u"zwei"_s, u"drei"_s})
            m_engine->AppendProtocol(line);
        m_engine->ActionShowLogExecute();
        m_engine->ActionShowLogExecute();
        QStringList onDisk;
        QVERIFY(TextFile::readLines(m_engine->ProtocolFileName(), &onDisk));
        QCOMPARE(onDisk, (QStringList{u"eins"_s, u"zwei"_s, u"drei"_s}));
        QCOMPARE(m_shown.size(), 2);
        QCOMPARE(m_shown.at(0), m_shown.at(1));
    }

    void unwritableProtocolFile()
    {
        const QString file = m_engine->ProtocolFileName();
        QVERIFY(QDir().mkpath(file)); // a folder where the file should be
        m_engine->AppendProtocol(u"Wahl wiederholt"_s);
        m_engine->ActionShowLogExecute();
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_errors.first().contains(u"Rufwerk-Log.TXT"_s));
        QVERIFY(m_shown.isEmpty());
        QCOMPARE(m_host->lists->Lines(u"Protocol"_s), QStringList{u"Wahl wiederholt"_s});
    }

private:
    QTemporaryDir m_noModule;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FileSettingsStore> m_store;
    std::unique_ptr<FakeDialUpService> m_fake;
    std::unique_ptr<EngineHost> m_host;
    TRASWorkUnit *m_engine = nullptr;
    QStringList m_questions;
    QStringList m_errors;
    QStringList m_shown;
    bool m_answer = false;
    int m_connects = 0;
};

QTEST_MAIN(TestProtocol)
#include "tst_protocol.moc"
