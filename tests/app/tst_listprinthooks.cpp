// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// The list printer inside the program: its settings in the program's store, its
// help in the program's viewer, its messages in the program's message dialog.

#include "Folders.h"
#include "HelpLink.h"
#include "ListPrint.h"
#include "ListPrintHooks.h"
#include "ListPrintUi.h"
#include "MessageDialog.h"
#include "SettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestListPrintHooks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home.filePath(u"registry.reg"_s)));
        TCustomListPrint::PrinterFactory = [] { return std::unique_ptr<QPrinter>(); };
        InstallListPrintHooks();
    }

    void cleanupTestCase()
    {
        HelpLink::SetViewer({});
        MessageDialog::SetHook({});
        SettingsStore::setInstance(nullptr);
    }

    void settingsGoToTheProgramsStore()
    {
        const QString key = u"Software\\Kovatek\\Rufwerk\\RasBas\\DizaVadud"_s;
        SettingsStore::instance().writeString(key + u"\\Setup"_s, u"ZoomProcent"_s, u"70"_s);
        TTextReportPrint lp;
        lp.SetRegistryKey(key);
        lp.SetUseRegistry(true);
        lp.LoadSettings();
        QCOMPARE(lp.ZoomPercent(), 70);
        lp.SetMarginLeft(30.5);
        QVERIFY(lp.SaveSettings());
        QCOMPARE(SettingsStore::instance().readString(key + u"\\Setup"_s, u"MarginLeft"_s), u"30,5"_s);
        QCOMPARE(SettingsStore::instance().readString(key + u"\\Setup"_s, u"PageBorders"_s), u"10"_s);
    }

    void helpMessagesAndFolder()
    {
        QStringList shown;
        HelpLink::SetViewer([&](const QString &file, HelpLink::Request request, int context, QWidget *) {
            if (request == HelpLink::Request::Context)
                shown << file + u' ' + QString::number(context);
        });
        ListPrintUi::ShowHelp(3334, nullptr);
        QCOMPARE(shown, QStringList { u"ListPrinter 3334"_s });

        QStringList messages;
        MessageDialog::SetHook([&](MessageDialog::Kind kind, const QString &text) {
            messages << QString::number(int(kind)) + u' ' + text;
            return true;
        });
        QVERIFY(ListPrintUi::Message(ListPrintUi::TMessageKind::Warning, u"Änderung übernehmen"_s, nullptr));
        ListPrintUi::Message(ListPrintUi::TMessageKind::Error, u"Fehler"_s, nullptr);
        QCOMPARE(messages,
            (QStringList { QString::number(int(MessageDialog::Kind::Question)) + u" Änderung übernehmen"_s,
                QString::number(int(MessageDialog::Kind::Error)) + u" Fehler"_s }));

        QCOMPARE(ListPrintUi::InProgramFolder(u"FeeReport.BMP"_s), Folders::programFolder() + u"FeeReport.BMP"_s);
    }

private:
    QTemporaryDir m_home;
};

QTEST_MAIN(TestListPrintHooks)
#include "tst_listprinthooks.moc"
