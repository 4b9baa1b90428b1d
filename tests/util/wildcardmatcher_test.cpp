#include "util/wildcardmatcher.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

struct PatternCase
{
    const char16_t *pattern;
    const char16_t *name;
    bool matches;
};

void PrintTo(const PatternCase &c, std::ostream *out)
{
    *out << QString::fromUtf16(c.pattern).toStdString() << " ~ "
         << QString::fromUtf16(c.name).toStdString();
}

class Wildcards : public testing::TestWithParam<PatternCase>
{
};

TEST_P(Wildcards, MatchWholeNamesWithoutRegardToCase)
{
    const PatternCase &c = GetParam();
    EXPECT_EQ(WildcardMatcher::matches(QStringView(c.pattern), QStringView(c.name)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Patterns, Wildcards,
                         testing::Values(PatternCase{u"*.*", u"a.jpg", true},
                                         PatternCase{u"*.*", u"README", true},
                                         PatternCase{u"*.*", u".hidden", true},
                                         PatternCase{u"IMG_0*.*", u"IMG_0001.jpg", true},
                                         PatternCase{u"IMG_0*.*", u"img_0002.PNG", true},
                                         PatternCase{u"IMG_0*.*", u"DSC_0003.jpg", false},
                                         PatternCase{u"holiday.*", u"holiday.jpg", true},
                                         PatternCase{u"holiday.*", u"Holiday.png", true},
                                         PatternCase{u"holiday.*", u"holiday", true},
                                         PatternCase{u"holiday.*", u"holiday2.jpg", false},
                                         PatternCase{u"holiday.*", u"my holiday.jpg", false},
                                         PatternCase{u"?.*", u"a.jpg", true},
                                         PatternCase{u"?.*", u"ab.jpg", false},
                                         PatternCase{u"*a*b*.*", u"xxaxxbxx.png", true},
                                         PatternCase{u"*a*b*.*", u"xxbxxaxx.png", false},
                                         PatternCase{u"été*.*", u"ÉTÉ 2026.jpg", true},
                                         PatternCase{u"*.jpg.*", u"a.jpg", false},
                                         PatternCase{u"*.jpg.*", u"a.jpg.png", true}));

} // namespace
