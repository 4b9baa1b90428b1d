// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <FreeImage.h>

#include <QSize>
#include <QString>

#include <memory>

class SourceFile;

// What makes a photo a photo beyond its pixels: the EXIF (date taken, camera, lens, exposure,
// place), XMP and IPTC of a source file, read with Exiv2 and written into the converted file, so
// that every output format keeps them. The image library's own writers are left none of it, so
// that this is the one writer of those blocks. The colour profile is not part of it.
// Exiv2 throws; no exception leaves this class. Thread: one thread at a time per object; Exiv2's
// XMP toolkit is set up once per process on first use.
class PictureMetadata
{
public:
    PictureMetadata();
    ~PictureMetadata();
    PictureMetadata(PictureMetadata &&) noexcept;
    PictureMetadata &operator=(PictureMetadata &&) noexcept;

    // What the source holds, read through its opened descriptor. A kind of file Exiv2 does not
    // know gives known() false: the image library's own copy then stands, as it always did.
    static PictureMetadata read(const SourceFile &source);

    bool known() const { return m_known; }
    bool isEmpty() const;
    // Why the source's metadata cannot be kept, in words for the user; empty when it can.
    QString failure() const { return m_failure; }

    struct Written
    {
        int error = 0;   // the system's errno when rewriting the file failed: the picture fails
        QString failure; // why the metadata was left out, in words: the picture stands without it
    };
    // Writes the metadata into the finished picture open as fd, whose content is a picture of
    // the format given, size pixels, upright: the orientation is set to 1, the pixel dimensions
    // to size, and the EXIF thumbnail, which shows the picture as it was, is removed. The file is
    // rewritten only once the new content is whole; on a failure it is left as it was.
    Written writeInto(int fd, FREE_IMAGE_FORMAT fif, QSize size) const;

private:
    struct Blocks;
    std::unique_ptr<Blocks> m_blocks;
    bool m_known = false;
    QString m_failure;
};
