#pragma once

#include <QWidget>

class Preferences;
class StatusLine;

// The " 2 - Rename/Renumber " page.
class CRenumCtrl : public QWidget
{
    Q_OBJECT

public:
    CRenumCtrl(Preferences &preferences, StatusLine &statusLine, QWidget *parent = nullptr);

    // The convert page's destination folder and output format, handed over when this page's tab
    // is chosen. An empty folder gives the user the page's own folder choice.
    void takeOverFolder(const QString &folder, int outputFormatIndex);
    // Forgets the listing when the user goes back to the convert page.
    void clearListing();

private:
    Preferences &m_preferences;
    StatusLine &m_statusLine;
};
