#include "app/caboutdlg.h"

#include "qtprinters.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct VersionCase
{
    int major, minor, build, revision;
    bool prerelease;
    const char16_t *text;
};

void PrintTo(const VersionCase &c, std::ostream *out)
{
    *out << QString::fromUtf16(c.text).toStdString();
}

class VersionText : public testing::TestWithParam<VersionCase>
{
};

TEST_P(VersionText, ShowsAsManyNumbersAsTheBuildCalls)
{
    const VersionCase &c = GetParam();
    EXPECT_EQ(CAboutDlg::versionText(c.major, c.minor, c.build, c.revision, c.prerelease),
              QString::fromUtf16(c.text));
}

INSTANTIATE_TEST_SUITE_P(Rule, VersionText,
                         testing::Values(VersionCase{1, 4, 0, 7, false, u"Version 1.4"},
                                         VersionCase{1, 4, 2, 7, false, u"Version 1.4.2"},
                                         VersionCase{1, 4, 0, 7, true, u"Version ß 1.4.0 (7)"},
                                         VersionCase{0, 0, 0, 0, true, u"Version ß 0.0.0 (0)"}));

TEST(AboutBox, ShowsTheTextsAndTheCompiledVersion)
{
    CAboutDlg about;
    EXPECT_EQ(about.findChild<QLabel *>(u"versionLabel"_s)->text(), CAboutDlg::versionText());
    EXPECT_EQ(about.findChild<QLabel *>(u"descriptionLabel"_s)->text(),
              u"Batch convert, resize, reorder, rename a set of picture files."_s);
    EXPECT_TRUE(
        about.findChild<QLabel *>(u"freeImageLink"_s)->text().contains(u">FreeImage</a>"_s));
    EXPECT_EQ(about.findChild<QLabel *>(u"freeImageLink"_s)->accessibleName(), u"FreeImage"_s);
}

TEST(AboutBox, ClosesOnAClickOutsideTheLinksOnEnterAndOnEscape)
{
    {
        CAboutDlg about;
        about.show();
        QTest::mouseClick(about.findChild<QLabel *>(u"descriptionLabel"_s), Qt::LeftButton);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.result(), QDialog::Accepted);
    }
    {
        CAboutDlg about;
        about.show();
        QTest::mouseClick(about.findChild<QLabel *>(u"iconLabel"_s), Qt::RightButton);
        EXPECT_TRUE(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Return);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.result(), QDialog::Accepted);
    }
    {
        CAboutDlg about;
        about.show();
        QTest::keyClick(&about, Qt::Key_Escape);
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.result(), QDialog::Rejected);
    }
}

} // namespace
