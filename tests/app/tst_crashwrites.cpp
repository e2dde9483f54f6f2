// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "CrashWriterRounds.h"
#include "FeeLogFile.h"
#include "RegFile.h"
#include "SimPhoneBook.h"
#include "SimulatedLine.h"
#include "TestFiles.h"
#include "TextLines.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum class Store { PhoneBook, Settings, FeeLog };

QString kindOf(Store store)
{
    switch (store) {
    case Store::PhoneBook: return u"phonebook"_s;
    case Store::Settings: return u"settings"_s;
    case Store::FeeLog: return u"feelog"_s;
    }
    return {};
}

// Filler that makes each save long enough to be killed in the middle of it.
constexpr int FillerItems = 400;

QString fillerName(int i)
{
    return u"Füller %1"_s.arg(i, 4, 10, QLatin1Char('0'));
}

} // namespace

Q_DECLARE_METATYPE(Store)

// Writers of the phone book, the settings and the fee log are killed at random
// moments: each file always reads as the old or the new content, and writers
// at the same time lose nothing.
class TestCrashWrites : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(writerPath()), qPrintable(writerPath()));
        m_seed = QRandomGenerator::global()->generate();
        qInfo("random seed %u", m_seed);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void killedWhileSaving_data()
    {
        QTest::addColumn<Store>("store");
        QTest::newRow("phone book") << Store::PhoneBook;
        QTest::newRow("settings") << Store::Settings;
        QTest::newRow("fee log") << Store::FeeLog;
    }

    void killedWhileSaving()
    {
        QFETCH(Store, store);
        fill(store);
        QRandomGenerator random(m_seed);
        int next = 0; // the round the next writer starts with
        for (int kill = 0; kill < 25; ++kill) {
            QProcess writer;
            writer.start(writerPath(), {kindOf(store), target(store), QString::number(next), u"1000000"_s});
            QVERIFY(writer.waitForStarted(10000));
            // Mostly in the middle of the saves, sometimes while it starts.
            if (random.bounded(4) != 0)
                QVERIFY2(writer.waitForReadyRead(20000), qPrintable(QString::fromUtf8(writer.readAllStandardError())));
            QThread::msleep(random.bounded(40));
            QVERIFY2(writer.state() == QProcess::Running, "the writer gave up before it was killed");
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));

            const QList<QByteArray> printed = writer.readAllStandardOutput().split('\n');
            int lastStored = next - 1;
            for (const QByteArray &line : printed) {
                if (!line.isEmpty())
                    lastStored = line.toInt();
            }
            const std::optional<int> held = roundHeld(store);
            QVERIFY2(held, qPrintable(u"after kill %1 the file does not read as any round"_s.arg(kill)));
            // The last round stored, or the one being saved when it was killed.
            QVERIFY2(*held == lastStored || *held == lastStored + 1,
                     qPrintable(u"kill %1: file holds round %2, last stored %3"_s.arg(kill).arg(*held).arg(lastStored)));
            next = *held + 1;
        }
    }

    void concurrentWritersLoseNothing_data()
    {
        QTest::addColumn<Store>("store");
        QTest::newRow("phone book") << Store::PhoneBook;
        QTest::newRow("settings") << Store::Settings;
    }

    void concurrentWritersLoseNothing()
    {
        QFETCH(Store, store);
        constexpr int rounds = 40;
        QList<QProcess *> writers;
        for (const QString &prefix : {u"A"_s, u"B"_s}) {
            auto *writer = new QProcess(this);
            writer->start(writerPath(), {kindOf(store), target(store), u"0"_s, QString::number(rounds), prefix});
            writers << writer;
        }
        for (QProcess *writer : std::as_const(writers)) {
            QVERIFY(writer->waitForFinished(60000));
            QCOMPARE(writer->exitCode(), 0);
            delete writer;
        }
        QStringList names;
        if (store == Store::PhoneBook) {
            names = SimPhoneBookText::parse(readAll(bookPath())).names();
        } else {
            const RegFile::Tree tree = RegFile::parse(readAll(target(store)));
            for (const RegFile::Value &value : tree.value(CrashWriterRounds::Key.toLower()).values)
                names << value.name;
        }
        for (const QString &prefix : {u"A"_s, u"B"_s}) {
            for (int round = 0; round < rounds; ++round)
                QVERIFY2(names.contains(prefix + QString::number(round)), qPrintable(prefix + QString::number(round)));
        }
    }

