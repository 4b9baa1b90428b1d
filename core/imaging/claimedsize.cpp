// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/claimedsize.h"

#include "imaging/sourcefile.h"

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Sequential reads through a buffer, for walking a file of many small blocks.
class Reader
{
public:
    Reader(const SourceFile &file, qint64 position)
        : m_file(file)
        , m_position(position)
    {}

    bool bytes(char *out, qint64 count)
    {
        while (count > 0) {
            const qint64 offset = m_position - m_start;
            if (offset < 0 || offset >= m_length) {
                m_start = m_position;
                m_length = m_file.readAt(m_start, m_buffer, sizeof m_buffer);
                if (m_length <= 0)
                    return false;
                continue;
            }
            const qint64 take = std::min(count, m_length - offset);
            std::memcpy(out, m_buffer + offset, size_t(take));
            out += take;
            count -= take;
            m_position += take;
        }
        return true;
    }

    bool byte(quint8 &value)
    {
        char c = 0;
        if (!bytes(&c, 1))
            return false;
        value = quint8(c);
        return true;
    }

    bool be16(quint16 &value)
    {
        char b[2];
        if (!bytes(b, 2))
            return false;
        value = qFromBigEndian<quint16>(b);
        return true;
    }

    bool be32(quint32 &value)
    {
        char b[4];
        if (!bytes(b, 4))
            return false;
        value = qFromBigEndian<quint32>(b);
        return true;
    }

    // A negative count moves back, as a reader's relative seek does.
    bool skip(qint64 count)
    {
        m_position += count;
        return m_position >= 0 && m_position <= m_file.size();
    }

    qint64 position() const { return m_position; }

private:
    const SourceFile &m_file;
    qint64 m_position;
    qint64 m_start = 0;
    qint64 m_length = 0;
    char m_buffer[65536];
};

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 be16(const char *p)
{
    return qFromBigEndian<quint16>(p);
}

quint32 be32(const char *p)
{
    return qFromBigEndian<quint32>(p);
}

// The colour table that follows a GIF screen or image descriptor with this packed byte.
qint64 gifColourTableBytes(quint8 packed)
{
    return packed & 0x80 ? qint64(3) << ((packed & 7) + 1) : 0;
}

// A chain of GIF data sub-blocks, up to and with its empty terminator.
bool skipGifSubBlocks(Reader &in)
{
    for (;;) {
        quint8 length = 0;
        if (!in.byte(length))
            return false;
        if (length == 0)
            return true;
        if (!in.skip(length))
            return false;
    }
}

constexpr quint32 boxType(const char (&name)[5])
{
    return quint32(quint8(name[0])) << 24 | quint32(quint8(name[1])) << 16 |
           quint32(quint8(name[2])) << 8 | quint32(quint8(name[3]));
}

struct Box
{
    quint32 type = 0;
    qint64 content = 0; // where the box's content starts
    qint64 end = 0;     // where the next box starts, at most the end of the parent
};

// The JP2 box at position, within a parent ending at end. A box that claims to run past its
// parent is cut there: a file cut short still shows the start of its last box.
bool readBox(const SourceFile &file, qint64 position, qint64 end, Box &box)
{
    char header[16];
    if (end - position < 8 || file.readAt(position, header, 8) != 8)
        return false;
    quint64 length = be32(header);
    qint64 headerBytes = 8;
    if (length == 1) {
        if (end - position < 16 || file.readAt(position + 8, header + 8, 8) != 8)
            return false;
        length = qFromBigEndian<quint64>(header + 8);
        headerBytes = 16;
    } else if (length == 0) {
        length = quint64(end - position); // the last box, to the end of the file
    }
    if (length < quint64(headerBytes))
        return false;
    box.type = be32(header + 4);
    box.content = position + headerBytes;
    box.end = length > quint64(end - position) ? end : position + qint64(length);
    return true;
}

