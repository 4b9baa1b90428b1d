#include "convert/conversionplan.h"
#include "util/pathutil.h"

#include "qtprinters.h"

#include <QUrl>

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

struct BytesCase
{
    const char *bytes;
    const char16_t *shown; // the display name
    bool valid;            // valid UTF-8: decoded to exactly the characters shown
};

void PrintTo(const BytesCase &c, std::ostream *out)
{
    *out << QByteArray(c.bytes).toHex(' ').toStdString();
}

class FileNameBytes : public testing::TestWithParam<BytesCase>
{
};

TEST_P(FileNameBytes, DecodeAndEncodeBackToTheSameBytes)
{
    const BytesCase &c = GetParam();
    const QByteArray bytes(c.bytes);
    const QString name = PathUtil::decodeName(bytes);
    EXPECT_EQ(PathUtil::encodeName(name), bytes);
    EXPECT_EQ(PathUtil::displayName(name), QString::fromUtf16(c.shown));
    if (c.valid)
        EXPECT_EQ(name, QString::fromUtf16(c.shown));
    else
        EXPECT_NE(name, PathUtil::displayName(name));
}

// Valid names first (also one that really holds U+FFFD, and a pair ending in U+DC80), then
// Latin-1, overlong forms, an encoded surrogate, a code above U+10FFFF, cut sequences and stray
// continuation bytes.
INSTANTIATE_TEST_SUITE_P(
    Names, FileNameBytes,
    testing::Values(BytesCase{"IMG 1.jpg", u"IMG 1.jpg", true},
                    BytesCase{"\xc3\xa9t\xc3\xa9.jpg", u"été.jpg", true},
                    BytesCase{"\xef\xbf\xbd.jpg", u"\uFFFD.jpg", true},
                    BytesCase{"\xf0\x9f\x92\x80\xf4\x8f\xbf\xbf", u"\U0001F480\U0010FFFF", true},
                    BytesCase{"bad\xff.jpg", u"bad\uFFFD.jpg", false},
                    BytesCase{"\xe9t\xe9.jpg", u"\uFFFDt\uFFFD.jpg", false},
                    BytesCase{"\xc0\xaf\xe0\x80\xaf", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", false},
                    BytesCase{"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD", false},
                    BytesCase{"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
                    BytesCase{"a\xe2\x82-\xc3", u"a\uFFFD\uFFFD-\uFFFD", false},
                    BytesCase{"\x80\xc3\xa9\xbf", u"\uFFFD\u00e9\uFFFD", false}));

TEST(PathUtil, FileUrlsCarryTheBytesOfTheName)
{
    const QString bad = PathUtil::decodeName("/tmp/a b/bad\xff#1.jpg");
    EXPECT_EQ(PathUtil::fileUrl(bad).toEncoded(), "file:///tmp/a%20b/bad%FF%231.jpg");
    for (const QString &path : {u"/tmp/a b/été #1?.jpg"_s, u"/x/100%;(1)!.png"_s})
        EXPECT_EQ(PathUtil::fileUrl(path), QUrl::fromLocalFile(path)) << path.toStdString();
    // A lone surrogate that no byte stands for has no bytes of its own.
    EXPECT_EQ(PathUtil::encodeName(QString(QChar(0xDC7F)) + QChar(0xD800)),
              "\xef\xbf\xbd\xef\xbf\xbd");
}

} // namespace
