#include "prefs/preferencesfile.h"

#include "confighome.h"
#include "prefs/preferences.h"

#include "qtprinters.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>

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

TEST(Preferences, AllImagesFollowsTheGroupsAndTheDefaultsComeBackWhole)
{
    const QString allImages =
        u".gif;.jpg;.jpeg;.jpe;.jif;.jfif;.jxr;.jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;"
        ".png;.psd;.tif;.tiff;.raw;.dng;.cr2;.webp;"_s;
    Preferences preferences;
    EXPECT_EQ(preferences.extensionList(AllImagesIndex), allImages);
    EXPECT_TRUE(preferences.extensionList(-1).isEmpty());
    EXPECT_TRUE(preferences.extensionList(ExtensionListCount).isEmpty());

    preferences.setExtensionList(ImageFormatGroup::GifImages, QString());
    preferences.setExtensionList(ImageFormatGroup::WebImages, u".webp;.wp;"_s);
    preferences.colours().setColour(CollisionError, 0x123456);
    EXPECT_EQ(preferences.extensionList(AllImagesIndex),
              QString(allImages).remove(u".gif;"_s).replace(u".webp;"_s, u".webp;.wp;"_s));
    preferences.setDefaults();
    EXPECT_EQ(preferences, Preferences());
}

// No GUI application in this process, so the standard colour is written black.
TEST(PreferencesFileFormat, IsWrittenInTheFixedLayoutAndReadsBackAsItWasWritten)
{
    EXPECT_EQ(PreferencesFile::write(Preferences()), DefaultFile);
    Preferences changed;
    changed.setExtensionList(ImageFormatGroup::TifImages, u".tif;<&>\"'.x;&amp;lt;"_s);
    changed.setExtensionList(ImageFormatGroup::WebImages, u".webp;\r\n.é;"_s);
    changed.colours().setColour(Standard, 0x0A0B0C);
    changed.colours().setColour(OtherError, 0xFFFFFF);
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

    const QByteArray utf16 = QStringEncoder(QStringEncoder::Utf16LE)(
        QString::fromLatin1(DefaultFile).replace(u".png;"_s, u".apng;"_s));
    EXPECT_EQ(readText("\xFF\xFE" + utf16), Preferences());
    EXPECT_EQ(readText(utf16), Preferences());
}

TEST(PreferencesFileReader, WalksTheColourTableByPosition)
{
    constexpr ColourRef K = 0x000000, R = 0x0000FF, B = 0xFF0000, P = 0x800080;
    // Short entries keep their place, no hex digits read as black, a non-digit ends the number,
    // empty entries are no entries, extra entries are ignored, negatives stay within 24 bits.
    const std::pair<QByteArray, std::array<ColourRef, 5>> cases[] = {
        {"#0000ff;#12345;#00ff00;", {R, R, 0x00FF00, P, R}},
        {"#00ff00;#zzzzzz;", {0x00FF00, K, B, P, R}},
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
}

// A folder that cannot be made, or a write cut short by a file-size limit as a full disk would.
TEST(PreferencesFileOnDisk, AFailedSaveGivesTheReasonAndLeavesTheOldFileIntact)
{
    ConfigHome home;
    ASSERT_TRUE(writeFileBytes(home.path() + u"/Pelorin"_s, "not a folder"));
    const FileResult noFolder = PreferencesFile::save(Preferences());
    EXPECT_FALSE(noFolder.ok);
    EXPECT_EQ(noFolder.reason, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
    ASSERT_TRUE(QFile::remove(home.path() + u"/Pelorin"_s));

    const QString path = PreferencesFile::settingsFilePath();
    EXPECT_EQ(path, home.preferencesPath());
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
