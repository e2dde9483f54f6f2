// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers

// Printing through a real CUPS queue: the test starts a scheduler of its own
// (its own socket, spool and configuration, so it meets neither the system's
// CUPS nor another run of this test), adds a cups-pdf queue whose output
// folder is the test's, prints a report with Qt's CUPS support and reads the
// PDF that cups-pdf writes. It needs root (the cups-pdf backend runs as root)
// and the packages cups and printer-driver-cups-pdf; without them it skips.

#include "ListPrintTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString firstExisting(const QStringList &paths)
{
    for (const QString &path : paths)
        if (QFileInfo::exists(path))
            return path;
    return {};
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

} // namespace

class TestListPrintCups : public QObject {
    Q_OBJECT

public:
    explicit TestListPrintCups(const QString &folder)
        : FFolder(folder)
        , FQueue(u"rufwerk-listprint-%1"_s.arg(QCoreApplication::applicationPid()))
    {
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void printsThroughTheQueue();

private:
    QString Socket() const { return FFolder + u"/cups.sock"_s; }
    QString OutFolder() const { return FFolder + u"/out"_s; }
    QString InstanceConfig() const { return u"/etc/cups/cups-pdf-%1.conf"_s.arg(FQueue); }
    /// Starts the scheduler and adds the queue; the reason when that fails.
    QString StartScheduler();
    bool Run(const QString &program, const QStringList &arguments, QString *output = nullptr);

    QString FFolder;
    QString FQueue;
    QProcess FScheduler;
};

bool TestListPrintCups::Run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok
        = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return ok;
}

QString TestListPrintCups::StartScheduler()
{
    if (geteuid() != 0)
        return u"needs root: the cups-pdf backend only runs under a scheduler started as root"_s;
    const QString cupsd = firstExisting({ u"/usr/sbin/cupsd"_s, u"/usr/local/sbin/cupsd"_s });
    const QString lpadmin = firstExisting({ u"/usr/sbin/lpadmin"_s, u"/usr/bin/lpadmin"_s });
    const QString backend = firstExisting({ u"/usr/lib/cups/backend/cups-pdf"_s });
    const QString ppd = firstExisting(
        { u"/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"_s, u"/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"_s });
    if (cupsd.isEmpty() || lpadmin.isEmpty() || backend.isEmpty() || ppd.isEmpty())
        return u"cups and printer-driver-cups-pdf are not installed (scripts/deps.sh installs them)"_s;
    if (!havePdfToText())
        return u"pdftotext (poppler-utils) is not installed"_s;

    // Filters run as the user lp and must reach the folders.
    QFile::setPermissions(FFolder,
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther);
    QDir folder(FFolder);
    for (const QString &sub : { u"root"_s, u"spool"_s, u"tmp"_s, u"cache"_s, u"state"_s, u"log"_s, u"out"_s })
        folder.mkdir(sub);
    // The filters' temporary folder: writable for the group lp, as cupsd wants it.
    const group *lp = getgrnam("lp");
    const QByteArray tmp = QFile::encodeName(FFolder + u"/tmp"_s);
    if (!lp || chown(tmp.constData(), 0, lp->gr_gid) != 0 || chmod(tmp.constData(), 01770) != 0)
        return u"cannot prepare the scheduler's temporary folder (no group lp?)"_s;
    const QString conf = u"LogLevel warn\nListen %1\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                         "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                         "<Policy default>\n  JobPrivateAccess default\n  JobPrivateValues default\n"
                         "  SubscriptionPrivateAccess default\n  SubscriptionPrivateValues default\n"
                         "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n"_s.arg(Socket());
    // Errors go to the test's output; with -f the scheduler stays in the foreground.
    const QString files = u"ServerRoot %1/root\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                          "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog stderr\n"
                          "PageLog %1/log/page_log\nSystemGroup root\nUser lp\nGroup lp\n"_s.arg(FFolder);
    // cups-pdf reads its configuration for the instance named in the device URI from /etc/cups.
    const QString instance
        = u"Out %1\nAnonDirName %1\nSpool %2/cups-pdf-spool\nLog %2/log\nGrp root\n"_s.arg(OutFolder(), FFolder);
    if (!writeText(FFolder + u"/cupsd.conf"_s, conf) || !writeText(FFolder + u"/cups-files.conf"_s, files)
        || !writeText(InstanceConfig(), instance))
        return u"cannot write the scheduler's configuration"_s;

    FScheduler.setProcessChannelMode(QProcess::MergedChannels);
    FScheduler.start(cupsd, { u"-f"_s, u"-c"_s, FFolder + u"/cupsd.conf"_s, u"-s"_s, FFolder + u"/cups-files.conf"_s });
    if (!FScheduler.waitForStarted(10000))
        return u"cupsd does not start: "_s + FScheduler.errorString();
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(Socket())) {
        if (FScheduler.state() != QProcess::Running || waited.elapsed() > 15000)
            return u"cupsd did not open its socket: "_s + QString::fromLocal8Bit(FScheduler.readAll());
        QThread::msleep(50);
    }
    QString output;
    // pdftocairo keeps the text of Qt's PDF readable through the PostScript step.
    if (!Run(lpadmin,
            { u"-h"_s, Socket(), u"-p"_s, FQueue, u"-E"_s, u"-v"_s, u"cups-pdf:/"_s + FQueue, u"-P"_s, ppd, u"-o"_s,
                u"pdftops-renderer-default=pdftocairo"_s },
            &output))
        return u"lpadmin cannot add the queue: "_s + output;
    return {};
}

