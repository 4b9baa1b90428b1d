// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "workers/workerclient.h"

#include "strings/stringtable.h"
#include "strings/translations.h"
#include "util/atomicfile.h"
#include "util/pathutil.h"
#include "workers/workerprotocol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProcessEnvironment>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = WorkerProtocol::Kind;

// How long a killed worker may take to end before it is left to end on its own: only a process
// stuck in the kernel (a file on a hung network share) takes longer.
constexpr int KillGraceMs = 5'000;

QString busyText()
{
    return loadString(HelperBusy);
}

QString otherVersionText()
{
    return loadString(HelperOtherVersion);
}

PreviewResult previewFailure(const QString &text)
{
    PreviewResult result;
    // Whether it is a picture is unknown: the user is told why there is no preview rather than
    // shown the icon of a file that is no picture.
    result.recognised = true;
    result.libraryMessage = text;
    return result;
}

// Lets a killed process end in its own time, then removes what it left. Deleting it earlier
// would block until it ends.
void abandon(QProcess *process, const QString &folder, qint64 pid)
{
    process->disconnect();
    process->setParent(nullptr);
    if (process->state() == QProcess::NotRunning) {
        WorkerClient::removePartialFiles(folder, pid);
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::finished, process, [process, folder, pid] {
        WorkerClient::removePartialFiles(folder, pid);
        process->deleteLater();
    });
}

// A file whose writer cannot be asked whether it lives (another machine on a shared folder, a
// container, an earlier boot, an older version) is taken for a leftover only when nothing has
// written to it for a day: a picture is saved within minutes (a worker's item ends after three),
// and a day covers any difference between the clocks of the machines that share a folder.
constexpr qint64 ForeignLeftoverSeconds = 24 * 60 * 60;

// Removes the partial files in folder, by its bytes, for which wanted(owner, status) holds: only
// regular files, never through a symbolic link. Returns how many.
int removePartialFilesIf(
    const QString &folder,
    const std::function<bool(const AtomicFile::Owner &, const struct stat &)> &wanted)
{
    if (folder.isEmpty())
        return 0;
    const int dir =
        ::open(PathUtil::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return 0;
    DIR *listing = ::fdopendir(dir);
    if (!listing) {
        ::close(dir);
        return 0;
    }
    int removed = 0;
    while (const dirent *entry = ::readdir(listing)) {
        const std::optional<AtomicFile::Owner> owner = AtomicFile::temporaryOwner(entry->d_name);
        struct stat file = {};
        if (owner && ::fstatat(dir, entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(file.st_mode) && wanted(*owner, file))
            removed += ::unlinkat(dir, entry->d_name, 0) == 0 ? 1 : 0;
    }
    ::closedir(listing);
    return removed;
}

} // namespace

WorkerClient::WorkerClient(QObject *parent)
    : WorkerClient(Limits(), parent)
{}

WorkerClient::WorkerClient(const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
{
    m_deadline.setSingleShot(true);
    m_killGrace.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { endWorker(Ending::TimedOut); });
    connect(&m_killGrace, &QTimer::timeout, this, &WorkerClient::giveUpOnWorker);
}

WorkerClient::~WorkerClient()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    // Never waited for: a worker stuck on a disk that does not answer would hold the window's
    // thread until the disk did. It is reaped, and its partial files removed, once it has
    // ended; what it leaves when the program ends first, the next run into the folder removes.
    m_process->kill();
    abandon(m_process, m_job == Job::Convert ? m_destinationFolder : QString(), m_pid);
}

QString WorkerClient::libraryFailedText()
{
    return loadString(LibraryFailed);
}

QString WorkerClient::tooLongText()
{
    return loadString(ConversionTookTooLong);
}

QString WorkerClient::notStartedText()
{
    return loadString(HelperNotStarted);
}

QString WorkerClient::stoppedText()
{
    return loadString(ConversionStopped);
}

QString WorkerClient::stoppedBySystemText()
{
    return loadString(HelperStoppedBySystem);
}

QString WorkerClient::executablePath()
{
    const QString given = qEnvironmentVariable("PELORIN_WORKER");
    if (!given.isEmpty())
        return given;
    const QString folder = QCoreApplication::applicationDirPath();
    for (const QString &candidate :
         {folder + u"/pelorin-worker"_s, folder + u"/../libexec/pelorin/pelorin-worker"_s}) {
        const QFileInfo file(candidate);
        if (file.isFile() && file.isExecutable())
            return file.absoluteFilePath();
    }
    return QString();
}

