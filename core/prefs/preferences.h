// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "prefs/imageformatgroup.h"
#include "prefs/linecolourtable.h"

#include <QString>

#include <array>

// The user's lasting choices: which extensions make up each input format group, and the text
// colour of each kind of list line. Exactly one lives for the whole process (instance()); pages
// read it whenever they need a list or a colour, so there is no change notification.
// Main thread only.
class Preferences
{
public:
    // Starts with the defaults. The standard colour is read from the GUI palette, so call
    // setDefaults() again once the application object exists.
    Preferences();

    static Preferences &instance();

    // The eight default lists, AllImages rebuilt, the five default colours. The standard colour
    // is the palette's text colour at this moment (black when there is no GUI application); on a
    // dark scheme the error colours are lightened until they read (readableOnScheme).
    void setDefaults();

    // Index 0 is AllImages, 1 to 8 the groups.
    QString extensionList(int index) const;
    QString extensionList(ImageFormatGroup group) const;
    // Stored exactly as given; AllImages is rebuilt at once.
    void setExtensionList(ImageFormatGroup group, const QString &list);

    const LineColourTable &colours() const { return m_colours; }
    LineColourTable &colours() { return m_colours; }
    ColourRef colour(LineStatus status) const { return m_colours.colour(status); }

    bool operator==(const Preferences &) const = default;

    static ColourRef defaultColour(LineStatus status);
    // The colour as it is on a light scheme or without a GUI application; on a dark one mixed
    // with white until it reaches a contrast of 4.5:1 on the palette's base and window colours.
    static ColourRef readableOnScheme(ColourRef colour);

private:
    void rebuildAllImages();

    std::array<QString, ExtensionListCount> m_lists;
    LineColourTable m_colours;
};
