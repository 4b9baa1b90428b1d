#include "rename/crenumctrl.h"

#include "prefs/preferences.h"
#include "qtprinters.h"
#include "rename/crenamelvctrl.h"
#include "stuckpreviews.h"
#include "testfiles.h"
#include "testpictures.h"
#include "util/pathutil.h"
#include "widgets/pageservices.h"
#include "widgets/previewframe.h"
#include "widgets/statusline.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class RenamePage : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &name :
             {u"b.jpg"_s, u"a10.jpg"_s, u"a2.jpg"_s, u"c.jpg"_s, u"d.jpg"_s, u"notes.txt"_s})
            ASSERT_TRUE(writeFileBytes(m_folder.filePath(name), name.toUtf8()));
        m_services.folderChooser =
            FolderChooser([this](QWidget *, const QString &) { return m_folder.path(); });
        m_services.showMessage = [this](const QString &text) { m_messages.append(text); };
    }
    void TearDown() override { removeFilesAtBytes(m_folder.path()); }

    // Opens the page on the folder, as the convert page's destination with its format or, if
    // chosen, through the folder button with every file.
    void open(bool chosen = false)
    {
        m_page = std::make_unique<CRenumCtrl>(m_preferences, m_statusLine, m_services);
        m_page->resize(788, 375);
        m_page->show();
        m_page->takeOverFolder(chosen ? QString() : m_folder.path(), 0);
        if (chosen)
            child<QPushButton>(u"folderButton"_s)->click();
    }
    QByteArray read(const QString &name) { return readFileBytes(m_folder.filePath(name)); }
    template <typename T> T *child(const QString &name) { return m_page->findChild<T *>(name); }
    void type(const QString &edit, const QString &text) { child<QLineEdit>(edit)->setText(text); }
    CRenameLvCtrl &list() { return *child<CRenameLvCtrl>(u"renameList"_s); }
    QStringList column(int column)
    {
        QStringList names;
        for (int row = 0; row < m_page->rows().count(); ++row)
            names.append(column == 0 ? m_page->rows().currentName(row)
                                     : m_page->rows().newName(row));
        return names;
    }
    void select(const QString &name)
    {
        list().setCurrentIndex(m_page->rows().index(int(column(0).indexOf(name)), 0));
        QCoreApplication::processEvents();
    }
    QPoint rowCentre(int row) { return list().visualRect(m_page->rows().index(row, 0)).center(); }

    QTemporaryDir m_folder;
    Preferences m_preferences;
    StatusLine m_statusLine{m_preferences};
    PageServices m_services;
    QStringList m_messages;
    std::unique_ptr<CRenumCtrl> m_page;
};

