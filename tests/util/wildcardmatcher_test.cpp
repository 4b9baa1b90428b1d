#include "util/wildcardmatcher.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(Wildcards, MatchWholeNamesWithoutRegardToCase)
{
    // A pattern, the names it matches and those it does not, each list split at '|'.
    const char16_t *const cases[][3] = {
        {u"*.*", u"a.jpg|README|.hidden", u""},
        {u"IMG_0*.*", u"IMG_0001.jpg|img_0002.PNG", u"DSC_0003.jpg"},
        {u"holiday.*", u"Holiday.png|holiday", u"holiday2.jpg|my holiday.jpg"},
        {u"?.*", u"a.jpg", u"ab.jpg"},
        {u"*a*b*.*", u"xxaxxbxx.png", u"xxbxxaxx.png"},
        {u"été*.*", u"ÉTÉ 2026.jpg", u""},
        {u"*.jpg.*", u"a.jpg.png", u"a.jpg"}};
    for (const auto &[pattern, matching, others] : cases)
        for (const bool matches : {true, false})
            for (const QString &name :
                 QString::fromUtf16(matches ? matching : others).split(u'|', Qt::SkipEmptyParts))
                EXPECT_EQ(WildcardMatcher::matches(QStringView(pattern), name), matches)
                    << QString::fromUtf16(pattern).toStdString() << " ~ " << name.toStdString();
}

} // namespace
