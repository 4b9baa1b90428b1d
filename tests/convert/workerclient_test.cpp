#include "convert/workerclient.h"

#include "convert/librarymessages.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// A BMP header without pixels that claims width × height.
QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray bytes = "BM" + QByteArray(52, '\0');
    // From offset 10: where the pixels start, the size of the info header, the size, and one
    // plane of 24 bits.
    const qint32 fields[] = {54, 40, width, height, 1 | 24 << 16};
    qToLittleEndian<qint32>(fields, 5, bytes.data() + 10);
    return bytes;
}

QString tooLarge(int w, int h)
{
    return u"the picture is too large to convert (%1 \u00D7 %2 pixels)"_s.arg(w).arg(h);
}

WorkerClient::Limits limits(int itemTimeoutMs, int cpuSeconds = 120,
                            qint64 addressSpace = 3LL * 1024 * 1024 * 1024)
{
    WorkerClient::Limits limits;
    limits.itemTimeoutMs = itemTimeoutMs;
    limits.cpuSecondsPerItem = cpuSeconds;
    limits.addressSpace = addressSpace;
    return limits;
}

class WorkerClientTest : public testing::Test
{
protected:
    void SetUp() override
    {
        LibraryMessages::install();
        qputenv("PELORIN_WORKER_TEST", "1");
        QDir(m_dir.path()).mkpath(u"out"_s);
        m_source = writeTestPicture(path(u"a.png"_s), 60, 40);
    }
    void TearDown() override
    {
        qunsetenv("PELORIN_WORKER_TEST");
        qunsetenv("PELORIN_WORKER");
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ConversionRequest request(const QString &destination, QString source = QString()) const
    {
        ConversionRequest r{source.isEmpty() ? m_source : source, path(destination), {}, 0};
        r.options.sourceFolder = m_dir.path();
        r.options.destinationFolder = QFileInfo(r.destinationPath).path();
        return r;
    }
    static PreviewRequest previewRequest(const QString &source)
    {
        return {source, QSize(40, 40), 0, OutputFormat::Jpeg, 16, false, 4, QString()};
    }

    // Runs one job through the client; its result must come exactly once.
    template <typename Result, typename Start> static Result once(Start start)
    {
        QList<Result> results;
        start([&results](const Result &got) { results.append(got); });
        EXPECT_TRUE(runEventsUntil([&] { return !results.isEmpty(); }));
        QCoreApplication::processEvents(); // a second result would be posted by now
        EXPECT_EQ(results.size(), 1);
        return results.value(0);
    }
    static ConversionResult convert(WorkerClient &client, const ConversionRequest &r)
    {
        return once<ConversionResult>([&](auto done) { client.convert(r, done); });
    }
    static PreviewResult preview(WorkerClient &client, const QString &source, int ms = 10'000)
    {
        return once<PreviewResult>(
            [&](auto done) { client.preview(previewRequest(source), ms, done); });
    }

    QTemporaryDir m_dir;
    QString m_source;
};

TEST_F(WorkerClientTest, ConvertsToTheSameBytesAndMessagesAsThePipelineInProcess)
{
    const QString fake = path(u"fake.jpg"_s);
    ASSERT_TRUE(writeFileBytes(fake, "\xFF\xD8\xFF\xE0 not really a JPEG"));
    QDir(m_dir.path()).mkpath(u"here"_s);
    ConversionRequest many = request(QString());
    many.rotation = 90;
    many.options.grayscale = many.options.deleteMetadata = many.options.resize = true;
    many.options.jpegQualityPosition = 3;
    many.options.resizePixels = 50;

    WorkerClient client;
    for (const auto &[output, source, options] :
         {std::tuple(u"a.jpg"_s, m_source, many), std::tuple(u"a.webp"_s, m_source, request({})),
          std::tuple(u"fake.png"_s, fake, request({}))}) {
        ConversionRequest here = options;
        here.sourcePath = source;
        here.destinationPath = path(u"here/"_s + output);
        ConversionRequest there = here;
        there.destinationPath = path(u"out/"_s + output);
        const ConversionResult expected = ImagePipeline::convertOne(here);
        const ConversionResult got = convert(client, there);
        EXPECT_EQ(std::tuple(got.ok, got.resultMessage, got.libraryMessage),
                  std::tuple(expected.ok, expected.resultMessage, expected.libraryMessage));
        EXPECT_EQ(readFileBytes(there.destinationPath), readFileBytes(here.destinationPath));
    }
    EXPECT_FALSE(LibraryMessages::last().isEmpty()); // so the messages compared were not empty
    EXPECT_EQ(QDir(path(u"out"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList({u"a.jpg"_s, u"a.webp"_s}));
}

TEST_F(WorkerClientTest, ACrashCostsOneItemAndRemovesThatWorkersPartialFilesOnly)
{
    WorkerClient client;
    ASSERT_TRUE(convert(client, request(u"out/first.png"_s)).ok);
    const qint64 crashed = client.processId();
    ASSERT_GT(crashed, 0);

    // What the worker left when it died mid-save, beside files that are not its own: another
    // worker's (still saving), one whose id starts with the same digits, and a picture.
    const QString out = path(u"out/"_s);
    const QStringList own = {u".pelorin-%1-k2x9.part"_s.arg(crashed),
                             u".pelorin-%1-00.part"_s.arg(crashed)};
    const QStringList others = {u".pelorin-%1-k2x9.part"_s.arg(crashed + 1),
                                u".pelorin-%1-k2x9.part"_s.arg(crashed * 10 + 1),
                                u".pelorin-%1-k2x9.jpg"_s.arg(crashed)};
    for (const QString &name : own + others)
        ASSERT_TRUE(writeFileBytes(out + name, "partial"));

    const ConversionResult failed =
        convert(client, request(u"out/second.png"_s, path(u"second.png.crash"_s)));
    EXPECT_EQ(std::pair(failed.ok, failed.resultMessage),
              std::pair(false, WorkerClient::libraryFailedText()));
    for (const QString &name : own + others)
        EXPECT_EQ(QFile::exists(out + name), others.contains(name)) << name.toStdString();

    EXPECT_TRUE(convert(client, request(u"out/third.png"_s)).ok);
    EXPECT_NE(client.processId(), crashed);
}

TEST_F(WorkerClientTest, RunawayItemsMeetTheirLimitsAndAFreshWorkerServesTheNext)
{
    WorkerClient client(limits(1000, 1));
    EXPECT_EQ(convert(client, request(u"out/a.png"_s, path(u"a.png.hang"_s))).resultMessage,
              WorkerClient::tooLongText());
    // A fresh worker serves the next item; a preview, whose own time-out is generous, so that a
    // busy machine cannot fail it.
    EXPECT_TRUE(preview(client, m_source).loaded);

    // The processor limit counts the life of the process, rounded up to whole seconds: three
    // items of 0.8 s pass only if each gets a budget of its own. The item time-out is generous
    // here, so that a busy machine does not end them first.
    WorkerClient burner(limits(60'000, 1));
    const QString slow = writeTestPicture(path(u"slow.png.burn-800"_s), 60, 40);
    qint64 worker = 0;
    for (int item = 0; item < 3; ++item) {
        EXPECT_TRUE(convert(burner, request(u"out/slow%1.png"_s.arg(item), slow)).ok);
        worker = item == 0 ? burner.processId() : worker;
        EXPECT_EQ(burner.processId(), worker);
    }
    EXPECT_EQ(convert(burner, request(u"out/a.png"_s, path(u"a.png.burn"_s))).resultMessage,
              WorkerClient::tooLongText());

    // 48 MB of pixels once decoded, in 48 MiB of address space.
    WorkerClient limited(limits(180'000, 120, 48LL * 1024 * 1024));
    const QString big = writeTestPicture(path(u"big.png"_s), 4000, 4000);
    EXPECT_FALSE(convert(limited, request(u"out/big.jpg"_s, big)).ok);
    EXPECT_FALSE(QFile::exists(path(u"out/big.jpg"_s)));
}

TEST_F(WorkerClientTest, PicturesAbovePixelBudgetAreRefusedUnread)
{
    ASSERT_TRUE(writeFileBytes(path(u"huge.bmp"_s), bmpHeader(30000, 30000)));
    // 2^32 pixels: a 32-bit product would wrap to 0 and let it through.
    ASSERT_TRUE(writeFileBytes(path(u"wraps.bmp"_s), bmpHeader(65536, 65536)));
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"wraps.bmp"_s), QString(), 150'000'000),
              tooLarge(65536, 65536));
    // A file whose size cannot be told is left to the loader.
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"missing.png"_s), QString(), 1), QString());

    // The log names the reason also for a row marked as no picture; the preview shows the
    // reason, not a file icon.
    WorkerClient client;
    const ConversionResult refused =
        convert(client, request(u"out/huge.png"_s, path(u"huge.bmp"_s)));
    EXPECT_EQ(std::tuple(refused.ok, refused.resultMessage, refused.libraryMessage),
              std::tuple(false, tooLarge(30000, 30000), tooLarge(30000, 30000)));
    const PreviewResult shown = preview(client, path(u"huge.bmp"_s));
    EXPECT_EQ(std::tuple(shown.loaded, shown.recognised, shown.libraryMessage),
              std::tuple(false, true, tooLarge(30000, 30000)));
}

TEST_F(WorkerClientTest, NamesThatMisbehaveInTestsAreOrdinaryFilesOtherwise)
{
    qunsetenv("PELORIN_WORKER_TEST");
    const QString picture = writeTestPicture(path(u"photo.png.crash"_s), 60, 40);
    WorkerClient client;
    EXPECT_TRUE(convert(client, request(u"out/photo.png"_s, picture)).ok);
    EXPECT_TRUE(preview(client, picture).loaded);
}

TEST_F(WorkerClientTest, PreviewsThatCrashOrHangCostThatPreviewOnly)
{
    WorkerClient client;
    PreviewResult result = preview(client, path(u"a.png.crash"_s));
    EXPECT_EQ(std::pair(result.loaded, result.libraryMessage),
              std::pair(false, WorkerClient::libraryFailedText()));
    EXPECT_EQ(preview(client, path(u"a.png.hang"_s), 500).libraryMessage,
              WorkerClient::tooLongText());
    EXPECT_EQ(preview(client, m_source).image,
              ConvertPreview::render(previewRequest(m_source)).image);

    // A newer preview does not wait behind one that hangs: that one's worker is ended and never
    // answers, the new one comes from a fresh worker.
    QList<PreviewResult> abandoned;
    client.preview(previewRequest(path(u"a.png.hang"_s)), 60'000,
                   [&](const PreviewResult &got) { abandoned.append(got); });
    const qint64 stuck = client.processId();
    ASSERT_GT(stuck, 0);
    EXPECT_TRUE(preview(client, m_source).loaded);
    EXPECT_NE(client.processId(), stuck);
    EXPECT_TRUE(runEventsUntil([stuck] { return ::kill(pid_t(stuck), 0) != 0; }));
    EXPECT_TRUE(abandoned.isEmpty());
}

TEST_F(WorkerClientTest, StopFinishesTheItemAtOnceAndItsPartialFilesGoWithItsWorker)
{
    WorkerClient client;
    QString partial;
    const ConversionResult stopped = once<ConversionResult>([&](auto done) {
        client.convert(request(u"out/a.png"_s, path(u"a.png.hang"_s)), done);
        partial = path(u"out/.pelorin-%1-k2x9.part"_s.arg(client.processId()));
        ASSERT_TRUE(writeFileBytes(partial, "partial"));
        client.stop();
    });
    EXPECT_EQ(stopped.resultMessage, WorkerClient::stoppedText());
    EXPECT_TRUE(runEventsUntil([&] { return !QFile::exists(partial); }));
    EXPECT_TRUE(convert(client, request(u"out/b.png"_s)).ok);
}

// A worker ended by a signal: by someone else than this program, or by its own fault.
TEST_F(WorkerClientTest, WorkerEndedBySignalIsLoggedWithWhoEndedIt)
{
    const std::pair<int, QString> cases[] = {{SIGKILL, WorkerClient::stoppedBySystemText()},
                                             {SIGTERM, WorkerClient::stoppedBySystemText()},
                                             {SIGINT, WorkerClient::stoppedBySystemText()},
                                             {SIGHUP, WorkerClient::stoppedBySystemText()},
                                             {SIGSEGV, WorkerClient::libraryFailedText()},
                                             {SIGABRT, WorkerClient::libraryFailedText()},
                                             {SIGBUS, WorkerClient::libraryFailedText()},
                                             {SIGILL, WorkerClient::libraryFailedText()},
                                             {SIGFPE, WorkerClient::libraryFailedText()},
                                             {SIGXCPU, WorkerClient::tooLongText()}};
    // Fails rather than waits, should the signal not end it.
    WorkerClient client(limits(20'000));
    for (const auto &[signal, expected] : cases) {
        const auto previous = std::signal(signal, SIG_DFL); // an ignored one would stay ignored
        const ConversionResult result = once<ConversionResult>([&](auto done) {
            client.convert(request(u"out/a.png"_s, path(u"a.png.hang"_s)), done);
            ASSERT_EQ(::kill(pid_t(client.processId()), signal), 0);
        });
        EXPECT_EQ(result.resultMessage, expected) << ::sigabbrev_np(signal);
        std::signal(signal, previous);
    }
}

TEST_F(WorkerClientTest, AMissingHelperFailsEachItemAtOnce)
{
    qputenv("PELORIN_WORKER", QFile::encodeName(path(u"no-such-worker"_s)));
    WorkerClient client;
    for (int item = 0; item < 2; ++item)
        EXPECT_EQ(convert(client, request(u"out/a.png"_s)).resultMessage,
                  WorkerClient::notStartedText());
    const PreviewResult shown = preview(client, m_source);
    EXPECT_EQ(std::pair(shown.loaded, shown.libraryMessage),
              std::pair(false, WorkerClient::notStartedText()));
}

} // namespace
