#include "convert/convertsession.h"

#include "convert/conversionlog.h"
#include "convert/workerclient.h"
#include "prefs/preferences.h"
#include "stuckpreviews.h"
#include "testfiles.h"
#include "testpictures.h"

#include "qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The convert page's rules without the page: what the session marks, says and shows.
class Session : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeConvertFolders(m_source.path(), m_destination.path()));
        ASSERT_TRUE(writeFileBytes(m_source.filePath(u"notes.txt"_s), ""));
        watch(*m_session);
    }

    void watch(ConvertSession &session)
    {
        const auto on = [&session](auto signal, auto slot) {
            QObject::connect(&session, signal, &session, slot);
        };
        on(&ConvertSession::statusShown, [this](const QString &text, int kind) {
            m_status = {text, kind};
        });
        on(&ConvertSession::beep, [this] { ++m_beeps; });
        on(&ConvertSession::countChanged, [this](int count) { m_count = count; });
        on(&ConvertSession::pictureShown, [this](const QImage &image) {
            m_frame = {u"picture"_s, image};
        });
        on(&ConvertSession::placeholderShown, [this](const QImage &image) {
            m_frame = {u"placeholder"_s, image};
        });
        on(&ConvertSession::frameBlanked, [this] { m_frame = {u"blank"_s, QImage()}; });
        // In this process conversions end before the call returns.
        on(&ConvertSession::conversionFinished, [this](const QString &text) { m_end = text; });
    }

    // A control of the view changes: the session gets the values, then the action.
    void setReplaceFiles(bool on)
    {
        ConversionOptions options = m_session->options();
        options.replaceFiles = on;
        m_session->setOptions(options);
        m_session->replaceFilesChanged();
    }
    void setOutputFormat(OutputFormat format)
    {
        ConversionOptions options = m_session->options();
        options.outputFormat = format;
        m_session->setOptions(options);
        m_session->outputFormatChanged(-1);
    }
    QStringList lines() const
    {
        QStringList result;
        for (int row = 0; row < m_session->list().count(); ++row)
            result.append(m_session->list().text(row));
        return result;
    }
    int flags(int row) const { return m_session->list().flags(row); }
    int row(const QString &name) const { return int(lines().indexOf(name)); }

    QTemporaryDir m_source;
    QTemporaryDir m_destination;
    Preferences m_preferences;
    StuckPreviews m_previews;
    std::unique_ptr<ConvertSession> m_session =
        std::make_unique<ConvertSession>(m_preferences, nullptr, nullptr);
    std::pair<QString, int> m_status;
    int m_beeps = 0;
    int m_count = -1;
    std::pair<QString, QImage> m_frame;
    QString m_end;
};

