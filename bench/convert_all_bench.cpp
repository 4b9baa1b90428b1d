// "Convert all" as the convert page runs it, through the worker processes: pictures per second
// with one worker and with one per core, with and without a resize.
// Usage: convert_all_bench [folder] [repeat]
//   folder: pictures to convert (default: 12 made here, 24 megapixels each)
#include "benchpicture.h"
#include "convert/convertsession.h"
#include "convert/imagefolderscan.h"
#include "convert/workerpool.h"
#include "prefs/preferences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <FreeImage.h>

#include <cstdio>

namespace {

double run(const QString &source, int workers, bool resize)
{
    QTemporaryDir destination;
    const Preferences preferences;
    ConvertSession session(preferences, std::make_shared<WorkerPool>(workers), nullptr);
    ConversionOptions options;
    options.outputFormat = OutputFormat::Jpeg;
    options.resize = resize;
    options.resizeMode = ResizeMode::LargeSide;
    options.resizePixels = 1920;
    session.setOptions(options);
    session.chooseSourceFolder(source);
    session.chooseDestinationFolder(destination.path());
    QEventLoop loop;
    QObject::connect(&session, &ConvertSession::conversionFinished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    session.convertAll();
    if (session.isConverting())
        loop.exec();
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir made;
    QString source = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (source.isEmpty()) {
        source = made.path();
        std::printf("making 12 pictures of 6000x4000...\n");
        for (int i = 0; i < 12; ++i)
            writeBenchPicture(
                QStringLiteral("%1/photo-%2.jpg").arg(source).arg(i, 3, 10, QLatin1Char('0')), 6000,
                4000, i);
    }
    const QStringList names =
        ImageFolderScan::listNames(source, QString(), Preferences().extensionList(AllImagesIndex));
    const int cores = QThread::idealThreadCount();
    std::printf("%d pictures in %s, %d cores\n", int(names.size()), qPrintable(source), cores);
    std::printf("%-28s %8s %10s %14s\n", "run", "workers", "seconds", "pictures/s");
    for (const bool resize : {true, false}) {
        for (const int workers : {1, cores}) {
            const double seconds = run(source, workers, resize);
            std::printf("%-28s %8d %10.2f %14.2f\n",
                        resize ? "JPEG, large side 1920" : "JPEG, full size", workers, seconds,
                        names.size() / seconds);
        }
    }
    return 0;
}
