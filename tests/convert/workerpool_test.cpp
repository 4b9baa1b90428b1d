#include "convert/workerpool.h"

#include "convert/librarymessages.h"

#include "testpictures.h"

#include "qtprinters.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTimer>

#include <FreeImagePlus.h>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

bool runUntil(const std::function<bool()> &done, int ms = 20'000)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

class WorkerPoolTest : public testing::Test
{
protected:
    void SetUp() override
    {
        LibraryMessages::install();
        qputenv("PELORIN_WORKER_TEST", "1");
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(u"out"_s);
    }
    void TearDown() override { qunsetenv("PELORIN_WORKER_TEST"); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ConversionRequest request(const QString &source, const QString &output) const
    {
        ConversionRequest r;
        r.sourcePath = source;
        r.destinationPath = path(u"out/"_s + output);
        r.options.sourceFolder = m_dir.path();
        r.options.destinationFolder = path(u"out"_s);
        return r;
    }

    // Every ticket's results, in the order they came.
    QMap<int, QList<ConversionResult>> m_results;
    ConversionRunner::Finished record()
    {
        return [this](int ticket, const ConversionResult &result) {
            m_results[ticket].append(result);
        };
    }

    QTemporaryDir m_dir;
};

TEST_F(WorkerPoolTest, ConvertsEveryPictureOnceWhateverTheOrder)
{
    WorkerPool pool(2);
    ASSERT_EQ(pool.capacity(), 2);
    const QString png = writeTestPicture(path(u"a.png"_s), 90, 60);
    const QString jpeg = writeTestPicture(path(u"b.jpg"_s), 90, 60, FIF_JPEG);
    // More than the pool takes at once: the rest wait in the queue. Ticket 3 cannot be read,
    // so its result shows whether results reach the tickets they belong to.
    const QList<ConversionRequest> requests = {
        request(png, u"0.jpg"_s),  request(jpeg, u"1.png"_s),
        request(png, u"2.webp"_s), request(path(u"missing.png"_s), u"3.png"_s),
        request(jpeg, u"4.tif"_s), request(png, u"5.png"_s),
    };
    for (int ticket = 0; ticket < requests.size(); ++ticket)
        pool.start(ticket, requests[ticket], record());
    EXPECT_TRUE(m_results.isEmpty()); // finished comes from the event loop, never within start

    ASSERT_TRUE(runUntil([&] { return m_results.size() == requests.size(); }));
    runUntil([] { return false; }, 50);
    for (int ticket = 0; ticket < requests.size(); ++ticket) {
        ASSERT_EQ(m_results[ticket].size(), 1) << ticket;
        const ConversionResult &result = m_results[ticket].constFirst();
        if (ticket == 3) {
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(result.resultMessage, u"Original image error: "_s + path(u"missing.png"_s));
        } else {
            EXPECT_TRUE(result.ok) << ticket;
            fipImage written;
            EXPECT_TRUE(written.load(QFile::encodeName(requests[ticket].destinationPath)));
            EXPECT_EQ(written.getWidth(), 90u);
        }
    }
}

TEST_F(WorkerPoolTest, AWorkerThatDiesCostsOnlyItsOwnItem)
{
    WorkerPool pool(2);
    const QString png = writeTestPicture(path(u"a.png"_s), 60, 40);
    for (int ticket = 0; ticket < 5; ++ticket) {
        if (ticket == 1)
            pool.setNextFault(WorkerClient::Fault::Crash);
        pool.start(ticket, request(png, u"%1.png"_s.arg(ticket)), record());
    }
    ASSERT_TRUE(runUntil([&] { return m_results.size() == 5; }));
    for (int ticket = 0; ticket < 5; ++ticket) {
        ASSERT_EQ(m_results[ticket].size(), 1);
        EXPECT_EQ(m_results[ticket].constFirst().ok, ticket != 1) << ticket;
    }
    EXPECT_EQ(m_results[1].constFirst().resultMessage, WorkerClient::libraryFailedText());
}

TEST_F(WorkerPoolTest, StopEndsQueuedAndRunningItemsAtOnce)
{
    WorkerPool pool(2);
    const QString png = writeTestPicture(path(u"a.png"_s), 60, 40);
    for (int ticket = 0; ticket < 3; ++ticket) {
        if (ticket < 2)
            pool.setNextFault(WorkerClient::Fault::Hang);
        pool.start(ticket, request(png, u"%1.png"_s.arg(ticket)), record());
    }
    QElapsedTimer timer;
    timer.start();
    pool.stopAll();
    ASSERT_TRUE(runUntil([&] { return m_results.size() == 3; }));
    EXPECT_LT(timer.elapsed(), 3000);
    runUntil([] { return false; }, 50);
    for (int ticket = 0; ticket < 3; ++ticket) {
        ASSERT_EQ(m_results[ticket].size(), 1);
        EXPECT_EQ(m_results[ticket].constFirst().resultMessage, WorkerClient::stoppedText());
    }
    EXPECT_FALSE(QFile::exists(path(u"out/2.png"_s)));

    pool.start(7, request(png, u"7.png"_s), record());
    ASSERT_TRUE(runUntil([&] { return m_results.contains(7); }));
    EXPECT_TRUE(m_results[7].constFirst().ok);
}

TEST_F(WorkerPoolTest, PreviewsInTheWarmWorkerMatchThePreviewInProcess)
{
    WorkerPool pool(1);
    const QString png = writeTestPicture(path(u"a.png"_s), 400, 300);
    const QString jpeg = writeTestPicture(path(u"b.jpg"_s), 1600, 1200, FIF_JPEG);
    PreviewRequest preview;
    preview.frame = QSize(217, 217);
    for (const QString &source : {png, jpeg}) {
        for (OutputFormat format : {OutputFormat::Jpeg, OutputFormat::Png}) {
            preview.sourcePath = source;
            preview.outputFormat = format;
            preview.rotation = format == OutputFormat::Png ? 90 : 0;
            preview.grayscale = source == jpeg;
            const PreviewResult here = ConvertPreview::render(preview);
            const PreviewResult there = pool.preview(preview, 10'000);
            ASSERT_TRUE(there.loaded) << there.libraryMessage.toStdString();
            EXPECT_EQ(there.raw, here.raw);
            EXPECT_EQ(there.image.format(), here.image.format());
            EXPECT_EQ(there.image, here.image);
        }
    }

    // A preview the library dies on shows why; the next one is served as before.
    preview.sourcePath = png;
    pool.setNextFault(WorkerClient::Fault::Crash);
    const PreviewResult crashed = pool.preview(preview, 10'000);
    EXPECT_FALSE(crashed.loaded);
    EXPECT_EQ(crashed.libraryMessage, WorkerClient::libraryFailedText());
    EXPECT_EQ(pool.preview(preview, 10'000).image, ConvertPreview::render(preview).image);
}

} // namespace
