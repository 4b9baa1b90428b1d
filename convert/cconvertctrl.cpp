#include "convert/cconvertctrl.h"

#include "widgets/messagebox.h"
#include "widgets/pageservices.h"
#include "widgets/runprogress.h"
#include "widgets/statusline.h"
#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/convertpreview.h"
#include "convert/imagefolderscan.h"
#include "convert/inplacerunner.h"
#include "convert/librarymessages.h"
#include "util/pathutil.h"
#include "prefs/preferences.h"
#include "resources/stringtable.h"
#include "util/fileidentity.h"
#include "ui_cconvertctrl.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QTransform>

using namespace Qt::Literals::StringLiterals;

namespace {

const int OutputNameIds[] = {GroupJpgImages, GroupPngImages, GroupTifImages, GroupWebImages};

QImage turned(const QImage &image, int degrees)
{
    // The image library turns left for positive angles; Qt turns right.
    return degrees % 360 == 0 ? image : image.transformed(QTransform().rotate(-degrees));
}

} // namespace

CConvertCtrl::CConvertCtrl(Preferences &preferences, StatusLine &statusLine,
                           RunProgress &runProgress, const PageServices &services, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_statusLine(statusLine)
    , m_runProgress(runProgress)
    , m_services(services)
    , m_ui(std::make_unique<Ui::CConvertCtrl>())
    , m_runner(services.conversionRunner ? services.conversionRunner
                                         : std::make_shared<InPlaceRunner>())
    , m_batch(std::make_unique<BatchConverter>(m_list, static_cast<ConvertRunWindow &>(*this),
                                               *m_runner))
    , m_placeholder(QStringLiteral(":/icons/placeholder.png"))
{
    m_ui->setupUi(this);
    setObjectName(u"convertPage"_s);
    m_batch->setStopGrace(services.stopGraceMs);
    // The check box stands on the frame's edge like a group title.
    m_ui->resizeCheck->setAutoFillBackground(true);
}

CConvertCtrl::~CConvertCtrl() = default;

bool CConvertCtrl::initialise()
{
    if (m_services.imageLibraryUsable && !m_services.imageLibraryUsable()) {
        if (m_services.showMessage)
            m_services.showMessage(loadString(ImageLibraryMissing));
        return false;
    }

    const QIcon folderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);
    for (QPushButton *button : {m_ui->sourceFolderButton, m_ui->destinationFolderButton}) {
        button->setAccessibleName(button->text());
        button->setIcon(folderIcon);
        button->setText(QString());
    }
    m_ui->rotateRightButton->setAccessibleName(m_ui->rotateRightButton->text());
    m_ui->rotateRightButton->setIcon(
        QIcon::fromTheme(u"object-rotate-right"_s, QIcon(u":/icons/rotate-right.png"_s)));
    m_ui->rotateRightButton->setText(QString());
    m_ui->rotateLeftButton->setAccessibleName(m_ui->rotateLeftButton->text());
    m_ui->rotateLeftButton->setIcon(
        QIcon::fromTheme(u"object-rotate-left"_s, QIcon(u":/icons/rotate-left.png"_s)));
    m_ui->rotateLeftButton->setText(QString());

    m_ui->inputFormatCombo->addItem(loadString(GroupAllImages) + u" ("_s +
                                    m_preferences.extensionList(AllImagesIndex) + u')');
    for (int i = FirstGroupIndex; i <= LastGroupIndex; ++i)
        m_ui->inputFormatCombo->addItem(loadString(GroupAllImages + i) + u" ("_s +
                                        m_preferences.extensionList(i) + u')');
    for (int format = 0; format < 4; ++format)
        m_ui->outputFormatCombo->addItem(loadString(OutputNameIds[format]) + u" (*"_s +
                                         outputExtension(OutputFormat(format)) + u')');
    m_ui->inputFormatCombo->setCurrentIndex(0);
    m_ui->outputFormatCombo->setCurrentIndex(0);

    m_ui->convertList->attach(m_list, m_preferences);
    m_ui->nameFilterEdit->setText(u"*"_s);
    m_ui->qualitySlider->setValue(16);
    qualityChanged(16);
    m_ui->rawSlider->setValue(4);
    rawBrightnessChanged(4);
    applyResizeRule();
    m_ui->replaceFilesCheck->setChecked(true);
    m_ui->resizePixelsEdit->setValidator(new QIntValidator(this));

    connect(m_ui->sourceFolderButton, &QPushButton::clicked, this,
            &CConvertCtrl::chooseSourceFolder);
    connect(m_ui->destinationFolderButton, &QPushButton::clicked, this,
            &CConvertCtrl::chooseDestinationFolder);
    connect(m_ui->rotateRightButton, &QPushButton::clicked, this, [this] { rotateSelection(-90); });
    connect(m_ui->rotateLeftButton, &QPushButton::clicked, this, [this] { rotateSelection(90); });
    connect(m_ui->viewLogButton, &QPushButton::clicked, this, &CConvertCtrl::viewLogFile);
    connect(m_ui->inputFormatCombo, &QComboBox::currentIndexChanged, this,
            &CConvertCtrl::inputFormatChanged);
    connect(m_ui->outputFormatCombo, &QComboBox::currentIndexChanged, this,
            &CConvertCtrl::outputFormatChanged);
    connect(m_ui->nameFilterEdit, &QLineEdit::textChanged, this, &CConvertCtrl::nameFilterChanged);
    connect(m_ui->resizeCheck, &QCheckBox::clicked, this, &CConvertCtrl::applyResizeRule);
    connect(m_ui->grayscaleCheck, &QCheckBox::clicked, this,
            [this] { loadPreview(m_ui->convertList->selectedRow()); });
    connect(m_ui->replaceFilesCheck, &QCheckBox::clicked, this, &CConvertCtrl::replaceFilesClicked);
    connect(m_ui->convertList, &CConvLvCtrl::rowActivated, this, &CConvertCtrl::requestPreview);
    connect(m_ui->convertList, &CConvLvCtrl::deleteRequested, this, &CConvertCtrl::deleteRow);
    connect(m_ui->convertList, &QListView::doubleClicked, this, &CConvertCtrl::openSelectedSource);
    connect(m_ui->qualitySlider, &QSlider::valueChanged, this, &CConvertCtrl::qualityChanged);
    connect(m_ui->rawSlider, &QSlider::valueChanged, this, &CConvertCtrl::rawBrightnessChanged);
    for (QSlider *slider : {m_ui->qualitySlider, m_ui->rawSlider}) {
        connect(slider, &QSlider::sliderReleased, this, &CConvertCtrl::sliderSettled);
        // Keys, the wheel and clicks beside the handle end their move at once.
        connect(slider, &QSlider::valueChanged, this, [this, slider] {
            if (!slider->isSliderDown())
                sliderSettled();
        });
    }
    connect(m_ui->convertImageButton, &QPushButton::clicked, this, &CConvertCtrl::convertImage);
    connect(m_ui->convertAllButton, &QPushButton::clicked, this, &CConvertCtrl::convertAll);
    connect(&m_runProgress, &RunProgress::stopRequested, this, [this] { m_batch->requestStop(); });

    drawPlaceholder(true);
    LibraryMessages::install();
    return true;
}

