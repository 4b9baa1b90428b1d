// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QObject>
#include <QThread>

#include <memory>
#include <type_traits>

// Runs work, which may wait on a disk, on a thread of its own, and hands its result to done on
// the thread of context once it is there, unless context is gone by then. Nothing ever waits for
// that thread: a share that stops answering holds it alone, never the window or the program's
// exit. work must own everything it uses (copies, no pointers to objects of the window).
template <typename Work, typename Done>
void runInBackground(QObject *context, Work work, Done done)
{
    using Result = std::invoke_result_t<Work &>;
    auto result = std::make_shared<Result>();
    QThread *thread =
        QThread::create([result, work = std::move(work)]() mutable { *result = work(); });
    QObject::connect(thread, &QThread::finished, context,
                     [result, done = std::move(done)]() mutable { done(std::move(*result)); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}
