// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeShell.h"
#include "InfoDlg.h"
#include "LocaAboutBox.h"
#include "LogoForm.h"
#include "MainWidgets.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

// The program's information windows: the about box with its version rows, the
// short information of the tray menu, and the splash window.
class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void versionRows_data()
    {
        QTest::addColumn<bool>("preRelease");
        QTest::addColumn<QString>("lastRow");
        QTest::newRow("final build") << false << u"Final"_s;
        QTest::newRow("pre-release build") << true << u"Beta-Issue"_s;
    }

    void versionRows()
    {
        QFETCH(bool, preRelease);
        QFETCH(QString, lastRow);
        TVersionInfo version = TVersionInfo::Program();
        version.PreRelease = preRelease;
        TLocaAboutBox box(version);
        QCOMPARE(box.windowTitle(), u"Programm-Info"_s);
        auto *list = box.findChild<QTreeWidget *>(u"LVFileInfo"_s);
        QCOMPARE(list->headerItem()->text(0), u"Ressource"_s);
        QCOMPARE(list->headerItem()->text(1), u"Wert"_s);

        const QStringList labels = { u"Product Name"_s, u"Product Version"_s, u"Original Filename"_s, u"Company Name"_s,
            u"Comments"_s, u"File Description"_s, u"File Version"_s, u"Legal Copyright"_s, u"Legal Trademarks"_s,
            u"Pre-Release"_s };
        const QStringList values = { u"Kovatek Rufwerk"_s, u"6.0.1.0"_s, version.OriginalFilename, u"Kovatek"_s,
            u"Anlegen, betreiben und überwachen von DFÜ-Anschlüssen"_s,
            u"Anlegen, betreiben und überwachen von DFÜ-Verbindungen"_s, u"6.0.1.0"_s, version.LegalCopyright,
            version.LegalTrademarks, lastRow };
        // Filled each time the box becomes active, never twice over.
        box.FormActivate();
        QCOMPARE(list->topLevelItemCount(), labels.size());
        for (int row = 0; row < labels.size(); ++row) {
            QCOMPARE(list->topLevelItem(row)->text(0), labels.at(row));
            QCOMPARE(list->topLevelItem(row)->text(1), values.at(row));
        }
        QCOMPARE(box.findChild<QLabel *>(u"LblVersion"_s)->text(), u"Version: 6.0.1.0"_s);
        QCOMPARE(box.findChild<QLabel *>(u"LblProductName"_s)->text(), u"Kovatek Rufwerk"_s);
        QCOMPARE(box.findChild<QLabel *>(u"LblComments"_s)->text(),
            u"Anlegen, betreiben und überwachen von DFÜ-Anschlüssen"_s);
    }

    void fileInfoTogglesWithThePicture()
    {
        TLocaAboutBox box;
        box.show();
        auto *list = box.findChild<QTreeWidget *>(u"LVFileInfo"_s);
        auto *picture = box.findChild<QWidget *>(u"ImgPicture"_s);
        auto *toggle = box.findChild<QPushButton *>(u"BtnFileInfo"_s);
        QCOMPARE(toggle->text(), u"&Datei-Info ein / aus"_s);
        QVERIFY(picture->isVisible() && !list->isVisible());
        toggle->click();
        QVERIFY(list->isVisible() && !picture->isVisible());
        toggle->click();
        QVERIFY(picture->isVisible() && !list->isVisible());
    }

    void mailAndEnd()
    {
        auto shell = std::make_unique<FakeShell>();
        FakeShell *fake = shell.get();
        Shell::setInstance(std::move(shell));
        TLocaAboutBox box;
        box.show();
        auto *mail = box.findChild<QPushButton *>(u"BtnMail"_s);
        QCOMPARE(mail->text(), u"Sende eMail"_s);
        QCOMPARE(mail->toolTip(), u"Sende eMail an Kovatek"_s);
        // A missing mail program is not reported.
        fake->succeed = false;
        mail->click();
        QCOMPARE(fake->opened.size(), 1);
        QVERIFY(fake->opened.first().target.startsWith(u"mailto:support@kovatek.example?subject="_s));
        QVERIFY(box.isVisible());

        auto *end = box.findChild<QPushButton *>(u"BtnEnd"_s);
        QCOMPARE(end->text(), u"Ende"_s);
        QCOMPARE(end->toolTip(), u"Schließen"_s);
        end->click();
        QVERIFY(!box.isVisible());
        Shell::setInstance(nullptr);
    }

    void shortInformation()
    {
        TVersionInfo version;
        version.ProductVersion = u"6.0.1.0"_s;
        TInfoDlg info(version);
        QCOMPARE(info.windowTitle(), u"Info"_s);
        QCOMPARE(info.findChild<QLabel *>(u"LblAppName"_s)->text(), u"KVT Rufwerk"_s);
        QCOMPARE(info.findChild<QLabel *>(u"LblDescription"_s)->text(),
            u"Kovatek Rufwerk für einfaches\nAnlegen, Ändern und Betreiben von\nDFÜ-Verbindungen zu remoten Servern"_s);
        QCOMPARE(info.findChild<QLabel *>(u"LblVersion"_s)->text(), u"Version 6.0.1.0"_s);

        // It grows to its full size from its centre.
        const QSize full = info.size();
        info.show();
        QVERIFY(info.width() < full.width());
        QTRY_COMPARE(info.size(), full);
        info.findChild<QPushButton *>(u"BtnOK"_s)->click();
        QVERIFY(!info.isVisible());
    }

    void splashWindow()
    {
        QPointer<TLogoForm> logo = new TLogoForm(u"Kovatek Rufwerk"_s);
        QCOMPARE(logo->windowTitle(), u"Kovatek Rufwerk"_s);
        QVERIFY(logo->windowFlags() & Qt::WindowStaysOnTopHint);
        auto *label = logo->findChild<QLabel *>(u"LblCoolTool"_s);
        QCOMPARE(label->text(), u"Kovatek`s Cool Tool"_s);
        QVERIFY(label->font().bold() && label->font().italic());
        logo->ShowAndPaint();
        TAnimate *animation = logo->Logo();
        QVERIFY(animation->active());
        const int first = animation->frame();
        for (int step = 0; step < 13; ++step)
            animation->step();
        QCOMPARE(animation->frame(), first); // thirteen frames, then round again
        // A click on the logo closes it early; it frees itself.
        QTest::mouseClick(animation, Qt::LeftButton);
        QTRY_VERIFY(logo.isNull());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
