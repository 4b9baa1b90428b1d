#include "convert/colourprofile.h"

#include "convert/convertpreview.h"
#include "convert/imagepipeline.h"

#include "qtprinters.h"
#include "testpictures.h"

#include <FreeImagePlus.h>

#include <QColorSpace>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The profile a written picture carries. The image library's PNG reader ignores it: Qt reads it.
QByteArray profileOf(const QString &path)
{
    if (path.endsWith(u".png"_s))
        return QImage(path).colorSpace().iccProfile();
    fipImage image;
    image.load(QFile::encodeName(path).constData());
    const FIICCPROFILE *profile = image.isValid() ? FreeImage_GetICCProfile(image) : nullptr;
    return profile && profile->size > 0
               ? QByteArray(static_cast<const char *>(profile->data), profile->size)
               : QByteArray();
}

// A phone's photo, turned and scaled on the way (steps that drop the profile in the image
// library), written without its metadata: its colours keep their meaning in every format.
TEST(ColourProfile, SurvivesToEveryFormatWithoutMetadataAndLeavesGrayPictures)
{
    QTemporaryDir dir;
    const QByteArray p3 = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    const QString source =
        writeOrientedPicture(dir.filePath(u"photo.jpg"_s), {64, 48}, 6, FIF_JPEG, p3);
    ASSERT_EQ(profileOf(source), p3);
    ConversionOptions options;
    options.deleteMetadata = true;
    options.resize = true;
    options.resizePixels = 32;
    for (const OutputFormat format :
         {OutputFormat::Jpeg, OutputFormat::Png, OutputFormat::Tiff, OutputFormat::Webp}) {
        const QString output = dir.filePath(u"out"_s + outputExtension(format));
        options.outputFormat = format;
        ASSERT_TRUE(ImagePipeline::convertOne({source, output, options, 90}).ok);
        EXPECT_EQ(profileOf(output), p3) << output.toStdString();
    }
    // An RGB profile does not describe gray: the PNG writer would refuse the picture.
    options.grayscale = true;
    options.outputFormat = OutputFormat::Png;
    const QString gray = dir.filePath(u"gray.png"_s);
    const ConversionResult result = ImagePipeline::convertOne({source, gray, options, 0});
    EXPECT_EQ(result.resultMessage, u"End of conversion!"_s);
    EXPECT_TRUE(profileOf(gray).isEmpty());
}

TEST(ColourProfile, PreviewShowsTheColoursInSrgb)
{
    // A colour inside both gamuts, stored as its Adobe RGB numbers.
    const QColor wanted(200, 80, 40);
    const QColor stored = QColorSpace(QColorSpace::SRgb)
                              .transformationToColorSpace(QColorSpace::AdobeRgb)
                              .map(wanted);
    ASSERT_GT(std::abs(stored.red() - wanted.red()), 10);
    fipImage image(FIT_BITMAP, 16, 16, 24);
    RGBQUAD fill{BYTE(stored.blue()), BYTE(stored.green()), BYTE(stored.red()), 0};
    for (unsigned y = 0; y < 16; ++y)
        for (unsigned x = 0; x < 16; ++x)
            image.setPixelColor(x, y, &fill);
    QByteArray adobe = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    FreeImage_CreateICCProfile(image, adobe.data(), long(adobe.size()));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"adobe.tif"_s);
    ASSERT_TRUE(image.save(QFile::encodeName(path).constData()));

    const PreviewResult preview =
        ConvertPreview::render({path, QSize(100, 100), 0, OutputFormat::Png, 16, false, 4, {}});
    const QColor shown = preview.image.pixelColor(50, 50);
    EXPECT_LE(std::abs(shown.red() - wanted.red()) + std::abs(shown.green() - wanted.green()) +
                  std::abs(shown.blue() - wanted.blue()),
              6)
        << shown.name().toStdString();
}

} // namespace
