// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HelpSystem.h"

#include "HelpWindow.h"
#include "MessageDialog.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

QString &helpFolderOverride()
{
    static QString folder;
    return folder;
}

THelpSystem *&installed()
{
    static THelpSystem *system = nullptr;
    return system;
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

/// The users' copies of the collections: below RUFWERK_HOME when set, else in the cache.
QString cacheRoot()
{
    const QString home = qEnvironmentVariable("RUFWERK_HOME");
    if (!home.isEmpty())
        return withSlash(home) + u"cache/help"_s;
    QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty())
        cache = QDir::homePath() + u"/.cache/Rufwerk"_s;
    return cache + u"/help"_s;
}

/// Changes with the help file, so an updated program gets a fresh copy.
QString stampOf(const QFileInfo &file)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(file.canonicalFilePath().toUtf8());
    hash.addData(QByteArray::number(file.size()));
    hash.addData(QByteArray::number(file.lastModified().toMSecsSinceEpoch()));
    return QString::fromLatin1(hash.result().toHex().left(12));
}

} // namespace

THelpSystem::THelpSystem(QObject *parent)
    : QObject(parent)
{
    setObjectName(u"HelpSystem"_s);
}

THelpSystem::~THelpSystem()
{
    if (installed() == this) {
        HelpLink::SetViewer({});
        installed() = nullptr;
    }
    if (qApp)
        qApp->removeEventFilter(this);
    CloseAll();
}

void THelpSystem::Install()
{
    installed() = this;
    HelpLink::SetViewer([this](const QString &helpFile, HelpLink::Request request, int context, QWidget *parent) {
        Show(helpFile, request, context, parent);
    });
    qApp->installEventFilter(this);
    // The search pane's own texts in German.
    auto *translator = new QTranslator(this);
    if (translator->load(
            QLocale(QLocale::German), u"qt_help"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

QString THelpSystem::HelpFolder()
{
    if (!helpFolderOverride().isEmpty())
        return helpFolderOverride();
    return withSlash(QCoreApplication::applicationDirPath());
}

void THelpSystem::SetHelpFolder(const QString &folder)
{
    helpFolderOverride() = folder.isEmpty() ? QString() : withSlash(folder);
}

QString THelpSystem::PrepareCollection(const QString &helpFile, QString *error)
{
    const QString folder = HelpFolder();
    const QFileInfo qch(folder + helpFile + u".qch"_s);
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return QString();
    };
    if (!qch.isFile())
        return fail(u"Die Hilfedatei wurde nicht gefunden:\r%1\rDie Hilfe kann nicht angezeigt werden."_s.arg(
            QDir::toNativeSeparators(qch.absoluteFilePath())));
    const QString unreadable
        = u"Die Hilfedatei kann nicht gelesen werden:\r%1"_s.arg(QDir::toNativeSeparators(qch.absoluteFilePath()));
    const QString ns = QHelpEngineCore::namespaceName(qch.absoluteFilePath());
    if (ns.isEmpty())
        return fail(unreadable);

    const QString root = cacheRoot();
    const QString copyName = helpFile + u'-' + stampOf(qch);
    const QString collection = root + u'/' + copyName + u'/' + helpFile + u".qhc"_s;
    if (QFileInfo::exists(collection))
        return collection;

    // Copies of earlier versions of this help go.
    QDir rootDir(root);
    for (const QString &old : rootDir.entryList({ helpFile + u"-*"_s }, QDir::Dirs | QDir::NoDotAndDotDot))
        QDir(rootDir.filePath(old)).removeRecursively();
    if (!QDir().mkpath(root + u'/' + copyName))
        return fail(u"Der Ordner für die Hilfe kann nicht angelegt werden:\r%1"_s.arg(QDir::toNativeSeparators(root)));

    const QString shipped = folder + helpFile + u".qhc"_s;
    if (QFileInfo::exists(shipped)) {
        QHelpEngineCore source(shipped);
        source.setReadOnly(true);
        if (source.setupData())
            source.copyCollectionFile(collection);
    }
    QHelpEngineCore target(collection);
    target.setReadOnly(false);
    if (!target.setupData()) {
        QFile::remove(collection);
        return fail(unreadable + u"\r"_s + target.error());
    }
    const QString registered = target.documentationFileName(ns);
    if (registered.isEmpty() || QFileInfo(registered).canonicalFilePath() != qch.canonicalFilePath()) {
        if (!registered.isEmpty())
            target.unregisterDocumentation(ns);
        if (!target.registerDocumentation(qch.absoluteFilePath())) {
            const QString why = target.error();
            QFile::remove(collection);
            return fail(unreadable + u"\r"_s + why);
        }
    }
    return collection;
}

THelpWindow *THelpSystem::Window(const QString &helpFile) const
{
    return FWindows.value(helpFile);
}

THelpWindow *THelpSystem::windowFor(const QString &helpFile, QString *error)
{
    // A modal dialog blocks every window but its own: the help window joins it.
    QWidget *owner = QApplication::activeModalWidget();
    QPointer<THelpWindow> &window = FWindows[helpFile];
    if (window && owner && window->parentWidget() != owner) {
        const QRect place = window->geometry();
        window->setParent(owner, Qt::Window);
        window->setGeometry(place);
    }
    if (!window) {
        const QString collection = PrepareCollection(helpFile, error);
        if (collection.isEmpty())
            return nullptr;
        window = new THelpWindow(collection, owner);
        window->setWindowTitle(helpFile == HelpLink::ProgramHelp ? u"Rufwerk-Hilfe"_s : u"Listendrucker-Hilfe"_s);
        if (const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
            window->move(screen->availableGeometry().center() - window->rect().center());
    }
    return window;
}

void THelpSystem::Show(const QString &helpFile, HelpLink::Request request, int context, QWidget *parent)
{
    QString error;
    THelpWindow *window = windowFor(helpFile, &error);
    if (!window) {
        MessageDialog::Error(error, parent);
        return;
    }
    switch (request) {
    case HelpLink::Request::Context:
        window->ShowContext(context);
        break;
    case HelpLink::Request::Contents:
        window->ShowContents();
        break;
    case HelpLink::Request::Keyword:
        window->ShowIndex();
        break;
    case HelpLink::Request::HelpOnHelp:
        window->ShowHelpOnHelp();
        break;
    }
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

void THelpSystem::CloseAll()
{
    for (const QPointer<THelpWindow> &window : std::as_const(FWindows))
        delete window.data();
    FWindows.clear();
}

QString THelpSystem::HelpFileOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QString file = w->property("HelpFile").toString();
        if (!file.isEmpty())
            return file;
    }
    return HelpLink::ProgramHelp;
}

bool THelpSystem::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    if (auto *help = qobject_cast<THelpWindow *>(widget->window())) {
        help->ShowHelpOnHelp();
        return true;
    }
    // The focused control speaks for its window; its parents lend it their context.
    QWidget *focus = QApplication::focusWidget();
    const QWidget *target = focus && focus->window() == widget->window() ? focus : widget;
    const int context = HelpLink::ContextOf(target);
    const QString file = HelpFileOf(target);
    if (context != 0)
        HelpLink::ShowContext(context, widget->window(), file);
    else
        HelpLink::ShowContents(widget->window(), file);
    return true;
}
