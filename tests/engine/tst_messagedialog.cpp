// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "MessageDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The real message box, answered with the keyboard.
class TestMessageDialog : public QObject
{
    Q_OBJECT

private slots:
    void enterTakesTheDefault_data()
    {
        QTest::addColumn<bool>("irreversible");
        QTest::addColumn<bool>("answer");
        QTest::newRow("question") << false << true;
        QTest::newRow("question whose Yes cannot be undone") << true << false;
    }

    void enterTakesTheDefault()
    {
        QFETCH(bool, irreversible);
        QString title;
        QStringList buttons;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            for (QAbstractButton *button : box->buttons())
                buttons << button->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        const QString text = u"Wirklich?"_s;
        const bool yes = irreversible ? MessageDialog::QuestionDefaultNo(text) : MessageDialog::Question(text);
        QTEST(yes, "answer");
        QCOMPARE(title, u"Rufwerk"_s);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{u"&Ja"_s, u"&Nein"_s}));
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
