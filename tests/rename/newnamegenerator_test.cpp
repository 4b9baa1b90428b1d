#include "rename/newnamegenerator.h"
#include "rename/renamelistmodel.h"

#include "qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

struct NameCase
{
    const char16_t *base;
    int digits;
    qint64 number;
    const char16_t *current;
    const char16_t *expected;
};

void PrintTo(const NameCase &c, std::ostream *out)
{
    *out << QString::fromUtf16(c.base).toStdString() << " %0" << c.digits << "d " << c.number << " "
         << QString::fromUtf16(c.current).toStdString();
}

class NewNameTable : public testing::TestWithParam<NameCase>
{
};

TEST_P(NewNameTable, JoinsBaseNumberAndExtension)
{
    const NameCase &c = GetParam();
    EXPECT_EQ(NewNameGenerator::newName(QString::fromUtf16(c.base), c.digits, c.number,
                                        QString::fromUtf16(c.current)),
              QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NewNameTable,
    testing::Values(NameCase{u"img", 3, 1, u"a.jpg", u"img001.jpg"},
                    NameCase{u"img", 3, 3, u"c", u"img003"},
                    NameCase{u"img", 2, 100, u"x.jpg", u"img100.jpg"}, // never cut
                    NameCase{u"img", 1, 5, u"x.tar.gz", u"img5.gz"},
                    NameCase{u"img", 3, -5, u"a.jpg", u"img-05.jpg"}, // as printf's %03d
                    NameCase{u" my photo ", 2, 7, u"a.JPG", u" my photo 07.JPG"}));

// Rows from a folder scanned with "*", so that their names are the ExistingNames.
class Numbering : public testing::Test
{
protected:
    void scan(const QStringList &names)
    {
        for (const QString &name : names) {
            QFile file(m_dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        m_list.scanFolder(m_dir.path(), u"*"_s);
    }
    QStringList newNames() const
    {
        QStringList names;
        for (const RenameItem &row : m_list.items())
            names.append(row.newName + (row.conflict ? u" !"_s : QString()));
        return names;
    }

    QTemporaryDir m_dir;
    RenameListModel m_list;
    NumberingSettings m_settings;
};

TEST_F(Numbering, NumbersRowsInOrderFromTheStartNumber)
{
    scan({u"a.jpg"_s, u"b.png"_s, u"c"_s});
    m_settings = {u"img"_s, 3, 1, false};
    EXPECT_FALSE(NewNameGenerator::computeNewNames(m_list, m_settings).conflictFound);
    EXPECT_EQ(newNames(), (QStringList{u"img001.jpg"_s, u"img002.png"_s, u"img003"_s}));

    // Counting on past the 32-bit limit rather than wrapping to negative numbers.
    m_settings = {u"img"_s, 2, std::numeric_limits<int>::max() - 1, false};
    NewNameGenerator::computeNewNames(m_list, m_settings);
    EXPECT_EQ(newNames(),
              (QStringList{u"img2147483646.jpg"_s, u"img2147483647.png"_s, u"img2147483648"_s}));
}

TEST_F(Numbering, MarksWholeListedNamesWithOnlyAToZFolded)
{
    // A plain "name:name:" text would find ":b2.jpg:" inside ":a:b2.jpg:".
    scan({u"img1.jpg"_s, u"IMG2.JPG"_s, u"a:b2.jpg"_s, u"É1.jpg"_s});
    m_settings = {u"img"_s, 1, 1, false};
    NewNameGenerator::Marks marks = NewNameGenerator::computeNewNames(m_list, m_settings);
    EXPECT_EQ(marks.firstConflictRow, 0);
    EXPECT_TRUE(m_settings.conflictFound);
    EXPECT_EQ(newNames(),
              (QStringList{u"img1.jpg !"_s, u"img2.jpg !"_s, u"img3.JPG"_s, u"img4.jpg"_s}));

    m_settings = {u"b"_s, 1, 1, false};
    EXPECT_FALSE(NewNameGenerator::computeNewNames(m_list, m_settings).conflictFound);
    m_settings = {u"é"_s, 1, -2, false};
    marks = NewNameGenerator::computeNewNames(m_list, m_settings);
    EXPECT_EQ(m_list.newName(3), u"é1.jpg"_s);
    EXPECT_FALSE(marks.conflictFound);
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
    EXPECT_EQ(newNames(), (QStringList{u"img1.jpg"_s, u"img2.jpg"_s}));
    EXPECT_EQ(m_settings.digitCount, 1);

    // A later sort or drop computes nothing with the empty base name kept.
    m_list.clearNewNames();
    NewNameGenerator::computeNewNames(m_list, m_settings);
    EXPECT_EQ(newNames(), (QStringList{QString(), QString()}));
}

TEST(NumberingRules, DigitCountsAndStartNumber)
{
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

} // namespace
