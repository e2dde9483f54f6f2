// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "EntryNames.h"
#include "FakeDialUpService.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestEntryNames : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ownName");
        QTest::addColumn<QString>("problem"); // the start of the message, empty for a usable name

        QTest::newRow("usable") << u"Netzwerk Süd"_s << QString() << QString();
        QTest::newRow("other script") << u"宽带连接"_s << QString() << QString();
        QTest::newRow("longest") << QString(MaxEntryNameLength, u'x') << QString() << QString();
        QTest::newRow("one too long") << QString(MaxEntryNameLength + 1, u'x') << QString()
                                      << u"Der Name ist zu lang: höchstens 256 Zeichen."_s;
        QTest::newRow("empty") << QString() << QString() << u"Bitte einen Namen"_s;
        QTest::newRow("blanks only") << u"   "_s << QString() << u"Bitte einen Namen"_s;
        QTest::newRow("leading blank") << u" Nord"_s << QString() << u"Der Name „ Nord“ darf nicht mit einem Leerzeichen"_s;
        QTest::newRow("trailing tab") << u"Nord\t"_s << QString() << u"Der Name „Nord\t“ darf nicht mit einem Leerzeichen"_s;
        QTest::newRow("tab inside") << u"Netz\tNord"_s << QString() << u"Der Name darf keine Steuerzeichen"_s;
        QTest::newRow("line break") << u"Netz\nNord"_s << QString() << u"Der Name darf keine Steuerzeichen"_s;
        QTest::newRow("semicolon") << u"Nord;Süd"_s << QString() << u"Der Name „Nord;Süd“ darf kein Semikolon"_s;
        QTest::newRow("section bracket") << u"Nord [alt]"_s << QString() << u"Der Name „Nord [alt]“ kann im Telefonbuch nicht stehen"_s;
        QTest::newRow("leading dot") << u".Nord"_s << QString() << u"Der Name „.Nord“ darf nicht mit einem Punkt"_s;
        QTest::newRow("existing") << u"Callnet Flat"_s << QString() << u"Eine DFÜ-Verbindung „Callnet Flat“ gibt es bereits."_s;
        QTest::newRow("existing, other case") << u"CALLNET FLAT"_s << u"Netzwerk Nord"_s
                                              << u"Eine DFÜ-Verbindung „CALLNET FLAT“ gibt es bereits."_s;
        QTest::newRow("own name in other case") << u"NETZWERK NORD"_s << u"Netzwerk Nord"_s << QString();
    }

    void names()
    {
        QFETCH(QString, name);
        QFETCH(QString, ownName);
        QFETCH(QString, problem);
        FakeDialUpService service;
        service.addEntry(u"Netzwerk Nord"_s);
        service.addEntry(u"Callnet Flat"_s);
        const QString message = EntryNameProblem(service, name, ownName);
        if (problem.isEmpty())
            QCOMPARE(message, QString());
        else
            QVERIFY2(message.startsWith(problem), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(TestEntryNames)
#include "tst_entrynames.moc"
