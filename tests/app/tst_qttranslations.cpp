// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Program.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// Qt's own dialogs and buttons in German.
class TestQtTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(InstallQtTranslations(qApp), "qtbase_de.qm not found (package qt6-translations-l10n)");
    }

    void standardTextsAreGerman_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << u"Abbrechen"_s;
        QTest::newRow("Save") << int(QDialogButtonBox::Save) << u"Speichern"_s;
        QTest::newRow("Close") << int(QDialogButtonBox::Close) << u"Schließen"_s;
    }

    void standardTextsAreGerman()
    {
        QFETCH(int, button);
        const auto which = QDialogButtonBox::StandardButton(button);
        QDialogButtonBox box{which};
        QTEST(box.button(which)->text(), "text");
        QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"), u"Datei&name:"_s);
    }
};

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
