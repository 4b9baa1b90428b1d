// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "workers/conversionrunner.h"
#include "workers/workerclient.h"

#include <QList>
#include <QObject>
#include <QTimer>

// A runner whose workers are stuck: it holds every conversion until stopAll(), which fails each
// with WorkerClient::stoppedText() from the event loop. A run that waits for them meanwhile is
// left to the test's own deadline.
class StuckRunner : public ConversionRunner
{
public:
    int capacity() const override { return 2; }
    void start(int ticket, const ConversionRequest &, Finished finished) override
    {
        ++started;
        m_held.append({ticket, std::move(finished)});
    }
    void stopAll() override
    {
        ++stops;
        for (const auto &[ticket, finished] : std::exchange(m_held, {}))
            QTimer::singleShot(0, &m_context, [ticket = ticket, finished = finished] {
                finished(ticket, {false, WorkerClient::stoppedText(), QString()});
            });
    }

    int started = 0, stops = 0;

private:
    QList<std::pair<int, Finished>> m_held;
    QObject m_context; // what it posted ends with it
};
