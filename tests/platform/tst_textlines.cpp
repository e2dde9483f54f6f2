// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LineStarts.h"
#include "TestFiles.h"
#include "TextFile.h"
#include "TextLines.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Fee1 = u"09.12.2026;10:00:00;Netzwerk Nord;0301234;2 Ct/min;00:01:00;0,0200 €"_s;
const QString Fee2 = u"10.12.2026;11:00:00;Büro Süd;0301234;1,5 Ct/min;00:02:00;0,0300 €"_s;
const QString Cjk = u"11.12.2026;12:00:00;宽带连接;0301234;1 Ct/min;00:03:00;0,0300 €"_s;

// What a file of these lines must hold, worked out independently of TextLines.
QByteArray fileOf(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n"_s;
    return TextFile::encodeFile(text);
}

// One step applied alike to the compact lines and to a plain list.
struct Step
{
    enum Kind { Append, Remove, Clear } kind;
    QString line;
    TextLines::Ranges ranges;
};

void apply(const Step &step, TextLines *compact, QStringList *plain)
{
    switch (step.kind) {
    case Step::Append:
        compact->append(step.line);
        plain->append(step.line);
        break;
    case Step::Remove:
        compact->remove(step.ranges);
        for (auto it = step.ranges.crbegin(); it != step.ranges.crend(); ++it)
            plain->remove(it->first, it->second - it->first + 1);
        break;
    case Step::Clear:
        compact->clear();
        plain->clear();
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Step)

class TestTextLines : public QObject
{
    Q_OBJECT

private slots:
    void readsLikeTheList_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("unchangedOnSave");

        const QByteArray crlf = TextFile::encode(Fee1 + u"\r\n"_s + Fee2 + u"\r\n"_s);
        QTest::newRow("CR LF as written") << crlf << true;
        QTest::newRow("lone LF") << QByteArray("a;1\nb;2\n") << false;
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\r\n") << false;
        QTest::newRow("no final line end") << QByteArray("a;1\r\nb;2") << false;
        QTest::newRow("cut after CR") << QByteArray("a\r\nb\r") << false;
        QTest::newRow("blank lines kept") << QByteArray("a\r\n\r\nb\r\n") << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("only a line end") << QByteArray("\r\n") << true;
        QTest::newRow("CR inside a line") << QByteArray("a\rb\r\r\n") << true;
        QTest::newRow("Windows-1252 bytes") << QByteArray("\x80\x81\x8d\x9f\xff;\xe4\r\n") << true;
        QTest::newRow("UTF-8 with BOM") << fileOf({Fee1, Cjk}) << true;
        QTest::newRow("UTF-8 with BOM, LF") << QByteArray("\xEF\xBB\xBF\xE5\xAE\xBD\nx") << false;
        QTest::newRow("bad UTF-8 behind a BOM") << QByteArray("\xEF\xBB\xBF\xff\xfe;1\r\n") << true;
        QTest::newRow("a second BOM is text") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF") << false;
        QTest::newRow("BOM at a line's start") << QByteArray("\xEF\xBB\xBF" "a\r\n\xEF\xBB\xBF" "b\r\n") << true;
        QTest::newRow("UTF-8 cut inside a character") << QByteArray("\xEF\xBB\xBF" "a\xE5\xAE\r\n") << true;
    }

    void readsLikeTheList()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, unchangedOnSave);
        const TextLines lines = TextLines::fromFileBytes(file);
        const QStringList expected = TextFile::splitLines(TextFile::decodeFile(file));
        QCOMPARE(lines.toStringList(), expected);
        QCOMPARE(lines.count(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(lines.at(i), expected.at(i));

        QTemporaryDir dir;
        const QString path = dir.filePath(u"FeeReport.Lst"_s);
        QVERIFY(lines.write(path));
        if (unchangedOnSave)
            QCOMPARE(readAll(path), file); // byte for byte, also bytes that do not decode
        else
            QCOMPARE(readAll(path), fileOf(expected));
    }

    void changesLikeTheList_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<bool>("utf8");

        const QByteArray two = fileOf({Fee1, Fee2});
        QTest::newRow("append") << two << QList<Step>{{Step::Append, Fee1, {}}} << false;
        QTest::newRow("append to empty") << QByteArray() << QList<Step>{{Step::Append, Fee2, {}}} << false;
        QTest::newRow("append to a file without final line end")
            << QByteArray("a;1") << QList<Step>{{Step::Append, Fee1, {}}} << false;
        QTest::newRow("remove first, middle, last")
            << fileOf({u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s})
            << QList<Step>{{Step::Remove, {}, {{0, 0}, {2, 3}, {5, 5}}}} << false;
        QTest::newRow("remove all") << two << QList<Step>{{Step::Remove, {}, {{0, 1}}}} << false;
        QTest::newRow("clear, then append") << two << QList<Step>{{Step::Clear, {}, {}}, {Step::Append, Fee1, {}}}
                                            << false;
        QTest::newRow("a CJK name turns the file into UTF-8")
            << two << QList<Step>{{Step::Append, Cjk, {}}, {Step::Append, Fee1, {}}} << true;
        QTest::newRow("without the CJK row it is Windows-1252 again")
            << two << QList<Step>{{Step::Append, Cjk, {}}, {Step::Remove, {}, {{2, 2}}}} << false;
        QTest::newRow("UTF-8 file keeps UTF-8 while the name is there")
            << fileOf({Cjk, Fee1}) << QList<Step>{{Step::Remove, {}, {{1, 1}}}, {Step::Append, Fee2, {}}} << true;
        QTest::newRow("clearing a UTF-8 log") << fileOf({Cjk}) << QList<Step>{{Step::Clear, {}, {}}} << false;
    }

    void changesLikeTheList()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<Step>, steps);
        QFETCH(bool, utf8);
        TextLines compact = TextLines::fromFileBytes(file);
        QStringList plain = TextFile::splitLines(TextFile::decodeFile(file));
        for (const Step &step : steps) {
            const quint64 before = compact.revision();
            apply(step, &compact, &plain);
            QVERIFY(compact.revision() != before);
            QCOMPARE(compact.toStringList(), plain);
        }
        QCOMPARE(compact.isUtf8(), utf8);
        QCOMPARE(compact.isEmpty(), plain.isEmpty());

        QTemporaryDir dir;
        const QString path = dir.filePath(u"FeeReport.Lst"_s);
        QVERIFY(compact.write(path));
        QCOMPARE(readAll(path), fileOf(plain));
        TextLines reread;
        QVERIFY(TextLines::read(path, &reread));
        QCOMPARE(reread.toStringList(), plain);
    }

    void fromListEqualsFromFile()
    {
        const QStringList lines{Fee1, QString(), Cjk};
        const TextLines built(lines);
        QCOMPARE(built.toStringList(), lines);
        QVERIFY(built.isUtf8());
        QCOMPARE(built.bytes(), TextLines::fromFileBytes(fileOf(lines)).bytes());
        QCOMPARE(built.raw(2), QByteArrayView(Cjk.toUtf8()));
    }

    void copiesShareTheRevision()
    {
        TextLines a(QStringList{Fee1});
        const TextLines b = a;
        QCOMPARE(b.revision(), a.revision());
        a.append(Fee2);
        QVERIFY(a.revision() != b.revision());
        QCOMPARE(b.toStringList(), QStringList{Fee1});
        const TextLines c = TextLines::fromFileBytes(fileOf({Fee1}));
        QVERIFY(c.revision() != b.revision()); // every read is new
    }

    // Offsets are kept in 32 bits per line; files past 4 GiB must still find
    // their lines, without building such a file.
    void offsetsPastFourGiB_data()
    {
        constexpr qsizetype G4 = qsizetype(1) << 32;
        QTest::addColumn<QList<qsizetype>>("offsets");
        QTest::newRow("below 4 GiB") << QList<qsizetype>{0, 80, G4 - 1};
        QTest::newRow("exactly at 4 GiB") << QList<qsizetype>{0, G4 - 2, G4, G4 + 5};
        QTest::newRow("several blocks") << QList<qsizetype>{0, G4 + 1, 2 * G4 + 7, 2 * G4 + 7, 3 * G4};
        QTest::newRow("one line longer than 4 GiB") << QList<qsizetype>{10, 3 * G4 + 10, 3 * G4 + 90};
        QTest::newRow("equal low bits in two blocks") << QList<qsizetype>{100, G4 + 100, 2 * G4 + 100};
    }

    void offsetsPastFourGiB()
    {
        QFETCH(QList<qsizetype>, offsets);
        LineStarts starts;
        for (const qsizetype offset : std::as_const(offsets))
            starts.append(offset);
        QCOMPARE(starts.size(), offsets.size());
        for (qsizetype row = 0; row < offsets.size(); ++row)
            QCOMPARE(starts.at(row), offsets.at(row));
    }

    void readErrorIsReported()
    {
        QTemporaryDir dir;
        TextLines lines(QStringList{u"keep"_s});
        QString error;
        QVERIFY(!TextLines::read(dir.filePath(u"missing.Lst"_s), &lines, &error));
        QVERIFY(error.contains(u"missing.Lst"_s));
        QCOMPARE(lines.toStringList(), QStringList{u"keep"_s});
    }
};

QTEST_GUILESS_MAIN(TestTextLines)
#include "tst_textlines.moc"
