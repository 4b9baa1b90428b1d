#include "prefs/preferencesfile.h"

#include "confighome.h"
#include "prefs/preferences.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ostream>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray DefaultFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Pelorin>\r\n"
    "<GifImages>.gif;</GifImages>\r\n"
    "<JpgImages>.jpg;.jpeg;.jpe;.jif;.jfif;.jxr;</JpgImages>\r\n"
    "<J2kImages>.jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;</J2kImages>\r\n"
    "<PngImages>.png;</PngImages>\r\n"
    "<PsdImages>.psd;</PsdImages>\r\n"
    "<TifImages>.tif;.tiff;</TifImages>\r\n"
    "<RawImages>.raw;.dng;.cr2;</RawImages>\r\n"
    "<WebImages>.webp;</WebImages>\r\n"
    "<colorTable>#000000;#0000ff;#ff0000;#800080;#0000ff;</colorTable>\r\n"
    "</Pelorin>\r\n";

Preferences readText(const QByteArray &bytes)
{
    Preferences preferences;
    PreferencesFile::read(preferences, bytes);
    return preferences;
}

QString pngList(const QByteArray &bytes)
{
    return readText(bytes).extensionList(ImageFormatGroup::PngImages);
}

TEST(PreferencesFileFormat, DefaultsAreWrittenInTheFixedLayout)
{
    EXPECT_EQ(PreferencesFile::write(Preferences()), DefaultFile);
}

TEST(PreferencesFileFormat, WrittenFileReadsBackAsItWasWritten)
{
    Preferences changed;
    changed.setExtensionList(ImageFormatGroup::TifImages, u".tif;<&>\"'.x;&amp;lt;"_s);
    changed.setExtensionList(ImageFormatGroup::PsdImages, u".psd;\r\n.é;"_s);
    changed.colours().setColour(Standard, 0x0A0B0C);
    changed.colours().setColour(OtherError, 0xFFFFFF);

    EXPECT_EQ(readText(PreferencesFile::write(Preferences())), Preferences());
    EXPECT_EQ(readText(PreferencesFile::write(changed)), changed);
}

TEST(PreferencesFileFormat, EscapesAreAppliedAmpersandFirst)
{
    EXPECT_EQ(PreferencesFile::escape(u"<&>\"'"_s), u"&lt;&amp;&gt;&quot;&#39;"_s);
    // One pass: what a replacement produces is not read again.
    EXPECT_EQ(PreferencesFile::unescape(u"&amp;lt;&lt;&#38;&foo;&"_s), u"&lt;<&#38;&foo;&"_s);
}

TEST(PreferencesFileFormat, AnEmptyListIsWrittenAsAnEmptyElementAndReadAsTheDefault)
{
    Preferences preferences;
    preferences.setExtensionList(ImageFormatGroup::GifImages, QString());
    const QByteArray bytes = PreferencesFile::write(preferences);
    EXPECT_TRUE(bytes.contains("<GifImages></GifImages>\r\n"));
    EXPECT_EQ(readText(bytes).extensionList(ImageFormatGroup::GifImages), u".gif;"_s);
}

struct ElementCase
{
    const char *name;
    QByteArray text;
    QString pngList;
};

void PrintTo(const ElementCase &c, std::ostream *out)
{
    *out << c.name;
}

class ElementSearch : public testing::TestWithParam<ElementCase>
{
};

TEST_P(ElementSearch, FindsTheFirstOpeningTagAndTheFirstClosingTagAfterIt)
{
    EXPECT_EQ(pngList(GetParam().text), GetParam().pngList);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, ElementSearch,
    testing::Values(
        ElementCase{"NoFile", "", u".png;"_s}, ElementCase{"NotXml", "just some words", u".png;"_s},
        ElementCase{"NoRoot", "<PngImages>.png;.apng;</PngImages>", u".png;.apng;"_s},
        ElementCase{"OtherRoot", "<x><PngImages>.apng;</PngImages></x>", u".apng;"_s},
        ElementCase{"Empty", "<PngImages></PngImages>", u".png;"_s},
        ElementCase{"Unclosed", "<PngImages>.apng;", u".png;"_s},
        ElementCase{"ClosedOnlyBefore", "</PngImages><PngImages>.apng;", u".png;"_s},
        ElementCase{"CaseSensitive", "<pngimages>.apng;</pngimages>", u".png;"_s},
        ElementCase{"FirstCounts", "<PngImages>.a;</PngImages><PngImages>.b;</PngImages>",
                    u".a;"_s},
        ElementCase{"KeptAsItStands", "<PngImages> .a; \r\n.b</PngImages>", u" .a; \r\n.b"_s},
        ElementCase{"Unescaped", "<PngImages>&lt;&amp;amp;&#39;</PngImages>", u"<&amp;'"_s},
        ElementCase{"ByteOrderMark", "\xEF\xBB\xBF<PngImages>.apng;</PngImages>", u".apng;"_s},
        ElementCase{"BadUtf8Elsewhere", "\xFF\xFE<PngImages>.apng;</PngImages>\xC0", u".apng;"_s},
        ElementCase{"EndsAtZeroByte",
                    QByteArray("<PngImages>.a;</PngImages>\0<GifImages>.g;</GifImages>", 52),
                    u".a;"_s}),
    [](const testing::TestParamInfo<ElementCase> &info) { return std::string(info.param.name); });

TEST(PreferencesFileReader, ASixteenBitFileKeepsEveryDefault)
{
    const QString text = QString::fromLatin1(DefaultFile).replace(u".png;"_s, u".apng;"_s);
    QByteArray utf16le = QByteArray("\xFF\xFE");
    QStringEncoder encoder(QStringEncoder::Utf16LE);
    utf16le += QByteArray(encoder(text));
    EXPECT_EQ(readText(utf16le), Preferences());
    EXPECT_EQ(readText(QByteArray(encoder(text))), Preferences());
}

