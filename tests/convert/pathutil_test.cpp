#include "convert/conversionplan.h"
#include "convert/pathutil.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct NameCase
{
    const char16_t *name;
    const char16_t *extension;
    const char16_t *jpegDestination; // in the folder /out
};

void PrintTo(const NameCase &c, std::ostream *out)
{
    *out << QString::fromUtf16(c.name).toStdString();
}

class Extension : public testing::TestWithParam<NameCase>
{
};

TEST_P(Extension, IsTheLastDotOfTheLastComponentAndIsReplacedInTheDestination)
{
    const NameCase &c = GetParam();
    const QString name = QString::fromUtf16(c.name);
    EXPECT_EQ(PathUtil::extension(name), QString::fromUtf16(c.extension));
    EXPECT_EQ(PathUtil::removeExtension(name) + PathUtil::extension(name), name);
    EXPECT_EQ(ConversionPlan::destinationPath(u"/out"_s, name, u".jpg"_s),
              QString::fromUtf16(c.jpegDestination));
}

INSTANTIATE_TEST_SUITE_P(Names, Extension,
                         testing::Values(NameCase{u"IMG_0001.CR2", u".CR2", u"/out/IMG_0001.jpg"},
                                         NameCase{u"x.old.cr2", u".cr2", u"/out/x.old.jpg"},
                                         NameCase{u"x.png.cr2", u".cr2", u"/out/x.png.jpg"},
                                         NameCase{u"README", u"", u"/out/README.jpg"},
                                         NameCase{u"holiday.my pic", u"",
                                                  u"/out/holiday.my pic.jpg"},
                                         NameCase{u"my pic.jpeg", u".jpeg", u"/out/my pic.jpg"},
                                         NameCase{u"trailing.", u".", u"/out/trailing.jpg"},
                                         NameCase{u"été.Tiff", u".Tiff", u"/out/été.jpg"}));

TEST(PathUtil, DotsInTheFolderAreNoExtension)
{
    EXPECT_EQ(PathUtil::extension(u"/home/me/my.photos/scan"_s), QString());
    EXPECT_EQ(ConversionPlan::destinationPath(u"/my.out/"_s, u"scan"_s, u".png"_s),
              u"/my.out/scan.png"_s);
    EXPECT_EQ(PathUtil::append(QString(), u"a.jpg"_s), u"a.jpg"_s);
}

TEST(PathUtil, FoldsOnlyTheLettersAToZ)
{
    EXPECT_EQ(PathUtil::asciiLower(u"ÉtÉ IMG.JPG"_s), u"ÉtÉ img.jpg"_s);
    EXPECT_EQ(PathUtil::compareAsciiCaseInsensitive(u"Photo", u"pHOTO"), 0);
    EXPECT_NE(PathUtil::compareAsciiCaseInsensitive(u"é", u"É"), 0);
    EXPECT_LT(PathUtil::compareAsciiCaseInsensitive(u"a", u"a.mpo"), 0);
    EXPECT_EQ(ConversionPlan::destinationKey(u"Beach.JPG"_s), u"beach:"_s);
}

} // namespace
