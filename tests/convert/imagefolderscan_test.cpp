#include "convert/imagefolderscan.h"

#include "prefs/preferences.h"
#include "util/pathutil.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(FolderScan, TakesTheFilesOfTheGroupWhoseWholeNameMatchesButNoFolderOrPipe)
{
    QTemporaryDir dir;
    const auto cleanUp = qScopeGuard([&] { removeFilesAtBytes(dir.path()); }); // bad\xff.jpg
    const QByteArray folder = PathUtil::encodeName(dir.path()) + '/';
    for (const char *name :
         {"IMG_0001.jpg", "img_0002.PNG", "DSC_0003.jpg", "holiday.jpg", "Holiday.png",
          "holiday2.jpg", "holiday", "photo.JPG", "picture.jpc", "notes.txt", ".hidden.gif",
          "scan.tiff", "bad\xff.jpg", "x.jp", "holiday.txt"})
        ASSERT_TRUE(writeFileAtBytes(folder + name));
    QDir(dir.path()).mkdir(u"x.jpg"_s);
    ASSERT_EQ(mkfifo((folder + "pipe.png").constData(), 0644), 0);
    // Links count by what they lead to: a FIFO behind one would stall a worker.
    ASSERT_EQ(symlink("pipe.png", (folder + "piped.png").constData()), 0);
    ASSERT_EQ(symlink("gone.png", (folder + "dangling.png").constData()), 0);
    ASSERT_EQ(symlink("scan.tiff", (folder + "linked.png").constData()), 0);

    const Preferences preferences;
    const int gif = int(ImageFormatGroup::GifImages), jpg = int(ImageFormatGroup::JpgImages);
    const std::tuple<QString, int, QStringList> cases[] = {
        // A name that is not UTF-8 is kept by its bytes; extensions count whole (x.jp is none).
        {QString(),
         AllImagesIndex,
         {u".hidden.gif"_s, u"DSC_0003.jpg"_s, u"Holiday.png"_s, u"IMG_0001.jpg"_s,
          PathUtil::decodeName("bad\xff.jpg"), u"holiday"_s, u"holiday.jpg"_s, u"holiday2.jpg"_s,
          u"img_0002.PNG"_s, u"linked.png"_s, u"photo.JPG"_s, u"scan.tiff"_s}},
        // A file without extension has the key ";", which every list holds.
        {QString(), gif, {u".hidden.gif"_s, u"holiday"_s}},
        {u"IMG_0*"_s, AllImagesIndex, {u"IMG_0001.jpg"_s, u"img_0002.PNG"_s}},
        {u"holiday"_s, AllImagesIndex, {u"Holiday.png"_s, u"holiday"_s, u"holiday.jpg"_s}},
        {u"../*"_s, AllImagesIndex, {}},
        {u"photo"_s, jpg, {u"photo.JPG"_s}},
        // The default JPEG 2K list holds "jpc;" without its dot, which matches nothing.
        {u"picture"_s, AllImagesIndex, {}}};
    for (const auto &[filter, group, expected] : cases) {
        QStringList names =
            ImageFolderScan::listNames(dir.path(), filter, preferences.extensionList(group));
        names.sort();
        EXPECT_EQ(names, expected) << filter.toStdString() << ' ' << group;
    }
    for (const QString &missing : {u"/nonexistent/folder"_s, QString()})
        EXPECT_TRUE(ImageFolderScan::listNames(missing, QString(), u".jpg;"_s).isEmpty());
    // Destination names: lower-cased base names of the pictures the filter names, each closed
    // by a colon (holiday.txt is no picture).
    EXPECT_EQ(ImageFolderScan::destinationNames(dir.path(), u"holiday"_s,
                                                preferences.extensionList(AllImagesIndex)),
              u"holiday:holiday:holiday:"_s);
}

} // namespace
