// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/convertpreview.h"
#include "rename/numberingsettings.h"
#include "rename/renamejournal.h"
#include "rename/renamelistmodel.h"
#include "rename/takendate.h"
#include "util/waitcursor.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class Preferences;

// What the rename page does, without a widget: the listing of one folder, the numbering inputs
// and the new names they give, the dates taken, the preview of the selected file, renumbering and
// its undo. A view hands it the user's actions and shows what the signals tell, in the order they
// come. It lives on the window's thread; renumbers, undos and recoveries run on a thread of their
// own, since a disk may take long to answer, and end with finished().
class RenameSession : public QObject
{
    Q_OBJECT

public:
    using PreviewDone = ConvertPreview::Done;
    using PreviewService = ConvertPreview::Service;
    // Reads when the pictures were taken and hands the dates to done in batches: dates[i] is that
    // of names[first + i]. Every name comes back once. A newer call abandons an earlier one.
    using DatesDone = std::function<void(int first, const QList<TakenDate> &dates)>;
    using DatesService =
        std::function<void(const QString &folder, const QStringList &names, DatesDone done)>;
    // Asks the user a question with the choices given and returns the index of the one chosen.
    using Ask = std::function<int(const QString &text, const QStringList &choices)>;

    // preview and dates: in this process when empty, which only tests do for dates (metadata is
    // hostile input).
    RenameSession(const Preferences &preferences, PreviewService preview, DatesService dates,
                  QObject *parent = nullptr);

    QString folder() const { return m_folder; }
    QString filter() const { return m_filter; }
    RenameListModel &list() { return m_list; }
    const RenameListModel &list() const { return m_list; }
    bool renumberEnabled() const { return m_renumberEnabled; }
    bool undoEnabled() const { return m_undoEnabled; }
    // Whether a renumber, an undo or a recovery is under way. The rows, their order and their new
    // names stay as they are meanwhile: the calls that would change them, and another renumber or
    // undo, do nothing then; the numbering inputs are kept for later.
    bool isBusy() const { return m_waitCursor.has_value(); }
    // The size of the file of a row as the page shows it ("1.50 Kb"); empty for anything but a
    // regular file that holds bytes.
    QString fileSizeText(int row) const;

    // The convert page's destination folder and output format (0 JPEG to 3 WEBP), listed with
    // that format's filter. An empty folder lists nothing: the page's own choice follows.
    void takeOverFolder(const QString &folder, int outputFormatIndex);
    // A folder of the user's own choice, with the page's filter.
    void listFolder(const QString &folder, const QString &filter);
    // Forgets the listing; answers still on their way are dropped.
    void clearListing();

    // The numbering inputs, as the user changes them. The start number is the edit's text.
    void setBaseName(const QString &baseName);
    void setStartText(const QString &text);
    void setDigitCount(int digits);

    // The order of the rows: a sort by the name or date column (ascending first, then
    // descending), a row moved by the keyboard (returns where it went, -1 when it could not move),
    // a drag (begun, each step, dropped) and a row taken out.
    void sortBy(int column);
    int moveRowBy(int row, int step);
    void beginDrag();
    void dragRow(int from, int to);
    void drop();
    void removeRow(int row);

    // Both return at once.
    void renumber();
    void undo();
    // Asks, through ask, what to do with each renumber that never ended (the program died in its
    // middle): finish it, undo the part done, or leave it for later. Returns at once; busy while
    // the disks are looked at and the answers carried out, and ends with finished().
    void recoverInterrupted(Ask ask);

    // The preview of a row (-1: none) in a frame of that size, asked now; shown when it comes,
    // unless another was asked or the listing changed meanwhile.
    void loadPreview(int row, QSize frame);

Q_SIGNALS:
    // A status-line text; an empty one that is no error clears the line.
    void statusShown(const QString &text, bool error);
    // The line shows the outcome of a piece of work: a reader is to hear it.
    void statusSpoken();
    // A message that needs the user's attention.
    void messageShown(const QString &text);
    void beep();
    void busyChanged(bool busy);
    // The last word of every renumber(), undo() and recoverInterrupted() that started, after the
    // listing is renewed.
    void finished();
    void countChanged(int count);
    // The rows were listed again: columns fitted, nothing selected.
    void listed();
    // The digits control: its least value and its value.
    void digitsShown(int minimum, int digits);
    // The base name the inputs hold now (cleared after a renumber).
    void baseNameShown(const QString &baseName);
    void renumberEnabledChanged(bool enabled);
    void undoEnabledChanged(bool enabled);
    void rowBroughtIntoView(int row);
    // The preview: blank while it comes, then a picture or the file's own icon for a file that is
    // no picture.
    void frameBlanked();
    void pictureShown(const QImage &picture);
    void fileIconShown(const QString &path);

private:
    struct RenumberRun;
    struct UndoRun;
    // A renumber that never ended, and where its files stand.
    struct Recovery
    {
        RenameJournal journal;
        RenameJournal::Survey survey;
    };
    // Asks about the first of m_recoveries and carries out the answer, then goes on to the next.
    void recoverNext();
    void renumbered(const RenumberRun &run);
    void undone(const UndoRun &run);
    void setBusy(bool busy);
    void scan();
    void computeNewNames();
    void refreshNewNames();
    void setRenumberEnabled(bool enabled);
    void refreshUndo();
    void report(const QString &done, const RenameJournal::Outcome &outcome);
    void showStatus(const QString &text, bool error);
    void showOutcome(const QString &text);
    void requestDates();
    void takeDates(int first, const QList<TakenDate> &dates);
    void resortByDate();
    bool sortedByDate() const;
    // Numbering in shooting order before every date is known would number in another order.
    bool waitingForDates() const { return m_list.datesPending() > 0 && sortedByDate(); }
    void announceSort();
    int startNumber() const;

    const Preferences &m_preferences;
    PreviewService m_preview;
    DatesService m_dates;
    RenameListModel m_list;
    QString m_folder;
    QString m_filter;
    // The inputs as the user left them, and the settings of the last computation.
    QString m_baseName;
    QString m_startText;
    int m_digits = 1;
    NumberingSettings m_settings;
    bool m_renumberEnabled = false;
    bool m_undoEnabled = false;
    std::optional<WaitCursor> m_waitCursor; // while busy
    QList<Recovery> m_recoveries;           // interrupted renumbers not asked about yet
    Ask m_ask;
    quint64 m_previewRequest = 0; // the preview awaited; results of earlier ones are dropped
    quint64 m_datesRequest = 0;   // likewise for the dates of the listing
    bool m_resortDue = false;     // dates came that move rows of a list sorted by date
    QTimer m_resortTimer;
};
