// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FeeFixtures.h"
#include "FeeMonths.h"
#include "FormFeeMonths.h"
#include "MessageDialog.h"
#include "TestFiles.h"
#include "TextLines.h"

#include <QAbstractItemModel>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

const QString Formula = u"=HYPERLINK(\"x\")"_s;

// Totals worked out by hand below.
const QStringList Log = {
    record(u"01.11.2026"_s, u"00:30:00"_s, u"0,6000 €"_s, u"Netzwerk Nord"_s),
    record(u"15.11.2026"_s, u"01:00:00"_s, u"0,6000 €"_s, u"宽带连接"_s),
    record(u"30.11.2026"_s, u"00:10:30"_s, u"0,2200 €"_s, u"Netzwerk Nord"_s),
    record(u"01.12.2026"_s, u"02:00:00"_s, u"2,4000 €"_s, u"Netzwerk Nord"_s),
    record(u"03.10.2026"_s, u"kaputt"_s, u"1.234,5000 €"_s, Formula),
    record(u"02.01.2025"_s, u"00:00:10"_s, u"0,0200 €"_s, u"Netzwerk Nord"_s),
    record(u"gestern"_s, u"00:01:00"_s, u"0,0200 €"_s, u"Netzwerk Nord"_s),
};

QByteArray utf8WithBom(const QString &text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString describe(const FeeMonths::Row &r)
{
    return u"%1 %2: %3 calls, %4 s, %5"_s.arg(FeeMonths::MonthKey(r.year, r.month), r.connection)
        .arg(r.calls)
        .arg(r.seconds)
        .arg(r.costUnits);
}

} // namespace

