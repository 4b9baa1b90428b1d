// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/outputformat.h"
#include "prefs/imageformatgroup.h"

#include <QString>

enum class ResizeMode : int
{
    Width,
    Height,
    SmallSide,
    LargeSide,
};

// Everything the user sets on the convert page that a conversion uses, read from the controls
// when a conversion starts. Plain data: a conversion never looks at a widget.
struct ConversionOptions
{
    QString sourceFolder;
    QString destinationFolder;
    OutputFormat outputFormat = OutputFormat::Jpeg;
    bool grayscale = false;
    bool deleteMetadata = false;
    // The sliders' start positions: 80 percent, and a little lighter than neutral.
    static constexpr int DefaultJpegQualityPosition = 16;
    static constexpr int DefaultRawBrightness = 4;

    int jpegQualityPosition = DefaultJpegQualityPosition; // 0 to 20, five percent a step
    int rawBrightness = DefaultRawBrightness;             // -8 to 8, the tone mapping's intensity
    bool resize = false;
    ResizeMode resizeMode = ResizeMode::Width;
    int resizePixels = 0;
    bool replaceFiles = true;
    // The RAW group's extension list: a file with one of these extensions that the content
    // check takes for another format is tried with the RAW loader.
    QString rawExtensions = defaultExtensionList(ImageFormatGroup::RawImages);
    // Each output gets its source's modification time.
    bool keepFileDates = false;

    // The page's radio buttons can leave two on at once; the larger choice wins.
    static ResizeMode resizeModeFrom(bool width, bool height, bool smallSide, bool largeSide)
    {
        Q_UNUSED(width);
        if (largeSide)
            return ResizeMode::LargeSide;
        if (smallSide)
            return ResizeMode::SmallSide;
        if (height)
            return ResizeMode::Height;
        return ResizeMode::Width;
    }
};
