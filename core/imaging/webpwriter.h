// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <cstdio>

class fipImage;

// Lossy WEBP through libwebp itself: the image library's own writer fixes the encoder at its
// slowest method, which took half again as long as this for files of the same size. The file
// carries what that writer would put in it: the colour profile, and the EXIF and XMP blocks the
// picture holds (those are there only where Exiv2 could not read the source).
class WebpWriter
{
public:
    // 24- and 32-bit pictures, which is what the depth adaptation leaves for WEBP.
    static bool takes(fipImage &image);
    // Writes the picture at the quality given (1 to 100) to the end of file, and empties image
    // on the way, once the encoder has taken its pixels. False with error the system's errno
    // when writing failed, or 0 when the encoder refused the picture.
    static bool write(fipImage &image, int quality, std::FILE *file, int &error);
};
