// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeDialUpService.h"
#include "RasEntryCompare.h"
#include "FormPassword.h"
#include "FrmConnProp.h"
#include "HelpLink.h"
#include "MessageDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(RasEntry)

namespace {

// An entry with a value in every field the dialog shows.
RasEntry storedEntry()
{
    RasEntry e;
    e.options = RasEntryOption::UseCountryAndAreaCodes | RasEntryOption::SpecificNameServers
        | RasEntryOption::IpHeaderCompression | 0x800 /* MS encryption */ | 0x1000 | 0x40000 /* no box */;
    e.countryId = 43;
    e.countryCode = 44;
    e.areaCode = u"030"_s;
    e.localPhoneNumber = u"0190 123 456"_s;
    e.ipAddr = 0;
    e.ipAddrDns = 0x0100A8C0; // 192.168.0.1
    e.ipAddrDnsAlt = 0x04030201;
    e.ipAddrWins = 0xFFFFFFFF;
    e.ipAddrWinsAlt = 0x0A000001;
    e.frameSize = 1006;
    e.netProtocols = 4 | 8; // TCP/IP and a protocol without a box
    e.framingProtocol = 2;
    e.script = u"C:\\Skripte\\anmelden.scp"_s;
    e.deviceType = u"isdn"_s;
    e.deviceName = u"ISDN-Adapter"_s + QChar(0) + u"ISDN1"_s;
    e.passThrough = {{u"Custom"_s, u"x"_s}};
    return e;
}

// Types text as a user would, also letters beyond ASCII.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

} // namespace

