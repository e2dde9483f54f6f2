// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeSystemRestart.h"
#include "FormEmerg.h"
#include "MessageDialog.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestFormEmerg : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void captionTextAndCheckBox();
    void buttons_data();
    void buttons();
    void closingIsTheHarmlessAnswer();
    void checkBoxClicksReachTheCallback();
    void checkBoxStartsFromTheSetting();

    void restartAsksTheSystemWithTheReason();
    void restartFailureIsShown();
    void restartDeclinedShowsNothing();
    void restartConfirmationGoesThroughTheMessageDialog();
};

void TestFormEmerg::cleanup()
{
    TFormEmerg::SetHook({});
    MessageDialog::SetHook({});
    SystemRestart::setInstance(nullptr);
}

void TestFormEmerg::captionTextAndCheckBox()
{
    TFormEmerg form;
    QCOMPARE(form.windowTitle(), u"DFÜ-Abbruch - Nepp-Sicherung"_s);
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(form.property("HelpContext").toInt(), 818);

    QCOMPARE(TFormEmerg::MessageText(),
        u"\r\nEine DFÜ-Verbindung wurde extern geschlossen.\r\n\r\nWenn Sie den Verdacht haben, dass eine "
        u"fremde DFÜ-Verbindung installiert werden könnte, drücken Sie \"Kritischer Abbruch\", um den "
        u"Computer neu zu starten."_s);
    auto *label = form.findChild<QLabel *>(u"LabelMessage"_s);
    QVERIFY(label);
    QCOMPARE(label->text(), MessageDialog::DisplayText(TFormEmerg::MessageText()));
    QVERIFY(label->text().contains(u"\"Kritischer Abbruch\""_s));

    auto *box = form.findChild<QCheckBox *>(u"CBNoWarning"_s);
    QVERIFY(box);
    QCOMPARE(box->text(), u"Warnmeldung nicht mehr anzeigen"_s);
    QCOMPARE(box->toolTip(), u"Warnmeldun unterdrücken"_s);

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2((form.frameGeometry().center() - screen.center()).manhattanLength() <= 4, "centred on the desktop");
}

void TestFormEmerg::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("result");

    QTest::newRow("uncritical: cancel") << u"BtnUncritical"_s << u"&Unkritischer Abbruch"_s
                                        << u"Unkritischer bekannter Abbruch"_s << 2;
    QTest::newRow("critical: yes") << u"BtnCritical"_s << u"&Kritischer Abbruch"_s
                                   << u"Kritischer Abbruch, System-Neustart"_s << 6;
}

void TestFormEmerg::buttons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(int, result);

    TFormEmerg form;
    auto *button = form.findChild<QPushButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    form.open();
    button->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), result);
}

void TestFormEmerg::closingIsTheHarmlessAnswer()
{
    TFormEmerg form;
    form.open();
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(form.result(), int(mrCancel));

    // Enter takes the default button, which must not be the restart.
    form.open();
    QTest::keyClick(&form, Qt::Key_Return);
    QCOMPARE(form.result(), int(mrCancel));
}

void TestFormEmerg::checkBoxClicksReachTheCallback()
{
    QList<bool> clicks;
    TFormEmerg::SetHook([](TFormEmerg &form) {
        auto *box = form.findChild<QCheckBox *>(u"CBNoWarning"_s);
        box->click();
        box->click();
        box->click();
        // Setting the box from code is no click.
        form.SetNoWarning(false);
        return int(mrYes);
    });
    const int result = TFormEmerg::Execute(false, [&](bool checked) { clicks << checked; });
    // Reported at once, whatever the dialog's ending.
    QCOMPARE(result, int(mrYes));
    QCOMPARE(clicks, (QList<bool> { true, false, true }));
}

void TestFormEmerg::checkBoxStartsFromTheSetting()
{
    bool shownChecked = false;
    TFormEmerg::SetHook([&](TFormEmerg &form) {
        shownChecked = form.NoWarning();
        return int(mrCancel);
    });
    TFormEmerg::Execute(true, {});
    QVERIFY(shownChecked);
    TFormEmerg::Execute(false, {});
    QVERIFY(!shownChecked);
}

void TestFormEmerg::restartAsksTheSystemWithTheReason()
{
    auto fake = std::make_unique<FakeSystemRestart>();
    FakeSystemRestart *restart = fake.get();
    SystemRestart::setInstance(std::move(fake));
    QStringList shown;
    MessageDialog::SetHook([&](MessageDialog::Kind, const QString &text) {
        shown << text;
        return true;
    });

    QWidget owner;
    const RestartResult result = TFormEmerg::RestartComputer(&owner);
    QVERIFY(result.requested());
    QCOMPARE(restart->requests.size(), 1);
    QCOMPARE(restart->requests.first().reason, u"Sicherheits-Abbruch\r\n\r\n "_s);
    QCOMPARE(restart->requests.first().owner, &owner);
    QVERIFY(restart->requests.first().confirmGiven);
    QVERIFY(shown.isEmpty());
}

void TestFormEmerg::restartFailureIsShown()
{
    auto fake = std::make_unique<FakeSystemRestart>();
    fake->result = { RestartResult::Failed, u"Der Computer konnte nicht neu gestartet werden."_s };
    SystemRestart::setInstance(std::move(fake));
    QList<QPair<MessageDialog::Kind, QString>> shown;
    MessageDialog::SetHook([&](MessageDialog::Kind kind, const QString &text) {
        shown.append({ kind, text });
        return true;
    });

    const RestartResult result = TFormEmerg::RestartComputer();
    QCOMPARE(result.outcome, RestartResult::Failed);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().first, MessageDialog::Kind::Error);
    QCOMPARE(shown.first().second, u"Der Computer konnte nicht neu gestartet werden."_s);
}

void TestFormEmerg::restartDeclinedShowsNothing()
{
    auto fake = std::make_unique<FakeSystemRestart>();
    fake->result = { RestartResult::Declined, QString() };
    SystemRestart::setInstance(std::move(fake));
    int shown = 0;
    MessageDialog::SetHook([&](MessageDialog::Kind, const QString &) {
        ++shown;
        return true;
    });
    QCOMPARE(TFormEmerg::RestartComputer().outcome, RestartResult::Declined);
    QCOMPARE(shown, 0);
}

void TestFormEmerg::restartConfirmationGoesThroughTheMessageDialog()
{
    // Where the system has no prompt of its own, our question decides; "no" reboots nothing.
    int reboots = 0;
    SystemRestart::setInstance(std::make_unique<ConfirmingSystemRestart>(u"test"_s, [&] {
        ++reboots;
        return QString();
    }));
    QList<QPair<MessageDialog::Kind, QString>> asked;
    bool answer = false;
    MessageDialog::SetHook([&](MessageDialog::Kind kind, const QString &text) {
        asked.append({ kind, text });
        return answer;
    });

    QCOMPARE(TFormEmerg::RestartComputer().outcome, RestartResult::Declined);
    QCOMPARE(reboots, 0);
    QCOMPARE(asked.size(), 1);
    // No restart by a stray Enter.
    QCOMPARE(asked.first().first, MessageDialog::Kind::QuestionDefaultNo);
    QVERIFY(asked.first().second.startsWith(u"Sicherheits-Abbruch"_s));

    answer = true;
    QVERIFY(TFormEmerg::RestartComputer().requested());
    QCOMPARE(reboots, 1);
}

QTEST_MAIN(TestFormEmerg)
#include "tst_formemerg.moc"
