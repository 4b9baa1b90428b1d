#include "convert/cconvertctrl.h"

#include "widgets/pageservices.h"
#include "widgets/runprogress.h"
#include "widgets/statusline.h"
#include "convert/conversionlog.h"
#include "widgets/previewframe.h"
#include "convert/workerclient.h"
#include "prefs/preferences.h"
#include "stuckpreviews.h"
#include "testfiles.h"
#include "testpictures.h"

#include "qtprinters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class ConvertPage : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &name : {u"a.png"_s, u"A.jpg"_s, u"photo.png"_s, u"tree.png"_s})
            ASSERT_FALSE(writeTestPicture(m_source.filePath(name), 64, 48,
                                          name.endsWith(u".jpg"_s) ? FIF_JPEG : FIF_PNG)
                             .isEmpty());
        ASSERT_TRUE(QFile(m_source.filePath(u"notes.txt"_s)).open(QIODevice::WriteOnly));
        ASSERT_FALSE(
            writeTestPicture(m_destination.filePath(u"photo.jpg"_s), 8, 8, FIF_JPEG).isEmpty());

        m_services.folderChooser = FolderChooser([this](QWidget *, const QString &) {
            return m_nextFolders.isEmpty() ? QString() : m_nextFolders.takeFirst();
        });
        m_services.openUrl = [this](const QUrl &url) { m_opened.append(url.toLocalFile()); };
        m_services.imageLibraryUsable = [] { return true; };
        m_services.showMessage = [this](const QString &text) { m_messages.append(text); };

        m_page =
            std::make_unique<CConvertCtrl>(m_preferences, m_statusLine, m_runProgress, m_services);
        ASSERT_TRUE(m_page->initialise());
        m_page->show();
    }

    template <typename T> T *child(const QString &name)
    {
        T *widget = m_page->findChild<T *>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    void chooseSource(const QString &folder)
    {
        m_nextFolders = {folder};
        child<QPushButton>(u"sourceFolderButton"_s)->click();
    }
    void chooseDestination(const QString &folder)
    {
        m_nextFolders = {folder};
        child<QPushButton>(u"destinationFolderButton"_s)->click();
    }
    QStringList lines() const
    {
        QStringList result;
        for (int row = 0; row < m_page->listModel().count(); ++row)
            result.append(m_page->listModel().text(row));
        return result;
    }
    int flags(int row) { return m_page->listModel().flags(row); }
    void select(int row)
    {
        auto *list = child<QListView>(u"convertList"_s);
        list->setCurrentIndex(list->model()->index(row, 0));
        QCoreApplication::processEvents(); // the preview follows the selection, deferred
    }
    void click(const QString &name) { child<QPushButton>(name)->click(); }

    QTemporaryDir m_source;
    QTemporaryDir m_destination;
    Preferences m_preferences;
    StatusLine m_statusLine{m_preferences};
    RunProgress m_runProgress;
    PageServices m_services;
    QStringList m_nextFolders;
    QStringList m_opened;
    QStringList m_messages;
    std::unique_ptr<CConvertCtrl> m_page;
};

