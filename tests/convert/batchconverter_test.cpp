// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/batchconverter.h"

#include "convert/conversionlog.h"
#include "convert/convertlistmodel.h"
#include "util/atomicfile.h"
#include "util/pathutil.h"
#include "workers/inplacerunner.h"

#include "qtprinters.h"
#include "stuckrunner.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/wait.h>
#include <utime.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Records what the run shows, in order, and waits for its end.
struct Recorder
{
    Recorder(BatchConverter &batch, const ConversionOptions &options)
        : m_batch(batch)
        , m_options(options)
    {
        using B = BatchConverter;
        QObject::connect(&batch, &B::statusShown, &m_context, [this](const QString &t, int kind) {
            events.append(u"status %1: "_s.arg(kind) + t);
        });
        QObject::connect(&batch, &B::workingImageCleared, &m_context,
                         [this] { events.append(u"clear"_s); });
        QObject::connect(&batch, &B::beep, &m_context, [this] { events.append(u"beep"_s); });
        QObject::connect(&batch, &B::finished, &m_context,
                         [this](const QString &text) { endTexts.append(text); });
    }

    // Converts the row given, or all; each call ends with exactly one finished(), whose end text
    // it returns.
    QString convert(std::optional<int> row = {})
    {
        const qsizetype before = endTexts.size();
        row ? m_batch.convertImage(*row, m_options) : m_batch.convertAll(m_options);
        EXPECT_TRUE(runEventsUntil([&] { return endTexts.size() > before; }));
        EXPECT_EQ(std::pair(endTexts.size(), m_batch.isBusy()), std::pair(before + 1, false));
        return endTexts.value(before);
    }

    QStringList events, endTexts;
    BatchConverter &m_batch;
    const ConversionOptions &m_options;
    QObject m_context;
};

// Converts two pictures at a time and finishes those started meanwhile from the event loop, the
// later one first. Its pictures finish on their own, well within the grace: stopAll() is empty.
struct AsyncRunner : InPlaceRunner
{
    using InPlaceRunner::InPlaceRunner;
    int capacity() const override { return 2; }
    void start(int ticket, const ConversionRequest &request, Finished finished) override
    {
        InPlaceRunner::start(ticket, request, [this, finished](int t, const ConversionResult &r) {
            m_held.prepend([finished, t, r] { finished(t, r); });
        });
        maxInFlight = std::max(maxInFlight, int(m_held.size()));
        if (m_held.size() == 1)
            QTimer::singleShot(0, &m_context, [this] {
                for (const auto &finish : std::exchange(m_held, {}))
                    finish();
            });
    }

    int maxInFlight = 0;
    QList<std::function<void()>> m_held;
    QObject m_context; // what it posted ends with it
};

class Batch : public testing::Test
{
protected:
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
    QString log() const { return QString::fromUtf8(readFileBytes(m_logPath)); }
    static QDateTime clock() { return QDateTime(QDate(2026, 1, 5), QTime(9, 7, 3)); }

    QTemporaryDir m_source;
    QTemporaryDir m_destination;
    const QString m_logPath = ConversionLog::path(m_destination.path());
    ConvertListModel m_list;
    QList<ConversionRequest> m_requests;
    InPlaceRunner m_runner{[this](const ConversionRequest &request) { return convert(request); }};
    BatchConverter m_batch{m_list, m_runner, clock};
    ConversionOptions m_options{.sourceFolder = m_source.path(),
                                .destinationFolder = m_destination.path()};
    Recorder m_run{m_batch, m_options};
};

