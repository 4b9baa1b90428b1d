#include "convert/batchconverter.h"

#include "convert/conversionlog.h"
#include "convert/convertlistmodel.h"
#include "convert/inplacerunner.h"
#include "convert/workerclient.h"
#include "util/pathutil.h"

#include "qtprinters.h"
#include "stuckrunner.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Records what the run shows, in order, and waits for its end.
class Recorder
{
public:
    explicit Recorder(BatchConverter &batch)
        : m_batch(batch)
    {
        const auto on = [this](auto signal, auto slot) {
            QObject::connect(&m_batch, signal, &m_context, slot);
        };
        const auto add = [this](const QString &event) { events.append(event); };
        on(&BatchConverter::currentRowShown, [add](int row) { add(u"row %1"_s.arg(row)); });
        on(&BatchConverter::statusShown,
           [add](const QString &text, int kind) { add(u"status %1: %2"_s.arg(kind).arg(text)); });
        on(&BatchConverter::viewLogEnabled,
           [add](bool on) { add(on ? u"log on"_s : u"log off"_s); });
        on(&BatchConverter::workingImageCleared, [add] { add(u"clear"_s); });
        on(&BatchConverter::placeholderWanted, [add] { add(u"placeholder"_s); });
        on(&BatchConverter::beep, [add] { add(u"beep"_s); });
        on(&BatchConverter::allDeselected, [add] { add(u"deselect"_s); });
        on(&BatchConverter::runStarted, [add](int total) { add(u"started %1"_s.arg(total)); });
        on(&BatchConverter::progressChanged, [this](int done, int total) {
            lastProgress = {done, total};
        });
        on(&BatchConverter::runEnded, [add] { add(u"finished"_s); });
        on(&BatchConverter::finished, [this](const QString &text) { endTexts.append(text); });
    }

    // Each call ends with exactly one finished(); returns its end text.
    QString convertAll(const ConversionOptions &options)
    {
        return wait([&] { m_batch.convertAll(options); });
    }
    QString convertImage(int row, const ConversionOptions &options)
    {
        return wait([&] { m_batch.convertImage(row, options); });
    }

    QStringList events;
    std::pair<int, int> lastProgress;
    QStringList endTexts;

private:
    QString wait(const std::function<void()> &start)
    {
        const qsizetype before = endTexts.size();
        start();
        EXPECT_TRUE(runEventsUntil([&] { return endTexts.size() > before; }));
        EXPECT_EQ(endTexts.size(), before + 1);
        EXPECT_FALSE(m_batch.isBusy());
        return endTexts.value(before);
    }

    BatchConverter &m_batch;
    QObject m_context;
};

// Converts two pictures at a time and finishes those started meanwhile from the event loop, the
// later one first. Its pictures finish on their own, well within the grace: stopAll() is empty.
class AsyncRunner : public ConversionRunner
{
public:
    explicit AsyncRunner(std::function<ConversionResult(const ConversionRequest &)> converter)
        : m_converter(std::move(converter))
    {}
    int capacity() const override { return 2; }
    void start(int ticket, const ConversionRequest &request, Finished finished) override
    {
        ++started;
        maxInFlight = std::max(maxInFlight, ++m_inFlight);
        m_held.prepend(
            [this, ticket, result = m_converter(request), finished = std::move(finished)] {
                --m_inFlight;
                if (beforeFinishing)
                    beforeFinishing();
                finished(ticket, result);
            });
        if (m_held.size() == 1)
            QTimer::singleShot(0, &m_context, [this] {
                for (const auto &finish : std::exchange(m_held, {}))
                    finish();
            });
    }
    void stopAll() override {}

    int started = 0;
    int maxInFlight = 0;
    std::function<void()> beforeFinishing;

private:
    std::function<ConversionResult(const ConversionRequest &)> m_converter;
    int m_inFlight = 0;
    QList<std::function<void()>> m_held;
    QObject m_context; // what it posted ends with it
};

class Batch : public testing::Test
{
protected:
    Batch()
        : m_runner([this](const ConversionRequest &request) { return convert(request); })
        , m_batch(m_list, m_runner, [] { return QDateTime(QDate(2026, 1, 5), QTime(9, 7, 3)); })
    {
        m_options.sourceFolder = m_source.path();
        m_options.destinationFolder = m_destination.path();
    }

    ConversionResult convert(const ConversionRequest &request)
    {
        m_requests.append(request);
        if (request.sourcePath.endsWith(u"bad.png"_s))
            return {false, u"Original image error: "_s + request.sourcePath,
                    u" PNG format: (broken)"_s};
        // Another program took the destination name after the list was marked.
        if (request.sourcePath.endsWith(u"late.png"_s))
            return {false, u"the destination exists"_s, QString(), true};
        return {true, u"End of conversion!"_s, QString()};
    }

