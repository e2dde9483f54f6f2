// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FormHelp.h"

#include "MessageDialog.h"
#include "RichText.h"
#include "TextFile.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kButtonsWidth = 520;
constexpr int kButtonWidth = 140;
constexpr int kInitialSpacerWidth = 50;
constexpr int kScreenDpi = 96;

void applyHint(QAction *action, const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QWidget *makeSpacer(QWidget *parent, const QString &name)
{
    auto *spacer = new QWidget(parent);
    spacer->setObjectName(name);
    spacer->setFixedWidth(kInitialSpacerWidth);
    return spacer;
}

// Courier New, or what the system offers in its place (often a metric
// twin); only when that is not even fixed-pitch, the system's fixed font.
QFont displayFont()
{
    QFont font(u"Courier New"_s);
    font.setPixelSize(13); // no style hint: it would outrank the metric twin
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(13);
    }
    return font;
}

} // namespace

TFormHelp::TFormHelp(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"FormHelp"_s);
    setWindowTitle(u"Textanzeige"_s);
    setSizeGripEnabled(true);
    resize(630, 350);

    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(u"ToolBar"_s);
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    const auto addAction = [this](const QString &name, const QString &caption, const QString &hint) {
        auto *action = new QAction(caption, this);
        action->setObjectName(name);
        action->setIconText(caption); // keeps the mnemonic on the tool button
        applyHint(action, hint);
        ToolBar->addAction(action);
        return action;
    };
    // The buttons with their two spacers form one group, centred by blank
    // space at both ends.
    const auto addEdge = [this](const QString &name) {
        auto *edge = new QWidget(ToolBar);
        edge->setObjectName(name);
        edge->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        ToolBar->addWidget(edge);
    };
    addEdge(u"EdgeLeft"_s);
    ActPrint = addAction(u"ActPrint"_s, u"Text &drucken"_s, u"Text drucken|Angezeigten Text auf Drucker ausgeben"_s);
    Spacer1 = makeSpacer(ToolBar, u"Spacer1"_s);
    ToolBar->addWidget(Spacer1);
    ActSave = addAction(u"ActSave"_s, u"Text &speichern"_s, u"Text speichern|Angezeigten Text Speichern in Datei"_s);
    Spacer2 = makeSpacer(ToolBar, u"Spacer2"_s);
    ToolBar->addWidget(Spacer2);
    ActClose = addAction(u"ActClose"_s, u"&OK, schließen"_s, u"Fenster schließen|Fenster schließen"_s);
    addEdge(u"EdgeRight"_s);

    const std::pair<QAction *, QString> buttons[] = {
        { ActPrint, u"BtnPrint"_s }, { ActSave, u"BtnSave"_s }, { ActClose, u"BtnClose"_s } };
    for (const auto &[action, name] : buttons) {
        if (QWidget *button = ToolBar->widgetForAction(action)) {
            button->setObjectName(name);
            // Three buttons of this width and two spacers of 50 make the 520
            // pixels the spacer rule starts from.
            button->setMinimumWidth(kButtonWidth);
        }
    }

    RichEdit = new QTextEdit(this);
    RichEdit->setObjectName(u"RichEdit"_s);
    RichEdit->setReadOnly(true);
    // Read-only, but with a caret the keyboard can move, as in an editor.
    RichEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichEdit->setFont(displayFont());
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->setAcceptRichText(true);
    QPalette palette = RichEdit->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 232));
    palette.setColor(QPalette::Text, Qt::black);
    RichEdit->setPalette(palette);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar);
    layout->addWidget(RichEdit, 1);

    ToolBar->installEventFilter(this);
    connect(ActPrint, &QAction::triggered, this, &TFormHelp::BtnPrintClick);
    connect(ActSave, &QAction::triggered, this, &TFormHelp::BtnSaveClick);
    connect(ActClose, &QAction::triggered, this, &QDialog::accept);
}

