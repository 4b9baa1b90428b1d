// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// The formats a conversion can write, numbered as the "Convert to format :" choice.
enum class OutputFormat : int
{
    Jpeg = 0,
    Png = 1,
    Tiff = 2,
    Webp = 3,
};
inline constexpr int OutputFormatCount = 4;

// ".jpg", ".png", ".tif" or ".webp": the extension written, which also selects the encoder.
QString outputExtension(OutputFormat format);
// The output format as named in the first line of the conversion log: JPG, PNG, TIF or WEBP.
QString outputLogName(OutputFormat format);
