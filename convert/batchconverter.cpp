#include "convert/batchconverter.h"

#include "convert/conversionlog.h"
#include "convert/conversionplan.h"
#include "convert/conversionrunner.h"
#include "convert/convertlistmodel.h"
#include "convert/convertrunwindow.h"
#include "util/pathutil.h"
#include "convert/waitcursor.h"
#include "convert/workerclient.h"
#include "prefs/linestatus.h"
#include "resources/stringtable.h"
#include "util/fileidentity.h"

#include <QEventLoop>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString EndOfConversion = u"End of conversion!"_s;
const QString ConflictLine = u" : ignored (conflict with destination)\r\n"_s;

} // namespace

BatchConverter::BatchConverter(ConvertListModel &list, ConvertRunWindow &window,
                               ConversionRunner &runner, Clock clock)
    : m_list(list)
    , m_window(window)
    , m_runner(runner)
    , m_clock(std::move(clock))
{
    m_stopGrace.setSingleShot(true);
    m_stopGrace.setTimerType(Qt::PreciseTimer); // a coarse one may run 5 % over
    QObject::connect(&m_stopGrace, &QTimer::timeout, &m_stopGrace, [this] { m_runner.stopAll(); });
}

void BatchConverter::requestStop()
{
    if (!m_running || m_stopRequested)
        return;
    m_stopRequested = true;
    m_stopGrace.start(std::max(m_stopGraceMs, 0));
}

bool BatchConverter::prepare(int row, const ConversionOptions &options, ConversionRequest &request,
                             ConversionResult &failure)
{
    if (row < 0 || row >= m_list.count()) {
        failure = {false, u"Choose an image to convert."_s, QString()};
        return false;
    }
    // By identity, not by text: a link to the source folder would otherwise have the originals
    // replaced by their own conversions.
    if (options.sourceFolder.isEmpty() || options.destinationFolder.isEmpty() ||
        FileIdentity::same(PathUtil::encodeName(options.sourceFolder),
                           PathUtil::encodeName(options.destinationFolder))) {
        failure = {false, loadString(FoldersMustDiffer), QString()};
        return false;
    }
    const QString name = m_list.text(row);
    m_window.showStatus(u"Converting  "_s + PathUtil::displayName(name), Standard);
    request.sourcePath = PathUtil::append(options.sourceFolder, name);
    request.destinationPath = ConversionPlan::destinationPath(
        options.destinationFolder, name, outputExtension(options.outputFormat));
    request.options = options;
    request.rotation = m_list.rotation(row);
    return true;
}

ConversionResult BatchConverter::convertOne(const ConversionRequest &request)
{
    ConversionResult result;
    bool done = false;
    QEventLoop loop;
    m_runner.start(0, request, [&](int, const ConversionResult &finished) {
        result = finished;
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}

void BatchConverter::convertImage(int selectedRow, const ConversionOptions &options)
{
    if (m_list.flags(selectedRow) & CollisionError) {
        m_window.showStatus(loadString(ConversionNotDone), CollisionError);
        m_window.beep();
        return;
    }
    ConversionRequest request;
    ConversionResult result;
    if (prepare(selectedRow, options, request, result)) {
        const WaitCursor waitCursor;
        WorkerClient::removeOrphanedPartialFiles(options.destinationFolder);
        result = convertOne(request);
    }
    if (!result.ok)
        m_window.clearWorkingImage();
    if (result.destinationExists) {
        m_window.showStatus(loadString(ConversionNotDone), CollisionError);
        m_window.beep();
        return;
    }
    m_window.showStatus(result.resultMessage, result.ok ? Standard : OtherError);
}

QString BatchConverter::convertAll(const ConversionOptions &options)
{
    const int total = m_list.count();
    if (total == 0)
        return QString();
    m_running = true;
    m_stopRequested = false;
    WorkerClient::removeOrphanedPartialFiles(options.destinationFolder);
    m_window.setViewLogEnabled(false);
    m_window.runStarted(total);

    // One log line per row, filled in whatever order the pictures finish.
    QStringList lines(total);
    bool skipped = false;
    int next = 0;
    int inFlight = 0;
    int done = 0;
    bool dispatching = false;
    QEventLoop loop;

    const auto record = [&](int row, const ConversionResult &result) {
        const QString name = ConversionLog::escape(m_list.text(row));
        if (result.ok) {
            lines[row] = name + u" : conversion OK\r\n"_s;
            return;
        }
        skipped = true;
        // A file that took the destination name after the list was marked is not replaced.
        if (result.destinationExists) {
            lines[row] = name + ConflictLine;
            return;
        }
        const QString line = name + u" : "_s + result.resultMessage;
        m_window.showStatus(line, OtherError);
        m_window.clearWorkingImage();
        // A stopped picture says so, whatever the preview found.
        if ((m_list.flags(row) & FileTypeError) &&
            result.resultMessage != WorkerClient::stoppedText())
            lines[row] = name + u" : File error >>> "_s + result.libraryMessage + u"\r\n"_s;
        else
            lines[row] = line + u"\r\n"_s;
    };

    std::function<void()> dispatch;
    const auto finished = [&](int row, const ConversionResult &result) {
        --inFlight;
        ++done;
        record(row, result);
        m_window.showProgress(done, total);
        // A runner that converts in place calls back from inside dispatch(), which goes on.
        if (!dispatching)
            dispatch();
    };
    dispatch = [&] {
        dispatching = true;
        while (!m_stopRequested && next < total && inFlight < std::max(1, m_runner.capacity())) {
            const int row = next++;
            const QString name = ConversionLog::escape(m_list.text(row));
            const int flags = m_list.flags(row);
            if (flags & DuplicateError) {
                skipped = true;
                lines[row] = name + u" : ignored (duplicates)\r\n"_s;
            } else if (!options.replaceFiles && (flags & CollisionError)) {
                skipped = true;
                lines[row] = name + ConflictLine;
            } else {
                m_window.showCurrentRow(row);
                ConversionRequest request;
                ConversionResult failure;
                if (prepare(row, options, request, failure)) {
                    ++inFlight;
                    m_runner.start(row, request, finished);
                    continue;
                }
                record(row, failure);
            }
            ++done;
            m_window.showProgress(done, total);
        }
        dispatching = false;
        if (inFlight == 0 && (next == total || m_stopRequested))
            loop.quit();
    };

    {
        const WaitCursor waitCursor;
        dispatch();
        if (inFlight > 0 || (next < total && !m_stopRequested))
            loop.exec();
    }
    m_stopGrace.stop();
    m_running = false;
    for (int row = next; row < total; ++row) {
        skipped = true;
        lines[row] = ConversionLog::escape(m_list.text(row)) +
                     u" : not converted, the run was stopped\r\n"_s;
    }

    const FileResult log =
        ConversionLog::write(options.outputFormat, options.sourceFolder,
                             options.destinationFolder, lines.join(QString()), m_clock());
    m_window.runFinished();
    // An older log must not pass for this run's.
    m_window.setViewLogEnabled(log.ok);
    m_window.showPlaceholder();
    m_window.beep();
    QString endText;
    if (log.ok)
        endText = EndOfConversion + (skipped ? u" : Files have been skipped (see log)."_s : u"."_s);
    else
        endText = EndOfConversion +
                  (skipped ? u" : Files have been skipped, and the log "_s : u" : The log "_s) +
                  u"%1 could not be written: %2."_s.arg(
                      ConversionLog::escape(ConversionLog::path(options.destinationFolder)),
                      log.reason);
    m_window.showStatus(endText, log.ok ? Standard : OtherError);
    m_window.deselectAll();
    return endText;
}