int TFormHelp::spacerWidth(int toolBarWidth)
{
    // Integer division rounds toward zero; a narrow window gets no gap at all.
    return std::max(0, (toolBarWidth - kButtonsWidth) / 2);
}

QString TFormHelp::printJobName()
{
    QString title = QGuiApplication::applicationDisplayName();
    if (title.isEmpty())
        title = u"Rufwerk"_s;
    return u"Text aus: "_s + title;
}

bool TFormHelp::loadFile(const QString &path, QString *error)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        if (error)
            *error = u"Die Datei \"%1\" kann nicht gelesen werden: %2"_s.arg(QDir::toNativeSeparators(path),
                                                                          file.errorString());
        return false;
    }
    setRichText(bytes);
    return true;
}

void TFormHelp::setRichText(const QByteArray &rtf)
{
    RichText::load(rtf, RichEdit->document());
    caretToStart();
}

void TFormHelp::setPlainLines(const QStringList &lines)
{
    RichEdit->document()->setPlainText(lines.join(u'\n'));
    caretToStart();
}

bool TFormHelp::saveToFile(const QString &path, QString *error) const
{
    return TextFile::writeText(path, RichText::write(RichEdit->document()), error,
                               TextFile::Access::Shared);
}

bool TFormHelp::printTo(QPrinter *printer, QString *error) const
{
    // The screen font is sized in pixels, which would shrink to nothing at a
    // printer's resolution; print the same size in points instead.
    std::unique_ptr<QTextDocument> copy(RichEdit->document()->clone());
    QFont font = copy->defaultFont();
    if (font.pixelSize() > 0) {
        font.setPointSizeF(font.pixelSize() * 72.0 / kScreenDpi);
        copy->setDefaultFont(font);
    }
    copy->print(printer);
    if (printer->printerState() == QPrinter::Error) {
        if (error)
            *error = u"Der Text konnte nicht gedruckt werden."_s;
        return false;
    }
    return true;
}

int TFormHelp::exec()
{
    if (execHook)
        return execHook(this);
    return QDialog::exec();
}

void TFormHelp::BtnPrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(printJobName());
    bool confirmed = false;
    if (printDialogHook) {
        confirmed = printDialogHook(&printer);
    } else {
        QPrintDialog dialog(&printer, this);
        confirmed = dialog.exec() == QDialog::Accepted;
    }
    if (!confirmed)
        return;
    QString error;
    if (!printTo(&printer, &error))
        showError(error);
}

void TFormHelp::BtnSaveClick()
{
    QString path;
    if (saveFileNameHook) {
        path = saveFileNameHook();
    } else {
        QFileDialog dialog(this, u"Verzeichnis und Dateiname"_s, QDir::currentPath(),
                           u"Textdatei (*.RTF, *.TXT) (*.txt *.rtf);;Alle Dateien (*.*) (*)"_s);
        dialog.setObjectName(u"SaveDialog"_s);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(u"RTF"_s);
        dialog.selectFile(u"Textanzeige.RTF"_s);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (path.isEmpty())
        return;
    QString error;
    if (!saveToFile(path, &error))
        showError(error);
}

void TFormHelp::showError(const QString &text)
{
    MessageDialog::Error(text, this);
}

bool TFormHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ToolBar && event->type() == QEvent::Resize)
        ToolBarResize();
    return QDialog::eventFilter(watched, event);
}

void TFormHelp::ToolBarResize()
{
    const int width = spacerWidth(ToolBar->width());
    Spacer1->setFixedWidth(width);
    Spacer2->setFixedWidth(width);
}

void TFormHelp::showEvent(QShowEvent *event)
{
    if (!FCentred) {
        FCentred = true;
        if (const QScreen *s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    caretToStart();
    QDialog::showEvent(event);
}

void TFormHelp::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        caretToStart();
    QDialog::changeEvent(event);
}

void TFormHelp::caretToStart()
{
    RichEdit->moveCursor(QTextCursor::Start);
    RichEdit->verticalScrollBar()->setValue(0);
    RichEdit->horizontalScrollBar()->setValue(0);
}
