#include "widgets/statusline.h"

#include "prefs/preferences.h"
#include "resources/stringtable.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(StatusLine, TakesTheColourOfTheFirstErrorOfTheKindFromTheTableOfTheMomentAndKeepsIt)
{
    // A kind with several flags shows the first in the order Other, FileType, Collision.
    const std::pair<int, LineStatus> kinds[] = {{Standard, Standard},
                                                {FileTypeError, FileTypeError},
                                                {DuplicateError, DuplicateError},
                                                {CollisionError, CollisionError},
                                                {OtherError, OtherError},
                                                {OtherError | FileTypeError, OtherError},
                                                {FileTypeError | CollisionError, FileTypeError},
                                                {CollisionError | DuplicateError, CollisionError}};
    Preferences preferences;
    StatusLine line(preferences);
    for (const bool changed : {false, true}) {
        for (int position = 0; changed && position < LineColourTable::Size; ++position)
            preferences.colours().setAt(position, 0x010101u * ColourRef(position + 1));
        for (const auto &[kind, expected] : kinds) {
            line.showText(u"text"_s, kind);
            EXPECT_EQ(line.textColour(), preferences.colour(expected)) << kind;
            EXPECT_EQ(line.palette().color(QPalette::WindowText),
                      toQColor(preferences.colour(expected)));
        }
        line.showRenameText(u"text"_s, true);
        EXPECT_EQ(line.textColour(), preferences.colour(OtherError));
    }

    // The colour it was written with stays until the next write.
    preferences.colours().setColour(OtherError, 0x00FF00);
    line.repaint();
    EXPECT_EQ(line.textColour(), 0x050505u);
    line.showRenameMessage(RenameFinished, false);
    EXPECT_EQ(line.textColour(), preferences.colour(Standard));
    line.showMessage(129, OtherError); // an id without text writes the empty text
    EXPECT_TRUE(line.text().isEmpty());
}

} // namespace