int CConvertCtrl::outputFormatIndex() const
{
    return m_ui->outputFormatCombo->currentIndex();
}

ConversionOptions CConvertCtrl::options() const
{
    ConversionOptions options;
    options.sourceFolder = m_sourceFolder;
    options.destinationFolder = m_destinationFolder;
    options.outputFormat = OutputFormat(std::clamp(outputFormatIndex(), 0, 3));
    options.grayscale = m_ui->grayscaleCheck->isChecked();
    options.deleteMetadata = m_ui->deleteMetadataCheck->isChecked();
    options.jpegQualityPosition = m_ui->qualitySlider->value();
    options.rawBrightness = m_ui->rawSlider->value();
    options.resize = m_ui->resizeCheck->isChecked();
    options.resizeMode = ConversionOptions::resizeModeFrom(
        m_ui->widthRadio->isChecked(), m_ui->heightRadio->isChecked(),
        m_ui->smallSideRadio->isChecked(), m_ui->largeSideRadio->isChecked());
    options.resizePixels = m_ui->resizePixelsEdit->text().trimmed().toInt();
    options.replaceFiles = m_ui->replaceFilesCheck->isChecked();
    options.rawExtensions = m_preferences.extensionList(ImageFormatGroup::RawImages);
    return options;
}

QString CConvertCtrl::qualityWord(int percent)
{
    if (percent <= 10)
        return loadString(QualityBad);
    if (percent <= 25)
        return loadString(QualityAverage);
    if (percent <= 50)
        return loadString(QualityNormal);
    if (percent <= 75)
        return loadString(QualityGood);
    if (percent < 100)
        return loadString(QualitySuperb);
    return loadString(QualityMaximal);
}

