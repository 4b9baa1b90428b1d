#include "rename/renamelistmodel.h"

#include "util/pathutil.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QPersistentModelIndex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using SortOrder = RenameListModel::SortOrder;

QStringList currentNames(const RenameListModel &list)
{
    QStringList names;
    for (const RenameItem &row : list.items())
        names.append(row.currentName);
    return names;
}

class RenameListing : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const QString &name :
             {u"img10.jpg"_s, u"img2.jpg"_s, u"IMG1.JPG"_s, u"doc3.pdf"_s, u"doc20.pdf"_s,
              u"notes.txt"_s, u".hidden.jpg"_s, u"Éa.jpg"_s}) {
            QFile file(m_dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        QDir(m_dir.path()).mkdir(u"sub.jpg"_s);
        QDir(m_dir.path()).mkdir(u"img3"_s);
        ASSERT_EQ(mkfifo(QFile::encodeName(m_dir.filePath(u"img4.jpg"_s)).constData(), 0644), 0);
    }

    void TearDown() override { removeFilesAtBytes(m_dir.path()); }

    QStringList scan(const QString &filter)
    {
        m_list.scanFolder(m_dir.path(), filter);
        return currentNames(m_list);
    }

    QTemporaryDir m_dir;
    RenameListModel m_list;
};

TEST_F(RenameListing, PatternsAreMergedIntoOneNaturalOrder)
{
    EXPECT_EQ(
        scan(u"img*.jpg;doc*.pdf"_s),
        (QStringList{u"doc3.pdf"_s, u"doc20.pdf"_s, u"IMG1.JPG"_s, u"img2.jpg"_s, u"img10.jpg"_s}));
    EXPECT_EQ(m_list.sortOrder(), SortOrder::Ascending);
    EXPECT_EQ(scan(u"  img*.jpg ;\tdoc*.pdf "_s), scan(u"img*.jpg;doc*.pdf"_s));
    EXPECT_EQ(scan(u";;*.jpg;"_s), scan(u"*.jpg"_s));
}

TEST_F(RenameListing, ListsFilesOnlyAndOnceForEveryMatchingPattern)
{
    // No folder (even with a dot) and no FIFO; hidden files are listed.
    EXPECT_EQ(scan(u"*.*"_s),
              (QStringList{u".hidden.jpg"_s, u"doc3.pdf"_s, u"doc20.pdf"_s, u"IMG1.JPG"_s,
                           u"img2.jpg"_s, u"img10.jpg"_s, u"notes.txt"_s, u"Éa.jpg"_s}));
    EXPECT_EQ(scan(u"*.jpg;img1.*"_s), (QStringList{u".hidden.jpg"_s, u"IMG1.JPG"_s, u"IMG1.JPG"_s,
                                                    u"img2.jpg"_s, u"img10.jpg"_s, u"Éa.jpg"_s}));
    EXPECT_TRUE(scan(QString()).isEmpty());
    EXPECT_TRUE(scan(u" ; "_s).isEmpty());
    EXPECT_TRUE(scan(u"../*"_s).isEmpty());
    EXPECT_EQ(RenameListModel::splitFilter(u";;a; ;b;"_s),
              (QStringList{u"a"_s, QString(), u"b"_s}));
}

TEST_F(RenameListing, LinksCountByWhatTheyLeadToAndNamesByTheirBytes)
{
    const QByteArray folder = PathUtil::encodeName(m_dir.path()) + '/';
    ASSERT_EQ(symlink("img4.jpg", (folder + "link-to-fifo.jpg").constData()), 0);
    ASSERT_EQ(symlink("gone.jpg", (folder + "link-to-nothing.jpg").constData()), 0);
    ASSERT_EQ(symlink("img2.jpg", (folder + "link-to-file.jpg").constData()), 0);
    ASSERT_TRUE(writeFileAtBytes(folder + "bad\xff.jpg"));
    const QString bad = PathUtil::decodeName("bad\xff.jpg");
    EXPECT_EQ(scan(u"bad*;link*"_s), (QStringList{bad, u"link-to-file.jpg"_s}));
    EXPECT_TRUE(m_list.contains(bad));
    m_list.setNewName(0, bad, false);
    for (int column : {0, 1}) {
        const QModelIndex at = m_list.index(0, column);
        EXPECT_EQ(at.data().toString(), u"bad\uFFFD.jpg"_s);
        EXPECT_EQ(at.data(Qt::ToolTipRole).toString(), u"bad\uFFFD.jpg"_s);
        EXPECT_EQ(at.data(RenameListModel::CurrentNameRole).toString(), bad);
    }
}