TEST_F(RenamePage, TakesTheConvertPagesDestinationWithItsFormatOrLetsTheUserChoose)
{
    open();
    EXPECT_FALSE(child<QPushButton>(u"folderButton"_s)->isVisible());
    EXPECT_EQ(m_page->filter(), u"*.jpg"_s);
    EXPECT_EQ(column(0),
              (QStringList{u"a2.jpg"_s, u"a10.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s}));
    EXPECT_EQ(child<QLabel>(u"fileCountLabel"_s)->text(), u"5"_s);

    // Without a destination the user picks the folder; the list stays until then.
    m_page->takeOverFolder(QString(), 0);
    EXPECT_TRUE(child<QPushButton>(u"folderButton"_s)->isVisible());
    EXPECT_EQ(m_page->rows().count(), 5);
    child<QPushButton>(u"folderButton"_s)->click();
    EXPECT_EQ(m_page->filter(), u"*.*"_s);
    EXPECT_EQ(m_page->rows().count(), 6);
}

TEST_F(RenamePage, HeaderClicksToggleTheOrderAndDeleteTakesOutARowWithoutRenumbering)
{
    open();
    type(u"baseNameEdit"_s, u"x"_s);
    auto *header = list().horizontalHeader();
    for (int section : {0, 1})
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    EXPECT_EQ(m_page->rows().sortOrder(), RenameListModel::SortOrder::Descending);
    EXPECT_EQ(column(0).first(), u"d.jpg"_s);
    EXPECT_EQ(column(1).first(), u"x1.jpg"_s);

    list().setCurrentIndex(m_page->rows().index(3, 0));
    QTest::keyClick(&list(), Qt::Key_Delete);
    EXPECT_EQ(column(0), (QStringList{u"d.jpg"_s, u"c.jpg"_s, u"b.jpg"_s, u"a2.jpg"_s}));
    EXPECT_EQ(column(1), (QStringList{u"x1.jpg"_s, u"x2.jpg"_s, u"x3.jpg"_s, u"x5.jpg"_s}));
    EXPECT_EQ(child<QLabel>(u"fileCountLabel"_s)->text(), u"4"_s);
    EXPECT_TRUE(QFile::exists(m_folder.filePath(u"a10.jpg"_s)));
}

TEST_F(RenamePage, DraggingTheFifthRowOntoTheSecondNumbersItSecond)
{
    open();
    type(u"baseNameEdit"_s, u"x"_s);
    QWidget *viewport = list().viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(4));
    QTest::mouseMove(viewport, rowCentre(4) + QPoint(0, -2 * QApplication::startDragDistance()));
    ASSERT_TRUE(list().isDragging());
    EXPECT_EQ(column(1), QStringList(5, QString())); // no numbers while dragging
    EXPECT_EQ(m_page->rows().sortOrder(), RenameListModel::SortOrder::None);

    QTest::mouseMove(viewport, rowCentre(1));
    // The row follows the pointer at the view's next drag step.
    ASSERT_TRUE(runEventsUntil([this] { return column(0).value(1) == u"d.jpg"_s; }));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(1));
    EXPECT_FALSE(list().isDragging());
    EXPECT_EQ(column(0),
              (QStringList{u"a2.jpg"_s, u"d.jpg"_s, u"a10.jpg"_s, u"b.jpg"_s, u"c.jpg"_s}));
    EXPECT_EQ(column(1),
              (QStringList{u"x1.jpg"_s, u"x2.jpg"_s, u"x3.jpg"_s, u"x4.jpg"_s, u"x5.jpg"_s}));
}

TEST_F(RenamePage, ConflictsBlockRenumberAFileInTheWayStopsItElseItRenamesInListOrder)
{
    open();
    type(u"baseNameEdit"_s, u"a"_s); // a2.jpg is listed
    EXPECT_FALSE(child<QPushButton>(u"renumberButton"_s)->isEnabled());
    EXPECT_EQ(m_statusLine.text(), u"Conflicts in file names!"_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(OtherError));

    // A file the filter does not list stands where the third row wants to go.
    ASSERT_TRUE(writeFileBytes(m_folder.filePath(u"y3.jpg.keep"_s), "keep"));
    type(u"baseNameEdit"_s, u"y"_s);
    EXPECT_TRUE(child<QPushButton>(u"renumberButton"_s)->isEnabled());
    QFile::rename(m_folder.filePath(u"y3.jpg.keep"_s), m_folder.filePath(u"y3.jpg"_s));
    child<QPushButton>(u"renumberButton"_s)->click();
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_EQ(read(u"y3.jpg"_s), "keep");
    EXPECT_EQ(read(u"y1.jpg"_s), "a2.jpg");
    EXPECT_EQ(read(u"b.jpg"_s), "b.jpg");
    ASSERT_TRUE(QFile::remove(m_folder.filePath(u"y3.jpg"_s)));

    m_page->takeOverFolder(m_folder.path(), 0);
    type(u"baseNameEdit"_s, u"trip"_s);
    type(u"startEdit"_s, u"9"_s);
    EXPECT_EQ(child<QSpinBox>(u"digitsSpin"_s)->value(), 2); // 5 + 9 = 14: two digits
    child<QPushButton>(u"renumberButton"_s)->click();
    EXPECT_EQ(column(0), (QStringList{u"trip09.jpg"_s, u"trip10.jpg"_s, u"trip11.jpg"_s,
                                      u"trip12.jpg"_s, u"trip13.jpg"_s}));
    EXPECT_EQ(read(u"trip09.jpg"_s), "b.jpg");
    EXPECT_EQ(read(u"trip13.jpg"_s), "a10.jpg");
    EXPECT_TRUE(child<QLineEdit>(u"baseNameEdit"_s)->text().isEmpty());
    EXPECT_EQ(m_statusLine.text(), u"End of fle renaming!"_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(Standard));
    EXPECT_EQ(m_messages.size(), 1);
}

TEST_F(RenamePage, AFileSwappedForAPipeIsNotReadAsAPicture)
{
    const Watchdog watchdog;
    open();
    const QByteArray name = QFile::encodeName(m_folder.filePath(u"c.jpg"_s));
    ASSERT_EQ(::unlink(name.constData()), 0);
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
    select(u"c.jpg"_s);
    EXPECT_NE(child<PreviewFrame>(u"previewArea"_s)->content(), PreviewFrame::Content::Picture);
}

TEST_F(RenamePage, ShowsTheSizeOfTheSelectedFileAndItsPreviewWhenItComesUnlessStale)
{
    StuckPreviews previews;
    m_services.renderPreview = previews.service();
    writeTestPicture(m_folder.filePath(u"photo.png"_s), 300, 200);
    // Named by bytes that are not UTF-8.
    ASSERT_TRUE(writeFileAtBytes(PathUtil::encodeName(m_folder.path()) + "/big\xff.txt",
                                 QByteArray(1536, 'x')));
    open(true);
    auto *area = child<PreviewFrame>(u"previewArea"_s);
    select(PathUtil::decodeName("big\xff.txt"));
    EXPECT_EQ(child<QLabel>(u"fileSizeLabel"_s)->text(),
              QLocale::system().toString(1.5, 'f', 2) + u" Kb"_s);
    select(u"photo.png"_s);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Blank);
    ASSERT_EQ(previews.count(), 2);
    previews.answer(0);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Blank);
    previews.answer(1);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Picture);
    select(u"notes.txt"_s);
    previews.answer(2);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Icon);

    // Named like a picture, but it is none: the load error shows; a late answer for an earlier
    // selection shows nothing.
    select(u"photo.png"_s);
    select(u"b.jpg"_s);
    ASSERT_EQ(previews.count(), 5);
    previews.answer(4);
    EXPECT_TRUE(m_statusLine.text().startsWith(u"Error loading image file: \r\n"_s));
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(OtherError));
    EXPECT_EQ(area->content(), PreviewFrame::Content::Blank);
    previews.answer(3);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Blank);
}

// The preview is fitted once, in the worker, to the page's wide frame; drawn, it keeps the
// picture's proportions.
TEST_F(RenamePage, PreviewKeepsThePicturesProportionsInTheWideFrame)
{
    ASSERT_FALSE(writeTestPicture(m_folder.filePath(u"wide.png"_s), 2560, 1600).isEmpty());
    open(true);
    select(u"wide.png"_s);
    auto *area = child<PreviewFrame>(u"previewArea"_s);
    ASSERT_EQ(area->content(), PreviewFrame::Content::Picture);
    const QRect drawn = area->pictureRect();
    EXPECT_NEAR(double(drawn.width()) / drawn.height(), 1.6, 0.02)
        << drawn.width() << " x " << drawn.height();
    EXPECT_EQ(drawn.width(), area->contentsRect().width());
    EXPECT_LE(std::abs(drawn.center().y() - area->contentsRect().center().y()), 1);
}

} // namespace
