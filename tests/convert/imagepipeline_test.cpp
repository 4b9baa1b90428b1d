// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/imagepipeline.h"

#include "testpictures.h"

#include "imaging/librarymessages.h"
#include "imaging/muldiv.h"
#include "imaging/sourcefile.h"
#include "qtprinters.h"
#include "testfiles.h"
#include "util/systemcalls.h"

#include <FreeImagePlus.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <numeric>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <tuple>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr unsigned Width = 40, Height = 30;

struct Rgb
{
    int r, g, b;
};
constexpr Rgb Amber{220, 160, 40}, Blue{40, 40, 200}, Dark{60, 60, 60}, Light{200, 200, 200};

// How a test picture is stored (the file's extension chooses the writer): the left half amber (or
// dark gray), the right half blue (or light gray, half transparent where there is alpha).
struct Source
{
    const char *file;
    unsigned bpp;
    FREE_IMAGE_TYPE type = FIT_BITMAP;
    bool gray = false, alphaChannel = false;
};

// opaque.tif has an alpha channel it does not use.
// clang-format off
const Source Sources[] = {
    {"rgb.jpg", 24}, {"rgb.webp", 24}, {"palette4.png", 4}, {"palette.gif", 8}, {"opaque.tif", 32},
    {"alpha.png", 32, FIT_BITMAP, false, true}, {"gray.png", 8, FIT_BITMAP, true},
    {"deep.png", 48, FIT_RGB16}, {"float.tif", 96, FIT_RGBF}, {"gray16.tif", 16, FIT_UINT16, true},
    {"deepAlpha.png", 64, FIT_RGBA16, false, true}};
// clang-format on

fipImage makePicture(const Source &source, int width = int(Width), int height = int(Height))
{
    // Drawn at 8 bits a channel (or as palette indices), then widened to the source's type.
    const bool indexed = source.gray || source.bpp <= 8;
    fipImage image(FIT_BITMAP, width, height,
                   indexed                                   ? std::min(source.bpp, 8u)
                   : source.alphaChannel || source.bpp == 32 ? 32
                                                             : 24);
    if (indexed && !source.gray) {
        image.getPalette()[1] = {BYTE(Amber.b), BYTE(Amber.g), BYTE(Amber.r), 0};
        image.getPalette()[2] = {BYTE(Blue.b), BYTE(Blue.g), BYTE(Blue.r), 0};
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            const Rgb c = left ? Amber : Blue;
            BYTE index = source.gray ? (left ? Dark.r : Light.r) : left ? 1 : 2;
            RGBQUAD q{BYTE(c.b), BYTE(c.g), BYTE(c.r),
                      BYTE(left || !source.alphaChannel ? 255 : 128)};
            indexed ? image.setPixelIndex(x, y, &index) : image.setPixelColor(x, y, &q);
        }
    if (source.type != FIT_BITMAP)
        image.convertToType(source.type, false);
    return image;
}

// x and y from the top-left corner.
Rgb pixel(const fipImage &image, unsigned x, unsigned y)
{
    fipImage copy(image);
    if (copy.getImageType() == FIT_UINT16)
        copy.convertTo8Bits();
    copy.convertTo24Bits();
    RGBQUAD q{};
    copy.getPixelColor(x, copy.getHeight() - 1 - y, &q);
    return {q.rgbRed, q.rgbGreen, q.rgbBlue};
}

bool near(Rgb a, Rgb b, int tolerance = 30)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}) <= tolerance;
}

QString tooLarge(quint64 width, quint64 height)
{
    return u"the picture is too large to convert (%1 \u00D7 %2 pixels)"_s.arg(width).arg(height);
}

class Pipeline : public testing::Test
{
protected:
    void SetUp() override { LibraryMessages::install(); }
    static ConversionOptions to(OutputFormat format, bool gray = false, bool replace = true)
    {
        ConversionOptions o;
        std::tie(o.outputFormat, o.grayscale, o.replaceFiles) = std::tuple(format, gray, replace);
        return o;
    }
    // How a conversion ended, and what the library said.
    static auto ended(const ConversionResult &r) { return std::tuple(r.ok, r.resultMessage); }
    static auto said(const ConversionResult &r)
    {
        return std::tuple(r.ok, r.resultMessage, r.libraryMessage);
    }

    // An absolute name is taken as it is.
    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    static bool isGray(Rgb c) { return std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3; }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    ConversionResult convert(const QString &source, const QString &destination,
                             const ConversionOptions &options = {}, int rotation = 0)
    {
        return ImagePipeline::convertOne({path(source), path(destination), options, rotation});
    }