void CConvertCtrl::chooseSourceFolder()
{
    abandonPreview();
    m_list.clear();
    m_services.folderChooser.chooseFolder(this, m_sourceFolder);
    if (m_sourceFolder.isEmpty())
        return;
    if (!checkFolders(true))
        return;
    m_placeholderAngle = 0;
    drawPlaceholder(true);
    m_ui->sourceFolderEdit->setText(m_sourceFolder);
    refillConvertList();
    markDuplicates(true);
    markCollisions();
}

void CConvertCtrl::chooseDestinationFolder()
{
    m_services.folderChooser.chooseFolder(this, m_destinationFolder);
    if (m_destinationFolder.isEmpty())
        return;
    if (!checkFolders(false))
        return;
    m_placeholderAngle = 0;
    m_ui->destinationFolderEdit->setText(m_destinationFolder);
    gatherDestinationNames();
    markCollisions();
}

void CConvertCtrl::viewLogFile()
{
    if (m_destinationFolder.isEmpty())
        return;
    const QString path = ConversionLog::path(m_destinationFolder);
    if (QFileInfo::exists(path) && m_services.openUrl)
        m_services.openUrl(QUrl::fromLocalFile(path));
}

void CConvertCtrl::inputFormatChanged()
{
    refillConvertList();
    if (m_sourceFolder.isEmpty())
        return;
    m_statusLine.clearLine();
    markDuplicates(true);
    markCollisions();
}

void CConvertCtrl::outputFormatChanged(int index)
{
    const bool jpeg = index == int(OutputFormat::Jpeg);
    m_ui->qualityPercentLabel->setVisible(jpeg);
    m_ui->qualitySlider->setEnabled(jpeg);
    markCollisions();
    const int row = m_ui->convertList->selectedRow();
    if (row >= 0)
        loadPreview(row);
}

void CConvertCtrl::nameFilterChanged()
{
    refillConvertList();
    if (!m_destinationFolder.isEmpty())
        gatherDestinationNames();
    if (m_sourceFolder.isEmpty())
        return;
    m_statusLine.clearLine();
    markDuplicates(true);
    markCollisions();
}

void CConvertCtrl::applyResizeRule()
{
    const bool on = m_ui->resizeCheck->isChecked();
    for (QWidget *control :
         {static_cast<QWidget *>(m_ui->widthRadio), static_cast<QWidget *>(m_ui->heightRadio),
          static_cast<QWidget *>(m_ui->smallSideRadio),
          static_cast<QWidget *>(m_ui->largeSideRadio),
          static_cast<QWidget *>(m_ui->resizePixelsEdit)})
        control->setEnabled(on);
    m_ui->widthRadio->setChecked(true);
}

void CConvertCtrl::replaceFilesClicked(bool checked)
{
    if (checked) {
        m_list.clearCollisions();
        m_statusLine.clearLine();
        markDuplicates(true);
    } else {
        markCollisions();
    }
}

void CConvertCtrl::qualityChanged(int position)
{
    const int percent = position * 5;
    m_ui->qualityPercentLabel->setText(QString::number(percent) + u'%');
    m_ui->qualityWordLabel->setText(qualityWord(percent));
}

void CConvertCtrl::rawBrightnessChanged(int position)
{
    m_ui->rawLabel->setText(u"RAW : %1"_s.arg(position));
}

void CConvertCtrl::sliderSettled()
{
    loadPreview(m_ui->convertList->selectedRow());
}

void CConvertCtrl::requestPreview()
{
    // Once the list has finished its own handling of the change, and only once per change.
    if (m_previewPending)
        return;
    m_previewPending = true;
    QMetaObject::invokeMethod(this, &CConvertCtrl::runDeferredPreview, Qt::QueuedConnection);
}

void CConvertCtrl::runDeferredPreview()
{
    // A conversion run drops the previews its own selections asked for.
    if (!m_previewPending || m_running)
        return;
    m_previewPending = false;
    m_ui->convertList->repaint();
    loadPreview(m_ui->convertList->selectedRow());
}

void CConvertCtrl::openSelectedSource()
{
    const int row = m_ui->convertList->selectedRow();
    if (row >= 0 && m_services.openUrl)
        m_services.openUrl(PathUtil::fileUrl(PathUtil::append(m_sourceFolder, m_list.text(row))));
}

