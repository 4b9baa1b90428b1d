#include "rename/renamelistmodel.h"

#include "util/pathutil.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QPersistentModelIndex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using SortOrder = RenameListModel::SortOrder;

class RenameListing : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &name : {u"img10.jpg"_s, u"img2.jpg"_s, u"IMG1.JPG"_s, u"doc3.pdf"_s,
                                    u"doc20.pdf"_s, u"notes.txt"_s, u".hidden.jpg"_s, u"Éa.jpg"_s})
            ASSERT_TRUE(writeFileBytes(m_dir.filePath(name), {}));
        QDir(m_dir.path()).mkdir(u"sub.jpg"_s);
        QDir(m_dir.path()).mkdir(u"img3"_s);
        ASSERT_EQ(mkfifo(QFile::encodeName(m_dir.filePath(u"img4.jpg"_s)).constData(), 0644), 0);
    }
    void TearDown() override { removeFilesAtBytes(m_dir.path()); }

    QStringList names() const
    {
        QStringList names;
        for (const RenameItem &row : m_list.items())
            names.append(row.currentName);
        return names;
    }
    QStringList scan(const QString &filter)
    {
        m_list.scanFolder(m_dir.path(), filter);
        return names();
    }

    QTemporaryDir m_dir;
    RenameListModel m_list;
};

TEST_F(RenameListing, ListsFilesOnceForEveryMatchingPatternInOneNaturalOrder)
{
    EXPECT_EQ(
        scan(u"img*.jpg;doc*.pdf"_s),
        (QStringList{u"doc3.pdf"_s, u"doc20.pdf"_s, u"IMG1.JPG"_s, u"img2.jpg"_s, u"img10.jpg"_s}));
    EXPECT_EQ(m_list.sortOrder(), SortOrder::Ascending);
    EXPECT_EQ(scan(u"  img*.jpg ;\tdoc*.pdf "_s), scan(u"img*.jpg;doc*.pdf"_s));
    EXPECT_EQ(scan(u";;*.jpg;"_s), scan(u"*.jpg"_s));
    // No folder (even with a dot) and no FIFO; hidden files are listed.
    EXPECT_EQ(scan(u"*.*"_s),
              (QStringList{u".hidden.jpg"_s, u"doc3.pdf"_s, u"doc20.pdf"_s, u"IMG1.JPG"_s,
                           u"img2.jpg"_s, u"img10.jpg"_s, u"notes.txt"_s, u"Éa.jpg"_s}));
    EXPECT_EQ(scan(u"*.jpg;img1.*"_s), (QStringList{u".hidden.jpg"_s, u"IMG1.JPG"_s, u"IMG1.JPG"_s,
                                                    u"img2.jpg"_s, u"img10.jpg"_s, u"Éa.jpg"_s}));
    for (const QString &filter : {QString(), u" ; "_s, u"../*"_s})
        EXPECT_TRUE(scan(filter).isEmpty()) << filter.toStdString();
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
    m_list.setNewName(0, bad, true); // a listed name: a conflict, told in words too
    for (int column : {0, 1}) {
        const QModelIndex at = m_list.index(0, column);
        EXPECT_EQ(at.data().toString(), u"bad\uFFFD.jpg"_s);
        EXPECT_EQ(at.data(Qt::ToolTipRole).toString(), u"bad\uFFFD.jpg (name conflict)"_s);
        EXPECT_EQ(at.data(Qt::AccessibleDescriptionRole).toString(), u"name conflict"_s);
        EXPECT_EQ(at.data(RenameListModel::CurrentNameRole).toString(), bad);
    }
}

TEST_F(RenameListing, ExistingNamesFoldOnlyAToZAndOutliveRemovedRows)
{
    scan(u"*"_s);
    for (const QString &name : {u"img1.jpg"_s, u"Img1.Jpg"_s, u"Éa.jpg"_s})
        EXPECT_TRUE(m_list.contains(name)) << name.toStdString();
    for (const QString &name : {u"éa.jpg"_s, u"img1"_s, u"sub.jpg"_s})
        EXPECT_FALSE(m_list.contains(name)) << name.toStdString();

    ASSERT_TRUE(m_list.removeRow(int(names().indexOf(u"IMG1.JPG"_s))));
    EXPECT_FALSE(names().contains(u"IMG1.JPG"_s));
    EXPECT_TRUE(m_list.contains(u"img1.jpg"_s));

    // An empty folder text changes nothing; a missing folder empties the list.
    m_list.scanFolder(QString(), u"*"_s);
    EXPECT_EQ(m_list.count(), 7);
    m_list.scanFolder(m_dir.filePath(u"missing"_s), u"*"_s);
    EXPECT_EQ(m_list.count(), 0);
    EXPECT_FALSE(m_list.contains(u"img2.jpg"_s));
}

TEST_F(RenameListing, SortingCarriesNewNamesAndSelectionWithTheRowsMovingLeavesThem)
{
    scan(u"img*"_s);
    m_list.setNewNames({u"n1"_s, u"n2"_s, u"n3"_s}, {false, true, false});
    const QPersistentModelIndex selected = m_list.index(0, 1);
    m_list.sortRows(SortOrder::Descending);
    EXPECT_EQ(names(), (QStringList{u"img10.jpg"_s, u"img2.jpg"_s, u"IMG1.JPG"_s}));
    EXPECT_EQ(m_list.sortOrder(), SortOrder::Descending);
    EXPECT_EQ(m_list.item(1).newName, u"n2"_s);
    EXPECT_TRUE(m_list.item(1).conflict);
    EXPECT_EQ(selected.row(), 2);
    EXPECT_EQ(selected.data().toString(), u"n1"_s);
    m_list.sortRows(SortOrder::Ascending);
    EXPECT_EQ(names(), (QStringList{u"IMG1.JPG"_s, u"img2.jpg"_s, u"img10.jpg"_s}));

    // Dragging the fifth row onto the second: the new names stay with the row numbers.
    const QStringList before = scan(u"*.jpg;*.pdf"_s);
    ASSERT_EQ(before.size(), 7);
    m_list.setNewNames({u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s},
                       QList<bool>(7, false));
    const QPersistentModelIndex dragged = m_list.index(4, 0);
    ASSERT_TRUE(m_list.moveRow(4, 1));
    EXPECT_EQ(names(), (QStringList{before[0], before[4], before[1], before[2], before[3],
                                    before[5], before[6]}));
    EXPECT_EQ(dragged.row(), 1);
    for (int row = 0; row < m_list.count(); ++row)
        EXPECT_EQ(m_list.newName(row), QString::number(row));
    ASSERT_TRUE(m_list.moveRow(1, 4));
    EXPECT_EQ(names(), before);
}

} // namespace