    QTemporaryDir m_dir;
};

template <typename Row> struct Table : Pipeline, testing::WithParamInterface<Row>
{
};

// --- Proportions and flags ---------------------------------------------------------------

TEST(ImagePipelineProportions, MulDivRoundsHalvesAwayFromZeroAndResizingGivesTheRoundedSize)
{
    // a, b, c and a × b / c
    // clang-format off
    const int cases[][4] = {
        {5, 1, 2, 3}, {-5, 1, 2, -3}, {5, -1, 2, -3}, {5, 1, -2, -3}, {7, 1, 3, 2}, {7, 9, 0, -1},
        {4000, 800, 3000, 1067}, {100000, 100000, 200000, 50000}, {INT_MIN, 2, 4, INT_MIN / 2},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX}};
    // clang-format on
    for (const auto &[a, b, c, expected] : cases)
        EXPECT_EQ(mulDiv(a, b, c), expected) << a << " * " << b << " / " << c;
    // The JPEG quality flag follows the five percent steps.
    // clang-format off
    for (const auto &[position, flag] : {std::pair{1, 0x800}, {2, 0x400}, {9, 0x400}, {10, 0x200},
                                        {14, 0x200}, {15, 0x100}, {19, 0x100}, {20, 0x080}})
        // clang-format on
        EXPECT_EQ(ImagePipeline::jpegQualityFlag(position), flag) << "position " << position;

    // Resizing: mode, size, pixels asked for and the new size. A half rounds up, a small picture
    // is enlarged, a negative count or a picture too thin keeps the size. (None refuses: the
    // pipeline's failures below.)
    using enum ResizeMode;
    // clang-format off
    const std::tuple<ResizeMode, unsigned, unsigned, int, unsigned, unsigned> sizes[] = {
        {Width, 400, 300, 80, 80, 60}, {Height, 300, 400, 50, 38, 50},
        {SmallSide, 300, 400, 80, 80, 107}, {SmallSide, 400, 300, 80, 107, 80},
        {LargeSide, 300, 400, 80, 60, 80}, {Width, 40, 30, 80, 80, 60}, {Width, 40, 30, -8, 40, 30},
        {Width, 400, 3, 50, 400, 3}};
    // clang-format on
    for (const auto &[mode, width, height, pixels, newWidth, newHeight] : sizes) {
        fipImage image(FIT_BITMAP, width, height, 24);
        // Braces: the size is read after the resize.
        EXPECT_EQ((std::tuple{ImagePipeline::resizeImage(image, mode, pixels), image.getWidth(),
                              image.getHeight()}),
                  std::tuple(true, newWidth, newHeight));
    }
}

