// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/convertpreview.h"

#include "imaging/colourprofile.h"
#include "imaging/imagepipeline.h"
#include "imaging/librarymessages.h"
#include "imaging/muldiv.h"
#include "imaging/orientation.h"
#include "imaging/sourcefile.h"

#include "util/pathutil.h"

#include <FreeImagePlus.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Reads the file small when the format allows it: a JPEG decodes at 1/2, 1/4 or 1/8 of its size
// as a resized conversion does, and a RAW file at half size. The preview is scaled to the
// frame anyway, so the result looks the same and comes many times faster.
bool loadForPreview(fipImage &image, SourceFile &source, FREE_IMAGE_FORMAT &format,
                    bool rawByExtension, const PreviewRequest &request)
{
    const int longSide = std::max(request.frame.width(), request.frame.height());
    image.clear();
    if (format == FIF_JPEG)
        image = source.load(FIF_JPEG, ImagePipeline::jpegShrinkFlags(longSide));
    else if (format == FIF_RAW)
        image = source.load(FIF_RAW, RAW_HALFSIZE);
    else if (format != FIF_UNKNOWN)
        image = source.load(format, 0);
    // Some RAW files are taken for another format by their content.
    if (!image.isValid() && rawByExtension && format != FIF_RAW) {
        format = FIF_RAW;
        image = source.load(FIF_RAW, RAW_HALFSIZE);
    }
    return image.isValid();
}

PreviewResult render(const PreviewRequest &request, std::optional<qint64> pixelBudget)
{
    PreviewResult result;
    SourceFile source;
    if (!source.open(request.sourcePath)) {
        result.libraryMessage = source.error();
        return result;
    }
    FREE_IMAGE_FORMAT format = source.identify();
    const bool rawByExtension = PathUtil::extensionMatches(source.path(), request.rawExtensions);
    result.recognised = format != FIF_UNKNOWN || rawByExtension;
    if (pixelBudget) {
        result.libraryMessage =
            ImagePipeline::checkPixelBudget(source, request.rawExtensions, *pixelBudget);
        if (!result.libraryMessage.isEmpty())
            return result;
    }
    LibraryMessages::clear();
    fipImage image;
    if (!loadForPreview(image, source, format, rawByExtension, request)) {
        result.libraryMessage = LibraryMessages::last();
        return result;
    }
    result.loaded = true;
    result.raw = format == FIF_RAW;
    const int orientation = Orientation::of(image, source, format);
    const QByteArray profile = ColourProfile::of(image);

    // Scaled to fit the frame once upright, so that only the small picture is turned.
    const bool sideways = Orientation::swapsSides(orientation);
    const QSize stored(int(image.getWidth()), int(image.getHeight()));
    const QSize upright = sideways ? stored.transposed() : stored;
    const QRect target = ConvertPreview::previewRect(request.frame.width(), request.frame.height(),
                                                     upright.width(), upright.height());
    const QSize scaled = sideways ? target.size().transposed() : target.size();
    if (scaled.width() > 0 && scaled.height() > 0)
        image.rescale(unsigned(scaled.width()), unsigned(scaled.height()), FILTER_CATMULLROM);
    Orientation::apply(image, orientation, request.rotation % 360);
    if (result.raw) {
        image.toneMapping(FITMO_REINHARD05, request.rawBrightness, 0.0, 0.0, 0.0);
        image.convertTo24Bits();
    }
    if (request.outputFormat == OutputFormat::Jpeg) {
        // Shows the losses of the chosen quality; the round trip stays in memory.
        ImagePipeline::toStandardBitmap(image);
        image.convertTo24Bits();
        const int flags = ImagePipeline::jpegQualityFlag(request.jpegQualityPosition);
        fipMemoryIO stream;
        if (image.saveToMemory(FIF_JPEG, stream, flags)) {
            stream.seek(0, SEEK_SET);
            fipImage decoded;
            if (decoded.loadFromMemory(stream.getFileType(), stream, flags))
                image = decoded;
        }
    }
    if (request.grayscale)
        ImagePipeline::makeGray(image, result.raw);
    // A grayed picture is written without its colour profile, and shown the same way.
    result.image = ColourProfile::toSrgb(ConvertPreview::toQImage(image),
                                         request.grayscale ? QByteArray() : profile);
    return result;
}

} // namespace

PreviewResult ConvertPreview::render(const PreviewRequest &request)
{
    return ::render(request, std::nullopt);
}

PreviewResult ConvertPreview::renderWithinBudget(const PreviewRequest &request, qint64 pixelBudget)
{
    return ::render(request, pixelBudget);
}

QRect ConvertPreview::previewRect(int cw, int ch, int w, int h)
{
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0)
        return QRect();
    // w / h against cw / ch, without overflow.
    if (qint64(w) * ch >= qint64(h) * cw) {
        const int p = mulDiv(100, h, w);
        const int height = std::min(mulDiv(cw, p, 100), ch);
        const int top = (ch - height) / 2;
        return QRect(0, top, cw, height);
    }
    const int p = mulDiv(100, w, h);
    const int width = std::min(mulDiv(ch, p, 100), cw);
    const int left = (cw - width) / 2;
    return QRect(left, 0, width, ch);
}

QImage ConvertPreview::toQImage(const fipImage &source)
{
    if (!source.isValid())
        return QImage();
    fipImage standard(source);
    ImagePipeline::toStandardBitmap(standard);
    FIBITMAP *rgba = FreeImage_ConvertTo32Bits(static_cast<FIBITMAP *>(standard));
    if (!rgba)
        return QImage();

    const int width = int(FreeImage_GetWidth(rgba));
    const int height = int(FreeImage_GetHeight(rgba));
    QImage image(width, height, QImage::Format_ARGB32);
    if (!image.isNull()) {
        const size_t rowBytes = size_t(width) * 4;
        // The library stores the bottom row first, each pixel as B, G, R, A bytes: on a
        // little-endian machine that is Format_ARGB32.
        for (int y = 0; y < height; ++y)
            std::memcpy(image.scanLine(y), FreeImage_GetScanLine(rgba, height - 1 - y), rowBytes);
    }
    FreeImage_Unload(rgba);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