class TestFrmConnProp : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_service = std::make_unique<FakeDialUpService>();
        m_service->addEntry(u"Netzwerk Nord"_s, u"0301234"_s);
        m_messages.clear();
        MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
            m_messages << text;
            return true;
        });
        m_dialog = std::make_unique<TfrmConnProp>(*m_service);
    }

    void cleanup()
    {
        m_dialog.reset();
        MessageDialog::SetHook(nullptr);
        TFormPassword::SetHook(nullptr);
        TfrmConnProp::ExecHook = nullptr;
        HelpLink::SetViewer(nullptr);
    }

    void deviceListFromTheService()
    {
        auto *devices = control<QComboBox>("cboDevice");
        QCOMPARE(devices->count(), 2);
        QCOMPARE(devices->itemText(0), u"Standardmodem=modem"_s);
        QCOMPARE(devices->itemText(1), u"ISDN-Adapter=isdn"_s);
        QVERIFY(m_messages.isEmpty());

        m_service->setFailure(FakeDialUpService::Call::EnumDevices, RasError::BufferTooSmall);
        TfrmConnProp withoutDevices(*m_service);
        QCOMPARE(m_messages, QStringList{u"Zugriff fehlgeschlagen."_s});
        QCOMPARE(withoutDevices.findChild<QComboBox *>(u"cboDevice"_s)->count(), 0);
    }

    // Edits are "object=value": text for a field, 1/0 for a box or a choice,
    // the item number for the device list.
    void dialogToEntry_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<RasEntry>("expected");

        const RasEntry stored = storedEntry();
        QTest::newRow("nothing changed: the record as it was") << QStringList() << stored;

        RasEntry options = stored;
        options.options = (stored.options | RasEntryOption::SwCompression | 0x100) & ~RasEntryOption::IpHeaderCompression;
        QTest::newRow("option bits set and cleared, others kept")
            << QStringList{u"chkSwCompression=1"_s, u"chkModemLights=1"_s, u"chkIpHeaderCompression=0"_s,
                           u"chkSecureLocalFiles=1"_s}
            << options;

        RasEntry addresses = stored;
        addresses.ipAddr = 0x0100A8C0;
        addresses.ipAddrWins = 0x0A0A0A0A;
        QTest::newRow("addresses byte by byte, without the boxes")
            << QStringList{u"chkSpecificIpAddr=0"_s, u"txtIpAddr=192.168.0.1"_s, u"txtPrimaryWINS= 10.10.10.10 "_s}
            << addresses;

        RasEntry noIp = stored;
        noIp.netProtocols = 8 | 1;
        QTest::newRow("without TCP/IP the addresses stay")
            << QStringList{u"chkIP=0"_s, u"chkNetBEUI=1"_s, u"txtIpAddr=Unsinn"_s} << noIp;

        RasEntry codes = stored;
        codes.countryId = 0;
        codes.countryCode = 41;
        QTest::newRow("country codes, an empty field is 0, an empty area code keeps the old")
            << QStringList{u"txtCountryID="_s, u"txtCountryCode=41"_s, u"txtAreaCode="_s} << codes;

        RasEntry noCodes = stored;
        noCodes.options &= ~RasEntryOption::UseCountryAndAreaCodes;
        QTest::newRow("without area codes the code fields are not read")
            << QStringList{u"chkUseCountryAndAreaCodes=0"_s, u"txtCountryID=abc"_s, u"txtAreaCode=089"_s} << noCodes;

        QTest::newRow("an emptied phone number keeps the old one") << QStringList{u"txtPhoneNumber="_s} << stored;
        RasEntry phone = stored;
        phone.localPhoneNumber = u"0800 1"_s;
        QTest::newRow("a new phone number") << QStringList{u"txtPhoneNumber=0800 1"_s} << phone;

        RasEntry slip = stored;
        slip.frameSize = 1500;
        QTest::newRow("SLIP stores its frame size") << QStringList{u"txtFrameSize=1500"_s} << slip;
        RasEntry ras = stored;
        ras.framingProtocol = 4;
        QTest::newRow("RAS ignores the frame size")
            << QStringList{u"optFraming2=1"_s, u"txtFrameSize=groß"_s} << ras;
        RasEntry ppp = stored;
        ppp.framingProtocol = 1;
        QTest::newRow("PPP") << QStringList{u"optFraming0=1"_s} << ppp;

        RasEntry script = stored;
        script.script.clear();
        QTest::newRow("the script may become empty") << QStringList{u"txtScript="_s} << script;

        RasEntry modem = stored;
        modem.deviceName = u"Standardmodem"_s;
        modem.deviceType = u"modem"_s;
        QTest::newRow("another device, without the old port") << QStringList{u"cboDevice=0"_s} << modem;
        QTest::newRow("no device chosen keeps the entry's own") << QStringList{u"cboDevice=-1"_s} << stored;
    }

    void dialogToEntry()
    {
        QFETCH(QStringList, edits);
        QFETCH(RasEntry, expected);
        m_dialog->EntryToDialog(storedEntry());
        applyEdits(edits);
        RasEntry entry = storedEntry();
        QString error;
        QVERIFY2(m_dialog->DialogToEntry(&entry, &error), qPrintable(error));
        compareEntries(entry, expected);
    }

    void refusedInput_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("message");

        QTest::newRow("address part above 255")
            << QStringList{u"txtPrimaryDNS=300.1.1.1"_s} << u"Erster DNS: In „300.1.1.1“ ist 300 größer als 255."_s;
        QTest::newRow("address with a missing part")
            << QStringList{u"txtSecondaryWINS=1.2.3"_s} << u"Zweiter WINS: „1.2.3“ ist keine vollständige IP-Adresse."_s;
        QTest::newRow("address with five parts")
            << QStringList{u"txtIpAddr=1.2.3.4.5"_s} << u"IP Adresse: „1.2.3.4.5“ ist keine vollständige IP-Adresse."_s;
        QTest::newRow("empty address") << QStringList{u"txtIpAddr="_s}
                                       << u"IP Adresse: „“ ist keine vollständige IP-Adresse."_s;
        QTest::newRow("address with letters") << QStringList{u"txtPrimaryWINS=10.0.0.x"_s}
                                              << u"Erster WINS: „10.0.0.x“ ist keine gültige IP-Adresse."_s;
        QTest::newRow("address with an empty part") << QStringList{u"txtSecondaryDNS=10..0.1"_s}
                                                    << u"Zweiter DNS: „10..0.1“ ist keine gültige IP-Adresse."_s;
        QTest::newRow("country ID not a number") << QStringList{u"txtCountryID=4x"_s}
                                                 << u"Landes-ID: „4x“ ist keine gültige Zahl."_s;
        QTest::newRow("negative country code") << QStringList{u"txtCountryCode=-49"_s}
                                               << u"Landes-Code: „-49“ ist keine gültige Zahl."_s;
        QTest::newRow("SLIP size not a number") << QStringList{u"txtFrameSize=1.006"_s}
                                                << u"SLIP Grösse: „1.006“ ist keine gültige Zahl."_s;
    }

    void refusedInput()
    {
        QFETCH(QStringList, edits);
        QFETCH(QString, message);
        m_dialog->EntryToDialog(storedEntry());
        applyEdits(edits);
        RasEntry entry = storedEntry();
        entry.localPhoneNumber = u"unverändert"_s;
        const RasEntry before = entry;
        QString error;
        QVERIFY(!m_dialog->DialogToEntry(&entry, &error));
        QVERIFY2(error.startsWith(message), qPrintable(error));
        compareEntries(entry, before);

        // "&OK, sichern" names the field and keeps the dialog open on its page.
        m_dialog->EditMode = true;
        const int result = run([&] {
            applyEdits(edits);
            control<QPushButton>("BtnIsOk")->setEnabled(true);
            control<QPushButton>("BtnIsOk")->click();
            QCOMPARE(control<QTabWidget>("PageControl")->currentIndex(),
                     control<QTabWidget>("PageControl")->indexOf(pageOf(edits.first())));
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().startsWith(message));
    }

    void entryToDialogShowsTheRecord()
    {
        RasEntry e = storedEntry();
        m_dialog->EntryToDialog(e);
        QCOMPARE(control<QLineEdit>("txtPrimaryDNS")->text(), u"192.168.0.1"_s);
        QCOMPARE(control<QLineEdit>("txtPrimaryWINS")->text(), u"255.255.255.255"_s);
        QCOMPARE(control<QLineEdit>("txtCountryID")->text(), u"43"_s);
        QCOMPARE(control<QLineEdit>("txtFrameSize")->text(), u"1006"_s);
        QVERIFY(control<QRadioButton>("optFraming1")->isChecked());
        QVERIFY(control<QCheckBox>("chkRequireMsEncryptedPw")->isChecked());
        QVERIFY(!control<QCheckBox>("chkSwCompression")->isChecked());
        QCOMPARE(control<QComboBox>("cboDevice")->currentIndex(), 1); // the port does not count

        // An unknown framing leaves the choice; a vanished device selects none.
        e.framingProtocol = 8;
        e.deviceName = u"Altes Modem"_s;
        m_dialog->EntryToDialog(e);
        QVERIFY(control<QRadioButton>("optFraming1")->isChecked());
        QCOMPARE(control<QComboBox>("cboDevice")->currentIndex(), -1);
        // The device names compare with their case.
        e.deviceName = u"standardmodem"_s;
        m_dialog->EntryToDialog(e);
        QCOMPARE(control<QComboBox>("cboDevice")->currentIndex(), -1);
    }

    void newConnectionStartsWithItsDefaults()
    {
        m_dialog->SelectFirstDevice();
        RasEntry entry;
        entry.options = 0;
        QString error;
        QVERIFY2(m_dialog->DialogToEntry(&entry, &error), qPrintable(error));
        QCOMPARE(QString::number(entry.options, 16), u"2218"_s); // header compression, gateway, compression, logon
        QCOMPARE(entry.framingProtocol, 1u);
        QCOMPARE(entry.netProtocols & 7, 4u);
        QCOMPARE(entry.deviceName, u"Standardmodem"_s);
        QCOMPARE(m_dialog->FeeText(), u"0,000"_s);
        QCOMPARE(m_dialog->CountTact(), 0);
        for (const char *name : {"txtIpAddr", "txtPrimaryDNS", "txtSecondaryDNS", "txtPrimaryWINS", "txtSecondaryWINS"})
            QCOMPARE(control<QLineEdit>(name)->text(), u"0.0.0.0"_s);
        QCOMPARE(control<QLineEdit>("txtCountryID")->text(), u"49"_s);
        QCOMPARE(control<QLineEdit>("txtCountryCode")->text(), u"49"_s);
    }

    void feeAndTact_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("decimal comma") << u"1,5"_s << u"1,500"_s;
        QTest::newRow("whole cents") << u"2"_s << u"2,000"_s;
        QTest::newRow("decimal point") << u"0.86"_s << u"0,860"_s;
        QTest::newRow("not a number") << u"frei"_s << u"0,000"_s;
    }

    void feeAndTact()
    {
        QFETCH(QString, stored);
        m_dialog->SetFeeText(stored);
        QTEST(m_dialog->FeeText(), "shown");
        m_dialog->SetCountTact(1);
        QVERIFY(control<QRadioButton>("RGCountTact1")->isChecked());
        QCOMPARE(m_dialog->CountTact(), 1);
    }

    void modes_data()
    {
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("nameLabel");
        QTest::addColumn<bool>("nameEnabled");
        QTest::addColumn<bool>("revealShown");
        QTest::addColumn<bool>("renameEnabled");
        QTest::addColumn<int>("echo");
        QTest::newRow("edit") << true << u"Bestehende DFÜ-Verbindung ändern"_s << u"Ändern unter \"Umbenennen\""_s
                              << false << true << true << int(QLineEdit::Password);
        QTest::newRow("creation") << false << u"Erstellung einer DFÜ-Verbindung in 3 Schritten"_s
                                  << u"Bezeichnung der Verbindung"_s << true << false << false << int(QLineEdit::Normal);
    }

    void modes()
    {
        QFETCH(bool, editMode);
        m_dialog->EditMode = editMode;
        m_dialog->SetConnectionName(u"Netzwerk Nord"_s);
        m_dialog->SetPassword(u"geheim"_s);
        run([this] {
            QTEST(control<QLabel>("LblTitle")->text(), "title");
            QTEST(control<QLabel>("LabelRASName")->text(), "nameLabel");
            QTEST(control<QLineEdit>("EditRASName")->isEnabled(), "nameEnabled");
            QCOMPARE(control<QLineEdit>("EditRASName")->text(), u"Netzwerk Nord"_s);
            QTEST(!control<QPushButton>("BtnPwClear")->isHidden(), "revealShown");
            QTEST(control<QToolButton>("SPChange")->isEnabled(), "renameEnabled");
            QTEST(int(control<QLineEdit>("Edit_Password")->echoMode()), "echo");
            QVERIFY(!control<QPushButton>("BtnIsOk")->isEnabled());
            QCOMPARE(control<QTabWidget>("PageControl")->currentIndex(), 0);
        });
    }

    void enablingRules_data()
    {
        QTest::addColumn<QString>("click");
        QTest::addColumn<QStringList>("governed");
        QTest::newRow("area codes") << u"chkUseCountryAndAreaCodes"_s
                                    << QStringList{u"txtCountryID"_s, u"txtCountryCode"_s, u"txtAreaCode"_s};
        QTest::newRow("own address") << u"chkSpecificIpAddr"_s << QStringList{u"txtIpAddr"_s};
        QTest::newRow("name servers")
            << u"chkSpecificNameServers"_s
            << QStringList{u"txtPrimaryDNS"_s, u"txtSecondaryDNS"_s, u"txtPrimaryWINS"_s, u"txtSecondaryWINS"_s};
        QTest::newRow("encryption") << u"chkRequireMsEncryptedPw"_s
                                    << QStringList{u"chkRequireDataEncryption"_s, u"chkUseLogonCredentials"_s};
        QTest::newRow("SLIP") << u"optFraming1"_s << QStringList{u"txtFrameSize"_s};
    }

    void enablingRules()
    {
        QFETCH(QString, click);
        QFETCH(QStringList, governed);
        run([&] {
            for (const QString &name : governed)
                QVERIFY2(!child<QWidget>(name)->isEnabled(), qPrintable(name));
            QVERIFY(!control<QPushButton>("BtnIsOk")->isEnabled());
            child<QAbstractButton>(click)->click();
            for (const QString &name : governed)
                QVERIFY2(child<QWidget>(name)->isEnabled(), qPrintable(name));
            QVERIFY(control<QPushButton>("BtnIsOk")->isEnabled());
            if (auto *box = qobject_cast<QCheckBox *>(child<QWidget>(click))) {
                box->click();
                for (const QString &name : governed)
                    QVERIFY2(!child<QWidget>(name)->isEnabled(), qPrintable(name));
            }
        });
    }

    void okFollowsTheUsersTyping()
    {
        auto *ok = control<QPushButton>("BtnIsOk");
        run([&] {
            control<QLineEdit>("txtPhoneNumber")->setText(u"0301"_s); // not typed by the user
            QVERIFY(!ok->isEnabled());
            typeText(control<QLineEdit>("txtPhoneNumber"), u"9"_s);
            QVERIFY(ok->isEnabled());
        });
        run([&] {
            QVERIFY(!ok->isEnabled()); // showing again starts without changes
            control<QRadioButton>("RGCountTact1")->click();
            QVERIFY(ok->isEnabled());
        });
        run([&] {
            QTest::mouseClick(control<QDoubleSpinBox>("EditCent")->findChild<QLineEdit *>(), Qt::LeftButton);
            QVERIFY(ok->isEnabled());
        });
    }

    void passwordReveal_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("revealed");
        QTest::newRow("the stored password") << u"Geheim"_s << true;
        QTest::newRow("other letter case") << u"geheim"_s << false;
        QTest::newRow("nothing typed") << QString() << false;
    }

    void passwordReveal()
    {
        QFETCH(QString, typed);
        QFETCH(bool, revealed);
        QString asked = u"-"_s;
        TFormPassword::SetHook([&](const QString &name) {
            asked = name;
            return typed;
        });
        m_dialog->EditMode = true;
        m_dialog->SetPassword(u"Geheim"_s);
        run([this] { control<QPushButton>("BtnPwClear")->click(); });
        QVERIFY(asked.isEmpty());
        QCOMPARE(control<QLineEdit>("Edit_Password")->echoMode() == QLineEdit::Normal, revealed);
        QCOMPARE(control<QPushButton>("BtnIsOk")->isEnabled(), revealed);
        QCOMPARE(m_messages, revealed ? QStringList() : QStringList{u"Falsches Passwort eingegeben!"_s});
    }

    void creationRefusesUnusableNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("semicolon") << u"Nord;Süd"_s << u"Der Name „Nord;Süd“ darf kein Semikolon „;“ enthalten."_s;
        QTest::newRow("existing name, other case")
            << u"netzwerk nord"_s << u"Eine DFÜ-Verbindung „netzwerk nord“ gibt es bereits.\rBitte einen anderen Namen wählen."_s;
        QTest::newRow("blank at the end")
            << u"Nord "_s << u"Der Name „Nord “ darf nicht mit einem Leerzeichen beginnen oder enden."_s;
        QTest::newRow("empty") << QString() << u"Bitte einen Namen für die DFÜ-Verbindung eingeben."_s;
    }

    void creationRefusesUnusableNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        m_dialog->SetConnectionName(u"Neue Verbindung"_s);
        m_dialog->SelectFirstDevice();
        const int result = run([&] {
            auto *edit = control<QLineEdit>("EditRASName");
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            typeText(edit, name);
            control<QPushButton>("BtnIsOk")->click();
            QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
            QCOMPARE(m_messages, QStringList{message});
            edit->selectAll();
            typeText(edit, u"Netzwerk Süd"_s);
            control<QPushButton>("BtnIsOk")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(m_dialog->PendingName(), u"Netzwerk Süd"_s);
        QCOMPARE(m_dialog->windowTitle(), u"Verbindungseinstellungen für: [Netzwerk Süd]"_s);
    }

    void renameButtonClosesTheDialog()
    {
        m_dialog->EditMode = true;
        QCOMPARE(run([this] { control<QToolButton>("SPChange")->click(); }), int(QDialog::Rejected));
        QVERIFY(m_dialog->RenameRequested());
    }

    void advancedPageShowsTheDevice()
    {
        m_dialog->EntryToDialog(storedEntry());
        control<QTabWidget>("PageControl")->setCurrentIndex(1);
        QCOMPARE(control<QLineEdit>("EditShowModem")->text(), u"ISDN-Adapter=isdn"_s);
        // The simulated line has no modem settings of its own.
        QVERIFY(control<QToolButton>("BtnModem")->isHidden());
    }

    void helpShowsTheVisiblePage()
    {
        QList<int> contexts;
        HelpLink::SetViewer([&](const QString &, HelpLink::Request, int context, QWidget *) { contexts << context; });
        for (int page = 0; page < 3; ++page) {
            control<QTabWidget>("PageControl")->setCurrentIndex(page);
            control<QPushButton>("BtnReadHelp")->click();
        }
        QCOMPARE(contexts, (QList<int>{831, 832, 833}));
    }

private:
    /// Runs the dialog with body in place of the user; the dialog's result.
    int run(const std::function<void()> &body)
    {
        TfrmConnProp::ExecHook = [&body](TfrmConnProp &dialog) {
            body();
            return dialog.result();
        };
        return m_dialog->Execute();
    }

    template<typename T>
    T *control(const char *name) const
    {
        return child<T>(QLatin1String(name));
    }

    template<typename T>
    T *child(const QString &name) const
    {
        auto *widget = m_dialog->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }

    QWidget *pageOf(const QString &edit) const
    {
        QWidget *w = child<QWidget>(edit.section(u'=', 0, 0));
        auto *tabs = control<QTabWidget>("PageControl");
        while (w && tabs->indexOf(w) < 0)
            w = w->parentWidget();
        return w;
    }

    void applyEdits(const QStringList &edits)
    {
        for (const QString &edit : edits) {
            const QString name = edit.section(u'=', 0, 0);
            const QString value = edit.section(u'=', 1);
            QWidget *widget = child<QWidget>(name);
            if (auto *line = qobject_cast<QLineEdit *>(widget))
                line->setText(value);
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                button->setChecked(value == u"1"_s);
            else if (auto *combo = qobject_cast<QComboBox *>(widget))
                combo->setCurrentIndex(value.toInt());
            else
                qFatal("cannot edit %s", qPrintable(name));
        }
    }

    std::unique_ptr<FakeDialUpService> m_service;
    std::unique_ptr<TfrmConnProp> m_dialog;
    QStringList m_messages;
};

QTEST_MAIN(TestFrmConnProp)
#include "tst_frmconnprop.moc"
