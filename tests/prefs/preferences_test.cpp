#include "prefs/preferences.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(Preferences, DefaultsHoldEveryListAndColourAndAllImagesFollowsTheGroups)
{
    const QString allImages =
        u".gif;.jpg;.jpeg;.jpe;.jif;.jfif;.jxr;.jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;"
        ".png;.psd;.tif;.tiff;.raw;.dng;.cr2;.webp;"_s;
    Preferences preferences;
    EXPECT_EQ(preferences.extensionList(AllImagesIndex), allImages);
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::RawImages), u".raw;.dng;.cr2;"_s);
    EXPECT_TRUE(preferences.extensionList(-1).isEmpty());
    EXPECT_TRUE(preferences.extensionList(ExtensionListCount).isEmpty());
    // No GUI application in this process, so the standard colour is black; 0x00BBGGRR.
    for (const auto &[kind, colour] : {std::pair{Standard, 0x000000u},
                                       {FileTypeError, 0x0000FFu},
                                       {DuplicateError, 0xFF0000u},
                                       {CollisionError, 0x800080u},
                                       {OtherError, 0x0000FFu}})
        EXPECT_EQ(preferences.colour(kind), colour) << kind;

    preferences.setExtensionList(ImageFormatGroup::GifImages, QString());
    preferences.setExtensionList(ImageFormatGroup::WebImages, u".webp;.wp;"_s);
    preferences.colours().setColour(CollisionError, 0x123456);
    EXPECT_EQ(preferences.extensionList(AllImagesIndex),
              QString(allImages).remove(u".gif;"_s).replace(u".webp;"_s, u".webp;.wp;"_s));
    preferences.setDefaults();
    preferences.setDefaults();
    EXPECT_EQ(preferences, Preferences());
    EXPECT_EQ(preferences.extensionList(AllImagesIndex), allImages);
}

TEST(LineColourTable, SelectedLinesUseTheComplement)
{
    EXPECT_EQ(complementColour(0x0000FF), 0xFFFF00u);
    EXPECT_EQ(complementColour(0x000000), 0xFFFFFFu);
}

} // namespace
