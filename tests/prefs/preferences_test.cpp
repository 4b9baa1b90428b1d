#include "prefs/preferencesfile.h"

#include "prefs/clvcolorwnd.h"
#include "prefs/cprefsctrl.h"
#include "prefs/preferences.h"
#include "widgets/pageservices.h"

#include "confighome.h"
#include "qtprinters.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray DefaultFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Pelorin>\r\n<GifImages>.gif;</GifImages>\r\n"
    "<JpgImages>.jpg;.jpeg;.jpe;.jif;.jfif;.jxr;</JpgImages>\r\n"
    "<J2kImages>.jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;</J2kImages>\r\n"
    "<PngImages>.png;</PngImages>\r\n<PsdImages>.psd;</PsdImages>\r\n"
    "<TifImages>.tif;.tiff;</TifImages>\r\n<RawImages>.raw;.dng;.cr2;</RawImages>\r\n"
    "<WebImages>.webp;</WebImages>\r\n"
    "<colorTable>#000000;#0000ff;#ff0000;#800080;#0000ff;</colorTable>\r\n</Pelorin>\r\n";

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
    EXPECT_EQ(preferences.extensionList(-1) + preferences.extensionList(ExtensionListCount), u""_s);

    preferences.setExtensionList(ImageFormatGroup::GifImages, QString());
    preferences.setExtensionList(ImageFormatGroup::WebImages, u".webp;.wp;"_s);
    preferences.colours().setColour(CollisionError, 0x123456);
    EXPECT_EQ(preferences.extensionList(AllImagesIndex),
              QString(allImages).remove(u".gif;"_s).replace(u".webp;"_s, u".webp;.wp;"_s));
    preferences.setDefaults();
    EXPECT_EQ(preferences, Preferences());

    // The standard line colour follows the desktop scheme at the moment the defaults are set.
    const QPalette original = QApplication::palette();
    QPalette palette = original;
    palette.setColor(QPalette::Text, QColor(0x12, 0x34, 0x56));
    QApplication::setPalette(palette);
    preferences.setDefaults();
    QApplication::setPalette(original);
    EXPECT_EQ(preferences.colour(Standard), 0x563412u);
}

// The standard colour, the offscreen palette's text, is black.
TEST(PreferencesFileFormat, IsWrittenInTheFixedLayoutAndReadsBackAsItWasWritten)
{
    EXPECT_EQ(PreferencesFile::write(Preferences()), DefaultFile);
    Preferences changed; // and read back: special characters, line breaks, other colours
    changed.setExtensionList(ImageFormatGroup::TifImages, u".tif;<&>\"'.x;&amp;lt;"_s);
    changed.setExtensionList(ImageFormatGroup::WebImages, u".webp;\r\n.é;"_s);
    changed.colours().setColour(Standard, 0x0A0B0C);
    changed.colours().setColour(OtherError, 0xFFFFFF);
    EXPECT_EQ(readText(PreferencesFile::write(changed)), changed);

    // An empty list is written as an empty element (and read as the default).
    changed.setExtensionList(ImageFormatGroup::GifImages, QString());
    EXPECT_TRUE(PreferencesFile::write(changed).contains("\r\n<GifImages></GifImages>\r\n"));
}

// The first opening tag counts, and the first closing tag after it; anything else keeps the
// default. The text ends at the first zero byte, so a sixteen-bit file keeps every default.
TEST(PreferencesFileReader, FindsEachElementOrKeepsItsDefault)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"", u".png;"_s},
        {"<x><PngImages>.apng;</PngImages></x>", u".apng;"_s},
        {"<PngImages></PngImages>", u".png;"_s},
        {"</PngImages><PngImages>.apng;", u".png;"_s},
        {"<pngimages>.apng;</pngimages>", u".png;"_s},
        {"<PngImages>.a;</PngImages><PngImages>.b;</PngImages>", u".a;"_s},
        {"<PngImages> .a; \r\n.b</PngImages>", u" .a; \r\n.b"_s},
        {"<PngImages>&lt;&amp;amp;&#39;</PngImages>", u"<&amp;'"_s},
        {"\xFF\xFE<PngImages>.apng;</PngImages>\xC0", u".apng;"_s},
        {QByteArray("<GifImages>.g;</GifImages>\0<PngImages>.a;</PngImages>", 53), u".png;"_s}};
    for (const auto &[text, pngList] : cases)
        EXPECT_EQ(readText(text).extensionList(ImageFormatGroup::PngImages), pngList)
            << text.toStdString();
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

