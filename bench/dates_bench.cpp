// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// Times reading when the photos of one large folder were taken: through the worker pool, as the
// rename page does, and in this process on one core for comparison. See bench/README.md.
#include "rename/takendatereader.h"
#include "workers/workerpool.h"

// Exiv2 0.27 hands its images out in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A camera's JPEG in small: a 3000x2000 picture's header, a thumbnail and the usual tags.
QByteArray cameraLikeJpeg(const QString &scratch)
{
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    if (!picture.save(scratch, "JPEG", 85))
        return {};
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(scratch).toStdString());
        image->readMetadata();
        Exiv2::ExifData &exif = image->exifData();
        exif["Exif.Image.Make"] = "Pelorin Optics";
        exif["Exif.Image.Model"] = "P-1 Mark II";
        exif["Exif.Image.Orientation"] = uint16_t(1);
        exif["Exif.Photo.DateTimeOriginal"] = "2024:05:01 10:00:00";
        exif["Exif.Photo.SubSecTimeOriginal"] = "25";
        exif["Exif.Photo.OffsetTimeOriginal"] = "+02:00";
        exif["Exif.Photo.ExposureTime"] = "1/250";
        exif["Exif.Photo.FNumber"] = "56/10";
        exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(200);
        exif["Exif.GPSInfo.GPSLatitude"] = "48/1 51/1 0/1";
        QImage thumbnail = picture.scaled(160, 120);
        const QString thumbPath = scratch + u".thumb.jpg"_s;
        thumbnail.save(thumbPath, "JPEG", 80);
        QFile thumbFile(thumbPath);
        thumbFile.open(QIODevice::ReadOnly);
        const QByteArray thumb = thumbFile.readAll();
        Exiv2::ExifThumb(exif).setJpegThumbnail(
            reinterpret_cast<const Exiv2::byte *>(thumb.constData()), long(thumb.size()));
        image->writeMetadata();
    } catch (const Exiv2::Error &error) {
        std::fprintf(stderr, "cannot tag the photo: %s\n", error.what());
        return {};
    }
    QFile file(scratch);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double peakMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Dates taken benchmark"_s);
    parser.addHelpOption();
    const QCommandLineOption countOption({u"n"_s, u"count"_s}, u"Photos to make"_s, u"count"_s,
                                         u"10000"_s);
    const QCommandLineOption workersOption(
        {u"w"_s, u"workers"_s}, u"Worker processes (0: one a core)"_s, u"count"_s, u"0"_s);
    const QCommandLineOption fromOption(
        u"from"_s, u"Copy this photo instead of making a camera-like JPEG"_s, u"file"_s);
    parser.addOption(countOption);
    parser.addOption(workersOption);
    parser.addOption(fromOption);
    parser.process(app);

    const int count = parser.value(countOption).toInt();
    QTemporaryDir work(QDir::tempPath() + u"/dates_bench-XXXXXX"_s);
    if (count <= 0 || !work.isValid()) {
        std::fprintf(stderr, "need a positive count and a temporary folder\n");
        return 1;
    }
    QByteArray photo;
    QString suffix = u"jpg"_s;
    if (parser.isSet(fromOption)) {
        QFile from(parser.value(fromOption));
        if (from.open(QIODevice::ReadOnly))
            photo = from.readAll();
        suffix = QFileInfo(from.fileName()).suffix();
    } else {
        photo = cameraLikeJpeg(work.filePath(u"template.jpg"_s));
    }
    if (photo.isEmpty()) {
        std::fprintf(stderr, "no photo to copy\n");
        return 1;
    }
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names.append(u"IMG_%1.%2"_s.arg(i, 5, 10, QChar(u'0')).arg(suffix));
        QFile file(work.filePath(names.back()));
        if (!file.open(QIODevice::WriteOnly) || file.write(photo) != photo.size()) {
            std::fprintf(stderr, "cannot write the photos\n");
            return 1;
        }
    }
    // The files are in the page cache, as after the listing that precedes reading their dates.
    std::printf("%d photos of %lld bytes\n", count, qlonglong(photo.size()));

    QElapsedTimer timer;
    timer.start();
    int dated = 0, answered = 0, workers = 0;
    double elapsed = 0;
    {
        WorkerPool pool(parser.value(workersOption).toInt());
        pool.readDates(work.path(), names, [&](int, const QList<TakenDate> &dates) {
            answered += int(dates.size());
            for (const TakenDate &date : dates)
                dated += date.microseconds ? 1 : 0;
        });
        while (answered < count)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        elapsed = double(timer.nsecsElapsed()) / 1e9;
        workers = pool.capacity();
    }
    // The workers have ended, and been waited for, with the pool.
    std::printf("workers (%d):   %.3f s, %d dated, peak worker memory %.1f MiB\n", workers, elapsed,
                dated, peakMiB());

    timer.restart();
    dated = 0;
    for (const QString &name : names)
        dated += TakenDateReader::read(work.filePath(name)).microseconds ? 1 : 0;
    std::printf("in process, one core: %.3f s, %d dated\n", double(timer.nsecsElapsed()) / 1e9,
                dated);
    return 0;
}