    QString log() const
    {
        return QString::fromUtf8(readFileBytes(ConversionLog::path(m_destination.path())));
    }

    QTemporaryDir m_source;
    QTemporaryDir m_destination;
    ConvertListModel m_list;
    InPlaceRunner m_runner;
    BatchConverter m_batch;
    Recorder m_run{m_batch};
    ConversionOptions m_options;
    QList<ConversionRequest> m_requests;
};

TEST_F(Batch, SkipsDuplicatesLogsWhyAnItemFailedAndGoesOnAndWritesTheLogInItsFormat)
{
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"bad.png"_s, u"c.png"_s});
    m_list.setFlag(1, DuplicateError, true);
    EXPECT_EQ(m_run.convertAll(m_options),
              u"End of conversion! : Files have been skipped (see log)."_s);

    const QString failure = u"bad.png : Original image error: "_s + m_source.path() + u"/bad.png"_s;
    EXPECT_EQ(log(), u"Convert to JPG\r\n From: "_s + m_source.path() + u"\r\n To: "_s +
                         m_destination.path() +
                         u"\r\n On 05/01/2026 at 9:07:03\r\n----------------\r\n"
                         "a.png : conversion OK\r\n"
                         "b.png : ignored (duplicates)\r\n"_s +
                         failure + u"\r\nc.png : conversion OK\r\n\r\n **** End ****\r\n"_s);
    EXPECT_EQ(
        m_run.events,
        (QStringList{u"log off"_s, u"started 4"_s, u"row 0"_s, u"status 0: Converting  a.png"_s,
                     u"row 2"_s, u"status 0: Converting  bad.png"_s, u"status 8: "_s + failure,
                     u"clear"_s, u"row 3"_s, u"status 0: Converting  c.png"_s, u"finished"_s,
                     u"log on"_s, u"placeholder"_s, u"beep"_s,
                     u"status 0: End of conversion! : Files have been skipped (see log)."_s,
                     u"deselect"_s}));
    ASSERT_EQ(m_requests.size(), 3);
    EXPECT_EQ(m_requests[2].sourcePath, m_source.path() + u"/c.png"_s);
    EXPECT_EQ(m_requests[2].destinationPath, m_destination.path() + u"/c.jpg"_s);

    // Nothing skipped: a full stop; the format and the line's turn reach the request. A file
    // the preview could not load names the image library's message instead.
    m_list.setNames({u"bad.png"_s, u"c.png"_s});
    m_list.setFlag(0, FileTypeError, true);
    m_list.setRotation(1, -90);
    m_options.outputFormat = OutputFormat::Webp;
    m_run.convertAll(m_options);
    EXPECT_TRUE(log().startsWith(u"Convert to WEBP\r\n"_s));
    EXPECT_TRUE(log().contains(u"----\r\nbad.png : File error >>>  PNG format: (broken)\r\n"_s));
    EXPECT_EQ(m_requests[4].rotation, -90);
    EXPECT_EQ(m_requests[4].destinationPath, m_destination.path() + u"/c.webp"_s);
    m_list.setNames({u"c.png"_s});
    EXPECT_EQ(m_run.convertAll(m_options), u"End of conversion!."_s);
}

TEST_F(Batch, ConvertsCollisionsOnlyWhenFilesAreReplacedAndConvertImageNever)
{
    m_list.setNames({u"a.png"_s});
    m_list.setFlag(0, CollisionError, true);
    for (const bool replace : {false, true}) {
        m_options.replaceFiles = replace;
        m_run.convertAll(m_options);
        EXPECT_EQ(m_requests.size(), replace ? 1 : 0);
        EXPECT_TRUE(log().contains(replace
                                       ? u"\r\na.png : conversion OK\r\n"_s
                                       : u"\r\na.png : ignored (conflict with destination)\r\n"_s));
    }

    // A name taken after the marks is a conflict too, in the log and for "Convert image".
    m_list.setNames({u"late.png"_s});
    m_options.replaceFiles = false;
    m_run.convertAll(m_options);
    EXPECT_TRUE(log().contains(u"\r\nlate.png : ignored (conflict with destination)\r\n"_s));
    m_run.events.clear();
    m_run.convertImage(0, m_options);
    EXPECT_EQ(m_run.events.mid(1),
              (QStringList{u"clear"_s, u"status 4: Conversion not done: Conflict in file names"_s,
                           u"beep"_s}));

    // "Convert image" refuses a collision even when files are replaced, and writes no log.
    m_requests.clear();
    m_options.replaceFiles = true;
    ASSERT_TRUE(QFile::remove(ConversionLog::path(m_destination.path())));
    m_list.setNames({u"a.png"_s, u"b.png"_s});
    m_list.setFlag(0, CollisionError, true);
    m_list.setFlag(1, DuplicateError, true);
    m_run.events.clear();
    m_run.convertImage(0, m_options);
    m_run.convertImage(1, m_options);
    m_run.convertImage(-1, m_options);
    EXPECT_EQ(m_run.events,
              (QStringList{u"status 4: Conversion not done: Conflict in file names"_s, u"beep"_s,
                           u"status 0: Converting  b.png"_s, u"status 0: End of conversion!"_s,
                           u"clear"_s, u"status 8: Choose an image to convert."_s}));
    EXPECT_EQ(m_requests.size(), 1);
    EXPECT_FALSE(QFile::exists(ConversionLog::path(m_destination.path())));
}

