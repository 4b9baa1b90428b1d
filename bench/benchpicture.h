// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QFile>
#include <QString>

#include <FreeImagePlus.h>

// A JPEG of smooth colour ramps with fine grain, which encodes to about the size and the effort
// of a photograph. The seed varies the picture.
inline bool writeBenchPicture(const QString &path, int width, int height, int seed)
{
    fipImage image(FIT_BITMAP, width, height, 24);
    quint32 noise = quint32(seed) * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        BYTE *line = image.getScanLine(y);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 28) - 8;
            line[3 * x + FI_RGBA_RED] = BYTE(qBound(0, x * 255 / width + grain, 255));
            line[3 * x + FI_RGBA_GREEN] = BYTE(qBound(0, y * 255 / height + grain, 255));
            line[3 * x + FI_RGBA_BLUE] = BYTE(qBound(0, (x + y + seed * 40) % 256 + grain, 255));
        }
    }
    return image.save(FIF_JPEG, QFile::encodeName(path).constData(), JPEG_QUALITYGOOD);
}
