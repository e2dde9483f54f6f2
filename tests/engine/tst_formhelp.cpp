// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormHelp.h"

#include "MessageDialog.h"
#include "RichText.h"
#include "TestFiles.h"

#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestFormHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void windowLayout();
    void toolButtons_data();
    void toolButtons();
    void textArea();
    void spacerWidth_data();
    void spacerWidth();
    void resizeSpreadsTheButtons();

    void loadsPlainFile_data();
    void loadsPlainFile();
    void loadsRtfFile();
    void unreadableFileKeepsText();
    void caretStartsAtTheTop();

    void saveWritesRtfWhateverTheExtension_data();
    void saveWritesRtfWhateverTheExtension();
    void saveCancelledWritesNothing();
    void saveFailureShowsFileError();

    void printsOneJobToPdf();
    void printCancelledPrintsNothing();
    void printFailureIsReported();

    void execHookStandsInForTheModalLoop();

private:
    QTemporaryDir FDir;
    QStringList FErrors;
};

void TestFormHelp::initTestCase()
{
    QVERIFY(FDir.isValid());
    QCoreApplication::setApplicationName(u"Rufwerk"_s);
    MessageDialog::SetHook([this](MessageDialog::Kind, const QString &text) {
        FErrors << text;
        return false;
    });
}

void TestFormHelp::cleanup()
{
    TFormHelp::saveFileNameHook = nullptr;
    TFormHelp::printDialogHook = nullptr;
    TFormHelp::execHook = nullptr;
    FErrors.clear();
}

void TestFormHelp::windowLayout()
{
    TFormHelp form;
    QCOMPARE(form.windowTitle(), u"Textanzeige"_s);
    QCOMPARE(form.size(), QSize(630, 350));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.frameGeometry().center(), form.screen()->availableGeometry().center());
    form.resize(800, 500); // resizable
    QTRY_COMPARE(form.size(), QSize(800, 500));

    auto *toolBar = form.findChild<QToolBar *>(u"ToolBar"_s);
    auto *edit = form.findChild<QTextEdit *>(u"RichEdit"_s);
    QVERIFY(toolBar && edit);
    QCOMPARE(toolBar->geometry().top(), 0);
    QVERIFY(edit->geometry().top() >= toolBar->geometry().bottom());
    QCOMPARE(edit->geometry().bottom(), form.rect().bottom());
}

void TestFormHelp::toolButtons_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("statusTip");
    QTest::newRow("print") << 1 << u"BtnPrint"_s << u"Text &drucken"_s << u"Text drucken"_s
                           << u"Angezeigten Text auf Drucker ausgeben"_s;
    QTest::newRow("save") << 3 << u"BtnSave"_s << u"Text &speichern"_s << u"Text speichern"_s
                          << u"Angezeigten Text Speichern in Datei"_s;
    QTest::newRow("close") << 5 << u"BtnClose"_s << u"&OK, schließen"_s << u"Fenster schließen"_s
                           << u"Fenster schließen"_s;
}

void TestFormHelp::toolButtons()
{
    QFETCH(int, position);
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(QString, statusTip);

    TFormHelp form;
    auto *toolBar = form.findChild<QToolBar *>(u"ToolBar"_s);
    const QList<QAction *> actions = toolBar->actions();
    QCOMPARE(actions.size(), 7); // three buttons, two spacers between them, blank ends
    QAction *action = actions.at(position);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->toolTip(), toolTip);
    QCOMPARE(action->statusTip(), statusTip);
    auto *toolButton = qobject_cast<QToolButton *>(toolBar->widgetForAction(action));
    QVERIFY(toolButton);
    QCOMPARE(toolButton->objectName(), button);
    QCOMPARE(toolButton->text(), caption); // with its mnemonic
    QCOMPARE(toolBar->widgetForAction(actions.at(2))->objectName(), u"Spacer1"_s);
    QCOMPARE(toolBar->widgetForAction(actions.at(4))->objectName(), u"Spacer2"_s);
}

void TestFormHelp::textArea()
{
    TFormHelp form;
    QTextEdit *edit = form.richEdit();
    QVERIFY(edit->isReadOnly());
    QCOMPARE(edit->font().pixelSize(), 13);
    const QFont font = edit->font();
    if (font.family() == u"Courier New"_s)
        QVERIFY(QFontInfo(font).fixedPitch());
    else
        QCOMPARE(font.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(255, 255, 232));
    QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(edit->textInteractionFlags() & Qt::TextSelectableByKeyboard); // a caret to put at the start

    // Closing is the third button.
    form.show();
    form.findChild<QToolButton *>(u"BtnClose"_s)->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
}