TEST_F(Batch, AnEmptyListDoesNothingAndADestinationMissingOrThatIsTheSourceIsRefused)
{
    ASSERT_TRUE(writeFileBytes(ConversionLog::path(m_destination.path()), "old log"));
    EXPECT_EQ(m_run.convertAll(m_options), QString());
    EXPECT_TRUE(m_run.events.isEmpty());
    EXPECT_EQ(log(), u"old log"_s);

    // Paths that differ as text but lead to the source folder: converting there would replace
    // the originals.
    const QString link = m_destination.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(m_source.path(), link));
    const QString usersLog = ConversionLog::path(m_source.path());
    ASSERT_TRUE(writeFileBytes(usersLog, "the user's own"));
    m_list.setNames({u"a.png"_s});
    for (const QString &destination : {QString(), link, m_source.path() + u"/."_s, link + u"/"_s}) {
        m_options.destinationFolder = destination;
        m_run.events.clear();
        m_run.convertAll(m_options);
        EXPECT_TRUE(m_run.events.contains(
            u"status 8: a.png : Origin and destination folders must not be the same!"_s))
            << destination.toStdString();
        m_run.convertImage(0, m_options);
        EXPECT_EQ(m_run.events.last(),
                  u"status 8: Origin and destination folders must not be the same!"_s);
    }
    EXPECT_TRUE(m_requests.isEmpty());
    EXPECT_EQ(readFileBytes(usersLog), "the user's own");
}

TEST_F(Batch, TheLogEscapesNamesAndAFailedLogIsNeverPassedOver)
{
    m_list.setNames({u"forged\r\nx.png : conversion OK.png"_s, u"tab\there.png"_s,
                     PathUtil::decodeName("z\xff\xf0\x9f\x92\x80.png")});
    m_run.convertAll(m_options);
    EXPECT_TRUE(
        log().contains(u"----\r\nforged\\x0D\\x0Ax.png : conversion OK.png : conversion OK\r\n"
                       "tab\\x09here.png : conversion OK\r\n"
                       "z\\xFF\U0001F480.png : conversion OK\r\n\r\n"_s))
        << log().toStdString();

    // A link in the log's place is replaced, never written through.
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(u"thesis.txt"_s);
    ASSERT_TRUE(writeFileBytes(target, "my thesis"));
    const QString logPath = ConversionLog::path(m_destination.path());
    ASSERT_TRUE(QFile::remove(logPath));
    ASSERT_TRUE(QFile::link(target, logPath));
    m_run.convertAll(m_options);
    EXPECT_EQ(readFileBytes(target), "my thesis");
    EXPECT_FALSE(QFileInfo(logPath).isSymLink());
    EXPECT_TRUE(log().startsWith(u"Convert to JPG"_s));

    // A log that cannot be written: the end text says so, and the old log cannot be opened.
    ASSERT_TRUE(QFile::remove(logPath));
    ASSERT_TRUE(QDir().mkdir(logPath));
    m_run.events.clear();
    const QString endText = m_run.convertAll(m_options);
    EXPECT_EQ(endText, u"End of conversion! : The log "_s + logPath + u" could not be written: "_s +
                           QString::fromLocal8Bit(std::strerror(EISDIR)) + u"."_s);
    EXPECT_TRUE(m_run.events.contains(u"status 8: "_s + endText));
    EXPECT_FALSE(m_run.events.contains(u"log on"_s));
    EXPECT_TRUE(QDir(m_destination.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(Batch, KeepsTheListOrderWhenPicturesFinishOutOfOrderAndAStopLogsTheRest)
{
    AsyncRunner runner([this](const ConversionRequest &request) { return convert(request); });
    BatchConverter batch(m_list, runner);
    Recorder window(batch);
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"bad.png"_s, u"d.png"_s, u"e.png"_s});
    m_list.setFlag(3, CollisionError, true);
    m_options.replaceFiles = false;

    window.convertAll(m_options);
    EXPECT_EQ(runner.started, 4);
    EXPECT_EQ(runner.maxInFlight, 2);
    const QString expected =
        u"----------------\r\na.png : conversion OK\r\nb.png : conversion OK\r\n"
        "bad.png : Original image error: "_s +
        m_source.path() +
        u"/bad.png\r\nd.png : ignored (conflict with destination)\r\n"
        "e.png : conversion OK\r\n\r\n **** End ****\r\n"_s;
    EXPECT_TRUE(log().endsWith(expected)) << log().toStdString();
    EXPECT_EQ(window.lastProgress, std::make_pair(5, 5));

    // A stopped run finishes the pictures in flight and logs the rest.
    runner.beforeFinishing = [&batch] { batch.requestStop(); };
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"c.png"_s, u"d.png"_s});
    EXPECT_EQ(window.convertAll(m_options),
              u"End of conversion! : Files have been skipped (see log)."_s);
    EXPECT_EQ(runner.started, 6);
    EXPECT_TRUE(log().contains(u"\r\na.png : conversion OK\r\nb.png : conversion OK\r\n"
                               "c.png : not converted, the run was stopped\r\n"
                               "d.png : not converted, the run was stopped\r\n"_s));
    EXPECT_TRUE(window.events.contains(u"finished"_s));
    // The next run starts afresh.
    runner.beforeFinishing = nullptr;
    window.convertAll(m_options);
    EXPECT_EQ(runner.started, 10);
}

