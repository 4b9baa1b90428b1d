#include "convert/imagepipeline.h"

#include <FreeImagePlus.h>

ConversionResult ImagePipeline::convertOne(const ConversionRequest &request)
{
    Q_UNUSED(request);
    return {};
}

ImagePipeline::LoadedPicture ImagePipeline::loadPicture(fipImage &image, const QString &path,
                                                        int rawBrightness,
                                                        const QString &rawExtensions)
{
    Q_UNUSED(image);
    Q_UNUSED(path);
    Q_UNUSED(rawBrightness);
    Q_UNUSED(rawExtensions);
    return {};
}

bool ImagePipeline::resizeImage(fipImage &image, ResizeMode mode, int pixels)
{
    Q_UNUSED(image);
    Q_UNUSED(mode);
    Q_UNUSED(pixels);
    return false;
}

int ImagePipeline::jpegQualityFlag(int position)
{
    Q_UNUSED(position);
    return 0;
}