// The size of a JPEG stream held in memory, by the library's own header read.
ClaimedSize jpegInMemory(QByteArray &bytes)
{
    FIMEMORY *memory =
        FreeImage_OpenMemory(reinterpret_cast<BYTE *>(bytes.data()), DWORD(bytes.size()));
    if (!memory)
        return {};
    ClaimedSize claim;
    if (FreeImage_GetFileTypeFromMemory(memory, 0) == FIF_JPEG) {
        if (FIBITMAP *header = FreeImage_LoadFromMemory(FIF_JPEG, memory, FIF_LOAD_NOPIXELS)) {
            claim = {true, FreeImage_GetWidth(header), FreeImage_GetHeight(header)};
            FreeImage_Unload(header);
        }
    }
    FreeImage_CloseMemory(memory);
    return claim;
}

// A side of a QuickDraw rectangle as either reading takes it: the pixmap readers subtract the
// unsigned 16-bit corners as ints (the library takes the absolute value), the bitmap reader keeps
// the difference in 16 bits.
quint64 pictSide(quint16 low, quint16 high)
{
    return std::max<quint64>(std::abs(int(high) - int(low)), quint16(high - low));
}

// The data bytes the PICT reader skips after an opcode below 0xA2 that it does not handle
// itself; -1 when a 16-bit length comes first.
int pictDataLength(quint16 opcode)
{
    static const qint8 first[0x30] = {0, 0, 8, 2, 1,  2,  4,  4,  2, 8, 8, 4, 4,  2,  4,  4,
                                      8, 1, 0, 0, 0,  2,  2,  0,  0, 0, 6, 6, 0,  6,  0,  6,
                                      8, 4, 6, 2, -1, -1, -1, -1, 0, 0, 0, 0, -1, -1, -1, -1};
    if (opcode < 0x30)
        return first[opcode];
    if (opcode < 0x60)
        return opcode & 8 ? 0 : 8; // rectangles, then their "same" forms
    if (opcode < 0x70)
        return opcode & 8 ? 4 : 12; // arcs
    if (opcode >= 0x92 && opcode <= 0x9F)
        return -1;
    return opcode == 0xA0 ? 2 : 0;
}

int hexValue(quint8 c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// Whether the XBM hex data from in holds the bytes the reader takes (version 10: 16-bit words
// written as 0xHHHH, version 11: bytes), read as the reader reads it; false when the file ends
// first. The reader stops at the first syntax error itself.
bool xbmDataComplete(Reader &in, int version, qint64 rasterLength)
{
    quint8 c = 0;
    if (version == 10) {
        for (qint64 bytes = 0; bytes < rasterLength; bytes += 2) {
            do {
                if (!in.byte(c))
                    return false;
            } while (c != 'x');
            for (int half = 0; half < 2; ++half) {
                quint8 digits[2];
                if (!in.byte(digits[0]) || !in.byte(digits[1]))
                    return false;
                if (hexValue(digits[0]) < 0 || hexValue(digits[1]) < 0)
                    return true;
            }
        }
        return true;
    }
    for (qint64 bytes = 0; bytes < rasterLength; ++bytes) {
        int value = -1;
        do {
            if (!in.byte(c))
                return false;
            value = hexValue(c);
        } while (value < 0);
        for (;;) {
            if (!in.byte(c))
                return false;
            const int digit = hexValue(c);
            if (digit >= 0) {
                value = value << 4 | digit;
                if (value >= 256)
                    return true;
            } else if (c == 'x' || c == 'X') {
                if (value != 0)
                    return true;
            } else {
                break;
            }
        }
    }
    return true;
}

} // namespace

ClaimedSize ClaimedSize::larger(const ClaimedSize &a, const ClaimedSize &b)
{
    if (!b.known)
        return a;
    if (!a.known)
        return b;
    return b.pixels() > a.pixels() ? b : a;
}

