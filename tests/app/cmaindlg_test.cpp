// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "app/caboutdlg.h"
#include "app/cmaindlg.h"
#include "app/commandline.h"

#include "confighome.h"
#include "convert/convertsession.h"
#include "pages/cconvertctrl.h"
#include "pages/cprefsctrl.h"
#include "pages/crenumctrl.h"
#include "prefs/preferences.h"
#include "prefs/preferencesfile.h"
#include "prefs/sessionstate.h"
#include "qtprinters.h"
#include "rename/renamelistmodel.h"
#include "strings/stringtable.h"
#include "stuckrunner.h"
#include "testfiles.h"
#include "testpictures.h"
#include "util/pathutil.h"
#include "widgets/layoutscale.h"
#include "widgets/mnemonics.h"
#include "widgets/statusline.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The convert page's folders of every test.
struct MainWindow : testing::Test
{
    void SetUp() override { ASSERT_TRUE(m_written); }

    ConfigHome m_home;
    QTemporaryDir m_source, m_destination;
    const bool m_written = writeConvertFolders(m_source.path(), m_destination.path());
    Preferences m_preferences;
    PageServices m_services;
};

TEST_F(MainWindow, EscapeStopsARunTheCloseBoxStopsItThenClosesAndQuittingMidRunIsSafe)
{
    const auto runner = std::make_shared<StuckRunner>();
    m_services.conversionRunner = runner;
    m_services.stopGraceMs = 0;
    auto window = std::make_unique<CMainDlg>(m_preferences, m_services);
    window->show();
    window->convertPage().session().chooseSourceFolder(m_source.path());
    window->convertPage().session().chooseDestinationFolder(m_destination.path());
    auto *convertAll = window->convertPage().findChild<QPushButton *>(u"convertAllButton"_s);

    // Returns at once; the pictures, once started, never finish. Events are processed by hand:
    // once the window has closed, the application's exit ends every event loop at once.
    const auto startedRun = [&] {
        const int before = runner->started;
        convertAll->click();
        for (QDeadlineTimer deadline(20'000); runner->started == before && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return runner->started > before;
    };
    ASSERT_TRUE(startedRun());
    // A renumber ending meanwhile (an interrupted one finished at start) leaves the run's window
    // as it is.
    CRenumCtrl &rename = window->renamePage();
    rename.takeOverFolder(m_destination.path(), 0);
    rename.findChild<QLineEdit *>(u"baseNameEdit"_s)->setText(u"x"_s);
    rename.findChild<QPushButton *>(u"renumberButton"_s)->click();
    ASSERT_TRUE(runEventsUntil([&rename] { return !rename.isBusy(); }));
    EXPECT_TRUE(QFile::exists(m_destination.filePath(u"x1.jpg"_s)));
    EXPECT_FALSE(window->tabStrip().isEnabled());
    QTest::keyClick(&window->tabStrip(), Qt::Key_Escape);
    ASSERT_TRUE(runEventsUntil([&window] { return !window->convertPage().isBusy(); }));
    EXPECT_EQ(std::pair(window->exitCode(), window->tabStrip().isEnabled()), std::pair(0, true));

    ASSERT_TRUE(startedRun());
    window->close();
    EXPECT_TRUE(window->isVisible()); // until the run has ended
    EXPECT_TRUE(
        runEventsUntil([&window] { return window->exitCode() == 2 && !window->isVisible(); }));

    // The application quits during a run (the desktop logs out): the window goes with pictures
    // in flight, which are stopped, and whatever the runner reports afterwards reaches no one.
    ASSERT_TRUE(startedRun());
    window.reset();
    EXPECT_EQ(runner->stops, 3);
    QCoreApplication::processEvents();
}

// The preferences file is read before the pages exist. The state left is taken up as if chosen by
// the user (the source scanned, the rename page shown) and written again, whichever way the window
// ends: Escape with 2, Enter with 1 (it presses Quit, the default button, when the focus is not on
// another push button). A folder gone since is not restored, everything else is.
TEST_F(MainWindow, ReadsItsFilesTakesUpTheStateItWasLeftInAndWritesItAgainButNoFolderGoneSince)
{
    ASSERT_TRUE(writeFileBytes(PreferencesFile::settingsFilePath(), "<PngImages>.a;</PngImages>"));
    SessionState state{m_source.path(), m_destination.path(), 3, 35, true, 2, 640, 1, false, true};
    ASSERT_TRUE(state.save().ok);
    for (const auto &[key, code] : {std::pair{Qt::Key_Escape, 2}, {Qt::Key_Return, 1}}) {
        CMainDlg window(m_preferences, m_services);
        window.restoreState();
        window.show();
        // The PNG pictures are not listed: the file's list replaced the default one. The source
        // is gone in the second round.
        EXPECT_EQ(std::tuple(window.convertPage().listModel().rowCount(),
                             window.renamePage().folder(), window.renamePage().isVisible()),
                  std::tuple(code == 2 ? 1 : 0, m_destination.path(), true));
        QTest::keyClick(&window.tabStrip(), key);
        EXPECT_EQ(std::tuple(SessionState::load(), window.exitCode(), window.isVisible()),
                  std::tuple(state, code, false))
            << key;
        ASSERT_TRUE(QDir(m_source.path()).removeRecursively());
        state.sourceFolder.clear();
    }
}

// Dragged from the file manager: a folder, or a file for its folder, chosen on each target as the
// folder dialog would, by its bytes; a link to no local file is refused before it is dropped. What
// `pelorin FOLDER` asks for wins over the page shown; a missing path is said in the line.
TEST_F(MainWindow, TakesADroppedFolderOrFileOnEachTargetButNoOtherLinkAndTheCommandLinesFolder)
{
    const QByteArray odd = QFile::encodeName(m_destination.path()) + "/\xff";
    const auto removeOdd = qScopeGuard([&odd] { ::rmdir(odd.constData()); });
    ASSERT_EQ(::mkdir(odd.constData(), 0700), 0);
    CMainDlg window(m_preferences, m_services);
    window.show();
    // The drop's action when the drag is taken: a copy, never a move, even with Shift held.
    const auto drop = [&window](const QString &target, const QUrl &url) {
        QMimeData data;
        data.setUrls({url});
        const auto actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QDropEvent dropped(QPointF(), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        if (QApplication::sendEvent(window.findChild<QWidget *>(target), &enter),
            enter.isAccepted())
            QApplication::sendEvent(window.findChild<QWidget *>(target), &dropped);
        QCoreApplication::processEvents();
        return enter.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    };
    const QUrl web(u"https://example.org/pictures/"_s);
    const QUrl file = QUrl::fromLocalFile(m_source.filePath(u"photo.png"_s));
    EXPECT_EQ(
        std::tuple(drop(u"sourceFolderEdit"_s, web), drop(u"sourceFolderEdit"_s, file),
                   drop(u"destinationFolderEdit"_s, QUrl::fromLocalFile(m_destination.path()))),
        std::tuple(Qt::IgnoreAction, Qt::CopyAction, Qt::CopyAction));
    CConvertCtrl &page = window.convertPage();
    EXPECT_EQ(
        std::tuple(page.sourceFolder(), page.listModel().rowCount(), page.destinationFolder()),
        std::tuple(m_source.path(), 4, m_destination.path()));
    window.tabStrip().setCurrentIndex(CMainDlg::RenameTab);
    const QUrl oddUrl = QUrl::fromEncoded("file://" + odd.toPercentEncoding("/"));
    EXPECT_EQ(std::pair(drop(u"renamePage"_s, web), drop(u"baseNameEdit"_s, oddUrl)),
              std::pair(Qt::IgnoreAction, Qt::CopyAction));
    EXPECT_EQ(window.renamePage().folder(), PathUtil::decodeName(odd));

    window.applyCommandLine({CommandLine::Open, PathUtil::decodeName(odd), {}});
    window.applyCommandLine({CommandLine::Open, {}, u"gone"_s});
    EXPECT_EQ(std::tuple(window.tabStrip().currentIndex(), page.sourceFolder(),
                         window.statusLine().text()),
              std::tuple(int(CMainDlg::ConvertTab), PathUtil::decodeName(odd), u"gone"_s));
}

// Whether the control shows its text whole; controls without a text to fit pass.
bool textFits(const QWidget &control)
{
    const QFontMetrics metrics = control.fontMetrics();
    const auto within = [&](const QRect &area, const QString &text) {
        const QSize size = metrics.size(Qt::TextShowMnemonic, text);
        return size.width() <= area.width() && size.height() <= area.height();
    };
    if (const auto *label = qobject_cast<const QLabel *>(&control)) {
        const QRect area = label->contentsRect();
        if (label->textFormat() == Qt::RichText) // a link
            return within(area, QTextDocumentFragment::fromHtml(label->text()).toPlainText());
        if (!label->wordWrap())
            return within(area, label->text());
        return metrics.boundingRect(area, Qt::TextWordWrap, label->text()).height() <=
               area.height();
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const auto element = qobject_cast<const QCheckBox *>(button) ? QStyle::SE_CheckBoxContents
                             : qobject_cast<const QRadioButton *>(button)
                                 ? QStyle::SE_RadioButtonContents
                                 : QStyle::SE_PushButtonContents;
        return within(button->style()->subElementRect(element, &option, button), button->text());
    }
    if (const auto *tabs = qobject_cast<const QTabBar *>(&control)) {
        for (int tab = 0; tab < tabs->count(); ++tab)
            if (!tabs->rect().contains(tabs->tabRect(tab)) ||
                !within(tabs->tabRect(tab), tabs->tabText(tab)))
                return false;
        return true;
    }
    if (qobject_cast<const QLineEdit *>(&control) || qobject_cast<const QComboBox *>(&control) ||
        qobject_cast<const QAbstractSpinBox *>(&control))
        return control.height() >= control.minimumSizeHint().height();
    return true;
}

class MainWindowFont : public MainWindow, public testing::WithParamInterface<int>
{
};

// The design is drawn up for 9 points; desktops set 10 or 11, some 12.
TEST_P(MainWindowFont, GrowsUntilEveryTextFitsKeepingItsArrangement)
{
    const QFont original = QApplication::font();
    QApplication::setFont(QFont(original.family(), GetParam()));
    const auto restore = qScopeGuard([&] { QApplication::setFont(original); });
    CMainDlg window(m_preferences, m_services);
    window.show();
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    CAboutDlg about(&window);
    // Where the screen is too small for the font, the window's controls are on a scrolled sheet.
    auto *content = window.findChild<QWidget *>(u"content"_s);
    QWidget *const parents[] = {content ? content : &window, &window.convertPage(),
                                &window.renamePage(), &window.preferencesPage(), &about};
    // The line beside the options column runs past the page's foot by design.
    for (QWidget *parent : parents)
        for (QWidget *control : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(control->isWindow() || ((parent->rect().contains(control->geometry()) ||
                                                 control->objectName() == u"separatorLine"_s) &&
                                                textFits(*control)))
                << control->objectName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Points, MainWindowFont, testing::Values(9, 10, 11, 12));

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

// The whole program driven by keys alone, as a user without a mouse (or with a screen reader)
// drives it. The folder dialog is the one thing answered by the test: the keys open it.
struct Keyboard : MainWindow
{
    void SetUp() override
    {
        MainWindow::SetUp();
        m_services.folderChooser =
            FolderChooser([this](QWidget *, const QString &, const QString &) {
                return m_folders.isEmpty() ? QString() : m_folders.takeFirst();
            });
        m_services.chooseColour = [](QWidget *, ColourRef, const QString &, ColourRef &) {
            return false;
        };
        m_services.openUrl = [](const QUrl &) { return true; };
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
    QByteArray read(const QString &n) const { return readFileBytes(m_destination.filePath(n)); }
    // Tab to the control and press Enter.
    void activate(const QString &name) { tabTo(child(name)), press(Qt::Key_Return); }

    QStringList m_folders;
    std::unique_ptr<CMainDlg> m_window;
};

TEST_F(Keyboard, ConvertsAndRenamesInAReorderedListWithoutTheMouseAndClosesAfterTheRenames)
{
    m_folders = {m_source.path(), m_destination.path()};
    activate(u"sourceFolderButton"_s);
    EXPECT_EQ(std::pair(spoken(&m_window->statusLine()), spoken(child(u"imageCountLabel"_s))),
              std::pair(u"Files with same names are present (conflicts in conversion)"_s,
                        u"Number of images : 4"_s));
    activate(u"destinationFolderButton"_s);
    activate(u"convertAllButton"_s);
    ASSERT_TRUE(runEventsUntil([this] { return !m_window->convertPage().isBusy(); }));
    EXPECT_EQ(m_window->exitCode(), 0);
    const QByteArray photo = read(u"photo.jpg"_s), tree = read(u"tree.jpg"_s);

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
    activate(u"renumberButton"_s);
    ASSERT_TRUE(runEventsUntil([this] { return !m_window->renamePage().isBusy(); }));
    EXPECT_EQ(std::pair(read(u"trip1.jpg"_s), read(u"trip2.jpg"_s)), std::pair(tree, photo));
    EXPECT_EQ(std::pair(spoken(&m_window->statusLine()), spoken(child(u"fileCountLabel"_s))),
              std::pair(u"End of fle renaming!"_s, u"Number of files: 2"_s));

    // Closed during a renumber, the window goes once every file is renamed.
    tabTo(child(u"baseNameEdit"_s));
    QTest::keyClicks(QApplication::focusWidget(), u"x"_s);
    activate(u"renumberButton"_s);
    m_window->close();
    EXPECT_TRUE(m_window->isVisible() && !m_window->tabStrip().isEnabled());
    ASSERT_TRUE(runEventsUntil([this] { return !m_window->isVisible(); }));
    EXPECT_EQ(std::pair(m_window->exitCode(), read(u"x2.jpg"_s)), std::pair(2, photo));
}

// What a screen reader says: the quality's percentage and words, the labels of the input format,
// the digits and the start number, and the groups of the options. Then on each page: each label
// with a field, button, box and group title has an Alt+letter key of its own, none the window's
// (Quit, About) nor, on the rename page, the list's S and D; a label's key focuses its field, and
// the & is not spoken. Every control Tab reaches has a name, and Enter presses the button with the
// focus.
TEST_F(Keyboard, ControlsHaveTheirNamesAndAltLettersPerPageAndEnterPressesTheFocusedButton)
{
    auto *quality = QAccessible::queryAccessibleInterface(child(u"qualitySlider"_s));
    quality->valueInterface()->setCurrentValue(36);
    EXPECT_EQ(std::tuple(child<QSlider>(u"qualitySlider"_s)->value(),
                         quality->valueInterface()->currentValue().toInt(),
                         quality->text(QAccessible::Description)),
              std::tuple(7, 35, u"35% (normal)"_s));
    const auto named = [this](const QString &name, QAccessible::Relation relation) {
        auto *control = QAccessible::queryAccessibleInterface(child(name));
        return (relation ? control->relations(relation).value(0).first : control->parent())
            ->text(QAccessible::Name);
    };
    EXPECT_EQ(std::tuple(named(u"inputFormatCombo"_s, QAccessible::Label),
                         named(u"digitsSpin"_s, QAccessible::Label),
                         named(u"startEdit"_s, QAccessible::Label), named(u"heightRadio"_s, {}),
                         named(u"otherRadio"_s, {})),
              std::tuple(u"Input format"_s, u"digits number"_s, u"Start at n°"_s, u"Resize"_s,
                         u"Colors"_s));
    for (const int tab : {CMainDlg::ConvertTab, CMainDlg::RenameTab, CMainDlg::PreferencesTab}) {
        m_window->tabStrip().setCurrentIndex(tab);
        QString taken = tab == CMainDlg::RenameTab ? u"QASD"_s : u"QA"_s;
        for (QWidget *control :
             child(QList<QString>{u"convertPage"_s, u"renamePage"_s, u"preferencesPage"_s}[tab])
                 ->findChildren<QWidget *>()) {
            auto *label = qobject_cast<QLabel *>(control);
            auto *group = qobject_cast<QGroupBox *>(control);
            auto *button = qobject_cast<QAbstractButton *>(control);
            const QString text = label && label->buddy() ? label->text()
                                 : group                 ? group->title()
                                 : button                ? button->text()
                                                         : QString();
            const QChar key = Mnemonics::letter(text);
            EXPECT_FALSE(text.isEmpty() != key.isNull() || taken.contains(key) ||
                         spoken(control).contains(u'&'))
                << text.toStdString();
            if (key.isNull())
                continue;
            taken.append(key);
            if (label && label->isVisible() && label->buddy()->isEnabled()) {
                press(key.unicode(), Qt::AltModifier);
                EXPECT_EQ(QApplication::focusWidget(), label->buddy()) << int(key.unicode());
            }
        }
        // Icon buttons included: a screen reader says what each does.
        for (QWidget *control : m_window->findChildren<QWidget *>()) {
            const QWidget *parent = control->parentWidget();
            const bool own = parent == m_window.get() || parent->parentWidget() == m_window.get();
            if (own && control->isVisible() && control->focusPolicy() & Qt::TabFocus) {
                EXPECT_FALSE(spoken(control).isEmpty()) << control->objectName().toStdString();
            }
        }
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
    }
}

// Enter in a field quits, and so would lose the preferences page's edits, which wait through page
// changes: Save, Discard or Cancel is asked first. Nothing is asked without edits.
TEST_F(MainWindow, QuittingWithUnsavedPreferencesAsksToSaveDiscardOrStay)
{
    QStringList asked; // the question and its choices
    int answer = 0;
    m_services.ask = [&](const QString &text, const QStringList &choices) {
        asked = QStringList{text} + choices;
        return answer;
    };
    // The answer, the exit code, whether the edit stays on the page and whether it is in the file.
    const std::tuple<int, int, bool, bool> cases[] = {
        {-2, 1, false, false}, {1, 1, false, false}, {2, 0, true, false}, {0, 1, true, true}};
    for (const auto &[choice, exitCode, kept, saved] : cases) {
        Preferences preferences;
        CMainDlg window(preferences, m_services);
        window.show();
        window.tabStrip().setCurrentIndex(CMainDlg::PreferencesTab);
        auto *gif = window.findChild<QLineEdit *>(u"gifEdit"_s);
        gif->setText(choice == -2 ? gif->text() : u".x;"_s);
        window.tabStrip().setCurrentIndex(CMainDlg::ConvertTab);
        window.tabStrip().setCurrentIndex(CMainDlg::PreferencesTab);
        std::tie(asked, answer) = std::pair(QStringList(), choice);
        QTest::keyClick(gif, Qt::Key_Return);
        EXPECT_EQ(std::tuple(asked.size(), window.exitCode(), gif->text() == u".x;"_s,
                             readFileBytes(PreferencesFile::settingsFilePath()).contains(".x;")),
                  std::tuple(choice == -2 ? 0 : 4, exitCode, kept, saved));
    }
}

// A font too large for the screen: the window takes the screen's room, its contents scroll to the
// focus. Its size: the design's where it fits, else the room, with a bar's width where cut.
TEST_F(MainWindow, OutgrowingTheScreenTheWindowFitsItAndScrollsToTheFocus)
{
    EXPECT_EQ(std::pair(LayoutScale::fitted({800, 800}, {1000, 700}, 15),
                        LayoutScale::fitted({1400, 500}, {1000, 700}, 15)),
              std::pair(QSize(815, 700), QSize(1000, 515)));
    const QFont original = QApplication::font();
    QApplication::setFont(QFont(original.family(), 20));
    const auto restore = qScopeGuard([&] { QApplication::setFont(original); });
    CMainDlg window(m_preferences, m_services);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.designSize().width() > window.screen()->availableSize().width() &&
                window.screen()->availableGeometry().contains(QRect(QPoint(), window.size())));
    auto *quit = window.findChild<QWidget *>(u"quitButton"_s);
    quit->setFocus();
    EXPECT_TRUE(window.rect().contains(QRect(quit->mapTo(&window, QPoint()), quit->size())));
}

} // namespace
