// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "app/desktopservices.h"

#include <QDialog>

#include <memory>
#include <optional>

class CConvertCtrl;
struct CommandLine;
class CPrefsCtrl;
class CRenumCtrl;
class Preferences;
class QTabBar;
class RunProgress;
class StatusLine;

namespace Ui {
class CMainDlg;
}

// The one main window: a tab strip over the three pages, the status line, "Quit" and "About...".
// Quit and Enter end the program with exit code 1 (Enter on another push button presses that
// one); Escape, the close box and Alt+F4 with 2. Ctrl+Page Down and Ctrl+Tab go to the next
// page, Ctrl+Page Up and Ctrl+Shift+Tab to the previous one. The design grows with the desktop
// font so that every text fits; beyond the screen's room, it scrolls.
// Edits on the preferences page that were not saved are put to the user (Save, Discard, Cancel)
// however the window is asked to end.
// Closing while pictures are converted waits for them (a run is stopped first); during a run
// Escape only stops it. However the window ends, how it was left is written to the state file
// (SessionState) for restoreState() at the next start.
class CMainDlg : public QDialog
{
    Q_OBJECT

public:
    enum Tab
    {
        ConvertTab = 0,
        RenameTab = 1,
        PreferencesTab = 2
    };

    // Loads the preferences file into preferences, then creates the pages, which see the loaded
    // values from their first initialisation. When the convert page finds no usable image
    // library the window ends at once with exit code 1 and is never shown.
    explicit CMainDlg(Preferences &preferences, PageServices services = DesktopServices::make(),
                      QWidget *parent = nullptr);
    ~CMainDlg() override;

    // Brings back the folders, options and page of the last run, as if chosen by the user;
    // before the window is shown, and before anything the command line asks for.
    void restoreState();

    // The source folder asked for on the command line, chosen on the convert page as if picked
    // in its folder dialog, or the warning that the path given does not exist.
    void applyCommandLine(const CommandLine &commandLine);

    // 0 while running; 1 or 2 once the window was ended.
    int exitCode() const { return m_exitCode; }
    // The window's size at the desktop font; where the screen has less room, the window is
    // smaller and its contents scroll.
    QSize designSize() const { return m_designSize; }

    StatusLine &statusLine() { return *m_statusLine; }
    RunProgress &runProgress() { return *m_runProgress; }
    QTabBar &tabStrip();
    CConvertCtrl &convertPage() { return *m_convertPage; }
    CRenumCtrl &renamePage() { return *m_renamePage; }
    CPrefsCtrl &preferencesPage() { return *m_prefsPage; }

public Q_SLOTS:
    void done(int result) override;

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fitScreen();
    void switchPage(int index);
    void stepPage(int step);
    void pageBusyChanged();
    void showAbout();
    void saveState() const;

    Preferences &m_preferences;
    const PageServices m_services;
    std::unique_ptr<Ui::CMainDlg> m_ui;
    StatusLine *m_statusLine = nullptr;   // owned by this window as a child
    RunProgress *m_runProgress = nullptr; // owned by this window as a child
    // Owned by this window as children; deleted first, while what they use is alive.
    CPrefsCtrl *m_prefsPage = nullptr;
    CConvertCtrl *m_convertPage = nullptr;
    CRenumCtrl *m_renamePage = nullptr;
    int m_exitCode = 0;
    QSize m_designSize;
    bool m_started = false;             // the pages are set up: there is a state worth saving
    std::optional<int> m_closeAfterRun; // the result of a close asked for during a run
};
