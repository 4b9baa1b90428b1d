// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/cconvertctrl.h"

#include "convert/conversionlog.h"
#include "convert/convertsession.h"
#include "convertrows.h"
#include "prefs/preferences.h"
#include "readerevents.h"
#include "strings/stringtable.h"
#include "stuckpreviews.h"
#include "testfiles.h"
#include "testpictures.h"
#include "util/atomicfile.h"
#include "util/pathutil.h"
#include "widgets/pageservices.h"
#include "widgets/previewframe.h"
#include "widgets/runprogress.h"
#include "widgets/statusline.h"
#include "workers/workerpool.h"

#include "qtprinters.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
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

// The convert page's rules without the page: what the session marks, says and shows.
class Session : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeConvertFolders(m_source.path(), m_destination.path()));
        using S = ConvertSession;
        const auto on = [this](auto signal, auto slot) {
            QObject::connect(&m_session, signal, &m_session, slot);
        };
        on(&S::statusShown, [this](const QString &text, int kind) { m_status = {text, kind}; });
        on(&S::pictureShown, [this](const QImage &image) { m_frame = {u"picture"_s, image}; });
        on(&S::placeholderShown, [this](const QImage &i) { m_frame = {u"placeholder"_s, i}; });
        on(&S::frameBlanked, [this] { m_frame = {u"blank"_s, QImage()}; });
        on(&S::conversionFinished, [this] { ++m_finished; });
    }

    // A control of the view changes: the session gets the values, then the action.
    void setReplaceFiles(bool on)
    {
        ConversionOptions options = m_session.options();
        options.replaceFiles = on;
        m_session.setOptions(options);
        m_session.replaceFilesChanged();
    }
    int flags(int row) const { return m_session.list().flags(row); }
    QString rows() const { return convertRows(m_session.list()); }

    QTemporaryDir m_source;
    QTemporaryDir m_destination;
    Preferences m_preferences;
    StuckPreviews m_previews;
    ConvertSession m_session{m_preferences, nullptr, m_previews.service()}; // previews wait
    QAbstractItemModelTester m_listTester{&m_session.list(), // the signals views rely on
                                          QAbstractItemModelTester::FailureReportingMode::Fatal};
    std::pair<QString, int> m_status;
    std::pair<QString, QImage> m_frame;
    int m_finished = 0;
};

