#include "convert/imagepipeline.h"

#include "testpictures.h"

#include "convert/librarymessages.h"
#include "convert/muldiv.h"
#include "qtprinters.h"
#include "testfiles.h"

#include <FreeImagePlus.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <ostream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Width = 40;
constexpr int Height = 30;

struct Rgb
{
    int r, g, b;
};
constexpr Rgb Amber{220, 160, 40};
constexpr Rgb Blue{40, 40, 200};
constexpr int DarkGray = 60;
constexpr int LightGray = 200;

// How a test picture is stored: the left half amber (or dark gray), the right half blue (or light
// gray, half transparent where there is alpha).
struct Source
{
    const char *name;
    const char *file; // its extension chooses the writer
    FREE_IMAGE_TYPE type;
    unsigned bpp;
    bool gray;
    bool alphaChannel;
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
};

void setIndex(fipImage &image, int x, int y, BYTE index)
{
    image.setPixelIndex(x, y, &index);
}

fipImage makePicture(const Source &source, int width = Width, int height = Height)
{
    fipImage image(source.type, width, height, source.bpp);
    if (RGBQUAD *palette = image.getPalette()) {
        for (unsigned i = 0; i < image.getColorsUsed(); ++i)
            palette[i] = source.gray ? RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0} : RGBQUAD{};
        if (!source.gray) {
            palette[1] = {BYTE(Amber.b), BYTE(Amber.g), BYTE(Amber.r), 0};
            palette[2] = {BYTE(Blue.b), BYTE(Blue.g), BYTE(Blue.r), 0};
        }
    }
    for (int y = 0; y < height; ++y) {
        BYTE *line = image.getScanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            const Rgb c = left ? Amber : Blue;
            const int level = left ? DarkGray : LightGray;
            const int alpha = left ? 255 : source.rightAlpha;
            if (source.type == FIT_RGB16)
                reinterpret_cast<FIRGB16 *>(line)[x] = {WORD(c.r * 257), WORD(c.g * 257),
                                                        WORD(c.b * 257)};
            else if (source.type == FIT_RGBA16)
                reinterpret_cast<FIRGBA16 *>(line)[x] = {WORD(c.r * 257), WORD(c.g * 257),
                                                         WORD(c.b * 257), WORD(alpha * 257)};
            else if (source.type == FIT_UINT16)
                reinterpret_cast<WORD *>(line)[x] = WORD(level * 257);
            else if (source.type == FIT_RGBF)
                reinterpret_cast<FIRGBF *>(line)[x] = {c.r / 255.f, c.g / 255.f, c.b / 255.f};
            else if (source.bpp <= 8)
                setIndex(image, x, y, source.gray ? level : left ? 1 : 2);
            else {
                RGBQUAD q{BYTE(c.b), BYTE(c.g), BYTE(c.r), BYTE(alpha)};
                image.setPixelColor(x, y, &q);
            }
        }
    }
    return image;
}

bool writePicture(fipImage &image, const QString &path)
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

bool isGray(Rgb c)
{
    return std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3;
}

// The Compression tag (259) of the first directory of a little-endian TIFF file, or -1.
int tiffCompression(const QString &path)
{
    const QByteArray d = readFileBytes(path);
    const auto at16 = [&](qsizetype i) { return qFromLittleEndian<quint16>(d.constData() + i); };
    const qsizetype directory = d.size() >= 8 ? qFromLittleEndian<quint32>(d.constData() + 4) : 0;
    if (!d.startsWith("II") || directory + 2 > d.size())
        return -1;
    for (qsizetype entry = directory + 2;
         entry < directory + 2 + 12 * at16(directory) && entry + 12 <= d.size(); entry += 12) {
        if (at16(entry) == 259)
            return at16(entry + 8);
    }
    return -1;
}

