#pragma once

#include <QByteArray>
#include <QString>

#include <FreeImage.h>

// Writes a w × h test picture: a red left half, a blue right half and a white top-left corner,
// so that scaling, turning and colour changes can all be told apart. Returns the path.
QString writeTestPicture(const QString &path, int w, int h, FREE_IMAGE_FORMAT format = FIF_PNG,
                         int saveFlags = 0);

// A minimal uncompressed DNG that the RAW loader decodes: one RGGB Bayer plane of 16-bit samples.
QByteArray makeTestDng(quint32 width, quint32 height);