int WorkerClient::removePartialFiles(const QString &folder, qint64 pid)
{
    if (pid <= 0)
        return 0;
    const AtomicFile::Owner worker{AtomicFile::systemToken(), pid};
    return removePartialFilesIf(folder, [&worker](const AtomicFile::Owner &owner,
                                                  const struct stat &) { return owner == worker; });
}

int WorkerClient::removeOrphanedPartialFiles(const QString &folder)
{
    const qint64 now = ::time(nullptr);
    const auto leftOver = [now](const AtomicFile::Owner &owner, const struct stat &file) {
        if (owner.system != AtomicFile::systemToken())
            return now - file.st_mtime > ForeignLeftoverSeconds;
        // A process of another user answers EPERM: it exists.
        return ::kill(pid_t(owner.pid), 0) != 0 && errno == ESRCH;
    };
    return removePartialFilesIf(folder, leftOver);
}

bool WorkerClient::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

qint64 WorkerClient::processId() const
{
    return isRunning() ? m_process->processId() : 0;
}

void WorkerClient::warmUp()
{
    if (!m_process)
        startProcess();
}

bool WorkerClient::startProcess()
{
    const QString program = executablePath();
    if (program.isEmpty()) {
        qWarning("pelorin-worker was not found beside the program");
        return false;
    }
    auto *process = new QProcess(this);
    process->setProgram(program);
    QStringList arguments = {u"--address-space"_s, QString::number(m_limits.addressSpace),
                             u"--cpu-seconds"_s,   QString::number(m_limits.cpuSecondsPerItem),
                             u"--max-pixels"_s,    QString::number(m_limits.maxPixels)};
    // The reasons the worker gives are shown in the window's language.
    if (const QString language = Translations::language(); !language.isEmpty())
        arguments << u"--language"_s << language;
    process->setArguments(arguments);
    // What the worker prints goes where this program's own messages go.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (m_limits.libraryThreads > 0 && !qEnvironmentVariableIsSet("OMP_NUM_THREADS")) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"OMP_NUM_THREADS"_s, QString::number(m_limits.libraryThreads));
        process->setProcessEnvironment(environment);
    }
    const pid_t window = ::getpid();
    process->setChildProcessModifier([window] {
        // A worker never outlives the window, even one killed outright.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != window)
            ::_exit(127);
    });
    connect(process, &QProcess::readyReadStandardOutput, this,
            [this, process] { readReplies(process); });
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                processEnded(process, exitCode, status);
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        processFailedToStart(process, error);
    });
    m_process = process;
    m_pid = 0;
    m_replies.clear();
    process->start();
    return true;
}

bool WorkerClient::ensureRunning()
{
    // A worker that ended while idle is replaced, even before its end has been handled.
    if (m_process && m_process->state() == QProcess::NotRunning)
        discardProcess();
    if (!m_process && !startProcess())
        return false;
    // Not waited for: the request waits in the pipe while the worker starts, and a start that
    // fails later ends the job (processFailedToStart). One that failed at once, inside start(),
    // has discarded the process.
    if (!m_process || m_process->state() == QProcess::NotRunning) {
        discardProcess();
        return false;
    }
    m_pid = m_process->processId();
    return true;
}

void WorkerClient::convert(const ConversionRequest &request, Finished finished)
{
    if (m_job != Job::None) {
        deliver([finished = std::move(finished)] { finished({false, busyText(), QString()}); });
        return;
    }
    if (!ensureRunning()) {
        deliver([finished = std::move(finished)] {
            finished({false, notStartedText(), QString()});
        });
        return;
    }
    m_job = Job::Convert;
    m_ending = Ending::None;
    m_finished = std::move(finished);
    // Cut as text, never through QFileInfo: the folder goes to the system by its bytes.
    m_destinationFolder = PathUtil::split(request.destinationPath).first;
    m_process->write(WorkerProtocol::convertRequest(request));
    m_deadline.start(std::max(m_limits.itemTimeoutMs, 1));
}

void WorkerClient::stop()
{
    if (m_job != Job::Convert || !m_process)
        return;
    m_ending = Ending::Stopped;
    m_process->kill();
    // Not waited for: a worker stuck in the kernel must not hold the run.
    abandon(m_process, m_destinationFolder, m_pid);
    m_process = nullptr;
    m_replies.clear();
    finishConversion({false, stoppedText(), QString()});
}

