#include "rename/naturalorder.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

struct OrderCase
{
    const char16_t *a;
    const char16_t *b;
    int expected; // the sign of compare(a, b)
};

void PrintTo(const OrderCase &c, std::ostream *out)
{
    *out << QString::fromUtf16(c.a).toStdString() << " vs "
         << QString::fromUtf16(c.b).toStdString();
}

class NaturalOrderTable : public testing::TestWithParam<OrderCase>
{
};

int sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST_P(NaturalOrderTable, ComparesBothWaysConsistently)
{
    const OrderCase &c = GetParam();
    EXPECT_EQ(sign(NaturalOrder::compare(QStringView(c.a), QStringView(c.b))), c.expected);
    EXPECT_EQ(sign(NaturalOrder::compare(QStringView(c.b), QStringView(c.a))), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NaturalOrderTable,
    testing::Values(
        OrderCase{u"img2.jpg", u"img10.jpg", -1}, OrderCase{u"IMG10.jpg", u"img2.jpg", 1},
        OrderCase{u"a1b2.jpg", u"a1b10.jpg", -1}, OrderCase{u"photo-2.jpg", u"photo-10.jpg", -1},
        OrderCase{u"a", u"a1", -1}, OrderCase{u"abc", u"ABD", -1}, OrderCase{u"été2", u"ÉTÉ10", -1},
        OrderCase{u"same.jpg", u"same.jpg", 0},
        // Leading zeros count for nothing until everything else is equal.
        OrderCase{u"x0000000000000000000000001", u"x2", -1}, OrderCase{u"img01b", u"img1a", 1},
        OrderCase{u"img1.jpg", u"img01.jpg", -1}, OrderCase{u"0", u"00", -1},
        // Runs beyond 64 bits: 2^64 would wrap to 0 in an integer.
        OrderCase{u"x18446744073709551616", u"x2", 1},
        OrderCase{u"x99999999999999999999", u"x100000000000000000000", -1},
        // Case only breaks a tie, and then the same way every time.
        OrderCase{u"IMG2", u"img2", -1}));

} // namespace
