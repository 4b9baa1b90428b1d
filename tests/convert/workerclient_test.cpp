#include "convert/workerclient.h"

#include "convert/librarymessages.h"

#include "testpictures.h"

#include "qtprinters.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs the event loop until done() holds or ms have passed.
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

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A BMP header, without pixels, claiming a picture of width × height.
QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray bytes(54, '\0');
    char *p = bytes.data();
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(54, p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    return bytes;
}

// A real JPEG of a few hundred bytes whose frame header claims 30000 × 30000 pixels.
QByteArray hugeJpeg(const QString &scratch)
{
    QByteArray bytes = readAll(writeTestPicture(scratch, 64, 48, FIF_JPEG));
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    if (frame < 0)
        return QByteArray();
    qToBigEndian<quint16>(30000, bytes.data() + frame + 5);
    qToBigEndian<quint16>(30000, bytes.data() + frame + 7);
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
    }
    void TearDown() override
    {
        qunsetenv("PELORIN_WORKER_TEST");
        qunsetenv("PELORIN_WORKER");
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ConversionRequest request(const QString &source, const QString &destination) const
    {
        ConversionRequest r;
        r.sourcePath = source;
        r.destinationPath = destination;
        r.options.sourceFolder = m_dir.path();
        r.options.destinationFolder = QFileInfo(destination).path();
        return r;
    }

    // Converts through the client and checks that the result comes exactly once.
    ConversionResult convert(WorkerClient &client, const ConversionRequest &r)
    {
        std::optional<ConversionResult> result;
        int calls = 0;
        client.convert(r, [&](const ConversionResult &got) {
            result = got;
            ++calls;
        });
        EXPECT_TRUE(runUntil([&] { return calls > 0; }));
        runUntil([] { return false; }, 30); // a second call would come now
        EXPECT_EQ(calls, 1);
        return result.value_or(ConversionResult{false, u"no result"_s, QString()});
    }

    QTemporaryDir m_dir;
};

TEST_F(WorkerClientTest, ConvertsToTheSameBytesAsThePipelineInProcess)
{
    const QString png = writeTestPicture(path(u"a.png"_s), 120, 90);
    const QString jpeg = writeTestPicture(path(u"b.jpg"_s), 96, 64, FIF_JPEG);
    QFile fake(path(u"fake.jpg"_s));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("\xFF\xD8\xFF\xE0 not really a JPEG");
    fake.close();
    QDir(m_dir.path()).mkpath(u"here"_s);

    struct Case
    {
        QString source;
        QString output;
        std::function<void(ConversionRequest &)> set;
    };
    const QList<Case> cases = {
        {png, u"a.jpg"_s,
         [](ConversionRequest &r) {
             r.rotation = 90;
             r.options.jpegQualityPosition = 3;
             r.options.resize = true;
             r.options.resizePixels = 50;
             r.options.grayscale = true;
             r.options.deleteMetadata = true;
         }},
        {jpeg, u"b.png"_s, [](ConversionRequest &r) { r.rotation = -90; }},
        {png, u"a.webp"_s, [](ConversionRequest &) {}},
        {jpeg, u"b.tif"_s,
         [](ConversionRequest &r) {
             r.options.resize = true;
             r.options.resizeMode = ResizeMode::LargeSide;
             r.options.resizePixels = 40;
         }},
        {fake.fileName(), u"fake.png"_s, [](ConversionRequest &) {}},
    };

    WorkerClient client;
    for (const Case &c : cases) {
        ConversionRequest here = request(c.source, path(u"here/"_s + c.output));
        ConversionRequest there = request(c.source, path(u"out/"_s + c.output));
        c.set(here);
        c.set(there);
        const ConversionResult expected = ImagePipeline::convertOne(here);
        const ConversionResult got = convert(client, there);
        EXPECT_EQ(got.ok, expected.ok) << c.output.toStdString();
        EXPECT_EQ(got.resultMessage, expected.resultMessage);
        EXPECT_EQ(got.libraryMessage, expected.libraryMessage);
        EXPECT_EQ(readAll(there.destinationPath), readAll(here.destinationPath))
            << c.output.toStdString();
    }
    EXPECT_FALSE(LibraryMessages::last().isEmpty()); // the fake JPEG was refused in process
    // One worker served every item, and left nothing behind.
    const QStringList left =
        QDir(path(u"out"_s)).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList({u"a.jpg"_s, u"a.webp"_s, u"b.png"_s, u"b.tif"_s}));
}

