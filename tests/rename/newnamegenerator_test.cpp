#include "rename/newnamegenerator.h"
#include "rename/renamelistmodel.h"

#include "qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(NumberingRules, NamesDigitCountsAndStartNumber)
{
    // A number prints as printf's %0*d and is never cut; only the last extension stays.
    EXPECT_EQ(NewNameGenerator::newName(u"img"_s, 3, 1, u"a.jpg"_s), u"img001.jpg"_s);
    EXPECT_EQ(NewNameGenerator::newName(u"img"_s, 2, 100, u"x.jpg"_s), u"img100.jpg"_s);
    EXPECT_EQ(NewNameGenerator::newName(u"img"_s, 1, 5, u"x.tar.gz"_s), u"img5.gz"_s);
    EXPECT_EQ(NewNameGenerator::newName(u"img"_s, 3, -5, u"a.jpg"_s), u"img-05.jpg"_s);
    EXPECT_EQ(NewNameGenerator::newName(u" my photo "_s, 2, 7, u"a.JPG"_s), u" my photo 07.JPG"_s);

    const std::pair<qint64, int> minimum[] = {{0, 1},     {9, 1},      {10, 2},           {9999, 4},
                                              {10000, 5}, {100000, 6}, {1000000000000, 9}};
    for (const auto &[rows, digits] : minimum)
        EXPECT_EQ(NewNameGenerator::minimumDigitsForCount(rows), digits) << rows << " rows";
    EXPECT_EQ(NewNameGenerator::digitsForLastNumber(9, 1), 2);
    EXPECT_EQ(NewNameGenerator::digitsForLastNumber(0, -5), 2);
    EXPECT_EQ(NewNameGenerator::digitsForLastNumber(2, std::numeric_limits<int>::max()), 10);
    EXPECT_EQ(NewNameGenerator::startNumberFromText(u""), 0);
    EXPECT_EQ(NewNameGenerator::startNumberFromText(u"-7"), -7);
    EXPECT_EQ(NewNameGenerator::startNumberFromText(u"2147483648"), 0);
}

// Rows from a folder scanned with "*", so that their names are the existing names.
class Numbering : public testing::Test
{
protected:
    void scan(const QStringList &names)
    {
        for (const QString &name : names)
            ASSERT_TRUE(QFile(m_dir.filePath(name)).open(QIODevice::WriteOnly));
        m_list.scanFolder(m_dir.path(), u"*"_s);
    }
    // Each new name, with " !" when it is marked as a conflict.
    QStringList numbered(const QString &base, int digits, int start)
    {
        m_settings = {base, digits, start, false};
        m_marks = NewNameGenerator::computeNewNames(m_list, m_settings);
        EXPECT_EQ(m_settings.conflictFound, m_marks.conflictFound);
        QStringList names;
        for (const RenameItem &row : m_list.items())
            names.append(row.newName + (row.conflict ? u" !"_s : QString()));
        return names;
    }

    QTemporaryDir m_dir;
    RenameListModel m_list;
    NumberingSettings m_settings;
    NewNameGenerator::Marks m_marks;
};

TEST_F(Numbering, NumbersRowsInOrderAndMarksWholeListedNamesWithOnlyAToZFolded)
{
    scan({u"a.jpg"_s, u"b.png"_s, u"c"_s});
    EXPECT_EQ(numbered(u"img"_s, 3, 1),
              (QStringList{u"img001.jpg"_s, u"img002.png"_s, u"img003"_s}));
    EXPECT_FALSE(m_marks.conflictFound);
    // Counting on past the 32-bit limit rather than wrapping to negative numbers.
    EXPECT_EQ(numbered(u"img"_s, 2, std::numeric_limits<int>::max() - 1),
              (QStringList{u"img2147483646.jpg"_s, u"img2147483647.png"_s, u"img2147483648"_s}));

    // A plain "name:name:" text would find ":b2.jpg:" inside ":a:b2.jpg:".
    QFile::remove(m_dir.filePath(u"a.jpg"_s));
    QFile::remove(m_dir.filePath(u"b.png"_s));
    QFile::remove(m_dir.filePath(u"c"_s));
    scan({u"img1.jpg"_s, u"IMG2.JPG"_s, u"a:b2.jpg"_s, u"É1.jpg"_s});
    EXPECT_EQ(numbered(u"img"_s, 1, 1),
              (QStringList{u"img1.jpg !"_s, u"img2.jpg !"_s, u"img3.JPG"_s, u"img4.jpg"_s}));
    EXPECT_EQ(m_marks.firstConflictRow, 0);
    EXPECT_TRUE(m_marks.conflictFound);
    numbered(u"b"_s, 1, 1);
    EXPECT_FALSE(m_marks.conflictFound);
    EXPECT_EQ(numbered(u"é"_s, 1, -2).value(3), u"é1.jpg"_s);
    EXPECT_FALSE(m_marks.conflictFound);
}

TEST_F(Numbering, AnEmptyBaseNameClearsMarksButKeepsTheNamesShown)
{
    scan({u"img1.jpg"_s, u"b.jpg"_s});
    auto refresh = NewNameGenerator::refreshNewNames(m_list, m_settings, u"img"_s, 1, 1);
    EXPECT_FALSE(refresh.renumberEnabled());
    EXPECT_EQ(refresh.message, u"Conflicts in file names!"_s);

    refresh = NewNameGenerator::refreshNewNames(m_list, m_settings, QString(), 4, 7);
    EXPECT_FALSE(refresh.computed);
    EXPECT_TRUE(refresh.message.isEmpty());
    EXPECT_EQ(m_list.newName(1), u"img2.jpg"_s);
    EXPECT_FALSE(m_list.item(0).conflict);
    EXPECT_EQ(m_settings.digitCount, 1);

    // A later sort or drop computes nothing with the empty base name kept.
    m_list.clearNewNames();
    NewNameGenerator::computeNewNames(m_list, m_settings);
    EXPECT_EQ(m_list.newName(0), QString());
}

} // namespace
