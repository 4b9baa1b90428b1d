// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/batchconverter.h"

#include "convert/conversionlog.h"
#include "convert/conversionplan.h"
#include "convert/convertlistmodel.h"
#include "prefs/linestatus.h"
#include "strings/stringtable.h"
#include "util/backgroundtask.h"
#include "util/folderprobe.h"
#include "util/pathutil.h"
#include "workers/workerclient.h"

#include <QPointer>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ConflictLine = u" : ignored (conflict with destination)\r\n"_s;


} // namespace

BatchConverter::BatchConverter(ConvertListModel &list, ConversionRunner &runner, Clock clock,
                               QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_runner(runner)
    , m_clock(std::move(clock))
{
    m_stopGrace.setSingleShot(true);
    m_stopGrace.setTimerType(Qt::PreciseTimer); // a coarse one may run 5 % over
    connect(&m_stopGrace, &QTimer::timeout, this, [this] { m_runner.stopAll(); });
    m_diskDeadline.setSingleShot(true);
    connect(&m_diskDeadline, &QTimer::timeout, this, &BatchConverter::diskTimedOut);
}

BatchConverter::~BatchConverter()
{
    // The callbacks hold a guard, so what the runner still reports finds no one.
    if (isBusy())
        m_runner.stopAll();
}

void BatchConverter::requestStop()
{
    if (m_kind == Kind::None || m_stopRequested)
        return;
    m_stopRequested = true;
    m_stopGrace.start(std::max(m_stopGraceMs, 0));
    if (m_diskTask != 0) {
        m_diskDeadline.start(DiskAnswerAfterStopMs);
        return;
    }
    // Pictures in flight on a disk that no longer answers would never finish within the grace:
    // the disk is asked, and if it stays silent they are ended at once.
    const QByteArray destination = PathUtil::encodeName(m_options.destinationFolder);
    awaitDisk([this] {
        m_stopGrace.stop();
        m_runner.stopAll();
    });
    runInBackground(
        this,
        [destination] {
            // Asks the disk itself: a new name is looked up afresh, where the status of the
            // folder may come from a cache.
            const int folder = ::open(destination.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (folder >= 0) {
                FolderProbe::shows(folder, ".pelorin-" + QByteArray::number(::getpid()) + ".probe");
                ::close(folder);
            }
            return true;
        },
        [this, task = m_diskTask](bool) { diskAnswered(task); });
}

void BatchConverter::awaitDisk(std::function<void()> onTimeout)
{
    m_diskTask = ++m_diskTasks;
    m_onDiskTimeout = std::move(onTimeout);
    if (m_stopRequested)
        m_diskDeadline.start(DiskAnswerAfterStopMs);
}

bool BatchConverter::diskAnswered(quint64 task)
{
    if (task != m_diskTask)
        return false; // too late: the stop went on without it
    m_diskTask = 0;
    m_diskDeadline.stop();
    m_onDiskTimeout = nullptr;
    return true;
}

void BatchConverter::diskTimedOut()
{
    m_diskTask = 0;
    m_diskSilent = true;
    if (const std::function<void()> timedOut = std::exchange(m_onDiskTimeout, nullptr))
        timedOut();
}

void BatchConverter::checkDestination()
{
    const QByteArray source = PathUtil::encodeName(m_options.sourceFolder);
    const QByteArray destination = PathUtil::encodeName(m_options.destinationFolder);
    awaitDisk([this] { started(StartCheck{}); });
    runInBackground(
        this,
        [source, destination] {
            StartCheck check;
            check.foldersAreOne = FolderProbe::sameFolder(source, destination);
            if (!check.foldersAreOne)
                WorkerClient::removeOrphanedPartialFiles(PathUtil::decodeName(destination));
            return check;
        },
        [this, task = m_diskTask](const StartCheck &check) {
            if (diskAnswered(task))
                started(check);
        });
}

void BatchConverter::started(const StartCheck &check)
{
    m_foldersAreOne = check.foldersAreOne;
    if (m_kind == Kind::All) {
        dispatch();
        return;
    }
    ConversionRequest request;
    ConversionResult failure;
    if (m_stopRequested)
        imageDone({false, WorkerClient::stoppedText(), QString()});
    else if (!prepare(m_imageRow, request, failure))
        imageDone(failure);
    else
        m_runner.start(m_imageRow, request,
                       [self = QPointer<BatchConverter>(this)](int, const ConversionResult &r) {
                           if (self)
                               self->imageDone(r);
                       });
}

bool BatchConverter::prepare(int row, ConversionRequest &request, ConversionResult &failure)
{
    if (row < 0 || row >= m_list.count()) {
        failure = {false, loadString(ChooseImageToConvert), QString()};
        return false;
    }
    if (m_options.sourceFolder.isEmpty() || m_options.destinationFolder.isEmpty() ||
        m_foldersAreOne) {
        failure = {false, loadString(FoldersMustDiffer), QString()};
        return false;
    }
    const QString name = m_list.text(row);
    Q_EMIT statusShown(loadString(ConvertingPrefix) + PathUtil::displayName(name), Standard);
    request.sourcePath = PathUtil::append(m_options.sourceFolder, name);
    request.destinationPath = destinationOf(row);
    request.options = m_options;
    request.rotation = m_list.rotation(row);
    return true;
}

QString BatchConverter::destinationOf(int row) const
{
    return ConversionPlan::destinationPath(m_options.destinationFolder, m_list.text(row),
                                           outputExtension(m_options.outputFormat));
}

void BatchConverter::begin(const ConversionOptions &options, AfterRun afterRun)
{
    m_options = options;
    m_afterRun = std::move(afterRun);
    m_stopRequested = false;
    m_diskSilent = false;
    m_foldersAreOne = false;
}

void BatchConverter::convertImage(int selectedRow, const ConversionOptions &options,
                                  AfterRun afterRun)
{
    if (isBusy())
        return;
    if (m_list.flags(selectedRow) & CollisionError) {
        Q_EMIT statusShown(loadString(ConversionNotDone), CollisionError);
        Q_EMIT beep();
        Q_EMIT finished(loadString(ConversionNotDone));
        return;
    }
    begin(options, std::move(afterRun));
    // What needs no disk is refused at once.
    if (selectedRow < 0 || selectedRow >= m_list.count() || options.sourceFolder.isEmpty() ||
        options.destinationFolder.isEmpty()) {
        ConversionRequest request;
        ConversionResult failure;
        prepare(selectedRow, request, failure);
        imageDone(failure);
        return;
    }
    m_kind = Kind::Image;
    m_imageRow = selectedRow;
    m_waitCursor.emplace();
    Q_EMIT busy();
    checkDestination();
}

void BatchConverter::imageDone(const ConversionResult &result)
{
    const auto report = [this, result](const FileResult &) {
        m_waitCursor.reset();
        m_stopGrace.stop();
        m_kind = Kind::None;
        if (!result.ok)
            Q_EMIT workingImageCleared();
        if (result.destinationExists || !result.sameFileAs.isEmpty()) {
            Q_EMIT statusShown(loadString(ConversionNotDone), CollisionError);
            Q_EMIT beep();
            Q_EMIT finished(loadString(ConversionNotDone));
            return;
        }
        Q_EMIT statusShown(result.resultMessage, result.ok ? Standard : OtherError);
        Q_EMIT finished(result.resultMessage);
    };
    if (m_kind == Kind::Image)
        finishOnDisk(false, report);
    else
        report(FileResult{});
}

void BatchConverter::convertAll(const ConversionOptions &options, AfterRun afterRun)
{
    if (isBusy())
        return;
    const int total = m_list.count();
    if (total == 0) {
        Q_EMIT finished(QString());
        return;
    }
    m_kind = Kind::All;
    begin(options, std::move(afterRun));
    m_lines = QStringList(total);
    m_skipped = false;
    m_total = total;
    m_next = 0;
    m_inFlight = 0;
    m_done = 0;
    m_written.clear();
    m_inFlightNames.clear();
    Q_EMIT busy();
    Q_EMIT viewLogEnabled(false);
    Q_EMIT runStarted(total);
    m_waitCursor.emplace();
    checkDestination();
}

void BatchConverter::record(int row, const ConversionResult &result)
{
    const QString name = ConversionLog::escape(m_list.text(row));
    if (result.ok) {
        m_lines[row] = name + u" : conversion OK"_s +
                       (result.metadataNote.isEmpty()
                            ? QString()
                            : u" (the metadata could not be kept: "_s +
                                  ConversionLog::escape(result.metadataNote) + u')') +
                       u"\r\n"_s;
        return;
    }
    m_skipped = true;
    // A file that took the destination name after the list was marked is not replaced, and
    // neither is one this run wrote for another picture under a name the disk takes for this.
    if (!result.sameFileAs.isEmpty()) {
        int first = -1;
        for (const auto &[writtenRow, written] :
             m_written.value(FolderProbe::looseKey(result.sameFileAs)))
            first = written == result.sameFileAs ? writtenRow : first;
        m_lines[row] = name + u" : ignored (conflict with "_s +
                       ConversionLog::escape(first >= 0 ? m_list.text(first) : result.sameFileAs) +
                       u", written to the same file on this disk)\r\n"_s;
        return;
    }
    if (result.destinationExists) {
        m_lines[row] = name + ConflictLine;
        return;
    }
    // A reason may quote the path, with whatever the name holds.
    const QString line = name + u" : "_s + ConversionLog::escape(result.resultMessage);
    Q_EMIT statusShown(line, OtherError);
    Q_EMIT workingImageCleared();
    // A stopped picture says so, whatever the preview found.
    if ((m_list.flags(row) & FileTypeError) && result.resultMessage != WorkerClient::stoppedText())
        m_lines[row] = name + u" : File error >>> "_s +
                       ConversionLog::escape(result.libraryMessage) + u"\r\n"_s;
    else
        m_lines[row] = line + u"\r\n"_s;
}

void BatchConverter::pictureDone(int row, const ConversionResult &result)
{
    --m_inFlight;
    ++m_done;
    const QString destination = PathUtil::split(destinationOf(row)).second;
    const QString key = FolderProbe::looseKey(destination);
    m_inFlightNames.remove(key);
    if (result.ok)
        m_written[key].append({row, destination});
    record(row, result);
    Q_EMIT progressChanged(m_done, m_total);
    // A runner that converts in place calls back from inside dispatch(), which goes on.
    if (!m_dispatching)
        dispatch();
}

void BatchConverter::dispatch()
{
    m_dispatching = true;
    while (!m_stopRequested && m_next < m_total && m_inFlight < std::max(1, m_runner.capacity())) {
        const int row = m_next;
        const QString destination = PathUtil::split(destinationOf(row)).second;
        const QString key = FolderProbe::looseKey(destination);
        // A picture in flight may write the same file under another spelling: this one waits.
        if (m_inFlightNames.contains(key))
            break;
        ++m_next;
        const QString name = ConversionLog::escape(m_list.text(row));
        const int flags = m_list.flags(row);
        if (flags & DuplicateError) {
            m_skipped = true;
            m_lines[row] = name + u" : ignored (duplicates)\r\n"_s;
        } else if (!m_options.replaceFiles && (flags & CollisionError)) {
            m_skipped = true;
            m_lines[row] = name + ConflictLine;
        } else {
            Q_EMIT currentRowShown(row);
            ConversionRequest request;
            ConversionResult failure;
            if (prepare(row, request, failure)) {
                for (const auto &[writtenRow, written] : m_written.value(key))
                    request.writtenNames.append(written);
                ++m_inFlight;
                m_inFlightNames.insert(key, row);
                m_runner.start(row, request,
                               [self = QPointer<BatchConverter>(this)](
                                   int ticket, const ConversionResult &result) {
                                   if (self)
                                       self->pictureDone(ticket, result);
                               });
                continue;
            }
            record(row, failure);
        }
        ++m_done;
        Q_EMIT progressChanged(m_done, m_total);
    }
    m_dispatching = false;
    if (m_inFlight == 0 && (m_next == m_total || m_stopRequested))
        endRun();
}

void BatchConverter::finishOnDisk(bool writeLog, std::function<void(const FileResult &)> done)
{
    const FileResult silent{false, loadString(DestinationNotAnswering)};
    if (m_diskSilent) {
        done(silent);
        return;
    }
    const QByteArray source = PathUtil::encodeName(m_options.sourceFolder);
    const QByteArray destination = PathUtil::encodeName(m_options.destinationFolder);
    const OutputFormat format = m_options.outputFormat;
    const QString runLog = writeLog ? m_lines.join(QString()) : QString();
    const QDateTime now = m_clock();
    const FileResult foldersAreOne{false, loadString(FoldersMustDiffer)};
    awaitDisk([done, silent] { done(silent); });
    runInBackground(
        this,
        [=, afterRun = std::exchange(m_afterRun, nullptr)] {
            EndWork work;
            // The log goes to the destination only: into the source folder, by whatever path, it
            // would replace a Pelorin.log of the user's there.
            if (writeLog)
                work.log = FolderProbe::sameFolder(source, destination)
                               ? foldersAreOne
                               : ConversionLog::write(format, PathUtil::decodeName(source),
                                                      PathUtil::decodeName(destination), runLog,
                                                      now);
            if (afterRun)
                work.apply = afterRun();
            return work;
        },
        [this, task = m_diskTask, done](const EndWork &work) {
            if (!diskAnswered(task))
                return;
            if (work.apply)
                work.apply();
            done(work.log);
        });
}

void BatchConverter::endRun()
{
    m_stopGrace.stop();
    for (int row = m_next; row < m_total; ++row) {
        m_skipped = true;
        m_lines[row] = ConversionLog::escape(m_list.text(row)) +
                       u" : not converted, the run was stopped\r\n"_s;
    }
    finishOnDisk(true, [this](const FileResult &log) {
        m_waitCursor.reset();
        const QString destinationFolder = m_options.destinationFolder;
        m_lines.clear();
        m_kind = Kind::None;

        Q_EMIT runEnded();
        // An older log must not pass for this run's.
        Q_EMIT viewLogEnabled(log.ok);
        Q_EMIT placeholderWanted();
        Q_EMIT beep();
        QString endText;
        if (log.ok)
            endText = loadString(EndOfConversion) +
                      loadString(m_skipped ? EndFilesSkipped : EndNothingSkipped);
        else
            endText = loadString(EndOfConversion) +
                      loadString(m_skipped ? EndFilesSkippedLogNotWritten : EndLogNotWritten)
                          .arg(ConversionLog::escape(ConversionLog::path(destinationFolder)),
                               log.reason);
        Q_EMIT statusShown(endText, log.ok ? Standard : OtherError);
        Q_EMIT allDeselected();
        Q_EMIT finished(endText);
    });
}