void WorkerClient::preview(const PreviewRequest &request, int timeoutMs, PreviewFinished finished)
{
    if (m_job == Job::Convert || m_job == Job::Dates) {
        deliver([finished = std::move(finished)] { finished(previewFailure(busyText())); });
        return;
    }
    if (m_job == Job::Preview)
        abandonPreview();
    if (!ensureRunning()) {
        deliver([finished = std::move(finished)] { finished(previewFailure(notStartedText())); });
        return;
    }
    m_job = Job::Preview;
    m_ending = Ending::None;
    m_previewFinished = std::move(finished);
    m_process->write(WorkerProtocol::previewRequest(request));
    m_deadline.start(std::max(timeoutMs, 1));
}

void WorkerClient::readDates(const QString &folder, const QStringList &names, int partSize,
                             DatesAnswered answered, DatesFinished finished)
{
    if (m_job != Job::None || !ensureRunning()) {
        deliver([finished = std::move(finished)] { finished(-1); });
        return;
    }
    m_job = Job::Dates;
    m_ending = Ending::None;
    m_datesAnswered = std::move(answered);
    m_datesFinished = std::move(finished);
    m_datesAsked = int(names.size());
    m_datesAnsweredCount = 0;
    m_process->write(WorkerProtocol::datesRequest(folder, names, std::max(partSize, 1)));
    m_deadline.start(std::max(m_limits.datesPartTimeoutMs, 1));
}

void WorkerClient::abandonPreview()
{
    m_deadline.stop();
    m_killGrace.stop();
    m_previewFinished = nullptr;
    m_job = Job::None;
    m_ending = Ending::None;
    if (!m_process)
        return;
    m_process->kill();
    abandon(m_process, QString(), 0);
    m_process = nullptr;
    m_replies.clear();
}

void WorkerClient::readReplies(QProcess *process)
{
    if (process != m_process)
        return;
    m_replies += process->readAllStandardOutput();
    if (m_ending != Ending::None)
        return;
    if (m_job == Job::None) {
        // Nothing was asked: a worker that talks out of turn cannot be trusted with the next item.
        if (!m_replies.isEmpty())
            discardProcess();
        return;
    }
    QByteArray payload;
    switch (WorkerProtocol::takeFrame(m_replies, payload)) {
    case WorkerProtocol::FrameStatus::Incomplete:
        return;
    case WorkerProtocol::FrameStatus::Invalid:
        endWorker(Ending::Broken);
        return;
    case WorkerProtocol::FrameStatus::Complete:
        break;
    }
    const WorkerProtocol::Message reply = WorkerProtocol::decode(payload);
    if (m_job == Job::Dates) {
        if (reply.kind != Kind::DatesReply || !takeDates(reply.first, reply.dates)) {
            endWorker(reply.otherVersion ? Ending::OtherVersion : Ending::Broken);
            return;
        }
        if (m_datesAnsweredCount < m_datesAsked) {
            m_deadline.start(std::max(m_limits.datesPartTimeoutMs, 1));
            if (!m_replies.isEmpty())
                readReplies(process);
            return;
        }
        if (!m_replies.isEmpty())
            discardProcess();
        finishDates();
        return;
    }
    const Kind answer = m_job == Job::Convert ? Kind::ConversionReply : Kind::PreviewReply;
    if (reply.kind == answer || reply.kind == Kind::TextReply) {
        if (!m_replies.isEmpty())
            discardProcess();
        if (m_job == Job::Preview)
            finishPreview(reply.kind == answer ? reply.previewResult : previewFailure(reply.text));
        else
            finishConversion(reply.kind == answer ? reply.conversionResult
                                                  : ConversionResult{false, reply.text, QString()});
        return;
    }
    endWorker(reply.otherVersion ? Ending::OtherVersion : Ending::Broken);
}

void WorkerClient::processEnded(QProcess *process, int exitCode, QProcess::ExitStatus status)
{
    if (process != m_process)
        return;
    // The reply may have come just before the end.
    readReplies(process);
    if (process != m_process)
        return;
    if (m_job == Job::None) {
        discardProcess();
        return;
    }
    const QString text = endText(exitCode, status);
    if (m_job == Job::Convert)
        removePartialFiles(m_destinationFolder, m_pid);
    discardProcess();
    finishFailed(text);
}

void WorkerClient::processFailedToStart(QProcess *process, QProcess::ProcessError error)
{
    if (process != m_process || error != QProcess::FailedToStart)
        return;
    qWarning("pelorin-worker: %s", qPrintable(process->errorString()));
    const Job job = m_job;
    discardProcess();
    // The job was handed to a worker that never came: it ends as one that could not be started.
    if (job == Job::Convert)
        finishConversion({false, notStartedText(), QString()});
    else if (job == Job::Preview)
        finishPreview(previewFailure(notStartedText()));
    else if (job == Job::Dates) {
        m_datesAnsweredCount = -1;
        finishDates();
    }
}

