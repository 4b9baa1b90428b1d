#include "convert/convertpreview.h"
#include "convert/imagepipeline.h"

#include "qtprinters.h"
#include "testpictures.h"

#include <FreeImagePlus.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

// The test pictures shown upright: 64 × 48 with a white top-left corner, red left, blue right.
const QSize Upright(64, 48);

fipImage readPicture(const QString &path)
{
    fipImage image;
    image.load(QFile::encodeName(path).constData());
    return image;
}

// The EXIF orientation a file carries as the image library reads it, 0 when none.
int orientationTag(const QString &path)
{
    fipImage image = readPicture(path);
    FITAG *tag = nullptr;
    if (!image.isValid() || !FreeImage_GetMetadata(FIMD_EXIF_MAIN, image, "Orientation", &tag) ||
        !tag)
        return 0;
    return *static_cast<const WORD *>(FreeImage_GetTagValue(tag));
}

// The orientation in a file's XMP packet, empty when none.
QString xmpOrientation(const QString &path)
{
    fipImage image = readPicture(path);
    FITAG *tag = nullptr;
    if (!image.isValid() || !FreeImage_GetMetadata(FIMD_XMP, image, "XMLPacket", &tag) || !tag)
        return QString();
    static const QRegularExpression orientation(uR"x(tiff:Orientation="(\d)")x"_s);
    const auto *packet = static_cast<const char *>(FreeImage_GetTagValue(tag));
    return orientation.match(QString::fromUtf8(packet, FreeImage_GetTagLength(tag))).captured(1);
}

// What the picture shows at x, y from its top-left corner: 'w'hite, 'r'ed, 'b'lue, or '?'.
char colourAt(const fipImage &picture, unsigned x, unsigned y)
{
    fipImage copy(picture);
    copy.convertTo24Bits();
    RGBQUAD q{};
    copy.getPixelColor(x, copy.getHeight() - 1 - y, &q);
    const bool r = q.rgbRed > 180, g = q.rgbGreen > 180, b = q.rgbBlue > 180;
    if (r && g && b)
        return 'w';
    if (q.rgbGreen < 80)
        return r && q.rgbBlue < 80 ? 'r' : b && q.rgbRed < 80 ? 'b' : '?';
    return '?';
}

// The corner, the left half below it and the right half of an upright picture.
std::string uprightMarks(const fipImage &picture)
{
    const unsigned w = picture.getWidth(), h = picture.getHeight();
    return {colourAt(picture, 2, 2), colourAt(picture, w / 4, h * 3 / 4),
            colourAt(picture, w * 3 / 4, h / 2)};
}

class Oriented : public testing::TestWithParam<std::tuple<int, bool>>
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// Each orientation a camera writes, converted with and without "Delete metadata": the picture
// comes out upright, sized as the upright picture, the user's turns come on top, and no tag is
// left that would turn it again.
TEST_P(Oriented, JpegIsTurnedUprightAndMarkedSo)
{
    const auto &[orientation, deleteMetadata] = GetParam();
    const QString source = writeOrientedPicture(path(u"photo.jpg"_s), Upright, orientation);
    ASSERT_FALSE(source.isEmpty());
    ASSERT_EQ(orientationTag(source), orientation);
    ASSERT_EQ(xmpOrientation(source), QString::number(orientation));

    ConversionOptions options;
    options.deleteMetadata = deleteMetadata;
    options.resize = true;
    options.resizeMode = ResizeMode::Width;
    options.resizePixels = 32;
    ASSERT_TRUE(ImagePipeline::convertOne({source, path(u"out.jpg"_s), options, 0}).ok);
    const fipImage out = readPicture(path(u"out.jpg"_s));
    EXPECT_EQ(std::pair(out.getWidth(), out.getHeight()), std::pair(32u, 24u));
    EXPECT_EQ(uprightMarks(out), "wrb");
    // Kept metadata keeps the tag, set to upright.
    EXPECT_EQ(orientationTag(path(u"out.jpg"_s)), deleteMetadata ? 0 : 1);
    EXPECT_EQ(xmpOrientation(path(u"out.jpg"_s)), deleteMetadata ? u""_s : u"1"_s);

    // A left turn by the user: the corner goes to the bottom left, the red half to the bottom.
    options.resize = false;
    options.outputFormat = OutputFormat::Png;
    ASSERT_TRUE(ImagePipeline::convertOne({source, path(u"left.png"_s), options, 90}).ok);
    const fipImage left = readPicture(path(u"left.png"_s));
    ASSERT_EQ(std::pair(left.getWidth(), left.getHeight()), std::pair(48u, 64u));
    EXPECT_EQ(std::string({colourAt(left, 2, 61), colourAt(left, 30, 40), colourAt(left, 24, 16)}),
              "wrb");
}

INSTANTIATE_TEST_SUITE_P(Orientation, Oriented,
                         testing::Combine(testing::Range(1, 9), testing::Bool()));

TEST(Orientation, TiffAndWebpAreTurnedToo)
{
    QTemporaryDir dir;
    // The TIFF reader does not report the tag; a WEBP written again keeps its EXIF block.
    const std::tuple<QString, FREE_IMAGE_FORMAT, int, QString> cases[] = {
        {u"photo.tif"_s, FIF_TIFF, 8, u"out.png"_s}, {u"photo.webp"_s, FIF_WEBP, 5, u"out.webp"_s}};
    for (const auto &[name, format, orientation, output] : cases) {
        const QString source =
            writeOrientedPicture(dir.filePath(name), Upright, orientation, format);
        ASSERT_FALSE(source.isEmpty());
        ASSERT_TRUE(ImagePipeline::convertOne({source, dir.filePath(output), {}, 0}).ok);
        const fipImage out = readPicture(dir.filePath(output));
        EXPECT_EQ(std::pair(out.getWidth(), out.getHeight()), std::pair(64u, 48u));
        EXPECT_EQ(uprightMarks(out), "wrb") << name.toStdString();
        EXPECT_EQ(orientationTag(dir.filePath(output)), format == FIF_WEBP ? 1 : 0);
    }
}

TEST(Orientation, PreviewIsUpright)
{
    QTemporaryDir dir;
    const QString source = writeOrientedPicture(dir.filePath(u"photo.jpg"_s), Upright, 6);
    const PreviewResult preview = ConvertPreview::render(
        {source, QSize(200, 200), 0, OutputFormat::Png, 16, false, 4, QString()});
    ASSERT_TRUE(preview.loaded);
    ASSERT_EQ(preview.image.size(), QSize(200, 150));
    const auto colour = [&](int x, int y) { return preview.image.pixelColor(x, y); };
    EXPECT_GT(colour(5, 5).lightness(), 200);
    EXPECT_GT(colour(50, 100).red(), 200);
    EXPECT_GT(colour(150, 100).blue(), 200);
    EXPECT_LT(colour(150, 100).red(), 60);
}

} // namespace
