// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Autostart.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString Program = u"/opt/rufwerk/bin/rufwerk"_s;
} // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_profile = m_dir->filePath(u"Win.Ini"_s);
        m_folder = m_dir->filePath(u"config/autostart"_s);
        m_autostart = std::make_unique<DesktopAutostart>(m_profile, m_folder, Program);
    }

    void loadLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("expected");

        const QString p = Program;
        QTest::newRow("add to an empty line") << QString() << true << u","_s + p;
        QTest::newRow("add after another program") << u"a.exe"_s << true << u"a.exe,"_s + p;
        QTest::newRow("add when already there") << u"a.exe,"_s + p << true << u"a.exe,"_s + p;
        QTest::newRow("add: the test is case-sensitive") << p.toUpper() << true << p.toUpper() + u',' + p;
        QTest::newRow("remove from the middle") << u"a.exe,"_s + p + u",b.exe"_s << false << u"a.exe,b.exe"_s;
        QTest::newRow("remove from the front keeps the comma after") << p + u",b.exe"_s << false << u",b.exe"_s;
        QTest::newRow("remove the only entry") << u","_s + p << false << QString();
        QTest::newRow("remove only the first occurrence") << p + u","_s + p << false << u","_s + p;
        QTest::newRow("remove when not there") << u"a.exe,b.exe"_s << false << u"a.exe,b.exe"_s;
    }

    void loadLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, on);
        QFETCH(QString, expected);
        QCOMPARE(
            on ? Autostart::lineWithProgram(line, Program) : Autostart::lineWithoutProgram(line, Program), expected);

        // The same through the profile file, which is written only when the line changes.
        if (!line.isNull())
            QVERIFY(ProfileFile::writeString(m_profile, u"Windows"_s, u"Load"_s, line));
        const QByteArray before = readAll(m_profile);
        QVERIFY(m_autostart->update(on, nullptr));
        QCOMPARE(m_autostart->loadLine(), expected);
        if (expected == line)
            QCOMPARE(readAll(m_profile), before);
    }

    void profileFileKeepsTheRest()
    {
        QVERIFY(writeAll(m_profile,
            "; Kommentar\r\n[windows]\r\nRun=x.exe\r\nLOAD = a.exe \r\n\r\n[Desktop]\r\n"
            "Load=bleibt\r\n"));
        QCOMPARE(ProfileFile::readString(m_profile, u"Windows"_s, u"Load"_s), u"a.exe"_s);
        QVERIFY(ProfileFile::writeString(m_profile, u"Windows"_s, u"Load"_s, u"a.exe,b.exe"_s));
        QCOMPARE(readAll(m_profile),
            QByteArray("; Kommentar\r\n[windows]\r\nRun=x.exe\r\nLOAD =a.exe,b.exe\r\n\r\n"
                       "[Desktop]\r\nLoad=bleibt\r\n"));

        // A new key goes to the end of its section, a new section to the end of the file.
        QVERIFY(ProfileFile::writeString(m_profile, u"Windows"_s, u"Device"_s, u"Modem"_s));
        QVERIFY(ProfileFile::writeString(m_profile, u"Ports"_s, u"COM1"_s, u"9600"_s));
        QCOMPARE(readAll(m_profile),
            QByteArray("; Kommentar\r\n[windows]\r\nRun=x.exe\r\nLOAD =a.exe,b.exe\r\n"
                       "Device=Modem\r\n\r\n[Desktop]\r\nLoad=bleibt\r\n\r\n[Ports]\r\n"
                       "COM1=9600\r\n"));
        QCOMPARE(ProfileFile::readString(m_profile, u"Ports"_s, u"Missing"_s, u"-"_s), u"-"_s);
    }

    void desktopEntryFollowsTheChoice()
    {
        const QString entry = m_folder + u"/rufwerk.desktop"_s;
        QVERIFY(m_autostart->update(true, nullptr));
        QVERIFY(QFileInfo::exists(entry));
        const QByteArray text = readAll(entry);
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nType=Application\n"));
        QVERIFY(text.contains("\nExec=\"/opt/rufwerk/bin/rufwerk\"\n"));

        QVERIFY(m_autostart->update(false, nullptr));
        QVERIFY(!QFileInfo::exists(entry));
        QCOMPARE(m_autostart->loadLine(), QString());
        // Removing what is not there is no error.
        QVERIFY(m_autostart->update(false, nullptr));
    }

    void execQuoting_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("exec");
        QTest::newRow("blank") << u"/home/anna/Meine Programme/rufwerk"_s
                               << QByteArray("Exec=\"/home/anna/Meine Programme/rufwerk\"");
        QTest::newRow("dollar and quote")
            << u"/tmp/a$b\"c/rufwerk"_s << QByteArray("Exec=\"/tmp/a\\\\$b\\\\\"c/rufwerk\"");
        QTest::newRow("backslash") << u"/tmp/a\\b/rufwerk"_s << QByteArray("Exec=\"/tmp/a\\\\\\\\b/rufwerk\"");
        QTest::newRow("percent") << u"/tmp/100%/rufwerk"_s << QByteArray("Exec=\"/tmp/100%%/rufwerk\"");
        QTest::newRow("umlaut") << u"/home/jürgen/rufwerk"_s << u"Exec=\"/home/jürgen/rufwerk\""_s.toUtf8();
    }

    void execQuoting()
    {
        QFETCH(QString, program);
        QFETCH(QByteArray, exec);
        const QList<QByteArray> lines = DesktopAutostart::desktopEntryText(program).split('\n');
        QVERIFY2(lines.contains(exec), DesktopAutostart::desktopEntryText(program).constData());
    }

    void unwritableFolderIsReported()
    {
        // A file where the folder should be: nobody can create the entry there, not even root.
        QVERIFY(writeAll(m_dir->filePath(u"config"_s), "kein Ordner"));
        QString error;
        QVERIFY(!m_autostart->update(true, &error));
        QVERIFY2(error.contains(u"Autostart-Ordner"_s), qPrintable(error));
        // The profile line is written all the same.
        QCOMPARE(m_autostart->loadLine(), u","_s + Program);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_profile;
    QString m_folder;
    std::unique_ptr<DesktopAutostart> m_autostart;
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