void WorkerClient::endWorker(Ending ending)
{
    if (m_job == Job::None || m_ending != Ending::None || !m_process)
        return;
    m_ending = ending;
    m_deadline.stop();
    m_process->kill();
    // The files it left are removed once it has ended, when nothing can write them any more.
    m_killGrace.start(KillGraceMs);
}

void WorkerClient::giveUpOnWorker()
{
    if (m_job == Job::None || !m_process)
        return;
    const QString text = endText(-1, QProcess::CrashExit);
    abandon(m_process, m_job == Job::Convert ? m_destinationFolder : QString(), m_pid);
    m_process = nullptr;
    m_pid = 0;
    m_replies.clear();
    finishFailed(text);
}

void WorkerClient::discardProcess()
{
    if (!m_process)
        return;
    QProcess *process = std::exchange(m_process, nullptr);
    m_replies.clear();
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        // Reaped once it has ended, never waited for: a worker stuck on a disk that does not
        // answer ends only when the disk does, and the window must not wait with it.
        abandon(process, QString(), 0);
        return;
    }
    // It may be emitting the signal that brought us here.
    process->deleteLater();
}

QString WorkerClient::endText(int exitCode, QProcess::ExitStatus status) const
{
    switch (m_ending) {
    case Ending::TimedOut:
        return tooLongText();
    case Ending::Stopped:
        return stoppedText();
    case Ending::OtherVersion:
        return otherVersionText();
    case Ending::Broken:
    case Ending::None:
        break;
    }
    if (status != QProcess::CrashExit)
        return libraryFailedText();
    switch (exitCode) {
    case SIGXCPU: // past its processor time
        return tooLongText();
    // The out-of-memory killer, or someone ending the process: the file is not to blame.
    case SIGKILL:
    case SIGTERM:
    case SIGINT:
    case SIGHUP:
        return stoppedBySystemText();
    default:
        return libraryFailedText();
    }
}

void WorkerClient::finishFailed(const QString &text)
{
    if (m_job == Job::Dates) {
        // A worker of another version fails every file alike: none is to blame.
        if (m_ending == Ending::OtherVersion)
            m_datesAnsweredCount = -1;
        finishDates();
    }
    else if (m_job == Job::Preview)
        finishPreview(previewFailure(text));
    else
        // Also the library's message: the log names that for a file the preview could not read.
        finishConversion({false, text, text});
}

void WorkerClient::finishConversion(const ConversionResult &result)
{
    m_deadline.stop();
    m_killGrace.stop();
    Finished finished = std::exchange(m_finished, nullptr);
    m_job = Job::None;
    m_ending = Ending::None;
    m_destinationFolder.clear();
    if (finished)
        deliver([finished = std::move(finished), result] { finished(result); });
}

void WorkerClient::finishPreview(const PreviewResult &result)
{
    m_deadline.stop();
    m_killGrace.stop();
    PreviewFinished finished = std::exchange(m_previewFinished, nullptr);
    m_job = Job::None;
    m_ending = Ending::None;
    if (finished)
        deliver([finished = std::move(finished), result] { finished(result); });
}

bool WorkerClient::takeDates(int first, const QList<TakenDate> &dates)
{
    if (first != m_datesAnsweredCount || dates.size() > m_datesAsked - first ||
        (dates.isEmpty() && m_datesAsked > 0))
        return false;
    m_datesAnsweredCount += int(dates.size());
    if (m_datesAnswered)
        deliver([answered = m_datesAnswered, first, dates] { answered(first, dates); });
    return true;
}

void WorkerClient::finishDates()
{
    m_deadline.stop();
    m_killGrace.stop();
    DatesFinished finished = std::exchange(m_datesFinished, nullptr);
    m_datesAnswered = nullptr;
    m_job = Job::None;
    m_ending = Ending::None;
    if (finished)
        deliver([finished = std::move(finished), answered = m_datesAnsweredCount] {
            finished(answered);
        });
}

void WorkerClient::deliver(std::function<void()> call)
{
    // Called from the event loop afresh, never from inside a QProcess signal, so the receiver
    // may start the next item or destroy this client.
    const QPointer<WorkerClient> alive(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [alive, call = std::move(call)] {
            if (alive)
                call();
        },
        Qt::QueuedConnection);
}
