// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// The full run over damaged pictures: writes as many as asked, converts them all through the
// worker processes as "Convert all" does, and tells how each ended. Not part of the test suite:
// a few thousand pictures take minutes.
// Usage: hostile_run [count] [seed] [folder]
//   folder: where to write the damaged pictures and keep them (default: a temporary folder)
// Beside the damaged pictures it writes three that claim 60000 pixels a side (GIF, JPEG 2000,
// JP2), and after the run it times Stop on two pictures that never finish.
#include "convert/conversionlog.h"
#include "convert/convertsession.h"
#include "hostilecorpus.h"
#include "prefs/preferences.h"
#include "testfiles.h"
#include "testpictures.h"
#include "workers/workerclient.h"
#include "workers/workerpool.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// The page's session over both folders, converting in the pool.
std::unique_ptr<ConvertSession> session(const Preferences &preferences,
                                        std::shared_ptr<WorkerPool> pool, const QString &source,
                                        const QString &destination)
{
    auto session = std::make_unique<ConvertSession>(preferences, std::move(pool), nullptr);
    session->chooseSourceFolder(source);
    session->chooseDestinationFolder(destination);
    return session;
}

void convertAll(ConvertSession &session)
{
    QEventLoop loop;
    QObject::connect(&session, &ConvertSession::conversionFinished, &loop, &QEventLoop::quit);
    session.convertAll();
    if (session.isConverting())
        loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const quint32 seed = argc > 2 ? quint32(std::strtoul(argv[2], nullptr, 10)) : 1;
    QTemporaryDir temporary;
    const QString source = argc > 3 ? QString::fromLocal8Bit(argv[3]) : temporary.path();
    QDir().mkpath(source);
    QTemporaryDir destination;
    QList<HostileFile> corpus = writeHostileCorpus(source, count, seed);
    const QSize huge(60000, 60000);
    for (const auto &[name, bytes] :
         {std::pair{u"hostile-bomb-gif.gif"_s, makeTestGif(huge, {{1, 1}})},
          std::pair{u"hostile-bomb-j2k.j2k"_s, makeTestJ2k(huge)},
          std::pair{u"hostile-bomb-jp2.jp2"_s, makeTestJp2(huge, makeTestJ2k(huge))}}) {
        writeFileBytes(source + u'/' + name, bytes);
        corpus.append({name, u"claims 60000 pixels a side"_s});
    }
    const Preferences preferences;
    QElapsedTimer timer;
    timer.start();
    {
        // Ended before the figures are read: only workers that have ended count in them.
        const auto run =
            session(preferences, std::make_shared<WorkerPool>(), source, destination.path());
        QObject::connect(run.get(), &ConvertSession::progressChanged, [](int done, int total) {
            if (done % 100 == 0 || done == total)
                std::fprintf(stderr, "\r%d / %d", done, total);
        });
        QObject::connect(run.get(), &ConvertSession::runEnded, [] { std::fprintf(stderr, "\n"); });
        convertAll(*run);
    }
    const double seconds = timer.elapsed() / 1000.0;

    QFile log(ConversionLog::path(destination.path()));
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no log written\n");
        return 1;
    }
    QHash<QString, int> outcomes;
    int lines = 0;
    for (const QString &line : QString::fromUtf8(log.readAll()).split(u"\r\n"_s)) {
        if (!line.startsWith(u"hostile-"_s))
            continue;
        ++lines;
        QString outcome = line.section(u" : "_s, 1);
        if (outcome.startsWith(u"Original image error"_s))
            outcome = u"Original image error"_s;
        else if (outcome.startsWith(u"the picture is too large"_s))
            outcome = u"the picture is too large to convert"_s;
        ++outcomes[outcome];
    }
    const int partial = int(
        QDir(destination.path()).entryList({u".pelorin-*"_s}, QDir::Files | QDir::Hidden).size());
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);

    std::printf("%d damaged pictures, %d log lines, %d partial files left\n", int(corpus.size()),
                lines, partial);
    for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
        std::printf("%6d  %s\n", it.value(), qPrintable(it.key()));
    std::printf("%.1f s in all, %.1f ms a picture; largest worker %ld MiB\n", seconds,
                1000.0 * seconds / std::max<qsizetype>(1, corpus.size()), usage.ru_maxrss / 1024);

    // Stop with two pictures that never finish: the time from Stop to the end of the run.
    qputenv("PELORIN_WORKER_TEST", "1");
    qputenv("PELORIN_WORKER",
            QFile::encodeName(QCoreApplication::applicationDirPath() + u"/pelorin-worker-faults"_s));
    // Listed first, and named so that the worker never finishes them.
    for (const QString &name : {u"a-stuck1.hang"_s, u"a-stuck2.hang"_s})
        writeFileBytes(source + u'/' + name, "never read");
    Preferences stuckPreferences;
    stuckPreferences.setExtensionList(ImageFormatGroup::PngImages, u".png;.hang;"_s);
    const auto stuckPool = std::make_shared<WorkerPool>(2);
    const auto stopped = session(stuckPreferences, stuckPool, source, destination.path());
    QElapsedTimer sinceStop;
    QObject::connect(stopped.get(), &ConvertSession::currentRowShown, [&](int row) {
        if (row != 1)
            return;
        QTimer::singleShot(500, stuckPool.get(), [&] {
            sinceStop.start();
            stopped->stop();
        });
    });
    convertAll(*stopped);
    std::printf("Stop with two stuck pictures: the run ended %lld ms after Stop\n",
                sinceStop.elapsed());
    return lines == corpus.size() && partial == 0 ? 0 : 1;
}
