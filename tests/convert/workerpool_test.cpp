#include "convert/workerpool.h"

#include "convert/librarymessages.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QMap>
#include <QTemporaryDir>

#include <FreeImagePlus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

class WorkerPoolTest : public testing::Test
{
protected:
    void SetUp() override
    {
        LibraryMessages::install();
        qputenv("PELORIN_WORKER_TEST", "1");
        QDir(m_dir.path()).mkpath(u"out"_s);
        m_png = writeTestPicture(path(u"a.png"_s), 90, 60);
    }
    void TearDown() override { qunsetenv("PELORIN_WORKER_TEST"); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    ConversionRequest request(const QString &source, const QString &output) const
    {
        return {source, path(u"out/"_s + output), {}, 0};
    }

    // Starts the tickets 0, 1, … and waits until every one has finished, checking each once.
    void run(WorkerPool &pool, const QList<ConversionRequest> &requests)
    {
        m_results.clear();
        for (int ticket = 0; ticket < requests.size(); ++ticket)
            pool.start(ticket, requests[ticket], [this](int t, const ConversionResult &result) {
                m_results[t].append(result);
            });
        EXPECT_TRUE(m_results.isEmpty()); // never from within start
        ASSERT_TRUE(runEventsUntil([&] { return m_results.size() == requests.size(); }));
        QCoreApplication::processEvents(); // a second finish would be posted by now
        for (int ticket = 0; ticket < requests.size(); ++ticket)
            ASSERT_EQ(m_results[ticket].size(), 1) << ticket;
    }
    const ConversionResult &result(int ticket) { return m_results[ticket].constFirst(); }

    static PreviewResult preview(WorkerPool &pool, const PreviewRequest &request)
    {
        QList<PreviewResult> results;
        pool.preview(request, 10'000, [&](const PreviewResult &got) { results.append(got); });
        EXPECT_TRUE(runEventsUntil([&] { return !results.isEmpty(); }));
        return results.value(0);
    }

    QTemporaryDir m_dir;
    QString m_png;
    QMap<int, QList<ConversionResult>> m_results;
};

TEST_F(WorkerPoolTest, FinishesEveryTicketOnceWithItsOwnResult)
{
    WorkerPool pool(2);
    ASSERT_EQ(pool.capacity(), 2);
    const QString jpeg = writeTestPicture(path(u"b.jpg"_s), 90, 60, FIF_JPEG);
    // More than two at once, so the rest wait in the queue. Ticket 3 cannot be read and the
    // worker of ticket 1 dies: their results show whether results reach their own tickets.
    const QList<ConversionRequest> requests = {
        request(m_png, u"0.jpg"_s),  request(path(u"b.jpg.crash"_s), u"1.png"_s),
        request(m_png, u"2.webp"_s), request(path(u"missing.png"_s), u"3.png"_s),
        request(jpeg, u"4.tif"_s),   request(m_png, u"5.png"_s),
    };
    run(pool, requests);
    EXPECT_EQ(result(1).resultMessage, WorkerClient::libraryFailedText());
    EXPECT_EQ(result(3).resultMessage, u"Original image error: "_s + path(u"missing.png"_s));
    for (int ticket : {0, 2, 4, 5}) {
        fipImage written;
        EXPECT_TRUE(result(ticket).ok &&
                    written.load(QFile::encodeName(requests[ticket].destinationPath)));
        EXPECT_EQ(written.getWidth(), 90u) << ticket;
    }
}

TEST_F(WorkerPoolTest, StopEndsQueuedAndRunningItemsAtOnce)
{
    WorkerPool pool(2);
    // Stop comes from the event loop, with two items in their stuck workers and one queued.
    QList<qint64> stuck;
    QMetaObject::invokeMethod(
        &pool,
        [&] {
            for (const WorkerClient *worker : pool.findChildren<WorkerClient *>())
                if (worker->isBusy() && worker->processId() > 0)
                    stuck.append(worker->processId());
            pool.stopAll();
        },
        Qt::QueuedConnection);
    const QString hang = path(u"a.png.hang"_s);
    run(pool, {request(hang, u"0.png"_s), request(hang, u"1.png"_s), request(m_png, u"2.png"_s)});
    for (int ticket = 0; ticket < 3; ++ticket)
        EXPECT_EQ(result(ticket).resultMessage, WorkerClient::stoppedText());
    EXPECT_FALSE(QFile::exists(path(u"out/2.png"_s)));
    // Once the stopped workers are gone, their ends have finished nothing a second time.
    ASSERT_EQ(stuck.size(), 2);
    EXPECT_TRUE(runEventsUntil([&] {
        return std::ranges::none_of(stuck, [](qint64 pid) { return ::kill(pid_t(pid), 0) == 0; });
    }));
    QCoreApplication::processEvents();
    for (int ticket = 0; ticket < 3; ++ticket)
        EXPECT_EQ(m_results[ticket].size(), 1) << ticket;

    run(pool, {request(m_png, u"0.png"_s)});
    EXPECT_TRUE(result(0).ok);
}

TEST_F(WorkerPoolTest, PreviewsInTheWarmWorkerMatchThePreviewInProcess)
{
    WorkerPool pool(1);
    const QString jpeg = writeTestPicture(path(u"b.jpg"_s), 1600, 1200, FIF_JPEG);
    PreviewRequest preview;
    preview.frame = QSize(217, 217);
    // Turned and grayed, so that a request that lost a field would show it.
    preview.sourcePath = jpeg;
    preview.rotation = 90;
    preview.grayscale = true;
    const PreviewResult here = ConvertPreview::render(preview);
    const PreviewResult there = WorkerPoolTest::preview(pool, preview);
    ASSERT_TRUE(there.loaded) << there.libraryMessage.toStdString();
    EXPECT_EQ(std::tuple(there.raw, there.image.format(), there.image),
              std::tuple(here.raw, here.image.format(), here.image));
    // A preview the library dies on shows why; the next one is served as before.
    PreviewRequest crashing = preview;
    crashing.sourcePath = path(u"b.jpg.crash"_s);
    EXPECT_EQ(WorkerPoolTest::preview(pool, crashing).libraryMessage,
              WorkerClient::libraryFailedText());
    EXPECT_EQ(WorkerPoolTest::preview(pool, preview).image, ConvertPreview::render(preview).image);
}

} // namespace