TEST_F(WorkerClientTest, ACrashCostsOneItemAndRemovesThatWorkersPartialFilesOnly)
{
    const QString source = writeTestPicture(path(u"a.png"_s), 60, 40);
    WorkerClient client;
    ASSERT_TRUE(convert(client, request(source, path(u"out/first.png"_s))).ok);
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
        ASSERT_TRUE(writeAll(out + name, "partial"));

    client.setNextFault(WorkerClient::Fault::Crash);
    const ConversionResult failed = convert(client, request(source, out + u"second.png"_s));
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.resultMessage, WorkerClient::libraryFailedText());
    for (const QString &name : own)
        EXPECT_FALSE(QFile::exists(out + name)) << name.toStdString();
    for (const QString &name : others)
        EXPECT_TRUE(QFile::exists(out + name)) << name.toStdString();

    // The next item gets a fresh worker.
    EXPECT_TRUE(convert(client, request(source, out + u"third.png"_s)).ok);
    EXPECT_NE(client.processId(), crashed);
    EXPECT_TRUE(QFile::exists(out + u"third.png"_s));
}

TEST_F(WorkerClientTest, AHangIsStoppedAtTheWallClockLimit)
{
    WorkerClient::Limits limits;
    limits.itemTimeoutMs = 1000;
    WorkerClient client(limits);
    const QString source = writeTestPicture(path(u"a.png"_s), 60, 40);

    client.setNextFault(WorkerClient::Fault::Hang);
    QElapsedTimer timer;
    timer.start();
    const ConversionResult hung = convert(client, request(source, path(u"out/a.png"_s)));
    EXPECT_FALSE(hung.ok);
    EXPECT_EQ(hung.resultMessage, WorkerClient::tooLongText());
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(convert(client, request(source, path(u"out/a.png"_s))).ok);
}

TEST_F(WorkerClientTest, ProcessorTimeIsBudgetedPerItem)
{
    WorkerClient::Limits limits;
    limits.cpuSecondsPerItem = 1;
    WorkerClient client(limits);
    const QString source = writeTestPicture(path(u"a.png"_s), 60, 40);
    const ConversionRequest picture = request(source, path(u"out/a.png"_s));

    // The limit counts the life of the process, rounded up to whole seconds: three items of
    // 0.8 s pass only if each gets its own budget.
    qint64 worker = 0;
    for (int item = 0; item < 3; ++item) {
        client.setNextFault(WorkerClient::Fault::BurnCpu, 800);
        EXPECT_EQ(convert(client, picture).resultMessage, u"used 800 ms of processor time"_s);
        if (item == 0)
            worker = client.processId();
        EXPECT_EQ(client.processId(), worker);
    }

    client.setNextFault(WorkerClient::Fault::BurnCpu, 0);
    EXPECT_EQ(convert(client, picture).resultMessage, WorkerClient::tooLongText());
    EXPECT_TRUE(convert(client, picture).ok);
}

