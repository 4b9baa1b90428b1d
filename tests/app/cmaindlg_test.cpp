#include "app/cmaindlg.h"

#include "confighome.h"
#include "convert/cconvertctrl.h"
#include "convert/convertsession.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "rename/crenumctrl.h"
#include "resources/stringtable.h"
#include "stuckrunner.h"
#include "testfiles.h"
#include "testpictures.h"
#include "widgets/statusline.h"

#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
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

TEST_F(MainWindow, EscapeStopsARunTheCloseBoxStopsItThenClosesAndQuittingMidRunIsSafe)
{
    QTemporaryDir source, destination;
    ASSERT_TRUE(writeConvertFolders(source.path(), destination.path()));
    const auto runner = std::make_shared<StuckRunner>();
    PageServices services;
    services.imageLibraryUsable = [] { return true; };
    services.conversionRunner = runner;
    services.stopGraceMs = 0;
    auto window = std::make_unique<CMainDlg>(m_preferences, services);
    window->show();
    window->convertPage().session().chooseSourceFolder(source.path());
    window->convertPage().session().chooseDestinationFolder(destination.path());
    auto *convertAll = window->convertPage().findChild<QPushButton *>(u"convertAllButton"_s);
    const auto idle = [&window] { return !window->convertPage().isBusy(); };

    convertAll->click(); // returns at once; the pictures never finish
    EXPECT_FALSE(window->tabStrip().isEnabled());
    QTest::keyClick(&window->tabStrip(), Qt::Key_Escape);
    ASSERT_TRUE(runEventsUntil(idle));
    EXPECT_EQ(std::pair(window->exitCode(), window->tabStrip().isEnabled()), std::pair(0, true));

    convertAll->click();
    window->close();
    EXPECT_TRUE(window->isVisible()); // until the run has ended
    EXPECT_TRUE(runEventsUntil([&window] { return window->exitCode() == 2; }));
    EXPECT_FALSE(window->isVisible());

    // The application quits during a run (the desktop logs out): the window goes with pictures
    // in flight, which are stopped, and whatever the runner reports afterwards reaches no one.
    convertAll->click();
    ASSERT_FALSE(idle());
    window.reset();
    EXPECT_EQ(runner->stops, 3);
    QCoreApplication::processEvents();
}

TEST_F(MainWindow, ReadsThePreferencesFileAndShowsThePageOfTheChosenTab)
{
    ASSERT_TRUE(
        writeFileBytes(PreferencesFile::settingsFilePath(), "<PngImages>.png;.apng;</PngImages>"));
    CMainDlg window(m_preferences);
    EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::PngImages), u".png;.apng;"_s);
    // A switch shows the page of the tab and clears the status line.
    window.show();
    window.statusLine().showText(u"Collision in destination files."_s, CollisionError);
    window.tabStrip().setCurrentIndex(CMainDlg::RenameTab);
    EXPECT_EQ(std::pair(window.statusLine().text(), window.renamePage().isVisible()),
              std::pair(QString(), true));
}

// Enter presses Quit, the default button, when the focus is not on another push button.
TEST_F(MainWindow, QuitEndsWithOneAndEscapeWithTwo)
{
    for (const auto &[key, code] : {std::pair{Qt::Key_Return, 1}, {Qt::Key_Escape, 2}}) {
        CMainDlg window(m_preferences);
        window.show();
        QTest::keyClick(&window.tabStrip(), key);
        EXPECT_EQ(std::pair(window.exitCode(), window.isVisible()), std::pair(code, false)) << key;
    }
}

TEST_F(MainWindow, EndsBeforeItIsShownWithoutAUsableImageLibrary)
{
    PageServices services = PageServices::desktop();
    QStringList messages;
    services.imageLibraryUsable = [] { return false; };
    services.showMessage = [&messages](const QString &text) { messages.append(text); };
    const CMainDlg window(m_preferences, services);
    EXPECT_EQ(std::tuple(window.exitCode(), window.isVisible(), messages.size()),
              std::tuple(1, false, 1));
}

TEST(StatusLine, TakesTheColourOfTheFirstErrorOfTheKindFromTheTableOfTheMomentAndKeepsIt)
{
    // A kind with several flags shows the first in the order Other, FileType, Collision.
    // clang-format off
    const std::pair<int, LineStatus> kinds[] = {
        {Standard, Standard}, {DuplicateError, DuplicateError}, {OtherError | FileTypeError, OtherError},
        {FileTypeError | CollisionError, FileTypeError}, {CollisionError | DuplicateError, CollisionError}};
    // clang-format on
    Preferences preferences;
    StatusLine line(preferences);
    for (int position = 0; position < LineColourTable::Size; ++position)
        preferences.colours().setAt(position, 0x010101u * ColourRef(position + 1));
    for (const auto &[kind, expected] : kinds) {
        line.showText(u"text"_s, kind);
        EXPECT_EQ(line.textColour(), preferences.colour(expected)) << kind;
    }
    // A rename error takes the other errors' colour, which stays until the next write.
    line.showRenameText(u"text"_s, true);
    preferences.colours().setColour(OtherError, 0x00FF00);
    line.repaint();
    EXPECT_EQ(line.textColour(), 0x050505u);
    line.showRenameMessage(RenameFinished, false);
    EXPECT_EQ(line.textColour(), 0x010101u);
    line.showMessage(129, OtherError); // an id without text writes the empty text
    EXPECT_TRUE(line.text().isEmpty());
}

} // namespace
