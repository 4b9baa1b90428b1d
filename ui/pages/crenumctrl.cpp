// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "pages/crenumctrl.h"

#include "convert/waitcursor.h"
#include "imaging/convertpreview.h"
#include "prefs/preferences.h"
#include "rename/filerenamer.h"
#include "rename/newnamegenerator.h"
#include "rename/takendatereader.h"
#include "strings/stringtable.h"
#include "ui_crenumctrl.h"
#include "util/pathutil.h"
#include "widgets/folderdrop.h"
#include "widgets/layoutscale.h"
#include "widgets/messagebox.h"
#include "widgets/pageservices.h"
#include "widgets/statusline.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QShortcut>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString FilterByFormat[] = {u"*.jpg"_s, u"*.png"_s, u"*.tif"_s, u"*.webp"_s};

} // namespace

CRenumCtrl::CRenumCtrl(Preferences &preferences, StatusLine &statusLine,
                       const PageServices &services, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_statusLine(statusLine)
    , m_services(services)
    , m_ui(std::make_unique<Ui::CRenumCtrl>())
{
    m_ui->setupUi(this);
    setObjectName(u"renamePage"_s);

    m_ui->folderButton->setIcon(QFileIconProvider().icon(QFileIconProvider::Folder));
    m_ui->folderButton->setText(QString());
    m_ui->folderButton->setAccessibleName(loadString(ChooseRenameFolder));
    m_ui->folderButton->setToolTip(loadString(ChooseRenameFolder));
    m_ui->fileCountLabel->setTitle(m_ui->fileCountTitle->text());
    // Room for a large count and a large file's size.
    LayoutScale::reserve(m_ui->fileCountLabel, {u"99999"_s});
    LayoutScale::reserve(m_ui->fileSizeLabel, {QLocale::system().toString(99999.99, 'f', 2) +
                                               loadString(KilobyteSuffix)});
    showOwnFolderControls(false);

    m_ui->renameList->attach(m_rows, m_preferences);
    m_ui->filterEdit->setText(u"*.*"_s);
    m_filter = u"*.*"_s;
    m_ui->digitsSpin->setRange(1, NewNameGenerator::MaximumDigits);
    m_ui->digitsSpin->setValue(1);
    // Digits only: a number validator would take a minus sign.
    m_ui->startEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(u"[0-9]*"_s), this));
    m_ui->renumberButton->setEnabled(false);
    m_ui->undoButton->setText(loadString(UndoButton));
    m_ui->undoButton->setAccessibleName(loadString(UndoButton));
    m_ui->undoButton->setToolTip(loadString(UndoTooltip));
    // While the focus is on the page; a text field takes the key for its own undo. Not the
    // button's own shortcut, which would click only after its animation.
    auto *undoKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    undoKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(undoKey, &QShortcut::activated, m_ui->undoButton, &QPushButton::click);
    m_ui->undoButton->setEnabled(false);

    connect(m_ui->folderButton, &QPushButton::clicked, this, &CRenumCtrl::chooseFolder);
    // Anywhere on the page; the list's own drag of rows is no drag of links.
    FolderDrop::install(this, [this](const QString &folder) { listOwnFolder(folder); });
    connect(m_ui->baseNameEdit, &QLineEdit::textChanged, this,
            [this] { refreshNewNames(m_ui->digitsSpin->value()); });
    connect(m_ui->startEdit, &QLineEdit::textChanged, this, [this] {
        startNumberChanged();
        refreshNewNames(m_ui->digitsSpin->value());
    });
    connect(m_ui->digitsSpin, &QSpinBox::valueChanged, this, &CRenumCtrl::refreshNewNames);
    connect(m_ui->renumberButton, &QPushButton::clicked, this, &CRenumCtrl::renumber);
    connect(m_ui->undoButton, &QPushButton::clicked, this, &CRenumCtrl::undo);
    m_resortTimer.setSingleShot(true);
    m_resortTimer.setInterval(100);
    connect(&m_resortTimer, &QTimer::timeout, this, &CRenumCtrl::resortByDate);
    connect(m_ui->renameList, &CRenameLvCtrl::rowActivated, this, &CRenumCtrl::requestPreview);
    connect(m_ui->renameList, &CRenameLvCtrl::selectionMoved, this, &CRenumCtrl::showFileSize);
    connect(m_ui->renameList, &CRenameLvCtrl::rowCountChanged, this,
            [this](int count) { m_ui->fileCountLabel->setLiveText(QString::number(count)); });
    connect(m_ui->renameList, &CRenameLvCtrl::newNamesComputed, this,
            [this](const NewNameGenerator::Marks &marks) {
                m_ui->renumberButton->setEnabled(!marks.conflictFound && !waitingForDates());
            });
    connect(m_ui->renameList, &CRenameLvCtrl::sorted, this, &CRenumCtrl::announceSort);
    connect(m_ui->renameList, &CRenameLvCtrl::rowMoved, this, [this](int row) {
        if (m_ui->renameList->settings().conflictFound)
            return;
        m_statusLine.showRenameText(
            loadString(RowMovedTo)
                .arg(PathUtil::displayName(m_rows.items().at(row).currentName))
                .arg(row + 1)
                .arg(m_rows.count()),
            false);
        m_statusLine.speakLine();
    });

    m_ui->startEdit->setText(u"1"_s);
}

