#include "convert/imagefolderscan.h"

#include "util/pathutil.h"
#include "prefs/preferences.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class FolderScan : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const QString &name :
             {u"IMG_0001.jpg"_s, u"img_0002.PNG"_s, u"DSC_0003.jpg"_s, u"holiday.jpg"_s,
              u"Holiday.png"_s, u"holiday2.jpg"_s, u"holiday"_s, u"photo.JPG"_s, u"picture.jpc"_s,
              u"notes.txt"_s, u".hidden.gif"_s, u"scan.tiff"_s})
            touch(name);
        QDir(m_dir.path()).mkdir(u"x.jpg"_s);
        const QByteArray folder = PathUtil::encodeName(m_dir.path()) + '/';
        ASSERT_EQ(mkfifo((folder + "pipe.png").constData(), 0644), 0);
        // Links count by what they lead to: a FIFO behind one would stall a worker.
        ASSERT_EQ(symlink("pipe.png", (folder + "piped.png").constData()), 0);
        ASSERT_EQ(symlink("gone.png", (folder + "dangling.png").constData()), 0);
        ASSERT_EQ(symlink("scan.tiff", (folder + "linked.png").constData()), 0);
        ASSERT_TRUE(writeFileAtBytes(folder + "bad\xff.jpg"));
    }

    void TearDown() override { removeFilesAtBytes(m_dir.path()); }

    void touch(const QString &name)
    {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QStringList list(const QString &filter, int groupIndex) const
    {
        QStringList names = ImageFolderScan::listNames(m_dir.path(), filter,
                                                       m_preferences.extensionList(groupIndex));
        names.sort();
        return names;
    }

    QTemporaryDir m_dir;
    Preferences m_preferences;
};

TEST_F(FolderScan, AnEmptyFilterTakesEveryFileOfTheGroupButNoFolderOrPipe)
{
    // A name that is not UTF-8 is kept by its bytes.
    EXPECT_EQ(list(QString(), AllImagesIndex),
              (QStringList{u".hidden.gif"_s, u"DSC_0003.jpg"_s, u"Holiday.png"_s, u"IMG_0001.jpg"_s,
                           PathUtil::decodeName("bad\xff.jpg"), u"holiday"_s, u"holiday.jpg"_s,
                           u"holiday2.jpg"_s, u"img_0002.PNG"_s, u"linked.png"_s, u"photo.JPG"_s,
                           u"scan.tiff"_s}));
    // A file without extension has the key ";", which every list holds.
    EXPECT_EQ(list(QString(), int(ImageFormatGroup::GifImages)),
              (QStringList{u".hidden.gif"_s, u"holiday"_s}));
}

TEST_F(FolderScan, TheFilterIsAWholeNamePatternWithoutRegardToCase)
{
    EXPECT_EQ(list(u"IMG_0*"_s, AllImagesIndex),
              (QStringList{u"IMG_0001.jpg"_s, u"img_0002.PNG"_s}));
    EXPECT_EQ(list(u"holiday"_s, AllImagesIndex),
              (QStringList{u"Holiday.png"_s, u"holiday"_s, u"holiday.jpg"_s}));
    EXPECT_EQ(list(u"../*"_s, AllImagesIndex), QStringList());
}

TEST_F(FolderScan, ExtensionsAreComparedLowerCasedAndWhole)
{
    EXPECT_EQ(list(u"photo"_s, int(ImageFormatGroup::JpgImages)), QStringList{u"photo.JPG"_s});
    // The default JPEG 2K list holds "jpc;" without its dot, which matches nothing.
    EXPECT_EQ(list(u"picture"_s, AllImagesIndex), QStringList());
    EXPECT_FALSE(ImageFolderScan::extensionMatches(u"a.jpe"_s, u".jpeg;"_s));
    EXPECT_FALSE(ImageFolderScan::extensionMatches(u"a.jpg"_s, u".JPG;"_s));
    EXPECT_TRUE(ImageFolderScan::extensionMatches(u"a.JPE"_s, u".jpeg;.jpe;"_s));
}

TEST_F(FolderScan, DestinationNamesAreLowerCasedBaseNamesClosedByColons)
{
    QTemporaryDir destination;
    for (const QString &name : {u"Beach.JPG"_s, u"tree.png"_s, u"notes.txt"_s}) {
        QFile file(destination.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString names = ImageFolderScan::destinationNames(
        destination.path(), QString(), m_preferences.extensionList(AllImagesIndex));
    EXPECT_TRUE(names == u"beach:tree:"_s || names == u"tree:beach:"_s) << names.toStdString();
}

TEST(FolderScanFailures, AMissingFolderGivesNothing)
{
    EXPECT_TRUE(
        ImageFolderScan::listNames(u"/nonexistent/folder"_s, QString(), u".jpg;"_s).isEmpty());
    EXPECT_TRUE(ImageFolderScan::listNames(QString(), QString(), u".jpg;"_s).isEmpty());
}

} // namespace
