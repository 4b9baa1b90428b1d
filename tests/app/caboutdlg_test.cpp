#include "app/caboutdlg.h"

#include "qtprinters.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(AboutBox, ShowsAsManyVersionNumbersAsTheBuildCalls)
{
    EXPECT_EQ(CAboutDlg::versionText(1, 4, 0, 7, false), u"Version 1.4"_s);
    EXPECT_EQ(CAboutDlg::versionText(1, 4, 2, 7, false), u"Version 1.4.2"_s);
    EXPECT_EQ(CAboutDlg::versionText(1, 4, 0, 7, true), u"Version ß 1.4.0 (7)"_s);
    CAboutDlg about;
    EXPECT_EQ(about.findChild<QLabel *>(u"versionLabel"_s)->text(), CAboutDlg::versionText());
}

TEST(AboutBox, ClosesOnAClickOutsideTheLinksOnEnterAndOnEscape)
{
    for (const auto &[close, result] :
         {std::pair<std::function<void(CAboutDlg &)>, int>{
              [](CAboutDlg &about) {
                  QTest::mouseClick(about.findChild<QLabel *>(u"iconLabel"_s), Qt::RightButton);
                  EXPECT_TRUE(about.isVisible());
                  QTest::mouseClick(about.findChild<QLabel *>(u"descriptionLabel"_s),
                                    Qt::LeftButton);
              },
              QDialog::Accepted},
          {[](CAboutDlg &about) { QTest::keyClick(&about, Qt::Key_Return); }, QDialog::Accepted},
          {[](CAboutDlg &about) { QTest::keyClick(&about, Qt::Key_Escape); }, QDialog::Rejected}}) {
        CAboutDlg about;
        about.show();
        close(about);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.result(), result);
    }
}

} // namespace