TEST(PreferencesFileReader, AGroupThatIsMissingKeepsItsDefaultWhileOthersAreRead)
{
    const Preferences preferences = readText("<Pelorin><TifImages>.tif;</TifImages></Pelorin>");
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::TifImages), u".tif;"_s);
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::JpgImages),
              defaultExtensionList(ImageFormatGroup::JpgImages));
    EXPECT_TRUE(preferences.extensionList(AllImagesIndex).contains(u".psd;.tif;.raw;"_s));
}

struct ColourCase
{
    const char *name;
    QByteArray table;
    std::array<ColourRef, 5> colours;
};

void PrintTo(const ColourCase &c, std::ostream *out)
{
    *out << c.name;
}

class ColourTable : public testing::TestWithParam<ColourCase>
{
};

TEST_P(ColourTable, WalksTheEntriesByPosition)
{
    const Preferences preferences = readText("<colorTable>" + GetParam().table + "</colorTable>");
    for (int position = 0; position < LineColourTable::Size; ++position)
        EXPECT_EQ(preferences.colours().at(position), GetParam().colours[position])
            << "position " << position;
}

constexpr ColourRef Black = 0x000000, Red = 0x0000FF, Blue = 0xFF0000, Purple = 0x800080;

INSTANTIATE_TEST_SUITE_P(
    Reader, ColourTable,
    testing::Values(
        ColourCase{"Missing", "", {Black, Red, Blue, Purple, Red}},
        ColourCase{"ShortEntryKeepsItsPlace",
                   "#0000ff;#12345;#00ff00;",
                   {Red, Red, 0x00FF00, Purple, Red}},
        ColourCase{
            "NoHexDigitsReadAsBlack", "#00ff00;#zzzzzz;", {0x00FF00, Black, Blue, Purple, Red}},
        ColourCase{"UpperCase", "#FF0000;", {Blue, Red, Blue, Purple, Red}},
        ColourCase{"StopsAtTheFirstNonDigit", "#12g456;", {0x12, Red, Blue, Purple, Red}},
        ColourCase{"WithoutNumberSign", "0000ff0;#111111;", {Black, 0x111111, Blue, Purple, Red}},
        ColourCase{"EmptyEntriesAreNoEntries",
                   ";;#111111;;;#222222;",
                   {0x111111, 0x222222, Blue, Purple, Red}},
        ColourCase{"ExtraEntriesIgnored",
                   "#000001;#000002;#000003;#000004;#000005;#000006;",
                   {1, 2, 3, 4, 5}},
        ColourCase{"NegativeStaysWithin24Bits", "#-00001;", {0xFFFFFF, Red, Blue, Purple, Red}},
        ColourCase{"LastEntryWithoutSemicolon",
                   "#111111;#222222",
                   {0x111111, 0x222222, Blue, Purple, Red}}),
    [](const testing::TestParamInfo<ColourCase> &info) { return std::string(info.param.name); });

TEST(PreferencesFileReader, AColourTableThatIsEmptyLeavesTheColoursAsTheyAre)
{
    Preferences preferences;
    preferences.colours().setColour(CollisionError, 0x010203);
    PreferencesFile::read(preferences, "<colorTable></colorTable>");
    EXPECT_EQ(preferences.colour(CollisionError), 0x010203u);
}

TEST(SettingsFilePath, LivesInTheConfigHomeAndCreatesItsFolder)
{
    ConfigHome home;
    const QString path = PreferencesFile::settingsFilePath();
    EXPECT_EQ(path, home.preferencesPath());
    EXPECT_TRUE(QFileInfo(path).dir().exists());
    EXPECT_FALSE(QFileInfo::exists(path));

    // Computed afresh: a changed config home is honoured on the next call.
    ConfigHome other;
    EXPECT_EQ(PreferencesFile::settingsFilePath(), other.preferencesPath());
}

TEST(PreferencesFileOnDisk, SaveThenLoadGivesTheSamePreferences)
{
    ConfigHome home;
    Preferences saved;
    saved.setExtensionList(ImageFormatGroup::RawImages, u".raw;.dng;.cr2;.nef;"_s);
    saved.colours().setColour(DuplicateError, 0x00AA00);
    ASSERT_TRUE(PreferencesFile::save(saved).ok);

    Preferences loaded;
    PreferencesFile::load(loaded);
    EXPECT_EQ(loaded, saved);
}

TEST(PreferencesFileOnDisk, NoFileMeansTheDefaults)
{
    ConfigHome home;
    Preferences preferences;
    PreferencesFile::load(preferences);
    EXPECT_EQ(preferences, Preferences());
}

TEST(PreferencesFileOnDisk, AFolderThatCannotBeMadeFailsWithTheReason)
{
    ConfigHome home;
    ASSERT_TRUE(writeFileBytes(home.path() + u"/Pelorin"_s, "not a folder"));
    const FileResult result = PreferencesFile::save(Preferences());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
    Preferences preferences;
    PreferencesFile::load(preferences);
    EXPECT_EQ(preferences, Preferences());
}

// The write is cut short by a file-size limit, as a full disk would.
TEST(PreferencesFileOnDisk, AnInterruptedSaveLeavesTheOldFileIntact)
{
    ConfigHome home;
    const QString path = PreferencesFile::settingsFilePath();
    const QByteArray old = "<PngImages>.old;</PngImages>";
    ASSERT_TRUE(writeFileBytes(path, old));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);

    const FileResult written = PreferencesFile::save(Preferences());

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(readFileBytes(path), old);
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files),
              QStringList{u"Preferences.xml"_s});
}

} // namespace