// The log keeps the list's order when pictures finish out of order; a stop ends them and logs the
// rest.
TEST_F(Batch, KeepsTheListOrderSkipsDuplicatesLogsWhyAnItemFailedAndWritesTheLogSafely)
{
    AsyncRunner runner([this](const ConversionRequest &request) { return convert(request); });
    BatchConverter batch(m_list, runner, clock);
    Recorder window(batch, m_options);
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"bad.png"_s, u"d.png"_s, u"e.png"_s});
    m_list.setFlag(3, CollisionError, true);
    m_options.replaceFiles = false;
    window.convert();
    EXPECT_EQ(std::pair(m_requests.size(), runner.maxInFlight), std::pair(qsizetype(4), 2));
    EXPECT_EQ(log(), u"Convert to JPG\r\n From: %1\r\n To: %2\r\n On 05/01/2026 at 9:07:03\r\n"
                     "----------------\r\na.png : conversion OK\r\nb.png : conversion OK\r\n"
                     "bad.png : Original image error: %1/bad.png\r\nd.png : ignored (conflict "
                     "with destination)\r\ne.png : conversion OK\r\n\r\n **** End ****\r\n"_s.arg(
                         m_source.path(), m_destination.path()));

    // A stop finishes the pictures in flight and logs the rest; the next run starts afresh.
    QObject::connect(&batch, &BatchConverter::progressChanged, &batch, &BatchConverter::requestStop,
                     Qt::SingleShotConnection);
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"c.png"_s, u"d.png"_s});
    EXPECT_EQ(window.convert(), u"End of conversion! : Files have been skipped (see log)."_s);
    EXPECT_TRUE(m_requests.size() == 6 &&
                log().contains(u"\r\na.png : conversion OK\r\nb.png : conversion OK\r\n"
                               "c.png : not converted, the run was stopped\r\n"
                               "d.png : not converted, the run was stopped\r\n"_s));
    window.convert();
    EXPECT_EQ(m_requests.size(), 10);

    // Pictures stuck in flight are ended after the grace, and the run at once.
    StuckRunner stuck;
    BatchConverter stopped(m_list, stuck);
    Recorder stoppedWindow(stopped, m_options);
    stopped.setStopGrace(10);
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"c.png"_s});
    m_list.setFlag(1, FileTypeError, true);
    QObject::connect(&stopped, &BatchConverter::currentRowShown, &stopped, [&](int row) {
        if (row == 1)
            QTimer::singleShot(0, &stopped, &BatchConverter::requestStop);
    });
    stoppedWindow.convert();
    EXPECT_EQ(std::pair(stuck.started, stuck.stops), std::pair(2, 1));
    EXPECT_TRUE(log().contains(u"\r\na.png : the conversion was stopped\r\n"
                               "b.png : the conversion was stopped\r\n"
                               "c.png : not converted, the run was stopped\r\n"_s));

    // A failed picture alone is a skip. The format and the line's turn reach the request; a file
    // the preview could not load names the image library's message instead.
    m_list.setNames({u"bad.png"_s, u"c.png"_s});
    m_list.setFlag(0, FileTypeError, true);
    m_list.setRotation(1, -90);
    m_options.outputFormat = OutputFormat::Webp;
    EXPECT_EQ(m_run.convert(), u"End of conversion! : Files have been skipped (see log)."_s);
    EXPECT_TRUE(log().contains(u"----\r\nbad.png : File error >>>  PNG format: (broken)\r\n"_s));
    EXPECT_EQ(std::pair(m_requests.last().rotation, m_requests.last().destinationPath),
              std::pair(-90, m_destination.path() + u"/c.webp"_s));

    // The log escapes names, reasons that quote them and the header's folders, so that each line
    // reads as it is: the backslash, controls (C1 too: a terminal obeys U+009B), bytes that are
    // not UTF-8, line separators and format characters (bidirectional controls, zero-width
    // characters, soft hyphen; beyond U+FFFF too), but no other character. A failed log is never
    // passed over.
    m_list.setNames(
        {u"forged\r\nx.png : conversion OK.png"_s, u"tab\there\u001F.png"_s,
         PathUtil::decodeName("z\xff\xed\xb2\x80\xf0\x9f\x92\x80.png"), u"\u202Ebad.png"_s,
         u"\\x0A\u200B\uFEFF\u2066\u061C\u00AD\u2028\u2029~\u007F\u0080\u0085\u009B\u009F"
         u"\u00A0\U000E0001é.png"_s});
    m_run.convert();
    EXPECT_TRUE(log().contains(
        u"----\r\n\\\\x0A\\u200B\\uFEFF\\u2066\\u061C\\u00AD\\u2028\\u2029~\\x7F\\x80\\x85\\x9B"
        "\\x9F\u00A0\\U000E0001é.png : "
        "conversion OK\r\nforged\\x0D\\x0Ax.png : conversion OK.png : conversion OK\r\n"
        "tab\\x09here\\x1F.png : conversion OK\r\nz\\xFF\\xED\\xB2\\x80\U0001F480.png : "
        "conversion OK\r\n\\u202Ebad.png : Original image error: %1/\\u202Ebad.png\r\n\r\n"_s.arg(
            m_source.path())));
    EXPECT_TRUE(
        ConversionLog::content({}, u"/a\r\nb"_s, PathUtil::decodeName("/\xff\xe2\x80\xae"), {}, {})
            .contains(" From: /a\\x0D\\x0Ab\r\n To: /\\xFF\\u202E\r\n"));
    m_list.setNames({u"a.png"_s});

    // A link in the log's place is replaced, never written through.
    const QString target = m_source.filePath(u"thesis.txt"_s);
    ASSERT_TRUE(writeFileBytes(target, "my thesis") && QFile::remove(m_logPath) &&
                QFile::link(target, m_logPath));
    EXPECT_EQ(m_run.convert(), u"End of conversion!."_s); // nothing skipped
    EXPECT_EQ(std::tuple(readFileBytes(target), QFileInfo(m_logPath).isSymLink(), log().left(15)),
              std::tuple(QByteArray("my thesis"), false, u"Convert to WEBP"_s));

    // A log that cannot be written: the end text says so.
    ASSERT_TRUE(QFile::remove(m_logPath) && QDir().mkdir(m_logPath));
    EXPECT_EQ(m_run.convert(), u"End of conversion! : The log %1 could not be written: %2."_s.arg(
                                   m_logPath, QString::fromLocal8Bit(std::strerror(EISDIR))));
    EXPECT_TRUE(QDir(m_destination.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// An empty list does nothing; a destination missing or that is the source is refused; collisions
// are converted only when files are replaced, and by "Convert image" never.
TEST_F(Batch, RefusesTheSourceAsDestinationAndCollisionsAndRemovesOnlyPartialFilesOfTheGone)
{
    ASSERT_TRUE(writeFileBytes(m_logPath, "old log"));
    EXPECT_EQ(m_run.convert(), QString());
    EXPECT_EQ(std::pair(m_run.events, log()), std::pair(QStringList(), u"old log"_s));

    // Paths that differ as text but lead to the source folder: converting there would replace
    // the originals.
    const QString link = m_destination.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(m_source.path(), link));
    const QString usersLog = ConversionLog::path(m_source.path());
    ASSERT_TRUE(writeFileBytes(usersLog, "the user's own"));
    m_list.setNames({u"a.png"_s});
    for (const QString &destination : {QString(), link, m_source.path() + u"/."_s, link + u"/"_s}) {
        m_options.destinationFolder = destination;
        m_run.convert();
        m_run.convert(0);
    }
    EXPECT_EQ(std::pair(m_requests.size(), readFileBytes(usersLog)),
              std::pair(qsizetype(0), QByteArray("the user's own")));
    m_options.destinationFolder = m_destination.path();

    // Files are replaced (the default); a name taken after the marks (late.png) is a conflict
    // even so.
    m_list.setNames({u"a.png"_s, u"b.png"_s, u"late.png"_s});
    m_list.setFlag(0, CollisionError, true);
    m_list.setFlag(1, DuplicateError, true);
    m_run.convert();
    EXPECT_TRUE(log().contains(u"----\r\na.png : conversion OK\r\nb.png : ignored (duplicates)\r\n"
                               "late.png : ignored (conflict with destination)\r\n\r\n"_s));

    // "Convert image" refuses a collision even when files are replaced, and writes no log.
    ASSERT_TRUE(QFile::remove(m_logPath));
    m_run.events.clear();
    for (int row : {0, 1, 2, -1})
        m_run.convert(row);
    EXPECT_EQ(m_run.events.join(u'|'),
              u"status 4: Conversion not done: Conflict in file names|beep|status 0: Converting  "
              "b.png|status 0: End of conversion!|status 0: Converting  late.png|clear|status 4: "
              "Conversion not done: Conflict in file names|beep|clear|status 8: Choose an image "
              "to convert."_s);
    EXPECT_EQ(std::pair(m_requests.size(), QFile::exists(m_logPath)),
              std::pair(qsizetype(4), false));

    // Each run removes the partial files of processes that are gone, and nothing else.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_TRUE(gone > 0 && ::waitpid(gone, nullptr, 0) == gone);
    const QString dead = QString::fromLatin1(AtomicFile::temporaryPrefix(gone));
    const QDir out(m_destination.path());
    ASSERT_TRUE(writeFileBytes(m_source.filePath(u"target"_s), "the user's") &&
                out.mkdir(dead + u"dir.part"_s) &&
                QFile::link(m_source.filePath(u"target"_s), out.filePath(dead + u"link.part"_s)));
    // A live process may still be saving; a link or a folder is no partial file of a worker; a
    // writer elsewhere (%2: another machine, container or boot) or of an older version (no token)
    // cannot be asked, its file goes once unchanged for a day; a name merely like one stays.
    const QString ours = QString::fromLatin1(AtomicFile::systemToken());
    const QStringList groups = // kept | kept | kept while under a day old | removed
        u".pelorin-%1-%3-dir.part .pelorin-%1-%3-link.part|.pelorin-%1-%4-k2.part "
        ".pelorin-%1-%3-k2.part.jpg .pelorin-%1-%3-K2.part .pelorin-%1-%3-k2k2k2k2.part "
        ".pelorin-%1-%3--k2.part .pelorin-%1-0%3-k2.part .pelorin-%3x-k2.part .pelorin--k2.part "
        "pelorin-%1-%3-k2.part .pelorin-%1x-%3-k2.part .pelorin-%5-%3-k2.part|"
        ".pelorin-%2-%3-k2.part .pelorin-%3-k2.part|.pelorin-%2-%4-k2.part .pelorin-%4-k2.part"_s
            .arg(ours, (ours[0] == u'a' ? u"b"_s : u"a"_s) + ours.mid(1), QString::number(gone),
                 QString::number(::getpid()), u'9' + ours.mid(1))
            .split(u'|');
    for (int group = 1; group < 4; ++group) {
        const utimbuf modified{0, ::time(nullptr) - (group == 2 ? 23 : 25) * 3600};
        for (const QString &name : groups[group].split(u' '))
            ASSERT_TRUE(writeFileBytes(out.filePath(name), "x") &&
                        ::utime(QFile::encodeName(out.filePath(name)).constData(), &modified) == 0);
    }

    m_list.setNames({u"a.png"_s});
    for (const std::optional<int> row : {std::optional(0), std::optional<int>()}) {
        // A folder probe's file too.
        const QStringList left{dead + u"k2x9.part"_s, dead + u"k2~xé.part"_s};
        ASSERT_TRUE(writeFileBytes(out.filePath(left[0]), "partial") &&
                    writeFileBytes(out.filePath(left[1]), ""));
        m_run.convert(row);
        for (const QString &name : groups[3].split(u' ') + left)
            EXPECT_FALSE(QFile::exists(out.filePath(name))) << name.toStdString();
        for (const QString &name : (groups[0] + u' ' + groups[1] + u' ' + groups[2]).split(u' '))
            EXPECT_TRUE(QFile::exists(out.filePath(name))) << name.toStdString();
        EXPECT_EQ(readFileBytes(m_source.filePath(u"target"_s)), "the user's");
    }
}

} // namespace
