#include "prefs/preferences.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

// The standard line colour follows the desktop scheme at the moment the defaults are set.
TEST(StandardColour, IsThePaletteTextColourWhenTheDefaultsAreSet)
{
    const QPalette original = QApplication::palette();

    QPalette palette = original;
    palette.setColor(QPalette::Text, QColor(0x12, 0x34, 0x56));
    QApplication::setPalette(palette);
    Preferences preferences;
    preferences.colours().setColour(Standard, 0);
    preferences.setDefaults();
    EXPECT_EQ(preferences.colour(Standard), 0x563412u);

    palette.setColor(QPalette::Text, Qt::white);
    QApplication::setPalette(palette);
    preferences.setDefaults();
    EXPECT_EQ(preferences.colour(Standard), 0xFFFFFFu);

    QApplication::setPalette(original);
}

} // namespace
