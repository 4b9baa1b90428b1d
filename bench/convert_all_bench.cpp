// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// "Convert all" as the convert page runs it, through the worker processes: pictures per second
// and the largest worker's peak memory, for JPEG with and without a resize to 1920 pixels on the
// large side, PNG, WEBP and TIFF at full size.
// Usage: convert_all_bench [folder] [case] [workers] [destination]
//   folder:  pictures to convert (default: 12 made here, 24 megapixels each)
//   case:    jpeg-1920, jpeg-full, png, webp or tiff: that case alone, as one line
//            "seconds pictures/s peak-kB bytes"; without it every case runs, each in a process of
//            its own
//   workers: default one per core
//   destination: an empty folder that keeps the pictures (default: a temporary one)
#include "benchpicture.h"
#include "convert/convertsession.h"
#include "convert/imagefolderscan.h"
#include "prefs/preferences.h"
#include "workers/workerpool.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <FreeImage.h>

#include <cstdio>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList Cases = {u"jpeg-1920"_s, u"jpeg-full"_s, u"png"_s, u"webp"_s, u"tiff"_s};

struct Figures
{
    double seconds = 0;
    qint64 bytes = 0;
};

Figures run(const QString &source, int workers, const QString &kind, const QString &keepIn)
{
    QTemporaryDir temporary;
    const QString destination = keepIn.isEmpty() ? temporary.path() : keepIn;
    const Preferences preferences;
    ConvertSession session(preferences, std::make_shared<WorkerPool>(workers), nullptr);
    ConversionOptions options;
    options.outputFormat = kind == u"png"_s    ? OutputFormat::Png
                           : kind == u"webp"_s ? OutputFormat::Webp
                           : kind == u"tiff"_s ? OutputFormat::Tiff
                                               : OutputFormat::Jpeg;
    options.jpegQualityPosition = 15; // 75 percent
    options.resize = kind == u"jpeg-1920"_s;
    options.resizeMode = ResizeMode::LargeSide;
    options.resizePixels = 1920;
    session.setOptions(options);
    session.chooseSourceFolder(source);
    session.chooseDestinationFolder(destination);
    QEventLoop loop;
    QObject::connect(&session, &ConvertSession::conversionFinished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    session.convertAll();
    if (session.isConverting())
        loop.exec();
    const double seconds = timer.elapsed() / 1000.0;
    const QFileInfoList written = QDir(destination).entryInfoList(QDir::Files);
    qint64 bytes = 0;
    for (const QFileInfo &file : written)
        bytes += file.size();
    const qsizetype sources = QDir(source).entryList(QDir::Files).size();
    if (written.size() < sources)
        std::fprintf(stderr, "%s: %d of %d pictures written\n", qPrintable(kind),
                     int(written.size()), int(sources));
    return {seconds, bytes};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir made;
    QString source = args.value(1);
    if (source.isEmpty()) {
        source = made.path();
        std::printf("making 12 pictures of 6000x4000...\n");
        for (int i = 0; i < 12; ++i)
            writeBenchPicture(u"%1/photo-%2.jpg"_s.arg(source).arg(i, 3, 10, QLatin1Char('0')),
                              6000, 4000, i);
    }
    const qsizetype count =
        ImageFolderScan::listNames(source, QString(), Preferences().extensionList(AllImagesIndex))
            .size();
    const int workers =
        args.value(3).toInt() > 0 ? args.value(3).toInt() : QThread::idealThreadCount();
    if (Cases.contains(args.value(2))) {
        const Figures figures = run(source, workers, args.value(2), args.value(4));
        // The workers have ended and been waited for: the largest one's peak.
        rusage usage{};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        std::printf("%.3f %.3f %ld %lld\n", figures.seconds, count / figures.seconds,
                    usage.ru_maxrss, figures.bytes);
        return 0;
    }
    std::printf("%d pictures in %s, %d workers\n", int(count), qPrintable(source), workers);
    std::printf("%-12s %10s %12s %16s %10s\n", "case", "seconds", "pictures/s", "worker peak MB",
                "MB out");
    for (const QString &kind : Cases) {
        QProcess one;
        one.start(app.applicationFilePath(), {source, kind, QString::number(workers)});
        one.waitForFinished(-1);
        const QStringList figures = QString::fromLatin1(one.readAllStandardOutput()).split(u' ');
        std::printf("%-12s %10.2f %12.2f %16.0f %10.1f\n", qPrintable(kind),
                    figures.value(0).toDouble(), figures.value(1).toDouble(),
                    figures.value(2).toDouble() / 1024, figures.value(3).toDouble() / 1e6);
    }
    return 0;
}
