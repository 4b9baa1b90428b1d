// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/orientation.h"

#include "imaging/imagepipeline.h"
#include "imaging/sourcefile.h"

#include <FreeImagePlus.h>

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <functional>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint16 OrientationTag = 0x0112;
constexpr quint16 ShortType = 3;

// The bytes at offset, fewer where the block ends.
using Reader = std::function<QByteArray(qint64 offset, qint64 size)>;

// Where the orientation entry of a TIFF-structured block's first directory lies: a TIFF file,
// or an EXIF block after its signature. The blocks are hostile: every offset is checked against
// what could be read.
struct FirstDirectory
{
    bool found = false; // a well-formed first directory
    bool bigEndian = false;
    int orientation = 1;    // 1 when the directory has no valid entry
    qint64 valueAt = -1;    // the entry's value, when it is a single SHORT
    qint64 nextLinkAt = -1; // the link to the second directory (an EXIF block's thumbnail)
    int linkSize = 4;
};

FirstDirectory readFirstDirectory(const Reader &read)
{
    FirstDirectory result;
    const QByteArray header = read(0, 16);
    if (header.size() < 8 || (!header.startsWith("II") && !header.startsWith("MM")))
        return result;
    result.bigEndian = header.startsWith("MM");
    const auto u16 = [&](const QByteArray &b, qsizetype at) -> quint64 {
        return result.bigEndian ? qFromBigEndian<quint16>(b.constData() + at)
                                : qFromLittleEndian<quint16>(b.constData() + at);
    };
    const auto u32 = [&](const QByteArray &b, qsizetype at) -> quint64 {
        return result.bigEndian ? qFromBigEndian<quint32>(b.constData() + at)
                                : qFromLittleEndian<quint32>(b.constData() + at);
    };
    const auto u64 = [&](const QByteArray &b, qsizetype at) -> quint64 {
        return result.bigEndian ? qFromBigEndian<quint64>(b.constData() + at)
                                : qFromLittleEndian<quint64>(b.constData() + at);
    };

    const quint64 version = u16(header, 2);
    const bool bigTiff = version == 43;
    if (version != 42 && !(bigTiff && header.size() >= 16))
        return result;
    const quint64 directory = bigTiff ? u64(header, 8) : u32(header, 4);
    const int countSize = bigTiff ? 8 : 2;
    const int entrySize = bigTiff ? 20 : 12;
    result.linkSize = bigTiff ? 8 : 4;
    if (directory > quint64(std::numeric_limits<qint64>::max() / 2))
        return result;
    const QByteArray countBytes = read(qint64(directory), countSize);
    if (countBytes.size() < countSize)
        return result;
    const quint64 count = bigTiff ? u64(countBytes, 0) : u16(countBytes, 0);
    if (count > 0xFFFF)
        return result;
    const qint64 entriesAt = qint64(directory) + countSize;
    const QByteArray entries = read(entriesAt, qint64(count) * entrySize);
    if (entries.size() < qint64(count) * entrySize)
        return result;
    result.found = true;
    result.nextLinkAt = entriesAt + qint64(count) * entrySize;
    for (quint64 i = 0; i < count; ++i) {
        const qsizetype entry = qsizetype(i) * entrySize;
        if (u16(entries, entry) != OrientationTag)
            continue;
        const quint64 values = bigTiff ? u64(entries, entry + 4) : u32(entries, entry + 4);
        if (u16(entries, entry + 2) != ShortType || values != 1)
            return result;
        const qsizetype valueAt = entry + (bigTiff ? 12 : 8);
        const quint64 value = u16(entries, valueAt);
        result.valueAt = entriesAt + valueAt;
        result.orientation = value >= 1 && value <= 8 ? int(value) : 1;
        return result;
    }
    return result;
}

// The raw EXIF block starts with this signature when it comes from a JPEG file.
const QByteArray ExifSignature("Exif\0\0", 6);

// The orientation in the first directory of the TIFF structure that fills start to end of the
// file: a TIFF file, or a WEBP file's EXIF chunk.
int orientationAt(const SourceFile &source, qint64 start, qint64 end)
{
    return readFirstDirectory([&](qint64 offset, qint64 size) {
               QByteArray bytes(std::clamp(end - start - offset, qint64(0), size), '\0');
               bytes.truncate(source.readAt(start + offset, bytes.data(), bytes.size()));
               return bytes;
           })
        .orientation;
}

// Where a WEBP file's EXIF block lies, after the signature some writers put first; empty when
// it has none.
std::pair<qint64, qint64> webpExif(const SourceFile &source)
{
    char chunk[12];
    if (source.readAt(0, chunk, 12) != 12 || QByteArrayView(chunk, 4) != "RIFF" ||
        QByteArrayView(chunk + 8, 4) != "WEBP")
        return {};
    for (qint64 at = 12; source.readAt(at, chunk, 8) == 8;) {
        const qint64 size = qFromLittleEndian<quint32>(chunk + 4);
        if (QByteArrayView(chunk, 4) == "EXIF") {
            const bool signature =
                source.readAt(at + 8, chunk, 6) == 6 && QByteArrayView(chunk, 6) == ExifSignature;
            return {at + 8 + (signature ? 6 : 0), at + 8 + size};
        }
        at += 8 + size + (size & 1); // chunks are padded to an even size
    }
    return {};
}

// The tag's value 1 to 8 as the loader parsed it, or 0 when it has none.
int parsedOrientation(FIBITMAP *dib)
{
    FITAG *tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_EXIF_MAIN, dib, "Orientation", &tag) || !tag ||
        FreeImage_GetTagType(tag) != FIDT_SHORT || FreeImage_GetTagCount(tag) < 1)
        return 0;
    const WORD value = *static_cast<const WORD *>(FreeImage_GetTagValue(tag));
    return value >= 1 && value <= 8 ? int(value) : 0;
}

