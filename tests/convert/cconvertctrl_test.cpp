#include "convert/cconvertctrl.h"

#include "convert/conversionlog.h"
#include "convert/convertsession.h"
#include "convert/workerpool.h"
#include "prefs/preferences.h"
#include "testfiles.h"
#include "testpictures.h"
#include "widgets/pageservices.h"
#include "widgets/previewframe.h"
#include "widgets/runprogress.h"
#include "widgets/statusline.h"

#include "qtprinters.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
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

// The rules are the session's (convertsession_test); here the page hands the session the
// controls and shows what it says.
class ConvertPage : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeConvertFolders(m_source.path(), m_destination.path()));
        m_services.folderChooser = FolderChooser([this](QWidget *, const QString &) {
            return m_nextFolders.isEmpty() ? QString() : m_nextFolders.takeFirst();
        });
        m_services.openUrl = [this](const QUrl &url) { m_opened.append(url.toLocalFile()); };
        m_services.imageLibraryUsable = [] { return true; };
    }

    void openPage()
    {
        m_page =
            std::make_unique<CConvertCtrl>(m_preferences, m_statusLine, m_runProgress, m_services);
        ASSERT_TRUE(m_page->initialise());
        m_page->show();
        m_nextFolders = {m_source.path(), m_destination.path()};
        click(u"sourceFolderButton"_s);
        click(u"destinationFolderButton"_s);
    }
    template <typename T> T *child(const QString &name) { return m_page->findChild<T *>(name); }
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
    std::unique_ptr<CConvertCtrl> m_page;
};

TEST_F(ConvertPage, HandsTheControlsToItsSessionAndShowsWhatItTells)
{
    openPage();
    EXPECT_EQ(child<QLineEdit>(u"sourceFolderEdit"_s)->text(), m_source.path());
    EXPECT_EQ(child<QLineEdit>(u"destinationFolderEdit"_s)->text(), m_destination.path());
    EXPECT_EQ(child<QLabel>(u"imageCountLabel"_s)->text(), u"4"_s);
    child<QCheckBox>(u"replaceFilesCheck"_s)->click();
    EXPECT_EQ(flags(2), CollisionError);
    EXPECT_EQ(m_statusLine.text(), u"Collision in destination files."_s);
    EXPECT_EQ(m_statusLine.textColour(), m_preferences.colour(CollisionError));
    // photo.jpg exists in the destination, photo.png does not.
    child<QComboBox>(u"outputFormatCombo"_s)->setCurrentIndex(int(OutputFormat::Png));
    EXPECT_EQ(flags(2), 0);
    EXPECT_FALSE(child<QSlider>(u"qualitySlider"_s)->isEnabled());
    child<QComboBox>(u"inputFormatCombo"_s)->setCurrentIndex(int(ImageFormatGroup::PngImages));
    child<QLineEdit>(u"nameFilterEdit"_s)->setText(u"T*"_s);
    EXPECT_EQ(child<QLabel>(u"imageCountLabel"_s)->text(), u"1"_s);

    auto *resize = child<QCheckBox>(u"resizeCheck"_s);
    resize->click();
    child<QWidget>(u"largeSideRadio"_s)->setProperty("checked", true);
    child<QLineEdit>(u"resizePixelsEdit"_s)->setText(u"800"_s);
    EXPECT_EQ(m_page->session().options().resizeMode, ResizeMode::LargeSide);
    EXPECT_EQ(m_page->session().options().resizePixels, 800);
    resize->click();
    resize->click();
    EXPECT_EQ(m_page->session().options().resizeMode, ResizeMode::Width);
    EXPECT_EQ(child<QLabel>(u"rawLabel"_s)->text(), u"RAW : 4"_s);

    for (const auto &[position, text] : {std::pair{16, u"80% (superb)"_s},
                                         {15, u"75% (good)"_s},
                                         {20, u"100% (maximal)"_s},
                                         {2, u"10% (bad)"_s},
                                         {3, u"15% (average)"_s},
                                         {10, u"50% (normal)"_s}}) {
        child<QSlider>(u"qualitySlider"_s)->setValue(position);
        EXPECT_EQ(child<QLabel>(u"qualityPercentLabel"_s)->text() + u' ' +
                      child<QLabel>(u"qualityWordLabel"_s)->text(),
                  text);
    }
    EXPECT_EQ(m_page->session().options().jpegQualityPosition, 10);
}