TEST_F(ConvertPage, ListsTheSourceMarksDuplicatesAndCollisions)
{
    chooseSource(m_source.path());
    EXPECT_EQ(child<QLineEdit>(u"sourceFolderEdit"_s)->text(), m_source.path());
    EXPECT_EQ(lines(), (QStringList{u"A.jpg"_s, u"a.png"_s, u"photo.png"_s, u"tree.png"_s}));
    EXPECT_EQ(child<QLabel>(u"imageCountLabel"_s)->text(), u"4"_s);
    EXPECT_EQ(flags(0), DuplicateError);
    EXPECT_EQ(flags(1), DuplicateError);
    EXPECT_EQ(m_statusLine.text(),
              u"Files with same names are present (conflicts in conversion)"_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(DuplicateError));

    // Files are replaced at page start, so nothing collides yet.
    chooseDestination(m_destination.path());
    EXPECT_EQ(flags(2), 0);
    child<QCheckBox>(u"replaceFilesCheck"_s)->click();
    EXPECT_EQ(flags(2), CollisionError);
    EXPECT_EQ(m_statusLine.text(), u"Collision in destination files."_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(CollisionError));

    // photo.jpg exists in the destination, photo.png does not.
    child<QComboBox>(u"outputFormatCombo"_s)->setCurrentIndex(int(OutputFormat::Png));
    EXPECT_EQ(flags(2), 0);
    child<QComboBox>(u"outputFormatCombo"_s)->setCurrentIndex(int(OutputFormat::Jpeg));
    EXPECT_EQ(flags(2), CollisionError);

    child<QCheckBox>(u"replaceFilesCheck"_s)->click();
    EXPECT_EQ(flags(2), 0);
    EXPECT_EQ(m_statusLine.text(),
              u"Files with same names are present (conflicts in conversion)"_s);

    // Only the pictures of the group chosen, and only those the filter names.
    child<QComboBox>(u"inputFormatCombo"_s)->setCurrentIndex(int(ImageFormatGroup::PngImages));
    EXPECT_EQ(lines(), (QStringList{u"a.png"_s, u"photo.png"_s, u"tree.png"_s}));
    child<QLineEdit>(u"nameFilterEdit"_s)->setText(u"T*"_s);
    EXPECT_EQ(lines(), QStringList{u"tree.png"_s});
    EXPECT_TRUE(m_statusLine.text().isEmpty());
}

TEST_F(ConvertPage, RefusesTheSameFolderOnBothSides)
{
    chooseSource(m_source.path());
    chooseDestination(m_source.path());
    EXPECT_EQ(m_statusLine.text(), u"Origin and destination folders must not be the same!"_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(OtherError));
    EXPECT_TRUE(m_page->destinationFolder().isEmpty());
    EXPECT_TRUE(child<QLineEdit>(u"destinationFolderEdit"_s)->text().isEmpty());

    chooseDestination(m_destination.path());
    chooseSource(m_destination.path());
    EXPECT_TRUE(m_page->sourceFolder().isEmpty());
    EXPECT_TRUE(lines().isEmpty());

    // The same folder by another path is the same folder.
    const QString link = m_destination.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(m_source.path(), link));
    chooseSource(m_source.path());
    for (const QString &other : {link, m_source.path() + u"/."_s}) {
        chooseDestination(other);
        EXPECT_EQ(m_statusLine.text(), u"Origin and destination folders must not be the same!"_s);
        EXPECT_TRUE(m_page->destinationFolder().isEmpty());
    }
}

TEST_F(ConvertPage, CancellingTheSourceChooserListsTheFolderAgain)
{
    chooseSource(m_source.path());
    child<QListView>(u"convertList"_s)->setFocus();
    m_nextFolders.clear();
    click(u"sourceFolderButton"_s);
    EXPECT_EQ(lines().size(), 4);
}

TEST_F(ConvertPage, PreviewsTheSelectedPictureAndTurnsIt)
{
    chooseSource(m_source.path());
    auto *frame = child<PreviewFrame>(u"previewFrame"_s);
    EXPECT_EQ(frame->content(), PreviewFrame::Content::Placeholder);

    select(3);
    EXPECT_EQ(frame->content(), PreviewFrame::Content::Picture);
    EXPECT_EQ(frame->image().width(), frame->width());
    EXPECT_TRUE(m_statusLine.text().isEmpty());

    const QSize landscape = frame->image().size();
    for (int expected : {-90, -180, -270, 0}) {
        click(u"rotateRightButton"_s);
        EXPECT_EQ(m_page->listModel().rotation(3), expected);
    }
    click(u"rotateLeftButton"_s);
    EXPECT_EQ(m_page->listModel().rotation(3), 90);
    EXPECT_EQ(frame->image().size(), landscape.transposed());

    // A duplicate shows its picture, then says so.
    select(0);
    EXPECT_EQ(frame->content(), PreviewFrame::Content::Picture);
    EXPECT_EQ(m_statusLine.text(), u"Identical file names (conversion conflicts)"_s);
}

