// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SimEntryDialog.h"
#include "SimPhoneBook.h"
#include "SimulatedLine.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The simulated line's own entry dialog behind the service's create and edit calls.
class TestSimEntryDialog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_line = std::make_unique<SimulatedLine>(m_dir->path());
        QVERIFY(writeAll(m_line->phoneBookPath(), "[Netzwerk Nord]\r\nPhoneNumber=0301234\r\nDEVICE=modem\r\n"
                                                  "Device=Simuliertes Modem 56k\r\nPort=COM2\r\nUser=nord\r\n"
                                                  "SimBusy=1\r\n"));
    }

    void cleanup()
    {
        SimEntryDialog::ExecHook = nullptr;
    }

    void createStoresEntryAndDialParams()
    {
        SimEntryDialog::ExecHook = [](SimEntryDialog &dialog) {
            QVERIFY(!field(dialog, "EditName")->isReadOnly());
            field(dialog, "EditName")->setText(u" Sparruf Süd "_s);
            auto *devices = dialog.findChild<QComboBox *>(u"CBDevice"_s);
            QCOMPARE(devices->count(), 3);
            devices->setCurrentIndex(devices->findText(u"Simulierter ISDN-Adapter (isdn)"_s));
            field(dialog, "EditPhone")->setText(u"0190 5"_s);
            field(dialog, "EditUser")->setText(u"süd"_s);
            field(dialog, "EditPassword")->setText(u"Geheim"_s);
            button(dialog, "BtnOK")->click();
        };
        QString created;
        QCOMPARE(m_line->createEntryDialog(nullptr, &created), RasError::Success);
        QCOMPARE(created, u"Sparruf Süd"_s);
        RasEntry entry;
        QCOMPARE(m_line->getEntryProperties(created, &entry), RasError::Success);
        QCOMPARE(entry.localPhoneNumber, u"0190 5"_s);
        QCOMPARE(entry.deviceType, u"isdn"_s);
        QCOMPARE(entry.deviceName, u"Simulierter ISDN-Adapter"_s);
        RasDialParams params;
        bool stored = false;
        QCOMPARE(m_line->getEntryDialParams(created, &params, &stored), RasError::Success);
        QCOMPARE(params.userName, u"süd"_s);
        QCOMPARE(params.password, u"Geheim"_s);
        QVERIFY(stored);
    }

    void createRefusesAnExistingNameAndCancels()
    {
        const QByteArray before = readAll(m_line->phoneBookPath());
        QString problem;
        SimEntryDialog::ExecHook = [&](SimEntryDialog &dialog) {
            field(dialog, "EditName")->setText(u"netzwerk nord"_s);
            button(dialog, "BtnOK")->click();
            auto *label = dialog.findChild<QLabel *>(u"LblProblem"_s);
            problem = label->isHidden() ? QString() : label->text();
            button(dialog, "BtnCancel")->click();
        };
        QString created = u"vorher"_s;
        QCOMPARE(m_line->createEntryDialog(nullptr, &created), RasError::Cancelled);
        QCOMPARE(problem, u"Eine Verbindung „netzwerk nord“ gibt es bereits."_s);
        QVERIFY(created.isEmpty());
        QCOMPARE(readAll(m_line->phoneBookPath()), before);
    }

    void editKeepsWhatTheDialogDoesNotShow()
    {
        SimEntryDialog::ExecHook = [this](SimEntryDialog &dialog) {
            QVERIFY(field(dialog, "EditName")->isReadOnly());
            QCOMPARE(field(dialog, "EditName")->text(), u"Netzwerk Nord"_s);
            QCOMPARE(field(dialog, "EditPhone")->text(), u"0301234"_s);
            QCOMPARE(field(dialog, "EditUser")->text(), u"nord"_s);
            QCOMPARE(dialog.findChild<QComboBox *>(u"CBDevice"_s)->currentIndex(), 0);
            field(dialog, "EditPhone")->setText(u"0309999"_s);
            field(dialog, "EditPassword")->setText(u"neu"_s);
            // Meanwhile another program changes the entry.
            SimulatedLine other(m_dir->path());
            QString error;
            QVERIFY(other.phoneBook().modify([&](SimPhoneBookText &text) {
                return simApplyUserValue(&text.sections[0], u"SimConnectDelay"_s, u"7"_s, &error)
                    ? RasError::Success
                    : RasError::InvalidParameter;
            }) == RasError::Success);
            button(dialog, "BtnOK")->click();
        };
        QCOMPARE(m_line->editEntryDialog(nullptr, u"NETZWERK NORD"_s), RasError::Success);
        const QByteArray book = readAll(m_line->phoneBookPath());
        QVERIFY2(book.contains("PhoneNumber=0309999\r\n"), book.constData());
        QVERIFY(book.contains("Port=COM2\r\n"));
        QVERIFY(book.contains("SimBusy=1\r\n"));
        QVERIFY(book.contains("SimConnectDelay=7\r\n"));
        RasDialParams params;
        bool stored = false;
        QCOMPARE(m_line->getEntryDialParams(u"Netzwerk Nord"_s, &params, &stored), RasError::Success);
        QCOMPARE(params.password, u"neu"_s);
        QCOMPARE(params.userName, u"nord"_s);
    }

    void editOfAMissingEntryShowsNothing()
    {
        bool shown = false;
        SimEntryDialog::ExecHook = [&shown](SimEntryDialog &) { shown = true; };
        QCOMPARE(m_line->editEntryDialog(nullptr, u"Gibt es nicht"_s), RasError::CannotFindPhonebookEntry);
        QVERIFY(!shown);
    }

private:
    static QLineEdit *field(SimEntryDialog &dialog, const char *name)
    {
        return dialog.findChild<QLineEdit *>(QLatin1String(name));
    }
    static QPushButton *button(SimEntryDialog &dialog, const char *name)
    {
        return dialog.findChild<QPushButton *>(QLatin1String(name));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedLine> m_line;
};

QTEST_MAIN(TestSimEntryDialog)
#include "tst_simentrydialog.moc"