void TestFormHelp::spacerWidth_data()
{
    QTest::addColumn<int>("toolBarWidth");
    QTest::addColumn<int>("width");
    QTest::newRow("initial window") << 630 << 55;
    QTest::newRow("odd surplus rounds down") << 631 << 55;
    QTest::newRow("wide") << 1000 << 240;
    QTest::newRow("buttons just fit") << 520 << 0;
    QTest::newRow("one pixel more") << 521 << 0;
    QTest::newRow("two pixels more") << 522 << 1;
    QTest::newRow("one pixel short") << 519 << 0;
    QTest::newRow("narrow never negative") << 300 << 0;
    QTest::newRow("no width") << 0 << 0;
}

void TestFormHelp::spacerWidth()
{
    QFETCH(int, toolBarWidth);
    QFETCH(int, width);
    QCOMPARE(TFormHelp::spacerWidth(toolBarWidth), width);
}

void TestFormHelp::resizeSpreadsTheButtons()
{
    TFormHelp form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *toolBar = form.findChild<QToolBar *>(u"ToolBar"_s);
    auto *spacer1 = form.findChild<QWidget *>(u"Spacer1"_s);
    auto *spacer2 = form.findChild<QWidget *>(u"Spacer2"_s);
    for (const int width : { 900, 631, 400, 700 }) {
        form.resize(width, 350);
        QTRY_COMPARE(toolBar->width(), width);
        QTRY_COMPARE(spacer1->width(), TFormHelp::spacerWidth(width));
        QCOMPARE(spacer2->width(), spacer1->width());
        if (width >= 520) {
            // The group of buttons stays in the middle.
            const QWidget *first = form.findChild<QWidget *>(u"BtnPrint"_s);
            const QWidget *last = form.findChild<QWidget *>(u"BtnClose"_s);
            QTRY_VERIFY(first->isVisible() && last->isVisible());
            const int left = first->geometry().left();
            const int right = toolBar->width() - 1 - last->geometry().right();
            QVERIFY2(qAbs(left - right) <= 8, qPrintable(u"%1 / %2"_s.arg(left).arg(right)));
        }
    }
}

void TestFormHelp::loadsPlainFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("Windows-1252") << QByteArray("Leerlauf-Abbruch nach: 5 Minuten!\r\n\xd6" "ffnen Sie \"VV Mehr...\"\r\n"
                                                "Geb\xfchr: 1,23 \x80\r\n{\\rtf ist hier nur Text}\r\n")
                                  << u"Leerlauf-Abbruch nach: 5 Minuten!\nÖffnen Sie \"VV Mehr...\"\n"
                                     "Gebühr: 1,23 €\n{\\rtf ist hier nur Text}"_s;
    // The protocol as written when an entry name needs more than Windows-1252.
    QTest::newRow("UTF-8 with BOM")
        << QByteArray("\xEF\xBB\xBF  -  DF\xC3\x9C, Rufnummer: \xE5\xAE\xBD\xE5\xB8\xA6\xE8\xBF\x9E\xE6\x8E\xA5\r\n"
                      "Geb\xC3\xBChr: 1,23 \xE2\x82\xAC\r\n")
        << u"  -  DFÜ, Rufnummer: 宽带连接\nGebühr: 1,23 €"_s;
}

void TestFormHelp::loadsPlainFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = FDir.filePath(u"Rufwerk-Log.TXT"_s);
    QVERIFY(writeAll(path, bytes));
    TFormHelp form;
    QString error;
    QVERIFY(form.loadFile(path, &error));
    QCOMPARE(form.richEdit()->toPlainText(), text);
}

void TestFormHelp::loadsRtfFile()
{
    const QString path = FDir.filePath(u"Start_Up.RTF"_s);
    QVERIFY(writeAll(path, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 {\\b Willkommen} bei Rufwerk\\par "
                           "Gr\\'fc\\'dfe\\par}"));
    TFormHelp form;
    QVERIFY(form.loadFile(path));
    const QTextDocument *doc = form.richEdit()->document();
    QCOMPARE(doc->toPlainText(), u"Willkommen bei Rufwerk\nGrüße"_s);
    QCOMPARE(doc->begin().begin().fragment().text(), u"Willkommen"_s);
    QCOMPARE(doc->begin().begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
}

void TestFormHelp::unreadableFileKeepsText()
{
    TFormHelp form;
    form.setPlainLines({ u"Noch kein Protokoll erstellt!"_s });
    QString error;
    QVERIFY(!form.loadFile(FDir.filePath(u"fehlt.TXT"_s), &error));
    QVERIFY2(error.contains(u"kann nicht gelesen werden"_s) && error.contains(u"fehlt.TXT"_s), qPrintable(error));
    QCOMPARE(form.richEdit()->toPlainText(), u"Noch kein Protokoll erstellt!"_s);
}

void TestFormHelp::caretStartsAtTheTop()
{
    TFormHelp form;
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << u"Zeile %1"_s.arg(i);
    form.setPlainLines(lines);
    QCOMPARE(form.richEdit()->textCursor().position(), 0);

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.richEdit()->moveCursor(QTextCursor::End);
    form.hide();
    form.show(); // each showing starts at the top again
    QCOMPARE(form.richEdit()->textCursor().position(), 0);
    QCOMPARE(form.richEdit()->verticalScrollBar()->value(), 0);
}

void TestFormHelp::saveWritesRtfWhateverTheExtension_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("rtf") << u"Textanzeige.RTF"_s;
    QTest::newRow("txt") << u"Protokoll.txt"_s;
}

