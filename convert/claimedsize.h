// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <FreeImage.h>

#include <QtGlobal>

class SourceFile;

// The size a picture file claims, read before a pixel is decoded: a file of a few hundred bytes
// can claim a picture that takes gigabytes and minutes to decode. GIF and JPEG 2000 headers are
// parsed here, since the library decodes those blind; every other format is read by the library
// with its header-only load. The files are hostile: every length is checked against the file
// before it is followed.
// Thread: any; no state.
struct ClaimedSize
{
    bool known = false;
    quint64 width = 0;
    quint64 height = 0;

    // Both sides fit in 32 bits, so the product cannot overflow.
    quint64 pixels() const { return width * height; }

    // The largest claim the file makes when read as fif: for a GIF its logical screen and every
    // frame, for JPEG 2000 the image header and the codestream. Unknown when fif cannot be read
    // that way or the header is cut short or malformed (the loader then reports what is wrong).
    static ClaimedSize read(SourceFile &file, FREE_IMAGE_FORMAT fif);

    static ClaimedSize gif(const SourceFile &file);
    // A raw JPEG 2000 codestream starting at offset: its SIZ marker.
    static ClaimedSize codestream(const SourceFile &file, qint64 offset);
    // A JP2 file: the image header box in the header box, and the first codestream box.
    static ClaimedSize jp2(const SourceFile &file);

    // The one with more pixels; a known claim over an unknown one.
    static ClaimedSize larger(const ClaimedSize &a, const ClaimedSize &b);
};
