// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/imagepipeline.h"

#include "imaging/claimedsize.h"
#include "imaging/colourprofile.h"
#include "imaging/librarymessages.h"
#include "imaging/muldiv.h"
#include "imaging/orientation.h"
#include "imaging/picturemetadata.h"
#include "imaging/pngwriter.h"
#include "imaging/resampler.h"
#include "imaging/sourcefile.h"
#include "imaging/webpwriter.h"
#include "strings/stringtable.h"
#include "util/atomicfile.h"
#include "util/diskerror.h"
#include "util/folderprobe.h"
#include "util/noreplacerename.h"
#include "util/pathutil.h"
#include "util/systemcalls.h"

#include <FreeImagePlus.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/limits.h>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {


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
    case FIF_PNG:
        // Palette and 16-bit pictures, which the library writes: measured on 24-megapixel
        // photos, zlib level 4 took a third of the time of the default 6 for files 4 % larger.
        return 4;
    case FIF_WEBP:
        return 75; // the library's default quality, kept for the files written before
    default:
        return 0;
    }
}

// The encoder's output, with the first error of the system while writing it: the library
// itself reports only that writing failed, if at all.
struct Output
{
    FILE *file = nullptr;
    bool failed = false;
    int error = 0;

    // Right after the call that may have failed, while errno is still its own.
    void note(bool failure)
    {
        if (failure && !failed) {
            failed = true;
            error = errno;
        }
    }
};

// The library's own file output ignores the result of the last flush, so a write cut short
// there would pass for a saved picture.
unsigned DLL_CALLCONV readOutput(void *buffer, unsigned size, unsigned count, fi_handle handle)
{
    auto *out = static_cast<Output *>(handle);
    const size_t got = std::fread(buffer, size, count, out->file);
    out->note(std::ferror(out->file));
    return unsigned(got);
}

unsigned DLL_CALLCONV writeOutput(void *buffer, unsigned size, unsigned count, fi_handle handle)
{
    auto *out = static_cast<Output *>(handle);
    const size_t written = std::fwrite(buffer, size, count, out->file);
    out->note(size != 0 && written < count);
    return unsigned(written);
}

int DLL_CALLCONV seekOutput(fi_handle handle, long offset, int origin)
{
    // A seek writes out what is buffered, so it can fail for want of space too.
    auto *out = static_cast<Output *>(handle);
    const int result = std::fseek(out->file, offset, origin);
    out->note(result != 0);
    return result;
}

long DLL_CALLCONV tellOutput(fi_handle handle)
{
    return std::ftell(static_cast<Output *>(handle)->file);
}

// False with error set to the system's errno, or to 0 when the library failed on its own.
bool encode(fipImage &image, FREE_IMAGE_FORMAT fif, int flags, FILE *file, int &error)
{
    Output out{file};
    FreeImageIO io{readOutput, writeOutput, seekOutput, tellOutput};
    // No fdatasync: it made a run over a folder wait for the disk at every picture, half again
    // as long. The picture is renamed over the destination only once it is fully written, and
    // the source is never touched, so a crash of the machine can cost at worst a picture that
    // a new run writes again.
    bool saved = false;
    int ownError = 0; // what the program's own writers met
    if (fif == FIF_PNG && PngWriter::takes(image))
        saved = PngWriter::write(image, file, ownError);
    else if (fif == FIF_WEBP && WebpWriter::takes(image))
        saved = WebpWriter::write(image, flags, file, ownError);
    else
        saved = image.saveToHandle(fif, &io, &out, flags);
    if (ownError != 0 && !out.failed)
        out = {file, true, ownError};
    if (saved)
        out.note(std::fflush(file) != 0 || std::ferror(file));
    error = out.error;
    return saved && !out.failed;
}

enum class Saved
{
    Yes,
    Failed, // error holds the system's reason, or 0
    DestinationExists,
    DestinationIsSource,
    WrittenEarlier, // the destination is a file the run wrote for another picture
    DestinationWriteProtected,
};

