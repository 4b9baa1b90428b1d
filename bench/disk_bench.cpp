// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// What asking the disk costs a run (whether the folders are one, the case rule), on the kinds of
// disk mounted here, and how long a stop takes when the destination stops answering.
#include "convert/convertsession.h"
#include "prefs/preferences.h"
#include "util/folderprobe.h"
#include "util/pathutil.h"

#include "realmount.h"
#include "stuckrunner.h"
#include "testfiles.h"
#include "testpictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The median microseconds of the checks a run makes at its start.
double startCheckMicros(const QByteArray &source, const QByteArray &destination)
{
    std::vector<double> times;
    for (int round = 0; round < 51; ++round) {
        QElapsedTimer timer;
        timer.start();
        FolderProbe::sameFolder(source, destination);
        FolderProbe::caseRule(destination);
        times.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + 25, times.end());
    return times[25];
}

// Milliseconds from a stop to the run's end with the destination's server frozen, at the start
// of the run (freezeFirst) or with pictures in flight.
double stopMillis(const QString &source, RealMount &share, bool freezeFirst)
{
    const Preferences preferences;
    const auto stuck = std::make_shared<StuckRunner>();
    ConvertSession session(preferences, stuck, {});
    bool ended = false;
    QObject::connect(&session, &ConvertSession::conversionFinished, &session,
                     [&ended] { ended = true; });
    session.chooseSourceFolder(source);
    session.chooseDestinationFolder(share.path());
    if (freezeFirst)
        ::kill(pid_t(share.serverPid()), SIGSTOP);
    session.convertAll();
    if (!freezeFirst) {
        runEventsUntil([&] { return stuck->started > 0; });
        ::kill(pid_t(share.serverPid()), SIGSTOP);
    }
    QElapsedTimer timer;
    timer.start();
    session.stop();
    runEventsUntil([&] { return ended; });
    const double millis = double(timer.elapsed());
    ::kill(pid_t(share.serverPid()), SIGCONT);
    return millis;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString source = dir.filePath(u"src"_s);
    QDir().mkpath(source);
    QDir().mkpath(dir.filePath(u"scratch"_s));
    writeTestPicture(source + u"/a.png"_s, 16, 16);
    const QByteArray sourceBytes = PathUtil::encodeName(source);

    std::printf("start checks of a run (median of 51), microseconds:\n");
    QDir().mkpath(dir.filePath(u"local"_s));
    std::printf("  %-8s %8.0f\n", "local",
                startCheckMicros(sourceBytes, QFile::encodeName(dir.filePath(u"local"_s))));
    for (const RealMount::Kind kind : {RealMount::Kind::Bind, RealMount::Kind::Fat,
                                       RealMount::Kind::ExFat, RealMount::Kind::Ntfs}) {
        QString why;
        const QString at = dir.filePath(QString::fromLatin1(RealMount::name(kind)));
        const auto mount = RealMount::make(kind, at, dir.filePath(u"scratch"_s), why,
                                           dir.filePath(u"local"_s));
        if (!mount) {
            std::printf("  %-8s skipped: %s\n", RealMount::name(kind), qPrintable(why));
            continue;
        }
        std::printf("  %-8s %8.0f\n", RealMount::name(kind),
                    startCheckMicros(sourceBytes, PathUtil::encodeName(mount->path())));
    }

    QString why;
    const auto share = RealMount::make(RealMount::Kind::Bind, dir.filePath(u"share"_s),
                                       dir.filePath(u"scratch"_s), why, dir.filePath(u"local"_s));
    if (!share || share->serverPid() <= 0) {
        std::printf("stop with a frozen destination: skipped: %s\n", qPrintable(why));
        return 0;
    }
    std::printf("stop with a frozen destination, milliseconds: at the start %.0f, with pictures "
                "in flight %.0f\n",
                stopMillis(source, *share, true), stopMillis(source, *share, false));
    return 0;
}
