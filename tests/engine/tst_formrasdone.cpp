// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormRasDone.h"
#include "Sounds.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestFormRasDone : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void layoutAndTexts();
    void buttons_data();
    void buttons();
    void closingCountsAsCancel();
    void nobodyAnsweringAborts();
    void answerStopsTheTimer();
    void executeSetsCaptionAndText();
    void executePlaysQuestionSound();
};

void TestFormRasDone::cleanup()
{
    TFormRasDone::SetHook({});
    Sounds::SetPlayer({});
}

void TestFormRasDone::layoutAndTexts()
{
    TFormRasDone form;
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto *connection = form.findChild<QLabel *>(u"LabelConnection"_s);
    QVERIFY(connection);
    QCOMPARE(connection->text(), u"Verbindung:"_s);
    auto *tray = form.findChild<QLabel *>(u"LabelCheckTray"_s);
    QVERIFY(tray);
    QCOMPARE(tray->text(), u"Beenden in Windows-Symbolleiste überprüfen"_s);

    QLabel *rasConn = form.findChild<QLabel *>(u"LabelRASConn"_s);
    QCOMPARE(rasConn, form.LabelRASConn);
    QVERIFY(rasConn->font().bold());
    QCOMPARE(rasConn->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));

    QCOMPARE(form.findChild<QTimer *>(u"TimerDisCon"_s), form.TimerDisCon);
    QCOMPARE(form.TimerDisCon->interval(), 10000);
    QVERIFY(form.TimerDisCon->isSingleShot());
    QVERIFY(!form.TimerDisCon->isActive()); // runs only while shown

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2((form.frameGeometry().center() - screen.center()).manhattanLength() <= 4, "centred on the desktop");
}

void TestFormRasDone::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("result");

    QTest::newRow("end connection: yes") << u"BtnDisconnect"_s << u"Verbindung be&enden"_s
                                         << u"Aktive Verbindung beenden"_s << 6;
    QTest::newRow("keep connection: no") << u"BtnKeep"_s << u"Verbindung be&lassen"_s
                                         << u"Aktive Verbindung nicht beenden"_s << 7;
    QTest::newRow("cancel") << u"BtnCancel"_s << u"&Abbrechen"_s << u"Aktive Verbindung beenden"_s << 2;
}

void TestFormRasDone::buttons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(int, result);

    TFormRasDone form;
    auto *button = form.findChild<QPushButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(button->statusTip(), hint);

    form.open();
    QVERIFY(form.TimerDisCon->isActive());
    button->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), result);
}

void TestFormRasDone::closingCountsAsCancel()
{
    TFormRasDone form;
    form.open();
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(mrCancel));

    form.open();
    form.close();
    QCOMPARE(form.result(), int(mrCancel));
}

void TestFormRasDone::nobodyAnsweringAborts()
{
    TFormRasDone form;
    form.TimerDisCon->setInterval(20);
    form.open();
    QTRY_VERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(mrAbort));
    QCOMPARE(form.result(), 3);
}

void TestFormRasDone::answerStopsTheTimer()
{
    TFormRasDone form;
    form.open();
    QVERIFY(form.SecondsLeft() > 0 && form.SecondsLeft() <= 10);
    form.findChild<QPushButton *>(u"BtnKeep"_s)->click();
    // A late timeout must not turn "keep" into "abort".
    QVERIFY(!form.TimerDisCon->isActive());
    QCOMPARE(form.SecondsLeft(), 0);
    QCOMPARE(form.result(), int(mrNo));
}

void TestFormRasDone::executeSetsCaptionAndText()
{
    QString caption;
    QString text;
    bool modal = false;
    TFormRasDone::SetHook([&](TFormRasDone &form) {
        caption = form.windowTitle();
        text = form.LabelRASConn->text();
        modal = form.isModal();
        return int(mrAbort);
    });
    QCOMPARE(TFormRasDone::Execute(), int(mrAbort));
    QCOMPARE(caption, u"Keine DFÜ-Aktivität!"_s);
    QCOMPARE(text, u"Nach 10 Sekunden beenden"_s);
    QVERIFY(modal);
}

void TestFormRasDone::executePlaysQuestionSound()
{
    QList<Sounds::Kind> played;
    Sounds::SetPlayer([&](Sounds::Kind kind) { played << kind; });
    // The real modal run, answered from inside the event loop.
    QTimer::singleShot(0, this, [] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *form = qobject_cast<TFormRasDone *>(w); form && form->isVisible())
                form->findChild<QPushButton *>(u"BtnDisconnect"_s)->click();
        }
    });
    QCOMPARE(TFormRasDone::Execute(), int(mrYes));
    QCOMPARE(played, QList<Sounds::Kind> { Sounds::Kind::Question });
}

QTEST_MAIN(TestFormRasDone)
#include "tst_formrasdone.moc"
