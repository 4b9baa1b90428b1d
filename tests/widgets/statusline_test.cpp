#include "widgets/statusline.h"

#include "prefs/preferences.h"
#include "resources/stringtable.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct KindCase
{
    int convertKind;
    bool renameError;
    LineStatus expected;
};

void PrintTo(const KindCase &c, std::ostream *out)
{
    *out << "kind " << c.convertKind << (c.renameError ? " with rename error" : "");
}

class StatusColour : public testing::TestWithParam<KindCase>
{
};

TEST_P(StatusColour, FollowsTheKindWithTheDefaultAndAChangedTable)
{
    Preferences preferences;
    StatusLine line(preferences);
    const KindCase &c = GetParam();

    auto write = [&] {
        if (c.renameError)
            line.showRenameText(u"text"_s, true);
        else
            line.showText(u"text"_s, c.convertKind);
    };
    write();
    EXPECT_EQ(line.textColour(), preferences.colour(c.expected));
    EXPECT_EQ(line.palette().color(QPalette::WindowText), toQColor(preferences.colour(c.expected)));

    for (int position = 0; position < LineColourTable::Size; ++position)
        preferences.colours().setAt(position, 0x010101u * ColourRef(position + 1));
    write();
    EXPECT_EQ(line.textColour(), preferences.colour(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StatusColour,
    testing::Values(KindCase{Standard, false, Standard},
                    KindCase{FileTypeError, false, FileTypeError},
                    KindCase{DuplicateError, false, DuplicateError},
                    KindCase{CollisionError, false, CollisionError},
                    KindCase{OtherError, false, OtherError},
                    KindCase{OtherError | FileTypeError, false, OtherError},
                    KindCase{FileTypeError | CollisionError, false, FileTypeError},
                    KindCase{CollisionError | DuplicateError, false, CollisionError},
                    KindCase{Standard, true, OtherError}));

TEST(StatusLine, TheDefaultCollisionColourIsPurple)
{
    const Preferences preferences;
    StatusLine line(preferences);
    line.showMessage(DestinationCollision, CollisionError);
    EXPECT_EQ(line.text(), u"Collision in destination files."_s);
    EXPECT_EQ(line.palette().color(QPalette::WindowText), QColor(0x80, 0x00, 0x80));
}

TEST(StatusLine, KeepsTheColourItWasWrittenWithUntilTheNextWrite)
{
    Preferences preferences;
    StatusLine line(preferences);
    line.showRenameMessage(RenameAborted, true);
    const ColourRef written = line.textColour();
    preferences.colours().setColour(OtherError, 0x00FF00);
    line.repaint();
    EXPECT_EQ(line.textColour(), written);

    line.clearLine();
    EXPECT_TRUE(line.text().isEmpty());
    line.showRenameMessage(RenameFinished, false);
    EXPECT_EQ(line.text(), u"End of fle renaming!"_s);
    EXPECT_EQ(line.textColour(), preferences.colour(Standard));
}

TEST(StatusLine, AnIdWithoutTextWritesTheEmptyText)
{
    const Preferences preferences;
    StatusLine line(preferences);
    line.showText(u"before"_s, Standard);
    line.showMessage(129, OtherError);
    EXPECT_TRUE(line.text().isEmpty());
}

} // namespace
