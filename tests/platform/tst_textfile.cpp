// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void encoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("ascii") << u"abc;123"_s << QByteArray("abc;123");
        QTest::newRow("euro is 0x80") << u"0,0200 €"_s << QByteArray("0,0200 \x80");
        QTest::newRow("umlauts") << u"Wählen Gerät Größe"_s << QByteArray("W\xe4hlen Ger\xe4t Gr\xf6\xdf" "e");
        QTest::newRow("typographic quotes and dash") << u"„x“ – y"_s << QByteArray("\x84x\x93 \x96 y");
        QTest::newRow("not in the code page") << u"日"_s << QByteArray("?");
    }

    void encoding()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TextFile::encode(text), bytes);
        if (!bytes.contains('?'))
            QCOMPARE(TextFile::decode(bytes), text);
    }

    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all += char(b);
        QCOMPARE(TextFile::encode(TextFile::decode(all)), all);
    }

    void fileEncoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("fits: Windows-1252") << u"Grüße 0,0200 €\r\n"_s << QByteArray("Gr\xfc\xdf" "e 0,0200 \x80\r\n");
        QTest::newRow("CJK name: UTF-8 with BOM")
            << u"宽带连接;0,0200 €\r\n"_s << QByteArray("\xEF\xBB\xBF\xE5\xAE\xBD\xE5\xB8\xA6\xE8\xBF\x9E\xE6\x8E\xA5;0,0200 \xE2\x82\xAC\r\n");
        QTest::newRow("C1 control without a byte of its own") << u"a"_s + QChar(0x85) << QByteArray("\xEF\xBB\xBF" "a\xC2\x85");
        QTest::newRow("emoji") << u"\U0001F4DE"_s << QByteArray("\xEF\xBB\xBF\xF0\x9F\x93\x9E");
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void fileEncoding()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TextFile::encodeFile(text), bytes);
        QCOMPARE(TextFile::decodeFile(bytes), text);
        QCOMPARE(TextFile::fitsCodePage(text), !TextFile::hasUtf8Bom(bytes));
    }

    void cjkLinesRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Rufwerk-Log.TXT"_s);
        const QStringList lines{u"Verbindung zu 宽带连接 beendet"_s, u"Grüße €"_s, QString()};
        QVERIFY(TextFile::writeLines(path, lines));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(TextFile::Utf8Bom) + lines.join(u"\r\n"_s).toUtf8() + "\r\n");
        QStringList read;
        QVERIFY(TextFile::readLines(path, &read));
        QCOMPARE(read, lines);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("crlf") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lf") << u"a\nb\n"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("mixed") << u"a\r\nb\nc\r\n"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("truncated last line") << u"a\r\nb"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("last line cut after cr") << u"a\r\nb\r"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("blank lines kept") << u"a\r\n\r\nb\r\n"_s << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("only a line end") << u"\r\n"_s << QStringList{QString()};
    }

    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(TextFile::splitLines(text), lines);
    }

    void fileRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"FeeReport.Lst"_s);
        const QStringList lines{u"10.12.2026;14:03:07;Netzwerk Nord;0191011;1,500 Ct/min;00:00:30;0,0200 €"_s,
                                QString(), u"Ü;ä;ß"_s};
        QString error;
        QVERIFY2(TextFile::writeLines(path, lines, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray raw = file.readAll();
        QVERIFY(raw.endsWith("\xdc;\xe4;\xdf\r\n"));
        QVERIFY(raw.contains("0,0200 \x80\r\n\r\n"));
        QStringList read;
        QVERIFY(TextFile::readLines(path, &read, &error));
        QCOMPARE(read, lines);
    }

    void errorsAreReported()
    {
        QTemporaryDir dir;
        QStringList lines{u"keep"_s};
        QString error;
        QVERIFY(!TextFile::readLines(dir.filePath(u"missing.Lst"_s), &lines, &error));
        QVERIFY(error.contains(u"missing.Lst"_s));
        QCOMPARE(lines, QStringList{u"keep"_s});
        QVERIFY(!TextFile::writeLines(dir.filePath(u"no/such/folder/x.Lst"_s), lines, &error));
        QVERIFY(error.contains(u"kann nicht geschrieben werden"_s));
    }

    void failedSaveKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"StartProgs.Lst"_s);
        QVERIFY(TextFile::writeLines(path, {u"old"_s}));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool wrote = TextFile::writeLines(path, {u"new"_s});
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QStringList lines;
        QVERIFY(TextFile::readLines(path, &lines));
        // root may write anyway; then the new content is complete, never half of it
        QCOMPARE(lines, wrote ? QStringList{u"new"_s} : QStringList{u"old"_s});
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
