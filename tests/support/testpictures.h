#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include <FreeImage.h>

// Writes a w × h test picture: a red left half, a blue right half and a white top-left corner,
// so that scaling, turning and colour changes can all be told apart. Returns the path.
QString writeTestPicture(const QString &path, int w, int h, FREE_IMAGE_FORMAT format = FIF_PNG,
                         int saveFlags = 0);

// The folders the convert page tests share: a.png, A.jpg, photo.png and tree.png in source (PNG
// content whatever the name: the image library goes by the bytes; a and A write the same name),
// and a destination that already holds photo.jpg. Returns false when a file cannot be written.
bool writeConvertFolders(const QString &source, const QString &destination);

// Headers that claim a picture size, a few dozen bytes however large the size, with no usable
// pixels: for the checks that must refuse a size before decoding. A GIF with its logical screen
// and frames of the sizes given (after a graphic control extension each); a JPEG 2000 codestream
// (SOC and SIZ); a JP2 file whose image header and codestream claim a size each.
QByteArray makeTestGif(QSize screen, const QList<QSize> &frames);
QByteArray makeTestJ2k(QSize size);
QByteArray makeTestJp2(QSize header, QSize codestream);

// A minimal uncompressed DNG that the RAW loader decodes: one RGGB Bayer plane of 16-bit samples.
QByteArray makeTestDng(quint32 width, quint32 height);
