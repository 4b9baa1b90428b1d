#include "convert/convertlistmodel.h"

#include "convert/conversionplan.h"
#include "util/pathutil.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<int> rowsWith(const ConvertListModel &model, LineStatus flag)
{
    QList<int> rows;
    for (int row = 0; row < model.count(); ++row) {
        if (model.flags(row) & flag)
            rows.append(row);
    }
    return rows;
}

TEST(ConvertList, KeepsLinesWritingTheSameNameTogetherAndMarksThemFoldingOnlyAToZ)
{
    ConvertListModel model;
    model.setNames({u"a.png"_s, u"a.mpo.jpg"_s, u"B.gif"_s, u"a.jpg"_s, u"A.tif"_s});
    // A plain sort of the whole names would put a.mpo.jpg between a.jpg and a.png, and then
    // the two would both be converted into a.jpg, the second over the first.
    const QStringList sorted = {u"a.jpg"_s, u"a.png"_s, u"A.tif"_s, u"a.mpo.jpg"_s, u"B.gif"_s};
    for (int row = 0; row < sorted.size(); ++row)
        EXPECT_EQ(model.text(row), sorted[row]);
    const ConvertListModel::Marks marks = model.markDuplicates();
    EXPECT_TRUE(marks.found);
    EXPECT_EQ(marks.firstRow, 0);
    EXPECT_EQ(rowsWith(model, DuplicateError), (QList<int>{0, 1, 2}));

    model.setNames({u"é.jpg"_s, u"É.png"_s, u"z.jpg"_s});
    EXPECT_FALSE(model.markDuplicates().found);

    model.setNames({u"x.png"_s, u"x.gif"_s, u"y.png"_s, u"x.jpg"_s});
    EXPECT_TRUE(model.markDuplicates().found);
    EXPECT_EQ(rowsWith(model, DuplicateError), (QList<int>{0, 1, 2}));
    // A second check after a change clears the marks it no longer finds.
    model.deleteRow(0);
    model.deleteRow(0);
    EXPECT_TRUE(rowsWith(model, DuplicateError).isEmpty());
}

TEST(ConvertList, ChecksKeepTheOtherFlagsAndTheRotation)
{
    ConvertListModel model;
    model.setNames({u"a.jpg"_s, u"a.png"_s});
    model.setRotation(1, -270);
    model.setFlag(1, FileTypeError, true);
    model.markDuplicates();
    EXPECT_EQ(model.rotation(1), -270);
    EXPECT_EQ(model.flags(1), FileTypeError | DuplicateError);
    EXPECT_EQ(model.value(1), (FileTypeError | DuplicateError) - 270 * 256);
    EXPECT_EQ(model.index(1).data(Qt::AccessibleDescriptionRole).toString(),
              u"duplicate name, cannot be read"_s);
    EXPECT_EQ(model.value(7), 0);

    EXPECT_EQ(ConvertListModel::drawnStatus(DuplicateError | CollisionError), CollisionError);
    EXPECT_EQ(ConvertListModel::drawnStatus(FileTypeError | DuplicateError), DuplicateError);
    EXPECT_EQ(ConvertListModel::drawnStatus(FileTypeError), FileTypeError);
}

TEST(ConvertList, CollisionsMarkLinesWhoseDestinationExistsUnlessFilesAreReplaced)
{
    QTemporaryDir destination;
    const auto cleanUp = qScopeGuard([&] { removeFilesAtBytes(destination.path()); });
    const QByteArray folder = PathUtil::encodeName(destination.path());
    for (const char *name : {"/photo.jpg", "/ab.jpg", "/bad\xff.jpg"})
        ASSERT_TRUE(writeFileAtBytes(folder + name));
    QDir(destination.path()).mkdir(u"folder.png"_s);
    ConvertListModel model;
    model.setNames({u"photo.png"_s, u"b.png"_s, u"folder.gif"_s, u"new.png"_s});
    ConvertListModel::Marks marks;
    const auto mark = [&](const QString &extension, bool replaceFiles) {
        marks = model.markCollisions(u"photo:ab:folder:"_s, destination.path(), extension,
                                     replaceFiles);
        return rowsWith(model, CollisionError);
    };
    // Rows: b.png, folder.gif, new.png, photo.png. 'b:' is found inside 'ab:', but b.jpg does
    // not exist; a folder in the way counts.
    EXPECT_EQ(mark(u".jpg"_s, false), (QList<int>{3}));
    EXPECT_EQ(marks.firstRow, 3);
    EXPECT_EQ(mark(u".png"_s, false), (QList<int>{1}));
    EXPECT_EQ(mark(u".tif"_s, false), QList<int>());
    EXPECT_FALSE(marks.found);
    mark(u".jpg"_s, false);
    EXPECT_EQ(mark(u".jpg"_s, true), QList<int>());
    mark(u".jpg"_s, false);
    model.clearCollisions();
    EXPECT_TRUE(rowsWith(model, CollisionError).isEmpty());

    // A name that is not UTF-8 is checked by its bytes and shown with U+FFFD.
    const QString bad = PathUtil::decodeName("bad\xff.png");
    model.setNames({bad});
    EXPECT_TRUE(model
                    .markCollisions(ConversionPlan::destinationKey(bad), destination.path(),
                                    u".jpg"_s, false)
                    .found);
    EXPECT_EQ(model.text(0), bad);
    // The mark is told in words too, not by colour alone.
    EXPECT_EQ(model.index(0).data().toString(), u"bad\uFFFD.png"_s);
    EXPECT_EQ(model.index(0).data(Qt::ToolTipRole).toString(),
              u"bad\uFFFD.png (exists in destination)"_s);
    EXPECT_EQ(model.index(0).data(Qt::AccessibleDescriptionRole).toString(),
              u"exists in destination"_s);
}

TEST(ConvertList, DeleteSelectsTheNextLineOrTheNewLastOne)
{
    ConvertListModel model;
    model.setNames({u"a.jpg"_s, u"a.png"_s, u"b.jpg"_s});
    model.markDuplicates();
    // The row deleted, then the row to select and whether duplicates remain.
    for (const auto &[row, select, duplicates] :
         {std::tuple(2, 1, true), std::tuple(0, 0, false), std::tuple(0, -1, false),
          std::tuple(0, -1, false)}) {
        const ConvertListModel::Removal removal = model.deleteRow(row);
        EXPECT_EQ(std::pair(removal.rowToSelect, removal.duplicatesFound),
                  std::pair(select, duplicates));
        EXPECT_EQ(model.flags(0), duplicates ? DuplicateError : 0) << row;
    }
    EXPECT_EQ(model.count(), 0);
}

} // namespace
