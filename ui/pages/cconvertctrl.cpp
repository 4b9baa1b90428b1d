// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/cconvertctrl.h"

#include "convert/convertsession.h"
#include "imaging/librarymessages.h"
#include "prefs/preferences.h"
#include "prefs/sessionstate.h"
#include "strings/stringtable.h"
#include "ui_cconvertctrl.h"
#include "util/pathutil.h"
#include "widgets/folderdrop.h"
#include "widgets/layoutscale.h"
#include "widgets/messagebox.h"
#include "widgets/pageservices.h"
#include "widgets/readableicon.h"
#include "widgets/runprogress.h"
#include "widgets/statusline.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QShowEvent>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const int OutputNameIds[] = {GroupJpgImages, GroupPngImages, GroupTifImages, GroupWebImages};

} // namespace

CConvertCtrl::CConvertCtrl(Preferences &preferences, StatusLine &statusLine,
                           RunProgress &runProgress, const PageServices &services, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_statusLine(statusLine)
    , m_runProgress(runProgress)
    , m_services(services)
    , m_ui(std::make_unique<Ui::CConvertCtrl>())
    , m_session(std::make_unique<ConvertSession>(preferences, services.conversionRunner,
                                                 services.renderPreview))
{
    m_ui->setupUi(this);
    setObjectName(u"convertPage"_s);
    m_session->setStopGrace(services.stopGraceMs);
    m_session->setPlaceholder(QImage(u":/icons/placeholder.png"_s));
    // The check box stands on the group's edge like its title, and names the group.
    m_ui->resizeCheck->setAutoFillBackground(true);
    m_ui->resizeCheck->raise();
    m_ui->resizeFrame->setAccessibleName(m_ui->resizeCheck->text());
    // Its box, which hides the edge, ends where its text does, however long the translation.
    m_ui->resizeCheck->resize(
        std::max(m_ui->resizeCheck->width(), m_ui->resizeCheck->sizeHint().width()),
        m_ui->resizeCheck->height());

    // Icons in place of the buttons' texts, and names that say what each does.
    const QIcon folderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);
    const struct
    {
        QPushButton *button;
        QIcon icon;
        int name;
    } iconButtons[] = {
        {m_ui->sourceFolderButton, folderIcon, ChooseSourceFolder},
        {m_ui->destinationFolderButton, folderIcon, ChooseDestinationFolder},
        {m_ui->rotateRightButton,
         QIcon::fromTheme(u"object-rotate-right"_s,
                          ReadableIcon::load(u":/icons/rotate-right.png"_s, palette())),
         TurnClockwise},
        {m_ui->rotateLeftButton,
         QIcon::fromTheme(u"object-rotate-left"_s,
                          ReadableIcon::load(u":/icons/rotate-left.png"_s, palette())),
         TurnCounterclockwise},
        {m_ui->openDestinationButton, QIcon::fromTheme(u"folder-open"_s, folderIcon),
         OpenDestinationFolder}};
    for (const auto &[button, icon, name] : iconButtons) {
        button->setIcon(icon);
        button->setText(QString());
        button->setAccessibleName(loadString(name));
        button->setToolTip(loadString(name));
    }
    m_ui->keepFileDatesCheck->setText(loadString(KeepFileDates));
    m_ui->imageCountLabel->setTitle(m_ui->imageCountTitle->text());
    // Each position is 5 %.
    m_ui->qualitySlider->setShownStep(5);

    // Room for what the labels show later: the widest quality and brightness, a large count.
    LayoutScale::reserve(m_ui->qualityPercentLabel, {u"100%"_s});
    QStringList words;
    for (int id = QualityBad; id <= QualityMaximal; ++id)
        words.append(loadString(id));
    LayoutScale::reserve(m_ui->qualityWordLabel, words);
    LayoutScale::reserve(m_ui->rawLabel, {loadString(RawBrightnessValue).arg(-8)});
    LayoutScale::reserve(m_ui->imageCountLabel, {u"99999"_s});
}

CConvertCtrl::~CConvertCtrl()
{
    // The session goes first: nothing it still hears of may reach this page half gone.
    m_session.reset();
}

