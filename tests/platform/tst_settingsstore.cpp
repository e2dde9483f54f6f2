// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SettingsStore.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString rasKey = u"Software\\Kovatek\\Rufwerk\\RasMod\\RAS"_s;
}

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(path());
    }

    void readInteger_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("expected");

        QTest::newRow("missing reads default") << QString() << false << 60;
        QTest::newRow("decimal text") << u"45"_s << true << 45;
        QTest::newRow("negative") << u"-3"_s << true << -3;
        QTest::newRow("blanks around") << u" 120 "_s << true << 120;
        QTest::newRow("empty text") << QString() << true << 60;
        QTest::newRow("not a number") << u"abc"_s << true << 60;
        QTest::newRow("trailing junk") << u"12x"_s << true << 60;
        QTest::newRow("hex is not decimal") << u"0x10"_s << true << 60;
        QTest::newRow("decimal comma") << u"1,5"_s << true << 60;
        QTest::newRow("overflow") << u"99999999999"_s << true << 60;
    }

    void readInteger()
    {
        QFETCH(QString, stored);
        QFETCH(bool, present);
        QFETCH(int, expected);
        FileSettingsStore store(path());
        if (present)
            QVERIFY(store.writeString(rasKey, u"Timeout"_s, stored));
        QCOMPARE(store.readInteger(rasKey, u"Timeout"_s, 60), expected);
    }

    void readBool_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("def");
        QTest::addColumn<bool>("expected");

        QTest::newRow("\"1\"") << u"1"_s << false << true;
        QTest::newRow("\"0\"") << u"0"_s << true << false;
        QTest::newRow("malformed, default on") << u"yes"_s << true << true;
        QTest::newRow("malformed, default off") << u"yes"_s << false << false;
        QTest::newRow("other number is on") << u"2"_s << false << true;
    }

    void readBool()
    {
        QFETCH(QString, stored);
        QFETCH(bool, def);
        QFETCH(bool, expected);
        FileSettingsStore store(path());
        store.writeString(rasKey, u"WithSound"_s, stored);
        QCOMPARE(store.readBool(rasKey, u"WithSound"_s, def), expected);
    }

    void writesDecimalTextAndFlags()
    {
        FileSettingsStore store(path());
        QVERIFY(store.writeInteger(rasKey, u"RemaindTime"_s, 15));
        QVERIFY(store.writeBool(rasKey, u"KeepAlive"_s, true));
        FileSettingsStore other(path());
        QCOMPARE(other.readString(rasKey, u"RemaindTime"_s), u"15"_s);
        QCOMPARE(other.readString(rasKey, u"KeepAlive"_s), u"1"_s);
    }

    void keysAndNamesIgnoreCase()
    {
        FileSettingsStore store(path());
        store.writeString(u"Software\\Kovatek\\Rufwerk\\RasMod\\CURMIN"_s, u"Netzwerk Nord"_s, u"1,500"_s);
        QCOMPARE(store.readString(u"software\\kovatek\\RUFWERK\\rasmod\\curmin\\"_s, u"NETZWERK nord"_s), u"1,500"_s);
    }

    void writingCreatesParentKeys()
    {
        FileSettingsStore store(path());
        store.writeString(u"Software\\Kovatek\\Rufwerk\\RasBas\\STARTPRG"_s, QString(), u"3"_s);
        QVERIFY(store.keyExists(u"Software\\Kovatek\\Rufwerk\\RasBas"_s));
        QCOMPARE(store.subKeys(u"Software\\Kovatek\\Rufwerk"_s), QStringList{u"RasBas"_s});
        QCOMPARE(store.readInteger(u"Software\\Kovatek\\Rufwerk\\RasBas\\STARTPRG"_s, QString(), 0), 3);
    }

    void awkwardNamesAndValuesSurvive()
    {
        const QString name = u"T\"Online\" \\ 1/2 [x] = €"_s;
        const QString value = u"line1\nline2\r\"quoted\" \\ ä ö ü ß €"_s;
        {
            FileSettingsStore store(path());
            QVERIFY(store.writeString(rasKey, name, value));
        }
        FileSettingsStore reread(path());
        QCOMPARE(reread.readString(rasKey, name), value);
        QCOMPARE(reread.valueNames(rasKey), QStringList{name});
    }

    void deleteValueAndKey()
    {
        FileSettingsStore store(path());
        const QString base = u"Software\\Kovatek\\Altruf"_s;
        store.writeString(base + u"\\PROG"_s, u"Prog1"_s, u"a"_s);
        store.writeString(base + u"\\PROG\\Sub"_s, u"x"_s, u"b"_s);
        store.writeString(rasKey, u"Keep"_s, u"1"_s);
        QVERIFY(store.deleteValue(base + u"\\PROG"_s, u"Prog1"_s));
        QVERIFY(!store.hasValue(base + u"\\PROG"_s, u"Prog1"_s));
        QVERIFY(store.deleteKey(base + u"\\PROG"_s));
        QVERIFY(!store.keyExists(base + u"\\PROG\\Sub"_s));
        QVERIFY(!store.keyExists(base + u"\\PROG"_s));
        QCOMPARE(store.readString(rasKey, u"Keep"_s), u"1"_s);
    }

    void damagedLinesAreSkipped()
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Windows Registry Editor Version 5.00\r\n\r\n"
                   "\"orphan\"=\"before any key\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Kovatek\\Rufwerk\\RasMod\\RAS]\r\n"
                   "\"ServiceStr\"=\"Netzwerk Nord\"\r\n"
                   "\"Broken=\"no end\r\n"
                   "garbage \x01\x02\xff\r\n"
                   "\"Timeout\"=\"90\"\n");
        file.close();
        FileSettingsStore store(path());
        QCOMPARE(store.readString(rasKey, u"ServiceStr"_s), u"Netzwerk Nord"_s);
        QCOMPARE(store.readInteger(rasKey, u"Timeout"_s, 60), 90);
        QCOMPARE(store.valueNames(rasKey).size(), 2);
    }

    void seesWritesOfAnotherStore()
    {
        FileSettingsStore a(path());
        FileSettingsStore b(path());
        QCOMPARE(a.readInteger(rasKey, u"SyncAsync"_s, 1), 1);
        QVERIFY(b.writeInteger(rasKey, u"SyncAsync"_s, 0));
        QCOMPARE(a.readInteger(rasKey, u"SyncAsync"_s, 1), 0);
        // a writes after b: both values are kept, not only a's view of the file
        QVERIFY(a.writeInteger(rasKey, u"Timeout"_s, 30));
        FileSettingsStore c(path());
        QCOMPARE(c.readInteger(rasKey, u"SyncAsync"_s, 1), 0);
        QCOMPARE(c.readInteger(rasKey, u"Timeout"_s, 60), 30);
    }

    void lockLeftByAKilledWriter()
    {
        // Killed after creating the lock file, before writing its owner.
        QFile lock(path() + u".lock"_s);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.close();
        FileSettingsStore store(path());
        QVERIFY(store.writeInteger(rasKey, u"Timeout"_s, 30));
        QCOMPARE(FileSettingsStore(path()).readInteger(rasKey, u"Timeout"_s, 60), 30);
    }

    void failedWritesAreReported_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("name");
        QTest::newRow("write") << 0 << u"Timeout"_s;
        QTest::newRow("delete value") << 1 << u"Timeout"_s;
        QTest::newRow("delete key") << 2 << QString();
    }

    void failedWritesAreReported()
    {
        QFETCH(int, operation);
        QFETCH(QString, name);
        // The store's folder is a file: nothing can be written, also not as root.
        QFile blocker(m_dir.filePath(u"blocker"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        FileSettingsStore store(m_dir.filePath(u"blocker/registry.reg"_s));
        QList<SettingsStore::Failure> failures;
        SettingsStore::setFailureHandler([&failures](const SettingsStore::Failure &f) { failures.append(f); });
        const bool written = operation == 0 ? store.writeInteger(rasKey, name, 30)
                           : operation == 1 ? store.deleteValue(rasKey, name)
                                            : store.deleteKey(rasKey);
        SettingsStore::setFailureHandler({});
        QVERIFY(!written);
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures.first().key, rasKey);
        QCOMPARE(failures.first().name, name);
        QVERIFY2(failures.first().reason.contains(u"blocker"_s), qPrintable(failures.first().reason));
    }

    void concurrentWritersKeepEveryValue()
    {
        // Several processes write distinct values at once; none may be lost.
        const QString self = QCoreApplication::applicationFilePath();
        QList<QProcess *> writers;
        for (int i = 0; i < 4; ++i) {
            auto *p = new QProcess(this);
            p->setProgram(self);
            p->setArguments({u"writer"_s, path(), QString::number(i)});
            p->start();
            writers << p;
        }
        for (QProcess *p : std::as_const(writers)) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
        }
        FileSettingsStore store(path());
        for (int i = 0; i < 4; ++i) {
            for (int n = 0; n < 25; ++n)
                QCOMPARE(store.readInteger(rasKey, u"w%1_%2"_s.arg(i).arg(n), -1), n);
        }
    }

private:
    QString path() const { return m_dir.filePath(u"registry.reg"_s); }
    QTemporaryDir m_dir;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == u"writer"_s) {
        FileSettingsStore store(args.at(2));
        for (int n = 0; n < 25; ++n) {
            if (!store.writeInteger(rasKey, u"w%1_%2"_s.arg(args.at(3)).arg(n), n))
                return 1;
        }
        return 0;
    }
    TestSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsstore.moc"