class Pipeline : public testing::Test
{
protected:
    void SetUp() override
    {
        LibraryMessages::install();
        ASSERT_TRUE(m_dir.isValid());
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    ConversionResult convert(const QString &source, const QString &destination,
                             const ConversionOptions &options = {}, int rotation = 0)
    {
        return ImagePipeline::convertOne({path(source), path(destination), options, rotation});
    }

    ConversionOptions to(OutputFormat format)
    {
        ConversionOptions options;
        options.outputFormat = format;
        return options;
    }

    QTemporaryDir m_dir;
};

// --- Proportions and flags ---------------------------------------------------------------

TEST(MulDiv, RoundsHalvesAwayFromZeroAndNeverOverflows)
{
    EXPECT_EQ(mulDiv(5, 1, 2), 3);
    EXPECT_EQ(mulDiv(-5, 1, 2), -3);
    EXPECT_EQ(mulDiv(5, -1, 2), -3);
    EXPECT_EQ(mulDiv(5, 1, -2), -3);
    EXPECT_EQ(mulDiv(-5, -1, -2), -3);
    EXPECT_EQ(mulDiv(7, 1, 3), 2);
    EXPECT_EQ(mulDiv(3000, 800, 4000), 600);
    EXPECT_EQ(mulDiv(4000, 800, 3000), 1067);
    EXPECT_EQ(mulDiv(100000, 100000, 200000), 50000);
    EXPECT_EQ(mulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(mulDiv(INT_MIN, 2, 4), INT_MIN / 2);
    EXPECT_EQ(mulDiv(7, 9, 0), -1);
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
    EXPECT_EQ(LibraryMessages::format(FIF_JPEG, "abc"), u" JPEG format: (abc)"_s);
    EXPECT_EQ(LibraryMessages::format(FIF_UNKNOWN, "abc"), u"(abc)"_s);
    EXPECT_EQ(LibraryMessages::format(FIF_PNG, "caf\xc3\xa9"), u" PNG format: (café)"_s);
    // Numbers the library has no name for, and no text at all, must not crash.
    EXPECT_EQ(LibraryMessages::format(9999, "x"), u"(x)"_s);
    EXPECT_EQ(LibraryMessages::format(FIF_UNKNOWN, nullptr), u"()"_s);
}

struct ResizeCase
{
    const char *name;
    ResizeMode mode;
    int width, height, pixels;
    unsigned newWidth, newHeight;
};

void PrintTo(const ResizeCase &c, std::ostream *out)
{
    *out << c.name;
}

class Resize : public testing::TestWithParam<ResizeCase>
{
};

TEST_P(Resize, GivesTheRoundedProportionalSize)
{
    const ResizeCase &c = GetParam();
    fipImage image(FIT_BITMAP, c.width, c.height, 24);
    EXPECT_TRUE(ImagePipeline::resizeImage(image, c.mode, c.pixels));
    EXPECT_EQ(image.getWidth(), c.newWidth);
    EXPECT_EQ(image.getHeight(), c.newHeight);
}

INSTANTIATE_TEST_SUITE_P(
    ImagePipeline, Resize,
    testing::Values(ResizeCase{"width", ResizeMode::Width, 400, 300, 80, 80, 60},
                    ResizeCase{"heightHalfRoundsUp", ResizeMode::Height, 300, 400, 50, 38, 50},
                    ResizeCase{"smallPortrait", ResizeMode::SmallSide, 300, 400, 80, 80, 107},
                    ResizeCase{"smallLandscape", ResizeMode::SmallSide, 400, 300, 80, 107, 80},
                    ResizeCase{"largePortrait", ResizeMode::LargeSide, 300, 400, 80, 60, 80},
                    ResizeCase{"largeSquare", ResizeMode::LargeSide, 50, 50, 20, 20, 20},
                    ResizeCase{"enlarges", ResizeMode::Width, 40, 30, 80, 80, 60},
                    ResizeCase{"negativeKeepsTheSize", ResizeMode::Width, 40, 30, -8, 40, 30},
                    ResizeCase{"tooThinKeepsTheSize", ResizeMode::Width, 400, 3, 50, 400, 3}));

TEST(ImagePipelineResize, RefusesNoPixelsAndNoPicture)
{
    fipImage image(FIT_BITMAP, 40, 30, 24);
    EXPECT_FALSE(ImagePipeline::resizeImage(image, ResizeMode::Width, 0));
    fipImage empty;
    EXPECT_FALSE(ImagePipeline::resizeImage(empty, ResizeMode::Width, 80));
}

// --- Every source to every format ----------------------------------------------------------

struct ConversionCase
{
    const Source *source;
    OutputFormat format;
    bool grayscale;
};

void PrintTo(const ConversionCase &c, std::ostream *out)
{
    *out << c.source->name << "_to_" << outputExtension(c.format).mid(1).toStdString()
         << (c.grayscale ? "_gray" : "");
}

std::vector<ConversionCase> conversionCases()
{
    std::vector<ConversionCase> cases;
    for (const Source &source : Sources)
        for (OutputFormat format :
             {OutputFormat::Jpeg, OutputFormat::Png, OutputFormat::Tiff, OutputFormat::Webp})
            for (bool grayscale : {false, true})
                cases.push_back({&source, format, grayscale});
    return cases;
}

// JPEG takes 8-bit gray and 24 bits, WEBP 24 and 32 bits; PNG and TIFF keep the depth except
// PNG for floating point. Grayscale gives 8 bits wherever the encoder takes them.
unsigned expectedBpp(const ConversionCase &c)
{
    const bool grayOutput = c.grayscale || c.source->gray;
    switch (c.format) {
    case OutputFormat::Jpeg:
        return grayOutput ? 8 : 24;
    case OutputFormat::Webp:
        return c.source->alphaChannel && !c.grayscale ? 32 : 24;
    case OutputFormat::Png:
    case OutputFormat::Tiff:
        break;
    }
    if (c.grayscale)
        return 8;
    return c.format == OutputFormat::Png && c.source->type == FIT_RGBF ? 24 : c.source->bpp;
}

class Conversion : public Pipeline, public testing::WithParamInterface<ConversionCase>
{
};

TEST_P(Conversion, WritesAValidPictureOfTheRightDepthAndColours)
{
    const ConversionCase &c = GetParam();
    const QString source = QString::fromLatin1(c.source->file);
    fipImage original = makePicture(*c.source);
    ASSERT_TRUE(writePicture(original, path(source)));
    ASSERT_EQ(readPicture(path(source)).getBitsPerPixel(), c.source->bpp);

    ConversionOptions options = to(c.format);
    options.grayscale = c.grayscale;
    // Only the last extension chooses the encoder.
    const QString destination = u"picture.png"_s + outputExtension(c.format);
    const ConversionResult result = convert(source, destination, options);
    ASSERT_TRUE(result.ok) << result.resultMessage.toStdString();
    EXPECT_EQ(result.resultMessage, u"End of conversion!"_s);

    const FREE_IMAGE_FORMAT formats[] = {FIF_JPEG, FIF_PNG, FIF_TIFF, FIF_WEBP};
    EXPECT_EQ(fipImage::identifyFIF(QFile::encodeName(path(destination)).constData()),
              formats[int(c.format)]);
    const fipImage output = readPicture(path(destination));
    ASSERT_TRUE(output.isValid());
    EXPECT_EQ(output.getWidth(), unsigned(Width));
    EXPECT_EQ(output.getHeight(), unsigned(Height));
    EXPECT_EQ(output.getBitsPerPixel(), expectedBpp(c));
    if (c.format == OutputFormat::Tiff) {
        EXPECT_EQ(tiffCompression(path(destination)), 5); // LZW
    }

    const Rgb left = pixel(output, Width / 4, Height / 2);
    const Rgb right = pixel(output, Width * 3 / 4, Height / 2);
    if (c.grayscale || c.source->gray) {
        EXPECT_TRUE(isGray(left) && isGray(right));
        EXPECT_GT(std::abs(left.r - right.r), 10) << "the two halves must stay apart";
    }
    if (c.source->gray) {
        EXPECT_TRUE(near(left, {DarkGray, DarkGray, DarkGray}));
        EXPECT_TRUE(near(right, {LightGray, LightGray, LightGray}));
    } else if (!c.grayscale && c.source->type != FIT_RGBF) {
        EXPECT_TRUE(near(left, Amber)) << left.r << ',' << left.g << ',' << left.b;
        EXPECT_TRUE(near(right, Blue)) << right.r << ',' << right.g << ',' << right.b;
    }
}

INSTANTIATE_TEST_SUITE_P(ImagePipeline, Conversion, testing::ValuesIn(conversionCases()));

TEST_F(Pipeline, OpaqueThirtyTwoBitPictureIsWrittenAsJpeg)
{
    fipImage image = makePicture({"opaque", "opaque.tif", FIT_BITMAP, 32, false, true});
    ASSERT_TRUE(writePicture(image, path(u"opaque.tif"_s)));
    ASSERT_EQ(readPicture(path(u"opaque.tif"_s)).getColorType(), FIC_RGB);

    ASSERT_TRUE(convert(u"opaque.tif"_s, u"opaque.jpg"_s).ok);
    const fipImage output = readPicture(path(u"opaque.jpg"_s));
    EXPECT_EQ(output.getBitsPerPixel(), 24u);
    EXPECT_TRUE(near(pixel(output, 10, 15), Amber));
}

TEST_F(Pipeline, TiffCompressionCheckSeesAnUncompressedFile)
{
    fipImage image = makePicture(Sources[0]);
    ASSERT_TRUE(
        image.save(FIF_TIFF, QFile::encodeName(path(u"plain.tif"_s)).constData(), TIFF_NONE));
    EXPECT_EQ(tiffCompression(path(u"plain.tif"_s)), 1);
}

// --- Rotation -------------------------------------------------------------------------------

struct RotationCase
{
    const char *name;
    int angle;
    unsigned bpp;
    bool markerRight, markerBottom; // where the top-left corner ends up
};

void PrintTo(const RotationCase &c, std::ostream *out)
{
    *out << c.name;
}

class Rotation : public Pipeline, public testing::WithParamInterface<RotationCase>
{
};

TEST_P(Rotation, TurnsCounterClockwiseForPositiveAngles)
{
    const RotationCase &c = GetParam();
    fipImage image = makePicture({"marked", "", FIT_BITMAP, c.bpp, false, false});
    // An amber top-left corner on a blue picture; scan lines run bottom-up.
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const bool marker = x < 4 && y >= Height - 4;
            if (c.bpp == 4) {
                setIndex(image, x, y, marker ? 1 : 2);
            } else {
                const Rgb colour = marker ? Amber : Blue;
                RGBQUAD q{BYTE(colour.b), BYTE(colour.g), BYTE(colour.r), 0};
                image.setPixelColor(x, y, &q);
            }
        }
    // PNG has no 16-bit (5-5-5) bitmaps.
    const QString source = c.bpp == 16 ? u"marked.bmp"_s : u"marked.png"_s;
    ASSERT_TRUE(writePicture(image, path(source)));

    ASSERT_TRUE(convert(source, u"turned.png"_s, to(OutputFormat::Png), c.angle).ok);
    const fipImage turned = readPicture(path(u"turned.png"_s));
    const bool quarter = c.angle % 180 != 0;
    ASSERT_EQ(turned.getWidth(), unsigned(quarter ? Height : Width));
    ASSERT_EQ(turned.getHeight(), unsigned(quarter ? Width : Height));
    const unsigned right = turned.getWidth() - 2;
    const unsigned bottom = turned.getHeight() - 2;
    const unsigned x = c.markerRight ? right : 1;
    const unsigned y = c.markerBottom ? bottom : 1;
    EXPECT_TRUE(near(pixel(turned, x, y), Amber, 8));
    EXPECT_TRUE(near(pixel(turned, right + 1 - x, bottom + 1 - y), Blue, 8));
}

INSTANTIATE_TEST_SUITE_P(ImagePipeline, Rotation,
                         testing::Values(RotationCase{"left90", 90, 24, false, true},
                                         RotationCase{"right90", -90, 24, true, false},
                                         RotationCase{"half", 180, 24, true, true},
                                         RotationCase{"left270", 270, 24, true, false},
                                         RotationCase{"right270", -270, 24, false, true},
                                         RotationCase{"none", 0, 24, false, false},
                                         RotationCase{"fourBitLeft90", 90, 4, false, true},
                                         RotationCase{"sixteenBitRight90", -90, 16, true, false}));

// --- Outcomes -------------------------------------------------------------------------------

TEST_F(Pipeline, EachFailureNamesItsStepAndWritesNothing)
{
    fipImage image = makePicture(Sources[0]);
    ASSERT_TRUE(writePicture(image, path(u"a.jpg"_s)));

    ConversionResult result = convert(u"missing.jpg"_s, u"missing.png"_s);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.resultMessage, u"Original image error: "_s + path(u"missing.jpg"_s));

