#include "app/cmaindlg.h"

#include "widgets/runprogress.h"
#include "widgets/statusline.h"
#include "confighome.h"
#include "convert/cconvertctrl.h"
#include "convert/conversionlog.h"
#include "prefs/cprefsctrl.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "rename/crenumctrl.h"
#include "stuckrunner.h"
#include "testfiles.h"

#include <QFile>
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
    QTemporaryDir source;
    QTemporaryDir destination;
    for (const QString &name : {u"a.png"_s, u"b.png"_s, u"c.png"_s})
        ASSERT_TRUE(writeFileBytes(source.filePath(name), "picture"));
    const auto runner = std::make_shared<StuckRunner>();
    QStringList folders = {source.path(), destination.path()};
    PageServices services;
    services.folderChooser = FolderChooser([&folders](QWidget *, const QString &) {
        return folders.isEmpty() ? QString() : folders.takeFirst();
    });
    services.imageLibraryUsable = [] { return true; };
    services.conversionRunner = runner;
    services.stopGraceMs = 0;
    auto window = std::make_unique<CMainDlg>(m_preferences, services);
    window->show();
    const auto button = [&window](const QString &name) {
        return window->convertPage().findChild<QPushButton *>(name);
    };
    const auto idle = [&window] { return !window->convertPage().isBusy(); };
    button(u"sourceFolderButton"_s)->click();
    button(u"destinationFolderButton"_s)->click();

    button(u"convertAllButton"_s)->click(); // returns at once; the pictures never finish
    EXPECT_TRUE(window->runProgress().isVisible());
    for (QWidget *control : {static_cast<QWidget *>(&window->tabStrip()),
                             window->findChild<QWidget *>(u"quitButton"_s),
                             window->findChild<QWidget *>(u"aboutButton"_s),
                             static_cast<QWidget *>(&window->convertPage())})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    QTest::keyClick(&window->tabStrip(), Qt::Key_Escape);
    ASSERT_TRUE(runEventsUntil(idle));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->exitCode(), 0);
    EXPECT_FALSE(window->runProgress().isVisible());
    EXPECT_TRUE(button(u"convertAllButton"_s)->isEnabled());
    EXPECT_TRUE(window->tabStrip().isEnabled());
    const QString log = QString::fromUtf8(readFileBytes(ConversionLog::path(destination.path())));
    EXPECT_TRUE(log.contains(u"a.png : the conversion was stopped\r\n"
                             "b.png : the conversion was stopped\r\n"
                             "c.png : not converted, the run was stopped\r\n"_s))
        << log.toStdString();

    button(u"convertAllButton"_s)->click();
    window->close();
    EXPECT_TRUE(window->isVisible()); // until the run has ended
    EXPECT_TRUE(runEventsUntil([&window] { return window->exitCode() != 0; }));
    EXPECT_EQ(window->exitCode(), 2);
    EXPECT_FALSE(window->isVisible());

    // The application quits during a run (the desktop logs out): the window goes with pictures
    // in flight, which are stopped, and whatever the runner reports afterwards reaches no one.
    button(u"convertAllButton"_s)->click();
    ASSERT_FALSE(idle());
    window.reset();
    EXPECT_EQ(runner->stops, 3);
    QCoreApplication::processEvents();
}

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
