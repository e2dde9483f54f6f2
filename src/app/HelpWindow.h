// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QTabWidget;

/// The topic pane: shows the pages of a help collection.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    THelpBrowser(QHelpEngine *engine, QWidget *parent);
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHelpEngine *FEngine;
};

/**
 * The help window of one help collection: contents, keyword index and
 * full-text search beside the topic. Topics are found by their help context:
 * the collection's keywords carry the identifier "context-<number>".
 */
class THelpWindow : public QWidget {
    Q_OBJECT

public:
    /// collectionFile must be a prepared, writable collection (see THelpSystem).
    THelpWindow(const QString &collectionFile, QWidget *parent = nullptr);
    ~THelpWindow() override;

    /// The topic of context; an empty URL when the collection has none.
    QUrl TopicOf(int context) const;
    /// Shows the topic of context; false (and the contents) when there is none.
    bool ShowContext(int context);
    void ShowContents();
    /// The keyword index with keyword in its filter field.
    void ShowIndex(const QString &keyword = QString());
    void ShowSearch();
    void ShowUrl(const QUrl &url);
    /// The topic on using this window.
    void ShowHelpOnHelp();

    QHelpEngine *Engine() const { return FEngine; }
    QUrl CurrentUrl() const;

    /// The identifier of a help context in the collections.
    static QString ContextId(int context);

private:
    QHelpEngine *FEngine;
    QTabWidget *FTabs;
    QLineEdit *FIndexFilter;
    THelpBrowser *FBrowser;
    QUrl FHome;
};
