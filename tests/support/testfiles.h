#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QString>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

// Small helpers the tests share: whole files in and out, and waiting on the event loop.

inline QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs the event loop until done() holds or ms have passed; returns done().
inline bool runEventsUntil(const std::function<bool()> &done, int ms = 20'000)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// Ends the test process when the scope it guards is not left within the grace: a test of code
// that could block forever (on a pipe, say) fails instead of holding up the run.
class Watchdog
{
public:
    explicit Watchdog(std::chrono::seconds grace = std::chrono::seconds(30))
        : m_thread([this, grace] {
            std::unique_lock lock(m_mutex);
            if (!m_left.wait_for(lock, grace, [this] { return m_done; })) {
                std::fprintf(stderr, "Watchdog: the test was still blocked after %lld s\n",
                             static_cast<long long>(grace.count()));
                std::_Exit(124);
            }
        })
    {}
    ~Watchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_left.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_left;
    bool m_done = false;
    std::thread m_thread; // last: it uses the members above
};