TEST_F(WorkerClientTest, PicturesAbovePixelBudgetAreRefusedUnread)
{
    ASSERT_TRUE(writeAll(path(u"huge.jpg"_s), hugeJpeg(path(u"scratch.jpg"_s))));
    ASSERT_TRUE(writeAll(path(u"huge.bmp"_s), bmpHeader(30000, 30000)));
    // 2^32 pixels: a 32-bit product would wrap to 0 and let it through.
    ASSERT_TRUE(writeAll(path(u"wraps.bmp"_s), bmpHeader(65536, 65536)));

    const QString jpegRefusal =
        u"the picture is too large to convert (30000 \u00D7 30000 pixels)"_s;
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"huge.jpg"_s), QString(), 150'000'000),
              jpegRefusal);
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"huge.bmp"_s), QString(), 150'000'000),
              jpegRefusal);
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"wraps.bmp"_s), QString(), 150'000'000),
              u"the picture is too large to convert (65536 \u00D7 65536 pixels)"_s);
    // Exactly at the budget is allowed; a file whose size cannot be told is left to the loader.
    const QString square = writeTestPicture(path(u"square.png"_s), 100, 100);
    EXPECT_EQ(ImagePipeline::checkPixelBudget(square, QString(), 10'000), QString());
    EXPECT_EQ(ImagePipeline::checkPixelBudget(square, QString(), 9'999),
              u"the picture is too large to convert (100 \u00D7 100 pixels)"_s);
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(u"missing.png"_s), QString(), 1), QString());

    WorkerClient client;
    QElapsedTimer timer;
    timer.start();
    const ConversionResult refused =
        convert(client, request(path(u"huge.jpg"_s), path(u"out/huge.png"_s)));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.resultMessage, jpegRefusal);
    PreviewRequest preview;
    preview.sourcePath = path(u"huge.jpg"_s);
    preview.frame = QSize(200, 200);
    const PreviewResult shown = client.preview(preview, 10'000);
    EXPECT_FALSE(shown.loaded);
    EXPECT_EQ(shown.libraryMessage, jpegRefusal);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_FALSE(QFile::exists(path(u"out/huge.png"_s)));
}

TEST_F(WorkerClientTest, TheAddressSpaceLimitFailsTheItemThatExceedsIt)
{
    // 48 MB of pixels once decoded.
    const QString source = writeTestPicture(path(u"big.png"_s), 4000, 4000);
    WorkerClient::Limits small;
    small.addressSpace = 48LL * 1024 * 1024;
    WorkerClient limited(small);
    const ConversionResult refused = convert(limited, request(source, path(u"out/big.jpg"_s)));
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(QFile::exists(path(u"out/big.jpg"_s)));

    WorkerClient roomy;
    EXPECT_TRUE(convert(roomy, request(source, path(u"out/big.jpg"_s))).ok);
}

TEST_F(WorkerClientTest, PreviewsThatCrashOrHangCostThatPreviewOnly)
{
    const QString source = writeTestPicture(path(u"a.png"_s), 80, 60);
    PreviewRequest preview;
    preview.sourcePath = source;
    preview.frame = QSize(40, 40);
    WorkerClient client;

    client.setNextFault(WorkerClient::Fault::Crash);
    PreviewResult result = client.preview(preview, 10'000);
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(result.libraryMessage, WorkerClient::libraryFailedText());

    client.setNextFault(WorkerClient::Fault::Hang);
    QElapsedTimer timer;
    timer.start();
    result = client.preview(preview, 500);
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(result.libraryMessage, WorkerClient::tooLongText());
    EXPECT_GE(timer.elapsed(), 450);
    EXPECT_LT(timer.elapsed(), 3000);

    result = client.preview(preview, 10'000);
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(result.image.size(), QSize(40, 30));
}

TEST_F(WorkerClientTest, AMissingHelperFailsEachItemAtOnce)
{
    qputenv("PELORIN_WORKER", QFile::encodeName(path(u"no-such-worker"_s)));
    const QString source = writeTestPicture(path(u"a.png"_s), 60, 40);
    WorkerClient client;
    QElapsedTimer timer;
    timer.start();
    for (int item = 0; item < 2; ++item) {
        const ConversionResult result = convert(client, request(source, path(u"out/a.png"_s)));
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.resultMessage, WorkerClient::notStartedText());
    }
    PreviewRequest preview;
    preview.sourcePath = source;
    preview.frame = QSize(40, 40);
    const PreviewResult shown = client.preview(preview, 10'000);
    EXPECT_FALSE(shown.loaded);
    EXPECT_EQ(shown.libraryMessage, WorkerClient::notStartedText());
    EXPECT_LT(timer.elapsed(), 3000);
}

} // namespace