TEST_F(Session, ListsMarksRefusesTheSameFolderTwiceRenewsMarksPreviewsTurnsAndDropsStalePreviews)
{
    m_session.chooseSourceFolder(m_source.path());
    EXPECT_EQ(std::pair(rows(), m_status.second),
              std::pair(u"A.jpg:2 a.png:2 photo.png:0 tree.png:0"_s, int(DuplicateError)));

    // photo.jpg exists in the destination: it collides once files are no longer replaced.
    m_session.chooseDestinationFolder(m_destination.path());
    setReplaceFiles(false);
    EXPECT_EQ(std::pair(rows(), m_status),
              std::pair(u"A.jpg:2 a.png:2 photo.png:4 tree.png:0"_s,
                        std::pair(u"Collision in destination files."_s, int(CollisionError))));
    setReplaceFiles(true);
    EXPECT_EQ(rows(), u"A.jpg:2 a.png:2 photo.png:0 tree.png:0"_s);

    // Only the pictures of the group chosen, and only those the filter names. The chooser opens
    // on an emptied list; cancelled, it gives the old folder back to list.
    m_session.chooseInputGroup(int(ImageFormatGroup::PngImages));
    EXPECT_EQ(std::pair(rows(), m_status.first),
              std::pair(u"a.png:0 photo.png:0 tree.png:0"_s, QString()));
    m_session.setNameFilter(u"T*"_s);
    m_session.clearList();
    m_session.chooseSourceFolder(m_session.sourceFolder());
    EXPECT_EQ(rows(), u"tree.png:0"_s);

    // The Delete key: the line goes, the file stays, the duplicates are marked anew.
    m_session.setNameFilter(u"*"_s);
    m_session.chooseInputGroup(AllImagesIndex);
    EXPECT_EQ(m_session.deleteRow(1), 1);
    EXPECT_EQ(std::tuple(rows(), m_status.first, QFile::exists(m_source.filePath(u"a.png"_s))),
              std::tuple(u"A.jpg:0 photo.png:0 tree.png:0"_s, QString(), true));

    // The same folder on both sides is refused, by whatever path: here a link to it.
    const QString link = m_destination.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(m_source.path(), link));
    m_session.chooseDestinationFolder(link);
    EXPECT_EQ(std::tuple(m_status.first, m_status.second, m_session.destinationFolder()),
              std::tuple(u"Origin and destination folders must not be the same!"_s, int(OtherError),
                         QString()));
    m_session.chooseDestinationFolder(m_destination.path());

    // After a conversion its own pictures stand in the destination: with "Replace files" off the
    // list must mark them, or the next run would take them for free names; the status line keeps
    // the conversion's outcome.
    m_session.chooseSourceFolder(m_source.path());
    setReplaceFiles(false);
    // tree.png, into tree.jpg; a single picture writes no log. A conversion ends from the event
    // loop, its disk work done on threads of its own.
    m_session.convertImage(3);
    EXPECT_TRUE(runEventsUntil([this] { return m_finished == 1; }));
    EXPECT_EQ(std::tuple(m_status, rows(), m_session.existingLogPath()),
              std::tuple(std::pair(u"End of conversion!"_s, 0),
                         u"A.jpg:2 a.png:2 photo.png:4 tree.png:4"_s, QString()));

    ASSERT_TRUE(QFile::remove(m_destination.filePath(u"photo.jpg"_s)));
    setReplaceFiles(false);
    m_session.convertAll();
    EXPECT_TRUE(runEventsUntil([this] { return m_finished == 2; }));
    EXPECT_EQ(std::tuple(m_status.first, rows(), m_frame.first, m_session.existingLogPath()),
              std::tuple(u"End of conversion! : Files have been skipped (see log)."_s,
                         u"A.jpg:2 a.png:2 photo.png:4 tree.png:4"_s, u"placeholder"_s,
                         ConversionLog::path(m_destination.path())));

    // A destination whose name is not UTF-8 has its log, and loses a crashed worker's partial file.
    const QByteArray odd = QFile::encodeName(m_destination.path()) + "/\xff";
    ASSERT_TRUE(::mkdir(odd.constData(), 0700) == 0 && writeFileAtBytes(odd + "/Pelorin.log") &&
                writeFileAtBytes(odd + '/' + AtomicFile::temporaryPrefix(9) + "k2x9.part"));
    m_session.chooseDestinationFolder(PathUtil::decodeName(odd));
    EXPECT_EQ(m_session.existingLogPath(), ConversionLog::path(m_session.destinationFolder()));
    EXPECT_EQ(WorkerClient::removePartialFiles(m_session.destinationFolder(), 9), 1);
    EXPECT_TRUE(::unlink((odd + "/Pelorin.log").constData()) == 0 && ::rmdir(odd.constData()) == 0);

    // Previews, turns, a file that cannot be read, and previews gone stale; the destination is
    // gone, so nothing collides.
    ASSERT_TRUE(writeFileBytes(m_source.filePath(u"broken.png"_s), "not a picture"));
    m_session.setFrameSize({200, 200});
    m_session.chooseSourceFolder(m_source.path());

    // Rows: A.jpg, a.png, broken.png, photo.png, tree.png.
    const int broken = 2, photo = 3, tree = 4;
    m_session.loadPreview(tree);
    m_previews.answer(0);
    EXPECT_EQ(std::pair(m_frame.first, m_frame.second.width()), std::pair(u"picture"_s, 200));
    const QSize landscape = m_frame.second.size();
    for (int expected : {-90, -180, -270, 0, 90}) {
        m_session.rotate(tree, expected == 90 ? 90 : -90);
        EXPECT_EQ(m_session.list().rotation(tree), expected);
    }
    EXPECT_EQ(m_frame.second.size(), landscape.transposed());

    m_session.loadPreview(broken);
    m_previews.answer(1);
    EXPECT_EQ(std::tuple(flags(broken), m_status.second, m_frame.first),
              std::tuple(int(FileTypeError), int(FileTypeError), u"placeholder"_s));

    // A preview that never comes blocks nothing, and a later row shows its own; the stuck one
    // ends after all, in failure: too late to count.
    m_session.loadPreview(photo);
    m_session.loadPreview(tree);
    m_previews.answer(3);
    const QImage treePicture = m_frame.second;
    m_previews.answer(2, PreviewResult());
    EXPECT_EQ(std::tuple(flags(photo), m_frame, m_status.first),
              std::tuple(0, std::pair(u"picture"_s, treePicture), QString()));

    // One that comes after the page was left marks the line but leaves the status line alone.
    m_session.loadPreview(tree);
    m_session.setPageShown(false);
    m_status = {};
    m_previews.answer(4, PreviewResult());
    EXPECT_EQ(std::pair(flags(tree), m_status.first), std::pair(int(FileTypeError), QString()));
}

