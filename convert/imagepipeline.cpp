#include "convert/imagepipeline.h"

#include "convert/imagefolderscan.h"
#include "convert/librarymessages.h"
#include "convert/muldiv.h"
#include "convert/pathutil.h"

#include <FreeImagePlus.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SaveError = u" *** Save image error"_s;

// The JPEG encoder announces 32 bits but writes only CMYK pictures at that depth.
bool encoderTakesDepth(FREE_IMAGE_FORMAT fif, unsigned bpp, bool cmyk = false)
{
    if (fif == FIF_JPEG && bpp == 32 && !cmyk)
        return false;
    return FreeImage_FIFSupportsExportBPP(fif, int(bpp));
}

bool encoderTakes(fipImage &image, FREE_IMAGE_FORMAT fif)
{
    const FREE_IMAGE_TYPE type = image.getImageType();
    if (!FreeImage_FIFSupportsExportType(fif, type))
        return false;
    if (type != FIT_BITMAP)
        return true;
    const unsigned bpp = image.getBitsPerPixel();
    return encoderTakesDepth(fif, bpp, bpp == 32 && image.getColorType() == FIC_CMYK);
}

// Brings the picture to a depth the encoder writes: some encoders of this library abort the
// process or write nothing when handed another one. False when no such depth is found.
bool adaptDepth(fipImage &image, FREE_IMAGE_FORMAT fif, bool raw)
{
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(fif))
        return false;
    if (fif == FIF_JPEG) {
        const FREE_IMAGE_COLOR_TYPE colour = image.getColorType();
        if (colour == FIC_PALETTE || colour == FIC_RGBALPHA || raw)
            image.convertTo24Bits();
    }
    if (encoderTakes(image, fif))
        return true;
    ImagePipeline::toStandardBitmap(image);
    if (encoderTakes(image, fif))
        return true;
    if (image.getImageType() != FIT_BITMAP)
        return false;

    const FREE_IMAGE_COLOR_TYPE colour = image.getColorType();
    if ((colour == FIC_MINISBLACK || colour == FIC_MINISWHITE) && encoderTakesDepth(fif, 8))
        image.convertToGrayscale();
    else if (image.isTransparent() && encoderTakesDepth(fif, 32))
        image.convertTo32Bits();
    else if (encoderTakesDepth(fif, 24))
        image.convertTo24Bits();
    else if (encoderTakesDepth(fif, 32))
        image.convertTo32Bits();
    return encoderTakes(image, fif);
}

int saveFlags(FREE_IMAGE_FORMAT fif, const ConversionOptions &options)
{
    switch (fif) {
    case FIF_JPEG:
        return ImagePipeline::jpegQualityFlag(options.jpegQualityPosition);
    case FIF_TIFF:
        return TIFF_LZW;
    default:
        return 0; // PNG_DEFAULT, WEBP_DEFAULT
    }
}

// The library's own file output ignores the result of the last flush, so a write cut short
// there would pass for a saved picture.
unsigned DLL_CALLCONV readFile(void *buffer, unsigned size, unsigned count, fi_handle handle)
{
    return unsigned(std::fread(buffer, size, count, static_cast<FILE *>(handle)));
}

unsigned DLL_CALLCONV writeFile(void *buffer, unsigned size, unsigned count, fi_handle handle)
{
    return unsigned(std::fwrite(buffer, size, count, static_cast<FILE *>(handle)));
}

int DLL_CALLCONV seekFile(fi_handle handle, long offset, int origin)
{
    return std::fseek(static_cast<FILE *>(handle), offset, origin);
}

long DLL_CALLCONV tellFile(fi_handle handle)
{
    return std::ftell(static_cast<FILE *>(handle));
}

bool encode(fipImage &image, FREE_IMAGE_FORMAT fif, int flags, FILE *file)
{
    FreeImageIO io{readFile, writeFile, seekFile, tellFile};
    // No fdatasync: it made a run over a folder wait for the disk at every picture, half again
    // as long. The picture is renamed over the destination only once it is fully written, and
    // the source is never touched, so a crash of the machine can cost at worst a picture that
    // a new run writes again.
    return image.saveToHandle(fif, &io, file, flags) && std::fflush(file) == 0 &&
           !std::ferror(file);
}