// Stores a copy of tag, with the value given, in place of the bitmap's tag of that key.
void replaceTag(FIBITMAP *dib, FREE_IMAGE_MDMODEL model, const char *key, FITAG *tag,
                FREE_IMAGE_MDTYPE type, DWORD count, const QByteArray &value)
{
    FITAG *copy = FreeImage_CloneTag(tag);
    FreeImage_SetTagType(copy, type);
    FreeImage_SetTagCount(copy, count);
    FreeImage_SetTagLength(copy, DWORD(value.size()));
    FreeImage_SetTagValue(copy, value.constData());
    FreeImage_SetMetadata(model, dib, key, copy);
    FreeImage_DeleteTag(copy);
}

void setParsedUpright(FIBITMAP *dib)
{
    FITAG *tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_EXIF_MAIN, dib, "Orientation", &tag) || !tag)
        return;
    const WORD one = 1;
    replaceTag(dib, FIMD_EXIF_MAIN, "Orientation", tag, FIDT_SHORT, 1,
               QByteArray(reinterpret_cast<const char *>(&one), sizeof one));
}

void setRawUpright(FIBITMAP *dib)
{
    FITAG *tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_EXIF_RAW, dib, "ExifRaw", &tag) || !tag ||
        !FreeImage_GetTagValue(tag))
        return;
    QByteArray block(static_cast<const char *>(FreeImage_GetTagValue(tag)),
                     qsizetype(FreeImage_GetTagLength(tag)));
    const qsizetype start = block.startsWith(ExifSignature) ? ExifSignature.size() : 0;
    const FirstDirectory first = readFirstDirectory(
        [&](qint64 offset, qint64 size) { return block.mid(start + offset, size); });
    if (!first.found)
        return;
    if (first.valueAt >= 0) {
        char *value = block.data() + start + first.valueAt;
        first.bigEndian ? qToBigEndian<quint16>(1, value) : qToLittleEndian<quint16>(1, value);
    }
    if (start + first.nextLinkAt + first.linkSize <= block.size())
        std::fill_n(block.data() + start + first.nextLinkAt, first.linkSize, '\0');

    replaceTag(dib, FIMD_EXIF_RAW, "ExifRaw", tag, FreeImage_GetTagType(tag),
               FreeImage_GetTagCount(tag), block);
}

void setXmpUpright(FIBITMAP *dib)
{
    FITAG *tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_XMP, dib, "XMLPacket", &tag) || !tag ||
        !FreeImage_GetTagValue(tag))
        return;
    const QByteArray packet(static_cast<const char *>(FreeImage_GetTagValue(tag)),
                            qsizetype(FreeImage_GetTagLength(tag)));
    // As an attribute or as an element.
    static const QRegularExpression orientation(
        uR"((?:tiff:Orientation\s*=\s*["']|<tiff:Orientation>\s*)([2-8]))"_s);
    QString text = QString::fromUtf8(packet);
    bool turned = false;
    for (auto match = orientation.globalMatch(text); match.hasNext();) {
        text[match.next().capturedStart(1)] = u'1';
        turned = true;
    }
    if (!turned)
        return;
    const QByteArray upright = text.toUtf8();
    replaceTag(dib, FIMD_XMP, "XMLPacket", tag, FreeImage_GetTagType(tag), DWORD(upright.size()),
               upright);
}

} // namespace

int Orientation::of(const fipImage &image, const SourceFile &source, FREE_IMAGE_FORMAT fif)
{
    // The RAW loader turns the picture itself.
    if (fif == FIF_RAW)
        return 1;
    if (fif == FIF_TIFF)
        return orientationAt(source, 0, source.size());
    // The library's WEBP reader parses only an EXIF block that starts with the signature, as its
    // writer makes it; other writers start with the TIFF header.
    if (fif == FIF_WEBP) {
        const auto [start, end] = webpExif(source);
        return orientationAt(source, start, end);
    }
    const int parsed = parsedOrientation(static_cast<FIBITMAP *>(const_cast<fipImage &>(image)));
    return parsed == 0 ? 1 : parsed;
}

bool Orientation::swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

void Orientation::apply(fipImage &image, int orientation, int angle)
{
    // What makes each orientation upright: a mirror left to right first, then quarter turns to
    // the left.
    static constexpr struct
    {
        bool mirror;
        int quarters;
    } Upright[9] = {{false, 0}, {false, 0}, {true, 0}, {false, 2}, {true, 2},
                    {true, 1},  {false, 3}, {true, 3}, {false, 1}};
    const auto fix = Upright[orientation >= 1 && orientation <= 8 ? orientation : 1];
    const int quarters = (((fix.quarters + angle / 90) % 4) + 4) % 4;
    if (!image.isValid())
        return;
    if (fix.mirror && quarters == 2) {
        image.flipVertical(); // in place
    } else {
        if (fix.mirror) {
            // The library mirrors 4-bit rows of odd width off by a pixel.
            if (image.getImageType() == FIT_BITMAP && image.getBitsPerPixel() == 4)
                image.convertTo8Bits();
            image.flipHorizontal();
        }
        ImagePipeline::rotate(image, quarters * 90);
    }
    if (fix.mirror || fix.quarters != 0 || quarters != 0)
        markUpright(image);
}

void Orientation::markUpright(fipImage &image)
{
    auto *dib = static_cast<FIBITMAP *>(image);
    if (!dib)
        return;
    setParsedUpright(dib);
    setRawUpright(dib);
    setXmpUpright(dib);
}