ClaimedSize ClaimedSize::gif(const SourceFile &file)
{
    char header[13];
    if (file.readAt(0, header, sizeof header) != sizeof header ||
        (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0))
        return {};
    ClaimedSize claim{true, le16(header + 6), le16(header + 8)};

    // Every frame counts, not only the first: the walk stops at the trailer, at a block that is
    // none of a GIF's, or where the file ends.
    Reader in(file, sizeof header + gifColourTableBytes(quint8(header[10])));
    for (;;) {
        quint8 block = 0;
        if (!in.byte(block))
            break;
        if (block == 0x21) { // an extension: its label, then sub-blocks
            quint8 label = 0;
            if (!in.byte(label) || !skipGifSubBlocks(in))
                break;
        } else if (block == 0x2C) { // an image: left, top, width, height, packed byte
            char descriptor[9];
            if (!in.bytes(descriptor, sizeof descriptor))
                break;
            claim = larger(claim, {true, le16(descriptor + 4), le16(descriptor + 6)});
            quint8 codeSize = 0;
            if (!in.skip(gifColourTableBytes(quint8(descriptor[8]))) || !in.byte(codeSize) ||
                !skipGifSubBlocks(in))
                break;
        } else {
            break; // 0x3B, the trailer, or damage
        }
    }
    return claim;
}

ClaimedSize ClaimedSize::codestream(const SourceFile &file, qint64 offset)
{
    // SOC, SIZ, Lsiz, Rsiz, then Xsiz, Ysiz, XOsiz, YOsiz: the image area is Xsiz - XOsiz wide.
    char header[24];
    if (file.readAt(offset, header, sizeof header) != sizeof header ||
        std::memcmp(header, "\xFF\x4F\xFF\x51", 4) != 0)
        return {};
    const quint32 width = be32(header + 8);
    const quint32 height = be32(header + 12);
    const quint32 left = be32(header + 16);
    const quint32 top = be32(header + 20);
    if (left >= width || top >= height)
        return {};
    return {true, width - left, height - top};
}

ClaimedSize ClaimedSize::jp2(const SourceFile &file)
{
    char signature[12];
    if (file.readAt(0, signature, sizeof signature) != sizeof signature ||
        std::memcmp(signature, "\0\0\0\x0CjP  \r\n\x87\n", sizeof signature) != 0)
        return {};

    ClaimedSize claim;
    const qint64 end = file.size();
    Box box;
    for (qint64 position = sizeof signature; readBox(file, position, end, box);
         position = box.end) {
        if (box.type == boxType("jp2h")) {
            Box child;
            for (qint64 inner = box.content; readBox(file, inner, box.end, child);
                 inner = child.end) {
                char size[8];
                // The image header box: HEIGHT, then WIDTH.
                if (child.type == boxType("ihdr") && child.end - child.content >= 8 &&
                    file.readAt(child.content, size, sizeof size) == sizeof size)
                    claim = larger(claim, {true, be32(size + 4), be32(size)});
            }
        } else if (box.type == boxType("jp2c")) {
            // The decoder reads the first codestream only.
            return larger(claim, codestream(file, box.content));
        }
    }
    return claim;
}

ClaimedSize ClaimedSize::sgi(const SourceFile &file)
{
    // Magic 474, storage, bytes a channel, dimension, then the x, y and z sizes, big-endian.
    char header[10];
    if (file.readAt(0, header, sizeof header) != sizeof header || be16(header) != 474)
        return {};
    return {true, be16(header + 6), be16(header + 4) < 2 ? 1u : be16(header + 8)};
}

ClaimedSize ClaimedSize::dds(const SourceFile &file)
{
    // The reader checks neither the magic nor the description's size: a file named .dds is read
    // at these offsets whatever precedes them.
    char size[8];
    if (file.readAt(12, size, sizeof size) != sizeof size)
        return {};
    return {true, le32(size + 4), le32(size)};
}

