#include "prefs/cprefsctrl.h"

#include "confighome.h"
#include "convert/cconvlvctrl.h"
#include "convert/convertlistmodel.h"
#include "prefs/clvcolorwnd.h"
#include "prefs/preferences.h"
#include "qtprinters.h"
#include "testfiles.h"
#include "widgets/pageservices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Whether the widget shows, somewhere, a pixel close to the colour.
bool shows(QWidget &widget, QColor colour)
{
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
    return std::any_of(pixels, pixels + image.width() * image.height(), [&colour](QRgb c) {
        return std::abs(qRed(c) - colour.red()) < 40 && std::abs(qGreen(c) - colour.green()) < 40 &&
               std::abs(qBlue(c) - colour.blue()) < 40;
    });
}

// The standard line colour follows the desktop scheme at the moment the defaults are set.
TEST(StandardColour, IsThePaletteTextColourWhenTheDefaultsAreSet)
{
    const QPalette original = QApplication::palette();
    Preferences preferences;
    QPalette palette = original;
    palette.setColor(QPalette::Text, QColor(0x12, 0x34, 0x56));
    QApplication::setPalette(palette);
    preferences.setDefaults();
    QApplication::setPalette(original);
    EXPECT_EQ(preferences.colour(Standard), 0x563412u);
}

class PreferencesPage : public testing::Test
{
protected:
    void SetUp() override
    {
        m_services.chooseColour = [this](QWidget *, ColourRef initial, const QString &title,
                                         ColourRef &chosen) {
            m_chooser.append(title + u" from "_s +
                             QString::number(initial, 16).rightJustified(6, u'0'));
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
    QStringList m_chooser, m_messages;
    std::unique_ptr<CPrefsCtrl> m_page;
};

TEST_F(PreferencesPage, AColourShowsInBothSamplesAndReachesTheListsOnlyOnSave)
{
    ConvertListModel model;
    model.setNames({u"collision.jpg"_s});
    model.setFlag(0, CollisionError, true);
    CConvLvCtrl list;
    list.attach(model, m_preferences);
    list.resize(200, 80);
    list.show();

    const QPalette palette = QApplication::palette();
    const bool complement =
        palette.color(QPalette::Text) != palette.color(QPalette::HighlightedText);
    click(u"collisionRadio"_s);
    EXPECT_EQ(child<CLvColorWnd>(u"notSelectedSample"_s)->textColour(), 0x800080u);
    EXPECT_EQ(child<CLvColorWnd>(u"selectedSample"_s)->textColour(),
              complement ? 0x7FFF7Fu : 0x800080u);

    m_nextColour = 0x00C000; // green
    click(u"colourButton"_s);
    EXPECT_TRUE(shows(*child<CLvColorWnd>(u"notSelectedSample"_s), QColor(0, 0xC0, 0)));
    EXPECT_FALSE(shows(list, QColor(0, 0xC0, 0)));
    EXPECT_TRUE(shows(list, QColor(0x80, 0, 0x80)));
    click(u"saveButton"_s);
    EXPECT_TRUE(shows(list, QColor(0, 0xC0, 0)));
    EXPECT_TRUE(readFileBytes(m_home.preferencesPath()).contains(";#00c000;#0000ff;</colorTable>"));

    // A cancelled chooser changes nothing.
    m_nextColour.reset();
    click(u"fileTypeRadio"_s);
    click(u"colourButton"_s);
    EXPECT_EQ(m_chooser,
              (QStringList{u"Collision error from 800080"_s, u"File type error from 0000ff"_s}));
    EXPECT_EQ(m_page->workingColours()[1], 0x0000FFu);
}

TEST_F(PreferencesPage, SaveKeepsTheListsAsTypedFillingDropsEditsRestoreLeavesTheFileAndFailsAloud)
{
    child<QLineEdit>(u"rawEdit"_s)->setText(u" .NEF;.raw&<x>"_s);
    child<QLineEdit>(u"gifEdit"_s)->clear();
    click(u"saveButton"_s);
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::RawImages), u" .NEF;.raw&<x>"_s);
    EXPECT_FALSE(m_preferences.extensionList(AllImagesIndex).contains(u".gif;"_s));
    const QByteArray saved = readFileBytes(m_home.preferencesPath());
    EXPECT_TRUE(saved.contains("\r\n<RawImages> .NEF;.raw&amp;&lt;x&gt;</RawImages>\r\n"));

    child<QLineEdit>(u"pngEdit"_s)->setText(u".png;.apng;"_s);
    click(u"otherRadio"_s);
    m_nextColour = 0x00FF00;
    click(u"colourButton"_s);
    m_page->fill();
    EXPECT_EQ(child<QLineEdit>(u"pngEdit"_s)->text(), u".png;"_s);
    EXPECT_EQ(m_page->workingColours()[4], m_preferences.colour(OtherError));
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::PngImages), u".png;"_s);

    click(u"restoreButton"_s);
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::RawImages), u".raw;.dng;.cr2;"_s);
    EXPECT_EQ(child<QLineEdit>(u"rawEdit"_s)->text(), u".raw;.dng;.cr2;"_s);
    EXPECT_EQ(readFileBytes(m_home.preferencesPath()), saved);

    // A folder where the file should be: no save can succeed, and none may claim it did.
    ASSERT_TRUE(QFile::remove(m_home.preferencesPath()));
    ASSERT_TRUE(QDir().mkpath(m_home.preferencesPath() + u"/in-the-way"_s));
    click(u"saveButton"_s);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].startsWith(u"The preferences could not be saved to "_s +
                                         m_home.preferencesPath() + u": "_s))
        << m_messages[0].toStdString();
    EXPECT_GT(m_messages[0].size(),
              (u"The preferences could not be saved to : ."_s + m_home.preferencesPath()).size());
    EXPECT_TRUE(QFileInfo(m_home.preferencesPath() + u"/in-the-way"_s).isDir());
}

} // namespace