// A resized JPEG is read at a reduced scale, and every picture resampled in fixed point: against
// the full read with the library's Catmull-Rom, the same size with no visible difference, for
// every kind of bitmap, smaller and larger, turned by the user, and without the reduced read's
// notes in the file. The reduced read leaves 1.4 times the size asked for on the sides as turned,
// which is where it reads a 1200-pixel photo at half its size for 428.
// Positive angles turn counter-clockwise, at every depth.
TEST_F(Pipeline, ResizedPicturesLookLikeTheFullReadResampledByTheLibraryAndTurnAtEveryDepth)
{
    using enum ResizeMode;
    // clang-format off
    const std::tuple<QString, unsigned, ResizeMode, int, int> cases[] = {
        {u"photo.jpg"_s, 24, LargeSide, 600, 0}, {u"photo.jpg"_s, 24, Width, 100, 90},
        {u"photo.jpg"_s, 24, SmallSide, 1000, 0}, {u"gray.jpg"_s, 8, Height, 150, 0},
        {u"alpha.png"_s, 32, LargeSide, 333, -270}, {u"palette.gif"_s, 24, LargeSide, 250, 0},
        {u"progressive.jpg"_s, 24, Width, 300, 90}};
    // clang-format on
    for (const auto &[name, bpp, mode, pixels, rotation] : cases) {
        ASSERT_FALSE(writePhotoLikePicture(path(name), 1200, 800, bpp).isEmpty());
        // Its header is read from the bytes before the scans, cut there: the reader's notes on
        // that are not the picture's.
        ASSERT_TRUE(!name.startsWith(u"progressive"_s) ||
                    readPicture(path(name))
                        .save(QFile::encodeName(path(name)), JPEG_PROGRESSIVE | JPEG_QUALITYGOOD));
        ConversionOptions options = to(OutputFormat::Png);
        std::tie(options.resize, options.resizeMode, options.resizePixels) =
            std::tuple(true, mode, pixels);
        const ConversionResult result = convert(name, u"out.png"_s, options, rotation);
        ASSERT_EQ(std::pair(result.ok, result.libraryMessage), std::pair(true, QString()));
        fipImage expected = readPicture(path(name));
        ImagePipeline::rotate(expected, rotation);
        const QSize size = ImagePipeline::resizedSize(
            QSize(expected.getWidth(), expected.getHeight()), mode, pixels);
        expected.rescale(size.width(), size.height(), FILTER_CATMULLROM);
        fipImage output = readPicture(path(u"out.png"_s));
        EXPECT_GE(psnr(expected, output), 40.0) << name.toStdString() << " to " << pixels;
        EXPECT_EQ(FreeImage_GetMetadataCount(FIMD_COMMENTS, output), 0u);
    }

    ASSERT_FALSE(writeOrientedPicture(path(u"turned.jpg"_s), QSize(1200, 1600), 6).isEmpty());
    SourceFile turned;
    ASSERT_TRUE(turned.open(path(u"turned.jpg"_s)));
    for (const auto &[rotation, longSide] : {std::pair{0, 333}, {90, 250}, {-270, 250}})
        EXPECT_EQ(ImagePipeline::jpegShrinkFlags(turned, Width, 250, rotation) >> 16,
                  longSide * 7 / 5);

    // The test picture's top-left corner is white, its bottom-right blue.
    const auto at = [](unsigned bpp) { return u"at%1.bmp"_s.arg(bpp); };
    fipImage image = readPicture(writeTestPicture(path(at(24)), 40, 30, FIF_BMP));

    ASSERT_TRUE(image.convertTo16Bits555() && image.save(QFile::encodeName(path(at(16)))));
    ASSERT_TRUE(image.convertTo4Bits() && image.save(QFile::encodeName(path(at(4)))));
    // Turned back by the library, the output is the picture as it was.
    for (const auto &[angle, bpp] :
         {std::pair(90, 24u), {-90, 24u}, {180, 24u}, {270, 24u}, {90, 4u}, {-90, 16u}}) {
        ASSERT_TRUE(convert(at(bpp), u"turned.png"_s, to(OutputFormat::Png), angle).ok);
        fipImage back = readPicture(path(u"turned.png"_s)), original = readPicture(path(at(bpp)));
        ASSERT_TRUE(back.rotate(-angle) && back.convertTo24Bits() && original.convertTo24Bits());
        EXPECT_GE(psnr(back, original), 40.0) << angle << " at " << bpp;
    }
}

// --- Every source to every format ----------------------------------------------------------

void PrintTo(const Source &source, std::ostream *out)
{
    *out << source.file;
}

// JPEG takes 8-bit gray and 24 bits, WEBP 24 and 32 bits; PNG and TIFF keep the depth except
// PNG for floating point and an unused alpha channel. Grayscale gives 8 bits wherever the encoder
// takes them.
unsigned expectedBpp(const Source &source, OutputFormat format, bool grayscale)
{
    if (format == OutputFormat::Jpeg)
        return grayscale || source.gray ? 8 : 24;
    if (format == OutputFormat::Webp)
        return source.alphaChannel && !grayscale ? 32 : 24;
    if (grayscale)
        return 8;
    const bool opaque32 = source.bpp == 32 && !source.alphaChannel;
    return format == OutputFormat::Png && (source.type == FIT_RGBF || opaque32) ? 24 : source.bpp;
}

using Conversion = Table<std::tuple<Source, OutputFormat, bool>>;

TEST_P(Conversion, WritesAValidPictureOfTheRightDepthAndColours)
{
    const auto &[picture, format, grayscale] = GetParam();
    const QString source = QString::fromLatin1(picture.file);
    ASSERT_TRUE(makePicture(picture).save(QFile::encodeName(path(source))));

    // Only the last extension chooses the encoder.
    const QString destination = u"picture.png"_s + outputExtension(format);
    EXPECT_TRUE(convert(source, destination, to(format, grayscale)).ok);

    const fipImage output = readPicture(path(destination));
    EXPECT_EQ(std::tuple(fipImage::identifyFIF(QFile::encodeName(path(destination)).constData()),
                         output.getWidth(), output.getHeight(), output.getBitsPerPixel()),
              std::tuple(std::array{FIF_JPEG, FIF_PNG, FIF_TIFF, FIF_WEBP}[int(format)], Width,
                         Height, expectedBpp(picture, format, grayscale)));

    const Rgb left = pixel(output, Width / 4, Height / 2);
    const Rgb right = pixel(output, Width * 3 / 4, Height / 2);
    // The two halves must stay apart.
    EXPECT_TRUE((!grayscale && !picture.gray) ||
                (isGray(left) && isGray(right) && std::abs(left.r - right.r) > 10));
    EXPECT_TRUE(!picture.gray || (near(left, Dark) && near(right, Light)));
    EXPECT_TRUE(picture.gray || grayscale || picture.type == FIT_RGBF ||
                (near(left, Amber) && near(right, Blue)));
}