void TestListPrintCups::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString reason = StartScheduler();
    if (!reason.isEmpty())
        QSKIP(qPrintable(u"No CUPS queue for the test: "_s + reason));
}

void TestListPrintCups::cleanupTestCase()
{
    if (FScheduler.state() != QProcess::NotRunning) {
        FScheduler.terminate();
        if (!FScheduler.waitForFinished(10000))
            FScheduler.kill();
        FScheduler.waitForFinished(5000);
    }
    QFile::remove(InstanceConfig());
}

void TestListPrintCups::printsThroughTheQueue()
{
    QTRY_VERIFY_WITH_TIMEOUT(QPrinterInfo::availablePrinterNames().contains(FQueue), 10000);
    TTextReportPrint lp;
    lp.SetShowProgress(false);
    lp.SetPrinter(std::make_unique<QPrinter>(QPrinterInfo::printerInfo(FQueue), QPrinter::HighResolution));
    QCOMPARE(lp.Printer()->outputFormat(), QPrinter::NativeFormat);
    lp.SetPrintTitle(u"Rufwerk-Listendruck"_s);
    lp.SetHeader(u"Kopf {$PAGE}"_s);
    lp.SetPageBorders(TPageBorders(pbTop) | pbBottom);
    lp.BeginReport(false);
    lp.PrintLine(u"Gebührenreport"_s);
    lp.SetTableFormat(u"<40|>40"_s);
    lp.PrintTableLine(u"Netzwerk Nord|1,86 €"_s);
    lp.NewPage();
    lp.PrintLine(u"Zweite Seite"_s);
    lp.EndReport();
    QVERIFY(lp.PrintPages());

    // cups-pdf names the file after the job's title.
    QString pdf;
    QStringList pages;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 90000) {
        const QStringList found = QDir(OutFolder()).entryList({ u"*.pdf"_s }, QDir::Files);
        if (!found.isEmpty()) {
            pdf = OutFolder() + u'/' + found.first();
            pages = pdfPages(pdf);
            if (pages.size() == 2)
                break;
        }
        QTest::qWait(200);
    }
    QVERIFY2(pages.size() == 2,
        qPrintable(u"no PDF from the queue; scheduler log:\n"_s + QString::fromLocal8Bit(FScheduler.readAll())));
    QVERIFY2(QFileInfo(pdf).fileName().startsWith(u"Rufwerk-Listendruck"_s), qPrintable(pdf));
    QCOMPARE(pdfPageLines(pages.at(0)), (QStringList { u"Kopf 1"_s, u"Gebührenreport"_s, u"Netzwerk Nord 1,86 €"_s }));
    QCOMPARE(pdfPageLines(pages.at(1)), (QStringList { u"Kopf 2"_s, u"Zweite Seite"_s }));
}

int main(int argc, char *argv[])
{
    // Qt asks CUPS for its printers once; the private scheduler's socket must
    // be set before that.
    QTemporaryDir folder(QDir::tempPath() + u"/tst_listprintcups-XXXXXX"_s);
    qputenv("CUPS_SERVER", (folder.path() + u"/cups.sock"_s).toLocal8Bit());
    QApplication app(argc, argv);
    TestListPrintCups test(folder.path());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listprintcups.moc"