bool sameStatus(const struct stat &a, const struct stat &b)
{
    return (a.st_dev == b.st_dev && a.st_ino == b.st_ino) ||
           (a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
            a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_mode == b.st_mode);
}

// Whether the picture, finished in the temporary file, may go to the destination name: never
// over the source itself, nor over a file the run wrote for another picture under another
// spelling of the name. Device and inode alone cannot tell: a second mount of the source folder
// shows its files under another device (and a share under other inodes), which the temporary
// file showing up in the source folder reveals; a FUSE disk gives two spellings of one name two
// inode numbers.
Saved checkPlace(int folder, const QByteArray &temporary, const QByteArray &name,
                 const SourceFile &source, const QStringList &writtenNames, QString &sameFileAs)
{
    const SystemCalls &system = SystemCalls::current();
    struct stat there{};
    if (system.fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0)
        return Saved::Yes;
    if (there.st_dev == source.device() && there.st_ino == source.inode())
        return Saved::DestinationIsSource;
    const auto [sourceFolder, sourceName] = PathUtil::split(source.path());
    const int sourceFd = ::open(PathUtil::encodeName(sourceFolder).constData(),
                                O_PATH | O_DIRECTORY | O_CLOEXEC);
    const bool foldersAreOne = sourceFd >= 0 && FolderProbe::shows(sourceFd, temporary);
    if (sourceFd >= 0)
        ::close(sourceFd);
    if (foldersAreOne &&
        (source.looksLike(there) ||
         FolderProbe::looseKey(sourceName) == FolderProbe::looseKey(PathUtil::decodeName(name))))
        return Saved::DestinationIsSource;
    for (const QString &written : writtenNames) {
        struct stat earlier{};
        if (system.fstatat(folder, PathUtil::encodeName(written).constData(), &earlier,
                           AT_SYMLINK_NOFOLLOW) == 0 &&
            sameStatus(earlier, there)) {
            sameFileAs = written;
            return Saved::WrittenEarlier;
        }
    }
    return Saved::Yes;
}

// A disk without extended attributes, Unix permissions or groups (FAT) cannot keep them.
bool notKeptHere(int error)
{
    return error == ENOTSUP || error == ENOSYS || error == EPERM;
}

// Copies the extended attributes that go with a file's content from the file open as from to
// the one open as to: the user's own and the access list, which is part of the permissions. The
// others are the system's (the new file has a security label of its own) or need privileges.
// Returns 0 or an errno value.
int copyAttributes(int from, int to)
{
    QByteArray names(XATTR_LIST_MAX, '\0'), value(XATTR_SIZE_MAX, '\0');
    const ssize_t listed = ::flistxattr(from, names.data(), size_t(names.size()));
    if (listed < 0)
        return notKeptHere(errno) ? 0 : errno;
    for (const QByteArray &name : names.left(listed).split('\0')) {
        if (!name.startsWith("user.") && name != "system.posix_acl_access")
            continue;
        const ssize_t size =
            ::fgetxattr(from, name.constData(), value.data(), size_t(value.size()));
        if (size >= 0 &&
            ::fsetxattr(to, name.constData(), value.constData(), size_t(size), 0) != 0 &&
            !notKeptHere(errno))
            return errno;
    }
    return 0;
}