private:
    QString writerPath() const { return QCoreApplication::applicationDirPath() + u"/rufwerk-crashwriter"_s; }

    QString bookPath() const { return SimulatedLine(m_dir->path()).phoneBookPath(); }

    QString target(Store store) const
    {
        switch (store) {
        case Store::PhoneBook: return m_dir->path();
        case Store::Settings: return m_dir->filePath(u"registry.reg"_s);
        case Store::FeeLog: return m_dir->path() + u'/';
        }
        return {};
    }

    void fill(Store store)
    {
        switch (store) {
        case Store::PhoneBook: {
            SimulatedLine line(m_dir->path());
            QCOMPARE(line.phoneBook().modify([](SimPhoneBookText &text) {
                for (int i = 0; i < FillerItems; ++i) {
                    SimPhoneBookSection section;
                    section.name = fillerName(i);
                    simApplyEntry(&section, CrashWriterRounds::Entry(i));
                    text.sections.append(section);
                }
                return RasError::Success;
            }), RasError::Success);
            break;
        }
        case Store::Settings: {
            RegFile::Tree tree;
            RegFile::Key &key = tree[u"software\\kovatek\\rufwerk\\füller"_s];
            key.path = u"Software\\Kovatek\\Rufwerk\\Füller"_s;
            for (int i = 0; i < FillerItems * 10; ++i)
                key.values.insert(fillerName(i).toLower(), {fillerName(i), u"Wert mit etwas Text %1"_s.arg(i)});
            QVERIFY(writeAll(target(store), RegFile::serialize(tree)));
            break;
        }
        case Store::FeeLog: {
            QStringList lines;
            for (int i = 0; i < FillerItems * 25; ++i)
                lines << u"01.01.2026;00:00:00;%1;0;1 Ct/min;00:00:01;0,0100 €"_s.arg(fillerName(i));
            QVERIFY(TextLines(lines).write(target(store) + TFeeLogFile::ListName()));
            m_fillerLines = lines;
            break;
        }
        }
    }

    /// The round the file holds; nothing when it does not read as any round
    /// or lost what was there before.
    std::optional<int> roundHeld(Store store) const
    {
        switch (store) {
        case Store::PhoneBook: {
            const SimPhoneBookText book = SimPhoneBookText::parse(readAll(bookPath()));
            const int at = book.indexOf(CrashWriterRounds::EntryName);
            if (book.damaged || book.sections.size() != FillerItems + (at < 0 ? 0 : 1))
                return std::nullopt;
            if (at < 0)
                return -1;
            bool ok = false;
            const int round = simEntryFromSection(book.sections.at(at)).localPhoneNumber.toInt(&ok);
            return ok ? std::optional<int>(round) : std::nullopt;
        }
        case Store::Settings: {
            const QByteArray bytes = readAll(target(store));
            const RegFile::Tree tree = RegFile::parse(bytes);
            // Every byte as the writer writes it, nothing cut off.
            if (RegFile::serialize(tree) != bytes || tree.value(u"software\\kovatek\\rufwerk\\füller"_s).values.size()
                                                          != FillerItems * 10)
                return std::nullopt;
            const RegFile::Key counter = tree.value(CrashWriterRounds::Key.toLower());
            if (counter.values.isEmpty())
                return -1;
            bool ok = false;
            const int round = counter.values.value(CrashWriterRounds::ValueName.toLower()).data.toInt(&ok);
            return ok ? std::optional<int>(round) : std::nullopt;
        }
        case Store::FeeLog: {
            TFeeLogFile log(target(store));
            TextLines lines;
            QString error;
            if (!log.Load(&lines, &error))
                return std::nullopt;
            const QStringList all = lines.toStringList();
            if (all.mid(0, m_fillerLines.size()) != m_fillerLines)
                return std::nullopt;
            const int records = int(all.size() - m_fillerLines.size());
            for (int round = 0; round < records; ++round) {
                if (all.at(m_fillerLines.size() + round) != CrashWriterRounds::FeeRecord(round))
                    return std::nullopt;
            }
            return records - 1;
        }
        }
        return std::nullopt;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_fillerLines;
    quint32 m_seed = 0;
};

QTEST_GUILESS_MAIN(TestCrashWrites)
#include "tst_crashwrites.moc"