    ConversionOptions resize = to(OutputFormat::Png);
    resize.resize = true; // and no pixel count
    result = convert(u"a.jpg"_s, u"a.png"_s, resize);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.resultMessage, u"Image resizing error."_s);

    result = convert(u"a.jpg"_s, u"a.xyz"_s);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.resultMessage, u" *** Save image error"_s);

    // The system's reason follows when the system failed: here the folder is gone.
    result = convert(u"a.jpg"_s, u"no folder/a.png"_s);
    EXPECT_EQ(result.resultMessage, u" *** Save image error: No such file or directory"_s);

    EXPECT_EQ(entries(), QStringList{u"a.jpg"_s});
}

TEST_F(Pipeline, LibraryMessageIsThisConversionsOwn)
{
    ASSERT_TRUE(writeFileBytes(path(u"broken.png"_s), QByteArray("\x89PNG\r\n\x1a\n") + "garbage"));
    ConversionResult result = convert(u"broken.png"_s, u"broken.jpg"_s);
    EXPECT_EQ(result.resultMessage, u"Original image error: "_s + path(u"broken.png"_s));
    EXPECT_TRUE(result.libraryMessage.startsWith(u" PNG format: ("_s))
        << result.libraryMessage.toStdString();

    fipImage image = makePicture(Sources[0]);
    ASSERT_TRUE(writePicture(image, path(u"a.jpg"_s)));
    FreeImage_OutputMessageProc(FIF_JPEG, "stale");
    ASSERT_EQ(LibraryMessages::last(), u" JPEG format: (stale)"_s);
    result = convert(u"a.jpg"_s, u"a.png"_s);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.libraryMessage.isEmpty());
}