void CConvertCtrl::convertImage()
{
    m_batch->convertImage(m_ui->convertList->selectedRow(), options());
    remarkAfterRun();
}

void CConvertCtrl::convertAll()
{
    // The run shows its own rows and ends on the placeholder.
    abandonPreview();
    m_running = true;
    m_batch->convertAll(options());
    m_running = false;
    m_previewPending = false;
    remarkAfterRun();
}

void CConvertCtrl::remarkAfterRun()
{
    // What the run wrote, and what others wrote meanwhile, now stand in the destination; the
    // marks must say so, or a second run would take them for free names. The status line keeps
    // the run's outcome.
    if (m_destinationFolder.isEmpty())
        return;
    gatherDestinationNames();
    markCollisions(false);
}

void CConvertCtrl::deleteRow(int row)
{
    abandonPreview(); // the rows move
    const ConvertListModel::Removal removal = m_list.deleteRow(row);
    m_ui->imageCountLabel->setText(QString::number(m_list.count()));
    if (!removal.duplicatesFound)
        m_statusLine.clearLine();
    m_ui->convertList->selectRow(removal.rowToSelect);
}

bool CConvertCtrl::checkFolders(bool sourceSide)
{
    m_statusLine.clearLine();
    // By identity: a link to the source folder, "src/." or a bind mount is the same folder.
    const bool differ =
        m_sourceFolder != m_destinationFolder &&
        !FileIdentity::same(PathUtil::encodeName(m_sourceFolder),
                            PathUtil::encodeName(m_destinationFolder));
    if (!differ) {
        m_statusLine.showMessage(FoldersMustDiffer, OtherError);
        MessageBox::beep();
        (sourceSide ? m_sourceFolder : m_destinationFolder).clear();
    }
    if (sourceSide)
        m_ui->sourceFolderEdit->setText(m_sourceFolder);
    else
        m_ui->destinationFolderEdit->setText(m_destinationFolder);
    return differ;
}

void CConvertCtrl::refillConvertList()
{
    if (m_sourceFolder.isEmpty())
        return;
    abandonPreview();
    drawPlaceholder(true);
    const int group =
        std::clamp(m_ui->inputFormatCombo->currentIndex(), AllImagesIndex, LastGroupIndex);
    m_list.setNames(ImageFolderScan::listNames(m_sourceFolder, m_ui->nameFilterEdit->text(),
                                               m_preferences.extensionList(group)));
    m_ui->imageCountLabel->setText(QString::number(m_list.count()));
}

void CConvertCtrl::gatherDestinationNames()
{
    m_destinationNames =
        ImageFolderScan::destinationNames(m_destinationFolder, m_ui->nameFilterEdit->text(),
                                          m_preferences.extensionList(AllImagesIndex));
}

void CConvertCtrl::markDuplicates(bool scroll)
{
    const ConvertListModel::Marks marks = m_list.markDuplicates();
    if (!marks.found)
        return;
    if (scroll)
        m_ui->convertList->scrollTo(m_list.index(marks.firstRow));
    m_statusLine.showMessage(SameNamesPresent, DuplicateError);
}

void CConvertCtrl::markCollisions(bool announce)
{
    const ConvertListModel::Marks marks = m_list.markCollisions(
        m_destinationNames, m_destinationFolder, outputExtension(options().outputFormat),
        m_ui->replaceFilesCheck->isChecked());
    if (!announce)
        return;
    if (marks.firstRow >= 0)
        m_ui->convertList->scrollTo(m_list.index(marks.firstRow), QAbstractItemView::EnsureVisible);
    if (marks.found)
        m_statusLine.showMessage(DestinationCollision, CollisionError);
}