TEST_F(Batch, StopEndsThePicturesInFlightAfterTheGraceAndTheRunAtOnce)
{
    StuckRunner runner;
    BatchConverter batch(m_list, runner);
    Recorder window(batch);
    batch.setStopGrace(10);
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"c.png"_s});
    m_list.setFlag(1, FileTypeError, true);
    QTimer::singleShot(0, [&batch] { batch.requestStop(); });

    EXPECT_EQ(window.convertAll(m_options),
              u"End of conversion! : Files have been skipped (see log)."_s);
    EXPECT_EQ(runner.started, 2);
    EXPECT_EQ(runner.stops, 1);
    EXPECT_TRUE(log().contains(u"\r\na.png : the conversion was stopped\r\n"
                               "b.png : the conversion was stopped\r\n"
                               "c.png : not converted, the run was stopped\r\n"_s))
        << log().toStdString();
    EXPECT_EQ(window.events.last(), u"deselect"_s);
}

TEST_F(Batch, EachRunRemovesThePartialFilesOfProcessesThatAreGoneAndNothingElse)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_GT(gone, 0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const QString dead = QString::number(gone);
    const QString partial = u".pelorin-"_s + dead + u"-k2x9.part"_s;
    const QDir out(m_destination.path());
    ASSERT_TRUE(writeFileBytes(m_source.filePath(u"target"_s), "the user's"));
    ASSERT_TRUE(QFile::link(m_source.filePath(u"target"_s),
                            out.filePath(u".pelorin-"_s + dead + u"-link.part"_s)));
    ASSERT_TRUE(out.mkdir(u".pelorin-"_s + dead + u"-dir.part"_s));
    const QStringList kept = {
        u".pelorin-%1-k2x9.part"_s.arg(::getpid()), // a live process may still be saving
        partial + u".jpg"_s,
        u"pelorin-"_s + dead + u"-k2x9.part"_s,
        u".pelorin-0"_s + dead + u"-k2x9.part"_s,
        u".pelorin-"_s + dead + u"x-k2x9.part"_s,
        u".pelorin--k2x9.part"_s,
    };
    for (const QString &name : kept)
        ASSERT_TRUE(writeFileBytes(out.filePath(name), "x"));

    m_list.setNames({u"a.png"_s});
    for (const auto &run :
         std::initializer_list<std::function<void()>>{[this] { m_run.convertImage(0, m_options); },
                                                      [this] { m_run.convertAll(m_options); }}) {
        ASSERT_TRUE(writeFileBytes(out.filePath(partial), "partial"));
        run();
        EXPECT_FALSE(QFile::exists(out.filePath(partial)));
        for (const QString &name : kept)
            EXPECT_TRUE(QFile::exists(out.filePath(name))) << name.toStdString();
        EXPECT_TRUE(QFileInfo(out.filePath(u".pelorin-"_s + dead + u"-link.part"_s)).isSymLink());
        EXPECT_TRUE(QFileInfo(out.filePath(u".pelorin-"_s + dead + u"-dir.part"_s)).isDir());
        EXPECT_EQ(readFileBytes(m_source.filePath(u"target"_s)), "the user's");
    }
}

} // namespace