// The rules are the session's (above); here the page hands its own session the controls, shows
// what it says, and keeps its own rules: the quality's words, the resize choice. The session
// fixture only lends its folders.
class ConvertPage : public Session
{
protected:
    void openPage()
    {
        m_nextFolders = {m_source.path(), m_destination.path()};
        m_services.folderChooser =
            FolderChooser([this](QWidget *, const QString &title, const QString &) {
                return m_titles.append(title), m_nextFolders.takeFirst();
            });
        m_services.openUrl = [this](const QUrl &url) {
            return m_opened.append(url.toLocalFile()), m_canOpen;
        };
        m_services.showMessage = [this](const QString &text) { m_opened.append(text); };
        m_page =
            std::make_unique<CConvertCtrl>(m_preferences, m_statusLine, m_runProgress, m_services);
        ASSERT_TRUE(m_page->initialise());
        m_page->show();
        click(u"sourceFolderButton"_s);
        click(u"destinationFolderButton"_s);
    }
    template <typename T = QWidget> T *child(const QString &n) { return m_page->findChild<T *>(n); }
    void click(const QString &name) { child<QPushButton>(name)->click(); }

    StatusLine m_statusLine{m_preferences};
    RunProgress m_runProgress;
    PageServices m_services;
    QStringList m_opened;      // and the messages shown, in turn
    bool m_canOpen = true;     // whether the desktop has a program for what is opened
    QStringList m_nextFolders; // what the folder dialog answers, in turn
    QStringList m_titles;      // and the titles it was opened with
    std::unique_ptr<CConvertCtrl> m_page;
};

