#include "app/cmaindlg.h"

#include "confighome.h"
#include "convert/cconvertctrl.h"
#include "prefs/cprefsctrl.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "qtprinters.h"
#include "rename/crenumctrl.h"
#include "testfiles.h"
#include "testpictures.h"
#include "widgets/statusline.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The whole program driven by keys alone, as a user without a mouse (or with a screen reader)
// drives it. The folder dialog is the one thing answered by the test: the keys open it.
class Keyboard : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeConvertFolders(m_source.path(), m_destination.path()));
        m_services.folderChooser = FolderChooser([this](QWidget *, const QString &) {
            return m_folders.isEmpty() ? QString() : m_folders.takeFirst();
        });
        m_services.imageLibraryUsable = [] { return true; };
        m_services.chooseColour = [](QWidget *, ColourRef, const QString &, ColourRef &) {
            return false;
        };
        m_services.openUrl = [](const QUrl &) {};
        m_services.showMessage = [](const QString &) {};
        m_window = std::make_unique<CMainDlg>(m_preferences, m_services);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    template <typename T = QWidget> T *child(const QString &name)
    {
        return m_window->findChild<T *>(name);
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    // Tab until the focus is on the control; fails if Tab never gets there.
    static void tabTo(QWidget *control)
    {
        for (int presses = 0; presses < 80 && QApplication::focusWidget() != control; ++presses)
            press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), control) << control->objectName().toStdString();
    }
    static QString spoken(QWidget *widget)
    {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    }

    ConfigHome m_home;
    QTemporaryDir m_source;
    QTemporaryDir m_destination;
    QStringList m_folders;
    Preferences m_preferences;
    PageServices m_services;
    std::unique_ptr<CMainDlg> m_window;
};

TEST_F(Keyboard, ConvertsRenamesInAReorderedListSavesAndQuitsWithoutTheMouse)
{
    m_folders = {m_source.path(), m_destination.path()};
    tabTo(child(u"sourceFolderButton"_s));
    press(Qt::Key_Return);
    EXPECT_EQ(std::pair(spoken(&m_window->statusLine()), spoken(child(u"imageCountLabel"_s))),
              std::pair(u"Files with same names are present (conflicts in conversion)"_s,
                        u"Number of images : 4"_s));
    tabTo(child(u"destinationFolderButton"_s));
    press(Qt::Key_Return);
    tabTo(child(u"convertAllButton"_s));
    press(Qt::Key_Return);
    ASSERT_TRUE(runEventsUntil([this] { return !m_window->convertPage().isBusy(); }));
    EXPECT_EQ(m_window->exitCode(), 0);
    EXPECT_EQ(spoken(&m_window->statusLine()),
              u"End of conversion! : Files have been skipped (see log)."_s);
    const QByteArray photo = readFileBytes(m_destination.filePath(u"photo.jpg"_s));
    const QByteArray tree = readFileBytes(m_destination.filePath(u"tree.jpg"_s));

    // The rename page lists photo.jpg and tree.jpg; photo.jpg goes down one place.
    press(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(m_window->tabStrip().currentIndex(), CMainDlg::RenameTab);
    tabTo(child(u"renameList"_s));
    press(Qt::Key_Space); // selects the first row, which has the focus
    const RenameListModel &rows = m_window->renamePage().rows();
    press(Qt::Key_Down, Qt::AltModifier);
    press(Qt::Key_Down, Qt::AltModifier); // already the last: stays
    EXPECT_EQ(rows.currentName(0), u"tree.jpg"_s);
    press(Qt::Key_S, Qt::AltModifier);
    press(Qt::Key_Up, Qt::AltModifier); // already the first: stays
    EXPECT_EQ(rows.currentName(0), u"photo.jpg"_s);
    press(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(rows.sortOrder(), RenameListModel::SortOrder::None);
    press(Qt::Key_Tab); // leaves the list at once, whatever cell has the focus
    EXPECT_NE(QApplication::focusWidget(), child(u"renameList"_s));
    tabTo(child(u"baseNameEdit"_s));
    QTest::keyClicks(QApplication::focusWidget(), u"trip"_s);
    tabTo(child(u"renumberButton"_s));
    press(Qt::Key_Return);
    EXPECT_EQ(std::pair(readFileBytes(m_destination.filePath(u"trip1.jpg"_s)),
                        readFileBytes(m_destination.filePath(u"trip2.jpg"_s))),
              std::pair(tree, photo));
    EXPECT_EQ(std::pair(spoken(&m_window->statusLine()), spoken(child(u"fileCountLabel"_s))),
              std::pair(u"End of fle renaming!"_s, u"Number of files: 2"_s));

    press(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(m_window->tabStrip().currentIndex(), CMainDlg::PreferencesTab);
    auto *gif = child<QLineEdit>(u"gifEdit"_s);
    tabTo(gif);
    press(Qt::Key_End);
    QTest::keyClicks(gif, u".giff;"_s);
    tabTo(child(u"saveButton"_s));
    press(Qt::Key_Return);
    EXPECT_EQ(m_window->exitCode(), 0);
    EXPECT_TRUE(readFileBytes(m_home.preferencesPath()).contains(".gif;.giff;"));

    // Away from the push buttons, Enter presses Quit again.
    tabTo(gif);
    press(Qt::Key_Return);
    EXPECT_EQ(m_window->exitCode(), 1);
}

TEST_F(Keyboard, EnterPressesTheFocusedButtonAndEveryControlHasAName)
{
    for (const int tab : {CMainDlg::ConvertTab, CMainDlg::RenameTab, CMainDlg::PreferencesTab}) {
        m_window->tabStrip().setCurrentIndex(tab);
        for (QPushButton *button : m_window->findChildren<QPushButton *>()) {
            const QString name = button->objectName();
            if (!button->isVisible() || !button->isEnabled() || name == u"quitButton"_s ||
                name == u"aboutButton"_s) // opens its box modally
                continue;
            button->setFocus();
            QSignalSpy clicked(button, &QPushButton::clicked);
            press(Qt::Key_Return);
            EXPECT_EQ(clicked.count(), 1) << name.toStdString();
            EXPECT_EQ(m_window->exitCode(), 0) << name.toStdString();
        }
        // Icon buttons included: a screen reader says what each does.
        for (QWidget *control : m_window->findChildren<QWidget *>()) {
            const QWidget *parent = control->parentWidget();
            const bool own = parent == m_window.get() || parent->parentWidget() == m_window.get();
            if (own && control->isVisible() && control->focusPolicy() & Qt::TabFocus) {
                EXPECT_FALSE(spoken(control).isEmpty()) << control->objectName().toStdString();
            }
        }
    }
    EXPECT_EQ(
        std::pair(spoken(child(u"rotateRightButton"_s)), child(u"rotateRightButton"_s)->toolTip()),
        std::pair(u"Turn clockwise"_s, u"Turn clockwise"_s));
}

} // namespace