bool CConvertCtrl::initialise()
{
    if (m_services.imageLibraryUsable && !m_services.imageLibraryUsable()) {
        if (m_services.showMessage)
            m_services.showMessage(loadString(ImageLibraryMissing));
        return false;
    }

    m_ui->inputFormatCombo->addItem(loadString(GroupAllImages) + u" ("_s +
                                    m_preferences.extensionList(AllImagesIndex) + u')');
    for (int i = FirstGroupIndex; i <= LastGroupIndex; ++i)
        m_ui->inputFormatCombo->addItem(loadString(GroupAllImages + i) + u" ("_s +
                                        m_preferences.extensionList(i) + u')');
    for (int format = 0; format < OutputFormatCount; ++format)
        m_ui->outputFormatCombo->addItem(loadString(OutputNameIds[format]) + u" (*"_s +
                                         outputExtension(OutputFormat(format)) + u')');
    m_ui->inputFormatCombo->setCurrentIndex(0);
    m_ui->outputFormatCombo->setCurrentIndex(0);

    m_ui->convertList->attach(m_session->list(), m_preferences);
    m_ui->previewFrame->resize(m_ui->previewFrame->height(), m_ui->previewFrame->height());
    m_ui->nameFilterEdit->setText(u"*"_s);
    m_ui->qualitySlider->setValue(ConversionOptions::DefaultJpegQualityPosition);
    qualityChanged(m_ui->qualitySlider->value());
    m_ui->rawSlider->setValue(ConversionOptions::DefaultRawBrightness);
    rawBrightnessChanged(m_ui->rawSlider->value());
    applyResizeRule();
    m_ui->replaceFilesCheck->setChecked(true);
    m_ui->resizePixelsEdit->setValidator(new QIntValidator(this));
    m_session->setFrameSize(m_ui->previewFrame->size());
    m_session->setPageShown(isVisible());
    syncOptions();

    // The session has the control values before any handler runs.
    connect(m_ui->outputFormatCombo, &QComboBox::currentIndexChanged, this,
            &CConvertCtrl::syncOptions);
    const std::initializer_list<QAbstractButton *> optionButtons = {
        m_ui->grayscaleCheck, m_ui->deleteMetadataCheck, m_ui->resizeCheck,
        m_ui->widthRadio,     m_ui->heightRadio,         m_ui->smallSideRadio,
        m_ui->largeSideRadio, m_ui->replaceFilesCheck,   m_ui->keepFileDatesCheck};
    for (QAbstractButton *button : optionButtons)
        connect(button, &QAbstractButton::toggled, this, &CConvertCtrl::syncOptions);
    for (QSlider *slider : {static_cast<QSlider *>(m_ui->qualitySlider), m_ui->rawSlider})
        connect(slider, &QSlider::valueChanged, this, &CConvertCtrl::syncOptions);
    connect(m_ui->resizePixelsEdit, &QLineEdit::textChanged, this, &CConvertCtrl::syncOptions);
    connectSession();

    connect(m_ui->sourceFolderButton, &QPushButton::clicked, this,
            &CConvertCtrl::chooseSourceFolder);
    connect(m_ui->destinationFolderButton, &QPushButton::clicked, this,
            &CConvertCtrl::chooseDestinationFolder);
    connect(m_ui->rotateRightButton, &QPushButton::clicked, this,
            [this] { m_session->rotate(m_ui->convertList->selectedRow(), -90); });
    connect(m_ui->rotateLeftButton, &QPushButton::clicked, this,
            [this] { m_session->rotate(m_ui->convertList->selectedRow(), 90); });
    connect(m_ui->viewLogButton, &QPushButton::clicked, this, &CConvertCtrl::viewLogFile);
    connect(m_ui->openDestinationButton, &QPushButton::clicked, this,
            &CConvertCtrl::openDestinationFolder);
    FolderDrop::install(m_ui->sourceFolderEdit,
                        [this](const QString &folder) { m_session->chooseSourceFolder(folder); });
    FolderDrop::install(m_ui->destinationFolderEdit, [this](const QString &folder) {
        m_session->chooseDestinationFolder(folder);
    });
    connect(m_ui->inputFormatCombo, &QComboBox::currentIndexChanged, m_session.get(),
            &ConvertSession::chooseInputGroup);
    connect(m_ui->outputFormatCombo, &QComboBox::currentIndexChanged, this,
            &CConvertCtrl::outputFormatChanged);
    connect(m_ui->nameFilterEdit, &QLineEdit::textChanged, m_session.get(),
            &ConvertSession::setNameFilter);
    // However a box changes: Space, the mouse, or a screen reader's toggle action.
    connect(m_ui->resizeCheck, &QCheckBox::toggled, this, &CConvertCtrl::applyResizeRule);
    connect(m_ui->grayscaleCheck, &QCheckBox::toggled, this,
            [this] { m_session->loadPreview(m_ui->convertList->selectedRow()); });
    connect(m_ui->replaceFilesCheck, &QCheckBox::toggled, m_session.get(),
            &ConvertSession::replaceFilesChanged);
    connect(m_ui->convertList, &CConvLvCtrl::rowActivated, this, &CConvertCtrl::requestPreview);
    connect(m_ui->convertList, &CConvLvCtrl::deleteRequested, this, &CConvertCtrl::deleteRow);
    connect(m_ui->convertList, &QListView::doubleClicked, this, &CConvertCtrl::openSelectedSource);
    connect(m_ui->qualitySlider, &QSlider::valueChanged, this, &CConvertCtrl::qualityChanged);
    connect(m_ui->rawSlider, &QSlider::valueChanged, this, &CConvertCtrl::rawBrightnessChanged);
    for (QSlider *slider : {static_cast<QSlider *>(m_ui->qualitySlider), m_ui->rawSlider}) {
        connect(slider, &QSlider::sliderReleased, this, &CConvertCtrl::sliderSettled);
        // Keys, the wheel and clicks beside the handle end their move at once.
        connect(slider, &QSlider::valueChanged, this, [this, slider] {
            if (!slider->isSliderDown())
                sliderSettled();
        });
    }
    connect(m_ui->convertImageButton, &QPushButton::clicked, this,
            [this] { m_session->convertImage(m_ui->convertList->selectedRow()); });
    connect(m_ui->convertAllButton, &QPushButton::clicked, m_session.get(),
            &ConvertSession::convertAll);
    connect(&m_runProgress, &RunProgress::stopRequested, m_session.get(), &ConvertSession::stop);

    m_session->showPlaceholder();
    LibraryMessages::install();
    return true;
}

