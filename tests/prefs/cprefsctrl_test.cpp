#include "prefs/cprefsctrl.h"

#include "widgets/pageservices.h"
#include "confighome.h"
#include "convert/cconvlvctrl.h"
#include "convert/convertlistmodel.h"
#include "prefs/clvcolorwnd.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "qtprinters.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Whether the widget shows, somewhere, a pixel close to the colour.
bool shows(QWidget &widget, QColor colour)
{
    const QImage image = widget.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40)
                return true;
        }
    }
    return false;
}

class PreferencesPage : public testing::Test
{
protected:
    void SetUp() override
    {
        m_services.chooseColour = [this](QWidget *, ColourRef initial, const QString &title,
                                         ColourRef &chosen) {
            m_chooserTitles.append(title);
            m_chooserStart = initial;
            if (!m_nextColour)
                return false;
            chosen = *m_nextColour;
            return true;
        };
        m_services.showMessage = [this](const QString &text) { m_messages.append(text); };
        m_page = std::make_unique<CPrefsCtrl>(m_preferences, m_services);
        m_page->fill();
        m_page->show();
    }

    template <typename T> T *child(const QString &name) { return m_page->findChild<T *>(name); }
    CLvColorWnd &sample(bool selected)
    {
        return *child<CLvColorWnd>(selected ? u"selectedSample"_s : u"notSelectedSample"_s);
    }

    ConfigHome m_home;
    Preferences m_preferences;
    PageServices m_services;
    std::optional<ColourRef> m_nextColour;
    QStringList m_chooserTitles;
    QStringList m_messages;
    ColourRef m_chooserStart = 0;
    std::unique_ptr<CPrefsCtrl> m_page;
};

TEST_F(PreferencesPage, FillingDropsEditsThatWereNotSaved)
{
    EXPECT_EQ(child<QLineEdit>(u"j2kEdit"_s)->text(),
              u".jp2;.j2k;.jpf;.jpm;.jpg2;.j2c;jpc;.jpx;.mj2;"_s);
    child<QLineEdit>(u"pngEdit"_s)->setText(u".png;.apng;"_s);
    child<QRadioButton>(u"otherRadio"_s)->click();
    m_nextColour = 0x00FF00;
    child<QPushButton>(u"colourButton"_s)->click();

    m_page->fill();
    EXPECT_EQ(child<QLineEdit>(u"pngEdit"_s)->text(), u".png;"_s);
    EXPECT_TRUE(child<QRadioButton>(u"standardRadio"_s)->isChecked());
    EXPECT_EQ(m_page->workingColours()[4], m_preferences.colour(OtherError));
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::PngImages), u".png;"_s);
}

TEST_F(PreferencesPage, RadioButtonsShowTheirStatusInBothSamples)
{
    const QPalette palette = QApplication::palette();
    const bool complement =
        palette.color(QPalette::Text) != palette.color(QPalette::HighlightedText);
    child<QRadioButton>(u"collisionRadio"_s)->click();
    EXPECT_EQ(sample(false).textColour(), 0x800080u);
    EXPECT_EQ(sample(false).backgroundColour(), toColourRef(palette.color(QPalette::Base)));
    EXPECT_EQ(sample(true).textColour(), complement ? 0x7FFF7Fu : 0x800080u);
    EXPECT_EQ(sample(true).backgroundColour(), toColourRef(palette.color(QPalette::Highlight)));
    EXPECT_TRUE(shows(sample(false), QColor(0x80, 0x00, 0x80)));
}

TEST_F(PreferencesPage, AChosenColourShowsInTheSamplesButReachesTheListsOnlyOnSave)
{
    ConvertListModel model;
    model.setNames({u"collision.jpg"_s});
    model.setFlag(0, CollisionError, true);
    CConvLvCtrl list;
    list.attach(model, m_preferences);
    list.resize(200, 80);
    list.show();

    child<QRadioButton>(u"collisionRadio"_s)->click();
    m_nextColour = 0x00C000; // green
    child<QPushButton>(u"colourButton"_s)->click();
    EXPECT_EQ(m_chooserTitles, QStringList{u"Collision error"_s});
    EXPECT_EQ(m_chooserStart, 0x800080u);
    EXPECT_EQ(sample(false).textColour(), 0x00C000u);
    EXPECT_TRUE(shows(sample(false), QColor(0, 0xC0, 0)));
    EXPECT_FALSE(shows(list, QColor(0, 0xC0, 0)));
    EXPECT_TRUE(shows(list, QColor(0x80, 0, 0x80)));

    child<QPushButton>(u"saveButton"_s)->click();
    EXPECT_EQ(m_preferences.colour(CollisionError), 0x00C000u);
    EXPECT_TRUE(shows(list, QColor(0, 0xC0, 0)));
    EXPECT_TRUE(readFileBytes(m_home.preferencesPath()).contains(";#00c000;#0000ff;</colorTable>"));
}

TEST_F(PreferencesPage, ACancelledChooserChangesNothing)
{
    child<QRadioButton>(u"fileTypeRadio"_s)->click();
    child<QPushButton>(u"colourButton"_s)->click();
    EXPECT_EQ(m_chooserTitles, QStringList{u"File type error"_s});
    EXPECT_EQ(m_page->workingColours()[1], 0x0000FFu);
}

TEST_F(PreferencesPage, SaveKeepsTheListsExactlyAsTyped)
{
    child<QLineEdit>(u"rawEdit"_s)->setText(u" .NEF;.raw&<x>"_s);
    child<QLineEdit>(u"gifEdit"_s)->clear();
    child<QPushButton>(u"saveButton"_s)->click();
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::RawImages), u" .NEF;.raw&<x>"_s);
    EXPECT_FALSE(m_preferences.extensionList(AllImagesIndex).contains(u".gif;"_s));

    Preferences reloaded;
    PreferencesFile::load(reloaded);
    EXPECT_EQ(reloaded.extensionList(ImageFormatGroup::RawImages), u" .NEF;.raw&<x>"_s);
    EXPECT_EQ(reloaded.extensionList(ImageFormatGroup::GifImages), u".gif;"_s);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(PreferencesPage, AFailedSaveTellsTheUserWhereAndWhy)
{
    // A folder where the file should be: no save can succeed, and none may claim it did.
    ASSERT_TRUE(QDir().mkpath(m_home.preferencesPath() + u"/in-the-way"_s));
    child<QPushButton>(u"saveButton"_s)->click();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].startsWith(u"The preferences could not be saved to "_s +
                                         m_home.preferencesPath() + u": "_s))
        << m_messages[0].toStdString();
    EXPECT_GT(m_messages[0].size(), (u"The preferences could not be saved to : ."_s +
                                     m_home.preferencesPath()).size());
    EXPECT_TRUE(QFileInfo(m_home.preferencesPath() + u"/in-the-way"_s).isDir());
}

TEST_F(PreferencesPage, RestoringTheDefaultsLeavesTheFileAlone)
{
    child<QLineEdit>(u"pngEdit"_s)->setText(u".png;.apng;"_s);
    child<QPushButton>(u"saveButton"_s)->click();
    const QByteArray saved = readFileBytes(m_home.preferencesPath());

    child<QPushButton>(u"restoreButton"_s)->click();
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::PngImages), u".png;"_s);
    EXPECT_EQ(child<QLineEdit>(u"pngEdit"_s)->text(), u".png;"_s);
    EXPECT_EQ(readFileBytes(m_home.preferencesPath()), saved);
}

} // namespace
