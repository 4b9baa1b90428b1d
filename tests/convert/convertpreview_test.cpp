#include "convert/convertpreview.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QTemporaryDir>

#include <FreeImage.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(Preview, RectFitsTheLongerSideAndKeepsTheRatioInWholePercent)
{
    const std::pair<QRect, QRect> cases[] = {{{200, 200, 4000, 3000}, {0, 25, 200, 150}},
                                             {{200, 200, 3000, 4000}, {25, 0, 150, 200}},
                                             {{200, 200, 1920, 1080}, {0, 44, 200, 112}},
                                             {{200, 200, 7, 7}, {0, 0, 200, 200}},
                                             {{217, 217, 100, 1000}, {97, 0, 22, 217}}};
    for (const auto &[in, expected] : cases) // frame width and height, picture width and height
        EXPECT_EQ(ConvertPreview::previewRect(in.x(), in.y(), in.width(), in.height()), expected);
}

PreviewRequest request(const QString &path, OutputFormat format = OutputFormat::Png,
                       int rotation = 0, bool grayscale = false, int quality = 16)
{
    return {path, QSize(200, 200), rotation, format, quality, grayscale, 4, QString()};
}

TEST(Preview, ScalesTurnsGraysAndShowsTheJpegLosses)
{
    QTemporaryDir dir;
    const QString path = writeTestPicture(dir.filePath(u"a.png"_s), 400, 300);
    // The white top-left corner follows the turn (a left one for positive angles), after the
    // scaling; gray weighs red and blue as the luma of Rec. 709 does.
    const auto shown = [&path](int rotation, bool grayscale, QPoint at) {
        const QImage image =
            ConvertPreview::render(request(path, OutputFormat::Png, rotation, grayscale)).image;
        return std::pair(image.size(), image.pixel(at));
    };
    const QRgb white = qRgb(255, 255, 255);
    const QSize landscape(200, 150), portrait(150, 200);
    EXPECT_EQ(shown(0, false, {5, 5}), std::pair(landscape, white));
    EXPECT_EQ(shown(0, false, {150, 100}), std::pair(landscape, qRgb(0, 0, 255)));
    EXPECT_EQ(shown(90, false, {5, 195}), std::pair(portrait, white));
    EXPECT_EQ(shown(-90, false, {145, 5}), std::pair(portrait, white));
    EXPECT_EQ(shown(0, true, {50, 100}), std::pair(landscape, qRgb(54, 54, 54)));
    EXPECT_EQ(shown(0, true, {150, 100}), std::pair(landscape, qRgb(18, 18, 18)));

    // A large JPEG is read small, then scaled to the same rectangle.
    const QString big = dir.filePath(u"big.jpg"_s);
    writeTestPicture(big, 2400, 1800, FIF_JPEG, JPEG_QUALITYSUPERB);
    const QImage jpeg = ConvertPreview::render(request(big, OutputFormat::Jpeg)).image;
    EXPECT_TRUE(jpeg.size() == landscape && qRed(jpeg.pixel(50, 100)) > 200 &&
                qRed(jpeg.pixel(150, 100)) < 60);
    const QImage lossy =
        ConvertPreview::render(request(path, OutputFormat::Jpeg, 0, false, 0)).image;
    EXPECT_TRUE(lossy.size() == landscape && lossy != ConvertPreview::render(request(path)).image);
}

// A file is a picture by its content or its name, even when it fails to load; the rename page
// shows the load error for those and a file icon for the rest.
TEST(Preview, TellsAPictureThatFailsFromAFileThatIsNone)
{
    QTemporaryDir dir;
    // By name only, or neither: the rename page's tests show those.
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"fake.jpg"_s), "\xFF\xD8\xFF\xE0 not a JPEG"));
    ASSERT_FALSE(writeTestPicture(dir.filePath(u"photo.txt"_s), 8, 8).isEmpty());
    for (const auto &[name, loaded, recognised] :
         {std::tuple(u"fake.jpg"_s, false, true), std::tuple(u"missing.png"_s, false, false),
          std::tuple(u"photo.txt"_s, true, true)}) {
        const PreviewResult result = ConvertPreview::render(request(dir.filePath(name)));
        EXPECT_EQ(std::pair(result.loaded, result.recognised), std::pair(loaded, recognised))
            << name.toStdString();
    }
}

TEST(Preview, RefusesAPipeAndAPictureOverTheBudgetUnread)
{
    const Watchdog watchdog;
    QTemporaryDir dir;
    const QString pipe = dir.filePath(u"pipe.png"_s), gif = dir.filePath(u"huge.gif"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const PreviewResult piped = ConvertPreview::render(request(pipe));
    EXPECT_EQ(std::tuple(piped.loaded, piped.recognised, piped.libraryMessage),
              std::tuple(false, false, u"not a regular file (a pipe, device or socket)"_s));

    ASSERT_TRUE(writeFileBytes(gif, makeTestGif({1, 1}, {{60000, 60000}})));
    const PreviewResult huge = ConvertPreview::renderWithinBudget(request(gif), 250'000'000);
    EXPECT_EQ(std::tuple(huge.loaded, huge.recognised, huge.libraryMessage),
              std::tuple(false, true,
                         u"the picture is too large to convert (60000 \u00D7 60000 pixels)"_s));
}

TEST(Preview, KeepsTransparencyAndGraysSixteenBitPictures)
{
    QTemporaryDir dir;
    FIBITMAP *rgba = FreeImage_AllocateT(FIT_RGBA16, 40, 40);
    auto *pixels = reinterpret_cast<FIRGBA16 *>(FreeImage_GetBits(rgba));
    for (int i = 0; i < 40 * 40; ++i)
        pixels[i] = FIRGBA16{65535, 0, 0, WORD(i < 20 * 40 ? 0 : 65535)};
    const QString path = dir.filePath(u"deep.png"_s);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, rgba, QFile::encodeName(path).constData(), 0));
    FreeImage_Unload(rgba);

    // The top rows are the opaque half. The library leaves 16 bits a channel in colour when
    // asked for gray.
    const QImage image = ConvertPreview::render(request(path)).image;
    EXPECT_EQ(
        std::tuple(
            image.size(), image.pixel(100, 5), qAlpha(image.pixel(100, 195)),
            ConvertPreview::render(request(path, OutputFormat::Png, 0, true)).image.pixel(100, 5)),
        std::tuple(QSize(200, 200), qRgba(255, 0, 0, 255), 0, qRgb(54, 54, 54)));
}

} // namespace
