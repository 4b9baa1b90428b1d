// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/colourprofile.h"

#include <FreeImagePlus.h>

#include <QColorSpace>

namespace {

// The colour space signature in an ICC profile's header: "RGB ", "GRAY", "CMYK"...
QByteArray spaceOf(const QByteArray &profile)
{
    return profile.size() >= 128 ? profile.mid(16, 4) : QByteArray();
}

// The signature of the profiles that describe the picture's channels, or empty.
QByteArray channelsOf(fipImage &image)
{
    switch (image.getImageType()) {
    case FIT_BITMAP:
        switch (image.getColorType()) {
        case FIC_RGB:
        case FIC_RGBALPHA:
        case FIC_PALETTE:
            return QByteArrayLiteral("RGB ");
        case FIC_MINISBLACK:
        case FIC_MINISWHITE:
            return QByteArrayLiteral("GRAY");
        case FIC_CMYK:
            return QByteArrayLiteral("CMYK");
        }
        return QByteArray();
    case FIT_RGB16:
    case FIT_RGBA16:
    case FIT_RGBF:
    case FIT_RGBAF:
        return QByteArrayLiteral("RGB ");
    case FIT_UINT16:
    case FIT_FLOAT:
        return QByteArrayLiteral("GRAY");
    default:
        return QByteArray();
    }
}

} // namespace

QByteArray ColourProfile::of(const fipImage &image)
{
    auto *dib = static_cast<FIBITMAP *>(const_cast<fipImage &>(image));
    const FIICCPROFILE *profile = dib ? FreeImage_GetICCProfile(dib) : nullptr;
    if (!profile || !profile->data || profile->size <= 0)
        return QByteArray();
    return QByteArray(static_cast<const char *>(profile->data), qsizetype(profile->size));
}

void ColourProfile::attach(fipImage &image, const QByteArray &profile)
{
    auto *dib = static_cast<FIBITMAP *>(image);
    if (!dib)
        return;
    FreeImage_DestroyICCProfile(dib);
    if (!profile.isEmpty() && spaceOf(profile) == channelsOf(image)) {
        QByteArray copy = profile;
        FreeImage_CreateICCProfile(dib, copy.data(), long(copy.size()));
    }
}

QImage ColourProfile::toSrgb(const QImage &image, const QByteArray &profile)
{
    if (image.isNull() || spaceOf(profile) != "RGB ")
        return image;
    const QColorSpace space = QColorSpace::fromIccProfile(profile);
    if (!space.isValid())
        return image;
    QImage converted = image;
    converted.setColorSpace(space);
    converted.convertToColorSpace(QColorSpace::SRgb);
    return converted;
}
