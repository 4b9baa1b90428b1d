#pragma once

#include <QDialog>

class Preferences;

// The one main window: a tab strip over the three pages, the status line, Quit and About.
class CMainDlg : public QDialog
{
    Q_OBJECT

public:
    // Loads the preferences file into preferences before any page is created.
    explicit CMainDlg(Preferences &preferences, QWidget *parent = nullptr);

private:
    Preferences &m_preferences;
};
