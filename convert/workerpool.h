// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "convert/conversionrunner.h"
#include "convert/workerclient.h"

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

private:
    struct Pending
    {
        int ticket;
        ConversionRequest request;
        Finished finished;
    };

    void dispatch();
    WorkerClient *idleWorker();

    int m_capacity;
    WorkerClient::Limits m_limits;
    std::vector<WorkerClient *> m_workers; // made as needed, up to m_capacity; children
    std::deque<Pending> m_queue;
    WorkerClient *m_previewWorker;
};