TEST_F(ConvertPage, MarksAFileThatCannotBeReadAndTurnsThePlaceholderWithoutSelection)
{
    QFile broken(m_source.filePath(u"broken.png"_s));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    chooseSource(m_source.path());
    const int row = int(lines().indexOf(u"broken.png"_s));
    select(row);
    EXPECT_EQ(flags(row) & FileTypeError, FileTypeError);
    EXPECT_TRUE(m_statusLine.text().startsWith(u"Error loading image file: \r\n"_s));
    EXPECT_EQ(
        m_page->listModel().data(m_page->listModel().index(row), ConvertListModel::DrawnStatusRole),
        int(FileTypeError));

    child<QListView>(u"convertList"_s)->clearSelection();
    child<QListView>(u"convertList"_s)->setCurrentIndex(QModelIndex());
    click(u"rotateLeftButton"_s);
    click(u"rotateLeftButton"_s);
    EXPECT_EQ(m_page->placeholderAngle(), 180);
}

TEST_F(ConvertPage, APreviewThatNeverComesBlocksNothingAndALaterRowShowsItsOwn)
{
    StuckPreviews previews;
    m_services.renderPreview = previews.service();
    chooseSource(m_source.path());
    auto *frame = child<PreviewFrame>(u"previewFrame"_s);
    select(2);
    ASSERT_EQ(previews.count(), 1);
    EXPECT_EQ(m_statusLine.text(), u"Loading photo.png"_s);
    EXPECT_EQ(frame->content(), PreviewFrame::Content::Blank);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    select(3);
    ASSERT_EQ(previews.count(), 2);
    EXPECT_EQ(m_statusLine.text(), u"Loading tree.png"_s);
    previews.answer(1);
    EXPECT_EQ(frame->content(), PreviewFrame::Content::Picture);
    EXPECT_TRUE(m_statusLine.text().isEmpty());
    const QImage tree = frame->image();

    // The stuck one ends after all, in failure: too late to count.
    PreviewResult failed;
    failed.libraryMessage = WorkerClient::tooLongText();
    previews.answer(0, failed);
    EXPECT_EQ(flags(2), 0);
    EXPECT_EQ(frame->image(), tree);
    EXPECT_TRUE(m_statusLine.text().isEmpty());
}

TEST_F(ConvertPage, ShowsTheJpegQualityInPercentAndWords)
{
    auto *slider = child<QSlider>(u"qualitySlider"_s);
    auto *percent = child<QLabel>(u"qualityPercentLabel"_s);
    auto *word = child<QLabel>(u"qualityWordLabel"_s);
    struct Step
    {
        int position;
        const char16_t *percent;
        const char16_t *word;
    };
    for (const Step &step : {Step{16, u"80%", u"(superb)"}, Step{15, u"75%", u"(good)"},
                             Step{20, u"100%", u"(maximal)"}, Step{2, u"10%", u"(bad)"},
                             Step{3, u"15%", u"(average)"}, Step{10, u"50%", u"(normal)"}}) {
        slider->setValue(step.position);
        EXPECT_EQ(percent->text(), QString::fromUtf16(step.percent));
        EXPECT_EQ(word->text(), QString::fromUtf16(step.word));
    }
    child<QComboBox>(u"outputFormatCombo"_s)->setCurrentIndex(int(OutputFormat::Webp));
    EXPECT_FALSE(percent->isVisible());
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_TRUE(word->isVisible());
    EXPECT_EQ(child<QLabel>(u"rawLabel"_s)->text(), u"RAW : 4"_s);
}

TEST_F(ConvertPage, ResizeControlsFollowTheResizeBox)
{
    auto *resize = child<QCheckBox>(u"resizeCheck"_s);
    EXPECT_FALSE(child<QLineEdit>(u"resizePixelsEdit"_s)->isEnabled());
    resize->click();
    EXPECT_TRUE(child<QLineEdit>(u"resizePixelsEdit"_s)->isEnabled());
    child<QWidget>(u"largeSideRadio"_s)->setProperty("checked", true);
    child<QLineEdit>(u"resizePixelsEdit"_s)->setText(u"800"_s);
    EXPECT_EQ(m_page->options().resizeMode, ResizeMode::LargeSide);
    EXPECT_EQ(m_page->options().resizePixels, 800);
    resize->click();
    resize->click();
    EXPECT_EQ(m_page->options().resizeMode, ResizeMode::Width);
}

