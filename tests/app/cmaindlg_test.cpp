#include "app/cmaindlg.h"

#include "app/statusline.h"
#include "confighome.h"
#include "convert/cconvertctrl.h"
#include "prefs/cprefsctrl.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "rename/crenumctrl.h"

#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class MainWindow : public testing::Test
{
protected:
    ConfigHome m_home;
    Preferences m_preferences;
};

TEST_F(MainWindow, IsCaptionedPelorinAndReadsThePreferencesFileBeforeThePagesExist)
{
    QFile file(PreferencesFile::settingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<PngImages>.png;.apng;</PngImages>");
    file.close();

    const CMainDlg window(m_preferences);
    EXPECT_EQ(window.windowTitle(), u"Pelorin"_s);
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::PngImages), u".png;.apng;"_s);
    EXPECT_EQ(window.exitCode(), 0);
}

TEST_F(MainWindow, HasThreeTabsWithTheirBlanks)
{
    CMainDlg window(m_preferences);
    ASSERT_EQ(window.tabStrip().count(), 3);
    EXPECT_EQ(window.tabStrip().tabText(0), u" 1 - Convert "_s);
    EXPECT_EQ(window.tabStrip().tabText(1), u" 2 - Rename/Renumber "_s);
    EXPECT_EQ(window.tabStrip().tabText(2), u" Preferences "_s);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
}

TEST_F(MainWindow, ShowsOnlyThePageOfTheChosenTabAndClearsTheStatusLineOnEverySwitch)
{
    CMainDlg window(m_preferences);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.convertPage().isVisible());
    EXPECT_FALSE(window.renamePage().isVisible());
    EXPECT_FALSE(window.preferencesPage().isVisible());

    struct Step
    {
        int tab;
        QWidget *visible;
    };
    for (const Step &step : {Step{CMainDlg::RenameTab, &window.renamePage()},
                             Step{CMainDlg::PreferencesTab, &window.preferencesPage()},
                             Step{CMainDlg::ConvertTab, &window.convertPage()},
                             Step{CMainDlg::PreferencesTab, &window.preferencesPage()}}) {
        window.statusLine().showText(u"Collision in destination files."_s, CollisionError);
        window.tabStrip().setCurrentIndex(step.tab);
        EXPECT_TRUE(window.statusLine().text().isEmpty()) << "tab " << step.tab;
        EXPECT_EQ(window.statusLine().textColour(), m_preferences.colour(Standard));
        for (QWidget *page : {static_cast<QWidget *>(&window.convertPage()),
                              static_cast<QWidget *>(&window.renamePage()),
                              static_cast<QWidget *>(&window.preferencesPage())})
            EXPECT_EQ(page->isVisible(), page == step.visible) << "tab " << step.tab;
    }
}

TEST_F(MainWindow, QuitAndEnterEndWithOneEscapeAndCloseWithTwo)
{
    {
        CMainDlg window(m_preferences);
        window.show();
        window.findChild<QPushButton *>(u"quitButton"_s)->click();
        EXPECT_EQ(window.exitCode(), 1);
        EXPECT_FALSE(window.isVisible());
    }
    {
        // Enter presses the default button when the focus is not on another push button.
        CMainDlg window(m_preferences);
        window.show();
        QTest::keyClick(&window.tabStrip(), Qt::Key_Return);
        EXPECT_EQ(window.exitCode(), 1);
    }
    {
        CMainDlg window(m_preferences);
        window.show();
        QTest::keyClick(&window.tabStrip(), Qt::Key_Escape);
        EXPECT_EQ(window.exitCode(), 2);
    }
    {
        CMainDlg window(m_preferences);
        window.show();
        window.close();
        EXPECT_EQ(window.exitCode(), 2);
    }
}

TEST_F(MainWindow, EndsBeforeItIsShownWithoutAUsableImageLibrary)
{
    PageServices services = PageServices::desktop();
    QStringList messages;
    services.imageLibraryUsable = [] { return false; };
    services.showMessage = [&messages](const QString &text) { messages.append(text); };
    const CMainDlg window(m_preferences, services);
    EXPECT_EQ(window.exitCode(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(messages, QStringList{u"FreeImage.dll and/or FreeImagePlus.dll missing!"_s});
}

} // namespace