INSTANTIATE_TEST_SUITE_P(ImagePipeline, Conversion,
                         testing::Combine(testing::ValuesIn(Sources),
                                          testing::Values(OutputFormat::Jpeg, OutputFormat::Png,
                                                          OutputFormat::Tiff, OutputFormat::Webp),
                                          testing::Bool()));

// --- Outcomes -------------------------------------------------------------------------------

// Each failure names its step, writes nothing and has the library's message of its own. A file
// is replaced by an ordinary new one, and no file is written that was not to be replaced.
TEST_F(Pipeline, FailuresNameTheirStepAndWriteNothingAndOnlyAFileToReplaceIsReplaced)
{
    // The amber and blue JPEG.
    ASSERT_TRUE(makePicture(Sources[0]).save(QFile::encodeName(path(u"a.jpg"_s))));
    ConversionOptions resize = to(OutputFormat::Png);
    resize.resize = true; // and no pixel count
    const std::tuple<QString, QString, ConversionOptions, QString> cases[] = {
        {u"missing.jpg"_s, u"b.png"_s, {}, u"Original image error: "_s + path(u"missing.jpg"_s)},
        {u"a.jpg"_s, u"a.png"_s, resize, u"Image resizing error."_s},
        {u"a.jpg"_s, u"a.xyz"_s, {}, u" *** Save image error"_s},
        // The system's reason follows when the system failed: here the folder is gone.
        {u"a.jpg"_s, u"no/a.png"_s, {}, u" *** Save image error: No such file or directory"_s}};
    for (const auto &[source, destination, options, message] : cases)
        EXPECT_EQ(ended(convert(source, destination, options)), std::tuple(false, message));
    EXPECT_EQ(entries(), QStringList{u"a.jpg"_s});
    // A failed load leaves no earlier picture behind.
    fipImage image(FIT_BITMAP, 8, 8, 24);
    EXPECT_EQ(ImagePipeline::loadPicture(image, path(u"no.dng"_s), 0, u".dng;"_s).outcome,
              ImagePipeline::LoadedPicture::NotLoaded);
    EXPECT_FALSE(image.isValid());

    // The library's message is this conversion's own.
    ASSERT_TRUE(writeFileBytes(path(u"broken.png"_s), QByteArray("\x89PNG\r\n\x1a\n") + "garbage"));
    const ConversionResult result = convert(u"broken.png"_s, u"broken.jpg"_s);
    EXPECT_EQ(result.resultMessage, u"Original image error: "_s + path(u"broken.png"_s));
    EXPECT_TRUE(result.libraryMessage.startsWith(u" PNG format: ("_s));
    // Numbers the library has no name for, and no text at all, must not crash.
    EXPECT_EQ(LibraryMessages::format(9999, "x"), u"(x)"_s);
    EXPECT_EQ(LibraryMessages::format(FIF_UNKNOWN, nullptr), u"()"_s);

    FreeImage_OutputMessageProc(FIF_JPEG, "stale");
    ASSERT_EQ(LibraryMessages::last(), u" JPEG format: (stale)"_s);
    EXPECT_EQ(said(convert(u"a.jpg"_s, u"a.png"_s)),
              std::tuple(true, u"End of conversion!"_s, QString()));

    // The destination file.
    ASSERT_TRUE(writeFileBytes(path(u"a.png"_s), "old"));
    const ConversionResult refused =
        convert(u"a.jpg"_s, u"a.png"_s, to(OutputFormat::Png, false, false));
    EXPECT_EQ(
        std::tuple(refused.ok, refused.destinationExists, refused.resultMessage),
        std::tuple(false, true, u" *** Save image error: a file with this name already exists"_s));
    EXPECT_EQ(readFileBytes(path(u"a.png"_s)), "old");
    const auto fresh = convert(u"a.jpg"_s, u"new.png"_s, to(OutputFormat::Png, false, false));
    EXPECT_TRUE(fresh.ok && !fresh.destinationExists);

    // A write-protected file is not replaced; a replaced one is a picture that keeps the file's
    // mode, group and attributes.
    const QString png = path(u"a.png"_s);
    const QByteArray picture = readFileBytes(png), name = QFile::encodeName(png);
    const gid_t group = ::getuid() == 0 ? 1 : ::getgid(); // another group where the test may
    const auto gray = [&] { return convert(u"a.jpg"_s, u"a.png"_s, to(OutputFormat::Png, true)); };
    ASSERT_TRUE(::chmod(name, 0444) == 0 && ::chown(name, uid_t(-1), group) == 0 &&
                ::setxattr(name, "user.tag", "kept", 4, 0) == 0);
    const QString refusal = gray().resultMessage;
    ASSERT_TRUE(readFileBytes(png) == picture && ::chmod(name, 0640) == 0 && gray().ok);
    EXPECT_EQ(std::tuple(refusal, QFile::permissions(png).toInt(), QFileInfo(png).groupId(),
                         ::getxattr(name, "user.tag", nullptr, 0), readPicture(png).isValid()),
              std::tuple(u"the destination file is write-protected"_s, 0x6640, group, 4, true));

    // A save cut short keeps the existing destination and leaves no trace.
    // Grain, so that the encoded picture is far larger than the limit.
    ASSERT_TRUE(!writePhotoLikePicture(path(u"noise.tif"_s), 200, 150).isEmpty() &&
                writeFileBytes(path(u"kept.png"_s), "precious"));

    // One byte short fails only in the last flush of the file.
    ASSERT_TRUE(convert(u"noise.tif"_s, u"probe.png"_s, to(OutputFormat::Png)).ok);
    const qint64 size = QFileInfo(path(u"probe.png"_s)).size();
    const ConversionResult replacing = withFileSizeLimit(
        size - 1, [&] { return convert(u"noise.tif"_s, u"kept.png"_s, to(OutputFormat::Png)); });
    const ConversionResult creating = withFileSizeLimit(
        4096, [&] { return convert(u"noise.tif"_s, u"new.jpg"_s, to(OutputFormat::Jpeg)); });
    EXPECT_EQ(QStringList({replacing.resultMessage, creating.resultMessage}),
              QStringList(2, u" *** Save image error: "_s + qt_error_string(EFBIG)));
    // Nor does one the system fails to close, and the source stays as it was.
    const QByteArray noise = readFileBytes(path(u"noise.tif"_s));
    {
        SystemCalls::Fake calls;
        calls->fclose = [](FILE *file) { return std::fclose(file), errno = EIO, EOF; };
        EXPECT_EQ(ended(convert(u"noise.tif"_s, u"kept.png"_s, to(OutputFormat::Png))),
                  std::tuple(false, u" *** Save image error: "_s + qt_error_string(EIO)));
    }
    EXPECT_EQ(readFileBytes(path(u"kept.png"_s)) + readFileBytes(path(u"noise.tif"_s)),
              "precious" + noise);

    // A destination that is the source by another name is never written.
    ASSERT_TRUE(makePicture(Sources[5]).save(QFile::encodeName(path(u"alpha.png"_s))));
    const QByteArray before = readFileBytes(path(u"alpha.png"_s));
    ASSERT_TRUE(QFile::link(m_dir.path(), path(u"linked"_s)) &&
                ::link(QFile::encodeName(path(u"alpha.png"_s)),
                       QFile::encodeName(path(u"hard.png"_s))) == 0);
    // Gray, so that a written picture would differ.
    for (const QString &destination : {u"linked/alpha.png"_s, u"hard.png"_s})
        EXPECT_EQ(ended(convert(u"alpha.png"_s, destination, to(OutputFormat::Png, true))),
                  std::tuple(false, u"the destination is the source file itself"_s));
    EXPECT_EQ(readFileBytes(path(u"alpha.png"_s)), before);
    // One that shows the source's inode number on another device is another file, and so is one
    // that shows the inode number of a picture written earlier on yet another.
    struct stat source = {};
    ASSERT_TRUE(::stat(QFile::encodeName(path(u"alpha.png"_s)), &source) == 0 &&
                writeFileBytes(path(u"twin.png"_s), "twin") &&
                writeFileBytes(path(u"earlier.png"_s), "earlier"));
    SystemCalls::Fake calls;
    calls->fstatat = [&](int folder, const char *name, struct stat *s, int flags) {
        const int result = ::fstatat(folder, name, s, flags), twin = name == "twin.png"_ba;
        if (twin || name == "earlier.png"_ba)
            std::tie(s->st_dev, s->st_ino) = std::tuple(source.st_dev + 1 + twin, source.st_ino);
        return result;
    };
    const ConversionRequest twin{
        path(u"alpha.png"_s), path(u"twin.png"_s), {}, 0, {u"earlier.png"_s}};
    EXPECT_EQ(ended(ImagePipeline::convertOne(twin)), std::tuple(true, u"End of conversion!"_s));
    EXPECT_EQ(entries().join(u' '), u"a.jpg a.png alpha.png broken.png earlier.png hard.png "
                                    u"kept.png new.png noise.tif probe.png twin.png"_s);
}

