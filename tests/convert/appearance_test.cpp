// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/colourprofile.h"
#include "imaging/convertpreview.h"
#include "imaging/imagepipeline.h"

#include "qtprinters.h"
#include "testpictures.h"

#include <FreeImagePlus.h>

#include <QColorSpace>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::Literals::StringLiterals;
using namespace std::string_literals;

namespace {

// Pictures come out as their owner saw them: upright by their orientation tag, in the colours
// their profile gives. Upright, a test picture has a white top-left corner, a red left half and
// a blue right half.
const QSize Upright(64, 48);

// The orientation in a file's EXIF block and in its XMP packet, 0 and empty when none.
std::pair<int, QString> orientationsOf(const QString &path)
{
    static const QRegularExpression xmp(uR"x(tiff:Orientation="(\d)")x"_s);
    fipImage image = readPicture(path);
    const QByteArray exif = metadataTag(image, FIMD_EXIF_MAIN, "Orientation");
    return {exif.size() == 2 ? *reinterpret_cast<const WORD *>(exif.constData()) : 0,
            xmp.match(QString::fromUtf8(metadataTag(image, FIMD_XMP, "XMLPacket"))).captured(1)};
}

// What the picture shows at x, y from its top-left corner: 'w'hite, 'r'ed, 'b'lue, or '?'.
char colourAt(const QImage &picture, int x, int y)
{
    const QColor c = picture.pixelColor(x, y);
    const bool r = c.red() > 180, g = c.green() > 180, b = c.blue() > 180;
    return r && g && b          ? 'w'
           : c.green() >= 80    ? '?'
           : r && c.blue() < 80 ? 'r'
           : b && c.red() < 80  ? 'b'
                                : '?';
}
// The picture a file holds, as the image library reads it.
QImage pictureOf(const QString &path)
{
    return ConvertPreview::toQImage(readPicture(path));
}

// The size, and the corner, the left half below it and the right half where an upright
// picture has them.
std::pair<QSize, std::string> uprightMarks(const QImage &picture)
{
    const int w = picture.width(), h = picture.height();
    return {picture.size(),
            {colourAt(picture, 2, 2), colourAt(picture, w / 4, h * 3 / 4),
             colourAt(picture, w * 3 / 4, h / 2)}};
}

using Oriented = testing::TestWithParam<std::tuple<int, bool>>;

// Each orientation a camera writes, with and without "Delete metadata": the output is upright,
// sized as the upright picture, the user's turns come on top, and no tag would turn it again.
TEST_P(Oriented, JpegIsTurnedUprightAndMarkedSo)
{
    const auto &[orientation, deleteMetadata] = GetParam();
    const QTemporaryDir dir;
    const auto path = [&dir](const QString &name) { return dir.filePath(name); };
    const QString source = writeOrientedPicture(path(u"photo.jpg"_s), Upright, orientation);

    ConversionOptions options;
    std::tie(options.deleteMetadata, options.resize, options.resizePixels) =
        std::tuple(deleteMetadata, true, 32);
    ASSERT_TRUE(ImagePipeline::convertOne({source, path(u"out.jpg"_s), options, 0}).ok);
    EXPECT_EQ(uprightMarks(pictureOf(path(u"out.jpg"_s))), std::pair(QSize(32, 24), "wrb"s));
    EXPECT_EQ(orientationsOf(path(u"out.jpg"_s)),
              deleteMetadata ? std::pair(0, QString()) : std::pair(1, u"1"_s));

    // A left turn by the user: turned back right, the picture is upright.
    std::tie(options.resize, options.outputFormat) = std::tuple(false, OutputFormat::Png);
    ASSERT_TRUE(ImagePipeline::convertOne({source, path(u"left.png"_s), options, 90}).ok);
    EXPECT_EQ(uprightMarks(pictureOf(path(u"left.png"_s)).transformed(QTransform().rotate(90))),
              std::pair(Upright, "wrb"s));
}

INSTANTIATE_TEST_SUITE_P(Orientation, Oriented,
                         testing::Combine(testing::Range(1, 9), testing::Bool()));

// TIFF, WEBP and the preview are turned too. A phone's photo, turned and scaled on the way (steps
// that drop the profile in the image library), written without its metadata: its colours keep
// their meaning in every format; a preview shows them in sRGB.
TEST(Appearance, TiffWebpAndPreviewsAreTurnedAndTheProfileSurvivesToEveryFormatAndPreviewsInSrgb)
{
    // The profile a written picture carries; Qt reads it in a PNG, which the library ignores.
    const auto profileOf = [](const QString &path) {
        return path.endsWith(u".png"_s) ? QImage(path).colorSpace().iccProfile()
                                        : ColourProfile::of(readPicture(path));
    };
    QTemporaryDir dir;
    // The TIFF reader does not report the tag, the WEBP reader reports it only from the block its
    // writer makes, a JPEG's block: library.webp.
    const std::tuple<QString, FREE_IMAGE_FORMAT, int, QString> cases[] = {
        {u"photo.tif"_s, FIF_TIFF, 8, u"out.png"_s},
        {u"photo.webp"_s, FIF_WEBP, 5, u"out.webp"_s},
        {u"library.webp"_s, FIF_JPEG, 7, u"out.png"_s}};
    for (const auto &[name, format, orientation, output] : cases) {
        const QString source =
            writeOrientedPicture(dir.filePath(name), Upright, orientation, format);
        ASSERT_TRUE(format != FIF_JPEG || readPicture(source).save(QFile::encodeName(source)));
        ASSERT_TRUE(ImagePipeline::convertOne({source, dir.filePath(output), {}, 0}).ok);
        EXPECT_EQ(uprightMarks(pictureOf(dir.filePath(output))), std::pair(Upright, "wrb"s))
            << name.toStdString();
    }
    const auto preview = [](const QString &path, int side) {
        return ConvertPreview::render({path, {side, side}, 0, OutputFormat::Png, 16, false, 4, {}})
            .image;
    };
    EXPECT_EQ(
        uprightMarks(preview(writeOrientedPicture(dir.filePath(u"photo.jpg"_s), Upright, 6), 200)),
        std::pair(QSize(200, 150), "wrb"s));

    const QByteArray p3 = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    const QString source =
        writeOrientedPicture(dir.filePath(u"phone.jpg"_s), {64, 48}, 6, FIF_JPEG, p3);
    ConversionOptions options;
    std::tie(options.deleteMetadata, options.resize, options.resizePixels) =
        std::tuple(true, true, 32);
    // An RGB profile does not describe gray: the PNG writer would refuse the picture.
    using enum OutputFormat;
    for (const auto &[format, gray] :
         {std::pair(Jpeg, false), {Png, false}, {Tiff, false}, {Webp, false}, {Png, true}}) {
        const QString output =
            dir.filePath((gray ? u"gray"_s : u"out"_s) + outputExtension(format));
        std::tie(options.outputFormat, options.grayscale) = std::tuple(format, gray);
        ASSERT_EQ(ImagePipeline::convertOne({source, output, options, 90}).resultMessage,
                  u"End of conversion!"_s);
        EXPECT_EQ(profileOf(output), gray ? QByteArray() : p3) << output.toStdString();
    }

    // A colour inside both gamuts, stored as its Adobe RGB numbers, previews as itself in sRGB.
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(QColor(200, 80, 40));
    picture.setColorSpace(QColorSpace::SRgb);
    ASSERT_TRUE(picture.convertedToColorSpace(QColorSpace::AdobeRgb)
                    .save(dir.filePath(u"adobe.jpg"_s), nullptr, 100));
    const QColor shown = preview(dir.filePath(u"adobe.jpg"_s), 100).pixelColor(50, 50);
    EXPECT_LE(
        std::abs(shown.red() - 200) + std::abs(shown.green() - 80) + std::abs(shown.blue() - 40), 6)
        << shown.name().toStdString();
}

} // namespace
