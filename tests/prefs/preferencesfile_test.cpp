#include "prefs/preferencesfile.h"

#include "confighome.h"
#include "prefs/preferences.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
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

TEST(PreferencesFileFormat, IsWrittenInTheFixedLayoutAndReadsBackAsItWasWritten)
{
    EXPECT_EQ(PreferencesFile::write(Preferences()), DefaultFile);
    Preferences changed;
    changed.setExtensionList(ImageFormatGroup::TifImages, u".tif;<&>\"'.x;&amp;lt;"_s);
    changed.setExtensionList(ImageFormatGroup::PsdImages, u".psd;\r\n.é;"_s);
    changed.colours().setColour(Standard, 0x0A0B0C);
    changed.colours().setColour(OtherError, 0xFFFFFF);
    EXPECT_EQ(readText(PreferencesFile::write(Preferences())), Preferences());
    EXPECT_EQ(readText(PreferencesFile::write(changed)), changed);

    EXPECT_EQ(PreferencesFile::escape(u"<&>\"'"_s), u"&lt;&amp;&gt;&quot;&#39;"_s);
    // One pass: what a replacement produces is not read again.
    EXPECT_EQ(PreferencesFile::unescape(u"&amp;lt;&lt;&#38;&foo;&"_s), u"&lt;<&#38;&foo;&"_s);

    // An empty list is written as an empty element and read as the default.
    changed.setExtensionList(ImageFormatGroup::GifImages, QString());
    const QByteArray bytes = PreferencesFile::write(changed);
    EXPECT_TRUE(bytes.contains("\r\n<GifImages></GifImages>\r\n"));
    EXPECT_EQ(readText(bytes).extensionList(ImageFormatGroup::GifImages), u".gif;"_s);
}

// The first opening tag counts, and the first closing tag after it; anything else keeps the
// default. A sixteen-bit file keeps every default.
TEST(PreferencesFileReader, FindsEachElementOrKeepsItsDefault)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"", u".png;"_s},
        {"just some words", u".png;"_s},
        {"<PngImages>.png;.apng;</PngImages>", u".png;.apng;"_s},
        {"<x><PngImages>.apng;</PngImages></x>", u".apng;"_s},
        {"<PngImages></PngImages>", u".png;"_s},
        {"<PngImages>.apng;", u".png;"_s},
        {"</PngImages><PngImages>.apng;", u".png;"_s},
        {"<pngimages>.apng;</pngimages>", u".png;"_s},
        {"<PngImages>.a;</PngImages><PngImages>.b;</PngImages>", u".a;"_s},
        {"<PngImages> .a; \r\n.b</PngImages>", u" .a; \r\n.b"_s},
        {"<PngImages>&lt;&amp;amp;&#39;</PngImages>", u"<&amp;'"_s},
        {"\xEF\xBB\xBF<PngImages>.apng;</PngImages>", u".apng;"_s},
        {"\xFF\xFE<PngImages>.apng;</PngImages>\xC0", u".apng;"_s},
        {QByteArray("<PngImages>.a;</PngImages>\0<GifImages>.g;</GifImages>", 52), u".a;"_s}};
    for (const auto &[text, pngList] : cases)
        EXPECT_EQ(readText(text).extensionList(ImageFormatGroup::PngImages), pngList)
            << text.toStdString();

    const Preferences preferences = readText("<Pelorin><TifImages>.tif;</TifImages></Pelorin>");
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::TifImages), u".tif;"_s);
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::JpgImages),
              defaultExtensionList(ImageFormatGroup::JpgImages));
    EXPECT_TRUE(preferences.extensionList(AllImagesIndex).contains(u".psd;.tif;.raw;"_s));

    QStringEncoder encoder(QStringEncoder::Utf16LE);
    const QByteArray utf16 =
        encoder(QString::fromLatin1(DefaultFile).replace(u".png;"_s, u".apng;"_s));
    EXPECT_EQ(readText("\xFF\xFE" + utf16), Preferences());
    EXPECT_EQ(readText(utf16), Preferences());
}

TEST(PreferencesFileReader, WalksTheColourTableByPosition)
{
    constexpr ColourRef K = 0x000000, R = 0x0000FF, B = 0xFF0000, P = 0x800080;
    // Short entries keep their place, no hex digits read as black, a non-digit ends the number,
    // empty entries are no entries, extra entries are ignored, negatives stay within 24 bits.
    const std::pair<QByteArray, std::array<ColourRef, 5>> cases[] = {
        {"", {K, R, B, P, R}},
        {"#0000ff;#12345;#00ff00;", {R, R, 0x00FF00, P, R}},
        {"#00ff00;#zzzzzz;", {0x00FF00, K, B, P, R}},
        {"#FF0000;", {B, R, B, P, R}},
        {"#12g456;", {0x12, R, B, P, R}},
        {"0000ff0;#111111;", {K, 0x111111, B, P, R}},
        {";;#111111;;;#222222;", {0x111111, 0x222222, B, P, R}},
        {"#000001;#000002;#000003;#000004;#000005;#000006;", {1, 2, 3, 4, 5}},
        {"#-00001;", {0xFFFFFF, R, B, P, R}},
        {"#111111;#222222", {0x111111, 0x222222, B, P, R}}};
    for (const auto &[table, colours] : cases) {
        const Preferences preferences = readText("<colorTable>" + table + "</colorTable>");
        for (int position = 0; position < LineColourTable::Size; ++position)
            EXPECT_EQ(preferences.colours().at(position), colours[position])
                << table.toStdString() << " at " << position;
    }
    // An empty table leaves the colours as they are.
    Preferences preferences;
    preferences.colours().setColour(CollisionError, 0x010203);
    PreferencesFile::read(preferences, "<colorTable></colorTable>");
    EXPECT_EQ(preferences.colour(CollisionError), 0x010203u);
}

TEST(PreferencesFileOnDisk, LivesInTheConfigHomeAndSavesWhatLoads)
{
    ConfigHome home;
    const QString path = PreferencesFile::settingsFilePath();
    EXPECT_EQ(path, home.preferencesPath());
    EXPECT_TRUE(QFileInfo(path).dir().exists());
    EXPECT_FALSE(QFileInfo::exists(path));
    Preferences loaded;
    PreferencesFile::load(loaded); // no file: the defaults
    EXPECT_EQ(loaded, Preferences());

    Preferences saved;
    saved.setExtensionList(ImageFormatGroup::RawImages, u".raw;.dng;.cr2;.nef;"_s);
    saved.colours().setColour(DuplicateError, 0x00AA00);
    ASSERT_TRUE(PreferencesFile::save(saved).ok);
    PreferencesFile::load(loaded);
    EXPECT_EQ(loaded, saved);

    // Computed afresh: a changed config home is honoured on the next call.
    ConfigHome other;
    EXPECT_EQ(PreferencesFile::settingsFilePath(), other.preferencesPath());
}

TEST(PreferencesFileOnDisk, AFolderThatCannotBeMadeFailsWithTheReason)
{
    ConfigHome home;
    ASSERT_TRUE(writeFileBytes(home.path() + u"/Pelorin"_s, "not a folder"));
    const FileResult result = PreferencesFile::save(Preferences());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
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