// --- Hostile sources ------------------------------------------------------------------------

TEST_F(Pipeline, SourceThatIsNoRegularFileOrClaimsTooManyPixelsIsRefusedWithoutWaiting)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(path(u"pipe.jpg"_s)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path(u"pipe.jpg"_s), path(u"link.png"_s)));
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, path(u"zero.gif"_s)));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"folder.jpg"_s));
    // The second time, each passes the check on its path, as if swapped in after it: the opened
    // file is refused all the same, and never waited for (an open that could block fails).
    SystemCalls::Fake calls;
    bool swapped = false;
    calls->stat = [&](const char *file, struct stat *s) {
        return swapped ? (s->st_mode = S_IFREG, 0) : ::stat(file, s);
    };
    calls->open = [](const char *file, int flags, mode_t mode) {
        return flags & O_NONBLOCK ? ::open(file, flags, mode) : (errno = EDEADLK, -1);
    };
    for (const bool swap : {false, true})
        for (const QString &name : {u"pipe.jpg"_s, u"link.png"_s, u"zero.gif"_s, u"folder.jpg"_s}) {
            swapped = swap;
            const QString reason = name.startsWith(u"folder"_s)
                                       ? u"a folder, not a file"_s
                                       : u"not a regular file (a pipe, device or socket)"_s;
            EXPECT_EQ(said(convert(name, u"out.png"_s)), std::tuple(false, reason, reason));
            EXPECT_EQ(ImagePipeline::checkPixelBudget(path(name), QString(), 1), QString());
        }

    // Small GIF and JPEG 2000 pictures are measured exactly.
    // The JPEG 2000 encoder needs 32 pixels a side for its resolution levels.
    const int w = 80, h = 60;
    for (const QString &name : {path(u"palette.gif"_s), path(u"rgb.j2k"_s), path(u"rgb.jp2"_s)}) {
        ASSERT_TRUE(makePicture(Sources[name.endsWith(u"gif"_s) ? 3 : 0], w, h)
                        .save(QFile::encodeName(name)));
        EXPECT_EQ(std::pair(ImagePipeline::checkPixelBudget(name, QString(), w * h),
                            ImagePipeline::checkPixelBudget(name, QString(), w * h - 1)),
                  std::pair(QString(), tooLarge(w, h)))
            << name.toStdString();
    }
}

