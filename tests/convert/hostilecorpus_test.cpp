#include "convert/conversionlog.h"
#include "convert/convertsession.h"
#include "convert/workerpool.h"
#include "hostilecorpus.h"
#include "prefs/preferences.h"
#include "qtprinters.h"
#include "testfiles.h"
#include "testpictures.h"
#include "util/folderlisting.h"
#include "util/pathutil.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A user's worst folder: damaged pictures, a link to a pipe, pictures claiming 60000 pixels a
// side, names that are not UTF-8 or hold a line break, a file that takes a destination name while
// the run goes on, with "Replace files" off. Every listed picture gets one honest line, no file
// that was there before changes, nothing hidden is left, and Stop ends stuck pictures.
class HostileFolder : public testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("PELORIN_WORKER_TEST", "1");
        m_corpus = writeHostileCorpus(m_source.path(), 48, 20261206);
        const QByteArray fifo = QFile::encodeName(m_elsewhere.filePath(u"pipe"_s));
        ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(QFile::decodeName(fifo), m_source.filePath(u"stall.jpg"_s)));
        ASSERT_TRUE(writeFileBytes(m_source.filePath(u"bomb.gif"_s),
                                   makeTestGif({60000, 60000}, {{1, 1}})));
        ASSERT_TRUE(writeFileBytes(m_source.filePath(u"bomb2.j2k"_s), makeTestJ2k({60000, 60000})));
        for (const QString &name : {u"kept.png"_s, u"late.png"_s, u"two\nlines.png"_s})
            ASSERT_FALSE(writeTestPicture(m_source.filePath(name), 40, 30).isEmpty());
        ASSERT_FALSE(writeTestPicture(m_source.filePath(u"good.png"_s), 40, 30).isEmpty());
        ASSERT_EQ(::rename(QFile::encodeName(m_source.filePath(u"good.png"_s)).constData(),
                           (QFile::encodeName(m_source.path()) + "/bad\xff.png").constData()),
                  0);
        ASSERT_TRUE(writeFileBytes(m_destination.filePath(u"kept.jpg"_s), "the user's own"));
        m_before = snapshot();
    }
    // The page's session over both folders, with "Replace files" as given.
    std::unique_ptr<ConvertSession> session(const std::shared_ptr<WorkerPool> &pool,
                                            bool replaceFiles)
    {
        auto session = std::make_unique<ConvertSession>(m_preferences, pool, nullptr);
        ConversionOptions options;
        options.replaceFiles = replaceFiles;
        session->setOptions(options);
        session->chooseSourceFolder(m_source.path());
        session->chooseDestinationFolder(m_destination.path());
        return session;
    }
    static void convertAll(ConvertSession &session)
    {
        bool ended = false;
        QObject::connect(&session, &ConvertSession::conversionFinished, [&ended] { ended = true; });
        session.convertAll();
        EXPECT_TRUE(runEventsUntil([&ended] { return ended; }, 120'000));
    }
    void TearDown() override
    {
        removeFilesAtBytes(m_source.path());
        removeFilesAtBytes(m_destination.path());
        qunsetenv("PELORIN_WORKER_TEST");
    }

    // Every file below both folders, by its bytes, with its content.
    QMap<QByteArray, QByteArray> snapshot() const
    {
        QMap<QByteArray, QByteArray> files;
        for (const QString &folder : {m_source.path(), m_destination.path()}) {
            for (const QString &name : FolderListing::regularFileNames(folder))
                files.insert(PathUtil::encodeName(folder + u'/' + name),
                             readFileAtBytes(PathUtil::encodeName(folder + u'/' + name)));
        }
        return files;
    }
    QString log() const
    {
        return QString::fromUtf8(readFileBytes(ConversionLog::path(m_destination.path())));
    }
    QStringList partialFiles() const
    {
        return QDir(m_destination.path()).entryList({u".pelorin-*"_s}, QDir::Files | QDir::Hidden);
    }

    QTemporaryDir m_source;
    QTemporaryDir m_destination;
    QTemporaryDir m_elsewhere;
    QList<HostileFile> m_corpus;
    QMap<QByteArray, QByteArray> m_before;
    Preferences m_preferences;
};

TEST_F(HostileFolder, EveryPictureGetsOneHonestLineAndNothingThatWasThereChanges)
{
    WorkerClient::Limits limits;
    limits.cpuSecondsPerItem = 15;
    const auto pool = std::make_shared<WorkerPool>(2, limits);
    const auto session = this->session(pool, false);
    const ConvertListModel &list = session->list();
    ASSERT_FALSE(list.text(0).isEmpty());
    EXPECT_EQ(list.count(), m_corpus.size() + 6); // not the link to the pipe
    bool dropped = false;
    QObject::connect(session.get(), &ConvertSession::currentRowShown, [&](int) {
        if (!std::exchange(dropped, true)) {
            ASSERT_TRUE(writeFileBytes(m_destination.filePath(u"late.jpg"_s), "dropped in"));
        }
    });
    convertAll(*session);

    const QString text = log();
    for (int row = 0; row < list.count(); ++row)
        EXPECT_EQ(text.count(u"\r\n"_s + ConversionLog::escape(list.text(row)) + u" : "_s), 1)
            << list.text(row).toStdString();
    EXPECT_EQ(text.count(u"\r\n"_s), list.count() + 7); // header, items, end
    for (const QString &line :
         {u"\r\nbad\\xFF.png : conversion OK\r\n"_s, u"\r\ntwo\\x0Alines.png : conversion OK\r\n"_s,
          u"\r\nbomb.gif : the picture is too large to convert"_s,
          u"\r\nbomb2.j2k : the picture is too large to convert"_s,
          u"\r\nkept.png : ignored (conflict with destination)\r\n"_s,
          u"\r\nlate.png : ignored (conflict with destination)\r\n"_s})
        EXPECT_TRUE(text.contains(line)) << line.toStdString();
    QMap<QByteArray, QByteArray> after = snapshot();
    m_before.insert(QFile::encodeName(m_destination.filePath(u"late.jpg"_s)), "dropped in");
    for (auto it = m_before.cbegin(); it != m_before.cend(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_TRUE(partialFiles().isEmpty()) << partialFiles().join(u", "_s).toStdString();
}

TEST_F(HostileFolder, StopEndsStuckPicturesAndLogsEveryRow)
{
    const Watchdog watchdog;
    // The first two pictures never finish; Stop comes once both are in flight.
    for (const QString &name : {u"a-stuck1.hang"_s, u"a-stuck2.hang"_s})
        ASSERT_TRUE(writeFileBytes(m_source.filePath(name), "never read"));
    m_preferences.setExtensionList(ImageFormatGroup::PngImages, u".png;.hang;"_s);
    const auto session = this->session(std::make_shared<WorkerPool>(2), true);
    const ConvertListModel &list = session->list();
    ASSERT_TRUE(list.text(0).endsWith(u".hang"_s) && list.text(1).endsWith(u".hang"_s));
    session->setStopGrace(50);
    QObject::connect(session.get(), &ConvertSession::currentRowShown, [&](int row) {
        if (row == 1)
            QMetaObject::invokeMethod(session.get(), &ConvertSession::stop, Qt::QueuedConnection);
    });
    convertAll(*session);

    const QString text = log();
    EXPECT_EQ(text.count(u" : the conversion was stopped\r\n"_s), 2) << text.toStdString();
    EXPECT_EQ(text.count(u" : not converted, the run was stopped\r\n"_s), list.count() - 2);
    EXPECT_TRUE(partialFiles().isEmpty());
}

} // namespace