// With "Replace files" on: a file the user has write-protected is not replaced (the rename needs
// only the folder's permission), and the picture that replaces a file takes over its permission
// bits, group and extended attributes, which the rename would otherwise drop. temporaryFd is the
// new picture, not yet in place.
Saved takeOverReplacedFile(int folder, const QByteArray &name, int temporaryFd, int &error)
{
    const SystemCalls &system = SystemCalls::current();
    struct stat old
    {
    };
    // Nothing there, or a link, which is replaced itself and has nothing to keep.
    if (system.fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(old.st_mode))
        return Saved::Yes;
    // The owner's write bit too: the system lets root write anything.
    if (!(old.st_mode & S_IWUSR) ||
        (::faccessat(folder, name.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES))
        return Saved::DestinationWriteProtected;

    // The group only where the owner may give it, on a disk that has groups.
    [[maybe_unused]] const int grouped = ::fchown(temporaryFd, uid_t(-1), old.st_gid);
    // A file that cannot be read has no attributes that could be read either.
    if (const int oldFd = system.openat(folder, name.constData(),
                                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
        oldFd >= 0) {
        error = copyAttributes(oldFd, temporaryFd);
        ::close(oldFd);
    }
    if (error == 0 && ::fchmod(temporaryFd, old.st_mode & 0777) != 0 && !notKeptHere(errno))
        error = errno;
    return error == 0 ? Saved::Yes : Saved::Failed;
}

// Encodes to a temporary file beside the destination and renames it over the destination, so a
// failed save neither leaves a cut-off picture nor destroys the file that was there. Every step
// works inside the destination folder opened once, so the folder checked is the folder written.
// What is done to the finished file before it goes into place.
struct Finishing
{
    const PictureMetadata *metadata = nullptr; // to write into it, when kept
    std::optional<struct timespec> modified;    // the time to give it, with "Keep file dates"
    QString metadataNote{};                     // out: why the metadata was left out
};

// The picture is emptied once encoded.
Saved saveInto(fipImage &image, FREE_IMAGE_FORMAT fif, int flags, const QString &destination,
               bool replace, const SourceFile &source, const QStringList &writtenNames,
               QString &sameFileAs, Finishing &finishing, int &error)
{
    const auto [folderPath, name] = PathUtil::split(PathUtil::encodeName(destination));

    error = 0;
    const int folder = ::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error = errno;
        return Saved::Failed;
    }
    QByteArray temporary;
    const int fd = AtomicFile::createTemporary(folder, temporary);
    FILE *file = fd < 0 ? nullptr : ::fdopen(fd, "w+b");
    if (!file) {
        error = errno;
        if (fd >= 0) {
            ::close(fd);
            ::unlinkat(folder, temporary.constData(), 0);
        }
        ::close(folder);
        return Saved::Failed;
    }

    const QSize size(int(image.getWidth()), int(image.getHeight()));
    Saved outcome = encode(image, fif, flags, file, error) ? Saved::Yes : Saved::Failed;
    // The metadata writer holds the whole file in memory: the pixels, written, go first.
    image.clear();
    // Here a crash costs the temporary file only.
    if (outcome == Saved::Yes && finishing.metadata) {
        const PictureMetadata::Written written =
            finishing.metadata->writeInto(::fileno(file), fif, size);
        error = written.error;
        outcome = error == 0 ? Saved::Yes : Saved::Failed;
        if (finishing.metadataNote.isEmpty())
            finishing.metadataNote = written.failure;
    }
    if (outcome == Saved::Yes)
        outcome = checkPlace(folder, temporary, name, source, writtenNames, sameFileAs);
    if (outcome == Saved::Yes && replace)
        outcome = takeOverReplacedFile(folder, name, ::fileno(file), error);
    // Last, after every write. A disk that cannot keep the time keeps its own: the picture
    // matters more than its date.
    if (outcome == Saved::Yes && finishing.modified) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, *finishing.modified};
        ::futimens(::fileno(file), times);
    }
    const SystemCalls &system = SystemCalls::current();
    if (system.fclose(file) != 0 && outcome == Saved::Yes) {
        error = errno;
        outcome = Saved::Failed;
    }
    if (outcome == Saved::Yes) {
        error = replace
                    ? (system.renameat(folder, temporary.constData(), folder, name.constData()) == 0
                           ? 0
                           : errno)
                    : NoReplaceRename::rename(folder, temporary, name);
        if (error != 0)
            outcome = error == EEXIST && !replace ? Saved::DestinationExists : Saved::Failed;
    }
    if (outcome != Saved::Yes)
        system.unlinkat(folder, temporary.constData(), 0);
    ::close(folder);
    return outcome;
}