TEST_F(Pipeline, FailedLoadLeavesNoEarlierPictureBehind)
{
    fipImage image(FIT_BITMAP, 8, 8, 24);
    const auto loaded = ImagePipeline::loadPicture(image, path(u"missing.dng"_s), 0, u".dng;"_s);
    EXPECT_EQ(loaded.outcome, ImagePipeline::LoadedPicture::NotLoaded);
    EXPECT_FALSE(image.isValid());
}

// --- The destination file -------------------------------------------------------------------

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_previous{};
    void (*m_handler)(int) = nullptr;
};

TEST_F(Pipeline, ReplacedDestinationIsAnOrdinaryNewFile)
{
    fipImage image = makePicture(Sources[0]);
    ASSERT_TRUE(writePicture(image, path(u"a.jpg"_s)));
    ASSERT_TRUE(writeFileBytes(path(u"a.png"_s), "old"));

    const mode_t previous = umask(022);
    const ConversionResult result = convert(u"a.jpg"_s, u"a.png"_s, to(OutputFormat::Png));
    umask(previous);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(readPicture(path(u"a.png"_s)).isValid());
    struct stat status
    {
    };
    ASSERT_EQ(stat(QFile::encodeName(path(u"a.png"_s)).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_EQ(entries(), (QStringList{u"a.jpg"_s, u"a.png"_s}));
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
    ConversionResult replacing, creating;
    {
        const FileSizeLimit limit(size - 1);
        replacing = convert(u"noise.tif"_s, u"kept.png"_s, to(OutputFormat::Png));
    }
    {
        const FileSizeLimit limit(4096);
        creating = convert(u"noise.tif"_s, u"new.jpg"_s, to(OutputFormat::Jpeg));
    }
    const QString tooLarge = u" *** Save image error: "_s + qt_error_string(EFBIG);
    EXPECT_EQ(replacing.resultMessage, tooLarge);
    EXPECT_EQ(creating.resultMessage, tooLarge);
    EXPECT_EQ(readFileBytes(path(u"kept.png"_s)), "precious");
    EXPECT_EQ(entries(), (QStringList{u"kept.png"_s, u"noise.tif"_s}));
}

TEST_F(Pipeline, DestinationThatIsTheSourceByAnotherNameIsNeverWritten)
{
    fipImage image = makePicture(Sources[1]);
    ASSERT_TRUE(writePicture(image, path(u"alpha.png"_s)));
    const QByteArray before = readFileBytes(path(u"alpha.png"_s));
    ASSERT_TRUE(QFile::link(m_dir.path(), path(u"linked"_s)));
    ASSERT_EQ(link(QFile::encodeName(path(u"alpha.png"_s)).constData(),
                   QFile::encodeName(path(u"hard.png"_s)).constData()),
              0);

    ConversionOptions gray = to(OutputFormat::Png); // so that a written picture would differ
    gray.grayscale = true;
    for (const QString &destination : {u"linked/alpha.png"_s, u"hard.png"_s}) {
        const ConversionResult result = convert(u"alpha.png"_s, destination, gray);
        EXPECT_FALSE(result.ok) << destination.toStdString();
        EXPECT_EQ(result.resultMessage, u"the destination is the source file itself"_s);
    }
    EXPECT_EQ(readFileBytes(path(u"alpha.png"_s)), before);
    EXPECT_EQ(entries(), (QStringList{u"alpha.png"_s, u"hard.png"_s}));
}

TEST_F(Pipeline, ReplaceFilesOffLeavesAnExistingDestinationAndSaysSo)
{
    fipImage image = makePicture(Sources[0]);
    ASSERT_TRUE(writePicture(image, path(u"a.jpg"_s)));
    ASSERT_TRUE(writeFileBytes(path(u"kept.png"_s), "precious"));
    ConversionOptions keep = to(OutputFormat::Png);
    keep.replaceFiles = false;

    const ConversionResult refused = convert(u"a.jpg"_s, u"kept.png"_s, keep);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.destinationExists);
    EXPECT_EQ(refused.resultMessage, u" *** Save image error: "_s + qt_error_string(EEXIST));
    EXPECT_EQ(readFileBytes(path(u"kept.png"_s)), "precious");
    EXPECT_EQ(entries(), (QStringList{u"a.jpg"_s, u"kept.png"_s}));

    const ConversionResult fresh = convert(u"a.jpg"_s, u"new.png"_s, keep);
    EXPECT_TRUE(fresh.ok && !fresh.destinationExists);
    EXPECT_TRUE(convert(u"a.jpg"_s, u"kept.png"_s, to(OutputFormat::Png)).ok);
    EXPECT_TRUE(readPicture(path(u"kept.png"_s)).isValid());
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
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.resultMessage, reason) << name.toStdString();
        EXPECT_EQ(result.libraryMessage, reason);
        fipImage image;
        EXPECT_EQ(ImagePipeline::loadPicture(image, path(name), 0, QString()).outcome,
                  ImagePipeline::LoadedPicture::NotLoaded);
        EXPECT_EQ(ImagePipeline::checkPixelBudget(path(name), QString(), 1), QString());
    }
    EXPECT_FALSE(QFile::exists(path(u"out.png"_s)));
}

