// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "AnimatCopy.h"
#include "EngineHost.h"
#include "EngineSettings.h"
#include "Folders.h"
#include "FormScanHTTP.h"
#include "LoopbackHttpServer.h"
#include "MessageDialog.h"
#include "SettingsStore.h"
#include "SiteFixture.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

// The download window, driven through its named controls; the real
// connection module dials on the simulated line, the site comes from a
// loopback server.
class TestFormScanHTTP : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_line;
    LoopbackHttpServer m_server;
    std::unique_ptr<FileSettingsStore> m_store;
    QStringList m_messages;

    std::unique_ptr<TFormScanHTTP> open(const QString &url, TRASWorkUnit *engine = nullptr)
    {
        auto form = std::make_unique<TFormScanHTTP>(engine, nullptr, m_store.get());
        form->SetURL(url);
        form->show();
        return form;
    }

    template<typename T>
    static T *control(const TFormScanHTTP &form, const char *name)
    {
        T *widget = form.findChild<T *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }

    static QString panel(const TFormScanHTTP &form, int index)
    {
        return control<QLabel>(form, QByteArray("MessageBarPanel" + QByteArray::number(index)).constData())->text();
    }

    static int nodeCount(const QTreeWidget *tree)
    {
        int count = 0;
        QList<QTreeWidgetItem *> pending;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            pending << tree->topLevelItem(i);
        while (!pending.isEmpty()) {
            QTreeWidgetItem *node = pending.takeLast();
            ++count;
            for (int i = 0; i < node->childCount(); ++i)
                pending << node->child(i);
        }
        return count;
    }

    QString root() const { return Folders::programFolder() + u"URL"_s; }

    /// The engine on the simulated line with its one entry selected.
    struct Line
    {
        std::unique_ptr<EngineHost> host = std::make_unique<EngineHost>();
        TRASWorkUnit *engine = nullptr;
    };

    std::unique_ptr<Line> line()
    {
        auto l = std::make_unique<Line>();
        l->engine = new TRASWorkUnit(l->host.get(), nullptr, m_store.get());
        l->host->engine = l->engine;
        auto *combo = l->host->get<QComboBox>("ComboBoxRAS");
        combo->setCurrentIndex(combo->findText(u"Netzwerk Nord"_s));
        l->engine->SelectConnection();
        l->engine->ApplyCurrentConnection();
        return l;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        qputenv("RUFWERK_LINE_DIR", m_line.path().toLocal8Bit());
        Folders::reset();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
        QVERIFY(writeAll(m_line.filePath(u"rasphone.pbk"_s), "[Netzwerk Nord]\r\nPhoneNumber=0301234\r\nDEVICE=modem\r\n"
                                                              "Device=Simuliertes Modem 56k\r\nSimConnectDelay=0\r\n"));
        QVERIFY(m_server.start());
        SiteFixture::install(m_server);
        // A small site for the window: pages under the pages that link them.
        m_server.page("/win/", SiteFixture::html("Start", "<a href=\"a.html\">A</a> <a href=\"b.html\">B</a>"
                                                          "<img src=\"i.png\"><img src=\"j.png\">"));
        m_server.page("/win/a.html", SiteFixture::html("A", "<a href=\"sub/c.html\">C</a><img src=\"i.png\">"));
        m_server.page("/win/b.html", SiteFixture::html("B", "<a href=\"./\">Start</a>"));
        m_server.page("/win/sub/c.html", SiteFixture::html("C", "<img src=\"k.png\">"));
        for (const char *image : {"/win/i.png", "/win/j.png", "/win/sub/k.png"})
            m_server.route(image, SiteFixture::image(SiteFixture::png(40, 30, Qt::darkCyan)));
    }

    void init()
    {
        QDir(root()).removeRecursively();
        QFile::remove(m_home.filePath(u"registry.reg"_s));
        m_store = std::make_unique<FileSettingsStore>(m_home.filePath(u"registry.reg"_s));
        m_messages.clear();
    }

    void opening_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::newRow("trailing slash removed") << u"http://www.example.com/"_s << u"http://www.example.com"_s
                                                << u"www.example.com"_s;
        QTest::newRow("trailing backslash removed") << u"http://www.example.com/docs\\"_s
                                                    << u"http://www.example.com/docs"_s << u"www.example.com/docs"_s;
        QTest::newRow("https goes without its prefix too") << u"https://example.com/"_s << u"https://example.com"_s
                                                           << u"example.com"_s;
        QTest::newRow("without URL") << QString() << u"http://"_s << QString();
    }

    void opening()
    {
        QFETCH(QString, url);
        QFETCH(QString, source);
        QFETCH(QString, target);
        auto form = open(url);
        QCOMPARE(form->windowTitle(), u"Download URL:"_s);
        QCOMPARE(form->property("HelpContext").toInt(), 844);
        QCOMPARE(control<QLineEdit>(*form, "EditURL")->text(), source);
        auto *editTarget = control<QLineEdit>(*form, "EditTarget");
        QCOMPARE(QDir::fromNativeSeparators(editTarget->text()), root() + u'/' + target);
        QCOMPARE(form->Scanner->BaseURL, source);
        QCOMPARE(form->Scanner->DestinationDir, root());
        QVERIFY(!control<QGroupBox>(*form, "GroupOptions")->isVisible());
        QVERIFY(!control<QPushButton>(*form, "BtnUpdate")->isEnabled());
        QVERIFY(control<QPushButton>(*form, "StartBtn")->isEnabled());
        QVERIFY(!control<QPushButton>(*form, "StopBtn")->isEnabled());
        QCOMPARE(panel(*form, 0), u"KB bisher:"_s);
        QCOMPARE(panel(*form, 10), u"0,0"_s);

        // The target follows typing only when the window came without URL.
        QTest::keyClicks(control<QLineEdit>(*form, "EditURL"), u"x.de/a"_s);
        const QString typed = control<QLineEdit>(*form, "EditURL")->text();
        if (url.isEmpty())
            QCOMPARE(QDir::fromNativeSeparators(editTarget->text()), root() + u"/x.de/a"_s);
        else
            QCOMPARE(QDir::fromNativeSeparators(editTarget->text()), root() + u'/' + target);
        QCOMPARE(typed, source + u"x.de/a"_s);
    }

    void storedOptions_data()
    {
        QTest::addColumn<QStringList>("stored"); // name=value pairs
        QTest::addColumn<QString>("maxKB");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("conversion");
        QTest::addColumn<bool>("otherURL");
        QTest::newRow("defaults") << QStringList() << u"500"_s << 500 << 3 << 2 << false;
        QTest::newRow("no limit") << QStringList{u"MaxKB=0"_s} << u"0"_s << 0 << 3 << 2 << false;
        QTest::newRow("empty MaxKB is the default") << QStringList{u"MaxKB="_s} << u"500"_s << 500 << 3 << 2 << false;
        QTest::newRow("MaxKB not a number") << QStringList{u"MaxKB=viel"_s} << u"500"_s << 500 << 3 << 2 << false;
        QTest::newRow("MaxKB too large") << QStringList{u"MaxKB=99999999999"_s} << u"500"_s << 500 << 3 << 2 << false;
        QTest::newRow("stored values") << QStringList{u"MaxKB=1200"_s, u"RecDep=5"_s, u"LinkConv=1"_s, u"OtherURL=1"_s}
                                       << u"1200"_s << 1200 << 5 << 1 << true;
        QTest::newRow("LinkConv above 2 is the last choice") << QStringList{u"LinkConv=3"_s} << u"500"_s << 500 << 3
                                                              << 2 << false;
        QTest::newRow("depth beyond 10") << QStringList{u"RecDep=42"_s} << u"500"_s << 500 << 10 << 2 << false;
    }

    void storedOptions()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, maxKB);
        QFETCH(int, limit);
        QFETCH(int, depth);
        QFETCH(int, conversion);
        QFETCH(bool, otherURL);
        for (const QString &pair : stored)
            m_store->writeString(RegKey::Download(), pair.section(u'=', 0, 0), pair.section(u'=', 1));
        auto form = open(u"http://example.com"_s);
        QCOMPARE(control<QLineEdit>(*form, "EditMaxKB")->text(), maxKB);
        QCOMPARE(control<QSpinBox>(*form, "SEditRecDep")->value(), depth);
        QVERIFY(control<QRadioButton>(*form, QByteArray("RGLinkConv" + QByteArray::number(conversion)).constData())
                    ->isChecked());
        QCOMPARE(control<QCheckBox>(*form, "CBOtherURL")->isChecked(), otherURL);
        QVERIFY(control<QCheckBox>(*form, "CBStrongUpd")->isChecked());
        QVERIFY(control<QCheckBox>(*form, "CBFileResult")->isChecked());
        QVERIFY(control<QCheckBox>(*form, "CBRobots")->isChecked());
        QCOMPARE(control<QLineEdit>(*form, "EditDefault")->text(), u"index.html"_s);
        QCOMPARE(form->Scanner->MaxDownloadKB, limit);
        QCOMPARE(form->Scanner->Depth, depth);
        QCOMPARE(int(form->Scanner->LinkConversion), conversion);
        QCOMPARE(form->Scanner->LoadOtherSites, otherURL);
        QCOMPARE(form->Scanner->DefaultFileName, u"index.html"_s);
    }

    void optionsApplyAtTheNextOpening()
    {
        auto form = open(u"http://example.com"_s);
        auto *update = control<QPushButton>(*form, "BtnUpdate");
        auto *options = control<QPushButton>(*form, "BtnOptions");
        QCOMPARE(options->text(), u"<< &Optionen"_s);
        options->click();
        QVERIFY(control<QGroupBox>(*form, "GroupOptions")->isVisible());
        QCOMPARE(options->text(), u">> &Optionen"_s);

        control<QSpinBox>(*form, "SEditRecDep")->setValue(7);
        QVERIFY(update->isEnabled());
        control<QCheckBox>(*form, "CBRobots")->click();
        control<QRadioButton>(*form, "RGLinkConv0")->click();
        auto *maxKB = control<QLineEdit>(*form, "EditMaxKB");
        maxKB->selectAll();
        QTest::keyClick(maxKB, Qt::Key_Delete);
        QTest::keyClicks(maxKB, u"12a3"_s); // the letter is refused
        QCOMPARE(maxKB->text(), u"123"_s);
        update->click();
        QVERIFY(!update->isEnabled());
        QCOMPARE(m_store->readString(RegKey::Download(), u"RecDep"_s), u"7"_s);
        QCOMPARE(m_store->readString(RegKey::Download(), u"Robots"_s), u"0"_s);
        QCOMPARE(m_store->readString(RegKey::Download(), u"LinkConv"_s), u"0"_s);
        QCOMPARE(m_store->readString(RegKey::Download(), u"MaxKB"_s), u"123"_s);
        QCOMPARE(m_store->readString(RegKey::Download(), u"StrongUpd"_s), u"1"_s);
        // The running window keeps the options it opened with.
        QCOMPARE(form->Scanner->Depth, 3);
        QCOMPARE(form->Scanner->MaxDownloadKB, 500);
        QVERIFY(form->Scanner->ObeyRobots);

        // An emptied limit is stored, and shown, as the default.
        maxKB->selectAll();
        QTest::keyClick(maxKB, Qt::Key_Delete);
        QVERIFY(update->isEnabled());
        update->click();
        QCOMPARE(maxKB->text(), u"500"_s);
        QCOMPARE(m_store->readString(RegKey::Download(), u"MaxKB"_s), u"500"_s);

        options->click();
        QVERIFY(!control<QGroupBox>(*form, "GroupOptions")->isVisible());
        auto next = open(u"http://example.com"_s);
        QCOMPARE(next->Scanner->Depth, 7);
        QVERIFY(!next->Scanner->ObeyRobots);
        QCOMPARE(int(next->Scanner->LinkConversion), int(lcNone));
    }

    // Offline, "&Start" dials, waits for the line and downloads; afterwards
    // the button hangs up.
    void dialsFirstThenDownloadsThenHangsUp()
    {
        if (!QFile::exists(qEnvironmentVariable("RUFWERK_MODULE_DIR") + u"/RASModule.KVT"_s))
            QSKIP("connection module not built");
        auto l = line();
        QCOMPARE(l->engine->ConnectionState, int(Offline));
        auto form = open(m_server.url(u"/win/"_s), l->engine);
        auto *start = control<QPushButton>(*form, "StartBtn");
        auto *animation = control<TAnimatCopy>(*form, "AnimatCopy");
        start->click();
        QCOMPARE(l->engine->ConnectionState, int(Online));
        QCOMPARE(start->text(), u"&Auflegen"_s);
        QCOMPARE(form->Scanner->State(), DS_PROCESSING);
        QVERIFY(animation->active());
        QVERIFY(!start->isEnabled());
        QVERIFY(control<QPushButton>(*form, "StopBtn")->isEnabled());
        QVERIFY(!control<QPushButton>(*form, "BtnReturn")->isEnabled());
        QVERIFY(!control<QPushButton>(*form, "MapBtn")->isEnabled());
        QVERIFY(!control<QPushButton>(*form, "BtnOptions")->isEnabled());

        QTRY_VERIFY_WITH_TIMEOUT(!m_messages.isEmpty(), 20000);
        QCOMPARE(m_messages, QStringList{u"Download abgeschlossen.\rDFÜ-Verbindung schliessen!"_s});
        QCOMPARE(form->Scanner->State(), DS_PROCESSED);
        QVERIFY(!animation->active());
        QVERIFY(start->isEnabled());
        QVERIFY(!control<QPushButton>(*form, "StopBtn")->isEnabled());
        QVERIFY(QFile::exists(root() + u"/127.0.0.1/win/index.html"_s));
        QVERIFY(QFile::exists(root() + u"/127.0.0.1/win/sub/k.png"_s));

        // Totals in the status line.
        QCOMPARE(panel(*form, 4), u"7"_s);
        QCOMPARE(panel(*form, 7), u"3"_s);
        QCOMPARE(panel(*form, 1), QLocale().toString(form->Scanner->TotalBytes() / 1024));
        QVERIFY(panel(*form, 10).contains(u','));

        // The tree: pages under the page that linked them; Refresh shows
        // every item, images too.
        auto *tree = control<QTreeWidget>(*form, "TreeView1");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem *top = tree->topLevelItem(0);
        // The start as typed; the window removed its "/" and the server redirects to it.
        QCOMPARE(top->text(0), m_server.url(u"/win"_s));
        QCOMPARE(top->childCount(), 2);
        QTreeWidgetItem *a = top->child(0);
        QCOMPARE(a->text(0), m_server.url(u"/win/a.html"_s));
        QCOMPARE(a->childCount(), 1);
        QCOMPARE(a->child(0)->text(0), m_server.url(u"/win/sub/c.html"_s));
        QCOMPARE(nodeCount(tree), 4);
        control<QPushButton>(*form, "MapBtn")->click();
        QCOMPARE(nodeCount(tree), 7);
        QCOMPARE(tree->topLevelItem(0)->childCount(), 4);

        const qsizetype requests = m_server.requests().size();
        start->click();
        QCOMPARE(start->text(), u"&Start"_s);
        QTRY_COMPARE_WITH_TIMEOUT(l->engine->ConnectionState, int(Offline), 5000);
        QCOMPARE(m_server.requests().size(), requests);
    }

    void whileOnlineStartHangsUp()
    {
        if (!QFile::exists(qEnvironmentVariable("RUFWERK_MODULE_DIR") + u"/RASModule.KVT"_s))
            QSKIP("connection module not built");
        auto l = line();
        l->engine->ActionConnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(l->engine->ConnectionState, int(Online), 10000);
        const qsizetype requests = m_server.requests().size();
        auto form = open(m_server.url(u"/site/"_s), l->engine);
        control<QPushButton>(*form, "StartBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(l->engine->ConnectionState, int(Offline), 5000);
        QCOMPARE(form->Scanner->State(), DS_NONE);
        QCOMPARE(m_server.requests().size(), requests);
    }

    void stopAndClose()
    {
        if (!QFile::exists(qEnvironmentVariable("RUFWERK_MODULE_DIR") + u"/RASModule.KVT"_s))
            QSKIP("connection module not built");
        auto l = line();
        auto form = open(m_server.url(u"/site/slow.html"_s), l->engine);
        auto *start = control<QPushButton>(*form, "StartBtn");
        start->click();
        QCOMPARE(form->Scanner->State(), DS_PROCESSING);
        control<QPushButton>(*form, "StopBtn")->click();
        QCOMPARE(form->Scanner->State(), DS_PROCESSED);
        QVERIFY(!control<TAnimatCopy>(*form, "AnimatCopy")->active());
        QVERIFY(start->isEnabled());
        QVERIFY(!control<QPushButton>(*form, "StopBtn")->isEnabled());
        QTest::qWait(50);
        QVERIFY(m_messages.isEmpty());

        // Closing stops a running download but leaves the line up.
        QCOMPARE(l->engine->ConnectionState, int(Online));
        form->Scanner->Start();
        form->close();
        QCOMPARE(form->Scanner->State(), DS_PROCESSED);
        QVERIFY(!form->isVisible());
        QCOMPARE(l->engine->ConnectionState, int(Online));
        l->engine->ActionDisconnect->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(l->engine->ConnectionState, int(Offline), 5000);
    }

    void nothingToFetchEndsAtOnce()
    {
        auto form = open(QString());
        control<QPushButton>(*form, "StartBtn")->click();
        QTRY_COMPARE(m_messages, QStringList{u"Download abgeschlossen.\rDFÜ-Verbindung schliessen!"_s});
        QCOMPARE(form->Scanner->State(), DS_ERROR);
        QCOMPARE(panel(*form, 4), u"0"_s);
        QVERIFY(control<QPushButton>(*form, "StartBtn")->isEnabled());
        QCOMPARE(control<QTreeWidget>(*form, "TreeView1")->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(TestFormScanHTTP)
#include "tst_formscanhttp.moc"