// A screen reader's toggle action changes a box without a click.
TEST_F(ConvertPage, CheckBoxesActHoweverTheyAreToggled)
{
    openPage();
    const auto toggle = [this](const QString &name) {
        QAccessible::queryAccessibleInterface(child<QCheckBox>(name))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
    };
    toggle(u"resizeCheck"_s);
    EXPECT_TRUE(child<QWidget>(u"heightRadio"_s)->isEnabled());
    toggle(u"replaceFilesCheck"_s);
    EXPECT_EQ(flags(2), CollisionError);
    select(3);
    toggle(u"grayscaleCheck"_s);
    const QImage preview = child<PreviewFrame>(u"previewFrame"_s)->image();
    EXPECT_TRUE(preview.allGray());
}

TEST_F(ConvertPage, ThePreviewFollowsTheSelectionTheButtonsAndTheKeys)
{
    openPage();
    auto *frame = child<PreviewFrame>(u"previewFrame"_s);
    EXPECT_EQ(frame->content(), PreviewFrame::Content::Placeholder);
    select(3);
    EXPECT_EQ(frame->content(), PreviewFrame::Content::Picture);
    EXPECT_EQ(frame->image().width(), frame->width());
    click(u"rotateRightButton"_s);
    EXPECT_EQ(m_page->listModel().rotation(3), -90);

    auto *list = child<QListView>(u"convertList"_s);
    select(1);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(child<QLabel>(u"imageCountLabel"_s)->text(), u"3"_s);
    EXPECT_EQ(list->currentIndex().row(), 1);
    const QPoint photo = list->visualRect(m_page->listModel().index(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, photo);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, photo);
    EXPECT_EQ(m_opened.value(0), m_source.filePath(u"photo.png"_s));

    list->clearSelection();
    click(u"rotateLeftButton"_s);
    click(u"rotateLeftButton"_s);
    EXPECT_EQ(m_page->placeholderAngle(), 180);
}

TEST_F(ConvertPage, ConvertsAllInWorkerProcessesAndTakesNoInputMeanwhile)
{
    m_services.conversionRunner = std::make_shared<WorkerPool>(1);
    openPage();
    click(u"convertAllButton"_s); // returns at once
    EXPECT_FALSE(m_page->isEnabled());
    EXPECT_TRUE(m_runProgress.isRunning());
    ASSERT_TRUE(runEventsUntil([this] { return !m_page->isBusy(); }));
    EXPECT_TRUE(m_page->isEnabled());
    EXPECT_FALSE(m_runProgress.isRunning());

    EXPECT_EQ(m_statusLine.text(), u"End of conversion! : Files have been skipped (see log)."_s);
    EXPECT_EQ(child<QListView>(u"convertList"_s)->selectionModel()->selectedRows().size(), 0);
    EXPECT_EQ(child<PreviewFrame>(u"previewFrame"_s)->content(),
              PreviewFrame::Content::Placeholder);
    const QString log = QString::fromUtf8(readFileBytes(ConversionLog::path(m_destination.path())));
    EXPECT_TRUE(log.contains(u"\r\nA.jpg : ignored (duplicates)\r\na.png : ignored (duplicates)\r\n"
                             "photo.png : conversion OK\r\ntree.png : conversion OK\r\n"_s))
        << log.toStdString();
    EXPECT_TRUE(QFile::exists(m_destination.filePath(u"tree.jpg"_s)));
    click(u"viewLogButton"_s);
    EXPECT_EQ(m_opened, QStringList{ConversionLog::path(m_destination.path())});

    // "Convert image" too: the page waits for its picture without taking input.
    select(3);
    click(u"convertImageButton"_s);
    EXPECT_FALSE(m_page->isEnabled());
    ASSERT_TRUE(runEventsUntil([this] { return !m_page->isBusy(); }));
    EXPECT_EQ(m_statusLine.text(), u"End of conversion!"_s);
}

} // namespace