ClaimedSize ClaimedSize::iff(const SourceFile &file)
{
    char header[12];
    if (file.readAt(0, header, sizeof header) != sizeof header ||
        std::memcmp(header, "FORM", 4) != 0 ||
        (std::memcmp(header + 8, "ILBM", 4) != 0 && std::memcmp(header + 8, "PBM ", 4) != 0))
        return {};
    // The reader allocates a picture at every bitmap header and decodes the first body. A file
    // that ends before the body sends the reader round past its end without finishing.
    ClaimedSize claim;
    for (qint64 position = sizeof header;;) {
        char chunk[12];
        if (file.readAt(position, chunk, 8) != 8)
            return {};
        const quint32 type = be32(chunk);
        const quint32 length = be32(chunk + 4);
        if (type == boxType("BODY"))
            return claim;
        if (type == boxType("BMHD")) {
            if (file.readAt(position + 8, chunk + 8, 4) != 4)
                return {};
            claim = larger(claim, {true, be16(chunk + 8), be16(chunk + 10)});
        }
        position += 8 + qint64(length) + (length & 1);
    }
}

ClaimedSize ClaimedSize::mng(const SourceFile &file)
{
    // After the 8-byte signature, chunks of length, type, data and CRC. The frame size of the
    // MHDR chunk allocates nothing: the reader decodes the first image, a PNG stream from its
    // IHDR chunk, or a JNG's JPEG stream (the JDAT chunks, read by whatever format they hold)
    // with an alpha plane of the JHDR chunk's size.
    constexpr qint64 jpegHeaderBytes = 1 << 20;
    ClaimedSize jng;
    QByteArray jpeg;
    for (qint64 position = 8;;) {
        char chunk[16];
        if (file.readAt(position, chunk, 8) != 8)
            return {};
        const quint32 type = be32(chunk + 4);
        const qint64 data = position + 8;
        const qint64 length = be32(chunk);
        if (length > file.size() - data)
            return {};
        position = data + length + 4;
        if (type == boxType("IHDR") || type == boxType("JHDR")) {
            if (length < 8 || file.readAt(data, chunk + 8, 8) != 8)
                return {};
            const ClaimedSize header{true, be32(chunk + 8), be32(chunk + 12)};
            if (type == boxType("IHDR"))
                return header;
            jng = header;
        } else if (type == boxType("JDAT")) {
            // The JPEG header is at the start; the rest is not needed.
            const qint64 take = std::min(length, jpegHeaderBytes - jpeg.size());
            const qsizetype end = jpeg.size();
            jpeg.resize(end + take);
            if (file.readAt(data, jpeg.data() + end, take) != take)
                return {};
        } else if (type == boxType("IEND") && !jpeg.isEmpty()) {
            const ClaimedSize stream = jpegInMemory(jpeg);
            return stream.known ? larger(jng, stream) : ClaimedSize{};
        } else if (type == boxType("IEND") || type == boxType("MEND")) {
            return {};
        }
    }
}

ClaimedSize ClaimedSize::xbm(const SourceFile &file)
{
    // The reader's lines end at a newline or after 511 characters; one of 511 is refused. The
    // last width and height #defined before the array's declaration count.
    constexpr int maxLine = 512;
    Reader in(file, 0);
    int width = -1;
    int height = -1;
    int version = 0;
    while (version == 0) {
        char line[maxLine];
        int length = 0;
        char c = 0;
        while (length < maxLine - 1 && in.bytes(&c, 1)) {
            line[length++] = c;
            if (c == '\n')
                break;
        }
        line[length] = '\0';
        if (length == 0 || std::strlen(line) == maxLine - 1)
            return {};
        char name[maxLine];
        int value = 0;
        if (std::sscanf(line, "#define %s %d", name, &value) == 2) {
            const char *suffix = std::strrchr(name, '_');
            suffix = suffix ? suffix + 1 : name;
            if (std::strcmp(suffix, "width") == 0)
                width = value;
            else if (std::strcmp(suffix, "height") == 0)
                height = value;
        } else if (std::sscanf(line, "static short %s = {", name) == 1) {
            version = 10;
        } else if (std::sscanf(line, "static char %s = {", name) == 1 ||
                   std::sscanf(line, "static unsigned char %s = {", name) == 1) {
            version = 11;
        }
    }
    if (width == -1 || height == -1)
        return {};
    // The reader's own int arithmetic, which wraps; the library allocates the absolute sizes.
    const int padding = version == 10 && width % 16 >= 1 && width % 16 <= 8 ? 1 : 0;
    const qint32 rasterLength =
        qint32(quint32(((qint64(width) + 7) / 8 + padding) * qint64(height)));
    ClaimedSize claim{true, quint64(std::abs(qint64(width))), quint64(std::abs(qint64(height)))};
    claim.cutShort = !xbmDataComplete(in, version, rasterLength);
    return claim;
}