QString tooLarge(quint64 width, quint64 height)
{
    return u"the picture is too large to convert (%1 \u00D7 %2 pixels)"_s.arg(width).arg(height);
}

struct BudgetCase
{
    const char *name;
    const char *file;
    QByteArray bytes;
    QString refusal; // empty: the size cannot be told, the loader decides
};

void PrintTo(const BudgetCase &c, std::ostream *out)
{
    *out << c.name;
}

class PixelBudget : public Pipeline, public testing::WithParamInterface<BudgetCase>
{
};

TEST_P(PixelBudget, HeaderClaimingTooManyPixelsIsRefusedUndecoded)
{
    const Watchdog watchdog; // a malformed length must not send the header walk round forever
    const BudgetCase &c = GetParam();
    const QString source = QString::fromLatin1(c.file);
    ASSERT_TRUE(writeFileBytes(path(source), c.bytes));
    EXPECT_EQ(ImagePipeline::checkPixelBudget(path(source), QString(), 250'000'000), c.refusal);
    if (c.refusal.isEmpty())
        return;
    const ConversionResult result =
        ImagePipeline::convertWithinBudget({path(source), path(u"out.png"_s), {}, 0}, 250'000'000);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.resultMessage, c.refusal);
    EXPECT_EQ(result.libraryMessage, c.refusal);
    EXPECT_EQ(entries(), QStringList{source});
}