TEST_F(Session, ListsTheSourceMarksDuplicatesAndCollisionsAndRefusesTheSameFolderTwice)
{
    m_session->chooseSourceFolder(m_source.path());
    EXPECT_EQ(lines(), (QStringList{u"A.jpg"_s, u"a.png"_s, u"photo.png"_s, u"tree.png"_s}));
    EXPECT_EQ(m_count, 4);
    EXPECT_EQ(flags(0), DuplicateError);
    EXPECT_EQ(flags(1), DuplicateError);
    EXPECT_EQ(m_status, std::pair(u"Files with same names are present (conflicts in conversion)"_s,
                                  int(DuplicateError)));

    // Files are replaced at page start, so nothing collides yet.
    m_session->chooseDestinationFolder(m_destination.path());
    EXPECT_EQ(flags(2), 0);
    setReplaceFiles(false);
    EXPECT_EQ(flags(2), CollisionError);
    EXPECT_EQ(m_status, std::pair(u"Collision in destination files."_s, int(CollisionError)));

    // photo.jpg exists in the destination, photo.png does not.
    setOutputFormat(OutputFormat::Png);
    EXPECT_EQ(flags(2), 0);
    setOutputFormat(OutputFormat::Jpeg);
    EXPECT_EQ(flags(2), CollisionError);

    setReplaceFiles(true);
    EXPECT_EQ(flags(2), 0);
    EXPECT_EQ(m_status.first, u"Files with same names are present (conflicts in conversion)"_s);

    // Only the pictures of the group chosen, and only those the filter names.
    m_session->chooseInputGroup(int(ImageFormatGroup::PngImages));
    EXPECT_EQ(lines(), (QStringList{u"a.png"_s, u"photo.png"_s, u"tree.png"_s}));
    m_session->setNameFilter(u"T*"_s);
    EXPECT_EQ(lines(), QStringList{u"tree.png"_s});
    EXPECT_TRUE(m_status.first.isEmpty());

    // The chooser opens on an emptied list; cancelled, it gives the old folder back to list.
    m_session->clearList();
    EXPECT_TRUE(lines().isEmpty());
    m_session->chooseSourceFolder(m_session->sourceFolder());
    EXPECT_EQ(lines(), QStringList{u"tree.png"_s});

    // The Delete key: the line goes, the file stays, the duplicates are marked anew.
    m_session->setNameFilter(u"*"_s);
    m_session->chooseInputGroup(AllImagesIndex);
    EXPECT_EQ(m_session->deleteRow(1), 1);
    EXPECT_EQ(lines(), (QStringList{u"A.jpg"_s, u"photo.png"_s, u"tree.png"_s}));
    EXPECT_EQ(m_count, 3);
    EXPECT_EQ(flags(0), 0);
    EXPECT_TRUE(m_status.first.isEmpty());
    EXPECT_TRUE(QFile::exists(m_source.filePath(u"a.png"_s)));

    // The same folder on both sides is refused, by whatever path.
    m_session->chooseSourceFolder(m_source.path());
    const QString link = m_destination.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(m_source.path(), link));
    for (const QString &other : {m_source.path(), link, m_source.path() + u"/."_s}) {
        m_session->chooseDestinationFolder(other);
        EXPECT_EQ(m_status, std::pair(u"Origin and destination folders must not be the same!"_s,
                                      int(OtherError)));
        EXPECT_TRUE(m_session->destinationFolder().isEmpty());
    }
    EXPECT_EQ(m_beeps, 3);
    m_session->chooseDestinationFolder(m_destination.path());
    m_session->chooseSourceFolder(m_destination.path());
    EXPECT_TRUE(m_session->sourceFolder().isEmpty());
    EXPECT_TRUE(lines().isEmpty());
}