ClaimedSize ClaimedSize::wbmp(const SourceFile &file)
{
    // Multi-byte integers: seven bits an octet, the high bit set on all but the last. The reader
    // keeps 16 bits of each.
    Reader in(file, 0);
    const auto multiByte = [&in] {
        quint32 value = 0;
        quint8 octet = 0;
        while (in.byte(octet)) {
            value += octet & 0x7F;
            if (!(octet & 0x80))
                break;
            value <<= 7;
        }
        return value;
    };
    quint8 fixed = 0;
    if (quint16(multiByte()) != 0 || !in.byte(fixed))
        return {};
    // Extension headers: the reader loops on a continuation bit it can no longer read.
    for (quint8 extension = fixed & 0x80; extension & 0x80;) {
        if (!in.byte(extension))
            return {};
        if ((extension & 0x60) == 0x00)
            multiByte();
        else if ((extension & 0x60) == 0x60 &&
                 !in.skip(((extension & 0x70) >> 4) + (extension & 0x0F)))
            return {};
    }
    const quint16 width = quint16(multiByte());
    return {true, width, quint16(multiByte())};
}

ClaimedSize ClaimedSize::pict(SourceFile &file)
{
    // A 512-byte header of the application's, the version 1 size and the frame, which the reader
    // ignores; then zeros, the version opcode 0x11 and the version. The reader then walks the
    // opcodes to the first bitmap, pixmap or JPEG and allocates the size that one gives.
    Reader in(file, 512 + 2 + 8);
    quint8 byte = 0;
    do {
        if (!in.byte(byte))
            return {}; // the reader skips zeros past the end of the file forever
    } while (byte == 0);
    quint8 version = 0;
    if (byte != 0x11 || !in.byte(version) || (version == 2 && (!in.byte(byte) || byte != 0xFF)))
        return {};

    quint16 top = 0, left = 0, bottom = 0, right = 0;
    const auto bounds = [&] {
        return in.be16(top) && in.be16(left) && in.be16(bottom) && in.be16(right)
                   ? ClaimedSize{true, pictSide(left, right), pictSide(top, bottom)}
                   : ClaimedSize{};
    };
    for (;;) {
        const qint64 start = in.position();
        quint16 opcode = 0;
        quint16 word = 0;
        quint32 length = 0;
        if (version == 1 || start % 2 != 0) {
            if (!in.byte(byte))
                return {};
            opcode = byte;
        }
        if (version == 2 && !in.be16(opcode))
            return {};

        bool moved = true;
        if (opcode == 0xFF || opcode == 0xFFFF) {
            return {}; // vector data only: the reader refuses it
        } else if (opcode == 0x01) {
            moved = in.be16(word) && in.skip(word == 10 ? 8 : qint64(word) - 2);
        } else if (opcode >= 0x12 && opcode <= 0x14) {
            // Pixel patterns (type 1) are not walked here; the reader refuses other types.
            if (!in.be16(word) || word != 2)
                return {};
            moved = in.skip(13);
        } else if (opcode >= 0x70 && opcode <= 0x77) {
            moved = in.be16(word) && in.skip(quint16(word - 2));
        } else if (opcode == 0x90 || opcode == 0x91 || opcode == 0x98 || opcode == 0x99) {
            return in.be16(word) ? bounds() : ClaimedSize{}; // row bytes, then the bounds
        } else if (opcode == 0x9A) {
            return in.skip(6) ? bounds() : ClaimedSize{}; // base address, row bytes
        } else if (opcode == 0xA1) {
            moved = in.skip(2) && in.be16(word) && in.skip(word);
        } else if (opcode < 0xA2) {
            const int data = pictDataLength(opcode);
            moved = data < 0 ? in.be16(word) && in.skip(word) : in.skip(data);
        } else if (opcode == 0x0C00) {
            moved = in.skip(24);
        } else if (opcode == 0x8200) {
            // QuickTime: the reader looks for a JPEG start within the opcode's length (forever,
            // when the file ends first) and hands the rest of the file to the JPEG reader.
            if (!in.be32(length))
                return {};
            for (quint32 i = 0; i < length; ++i) {
                char start[2];
                if (!in.bytes(start, 2))
                    return {};
                if (start[0] == '\xFF' && start[1] == '\xD8') {
                    const qint64 offset = in.position() - 2;
                    FIBITMAP *header = file.load(FIF_JPEG, FIF_LOAD_NOPIXELS, offset);
                    if (!header)
                        return {};
                    const ClaimedSize claim{true, FreeImage_GetWidth(header),
                                            FreeImage_GetHeight(header)};
                    FreeImage_Unload(header);
                    return claim;
                }
                in.skip(-1);
            }
            return {};
        } else if (opcode >= 0xA2 && opcode <= 0xAF) {
            moved = in.be16(word) && in.skip(word);
        } else if ((opcode >= 0xB0 && opcode <= 0xCF) || (opcode >= 0x8000 && opcode <= 0x80FF)) {
            // no data
        } else if ((opcode >= 0xD0 && opcode <= 0xFE) || opcode >= 8100) {
            // The reader compares with decimal 8100, and takes the length as signed.
            moved = in.be32(length) && in.skip(qint32(length));
        } else if (opcode >= 0x100 && opcode <= 0x7FFF) {
            moved = in.skip((opcode >> 7) & 255);
        } else {
            return {};
        }
        // A walk that ends past the file or moves back never reaches a picture: the reader
        // gives up, or goes round forever.
        if (!moved || in.position() <= start)
            return {};
    }
}

