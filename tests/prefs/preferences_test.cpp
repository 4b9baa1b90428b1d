#include "prefs/preferences.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString DefaultAllImages =
    u".gif;.jpg;.jpeg;.jpe;.jif;.jfif;.jxr;.jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;"
    ".png;.psd;.tif;.tiff;.raw;.dng;.cr2;.webp;"_s;

TEST(Preferences, DefaultsHoldEveryListAndColour)
{
    const Preferences preferences;
    EXPECT_EQ(preferences.extensionList(AllImagesIndex), DefaultAllImages);
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::J2kImages),
              u".jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;"_s);
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::RawImages), u".raw;.dng;.cr2;"_s);

    // No GUI application in this process, so the standard colour is black.
    EXPECT_EQ(preferences.colour(Standard), 0x000000u);
    EXPECT_EQ(preferences.colour(FileTypeError), 0x0000FFu); // red: 0x00BBGGRR
    EXPECT_EQ(preferences.colour(DuplicateError), 0xFF0000u);
    EXPECT_EQ(preferences.colour(CollisionError), 0x800080u);
    EXPECT_EQ(preferences.colour(OtherError), 0x0000FFu);
}

TEST(Preferences, AllImagesFollowsEveryChangeOfAGroupList)
{
    Preferences preferences;
    preferences.setExtensionList(ImageFormatGroup::GifImages, QString());
    preferences.setExtensionList(ImageFormatGroup::WebImages, u".webp;.wp;"_s);
    EXPECT_TRUE(preferences.extensionList(ImageFormatGroup::GifImages).isEmpty());
    EXPECT_EQ(preferences.extensionList(AllImagesIndex),
              QString(DefaultAllImages).remove(u".gif;"_s).replace(u".webp;"_s, u".webp;.wp;"_s));

    preferences.setDefaults();
    preferences.setDefaults();
    EXPECT_EQ(preferences.extensionList(AllImagesIndex), DefaultAllImages);
}

TEST(Preferences, SetDefaultsRestoresChangedColours)
{
    Preferences preferences;
    preferences.colours().setColour(CollisionError, 0x123456);
    preferences.colours().setColour(Standard, 0xABCDEF);
    preferences.setDefaults();
    EXPECT_EQ(preferences, Preferences());
}

TEST(Preferences, ListIndexOutsideTheChoiceGivesNothing)
{
    const Preferences preferences;
    EXPECT_TRUE(preferences.extensionList(-1).isEmpty());
    EXPECT_TRUE(preferences.extensionList(ExtensionListCount).isEmpty());
}

TEST(LineColourTable, SelectedLinesUseTheComplement)
{
    EXPECT_EQ(complementColour(0x0000FF), 0xFFFF00u);
    EXPECT_EQ(complementColour(0x000000), 0xFFFFFFu);
}

} // namespace
