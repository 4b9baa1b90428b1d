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
                       int rotation = 0, bool grayscale = false)
{
    return {path, QSize(200, 200), rotation, format, 16, grayscale, 4, QString()};
}

bool isWhite(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200;
}

bool isGray(QRgb c)
{
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
}

TEST(Preview, ScalesTurnsGraysAndShowsTheJpegLosses)
{
    QTemporaryDir dir;
    const QString path = writeTestPicture(dir.filePath(u"a.png"_s), 400, 300);
    const PreviewResult png = ConvertPreview::render(request(path));
    ASSERT_TRUE(png.loaded);
    EXPECT_FALSE(png.raw);
    EXPECT_EQ(png.image.size(), QSize(200, 150));
    EXPECT_TRUE(isWhite(png.image.pixel(5, 5)));
    EXPECT_EQ(png.image.pixelColor(150, 100), QColor(0, 0, 255));

    // A large JPEG is read small, then scaled to the same rectangle.
    const QString big = dir.filePath(u"big.jpg"_s);
    writeTestPicture(big, 2400, 1800, FIF_JPEG, JPEG_QUALITYSUPERB);
    const QImage jpeg = ConvertPreview::render(request(big, OutputFormat::Jpeg)).image;
    EXPECT_EQ(jpeg.size(), QSize(200, 150));
    EXPECT_GT(qRed(jpeg.pixel(50, 100)), 200);
    EXPECT_LT(qRed(jpeg.pixel(150, 100)), 60);

    // A left turn, after scaling, brings the top-left corner to the bottom-left.
    const QImage left = ConvertPreview::render(request(path, OutputFormat::Png, 90)).image;
    ASSERT_EQ(left.size(), QSize(150, 200));
    EXPECT_TRUE(isWhite(left.pixel(5, 195)));
    EXPECT_TRUE(
        isWhite(ConvertPreview::render(request(path, OutputFormat::Png, -90)).image.pixel(145, 5)));

    const QImage gray = ConvertPreview::render(request(path, OutputFormat::Png, 0, true)).image;
    EXPECT_TRUE(isGray(gray.pixel(50, 100)) && isGray(gray.pixel(150, 100)));
    PreviewRequest bad = request(path, OutputFormat::Jpeg);
    bad.jpegQualityPosition = 0;
    const QImage lossy = ConvertPreview::render(bad).image;
    ASSERT_EQ(lossy.size(), png.image.size());
    EXPECT_NE(lossy, png.image);
}

// A file is a picture by its content or its name, even when it fails to load; the rename page
// shows the load error for those and a file icon for the rest.
TEST(Preview, TellsAPictureThatFailsFromAFileThatIsNone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"fake.jpg"_s), "\xFF\xD8\xFF\xE0 not a JPEG"));
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"text.jpg"_s), "named like a picture"));
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"notes.txt"_s), "some text"));
    ASSERT_FALSE(writeTestPicture(dir.filePath(u"photo.txt"_s), 8, 8).isEmpty());
    for (const auto &[name, loaded, recognised] :
         {std::tuple(u"fake.jpg"_s, false, true), std::tuple(u"text.jpg"_s, false, true),
          std::tuple(u"notes.txt"_s, false, false), std::tuple(u"missing.png"_s, false, false),
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
    const QString pipe = dir.filePath(u"pipe.png"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const PreviewResult piped = ConvertPreview::render(request(pipe));
    EXPECT_FALSE(piped.loaded || piped.recognised);
    EXPECT_EQ(piped.libraryMessage, u"not a regular file (a pipe, device or socket)"_s);

    const QString gif = dir.filePath(u"huge.gif"_s);
    ASSERT_TRUE(writeFileBytes(gif, makeTestGif({1, 1}, {{60000, 60000}})));
    const PreviewResult huge = ConvertPreview::renderWithinBudget(request(gif), 250'000'000);
    EXPECT_TRUE(!huge.loaded && huge.recognised);
    EXPECT_EQ(huge.libraryMessage,
              u"the picture is too large to convert (60000 \u00D7 60000 pixels)"_s);
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

    const QImage image = ConvertPreview::render(request(path)).image;
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_EQ(image.pixel(100, 5), qRgba(255, 0, 0, 255)); // top rows: the opaque half
    EXPECT_EQ(qAlpha(image.pixel(100, 195)), 0);
    // The library leaves 16 bits a channel in colour when asked for gray.
    EXPECT_TRUE(isGray(
        ConvertPreview::render(request(path, OutputFormat::Png, 0, true)).image.pixel(100, 5)));
}

} // namespace
