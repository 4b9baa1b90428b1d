#include "convert/workerclient.h"

#include "convert/librarymessages.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// A BMP header without pixels that claims width × height.
QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    qToLittleEndian<quint32>(54, bytes.data() + 10);
    qToLittleEndian<quint32>(40, bytes.data() + 14);
    qToLittleEndian<qint32>(width, bytes.data() + 18);
    qToLittleEndian<qint32>(height, bytes.data() + 22);
    qToLittleEndian<quint16>(1, bytes.data() + 26);
    qToLittleEndian<quint16>(24, bytes.data() + 28);
    return bytes;
}

class WorkerClientTest : public testing::Test
{
protected:
    void SetUp() override
    {
        LibraryMessages::install();
        qputenv("PELORIN_WORKER_TEST", "1");
        ASSERT_TRUE(m_dir.isValid());
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
        ConversionRequest r;
        r.sourcePath = source.isEmpty() ? m_source : source;
        r.destinationPath = path(destination);
        r.options.sourceFolder = m_dir.path();
        r.options.destinationFolder = QFileInfo(r.destinationPath).path();
        return r;
    }

    // Converts through the client; the result must come exactly once.
    ConversionResult convert(WorkerClient &client, const ConversionRequest &r)
    {
        QList<ConversionResult> results;
        client.convert(r, [&](const ConversionResult &got) { results.append(got); });
        EXPECT_TRUE(runEventsUntil([&] { return !results.isEmpty(); }));
        QCoreApplication::processEvents(); // a second result would be posted by now
        EXPECT_EQ(results.size(), 1);
        return results.value(0, {false, u"no result"_s, QString()});
    }

    // Collects what the client hands to finished.
    template <typename Result> static auto into(QList<Result> &results)
    {
        return [&results](const Result &got) { results.append(got); };
    }

    static PreviewRequest previewRequest(const QString &source)
    {
        PreviewRequest r;
        r.sourcePath = source;
        r.frame = QSize(40, 40);
        return r;
    }

