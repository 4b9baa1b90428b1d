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

// The lines in their order, each with its flags (1 file type, 2 duplicate, 4 collision).
QString rows(const ConvertListModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.count(); ++row)
        rows.append(model.text(row) + u':' + QString::number(model.flags(row)));
    return rows.join(u' ');
}

TEST(ConvertList, KeepsLinesWritingTheSameNameTogetherAndMarksThemFoldingOnlyAToZ)
{
    ConvertListModel model;
    model.setNames({u"a.png"_s, u"a.mpo.jpg"_s, u"B.gif"_s, u"a.jpg"_s, u"A.tif"_s});
    // The marks keep the other flags and the turn.
    model.setRotation(2, -270);
    model.setFlag(2, FileTypeError, true);
    // A plain sort of the whole names would put a.mpo.jpg between a.jpg and a.png, and then
    // the two would both be converted into a.jpg, the second over the first.
    const ConvertListModel::Marks marks = model.markDuplicates();
    EXPECT_EQ(std::pair(marks.found, marks.firstRow), std::pair(true, 0));
    EXPECT_EQ(rows(model), u"a.jpg:2 a.png:2 A.tif:3 a.mpo.jpg:0 B.gif:0"_s);
    EXPECT_EQ(model.rotation(2), -270);
    EXPECT_EQ(std::tuple(ConvertListModel::drawnStatus(DuplicateError | CollisionError),
                         ConvertListModel::drawnStatus(FileTypeError | DuplicateError),
                         ConvertListModel::drawnStatus(FileTypeError)),
              std::tuple(CollisionError, DuplicateError, FileTypeError));

    model.setNames({u"é.jpg"_s, u"É.png"_s, u"z.jpg"_s});
    EXPECT_FALSE(model.markDuplicates().found);
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
        return rows(model);
    };
    // 'b:' is found inside 'ab:', but b.jpg does not exist; a folder in the way counts.
    EXPECT_EQ(mark(u".jpg"_s, false), u"b.png:0 folder.gif:0 new.png:0 photo.png:4"_s);
    EXPECT_EQ(marks.firstRow, 3);
    EXPECT_EQ(mark(u".png"_s, false), u"b.png:0 folder.gif:4 new.png:0 photo.png:0"_s);
    EXPECT_EQ(mark(u".tif"_s, false), u"b.png:0 folder.gif:0 new.png:0 photo.png:0"_s);
    EXPECT_FALSE(marks.found);
    mark(u".jpg"_s, false);
    EXPECT_EQ(mark(u".jpg"_s, true), u"b.png:0 folder.gif:0 new.png:0 photo.png:0"_s);
    mark(u".jpg"_s, false);
    model.clearCollisions();
    EXPECT_EQ(rows(model), u"b.png:0 folder.gif:0 new.png:0 photo.png:0"_s);

    // A name that is not UTF-8 is checked by its bytes and shown with U+FFFD.
    const QString bad = PathUtil::decodeName("bad\xff.png");
    model.setNames({bad});
    model.markCollisions(ConversionPlan::destinationKey(bad), destination.path(), u".jpg"_s, false);
    EXPECT_EQ(rows(model), bad + u":4"_s);
    for (int role : {Qt::DisplayRole, Qt::ToolTipRole})
        EXPECT_EQ(model.index(0).data(role).toString(), u"bad\uFFFD.png"_s);
}

// Delete selects the next line or the new last one, and marks the duplicates anew: marks of
// lines whose twin went are cleared.
TEST(ConvertList, DeleteSelectsTheNextLineOrTheNewLastOne)
{
    ConvertListModel model;
    model.setNames({u"a.gif"_s, u"a.png"_s, u"b.gif"_s, u"b.png"_s});
    model.markDuplicates();
    for (const auto &[row, select, duplicates, after] :
         {std::tuple(3, 2, true, u"a.gif:2 a.png:2 b.gif:0"_s),
          std::tuple(1, 1, false, u"a.gif:0 b.gif:0"_s), std::tuple(1, 0, false, u"a.gif:0"_s),
          std::tuple(0, -1, false, QString()), std::tuple(0, -1, false, QString())}) {
        const ConvertListModel::Removal removal = model.deleteRow(row);
        EXPECT_EQ(std::tuple(removal.rowToSelect, removal.duplicatesFound, rows(model)),
                  std::tuple(select, duplicates, after));
    }
}

} // namespace
