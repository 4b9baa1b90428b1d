// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class Preferences;
class RenameListModel;
class RenameSession;
class StatusLine;
struct PageServices;

namespace Ui {
class CRenumCtrl;
}

// The " 2 - Rename/Renumber " page: lists one folder, numbers its files in the order the user
// sets by dragging, and renames them. A view over a RenameSession, which holds what it shows and
// decides what happens.
class CRenumCtrl : public QWidget
{
    Q_OBJECT

public:
    CRenumCtrl(Preferences &preferences, StatusLine &statusLine, const PageServices &services,
               QWidget *parent = nullptr);
    ~CRenumCtrl() override;

    // The convert page's destination folder and output format (0 JPEG to 3 WEBP), handed over
    // when this page's tab is chosen. An empty folder gives the user the page's own folder
    // choice.
    void takeOverFolder(const QString &folder, int outputFormatIndex);
    // Forgets the listing when the user goes back to the convert page.
    void clearListing();
    // Asks the user, through the services, what to do with each renumber that never ended (the
    // program died in its middle): finish it, undo the part done, or leave it for later. Once,
    // after the window is shown.
    void recoverInterrupted();

    QString folder() const;
    QString filter() const;
    RenameListModel &rows();
    // A renumber or an undo is under way: the page takes no input until it ends.
    bool isBusy() const;

Q_SIGNALS:
    void busyChanged(bool busy);

private:
    void connectSession();
    void chooseFolder();
    // A folder of the user's own choice, from the folder dialog or dropped on the page.
    void listOwnFolder(const QString &folder);
    void showOwnFolderControls(bool shown);
    void showDigits(int minimum, int digits);
    void setBusy(bool busy);
    void closeToInput();
    // The selected file's preview, asked once the list has drawn the new selection.
    void requestPreview();
    // For a file that is no picture.
    void showFileIcon(const QString &path);
    void showFileSize();

    Preferences &m_preferences;
    StatusLine &m_statusLine;
    const PageServices &m_services;
    std::unique_ptr<Ui::CRenumCtrl> m_ui;
    std::unique_ptr<RenameSession> m_session;
    bool m_previewPending = false;
    QTimer m_closeToInput;
    QPointer<QWidget> m_focusBeforeBusy;
};
