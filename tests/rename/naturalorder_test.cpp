#include "rename/naturalorder.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST(NaturalOrder, ComparesBothWaysConsistently)
{
    // Pairs "a|b" with a before b. Leading zeros count for nothing until everything else is
    // equal; runs beyond 64 bits must not wrap; case only breaks a tie, the same way every time.
    const char16_t *const ascending[] = {u"img2.jpg|img10.jpg",
                                         u"img2.jpg|IMG10.jpg",
                                         u"a1b2.jpg|a1b10.jpg",
                                         u"photo-2.jpg|photo-10.jpg",
                                         u"a|a1",
                                         u"abc|ABD",
                                         u"été2|ÉTÉ10",
                                         u"x0000000000000000000000001|x2",
                                         u"img1a|img01b",
                                         u"img1.jpg|img01.jpg",
                                         u"x1y01|x01y1",
                                         u"0|00",
                                         u"x2|x18446744073709551616",
                                         u"x99999999999999999999|x100000000000000000000",
                                         u"IMG2|img2"};
    for (const char16_t *pair : ascending) {
        const QStringList names = QString::fromUtf16(pair).split(u'|');
        EXPECT_EQ(sign(NaturalOrder::compare(names[0], names[1])), -1)
            << names.join(u" vs ").toStdString();
        EXPECT_EQ(sign(NaturalOrder::compare(names[1], names[0])), 1)
            << names.join(u" vs ").toStdString();
    }
    EXPECT_EQ(NaturalOrder::compare(u"same 01.jpg", u"same 01.jpg"), 0);
}

} // namespace
