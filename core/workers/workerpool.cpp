// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "workers/workerpool.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>

namespace {

// Small enough that the workers share a folder evenly and a newer listing soon has them, large
// enough that a part costs the worker's loop little.
constexpr int DatesBatchSize = 250;
constexpr int DatesPartSize = 32;

} // namespace

WorkerPool::WorkerPool(int workers, const WorkerClient::Limits &limits, QObject *parent)
    : QObject(parent)
    , m_capacity(std::max(1, workers > 0 ? workers : QThread::idealThreadCount()))
    , m_limits(limits)
    , m_previewWorker(new WorkerClient(limits, this))
{
    // The workers already share the cores; the RAW decoder's own threads would only compete.
    if (m_limits.libraryThreads <= 0)
        m_limits.libraryThreads = std::max(1, QThread::idealThreadCount() / m_capacity);
    m_previewWorker->warmUp();
}

WorkerPool::~WorkerPool() = default;

void WorkerPool::start(int ticket, const ConversionRequest &request, Finished finished)
{
    m_queue.push_back({ticket, request, std::move(finished)});
    dispatch();
}

void WorkerPool::stopAll()
{
    const std::deque<Pending> queued = std::exchange(m_queue, {});
    for (WorkerClient *worker : m_workers)
        worker->stop();
    const QPointer<WorkerPool> alive(this);
    for (const Pending &item : queued) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [alive, ticket = item.ticket, finished = item.finished] {
                if (alive)
                    finished(ticket, {false, WorkerClient::stoppedText(), QString()});
            },
            Qt::QueuedConnection);
    }
}

void WorkerPool::preview(const PreviewRequest &request, int timeoutMs,
                         WorkerClient::PreviewFinished finished)
{
    m_previewWorker->preview(request, timeoutMs,
                             [this, finished = std::move(finished)](const PreviewResult &result) {
                                 // The next preview finds a fresh worker ready.
                                 if (!m_previewWorker->isRunning())
                                     m_previewWorker->warmUp();
                                 finished(result);
                             });
}

void WorkerPool::readDates(const QString &folder, const QStringList &names, DatesDone done)
{
    const quint64 generation = ++m_datesGeneration;
    m_datesQueue.clear();
    for (qsizetype first = 0; first < names.size(); first += DatesBatchSize)
        m_datesQueue.push_back(
            {generation, folder, names.mid(first, DatesBatchSize), int(first), false, done});
    dispatch();
}

void WorkerPool::readBatch(WorkerClient *worker, DatesBatch batch)
{
    const quint64 generation = batch.generation;
    auto answered = [this, generation, first = batch.first,
                     done = batch.done](int part, const QList<TakenDate> &dates) {
        if (generation == m_datesGeneration)
            done(first + part, dates);
    };
    auto finished = [this, batch](int count) {
        if (count < 0 && batch.generation == m_datesGeneration) {
            dispatch();
            batch.done(batch.first, QList<TakenDate>(batch.names.size()));
            return;
        }
        if (count < batch.names.size() && batch.generation == m_datesGeneration) {
            // The worker failed on a file of the part after the last it sent. The rest is read
            // again a date a part, which names the file; that one is given up, and what follows
            // it goes back to parts. Both go to the front of the queue.
            const bool blamed = batch.oneByOne;
            const int from = count + (blamed ? 1 : 0);
            if (from < batch.names.size())
                m_datesQueue.push_front({batch.generation, batch.folder, batch.names.mid(from),
                                         batch.first + from, !blamed, batch.done});
            dispatch();
            if (blamed)
                batch.done(batch.first + count, {TakenDate()});
            return;
        }
        dispatch();
    };
    worker->readDates(batch.folder, batch.names, batch.oneByOne ? 1 : DatesPartSize,
                      std::move(answered), std::move(finished));
}

WorkerClient *WorkerPool::idleWorker()
{
    for (WorkerClient *worker : m_workers) {
        if (!worker->isBusy())
            return worker;
    }
    if (int(m_workers.size()) >= m_capacity)
        return nullptr;
    m_workers.push_back(new WorkerClient(m_limits, this));
    return m_workers.back();
}

void WorkerPool::dispatch()
{
    while (!m_queue.empty()) {
        WorkerClient *worker = idleWorker();
        if (!worker)
            return;
        Pending item = std::move(m_queue.front());
        m_queue.pop_front();
        worker->convert(item.request,
                        [this, ticket = item.ticket,
                         finished = std::move(item.finished)](const ConversionResult &result) {
                            // The worker is free again: it takes the next queued item before the
                            // caller hears of this one, and the caller may then start more or
                            // destroy the pool.
                            dispatch();
                            finished(ticket, result);
                        });
    }
    while (!m_datesQueue.empty()) {
        WorkerClient *worker = idleWorker();
        if (!worker)
            return;
        DatesBatch batch = std::move(m_datesQueue.front());
        m_datesQueue.pop_front();
        readBatch(worker, std::move(batch));
    }
}
