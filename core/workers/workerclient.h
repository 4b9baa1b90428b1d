// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/convertpreview.h"
#include "imaging/imagepipeline.h"
#include "rename/takendate.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

#include <functional>

// One pelorin-worker process that converts and previews pictures for this process, so that a
// file on which the image library crashes, runs away with memory or never ends costs that item
// and nothing more. The process starts when first needed and again after it ended; it takes one
// request at a time.
// Thread: the thread that created the client (the main thread), whose event loop must run for
// convert() and preview() to finish.
class WorkerClient : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        qint64 addressSpace = 3LL * 1024 * 1024 * 1024; // bytes (RLIMIT_AS)
        int cpuSecondsPerItem = 120;                    // processor time (RLIMIT_CPU)
        qint64 maxPixels = 250'000'000;                 // larger pictures are refused unread
        int itemTimeoutMs = 180'000;                    // wall clock for one conversion
        int datesPartTimeoutMs =
            5'000;              // wall clock for one file's date (a hostile file, a hung share)
        int libraryThreads = 0; // threads of the RAW decoder (OMP_NUM_THREADS); 0: its default
    };

    using Finished = std::function<void(const ConversionResult &result)>;
    using PreviewFinished = std::function<void(const PreviewResult &result)>;
    // dates[i] is that of names[first + i].
    using DatesAnswered = std::function<void(int first, const QList<TakenDate> &dates)>;
    // answered: how many names have their date; all of them, or the worker failed on one of the
    // part that followed; -1 when no worker could be started or it is of another version.
    using DatesFinished = std::function<void(int answered)>;

    explicit WorkerClient(QObject *parent = nullptr);
    explicit WorkerClient(const Limits &limits, QObject *parent = nullptr);
    // Ends the worker; the job in flight is ended and its finished is not called.
    ~WorkerClient() override;

    // The texts of an item that the worker did not finish.
    static QString libraryFailedText();   // crashed, or ran out of memory
    static QString tooLongText();         // wall-clock or processor limit
    static QString notStartedText();      // no executable, or it would not start
    static QString stoppedText();         // stop()
    static QString stoppedBySystemText(); // killed by a signal this program did not send

    // PELORIN_WORKER when set; else pelorin-worker beside this program, else in
    // ../libexec/pelorin beside it (the installed layout). Empty when there is none.
    static QString executablePath();
    // Removes the temporary files (AtomicFile::temporaryPrefix(pid) + "<random>.part") that worker
    // pid left in folder when it died while saving: only regular files, never through a symbolic
    // link. Returns how many.
    static int removePartialFiles(const QString &folder, qint64 pid);
    // Removes the temporary files in folder that are left over: what the workers of a window
    // that died mid-run left. Those named with this system's token go when their process no
    // longer exists (a live one may still be saving); those of any other writer, which cannot
    // be asked, only when they have not been written to for a day. Only regular files, never
    // through a symbolic link. Returns how many.
    static int removeOrphanedPartialFiles(const QString &folder);

    bool isBusy() const { return m_job != Job::None; }
    bool isRunning() const;
    // The id of the worker process, or 0 while none runs.
    qint64 processId() const;
    // Starts the worker without waiting for it, so that the next request finds it ready.
    void warmUp();

    // finished is called exactly once, from the event loop. Not while isBusy().
    void convert(const ConversionRequest &request, Finished finished);
    // Ends the conversion in flight: it finishes with stoppedText() at once, without waiting for
    // the worker to end; what the worker left is removed once it has ended.
    void stop();
    // finished is called once, from the event loop, with the preview or why there is none; a
    // worker that has not answered within timeoutMs is killed. A preview asked for while another
    // is in flight abandons that one: its worker is ended without waiting, its finished is never
    // called, and the new one starts in a fresh worker. Not while converting.
    void preview(const PreviewRequest &request, int timeoutMs, PreviewFinished finished);
    // Reads when the pictures names in folder were taken. answered is called, from the event
    // loop, for each part the worker sends (at most partSize dates; with 1, a failure is the next
    // file's), in order, and then finished once; a worker that sends nothing for
    // Limits::datesPartTimeoutMs is ended. Only while idle.
    void readDates(const QString &folder, const QStringList &names, int partSize,
                   DatesAnswered answered, DatesFinished finished);

private:
    enum class Job
    {
        None,
        Convert,
        Preview,
        Dates,
    };
    // Why this side ended the worker of the item in flight.
    enum class Ending
    {
        None,
        TimedOut,
        Stopped,
        Broken,       // replied with something other than the answer
        OtherVersion, // an executable of another version of the program
    };

    bool startProcess();
    bool ensureRunning();
    void readReplies(QProcess *process);
    void processEnded(QProcess *process, int exitCode, QProcess::ExitStatus status);
    void processFailedToStart(QProcess *process, QProcess::ProcessError error);
    void endWorker(Ending ending);
    void giveUpOnWorker();
    void discardProcess();
    void abandonPreview();
    QString endText(int exitCode, QProcess::ExitStatus status) const;
    // Ends the job in flight with text as its failure.
    void finishFailed(const QString &text);
    void finishConversion(const ConversionResult &result);
    void finishPreview(const PreviewResult &result);
    // False when the part does not follow the one before: the worker cannot be trusted.
    bool takeDates(int first, const QList<TakenDate> &dates);
    void finishDates();
    void deliver(std::function<void()> call);

    Limits m_limits;
    QProcess *m_process = nullptr;
    qint64 m_pid = 0; // kept after the process ended, to find what it left
    QByteArray m_replies;
    Job m_job = Job::None;
    Ending m_ending = Ending::None;
    Finished m_finished;
    PreviewFinished m_previewFinished;
    DatesAnswered m_datesAnswered;
    DatesFinished m_datesFinished;
    int m_datesAsked = 0;
    int m_datesAnsweredCount = 0;
    QString m_destinationFolder; // of the conversion in flight
    QTimer m_deadline;           // wall clock of the job in flight
    QTimer m_killGrace;          // a killed worker that does not end (stuck in the kernel)
};
