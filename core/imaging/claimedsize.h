// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <FreeImage.h>

#include <QtGlobal>

class SourceFile;

// The size a picture file claims, read before a pixel is decoded: a file of a few hundred bytes
// can claim a picture that takes gigabytes and minutes to decode. The library reads most headers
// alone (FIF_LOAD_NOPIXELS); the formats whose readers decode blind are parsed here, the way the
// library's own reader walks them, so that the claim is never smaller than what that reader
// allocates. The files are hostile: every length is checked against the file before it is
// followed.
// Thread: any; no state.
struct ClaimedSize
{
    bool known = false;
    quint64 width = 0;
    quint64 height = 0;
    // The file ends before the pixels its header claims, and the library's reader would go on
    // reading past its end without ever finishing (XBM).
    bool cutShort = false;

    // Both sides fit in 32 bits, so the product cannot overflow.
    quint64 pixels() const { return width * height; }

    // The largest claim the file makes when read as fif. Unknown when the header is cut short or
    // malformed, or when fif's reader decodes blind and is not parsed here.
    static ClaimedSize read(SourceFile &file, FREE_IMAGE_FORMAT fif);
    // True when fif's reader decodes without a header-only read of the library's: an unknown
    // claim then means a picture of any size, not a damage the reader would report.
    static bool decodesBlind(FREE_IMAGE_FORMAT fif);

    // GIF: its logical screen and every frame.
    static ClaimedSize gif(const SourceFile &file);
    // A raw JPEG 2000 codestream starting at offset: its SIZ marker.
    static ClaimedSize codestream(const SourceFile &file, qint64 offset);
    // A JP2 file: the image header box in the header box, and the first codestream box.
    static ClaimedSize jp2(const SourceFile &file);
    // SGI: the header's x and y sizes (one row below two dimensions).
    static ClaimedSize sgi(const SourceFile &file);
    // DDS: the surface description's width and height.
    static ClaimedSize dds(const SourceFile &file);
    // IFF ILBM or PBM: every bitmap header (BMHD) before the body.
    static ClaimedSize iff(const SourceFile &file);
    // MNG or JNG: the first PNG image's IHDR, or the JNG header with the JPEG stream it holds.
    static ClaimedSize mng(const SourceFile &file);
    // XBM: the #define'd width and height, and whether the hex data that follows is complete.
    static ClaimedSize xbm(const SourceFile &file);
    // WBMP: the multi-byte width and height after the type and extension headers.
    static ClaimedSize wbmp(const SourceFile &file);
    // PICT: the bounds of the first bitmap or pixmap opcode, or the embedded JPEG's size.
    static ClaimedSize pict(SourceFile &file);

    // The one with more pixels; a known claim over an unknown one.
    static ClaimedSize larger(const ClaimedSize &a, const ClaimedSize &b);
};
