// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/convertlistmodel.h"

#include "convert/conversionplan.h"
#include "convert/imagefolderscan.h"
#include "prefs/preferences.h"
#include "util/pathutil.h"

#include "convertrows.h"
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

// Lines writing the same name stay together and are marked, folding only A to Z (é and É
// differ); Delete selects the next line or the new last one and marks the duplicates anew. The
// scan that fills the list takes the files of the group whose whole name matches, but no folder or
// pipe.
TEST(ConvertList, MarksDuplicatesAnewOnDeleteAndCollisionsUnlessReplacedAndIsFilledByTheScan)
{
    ConvertListModel model;
    model.setNames(
        {u"a.png"_s, u"a.mpo.jpg"_s, u"B.gif"_s, u"a.jpg"_s, u"A.tif"_s, u"É.png"_s, u"é.jpg"_s});
    // The marks keep the other flags and the turn.
    model.setRotation(2, -270);
    model.setFlag(2, FileTypeError, true);
    // A plain sort of the whole names would put a.mpo.jpg between a.jpg and a.png, and then
    // the two would both be converted into a.jpg, the second over the first.
    ConvertListModel::Marks marks = model.markDuplicates();
    EXPECT_EQ(std::tuple(marks.found, marks.firstRow, convertRows(model), model.rotation(2)),
              std::tuple(true, 0, u"a.jpg:2 a.png:2 A.tif:3 a.mpo.jpg:0 B.gif:0 É.png:0 é.jpg:0"_s,
                         -270));
    EXPECT_EQ(model.index(2).data(Qt::AccessibleDescriptionRole).toString(),
              u"duplicate name, cannot be read"_s);

    model.setNames({u"a.gif"_s, u"a.png"_s, u"b.gif"_s, u"b.png"_s});
    model.markDuplicates();
    for (const auto &[row, select, duplicates, after] :
         {std::tuple(3, 2, true, u"a.gif:2 a.png:2 b.gif:0"_s),
          std::tuple(1, 1, false, u"a.gif:0 b.gif:0"_s), std::tuple(1, 0, false, u"a.gif:0"_s),
          std::tuple(0, -1, false, QString()), std::tuple(0, -1, false, QString())}) {
        const ConvertListModel::Removal removal = model.deleteRow(row);
        EXPECT_EQ(std::tuple(removal.rowToSelect, removal.duplicatesFound, convertRows(model)),
                  std::tuple(select, duplicates, after));
    }

    QTemporaryDir destination, dir;        // dir: the scan's, below
    const auto cleanUp = qScopeGuard([&] { // the names QTemporaryDir cannot remove
        removeFilesAtBytes(destination.path());
        removeFilesAtBytes(dir.path());
    });
    for (const char *name : {"/photo.jpg", "/ab.jpg", "/bad\xff.jpg"})
        ASSERT_TRUE(writeFileAtBytes(PathUtil::encodeName(destination.path()) + name));
    QDir(destination.path()).mkdir(u"folder.png"_s);
    model.setNames({u"photo.png"_s, u"b.png"_s, u"folder.gif"_s, u"new.png"_s});
    // Whether any is marked, the first row marked, the rows.
    const auto mark = [&](const QString &extension) {
        marks = model.markCollisions(u"photo:ab:folder:"_s, destination.path(), extension, false);
        return u"%1 %2 "_s.arg(marks.found).arg(marks.firstRow) + convertRows(model);
    };
    // 'b:' is found inside 'ab:', but b.jpg does not exist; a folder in the way counts.
    EXPECT_EQ(mark(u".jpg"_s), u"1 3 b.png:0 folder.gif:0 new.png:0 photo.png:4"_s);
    EXPECT_EQ(mark(u".png"_s), u"1 1 b.png:0 folder.gif:4 new.png:0 photo.png:0"_s);
    EXPECT_EQ(mark(u".tif"_s), u"0 -1 b.png:0 folder.gif:0 new.png:0 photo.png:0"_s);

    // A name that is not UTF-8 is checked by its bytes and shown with U+FFFD.
    const QString bad = PathUtil::decodeName("bad\xff.png");
    model.setNames({bad});
    model.markCollisions(ConversionPlan::destinationKey(bad), destination.path(), u".jpg"_s, false);
    EXPECT_EQ(convertRows(model), bad + u":4"_s);
    // Shown with U+FFFD, and the mark told in words too, not by colour alone.
    const QModelIndex at = model.index(0);
    EXPECT_EQ(std::tuple(at.data().toString(), at.data(Qt::ToolTipRole).toString(),
                         at.data(Qt::AccessibleDescriptionRole).toString()),
              std::tuple(u"bad\uFFFD.png"_s, u"bad\uFFFD.png (exists in destination)"_s,
                         u"exists in destination"_s));

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
    // The names sorted, joined by spaces.
    const std::tuple<QString, int, QString> cases[] = {
        // A name that is not UTF-8 is kept by its bytes; extensions count whole (x.jp is none).
        {QString(), AllImagesIndex,
         u".hidden.gif DSC_0003.jpg Holiday.png IMG_0001.jpg "_s +
             PathUtil::decodeName("bad\xff.jpg") +
             u" holiday.jpg holiday2.jpg img_0002.PNG linked.png photo.JPG scan.tiff"_s},
        // A file without an extension is in no list, though the pattern takes it.
        {QString(), int(ImageFormatGroup::GifImages), u".hidden.gif"_s},
        {u"IMG_0*"_s, AllImagesIndex, u"IMG_0001.jpg img_0002.PNG"_s},
        {u"holiday"_s, AllImagesIndex, u"Holiday.png holiday.jpg"_s},
        {u"../*"_s, AllImagesIndex, QString()}};
    for (const auto &[filter, group, expected] : cases) {
        QStringList names =
            ImageFolderScan::listNames(dir.path(), filter, preferences.extensionList(group));
        names.sort();
        EXPECT_EQ(names.join(u' '), expected) << filter.toStdString() << ' ' << group;
    }
    for (const QString &missing : {u"/nonexistent/folder"_s, QString()})
        EXPECT_TRUE(ImageFolderScan::listNames(missing, QString(), u".jpg;"_s).isEmpty());
    // Destination names: lower-cased base names of the pictures the filter names, each closed
    // by a colon (holiday.txt and holiday are no pictures).
    EXPECT_EQ(ImageFolderScan::destinationNames(dir.path(), u"holiday"_s,
                                                preferences.extensionList(AllImagesIndex)),
              u"holiday:holiday:"_s);
}

} // namespace