CRenumCtrl::~CRenumCtrl() = default;

void CRenumCtrl::takeOverFolder(const QString &folder, int outputFormatIndex)
{
    m_folder = folder;
    const bool fromConvertPage = !folder.isEmpty();
    showOwnFolderControls(!fromConvertPage);
    if (!fromConvertPage) {
        m_filter = u"*.*"_s;
        return;
    }
    m_ui->folderEdit->setText(m_folder);
    if (outputFormatIndex >= 0 && outputFormatIndex < 4)
        m_filter = FilterByFormat[outputFormatIndex];
    scan();
}

void CRenumCtrl::clearListing()
{
    ++m_previewRequest;
    ++m_datesRequest;
    m_rows.clear();
}

void CRenumCtrl::chooseFolder()
{
    QString chosen = m_ui->folderEdit->text();
    if (m_services.folderChooser.chooseFolder(this, loadString(ChooseRenameFolder), chosen))
        listOwnFolder(chosen);
}

void CRenumCtrl::listOwnFolder(const QString &folder)
{
    // The page's own filter applies now, and is shown.
    showOwnFolderControls(true);
    m_ui->folderEdit->setText(folder);
    m_folder = folder;
    m_filter = m_ui->filterEdit->text();
    scan();
}

void CRenumCtrl::showOwnFolderControls(bool shown)
{
    for (QWidget *own :
         {static_cast<QWidget *>(m_ui->folderButton), static_cast<QWidget *>(m_ui->filterLabel),
          static_cast<QWidget *>(m_ui->filterEdit)})
        own->setVisible(shown);
}

void CRenumCtrl::scan()
{
    refreshUndo();
    if (m_folder.isEmpty())
        return;
    m_statusLine.clearLine();
    const WaitCursor waitCursor;
    ++m_previewRequest;
    m_rows.scanFolder(m_folder, m_filter);
    m_ui->renameList->computeNewNames();
    m_ui->renameList->horizontalHeader()->viewport()->update();
    m_ui->renameList->fitColumns();
    m_ui->fileCountLabel->setLiveText(QString::number(m_rows.count()));

    const int minimum = NewNameGenerator::minimumDigitsForCount(m_rows.count());
    const QSignalBlocker quiet(m_ui->digitsSpin);
    const int digits = std::max(m_ui->digitsSpin->value(), minimum);
    m_ui->digitsSpin->setRange(minimum, NewNameGenerator::MaximumDigits);
    m_ui->digitsSpin->setValue(digits);
    refreshNewNames(digits);
    requestDates();
}

void CRenumCtrl::requestDates()
{
    const quint64 awaited = ++m_datesRequest;
    m_resortTimer.stop();
    m_resortDue = false;
    const QStringList &names = m_rows.listedNames();
    if (names.isEmpty())
        return;
    const QPointer<CRenumCtrl> page(this);
    PageServices::DatesDone done = [page, awaited](int first, const QList<TakenDate> &dates) {
        if (page && page->m_datesRequest == awaited)
            page->takeDates(first, dates);
    };
    if (m_services.readDates) {
        m_services.readDates(m_folder, names, std::move(done));
        return;
    }
    QList<TakenDate> dates;
    dates.reserve(names.size());
    for (const QString &name : names)
        dates.append(TakenDateReader::read(PathUtil::append(m_folder, name)));
    done(0, dates);
}

void CRenumCtrl::takeDates(int first, const QList<TakenDate> &dates)
{
    const bool moved = m_rows.setDates(first, dates);
    const bool byDate = m_rows.sortColumn() == RenameListModel::DateTakenColumn &&
                        m_rows.sortOrder() != RenameListModel::SortOrder::None;
    if (!byDate)
        return;
    // Answers come in many small parts: the list is sorted again at most every few frames while
    // they come, and at once when the last is in.
    if (moved)
        m_resortDue = true;
    if (m_rows.datesPending() > 0) {
        if (m_resortDue && !m_resortTimer.isActive())
            m_resortTimer.start();
        return;
    }
    m_resortTimer.stop();
    resortByDate();
    m_ui->renumberButton->setEnabled(!m_ui->renameList->settings().conflictFound);
}

