// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/pngwriter.h"

#include <FreeImagePlus.h>
#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <vector>

namespace {

struct Sink
{
    std::FILE *file = nullptr;
    int error = 0;
};

void writeData(png_structp png, png_bytep data, size_t size)
{
    auto *sink = static_cast<Sink *>(png_get_io_ptr(png));
    errno = 0;
    if (std::fwrite(data, 1, size, sink->file) != size) {
        sink->error = errno != 0 ? errno : EIO;
        png_error(png, "write failed");
    }
}

void flushData(png_structp) {}

// The failure is told by the result; libpng would print it.
[[noreturn]] void fail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// What the file says besides its pixels, gathered before the encoder runs.
struct Chunks
{
    std::vector<png_text> texts;
    const FIICCPROFILE *profile = nullptr;
    png_color_16 background{};
    bool hasBackground = false;
};

Chunks chunksOf(FIBITMAP *dib)
{
    Chunks chunks;
    // As the library's writer: each comment and the XMP packet as an uncompressed iTXt chunk.
    const auto text = [](const char *key, FITAG *tag) {
        png_text entry{};
        entry.compression = PNG_ITXT_COMPRESSION_NONE;
        entry.key = const_cast<char *>(key);
        entry.text = static_cast<char *>(const_cast<void *>(FreeImage_GetTagValue(tag)));
        entry.itxt_length = FreeImage_GetTagLength(tag);
        return entry;
    };
    FITAG *tag = nullptr;
    if (FIMETADATA *found = FreeImage_FindFirstMetadata(FIMD_COMMENTS, dib, &tag)) {
        do
            chunks.texts.push_back(text(FreeImage_GetTagKey(tag), tag));
        while (FreeImage_FindNextMetadata(found, &tag));
        FreeImage_FindCloseMetadata(found);
    }
    if (FreeImage_GetMetadata(FIMD_XMP, dib, "XMLPacket", &tag) && tag &&
        FreeImage_GetTagLength(tag) > 0)
        chunks.texts.push_back(text("XML:com.adobe.xmp", tag));
    const FIICCPROFILE *profile = FreeImage_GetICCProfile(dib);
    if (profile && profile->data && profile->size > 0)
        chunks.profile = profile;
    RGBQUAD background;
    if (FreeImage_HasBackgroundColor(dib) && FreeImage_GetBackgroundColor(dib, &background)) {
        chunks.hasBackground = true;
        chunks.background.red = background.rgbRed;
        chunks.background.green = background.rgbGreen;
        chunks.background.blue = background.rgbBlue;
    }
    return chunks;
}

// libpng reports its errors by longjmp: between the setjmp and the end of this function there is
// no object whose destructor a jump could skip.
bool encode(png_structp png, png_infop info, FIBITMAP *dib, Chunks &chunks)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    const png_uint_32 width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    const unsigned bpp = FreeImage_GetBPP(dib);
    png_set_IHDR(png, info, width, height, 8,
                 bpp == 8    ? PNG_COLOR_TYPE_GRAY
                 : bpp == 32 ? PNG_COLOR_TYPE_RGBA
                             : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    const png_uint_32 xRes = FreeImage_GetDotsPerMeterX(dib),
                      yRes = FreeImage_GetDotsPerMeterY(dib);
    if (xRes > 0 && yRes > 0)
        png_set_pHYs(png, info, xRes, yRes, PNG_RESOLUTION_METER);
    if (chunks.profile) {
        // The profile is the picture's own, whatever libpng thinks of it.
        png_set_option(png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
        png_set_benign_errors(png, 1);
        png_set_iCCP(png, info, "Embedded Profile", PNG_COMPRESSION_TYPE_BASE,
                     static_cast<png_const_bytep>(chunks.profile->data),
                     png_uint_32(chunks.profile->size));
    }
    if (!chunks.texts.empty())
        png_set_text(png, info, chunks.texts.data(), int(chunks.texts.size()));
    if (chunks.hasBackground)
        png_set_bKGD(png, info, &chunks.background);

    // Paeth predicts a photo's rows best of the single filters; after it the residues hold few
    // repeated strings worth searching for, so runs alone compress them almost as far.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
#if FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR
    if (bpp != 8)
        png_set_bgr(png);
#endif
    for (png_uint_32 row = 0; row < height; ++row)
        png_write_row(png, FreeImage_GetScanLine(dib, int(height - 1 - row)));
    png_write_end(png, info);
    return true;
}

} // namespace

bool PngWriter::takes(fipImage &image)
{
    if (image.getImageType() != FIT_BITMAP)
        return false;
    // Gray with a transparent shade is written with a palette by the library.
    const FREE_IMAGE_COLOR_TYPE colour = image.getColorType();
    return (image.getBitsPerPixel() == 8 && colour == FIC_MINISBLACK && !image.isTransparent()) ||
           (image.getBitsPerPixel() == 24 && colour == FIC_RGB) ||
           (image.getBitsPerPixel() == 32 && colour == FIC_RGBALPHA);
}

bool PngWriter::write(fipImage &image, std::FILE *file, int &error)
{
    error = 0;
    if (!takes(image) || image.getWidth() == 0 || image.getHeight() == 0)
        return false;
    FIBITMAP *dib = image;
    Chunks chunks = chunksOf(dib);
    Sink sink{file};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info) {
        png_set_write_fn(png, &sink, writeData, flushData);
        written = encode(png, info, dib, chunks);
    }
    png_destroy_write_struct(&png, &info);
    error = sink.error;
    return written;
}
