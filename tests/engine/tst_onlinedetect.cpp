// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeDialUpService.h"
#include "OnLineDetect.h"

#include <QEventLoop>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Makes the fake's active connections exactly the given entry names: names
// still listed keep their connection, the others go, new ones are dialed.
void setActive(FakeDialUpService &fake, const QStringList &names)
{
    QStringList remaining = names;
    for (qsizetype i = fake.connections.size() - 1; i >= 0; --i) {
        const QString name = fake.connections.at(i).connection.entryName;
        if (remaining.contains(name))
            remaining.removeOne(name);
        else
            fake.connections.removeAt(i);
    }
    for (const QString &name : std::as_const(remaining))
        fake.addConnection(name);
}

int enumerations(const FakeDialUpService &fake)
{
    return int(fake.calls.count(u"enumConnections"_s));
}

} // namespace

class TestOnLineDetect : public QObject {
    Q_OBJECT

private slots:
    void pollSequence_data();
    void pollSequence();
    void lastStatusIsThatOfTheLastConnection();
    void unreadableStatusDoesNotLookConnected();
    void noConnectionGivesDisconnectedStatus();

    void pollsFromCreationEveryInterval();
    void connectionUpAtStartIsCountedByTheFirstPoll();
    void noPollWhileOnChangeHandlerRuns();
    void intervalZeroOrDisabledStopsPolling();
    void handlerMayDeleteTheDetector();
};

void TestOnLineDetect::pollSequence_data()
{
    // Per poll: the entries connected at that moment ("A,B"), or "!" for a poll
    // whose enumeration fails, and whether that poll raises OnChange.
    QTest::addColumn<QStringList>("polls");
    QTest::addColumn<QList<bool>>("changes");

    QTest::newRow("nothing ever connected") << QStringList { u""_s, u""_s } << QList<bool> { false, false };
    QTest::newRow("one connection comes and stays")
        << QStringList { u""_s, u"A"_s, u"A"_s, u"A"_s } << QList<bool> { false, true, false, false };
    QTest::newRow("one connection comes and goes")
        << QStringList { u"A"_s, u"A"_s, u""_s, u""_s } << QList<bool> { true, false, true, false };
    QTest::newRow("replaced by another within one poll")
        << QStringList { u"A"_s, u"B"_s, u"B"_s } << QList<bool> { true, false, false };
    QTest::newRow("second connection joins, then leaves")
        << QStringList { u"A"_s, u"A,B"_s, u"B"_s, u""_s } << QList<bool> { true, true, true, true };
    QTest::newRow("two at once, both replaced") << QStringList { u"A,B"_s, u"C,D"_s } << QList<bool> { true, false };
    QTest::newRow("one leaves while two join") << QStringList { u"A"_s, u"B,C"_s } << QList<bool> { true, true };
    QTest::newRow("a failed poll is no end")
        << QStringList { u"A"_s, u"!"_s, u"!"_s, u"A"_s, u""_s } << QList<bool> { true, false, false, false, true };
    QTest::newRow("a failed poll is no start") << QStringList { u""_s, u"!"_s, u"A"_s } << QList<bool> { false, false, true };
}

void TestOnLineDetect::pollSequence()
{
    QFETCH(QStringList, polls);
    QFETCH(QList<bool>, changes);

    FakeDialUpService fake;
    TOnLineDetect detect(nullptr, &fake);
    detect.setEnabled(false); // the test does the polling
    QSignalSpy spy(&detect, &TOnLineDetect::OnChange);

    QStringList names;
    for (qsizetype i = 0; i < polls.size(); ++i) {
        const bool fails = polls.at(i) == u"!"_s;
        if (!fails) {
            names = polls.at(i).split(u',', Qt::SkipEmptyParts);
            setActive(fake, names);
        }
        fake.setFailure(FakeDialUpService::Call::EnumConnections, fails ? RasError::BufferTooSmall : 0);
        spy.clear();
        detect.Poll();
        QVERIFY2(spy.count() == (changes.at(i) ? 1 : 0), qPrintable(u"poll %1"_s.arg(i + 1)));
        QCOMPARE(detect.Names(), names);
        QCOMPARE(detect.Online(), !names.isEmpty());
    }
}

void TestOnLineDetect::lastStatusIsThatOfTheLastConnection()
{
    FakeDialUpService fake;
    fake.addConnection(u"Firma"_s, RasState::Connected);
    fake.addConnection(u"Fremd"_s, RasState::Authenticate);
    TOnLineDetect detect(nullptr, &fake);
    detect.setEnabled(false);

    detect.Poll();
    QCOMPARE(detect.Names(), (QStringList { u"Firma"_s, u"Fremd"_s }));
    QCOMPARE(detect.LastStatus().state, RasState::Authenticate);

    // The dialer gets through: the next poll sees it connected.
    fake.setState(fake.connections.last().connection.handle, RasState::Connected);
    detect.Poll();
    QCOMPARE(detect.LastStatus().state, RasState::Connected);
}

