// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/convertsession.h"

#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/imagefolderscan.h"
#include "prefs/preferences.h"
#include "strings/stringtable.h"
#include "util/folderprobe.h"
#include "util/pathutil.h"
#include "workers/inplacerunner.h"

#include <QPointer>
#include <QTransform>

#include <algorithm>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QImage turned(const QImage &image, int degrees)
{
    // The image library turns left for positive angles; Qt turns right.
    return degrees % 360 == 0 ? image : image.transformed(QTransform().rotate(-degrees));
}

} // namespace

ConvertSession::ConvertSession(const Preferences &preferences,
                               std::shared_ptr<ConversionRunner> runner, PreviewService preview,
                               QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_runner(runner ? std::move(runner) : std::make_shared<InPlaceRunner>())
    , m_preview(std::move(preview))
    , m_batch(std::make_unique<BatchConverter>(m_list, *m_runner))
    , m_nameFilter(u"*"_s)
{
    BatchConverter *batch = m_batch.get();
    connect(batch, &BatchConverter::statusShown, this, &ConvertSession::showStatus);
    connect(batch, &BatchConverter::beep, this, &ConvertSession::beep);
    connect(batch, &BatchConverter::busy, this, &ConvertSession::conversionStarted);
    connect(batch, &BatchConverter::runStarted, this, &ConvertSession::runStarted);
    connect(batch, &BatchConverter::progressChanged, this, &ConvertSession::progressChanged);
    connect(batch, &BatchConverter::currentRowShown, this, &ConvertSession::currentRowShown);
    connect(batch, &BatchConverter::runEnded, this, &ConvertSession::runEnded);
    connect(batch, &BatchConverter::viewLogEnabled, this, &ConvertSession::viewLogEnabled);
    connect(batch, &BatchConverter::workingImageCleared, this,
            [this] { m_workingImage = QImage(); });
    connect(batch, &BatchConverter::placeholderWanted, this, [this] { drawPlaceholder(true); });
    connect(batch, &BatchConverter::allDeselected, this, &ConvertSession::allDeselected);
    connect(batch, &BatchConverter::finished, this, &ConvertSession::conversionFinished);
}

ConvertSession::~ConvertSession()
{
    // Nothing reaches a view that is going away with this session.
    m_batch->disconnect(this);
}

ConversionOptions ConvertSession::options() const
{
    ConversionOptions options = m_settings;
    options.sourceFolder = m_sourceFolder;
    options.destinationFolder = m_destinationFolder;
    options.rawExtensions = m_preferences.extensionList(ImageFormatGroup::RawImages);
    return options;
}

bool ConvertSession::isConverting() const
{
    return m_batch->isBusy();
}

bool ConvertSession::isConvertingAll() const
{
    return m_batch->isConvertingAll();
}

QString ConvertSession::existingLogPath() const
{
    if (m_destinationFolder.isEmpty())
        return QString();
    const QString path = ConversionLog::path(m_destinationFolder);
    struct stat status;
    return ::stat(PathUtil::encodeName(path).constData(), &status) == 0 ? path : QString();
}

void ConvertSession::setStopGrace(int milliseconds)
{
    m_batch->setStopGrace(milliseconds);
}

void ConvertSession::clearList()
{
    if (isConverting())
        return;
    abandonPreview();
    m_list.clear();
    Q_EMIT countChanged(0);
}

void ConvertSession::chooseSourceFolder(const QString &folder)
{
    if (isConverting())
        return;
    clearList();
    m_sourceFolder = folder;
    if (m_sourceFolder.isEmpty())
        return;
    if (!checkFolders(true))
        return;
    m_placeholderAngle = 0;
    drawPlaceholder(true);
    Q_EMIT sourceFolderShown(m_sourceFolder);
    refillConvertList();
    markDuplicates(true);
    markCollisions();
}

void ConvertSession::chooseDestinationFolder(const QString &folder)
{
    m_destinationFolder = folder;
    if (m_destinationFolder.isEmpty())
        return;
    if (!checkFolders(false))
        return;
    // A disk that takes É and é for one name makes such lines duplicates.
    if (m_list.setCaseRule(FolderProbe::caseRule(PathUtil::encodeName(m_destinationFolder))))
        markDuplicates(false);
    m_placeholderAngle = 0;
    Q_EMIT destinationFolderShown(m_destinationFolder);
    gatherDestinationNames();
    markCollisions();
}

void ConvertSession::chooseInputGroup(int group)
{
    if (isConverting())
        return;
    m_inputGroup = group;
    refillConvertList();
    if (m_sourceFolder.isEmpty())
        return;
    clearStatus();
    markDuplicates(true);
    markCollisions();
}

void ConvertSession::setNameFilter(const QString &filter)
{
    if (isConverting())
        return;
    m_nameFilter = filter;
    refillConvertList();
    if (!m_destinationFolder.isEmpty())
        gatherDestinationNames();
    if (m_sourceFolder.isEmpty())
        return;
    clearStatus();
    markDuplicates(true);
    markCollisions();
}

void ConvertSession::outputFormatChanged(int selectedRow)
{
    markCollisions();
    if (selectedRow >= 0)
        loadPreview(selectedRow);
}

void ConvertSession::replaceFilesChanged()
{
    if (m_settings.replaceFiles) {
        m_list.clearCollisions();
        clearStatus();
        markDuplicates(true);
    } else {
        markCollisions();
    }
}

int ConvertSession::deleteRow(int row)
{
    if (isConverting())
        return row;
    abandonPreview(); // the rows move
    const ConvertListModel::Removal removal = m_list.deleteRow(row);
    Q_EMIT countChanged(m_list.count());
    if (!removal.duplicatesFound)
        clearStatus();
    return removal.rowToSelect;
}

void ConvertSession::convertImage(int selectedRow)
{
    m_batch->convertImage(selectedRow, options(), rescanAfterRun());
}

void ConvertSession::convertAll()
{
    // The run shows its own rows and ends on the placeholder.
    abandonPreview();
    m_batch->convertAll(options(), rescanAfterRun());
}

void ConvertSession::stop()
{
    m_batch->requestStop();
}

BatchConverter::AfterRun ConvertSession::rescanAfterRun()
{
    // What the run wrote, and what others wrote meanwhile, now stand in the destination; the
    // marks must say so, or a second run would take them for free names. The status line keeps
    // the run's outcome. The disk is read on the batch's thread, from copies.
    if (m_destinationFolder.isEmpty())
        return {};
    const QString folder = m_destinationFolder;
    const QString filter = m_nameFilter;
    const QString extensions = m_preferences.extensionList(AllImagesIndex);
    const QStringList names = m_list.names();
    const QString extension = outputExtension(m_settings.outputFormat);
    const bool replaceFiles = m_settings.replaceFiles;
    return [=, this]() -> std::function<void()> {
        const FolderProbe::CaseRule rule = FolderProbe::caseRule(PathUtil::encodeName(folder));
        const QString destinationNames =
            ImageFolderScan::destinationNames(folder, filter, extensions, rule);
        const QList<bool> colliding = ConvertListModel::collidingRows(
            names, destinationNames, folder, extension, rule, replaceFiles);
        // On the window thread, while the batch (hence this session) lives.
        return [this, destinationNames, colliding, rule] {
            m_destinationNames = destinationNames;
            if (m_list.setCaseRule(rule))
                m_list.markDuplicates();
            m_list.setCollisions(colliding);
        };
    };
}

bool ConvertSession::checkFolders(bool sourceSide)
{
    clearStatus();
    // By what the folders do: a link to the source folder, "src/.", a bind or overlay mount or a
    // share of it is the same folder.
    const bool differ = m_sourceFolder != m_destinationFolder &&
                        !FolderProbe::sameFolder(PathUtil::encodeName(m_sourceFolder),
                                                 PathUtil::encodeName(m_destinationFolder));
    if (!differ) {
        showMessage(FoldersMustDiffer, OtherError);
        Q_EMIT beep();
        (sourceSide ? m_sourceFolder : m_destinationFolder).clear();
    }
    if (sourceSide)
        Q_EMIT sourceFolderShown(m_sourceFolder);
    else
        Q_EMIT destinationFolderShown(m_destinationFolder);
    return differ;
}

void ConvertSession::refillConvertList()
{
    if (m_sourceFolder.isEmpty())
        return;
    abandonPreview();
    drawPlaceholder(true);
    const int group = std::clamp(m_inputGroup, AllImagesIndex, LastGroupIndex);
    m_list.setNames(ImageFolderScan::listNames(m_sourceFolder, m_nameFilter,
                                               m_preferences.extensionList(group)));
    Q_EMIT countChanged(m_list.count());
}

void ConvertSession::gatherDestinationNames()
{
    m_destinationNames =
        ImageFolderScan::destinationNames(m_destinationFolder, m_nameFilter,
                                          m_preferences.extensionList(AllImagesIndex),
                                          m_list.caseRule());
}

// gcc 12 takes the result of a call made through a hidden return pointer for a pointer that
// may dangle once a signal is emitted after it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif

void ConvertSession::markDuplicates(bool scroll)
{
    const ConvertListModel::Marks marks = m_list.markDuplicates();
    if (!marks.found)
        return;
    if (scroll)
        Q_EMIT rowBroughtIntoView(marks.firstRow);
    showMessage(marks.diskRule ? SameNamesOnDisk : SameNamesPresent, DuplicateError);
}

void ConvertSession::markCollisions(bool announce)
{
    const ConvertListModel::Marks marks =
        m_list.markCollisions(m_destinationNames, m_destinationFolder,
                              outputExtension(m_settings.outputFormat), m_settings.replaceFiles);
    if (!announce)
        return;
    if (marks.firstRow >= 0)
        Q_EMIT rowBroughtIntoView(marks.firstRow);
    if (marks.found)
        showMessage(DestinationCollision, CollisionError);
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

void ConvertSession::showStatus(const QString &text, int kind)
{
    // A conversion's text: a preview that comes later must not write over it.
    m_previewOwnsStatus = false;
    Q_EMIT statusShown(text, kind);
}

void ConvertSession::showMessage(int stringId, int kind)
{
    Q_EMIT statusShown(loadString(stringId), kind);
}

void ConvertSession::clearStatus()
{
    Q_EMIT statusShown(QString(), Standard);
}

void ConvertSession::loadPreview(int row)
{
    abandonPreview();
    m_previewOwnsStatus = false;
    m_workingImage = QImage();
    clearStatus();
    if (row < 0 || row >= m_list.count())
        return;
    if (m_list.flags(row) & FileTypeError) {
        drawPlaceholder(true);
        showMessage(ImageFileError, FileTypeError);
        return;
    }
    drawPlaceholder(false);
    const QString name = m_list.text(row);
    Q_EMIT statusShown(loadString(LoadingPrefix) + PathUtil::displayName(name), Standard);
    m_previewOwnsStatus = true;

    const ConversionOptions current = options();
    PreviewRequest request;
    request.sourcePath = PathUtil::append(m_sourceFolder, name);
    request.frame = m_frameSize;
    request.rotation = m_list.rotation(row);
    request.outputFormat = current.outputFormat;
    request.jpegQualityPosition = current.jpegQualityPosition;
    request.grayscale = current.grayscale;
    request.rawBrightness = current.rawBrightness;
    request.rawExtensions = current.rawExtensions;
    const QPointer<ConvertSession> session(this);
    const PreviewDone done = [session, awaited = m_previewRequest,
                              row](const PreviewResult &preview) {
        if (session && session->m_previewRequest == awaited)
            session->showLoadedPreview(row, preview);
    };
    if (m_preview)
        m_preview(request, done);
    else
        done(ConvertPreview::render(request));
}

void ConvertSession::showLoadedPreview(int row, const PreviewResult &preview)
{
    abandonPreview();
    // A conversion started meanwhile owns the status line, its outcome must stay readable; so
    // does another page shown meanwhile.
    const bool status = std::exchange(m_previewOwnsStatus, false) && m_pageShown;
    if (!preview.loaded) {
        m_list.setFlag(row, FileTypeError, true);
        drawPlaceholder(true);
        if (status)
            Q_EMIT statusShown(loadString(ErrorLoadingImageFile) + preview.libraryMessage,
                               FileTypeError);
        return;
    }
    Q_EMIT rawBrightnessApplies(preview.raw);
    m_workingImage = preview.image;
    drawPreview();
    if (!status)
        return;
    clearStatus();
    const int flags = m_list.flags(row);
    if (flags & OtherError)
        showMessage(PreviewError, OtherError);
    else if (flags & DuplicateError)
        showMessage(PreviewIdenticalNames, DuplicateError);
    else if (flags & CollisionError)
        showMessage(DestinationCollision, CollisionError);
}

void ConvertSession::redrawPreview()
{
    drawPreview();
}

void ConvertSession::clearPreview()
{
    abandonPreview();
    m_workingImage = QImage();
}

void ConvertSession::drawPreview()
{
    if (!m_workingImage.isNull())
        Q_EMIT pictureShown(m_workingImage);
}

void ConvertSession::drawPlaceholder(bool show)
{
    if (show) {
        m_workingImage = turned(m_placeholder, m_placeholderAngle);
        Q_EMIT placeholderShown(m_workingImage);
    } else {
        Q_EMIT frameBlanked();
        m_placeholderAngle = 0;
    }
}

void ConvertSession::rotate(int selectedRow, int degrees)
{
    if (selectedRow < 0) {
        m_placeholderAngle = (m_placeholderAngle + degrees) % 360;
        drawPlaceholder(true);
        Q_EMIT turnedTo((m_placeholderAngle + 360) % 360);
        return;
    }
    if (m_workingImage.isNull())
        return;
    const QImage picture = m_workingImage;
    drawPlaceholder(false);
    m_list.setRotation(selectedRow, (m_list.rotation(selectedRow) + degrees) % 360);
    m_workingImage = turned(picture, degrees);
    drawPreview();
    Q_EMIT turnedTo((m_list.rotation(selectedRow) + 360) % 360);
}
