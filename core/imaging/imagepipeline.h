// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/conversionoptions.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

class SourceFile;
class fipImage;

// One picture to convert: plain data in, plain data out, so that it can run anywhere (a later
// version runs it in a worker process, since the image library crashes on some damaged files).
struct ConversionRequest
{
    QString sourcePath;
    QString destinationPath; // DestinationPath of the item; ends with the output extension
    ConversionOptions options;
    int rotation = 0; // degrees, a multiple of 90 from -270 to 270; positive turns left
    // Names this run wrote in the destination folder that a disk may take for this picture's
    // (they differ in case or form): if the destination is one of those files, it is kept.
    QStringList writtenNames{};
};

struct ConversionResult
{
    bool ok = false;
    QString resultMessage;  // "End of conversion!" or the reason of the failure
    QString libraryMessage; // the image library's last message during this conversion, or empty
    // With "Replace files" off, the destination existed when the picture was to be moved there;
    // it was left as it was.
    bool destinationExists = false;
    // The destination was the file written earlier in the run under this name (writtenNames);
    // it was left as it was.
    QString sameFileAs{};
    // The picture was written, but without the source's metadata: why, in words.
    QString metadataNote{};
};

// Load, tone-map (RAW), turn upright and by the user's turns, resize, gray, adapt the depth, strip
// metadata (never the colour profile) and save.
// Thread: the caller's; uses no widget and no global state beyond the library message.
class ImagePipeline
{
public:
    // The picture is moved into place only when finished, and never over the source itself
    // (another name of the same file); with "Replace files" off, never over any existing file,
    // also one that appeared while the picture was made.
    static ConversionResult convertOne(const ConversionRequest &request);
    // The same, but a picture whose header claims more than pixelBudget pixels is refused
    // before a pixel is decoded (checkPixelBudget), with the reason in both messages.
    static ConversionResult convertWithinBudget(const ConversionRequest &request,
                                                qint64 pixelBudget);

    struct LoadedPicture
    {
        enum Outcome
        {
            Loaded,
            NotLoaded,
            ToneMappingFailed
        } outcome = NotLoaded;
        bool raw = false;         // read by the RAW loader (and so tone-mapped)
        int orientation = 1;      // the EXIF orientation the pixels are stored in
        QByteArray colourProfile; // the ICC profile, which later steps would drop
    };
    // Loads a user's file: by content first, then, when that fails and the extension is in
    // rawExtensions, with the RAW loader. A RAW picture is tone-mapped at once with the
    // brightness given. Shared by the conversion and the previews. jpegFlags are the JPEG
    // reader's load flags (jpegShrinkFlags), used only when the file is read as a JPEG.
    static LoadedPicture loadPicture(fipImage &image, SourceFile &source, int rawBrightness,
                                     const QString &rawExtensions, int jpegFlags = 0);
    // The same for a path; a file that cannot be opened safely is not loaded.
    static LoadedPicture loadPicture(fipImage &image, const QString &path, int rawBrightness,
                                     const QString &rawExtensions);

    // Refuses a picture whose header claims more than budget pixels, before a pixel is decoded:
    // a file of a few kilobytes can claim a size that takes minutes and gigabytes to decode.
    // Reads only the header (ClaimedSize), of the reader loadPicture tries first and of the RAW
    // reader it may try next. Also refused: a picture whose first reader decodes blind when its
    // size cannot be read, and one whose reader would never finish on a file cut short. Empty
    // when the picture may be decoded, also when a reader that reads headers alone cannot tell
    // its size (it then reports what is wrong itself); otherwise the reason, in words for the
    // user.
    static QString checkPixelBudget(SourceFile &source, const QString &rawExtensions,
                                    qint64 budget);
    static QString checkPixelBudget(const QString &path, const QString &rawExtensions,
                                    qint64 budget);

    // The size a resize gives a picture of this size; the size itself when the result would
    // be below one pixel.
    static QSize resizedSize(QSize size, ResizeMode mode, int pixels);
    // Resamples with Catmull-Rom: in fixed point for 8-bit gray, 24 and 32-bit bitmaps
    // (Resampler), by the library for every other kind.
    static bool resizeImage(fipImage &image, ResizeMode mode, int pixels);
    // The JPEG reader's flags to decode at the smallest of 1, 1/2, 1/4 and 1/8 of the size that
    // still leaves at least 1.4 times longSide on the long side, so that the resampling that
    // follows keeps its quality; full size for longSide <= 0.
    static int jpegShrinkFlags(int longSide);
    // Those flags for the file when it is a JPEG to be resized so: its header and orientation are
    // read (the resize comes after turning it upright and by rotation degrees). 0 otherwise.
    static int jpegShrinkFlags(SourceFile &source, ResizeMode mode, int pixels, int rotation);
    // Turns left for positive angles; also the depths the library refuses to turn.
    static void rotate(fipImage &image, int angle);
    // Gray for every depth, also 16 bits or floats a channel, which the library leaves as is.
    static void makeGray(fipImage &image, bool raw);
    // Down to a standard bitmap of 24 bits, 32 with alpha, or 8-bit gray for one channel.
    static void toStandardBitmap(fipImage &image);
    // The JPEG save flag for a quality slider position 0 to 20.
    static int jpegQualityFlag(int position);
};
