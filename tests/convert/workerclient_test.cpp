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
        writeTestPicture(path(u"a.png"_s), 60, 40);
    }
    void TearDown() override { qunsetenv("PELORIN_WORKER_TEST"); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
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
    // From a file of the folder to one of its out/.
    ConversionResult convert(WorkerClient &client, const QString &from, const QString &to) const
    {
        const ConversionRequest r{path(from), path(u"out/"_s + to), {}, 0};
        return once<ConversionResult>([&](auto done) { client.convert(r, done); });
    }
    static PreviewRequest previewRequest(const QString &from)
    {
        return {from, QSize(40, 40), 0, OutputFormat::Jpeg, 16, false, 4, QString()};
    }
    PreviewResult preview(WorkerClient &client, const QString &from, int ms = 10'000) const
    {
        return once<PreviewResult>(
            [&](auto done) { client.preview(previewRequest(path(from)), ms, done); });
    }

    QTemporaryDir m_dir;
};

TEST_F(WorkerClientTest, ACrashCostsOneItemAndRemovesThatWorkersPartialFilesOnly)
{
    WorkerClient client;
    ASSERT_TRUE(convert(client, u"a.png"_s, u"first.png"_s).ok);
    const qint64 crashed = client.processId();
    ASSERT_GT(crashed, 0);

    // What the worker left when it died mid-save, beside files that are not its own: another
    // worker's (still saving), one whose id starts with the same digits, and a picture.
    const QString out = path(u"out/.pelorin-"_s);
    const QStringList own = {u"%1-k2x9.part"_s.arg(crashed), u"%1-00.part"_s.arg(crashed)};
    const QStringList others = {u"%1-k2x9.part"_s.arg(crashed + 1),
                                u"%1-k2x9.part"_s.arg(crashed * 10 + 1),
                                u"%1-k2x9.jpg"_s.arg(crashed)};
    for (const QString &name : own + others)
        ASSERT_TRUE(writeFileBytes(out + name, "partial"));
    const ConversionResult failed = convert(client, u"second.png.crash"_s, u"second.png"_s);
    EXPECT_EQ(std::pair(failed.ok, failed.resultMessage),
              std::pair(false, WorkerClient::libraryFailedText()));
    for (const QString &name : own + others)
        EXPECT_EQ(QFile::exists(out + name), others.contains(name)) << name.toStdString();
    EXPECT_TRUE(convert(client, u"a.png"_s, u"third.png"_s).ok);
    EXPECT_NE(client.processId(), crashed);
}

TEST_F(WorkerClientTest, RunawayItemsMeetTheirLimitsAndAFreshWorkerServesTheNext)
{
    WorkerClient client({.cpuSecondsPerItem = 1, .itemTimeoutMs = 1000});
    EXPECT_EQ(convert(client, u"a.png.hang"_s, u"a.png"_s).resultMessage,
              WorkerClient::tooLongText());
    // A fresh worker serves the next item; a preview, whose own time-out is generous, so that a
    // busy machine cannot fail it.
    EXPECT_TRUE(preview(client, u"a.png"_s).loaded);

    // The processor limit counts the life of the process, rounded up to whole seconds: three
    // items of 0.8 s pass only if each gets a budget of its own. The item time-out is generous
    // here, so that a busy machine does not end them first.
    WorkerClient burner({.cpuSecondsPerItem = 1, .itemTimeoutMs = 60'000});
    writeTestPicture(path(u"slow.png.burn-800"_s), 60, 40);
    QList<qint64> workers;
    for (int item = 0; item < 3; ++item) {
        EXPECT_TRUE(convert(burner, u"slow.png.burn-800"_s, u"slow%1.png"_s.arg(item)).ok);
        workers.append(burner.processId());
    }
    EXPECT_EQ(workers, QList<qint64>(3, workers[0]));
    EXPECT_EQ(convert(burner, u"a.png.burn"_s, u"a.png"_s).resultMessage,
              WorkerClient::tooLongText());

    // 48 MB of pixels once decoded, in 48 MiB of address space.
    WorkerClient limited({.addressSpace = 48LL * 1024 * 1024});
    writeTestPicture(path(u"big.png"_s), 4000, 4000);
    EXPECT_FALSE(convert(limited, u"big.png"_s, u"big.jpg"_s).ok);
    EXPECT_FALSE(QFile::exists(path(u"out/big.jpg"_s)));
}

// A BMP header without pixels that claims 65536 × 65536: a 32-bit product would wrap to 0 and
// let it through. The log names the reason also for a row marked as no picture; the preview
// shows the reason, not a file icon.
TEST_F(WorkerClientTest, PicturesAbovePixelBudgetAreRefusedUnread)
{
    // From offset 10, where the pixels start: the size of the info header, the size, and one
    // plane of 24 bits.
    QByteArray bmp = "BM" + QByteArray(52, '\0');
    const qint32 fields[] = {54, 40, 65536, 65536, 1 | 24 << 16};
    qToLittleEndian<qint32>(fields, 5, bmp.data() + 10);
    ASSERT_TRUE(writeFileBytes(path(u"huge.bmp"_s), bmp));
    const QString refusal = u"the picture is too large to convert (65536 \u00D7 65536 pixels)"_s;
    WorkerClient client;
    const ConversionResult refused = convert(client, u"huge.bmp"_s, u"huge.png"_s);
    EXPECT_EQ(std::tuple(refused.ok, refused.resultMessage, refused.libraryMessage),
              std::tuple(false, refusal, refusal));
    const PreviewResult shown = preview(client, u"huge.bmp"_s);
    EXPECT_EQ(std::tuple(shown.loaded, shown.recognised, shown.libraryMessage),
              std::tuple(false, true, refusal));
}

// Previews the library dies or hangs on cost that preview only; a newer preview does not wait
// behind one that hangs: that one's worker is ended and never answers.
TEST_F(WorkerClientTest, PreviewsThatCrashOrHangCostThatPreviewOnly)
{
    WorkerClient client;
    const PreviewResult result = preview(client, u"a.png.crash"_s);
    EXPECT_EQ(std::pair(result.loaded, result.libraryMessage),
              std::pair(false, WorkerClient::libraryFailedText()));
    EXPECT_EQ(preview(client, u"a.png.hang"_s, 500).libraryMessage, WorkerClient::tooLongText());

    QList<PreviewResult> abandoned;
    client.preview(previewRequest(path(u"a.png.hang"_s)), 60'000,
                   [&](const PreviewResult &got) { abandoned.append(got); });
    const qint64 stuck = client.processId();
    ASSERT_GT(stuck, 0);
    EXPECT_TRUE(preview(client, u"a.png"_s).loaded);
    EXPECT_NE(client.processId(), stuck);
    EXPECT_TRUE(runEventsUntil([stuck] { return ::kill(pid_t(stuck), 0) != 0; }));
    EXPECT_TRUE(abandoned.isEmpty());

    // Without the test switch those names are ordinary files.
    qunsetenv("PELORIN_WORKER_TEST");
    WorkerClient plain;
    writeTestPicture(path(u"photo.png.crash"_s), 60, 40);
    EXPECT_TRUE(preview(plain, u"photo.png.crash"_s).loaded &&
                convert(plain, u"photo.png.crash"_s, u"photo.png"_s).ok);
}

// A worker killed by someone else than this program (the out-of-memory killer, a user) is not
// the file's fault; its own crash and the processor limit are logged above. One that cannot
// start fails each item, not the first only.
TEST_F(WorkerClientTest, WorkerKilledOrNeverStartedIsLoggedWithWhy)
{
    WorkerClient client({.itemTimeoutMs = 20'000}); // fails rather than waits, should one not end
    const ConversionRequest hang{path(u"a.png.hang"_s), path(u"out/a.png"_s), {}, 0};
    for (int signal : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        const auto previous = std::signal(signal, SIG_DFL); // an ignored one would stay ignored
        const ConversionResult result = once<ConversionResult>([&](auto done) {
            client.convert(hang, done);
            ASSERT_EQ(::kill(pid_t(client.processId()), signal), 0);
        });
        EXPECT_EQ(result.resultMessage, WorkerClient::stoppedBySystemText())
            << ::sigabbrev_np(signal);
        std::signal(signal, previous);
    }

    qputenv("PELORIN_WORKER", QFile::encodeName(path(u"no-such-worker"_s)));
    WorkerClient missing;
    for (int item = 0; item < 2; ++item)
        EXPECT_EQ(convert(missing, u"a.png"_s, u"a.png"_s).resultMessage,
                  WorkerClient::notStartedText());
    EXPECT_EQ(preview(missing, u"a.png"_s).libraryMessage, WorkerClient::notStartedText());
    qunsetenv("PELORIN_WORKER");
}

} // namespace
