// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RasEntryCompare.h"
#include "SimPhoneBook.h"
#include "SimulatedLine.h"
#include "TestFiles.h"

#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

RasEntry fullEntry()
{
    RasEntry e;
    e.options = RasEntryOption::UseCountryAndAreaCodes | RasEntryOption::SpecificIpAddr
        | RasEntryOption::SpecificNameServers | 0x8000 | 0x40000; // a named bit and one beyond them
    e.countryId = 43;
    e.countryCode = 44;
    e.areaCode = QStringLiteral("030");
    e.localPhoneNumber = QStringLiteral("0190 123 456");
    e.ipAddr = 0x0100A8C0;        // 192.168.0.1
    e.ipAddrDns = 0x04030201;     // 1.2.3.4
    e.ipAddrDnsAlt = 0x08080808;
    e.ipAddrWins = 0xFFFFFFFF;
    e.ipAddrWinsAlt = 0x0A000001; // 1.0.0.10
    e.frameSize = 1006;
    e.netProtocols = 7;
    e.framingProtocol = 2;
    e.script = QStringLiteral("C:\\Skripte\\Anmeldung für Süd.scp");
    e.deviceType = QStringLiteral("isdn");
    e.deviceName = QStringLiteral("Simulierter ISDN-Adapter") + QChar(0) + QStringLiteral("ISDN1");
    e.passThrough = {{QStringLiteral("SimBusy"), QStringLiteral("1")},
                     {QStringLiteral("CustomAuthKey"), QStringLiteral("-1")},
                     {QStringLiteral("Padded"), QStringLiteral("  leading and trailing  ")},
                     {QStringLiteral("Quoted"), QStringLiteral("\"in quotes\"")}};
    return e;
}

} // namespace

