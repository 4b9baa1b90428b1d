#pragma once

#include <QWidget>

class Preferences;
class StatusLine;

// The " 1 - Convert " page.
class CConvertCtrl : public QWidget
{
    Q_OBJECT

public:
    CConvertCtrl(Preferences &preferences, StatusLine &statusLine, QWidget *parent = nullptr);

    // What the rename page takes over when its tab is chosen.
    QString destinationFolder() const;
    int outputFormatIndex() const;

    void redrawPreview();
    // Releases the preview picture; called at shut-down.
    void clearPreview();

private:
    Preferences &m_preferences;
    StatusLine &m_statusLine;
};
