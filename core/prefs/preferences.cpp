// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "prefs/preferences.h"

#include "prefs/colourcontrast.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

bool hasPalette()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance());
}

// Follows the desktop colour scheme; there is none before the GUI application exists.
ColourRef paletteTextColour()
{
    if (!hasPalette())
        return 0x000000;
    return toColourRef(QGuiApplication::palette().color(QPalette::Active, QPalette::Text));
}

} // namespace

ColourRef Preferences::readableOnScheme(ColourRef colour)
{
    if (!hasPalette())
        return colour;
    // Lists draw on the base colour, the status line on the window colour.
    const QPalette palette = QGuiApplication::palette();
    const QList<QColor> backgrounds = {palette.color(QPalette::Active, QPalette::Base),
                                       palette.color(QPalette::Active, QPalette::Window)};
    if (!ColourContrast::isDark(backgrounds.first()))
        return colour;
    return toColourRef(ColourContrast::readable(toQColor(colour), backgrounds));
}

Preferences::Preferences()
{
    setDefaults();
}

Preferences &Preferences::instance()
{
    static Preferences preferences;
    return preferences;
}

void Preferences::setDefaults()
{
    for (int i = FirstGroupIndex; i <= LastGroupIndex; ++i)
        m_lists[i] = defaultExtensionList(ImageFormatGroup(i));
    rebuildAllImages();
    for (LineStatus status : {Standard, FileTypeError, DuplicateError, CollisionError, OtherError})
        m_colours.setColour(status, defaultColour(status));
}

ColourRef Preferences::defaultColour(LineStatus status)
{
    switch (status) {
    case Standard:
        return paletteTextColour();
    case FileTypeError:
        return readableOnScheme(0x0000FF);
    case DuplicateError:
        return readableOnScheme(0xFF0000);
    case CollisionError:
        return readableOnScheme(0x800080);
    case OtherError:
        return readableOnScheme(0x0000FF);
    }
    return 0;
}

QString Preferences::extensionList(int index) const
{
    if (index < AllImagesIndex || index > LastGroupIndex)
        return {};
    return m_lists[index];
}

QString Preferences::extensionList(ImageFormatGroup group) const
{
    return m_lists[int(group)];
}

void Preferences::setExtensionList(ImageFormatGroup group, const QString &list)
{
    m_lists[int(group)] = list;
    rebuildAllImages();
}

void Preferences::rebuildAllImages()
{
    QString all;
    for (int i = FirstGroupIndex; i <= LastGroupIndex; ++i)
        all += m_lists[i];
    m_lists[AllImagesIndex] = all;
}