void TestFormHelp::saveWritesRtfWhateverTheExtension()
{
    QFETCH(QString, fileName);
    const QString path = FDir.filePath(fileName);
    TFormHelp form;
    form.setPlainLines({ u"Externe Verbindung: "_s, u"Online-Zeit: 00:01:05,   -Gebühr: 0,12 €"_s });
    TFormHelp::saveFileNameHook = [&] { return path; };
    form.findChild<QToolButton *>(u"BtnSave"_s)->click();

    const QByteArray bytes = readAll(path);
    QVERIFY2(bytes.startsWith("{\\rtf1"), bytes.constData());
    QTextDocument back;
    QVERIFY(RichText::read(bytes, &back));
    QCOMPARE(back.toPlainText(), form.richEdit()->toPlainText());
    QVERIFY(FErrors.isEmpty());
}

void TestFormHelp::saveCancelledWritesNothing()
{
    TFormHelp form;
    form.setPlainLines({ u"x"_s });
    int asked = 0;
    TFormHelp::saveFileNameHook = [&] {
        ++asked;
        return QString();
    };
    const QStringList before = QDir(FDir.path()).entryList(QDir::Files);
    form.findChild<QToolButton *>(u"BtnSave"_s)->click();
    QCOMPARE(asked, 1);
    QCOMPARE(QDir(FDir.path()).entryList(QDir::Files), before);
    QVERIFY(FErrors.isEmpty());
}

void TestFormHelp::saveFailureShowsFileError()
{
    const QString path = FDir.filePath(u"gibt-es-nicht/Textanzeige.RTF"_s);
    TFormHelp form;
    form.setPlainLines({ u"x"_s });
    TFormHelp::saveFileNameHook = [&] { return path; };
    form.findChild<QToolButton *>(u"BtnSave"_s)->click();
    QCOMPARE(FErrors.size(), 1);
    QVERIFY2(FErrors.first().contains(u"kann nicht geschrieben werden"_s), qPrintable(FErrors.first()));
    QVERIFY(!QFile::exists(path));
}

void TestFormHelp::printsOneJobToPdf()
{
    const QString pdf = FDir.filePath(u"druck.pdf"_s);
    TFormHelp form;
    QStringList lines;
    for (int i = 1; i <= 120; ++i)
        lines << u"%1. Zeile des Protokolls: Grüße, 5 €"_s.arg(i);
    form.setPlainLines(lines);

    QString jobName;
    TFormHelp::printDialogHook = [&](QPrinter *printer) {
        jobName = printer->docName();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return true;
    };
    form.findChild<QToolButton *>(u"BtnPrint"_s)->click();
    QCOMPARE(jobName, u"Text aus: Rufwerk"_s);
    const QByteArray bytes = readAll(pdf);
    QVERIFY(bytes.startsWith("%PDF"));
    QVERIFY2(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ") >= 2,
             "120 lines take more than one page");
    QVERIFY(FErrors.isEmpty());
}

void TestFormHelp::printCancelledPrintsNothing()
{
    const QString pdf = FDir.filePath(u"abgebrochen.pdf"_s);
    TFormHelp form;
    form.setPlainLines({ u"x"_s });
    TFormHelp::printDialogHook = [&](QPrinter *printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return false;
    };
    form.findChild<QToolButton *>(u"BtnPrint"_s)->click();
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(FErrors.isEmpty());
}

void TestFormHelp::printFailureIsReported()
{
    TFormHelp form;
    form.setPlainLines({ u"x"_s });
    TFormHelp::printDialogHook = [&](QPrinter *printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(FDir.filePath(u"gibt-es-nicht/druck.pdf"_s));
        return true;
    };
    form.findChild<QToolButton *>(u"BtnPrint"_s)->click();
    QCOMPARE(FErrors, QStringList(u"Der Text konnte nicht gedruckt werden."_s));
}

void TestFormHelp::execHookStandsInForTheModalLoop()
{
    TFormHelp form;
    form.setPlainLines({ u"Noch kein Protokoll erstellt!"_s });
    QString seen;
    TFormHelp::execHook = [&](TFormHelp *shown) {
        seen = shown->richEdit()->toPlainText();
        return int(QDialog::Accepted);
    };
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QCOMPARE(seen, u"Noch kein Protokoll erstellt!"_s);
}

QTEST_MAIN(TestFormHelp)
#include "tst_formhelp.moc"