TEST_F(Session, PreviewsTurnsMarksAFileThatCannotBeReadAndDropsStalePreviews)
{
    ASSERT_TRUE(writeFileBytes(m_source.filePath(u"broken.png"_s), "not a picture"));
    m_session->setFrameSize({200, 200});
    m_session->chooseSourceFolder(m_source.path());
    EXPECT_EQ(m_frame.first, u"placeholder"_s);

    const int tree = row(u"tree.png"_s);
    m_session->loadPreview(tree);
    EXPECT_EQ(m_frame.first, u"picture"_s);
    EXPECT_EQ(m_frame.second.width(), 200);
    EXPECT_TRUE(m_status.first.isEmpty());
    const QSize landscape = m_frame.second.size();
    for (int expected : {-90, -180, -270, 0, 90}) {
        m_session->rotate(tree, expected == 90 ? 90 : -90);
        EXPECT_EQ(m_session->list().rotation(tree), expected);
    }
    EXPECT_EQ(m_frame.second.size(), landscape.transposed());

    // A duplicate shows its picture, then says so.
    m_session->loadPreview(0);
    EXPECT_EQ(m_frame.first, u"picture"_s);
    EXPECT_EQ(m_status,
              std::pair(u"Identical file names (conversion conflicts)"_s, int(DuplicateError)));

    const int broken = row(u"broken.png"_s);
    m_session->loadPreview(broken);
    EXPECT_EQ(flags(broken), FileTypeError);
    EXPECT_TRUE(m_status.first.startsWith(u"Error loading image file: \r\n"_s));
    EXPECT_EQ(m_status.second, FileTypeError);
    EXPECT_EQ(m_frame.first, u"placeholder"_s);

    // Without a selection the buttons turn the placeholder.
    m_session->rotate(-1, 90);
    m_session->rotate(-1, 90);
    EXPECT_EQ(m_session->placeholderAngle(), 180);

    // A preview that never comes blocks nothing, and a later row shows its own.
    m_session = std::make_unique<ConvertSession>(m_preferences, nullptr, m_previews.service());
    watch(*m_session);
    m_session->setFrameSize({200, 200});
    m_session->chooseSourceFolder(m_source.path());
    const int photo = row(u"photo.png"_s);
    m_session->loadPreview(photo);
    ASSERT_EQ(m_previews.count(), 1);
    EXPECT_EQ(m_status.first, u"Loading photo.png"_s);
    EXPECT_EQ(m_frame.first, u"blank"_s);

    m_session->loadPreview(tree);
    ASSERT_EQ(m_previews.count(), 2);
    EXPECT_EQ(m_status.first, u"Loading tree.png"_s);
    m_previews.answer(1);
    EXPECT_EQ(m_frame.first, u"picture"_s);
    EXPECT_TRUE(m_status.first.isEmpty());
    const QImage treePicture = m_frame.second;

    // The stuck one ends after all, in failure: too late to count.
    PreviewResult failed;
    failed.libraryMessage = WorkerClient::tooLongText();
    m_previews.answer(0, failed);
    EXPECT_EQ(flags(photo), 0);
    EXPECT_EQ(m_frame.second, treePicture);
    EXPECT_TRUE(m_status.first.isEmpty());

    // One that comes after the page was left marks the line but leaves the status line alone.
    m_session->loadPreview(tree);
    m_session->setPageShown(false);
    m_status = {};
    m_previews.answer(2, failed);
    EXPECT_EQ(flags(tree), FileTypeError);
    EXPECT_TRUE(m_status.first.isEmpty());
}

// After a conversion its own pictures stand in the destination: with "Replace files" off the
// list must mark them, or the next run would take them for free names; the status line keeps
// the conversion's outcome.
TEST_F(Session, ConversionsRenewTheCollisionMarksAndKeepTheirOutcomeShown)
{
    m_session->chooseSourceFolder(m_source.path());
    m_session->chooseDestinationFolder(m_destination.path());
    setReplaceFiles(false);
    const int tree = row(u"tree.png"_s);

    m_session->convertImage(tree);
    EXPECT_EQ(m_end, u"End of conversion!"_s);
    EXPECT_EQ(m_status, std::pair(u"End of conversion!"_s, int(Standard)));
    EXPECT_EQ(flags(tree), CollisionError);
    EXPECT_TRUE(QFile::exists(m_destination.filePath(u"tree.jpg"_s)));
    EXPECT_FALSE(QFile::exists(ConversionLog::path(m_destination.path())));
    EXPECT_FALSE(m_session->isConverting());

    ASSERT_TRUE(QFile::remove(m_destination.filePath(u"photo.jpg"_s)));
    setReplaceFiles(false);
    const QString endText = u"End of conversion! : Files have been skipped (see log)."_s;
    m_session->convertAll();
    EXPECT_EQ(m_end, endText);
    EXPECT_EQ(m_status.first, endText);
    EXPECT_EQ(flags(row(u"photo.png"_s)), CollisionError);
    EXPECT_EQ(m_frame.first, u"placeholder"_s);
    EXPECT_TRUE(readFileBytes(ConversionLog::path(m_destination.path()))
                    .contains("\r\nA.jpg : ignored (duplicates)\r\na.png : ignored (duplicates)\r\n"
                              "photo.png : conversion OK\r\n"
                              "tree.png : ignored (conflict with destination)\r\n"));
    EXPECT_EQ(m_session->existingLogPath(), ConversionLog::path(m_destination.path()));
}

} // namespace
