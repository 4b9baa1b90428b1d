#include "convert/imagepipeline.h"

#include "testpictures.h"

#include "convert/librarymessages.h"
#include "convert/muldiv.h"
#include "qtprinters.h"
#include "testfiles.h"

#include <FreeImagePlus.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Width = 40, Height = 30;

struct Rgb
{
    int r, g, b;
};
constexpr Rgb Amber{220, 160, 40};
constexpr Rgb Blue{40, 40, 200};
constexpr int DarkGray = 60, LightGray = 200;

// How a test picture is stored: the left half amber (or dark gray), the right half blue (or light
// gray, half transparent where there is alpha).
struct Source
{
    const char *name, *file; // the file's extension chooses the writer
    FREE_IMAGE_TYPE type;
    unsigned bpp;
    bool gray, alphaChannel;
    int rightAlpha = 255;
};

const Source Sources[] = {
    {"jpeg", "rgb.jpg", FIT_BITMAP, 24, false, false},
    {"pngAlpha", "alpha.png", FIT_BITMAP, 32, false, true, 128},
    {"gifPalette", "palette.gif", FIT_BITMAP, 8, false, false},
    {"png48", "deep.png", FIT_RGB16, 48, false, false},
    {"tiff48", "deep.tif", FIT_RGB16, 48, false, false},
    {"grayJpeg", "gray.jpg", FIT_BITMAP, 8, true, false},
    {"webp", "rgb.webp", FIT_BITMAP, 24, false, false},
    {"grayPng", "gray.png", FIT_BITMAP, 8, true, false},
    {"png4", "palette4.png", FIT_BITMAP, 4, false, false},
    {"png64", "deepAlpha.png", FIT_RGBA16, 64, false, true, 128},
    {"tiffGray16", "gray16.tif", FIT_UINT16, 16, true, false},
    {"tiffFloat", "float.tif", FIT_RGBF, 96, false, false},
    {"tiffOpaque32", "opaque.tif", FIT_BITMAP, 32, false, false}, // an alpha channel unused
};

fipImage makePicture(const Source &source, int width = Width, int height = Height)
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
            BYTE index = source.gray ? (left ? DarkGray : LightGray) : left ? 1 : 2;
            RGBQUAD q{BYTE(c.b), BYTE(c.g), BYTE(c.r), BYTE(left ? 255 : source.rightAlpha)};
            if (indexed)
                image.setPixelIndex(x, y, &index);
            else
                image.setPixelColor(x, y, &q);
        }
    if (source.type != FIT_BITMAP)
        image.convertToType(source.type, false);
    return image;
}

bool writePicture(fipImage image, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    return image.save(FreeImage_GetFIFFromFilename(name.constData()), name.constData());
}

