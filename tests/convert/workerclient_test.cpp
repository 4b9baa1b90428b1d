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
    void TearDown() override { qunsetenv("PELORIN_WORKER_TEST"); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // From a file of the folder to one of its out/.
    ConversionRequest request(const QString &from, const QString &to) const
    {
        return {path(from), path(u"out/"_s + to), {}, 0};
    }
    static PreviewRequest previewRequest(const QString &from)
    {
        return {from, QSize(40, 40), 0, OutputFormat::Jpeg, 16, false, 4, QString()};
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

TEST_F(WorkerClientTest, ACrashCostsOneItemAndRemovesThatWorkersPartialFilesOnly)
{
    WorkerClient client;
    ASSERT_TRUE(convert(client, request(u"a.png"_s, u"first.png"_s)).ok);
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
        convert(client, request(u"second.png.crash"_s, u"second.png"_s));
    EXPECT_EQ(std::pair(failed.ok, failed.resultMessage),
              std::pair(false, WorkerClient::libraryFailedText()));
    for (const QString &name : own + others)
        EXPECT_EQ(QFile::exists(out + name), others.contains(name)) << name.toStdString();

    EXPECT_TRUE(convert(client, request(u"a.png"_s, u"third.png"_s)).ok);
    EXPECT_NE(client.processId(), crashed);
}

TEST_F(WorkerClientTest, RunawayItemsMeetTheirLimitsAndAFreshWorkerServesTheNext)
{
    WorkerClient client({.cpuSecondsPerItem = 1, .itemTimeoutMs = 1000});
    EXPECT_EQ(convert(client, request(u"a.png.hang"_s, u"a.png"_s)).resultMessage,
              WorkerClient::tooLongText());
    // A fresh worker serves the next item; a preview, whose own time-out is generous, so that a
    // busy machine cannot fail it.
    EXPECT_TRUE(preview(client, m_source).loaded);

    // The processor limit counts the life of the process, rounded up to whole seconds: three
    // items of 0.8 s pass only if each gets a budget of its own. The item time-out is generous
    // here, so that a busy machine does not end them first.
    WorkerClient burner({.cpuSecondsPerItem = 1, .itemTimeoutMs = 60'000});
    writeTestPicture(path(u"slow.png.burn-800"_s), 60, 40);
    qint64 worker = 0;
    for (int item = 0; item < 3; ++item) {
        EXPECT_TRUE(convert(burner, request(u"slow.png.burn-800"_s, u"slow%1.png"_s.arg(item))).ok);
        worker = item == 0 ? burner.processId() : worker;
        EXPECT_EQ(burner.processId(), worker);
    }
    EXPECT_EQ(convert(burner, request(u"a.png.burn"_s, u"a.png"_s)).resultMessage,
              WorkerClient::tooLongText());

    // 48 MB of pixels once decoded, in 48 MiB of address space.
    WorkerClient limited({.addressSpace = 48LL * 1024 * 1024});
    writeTestPicture(path(u"big.png"_s), 4000, 4000);
    EXPECT_FALSE(convert(limited, request(u"big.png"_s, u"big.jpg"_s)).ok);
    EXPECT_FALSE(QFile::exists(path(u"out/big.jpg"_s)));
}

TEST_F(WorkerClientTest, PicturesAbovePixelBudgetAreRefusedUnread)
{
    // A BMP header without pixels that claims width × height: from offset 10, where the pixels
    // start, the size of the info header, the size, and one plane of 24 bits.
    const auto bmpHeader = [](qint32 width, qint32 height) {
        QByteArray bytes = "BM" + QByteArray(52, '\0');
        const qint32 fields[] = {54, 40, width, height, 1 | 24 << 16};
        qToLittleEndian<qint32>(fields, 5, bytes.data() + 10);
        return bytes;
    };
    const auto tooLarge = [](int w, int h) {
        return u"the picture is too large to convert (%1 \u00D7 %2 pixels)"_s.arg(w).arg(h);
    };
    // 2^32 pixels: a 32-bit product would wrap to 0 and let it through.
    ASSERT_TRUE(writeFileBytes(path(u"wraps.bmp"_s), bmpHeader(65536, 65536)));
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"wraps.bmp"_s), QString(), 150'000'000),
              tooLarge(65536, 65536));

    // The log names the reason also for a row marked as no picture; the preview shows the
    // reason, not a file icon.
    ASSERT_TRUE(writeFileBytes(path(u"huge.bmp"_s), bmpHeader(30000, 30000)));
    const QString refusal = tooLarge(30000, 30000);
    WorkerClient client;
    const ConversionResult refused = convert(client, request(u"huge.bmp"_s, u"huge.png"_s));
    EXPECT_EQ(std::tuple(refused.ok, refused.resultMessage, refused.libraryMessage),
              std::tuple(false, refusal, refusal));
    const PreviewResult shown = preview(client, path(u"huge.bmp"_s));
    EXPECT_EQ(std::tuple(shown.loaded, shown.recognised, shown.libraryMessage),
              std::tuple(false, true, refusal));
}

// Previews the library dies or hangs on cost that preview only; a newer preview does not wait
// behind one that hangs: that one's worker is ended and never answers.
TEST_F(WorkerClientTest, PreviewsThatCrashOrHangCostThatPreviewOnly)
{
    WorkerClient client;
    PreviewResult result = preview(client, path(u"a.png.crash"_s));
    EXPECT_EQ(std::pair(result.loaded, result.libraryMessage),
              std::pair(false, WorkerClient::libraryFailedText()));
    EXPECT_EQ(preview(client, path(u"a.png.hang"_s), 500).libraryMessage,
              WorkerClient::tooLongText());

    QList<PreviewResult> abandoned;
    client.preview(previewRequest(path(u"a.png.hang"_s)), 60'000,
                   [&](const PreviewResult &got) { abandoned.append(got); });
    const qint64 stuck = client.processId();
    ASSERT_GT(stuck, 0);
    EXPECT_TRUE(preview(client, m_source).loaded);
    EXPECT_NE(client.processId(), stuck);
    EXPECT_TRUE(runEventsUntil([stuck] { return ::kill(pid_t(stuck), 0) != 0; }));
    EXPECT_TRUE(abandoned.isEmpty());

    // Without the test switch those names are ordinary files.
    qunsetenv("PELORIN_WORKER_TEST");
    WorkerClient plain;
    const QString picture = writeTestPicture(path(u"photo.png.crash"_s), 60, 40);
    EXPECT_TRUE(preview(plain, picture).loaded);
    EXPECT_TRUE(convert(plain, request(u"photo.png.crash"_s, u"photo.png"_s)).ok);
}

// A worker killed by someone else than this program (the out-of-memory killer, a user) is not
// the file's fault; its own crash and the processor limit are logged above. One that cannot
// start fails each item, not the first only.
TEST_F(WorkerClientTest, WorkerKilledOrNeverStartedIsLoggedWithWhy)
{
    WorkerClient client({.itemTimeoutMs = 20'000}); // fails rather than waits, should one not end
    for (int signal : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        const auto previous = std::signal(signal, SIG_DFL); // an ignored one would stay ignored
        const ConversionResult result = once<ConversionResult>([&](auto done) {
            client.convert(request(u"a.png.hang"_s, u"a.png"_s), done);
            ASSERT_EQ(::kill(pid_t(client.processId()), signal), 0);
        });
        EXPECT_EQ(result.resultMessage, WorkerClient::stoppedBySystemText())
            << ::sigabbrev_np(signal);
        std::signal(signal, previous);
    }

    qputenv("PELORIN_WORKER", QFile::encodeName(path(u"no-such-worker"_s)));
    WorkerClient missing;
    for (int item = 0; item < 2; ++item)
        EXPECT_EQ(convert(missing, request(u"a.png"_s, u"a.png"_s)).resultMessage,
                  WorkerClient::notStartedText());
    EXPECT_EQ(preview(missing, m_source).libraryMessage, WorkerClient::notStartedText());
    qunsetenv("PELORIN_WORKER");
}

} // namespace
