// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FileLock.h"
#include "TestFiles.h"

#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <thread>

using namespace Qt::StringLiterals;

// The lock between the writers of the phone book and the settings file.
class TestFileLock : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void leftoversAreTakenOverAtOnce_data()
    {
        QTest::addColumn<QByteArray>("content");
        // Killed between creating the lock file and writing its owner.
        QTest::newRow("empty lock file") << QByteArray();
        QTest::newRow("owner gone") << QByteArray("2147483646\nrufwerk\nlocalhost\n");
        QTest::newRow("damaged owner") << QByteArray("\x7f\x45LF\n\n", 6);
    }

    void leftoversAreTakenOverAtOnce()
    {
        QFETCH(QByteArray, content);
        QVERIFY(writeAll(lockPath(), content));
        FileLock lock(lockPath());
        QCOMPARE(lock.lock(0), FileLock::Result::Locked);
        QVERIFY(lock.isLocked());
        lock.unlock();
        QVERIFY(!QFile::exists(lockPath()));
    }

    void killedHolderFreesTheLock()
    {
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {u"holder"_s, lockPath()});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAllStandardOutput(), QByteArray("locked\n"));

        FileLock lock(lockPath());
        QCOMPARE(lock.lock(50), FileLock::Result::Busy);
        QVERIFY(lock.errorString().contains(u"gesperrt"_s));
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(QFile::exists(lockPath()));
        QCOMPARE(lock.lock(0), FileLock::Result::Locked);
    }

    void holdersExcludeEachOther()
    {
        FileLock first(lockPath());
        QCOMPARE(first.lock(0), FileLock::Result::Locked);
        FileLock second(lockPath());
        QCOMPARE(second.lock(30), FileLock::Result::Busy);
        first.unlock();
        QCOMPARE(second.lock(0), FileLock::Result::Locked);

        // QLockFile, which older versions used, excludes it as well.
        second.unlock();
        QLockFile older(lockPath());
        QVERIFY(older.tryLock(0));
        QCOMPARE(second.lock(30), FileLock::Result::Busy);
        older.unlock();
        QCOMPARE(second.lock(0), FileLock::Result::Locked);
    }

    void waitsForARelease()
    {
        FileLock first(lockPath());
        QCOMPARE(first.lock(0), FileLock::Result::Locked);
        std::thread releaser([&first] {
            QThread::msleep(50);
            first.unlock();
        });
        FileLock second(lockPath());
        QCOMPARE(second.lock(10000), FileLock::Result::Locked);
        releaser.join();
    }

    void lockFileThatCannotBeMade()
    {
        QVERIFY(writeAll(m_dir->filePath(u"not-a-folder"_s), "x"));
        FileLock lock(m_dir->filePath(u"not-a-folder/book.lock"_s));
        QCOMPARE(lock.lock(0), FileLock::Result::Failed);
        QVERIFY(lock.errorString().contains(u"kann nicht angelegt werden"_s));
        QVERIFY(!lock.isLocked());
    }

private:
    QString lockPath() const { return m_dir->filePath(u"rasphone.pbk.lock"_s); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == u"holder"_s) {
        // Holds the lock until it is killed.
        FileLock lock(args.at(2));
        if (lock.lock(10000) != FileLock::Result::Locked)
            return 1;
        std::fputs("locked\n", stdout);
        std::fflush(stdout);
        QThread::sleep(60);
        return 0;
    }
    TestFileLock test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_filelock.moc"
