#include "prefs/preferences.h"

#include "confighome.h"
#include "prefs/colourcontrast.h"
#include "prefs/preferencesfile.h"

#include <QApplication>
#include <QPalette>
#include <QScopeGuard>

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

// On a dark scheme the classic error colours (blue and purple on black read at 2:1) are
// lightened until they read on the lists and the status line; colours the user saved stay.
TEST(StandardColour, DefaultsReadOnADarkSchemeAndSavedColoursStayAsSaved)
{
    const QPalette original = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });
    const Preferences saved; // with the classic colours of a light scheme
    Preferences preferences;
    QPalette dark = original;
    dark.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));
    dark.setColor(QPalette::Window, QColor(0x31, 0x36, 0x3B));
    dark.setColor(QPalette::Text, QColor(0xEF, 0xF0, 0xF1));
    QApplication::setPalette(dark);
    preferences.setDefaults();
    for (int position = 0; position < LineColourTable::Size; ++position) {
        const QColor colour = toQColor(preferences.colours().at(position));
        for (QPalette::ColorRole background : {QPalette::Base, QPalette::Window})
            EXPECT_GE(ColourContrast::ratio(colour, dark.color(background)), 4.5) << position;
    }
    EXPECT_GT(toQColor(preferences.colour(CollisionError)).red(),
              toQColor(preferences.colour(CollisionError)).green()); // still purple

    ConfigHome home;
    ASSERT_TRUE(PreferencesFile::saveTo(saved, PreferencesFile::settingsFilePath()).ok);
    PreferencesFile::load(preferences);
    EXPECT_EQ(preferences.colours(), saved.colours());
}

} // namespace
