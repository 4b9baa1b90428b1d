// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "workers/workerpool.h"

#include "imaging/librarymessages.h"
#include "rename/takendatereader.h"
#include "util/atomicfile.h"
#include "util/pathutil.h"
#include "workers/workerprotocol.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

// The worker processes one by one (WorkerClient) and as the pool the window uses.
class Workers : public testing::Test
{
protected:
    void SetUp() override
    {
        LibraryMessages::install();
        qputenv("PELORIN_WORKER_TEST", "1");
        // The build of the worker that fails on the names tests give (see core/workers/main.cpp).
        qputenv("PELORIN_WORKER", QFile::encodeName(QCoreApplication::applicationDirPath() +
                                                    u"/pelorin-worker-faults"_s));
        QDir(m_dir.path()).mkpath(u"out"_s);
        writeTestPicture(path(u"a.png"_s), 60, 40);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // From a file of the folder to one of its out/.
    ConversionRequest request(const QString &from, const QString &to) const
    {
        return {path(from), path(u"out/"_s + to), {}, 0};
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
    ConversionResult convert(WorkerClient &client, const QString &from, const QString &to) const
    {
        return once<ConversionResult>([&](auto done) { client.convert(request(from, to), done); });
    }
    PreviewRequest previewOf(const QString &from) const
    {
        return {path(from), QSize(40, 40), 0, OutputFormat::Jpeg, 16, false, 4, QString()};
    }
    PreviewResult preview(WorkerClient &client, const QString &from, int ms = 10'000) const
    {
        return once<PreviewResult>([&](auto done) { client.preview(previewOf(from), ms, done); });
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
    QMap<int, QList<ConversionResult>> m_results;
};

// A crash costs one item and removes that worker's partial files only. A worker killed by someone
// else than this program (the out-of-memory killer, a user) is not the file's fault; its own
// crash and the processor limit are logged otherwise. Runaway items and pixel bombs meet their
// limits. One that cannot start fails each item, not the first only.
TEST_F(Workers, ACrashAHangOrAKillCostsOneItemAndIsLoggedWithWhy)
{
    WorkerClient client({.itemTimeoutMs = 20'000}); // fails rather than waits, should one not end
    ASSERT_TRUE(convert(client, u"a.png"_s, u"first.png"_s).ok);
    const qint64 crashed = client.processId();

    // What the worker left when it died mid-save, beside files that are not its own: another
    // worker's (still saving), one whose id starts with the same digits, and a picture.
    const QString out = path(u"out/.pelorin-"_s + QLatin1String(AtomicFile::systemToken()) + u'-');
    const QStringList own = u"%1-k2x9.part %1-00.part"_s.arg(crashed).split(u' ');
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

    // Previews the library hangs on cost that preview only; a newer preview does not
    // wait behind one that hangs: that one's worker is ended and never answers.
    EXPECT_EQ(preview(client, u"a.png.hang"_s, 500).libraryMessage, WorkerClient::tooLongText());

    int abandoned = 0;
    client.preview(previewOf(u"a.png.hang"_s), 60'000, [&](const PreviewResult &) { ++abandoned; });
    const qint64 stuck = client.processId();
    EXPECT_TRUE(preview(client, u"a.png"_s).loaded &&
                runEventsUntil([stuck] { return ::kill(pid_t(stuck), 0) != 0; }) && abandoned == 0);

    for (int signal : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        const auto previous = std::signal(signal, SIG_DFL); // an ignored one would stay ignored
        EXPECT_EQ(once<ConversionResult>([&](auto done) {
                      client.convert(request(u"a.png.hang"_s, u"a.png"_s), done);
                      // A process id of 0 would signal this whole process group.
                      ASSERT_GT(client.processId(), 0);
                      ASSERT_EQ(::kill(pid_t(client.processId()), signal), 0);
                  }).resultMessage,
                  WorkerClient::stoppedBySystemText())
            << ::sigabbrev_np(signal);
        std::signal(signal, previous);
    }

    // Runaway items meet their limits.
    WorkerClient runaway({.cpuSecondsPerItem = 1, .itemTimeoutMs = 1000});
    EXPECT_EQ(convert(runaway, u"a.png.hang"_s, u"a.png"_s).resultMessage,
              WorkerClient::tooLongText());

    // The processor limit counts the life of the process, rounded up to whole seconds: three
    // items of 0.8 s pass only if each gets a budget of its own. The item time-out is generous
    // here, so that a busy machine does not end them first.
    WorkerClient burner({.cpuSecondsPerItem = 1, .itemTimeoutMs = 60'000});
    writeTestPicture(path(u"slow.png.burn-800"_s), 60, 40);
    QList<std::pair<bool, qint64>> items; // passed, and by the same worker
    for (int item = 0; item < 3; ++item)
        items.append({convert(burner, u"slow.png.burn-800"_s, u"slow%1.png"_s.arg(item)).ok,
                      burner.processId()});
    EXPECT_EQ(items, decltype(items)(3, {true, items[0].second}));
    EXPECT_EQ(convert(burner, u"a.png.burn"_s, u"a.png"_s).resultMessage,
              WorkerClient::tooLongText());

    // 48 MB of pixels once decoded, in 48 MiB of address space (which a sanitized build does
    // not limit).
#ifndef PELORIN_SANITIZED
    WorkerClient limited({.addressSpace = 48LL * 1024 * 1024});
    writeTestPicture(path(u"big.png"_s), 4000, 4000);
    EXPECT_TRUE(!convert(limited, u"big.png"_s, u"big.jpg"_s).ok &&
                !QFile::exists(path(u"out/big.jpg"_s)));
#endif

    // Pictures above the pixel budget are refused unread. A BMP header without pixels that
    // claims 65536 × 65536: a 32-bit product would wrap to 0 and let it through. The log names
    // the reason also for a row marked as no picture; the preview shows the reason, not a file
    // icon. From offset 10, where the pixels start: the size of the info header, the size, and
    // one plane of 24 bits.
    const QByteArray fields = QByteArray::fromHex("36000000 28000000 00000100 00000100 01001800");
    ASSERT_TRUE(writeFileBytes(path(u"huge.bmp"_s),
                               "BM" + QByteArray(8, '\0') + fields + QByteArray(24, '\0')));
    const QString refusal = u"the picture is too large to convert (65536 \u00D7 65536 pixels)"_s;
    const ConversionResult refused = convert(burner, u"huge.bmp"_s, u"huge.png"_s);
    const PreviewResult shown = preview(burner, u"huge.bmp"_s);
    EXPECT_EQ(std::tuple(refused.ok, refused.resultMessage, refused.libraryMessage, shown.loaded,
                         shown.recognised, shown.libraryMessage),
              std::tuple(false, refusal, refusal, false, true, refusal));

    qputenv("PELORIN_WORKER", QFile::encodeName(path(u"no-such-worker"_s)));
    WorkerClient missing;
    EXPECT_EQ(QStringList({convert(missing, u"a.png"_s, u"a.png"_s).resultMessage,
                           convert(missing, u"a.png"_s, u"a.png"_s).resultMessage,
                           preview(missing, u"a.png"_s).libraryMessage}),
              QStringList(3, WorkerClient::notStartedText()));
    // The shipped worker has no switch: those names are ordinary files there.
    qunsetenv("PELORIN_WORKER");
    writeTestPicture(path(u"photo.png.crash"_s), 60, 40);
    EXPECT_TRUE(preview(missing, u"photo.png.crash"_s).loaded &&
                convert(missing, u"photo.png.crash"_s, u"photo.png"_s).ok);
}

// The workers give the bytes and messages of the pipeline in this process, each result to its
// own ticket, and previews as this process renders them.
TEST_F(Workers, FinishesEveryTicketOnceAsThePipelineInProcessAndStopsAtOnce)
{
    WorkerPool pool(2);
    const QString jpeg = writeTestPicture(path(u"b.jpg"_s), 90, 60, FIF_JPEG);
    ASSERT_TRUE(writeFileBytes(path(u"fake.jpg"_s), "\xFF\xD8\xFF\xE0 not really a JPEG"));
    // More than two at once, so the rest wait in the queue; the worker of ticket 1 dies. The
    // options of ticket 0 would show a request that lost a field.
    QList<ConversionRequest> requests = {
        request(u"a.png"_s, u"0.jpg"_s), request(u"b.jpg.crash"_s, u"1.png"_s),
        request(u"b.jpg"_s, u"2.webp"_s), request(u"missing.png"_s, u"3.png"_s),
        request(u"fake.jpg"_s, u"4.png"_s)};
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
    const QStringList converted = {u"0.jpg"_s, u"2.webp"_s};
    EXPECT_EQ(QDir(path(u"out"_s)).entryList(QDir::Files | QDir::Hidden), converted);

    // Turned and grayed, so that a preview request that lost a field would show it.
    const PreviewRequest turned{jpeg, QSize(217, 217), 90, OutputFormat::Jpeg, 16, true, 4, {}};
    const auto shown = once<PreviewResult>([&](auto done) { pool.preview(turned, 10'000, done); });
    const PreviewResult here = ConvertPreview::render(turned);
    EXPECT_EQ(std::tuple(shown.loaded, shown.raw, shown.image.format(), shown.image),
              std::tuple(true, here.raw, here.image.format(), here.image));

    // Stop ends what runs and what waits at once; what the stopped workers left mid-save goes
    // with them, and their ends finish nothing a second time.
    QList<qint64> stuck;
    QTimer::singleShot(0, &pool, [&] {
        for (const WorkerClient *worker : pool.findChildren<WorkerClient *>())
            if (worker->isBusy() && worker->processId() > 0)
                stuck.append(worker->processId());
        for (qint64 pid : stuck)
            ASSERT_TRUE(writeFileAtBytes(QFile::encodeName(path(u"out/"_s)) +
                                         AtomicFile::temporaryPrefix(pid) + "k2x9.part"));
        pool.stopAll();
    });
    run(pool, {request(u"a.png.hang"_s, u"0.png"_s), request(u"a.png.hang"_s, u"1.png"_s),
               request(u"a.png"_s, u"2.png"_s)});
    ASSERT_EQ(stuck.size(), 2);
    EXPECT_TRUE(runEventsUntil([&] {
        return QDir(path(u"out"_s)).entryList(QDir::Files | QDir::Hidden) == converted &&
               std::ranges::none_of(stuck, [](qint64 pid) { return ::kill(pid_t(pid), 0) == 0; });
    }));
    QCoreApplication::processEvents();
    for (int ticket = 0; ticket < 3; ++ticket)
        EXPECT_EQ(std::pair(m_results[ticket].size(), result(ticket).resultMessage),
                  std::pair(qsizetype(1), WorkerClient::stoppedText()));

    run(pool, {request(u"a.png"_s, u"0.png"_s)});
    EXPECT_TRUE(result(0).ok);
}

// Dates come from the workers as the reader in this process gives them, every name once; a file
// on which a worker crashes or hangs, and a hostile EXIF block, cost that file its date only. A
// newer listing drops what an earlier one has not handed over.
TEST_F(Workers, DatesComeOnceEachAndAFileAWorkerDiesOnCostsOnlyItsDate)
{
    WorkerPool pool(2, {.datesPartTimeoutMs = 3'000});
    ASSERT_TRUE(writeDatedPicture(path(u"p1.jpg"_s), "2024:05:01 10:00:00", "5", 0) &&
                writeDatedPicture(path(u"p2.jpg"_s), "", "", 0) &&
                QFile::copy(path(u"p1.jpg"_s), path(u"x.jpg.crash"_s)) &&
                QFile::copy(path(u"p1.jpg"_s), path(u"y.jpg.hang"_s)));
    // The first directory of the EXIF block said to lie far past the end of the file.
    QByteArray hostile = readFileBytes(path(u"p1.jpg"_s));
    const qsizetype tiff = hostile.indexOf(QByteArray("Exif\0\0", 6)) + 6;
    ASSERT_GT(tiff, 6);
    hostile.replace(tiff + 4, 4, "\xf0\xff\xff\xff");
    ASSERT_TRUE(writeFileBytes(path(u"bad.jpg"_s), hostile));

    // More than two batches, and the same files again; an odd one every 150. The last, first of the
    // third batch, makes its worker one of another version, which gives the batch up whole.
    const QStringList odd = {u"bad.jpg"_s, u"x.jpg.crash"_s, u"y.jpg.hang"_s, u"v.jpg.version"_s};
    QStringList names;
    for (int i = 0; i < 604; ++i)
        names.append(i % 150 == 50 ? odd[i / 150] : i % 2 ? u"p1.jpg"_s : u"p2.jpg"_s);
    QList<TakenDate> expected;
    for (const QString &name : names)
        expected.append(name.contains(u".jpg."_s) || expected.size() >= 500
                            ? TakenDate()
                            : TakenDateReader::read(path(name)));
    ASSERT_TRUE(expected[1].microseconds && expected[1].subSeconds && !expected[50].microseconds);

    QList<QList<TakenDate>> got(names.size()), abandoned(names.size());
    const auto into = [](QList<QList<TakenDate>> &list) {
        return [&list](int first, const QList<TakenDate> &dates) {
            for (qsizetype i = 0; i < dates.size(); ++i)
                list[first + i].append(dates[i]);
        };
    };
    pool.readDates(m_dir.path(), names, into(abandoned));
    pool.readDates(m_dir.path(), names, into(got));
    const auto answered = [&] {
        return std::ranges::count_if(got, [](auto &d) { return !d.isEmpty(); });
    };
    ASSERT_TRUE(runEventsUntil([&] { return answered() == names.size(); }));
    QCoreApplication::processEvents(); // a second answer would be posted by now
    QStringList wrong; // name and dates received where they are not the one expected
    for (qsizetype i = 0; i < names.size(); ++i)
        if (got[i] != QList<TakenDate>{expected[i]} || !abandoned[i].isEmpty())
            wrong.append(QString::asprintf("%lld %s: %lld dates, %lld abandoned", i,
                                           qPrintable(names[i]), got[i].size(),
                                           abandoned[i].size()));
    EXPECT_EQ(wrong, QStringList());
}

// What crosses between the window and its workers.
using WP = WorkerProtocol;
using Kind = WP::Kind;

TEST(WorkerProtocol, RequestsAndRepliesCrossWithEveryFieldAndDamagedOnesAreRefused)
{
    // What the other side reads from a frame.
    const auto decoded = [](QByteArray frame, QByteArray *payload = nullptr) {
        QByteArray taken;
        EXPECT_EQ(WP::takeFrame(frame, taken), WP::FrameStatus::Complete);
        return WP::decode(payload ? *payload = taken : taken);
    };
    // A preview reply written by hand, with picture fields a sound worker never sends.
    const auto replyKind = [](qint32 format, qint32 width, qint32 height, qint32 bytesPerLine) {
        QByteArray payload;
        QDataStream out(&payload, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << WP::Version << quint8(Kind::PreviewReply) << true << true << false << QString()
            << format << width << height << bytesPerLine << QByteArray(32, '\x7f');
        return WP::decode(payload).kind;
    };
    // A name that is not UTF-8 crosses with its escaped bytes.
    const ConversionRequest c{PathUtil::decodeName("/in/\xc3\x89t\xc3\xa9/IMG\xff 1.CR2"),
                              PathUtil::decodeName("/out/IMG\xff 1.webp"),
                              {u"/in/Été"_s, u"/out"_s, OutputFormat::Webp, true, true, 3, -7, true,
                               ResizeMode::LargeSide, 1234, false, u"*.cr2"_s},
                              -270};
    const PreviewRequest p{u"/in/a.nef"_s, QSize(217, 163), 180, OutputFormat::Tiff, 7, true, 8,
                           u"*.nef"_s};
    const ConversionResult done{false, u" *** Save image error: File exists"_s, u"x"_s, true};
    // Decoded and sent again, each message gives the very bytes it came from.
    const auto sent = decoded(WP::convertRequest(c)), shown = decoded(WP::previewRequest(p)),
               reply = decoded(WP::conversionReply(done));
    EXPECT_EQ(std::tuple(sent.kind, WP::convertRequest(sent.conversionRequest), shown.kind,
                         WP::previewRequest(shown.previewRequest), reply.kind,
                         WP::conversionReply(reply.conversionResult)),
              std::tuple(Kind::Convert, WP::convertRequest(c), Kind::Preview, WP::previewRequest(p),
                         Kind::ConversionReply, WP::conversionReply(done)));

    // Three RGB888 pixels fill 9 bytes of a 12-byte line: the padding must not shift the rows.
    QImage padded(3, 2, QImage::Format_RGB888);
    padded.fill(Qt::white);
    padded.setPixel(2, 0, qRgb(4, 5, 6));
    padded.setPixel(0, 1, qRgb(7, 8, 9));
    for (const auto &[image, recognised] : {std::pair(padded, true), std::pair(QImage(), false)}) {
        const auto reply = decoded(WP::previewReply({true, recognised, true, image, u"(x)"_s}));
        const PreviewResult &got = reply.previewResult;
        EXPECT_EQ(std::tuple(reply.kind, got.loaded, got.raw, got.recognised, got.libraryMessage,
                             got.image.format(), got.image),
                  std::tuple(Kind::PreviewReply, true, true, recognised, u"(x)"_s, image.format(),
                             image));
    }

    // Damaged messages are refused, not trusted.
    QByteArray whole, request;
    ASSERT_EQ(decoded(WP::previewReply({true, true, false, padded, {}}), &whole).kind,
              Kind::PreviewReply);
    // A worker that dies mid-write, or writes more than its answer.
    for (qsizetype cut = 0; cut < whole.size(); ++cut)
        EXPECT_EQ(WP::decode(whole.left(cut)).kind, Kind::Invalid) << cut;
    EXPECT_EQ(WP::decode(whole + '\0').kind, Kind::Invalid);
    EXPECT_TRUE(WP::decode(char(WP::Version + 1) + whole.mid(1)).otherVersion);
    EXPECT_EQ(WP::decode(whole.left(1) + char(77) + whole.mid(2)).kind, Kind::Invalid);

    // 32 bytes sent: 4 × 2 or 8 × 1 ARGB pixels fit, nothing else does.
    const qint32 argb = QImage::Format_ARGB32;
    EXPECT_EQ(
        QList<Kind>({replyKind(argb, 4, 2, 16), replyKind(argb, 8, 1, 32),
                     replyKind(argb, 4, 3, 16), replyKind(argb, 9, 1, 32),
                     replyKind(argb, -4, -2, -16), replyKind(argb, 65536, 65536, 262144),
                     replyKind(QImage::Format_Indexed8, 32, 1, 32), replyKind(999, 4, 2, 16)}),
        QList<Kind>(2, Kind::PreviewReply) + QList<Kind>(6, Kind::Invalid));

    // A length no reply has is a stream out of step, never something to wait for.
    QByteArray huge(4, '\0');
    qToBigEndian<quint32>(WP::MaxFrameBytes + 1, huge.data());
    EXPECT_EQ(WP::takeFrame(huge, whole), WP::FrameStatus::Invalid);

    // An output format out of range never reaches the pipeline; it follows four empty strings.
    decoded(WP::convertRequest({}), &request);
    qToBigEndian<qint32>(9, request.data() + 2 + 4 * 4);
    EXPECT_EQ(WP::decode(request).kind, Kind::Invalid);
}

} // namespace
