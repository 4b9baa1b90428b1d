// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

#include <FreeImagePlus.h>

// The picture a file holds as the image library reads it; invalid when it cannot.
fipImage readPicture(const QString &path);

// How far two pictures of one kind differ, in decibels: 40 and above cannot be seen, 99 when they
// are equal, 0 when their sizes or depths differ.
double psnr(const fipImage &a, const fipImage &b);

// A metadata tag's bytes as the image library holds them, empty when there is none.
QByteArray metadataTag(fipImage &image, FREE_IMAGE_MDMODEL model, const char *key);

// Writes a w × h test picture: a red left half, a blue right half and a white top-left corner,
// so that scaling, turning and colour changes can all be told apart. Returns the path.
QString writeTestPicture(const QString &path, int w, int h, FREE_IMAGE_FORMAT format = FIF_PNG,
                         int saveFlags = 0);

// Writes a w × h picture that resamples like a photograph: smooth colour ramps, fine grain and
// hard-edged shapes, in 24 bits, 8-bit gray or 32 bits with an alpha ramp; the extension chooses
// the writer, with its default flags (a GIF gets a palette of the colours). Returns the path.
QString writePhotoLikePicture(const QString &path, int w, int h, unsigned bpp = 24);

// Writes a picture stored turned or mirrored, as a camera stores it, and tagged with the EXIF
// orientation 1 to 8 that undoes it: shown upright it is writeTestPicture's picture of the size
// given. The tag is in its EXIF block (a TIFF's first directory) and XMP packet, where other
// programs than the image library write them. The ICC profile, when given, is embedded. Returns
// the path, empty on failure.
QString writeOrientedPicture(const QString &path, QSize upright, int orientation,
                             FREE_IMAGE_FORMAT format = FIF_JPEG,
                             const QByteArray &iccProfile = {});

// The folders the convert page tests share: a.png, A.jpg, photo.png and tree.png in source (PNG
// content whatever the name: the image library goes by the bytes; a and A write the same name),
// and a destination that already holds photo.jpg. Returns false when a file cannot be written.
bool writeConvertFolders(const QString &source, const QString &destination);

// Headers that claim a picture size, a few dozen bytes however large the size, with no usable
// pixels: for the checks that must refuse a size before decoding. A GIF with its logical screen
// and frames of the sizes given (after a graphic control extension each); a JPEG 2000 codestream
// (SOC and SIZ) whose picture spans its grid of the size given from the origin given; a JP2 file
// whose image header claims a size, with the codestream given.
QByteArray makeTestGif(QSize screen, const QList<QSize> &frames);
QByteArray makeTestJ2k(QSize size, QPoint origin = {});
QByteArray makeTestJp2(QSize header, const QByteArray &codestream);

// Writes a small JPEG whose EXIF says when it was taken ("YYYY:MM:DD HH:MM:SS", with the
// sub-second digits when given; none at all when dateTime is empty) and whose file date is
// modified (seconds since the epoch). Returns false on failure.
bool writeDatedPicture(const QString &path, const char *dateTime, const char *subSeconds,
                       qint64 modified);

// A minimal uncompressed DNG that the RAW loader decodes: one RGGB Bayer plane of 16-bit samples.
QByteArray makeTestDng(quint32 width, quint32 height);