const QSize Huge(60000, 60000);

INSTANTIATE_TEST_SUITE_P(
    ImagePipeline, PixelBudget,
    testing::Values(
        BudgetCase{"gifScreen", "a.gif", makeTestGif(Huge, {{1, 1}}), tooLarge(60000, 60000)},
        BudgetCase{"gifLaterFrame", "a.gif", makeTestGif({1, 1}, {{1, 1}, {2, 2}, Huge}),
                   tooLarge(60000, 60000)},
        BudgetCase{"j2k", "a.j2k", makeTestJ2k(Huge), tooLarge(60000, 60000)},
        BudgetCase{"jp2Header", "a.jp2", makeTestJp2(Huge, {1, 1}), tooLarge(60000, 60000)},
        BudgetCase{"jp2Codestream", "a.jp2", makeTestJp2({1, 1}, {60000, 50000}),
                   tooLarge(60000, 50000)},
        // Cut inside the huge frame's descriptor: only the small screen is known.
        BudgetCase{"gifCutShort", "a.gif", makeTestGif({1, 1}, {Huge}).left(32), QString()},
        // A box whose 64-bit length is 0 would never move the walk on.
        BudgetCase{"jp2EmptyLongBox", "a.jp2",
                   makeTestJp2(Huge, {1, 1}).left(12) + QByteArray("\0\0\0\x01jp2h", 8) +
                       QByteArray(8, '\0') + makeTestJp2(Huge, {1, 1}).mid(12),
                   QString()}));