int CConvertCtrl::outputFormatIndex() const
{
    return m_ui->outputFormatCombo->currentIndex();
}

QString CConvertCtrl::sourceFolder() const
{
    return m_session->sourceFolder();
}

QString CConvertCtrl::destinationFolder() const
{
    return m_session->destinationFolder();
}

ConvertListModel &CConvertCtrl::listModel()
{
    return m_session->list();
}

int CConvertCtrl::placeholderAngle() const
{
    return m_session->placeholderAngle();
}

ConversionOptions CConvertCtrl::options() const
{
    return m_session->options();
}

void CConvertCtrl::syncOptions()
{
    ConversionOptions options;
    options.outputFormat = OutputFormat(std::clamp(outputFormatIndex(), 0, OutputFormatCount - 1));
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
    options.keepFileDates = m_ui->keepFileDatesCheck->isChecked();
    m_session->setOptions(options);
}

void CConvertCtrl::connectSession()
{
    ConvertSession *session = m_session.get();
    connect(session, &ConvertSession::statusShown, &m_statusLine, &StatusLine::showText);
    connect(session, &ConvertSession::beep, this, [] { MessageBox::beep(); });
    connect(session, &ConvertSession::sourceFolderShown, m_ui->sourceFolderEdit,
            &QLineEdit::setText);
    connect(session, &ConvertSession::destinationFolderShown, m_ui->destinationFolderEdit,
            &QLineEdit::setText);
    connect(session, &ConvertSession::destinationFolderShown, this, [this](const QString &folder) {
        m_ui->openDestinationButton->setEnabled(!folder.isEmpty());
    });
    connect(session, &ConvertSession::countChanged, this,
            [this](int count) { m_ui->imageCountLabel->setLiveText(QString::number(count)); });
    connect(session, &ConvertSession::rowBroughtIntoView, this,
            [this](int row) { m_ui->convertList->scrollTo(m_session->list().index(row)); });
    connect(session, &ConvertSession::pictureShown, m_ui->previewFrame, &PreviewFrame::showPicture);
    connect(session, &ConvertSession::placeholderShown, m_ui->previewFrame,
            &PreviewFrame::showPlaceholder);
    connect(session, &ConvertSession::frameBlanked, m_ui->previewFrame, &PreviewFrame::blank);
    connect(session, &ConvertSession::rawBrightnessApplies, m_ui->rawSlider, &QWidget::setEnabled);

    connect(session, &ConvertSession::conversionStarted, this, [this] { setBusy(true); });
    connect(session, &ConvertSession::runStarted, &m_runProgress, &RunProgress::begin);
    connect(session, &ConvertSession::progressChanged, &m_runProgress,
            [this](int done) { m_runProgress.setDone(done); });
    connect(session, &ConvertSession::currentRowShown, this, [this](int row) {
        m_ui->convertList->showRunRow(row);
        m_focusBeforeBusy = m_ui->convertList; // it takes the focus once the page is enabled
        m_ui->convertList->repaint();
    });
    connect(session, &ConvertSession::runEnded, this, [this] {
        m_runProgress.end();
        // The previews the run's own selections asked for are dropped.
        m_previewPending = false;
    });
    connect(session, &ConvertSession::viewLogEnabled, m_ui->viewLogButton, &QWidget::setEnabled);
    connect(session, &ConvertSession::allDeselected, m_ui->convertList,
            &CConvLvCtrl::clearSelectionAndFocus);
    connect(session, &ConvertSession::conversionFinished, this, [this](const QString &endText) {
        m_ui->convertList->showRunRow(-1);
        setBusy(false);
        // The line shows the end text; spoken after the focus has come back, so that a reader
        // announcing the focus does not cut it short.
        if (!endText.isEmpty())
            m_statusLine.speakLine();
    });
    connect(session, &ConvertSession::turnedTo, this, [this](int degrees) {
        const int clockwise = (360 - degrees) % 360;
        m_statusLine.say(clockwise == 0 ? loadString(NotTurned)
                                        : loadString(TurnedClockwise).arg(clockwise));
    });
}

