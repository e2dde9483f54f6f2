// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HelpWindow.h"

#include "Shell.h"

#include <QAction>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

THelpBrowser::THelpBrowser(QHelpEngine *engine, QWidget *parent)
    : QTextBrowser(parent)
    , FEngine(engine)
{
    setObjectName(u"HelpBrowser"_s);
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() == u"qthelp"_s || url.isRelative())
            setSource(url);
        else
            Shell::instance().open(url.toString()); // web pages go to the browser
    });
}

QVariant THelpBrowser::loadResource(int type, const QUrl &name)
{
    // Style sheets and pictures come relative to the page.
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() == u"qthelp"_s)
        return FEngine->fileData(url);
    return QTextBrowser::loadResource(type, name);
}

THelpWindow::THelpWindow(const QString &collectionFile, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , FEngine(new QHelpEngine(collectionFile, this))
    , FTabs(new QTabWidget(this))
    , FIndexFilter(new QLineEdit(this))
    , FBrowser(new THelpBrowser(FEngine, this))
{
    setObjectName(u"HelpWindow"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(860, 580);

    FEngine->setUsesFilterEngine(true);
    // The search engine indexes once the collection is set up, so it exists first.
    QHelpSearchEngine *search = FEngine->searchEngine();
    FEngine->setupData();
    FEngine->contentModel()->createContents(QString());
    FEngine->indexModel()->createIndex(QString());

    QHelpContentWidget *contents = FEngine->contentWidget();
    contents->setObjectName(u"HelpContents"_s);
    contents->setParent(this);
    connect(contents, &QHelpContentWidget::linkActivated, this, &THelpWindow::ShowUrl);
    // The contents arrive after the window opens: show them open at the current page.
    connect(FEngine->contentModel(), &QHelpContentModel::contentsCreated, this, [this, contents] {
        contents->expandToDepth(0);
        const QModelIndex item = contents->indexOf(FBrowser->source());
        if (item.isValid())
            contents->setCurrentIndex(item);
    });

    auto *indexPage = new QWidget(this);
    indexPage->setObjectName(u"HelpIndexPage"_s);
    auto *indexLabel = new QLabel(u"&Suchbegriff:"_s, indexPage);
    FIndexFilter->setObjectName(u"HelpIndexFilter"_s);
    FIndexFilter->setClearButtonEnabled(true);
    indexLabel->setBuddy(FIndexFilter);
    QHelpIndexWidget *index = FEngine->indexWidget();
    index->setObjectName(u"HelpIndex"_s);
    connect(FIndexFilter, &QLineEdit::textChanged, index, [index](const QString &text) { index->filterIndices(text); });
    connect(FIndexFilter, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
        [this](const QHelpLink &document, const QString &) { ShowUrl(document.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
        [this, index](const QList<QHelpLink> &documents, const QString &) {
            // One keyword in several topics: the user picks one.
            QMenu choice(this);
            for (const QHelpLink &document : documents)
                choice.addAction(document.title)->setData(document.url);
            if (QAction *chosen
                = choice.exec(index->mapToGlobal(index->visualRect(index->currentIndex()).bottomLeft())))
                ShowUrl(chosen->data().toUrl());
        });
    auto *indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(indexLabel);
    indexLayout->addWidget(FIndexFilter);
    indexLayout->addWidget(index, 1);

    auto *searchPage = new QWidget(this);
    searchPage->setObjectName(u"HelpSearchPage"_s);
    QHelpSearchQueryWidget *query = search->queryWidget();
    query->setObjectName(u"HelpSearchQuery"_s);
    QHelpSearchResultWidget *results = search->resultWidget();
    results->setObjectName(u"HelpSearchResults"_s);
    connect(query, &QHelpSearchQueryWidget::search, search, [search, query] { search->search(query->searchInput()); });
    connect(results, &QHelpSearchResultWidget::requestShowLink, this, &THelpWindow::ShowUrl);
    auto *searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(query);
    searchLayout->addWidget(results, 1);

    FTabs->setObjectName(u"HelpTabs"_s);
    FTabs->addTab(contents, u"&Inhalt"_s);
    FTabs->addTab(indexPage, u"I&ndex"_s);
    FTabs->addTab(searchPage, u"S&uche"_s);

    auto *bar = new QToolBar(this);
    bar->setObjectName(u"HelpToolBar"_s);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction *back
        = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), u"&Zurück"_s, FBrowser, &QTextBrowser::backward);
    back->setObjectName(u"ActHelpBack"_s);
    back->setEnabled(false);
    QAction *forward
        = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), u"&Vor"_s, FBrowser, &QTextBrowser::forward);
    forward->setObjectName(u"ActHelpForward"_s);
    forward->setEnabled(false);
    bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), u"&Startseite"_s, this, &THelpWindow::ShowContents)
        ->setObjectName(u"ActHelpHome"_s);
    auto *gap = new QWidget(bar);
    gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(gap);
    bar->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), u"S&chließen"_s, this, &QWidget::close)
        ->setObjectName(u"ActHelpClose"_s);
    connect(FBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::sourceChanged, this, [this] {
        const QString topic = FBrowser->documentTitle();
        setWindowTitle(topic.isEmpty() ? u"Hilfe"_s : u"Hilfe: "_s + topic);
    });

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addWidget(bar);
    rightLayout->addWidget(FBrowser, 1);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(FTabs);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 250, 610 });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    const QList<QHelpLink> home = FEngine->documentsForIdentifier(u"contents"_s);
    if (!home.isEmpty())
        FHome = home.first().url;
}

THelpWindow::~THelpWindow()
{
    // The engine stops its work while the widgets it busies still exist;
    // they are this window's children and go after it.
    delete FEngine;
}

QString THelpWindow::ContextId(int context)
{
    return u"context-%1"_s.arg(context);
}

QUrl THelpWindow::TopicOf(int context) const
{
    const QList<QHelpLink> topics = FEngine->documentsForIdentifier(ContextId(context));
    return topics.isEmpty() ? QUrl() : topics.first().url;
}

bool THelpWindow::ShowContext(int context)
{
    const QUrl topic = TopicOf(context);
    if (topic.isEmpty()) {
        ShowContents();
        return false;
    }
    FTabs->setCurrentIndex(0);
    ShowUrl(topic);
    return true;
}

void THelpWindow::ShowContents()
{
    FTabs->setCurrentIndex(0);
    if (FHome.isValid())
        ShowUrl(FHome);
}

void THelpWindow::ShowIndex(const QString &keyword)
{
    FTabs->setCurrentIndex(1);
    FIndexFilter->setText(keyword);
    FIndexFilter->setFocus();
    if (!FBrowser->source().isValid())
        ShowUrl(FHome);
}

void THelpWindow::ShowSearch()
{
    FTabs->setCurrentIndex(2);
    FEngine->searchEngine()->queryWidget()->setFocus();
}

void THelpWindow::ShowHelpOnHelp()
{
    const QList<QHelpLink> topics = FEngine->documentsForIdentifier(u"help-on-help"_s);
    if (topics.isEmpty())
        ShowContents();
    else
        ShowUrl(topics.first().url);
}

void THelpWindow::ShowUrl(const QUrl &url)
{
    if (!url.isValid())
        return;
    FBrowser->setSource(url);
    // The contents follow the page where they hold it.
    if (QHelpContentWidget *contents = FEngine->contentWidget()) {
        const QModelIndex item = contents->indexOf(url);
        if (item.isValid())
            contents->setCurrentIndex(item);
    }
}

QUrl THelpWindow::CurrentUrl() const
{
    return FBrowser->source();
}
