// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/picturemetadata.h"

#include "imaging/sourcefile.h"
#include "strings/stringtable.h"

// Exiv2 0.27 hands its images out in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

#include <QByteArray>
#include <QtEndian>

#include <cerrno>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// An APP1 segment holds 65533 bytes after its length, "Exif\0\0" included.
constexpr size_t JpegExifLimit = 65533 - 6;

// What Exiv2 said while reading: it reports a block it cannot decode only in its log.
thread_local bool g_complained = false;

void noteComplaint(int level, const char *)
{
    if (level >= Exiv2::LogMsg::warn)
        g_complained = true;
}

void setUpOnce()
{
    static const bool done = [] {
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
        Exiv2::LogMsg::setHandler(noteComplaint);
        return true;
    }();
    Q_UNUSED(done);
}

// Tags that describe how the source stored its pixels (or a RAW file's previews), which the
// converted file stores its own way, and blocks carried elsewhere: the colour profile, XMP, IPTC.
bool describesStorage(const Exiv2::Exifdatum &datum)
{
    const std::string group = datum.groupName();
    if (group == "Thumbnail" || group.starts_with("SubImage") || group.starts_with("SubThumb") ||
        (group.starts_with("Image") && group != "Image"))
        return true;
    if (group != "Image")
        return false;
    const uint16_t tag = datum.tag();
    switch (tag) {
    case 254:
    case 255:
    case 256:
    case 257:
    case 258:
    case 259:
    case 262:
    case 263:
    case 266:
    case 273:
    case 277:
    case 278:
    case 279:
    case 280:
    case 281:
    case 284:
    case 317:
    case 320:
    case 322:
    case 323:
    case 324:
    case 325:
    case 330:
    case 338:
    case 339:
    case 513:
    case 514:
    case 529:
    case 530:
    case 532:
    case 700:
    case 33421:
    case 33422:
    case 33723:
    case 34377:
    case 34675:
        return true;
    default:
        return tag >= 50706 && tag <= 52600; // DNG's own
    }
}

// PNG's CRC-32, bit by bit: the blocks are a few kilobytes.
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const char *type, const Exiv2::Blob &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    chunk.append(type, 4).append(reinterpret_cast<const char *>(data.data()),
                                 qsizetype(data.size()));
    QByteArray crcBytes(4, '\0');
    qToBigEndian(crc32(chunk.sliced(4)), crcBytes.data());
    return chunk + crcBytes;
}

int readWhole(int fd, QByteArray &bytes)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        return errno;
    bytes.resize(qsizetype(status.st_size));
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(bytes.size() - done), done);
        if (got <= 0)
            return got < 0 ? errno : EIO;
        done += got;
    }
    return 0;
}

// Writes the parts one after the other from the start of the file, and cuts it there.
int writeWhole(int fd, std::initializer_list<QByteArrayView> parts)
{
    off_t at = 0;
    for (const QByteArrayView part : parts) {
        for (qsizetype done = 0; done < part.size();) {
            const ssize_t put = ::pwrite(fd, part.data() + done, size_t(part.size() - done), at);
            if (put < 0)
                return errno;
            done += put;
            at += put;
        }
    }
    return ::ftruncate(fd, at) == 0 ? 0 : errno;
}

} // namespace

struct PictureMetadata::Blocks
{
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
};

PictureMetadata::PictureMetadata()
    : m_blocks(std::make_unique<Blocks>())
{}
PictureMetadata::~PictureMetadata() = default;
PictureMetadata::PictureMetadata(PictureMetadata &&) noexcept = default;
PictureMetadata &PictureMetadata::operator=(PictureMetadata &&) noexcept = default;

bool PictureMetadata::isEmpty() const
{
    return m_blocks->exif.empty() && m_blocks->xmp.empty() && m_blocks->iptc.empty();
}

