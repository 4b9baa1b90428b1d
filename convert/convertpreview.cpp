#include "convert/convertpreview.h"

#include "convert/muldiv.h"

#include <FreeImagePlus.h>

PreviewResult ConvertPreview::render(const PreviewRequest &request)
{
    Q_UNUSED(request);
    return {};
}

QRect ConvertPreview::previewRect(int cw, int ch, int w, int h)
{
    if (w >= h) {
        const int p = mulDiv(100, h, w);
        const int height = mulDiv(ch, p, 100);
        const int top = (ch - height) / 2;
        return QRect(0, top, cw, height);
    }
    const int p = mulDiv(100, w, h);
    const int width = mulDiv(cw, p, 100);
    const int left = (cw - width) / 2;
    return QRect(left, 0, width, ch);
}

QImage ConvertPreview::toQImage(const fipImage &image)
{
    Q_UNUSED(image);
    return {};
}