TEST_F(RenameListing, ExistingNamesFoldOnlyAToZAndOutliveRemovedRows)
{
    scan(u"*"_s);
    EXPECT_TRUE(m_list.contains(u"img1.jpg"_s));
    EXPECT_TRUE(m_list.contains(u"Img1.Jpg"_s));
    EXPECT_TRUE(m_list.contains(u"Éa.jpg"_s));
    EXPECT_FALSE(m_list.contains(u"éa.jpg"_s));
    EXPECT_FALSE(m_list.contains(u"img1"_s));
    EXPECT_FALSE(m_list.contains(u"sub.jpg"_s));

    const int row = int(currentNames(m_list).indexOf(u"IMG1.JPG"_s));
    ASSERT_TRUE(m_list.removeRow(row));
    EXPECT_FALSE(currentNames(m_list).contains(u"IMG1.JPG"_s));
    EXPECT_TRUE(m_list.contains(u"img1.jpg"_s));

    // An empty folder text changes nothing; a missing folder empties the list.
    m_list.scanFolder(QString(), u"*"_s);
    EXPECT_EQ(m_list.count(), 7);
    m_list.scanFolder(m_dir.filePath(u"missing"_s), u"*"_s);
    EXPECT_EQ(m_list.count(), 0);
    EXPECT_FALSE(m_list.contains(u"img2.jpg"_s));
}

TEST_F(RenameListing, SortingCarriesNewNamesAndSelectionWithTheRows)
{
    scan(u"img*"_s);
    m_list.setNewNames({u"n1"_s, u"n2"_s, u"n3"_s}, {false, true, false});
    const QPersistentModelIndex selected = m_list.index(0, 1);

    m_list.sortRows(SortOrder::Descending);
    EXPECT_EQ(currentNames(m_list), (QStringList{u"img10.jpg"_s, u"img2.jpg"_s, u"IMG1.JPG"_s}));
    EXPECT_EQ(m_list.sortOrder(), SortOrder::Descending);
    EXPECT_EQ(m_list.item(1).newName, u"n2"_s);
    EXPECT_TRUE(m_list.item(1).conflict);
    EXPECT_EQ(selected.row(), 2);
    EXPECT_EQ(selected.data().toString(), u"n1"_s);

    m_list.sortRows(SortOrder::Ascending);
    EXPECT_EQ(currentNames(m_list), (QStringList{u"IMG1.JPG"_s, u"img2.jpg"_s, u"img10.jpg"_s}));
}

TEST_F(RenameListing, MovingRowsLeavesNewNamesWithTheRowNumbers)
{
    scan(u"*.jpg;*.pdf"_s);
    ASSERT_EQ(m_list.count(), 7);
    const QStringList before = currentNames(m_list);
    QStringList numbers;
    for (int row = 0; row < m_list.count(); ++row)
        numbers.append(QString::number(row));
    m_list.setNewNames(numbers, QList<bool>(7, false));
    const QPersistentModelIndex dragged = m_list.index(4, 0);

    // Dragging the fifth row onto the second.
    ASSERT_TRUE(m_list.moveRow(4, 1));
    EXPECT_EQ(currentNames(m_list), (QStringList{before[0], before[4], before[1], before[2],
                                                 before[3], before[5], before[6]}));
    EXPECT_EQ(dragged.row(), 1);
    for (int row = 0; row < m_list.count(); ++row)
        EXPECT_EQ(m_list.newName(row), QString::number(row));

    ASSERT_TRUE(m_list.moveRow(1, 4));
    EXPECT_EQ(currentNames(m_list), before);
}

} // namespace
