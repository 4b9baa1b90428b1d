// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/claimedsize.h"

#include "convert/sourcefile.h"

#include <QtEndian>

#include <algorithm>
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

    bool skip(qint64 count)
    {
        m_position += count;
        return m_position <= m_file.size();
    }

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

ClaimedSize ClaimedSize::read(SourceFile &file, FREE_IMAGE_FORMAT fif)
{
    switch (fif) {
    case FIF_GIF:
        return gif(file);
    case FIF_J2K:
        return codestream(file, 0);
    case FIF_JP2:
        return jp2(file);
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
