#include "convert/convertpreview.h"

#include "convert/imagefolderscan.h"
#include "convert/imagepipeline.h"
#include "convert/librarymessages.h"
#include "convert/muldiv.h"
#include "convert/pathutil.h"

#include <QFile>

#include <FreeImagePlus.h>

#include <algorithm>
#include <cstring>

namespace {

// Reads the file small when the format allows it: a JPEG decodes at 1/2, 1/4 or 1/8 of its size
// when that still covers the frame, and a RAW file at half size. The preview is scaled to the
// frame anyway, so the result looks the same and comes many times faster.
bool loadForPreview(fipImage &image, const QString &path, const PreviewRequest &request, bool &raw)
{
    const QByteArray file = PathUtil::encodeName(path);
    FREE_IMAGE_FORMAT format = fipImage::identifyFIF(file.constData());
    const bool rawByExtension = ImageFolderScan::extensionMatches(path, request.rawExtensions);
    const int longSide = std::max(request.frame.width(), request.frame.height());
    image.clear();
    if (format == FIF_JPEG)
        image.load(FIF_JPEG, file.constData(),
                   JPEG_DEFAULT | (std::clamp(longSide, 1, 0xFFFF) << 16));
    else if (format == FIF_RAW)
        image.load(FIF_RAW, file.constData(), RAW_HALFSIZE);
    else if (format != FIF_UNKNOWN)
        image.load(format, file.constData(), 0);
    // Some RAW files are taken for another format by their content.
    if (!image.isValid() && rawByExtension && format != FIF_RAW) {
        image.clear();
        format = FIF_RAW;
        image.load(FIF_RAW, file.constData(), RAW_HALFSIZE);
    }
    raw = format == FIF_RAW;
    return image.isValid();
}

} // namespace

PreviewResult ConvertPreview::render(const PreviewRequest &request)
{
    PreviewResult result;
    LibraryMessages::clear();
    fipImage image;
    if (!loadForPreview(image, request.sourcePath, request, result.raw)) {
        result.libraryMessage = LibraryMessages::last();
        return result;
    }
    result.loaded = true;

    const QRect target = previewRect(request.frame.width(), request.frame.height(),
                                     int(image.getWidth()), int(image.getHeight()));
    if (target.width() > 0 && target.height() > 0)
        image.rescale(unsigned(target.width()), unsigned(target.height()), FILTER_CATMULLROM);
    ImagePipeline::rotate(image, request.rotation % 360);
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
    result.image = toQImage(image);
    return result;
}

QRect ConvertPreview::previewRect(int cw, int ch, int w, int h)
{
    if (w <= 0 || h <= 0)
        return QRect();
    if (w >= h) {
        const int p = mulDiv(100, h, w);
        const int height = mulDiv(ch, p, 100);
        const int top = (ch - height) / 2;
        return QRect(0, top, cw, height);
    }
    const int p = mulDiv(100, w, h);
    const int width = mulDiv(cw, p, 100);
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
