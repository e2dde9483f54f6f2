// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFolders : public QObject
{
    Q_OBJECT

private slots:
    void parentFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("parent");
        QTest::newRow("program in bin") << u"/opt/rufwerk/bin/"_s << u"/opt/rufwerk/"_s;
        QTest::newRow("no trailing separator") << u"/opt/rufwerk/bin"_s << u"/opt/rufwerk/"_s;
        QTest::newRow("top level") << u"/bin/"_s << u"/"_s;
    }

    void parentFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, parent);
        QCOMPARE(Folders::parentFolder(folder), parent);
    }

    void homeOverridesEverything()
    {
        QTemporaryDir home;
        qputenv("RUFWERK_HOME", home.path().toLocal8Bit());
        QCOMPARE(Folders::dataFolderFor(u"/usr/lib/rufwerk/bin"_s), home.path() + u'/');
        Folders::reset();
        QCOMPARE(Folders::programFolder(), home.path() + u'/');
        qunsetenv("RUFWERK_HOME");
        Folders::reset();
    }

    void writableProgramFolderHoldsTheData()
    {
        qunsetenv("RUFWERK_HOME");
        QTemporaryDir dir;
        QCOMPARE(Folders::dataFolderFor(dir.path()), dir.path() + u'/');
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()); // probe cleaned up
    }

    void readOnlyProgramFolderFallsBackToUserData()
    {
        qunsetenv("RUFWERK_HOME");
        QTemporaryDir dir;
        const QString ro = dir.filePath(u"ro"_s);
        QVERIFY(QDir().mkpath(ro));
        QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QFile probe(ro + u"/x"_s);
        const bool rootCanWrite = probe.open(QIODevice::WriteOnly);
        probe.remove();
        QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (rootCanWrite)
            QSKIP("running as a user that writes into read-only folders");
        QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString data = Folders::dataFolderFor(ro);
        QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(data.endsWith(u"/Rufwerk/"_s));
        QVERIFY(!data.startsWith(ro));
    }

    void missingProgramFolderFallsBack()
    {
        qunsetenv("RUFWERK_HOME");
        QVERIFY(Folders::dataFolderFor(u"/nonexistent/rufwerk/bin"_s).endsWith(u"/Rufwerk/"_s));
    }
};

QTEST_GUILESS_MAIN(TestFolders)
#include "tst_folders.moc"