TEST_F(Pipeline, SmallGifAndJpeg2000PicturesAreMeasuredAndConvert)
{
    // The JPEG 2000 encoder needs 32 pixels a side for its resolution levels.
    const int width = 80, height = 60;
    for (const Source &source : {Sources[2], Source{"j2k", "rgb.j2k", FIT_BITMAP, 24, false, false},
                                 Source{"jp2", "rgb.jp2", FIT_BITMAP, 24, false, false}}) {
        const QString name = QString::fromLatin1(source.file);
        fipImage image = makePicture(source, width, height);
        ASSERT_TRUE(writePicture(image, path(name))) << source.name;
        EXPECT_EQ(ImagePipeline::checkPixelBudget(path(name), QString(), width * height),
                  QString());
        EXPECT_EQ(ImagePipeline::checkPixelBudget(path(name), QString(), width * height - 1),
                  tooLarge(width, height))
            << source.name;
        const ConversionResult result = ImagePipeline::convertWithinBudget(
            {path(name), path(name + u".png"_s), to(OutputFormat::Png), 0}, width * height);
        EXPECT_TRUE(result.ok) << result.resultMessage.toStdString();
    }
}

// --- RAW camera files -----------------------------------------------------------------------

// camera.dng: makeTestDng(64, 48) as a file, so that a clean clone converts a camera file too.
const QString OwnCameraFile = QStringLiteral(PELORIN_TEST_FILES_DIR "/camera.dng");

