// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "testpictures.h"

#include <FreeImagePlus.h>

// Exiv2 0.27 hands its images out in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <QFile>
#include <QPoint>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <functional>
#include <initializer_list>
#include <sys/stat.h>
#include <tuple>

namespace {

// The test picture of the size given, stored turned or mirrored so that the EXIF orientation
// 1 to 8 undoes it.
FIBITMAP *testBitmap(int w, int h, int orientation)
{
    const bool sideways = orientation >= 5;
    const int sw = sideways ? h : w, sh = sideways ? w : h; // as stored
    FIBITMAP *dib = FreeImage_Allocate(sw, sh, 24);
    for (int y = 0; y < sh; ++y) {
        BYTE *line = FreeImage_GetScanLine(dib, sh - 1 - y); // rows are stored bottom-up
        for (int x = 0; x < sw; ++x) {
            // Where the stored pixel x, y is shown, by the tag's definition.
            const QPoint shown[] = {
                {x, y},          {x, y}, {sw - 1 - x, y}, {sw - 1 - x, sh - 1 - y},
                {x, sh - 1 - y}, {y, x}, {sh - 1 - y, x}, {sh - 1 - y, sw - 1 - x},
                {y, sw - 1 - x}};
            const QPoint at = shown[orientation];
            const bool corner = at.x() < w / 4 && at.y() < h / 4;
            BYTE *pixel = line + x * 3;
            pixel[FI_RGBA_RED] = corner || at.x() < w / 2 ? 255 : 0;
            pixel[FI_RGBA_GREEN] = corner ? 255 : 0;
            pixel[FI_RGBA_BLUE] = corner || at.x() >= w / 2 ? 255 : 0;
        }
    }
    return dib;
}

// Edits the metadata of a picture file in place through Exiv2.
bool editMetadata(const QString &path, const std::function<void(Exiv2::Image &)> &edit)
{
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        edit(*image);
        image->writeMetadata();
        return true;
    } catch (const Exiv2::Error &) {
        return false;
    }
}

} // namespace

fipImage readPicture(const QString &path)
{
    fipImage image;
    const QByteArray name = QFile::encodeName(path);
    // A JPEG as the program reads it: accurately, not the library's fast default.
    image.load(name.constData(),
               fipImage::identifyFIF(name.constData()) == FIF_JPEG ? JPEG_ACCURATE : 0);
    return image;
}

double psnr(const fipImage &a, const fipImage &b)
{
    if (a.getLine() != b.getLine() || a.getHeight() != b.getHeight())
        return 0;
    double sum = 0;
    for (unsigned y = 0; y < a.getHeight(); ++y)
        for (unsigned i = 0; i < a.getLine(); ++i)
            sum += std::pow(a.getScanLine(y)[i] - b.getScanLine(y)[i], 2);
    return sum == 0 ? 99 : 10 * std::log10(65025.0 * a.getLine() * a.getHeight() / sum);
}

QByteArray metadataTag(fipImage &image, FREE_IMAGE_MDMODEL model, const char *key)
{
    FITAG *tag = nullptr;
    if (!image.isValid() || !FreeImage_GetMetadata(model, image, key, &tag) || !tag)
        return {};
    return {static_cast<const char *>(FreeImage_GetTagValue(tag)),
            qsizetype(FreeImage_GetTagLength(tag))};
}

