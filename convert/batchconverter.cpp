// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/batchconverter.h"

#include "convert/conversionlog.h"
#include "convert/conversionplan.h"
#include "convert/convertlistmodel.h"
#include "util/pathutil.h"
#include "convert/workerclient.h"
#include "prefs/linestatus.h"
#include "resources/stringtable.h"
#include "util/fileidentity.h"

#include <QPointer>

#include <algorithm>

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
}

BatchConverter::~BatchConverter()
{
    // The callbacks hold a guard, so what the runner still reports finds no one.
    if (isBusy())
        m_runner.stopAll();
}

void BatchConverter::requestStop()
{
    if (m_kind != Kind::All || m_stopRequested)
        return;
    m_stopRequested = true;
    m_stopGrace.start(std::max(m_stopGraceMs, 0));
}

bool BatchConverter::foldersAreOne() const
{
    // By identity, not by text: a link to the source folder would otherwise have the originals
    // replaced by their own conversions.
    return FileIdentity::same(PathUtil::encodeName(m_options.sourceFolder),
                              PathUtil::encodeName(m_options.destinationFolder));
}

bool BatchConverter::prepare(int row, ConversionRequest &request, ConversionResult &failure)
{
    if (row < 0 || row >= m_list.count()) {
        failure = {false, loadString(ChooseImageToConvert), QString()};
        return false;
    }
    if (m_options.sourceFolder.isEmpty() || m_options.destinationFolder.isEmpty() ||
        foldersAreOne()) {
        failure = {false, loadString(FoldersMustDiffer), QString()};
        return false;
    }
    const QString name = m_list.text(row);
    Q_EMIT statusShown(loadString(ConvertingPrefix) + PathUtil::displayName(name), Standard);
    request.sourcePath = PathUtil::append(m_options.sourceFolder, name);
    request.destinationPath = ConversionPlan::destinationPath(
        m_options.destinationFolder, name, outputExtension(m_options.outputFormat));
    request.options = m_options;
    request.rotation = m_list.rotation(row);
    return true;
}

void BatchConverter::convertImage(int selectedRow, const ConversionOptions &options)
{
    if (isBusy())
        return;
    if (m_list.flags(selectedRow) & CollisionError) {
        Q_EMIT statusShown(loadString(ConversionNotDone), CollisionError);
        Q_EMIT beep();
        Q_EMIT finished(loadString(ConversionNotDone));
        return;
    }
    m_options = options;
    ConversionRequest request;
    ConversionResult failure;
    if (!prepare(selectedRow, request, failure)) {
        imageDone(failure);
        return;
    }
    m_kind = Kind::Image;
    m_waitCursor.emplace();
    Q_EMIT busy();
    WorkerClient::removeOrphanedPartialFiles(options.destinationFolder);
    m_runner.start(selectedRow, request,
                   [self = QPointer<BatchConverter>(this)](int, const ConversionResult &result) {
                       if (self)
                           self->imageDone(result);
                   });
}

void BatchConverter::imageDone(const ConversionResult &result)
{
    m_waitCursor.reset();
    m_kind = Kind::None;
    if (!result.ok)
        Q_EMIT workingImageCleared();
    if (result.destinationExists) {
        Q_EMIT statusShown(loadString(ConversionNotDone), CollisionError);
        Q_EMIT beep();
        Q_EMIT finished(loadString(ConversionNotDone));
        return;
    }
    Q_EMIT statusShown(result.resultMessage, result.ok ? Standard : OtherError);
    Q_EMIT finished(result.resultMessage);
}

void BatchConverter::convertAll(const ConversionOptions &options)
{
    if (isBusy())
        return;
    const int total = m_list.count();
    if (total == 0) {
        Q_EMIT finished(QString());
        return;
    }
    m_kind = Kind::All;
    m_options = options;
    m_stopRequested = false;
    m_lines = QStringList(total);
    m_skipped = false;
    m_total = total;
    m_next = 0;
    m_inFlight = 0;
    m_done = 0;
    Q_EMIT busy();
    WorkerClient::removeOrphanedPartialFiles(options.destinationFolder);
    Q_EMIT viewLogEnabled(false);
    Q_EMIT runStarted(total);
    m_waitCursor.emplace();
    dispatch();
}

void BatchConverter::record(int row, const ConversionResult &result)
{
    const QString name = ConversionLog::escape(m_list.text(row));
    if (result.ok) {
        m_lines[row] = name + u" : conversion OK\r\n"_s;
        return;
    }
    m_skipped = true;
    // A file that took the destination name after the list was marked is not replaced.
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
        const int row = m_next++;
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
                ++m_inFlight;
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

void BatchConverter::endRun()
{
    m_waitCursor.reset();
    m_stopGrace.stop();
    for (int row = m_next; row < m_total; ++row) {
        m_skipped = true;
        m_lines[row] = ConversionLog::escape(m_list.text(row)) +
                       u" : not converted, the run was stopped\r\n"_s;
    }
    const ConversionOptions options = m_options;
    // The log goes to the destination only: into the source folder, by whatever path, it would
    // replace a Pelorin.log of the user's there.
    const FileResult log =
        foldersAreOne()
            ? FileResult{false, loadString(FoldersMustDiffer)}
            : ConversionLog::write(options.outputFormat, options.sourceFolder,
                                   options.destinationFolder, m_lines.join(QString()), m_clock());
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
                      .arg(ConversionLog::escape(ConversionLog::path(options.destinationFolder)),
                           log.reason);
    Q_EMIT statusShown(endText, log.ok ? Standard : OtherError);
    Q_EMIT allDeselected();
    Q_EMIT finished(endText);
}