void CRenumCtrl::resortByDate()
{
    if (!std::exchange(m_resortDue, false) ||
        m_rows.sortColumn() != RenameListModel::DateTakenColumn ||
        m_rows.sortOrder() == RenameListModel::SortOrder::None)
        return;
    m_rows.sortRows(m_rows.sortOrder(), RenameListModel::DateTakenColumn);
    m_ui->renameList->computeNewNames();
}

bool CRenumCtrl::waitingForDates() const
{
    // Numbering in shooting order before every date is known would number in another order.
    return m_rows.datesPending() > 0 && m_rows.sortColumn() == RenameListModel::DateTakenColumn &&
           m_rows.sortOrder() != RenameListModel::SortOrder::None;
}

void CRenumCtrl::announceSort()
{
    if (m_ui->renameList->settings().conflictFound)
        return;
    const bool descending = m_rows.sortOrder() == RenameListModel::SortOrder::Descending;
    if (m_rows.sortColumn() == RenameListModel::DateTakenColumn)
        m_statusLine.showRenameMessage(descending ? SortedByDateDescending : SortedByDateAscending,
                                       false);
    else
        m_statusLine.showRenameMessage(descending ? SortedByNameDescending : SortedByNameAscending,
                                       false);
    m_statusLine.speakLine();
}

int CRenumCtrl::startNumber() const
{
    return NewNameGenerator::startNumberFromText(m_ui->startEdit->text());
}

void CRenumCtrl::refreshNewNames(int digitCount)
{
    m_statusLine.clearLine();
    const NewNameGenerator::Refresh refresh =
        NewNameGenerator::refreshNewNames(m_rows, m_ui->renameList->settings(),
                                          m_ui->baseNameEdit->text(), digitCount, startNumber());
    if (!refresh.computed)
        return;
    m_ui->renumberButton->setEnabled(refresh.renumberEnabled() && !waitingForDates());
    m_ui->renameList->showFirstConflict(refresh.marks.firstConflictRow);
    if (refresh.marks.conflictFound) {
        m_statusLine.showRenameMessage(RenameConflicts, true);
        MessageBox::beep();
    }
}

void CRenumCtrl::startNumberChanged()
{
    int digits = m_ui->digitsSpin->value();
    const int last = std::min(NewNameGenerator::digitsForLastNumber(m_rows.count(), startNumber()),
                              NewNameGenerator::MaximumDigits);
    const QSignalBlocker quiet(m_ui->digitsSpin);
    if (last > digits) {
        digits = last;
        m_ui->digitsSpin->setRange(last, NewNameGenerator::MaximumDigits);
    }
    m_ui->digitsSpin->setValue(digits);
}

void CRenumCtrl::renumber()
{
    const QList<RenameItem> &rows = m_rows.items();
    if (rows.isEmpty() || rows.first().newName.isEmpty())
        return;
    // A renumber that renames nothing leaves the last one's undo standing.
    const std::optional<RenameJournal> previous = RenameJournal::load(m_folder);
    // No rename before its record is safe on disk: a crash must leave something to go by.
    RenameJournal journal;
    FileResult recorded = journal.record(m_folder, rows);
    if (recorded.ok)
        recorded = journal.save();
    if (!recorded.ok) {
        const QString text = loadString(RenumberNotStarted).arg(recorded.reason);
        m_statusLine.showRenameText(text, true);
        if (m_services.showMessage)
            m_services.showMessage(text);
        MessageBox::beep();
        return;
    }
    const RenameResult result = FileRenamer::renameFiles(m_folder, m_rows);
    FileResult kept = journal.finished(result.renamedCount);
    if (kept.ok && result.renamedCount == 0 && previous &&
        previous->state() == RenameJournal::State::Completed)
        kept = previous->save();
    if (result.outcome == RenameResult::Stopped) {
        m_statusLine.showRenameMessage(RenameAborted, true);
        if (m_services.showMessage)
            m_services.showMessage(result.errorText);
    }
    if (!kept.ok && m_services.showMessage)
        m_services.showMessage(loadString(JournalNotUpdated).arg(kept.reason));
    m_ui->baseNameEdit->clear();
    scan();
    MessageBox::beep();
    m_statusLine.showRenameMessage(RenameFinished, false);
    m_statusLine.speakLine();
}

void CRenumCtrl::undo()
{
    const std::optional<RenameJournal> journal = RenameJournal::load(m_folder);
    if (!journal || journal->state() != RenameJournal::State::Completed) {
        refreshUndo();
        return;
    }
    const RenameJournal::Outcome outcome = journal->undo();
    scan();
    report(loadString(UndoDone).arg(outcome.renamed).arg(journal->entries().size()), outcome);
}

void CRenumCtrl::refreshUndo()
{
    const std::optional<RenameJournal> journal =
        m_folder.isEmpty() ? std::nullopt : RenameJournal::load(m_folder);
    m_ui->undoButton->setEnabled(journal && journal->state() == RenameJournal::State::Completed);
}