// A file that claims a picture, named as another kind: refused undecoded when it claims too many
// pixels, or when its reader would decode it blind or never finish; honest small ones convert.
struct HeaderCase
{
    QString name;
    QByteArray bytes;
    QString refusal;
    bool converts = false;
};

void PrintTo(const HeaderCase &c, std::ostream *out)
{
    *out << c.name.toStdString();
}

std::vector<HeaderCase> headerCases()
{
    const auto hex = [](const char *digits) { return QByteArray::fromHex(digits); };
    const QSize huge(60000, 60000);
    const QByteArray jp2 = makeTestJp2(huge, makeTestJ2k({1, 1}));
    const QString square = tooLarge(60000, 60000), wide = tooLarge(60000, 50000);
    const QString unknown =
        u"the size of the picture cannot be read without decoding it (damaged or unsupported header)"_s;
    const auto dds = [&](const char *heightWidth) { // 24-bit RGB
        return "DDS " + hex("7c00000007100000") + hex(heightWidth) + QByteArray(56, '\0') +
               hex("20000000 40000000 00000000 18000000") + QByteArray(36, '\0');
    };
    const auto chunk = [](const char *type, const QByteArray &data) { // length, type, data, CRC
        const QByteArray body = type + data;
        QByteArray length(4, '\0'), crc(4, '\0');
        qToBigEndian(quint32(data.size()), length.data());
        qToBigEndian(FreeImage_ZLibCRC32(0, (BYTE *)body.data(), DWORD(body.size())), crc.data());
        return length + body + crc;
    };
    const auto bmhd = [&](const char *size) { // IFF chunks: type, length, data
        return "BMHD" + hex("00000014") + hex(size) + QByteArray(16, '\0');
    };
    // The header, then opcodes the walk passes, one of each kind: with a length of its own, sized
    // by its number, a no-op, fixed lengths, a rectangle and its "same" form, an arc and its
    // "same" form, a region, a comment.
    const QByteArray pict =
        QByteArray(512, '\0') + hex("0000 0000000000010001 001102ff0c00") + QByteArray(24, '\0') +
        hex("00a2 0002 ffff 0000 0006 ffffffff 0030 ffffffffffffffff 0100 ffff 0038 "
            "0060 ffffffffffffffffffffffff 0068 ffffffff 0092 0002 ffff 00a0 ffff");
    const QByteArray xbm = "#define b_width 16\n#define b_height 2\nstatic char b_bits[] = {\n";
    const QByteArray x10 = "#define b_width 16\n#define b_height 2\nstatic short b_bits[] = {\n";
    const QString cut = u"the file is cut short: it ends before the picture its header describes"_s;
    // Every bitmap header allocates; the last one before the body is decoded.
    const QByteArray iff = "FORM" + hex("00000024") + "ILBM" + bmhd("00010001") + bmhd("ea60c350") +
                           bmhd("00010001") + "BODY" + hex("00000000");
    // The frame size (MHDR) allocates nothing; the first image's IHDR does.
    const QByteArray mng = hex("8a4d4e470d0a1a0a") + chunk("MHDR", QByteArray(28, '\0')) +
                           chunk("IHDR", hex("0000ea600000c350 0800000000"));
    // The library's header read of a JNG decodes whatever its JPEG chunks hold, blind.
    const QByteArray jng = hex("8b4a4e470d0a1a0a") +
                           chunk("JHDR", hex("0000000100000001 0a08080000000000")) +
                           chunk("JDAT", dds("0200000003000000")) + chunk("IEND", {});
    return {
        {u"screen.gif"_s, makeTestGif(huge, {{1, 1}}), square},
        {u"frame.gif"_s, makeTestGif({1, 1}, {{1, 1}, {2, 2}, huge}), square},
        {u"a.j2k"_s, makeTestJ2k(huge), square},
        {u"header.jp2"_s, jp2, square},
        // The picture starts at an offset into its codestream's grid, which may leave nothing: the
        // library's header read refuses that codestream in a JP2.
        {u"code.jp2"_s, makeTestJp2({1, 1}, makeTestJ2k({70000, 60000}, {10000, 10000})), wide},
        {u"left.jp2"_s, makeTestJp2({1, 1}, makeTestJ2k({100, 100}, {101, 0})), QString()},
        {u"top.j2k"_s, makeTestJ2k({100, 100}, {0, 100}), unknown},
        {u"sgi.jpg"_s, hex("01da00010003ea60c3500003") + QByteArray(500, '\0'), wide},
        {u"dds.png"_s, dds("50c3000060ea0000"), wide},
        {u"iff.jpg"_s, iff, wide},
        {u"mng.jpg"_s, mng, wide},
        {u"xbm.png"_s, "#define b_width 60000\n#define b_height 50000\nstatic char b_bits[] = {\n",
         wide},
        {u"wap.wbmp"_s, hex("0000 83d460 838650"), wide},
        {u"pict.jpg"_s, pict + hex("009a 00000000 0000 000000004e207530"), tooLarge(30000, 20000)},
        {u"jng.png"_s, jng, unknown},
        // The readers of the next two never finish.
        {u"nobody.png"_s, "FORM" + hex("00100000") + "ILBM" + bmhd("00100010"), unknown},
        {u"back.jpg"_s, pict + hex("00d0 fffffff4"), unknown}, // a length that walks back
        {u"quicktime.jpg"_s, pict + hex("8200 7fffffff") + QByteArray(16, '\1'), unknown},
        {u"cut.png"_s, xbm + "0x01,\n", cut},
        // A box whose 64-bit length is 0 would never move the walk on.
        {u"empty.jp2"_s,
         jp2.left(12) + QByteArray("\0\0\0\x01jp2h", 8) + QByteArray(8, '\0') + jp2.mid(12),
         unknown},
        // Cut inside the huge frame's descriptor: only the small screen is known.
        {u"cut.gif"_s, makeTestGif({1, 1}, {huge}).left(32), QString()},
        {u"small.png"_s, xbm + "0x01, 0x02, 0x03, 0x04 };\n", QString(), true},
        {u"x10.png"_s, x10 + "0x0102, 0x0304 };\n", QString(), true},
        {u"x10cut.png"_s, x10 + "0x0102,\n", cut},
        {u"x10odd.png"_s, x10 + "0x012,\n", QString()},
        {u"sgi.png"_s,
         hex("01da00010003000200020003") + QByteArray(500, '\0') + QByteArray(12, '\x80'),
         QString(), true},
        {u"c64.jpg"_s, hex("0060") + QByteArray(10001, '\x11'), QString(), true}};
}