ConversionResult convert(const ConversionRequest &request, std::optional<qint64> pixelBudget)
{
    LibraryMessages::clear();
    const ConversionOptions &options = request.options;
    const auto finish = [](bool ok, const QString &message) {
        return ConversionResult{ok, message, LibraryMessages::last()};
    };

    SourceFile source;
    if (!source.open(request.sourcePath)) {
        // The reason goes in both messages, so the log names it whatever marks the row carries.
        if (source.refused())
            return {false, source.error(), source.error()};
        return {false, loadString(OriginalImageError) + request.sourcePath, source.error()};
    }
    if (pixelBudget) {
        const QString tooLarge =
            ImagePipeline::checkPixelBudget(source, options.rawExtensions, *pixelBudget);
        if (!tooLarge.isEmpty())
            return {false, tooLarge, tooLarge};
        // What the header reading said does not concern the conversion.
        LibraryMessages::clear();
    }

    // A picture made smaller is read small where the format allows it: many times faster.
    const int jpegFlags =
        options.resize ? ImagePipeline::jpegShrinkFlags(source, options.resizeMode,
                                                        options.resizePixels, request.rotation)
                       : JPEG_DEFAULT;
    // The header read for it may note that the data was cut short, where it was cut on purpose.
    LibraryMessages::clear();
    fipImage image;
    const ImagePipeline::LoadedPicture loaded = ImagePipeline::loadPicture(
        image, source, options.rawBrightness, options.rawExtensions, jpegFlags);
    if (loaded.outcome == ImagePipeline::LoadedPicture::ToneMappingFailed)
        return finish(false, loadString(RawToneMappingError));
    if (!image.isValid())
        return finish(false, loadString(OriginalImageError) + request.sourcePath);

    Orientation::apply(image, loaded.orientation, request.rotation);
    if (options.resize &&
        !ImagePipeline::resizeImage(image, options.resizeMode, options.resizePixels))
        return finish(false, loadString(ImageResizingError));
    if (options.grayscale)
        ImagePipeline::makeGray(image, loaded.raw);
    if (!image.isValid())
        return finish(false, loadString(GrayscaleError));

    // The destination's extension chooses the encoder.
    const FREE_IMAGE_FORMAT fif =
        FreeImage_GetFIFFromFilename(PathUtil::encodeName(request.destinationPath).constData());
    if (!adaptDepth(image, fif, loaded.raw))
        return finish(false, loadString(SaveImageError));
    Finishing finishing;
    PictureMetadata metadata;
    if (options.deleteMetadata) {
        image.clearMetadata();
    } else {
        metadata = PictureMetadata::read(source);
        // Exiv2 writes these blocks alone, made true for the new picture; where it cannot read
        // the source, the library's copy stands.
        if (metadata.known()) {
            for (FREE_IMAGE_MDMODEL model :
                 {FIMD_EXIF_MAIN, FIMD_EXIF_EXIF, FIMD_EXIF_GPS, FIMD_EXIF_MAKERNOTE,
                  FIMD_EXIF_INTEROP, FIMD_EXIF_RAW, FIMD_IPTC, FIMD_XMP})
                FreeImage_SetMetadata(model, image, nullptr, nullptr);
            finishing.metadata = &metadata;
            finishing.metadataNote = metadata.failure();
        }
    }
    if (options.keepFileDates)
        finishing.modified = source.modified();
    ColourProfile::attach(image, loaded.colourProfile);
    int error = 0;
    QString sameFileAs;
    switch (saveInto(image, fif, saveFlags(fif, options), request.destinationPath,
                     options.replaceFiles, source, request.writtenNames, sameFileAs, finishing,
                     error)) {
    case Saved::Yes: {
        ConversionResult result = finish(true, loadString(EndOfConversion));
        result.metadataNote = finishing.metadataNote;
        return result;
    }
    case Saved::DestinationIsSource:
        return finish(false, loadString(DestinationIsSource));
    case Saved::WrittenEarlier: {
        ConversionResult result = finish(false, loadString(ConversionNotDone));
        result.sameFileAs = sameFileAs;
        return result;
    }
    case Saved::DestinationWriteProtected:
        return finish(false, loadString(DestinationWriteProtected));
    case Saved::DestinationExists: {
        ConversionResult result =
            finish(false, loadString(SaveImageError) + u": "_s + DiskError::reason(error));
        result.destinationExists = true;
        return result;
    }
    case Saved::Failed:
        break;
    }
    return finish(false, error != 0
                             ? loadString(SaveImageError) + u": "_s + DiskError::reason(error)
                             : loadString(SaveImageError));
}

