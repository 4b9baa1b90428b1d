// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "workers/conversionrunner.h"
#include "workers/workerclient.h"

#include <QObject>

#include <deque>
#include <vector>

// Converts in several pelorin-worker processes at once, and previews in one more that stays
// running between previews so that they pay no start-up time. A worker that dies costs its item
// only; the next item gets a fresh worker.
// Thread: the main thread, whose event loop must run for conversions to finish.
class WorkerPool : public QObject, public ConversionRunner
{
    Q_OBJECT

public:
    // workers: conversions at once, 0 for one a processor core. The preview worker starts now.
    explicit WorkerPool(int workers = 0, const WorkerClient::Limits &limits = {},
                        QObject *parent = nullptr);
    // Ends the workers; the finished of conversions still queued or in flight is not called.
    ~WorkerPool() override;

    int capacity() const override { return m_capacity; }
    // Queues the request when every worker is busy.
    void start(int ticket, const ConversionRequest &request, Finished finished) override;
    // Ends every conversion queued or in flight with WorkerClient::stoppedText() without waiting
    // for their workers to end; each still finishes exactly once, from the event loop, and what
    // it left is removed once its worker has ended.
    void stopAll() override;

    // The preview comes to finished later (see WorkerClient::preview); a newer request abandons
    // the one in flight, whose finished is then never called.
    void preview(const PreviewRequest &request, int timeoutMs,
                 WorkerClient::PreviewFinished finished);

    // dates[i] is that of names[first + i].
    using DatesDone = std::function<void(int first, const QList<TakenDate> &dates)>;
    // Reads when the pictures names in folder were taken, in batches spread over the workers
    // (after any conversions queued), and hands the dates to done as they come, from the event
    // loop. Every name comes back once; a file on which a worker crashed or hung comes back
    // unset and costs no other file its date. A newer call abandons what an earlier one has not
    // handed over yet.
    void readDates(const QString &folder, const QStringList &names, DatesDone done);

private:
    struct Pending
    {
        int ticket;
        ConversionRequest request;
        Finished finished;
    };

    struct DatesBatch
    {
        quint64 generation;
        QString folder;
        QStringList names;
        int first;     // of names within the call's
        bool oneByOne; // after a failure, to find the file to blame
        DatesDone done;
    };

    void dispatch();
    void readBatch(WorkerClient *worker, DatesBatch batch);
    WorkerClient *idleWorker();

    int m_capacity;
    WorkerClient::Limits m_limits;
    std::vector<WorkerClient *> m_workers; // made as needed, up to m_capacity; children
    std::deque<Pending> m_queue;
    std::deque<DatesBatch> m_datesQueue;
    quint64 m_datesGeneration = 0;
    WorkerClient *m_previewWorker;
};
