// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeSystemRestart.h"
#include "SystemRestart.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestSystemRestart : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void confirmingRestart_data();
    void confirmingRestart();
    void questionShowsReasonThenConfirmation();
    void unsupportedFailsWithoutAsking();
    void instanceCanBeReplaced();
};

void TestSystemRestart::cleanup()
{
    SystemRestart::setInstance(nullptr);
}

void TestSystemRestart::confirmingRestart_data()
{
    QTest::addColumn<bool>("withConfirm");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("rebootError");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("reboots");

    QTest::newRow("no way to ask: refused, no reboot") << false << true << QString() << int(RestartResult::Failed) << 0;
    QTest::newRow("user says no: declined, no reboot")
        << true << false << QString() << int(RestartResult::Declined) << 0;
    QTest::newRow("user says yes, system accepts") << true << true << QString() << int(RestartResult::Requested) << 1;
    QTest::newRow("user says yes, system refuses")
        << true << true << u"Das System hat den Neustart abgelehnt."_s << int(RestartResult::Failed) << 1;
}

void TestSystemRestart::confirmingRestart()
{
    QFETCH(bool, withConfirm);
    QFETCH(bool, answer);
    QFETCH(QString, rebootError);
    QFETCH(int, outcome);
    QFETCH(int, reboots);

    int rebootCalls = 0;
    ConfirmingSystemRestart restart(u"test"_s, [&] {
        ++rebootCalls;
        return rebootError;
    });
    SystemRestart::Confirm confirm;
    if (withConfirm)
        confirm = [answer](const QString &) { return answer; };

    const RestartResult result = restart.requestRestart(u"Sicherheits-Abbruch\r\n\r\n "_s, nullptr, confirm);

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(rebootCalls, reboots);
    QCOMPARE(result.requested(), outcome == RestartResult::Requested);
    // A failure always carries a text for the user; success and "no" carry none.
    QCOMPARE(result.error.isEmpty(), outcome != RestartResult::Failed);
    if (!rebootError.isEmpty())
        QCOMPARE(result.error, rebootError);
}

void TestSystemRestart::questionShowsReasonThenConfirmation()
{
    QStringList asked;
    ConfirmingSystemRestart restart(u"test"_s, [] { return QString(); });
    restart.requestRestart(u"Sicherheits-Abbruch\r\n\r\n "_s, nullptr, [&](const QString &question) {
        asked << question;
        return false;
    });
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first(), u"Sicherheits-Abbruch\r\n\r\n "_s + ConfirmingSystemRestart::ConfirmationText());
    QVERIFY(ConfirmingSystemRestart::ConfirmationText().contains(u"neu gestartet"_s));
}

void TestSystemRestart::unsupportedFailsWithoutAsking()
{
    const auto restart = createUnsupportedSystemRestart();
    bool asked = false;
    const RestartResult result = restart->requestRestart(u"Grund"_s, nullptr, [&](const QString &) {
        asked = true;
        return true;
    });
    QCOMPARE(result.outcome, RestartResult::Failed);
    QVERIFY(!asked);
    QVERIFY(result.error.contains(u"nicht neu gestartet"_s));
}

void TestSystemRestart::instanceCanBeReplaced()
{
    auto fake = std::make_unique<FakeSystemRestart>();
    FakeSystemRestart *recorder = fake.get();
    recorder->result = { RestartResult::Failed, u"Fehler"_s };
    SystemRestart::setInstance(std::move(fake));

    QCOMPARE(SystemRestart::instance().backendName(), u"Fake"_s);
    const RestartResult result = SystemRestart::instance().requestRestart(u"Grund"_s, nullptr, {});
    QCOMPARE(result.outcome, RestartResult::Failed);
    QCOMPARE(result.error, u"Fehler"_s);
    QCOMPARE(recorder->requests.size(), 1);
    QCOMPARE(recorder->requests.first().reason, u"Grund"_s);
    QVERIFY(!recorder->requests.first().confirmGiven);
}

QTEST_GUILESS_MAIN(TestSystemRestart)
#include "tst_systemrestart.moc"