QString writeTestPicture(const QString &path, int w, int h, FREE_IMAGE_FORMAT format, int saveFlags)
{
    FIBITMAP *dib = testBitmap(w, h, 1);
    const bool saved = FreeImage_Save(format, dib, QFile::encodeName(path).constData(), saveFlags);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

QString writePhotoLikePicture(const QString &path, int w, int h, unsigned bpp)
{
    fipImage image(FIT_BITMAP, unsigned(w), unsigned(h), bpp == 8 ? 24 : bpp);
    quint32 noise = 12345;
    for (int y = 0; y < h; ++y) {
        BYTE *line = image.getScanLine(unsigned(y));
        for (int x = 0; x < w; ++x) {
            const int grain = int((noise = noise * 1664525u + 1013904223u) >> 28) - 8;
            const bool shape = (x / 37 + y / 23) % 5 == 0 || std::abs(x - y * 2) < 3;
            BYTE *p = line + x * (bpp == 32 ? 4 : 3);
            p[FI_RGBA_RED] = BYTE(std::clamp(x * 255 / w + grain, 0, 255));
            p[FI_RGBA_GREEN] = BYTE(shape ? 230 : std::clamp(y * 200 / h + grain, 0, 255));
            p[FI_RGBA_BLUE] = BYTE(shape ? 20 : std::clamp((x + y) % 256 + grain, 0, 255));
            if (bpp == 32)
                p[FI_RGBA_ALPHA] = BYTE(y * 255 / h);
        }
    }
    if (bpp == 8)
        image.convertToGrayscale();
    if (path.endsWith(u".gif")) // a palette of colours, the only kind GIF holds
        image.colorQuantize(FIQ_WUQUANT);
    return image.save(QFile::encodeName(path).constData()) ? path : QString();
}

QString writeOrientedPicture(const QString &path, QSize upright, int orientation,
                             FREE_IMAGE_FORMAT format, const QByteArray &iccProfile)
{
    FIBITMAP *dib = testBitmap(upright.width(), upright.height(), orientation);
    if (!iccProfile.isEmpty()) {
        QByteArray profile = iccProfile;
        FreeImage_CreateICCProfile(dib, profile.data(), long(profile.size()));
    }
    const bool saved = FreeImage_Save(format, dib, QFile::encodeName(path).constData(),
                                      format == FIF_JPEG ? JPEG_QUALITYSUPERB : 0);
    FreeImage_Unload(dib);
    // The tag as other programs write it; also in the XMP packet, where some viewers look first.
    const auto tag = [orientation](Exiv2::Image &image) {
        image.exifData()["Exif.Image.Orientation"] = uint16_t(orientation);
        image.xmpData()["Xmp.tiff.Orientation"] = std::to_string(orientation);
    };
    return saved && editMetadata(path, tag) ? path : QString();
}

bool writeConvertFolders(const QString &source, const QString &destination)
{
    for (const char *name : {"a.png", "A.jpg", "photo.png", "tree.png"})
        if (writeTestPicture(source + u'/' + QLatin1StringView(name), 64, 48).isEmpty())
            return false;
    QFile taken(destination + QLatin1StringView("/photo.jpg"));
    return taken.open(QIODevice::WriteOnly) && taken.write("taken") == 5;
}

namespace {

// The values one after the other, little-endian unless asked otherwise.
template <typename T, bool Big = false> QByteArray bytesOf(std::initializer_list<T> values)
{
    QByteArray bytes;
    for (T value : values) {
        char b[sizeof(T)];
        Big ? qToBigEndian(value, b) : qToLittleEndian(value, b);
        bytes.append(b, sizeof(T));
    }
    return bytes;
}

QByteArray jp2Box(const char *type, const QByteArray &content)
{
    return bytesOf<quint32, true>({quint32(8 + content.size())}) + QByteArray(type, 4) + content;
}

} // namespace

QByteArray makeTestDng(quint32 width, quint32 height)
{
    QByteArray pixels;
    for (quint32 y = 0; y < height; ++y)
        for (quint32 x = 0; x < width; ++x)
            pixels += bytesOf<quint16>({quint16(4000 + 400 * x)});
    // Tag, type, count and value of each entry.
    // clang-format off
    const std::tuple<quint16, quint16, quint32, QByteArray> entries[] = {
        {256, 4, 1, bytesOf<quint32>({width})}, {257, 4, 1, bytesOf<quint32>({height})},
        {258, 3, 1, bytesOf<quint16>({16})}, {259, 3, 1, bytesOf<quint16>({1})},
        {262, 3, 1, bytesOf<quint16>({32803})}, // colour filter array
        {273, 4, 1, bytesOf<quint32>({8})},     // the pixels follow the header
        {277, 3, 1, bytesOf<quint16>({1})}, {278, 4, 1, bytesOf<quint32>({height})},
        {279, 4, 1, bytesOf<quint32>({quint32(pixels.size())})},
        {33421, 3, 2, bytesOf<quint16>({2, 2})},
        {33422, 1, 4, QByteArray("\0\1\1\2", 4)}, // RGGB
        {50706, 1, 4, QByteArray("\1\4\0\0", 4)}, // DNG 1.4
    };
    // clang-format on
    QByteArray file = QByteArray("II*\0", 4) + bytesOf<quint32>({8 + quint32(pixels.size())});
    file += pixels + bytesOf<quint16>({quint16(std::size(entries))});
    for (const auto &[tag, type, count, value] : entries)
        file += bytesOf<quint16>({tag, type}) + bytesOf<quint32>({count}) +
                value.leftJustified(4, '\0');
    return file + bytesOf<quint32>({0});
}

QByteArray makeTestGif(QSize screen, const QList<QSize> &frames)
{
    // A global colour table of two entries follows the logical screen descriptor.
    QByteArray file = "GIF89a" +
                      bytesOf<quint16>({quint16(screen.width()), quint16(screen.height())}) +
                      QByteArray::fromHex("800000 000000ffffff");
    for (const QSize &frame : frames) {
        file += QByteArray("\x21\xf9\x04\0\0\0\0\0", 8);
        file += '\x2c' + bytesOf<quint16>({0, 0, quint16(frame.width()), quint16(frame.height())});
        file += QByteArray("\0\x02\x02\x4c\x01\0", 6); // packed, code size, one sub-block
    }
    return file + '\x3b';
}

QByteArray makeTestJ2k(QSize size, QPoint origin)
{
    const quint32 w = quint32(size.width()), h = quint32(size.height());
    // SOC, SIZ of one 8-bit component in one tile, EOC.
    return QByteArray("\xff\x4f\xff\x51", 4) + bytesOf<quint16, true>({41, 0}) +
           bytesOf<quint32, true>({w, h, quint32(origin.x()), quint32(origin.y()), w, h, 0, 0}) +
           bytesOf<quint16, true>({1}) + QByteArray("\x07\x01\x01\xff\xd9", 5);
}

QByteArray makeTestJp2(QSize header, const QByteArray &codestream)
{
    const QByteArray ihdr =
        bytesOf<quint32, true>({quint32(header.height()), quint32(header.width())}) +
        QByteArray("\0\x01\x07\x07\0\0", 6);
    return QByteArray("\0\0\0\x0cjP  \r\n\x87\n", 12) +
           jp2Box("ftyp", QByteArray("jp2 \0\0\0\0jp2 ", 12)) +
           jp2Box("jp2h",
                  jp2Box("ihdr", ihdr) + jp2Box("colr", QByteArray("\x01\0\0\0\0\0\x11", 7))) +
           jp2Box("jp2c", codestream);
}

bool writeDatedPicture(const QString &path, const char *dateTime, const char *subSeconds,
                       qint64 modified)
{
    if (writeTestPicture(path, 16, 12, FIF_JPEG).isEmpty())
        return false;
    if (*dateTime && !editMetadata(path, [dateTime, subSeconds](Exiv2::Image &image) {
            image.exifData()["Exif.Photo.DateTimeOriginal"] = dateTime;
            if (*subSeconds)
                image.exifData()["Exif.Photo.SubSecTimeOriginal"] = subSeconds;
        }))
        return false;
    const timespec times[2] = {{modified, 0}, {modified, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}