TEST_F(Pipeline, RawPictureIsToneMappedWithTheBrightnessGiven)
{
    ConversionOptions options = to(OutputFormat::Png);
    double levels[2] = {};
    for (int brightness : {-8, 8}) {
        options.rawBrightness = brightness;
        ASSERT_TRUE(
            ImagePipeline::convertOne({OwnCameraFile, path(u"camera.png"_s), options, 0}).ok);
        const fipImage output = readPicture(path(u"camera.png"_s));
        EXPECT_EQ(output.getWidth(), 64u);
        ASSERT_EQ(output.getBitsPerPixel(), 24u);
        double sum = 0;
        for (unsigned y = 0; y < output.getHeight(); ++y)
            for (unsigned byte = 0; byte < output.getLine(); ++byte)
                sum += output.getScanLine(y)[byte];
        levels[brightness > 0] = sum / (output.getHeight() * output.getLine());
    }
    EXPECT_GT(levels[1], levels[0] + 20);

    // To JPEG a RAW picture stays 24-bit even when grayed.
    options = to(OutputFormat::Jpeg);
    options.grayscale = true;
    ASSERT_TRUE(ImagePipeline::convertOne({OwnCameraFile, path(u"camera.jpg"_s), options, 0}).ok);
    const fipImage gray = readPicture(path(u"camera.jpg"_s));
    EXPECT_EQ(gray.getBitsPerPixel(), 24u);
    EXPECT_TRUE(isGray(pixel(gray, 32, 24)));
}

TEST_F(Pipeline, RawFileTakenForAnotherFormatIsReadByTheRawLoader)
{
    // A TARGA 2.0 footer makes the content check take the file for a TARGA picture.
    const QByteArray targaFooter = QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.", 18);
    ASSERT_TRUE(writeFileBytes(path(u"CAMERA.DNG"_s), makeTestDng(64, 48) + targaFooter));
    ASSERT_EQ(fipImage::identifyFIF(QFile::encodeName(path(u"CAMERA.DNG"_s)).constData()),
              FIF_TARGA);

    fipImage image;
    const auto loaded = ImagePipeline::loadPicture(image, path(u"CAMERA.DNG"_s), 0, u".dng;"_s);
    EXPECT_EQ(loaded.outcome, ImagePipeline::LoadedPicture::Loaded);
    EXPECT_TRUE(loaded.raw);
    EXPECT_EQ(image.getWidth(), 64u);

    EXPECT_TRUE(convert(u"CAMERA.DNG"_s, u"camera.jpg"_s).ok);
    ConversionOptions notRaw;
    notRaw.rawExtensions = u".cr2;"_s;
    EXPECT_EQ(convert(u"CAMERA.DNG"_s, u"camera.jpg"_s, notRaw).resultMessage,
              u"Original image error: "_s + path(u"CAMERA.DNG"_s));
}

TEST_F(Pipeline, CameraFilesConvert)
{
    const QString folder = QStringLiteral(PELORIN_TESTDATA_DIR "/raw");
    if (!QDir(folder).exists())
        GTEST_SKIP() << "no camera files at " << folder.toStdString();
    const std::tuple<QString, unsigned, unsigned> files[] = {
        {u"tinydng_colorchart.dng"_s, 1734, 1156}, {u"RAW_KODAK_DC50_é.KDC"_s, 768, 512}};
    for (const auto &[name, width, height] : files) {
        const ConversionResult result = ImagePipeline::convertOne(
            {folder + u'/' + name, path(u"camera.jpg"_s), to(OutputFormat::Jpeg), 0});
        ASSERT_TRUE(result.ok) << result.resultMessage.toStdString();
        const fipImage output = readPicture(path(u"camera.jpg"_s));
        EXPECT_EQ(output.getWidth(), width);
        EXPECT_EQ(output.getHeight(), height);
    }
}

} // namespace
