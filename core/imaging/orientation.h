// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <FreeImage.h>

class SourceFile;
class fipImage;

// The EXIF orientation of a picture, 1 to 8: how the camera was held. The loaders leave the
// pixels as stored (the RAW loader excepted, which turns them itself), so every path that shows
// or writes a picture turns it upright first, and then marks it upright so that no viewer turns
// it again.
// Thread: any; no state.
class Orientation
{
public:
    // 1 (upright) when the picture carries no valid tag. The TIFF reader leaves the tag out of the
    // metadata, and the WEBP reader parses only the EXIF block its own writer makes, so for a TIFF
    // it is read from the file's first directory, for a WEBP from its EXIF chunk.
    static int of(const fipImage &image, const SourceFile &source, FREE_IMAGE_FORMAT fif);
    // True for 5 to 8: the upright picture's width is the stored height.
    static bool swapsSides(int orientation);
    // Turns the picture upright, then by angle degrees (a multiple of 90, positive turns left),
    // in one step: at most one copy of the pixels is made. A picture that was turned is marked
    // upright.
    static void apply(fipImage &image, int orientation, int angle);
    // Sets the tag to 1 wherever a writer takes it from: the parsed EXIF, the raw EXIF block that
    // the JPEG and WEBP writers copy as it is (its thumbnail, still turned the old way, is
    // unlinked), and the XMP packet.
    static void markUpright(fipImage &image);
};
