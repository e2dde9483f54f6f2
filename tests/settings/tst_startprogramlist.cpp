// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EngineSettings.h"
#include "Folders.h"
#include "SettingsStore.h"
#include "StartProgramList.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStartProgramList : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("RUFWERK_HOME", m_home->path().toLocal8Bit());
        Folders::reset();
        m_store = std::make_unique<FileSettingsStore>(m_home->filePath(u"registry.reg"_s));
    }

    void fields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("launch"); // name|path|parameters as the launcher reads them
        QTest::addColumn<QString>("editor"); // the same as the editor shows them
        QTest::newRow("three fields") << u"Mail;/usr/bin/mail;-c"_s << u"Mail|/usr/bin/mail|-c"_s
                                      << u"Mail|/usr/bin/mail|-c"_s;
        QTest::newRow("imported from version 5")
            << u"Editor;C:\\WINDOWS\\NOTEPAD.EXE;;"_s << u"Editor|C:\\WINDOWS\\NOTEPAD.EXE|;"_s
            << u"Editor|C:\\WINDOWS\\NOTEPAD.EXE|"_s;
        QTest::newRow("parameters with a semicolon")
            << u"Java;/usr/bin/java;-cp a;b"_s << u"Java|/usr/bin/java|-cp a;b"_s << u"Java|/usr/bin/java|-cp a;b"_s;
        QTest::newRow("name only") << u"Nur Name"_s << u"Nur Name||"_s << u"Nur Name||"_s;
        QTest::newRow("two semicolons") << u";;"_s << u"||"_s << u"||"_s;
    }

    void fields()
    {
        QFETCH(QString, line);
        const auto joined
            = [](const TStartProgram &p) -> QString { return p.Name + u'|' + p.Path + u'|' + p.Parameters; };
        QTEST(joined(TStartProgram::FromLine(line)), "launch");
        QTEST(joined(TStartProgram::EditorFields(line)), "editor");
        if (line.count(u';') >= 2)
            QCOMPARE(TStartProgram::FromLine(line).Line(), line);
    }

    void semicolonsInNameOrPathAreRefused()
    {
        const auto error = [](const QString &name, const QString &path, const QString &parameters) {
            return TStartProgram { name, path, parameters }.FieldError();
        };
        QCOMPARE(error(u"Mail"_s, u"/usr/bin/mail"_s, u"-a;-b"_s), QString());
        QVERIFY(error(u"Mail;Post"_s, u"/usr/bin/mail"_s, QString()).contains(u"Programmbezeichnung"_s));
        QVERIFY(error(u"Mail"_s, u"/usr/bin;/mail"_s, QString()).contains(u"Programm-Verzeichnis"_s));
    }

    void version5Import_data()
    {
        QTest::addColumn<QStringList>("fileLines");
        QTest::addColumn<QStringList>("values"); // name=data
        QTest::addColumn<QStringList>("expected");
        const QString editor = u"Editor;C:\\WINDOWS\\NOTEPAD.EXE;;"_s;
        QTest::newRow("TAB fields and quotes")
            << QStringList() << QStringList { u"Prog1=\"Editor\"\t\"C:\\WINDOWS\\NOTEPAD.EXE\"\t"_s }
            << QStringList { editor };
        QTest::newRow("file lines first")
            << QStringList { u"Mail;/usr/bin/mail;"_s } << QStringList { u"Prog1=Editor\tC:\\WINDOWS\\NOTEPAD.EXE\t"_s }
            << QStringList { u"Mail;/usr/bin/mail;"_s, editor };
        QTest::newRow("unused slot and lower-case name ignored")
            << QStringList() << QStringList { u"Prog2=Unbenutzt"_s, u"prog7=Spiel\tC:\\SPIEL.EXE\t"_s, u"Name=x\ty"_s }
            << QStringList();
        QTest::newRow("already stored, other case") << QStringList { u"EDITOR;c:\\windows\\notepad.exe;;"_s }
                                                    << QStringList { u"Prog1=Editor\tC:\\WINDOWS\\NOTEPAD.EXE\t"_s }
                                                    << QStringList { u"EDITOR;c:\\windows\\notepad.exe;;"_s };
        QTest::newRow("more fields") << QStringList() << QStringList { u"MeinProg=Web\tC:\\WEB.EXE\t-x\t1"_s }
                                     << QStringList { u"Web;C:\\WEB.EXE;-x;1;"_s };
    }

    void version5Import()
    {
        QFETCH(QStringList, fileLines);
        QFETCH(QStringList, values);
        QFETCH(QStringList, expected);
        if (!fileLines.isEmpty())
            QVERIFY(StartProgramList::Save(fileLines));
        for (const QString &value : values)
            m_store->writeString(StartProgramList::Version5Key(), value.section(u'=', 0, 0), value.section(u'=', 1));
        const QStringList loaded = StartProgramList::Load(*m_store);
        QCOMPARE(loaded, expected);

        // Once stored, the import finds its lines in the file and adds nothing.
        QVERIFY(StartProgramList::Save(loaded));
        QCOMPARE(StartProgramList::Load(*m_store), expected);
    }

    void loadingNeverWrites()
    {
        m_store->writeString(StartProgramList::Version5Key(), u"Prog1"_s, u"Editor\tC:\\EDIT.EXE\t"_s);
        QCOMPARE(StartProgramList::Load(*m_store), QStringList { u"Editor;C:\\EDIT.EXE;;"_s });
        QVERIFY(!QFile::exists(StartProgramList::FilePath()));
    }

    void removeVersion5()
    {
        m_store->writeString(StartProgramList::Version5Key(), u"Prog1"_s, u"Editor\tC:\\EDIT.EXE\t"_s);
        QVERIFY(StartProgramList::ImportsVersion5(*m_store));
        StartProgramList::RemoveVersion5(*m_store);
        QVERIFY(!StartProgramList::ImportsVersion5(*m_store));
        QCOMPARE(m_store->readString(RegKey::Bas(), u"Altruf5Progs"_s), u"0"_s);
        QVERIFY(!m_store->keyExists(StartProgramList::Version5Key()));
        QCOMPARE(StartProgramList::Load(*m_store), QStringList());
    }

    void fileFormat()
    {
        QVERIFY(StartProgramList::Save({ u"Gebühren;C:\\Programme\\Gebühr.exe;€"_s, u";;"_s }));
        QCOMPARE(readAll(StartProgramList::FilePath()),
            QByteArray("Geb\xfchren;C:\\Programme\\Geb\xfchr.exe;\x80\r\n;;\r\n"));
        QCOMPARE(
            StartProgramList::Load(*m_store), (QStringList { u"Gebühren;C:\\Programme\\Gebühr.exe;€"_s, u";;"_s }));
    }

    void unwritableFileIsReported()
    {
        // Nothing can replace a folder that stands where the file should be, not even root.
        QVERIFY(QDir().mkpath(StartProgramList::FilePath()));
        QString error;
        QVERIFY(!StartProgramList::Save({ u"Neu;/bin/neu;"_s }, &error));
        QVERIFY2(error.contains(u"StartProgs.Lst"_s), qPrintable(error));
        QVERIFY(QFileInfo(StartProgramList::FilePath()).isDir());
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FileSettingsStore> m_store;
};

QTEST_GUILESS_MAIN(TestStartProgramList)
#include "tst_startprogramlist.moc"
