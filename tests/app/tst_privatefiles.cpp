// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeLogFile.h"
#include "Folders.h"
#include "SettingsStore.h"
#include "SimulatedLine.h"
#include "StartProgramList.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

enum class Writer { PhoneBook, PhoneBookBackup, ConnectionRecord, Settings, FeeLog, StartPrograms, ListFile };

int modeOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

} // namespace

Q_DECLARE_METATYPE(Writer)

// The program's files hold passwords, settings and call records: new ones and
// the folders made for them are the user's alone; existing ones keep their mode.
class TestPrivateFiles : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // Folders made on the way to the data: the new one and its new parent.
        m_data = m_dir->filePath(u"neu/daten"_s);
        qputenv("RUFWERK_HOME", m_data.toLocal8Bit());
        Folders::reset();
    }

    void newFilesAndFolders_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("phone book") << Writer::PhoneBook << u"rasphone.pbk"_s << true;
        QTest::newRow("backup of a damaged phone book") << Writer::PhoneBookBackup << u"rasphone.pbk.bak"_s << false;
        QTest::newRow("connection record") << Writer::ConnectionRecord << u"connections/*.conn"_s << false;
        QTest::newRow("settings") << Writer::Settings << u"registry.reg"_s << true;
        QTest::newRow("fee log") << Writer::FeeLog << u"FeeReport.Lst"_s << true;
        QTest::newRow("start programs") << Writer::StartPrograms << u"StartProgs.Lst"_s << true;
        QTest::newRow("protocol and other lists") << Writer::ListFile << u"Rufwerk-Log.TXT"_s << true;
    }

    void newFilesAndFolders()
    {
        QFETCH(Writer, writer);
        QFETCH(QString, file);
        QFETCH(bool, rewritten);
        write(writer, 1);
        QString path = m_data + u'/' + file;
        if (file.contains(u'*')) {
            const QFileInfo pattern(path);
            const QStringList found = pattern.dir().entryList({pattern.fileName()}, QDir::Files);
            QCOMPARE(found.size(), 1);
            path = pattern.dir().filePath(found.first());
        }
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(modeOf(QFileInfo(path).absolutePath()), 0700);
        QCOMPARE(modeOf(m_data), 0700);
        QCOMPARE(modeOf(m_dir->filePath(u"neu"_s)), 0700);

        if (!rewritten)
            return;
        // A mode the user chose stays when the file is written again.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        write(writer, 2);
        QCOMPARE(modeOf(path), 0640);
    }

    void existingFoldersKeepTheirMode()
    {
        QVERIFY(QDir().mkpath(m_data));
        Folders::reset();
        QVERIFY(QFile::setPermissions(m_data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadGroup | QFile::ExeGroup));
        write(Writer::Settings, 1);
        QCOMPARE(modeOf(m_data), 0750);
    }

    void documentsForOthersAreNotPrivate()
    {
        const QString path = m_dir->filePath(u"Protokoll.rtf"_s);
        QVERIFY(TextFile::writeText(path, "{\\rtf1 x}", nullptr, TextFile::Access::Shared));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(modeOf(path), int(0666 & ~mask));
    }

private:
    void write(Writer writer, int round)
    {
        const QString text = u"Runde %1"_s.arg(round);
        switch (writer) {
        case Writer::PhoneBook:
        case Writer::PhoneBookBackup:
        case Writer::ConnectionRecord: {
            SimulatedLine line(m_data);
            if (writer == Writer::PhoneBookBackup) {
                Folders::programFolder();
                QVERIFY(writeAll(line.phoneBookPath(), "kein Telefonbuch\x01\r\n"));
            }
            RasEntry entry;
            entry.localPhoneNumber = QString::number(round);
            QCOMPARE(line.setEntryProperties(u"Netzwerk Nord"_s, entry), RasError::Success);
            if (writer == Writer::ConnectionRecord) {
                RasDialParams params;
                params.entryName = u"Netzwerk Nord"_s;
                RasHandle handle = 0;
                QCOMPARE(line.dialDetached(params, &handle), RasError::Success);
            }
            break;
        }
        case Writer::Settings:
            QVERIFY(FileSettingsStore(SettingsStore::defaultFilePath()).writeString(u"Software\\Kovatek"_s, u"Test"_s,
                                                                                      text));
            break;
        case Writer::FeeLog: {
            TFeeLogFile log(Folders::programFolder());
            TextLines lines;
            QString error;
            QVERIFY(log.Load(&lines, &error));
            lines.append(u"10.12.2026;14:03:07;Netzwerk Nord;0301234;2 Ct/min;00:01:00;"_s + text);
            QVERIFY2(log.Save(lines, &error), qPrintable(error));
            break;
        }
        case Writer::StartPrograms:
            QVERIFY(StartProgramList::Save({u"Editor;/usr/bin/editor;"_s + text}));
            break;
        case Writer::ListFile:
            QVERIFY(TextFile::writeLines(Folders::programFolder() + u"Rufwerk-Log.TXT"_s, {text}));
            break;
        }
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;
};

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "tst_privatefiles.moc"
