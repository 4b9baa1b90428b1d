// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/conversionoptions.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class ConvertListModel;
class ConvertSession;
class Preferences;
class RunProgress;
class StatusLine;
struct PageServices;
struct SessionState;

namespace Ui {
class CConvertCtrl;
}

// The " 1 - Convert " page: a view over its ConvertSession. It hands the session the user's
// actions and the control values, and shows what the session tells: the folders, the list with
// its conflict marks, the preview, the status line and a conversion's progress. While pictures
// are being converted the page takes no input.
class CConvertCtrl : public QWidget
{
    Q_OBJECT

public:
    CConvertCtrl(Preferences &preferences, StatusLine &statusLine, RunProgress &runProgress,
                 const PageServices &services, QWidget *parent = nullptr);
    ~CConvertCtrl() override;

    // Page start. Returns false when the image library cannot be used: the user has been told,
    // and the program must end.
    bool initialise();

    QString sourceFolder() const;
    // What the rename page takes over when its tab is chosen.
    QString destinationFolder() const;
    int outputFormatIndex() const;

    // The folders and options as the user left them, each through the way a choice of the
    // user's own takes (a folder is scanned as if picked); a value not set leaves its control.
    void restoreState(const SessionState &state);
    void recordState(SessionState &state) const;

    // Draws the preview picture again (tab switch, window restored).
    void redrawPreview();
    // Releases the preview picture; called at shut-down.
    void clearPreview();

    // The options as the controls stand now.
    ConversionOptions options() const;
    ConvertSession &session() { return *m_session; }
    ConvertListModel &listModel();
    int placeholderAngle() const;
    // Pictures are being converted: the page takes no input until busyChanged(false).
    bool isBusy() const { return m_busy; }

    // The word shown beside the JPEG quality for a percentage.
    static QString qualityWord(int percent);

Q_SIGNALS:
    void busyChanged(bool busy);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Handlers of the controls.
    void chooseSourceFolder();
    void chooseDestinationFolder();
    void viewLogFile();
    void openDestinationFolder();
    // Opens path with the desktop's application for it; when there is none, failureText (with
    // the path) says so.
    void openOrSay(const QString &path, int failureText);
    void outputFormatChanged(int index);
    void applyResizeRule();
    void qualityChanged(int position);
    void rawBrightnessChanged(int position);
    void sliderSettled();
    void requestPreview();
    void runDeferredPreview();
    void openSelectedSource();
    void deleteRow(int row);
    // Hands the session the control values; first of every control's handlers.
    void syncOptions();
    void connectSession();
    void setBusy(bool busy);

    Preferences &m_preferences;
    StatusLine &m_statusLine;
    RunProgress &m_runProgress;
    const PageServices &m_services;
    std::unique_ptr<Ui::CConvertCtrl> m_ui;
    std::unique_ptr<ConvertSession> m_session;
    bool m_busy = false;
    bool m_previewPending = false;
    QPointer<QWidget> m_focusBeforeBusy;
};
