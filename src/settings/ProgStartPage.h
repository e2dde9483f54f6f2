// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QWidget>

class TFormProgStart;

/**
 * One page of the settings dialog. The dialog keeps the pages' order, names
 * and help contexts and calls these hooks; a page builds its own controls,
 * which share the dialog's change tracking ("Übernehmen").
 */
class TProgStartPage : public QWidget {
    Q_OBJECT

public:
    TProgStartPage(TFormProgStart *dialog, const QString &name, int helpContext);

    /// Fills the controls from the stored values; runs once, when the dialog
    /// opens, with the dialog's loading flag set.
    virtual void FillControls() { }
    /// The page has become the visible one.
    virtual void PageShown() { }
    /// The user leaves the page; false brings it back.
    virtual bool PageLeaving() { return true; }

protected:
    TFormProgStart *Dialog;
};
