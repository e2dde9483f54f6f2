// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FakeDialUpService.h"
#include "Folders.h"
#include "FormMain.h"
#include "FormScanHTTP.h"
#include "MessageDialog.h"
#include "SettingsStore.h"
#include "SiteDownloadCommand.h"
#include "WindowMessage.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// Message 5950 and the "SiteDownload" command open the download window.
class TestSiteDownloadCommand : public QObject
{
    Q_OBJECT

private:
    /// Runs trigger and returns the source field of the download window it
    /// opened modally, which is then closed.
    QString openedWith(const std::function<void()> &trigger)
    {
        QString source = u"<nicht geöffnet>"_s;
        auto *poll = new QTimer(this);
        poll->setInterval(20);
        connect(poll, &QTimer::timeout, this, [&source, poll] {
            if (auto *form = qobject_cast<TFormScanHTTP *>(QApplication::activeModalWidget())) {
                source = form->findChild<QLineEdit *>(u"EditURL"_s)->text();
                poll->stop();
                form->close();
            }
        });
        poll->start();
        QTimer::singleShot(10000, poll, &QTimer::stop);
        trigger();
        delete poll;
        return source;
    }

private slots:
    void initTestCase()
    {
        qputenv("RUFWERK_HOME", m_home.path().toLocal8Bit());
        qputenv("RUFWERK_MODULE_DIR", m_home.path().toLocal8Bit());
        Folders::reset();
        SettingsStore::setInstance(std::make_unique<FileSettingsStore>(m_home.filePath(u"registry.reg"_s)));
        MessageDialog::SetHook([](MessageDialog::Kind, const QString &) { return false; });
        TFormMain::TrayAvailable = [] { return false; };
        m_fake.addEntry(u"Netzwerk Nord"_s, u"0301234"_s);
        m_form = std::make_unique<TFormMain>();
        m_form->CreateEngine(&m_fake);
    }

    void cleanupTestCase()
    {
        m_form.reset();
        MessageDialog::SetHook(nullptr);
    }

    void messageOpensWithTheDownloadAddress()
    {
        QVERIFY(m_form->HasCommand(u"SiteDownload"_s));
        m_form->DownloadURL = u"http://www.example.com/"_s;
        const QString source = openedWith([this] {
            QCoreApplication::postEvent(m_form.get(), new TWindowMessage(WM::SiteDownload));
            QCoreApplication::processEvents();
        });
        QCOMPARE(source, u"http://www.example.com"_s);
    }

    void withoutAddressTheUserTypesOne()
    {
        const QString source = openedWith([this] { RunSiteDownload(*m_form, QString()); });
        QCOMPARE(source, u"http://"_s);
    }

private:
    QTemporaryDir m_home;
    FakeDialUpService m_fake;
    std::unique_ptr<TFormMain> m_form;
};

QTEST_MAIN(TestSiteDownloadCommand)
#include "tst_sitedownloadcommand.moc"