// A new empty file in the folder under a hidden name of its own. The mode is the ordinary one
// of new files (0666 less the umask), which the finished picture keeps. -1 when none can be made.
int createTemporary(const QString &folder, QByteArray &path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        // The process id lets the window remove what a worker left when it died mid-save.
        const QString name = u"/.pelorin-%1-%2.part"_s.arg(
            QString::number(::getpid()),
            QString::number(QRandomGenerator::global()->generate(), 36));
        path = PathUtil::encodeName(folder + name);
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Encodes to a temporary file beside the destination and renames it over the destination, so a
// failed save neither leaves a cut-off picture nor destroys the file that was there.
bool saveReplacing(fipImage &image, FREE_IMAGE_FORMAT fif, int flags, const QString &destination)
{
    QByteArray temporary;
    const int fd = createTemporary(QFileInfo(destination).path(), temporary);
    if (fd < 0)
        return false;
    FILE *file = ::fdopen(fd, "w+b");
    if (!file) {
        ::close(fd);
        ::unlink(temporary.constData());
        return false;
    }
    bool saved = encode(image, fif, flags, file);
    saved = std::fclose(file) == 0 && saved;
    saved = saved &&
            std::rename(temporary.constData(), PathUtil::encodeName(destination).constData()) == 0;
    if (!saved)
        ::unlink(temporary.constData());
    return saved;
}

} // namespace

void ImagePipeline::toStandardBitmap(fipImage &image)
{
    switch (image.getImageType()) {
    case FIT_BITMAP:
        return;
    case FIT_RGB16:
        image.convertTo24Bits();
        return;
    case FIT_RGBA16:
        image.convertTo32Bits();
        return;
    case FIT_UINT16:
        // The general conversion would stretch or clip the levels; this keeps the high byte.
        image.convertTo8Bits();
        return;
    case FIT_RGBF:
    case FIT_RGBAF:
        // No linear conversion exists for floating-point colour: the library's default operator.
        image.toneMapping(FITMO_DRAGO03);
        return;
    default:
        image.convertToType(FIT_BITMAP);
        return;
    }
}

void ImagePipeline::rotate(fipImage &image, int angle)
{
    // A turn by 0 gives the same picture.
    if (angle == 0)
        return;
    if (image.rotate(angle))
        return;
    // The library turns no 4-bit or 16-bit (5-5-5, 5-6-5) bitmap, which would leave the picture
    // silently unturned: widen it without loss and turn again.
    if (image.getImageType() != FIT_BITMAP)
        return;
    const unsigned bpp = image.getBitsPerPixel();
    const bool widened = bpp == 4 ? image.convertTo8Bits() : bpp == 16 && image.convertTo24Bits();
    if (widened)
        image.rotate(angle);
}

void ImagePipeline::makeGray(fipImage &image, bool raw)
{
    if (raw)
        image.convertTo24Bits();
    // The library grays standard bitmaps and 16-bit gray only; colour at 16 bits or floats per
    // channel would pass through unchanged.
    const FREE_IMAGE_TYPE type = image.getImageType();
    if (type == FIT_RGB16 || type == FIT_RGBA16 || type == FIT_RGBF || type == FIT_RGBAF)
        toStandardBitmap(image);
    image.convertToGrayscale();
}

ConversionResult ImagePipeline::convertOne(const ConversionRequest &request)
{
    LibraryMessages::clear();
    const ConversionOptions &options = request.options;
    const auto finish = [](bool ok, const QString &message) {
        return ConversionResult{ok, message, LibraryMessages::last()};
    };

    fipImage image;
    const LoadedPicture loaded =
        loadPicture(image, request.sourcePath, options.rawBrightness, options.rawExtensions);
    if (loaded.outcome == LoadedPicture::ToneMappingFailed)
        return finish(false, u"Raw image tone mapping error"_s);
    if (!image.isValid())
        return finish(false, u"Original image error: "_s + request.sourcePath);

    rotate(image, request.rotation);
    if (options.resize && !resizeImage(image, options.resizeMode, options.resizePixels))
        return finish(false, u"Image resizing error."_s);
    if (options.grayscale)
        makeGray(image, loaded.raw);
    if (!image.isValid())
        return finish(false, u"Grayscale error."_s);

    // The destination's extension chooses the encoder.
    const FREE_IMAGE_FORMAT fif =
        FreeImage_GetFIFFromFilename(PathUtil::encodeName(request.destinationPath).constData());
    if (!adaptDepth(image, fif, loaded.raw))
        return finish(false, SaveError);
    if (options.deleteMetadata)
        image.clearMetadata();
    if (!saveReplacing(image, fif, saveFlags(fif, options), request.destinationPath))
        return finish(false, SaveError);
    return finish(true, u"End of conversion!"_s);
}

