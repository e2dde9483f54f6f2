// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HelpLink.h"

#include <QVariant>
#include <QWidget>

namespace HelpLink {

namespace {
Viewer &viewer()
{
    static Viewer v;
    return v;
}

void show(const QString &helpFile, Request request, int context, QWidget *parent)
{
    // Without a viewer (tests, tools) a help request does nothing.
    if (viewer())
        viewer()(helpFile, request, context, parent);
}
} // namespace

void SetViewer(Viewer v)
{
    viewer() = std::move(v);
}

void ShowContext(int context, QWidget *parent, const QString &helpFile)
{
    show(helpFile, Request::Context, context, parent);
}

void ShowContents(QWidget *parent, const QString &helpFile)
{
    show(helpFile, Request::Contents, 0, parent);
}

void ShowKeywordSearch(QWidget *parent, const QString &helpFile)
{
    show(helpFile, Request::Keyword, 0, parent);
}

void ShowHelpOnHelp(QWidget *parent)
{
    show(ProgramHelp, Request::HelpOnHelp, 0, parent);
}

int ContextOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        bool ok = false;
        const int context = w->property("HelpContext").toInt(&ok);
        if (ok && context != 0)
            return context;
    }
    return 0;
}

} // namespace HelpLink
