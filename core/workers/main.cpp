// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// pelorin-worker: converts and previews the user's pictures for the window, one request at a time
// over standard input and output (workers/workerprotocol.h), until its input closes. The image
// library writes outside its buffers on some damaged files; here that ends this process only.
//
// Options, all set by the window: --address-space BYTES (3 GiB), --cpu-seconds SECONDS per item
// (120), --max-pixels PIXELS (250 megapixels), --language NAME (the texts of the replies; English
// when not given).
//
// The tests' own build of it, pelorin-worker-faults (built with PELORIN_WORKER_FAULTS, never
// installed), misbehaves when PELORIN_WORKER_TEST=1 is in its environment on a conversion, preview
// or date whose file name ends in one of these, before the file is opened:
//   .crash       it crashes (SIGSEGV);
//   .hang        it never answers;
//   .burn        it uses processor time until the processor limit ends it;
//   .burn-<ms>   it uses <ms> milliseconds of processor time, then answers as usual;
//   .version     it answers as a worker of another version would, and ends.
// Without the variable, and always in the shipped worker, these are ordinary names.
#include "imaging/convertpreview.h"
#include "imaging/imagepipeline.h"
#include "imaging/librarymessages.h"
#include "rename/takendatereader.h"
#include "strings/stringtable.h"
#include "strings/translations.h"
#include "util/pathutil.h"
#include "workers/workerprotocol.h"

#include <QCoreApplication>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = WorkerProtocol::Kind;

struct Limits
{
    qint64 addressSpace = 3LL * 1024 * 1024 * 1024;
    qint64 cpuSeconds = 120;
    qint64 maxPixels = 250'000'000;
};

bool parseArguments(const QStringList &arguments, Limits &limits, QString &language)
{
    for (qsizetype i = 1; i < arguments.size(); i += 2) {
        const QString &name = arguments.at(i);
        if (name == u"--language"_s && i + 1 < arguments.size()) {
            language = arguments.at(i + 1);
            continue;
        }
        bool ok = false;
        const qint64 value = arguments.value(i + 1).toLongLong(&ok);
        if (!ok || value <= 0)
            return false;
        if (name == u"--address-space"_s)
            limits.addressSpace = value;
        else if (name == u"--cpu-seconds"_s)
            limits.cpuSeconds = value;
        else if (name == u"--max-pixels"_s)
            limits.maxPixels = value;
        else
            return false;
    }
    return true;
}

// Lowers the soft limit only: a lowered hard limit could never be raised again.
void setSoftLimit(int resource, rlim_t value)
{
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0)
        return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? value : std::min(value, limit.rlim_max);
    ::setrlimit(resource, &limit);
}

// The processor limit counts the whole life of the process in whole seconds, so each item gets
// its budget on top of what the items before it used, rounded up: between seconds and
// seconds + 1, whatever the fractions of user and system time.
void allowProcessorTime(qint64 seconds)
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const qint64 usedMicroseconds =
        (qint64(usage.ru_utime.tv_sec) + qint64(usage.ru_stime.tv_sec)) * 1'000'000 +
        qint64(usage.ru_utime.tv_usec) + qint64(usage.ru_stime.tv_usec);
    const qint64 used = (usedMicroseconds + 999'999) / 1'000'000;
    setSoftLimit(RLIMIT_CPU, rlim_t(used + seconds));
}

