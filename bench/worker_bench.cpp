// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Measures what converting and previewing through pelorin-worker processes costs per item
// beside doing the same in process. See bench/README.md.
#include "benchpicture.h"
#include "imaging/convertpreview.h"
#include "imaging/imagepipeline.h"
#include "imaging/librarymessages.h"
#include "workers/workerclient.h"
#include "workers/workerpool.h"

#include <FreeImagePlus.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

ConversionResult convertThrough(WorkerClient &client, const ConversionRequest &request)
{
    ConversionResult result;
    QEventLoop loop;
    client.convert(request, [&](const ConversionResult &got) {
        result = got;
        loop.quit();
    });
    loop.exec();
    return result;
}

PreviewResult previewThrough(WorkerPool &pool, const PreviewRequest &request)
{
    PreviewResult result;
    QEventLoop loop;
    pool.preview(request, 10'000, [&](const PreviewResult &got) {
        result = got;
        loop.quit();
    });
    loop.exec();
    return result;
}

// Milliseconds per item of run(i) over count items; failures are counted.
double perItem(int count, int &failed, const std::function<bool(int)> &run)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        failed += run(i) ? 0 : 1;
    return timer.nsecsElapsed() / 1e6 / count;
}

void report(const char *what, double ms, double baseline, int failed)
{
    std::printf("%-44s %8.2f ms/item  overhead %+7.2f ms  failed %d\n", what, ms, ms - baseline,
                failed);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Worker process overhead benchmark"_s);
    parser.addHelpOption();
    const QCommandLineOption countOption({u"n"_s, u"count"_s}, u"Pictures to make"_s, u"count"_s,
                                         u"40"_s);
    const QCommandLineOption sizeOption({u"s"_s, u"size"_s}, u"Size of the pictures made"_s,
                                        u"WxH"_s, u"640x480"_s);
    parser.addOption(countOption);
    parser.addOption(sizeOption);
    parser.process(app);

    const int count = parser.value(countOption).toInt();
    const QStringList size = parser.value(sizeOption).split(u'x');
    const int width = size.value(0).toInt();
    const int height = size.value(1).toInt();
    if (count <= 0 || width <= 0 || height <= 0) {
        std::fprintf(stderr, "bad --count or --size\n");
        return 1;
    }
    if (WorkerClient::executablePath().isEmpty()) {
        std::fprintf(stderr, "pelorin-worker is not beside this program\n");
        return 1;
    }
    LibraryMessages::install();
    // Lets the workers crash on the names timed below (see core/workers/main.cpp).
    qputenv("PELORIN_WORKER_TEST", "1");
    qputenv("PELORIN_WORKER",
            QFile::encodeName(QCoreApplication::applicationDirPath() + u"/pelorin-worker-faults"_s));
    QTemporaryDir work;
    QStringList sources;
    for (int i = 0; i < count; ++i) {
        sources.append(work.filePath(u"picture%1.jpg"_s.arg(i, 3, 10, QChar(u'0'))));
        if (!writeBenchPicture(sources.last(), width, height, i)) {
            std::fprintf(stderr, "cannot write the pictures\n");
            return 1;
        }
    }
    // Each way writes into a folder of its own: replacing files costs more than writing new ones.
    int way = 0;
    const auto request = [&](int i) {
        const QString folder = work.filePath(u"out%1"_s.arg(way));
        QDir().mkpath(folder);
        ConversionRequest r;
        r.sourcePath = sources[i];
        r.destinationPath = folder + u"/%1.png"_s.arg(i);
        r.options.outputFormat = OutputFormat::Png;
        return r;
    };
    std::printf("%d JPEG pictures of %dx%d to PNG, one at a time\n", count, width, height);

    int failed = 0;
    const double inProcess =
        perItem(count, failed, [&](int i) { return ImagePipeline::convertOne(request(i)).ok; });
    report("in process", inProcess, inProcess, failed);

    failed = 0;
    ++way;
    WorkerClient warm;
    convertThrough(warm, request(0)); // start-up is paid once, outside the timing
    const double throughWarm =
        perItem(count, failed, [&](int i) { return convertThrough(warm, request(i)).ok; });
    report("one worker, kept running", throughWarm, inProcess, failed);

    failed = 0;
    ++way;
    const double throughFresh = perItem(count, failed, [&](int i) {
        WorkerClient fresh;
        return convertThrough(fresh, request(i)).ok;
    });
    report("a new worker for every item (after a crash)", throughFresh, inProcess, failed);

    failed = 0;
    ++way;
    const double throughCrash = perItem(count, failed, [&](int i) {
        ConversionRequest crashing = request(i);
        crashing.sourcePath += u".crash"_s;
        convertThrough(warm, crashing);
        return true;
    });
    std::printf("%-44s %8.2f ms/item\n", "a crash, noticed, cleaned up, restarted", throughCrash);

    ++way;
    {
        WorkerPool pool(2);
        int finished = 0;
        QEventLoop loop;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < count; ++i) {
            pool.start(i, request(i), [&](int, const ConversionResult &result) {
                failed += result.ok ? 0 : 1;
                if (++finished == count)
                    loop.quit();
            });
        }
        loop.exec();
        std::printf("%-44s %8.2f ms/item (wall clock, pool started cold)\n", "pool of 2",
                    timer.nsecsElapsed() / 1e6 / count);
    }

    PreviewRequest preview;
    preview.frame = QSize(217, 217);
    failed = 0;
    const double previewHere = perItem(count, failed, [&](int i) {
        preview.sourcePath = sources[i];
        return ConvertPreview::render(preview).loaded;
    });
    std::printf("\npreview into a 217x217 frame, JPEG output\n");
    report("in process", previewHere, previewHere, failed);
    failed = 0;
    WorkerPool previews(1);
    preview.sourcePath = sources[0];
    previewThrough(previews, preview);
    const double previewThere = perItem(count, failed, [&](int i) {
        preview.sourcePath = sources[i];
        return previewThrough(previews, preview).loaded;
    });
    report("warm preview worker", previewThere, previewHere, failed);
    return 0;
}
