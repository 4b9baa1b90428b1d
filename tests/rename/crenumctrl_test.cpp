#include "rename/crenumctrl.h"

#include "widgets/pageservices.h"
#include "widgets/statusline.h"
#include "util/pathutil.h"
#include "widgets/previewframe.h"
#include "convert/workerpool.h"
#include "prefs/preferences.h"
#include "qtprinters.h"
#include "rename/crenamelvctrl.h"
#include "stuckpreviews.h"
#include "testfiles.h"
#include "testpictures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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
        for (const QString &name : {u"b.jpg"_s, u"a10.jpg"_s, u"a2.jpg"_s, u"c.jpg"_s, u"d.jpg"_s})
            write(name, name.toUtf8());
        write(u"notes.txt"_s, "text");
        m_services.folderChooser =
            FolderChooser([this](QWidget *, const QString &) { return m_nextFolder; });
        m_services.showMessage = [this](const QString &text) { m_messages.append(text); };
        m_page = std::make_unique<CRenumCtrl>(m_preferences, m_statusLine, m_services);
        m_page->resize(788, 375);
        m_page->show();
    }

    void TearDown() override { removeFilesAtBytes(m_folder.path()); }

    void write(const QString &name, const QByteArray &content)
    {
        QFile file(m_folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray read(const QString &name)
    {
        QFile file(m_folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    template <typename T> T *child(const QString &name) { return m_page->findChild<T *>(name); }
    CRenameLvCtrl &list() { return *child<CRenameLvCtrl>(u"renameList"_s); }
    QStringList column(int column)
    {
        QStringList names;
        for (int row = 0; row < m_page->rows().count(); ++row)
            names.append(column == 0 ? m_page->rows().currentName(row)
                                     : m_page->rows().newName(row));
        return names;
    }
    QPoint rowCentre(int row) { return list().visualRect(m_page->rows().index(row, 0)).center(); }

    QTemporaryDir m_folder;
    Preferences m_preferences;
    StatusLine m_statusLine{m_preferences};
    PageServices m_services;
    QString m_nextFolder;
    QStringList m_messages;
    std::unique_ptr<CRenumCtrl> m_page;
};

TEST_F(RenamePage, TakesTheConvertPagesDestinationWithItsFormat)
{
    m_page->takeOverFolder(m_folder.path(), 0);
    EXPECT_FALSE(child<QPushButton>(u"folderButton"_s)->isVisible());
    EXPECT_FALSE(child<QLineEdit>(u"filterEdit"_s)->isVisible());
    EXPECT_EQ(child<QLineEdit>(u"folderEdit"_s)->text(), m_folder.path());
    EXPECT_EQ(m_page->filter(), u"*.jpg"_s);
    EXPECT_EQ(column(0),
              (QStringList{u"a2.jpg"_s, u"a10.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s}));
    EXPECT_EQ(child<QLabel>(u"fileCountLabel"_s)->text(), u"5"_s);

    // Without a destination the user picks the folder; the list stays until then.
    m_page->takeOverFolder(QString(), 0);
    EXPECT_TRUE(child<QPushButton>(u"folderButton"_s)->isVisible());
    EXPECT_EQ(m_page->rows().count(), 5);
    m_nextFolder = m_folder.path();
    child<QPushButton>(u"folderButton"_s)->click();
    EXPECT_EQ(m_page->filter(), u"*.*"_s);
    EXPECT_EQ(m_page->rows().count(), 6);

    m_page->clearListing();
    EXPECT_EQ(m_page->rows().count(), 0);
}

TEST_F(RenamePage, HeaderClicksToggleTheOrderAndItsGlyph)
{
    m_page->takeOverFolder(m_folder.path(), 0);
    child<QLineEdit>(u"baseNameEdit"_s)->setText(u"x"_s);
    EXPECT_EQ(m_page->rows().sortOrder(), RenameListModel::SortOrder::Ascending);
    auto *header = list().horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    EXPECT_EQ(m_page->rows().sortOrder(), RenameListModel::SortOrder::Descending);
    EXPECT_EQ(column(0).first(), u"d.jpg"_s);
    EXPECT_EQ(column(1).first(), u"x1.jpg"_s);

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(m_page->rows().sortOrder(), RenameListModel::SortOrder::Descending);
}

TEST_F(RenamePage, DeleteTakesOutOneRowWithoutRenumbering)
{
    m_page->takeOverFolder(m_folder.path(), 0);
    child<QLineEdit>(u"baseNameEdit"_s)->setText(u"x"_s);
    list().setCurrentIndex(m_page->rows().index(1, 0));
    QTest::keyClick(&list(), Qt::Key_Delete);
    EXPECT_EQ(column(0), (QStringList{u"a2.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s}));
    EXPECT_EQ(column(1), (QStringList{u"x1.jpg"_s, u"x3.jpg"_s, u"x4.jpg"_s, u"x5.jpg"_s}));
    EXPECT_EQ(child<QLabel>(u"fileCountLabel"_s)->text(), u"4"_s);
    EXPECT_TRUE(QFile::exists(m_folder.filePath(u"a10.jpg"_s)));
}

TEST_F(RenamePage, DraggingTheFifthRowOntoTheSecondNumbersItSecond)
{
    m_page->takeOverFolder(m_folder.path(), 0);
    child<QLineEdit>(u"baseNameEdit"_s)->setText(u"x"_s);
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

TEST_F(RenamePage, RenumberRenamesInListOrderThenListsTheFolderAgain)
{
    m_page->takeOverFolder(m_folder.path(), 0);
    child<QLineEdit>(u"baseNameEdit"_s)->setText(u"trip"_s);
    child<QLineEdit>(u"startEdit"_s)->setText(u"9"_s);
    EXPECT_EQ(child<QSpinBox>(u"digitsSpin"_s)->value(), 2); // 5 + 9 = 14: two digits
    EXPECT_EQ(column(1).first(), u"trip09.jpg"_s);
    child<QPushButton>(u"renumberButton"_s)->click();

    EXPECT_EQ(column(0), (QStringList{u"trip09.jpg"_s, u"trip10.jpg"_s, u"trip11.jpg"_s,
                                      u"trip12.jpg"_s, u"trip13.jpg"_s}));
    EXPECT_EQ(read(u"trip10.jpg"_s), "a10.jpg");
    EXPECT_EQ(read(u"trip13.jpg"_s), "d.jpg");
    EXPECT_TRUE(child<QLineEdit>(u"baseNameEdit"_s)->text().isEmpty());
    EXPECT_EQ(m_statusLine.text(), u"End of fle renaming!"_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(Standard));
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(RenamePage, ConflictsBlockRenumberAndAFileInTheWayStopsTheRun)
{
    m_page->takeOverFolder(m_folder.path(), 0);
    child<QLineEdit>(u"baseNameEdit"_s)->setText(u"C"_s); // C1.jpg ... none listed
    EXPECT_TRUE(child<QPushButton>(u"renumberButton"_s)->isEnabled());
    child<QLineEdit>(u"baseNameEdit"_s)->setText(u"a"_s); // a2.jpg is listed
    EXPECT_FALSE(child<QPushButton>(u"renumberButton"_s)->isEnabled());
    EXPECT_EQ(m_statusLine.text(), u"Conflicts in file names!"_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(OtherError));

    // A file the filter does not list stands where the third row wants to go.
    write(u"y3.jpg.keep"_s, "keep");
    child<QLineEdit>(u"baseNameEdit"_s)->setText(u"y"_s);
    QFile::rename(m_folder.filePath(u"y3.jpg.keep"_s), m_folder.filePath(u"y3.jpg"_s));
    child<QPushButton>(u"renumberButton"_s)->click();
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_EQ(read(u"y3.jpg"_s), "keep");
    EXPECT_EQ(read(u"y1.jpg"_s), "a2.jpg");
    EXPECT_EQ(read(u"b.jpg"_s), "b.jpg");
    EXPECT_EQ(m_statusLine.text(), u"End of fle renaming!"_s);
}

TEST_F(RenamePage, ShowsTheSizeAndAPreviewOfTheSelectedFile)
{
    // The worker tells a picture from a file that is none, as on the desktop.
    WorkerPool workers(1);
    m_services.renderPreview = [&workers](const PreviewRequest &request,
                                          PageServices::PreviewDone done) {
        workers.preview(request, 20'000, std::move(done));
    };
    auto *area = child<PreviewFrame>(u"previewArea"_s);
    writeTestPicture(m_folder.filePath(u"photo.png"_s), 300, 200);
    // Named by bytes that are not UTF-8.
    ASSERT_TRUE(writeFileAtBytes(PathUtil::encodeName(m_folder.path()) + "/big\xff.txt",
                                 QByteArray(1536, 'x')));
    m_nextFolder = m_folder.path();
    m_page->takeOverFolder(QString(), 0);
    child<QPushButton>(u"folderButton"_s)->click();
    const int big = int(column(0).indexOf(PathUtil::decodeName("big\xff.txt")));
    list().setCurrentIndex(m_page->rows().index(big, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(child<QLabel>(u"fileSizeLabel"_s)->text(),
              QLocale::system().toString(1.5, 'f', 2) + u" Kb"_s);
    EXPECT_TRUE(runEventsUntil([area] { return area->content() == PreviewFrame::Content::Icon; }));

    const int photo = int(column(0).indexOf(u"photo.png"_s));
    list().setCurrentIndex(m_page->rows().index(photo, 0));
    EXPECT_TRUE(
        runEventsUntil([area] { return area->content() == PreviewFrame::Content::Picture; }));

    // Named like a picture, but it is none: the load error shows.
    const int text = int(column(0).indexOf(u"b.jpg"_s));
    list().setCurrentIndex(m_page->rows().index(text, 0));
    EXPECT_TRUE(runEventsUntil(
        [this] { return m_statusLine.text().startsWith(u"Error loading image file: \r\n"_s); }));
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(OtherError));
    EXPECT_EQ(area->content(), PreviewFrame::Content::Blank);
    m_services.renderPreview = nullptr; // the pool ends with this test
}

TEST_F(RenamePage, AFileSwappedForAPipeIsNotReadAsAPicture)
{
    const Watchdog watchdog;
    m_page->takeOverFolder(m_folder.path(), 0);
    const int row = int(column(0).indexOf(u"c.jpg"_s));
    ASSERT_GE(row, 0);
    const QByteArray name = QFile::encodeName(m_folder.filePath(u"c.jpg"_s));
    ASSERT_EQ(::unlink(name.constData()), 0);
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
    list().setCurrentIndex(m_page->rows().index(row, 0));
    QCoreApplication::processEvents();
    EXPECT_NE(child<PreviewFrame>(u"previewArea"_s)->content(), PreviewFrame::Content::Picture);
}

TEST_F(RenamePage, APreviewComesLaterAndNotOverAnotherSelection)
{
    StuckPreviews previews;
    m_services.renderPreview = previews.service();
    writeTestPicture(m_folder.filePath(u"photo.png"_s), 300, 200);
    m_nextFolder = m_folder.path();
    m_page->takeOverFolder(QString(), 0);
    child<QPushButton>(u"folderButton"_s)->click();
    auto *area = child<PreviewFrame>(u"previewArea"_s);
    const auto select = [this](const QString &name) {
        list().setCurrentIndex(m_page->rows().index(int(column(0).indexOf(name)), 0));
        QCoreApplication::processEvents();
    };
    select(u"photo.png"_s);
    ASSERT_EQ(previews.count(), 1);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Blank);

    select(u"notes.txt"_s);
    ASSERT_EQ(previews.count(), 2);
    previews.answer(0);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Blank);
    previews.answer(1);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Icon);

    select(u"photo.png"_s);
    ASSERT_EQ(previews.count(), 3);
    previews.answer(2);
    EXPECT_EQ(area->content(), PreviewFrame::Content::Picture);
}

} // namespace