void CRenumCtrl::report(const QString &done, const RenameJournal::Outcome &outcome)
{
    MessageBox::beep();
    if (!outcome.ok || !outcome.leftAlone.isEmpty()) {
        QStringList names;
        for (const QString &name : outcome.leftAlone)
            names.append(PathUtil::displayName(name));
        const QString all =
            outcome.ok ? loadString(FilesLeftAlone).arg(names.join(u", "_s)) : outcome.failure;
        // The status line stays one line: the first few names, the message has them all.
        constexpr int Shown = 5;
        const QString some = names.size() <= Shown
                                 ? all
                                 : loadString(FilesLeftAlone)
                                       .arg(loadString(MoreNames)
                                                .arg(names.first(Shown).join(u", "_s))
                                                .arg(names.size() - Shown));
        m_statusLine.showRenameText(outcome.ok ? done + u' ' + some : all, true);
        if (m_services.showMessage)
            m_services.showMessage(outcome.ok ? done + u"\n\n"_s + all : all);
        return;
    }
    m_statusLine.showRenameText(done, false);
    m_statusLine.speakLine();
}

void CRenumCtrl::recoverInterrupted()
{
    if (!m_services.ask)
        return;
    for (RenameJournal &journal : RenameJournal::interrupted()) {
        const RenameJournal::Survey survey = journal.survey();
        const QString folder = PathUtil::displayName(journal.folder());
        const qsizetype files = journal.entries().size();
        int choice = 0; // every file renamed: the run only missed being marked complete
        if (survey.renamed < files) {
            // Neither way would rename anything (the folder is not there now, say): later.
            if (survey.renamed == 0 && survey.notRenamed == 0)
                continue;
            choice = m_services.ask(
                loadString(RenumberInterrupted).arg(folder).arg(survey.renamed).arg(files),
                {loadString(FinishChoice), loadString(UndoChoice), loadString(LaterChoice)});
        }
        if (choice != 0 && choice != 1)
            continue;
        const RenameJournal::Outcome outcome = choice == 0 ? journal.finish() : journal.undo();
        if (journal.folder() == QDir::cleanPath(m_folder))
            scan();
        if (survey.renamed < files)
            report(loadString(choice == 0 ? InterruptedFinished : InterruptedUndone)
                       .arg(folder)
                       .arg(outcome.renamed),
                   outcome);
    }
}

void CRenumCtrl::requestPreview()
{
    if (m_previewPending)
        return;
    m_previewPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_previewPending = false;
            m_ui->renameList->viewport()->repaint();
            showPreview();
        },
        Qt::QueuedConnection);
}

void CRenumCtrl::showPreview()
{
    const quint64 awaited = ++m_previewRequest;
    const int row = m_ui->renameList->selectedRow();
    if (row < 0)
        return;
    PreviewFrame *area = m_ui->previewArea;
    area->blank();
    PreviewRequest request;
    request.sourcePath = PathUtil::append(m_folder, m_rows.currentName(row));
    request.frame = area->contentsRect().size();
    request.outputFormat = OutputFormat::Png; // the picture as it is, without JPEG losses
    request.rawExtensions = m_preferences.extensionList(ImageFormatGroup::RawImages);
    const QPointer<CRenumCtrl> page(this);
    const PageServices::PreviewDone done =
        [page, awaited, path = request.sourcePath](const PreviewResult &preview) {
            if (!page || page->m_previewRequest != awaited)
                return;
            if (preview.loaded)
                page->m_ui->previewArea->showPicture(preview.image);
            else if (!preview.recognised)
                page->showFileIcon(path);
            else
                page->m_statusLine.showRenameText(
                    loadString(ErrorLoadingImageFile) + preview.libraryMessage, true);
        };
    if (m_services.renderPreview)
        m_services.renderPreview(request, done);
    else
        done(ConvertPreview::render(request));
}

void CRenumCtrl::showFileIcon(const QString &path)
{
    QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    // Qt finds no file by a name that is not UTF-8; it is a file all the same.
    if (icon.isNull())
        icon = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    PreviewFrame *area = m_ui->previewArea;
    const QSize size = area->contentsRect().adjusted(32, 32, -32, -32).size();
    area->showIcon(icon.pixmap(size).toImage());
}

void CRenumCtrl::showFileSize()
{
    m_ui->fileSizeLabel->clear();
    const int row = m_ui->renameList->selectedRow();
    if (row < 0)
        return;
    const QByteArray path =
        PathUtil::encodeName(PathUtil::append(m_folder, m_rows.currentName(row)));
    struct stat status;
    if (::stat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0)
        return;
    m_ui->fileSizeLabel->setText(
        QLocale::system().toString(double(status.st_size) / 1024.0, 'f', 2) +
        loadString(KilobyteSuffix));
}
