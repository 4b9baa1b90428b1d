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

struct MainWindow : testing::Test
{
    ConfigHome m_home;
    Preferences m_preferences;
    PageServices m_services;
};

TEST_F(MainWindow, EscapeStopsARunTheCloseBoxStopsItThenClosesAndQuittingMidRunIsSafe)
{
    QTemporaryDir source, destination;
    ASSERT_TRUE(writeConvertFolders(source.path(), destination.path()));
    const auto runner = std::make_shared<StuckRunner>();
    m_services.imageLibraryUsable = [] { return true; };
    m_services.conversionRunner = runner;
    m_services.stopGraceMs = 0;
    auto window = std::make_unique<CMainDlg>(m_preferences, m_services);
    window->show();
    window->convertPage().session().chooseSourceFolder(source.path());
    window->convertPage().session().chooseDestinationFolder(destination.path());
    auto *convertAll = window->convertPage().findChild<QPushButton *>(u"convertAllButton"_s);

    convertAll->click(); // returns at once; the pictures never finish
    QTest::keyClick(&window->tabStrip(), Qt::Key_Escape);
    ASSERT_TRUE(runEventsUntil([&window] { return !window->convertPage().isBusy(); }));
    EXPECT_EQ(std::pair(window->exitCode(), window->tabStrip().isEnabled()), std::pair(0, true));

    convertAll->click();
    window->close();
    EXPECT_TRUE(window->isVisible()); // until the run has ended
    EXPECT_TRUE(
        runEventsUntil([&window] { return window->exitCode() == 2 && !window->isVisible(); }));

    // The application quits during a run (the desktop logs out): the window goes with pictures
    // in flight, which are stopped, and whatever the runner reports afterwards reaches no one.
    convertAll->click();
    window.reset();
    EXPECT_EQ(runner->stops, 3);
    QCoreApplication::processEvents();
}

// Enter presses Quit, the default button, when the focus is not on another push button.
TEST_F(MainWindow, ReadsThePreferencesFileShowsTheChosenPageAndQuitEndsWithOneAndEscapeWithTwo)
{
    ASSERT_TRUE(writeFileBytes(PreferencesFile::settingsFilePath(), "<PngImages>.a;</PngImages>"));
    for (const auto &[key, code] : {std::pair{Qt::Key_Return, 1}, {Qt::Key_Escape, 2}}) {
        CMainDlg window(m_preferences);
        window.show();
        window.tabStrip().setCurrentIndex(CMainDlg::RenameTab);
        EXPECT_EQ(m_preferences.extensionList(ImageFormatGroup::PngImages), u".a;"_s);
        EXPECT_TRUE(window.renamePage().isVisible());
        QTest::keyClick(&window.tabStrip(), key);
        EXPECT_EQ(std::pair(window.exitCode(), window.isVisible()), std::pair(code, false)) << key;
    }
}

TEST_F(MainWindow, EndsBeforeItIsShownWithoutAUsableImageLibrary)
{
    int messages = 0;
    m_services.imageLibraryUsable = [] { return false; };
    m_services.showMessage = [&messages](const QString &) { ++messages; };
    const CMainDlg window(m_preferences, m_services);
    EXPECT_EQ(std::tuple(window.exitCode(), window.isVisible(), messages), std::tuple(1, false, 1));
}

TEST_F(MainWindow, StatusLineTakesTheColourOfTheFirstErrorOfTheKindFromTheTableOfTheMoment)
{
    // A kind with several flags shows the first in the order Other, FileType, Collision.
    // clang-format off
    const std::pair<int, LineStatus> kinds[] = {
        {Standard, Standard}, {DuplicateError, DuplicateError}, {OtherError | FileTypeError, OtherError},
        {FileTypeError | CollisionError, FileTypeError}, {CollisionError | DuplicateError, CollisionError}};
    // clang-format on
    StatusLine line(m_preferences);
    for (int position = 0; position < LineColourTable::Size; ++position)
        m_preferences.colours().setAt(position, 0x010101u * ColourRef(position + 1));
    for (const auto &[kind, expected] : kinds) {
        line.showText(u"text"_s, kind);
        EXPECT_EQ(line.textColour(), m_preferences.colour(expected)) << kind;
    }
    // A rename error takes the other errors' colour, which stays until the next write.
    line.showRenameText(u"text"_s, true);
    m_preferences.colours().setColour(OtherError, 0x00FF00);
    line.repaint();
    EXPECT_EQ(line.textColour(), 0x050505u);
    line.showRenameMessage(RenameFinished, false);
    EXPECT_EQ(line.textColour(), 0x010101u);
    line.showMessage(129, OtherError); // an id without text writes the empty text
    EXPECT_EQ(line.text(), QString());
}

} // namespace
