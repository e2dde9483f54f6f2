// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeDialUpService.h"
#include "Folders.h"
#include "FormMain.h"
#include "HelpCommands.h"
#include "HelpSystem.h"
#include "HelpWindow.h"
#include "MessageDialog.h"
#include "SettingsStore.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

struct Request {
    QString file;
    HelpLink::Request kind;
    int context;
};

/// Every help context a window of the program names, with its help file.
QList<QPair<QString, int>> namedContexts()
{
    QList<QPair<QString, int>> contexts;
    for (int c : { 20, 21, 22, 26, 27, 152, 153, 154, 155, 156, 161, 162, 163, 164, 165, 166, 810, 811, 818, 831, 832,
             833, 844, 860, 861, 862, 863, 864, 865, 866, 870 })
        contexts.append({ HelpLink::ProgramHelp, c });
    for (int c : { 3333, 3334 })
        contexts.append({ u"ListPrinter"_s, c });
    return contexts;
}

/// The help contexts the sources give as numbers: "HelpContext" properties and
/// constants, and ShowContext calls. Windows in later folders join by themselves.
QList<QPair<QString, int>> sourceContexts()
{
    static const QRegularExpression given(
        uR"((?:"HelpContext"\s*,|HelpContext\s*=|ShowContext\(|helpGroup\([^;]*?,)\s*(\d+))"_s);
    QList<QPair<QString, int>> contexts;
    QDirIterator files(
        QStringLiteral(RUFWERK_SOURCE_DIR "/src"), { u"*.cpp"_s, u"*.h"_s }, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString file = path.contains(u"/listprint/"_s) ? u"ListPrinter"_s : HelpLink::ProgramHelp;
        const QString text = QString::fromUtf8(readAll(path));
        auto matches = given.globalMatch(text);
        while (matches.hasNext()) {
            const int context = matches.next().captured(1).toInt();
            if (context != 0 && !contexts.contains(qMakePair(file, context)))
                contexts.append({ file, context });
        }
    }
    return contexts;
}

} // namespace

