#pragma once

#include "convert/conversionrunner.h"
#include "convert/workerclient.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

// A runner whose workers are stuck: it holds every conversion until stopAll(), which fails each
// with WorkerClient::stoppedText() from the event loop. A run that would wait for them for ever
// fails the test after 20 s and is let go.
class StuckRunner : public ConversionRunner
{
public:
    StuckRunner()
    {
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, &m_context, [this] {
            ADD_FAILURE() << "a run waited for conversions that were never stopped";
            stopAll();
        });
    }

    int capacity() const override { return 2; }
    void start(int ticket, const ConversionRequest &, Finished finished) override
    {
        ++started;
        m_held.append({ticket, std::move(finished)});
        m_watchdog.start(20'000);
    }
    void stopAll() override
    {
        ++stops;
        m_watchdog.stop();
        for (const auto &[ticket, finished] : std::exchange(m_held, {}))
            QTimer::singleShot(0, &m_context, [ticket, finished] {
                finished(ticket, {false, WorkerClient::stoppedText(), QString()});
            });
    }

    int started = 0;
    int stops = 0;

private:
    QList<std::pair<int, Finished>> m_held;
    QTimer m_watchdog;
    QObject m_context; // what it posted ends with it
};
