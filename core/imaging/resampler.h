// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

class fipImage;

// Catmull-Rom resampling of 8-bit channels in fixed point, with the image library's own weights:
// its general engine works in floating point, one channel at a time, and took two thirds of the
// time of a resized conversion.
// Thread: any; no state.
class Resampler
{
public:
    // Resamples 8-bit gray, 24 and 32-bit bitmaps to width × height (both at least 1), keeping
    // the metadata and resolution. False, with the picture untouched, for any other kind or
    // when memory runs short.
    static bool catmullRom(fipImage &image, unsigned width, unsigned height);
};
