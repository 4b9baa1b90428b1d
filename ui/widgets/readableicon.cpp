// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "widgets/readableicon.h"

#include "prefs/colourcontrast.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

QIcon ReadableIcon::load(const QString &path, const QPalette &palette)
{
    QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The icon's colour is that of its most opaque pixel: its edges are only smoothed.
    QColor colour;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > colour.alpha() || !colour.isValid())
                colour = pixel;
        }
    }
    const QColor button = palette.color(QPalette::Active, QPalette::Button);
    if (image.isNull() || ColourContrast::ratio(colour, button) >= ColourContrast::ReadableMark)
        return QIcon(QPixmap::fromImage(image));
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), palette.color(QPalette::Active, QPalette::ButtonText));
    painter.end();
    return QIcon(QPixmap::fromImage(image));
}