// A camera file that the content check takes for a format read blind (PICT, say), and whose size
// that format cannot tell, is read by the RAW reader alone when its name is a RAW file's and
// that reader can size it: the other would decode it unsized.
bool sizedOnlyAsRaw(SourceFile &source, FREE_IMAGE_FORMAT fif, const QString &rawExtensions)
{
    if (fif == FIF_RAW || !ClaimedSize::decodesBlind(fif) ||
        !PathUtil::extensionMatches(source.path(), rawExtensions))
        return false;
    const ClaimedSize claim = ClaimedSize::read(source, fif);
    return (!claim.known || claim.cutShort) && ClaimedSize::read(source, FIF_RAW).known;
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
    return convert(request, std::nullopt);
}

ConversionResult ImagePipeline::convertWithinBudget(const ConversionRequest &request,
                                                    qint64 pixelBudget)
{
    return convert(request, pixelBudget);
}

ImagePipeline::LoadedPicture ImagePipeline::loadPicture(fipImage &image, SourceFile &source,
                                                        int rawBrightness,
                                                        const QString &rawExtensions, int jpegFlags)
{
    // A picture left from an earlier file must never pass for this one.
    image.clear();
    FREE_IMAGE_FORMAT fif = source.identify();
    if (sizedOnlyAsRaw(source, fif, rawExtensions))
        fif = FIF_RAW;
    // The library's JPEG default is its fast decoding, with blocky colour edges; the accurate
    // one, the JPEG library's own default, takes no longer with its vector code.
    image = source.load(fif, fif == FIF_JPEG ? jpegFlags | JPEG_ACCURATE : 0);
    // A reduced read notes the full size among the comments, which the PNG writer would copy.
    // The writers crash on a model left empty, so an empty one goes as a whole.
    if (fif == FIF_JPEG && image.isValid() && jpegFlags >> 16 != 0) {
        FreeImage_SetMetadata(FIMD_COMMENTS, image, "OriginalJPEGWidth", nullptr);
        FreeImage_SetMetadata(FIMD_COMMENTS, image, "OriginalJPEGHeight", nullptr);
        if (FreeImage_GetMetadataCount(FIMD_COMMENTS, image) == 0)
            FreeImage_SetMetadata(FIMD_COMMENTS, image, nullptr, nullptr);
    }
    // The content check takes some camera files for another format (PICT, TARGA).
    if (!image.isValid() && fif != FIF_RAW &&
        PathUtil::extensionMatches(source.path(), rawExtensions)) {
        fif = FIF_RAW;
        image = source.load(FIF_RAW, 0);
    }

    LoadedPicture loaded;
    if (!image.isValid())
        return loaded;
    loaded.raw = fif == FIF_RAW;
    loaded.orientation = Orientation::of(image, source, fif);
    loaded.colourProfile = ColourProfile::of(image);
    if (loaded.raw && !image.toneMapping(FITMO_REINHARD05, double(rawBrightness), 0.0, 0.0, 0.0)) {
        loaded.outcome = LoadedPicture::ToneMappingFailed;
        return loaded;
    }
    loaded.outcome = LoadedPicture::Loaded;
    return loaded;
}

ImagePipeline::LoadedPicture ImagePipeline::loadPicture(fipImage &image, const QString &path,
                                                        int rawBrightness,
                                                        const QString &rawExtensions)
{
    SourceFile source;
    if (!source.open(path)) {
        image.clear();
        return LoadedPicture{};
    }
    return loadPicture(image, source, rawBrightness, rawExtensions);
}

