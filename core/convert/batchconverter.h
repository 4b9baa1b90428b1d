// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "util/waitcursor.h"
#include "imaging/conversionoptions.h"
#include "imaging/imagepipeline.h"
#include "util/fileresult.h"
#include "workers/conversionrunner.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

class ConvertListModel;

// "Convert image" and "Convert all" over the convert list: the checks around each picture,
// which lines are skipped, the run's log and what the window shows meanwhile, told through the
// signals in the order the user sees it. The pictures themselves are converted by a
// ConversionRunner, as many at once as it takes; the log keeps the list order whatever order
// they finish in. Both calls return at once and end with finished(), exactly once; a call made
// while a conversion goes on is ignored. The list must not change meanwhile.
// What touches the destination's disk from this side (whether the folders are one, the
// clean-up, the log) runs on threads of its own: a share that stops answering never
// holds the window, and a stop ends the conversion within a second even then.
class BatchConverter : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;
    // Work for the end of a conversion, after the log: it runs on a thread of its own (so it
    // must own what it uses) and returns what the window thread then applies, before finished().
    using AfterRun = std::function<std::function<void()>()>;
    // How long the disk may take to answer after a stop, in milliseconds.
    static constexpr int DiskAnswerAfterStopMs = 750;

    // The list and the runner must outlive the converter.
    BatchConverter(ConvertListModel &list, ConversionRunner &runner,
                   Clock clock = &QDateTime::currentDateTime, QObject *parent = nullptr);
    // Conversions still in flight are let go: their ends are never seen.
    ~BatchConverter() override;

    // The "Convert image" button: refuses a collision line, converts the row (-1: none) and
    // shows the outcome.
    void convertImage(int selectedRow, const ConversionOptions &options, AfterRun afterRun = {});
    // The "Convert all" button; finished() gives the end text shown (empty when the list was
    // empty) once every picture started is done or stopped.
    void convertAll(const ConversionOptions &options, AfterRun afterRun = {});
    // Stops a conversion: no further picture starts, and the runner ends those still in flight
    // after the grace; the run then ends at once. A disk that does not answer is waited for
    // DiskAnswerAfterStopMs at most.
    void requestStop();
    // How long the pictures in flight may take to finish after a stop; 2 s unless set.
    void setStopGrace(int milliseconds) { m_stopGraceMs = milliseconds; }

    // A conversion of one picture or of all goes on.
    bool isBusy() const { return m_kind != Kind::None; }
    bool isConvertingAll() const { return m_kind == Kind::All; }

Q_SIGNALS:
    // Select the row alone with the focus and draw it at once: the picture being converted.
    void currentRowShown(int row);
    // A status-line text with its LineStatus kind.
    void statusShown(const QString &text, int kind);
    void viewLogEnabled(bool enabled);
    // A failed conversion empties the picture in the preview.
    void workingImageCleared();
    void placeholderWanted();
    void beep();
    void allDeselected();
    // A "Convert all" run shows its progress between these two.
    void runStarted(int total);
    void progressChanged(int done, int total);
    void runEnded();
    // Pictures are being converted: from here until finished().
    void busy();
    // The last word of every convertImage() and convertAll(), once all is shown.
    void finished(const QString &endText);

private:
    enum class Kind
    {
        None,
        Image,
        All
    };
    // What the destination's disk told before the pictures start.
    struct StartCheck
    {
        bool foldersAreOne = false;
    };
    struct EndWork
    {
        FileResult log;
        std::function<void()> apply;
    };

    void begin(const ConversionOptions &options, AfterRun afterRun);
    // The disk's part of the start, then started() on the window thread.
    void checkDestination();
    void started(const StartCheck &check);
    QString destinationOf(int row) const;
    // The checks before a picture: no row, missing or equal folders. On success shows
    // "Converting  " + name and fills request; otherwise fills failure.
    bool prepare(int row, ConversionRequest &request, ConversionResult &failure);
    void imageDone(const ConversionResult &result);
    void dispatch();
    void pictureDone(int row, const ConversionResult &result);
    void record(int row, const ConversionResult &result);
    void endRun();
    // The log (for "Convert all") and the after-run work on their thread, then done.
    void finishOnDisk(bool writeLog, std::function<void(const FileResult &log)> done);
    // A disk task begins: onTimeout ends what waits for it if the disk does not answer after a
    // stop. diskAnswered() is false for an answer that came too late.
    void awaitDisk(std::function<void()> onTimeout);
    bool diskAnswered(quint64 task);
    void diskTimedOut();

    ConvertListModel &m_list;
    ConversionRunner &m_runner;
    Clock m_clock;
    Kind m_kind = Kind::None;
    bool m_stopRequested = false;
    int m_stopGraceMs = 2000;
    QTimer m_stopGrace;
    std::optional<WaitCursor> m_waitCursor;
    AfterRun m_afterRun;
    // The disk task awaited (0: none); an answer to an earlier one is dropped.
    quint64 m_diskTask = 0;
    quint64 m_diskTasks = 0; // tasks begun
    std::function<void()> m_onDiskTimeout;
    QTimer m_diskDeadline;
    int m_imageRow = -1;
    bool m_foldersAreOne = false;
    bool m_diskSilent = false; // the destination did not answer after a stop: not asked again

    // The run going on.
    ConversionOptions m_options;
    QStringList m_lines; // one per row, filled in whatever order the pictures finish
    bool m_skipped = false;
    bool m_dispatching = false;
    int m_total = 0;
    int m_next = 0;
    int m_inFlight = 0;
    int m_done = 0;
    // Never one file for two pictures, whatever the disk's name rules: by the widest rule, the
    // destination names written so far (with their rows) and those in flight.
    QHash<QString, QList<std::pair<int, QString>>> m_written;
    QHash<QString, int> m_inFlightNames;
};
