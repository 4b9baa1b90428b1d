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

#include <QCheckBox>
#include <QComboBox>
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
// controls, shows what it says, and keeps its own rules: the quality's words, the resize choice.
class ConvertPage : public testing::Test
{
protected:
    void openPage()
    {
        ASSERT_TRUE(writeConvertFolders(m_source.path(), m_destination.path()));
        QStringList folders = {m_source.path(), m_destination.path()};
        m_services.folderChooser =
            FolderChooser([&folders](QWidget *, const QString &) { return folders.takeFirst(); });
        m_services.openUrl = [this](const QUrl &url) { m_opened.append(url.toLocalFile()); };
        m_services.imageLibraryUsable = [] { return true; };
        m_page =
            std::make_unique<CConvertCtrl>(m_preferences, m_statusLine, m_runProgress, m_services);
        ASSERT_TRUE(m_page->initialise());
        m_page->show();
        click(u"sourceFolderButton"_s);
        click(u"destinationFolderButton"_s);
    }
    template <typename T = QWidget> T *child(const QString &name)
    {
        return m_page->findChild<T *>(name);
    }
    QString text(const QString &name) { return child(name)->property("text").toString(); }
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
    QStringList m_opened;
    std::unique_ptr<CConvertCtrl> m_page;
};

TEST_F(ConvertPage, HandsTheControlsToItsSessionAndShowsWhatItTells)
{
    openPage();
    select(3);
    auto *frame = child<PreviewFrame>(u"previewFrame"_s);
    EXPECT_EQ(std::pair(frame->content(), frame->image().width()),
              std::pair(PreviewFrame::Content::Picture, frame->width()));

    // The Delete key selects the next line; a double click opens the picture; without a
    // selection the turn buttons turn the placeholder.
    auto *list = child<QListView>(u"convertList"_s);
    select(1);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(std::pair(text(u"imageCountLabel"_s), list->currentIndex().row()),
              std::pair(u"3"_s, 1));
    const QPoint photo = list->visualRect(m_page->listModel().index(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, photo);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, photo);
    EXPECT_EQ(m_opened, QStringList{m_source.filePath(u"photo.png"_s)});
    list->clearSelection();
    click(u"rotateLeftButton"_s);
    click(u"rotateLeftButton"_s);
    EXPECT_EQ(m_page->placeholderAngle(), 180);

    // photo.png collides in JPEG only (photo.jpg is taken); the quality applies to JPEG only;
    // checking "Resize" again starts over from the width.
    child<QCheckBox>(u"replaceFilesCheck"_s)->click();
    const int collided = m_page->listModel().flags(1);
    child<QComboBox>(u"outputFormatCombo"_s)->setCurrentIndex(int(OutputFormat::Png));
    EXPECT_EQ(std::tuple(collided, m_page->listModel().flags(1),
                         child<QSlider>(u"qualitySlider"_s)->isEnabled()),
              std::tuple(int(CollisionError), 0, false));
    auto *resize = child<QCheckBox>(u"resizeCheck"_s);
    resize->click();
    child(u"largeSideRadio"_s)->setProperty("checked", true);
    child<QLineEdit>(u"resizePixelsEdit"_s)->setText(u"800"_s);
    const ConversionOptions options = m_page->session().options();
    EXPECT_EQ(std::tuple(options.outputFormat, options.resizeMode, options.resizePixels),
              std::tuple(OutputFormat::Png, ResizeMode::LargeSide, 800));
    resize->click();
    resize->click();
    EXPECT_EQ(m_page->session().options().resizeMode, ResizeMode::Width);

    child<QSlider>(u"qualitySlider"_s)->setValue(15);
    EXPECT_EQ(std::tuple(text(u"qualityPercentLabel"_s), text(u"qualityWordLabel"_s),
                         m_page->session().options().jpegQualityPosition),
              std::tuple(u"75%"_s, u"(good)"_s, 15));
}

TEST_F(ConvertPage, ConvertsAllInWorkerProcessesAndTakesNoInputMeanwhile)
{
    m_services.conversionRunner = std::make_shared<WorkerPool>(1);
    openPage();
    click(u"convertAllButton"_s); // returns at once
    EXPECT_EQ(std::pair(m_page->isEnabled(), m_runProgress.isRunning()), std::pair(false, true));
    ASSERT_TRUE(runEventsUntil([this] { return !m_page->isBusy(); }));
    EXPECT_EQ(std::tuple(m_page->isEnabled(), m_runProgress.isRunning(), m_statusLine.text(),
                         child<QListView>(u"convertList"_s)->selectionModel()->hasSelection(),
                         child<PreviewFrame>(u"previewFrame"_s)->content(),
                         QFile::exists(m_destination.filePath(u"tree.jpg"_s))),
              std::tuple(true, false, u"End of conversion! : Files have been skipped (see log)."_s,
                         false, PreviewFrame::Content::Placeholder, true));
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
