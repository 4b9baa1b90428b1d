// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "prefs/imageformatgroup.h"

using namespace Qt::Literals::StringLiterals;

QString imageFormatGroupKey(ImageFormatGroup group)
{
    switch (group) {
    case ImageFormatGroup::GifImages:
        return u"GifImages"_s;
    case ImageFormatGroup::JpgImages:
        return u"JpgImages"_s;
    case ImageFormatGroup::J2kImages:
        return u"J2kImages"_s;
    case ImageFormatGroup::PngImages:
        return u"PngImages"_s;
    case ImageFormatGroup::PsdImages:
        return u"PsdImages"_s;
    case ImageFormatGroup::TifImages:
        return u"TifImages"_s;
    case ImageFormatGroup::RawImages:
        return u"RawImages"_s;
    case ImageFormatGroup::WebImages:
        return u"WebImages"_s;
    }
    return {};
}

QString defaultExtensionList(ImageFormatGroup group)
{
    switch (group) {
    case ImageFormatGroup::GifImages:
        return u".gif;"_s;
    case ImageFormatGroup::JpgImages:
        return u".jpg;.jpeg;.jpe;.jif;.jfif;.jxr;"_s;
    case ImageFormatGroup::J2kImages:
        // "jpc;" without its dot is what users have always had; keep it as it stands.
        return u".jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;"_s;
    case ImageFormatGroup::PngImages:
        return u".png;"_s;
    case ImageFormatGroup::PsdImages:
        return u".psd;"_s;
    case ImageFormatGroup::TifImages:
        return u".tif;.tiff;"_s;
    case ImageFormatGroup::RawImages:
        return u".raw;.dng;.cr2;"_s;
    case ImageFormatGroup::WebImages:
        return u".webp;"_s;
    }
    return {};
}