void CConvertCtrl::loadPreview(int row)
{
    abandonPreview();
    m_previewOwnsStatus = false;
    m_workingImage = QImage();
    m_statusLine.clearLine();
    if (row < 0 || row >= m_list.count())
        return;
    if (m_list.flags(row) & FileTypeError) {
        drawPlaceholder(true);
        m_statusLine.showMessage(ImageFileError, FileTypeError);
        return;
    }
    drawPlaceholder(false);
    const QString name = m_list.text(row);
    m_statusLine.showText(u"Loading "_s + PathUtil::displayName(name), Standard);
    m_previewOwnsStatus = true;

    const ConversionOptions current = options();
    PreviewRequest request;
    request.sourcePath = PathUtil::append(m_sourceFolder, name);
    request.frame = m_ui->previewFrame->size();
    request.rotation = m_list.rotation(row);
    request.outputFormat = current.outputFormat;
    request.jpegQualityPosition = current.jpegQualityPosition;
    request.grayscale = current.grayscale;
    request.rawBrightness = current.rawBrightness;
    request.rawExtensions = current.rawExtensions;
    const QPointer<CConvertCtrl> page(this);
    const PageServices::PreviewDone done = [page, awaited = m_previewRequest,
                                            row](const PreviewResult &preview) {
        if (page && page->m_previewRequest == awaited)
            page->showLoadedPreview(row, preview);
    };
    if (m_services.renderPreview)
        m_services.renderPreview(request, done);
    else
        done(ConvertPreview::render(request));
}

void CConvertCtrl::showLoadedPreview(int row, const PreviewResult &preview)
{
    abandonPreview();
    // A conversion started meanwhile owns the status line, its outcome must stay readable; so
    // does another page shown meanwhile.
    const bool status = std::exchange(m_previewOwnsStatus, false) && isVisible();
    if (!preview.loaded) {
        m_list.setFlag(row, FileTypeError, true);
        drawPlaceholder(true);
        if (status)
            m_statusLine.showText(loadString(ErrorLoadingImageFile) + preview.libraryMessage,
                                  FileTypeError);
        return;
    }
    m_ui->rawSlider->setEnabled(preview.raw);
    m_workingImage = preview.image;
    drawPreview();
    if (!status)
        return;
    m_statusLine.clearLine();
    const int flags = m_list.flags(row);
    if (flags & OtherError)
        m_statusLine.showMessage(PreviewError, OtherError);
    else if (flags & DuplicateError)
        m_statusLine.showMessage(PreviewIdenticalNames, DuplicateError);
    else if (flags & CollisionError)
        m_statusLine.showMessage(DestinationCollision, CollisionError);
}

void CConvertCtrl::redrawPreview()
{
    drawPreview();
}

void CConvertCtrl::clearPreview()
{
    abandonPreview();
    m_workingImage = QImage();
}

void CConvertCtrl::drawPreview()
{
    if (!m_workingImage.isNull())
        m_ui->previewFrame->showPicture(m_workingImage);
}

void CConvertCtrl::drawPlaceholder(bool show)
{
    if (show) {
        m_workingImage = turned(m_placeholder, m_placeholderAngle);
        m_ui->previewFrame->showPlaceholder(m_workingImage);
    } else {
        m_ui->previewFrame->blank();
        m_placeholderAngle = 0;
    }
}

void CConvertCtrl::rotateSelection(int degrees)
{
    const int row = m_ui->convertList->selectedRow();
    if (row < 0) {
        m_placeholderAngle = (m_placeholderAngle + degrees) % 360;
        drawPlaceholder(true);
        return;
    }
    if (m_workingImage.isNull())
        return;
    const QImage picture = m_workingImage;
    drawPlaceholder(false);
    m_list.setRotation(row, (m_list.rotation(row) + degrees) % 360);
    m_workingImage = turned(picture, degrees);
    drawPreview();
}

void CConvertCtrl::showCurrentRow(int row)
{
    m_ui->convertList->selectRow(row);
    m_ui->convertList->setFocus();
    m_ui->convertList->repaint();
}

void CConvertCtrl::showStatus(const QString &text, int kind)
{
    m_previewOwnsStatus = false;
    m_statusLine.showText(text, kind);
}

void CConvertCtrl::setViewLogEnabled(bool enabled)
{
    m_ui->viewLogButton->setEnabled(enabled);
}

void CConvertCtrl::clearWorkingImage()
{
    m_workingImage = QImage();
}

void CConvertCtrl::showPlaceholder()
{
    drawPlaceholder(true);
}

void CConvertCtrl::beep()
{
    MessageBox::beep();
}

void CConvertCtrl::deselectAll()
{
    m_ui->convertList->clearSelectionAndFocus();
}

void CConvertCtrl::runStarted(int total)
{
    m_runProgress.begin(total);
}

void CConvertCtrl::showProgress(int done, int total)
{
    Q_UNUSED(total);
    m_runProgress.setDone(done);
}

void CConvertCtrl::runFinished()
{
    m_runProgress.end();
}
