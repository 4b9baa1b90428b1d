// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/colourprofile.h"
#include "imaging/imagepipeline.h"
#include "imaging/pngwriter.h"
#include "imaging/webpwriter.h"

#include "qtprinters.h"
#include "testpictures.h"

#include <FreeImagePlus.h>

#include <QColorSpace>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

void setBlock(fipImage &image, FREE_IMAGE_MDMODEL model, const char *key, const QByteArray &value)
{
    fipTag tag;
    tag.setKey(key);
    tag.setType(model == FIMD_EXIF_RAW ? FIDT_BYTE : FIDT_ASCII);
    tag.setLength(DWORD(value.size()));
    tag.setCount(DWORD(value.size()));
    tag.setValue(value.constData());
    image.setMetadata(model, key, tag);
}

// The program's own PNG and WEBP writers, read back by the image library: the size and depth, the
// pixels (the same in PNG; in WEBP within what its compression loses, where rows upside down or
// channels swapped lose far more), and what the library's writer would have kept: the colour
// profile, the XMP, a PNG's resolution and comments, a WEBP's EXIF block; rows whose width is not
// a multiple of four bytes. A full disk is the system's error.
TEST(Writers, WriteThePicturesAndBlocksTheLibraryWouldAndReportAFullDisk)
{
    const auto write = [](fipImage &image, FREE_IMAGE_FORMAT format, std::FILE *file, int &error) {
        return format == FIF_PNG ? PngWriter::write(image, file, error)
                                 : WebpWriter::write(image, 75, file, error);
    };
    QTemporaryDir dir;
    const QByteArray p3 = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    const QByteArray xmp = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";
    const QByteArray exif("Exif\0\0MM\0*\0\0\0\x08\0\0\0\0\0\0", 20);
    const std::pair<FREE_IMAGE_FORMAT, unsigned> kinds[] = {
        {FIF_PNG, 8}, {FIF_PNG, 24}, {FIF_PNG, 32}, {FIF_WEBP, 24}, {FIF_WEBP, 32}};
    for (const auto &[format, bpp] : kinds) {
        const QString path =
            dir.filePath(u"out%1.%2"_s.arg(bpp).arg(format == FIF_PNG ? u"png"_s : u"webp"_s));
        const QString source = writePhotoLikePicture(dir.filePath(u"in.png"_s), 67, 45, bpp);
        fipImage picture = readPicture(source);
        ColourProfile::attach(picture, p3);
        FreeImage_SetDotsPerMeterX(picture, 3780);
        FreeImage_SetDotsPerMeterY(picture, 1890);
        setBlock(picture, FIMD_COMMENTS, "Title", "harbour");
        setBlock(picture, FIMD_XMP, "XMLPacket", xmp);
        setBlock(picture, FIMD_EXIF_RAW, "ExifRaw", exif);
        // A writer may let the pixels go; the picture is read again for what follows.
        fipImage again = readPicture(source);
        std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
        int error = -1;
        EXPECT_TRUE(write(picture, format, file, error) && error == 0);
        std::fclose(file);

        fipImage back = readPicture(path);
        EXPECT_EQ(std::tuple(back.getWidth(), back.getHeight(), back.getBitsPerPixel()),
                  std::tuple(67u, 45u, bpp));
        EXPECT_GE(psnr(again, back), format == FIF_PNG ? 99 : 25) << path.toStdString();
        // The library does not read a PNG's profile; Qt does.
        const QByteArray profile =
            format == FIF_PNG ? QImage(path).colorSpace().iccProfile() : ColourProfile::of(back);
        // An RGB profile does not describe gray.
        EXPECT_EQ(std::tuple(profile, metadataTag(back, FIMD_XMP, "XMLPacket")),
                  std::tuple(bpp == 8 ? QByteArray() : p3, xmp));
        if (format == FIF_PNG)
            EXPECT_EQ(std::tuple(FreeImage_GetDotsPerMeterX(back), FreeImage_GetDotsPerMeterY(back),
                                 metadataTag(back, FIMD_COMMENTS, "Title")),
                      std::tuple(3780u, 1890u, QByteArray("harbour")));
        else
            EXPECT_EQ(metadataTag(back, FIMD_EXIF_RAW, "ExifRaw"), exif);

        std::FILE *full = std::fopen("/dev/full", "wb");
        std::setvbuf(full, nullptr, _IONBF, 0);
        EXPECT_EQ(std::pair(write(again, format, full, error), error), std::pair(false, ENOSPC));
        std::fclose(full);
    }
}

// A gray picture with a transparent shade is not plain gray: the library's writer keeps the
// shade, with a palette.
TEST(Writers, AGrayPictureKeepsItsTransparentShade)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(u"in.png"_s), out = dir.filePath(u"out.png"_s);
    fipImage gray = readPicture(writePhotoLikePicture(in, 16, 8, 8));
    BYTE blackIsClear[] = {0}; // the other shades stay opaque
    gray.setTransparencyTable(blackIsClear, 1);
    ASSERT_TRUE(gray.save(QFile::encodeName(in).constData()) &&
                ImagePipeline::convertOne({in, out, {}, 0}).ok);
    EXPECT_GT(readPicture(out).getTransparencyCount(), 0u);
}

} // namespace