TEST_F(ConvertPage, ConvertsAllAndOpensTheLog)
{
    chooseSource(m_source.path());
    chooseDestination(m_destination.path());
    click(u"convertAllButton"_s);

    EXPECT_EQ(m_statusLine.text(), u"End of conversion! : Files have been skipped (see log)."_s);
    EXPECT_EQ(child<QListView>(u"convertList"_s)->selectionModel()->selectedRows().size(), 0);
    EXPECT_EQ(child<PreviewFrame>(u"previewFrame"_s)->content(),
              PreviewFrame::Content::Placeholder);
    QFile log(ConversionLog::path(m_destination.path()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(
        text.contains(u"\r\nA.jpg : ignored (duplicates)\r\na.png : ignored (duplicates)\r\n"
                      "photo.png : conversion OK\r\ntree.png : conversion OK\r\n"_s))
        << text.toStdString();
    EXPECT_TRUE(QFile::exists(m_destination.filePath(u"tree.jpg"_s)));

    EXPECT_TRUE(child<QPushButton>(u"viewLogButton"_s)->isEnabled());
    click(u"viewLogButton"_s);
    EXPECT_EQ(m_opened, QStringList{ConversionLog::path(m_destination.path())});

    // The run's own pictures now stand in the destination: with Replace off, the list marks
    // them, and a second run leaves them alone, while the status line keeps the run's outcome.
    child<QCheckBox>(u"replaceFilesCheck"_s)->click();
    click(u"convertAllButton"_s);
    EXPECT_TRUE(m_statusLine.text().startsWith(u"End of conversion!"_s));
    EXPECT_TRUE(flags(3) & CollisionError);
    EXPECT_TRUE(readFileBytes(ConversionLog::path(m_destination.path()))
                    .contains("tree.png : ignored (conflict with destination)"));
}

TEST_F(ConvertPage, ConvertImageConvertsTheSelectedLineOnly)
{
    chooseSource(m_source.path());
    chooseDestination(m_destination.path());
    click(u"convertImageButton"_s);
    EXPECT_EQ(m_statusLine.text(), u"Choose an image to convert."_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(OtherError));

    select(3);
    click(u"convertImageButton"_s);
    EXPECT_EQ(m_statusLine.text(), u"End of conversion!"_s);
    EXPECT_TRUE(QFile::exists(m_destination.filePath(u"tree.jpg"_s)));
    EXPECT_FALSE(QFile::exists(ConversionLog::path(m_destination.path())));
    EXPECT_FALSE(QFile::exists(m_destination.filePath(u"photo.png"_s)));
}

TEST_F(ConvertPage, DeleteRemovesTheLineButNotTheFile)
{
    chooseSource(m_source.path());
    select(1);
    QTest::keyClick(child<QListView>(u"convertList"_s), Qt::Key_Delete);
    EXPECT_EQ(lines(), (QStringList{u"A.jpg"_s, u"photo.png"_s, u"tree.png"_s}));
    EXPECT_EQ(child<QLabel>(u"imageCountLabel"_s)->text(), u"3"_s);
    EXPECT_EQ(flags(0), 0);
    EXPECT_TRUE(m_statusLine.text().isEmpty());
    EXPECT_EQ(child<QListView>(u"convertList"_s)->currentIndex().row(), 1);
    EXPECT_TRUE(QFile::exists(m_source.filePath(u"a.png"_s)));

    auto *list = child<QListView>(u"convertList"_s);
    const QPoint photo = list->visualRect(m_page->listModel().index(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, photo);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, photo);
    EXPECT_EQ(m_opened.value(0), m_source.filePath(u"photo.png"_s));
}

TEST(ConvertPageStart, EndsWhenTheImageLibraryCannotBeUsed)
{
    Preferences preferences;
    StatusLine statusLine(preferences);
    PageServices services;
    QStringList messages;
    services.imageLibraryUsable = [] { return false; };
    services.showMessage = [&messages](const QString &text) { messages.append(text); };
    RunProgress runProgress;
    CConvertCtrl page(preferences, statusLine, runProgress, services);
    EXPECT_FALSE(page.initialise());
    EXPECT_EQ(messages, QStringList{u"FreeImage.dll and/or FreeImagePlus.dll missing!"_s});
}

} // namespace