void CConvertCtrl::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    // Nothing on the page may change the list or the options while pictures are converted;
    // the focus comes back where it was, or to the list that showed the run's rows.
    if (busy) {
        QWidget *focus = QApplication::focusWidget();
        m_focusBeforeBusy = focus && isAncestorOf(focus) ? focus : nullptr;
    }
    setEnabled(!busy);
    if (!busy && m_focusBeforeBusy)
        m_focusBeforeBusy->setFocus();
    Q_EMIT busyChanged(busy);
}

void CConvertCtrl::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_session->setPageShown(isVisible());
}

void CConvertCtrl::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_session->setPageShown(isVisible());
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
    m_session->clearList();
    QString folder = m_session->sourceFolder();
    m_services.folderChooser.chooseFolder(this, loadString(ChooseSourceFolder), folder);
    m_session->chooseSourceFolder(folder);
}

void CConvertCtrl::chooseDestinationFolder()
{
    QString folder = m_session->destinationFolder();
    m_services.folderChooser.chooseFolder(this, loadString(ChooseDestinationFolder), folder);
    m_session->chooseDestinationFolder(folder);
}

void CConvertCtrl::viewLogFile()
{
    const QString path = m_session->existingLogPath();
    if (!path.isEmpty())
        openOrSay(path, NoProgramForLog);
}

void CConvertCtrl::openDestinationFolder()
{
    const QString folder = m_session->destinationFolder();
    if (!folder.isEmpty())
        openOrSay(folder, NoProgramForFolder);
}