bool readExactly(int fd, char *data, size_t size)
{
    while (size > 0) {
        const ssize_t got = ::read(fd, data, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= size_t(got);
    }
    return true;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    size_t size = size_t(bytes.size());
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

// False at the end of the input, or when the window sent something that is no frame.
bool readFrame(int fd, QByteArray &payload)
{
    QByteArray buffer(4, '\0');
    if (!readExactly(fd, buffer.data(), 4))
        return false;
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > WorkerProtocol::MaxFrameBytes)
        return false;
    buffer.resize(4 + qsizetype(length));
    if (!readExactly(fd, buffer.data() + 4, length))
        return false;
    return WorkerProtocol::takeFrame(buffer, payload) == WorkerProtocol::FrameStatus::Complete;
}

#ifdef PELORIN_WORKER_FAULTS
double processorMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// 0: until the processor limit ends the process.
void burnProcessorTime(int milliseconds)
{
    const double start = processorMilliseconds();
    volatile quint64 sink = 0;
    while (milliseconds == 0 || processorMilliseconds() - start < milliseconds) {
        for (int i = 0; i < 100000; ++i)
            sink = sink * 6364136223846793005ULL + 1;
    }
}

// What a test asks for by the source's name (see the top of this file).
void misbehaveAsNamed(const QString &sourcePath, int output)
{
    const QString name = sourcePath.section(u'/', -1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return;
    const QString suffix = name.mid(dot + 1);
    if (suffix == u"crash"_s) {
        std::raise(SIGSEGV);
        std::abort();
    }
    if (suffix == u"hang"_s) {
        for (;;)
            ::pause();
    }
    if (suffix == u"burn"_s) {
        burnProcessorTime(0);
        return;
    }
    if (suffix == u"version"_s) {
        QByteArray reply = WorkerProtocol::textReply(QString());
        reply[4] = char(WorkerProtocol::Version + 1); // the version byte, after the length
        writeAll(output, reply);
        ::_exit(0);
    }
    if (!suffix.startsWith(u"burn-"_s))
        return;
    bool ok = false;
    const int milliseconds = suffix.mid(5).toInt(&ok);
    if (ok && milliseconds > 0)
        burnProcessorTime(milliseconds);
}
#else
void misbehaveAsNamed(const QString &, int) {}
#endif

double wallMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// Sends the dates in parts as they are read, often enough for the window's list to fill in as it
// goes and for its timeout to be a file's, not a batch's. In parts of one, what was sent before a
// crash or a hang names the file that caused it.
bool answerDates(int output, const WorkerProtocol::Message &request, bool testNames)
{
    constexpr double PartMilliseconds = 100;
    QList<TakenDate> part;
    int first = 0;
    double started = wallMilliseconds();
    for (qsizetype i = 0; i < request.names.size(); ++i) {
        const QString path = PathUtil::append(request.folder, request.names.at(i));
        if (testNames)
            misbehaveAsNamed(path, output);
        part.append(TakenDateReader::read(path));
        const bool last = i + 1 == request.names.size();
        if (last || part.size() >= request.partSize ||
            wallMilliseconds() - started >= PartMilliseconds) {
            if (!writeAll(output, WorkerProtocol::datesReply(first, part)))
                return false;
            first = int(i + 1);
            part.clear();
            started = wallMilliseconds();
        }
    }
    return request.names.isEmpty() ? writeAll(output, WorkerProtocol::datesReply(0, {})) : true;
}

QByteArray answer(const WorkerProtocol::Message &request, const Limits &limits, bool testNames,
                  int output)
{
    if (request.kind == Kind::Convert) {
        if (testNames)
            misbehaveAsNamed(request.conversionRequest.sourcePath, output);
        return WorkerProtocol::conversionReply(
            ImagePipeline::convertWithinBudget(request.conversionRequest, limits.maxPixels));
    }
    if (request.kind == Kind::Preview) {
        if (testNames)
            misbehaveAsNamed(request.previewRequest.sourcePath, output);
        return WorkerProtocol::previewReply(
            ConvertPreview::renderWithinBudget(request.previewRequest, limits.maxPixels));
    }
    return WorkerProtocol::textReply(loadString(HelperDamagedRequest));
}

} // namespace

int main(int argc, char *argv[])
{
    // The protocol gets descriptors of its own before anything can print: a library writing to
    // standard output would otherwise corrupt the replies, and none may read the requests.
    const int input = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int output = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0 || output < 0 || nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0 ||
        ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 2;
    ::close(nothing);

    QCoreApplication app(argc, argv);
    Limits limits;
    QString language;
    if (!parseArguments(QCoreApplication::arguments(), limits, language))
        return 2;
    // The window's language, for the texts of the replies.
    if (!language.isEmpty())
        Translations::install(QLocale(language));
#ifndef PELORIN_SANITIZED
    // AddressSanitizer reserves terabytes of address space for its shadow memory.
    setSoftLimit(RLIMIT_AS, rlim_t(limits.addressSpace));
#endif
    setSoftLimit(RLIMIT_CORE, 0);
    // Each thread's malloc arena reserves 64 MiB of address space, and the RAW decoder runs one
    // thread a core: on a large machine that alone would exhaust the address space limit.
    ::mallopt(M_ARENA_MAX, 2);

    LibraryMessages::install();
#ifdef PELORIN_WORKER_FAULTS
    const bool testNames = qEnvironmentVariable("PELORIN_WORKER_TEST") == u"1"_s;
#else
    constexpr bool testNames = false;
#endif

    QByteArray payload;
    while (readFrame(input, payload)) {
        const WorkerProtocol::Message request = WorkerProtocol::decode(payload);
        if (request.kind == Kind::Invalid) {
            writeAll(output,
                     WorkerProtocol::textReply(loadString(
                         request.otherVersion ? HelperOtherVersion : HelperDamagedRequest)));
            return 3;
        }
        allowProcessorTime(limits.cpuSeconds);
        if (request.kind == Kind::Dates) {
            if (!answerDates(output, request, testNames))
                return 0;
            continue;
        }
        if (!writeAll(output, answer(request, limits, testNames, output)))
            return 0; // the window is gone
    }
    return 0;
}