using ClaimedSizes = Table<HeaderCase>;

TEST_P(ClaimedSizes, AreReadBeforeDecodingAndRefuseWhatIsTooLargeOrCannotBeSized)
{
    const HeaderCase &c = GetParam();
    ASSERT_TRUE(writeFileBytes(path(c.name), c.bytes));
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(c.name), QString(), 250'000'000), c.refusal);
    const ConversionResult result =
        ImagePipeline::convertWithinBudget({path(c.name), path(u"out.png"_s), {}, 0}, 250'000'000);
    if (!c.refusal.isEmpty()) {
        EXPECT_EQ(said(result), std::tuple(false, c.refusal, c.refusal));
    }
    EXPECT_EQ(std::pair(result.ok, QFile::exists(path(u"out.png"_s))),
              std::pair(c.converts, c.converts));
}

INSTANTIATE_TEST_SUITE_P(ImagePipeline, ClaimedSizes, testing::ValuesIn(headerCases()));

// --- RAW camera files -----------------------------------------------------------------------

// camera.dng: makeTestDng(64, 48) as a file, so that a clean clone converts a camera file too.
const QString OwnCameraFile = QStringLiteral(PELORIN_TEST_FILES_DIR "/camera.dng");

TEST_F(Pipeline, RawPicturesAreToneMappedWithTheBrightnessGivenAndReadWhateverTheyLookLike)
{
    ConversionOptions options = to(OutputFormat::Png);
    double levels[2] = {};
    for (int brightness : {-8, 8}) {
        options.rawBrightness = brightness;
        ASSERT_TRUE(convert(OwnCameraFile, u"camera.png"_s, options).ok);
        const fipImage output = readPicture(path(u"camera.png"_s));
        ASSERT_EQ(std::pair(output.getWidth(), output.getBitsPerPixel()), std::pair(64u, 24u));
        const BYTE *bytes = output.accessPixels(); // rows of 192 bytes have no padding
        const unsigned size = output.getHeight() * output.getLine();
        levels[brightness > 0] = std::accumulate(bytes, bytes + size, 0.0) / size;
    }
    EXPECT_GT(levels[1], levels[0] + 20);

    // A TARGA 2.0 footer makes the content check take the file for a TARGA picture.
    const QByteArray targaFooter = QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.", 18);
    ASSERT_TRUE(writeFileBytes(path(u"CAMERA.DNG"_s), makeTestDng(64, 48) + targaFooter));
    // Read as RAW by its extension: to JPEG a RAW picture stays 24-bit even when grayed. Without
    // the extension among the RAW ones, it is not read.
    ASSERT_TRUE(convert(u"CAMERA.DNG"_s, u"camera.jpg"_s, to(OutputFormat::Jpeg, true)).ok);
    const fipImage gray = readPicture(path(u"camera.jpg"_s));
    EXPECT_EQ(std::tuple(gray.getWidth(), gray.getBitsPerPixel(), isGray(pixel(gray, 32, 24))),
              std::tuple(64u, 24u, true));
    options.rawExtensions = u".cr2;"_s;
    EXPECT_EQ(convert(u"CAMERA.DNG"_s, u"camera.jpg"_s, options).resultMessage,
              u"Original image error: "_s + path(u"CAMERA.DNG"_s));
}

// Real camera files, when the checkout has them beside it.
TEST_F(Pipeline, CameraFilesConvert)
{
    const QString folder = QStringLiteral(PELORIN_TESTDATA_DIR "/raw");
    if (!QDir(folder).exists())
        GTEST_SKIP() << "no camera files at " << folder.toStdString();
    for (const auto &[name, width, height] : {std::tuple(u"tinydng_colorchart.dng"_s, 1734u, 1156u),
                                              std::tuple(u"RAW_KODAK_DC50_é.KDC"_s, 768u, 512u)}) {
        const auto result = convert(folder + u'/' + name, u"camera.jpg"_s, to(OutputFormat::Jpeg));
        ASSERT_TRUE(result.ok) << result.resultMessage.toStdString();
        const fipImage output = readPicture(path(u"camera.jpg"_s));
        EXPECT_EQ(std::pair(output.getWidth(), output.getHeight()), std::pair(width, height));
    }
}

} // namespace