void CConvertCtrl::openOrSay(const QString &path, int failureText)
{
    if (m_services.openUrl && !m_services.openUrl(PathUtil::fileUrl(path)) &&
        m_services.showMessage)
        m_services.showMessage(loadString(failureText).arg(PathUtil::displayName(path)));
}

void CConvertCtrl::restoreState(const SessionState &state)
{
    if (state.outputFormat)
        m_ui->outputFormatCombo->setCurrentIndex(*state.outputFormat);
    if (state.qualityPercent)
        m_ui->qualitySlider->setValue((*state.qualityPercent + 2) / 5);
    // Turning resizing on chooses the width; the side comes after.
    if (state.resize)
        m_ui->resizeCheck->setChecked(*state.resize);
    QRadioButton *const sides[] = {m_ui->widthRadio, m_ui->heightRadio, m_ui->smallSideRadio,
                                   m_ui->largeSideRadio};
    if (state.resizeSide)
        sides[std::clamp(*state.resizeSide, 0, 3)]->setChecked(true);
    if (state.resizePixels)
        m_ui->resizePixelsEdit->setText(QString::number(*state.resizePixels));
    // Off must stay off: files the user protected in the last run stay protected in the next.
    if (state.replaceFiles)
        m_ui->replaceFilesCheck->setChecked(*state.replaceFiles);
    if (state.keepFileDates)
        m_ui->keepFileDatesCheck->setChecked(*state.keepFileDates);
    // The source last, so that its scan marks the collisions with the destination's files.
    if (!state.destinationFolder.isEmpty())
        m_session->chooseDestinationFolder(state.destinationFolder);
    if (!state.sourceFolder.isEmpty())
        m_session->chooseSourceFolder(state.sourceFolder);
}

void CConvertCtrl::recordState(SessionState &state) const
{
    const ConversionOptions current = options();
    state.sourceFolder = m_session->sourceFolder();
    state.destinationFolder = m_session->destinationFolder();
    state.outputFormat = int(current.outputFormat);
    state.qualityPercent = current.jpegQualityPosition * 5;
    state.resize = current.resize;
    state.resizeSide = int(current.resizeMode);
    if (current.resizePixels > 0)
        state.resizePixels = current.resizePixels;
    state.replaceFiles = current.replaceFiles;
    state.keepFileDates = current.keepFileDates;
}

void CConvertCtrl::outputFormatChanged(int index)
{
    const bool jpeg = index == int(OutputFormat::Jpeg);
    m_ui->qualityPercentLabel->setVisible(jpeg);
    m_ui->qualitySlider->setEnabled(jpeg);
    m_session->outputFormatChanged(m_ui->convertList->selectedRow());
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

void CConvertCtrl::qualityChanged(int position)
{
    const int percent = position * 5;
    m_ui->qualityPercentLabel->setText(QString::number(percent) + u'%');
    m_ui->qualityWordLabel->setText(qualityWord(percent));
    m_ui->qualitySlider->setShownText(m_ui->qualityPercentLabel->text() + u' ' +
                                      m_ui->qualityWordLabel->text());
}

void CConvertCtrl::rawBrightnessChanged(int position)
{
    m_ui->rawLabel->setText(loadString(RawBrightnessValue).arg(position));
}

void CConvertCtrl::sliderSettled()
{
    m_session->loadPreview(m_ui->convertList->selectedRow());
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
    if (!m_previewPending || m_session->isConvertingAll())
        return;
    m_previewPending = false;
    m_ui->convertList->repaint();
    m_session->loadPreview(m_ui->convertList->selectedRow());
}

void CConvertCtrl::openSelectedSource()
{
    const int row = m_ui->convertList->selectedRow();
    if (row >= 0 && m_services.openUrl)
        m_services.openUrl(PathUtil::fileUrl(
            PathUtil::append(m_session->sourceFolder(), m_session->list().text(row))));
}

void CConvertCtrl::deleteRow(int row)
{
    m_ui->convertList->selectRow(m_session->deleteRow(row));
}

void CConvertCtrl::redrawPreview()
{
    m_session->redrawPreview();
}

void CConvertCtrl::clearPreview()
{
    m_session->clearPreview();
}