void TestOnLineDetect::unreadableStatusDoesNotLookConnected()
{
    FakeDialUpService fake;
    const RasHandle handle = fake.addConnection(u"Fremd"_s, RasState::Connected);
    fake.connection(handle)->statusError = RasError::InvalidHandle;
    TOnLineDetect detect(nullptr, &fake);
    detect.setEnabled(false);

    detect.Poll();
    QVERIFY(detect.Online());
    QCOMPARE(detect.LastStatus().state, RasState::Disconnected);
    QCOMPARE(detect.LastStatus().error, RasError::InvalidHandle);
}

void TestOnLineDetect::noConnectionGivesDisconnectedStatus()
{
    FakeDialUpService fake;
    const RasHandle handle = fake.addConnection(u"Fremd"_s, RasState::Connected);
    TOnLineDetect detect(nullptr, &fake);
    detect.setEnabled(false);
    detect.Poll();
    QCOMPARE(detect.LastStatus().state, RasState::Connected);

    fake.removeConnection(handle);
    detect.Poll();
    QVERIFY(!detect.Online());
    QVERIFY(detect.Names().isEmpty());
    // No stale "connected" from a connection that is gone.
    QCOMPARE(detect.LastStatus().state, RasState::Disconnected);
}

void TestOnLineDetect::pollsFromCreationEveryInterval()
{
    FakeDialUpService fake;
    TOnLineDetect detect(nullptr, &fake);
    QCOMPARE(detect.Interval(), TOnLineDetect::DefaultInterval);
    QCOMPARE(detect.property("Interval").toInt(), 250);
    QVERIFY(detect.Enabled());

    detect.setInterval(10);
    QTRY_VERIFY(enumerations(fake) >= 3);
}

void TestOnLineDetect::connectionUpAtStartIsCountedByTheFirstPoll()
{
    FakeDialUpService fake;
    fake.addConnection(u"Fremd"_s);
    TOnLineDetect detect(nullptr, &fake);
    detect.setInterval(10);
    QSignalSpy spy(&detect, &TOnLineDetect::OnChange);
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(detect.Online());
}

void TestOnLineDetect::noPollWhileOnChangeHandlerRuns()
{
    FakeDialUpService fake;
    TOnLineDetect detect(nullptr, &fake);
    detect.setInterval(5);
    int duringHandler = -1;
    connect(&detect, &TOnLineDetect::OnChange, this, [&] {
        // A handler that opens a modal dialog keeps the event loop running.
        const int before = enumerations(fake);
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
        duringHandler = enumerations(fake) - before;
    });

    fake.addConnection(u"Fremd"_s);
    QTRY_VERIFY(duringHandler >= 0);
    QCOMPARE(duringHandler, 0);
    // Polling resumes once the handler has returned.
    const int after = enumerations(fake);
    QTRY_VERIFY(enumerations(fake) > after);
}

void TestOnLineDetect::intervalZeroOrDisabledStopsPolling()
{
    FakeDialUpService fake;
    TOnLineDetect detect(nullptr, &fake);
    auto *timer = detect.findChild<QTimer *>(u"TimerPoll"_s);
    QVERIFY(timer);
    QVERIFY(timer->isActive());

    detect.setInterval(0);
    QVERIFY(!timer->isActive());
    detect.setInterval(500);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 500);

    detect.setEnabled(false);
    QVERIFY(!timer->isActive());
    detect.Poll(); // on demand, without restarting the timer
    QVERIFY(!timer->isActive());
    QCOMPARE(enumerations(fake), 1);

    detect.setEnabled(true);
    QVERIFY(timer->isActive());
    detect.Poll();
    QVERIFY(timer->isActive());
}

void TestOnLineDetect::handlerMayDeleteTheDetector()
{
    FakeDialUpService fake;
    fake.addConnection(u"Fremd"_s);
    QPointer<TOnLineDetect> detect = new TOnLineDetect(nullptr, &fake);
    detect->setEnabled(false);
    connect(detect, &TOnLineDetect::OnChange, this, [&] { delete detect.data(); });
    detect->Poll();
    QVERIFY(detect.isNull());
}

QTEST_GUILESS_MAIN(TestOnLineDetect)
#include "tst_onlinedetect.moc"
