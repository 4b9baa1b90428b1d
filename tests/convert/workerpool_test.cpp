#include "convert/workerpool.h"

#include "convert/librarymessages.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QThread>

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
            pool.start(ticket, requests[ticket],
                       [this](int t, const ConversionResult &r) { m_results[t].append(r); });
        EXPECT_TRUE(m_results.isEmpty()); // never from within start
        ASSERT_TRUE(runEventsUntil([&] { return m_results.size() == requests.size(); }));
        QCoreApplication::processEvents(); // a second finish would be posted by now
        for (int ticket = 0; ticket < requests.size(); ++ticket)
            ASSERT_EQ(m_results[ticket].size(), 1) << ticket;
    }
    const ConversionResult &result(int ticket) { return m_results[ticket].constFirst(); }

    QTemporaryDir m_dir;
    QString m_png;
    QMap<int, QList<ConversionResult>> m_results;
};

// The workers give the bytes and messages of the pipeline in this process, each result to its
// own ticket, and previews as this process renders them.
TEST_F(WorkerPoolTest, FinishesEveryTicketOnceAsThePipelineInProcess)
{
    WorkerPool pool(2);
    EXPECT_EQ(WorkerPool(0).capacity(), std::max(1, QThread::idealThreadCount()));
    const QString jpeg = writeTestPicture(path(u"b.jpg"_s), 90, 60, FIF_JPEG);
    ASSERT_TRUE(writeFileBytes(path(u"fake.jpg"_s), "\xFF\xD8\xFF\xE0 not really a JPEG"));
    // More than two at once, so the rest wait in the queue; the worker of ticket 1 dies. The
    // options of ticket 0 would show a request that lost a field.
    QList<ConversionRequest> requests = {
        request(m_png, u"0.jpg"_s), request(path(u"b.jpg.crash"_s), u"1.png"_s),
        request(jpeg, u"2.webp"_s), request(path(u"missing.png"_s), u"3.png"_s),
        request(path(u"fake.jpg"_s), u"4.png"_s)};
    requests[0].options = {{}, {}, OutputFormat::Jpeg, true, true, 3, 4, true, {}, 50};
    requests[0].rotation = 90;
    run(pool, requests);
    EXPECT_EQ(result(1).resultMessage, WorkerClient::libraryFailedText());
    for (int ticket : {0, 2, 3, 4}) {
        ConversionRequest here = requests[ticket];
        here.destinationPath.replace(u"/out/"_s, u"/"_s);
        const ConversionResult expected = ImagePipeline::convertOne(here), got = result(ticket);
        EXPECT_EQ(std::tuple(got.ok, got.resultMessage, got.libraryMessage,
                             readFileBytes(requests[ticket].destinationPath)),
                  std::tuple(expected.ok, expected.resultMessage, expected.libraryMessage,
                             readFileBytes(here.destinationPath)))
            << ticket;
    }
    EXPECT_FALSE(result(4).libraryMessage.isEmpty()); // so the messages compared were not empty
    EXPECT_EQ(QDir(path(u"out"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList({u"0.jpg"_s, u"2.webp"_s}));

    // Turned and grayed, so that a preview request that lost a field would show it.
    const PreviewRequest turned{jpeg, QSize(217, 217), 90, OutputFormat::Jpeg, 16, true, 4, {}};
    QList<PreviewResult> shown;
    pool.preview(turned, 10'000, [&](const PreviewResult &got) { shown.append(got); });
    ASSERT_TRUE(runEventsUntil([&] { return !shown.isEmpty(); }));
    const PreviewResult here = ConvertPreview::render(turned);
    EXPECT_EQ(std::tuple(shown[0].loaded, shown[0].raw, shown[0].image.format(), shown[0].image),
              std::tuple(true, here.raw, here.image.format(), here.image));
}

// Stop ends what runs and what waits at once; what the stopped workers left mid-save goes with
// them, and their ends finish nothing a second time.
TEST_F(WorkerPoolTest, StopEndsQueuedAndRunningItemsAtOnce)
{
    WorkerPool pool(2);
    QList<qint64> stuck;
    QMetaObject::invokeMethod(
        &pool,
        [&] {
            for (const WorkerClient *worker : pool.findChildren<WorkerClient *>())
                if (worker->isBusy() && worker->processId() > 0)
                    stuck.append(worker->processId());
            for (qint64 pid : stuck)
                ASSERT_TRUE(writeFileBytes(path(u"out/.pelorin-%1-k2x9.part"_s.arg(pid)), "-"));
            pool.stopAll();
        },
        Qt::QueuedConnection);
    const QString hang = path(u"a.png.hang"_s);
    run(pool, {request(hang, u"0.png"_s), request(hang, u"1.png"_s), request(m_png, u"2.png"_s)});
    ASSERT_EQ(stuck.size(), 2);
    EXPECT_TRUE(runEventsUntil([&] {
        return QDir(path(u"out"_s)).isEmpty(QDir::Files | QDir::Hidden) &&
               std::ranges::none_of(stuck, [](qint64 pid) { return ::kill(pid_t(pid), 0) == 0; });
    }));
    QCoreApplication::processEvents();
    for (int ticket = 0; ticket < 3; ++ticket)
        EXPECT_EQ(std::pair(m_results[ticket].size(), result(ticket).resultMessage),
                  std::pair(qsizetype(1), WorkerClient::stoppedText()));

    run(pool, {request(m_png, u"0.png"_s)});
    EXPECT_TRUE(result(0).ok);
}

} // namespace