// The help as the user meets it: every context opens its topic, F1 finds the
// focused control's context, the window's three panes, and missing help files.
class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid() && m_noModule.isValid());
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        qputenv("RUFWERK_MODULE_DIR", m_noModule.path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home.filePath(u"registry.reg"_s)));
        TFormMain::TrayAvailable = [] { return true; };
        TFormMain::FavoritesOffered = [] { return true; };
        m_helpFolder = qEnvironmentVariable("RUFWERK_TEST_BIN");
        THelpSystem::SetHelpFolder(m_helpFolder);
        if (!QFile::exists(m_helpFolder + u"/Rufwerk.qch"_s))
            QFAIL("the help collections are not built");
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
        m_system.Install();
    }

    void cleanupTestCase()
    {
        m_system.CloseAll();
        MessageDialog::SetHook(nullptr);
    }

    void init() { m_messages.clear(); }

    void everyContextOpensItsTopic_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("context");
        auto contexts = namedContexts();
        for (const auto &found : sourceContexts()) {
            if (!contexts.contains(found))
                contexts.append(found);
        }
        for (const auto &[file, context] : contexts)
            QTest::addRow("%s %d", qPrintable(file), context) << file << context;
    }

    void everyContextOpensItsTopic()
    {
        QFETCH(QString, file);
        QFETCH(int, context);
        HelpLink::ShowContext(context, nullptr, file);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
        THelpWindow *window = m_system.Window(file);
        QVERIFY(window && window->isVisible());
        const QUrl topic = window->TopicOf(context);
        QVERIFY2(topic.isValid(), "no topic carries this context");
        QCOMPARE(window->CurrentUrl(), topic);
        const QByteArray page = window->Engine()->fileData(topic);
        QVERIFY(page.contains("<h1>"));
        // A topic that points into a page finds its section there.
        if (topic.hasFragment())
            QVERIFY2(
                page.contains(QByteArray("name=\"" + topic.fragment().toUtf8() + '"')), qPrintable(topic.toString()));
        QVERIFY(!window->findChild<QTextBrowser *>(u"HelpBrowser"_s)->documentTitle().isEmpty());
    }

    void theLiveMainWindowsContextsAllHaveTopics()
    {
        std::unique_ptr<TFormMain> form = createForm();
        std::unique_ptr<QHelpEngineCore> engine = openCollection(HelpLink::ProgramHelp);
        const auto widgets = form->findChildren<QWidget *>();
        int seen = 0;
        for (const QWidget *widget : widgets) {
            const int context = widget->property("HelpContext").toInt();
            if (context == 0)
                continue;
            ++seen;
            QVERIFY2(!engine->documentsForIdentifier(THelpWindow::ContextId(context)).isEmpty(),
                qPrintable(u"%1: %2"_s.arg(widget->objectName()).arg(context)));
        }
        QVERIFY(seen > 0);
    }

    void f1ShowsTheFocusedControlsTopic_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<int>("context");
        QTest::newRow("connection list") << u"ComboBoxRAS"_s << false << 21;
        QTest::newRow("start programs") << u"ComboBoxStartProg"_s << false << 20;
        QTest::newRow("a button of the compact panel") << u"BtnMore"_s << false << 810;
        QTest::newRow("idle interval") << u"SpinEdit"_s << true << 27;
    }

    void f1ShowsTheFocusedControlsTopic()
    {
        QFETCH(QString, control);
        QFETCH(bool, extended);
        QFETCH(int, context);
        std::unique_ptr<TFormMain> form = createForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        if (extended)
            form->BtnMoreClick();
        auto *widget = form->findChild<QWidget *>(control);
        QVERIFY(widget);
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);

        QList<Request> requests;
        recordRequests(&requests);
        QTest::keyClick(widget, Qt::Key_F1);
        m_system.Install();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).file, HelpLink::ProgramHelp);
        QCOMPARE(requests.at(0).kind, HelpLink::Request::Context);
        QCOMPARE(requests.at(0).context, context);
    }

    void f1FindsTheHelpFileAndFallsBackToTheContents()
    {
        QDialog preview;
        preview.setProperty("HelpFile", u"ListPrinter"_s);
        preview.setProperty("HelpContext", 3333);
        auto *edit = new QLineEdit(&preview);
        QDialog plain;
        auto *other = new QLineEdit(&plain);

        QList<Request> requests;
        recordRequests(&requests);
        for (QDialog *dialog : { &preview, &plain }) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QWidget *target = dialog == &preview ? edit : other;
            target->setFocus();
            QTest::keyClick(target, Qt::Key_F1);
            dialog->hide();
        }
        m_system.Install();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).file, u"ListPrinter"_s);
        QCOMPARE(requests.at(0).context, 3333);
        QCOMPARE(requests.at(1).file, HelpLink::ProgramHelp);
        QCOMPARE(requests.at(1).kind, HelpLink::Request::Contents);
    }

    void helpMenuCommands()
    {
        std::unique_ptr<TFormMain> form = createForm();
        QList<Request> requests;
        recordRequests(&requests);
        form->RunCommand(u"Help"_s);
        form->RunCommand(u"SearchHelp"_s);
        form->RunCommand(u"HelpOnHelp"_s);
        m_system.Install();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests.at(0).kind, HelpLink::Request::Contents);
        QCOMPARE(requests.at(1).kind, HelpLink::Request::Keyword);
        QCOMPARE(requests.at(2).kind, HelpLink::Request::HelpOnHelp);

        // The about boxes are the program's own windows.
        for (const auto &[command, window] :
            { qMakePair(u"About"_s, u"LocaAboutBox"_s), qMakePair(u"ProgramInfo"_s, u"InfoDlg"_s) }) {
            QString opened;
            QTimer::singleShot(0, this, [&opened] {
                QWidget *modal = QApplication::activeModalWidget();
                opened = modal ? modal->objectName() : QString();
                if (modal)
                    modal->close();
            });
            form->RunCommand(command);
            QCOMPARE(opened, window);
        }
        QVERIFY(m_messages.isEmpty());
    }

    void theWindowsPanes()
    {
        HelpLink::ShowContents();
        THelpWindow *window = m_system.Window(HelpLink::ProgramHelp);
        QVERIFY(window);
        auto *tabs = window->findChild<QTabWidget *>(u"HelpTabs"_s);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(window->CurrentUrl().path().endsWith(u"/index.html"_s));

        HelpLink::ShowHelpOnHelp();
        QVERIFY(window->CurrentUrl().path().endsWith(u"/hilfe-benutzen.html"_s));

        // Keyword index: the filter finds the keyword, Enter shows its topic.
        HelpLink::ShowKeywordSearch();
        QCOMPARE(tabs->currentIndex(), 1);
        auto *filter = window->findChild<QLineEdit *>(u"HelpIndexFilter"_s);
        QVERIFY(filter->text().isEmpty());
        QTRY_VERIFY(window->Engine()->indexModel()->rowCount() > 0);
        QTest::keyClicks(filter, u"Nepp"_s);
        QTest::keyClick(filter, Qt::Key_Return);
        QTRY_VERIFY(window->CurrentUrl().path().endsWith(u"/nepp-sicherung.html"_s));

        // Full-text search over all topics, once the window has indexed them.
        QHelpSearchEngine *search = window->Engine()->searchEngine();
        auto hits = [search] {
            QSignalSpy searched(search, &QHelpSearchEngine::searchingFinished);
            search->search(u"Wahlwiederholung"_s);
            return searched.wait(10000) ? searched.at(0).at(0).toInt() : 0;
        };
        int found = 0;
        QTRY_VERIFY_WITH_TIMEOUT((found = hits()) > 0, 60000);
        QStringList pages;
        for (const QHelpSearchResult &result : search->searchResults(0, found))
            pages << result.url().fileName();
        QVERIFY2(pages.contains(u"waehlen.html"_s), qPrintable(pages.join(u' ')));
    }

    // A modal dialog blocks every other window: the help it asks for joins it.
    void helpFromAModalDialogBelongsToIt()
    {
        m_system.CloseAll();
        QPointer<THelpWindow> window;
        QPointer<QWidget> owner;
        auto *dialog = new QDialog;
        QTimer::singleShot(0, this, [&] {
            HelpLink::ShowContext(870, dialog);
            window = m_system.Window(HelpLink::ProgramHelp);
            owner = window ? window->parentWidget() : nullptr;
            dialog->reject();
        });
        dialog->exec();
        QCOMPARE(owner.data(), static_cast<QWidget *>(dialog));
        delete dialog;
        QVERIFY(window.isNull()); // went with its dialog; the next request makes a new one
        HelpLink::ShowContext(870);
        QVERIFY(m_system.Window(HelpLink::ProgramHelp));
        QVERIFY(!m_system.Window(HelpLink::ProgramHelp)->parentWidget());
    }

    void missingOrBrokenHelpFilesAreReported_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << u"Die Hilfedatei wurde nicht gefunden:"_s;
        QTest::newRow("not a help file") << QByteArray("kein Hilfetext")
                                         << u"Die Hilfedatei kann nicht gelesen werden:"_s;
    }

    void missingOrBrokenHelpFilesAreReported()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        m_system.CloseAll();
        QTemporaryDir folder;
        if (!content.isEmpty())
            QVERIFY(writeAll(folder.filePath(u"Rufwerk.qch"_s), content));
        THelpSystem::SetHelpFolder(folder.path());
        HelpLink::ShowContext(21);
        THelpSystem::SetHelpFolder(m_helpFolder);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().startsWith(message), qPrintable(m_messages.first()));
        QVERIFY(m_messages.first().contains(u"Rufwerk.qch"_s));
        QVERIFY(!m_system.Window(HelpLink::ProgramHelp));
    }

    void firstUseTextIsCopiedToTheDataFolderOnce_data()
    {
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<QString>("inData"); // a file already in the data folder
        QTest::addColumn<bool>("sameFolder");
        QTest::addColumn<bool>("copied");
        QTest::newRow("first start") << true << QString() << false << true;
        QTest::newRow("shown before") << true << u"StartUp.RTF"_s << false << false;
        QTest::newRow("still waiting") << true << u"Start_Up.RTF"_s << false << false;
        QTest::newRow("program folder is the data folder") << true << QString() << true << false;
        QTest::newRow("none shipped") << false << QString() << false << false;
    }

    void firstUseTextIsCopiedToTheDataFolderOnce()
    {
        QFETCH(bool, shipped);
        QFETCH(QString, inData);
        QFETCH(bool, sameFolder);
        QFETCH(bool, copied);
        QTemporaryDir program;
        QTemporaryDir data;
        const QString dataFolder = sameFolder ? program.path() : data.path();
        if (shipped) {
            QVERIFY(writeAll(program.filePath(u"Start_Up.RTF"_s), "{\\rtf1 Willkommen}"));
            QFile::setPermissions(program.filePath(u"Start_Up.RTF"_s), QFile::ReadOwner | QFile::ReadGroup);
        }
        if (!inData.isEmpty())
            QVERIFY(writeAll(dataFolder + u'/' + inData, "vorher"));

        const QString copy = ProvideFirstUseText(program.path(), dataFolder);
        QCOMPARE(!copy.isEmpty(), copied);
        if (copied) {
            QCOMPARE(readAll(copy), QByteArray("{\\rtf1 Willkommen}"));
            QVERIFY(QFileInfo(copy).isWritable()); // renamed after it was shown
        }
        if (!inData.isEmpty())
            QCOMPARE(readAll(dataFolder + u'/' + inData), QByteArray("vorher"));
    }

private:
    std::unique_ptr<TFormMain> createForm()
    {
        auto form = std::make_unique<TFormMain>();
        form->CreateEngine(&m_fake);
        m_messages.clear(); // the missing module's notice
        // The form installs its own help system; these tests talk to theirs.
        m_system.Install();
        return form;
    }

    void recordRequests(QList<Request> *requests)
    {
        HelpLink::SetViewer([requests](const QString &file, HelpLink::Request kind, int context, QWidget *) {
            requests->append({ file, kind, context });
        });
    }

    std::unique_ptr<QHelpEngineCore> openCollection(const QString &file)
    {
        QString error;
        auto engine = std::make_unique<QHelpEngineCore>(THelpSystem::PrepareCollection(file, &error));
        engine->setupData();
        return engine;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_noModule;
    QString m_helpFolder;
    QStringList m_messages;
    FakeDialUpService m_fake;
    THelpSystem m_system;
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
