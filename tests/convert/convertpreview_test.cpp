#include "convert/convertpreview.h"

#include "testpictures.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <FreeImage.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct RectCase
{
    int cw, ch, w, h;
    QRect expected;
};

void PrintTo(const RectCase &c, std::ostream *out)
{
    *out << c.w << "x" << c.h << " in " << c.cw << "x" << c.ch;
}

class PreviewRect : public testing::TestWithParam<RectCase>
{
};

TEST_P(PreviewRect, FitsTheLongerSideAndKeepsTheRatioInWholePercent)
{
    const RectCase &c = GetParam();
    EXPECT_EQ(ConvertPreview::previewRect(c.cw, c.ch, c.w, c.h), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Frames, PreviewRect,
                         testing::Values(RectCase{200, 200, 4000, 3000, QRect(0, 25, 200, 150)},
                                         RectCase{200, 200, 3000, 4000, QRect(25, 0, 150, 200)},
                                         RectCase{200, 200, 1920, 1080, QRect(0, 44, 200, 112)},
                                         RectCase{200, 200, 7, 7, QRect(0, 0, 200, 200)},
                                         RectCase{217, 217, 100, 1000, QRect(97, 0, 22, 217)}));

QString makePicture(const QTemporaryDir &dir, const QString &name, FREE_IMAGE_FORMAT format, int w,
                    int h, int saveFlags = 0)
{
    return writeTestPicture(dir.filePath(name), w, h, format, saveFlags);
}

PreviewRequest request(const QString &path, OutputFormat format = OutputFormat::Png)
{
    PreviewRequest r;
    r.sourcePath = path;
    r.frame = QSize(200, 200);
    r.outputFormat = format;
    return r;
}

bool isWhite(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200;
}

TEST(Preview, ScalesAPictureToItsRectangle)
{
    QTemporaryDir dir;
    const PreviewResult png =
        ConvertPreview::render(request(makePicture(dir, u"a.png"_s, FIF_PNG, 400, 300)));
    ASSERT_TRUE(png.loaded);
    EXPECT_FALSE(png.raw);
    EXPECT_EQ(png.image.size(), QSize(200, 150));
    EXPECT_TRUE(isWhite(png.image.pixel(5, 5)));
    EXPECT_EQ(png.image.pixelColor(150, 100), QColor(0, 0, 255));

    // A large JPEG is read small, then scaled to the same rectangle.
    const PreviewResult jpeg = ConvertPreview::render(
        request(makePicture(dir, u"big.jpg"_s, FIF_JPEG, 2400, 1800, JPEG_QUALITYSUPERB),
                OutputFormat::Jpeg));
    ASSERT_TRUE(jpeg.loaded);
    EXPECT_EQ(jpeg.image.size(), QSize(200, 150));
    EXPECT_GT(qRed(jpeg.image.pixel(50, 100)), 200);
    EXPECT_LT(qRed(jpeg.image.pixel(150, 100)), 60);
}

TEST(Preview, TurnsLeftForPositiveAnglesAfterScaling)
{
    QTemporaryDir dir;
    PreviewRequest r = request(makePicture(dir, u"a.png"_s, FIF_PNG, 400, 300));
    r.rotation = 90;
    PreviewResult turned = ConvertPreview::render(r);
    ASSERT_EQ(turned.image.size(), QSize(150, 200));
    // A left turn brings the top-left corner to the bottom-left.
    EXPECT_TRUE(isWhite(turned.image.pixel(5, 195)));
    r.rotation = -90;
    turned = ConvertPreview::render(r);
    EXPECT_TRUE(isWhite(turned.image.pixel(145, 5)));
}

TEST(Preview, ShowsGrayAndTheJpegLosses)
{
    QTemporaryDir dir;
    const QString path = makePicture(dir, u"a.png"_s, FIF_PNG, 400, 300);
    PreviewRequest r = request(path);
    r.grayscale = true;
    const QImage gray = ConvertPreview::render(r).image;
    for (const QPoint &p : {QPoint(50, 100), QPoint(150, 100)}) {
        const QRgb c = gray.pixel(p);
        EXPECT_EQ(qRed(c), qGreen(c));
        EXPECT_EQ(qGreen(c), qBlue(c));
    }

    PreviewRequest png = request(path, OutputFormat::Png);
    PreviewRequest bad = request(path, OutputFormat::Jpeg);
    bad.jpegQualityPosition = 0;
    const QImage lossless = ConvertPreview::render(png).image;
    const QImage lossy = ConvertPreview::render(bad).image;
    ASSERT_EQ(lossless.size(), lossy.size());
    EXPECT_NE(lossless, lossy);
}

// A file is a picture by its content or its name, even when it fails to load; the rename page
// shows the load error for those and a file icon for the rest.
TEST(Preview, TellsAPictureThatFailsFromAFileThatIsNone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"fake.jpg"_s), "\xFF\xD8\xFF\xE0 not a JPEG"));
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"text.jpg"_s), "named like a picture"));
    ASSERT_TRUE(writeFileBytes(dir.filePath(u"notes.txt"_s), "some text"));
    ASSERT_FALSE(makePicture(dir, u"photo.txt"_s, FIF_PNG, 8, 8).isEmpty());
    for (const auto &[name, loaded, recognised] :
         {std::tuple(u"fake.jpg"_s, false, true), std::tuple(u"text.jpg"_s, false, true),
          std::tuple(u"notes.txt"_s, false, false), std::tuple(u"missing.png"_s, false, false),
          std::tuple(u"photo.txt"_s, true, true)}) {
        const PreviewResult result = ConvertPreview::render(request(dir.filePath(name)));
        EXPECT_EQ(result.loaded, loaded) << name.toStdString();
        EXPECT_EQ(result.recognised, recognised) << name.toStdString();
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
    EXPECT_FALSE(huge.loaded);
    EXPECT_TRUE(huge.recognised);
    EXPECT_EQ(huge.libraryMessage,
              u"the picture is too large to convert (60000 \u00D7 60000 pixels)"_s);
}

TEST(Preview, KeepsTransparencyAndReadsSixteenBitPictures)
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
    EXPECT_EQ(qAlpha(image.pixel(100, 5)), 255); // top rows: the opaque half
    EXPECT_EQ(QColor(image.pixel(100, 5)), QColor(255, 0, 0));
    EXPECT_EQ(qAlpha(image.pixel(100, 195)), 0);

    // The library leaves 16 bits a channel in colour when asked for gray.
    PreviewRequest gray = request(path);
    gray.grayscale = true;
    const QRgb top = ConvertPreview::render(gray).image.pixel(100, 5);
    EXPECT_EQ(qRed(top), qGreen(top));
    EXPECT_EQ(qGreen(top), qBlue(top));
}

} // namespace