// The write is cut short by a file-size limit, as a full disk would.
TEST(PreferencesFileOnDisk, AnInterruptedSaveGivesTheReasonAndLeavesTheOldFileIntact)
{
    ConfigHome home;
    const QString path = PreferencesFile::settingsFilePath();
    ASSERT_TRUE(writeFileBytes(path, "old"));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{64, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const FileResult written = PreferencesFile::save(Preferences());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(std::pair(written.ok, written.reason),
              std::pair(false, QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_EQ(readFileBytes(path), "old");
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files),
              QStringList{u"Preferences.xml"_s});
}

class PreferencesPage : public testing::Test
{
protected:
    void SetUp() override
    {
        m_services.chooseColour = [this](QWidget *, ColourRef, const QString &, ColourRef &chosen) {
            chosen = m_nextColour.value_or(chosen);
            return m_nextColour.has_value();
        };
        m_services.showMessage = [this](const QString &text) { m_messages.append(text); };
        m_page = std::make_unique<CPrefsCtrl>(m_preferences, m_services);
        m_page->fill();
        m_page->show();
    }
    template <typename T> T *child(const QString &name) { return m_page->findChild<T *>(name); }
    void click(const QString &name) { child<QAbstractButton>(name)->click(); }

    ConfigHome m_home;
    Preferences m_preferences;
    PageServices m_services;
    std::optional<ColourRef> m_nextColour;
    QStringList m_messages;
    std::unique_ptr<CPrefsCtrl> m_page;
};

TEST_F(PreferencesPage, AColourShowsInTheSampleAndReachesTheListsOnlyOnSaveAndSavesFailAloud)
{
    click(u"collisionRadio"_s);
    EXPECT_EQ(child<CLvColorWnd>(u"notSelectedSample"_s)->textColour(), 0x800080u);

    m_nextColour = 0x00C000; // green
    click(u"colourButton"_s);
    EXPECT_EQ(child<CLvColorWnd>(u"notSelectedSample"_s)->textColour(), 0x00C000u);
    EXPECT_EQ(m_preferences.colour(CollisionError), 0x800080u); // what the lists draw with
    click(u"saveButton"_s);
    EXPECT_EQ(m_preferences.colour(CollisionError), 0x00C000u);
    EXPECT_TRUE(readFileBytes(m_home.preferencesPath()).contains(";#00c000;#0000ff;</colorTable>"));

    // A cancelled chooser changes nothing.
    m_nextColour.reset();
    click(u"fileTypeRadio"_s);
    click(u"colourButton"_s);
    EXPECT_EQ(m_page->workingColours()[1], 0x0000FFu);

    // Lists are saved as typed; filling drops edits; Restore leaves the file; a failure is loud.
    child<QLineEdit>(u"rawEdit"_s)->setText(u" .NEF;.raw&<x>"_s);
    child<QLineEdit>(u"gifEdit"_s)->clear();
    click(u"saveButton"_s);
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::RawImages), u" .NEF;.raw&<x>"_s);
    const QByteArray saved = readFileBytes(m_home.preferencesPath());
    EXPECT_TRUE(saved.contains("\r\n<RawImages> .NEF;.raw&amp;&lt;x&gt;</RawImages>\r\n"));

    child<QLineEdit>(u"pngEdit"_s)->setText(u".png;.apng;"_s);
    m_page->fill();
    EXPECT_EQ(child<QLineEdit>(u"pngEdit"_s)->text(), u".png;"_s);

    click(u"restoreButton"_s);
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::RawImages), u".raw;.dng;.cr2;"_s);
    EXPECT_EQ(child<QLineEdit>(u"rawEdit"_s)->text(), u".raw;.dng;.cr2;"_s);
    EXPECT_EQ(readFileBytes(m_home.preferencesPath()), saved);

    // A folder where the file should be: no save can succeed, and none may claim it did.
    ASSERT_TRUE(QFile::remove(m_home.preferencesPath()));
    ASSERT_TRUE(QDir().mkpath(m_home.preferencesPath() + u"/in-the-way"_s));
    click(u"saveButton"_s);
    // With the reason after the colon.
    const QString start =
        u"The preferences could not be saved to %1: "_s.arg(m_home.preferencesPath());
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].startsWith(start) && m_messages[0].size() > start.size() + 1)
        << m_messages[0].toStdString();
    EXPECT_TRUE(QFileInfo(m_home.preferencesPath() + u"/in-the-way"_s).isDir());
}

} // namespace
