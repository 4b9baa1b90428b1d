// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/renamesession.h"

#include "imaging/outputformat.h"
#include "prefs/preferences.h"
#include "rename/filerenamer.h"
#include "rename/newnamegenerator.h"
#include "rename/takendatereader.h"
#include "strings/stringtable.h"
#include "util/backgroundtask.h"
#include "util/pathutil.h"

#include <QDir>
#include <QLocale>
#include <QPointer>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The folder's last renumber when Undo can take it back.
std::optional<RenameJournal> undoable(const QString &folder)
{
    std::optional<RenameJournal> journal =
        folder.isEmpty() ? std::nullopt : RenameJournal::load(folder);
    if (journal && journal->state() != RenameJournal::State::Completed)
        journal.reset();
    return journal;
}

} // namespace

// What a renumber did on its thread.
struct RenameSession::RenumberRun
{
    FileResult recorded; // its journal was saved before the first rename
    RenameResult result;
    FileResult kept; // the journal was updated after
};

struct RenameSession::UndoRun
{
    bool started = false; // the folder had a completed renumber to undo
    RenameJournal::Outcome outcome;
    qsizetype files = 0;
};

RenameSession::RenameSession(const Preferences &preferences, PreviewService preview,
                             DatesService dates, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_preview(std::move(preview))
    , m_dates(std::move(dates))
    , m_filter(u"*.*"_s)
    , m_startText(u"1"_s)
{
    m_resortTimer.setSingleShot(true);
    m_resortTimer.setInterval(100);
    connect(&m_resortTimer, &QTimer::timeout, this, &RenameSession::resortByDate);
}

void RenameSession::takeOverFolder(const QString &folder, int outputFormatIndex)
{
    m_folder = folder;
    if (folder.isEmpty()) {
        m_filter = u"*.*"_s;
        return;
    }
    if (outputFormatIndex >= 0 && outputFormatIndex < OutputFormatCount)
        m_filter = u'*' + outputExtension(OutputFormat(outputFormatIndex));
    scan();
}

void RenameSession::listFolder(const QString &folder, const QString &filter)
{
    m_folder = folder;
    m_filter = filter;
    scan();
}

void RenameSession::clearListing()
{
    ++m_previewRequest;
    ++m_datesRequest;
    m_list.clear();
}

void RenameSession::scan()
{
    refreshUndo();
    if (m_folder.isEmpty())
        return;
    showStatus({}, false);
    const WaitCursor waitCursor;
    ++m_previewRequest;
    m_list.scanFolder(m_folder, m_filter);
    computeNewNames();
    Q_EMIT listed();
    Q_EMIT countChanged(m_list.count());

    const int minimum = NewNameGenerator::minimumDigitsForCount(m_list.count());
    m_digits = std::max(m_digits, minimum);
    Q_EMIT digitsShown(minimum, m_digits);
    refreshNewNames();
    requestDates();
}

void RenameSession::setBaseName(const QString &baseName)
{
    m_baseName = baseName;
    if (!isBusy())
        refreshNewNames();
}

void RenameSession::setStartText(const QString &text)
{
    m_startText = text;
    if (isBusy())
        return;
    const int last = std::min(NewNameGenerator::digitsForLastNumber(m_list.count(), startNumber()),
                              NewNameGenerator::MaximumDigits);
    if (last > m_digits) {
        m_digits = last;
        Q_EMIT digitsShown(last, m_digits);
    }
    refreshNewNames();
}

void RenameSession::setDigitCount(int digits)
{
    m_digits = digits;
    if (!isBusy())
        refreshNewNames();
}

int RenameSession::startNumber() const
{
    return NewNameGenerator::startNumberFromText(m_startText);
}

void RenameSession::computeNewNames()
{
    const NewNameGenerator::Marks marks = NewNameGenerator::computeNewNames(m_list, m_settings);
    if (marks.firstConflictRow >= 0)
        Q_EMIT rowBroughtIntoView(marks.firstConflictRow);
    setRenumberEnabled(!marks.conflictFound && !waitingForDates());
}

void RenameSession::refreshNewNames()
{
    showStatus({}, false);
    const NewNameGenerator::Refresh refresh =
        NewNameGenerator::refreshNewNames(m_list, m_settings, m_baseName, m_digits, startNumber());
    if (!refresh.computed)
        return;
    setRenumberEnabled(refresh.renumberEnabled() && !waitingForDates());
    if (refresh.marks.firstConflictRow >= 0)
        Q_EMIT rowBroughtIntoView(refresh.marks.firstConflictRow);
    if (refresh.marks.conflictFound) {
        showStatus(refresh.message, true);
        Q_EMIT beep();
    }
}

void RenameSession::setRenumberEnabled(bool enabled)
{
    m_renumberEnabled = enabled;
    Q_EMIT renumberEnabledChanged(enabled);
}

void RenameSession::sortBy(int column)
{
    if (isBusy() || (column != RenameListModel::CurrentNameColumn &&
                     column != RenameListModel::DateTakenColumn))
        return;
    const auto order =
        m_list.sortOrder() == RenameListModel::SortOrder::Ascending && m_list.sortColumn() == column
            ? RenameListModel::SortOrder::Descending
            : RenameListModel::SortOrder::Ascending;
    m_list.sortRows(order, RenameListModel::Column(column));
    computeNewNames();
    announceSort();
}

void RenameSession::announceSort()
{
    if (m_settings.conflictFound)
        return;
    const bool descending = m_list.sortOrder() == RenameListModel::SortOrder::Descending;
    if (m_list.sortColumn() == RenameListModel::DateTakenColumn)
        showStatus(loadString(descending ? SortedByDateDescending : SortedByDateAscending), false);
    else
        showStatus(loadString(descending ? SortedByNameDescending : SortedByNameAscending), false);
    Q_EMIT statusSpoken();
}

int RenameSession::moveRowBy(int row, int step)
{
    const int target = row + step;
    if (isBusy() || row < 0 || row >= m_list.count() || target < 0 || target >= m_list.count())
        return -1;
    // Like a drag and drop: the order is the user's own now, and the numbering follows it.
    m_list.setSortOrder(RenameListModel::SortOrder::None);
    m_list.moveRow(row, target);
    computeNewNames();
    if (!m_settings.conflictFound) {
        showStatus(loadString(RowMovedTo)
                       .arg(PathUtil::displayName(m_list.currentName(target)))
                       .arg(target + 1)
                       .arg(m_list.count()),
                   false);
        Q_EMIT statusSpoken();
    }
    return target;
}

void RenameSession::beginDrag()
{
    if (isBusy())
        return;
    m_list.setSortOrder(RenameListModel::SortOrder::None);
    m_list.clearNewNames();
}

void RenameSession::dragRow(int from, int to)
{
    if (!isBusy())
        m_list.moveRow(from, to);
}

void RenameSession::drop()
{
    if (!isBusy())
        computeNewNames();
}

void RenameSession::removeRow(int row)
{
    if (!isBusy() && row >= 0 && m_list.removeRow(row))
        Q_EMIT countChanged(m_list.count());
}

void RenameSession::renumber()
{
    const QList<RenameItem> rows = m_list.items();
    if (isBusy() || rows.isEmpty() || rows.first().newName.isEmpty())
        return;
    setBusy(true);
    runInBackground(
        this,
        [folder = m_folder, rows] {
            RenumberRun run;
            // A renumber that renames nothing leaves the last one's undo standing.
            const std::optional<RenameJournal> previous = undoable(folder);
            // No rename before its record is safe on disk: a crash must leave something to go by.
            RenameJournal journal;
            run.recorded = journal.record(folder, rows);
            if (run.recorded.ok)
                run.recorded = journal.save();
            if (!run.recorded.ok)
                return run;
            run.result = FileRenamer::renameFiles(folder, rows);
            run.kept = journal.finished(run.result.renamedCount);
            if (run.kept.ok && run.result.renamedCount == 0 && previous)
                run.kept = previous->save();
            return run;
        },
        [this](const RenumberRun &run) { renumbered(run); });
}

void RenameSession::renumbered(const RenumberRun &run)
{
    setBusy(false);
    if (!run.recorded.ok) {
        const QString text = loadString(RenumberNotStarted).arg(run.recorded.reason);
        showStatus(text, true);
        Q_EMIT messageShown(text);
        Q_EMIT beep();
        Q_EMIT finished();
        return;
    }
    if (run.result.outcome == RenameResult::Stopped) {
        showStatus(loadString(RenameAborted), true);
        Q_EMIT messageShown(run.result.errorText);
    }
    if (!run.kept.ok)
        Q_EMIT messageShown(loadString(JournalNotUpdated).arg(run.kept.reason));
    // The names just given are no new names for the listing that follows.
    m_baseName.clear();
    Q_EMIT baseNameShown(m_baseName);
    refreshNewNames();
    scan();
    Q_EMIT beep();
    showOutcome(loadString(RenameFinished));
    Q_EMIT finished();
}

void RenameSession::undo()
{
    if (isBusy())
        return;
    setBusy(true);
    runInBackground(
        this,
        [folder = m_folder] {
            UndoRun run;
            const std::optional<RenameJournal> journal = undoable(folder);
            if (!journal)
                return run;
            run.started = true;
            run.outcome = journal->undo();
            run.files = journal->entries().size();
            return run;
        },
        [this](const UndoRun &run) { undone(run); });
}

void RenameSession::undone(const UndoRun &run)
{
    setBusy(false);
    if (!run.started) {
        refreshUndo();
    } else {
        scan();
        report(loadString(UndoDone).arg(run.outcome.renamed).arg(run.files), run.outcome);
    }
    Q_EMIT finished();
}

void RenameSession::setBusy(bool busy)
{
    if (busy)
        m_waitCursor.emplace();
    else
        m_waitCursor.reset();
    Q_EMIT busyChanged(busy);
}

void RenameSession::refreshUndo()
{
    m_undoEnabled = undoable(m_folder).has_value();
    Q_EMIT undoEnabledChanged(m_undoEnabled);
}

void RenameSession::report(const QString &done, const RenameJournal::Outcome &outcome)
{
    Q_EMIT beep();
    if (outcome.ok && outcome.leftAlone.isEmpty()) {
        showOutcome(done);
        return;
    }
    QStringList names;
    for (const QString &name : outcome.leftAlone)
        names.append(PathUtil::displayName(name));
    const QString all =
        outcome.ok ? loadString(FilesLeftAlone).arg(names.join(u", "_s)) : outcome.failure;
    // The status line stays one line: the first few names, the message has them all.
    constexpr int Shown = 5;
    const QString some = names.size() <= Shown ? all
                                               : loadString(FilesLeftAlone)
                                                     .arg(loadString(MoreNames)
                                                              .arg(names.first(Shown).join(u", "_s))
                                                              .arg(names.size() - Shown));
    showStatus(outcome.ok ? done + u' ' + some : all, true);
    Q_EMIT messageShown(outcome.ok ? done + u"\n\n"_s + all : all);
}

void RenameSession::recoverInterrupted(Ask ask)
{
    if (!ask || isBusy())
        return;
    m_ask = std::move(ask);
    setBusy(true);
    runInBackground(
        this,
        [] {
            QList<Recovery> found;
            for (const RenameJournal &journal : RenameJournal::interrupted())
                found.append({journal, journal.survey()});
            return found;
        },
        [this](const QList<Recovery> &found) {
            setBusy(false);
            m_recoveries = found;
            recoverNext();
        });
}

void RenameSession::recoverNext()
{
    while (!m_recoveries.isEmpty()) {
        const Recovery recovery = m_recoveries.takeFirst();
        const RenameJournal::Survey &survey = recovery.survey;
        const QString folder = PathUtil::displayName(recovery.journal.folder());
        const qsizetype files = recovery.journal.entries().size();
        int choice = 0; // every file renamed: the run only missed being marked complete
        if (survey.renamed < files) {
            // Neither way would rename anything (the folder is not there now, say): later.
            if (survey.renamed == 0 && survey.notRenamed == 0)
                continue;
            choice =
                m_ask(loadString(RenumberInterrupted).arg(folder).arg(survey.renamed).arg(files),
                      {loadString(FinishChoice), loadString(UndoChoice), loadString(LaterChoice)});
        }
        if (choice != 0 && choice != 1)
            continue;
        setBusy(true);
        runInBackground(
            this,
            [journal = recovery.journal, choice]() mutable {
                return choice == 0 ? journal.finish() : journal.undo();
            },
            [this, recovery, folder, files, choice](const RenameJournal::Outcome &outcome) {
                setBusy(false);
                if (recovery.journal.folder() == QDir::cleanPath(m_folder))
                    scan();
                if (recovery.survey.renamed < files)
                    report(loadString(choice == 0 ? InterruptedFinished : InterruptedUndone)
                               .arg(folder)
                               .arg(outcome.renamed),
                           outcome);
                recoverNext();
            });
        return;
    }
    m_ask = nullptr;
    Q_EMIT finished();
}

void RenameSession::showStatus(const QString &text, bool error)
{
    Q_EMIT statusShown(text, error);
}

void RenameSession::showOutcome(const QString &text)
{
    showStatus(text, false);
    Q_EMIT statusSpoken();
}

bool RenameSession::sortedByDate() const
{
    return m_list.sortColumn() == RenameListModel::DateTakenColumn &&
           m_list.sortOrder() != RenameListModel::SortOrder::None;
}

void RenameSession::requestDates()
{
    const quint64 awaited = ++m_datesRequest;
    m_resortTimer.stop();
    m_resortDue = false;
    const QStringList &names = m_list.listedNames();
    if (names.isEmpty())
        return;
    const QPointer<RenameSession> session(this);
    DatesDone done = [session, awaited](int first, const QList<TakenDate> &dates) {
        if (session && session->m_datesRequest == awaited)
            session->takeDates(first, dates);
    };
    if (m_dates) {
        m_dates(m_folder, names, std::move(done));
        return;
    }
    QList<TakenDate> dates;
    dates.reserve(names.size());
    for (const QString &name : names)
        dates.append(TakenDateReader::read(PathUtil::append(m_folder, name)));
    done(0, dates);
}

void RenameSession::takeDates(int first, const QList<TakenDate> &dates)
{
    const bool moved = m_list.setDates(first, dates);
    if (!sortedByDate())
        return;
    // Answers come in many small parts: the list is sorted again at most every few frames while
    // they come, and at once when the last is in.
    if (moved)
        m_resortDue = true;
    if (m_list.datesPending() > 0) {
        if (m_resortDue && !m_resortTimer.isActive())
            m_resortTimer.start();
        return;
    }
    m_resortTimer.stop();
    resortByDate();
    setRenumberEnabled(!m_settings.conflictFound);
}

void RenameSession::resortByDate()
{
    if (!std::exchange(m_resortDue, false) || !sortedByDate())
        return;
    m_list.sortRows(m_list.sortOrder(), RenameListModel::DateTakenColumn);
    computeNewNames();
}

void RenameSession::loadPreview(int row, QSize frame)
{
    const quint64 awaited = ++m_previewRequest;
    if (row < 0)
        return;
    Q_EMIT frameBlanked();
    PreviewRequest request;
    request.sourcePath = PathUtil::append(m_folder, m_list.currentName(row));
    request.frame = frame;
    request.outputFormat = OutputFormat::Png; // the picture as it is, without JPEG losses
    request.rawExtensions = m_preferences.extensionList(ImageFormatGroup::RawImages);
    const QPointer<RenameSession> session(this);
    const PreviewDone done = [session, awaited,
                              path = request.sourcePath](const PreviewResult &preview) {
        if (!session || session->m_previewRequest != awaited)
            return;
        if (preview.loaded)
            Q_EMIT session->pictureShown(preview.image);
        else if (!preview.recognised)
            Q_EMIT session->fileIconShown(path);
        else
            session->showStatus(loadString(ErrorLoadingImageFile) + preview.libraryMessage, true);
    };
    if (m_preview)
        m_preview(request, done);
    else
        done(ConvertPreview::render(request));
}

QString RenameSession::fileSizeText(int row) const
{
    if (row < 0 || row >= m_list.count())
        return {};
    const QByteArray path =
        PathUtil::encodeName(PathUtil::append(m_folder, m_list.currentName(row)));
    struct stat status;
    if (::stat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0)
        return {};
    return QLocale::system().toString(double(status.st_size) / 1024.0, 'f', 2) +
           loadString(KilobyteSuffix);
}