fipImage readPicture(const QString &path)
{
    fipImage image;
    image.load(QFile::encodeName(path).constData());
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
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

QString tooLarge(quint64 width, quint64 height)
{
    return u"the picture is too large to convert (%1 \u00D7 %2 pixels)"_s.arg(width).arg(height);
}

ConversionOptions to(OutputFormat format, bool grayscale = false, bool replaceFiles = true)
{
    ConversionOptions options;
    std::tie(options.outputFormat, options.grayscale, options.replaceFiles) =
        std::tuple(format, grayscale, replaceFiles);
    return options;
}

class Pipeline : public testing::Test
{
protected:
    void SetUp() override { LibraryMessages::install(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    static bool isGray(Rgb c) { return std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3; }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // The amber and blue JPEG a.jpg.
    void writeJpeg() { ASSERT_TRUE(writePicture(makePicture(Sources[0]), path(u"a.jpg"_s))); }
    ConversionResult convert(const QString &source, const QString &destination,
                             const ConversionOptions &options = {}, int rotation = 0)
    {
        return ImagePipeline::convertOne({path(source), path(destination), options, rotation});
    }

    QTemporaryDir m_dir;
};

// --- Proportions and flags ---------------------------------------------------------------

TEST(MulDiv, RoundsHalvesAwayFromZeroAndNeverOverflows)
{
    // a, b, c and a × b / c
    // clang-format off
    const int cases[][4] = {
        {5, 1, 2, 3}, {-5, 1, 2, -3}, {5, -1, 2, -3}, {5, 1, -2, -3}, {-5, -1, -2, -3}, {7, 1, 3, 2},
        {3000, 800, 4000, 600}, {4000, 800, 3000, 1067}, {100000, 100000, 200000, 50000},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, 2, 4, INT_MIN / 2}, {7, 9, 0, -1}};
    // clang-format on
    for (const auto &[a, b, c, expected] : cases)
        EXPECT_EQ(mulDiv(a, b, c), expected) << a << " * " << b << " / " << c;
}

TEST(ImagePipelineJpegQuality, FlagFollowsTheFivePercentSteps)
{
    const std::pair<int, int> cases[] = {{0, 0x0800},  {1, 0x0800},  {2, 0x0400}, {9, 0x0400},
                                         {10, 0x0200}, {14, 0x0200}, {15, 0x100}, {16, 0x0100},
                                         {19, 0x0100}, {20, 0x0080}};
    for (const auto &[position, flag] : cases)
        EXPECT_EQ(ImagePipeline::jpegQualityFlag(position), flag) << "position " << position;
}

TEST(LibraryMessagesFormat, NamesTheFormatWhenTheLibraryGivesOne)
{
    EXPECT_EQ(LibraryMessages::format(FIF_PNG, "caf\xc3\xa9"), u" PNG format: (café)"_s);
    // Numbers the library has no name for, and no text at all, must not crash.
    EXPECT_EQ(LibraryMessages::format(9999, "x"), u"(x)"_s);
    EXPECT_EQ(LibraryMessages::format(FIF_UNKNOWN, nullptr), u"()"_s);
}

TEST(ImagePipelineResize, GivesTheRoundedProportionalSizeOrRefuses)
{
    // mode, size, pixels asked for, success and the new size
    const std::tuple<ResizeMode, unsigned, unsigned, int, bool, unsigned, unsigned> cases[] = {
        {ResizeMode::Width, 400, 300, 80, true, 80, 60},
        {ResizeMode::Height, 300, 400, 50, true, 38, 50}, // a half rounds up
        {ResizeMode::SmallSide, 300, 400, 80, true, 80, 107},
        {ResizeMode::SmallSide, 400, 300, 80, true, 107, 80},
        {ResizeMode::LargeSide, 300, 400, 80, true, 60, 80},
        {ResizeMode::Width, 40, 30, 80, true, 80, 60},  // enlarges
        {ResizeMode::Width, 40, 30, -8, true, 40, 30},  // negative keeps the size
        {ResizeMode::Width, 400, 3, 50, true, 400, 3},  // too thin keeps the size
        {ResizeMode::Width, 40, 30, 0, false, 40, 30}}; // no pixels
    for (const auto &[mode, width, height, pixels, ok, newWidth, newHeight] : cases) {
        fipImage image(FIT_BITMAP, width, height, 24);
        const bool resized = ImagePipeline::resizeImage(image, mode, pixels);
        EXPECT_EQ(std::tuple(resized, image.getWidth(), image.getHeight()),
                  std::tuple(ok, newWidth, newHeight))
            << int(mode) << ": " << width << 'x' << height << " to " << pixels;
    }
    fipImage empty;
    EXPECT_FALSE(ImagePipeline::resizeImage(empty, ResizeMode::Width, 80));
}

// --- Every source to every format ----------------------------------------------------------

void PrintTo(const Source &source, std::ostream *out)
{
    *out << source.name;
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

class Conversion : public Pipeline,
                   public testing::WithParamInterface<std::tuple<Source, OutputFormat, bool>>
{
};

TEST_P(Conversion, WritesAValidPictureOfTheRightDepthAndColours)
{
    const auto &[picture, format, grayscale] = GetParam();
    const QString source = QString::fromLatin1(picture.file);
    ASSERT_TRUE(writePicture(makePicture(picture), path(source)));

    // Only the last extension chooses the encoder.
    const QString destination = u"picture.png"_s + outputExtension(format);
    const ConversionResult result = convert(source, destination, to(format, grayscale));
    EXPECT_EQ(std::pair(result.ok, result.resultMessage), std::pair(true, u"End of conversion!"_s));

    const fipImage output = readPicture(path(destination));
    EXPECT_EQ(std::tuple(fipImage::identifyFIF(QFile::encodeName(path(destination)).constData()),
                         output.getWidth(), output.getHeight(), output.getBitsPerPixel()),
              std::tuple(std::array{FIF_JPEG, FIF_PNG, FIF_TIFF, FIF_WEBP}[int(format)],
                         unsigned(Width), unsigned(Height),
                         expectedBpp(picture, format, grayscale)));

    const Rgb left = pixel(output, Width / 4, Height / 2);
    const Rgb right = pixel(output, Width * 3 / 4, Height / 2);
    if (grayscale || picture.gray) {
        EXPECT_TRUE(isGray(left) && isGray(right));
        EXPECT_GT(std::abs(left.r - right.r), 10) << "the two halves must stay apart";
    }
    if (picture.gray) {
        EXPECT_TRUE(near(left, {DarkGray, DarkGray, DarkGray}));
        EXPECT_TRUE(near(right, {LightGray, LightGray, LightGray}));
    } else if (!grayscale && picture.type != FIT_RGBF) {
        EXPECT_TRUE(near(left, Amber)) << left.r << ',' << left.g << ',' << left.b;
        EXPECT_TRUE(near(right, Blue)) << right.r << ',' << right.g << ',' << right.b;
    }
}

INSTANTIATE_TEST_SUITE_P(ImagePipeline, Conversion,
                         testing::Combine(testing::ValuesIn(Sources),
                                          testing::Values(OutputFormat::Jpeg, OutputFormat::Png,
                                                          OutputFormat::Tiff, OutputFormat::Webp),
                                          testing::Bool()));

TEST_F(Pipeline, TurnsCounterClockwiseForPositiveAnglesAtEveryDepth)
{
    // The test picture's top-left corner is white, its bottom-right blue. PNG has no 16-bit
    // (5-5-5) bitmaps.
    const auto source = [](unsigned bpp) {
        return u"marked%1.%2"_s.arg(bpp).arg(bpp == 16 ? u"bmp" : u"png");
    };
    fipImage image = readPicture(writeTestPicture(path(source(24)), Width, Height));
    ASSERT_TRUE(image.convertTo16Bits555() && writePicture(image, path(source(16))));
    ASSERT_TRUE(image.convertTo4Bits() && writePicture(image, path(source(4))));
    // angle, depth, and where the top-left corner ends up: at the right, at the bottom
    const std::tuple<int, unsigned, bool, bool> cases[] = {
        {90, 24, false, true},  {-90, 24, true, false}, {180, 24, true, true},
        {270, 24, true, false}, {90, 4, false, true},   {-90, 16, true, false}};
    for (const auto &[angle, bpp, markerRight, markerBottom] : cases) {
        ASSERT_TRUE(convert(source(bpp), u"turned.png"_s, to(OutputFormat::Png), angle).ok);
        const fipImage turned = readPicture(path(u"turned.png"_s));
        const bool quarter = angle % 180 != 0;
        ASSERT_EQ(std::pair(turned.getWidth(), turned.getHeight()),
                  quarter ? std::pair(30u, 40u) : std::pair(40u, 30u));
        const unsigned right = turned.getWidth() - 2, bottom = turned.getHeight() - 2;
        const unsigned x = markerRight ? right : 1, y = markerBottom ? bottom : 1;
        const fipImage original = readPicture(path(source(bpp)));
        EXPECT_TRUE(near(pixel(turned, x, y), pixel(original, 1, 1), 8)) << angle << " at " << bpp;
        EXPECT_TRUE(near(pixel(turned, right + 1 - x, bottom + 1 - y),
                         pixel(original, Width - 2, Height - 2), 8));
    }
}

// --- Outcomes -------------------------------------------------------------------------------

TEST_F(Pipeline, EachFailureNamesItsStepAndWritesNothing)
{
    writeJpeg();
    ConversionOptions resize = to(OutputFormat::Png);
    resize.resize = true; // and no pixel count
    const std::tuple<QString, QString, ConversionOptions, QString> cases[] = {
        {u"missing.jpg"_s, u"b.png"_s, {}, u"Original image error: "_s + path(u"missing.jpg"_s)},
        {u"a.jpg"_s, u"a.png"_s, resize, u"Image resizing error."_s},
        {u"a.jpg"_s, u"a.xyz"_s, {}, u" *** Save image error"_s},
        // The system's reason follows when the system failed: here the folder is gone.
        {u"a.jpg"_s, u"no/a.png"_s, {}, u" *** Save image error: No such file or directory"_s}};
    for (const auto &[source, destination, options, message] : cases) {
        const ConversionResult result = convert(source, destination, options);
        EXPECT_EQ(std::pair(result.ok, result.resultMessage), std::pair(false, message));
    }
    EXPECT_EQ(entries(), QStringList{u"a.jpg"_s});
    // A failed load leaves no earlier picture behind.
    fipImage image(FIT_BITMAP, 8, 8, 24);
    EXPECT_EQ(ImagePipeline::loadPicture(image, path(u"no.dng"_s), 0, u".dng;"_s).outcome,
              ImagePipeline::LoadedPicture::NotLoaded);
    EXPECT_FALSE(image.isValid());
}

TEST_F(Pipeline, LibraryMessageIsThisConversionsOwn)
{
    ASSERT_TRUE(writeFileBytes(path(u"broken.png"_s), QByteArray("\x89PNG\r\n\x1a\n") + "garbage"));
    ConversionResult result = convert(u"broken.png"_s, u"broken.jpg"_s);
    EXPECT_EQ(result.resultMessage, u"Original image error: "_s + path(u"broken.png"_s));
    EXPECT_TRUE(result.libraryMessage.startsWith(u" PNG format: ("_s))
        << result.libraryMessage.toStdString();

    writeJpeg();
    FreeImage_OutputMessageProc(FIF_JPEG, "stale");
    ASSERT_EQ(LibraryMessages::last(), u" JPEG format: (stale)"_s);
    result = convert(u"a.jpg"_s, u"a.png"_s);
    EXPECT_TRUE(result.ok && result.libraryMessage.isEmpty());
}

// --- The destination file -------------------------------------------------------------------

// Runs convert with writes limited to bytes, which then fail with EFBIG.
template <typename Convert> ConversionResult withFileSizeLimit(rlim_t bytes, Convert convert)
{
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, previous.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const ConversionResult result = convert();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    return result;
}

TEST_F(Pipeline, ReplacesWithAnOrdinaryNewFileOrLeavesTheDestinationWhenNotToReplace)
{
    writeJpeg();
    ASSERT_TRUE(writeFileBytes(path(u"a.png"_s), "old"));
    const ConversionResult refused =
        convert(u"a.jpg"_s, u"a.png"_s, to(OutputFormat::Png, false, false));
    EXPECT_EQ(std::tuple(refused.ok, refused.destinationExists, refused.resultMessage),
              std::tuple(false, true, u" *** Save image error: "_s + qt_error_string(EEXIST)));
    EXPECT_EQ(readFileBytes(path(u"a.png"_s)), "old");
    const auto fresh = convert(u"a.jpg"_s, u"new.png"_s, to(OutputFormat::Png, false, false));
    EXPECT_TRUE(fresh.ok && !fresh.destinationExists);

    const mode_t previous = umask(022);
    const ConversionResult result = convert(u"a.jpg"_s, u"a.png"_s, to(OutputFormat::Png));
    umask(previous);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(readPicture(path(u"a.png"_s)).isValid());
    EXPECT_EQ(QFile::permissions(path(u"a.png"_s)).toInt(), 0x6644); // rw-r--r--, owner twice
    EXPECT_EQ(entries(), (QStringList{u"a.jpg"_s, u"a.png"_s, u"new.png"_s}));
}

TEST_F(Pipeline, CutShortSaveKeepsTheExistingDestinationAndLeavesNoTrace)
{
    // Noise, so that the encoded picture is far larger than the limit.
    fipImage image(FIT_BITMAP, 200, 150, 24);
    quint32 seed = 1;
    for (unsigned y = 0; y < 150; ++y)
        for (unsigned x = 0; x < 600; ++x)
            image.getScanLine(y)[x] = BYTE((seed = seed * 1664525u + 1013904223u) >> 24);
    ASSERT_TRUE(writePicture(image, path(u"noise.tif"_s)));
    ASSERT_TRUE(writeFileBytes(path(u"kept.png"_s), "precious"));

    // One byte short fails only in the last flush of the file.
    ASSERT_TRUE(convert(u"noise.tif"_s, u"probe.png"_s, to(OutputFormat::Png)).ok);
    const qint64 size = QFileInfo(path(u"probe.png"_s)).size();
    ASSERT_TRUE(QFile::remove(path(u"probe.png"_s)));
    const ConversionResult replacing = withFileSizeLimit(
        size - 1, [&] { return convert(u"noise.tif"_s, u"kept.png"_s, to(OutputFormat::Png)); });
    const ConversionResult creating = withFileSizeLimit(
        4096, [&] { return convert(u"noise.tif"_s, u"new.jpg"_s, to(OutputFormat::Jpeg)); });
    const QString tooLarge = u" *** Save image error: "_s + qt_error_string(EFBIG);
    EXPECT_EQ(std::pair(replacing.resultMessage, creating.resultMessage),
              std::pair(tooLarge, tooLarge));
    EXPECT_EQ(readFileBytes(path(u"kept.png"_s)), "precious");
    EXPECT_EQ(entries(), (QStringList{u"kept.png"_s, u"noise.tif"_s}));
}

TEST_F(Pipeline, DestinationThatIsTheSourceByAnotherNameIsNeverWritten)
{
    ASSERT_TRUE(writePicture(makePicture(Sources[1]), path(u"alpha.png"_s)));
    const QByteArray before = readFileBytes(path(u"alpha.png"_s));
    ASSERT_TRUE(QFile::link(m_dir.path(), path(u"linked"_s)));
    ASSERT_EQ(link(QFile::encodeName(path(u"alpha.png"_s)).constData(),
                   QFile::encodeName(path(u"hard.png"_s)).constData()),
              0);
    // Gray, so that a written picture would differ.
    for (const QString &destination : {u"linked/alpha.png"_s, u"hard.png"_s}) {
        const ConversionResult result =
            convert(u"alpha.png"_s, destination, to(OutputFormat::Png, true));
        EXPECT_EQ(std::pair(result.ok, result.resultMessage),
                  std::pair(false, u"the destination is the source file itself"_s));
    }
    EXPECT_EQ(readFileBytes(path(u"alpha.png"_s)), before);
    EXPECT_EQ(entries(), (QStringList{u"alpha.png"_s, u"hard.png"_s}));
}

// --- Hostile sources ------------------------------------------------------------------------

TEST_F(Pipeline, SourceThatIsNoRegularFileIsRefusedWithoutWaiting)
{
    const Watchdog watchdog;
    ASSERT_EQ(mkfifo(QFile::encodeName(path(u"pipe.jpg"_s)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path(u"pipe.jpg"_s), path(u"link.png"_s)));
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, path(u"zero.gif"_s)));
    const QString reason = u"not a regular file (a pipe, device or socket)"_s;
    for (const QString &name : {u"pipe.jpg"_s, u"link.png"_s, u"zero.gif"_s}) {
        const ConversionResult result = convert(name, u"out.png"_s);
        EXPECT_EQ(std::tuple(result.ok, result.resultMessage, result.libraryMessage),
                  std::tuple(false, reason, reason));
        fipImage image;
        EXPECT_EQ(ImagePipeline::loadPicture(image, path(name), 0, QString()).outcome,
                  ImagePipeline::LoadedPicture::NotLoaded);
        EXPECT_EQ(ImagePipeline::checkPixelBudget(path(name), QString(), 1), QString());
    }
    EXPECT_FALSE(QFile::exists(path(u"out.png"_s)));
}

TEST_F(Pipeline, HeaderClaimingTooManyPixelsIsRefusedUndecoded)
{
    const Watchdog watchdog; // a malformed length must not send the header walk round forever
    const QSize huge(60000, 60000);
    const std::tuple<QString, QByteArray, QString> cases[] = {
        {u"screen.gif"_s, makeTestGif(huge, {{1, 1}}), tooLarge(60000, 60000)},
        {u"frame.gif"_s, makeTestGif({1, 1}, {{1, 1}, {2, 2}, huge}), tooLarge(60000, 60000)},
        {u"a.j2k"_s, makeTestJ2k(huge), tooLarge(60000, 60000)},
        {u"header.jp2"_s, makeTestJp2(huge, {1, 1}), tooLarge(60000, 60000)},
        {u"code.jp2"_s, makeTestJp2({1, 1}, {60000, 50000}), tooLarge(60000, 50000)},
        // Cut inside the huge frame's descriptor: only the small screen is known.
        {u"cut.gif"_s, makeTestGif({1, 1}, {huge}).left(32), QString()},
        // A box whose 64-bit length is 0 would never move the walk on.
        {u"empty.jp2"_s,
         makeTestJp2(huge, {1, 1}).left(12) + QByteArray("\0\0\0\x01jp2h", 8) +
             QByteArray(8, '\0') + makeTestJp2(huge, {1, 1}).mid(12),
         QString()}};
    for (const auto &[name, bytes, refusal] : cases) {
        ASSERT_TRUE(writeFileBytes(path(name), bytes));
        EXPECT_EQ(ImagePipeline::checkPixelBudget(path(name), QString(), 250'000'000), refusal);
        if (refusal.isEmpty())
            continue;
        const ConversionResult result = ImagePipeline::convertWithinBudget(
            {path(name), path(u"out.png"_s), {}, 0}, 250'000'000);
        EXPECT_EQ(std::tuple(result.ok, result.resultMessage, result.libraryMessage),
                  std::tuple(false, refusal, refusal));
        EXPECT_FALSE(QFile::exists(path(u"out.png"_s)));
    }
}

TEST_F(Pipeline, SmallGifAndJpeg2000PicturesAreMeasuredAndConvert)
{
    // The JPEG 2000 encoder needs 32 pixels a side for its resolution levels.
    const int width = 80, height = 60;
    for (const char *file : {"palette.gif", "rgb.j2k", "rgb.jp2"}) {
        const QString name = path(QString::fromLatin1(file));
        ASSERT_TRUE(writePicture(
            makePicture(Sources[name.endsWith(u"gif"_s) ? 2 : 0], width, height), name));
        EXPECT_EQ(std::pair(ImagePipeline::checkPixelBudget(name, QString(), width * height),
                            ImagePipeline::checkPixelBudget(name, QString(), width * height - 1)),
                  std::pair(QString(), tooLarge(width, height)))
            << file;
        EXPECT_TRUE(ImagePipeline::convertWithinBudget(
                        {name, name + u".png"_s, to(OutputFormat::Png), 0}, width * height)
                        .ok);
    }
}

// --- RAW camera files -----------------------------------------------------------------------

// camera.dng: makeTestDng(64, 48) as a file, so that a clean clone converts a camera file too.
const QString OwnCameraFile = QStringLiteral(PELORIN_TEST_FILES_DIR "/camera.dng");

TEST_F(Pipeline, RawPicturesAreToneMappedWithTheBrightnessGivenAndReadWhateverTheyLookLike)
{
    ConversionOptions options = to(OutputFormat::Png);
    double levels[2] = {};
    for (int brightness : {-8, 8}) {
        options.rawBrightness = brightness;
        ASSERT_TRUE(
            ImagePipeline::convertOne({OwnCameraFile, path(u"camera.png"_s), options, 0}).ok);
        const fipImage output = readPicture(path(u"camera.png"_s));
        ASSERT_EQ(std::pair(output.getWidth(), output.getBitsPerPixel()), std::pair(64u, 24u));
        double sum = 0;
        for (unsigned y = 0; y < output.getHeight(); ++y)
            for (unsigned byte = 0; byte < output.getLine(); ++byte)
                sum += output.getScanLine(y)[byte];
        levels[brightness > 0] = sum / (output.getHeight() * output.getLine());
    }
    EXPECT_GT(levels[1], levels[0] + 20);

    // A TARGA 2.0 footer makes the content check take the file for a TARGA picture.
    const QByteArray targaFooter = QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.", 18);
    ASSERT_TRUE(writeFileBytes(path(u"CAMERA.DNG"_s), makeTestDng(64, 48) + targaFooter));
    fipImage image;
    const auto loaded = ImagePipeline::loadPicture(image, path(u"CAMERA.DNG"_s), 0, u".dng;"_s);
    EXPECT_EQ(std::tuple(loaded.outcome, loaded.raw, image.getWidth()),
              std::tuple(ImagePipeline::LoadedPicture::Loaded, true, 64u));
    // To JPEG a RAW picture stays 24-bit even when grayed.
    ASSERT_TRUE(convert(u"CAMERA.DNG"_s, u"camera.jpg"_s, to(OutputFormat::Jpeg, true)).ok);
    const fipImage gray = readPicture(path(u"camera.jpg"_s));
    EXPECT_EQ(gray.getBitsPerPixel(), 24u);
    EXPECT_TRUE(isGray(pixel(gray, 32, 24)));
    options.rawExtensions = u".cr2;"_s;
    EXPECT_EQ(convert(u"CAMERA.DNG"_s, u"camera.jpg"_s, options).resultMessage,
              u"Original image error: "_s + path(u"CAMERA.DNG"_s));

    // Real camera files, when the checkout has them beside it.
    const QString folder = QStringLiteral(PELORIN_TESTDATA_DIR "/raw");
    for (const auto &[name, width, height] : {std::tuple(u"tinydng_colorchart.dng"_s, 1734u, 1156u),
                                              std::tuple(u"RAW_KODAK_DC50_é.KDC"_s, 768u, 512u)}) {
        if (!QFileInfo::exists(folder + u'/' + name))
            continue;
        const ConversionResult result = ImagePipeline::convertOne(
            {folder + u'/' + name, path(u"camera.jpg"_s), to(OutputFormat::Jpeg), 0});
        ASSERT_TRUE(result.ok) << result.resultMessage.toStdString();
        const fipImage output = readPicture(path(u"camera.jpg"_s));
        EXPECT_EQ(std::pair(output.getWidth(), output.getHeight()), std::pair(width, height));
    }
}

} // namespace
