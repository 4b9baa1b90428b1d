// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/imagelibrary.h"

#include <FreeImage.h>

#include <initializer_list>

bool ImageLibrary::isUsable()
{
    const char *version = FreeImage_GetVersion();
    if (!version || !*version)
        return false;
    for (FREE_IMAGE_FORMAT format : {FIF_JPEG, FIF_PNG, FIF_TIFF, FIF_WEBP}) {
        if (!FreeImage_FIFSupportsReading(format) || !FreeImage_FIFSupportsWriting(format))
            return false;
    }
    return true;
}
