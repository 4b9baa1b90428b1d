// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/outputformat.h"

using namespace Qt::Literals::StringLiterals;

QString outputExtension(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Jpeg:
        return u".jpg"_s;
    case OutputFormat::Png:
        return u".png"_s;
    case OutputFormat::Tiff:
        return u".tif"_s;
    case OutputFormat::Webp:
        return u".webp"_s;
    }
    return u".jpg"_s;
}

QString outputLogName(OutputFormat format)
{
    return outputExtension(format).mid(1).toUpper();
}