bool ClaimedSize::decodesBlind(FREE_IMAGE_FORMAT fif)
{
    // A JNG's header read decodes whatever its JPEG chunks hold, blind when that is no JPEG.
    return fif != FIF_UNKNOWN && FreeImage_FIFSupportsReading(fif) &&
           (fif == FIF_JNG || !FreeImage_FIFSupportsNoPixels(fif));
}

ClaimedSize ClaimedSize::read(SourceFile &file, FREE_IMAGE_FORMAT fif)
{
    switch (fif) {
    case FIF_GIF:
        return gif(file);
    case FIF_J2K:
        return codestream(file, 0);
    case FIF_JP2:
        return jp2(file);
    case FIF_SGI:
        return sgi(file);
    case FIF_DDS:
        return dds(file);
    case FIF_IFF:
        return iff(file);
    case FIF_MNG:
    case FIF_JNG:
        return mng(file);
    case FIF_XBM:
        return xbm(file);
    case FIF_WBMP:
        return wbmp(file);
    case FIF_KOALA:
        return {true, 320, 200}; // a Commodore 64 screen, whatever the file holds
    case FIF_PICT:
        return pict(file);
    default:
        break;
    }
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsNoPixels(fif))
        return {};
    FIBITMAP *header = file.load(fif, FIF_LOAD_NOPIXELS);
    if (!header)
        return {};
    const ClaimedSize claim{true, FreeImage_GetWidth(header), FreeImage_GetHeight(header)};
    FreeImage_Unload(header);
    return claim;
}