ImagePipeline::LoadedPicture ImagePipeline::loadPicture(fipImage &image, const QString &path,
                                                        int rawBrightness,
                                                        const QString &rawExtensions)
{
    // A picture left from an earlier file must never pass for this one.
    image.clear();
    const QByteArray name = PathUtil::encodeName(path);
    FREE_IMAGE_FORMAT fif = fipImage::identifyFIF(name.constData());
    // Some formats carry no signature; the library's loader then goes by the extension too.
    if (fif == FIF_UNKNOWN)
        fif = FreeImage_GetFIFFromFilename(name.constData());
    if (fif != FIF_UNKNOWN && FreeImage_FIFSupportsReading(fif))
        image.load(fif, name.constData(), 0);
    // The content check takes some camera files for another format (PICT, TARGA).
    if (!image.isValid() && fif != FIF_RAW &&
        ImageFolderScan::extensionMatches(path, rawExtensions)) {
        image.clear();
        fif = FIF_RAW;
        image.load(FIF_RAW, name.constData(), 0);
    }

    LoadedPicture loaded;
    if (!image.isValid())
        return loaded;
    loaded.raw = fif == FIF_RAW;
    if (loaded.raw && !image.toneMapping(FITMO_REINHARD05, double(rawBrightness), 0.0, 0.0, 0.0)) {
        loaded.outcome = LoadedPicture::ToneMappingFailed;
        return loaded;
    }
    loaded.outcome = LoadedPicture::Loaded;
    return loaded;
}

QString ImagePipeline::checkPixelBudget(const QString &path, const QString &rawExtensions,
                                        qint64 budget)
{
    const QByteArray name = PathUtil::encodeName(path);
    const auto claimedPixels = [&name](FREE_IMAGE_FORMAT fif, quint64 &width, quint64 &height) {
        if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(fif) ||
            !FreeImage_FIFSupportsNoPixels(fif))
            return false;
        FIBITMAP *header = FreeImage_Load(fif, name.constData(), FIF_LOAD_NOPIXELS);
        if (!header)
            return false;
        width = FreeImage_GetWidth(header);
        height = FreeImage_GetHeight(header);
        FreeImage_Unload(header);
        return true;
    };

    // The same choice of reader as loadPicture.
    FREE_IMAGE_FORMAT fif = fipImage::identifyFIF(name.constData());
    if (fif == FIF_UNKNOWN)
        fif = FreeImage_GetFIFFromFilename(name.constData());
    quint64 width = 0;
    quint64 height = 0;
    bool known = claimedPixels(fif, width, height);
    if (!known && fif != FIF_RAW && ImageFolderScan::extensionMatches(path, rawExtensions))
        known = claimedPixels(FIF_RAW, width, height);
    // Both sides fit in 32 bits, so the product cannot overflow 64.
    if (!known || width * height <= quint64(std::max<qint64>(budget, 0)))
        return QString();
    return u"the picture is too large to convert (%1 \u00D7 %2 pixels)"_s.arg(width).arg(height);
}

bool ImagePipeline::resizeImage(fipImage &image, ResizeMode mode, int pixels)
{
    if (!image.isValid() || pixels == 0)
        return false;
    const int width = int(image.getWidth());
    const int height = int(image.getHeight());
    bool widthGiven = true;
    switch (mode) {
    case ResizeMode::Width:
        widthGiven = true;
        break;
    case ResizeMode::Height:
        widthGiven = false;
        break;
    case ResizeMode::SmallSide:
        widthGiven = width < height;
        break;
    case ResizeMode::LargeSide:
        widthGiven = width > height;
        break;
    }
    const int newWidth = widthGiven ? pixels : mulDiv(width, pixels, height);
    const int newHeight = widthGiven ? mulDiv(height, pixels, width) : pixels;
    // The library refuses sizes below one pixel and the picture keeps its own size; the
    // unsigned arguments would otherwise turn a negative size into a huge one.
    if (newWidth > 0 && newHeight > 0)
        image.rescale(unsigned(newWidth), unsigned(newHeight), FILTER_CATMULLROM);
    return image.isValid();
}

int ImagePipeline::jpegQualityFlag(int position)
{
    const int percent = position * 5;
    if (percent < 10)
        return JPEG_QUALITYBAD;
    if (percent < 50)
        return JPEG_QUALITYAVERAGE;
    if (percent < 75)
        return JPEG_QUALITYNORMAL;
    if (percent < 100)
        return JPEG_QUALITYGOOD;
    return JPEG_QUALITYSUPERB;
}