class TestPhoneBook : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedLine> m_line;

    QString bookPath() const { return m_line->phoneBookPath(); }
    void writeBook(const QByteArray &bytes) { QVERIFY(writeAll(bookPath(), bytes)); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_line = std::make_unique<SimulatedLine>(m_dir->path());
    }

    void missingBookIsEmpty()
    {
        QStringList names{QStringLiteral("stale")};
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QVERIFY(names.isEmpty());
    }

    void everyFieldSurvivesWriteAndRead()
    {
        const RasEntry written = fullEntry();
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("Netzwerk Nord"), written), RasError::Success);

        // A second line has no cache: what it reads comes from the file.
        SimulatedLine other(m_dir->path());
        RasEntry read;
        QCOMPARE(other.getEntryProperties(QStringLiteral("Netzwerk Nord"), &read), RasError::Success);
        compareEntries(read, written);

        // Port is a key of its own in the file, not a NUL inside a value.
        const QByteArray bytes = readAll(bookPath());
        QVERIFY(!bytes.contains('\0'));
        QVERIFY(bytes.contains("\r\nPort=ISDN1\r\n"));
        QVERIFY(bytes.contains("\r\nDEVICE=isdn\r\n"));
        QVERIFY(bytes.contains("\r\nDevice=Simulierter ISDN-Adapter\r\n"));
        QVERIFY(bytes.contains("\r\nIpAddress=192.168.0.1\r\n"));

        // Writing what was read changes nothing.
        QCOMPARE(other.setEntryProperties(QStringLiteral("Netzwerk Nord"), read), RasError::Success);
        QCOMPARE(readAll(bookPath()), bytes);
    }

    void deviceWithoutPort()
    {
        RasEntry e;
        e.deviceName = QStringLiteral("Simuliertes Modem 56k");
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), e), RasError::Success);
        RasEntry read;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("A"), &read), RasError::Success);
        QCOMPARE(read.deviceName, e.deviceName);
        QVERIFY(!readAll(bookPath()).contains("Port="));
    }

    void handWrittenBooks_data()
    {
        QTest::addColumn<QByteArray>("book");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("deviceType");
        QTest::addColumn<QString>("deviceName");
        QTest::addColumn<uint>("options");

        QTest::newRow("UTF-8 with umlauts")
            << QByteArray("[Sparruf S\xC3\xBC" "d]\nPhoneNumber=01925\nDEVICE=modem\nDevice=Ger\xC3\xA4t\n")
            << QStringLiteral("Sparruf Süd") << QStringLiteral("01925") << QStringLiteral("modem")
            << QStringLiteral("Gerät") << 0u;
        QTest::newRow("Windows-1252 with umlauts and euro sign")
            << QByteArray("[Sparruf S\xFC" "d]\r\nPhoneNumber=\x80 01925\r\n") << QStringLiteral("Sparruf Süd")
            << QStringLiteral("€ 01925") << QString() << QString() << 0u;
        QTest::newRow("byte order mark")
            << QByteArray("\xEF\xBB\xBF[A]\r\nPhoneNumber=1\r\n") << QStringLiteral("A") << QStringLiteral("1")
            << QString() << QString() << 0u;
        QTest::newRow("blanks, comments and other spellings of keys")
            << QByteArray("; comment\n\n[ A ]\n  phonenumber = 123  \n# other comment\ndevice=Modem X\n")
            << QStringLiteral("A") << QStringLiteral("123") << QString() << QStringLiteral("Modem X") << 0u;
        QTest::newRow("quoted value keeps its blanks")
            << QByteArray("[A]\nPhoneNumber=\" 123 \"\n") << QStringLiteral("A") << QStringLiteral(" 123 ")
            << QString() << QString() << 0u;
        QTest::newRow("named option keys win over the bit field")
            << QByteArray("[A]\nOptions=3\nUseCountryAndAreaCodes=0\nSwCompression=1\n") << QStringLiteral("A")
            << QString() << QString() << QString() << 0x202u;
        QTest::newRow("first of repeated keys counts")
            << QByteArray("[A]\nPhoneNumber=1\nPhoneNumber=2\n") << QStringLiteral("A") << QStringLiteral("1")
            << QString() << QString() << 0u;
    }

    void handWrittenBooks()
    {
        QFETCH(QByteArray, book);
        QFETCH(QString, name);
        writeBook(book);
        QStringList names;
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{name});
        RasEntry e;
        // Entry names compare without regard to case.
        QCOMPARE(m_line->getEntryProperties(name.toUpper(), &e), RasError::Success);
        QTEST(e.localPhoneNumber, "phone");
        QTEST(e.deviceType, "deviceType");
        QTEST(e.deviceName, "deviceName");
        QTEST(uint(e.options), "options");
    }

    void readModifyWriteKeepsWhatItDoesNotKnow()
    {
        writeBook("; Telefonbuch\r\n[A]\r\n; about A\r\nPhoneNumber=1\r\nCustom=x\r\nCustom=second\r\n"
                  "User=anna\r\nSimRateUp=10\r\n\r\n[B]\r\nPhoneNumber=2\r\n");
        RasEntry e;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("A"), &e), RasError::Success);
        QCOMPARE(e.passThrough.value(QStringLiteral("Custom")), QStringLiteral("x"));
        QCOMPARE(e.passThrough.value(QStringLiteral("SimRateUp")), QStringLiteral("10"));
        QVERIFY(!e.passThrough.contains(QStringLiteral("User"))); // a dial parameter, not part of the record
        e.localPhoneNumber = QStringLiteral("99");
        e.passThrough[QStringLiteral("Custom")] = QStringLiteral("y");
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), e), RasError::Success);

        const QByteArray bytes = readAll(bookPath());
        QVERIFY(bytes.startsWith("; Telefonbuch\r\n[A]\r\n; about A\r\nPhoneNumber=99\r\nCustom=y\r\n"
                                 "Custom=second\r\nUser=anna\r\nSimRateUp=10\r\n"));
        QVERIFY(bytes.contains("\r\n\r\n[B]\r\nPhoneNumber=2\r\n"));
        RasDialParams params;
        bool stored = true;
        QCOMPARE(m_line->getEntryDialParams(QStringLiteral("A"), &params, &stored), RasError::Success);
        QCOMPARE(params.userName, QStringLiteral("anna"));
    }

    void passThroughDecidesTheUnknownKeys()
    {
        writeBook("[A]\r\nSimBusy=1\r\nSimRateUp=10\r\nUser=anna\r\n");
        RasEntry e;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("A"), &e), RasError::Success);
        e.passThrough.remove(QStringLiteral("SimBusy"));
        e.passThrough.insert(QStringLiteral("SimIdle"), QStringLiteral("5"));
        // Record keys never come from passThrough.
        e.passThrough.insert(QStringLiteral("PhoneNumber"), QStringLiteral("666"));
        e.passThrough.insert(QStringLiteral("Password"), QStringLiteral("plain"));
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), e), RasError::Success);
        RasEntry read;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("A"), &read), RasError::Success);
        QVERIFY(!read.passThrough.contains(QStringLiteral("SimBusy")));
        QCOMPARE(read.passThrough.value(QStringLiteral("SimIdle")), QStringLiteral("5"));
        QCOMPARE(read.passThrough.value(QStringLiteral("SimRateUp")), QStringLiteral("10"));
        QCOMPARE(read.localPhoneNumber, QString());
        const QByteArray bytes = readAll(bookPath());
        QVERIFY(bytes.contains("User=anna"));
        QVERIFY(!bytes.contains("plain"));
    }

    void textsThatWouldBreakTheFileAreRefused_data()
    {
        QTest::addColumn<RasEntry>("entry");
        RasEntry e;
        e.localPhoneNumber = QStringLiteral("1\r\n[Injected]\r\nPhoneNumber=2");
        QTest::newRow("line end in the number") << e;
        e = RasEntry();
        e.script = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("NUL in the script") << e;
        e = RasEntry();
        e.deviceName = QStringLiteral("Modem") + QChar(0) + QStringLiteral("COM\n1");
        QTest::newRow("line end in the port") << e;
        e = RasEntry();
        e.passThrough.insert(QStringLiteral("Key=Value"), QStringLiteral("x"));
        QTest::newRow("'=' in a pass-through key") << e;
        e = RasEntry();
        e.passThrough.insert(QStringLiteral("[Section]"), QStringLiteral("x"));
        QTest::newRow("section as pass-through key") << e;
        e = RasEntry();
        e.passThrough.insert(QStringLiteral("Key"), QStringLiteral("x\ny"));
        QTest::newRow("line end in a pass-through value") << e;
    }

    void textsThatWouldBreakTheFileAreRefused()
    {
        QFETCH(RasEntry, entry);
        writeBook("[A]\r\nPhoneNumber=1\r\n");
        const QByteArray before = readAll(bookPath());
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), entry), RasError::InvalidParameter);
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("New"), entry), RasError::InvalidParameter);
        QCOMPARE(readAll(bookPath()), before);
    }

    void dialParameters()
    {
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), RasEntry()), RasError::Success);
        RasDialParams params;
        params.entryName = QStringLiteral("a");
        params.userName = QStringLiteral("nord-4711");
        params.password = QStringLiteral("Geheim€1");
        params.domain = QStringLiteral("NORD");
        QCOMPARE(m_line->setEntryDialParams(params, false), RasError::Success);
        QVERIFY2(!readAll(bookPath()).contains("Geheim"), "the password is not stored readable");

        SimulatedLine other(m_dir->path());
        RasDialParams read;
        bool stored = false;
        QCOMPARE(other.getEntryDialParams(QStringLiteral("A"), &read, &stored), RasError::Success);
        QVERIFY(stored);
        QCOMPARE(read.entryName, QStringLiteral("A"));
        QCOMPARE(read.userName, params.userName);
        QCOMPARE(read.password, params.password);
        QCOMPARE(read.domain, params.domain);

        QCOMPARE(m_line->setEntryDialParams(params, true), RasError::Success);
        QCOMPARE(other.getEntryDialParams(QStringLiteral("A"), &read, &stored), RasError::Success);
        QVERIFY(!stored);
        QCOMPARE(read.password, QString());
        QCOMPARE(read.userName, params.userName);

        params.password = QStringLiteral("a\nb");
        QCOMPARE(m_line->setEntryDialParams(params, false), RasError::InvalidParameter);
    }

    void plainPasswordOfAHandWrittenBook()
    {
        writeBook("[A]\r\nUser=u\r\nPassword=klartext\r\nPasswordStored=1\r\n[B]\r\nPassword=x\r\nPasswordStored=0\r\n");
        RasDialParams read;
        bool stored = false;
        QCOMPARE(m_line->getEntryDialParams(QStringLiteral("A"), &read, &stored), RasError::Success);
        QVERIFY(stored);
        QCOMPARE(read.password, QStringLiteral("klartext"));
        QCOMPARE(m_line->getEntryDialParams(QStringLiteral("B"), &read, &stored), RasError::Success);
        QVERIFY(!stored);
        QCOMPARE(read.password, QString());
    }

    void entryErrors()
    {
        writeBook("[A]\r\nPhoneNumber=1\r\n[B]\r\nPhoneNumber=2\r\n");
        RasEntry e;
        RasDialParams params;
        bool stored = false;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("C"), &e), RasError::CannotFindPhonebookEntry);
        QCOMPARE(m_line->getEntryDialParams(QStringLiteral("C"), &params, &stored), RasError::CannotFindPhonebookEntry);
        params.entryName = QStringLiteral("C");
        QCOMPARE(m_line->setEntryDialParams(params, false), RasError::CannotFindPhonebookEntry);
        QCOMPARE(m_line->renameEntry(QStringLiteral("C"), QStringLiteral("D")), RasError::CannotFindPhonebookEntry);
        QCOMPARE(m_line->deleteEntry(QStringLiteral("C")), RasError::CannotFindPhonebookEntry);
        QCOMPARE(m_line->renameEntry(QStringLiteral("A"), QStringLiteral("b")), RasError::AlreadyExists);
        for (const QString &bad : {QString(), QStringLiteral("  "), QStringLiteral(".x"), QStringLiteral("a[b"),
                                   QStringLiteral("a]b"), QStringLiteral("a\\b"), QStringLiteral("a/b"),
                                   QStringLiteral("Netz\tNord"), QStringLiteral("a\x01b")}) {
            QCOMPARE(m_line->setEntryProperties(bad, e), RasError::InvalidName);
            QCOMPARE(m_line->renameEntry(QStringLiteral("A"), bad), RasError::InvalidName);
        }
        QStringList names;
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    }

    void entryNameError_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error"); // a part of the message; empty: allowed
        QTest::newRow("plain") << QStringLiteral("Netzwerk Nord") << QString();
        QTest::newRow("any script") << QStringLiteral("宽带连接") << QString();
        QTest::newRow("semicolon") << QStringLiteral("Büro;Nord") << QString();
        QTest::newRow("blanks around") << QStringLiteral("  Nord ") << QString();
        QTest::newRow("empty") << QString() << QStringLiteral("Bitte geben Sie einen Namen");
        QTest::newRow("TAB inside") << QStringLiteral("Netz\tNord") << QStringLiteral("Steuerzeichen wie Tabulator");
        QTest::newRow("TAB at the end") << QStringLiteral("Netz\t") << QStringLiteral("Steuerzeichen");
        QTest::newRow("line break") << QStringLiteral("Netz\nNord") << QStringLiteral("Steuerzeichen");
        QTest::newRow("DEL") << QStringLiteral("Netz\x7fNord") << QStringLiteral("Steuerzeichen");
        QTest::newRow("C1 control") << QStringLiteral("Netz\u0085Nord") << QStringLiteral("Steuerzeichen");
        QTest::newRow("line separator") << QStringLiteral("Netz\u2028Nord") << QStringLiteral("Steuerzeichen");
        QTest::newRow("bracket") << QStringLiteral("a[b") << QStringLiteral("[ ] \\ /");
        QTest::newRow("leading dot") << QStringLiteral(".x") << QStringLiteral("Punkt");
        QTest::newRow("too long") << QString(257, u'x') << QStringLiteral("zu lang");
    }

    void entryNameError()
    {
        QFETCH(QString, name);
        QFETCH(QString, error);
        const QString message = ::entryNameError(name);
        if (error.isEmpty())
            QVERIFY2(message.isEmpty(), qPrintable(message));
        else
            QVERIFY2(message.contains(error), qPrintable(message));
    }

    void renameAndDelete()
    {
        writeBook("[Alt]\r\nPhoneNumber=1\r\nSimBusy=1\r\nUser=u\r\n[B]\r\nPhoneNumber=2\r\n");
        QCOMPARE(m_line->renameEntry(QStringLiteral("alt"), QStringLiteral("ALT")), RasError::Success);
        QCOMPARE(m_line->renameEntry(QStringLiteral("ALT"), QStringLiteral("Neu")), RasError::Success);
        QStringList names;
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, (QStringList{QStringLiteral("Neu"), QStringLiteral("B")}));
        RasEntry e;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("Neu"), &e), RasError::Success);
        QCOMPARE(e.passThrough.value(QStringLiteral("SimBusy")), QStringLiteral("1"));
        QCOMPARE(m_line->deleteEntry(QStringLiteral("neu")), RasError::Success);
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{QStringLiteral("B")});
    }

    void damagedBook_data()
    {
        QTest::addColumn<QByteArray>("book");
        QTest::addColumn<QStringList>("salvaged");
        QTest::newRow("binary junk") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xD8", 18) << QStringList();
        QTest::newRow("line that is no key") << QByteArray("[A]\r\nPhoneNumber=1\r\nKauderwelsch\r\n[B]\r\n")
                                             << QStringList{QStringLiteral("A"), QStringLiteral("B")};
        QTest::newRow("key before any section") << QByteArray("PhoneNumber=1\r\n[A]\r\n")
                                                << QStringList{QStringLiteral("A")};
        QTest::newRow("unclosed section") << QByteArray("[A\r\nPhoneNumber=1\r\n[B]\r\n")
                                          << QStringList{QStringLiteral("B")};
        QTest::newRow("NUL inside a line") << QByteArray("[A]\r\nPhone\0Number=1\r\n", 21)
                                           << QStringList{QStringLiteral("A")};
    }

    void damagedBook()
    {
        QFETCH(QByteArray, book);
        QFETCH(QStringList, salvaged);
        writeBook(book);
        QStringList names{QStringLiteral("stale")};
        QCOMPARE(m_line->enumEntries(&names), RasError::CorruptPhonebook);
        QVERIFY(names.isEmpty());
        RasEntry e;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("A"), &e), RasError::CorruptPhonebook);
        RasHandle handle = 0;
        RasDialParams params;
        params.entryName = QStringLiteral("A");
        QCOMPARE(m_line->dial(params, &handle), RasError::CorruptPhonebook);
        QCOMPARE(readAll(bookPath()), book);

        // A failed write does not touch the book and makes no backup.
        QCOMPARE(m_line->deleteEntry(QStringLiteral("Nichts")), RasError::CannotFindPhonebookEntry);
        QVERIFY(!QFile::exists(bookPath() + QLatin1String(".bak")));

        QCOMPARE(m_line->setEntryProperties(QStringLiteral("Neu"), RasEntry()), RasError::Success);
        QCOMPARE(readAll(bookPath() + QLatin1String(".bak")), book);
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, salvaged + QStringList{QStringLiteral("Neu")});
    }

    void backupsAreNeverOverwritten()
    {
        QVERIFY(writeAll(bookPath() + QLatin1String(".bak"), "first backup"));
        writeBook("junk one\r\n");
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), RasEntry()), RasError::Success);
        writeBook("junk two\r\n");
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), RasEntry()), RasError::Success);
        QCOMPARE(readAll(bookPath() + QLatin1String(".bak")), QByteArray("first backup"));
        QCOMPARE(readAll(bookPath() + QLatin1String(".bak.2")), QByteArray("junk one\r\n"));
        QCOMPARE(readAll(bookPath() + QLatin1String(".bak.3")), QByteArray("junk two\r\n"));
        QCOMPARE(m_line->phoneBook().lastBackupPath(), bookPath() + QLatin1String(".bak.3"));
    }

    void lockedBook()
    {
        writeBook("[A]\r\nPhoneNumber=1\r\n");
        const QByteArray before = readAll(bookPath());
        QLockFile lock(m_line->phoneBook().lockPath());
        QVERIFY(lock.tryLock(0));
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("B"), RasEntry()), RasError::CannotOpenPhonebook);
        QCOMPARE(readAll(bookPath()), before);
        // Reading needs no lock.
        QStringList names;
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        lock.unlock();
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("B"), RasEntry()), RasError::Success);
    }

    void lockLeftByAKilledWriter()
    {
        // Killed after creating the lock file, before writing its owner.
        writeBook("[A]\r\nPhoneNumber=1\r\n");
        QVERIFY(writeAll(m_line->phoneBook().lockPath(), QByteArray()));
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("B"), RasEntry()), RasError::Success);
        QStringList names;
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QVERIFY(!QFile::exists(m_line->phoneBook().lockPath()));
    }

    void changesByOthersAreSeenAtOnce()
    {
        SimulatedLine other(m_dir->path());
        QStringList names;
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(other.setEntryProperties(QStringLiteral("A"), RasEntry()), RasError::Success);
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{QStringLiteral("A")});

        // Rewritten in place with the same size within the same clock tick.
        writeBook("[X]\r\n");
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{QStringLiteral("X")});
        writeBook("[Y]\r\n");
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{QStringLiteral("Y")});

        // Also right after this line wrote the book itself.
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("Y"), RasEntry()), RasError::Success);
        QByteArray same = readAll(bookPath());
        same.replace("[Y]", "[Z]");
        writeBook(same);
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{QStringLiteral("Z")});
    }

    // One pass over every entry reads the book once, even right after this
    // line wrote it; the next pass sees what others wrote meanwhile.
    void passReadsTheBookOnce()
    {
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), RasEntry()), RasError::Success);
        QStringList names;
        {
            const PhoneBookPass pass(*m_line);
            QCOMPARE(m_line->enumEntries(&names), RasError::Success);
            QByteArray same = readAll(bookPath());
            same.replace("[A]", "[B]");
            writeBook(same);
            QCOMPARE(m_line->enumEntries(&names), RasError::Success);
            QCOMPARE(names, QStringList{QStringLiteral("A")});
            {
                const PhoneBookPass inner(*m_line);
                QCOMPARE(m_line->enumEntries(&names), RasError::Success);
                QCOMPARE(names, QStringList{QStringLiteral("A")});
            }
            QCOMPARE(m_line->enumEntries(&names), RasError::Success);
            QCOMPARE(names, QStringList{QStringLiteral("A")});
        }
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{QStringLiteral("B")});
        const PhoneBookPass again(*m_line);
        QCOMPARE(m_line->enumEntries(&names), RasError::Success);
        QCOMPARE(names, QStringList{QStringLiteral("B")});
    }

    void userValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("storedKey");

        QTest::newRow("number") << QStringLiteral("SimRateUp") << QStringLiteral("1200") << true << QStringLiteral("SimRateUp");
        QTest::newRow("key in other case") << QStringLiteral("simrateup") << QStringLiteral("5") << true << QStringLiteral("SimRateUp");
        QTest::newRow("device type") << QStringLiteral("DEVICE") << QStringLiteral("isdn") << true << QStringLiteral("DEVICE");
        QTest::newRow("device name") << QStringLiteral("device") << QStringLiteral("Modem") << true << QStringLiteral("Device");
        QTest::newRow("letters as number") << QStringLiteral("SimRateUp") << QStringLiteral("abc") << false << QString();
        QTest::newRow("negative number") << QStringLiteral("SimConnectDelay") << QStringLiteral("-1") << false << QString();
        QTest::newRow("number too large") << QStringLiteral("SimSpeed") << QStringLiteral("4294967296") << false << QString();
        QTest::newRow("flag other than 0/1") << QStringLiteral("SimBusy") << QStringLiteral("2") << false << QString();
        QTest::newRow("address") << QStringLiteral("SimLocalIP") << QStringLiteral("10.64.1.2") << true << QStringLiteral("SimLocalIP");
        QTest::newRow("address with three parts") << QStringLiteral("SimLocalIP") << QStringLiteral("10.64.1") << false << QString();
        QTest::newRow("address part above 255") << QStringLiteral("IpAddress") << QStringLiteral("300.1.1.1") << false << QString();
        QTest::newRow("unknown key") << QStringLiteral("SimBusyy") << QStringLiteral("1") << false << QString();
        QTest::newRow("line end in text") << QStringLiteral("PhoneNumber") << QStringLiteral("1\n[X]") << false << QString();
    }

    void userValues()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        QFETCH(QString, storedKey);
        SimPhoneBookSection section{QStringLiteral("A"), {}};
        QString error;
        QCOMPARE(simApplyUserValue(&section, key, value, &error), accepted);
        if (!accepted) {
            QVERIFY(section.lines.isEmpty());
            QVERIFY(error.contains(key));
            return;
        }
        QCOMPARE(section.lines.size(), 1);
        QCOMPARE(section.lines.at(0).key, storedKey);
        QCOMPARE(section.lines.at(0).value, value);
    }

    void olderSpellingsTakeTheWindowsKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("storedKey");
        QTest::addColumn<QString>("storedValue");
        QTest::newRow("specific address") << QStringLiteral("SpecificIpAddr") << QStringLiteral("1")
                                          << QStringLiteral("IpAssign") << QStringLiteral("2");
        QTest::newRow("LCP extensions off") << QStringLiteral("DisableLcpExtensions") << QStringLiteral("1")
                                            << QStringLiteral("LcpExtensions") << QStringLiteral("0");
        QTest::newRow("SLIP") << QStringLiteral("Framing") << QStringLiteral("2") << QStringLiteral("BaseProtocol")
                              << QStringLiteral("2");
        QTest::newRow("RAS") << QStringLiteral("framing") << QStringLiteral("4") << QStringLiteral("BaseProtocol")
                             << QStringLiteral("3");
        QTest::newRow("NetBEUI and TCP/IP") << QStringLiteral("NetProtocols") << QStringLiteral("5")
                                            << QStringLiteral("ExcludedProtocols") << QStringLiteral("10");
        QTest::newRow("unknown protocols dropped") << QStringLiteral("NetProtocols") << QStringLiteral("49")
                                                   << QStringLiteral("ExcludedProtocols") << QStringLiteral("14");
        QTest::newRow("Windows key itself") << QStringLiteral("IpNameAssign") << QStringLiteral("2")
                                            << QStringLiteral("IpNameAssign") << QStringLiteral("2");
    }

    // Values an entry reads from its section are those it writes back.
    void entryValuesReadAsWritten_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<quint32>("protocols");
        QTest::addColumn<quint32>("framing");
        QTest::newRow("unknown protocols dropped") << QStringLiteral("NetProtocols") << QStringLiteral("49") << 1u << 1u;
        QTest::newRow("framing 3 is none") << QStringLiteral("Framing") << QStringLiteral("3") << 4u << 0u;
    }

    void entryValuesReadAsWritten()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        SimPhoneBookSection section{QStringLiteral("A"), {{key, value}}};
        const RasEntry entry = simEntryFromSection(section);
        QTEST(entry.netProtocols, "protocols");
        QTEST(entry.framingProtocol, "framing");
        QCOMPARE(simApplyEntry(&section, entry), RasError::Success);
        const RasEntry again = simEntryFromSection(section);
        QCOMPARE(again.netProtocols, entry.netProtocols);
        QCOMPARE(again.framingProtocol, entry.framingProtocol);
    }

    void olderSpellingsTakeTheWindowsKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        SimPhoneBookSection section{QStringLiteral("A"), {{key, QStringLiteral("0")}}};
        QVERIFY(simApplyUserValue(&section, key, value, nullptr));
        QCOMPARE(section.lines.size(), 1);
        QTEST(section.lines.at(0).key, "storedKey");
        QTEST(section.lines.at(0).value, "storedValue");
    }

    void windowsPhoneBookLoads()
    {
        // As Windows writes it, with its sub-sections and keys of its own.
        writeBook("[Callnet]\r\nEncoding=1\r\nType=1\r\nAutoLogon=0\r\nBaseProtocol=1\r\nExcludedProtocols=3\r\n"
                  "LcpExtensions=1\r\nDataEncryption=8\r\nSwCompression=1\r\nShowMonitorIconInTaskBar=1\r\n"
                  "IpPrioritizeRemote=1\r\nIpHeaderCompression=1\r\nIpAddress=0.0.0.0\r\n"
                  "IpDnsAddress=192.168.0.1\r\nIpDns2Address=0.0.0.0\r\nIpWinsAddress=0.0.0.0\r\n"
                  "IpWins2Address=0.0.0.0\r\nIpAssign=1\r\nIpNameAssign=2\r\nIpFrameSize=1006\r\n\r\n"
                  "NETCOMPONENTS=\r\nms_msclient=1\r\n\r\nMEDIA=rastapi\r\nPort=COM3\r\nDevice=Standardmodem\r\n\r\n"
                  "DEVICE=modem\r\nPhoneNumber=0191011\r\nAreaCode=030\r\nCountryCode=49\r\nCountryID=49\r\n"
                  "UseDialingRules=1\r\n");
        RasEntry e;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("Callnet"), &e), RasError::Success);
        QCOMPARE(QString::number(e.options, 16), QStringLiteral("31d")); // codes, name servers, compressions, gateway, lights
        QCOMPARE(e.netProtocols, 0xCu);                                  // TCP/IP (and IPv6), not NetBEUI and IPX
        QCOMPARE(e.framingProtocol, 1u);
        QCOMPARE(e.frameSize, 1006u);
        QCOMPARE(e.ipAddrDns, 0x0100A8C0u);
        QCOMPARE(e.localPhoneNumber, QStringLiteral("0191011"));
        QCOMPARE(e.areaCode, QStringLiteral("030"));
        QCOMPARE(e.deviceType, QStringLiteral("modem"));
        QCOMPARE(e.deviceName, QStringLiteral("Standardmodem") + QChar(0) + QStringLiteral("COM3"));
        QCOMPARE(e.passThrough.value(QStringLiteral("MEDIA")), QStringLiteral("rastapi"));

        // Written back: the same record, what Rufwerk does not know stays.
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("Callnet"), e), RasError::Success);
        SimulatedLine other(m_dir->path());
        RasEntry again;
        QCOMPARE(other.getEntryProperties(QStringLiteral("Callnet"), &again), RasError::Success);
        compareEntries(again, e);
        const QByteArray bytes = readAll(bookPath());
        QVERIFY(bytes.contains("\r\nDataEncryption=8\r\n"));
        QVERIFY(bytes.contains("\r\nms_msclient=1\r\n"));
        QVERIFY(bytes.contains("\r\nIpNameAssign=2\r\n"));
    }

    void olderSpellingsOfABook()
    {
        writeBook("[A]\r\nSpecificIpAddr=1\r\nModemLights=1\r\nDisableLcpExtensions=1\r\nFraming=4\r\n"
                  "NetProtocols=5\r\nFrameSize=1500\r\nUseLogonCredentials=1\r\n"
                  "[B]\r\nIpAssign=1\r\nSpecificIpAddr=1\r\n");
        RasEntry e;
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("A"), &e), RasError::Success);
        QCOMPARE(QString::number(e.options, 16), QStringLiteral("4122"));
        QCOMPARE(e.framingProtocol, 4u);
        QCOMPARE(e.netProtocols, 5u);
        QCOMPARE(e.frameSize, 1500u);
        QCOMPARE(m_line->setEntryProperties(QStringLiteral("A"), e), RasError::Success);
        const QByteArray all = readAll(bookPath());
        const QByteArray bytes = all.left(all.indexOf("[B]"));
        for (const char *older : {"SpecificIpAddr=", "ModemLights=", "DisableLcpExtensions=", "Framing=", "NetProtocols=",
                                  "\nFrameSize=", "UseLogonCredentials="})
            QVERIFY2(!bytes.contains(older), older);
        for (const char *windows : {"IpAssign=2", "ShowMonitorIconInTaskBar=1", "LcpExtensions=0", "BaseProtocol=3",
                                    "ExcludedProtocols=10", "IpFrameSize=1500", "AutoLogon=1"})
            QVERIFY2(bytes.contains(windows), windows);
        // The Windows key wins over an older spelling of the same field.
        QCOMPARE(m_line->getEntryProperties(QStringLiteral("B"), &e), RasError::Success);
        QCOMPARE(e.options & RasEntryOption::SpecificIpAddr, 0u);
    }

    void userPasswordIsStoredObfuscated()
    {
        SimPhoneBookSection section{QStringLiteral("A"), {}};
        QVERIFY(simApplyUserValue(&section, QStringLiteral("Password"), QStringLiteral("geheim"), nullptr));
        QVERIFY(section.value(u"Password") != QLatin1String("geheim"));
        bool stored = false;
        QCOMPARE(simDialParamsFromSection(section, &stored).password, QStringLiteral("geheim"));
        QVERIFY(stored);
        // An empty scenario value brings back the default.
        QVERIFY(simApplyUserValue(&section, QStringLiteral("SimBusy"), QStringLiteral("1"), nullptr));
        QVERIFY(simApplyUserValue(&section, QStringLiteral("SimBusy"), QString(), nullptr));
        QVERIFY(!section.contains(u"SimBusy"));
    }
};

QTEST_GUILESS_MAIN(TestPhoneBook)
#include "tst_phonebook.moc"
