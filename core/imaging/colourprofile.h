// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>
#include <QImage>

class fipImage;

// The ICC profile a picture was loaded with: what its numbers mean as colours (Display P3 from
// phones, Adobe RGB from cameras). It is colour data, not metadata: a picture written without it
// changes colour. Most operations of the image library (scaling, turning, any change of depth)
// drop it, so it is taken at the load and given back just before the picture is written.
// Thread: any; no state.
class ColourProfile
{
public:
    // The profile's bytes, empty when the picture has none.
    static QByteArray of(const fipImage &image);
    // Gives the picture the profile when it describes the picture's channels: an RGB profile for
    // colour, a gray one for gray. Otherwise the picture carries none, since a profile of other
    // channels is refused by some writers and readers (a grayed photo loses its RGB profile).
    static void attach(fipImage &image, const QByteArray &profile);
    // The picture's colours as an sRGB screen shows them, when the profile is an RGB one that Qt
    // reads (matrix and curves, as Display P3 and Adobe RGB are); otherwise the picture as it is.
    static QImage toSrgb(const QImage &image, const QByteArray &profile);
};
