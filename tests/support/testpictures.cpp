#include "testpictures.h"

#include <QFile>

QString writeTestPicture(const QString &path, int w, int h, FREE_IMAGE_FORMAT format, int saveFlags)
{
    FIBITMAP *dib = FreeImage_Allocate(w, h, 24);
    for (int y = 0; y < h; ++y) {
        BYTE *line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < w; ++x) {
            const bool corner = x < w / 4 && y >= h - h / 4; // rows are stored bottom-up
            line[x * 3 + FI_RGBA_RED] = corner || x < w / 2 ? 255 : 0;
            line[x * 3 + FI_RGBA_GREEN] = corner ? 255 : 0;
            line[x * 3 + FI_RGBA_BLUE] = corner || x >= w / 2 ? 255 : 0;
        }
    }
    const bool saved = FreeImage_Save(format, dib, QFile::encodeName(path).constData(), saveFlags);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}
