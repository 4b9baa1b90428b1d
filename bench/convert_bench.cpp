// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Converts a folder of pictures with the conversion pipeline and prints pictures per second and
// the peak memory of the process. See bench/README.md.
#include "benchpicture.h"
#include "imaging/imagepipeline.h"
#include "imaging/librarymessages.h"

#include <FreeImagePlus.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Scenario
{
    const char *name;
    ConversionOptions options;
};

long peakRssKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Conversion pipeline benchmark"_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"folder"_s, u"Pictures to convert (default: made up)"_s);
    const QCommandLineOption countOption(
        {u"n"_s, u"count"_s}, u"Pictures to make when no folder is given"_s, u"count"_s, u"40"_s);
    const QCommandLineOption sizeOption({u"s"_s, u"size"_s}, u"Size of the pictures made"_s,
                                        u"WxH"_s, u"1600x1200"_s);
    const QCommandLineOption widthOption({u"w"_s, u"width"_s},
                                         u"Width of the resized JPEG outputs"_s, u"pixels"_s,
                                         u"800"_s);
    parser.addOption(countOption);
    parser.addOption(sizeOption);
    parser.addOption(widthOption);
    parser.process(app);

    LibraryMessages::install();
    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }

    QString sourceFolder;
    if (!parser.positionalArguments().isEmpty()) {
        sourceFolder = parser.positionalArguments().constFirst();
    } else {
        const int count = parser.value(countOption).toInt();
        const QStringList size = parser.value(sizeOption).split(u'x');
        const int width = size.value(0).toInt();
        const int height = size.value(1).toInt();
        if (count <= 0 || width <= 0 || height <= 0) {
            std::fprintf(stderr, "bad --count or --size\n");
            return 1;
        }
        sourceFolder = work.filePath(u"source"_s);
        QDir().mkpath(sourceFolder);
        std::printf("making %d JPEG pictures of %dx%d...\n", count, width, height);
        for (int i = 0; i < count; ++i) {
            if (!writeBenchPicture(sourceFolder + u"/picture%1.jpg"_s.arg(i, 3, 10, QChar(u'0')),
                                   width, height, i)) {
                std::fprintf(stderr, "cannot write the pictures\n");
                return 1;
            }
        }
    }
    if (!QFileInfo(sourceFolder).isDir()) {
        std::fprintf(stderr, "no folder %s\n", QFile::encodeName(sourceFolder).constData());
        return 1;
    }
    const QStringList names = QDir(sourceFolder).entryList(QDir::Files, QDir::Name);
    std::printf("%lld pictures in %s\n", qlonglong(names.size()),
                QFile::encodeName(sourceFolder).constData());

    const int resizeWidth = parser.value(widthOption).toInt();
    if (resizeWidth <= 0) {
        std::fprintf(stderr, "bad --width\n");
        return 1;
    }
    Scenario jpegResized{"JPEG quality 16, resized", {}};
    jpegResized.options.outputFormat = OutputFormat::Jpeg;
    jpegResized.options.jpegQualityPosition = 16;
    jpegResized.options.resize = true;
    jpegResized.options.resizeMode = ResizeMode::Width;
    jpegResized.options.resizePixels = resizeWidth;
    Scenario png{"PNG, full size", {}};
    png.options.outputFormat = OutputFormat::Png;

    for (const Scenario &scenario : {jpegResized, png}) {
        const QString destination = work.filePath(QString::fromLatin1(scenario.name).left(4));
        QDir().mkpath(destination);
        const QString extension = outputExtension(scenario.options.outputFormat);
        int failed = 0;
        QElapsedTimer timer;
        timer.start();
        for (const QString &name : names) {
            const ConversionResult result = ImagePipeline::convertOne(
                {sourceFolder + u'/' + name,
                 destination + u'/' + QFileInfo(name).completeBaseName() + extension,
                 scenario.options, 0});
            if (!result.ok) {
                ++failed;
                std::fprintf(stderr, "%s: %s%s\n", QFile::encodeName(name).constData(),
                             result.resultMessage.toLocal8Bit().constData(),
                             result.libraryMessage.toLocal8Bit().constData());
            }
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf(
            "%-28s %4lld pictures  %7.2f s  %6.2f pictures/s  failed %d  peak RSS %ld MiB\n",
            scenario.name, qlonglong(names.size()), seconds,
            seconds > 0 ? names.size() / seconds : 0.0, failed, peakRssKib() / 1024);
    }
    return 0;
}
