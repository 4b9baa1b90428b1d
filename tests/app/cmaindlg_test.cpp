#include "app/cmaindlg.h"

#include "confighome.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(CMainDlg, IsCaptionedPelorinAndLoadsThePreferencesFile)
{
    ConfigHome home;
    Preferences preferences;
    PreferencesFile::settingsFilePath();
    QFile file(home.preferencesPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<PngImages>.png;.apng;</PngImages>");
    file.close();

    const CMainDlg window(preferences);
    EXPECT_EQ(window.windowTitle(), u"Pelorin"_s);
    EXPECT_EQ(preferences.extensionList(ImageFormatGroup::PngImages), u".png;.apng;"_s);
}

} // namespace
