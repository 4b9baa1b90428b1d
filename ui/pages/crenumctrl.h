// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "rename/renamejournal.h"
#include "rename/renamelistmodel.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class Preferences;
class StatusLine;
struct PageServices;

namespace Ui {
class CRenumCtrl;
}

// The " 2 - Rename/Renumber " page: lists one folder, numbers its files in the order the user
// sets by dragging, and renames them.
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

    QString folder() const { return m_folder; }
    QString filter() const { return m_filter; }
    RenameListModel &rows() { return m_rows; }

private:
    void chooseFolder();
    // A folder of the user's own choice, from the folder dialog or dropped on the page.
    void listOwnFolder(const QString &folder);
    void showOwnFolderControls(bool shown);
    void scan();
    void refreshNewNames(int digitCount);
    void startNumberChanged();
    void renumber();
    void undo();
    // Undo is offered while the listed folder's last renumber can be taken back.
    void refreshUndo();
    // The outcome of an undo or a finish in the status line, and the files left alone also in a
    // message.
    void report(const QString &done, const RenameJournal::Outcome &outcome);
    // Asks for the selected file's preview; it is drawn when it comes, unless the selection or
    // the listing changed meanwhile.
    void showPreview();
    // For a file that is no picture.
    void showFileIcon(const QString &path);
    void showFileSize();
    // Asks when the listed pictures were taken; the date column fills in as answers come, and a
    // list sorted by date is sorted again.
    void requestDates();
    void takeDates(int first, const QList<TakenDate> &dates);
    void resortByDate();
    bool waitingForDates() const;
    void announceSort();
    void requestPreview();
    int startNumber() const;

    Preferences &m_preferences;
    StatusLine &m_statusLine;
    const PageServices &m_services;
    std::unique_ptr<Ui::CRenumCtrl> m_ui;
    RenameListModel m_rows;
    QString m_folder;
    QString m_filter;
    bool m_previewPending = false;
    quint64 m_previewRequest = 0; // the preview awaited; results of earlier ones are dropped
    quint64 m_datesRequest = 0;   // likewise for the dates of the listing
    bool m_resortDue = false;     // dates came that move rows of a list sorted by date
    QTimer m_resortTimer;
};
