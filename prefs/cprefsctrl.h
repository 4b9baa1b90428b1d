#pragma once

#include <QWidget>

class Preferences;
class StatusLine;

// The " Preferences " page.
class CPrefsCtrl : public QWidget
{
    Q_OBJECT

public:
    CPrefsCtrl(Preferences &preferences, StatusLine &statusLine, QWidget *parent = nullptr);

    // Shows the saved preferences, dropping edits that were not saved.
    void fill();

private:
    Preferences &m_preferences;
    StatusLine &m_statusLine;
};