    // Previews through the client; the result must come exactly once.
    PreviewResult preview(WorkerClient &client, const QString &source, int timeoutMs = 10'000)
    {
        QList<PreviewResult> results;
        client.preview(previewRequest(source), timeoutMs, into(results));
        EXPECT_TRUE(runEventsUntil([&] { return !results.isEmpty(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(results.size(), 1);
        return results.value(0);
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
    many.options.jpegQualityPosition = 3;
    many.options.resize = true;
    many.options.resizePixels = 50;
    many.options.grayscale = true;
    many.options.deleteMetadata = true;

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
        EXPECT_EQ(got.ok, expected.ok);
        EXPECT_EQ(got.resultMessage, expected.resultMessage);
        EXPECT_EQ(got.libraryMessage, expected.libraryMessage);
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
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.resultMessage, WorkerClient::libraryFailedText());
    for (const QString &name : own)
        EXPECT_FALSE(QFile::exists(out + name)) << name.toStdString();
    for (const QString &name : others)
        EXPECT_TRUE(QFile::exists(out + name)) << name.toStdString();

    EXPECT_TRUE(convert(client, request(u"out/third.png"_s)).ok);
    EXPECT_NE(client.processId(), crashed);
}

TEST_F(WorkerClientTest, RunawayItemsMeetTheirLimitsAndAFreshWorkerServesTheNext)
{
    WorkerClient::Limits limits;
    limits.itemTimeoutMs = 1000;
    limits.cpuSecondsPerItem = 1;
    WorkerClient client(limits);

    EXPECT_EQ(convert(client, request(u"out/a.png"_s, path(u"a.png.hang"_s))).resultMessage,
              WorkerClient::tooLongText());
    // A fresh worker serves the next item; a preview, whose own time-out is generous, so that a
    // busy machine cannot fail it.
    EXPECT_TRUE(preview(client, m_source).loaded);

    // The processor limit counts the life of the process, rounded up to whole seconds: three
    // items of 0.8 s pass only if each gets a budget of its own. The item time-out is generous
    // here, so that a busy machine does not end them first.
    WorkerClient::Limits cpu;
    cpu.itemTimeoutMs = 60'000;
    cpu.cpuSecondsPerItem = 1;
    WorkerClient burner(cpu);
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
    WorkerClient::Limits small;
    small.addressSpace = 48LL * 1024 * 1024;
    WorkerClient limited(small);
    const QString big = writeTestPicture(path(u"big.png"_s), 4000, 4000);
    EXPECT_FALSE(convert(limited, request(u"out/big.jpg"_s, big)).ok);
    EXPECT_FALSE(QFile::exists(path(u"out/big.jpg"_s)));
}

TEST_F(WorkerClientTest, PicturesAbovePixelBudgetAreRefusedUnread)
{
    ASSERT_TRUE(writeFileBytes(path(u"huge.bmp"_s), bmpHeader(30000, 30000)));
    // 2^32 pixels: a 32-bit product would wrap to 0 and let it through.
    ASSERT_TRUE(writeFileBytes(path(u"wraps.bmp"_s), bmpHeader(65536, 65536)));
    const auto tooLarge = [](int w, int h) {
        return u"the picture is too large to convert (%1 \u00D7 %2 pixels)"_s.arg(w).arg(h);
    };
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"wraps.bmp"_s), QString(), 150'000'000),
              tooLarge(65536, 65536));
    // At the budget is allowed; a file whose size cannot be told is left to the loader.
    const QString square = writeTestPicture(path(u"square.png"_s), 100, 100);
    EXPECT_EQ(ImagePipeline::checkPixelBudget(square, QString(), 10'000), QString());
    EXPECT_EQ(ImagePipeline::checkPixelBudget(square, QString(), 9'999), tooLarge(100, 100));
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"missing.png"_s), QString(), 1), QString());

    WorkerClient client;
    const ConversionResult refused =
        convert(client, request(u"out/huge.png"_s, path(u"huge.bmp"_s)));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.resultMessage, tooLarge(30000, 30000));
    // The log names the reason also for a row marked as no picture.
    EXPECT_EQ(refused.libraryMessage, tooLarge(30000, 30000));
    const PreviewResult shown = preview(client, path(u"huge.bmp"_s));
    EXPECT_FALSE(shown.loaded);
    EXPECT_TRUE(shown.recognised); // the reason shows, not a file icon
    EXPECT_EQ(shown.libraryMessage, tooLarge(30000, 30000));
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
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(result.libraryMessage, WorkerClient::libraryFailedText());

    result = preview(client, path(u"a.png.hang"_s), 500);
    EXPECT_EQ(result.libraryMessage, WorkerClient::tooLongText());

    result = preview(client, m_source);
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(result.image, ConvertPreview::render(previewRequest(m_source)).image);

    // A newer preview does not wait behind one that hangs: that one's worker is ended and never
    // answers, the new one comes from a fresh worker.
    QList<PreviewResult> abandoned;
    client.preview(previewRequest(path(u"a.png.hang"_s)), 60'000, into(abandoned));
    const qint64 stuck = client.processId();
    ASSERT_GT(stuck, 0);
    result = preview(client, m_source);
    EXPECT_TRUE(result.loaded);
    EXPECT_NE(client.processId(), stuck);
    EXPECT_TRUE(runEventsUntil([stuck] { return ::kill(pid_t(stuck), 0) != 0; }));
    EXPECT_TRUE(abandoned.isEmpty());
}

TEST_F(WorkerClientTest, StopFinishesTheItemAtOnceAndItsPartialFilesGoWithItsWorker)
{
    WorkerClient client;
    QList<ConversionResult> results;
    client.convert(request(u"out/a.png"_s, path(u"a.png.hang"_s)), into(results));
    const QString partial = path(u"out/.pelorin-%1-k2x9.part"_s.arg(client.processId()));
    ASSERT_TRUE(writeFileBytes(partial, "partial"));
    client.stop();
    EXPECT_TRUE(runEventsUntil([&] { return !results.isEmpty() && !QFile::exists(partial); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].resultMessage, WorkerClient::stoppedText());
    EXPECT_TRUE(convert(client, request(u"out/b.png"_s)).ok);
}

// A worker ended by a signal: by someone else than this program, or by its own fault.
class WorkerEndedBySignal : public WorkerClientTest,
                            public testing::WithParamInterface<std::pair<int, QString (*)()>>
{
};

TEST_P(WorkerEndedBySignal, IsLoggedWithWhoEndedIt)
{
    const auto [signal, expected] = GetParam();
    // An ignored signal would stay ignored in the worker.
    const auto previous = std::signal(signal, SIG_DFL);
    WorkerClient::Limits limits;
    limits.itemTimeoutMs = 20'000; // fails rather than waits, should the signal not end it
    WorkerClient client(limits);
    QList<ConversionResult> results;
    client.convert(request(u"out/a.png"_s, path(u"a.png.hang"_s)), into(results));
    ASSERT_EQ(::kill(pid_t(client.processId()), signal), 0);
    EXPECT_TRUE(runEventsUntil([&] { return !results.isEmpty(); }, 30'000));
    EXPECT_EQ(results.value(0).resultMessage, expected());
    std::signal(signal, previous);
}

INSTANTIATE_TEST_SUITE_P(Signals, WorkerEndedBySignal,
                         testing::Values(std::pair(SIGKILL, &WorkerClient::stoppedBySystemText),
                                         std::pair(SIGTERM, &WorkerClient::stoppedBySystemText),
                                         std::pair(SIGINT, &WorkerClient::stoppedBySystemText),
                                         std::pair(SIGHUP, &WorkerClient::stoppedBySystemText),
                                         std::pair(SIGSEGV, &WorkerClient::libraryFailedText),
                                         std::pair(SIGABRT, &WorkerClient::libraryFailedText),
                                         std::pair(SIGBUS, &WorkerClient::libraryFailedText),
                                         std::pair(SIGILL, &WorkerClient::libraryFailedText),
                                         std::pair(SIGFPE, &WorkerClient::libraryFailedText),
                                         std::pair(SIGXCPU, &WorkerClient::tooLongText)),
                         [](const auto &info) {
                             return std::string(::sigabbrev_np(info.param.first));
                         });

TEST_F(WorkerClientTest, AMissingHelperFailsEachItemAtOnce)
{
    qputenv("PELORIN_WORKER", QFile::encodeName(path(u"no-such-worker"_s)));
    WorkerClient client;
    for (int item = 0; item < 2; ++item)
        EXPECT_EQ(convert(client, request(u"out/a.png"_s)).resultMessage,
                  WorkerClient::notStartedText());
    const PreviewResult shown = preview(client, m_source);
    EXPECT_FALSE(shown.loaded);
    EXPECT_EQ(shown.libraryMessage, WorkerClient::notStartedText());
}

} // namespace