QString ImagePipeline::checkPixelBudget(SourceFile &source, const QString &rawExtensions,
                                        qint64 budget)
{
    const FREE_IMAGE_FORMAT fif = source.identify();
    const ClaimedSize first = ClaimedSize::read(source, fif);
    ClaimedSize claim = first;
    // Where the first reader fails, loadPicture tries the RAW reader: its claim counts as well.
    if (fif != FIF_RAW && PathUtil::extensionMatches(source.path(), rawExtensions))
        claim = ClaimedSize::larger(claim, ClaimedSize::read(source, FIF_RAW));
    if (claim.known && claim.pixels() > quint64(std::max<qint64>(budget, 0)))
        return loadString(PictureTooLarge).arg(claim.width).arg(claim.height);
    if (sizedOnlyAsRaw(source, fif, rawExtensions))
        return QString();
    if (first.cutShort)
        return loadString(PictureCutShort);
    // The first reader runs whatever the RAW reader would say.
    if (!first.known && ClaimedSize::decodesBlind(fif))
        return loadString(PictureSizeUnknown);
    return QString();
}

QString ImagePipeline::checkPixelBudget(const QString &path, const QString &rawExtensions,
                                        qint64 budget)
{
    SourceFile source;
    return source.open(path) ? checkPixelBudget(source, rawExtensions, budget) : QString();
}

QSize ImagePipeline::resizedSize(QSize size, ResizeMode mode, int pixels)
{
    const int width = size.width();
    const int height = size.height();
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
    if (width <= 0 || height <= 0)
        return size;
    const int newWidth = widthGiven ? pixels : mulDiv(width, pixels, height);
    const int newHeight = widthGiven ? mulDiv(height, pixels, width) : pixels;
    // The library refuses sizes below one pixel; the unsigned arguments would otherwise turn a
    // negative size into a huge one.
    return newWidth > 0 && newHeight > 0 ? QSize(newWidth, newHeight) : size;
}

bool ImagePipeline::resizeImage(fipImage &image, ResizeMode mode, int pixels)
{
    if (!image.isValid() || pixels == 0)
        return false;
    const QSize size(int(image.getWidth()), int(image.getHeight()));
    const QSize target = resizedSize(size, mode, pixels);
    if (target == size)
        return true;
    if (!Resampler::catmullRom(image, unsigned(target.width()), unsigned(target.height())))
        image.rescale(unsigned(target.width()), unsigned(target.height()), FILTER_CATMULLROM);
    return image.isValid();
}

int ImagePipeline::jpegShrinkFlags(int longSide)
{
    // The reader takes the size in the upper bits of a signed int. From 1.4 times the size the
    // resampling keeps 40 dB against the full read's: on real photos of 8 to 24 megapixels
    // resized to 1920, the worst was 44.6 dB; twice the size, as before, cost a third more time.
    if (longSide <= 0 || longSide > 0x7FFF * 5 / 7)
        return JPEG_DEFAULT;
    return JPEG_DEFAULT | (longSide * 7 / 5) << 16;
}

int ImagePipeline::jpegShrinkFlags(SourceFile &source, ResizeMode mode, int pixels, int rotation)
{
    if (pixels <= 0 || source.identify() != FIF_JPEG)
        return JPEG_DEFAULT;
    fipImage header;
    header = source.load(FIF_JPEG, FIF_LOAD_NOPIXELS);
    if (!header.isValid())
        return JPEG_DEFAULT;
    const bool sideways =
        Orientation::swapsSides(Orientation::of(header, source, FIF_JPEG)) != (rotation % 180 != 0);
    const QSize stored(int(header.getWidth()), int(header.getHeight()));
    const QSize target = resizedSize(sideways ? stored.transposed() : stored, mode, pixels);
    return jpegShrinkFlags(std::max(target.width(), target.height()));
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
