// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// The eight input format groups, numbered as the input-format choice of the convert page.
// Index 0 of that choice is the union of all groups and is not a group of its own.
enum class ImageFormatGroup : int
{
    GifImages = 1,
    JpgImages,
    J2kImages,
    PngImages,
    PsdImages,
    TifImages,
    RawImages,
    WebImages,
};

inline constexpr int AllImagesIndex = 0;
inline constexpr int FirstGroupIndex = 1;
inline constexpr int LastGroupIndex = 8;
inline constexpr int ExtensionListCount = 9;

// The group's identifier, also its element name in the preferences file.
QString imageFormatGroupKey(ImageFormatGroup group);
QString defaultExtensionList(ImageFormatGroup group);
