// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "PluginManager.h"

#include <QApplication>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {
class Host : public TuilPluginHost
{
public:
    QWidget *MainWindow() const override { return window; }
    QStringList *StringList(const QString &name) override { return &lists[name]; }
    QWidget *window = nullptr;
    QHash<QString, QStringList> lists;
};

QString fixture(const char *name)
{
    return QStringLiteral(FIXTURE_DIR "/%1.kvt").arg(QLatin1String(name));
}

QString moduleFile()
{
    return qEnvironmentVariable("RUFWERK_MODULE_DIR") + u"/RASModule.KVT"_s;
}
} // namespace

class TestPluginManager : public QObject
{
    Q_OBJECT

private slots:
    void extensionLength_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("one character") << u"k"_s << true;
        QTest::newRow("three characters") << u"kvt"_s << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("four characters") << u"kvtx"_s << false;
    }

    void extensionLength()
    {
        QFETCH(QString, extension);
        QFETCH(bool, accepted);
        TuilPluginManager manager;
        QCOMPARE(manager.Extension(), u"uil"_s);
        try {
            manager.SetExtension(extension);
            QVERIFY(accepted);
            QCOMPARE(manager.Extension(), extension);
        } catch (const EuilPluginError &error) {
            QVERIFY(!accepted);
            QCOMPARE(error.message(), u"Extension must be between 1 and 3 characters"_s);
            QCOMPARE(manager.Extension(), u"uil"_s);
        }
        manager.SetVersion(u"9.9"_s);
        QCOMPARE(manager.Version(), u"5.1"_s);
    }

    void brokenLibraries_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("not a library") << notALibrary() << QString();
        QTest::newRow("missing file") << u"/nonexistent/RASModule.KVT"_s << QString();
        QTest::newRow("no export") << fixture("noexport") << u" is not a valid Plug-in"_s;
        QTest::newRow("object of another interface") << fixture("otherinterface") << u" is not a valid Plug-in"_s;
        QTest::newRow("failed initialization") << fixture("failinit") << u" failed initialization."_s;
    }

    void brokenLibraries()
    {
        QFETCH(QString, file);
        QFETCH(QString, suffix);
        TuilPluginManager manager;
        Host host;
        QWidget window;
        host.window = &window;
        try {
            manager.LoadPlugin(file, &host);
            QFAIL("no error raised");
        } catch (const EuilLoadPluginError &error) {
            const QString expected = suffix.isEmpty() ? QString(u"Error loading Plug-in '"_s + file + u'\'')
                                                      : QString(u'\'' + file + u'\'' + suffix);
            QCOMPARE(error.message(), expected);
        }
        QCOMPARE(manager.PluginCount(), 0);
    }

    void nullObjectLoadsNothing()
    {
        TuilPluginManager manager;
        Host host;
        QVERIFY(!manager.LoadPlugin(fixture("nullobject"), &host));
        QCOMPARE(manager.PluginCount(), 0);
    }

    void commandsArriveInOrderAndInstanceLimitHolds()
    {
        TuilPluginManager manager;
        Host host;
        QWidget window;
        host.window = &window;
        QStringList captions;
        QList<TNotifyEvent> handlers;
        manager.OnNewCommand = [&](QObject *sender, const QString &caption, const QString &, int data,
                                   const QPixmap &, const TNotifyEvent &handler) {
            QCOMPARE(sender, &manager);
            QCOMPARE(data, int(captions.size()));
            captions << caption;
            handlers << handler;
        };
        QVERIFY(manager.LoadPlugin(fixture("limited"), &host));
        QCOMPARE(captions, (QStringList{u"Befehl 0"_s, u"Befehl 1"_s, u"Befehl 2"_s, u"Befehl 3"_s}));
        // the second copy of a module limited to one instance is not loaded
        QVERIFY(!manager.LoadPlugin(fixture("limited"), &host));
        QCOMPARE(manager.PluginCount(), 1);

        QLibrary library(fixture("limited"));
        QVERIFY(library.load());
        auto calls = reinterpret_cast<int (*)(int)>(library.resolve("FixtureCalls"));
        auto received = reinterpret_cast<int (*)(int)>(library.resolve("FixtureReceived"));
        QVERIFY(calls && received);
        handlers.at(2)(nullptr);
        QCOMPARE(calls(2), 1);
        QCOMPARE(calls(0), 0);
        manager.SendCommand(5946, u"Netzwerk Nord"_s);
        QCOMPARE(received(0), 5946);

        try {
            manager.Plugin(1);
            QFAIL("no error raised");
        } catch (const EuilPluginError &error) {
            QCOMPARE(error.message(), u"Invalid index"_s);
        }
        handlers.clear(); // their code goes with the library
        manager.UnloadPlugin(0);
        QCOMPARE(manager.PluginCount(), 0);
    }

    void loadsTheConnectionModule()
    {
        if (!QFile::exists(moduleFile()))
            QSKIP("connection module not built");
        TuilPluginManager manager;
        Host host;
        QWidget window;
        host.window = &window;
        int commands = 0;
        manager.OnNewCommand = [&](QObject *, const QString &, const QString &, int, const QPixmap &,
                                   const TNotifyEvent &handler) {
            QVERIFY(bool(handler));
            ++commands;
        };
        QVERIFY(manager.LoadPlugin(moduleFile(), &host));
        QCOMPARE(commands, 3);
        QCOMPARE(manager.Plugin(0)->Name(), u"RASModule"_s);
    }

    void loadPluginsByExtension()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(fixture("limited"), dir.filePath(u"a.kvt"_s)));
        QVERIFY(QFile::copy(fixture("nullobject"), dir.filePath(u"b.kvt"_s)));
        QVERIFY(QFile::copy(fixture("limited"), dir.filePath(u"c.other"_s)));
        TuilPluginManager manager;
        manager.SetExtension(u"kvt"_s);
        manager.SetPluginFolder(dir.path());
        Host host;
        QWidget window;
        host.window = &window;
        QStringList seen;
        bool before = false, after = false;
        manager.OnBeforeLoading = [&](QObject *) { before = true; };
        manager.OnAfterLoading = [&](QObject *) { after = true; };
        manager.OnBeforeLoad = [&](QObject *, const QString &file, bool &allow) {
            seen << QFileInfo(file).fileName();
            allow = !file.endsWith(u"b.kvt"_s);
        };
        manager.LoadPlugins(&host);
        QVERIFY(before && after);
        QCOMPARE(seen, (QStringList{u"a.kvt"_s, u"b.kvt"_s}));
        QCOMPARE(manager.PluginCount(), 1);
    }

private:
    QString notALibrary()
    {
        const QString path = m_dir.filePath(u"RASModule.KVT"_s);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("MZ this is not a library \x00\x01\x02", 28);
        return path;
    }
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPluginManager)
#include "tst_pluginmanager.moc"
