// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/conversionoptions.h"
#include "imaging/outputformat.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>

class fipImage;

// What the preview frame shows of one source file: the picture scaled to the frame first, then
// turned upright (its EXIF orientation) and by the user's turns, tone-mapped (RAW), passed
// through the JPEG encoder at the chosen quality when JPEG is the output, made gray, and shown in
// sRGB when it carries a colour profile. Plain data in and out, like the conversion.
struct PreviewRequest
{
    QString sourcePath;
    QSize frame;      // the frame's size in pixels
    int rotation = 0; // degrees, positive turns left
    OutputFormat outputFormat = OutputFormat::Jpeg;
    int jpegQualityPosition = ConversionOptions::DefaultJpegQualityPosition;
    bool grayscale = false;
    int rawBrightness = ConversionOptions::DefaultRawBrightness;
    QString rawExtensions;
};

struct PreviewResult
{
    bool loaded = false;     // false: the file could not be read as a picture
    bool recognised = false; // its content or name (or the RAW extensions) shows a picture
                             // format, loaded or not; false: no picture, or it cannot be opened
    bool raw = false;        // read by the RAW loader: the brightness slider applies
    QImage image;            // the preview picture, about the size of PreviewRect
    QString libraryMessage;  // the image library's message when the load failed
};

class ConvertPreview
{
public:
    using Done = std::function<void(const PreviewResult &)>;
    // Renders a preview and hands it to done later, from the event loop, or at once. A newer
    // request may abandon the one in flight: its done may never be called.
    using Service = std::function<void(const PreviewRequest &, Done done)>;

    static PreviewResult render(const PreviewRequest &request);
    // The same, but a picture whose header claims more than pixelBudget pixels is not loaded;
    // libraryMessage then gives the reason.
    static PreviewResult renderWithinBudget(const PreviewRequest &request, qint64 pixelBudget);

    // Where a picture of w × h is drawn in a frame of cw × ch: the side that meets the frame
    // first spans it (the longer one in a square frame), the other follows the side ratio in
    // whole percent, centred.
    static QRect previewRect(int cw, int ch, int w, int h);

    // The picture as a QImage for painting, whatever its depth (palette, gray, 16 bits a channel,
    // alpha). An invalid picture gives a null image.
    static QImage toQImage(const fipImage &image);
};