PictureMetadata PictureMetadata::read(const SourceFile &source)
{
    PictureMetadata metadata;
    if (source.descriptor() < 0)
        return metadata;
    // The opened file itself, never the name again: it may have been swapped since.
    const std::string path = "/proc/self/fd/" + std::to_string(source.descriptor());
    try {
        setUpOnce();
        if (Exiv2::ImageFactory::getType(path) == Exiv2::ImageType::none)
            return metadata;
        metadata.m_known = true;
        g_complained = false;
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
        image->readMetadata();
        Blocks &blocks = *metadata.m_blocks;
        blocks.exif = image->exifData();
        blocks.xmp = image->xmpData();
        blocks.iptc = image->iptcData();
        // A block Exiv2 could not decode at all is left out with a warning.
        if (g_complained && blocks.exif.empty())
            throw Exiv2::Error(Exiv2::kerCorruptedMetadata);
        Exiv2::ExifThumb(blocks.exif).erase();
        for (auto datum = blocks.exif.begin(); datum != blocks.exif.end();)
            datum = describesStorage(*datum) ? blocks.exif.erase(datum) : std::next(datum);
    } catch (...) {
        *metadata.m_blocks = Blocks{};
        metadata.m_failure = loadString(MetadataDamaged);
    }
    return metadata;
}

PictureMetadata::Written PictureMetadata::writeInto(int fd, FREE_IMAGE_FORMAT fif, QSize size) const
{
    Written written;
    QByteArray bytes;
    if (isEmpty() || (written.error = readWhole(fd, bytes)) != 0)
        return written;
    try {
        setUpOnce();
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(bytes.constData()), long(bytes.size()));
        // Exiv2 reads from bytes in place until it writes: they stay until the end.
        // The picture's own blocks, its colour profile among them, are what the writer keeps.
        image->readMetadata();
        Exiv2::ExifData exif = m_blocks->exif;
        Exiv2::XmpData xmp = m_blocks->xmp;
        if (!exif.empty()) {
            exif["Exif.Image.Orientation"] = uint16_t(1);
            exif["Exif.Photo.PixelXDimension"] = uint32_t(size.width());
            exif["Exif.Photo.PixelYDimension"] = uint32_t(size.height());
        }
        const std::pair<const char *, int> xmpFacts[] = {
            {"Xmp.tiff.Orientation", 1},
            {"Xmp.tiff.ImageWidth", size.width()},
            {"Xmp.tiff.ImageLength", size.height()},
            {"Xmp.exif.PixelXDimension", size.width()},
            {"Xmp.exif.PixelYDimension", size.height()}};
        for (const auto &[key, value] : xmpFacts)
            if (xmp.findKey(Exiv2::XmpKey(key)) != xmp.end())
                xmp[key] = std::to_string(value);

        Exiv2::Blob exifBlock;
        g_complained = false;
        if (!exif.empty() && (fif == FIF_JPEG || fif == FIF_PNG))
            Exiv2::ExifParser::encode(exifBlock, Exiv2::littleEndian, exif);
        // To fit a JPEG segment, Exiv2 leaves out the largest tags, saying so only in its log.
        if (fif == FIF_JPEG && (g_complained || exifBlock.size() > JpegExifLimit)) {
            written.failure = loadString(MetadataTooLarge);
            return written;
        }
        // Exiv2 0.27 writes a PNG's EXIF as text that few readers know: it goes in the
        // standard eXIf chunk instead.
        if (fif == FIF_PNG)
            image->clearExifData();
        else
            image->setExifData(exif);
        image->setXmpData(xmp);
        image->setIptcData(m_blocks->iptc);
        image->writeMetadata();

        // The new content is read where Exiv2 holds it, not copied again.
        Exiv2::BasicIo &io = image->io();
        const auto *content = reinterpret_cast<const char *>(io.mmap());
        const qsizetype size = qsizetype(io.size());
        // eXIf goes before the pixels: right after the header chunk.
        constexpr qsizetype AfterHeader = 8 + 25;
        const QByteArray chunk = fif == FIF_PNG && !exifBlock.empty() && size > AfterHeader
                                     ? pngChunk("eXIf", exifBlock)
                                     : QByteArray();
        const qsizetype split = chunk.isEmpty() ? size : AfterHeader;
        written.error = writeWhole(fd, {QByteArrayView(content, split), chunk,
                                        QByteArrayView(content + split, size - split)});
        io.munmap();
    } catch (...) {
        written.failure = loadString(MetadataNotWritten);
    }
    return written;
}

#pragma GCC diagnostic pop