class TestFeeMonths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void init()
    {
        m_messages.clear();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return false;
        });
    }

    void cleanup()
    {
        TFormFeeMonths::SaveFileNameHook = nullptr;
    }

    void totalsPerMonthAndConnection()
    {
        QStringList rows;
        for (const FeeMonths::Row &row : FeeMonths::Compute(TextLines(Log)))
            rows << describe(row);
        QCOMPARE(rows, (QStringList{
                           u"2025-01 Netzwerk Nord: 1 calls, 10 s, 200"_s,
                           u"2026-10 =HYPERLINK(\"x\"): 1 calls, 0 s, 12345000"_s,
                           u"2026-11 Netzwerk Nord: 2 calls, 2430 s, 8200"_s,
                           u"2026-11 宽带连接: 1 calls, 3600 s, 6000"_s,
                           u"2026-12 Netzwerk Nord: 1 calls, 7200 s, 24000"_s,
                           u"ohne Datum Netzwerk Nord: 1 calls, 60 s, 200"_s,
                       }));
    }

    void emptyLog()
    {
        QVERIFY(FeeMonths::Compute(TextLines()).isEmpty());
        const TextLines empty;
        TFormFeeMonths form(empty);
        QCOMPARE(combo(form, "CBYear")->count(), 1);
        QCOMPARE(tree(form)->model()->rowCount(), 0);
    }

    void csvField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isText");
        QTest::addColumn<QString>("field");

        QTest::newRow("plain") << u"Netzwerk Nord"_s << true << u"Netzwerk Nord"_s;
        QTest::newRow("separator") << u"a;b"_s << true << u"\"a;b\""_s;
        QTest::newRow("quote") << u"a\"b"_s << true << u"\"a\"\"b\""_s;
        QTest::newRow("line break") << u"a\nb"_s << true << u"\"a\nb\""_s;
        QTest::newRow("formula stays text") << u"=1+2"_s << true << u"'=1+2"_s;
        QTest::newRow("at sign") << u"@SUM(A1)"_s << true << u"'@SUM(A1)"_s;
        QTest::newRow("numbers may be negative") << u"-1,5"_s << false << u"-1,5"_s;
    }

    void csvField()
    {
        QFETCH(QString, text);
        QFETCH(bool, isText);
        QTEST(FeeCsv::Field(text, isText), "field");
    }

    void exportsForSpreadsheets()
    {
        const TextLines log(QStringList{Log.at(1), Log.at(4), u"kurz;1"_s});
        QTemporaryDir dir;
        QVERIFY(FeeCsv::WriteLog(log, dir.filePath(u"log.csv"_s), nullptr));
        QCOMPARE(readAll(dir.filePath(u"log.csv"_s)),
                 utf8WithBom(u"Datum;Zeit;DFÜ-Verbindung;Rufnummer;Gebühr (Ct/min);Dauer;Sekunden;Kosten (€)\r\n"
                 "15.11.2026;10:00:00;宽带连接;0301234;2;01:00:00;3600;0,6000\r\n"
                 "03.10.2026;10:00:00;\"'=HYPERLINK(\"\"x\"\")\";0301234;2;kaputt;;1234,5000\r\n"
                 "kurz;1;;;;;;0,0000\r\n"_s));

        QVERIFY(FeeCsv::WriteMonths(FeeMonths::Compute(log), dir.filePath(u"months.csv"_s), nullptr));
        QCOMPARE(readAll(dir.filePath(u"months.csv"_s)),
                 utf8WithBom(u"Monat;DFÜ-Verbindung;Verbindungen;Online-Zeit;Sekunden;Kosten (€)\r\n"
                 "2026-10;\"'=HYPERLINK(\"\"x\"\")\";1;00:00:00;0;1234,5000\r\n"
                 "2026-11;宽带连接;1;01:00:00;3600;0,6000\r\n"
                 "ohne Datum;;1;00:00:00;0;0,0000\r\n"_s));

        QString error;
        QVERIFY(!FeeCsv::WriteLog(log, dir.filePath(u"no/folder/log.csv"_s), &error));
        QVERIFY2(error.contains(u"kann nicht geschrieben werden"_s), qPrintable(error));
    }

    void window()
    {
        const TextLines log(Log);
        TFormFeeMonths form(log);
        QComboBox *years = combo(form, "CBYear");
        QCOMPARE(years->count(), 3);
        QCOMPARE(years->currentText(), u"2026"_s); // the latest year first
        QCOMPARE(years->itemText(2), u"2025"_s);

        // Months of 2026, each with its connections, and the year's sum.
        QAbstractItemModel *table = tree(form)->model();
        QCOMPARE(topTexts(table, 0), (QStringList{u"Oktober 2026"_s, u"November 2026"_s, u"Dezember 2026"_s, u"Summe"_s}));
        const QModelIndex november = table->index(1, 0);
        QCOMPARE(table->rowCount(november), 2);
        QCOMPARE(table->index(1, 1, november).data().toString(), u"宽带连接"_s);
        QCOMPARE(table->index(1, 2).data().toString(), u"3"_s);
        QCOMPARE(table->index(1, 3).data().toString(), u"01:40:30"_s);
        QCOMPARE(table->index(1, 4).data().toString(), money(u"1,42"));
        QCOMPARE(table->index(3, 4).data().toString(), money(u"1.238,32"));

        // Stacked bars: one set per connection, one bar per month.
        auto series = chartSeries(form);
        QVERIFY(series);
        QCOMPARE(series->barSets().size(), 3);
        for (QBarSet *set : series->barSets())
            QCOMPARE(set->count(), 12);
        QStringList labels;
        for (QBarSet *set : series->barSets())
            labels << set->label();
        QCOMPARE(labels, (QStringList{Formula, u"Netzwerk Nord"_s, u"宽带连接"_s})); // by cost
        QBarSet *nord = series->barSets().at(1);
        QCOMPARE(nord->at(10), 0.82);

        years->setCurrentIndex(0);
        QCOMPARE(topTexts(table, 0), (QStringList{u"Januar 2025"_s, u"Oktober 2026"_s, u"November 2026"_s,
                                                  u"Dezember 2026"_s, u"ohne Datum"_s, u"Summe"_s}));
        QCOMPARE(chartSeries(form)->barSets().first()->count(), 2); // one bar per year

        QString suggested;
        QTemporaryDir dir;
        TFormFeeMonths::SaveFileNameHook = [&](const QString &name) {
            suggested = name;
            return dir.filePath(name);
        };
        years->setCurrentIndex(2);
        button(form, "BtnExportMonths")->click();
        QCOMPARE(suggested, u"Monatsübersicht 2025.csv"_s);
        QVERIFY(readAll(dir.filePath(suggested)).endsWith("2025-01;Netzwerk Nord;1;00:00:10;10;0,0200\r\n"));
        button(form, "BtnExportLog")->click();
        QCOMPARE(suggested, u"Gebühren-Protokoll.csv"_s);
        QCOMPARE(readAll(dir.filePath(suggested)).count("\r\n"), Log.size() + 1);
        QVERIFY(m_messages.isEmpty());

        TFormFeeMonths::SaveFileNameHook = [](const QString &) { return QString(); }; // cancelled
        button(form, "BtnExportLog")->click();
        TFormFeeMonths::SaveFileNameHook = [&dir](const QString &) { return dir.filePath(u"no/folder/x.csv"_s); };
        button(form, "BtnExportLog")->click();
        QCOMPARE(m_messages.size(), 1);
    }

private:
    static QComboBox *combo(const TFormFeeMonths &form, const char *name)
    {
        return form.findChild<QComboBox *>(QLatin1String(name));
    }
    static QTreeView *tree(const TFormFeeMonths &form) { return form.findChild<QTreeView *>(u"TreeMonths"_s); }
    static QPushButton *button(const TFormFeeMonths &form, const char *name)
    {
        return form.findChild<QPushButton *>(QLatin1String(name));
    }
    static QStackedBarSeries *chartSeries(const TFormFeeMonths &form)
    {
        const QChart *chart = form.findChild<QChartView *>(u"ChartMonths"_s)->chart();
        return chart->series().isEmpty() ? nullptr : qobject_cast<QStackedBarSeries *>(chart->series().first());
    }
    static QStringList topTexts(const QAbstractItemModel *model, int column)
    {
        QStringList texts;
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->index(r, column).data().toString();
        return texts;
    }

    QStringList m_messages;
};

QTEST_MAIN(TestFeeMonths)
#include "tst_feemonths.moc"
