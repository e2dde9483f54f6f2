// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QDialog>
#include <array>
#include <functional>

class QPushButton;
class QTabWidget;
class TProgStartPage;
class TPageConnections;
class TPageStartPrograms;
class TPageStartSettings;
class TRASWorkUnit;

/// What the settings dialog needs of the main window.
struct TProgStartHost {
    /// Runs a command of the main window's command table ("NewAdvanced", ...).
    std::function<void(const QString &command)> RunCommand;
    /// Makes name the main window's current connection; false when its list does not hold it.
    std::function<bool(const QString &name)> SelectConnection;
    /// The main window's ActionEnriesChanged: reloads the connection module and
    /// hands it the current connection.
    std::function<void()> EntriesChanged;
    /// Reloads the start program list and rebuilds the main window's choice of it.
    std::function<void()> LoadStartPrograms;
    /// Starts a file, asking whether to go online first.
    std::function<void(const QString &path)> OpenFavorite;
    /// Opens the local copy of a web site; false when there is none.
    std::function<bool(const QString &address)> OpenLocalCopy;
};

/**
 * The settings dialog "Einstellungsoptionen": a toolbar, five pages and one
 * change tracking for all of them, the enabled state of "Übernehmen". The
 * controls are filled once, when the dialog opens; pending changes stay until
 * they are taken over or the user cancels.
 */
class TFormProgStart : public QDialog {
    Q_OBJECT

public:
    enum Page { PageStartSettings, PageStartPrograms, PageConnections, PageFavorites, PageServerProfile, PageCount };

    TFormProgStart(TRASWorkUnit *engine, TProgStartHost host, QWidget *parent = nullptr);
    ~TFormProgStart() override;

    /// Set before the dialog is shown: 1, 2 or 3 open that page, anything else page 0.
    int StartPage = 0;
    static int StartPageIndex(int startPage);

    TRASWorkUnit *Engine() const { return FEngine; }
    const TProgStartHost &Host() const { return FHost; }
    TProgStartPage *Page(int index) const { return FPages.at(size_t(index)); }
    void ShowPage(int index);

    /// True while the controls are being filled; change handlers then do nothing.
    bool Loading() const { return FLoading; }
    /// A setting was changed: enables "Übernehmen".
    void MarkChanged();
    /// The start program list was changed: enables "Übernehmen", which stores it.
    void MarkStartProgramsChanged();
    /// The start program list has no pending change any more ("&Einfügen" stored it);
    /// "Übernehmen" stays enabled only for other changes.
    void StartProgramsStored();
    bool Changed() const;

    /// The main window's current connection and its position in the connection list.
    QString CurrentConnectionName() const;
    int CurrentConnectionIndex() const;

    /**
     * Stores everything ("Übernehmen"). Returns false, with the reason shown,
     * when something the user changed could not be stored; "Übernehmen" then
     * stays enabled and nothing of the pending change is lost.
     */
    bool TakeOver();
    /// "&OK": asks "Änderungen übernehmen und sichern?" when something changed
    /// and closes; false when the take-over failed and the dialog stays open.
    bool CloseDialog();
    /// "&Abbruch": closes without the question and without storing.
    void CancelDialog();

    /// Asks, then enters or removes the program's autostart.
    void UpdateAutostartEntry(bool on);

public slots:
    /// The close box and Escape close like "&OK".
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FillControls();
    void BtnHelpClick();
    void PageChanged(int index);
    bool ConfirmClose();
    void RestoreUnsaved();

    TRASWorkUnit *FEngine;
    TProgStartHost FHost;
    QTabWidget *PageControl = nullptr;
    QPushButton *BtnSaveTake = nullptr;
    std::array<TProgStartPage *, PageCount> FPages {};
    TPageStartSettings *FStartSettings = nullptr;
    TPageStartPrograms *FStartPrograms = nullptr;
    TPageConnections *FConnections = nullptr;
    bool FLoading = true;
    bool FFilled = false;
    bool FSettingsChanged = false;
    bool FAutoStartAtActivation = false;
    int FRemaindTimeAtActivation = 0;
    int FShownPage = 0;
};