// A screen reader's toggle action changes a box without a click; the count is the list's, also
// when a refused folder empties it. Then a page of its own converts in a worker process.
TEST_F(ConvertPage, BoxesActHoweverToggledTheCountFollowsTheListAndItConvertsAllInWorkerProcesses)
{
    m_services.conversionRunner = std::make_shared<WorkerPool>(1);
    openPage();
    EXPECT_EQ(m_titles,
              QStringList({loadString(ChooseSourceFolder), loadString(ChooseDestinationFolder)}));
    child<QListView>(u"convertList"_s)->setCurrentIndex(m_page->listModel().index(3));
    QCoreApplication::processEvents(); // the preview follows, deferred
    for (const QString &box : {u"resizeCheck"_s, u"replaceFilesCheck"_s, u"grayscaleCheck"_s})
        QAccessible::queryAccessibleInterface(child<QCheckBox>(box))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(child<QWidget>(u"heightRadio"_s)->isEnabled());
    EXPECT_EQ(m_page->listModel().flags(2), CollisionError);
    const QImage preview = child<PreviewFrame>(u"previewFrame"_s)->image();
    EXPECT_TRUE(!preview.isNull() && preview.allGray());
    ASSERT_EQ(child<QLabel>(u"imageCountLabel"_s)->text(), u"4"_s);
    m_nextFolders = {m_destination.path()}; // the destination cannot be the source too
    click(u"sourceFolderButton"_s);
    EXPECT_EQ(
        std::pair(m_page->listModel().rowCount(), child<QLabel>(u"imageCountLabel"_s)->text()),
        std::pair(0, u"0"_s));
    // A click on a slider's track (a key takes the same way), or its handle released: with no
    // line selected, each clears the status line.
    auto *quality = child<QSlider>(u"qualitySlider"_s);
    for (const int at : {2, quality->width() * 15 / 20}) { // the track, then the handle at 15
        m_statusLine.showText(u"old news"_s, OtherError);
        QTest::mouseClick(quality, Qt::LeftButton, {}, QPoint(at, quality->height() / 2));
        EXPECT_EQ(std::pair(m_statusLine.text(), m_page->session().options().jpegQualityPosition),
                  std::pair(QString(), 15));
    }

    m_statusLine.show();
    openPage();
    ReaderEvents reader;
    click(u"convertAllButton"_s); // returns at once
    EXPECT_EQ(std::pair(m_page->isEnabled(), m_runProgress.isRunning()), std::pair(false, true));
    ASSERT_TRUE(runEventsUntil([this] { return !m_page->isBusy(); }));
    QCoreApplication::processEvents(); // the end is spoken
    EXPECT_EQ(std::tuple(m_page->isEnabled(), m_runProgress.isRunning(), m_statusLine.text(),
                         QFile::exists(m_destination.filePath(u"tree.jpg"_s))),
              std::tuple(true, false, u"End of conversion! : Files have been skipped (see log)."_s,
                         true));

    // The preview follows the selection, deferred; a double click opens the picture.
    auto *list = child<QListView>(u"convertList"_s);
    list->setCurrentIndex(m_page->listModel().index(3));
    QCoreApplication::processEvents();
    EXPECT_EQ(child<PreviewFrame>(u"previewFrame"_s)->content(), PreviewFrame::Content::Picture);
    click(u"rotateRightButton"_s);
    const QPoint photo = list->visualRect(m_page->listModel().index(2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, photo);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, photo);
    // Where the desktop has no program for them, the user is told.
    m_canOpen = false;
    click(u"viewLogButton"_s);
    click(u"openDestinationButton"_s);
    const QString log = ConversionLog::path(m_destination.path());
    EXPECT_EQ(
        m_opened,
        QStringList({m_source.filePath(u"photo.png"_s), log,
                     u"No program could open the log file "_s + log + u'.', m_destination.path(),
                     u"No program could open the folder "_s + m_destination.path() + u'.'}));

    // photo.png collides in JPEG only (photo.jpg is taken); the quality applies to JPEG only.
    child<QCheckBox>(u"replaceFilesCheck"_s)->click();
    const int collided = m_page->listModel().flags(2);
    // A reader followed the run on the bar, not from file to file in the list, and heard the end,
    // the user's own moves in the list, the turn and the collision, once each.
    QCoreApplication::processEvents();
    EXPECT_EQ(reader.m_heard,
              QStringList({u"runProgressBar=1"_s, u"runProgressBar=2"_s, u"runProgressBar=3"_s,
                           u"runProgressBar=4"_s,
                           u"End of conversion! : Files have been skipped (see log)."_s,
                           u"convertList>3"_s, u"Turned 90° clockwise"_s, u"convertList>2"_s,
                           u"Collision in destination files."_s}));
    child<QComboBox>(u"outputFormatCombo"_s)->setCurrentIndex(int(OutputFormat::Png));
    EXPECT_EQ(std::tuple(collided, m_page->listModel().flags(2),
                         child<QSlider>(u"qualitySlider"_s)->isEnabled()),
              std::tuple(int(CollisionError), 0, false));
    child<QCheckBox>(u"resizeCheck"_s)->click();
    child(u"largeSideRadio"_s)->setProperty("checked", true);
    child<QLineEdit>(u"resizePixelsEdit"_s)->setText(u"800"_s);
    const ConversionOptions options = m_page->session().options();
    EXPECT_EQ(std::tuple(options.outputFormat, options.resizeMode, options.resizePixels),
              std::tuple(OutputFormat::Png, ResizeMode::LargeSide, 800));
}

} // namespace
