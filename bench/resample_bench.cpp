// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
// What the resized conversion costs and loses, step by step, and what the PNG and WEBP writers'
// choices cost.
// Usage:
//   resample_bench psnr FOLDER [pixels]   the reduced path (read small, box, Catmull-Rom) against
//                                         the full read with Catmull-Rom, per JPEG: PSNR in dB
//   resample_bench steps FOLDER [pixels]  milliseconds of each way to read and resample
//   resample_bench encoders FOLDER [NAME]  PNG levels and WEBP flags (those whose names begin
//                                         with NAME): milliseconds and bytes
//   resample_bench photos RAW... OUT N WxH
//                                         N photo-like JPEGs of WxH made of the developed RAW
//                                         files, tiled and mirrored at their own resolution
#include "imaging/imagepipeline.h"
#include "imaging/orientation.h"
#include "imaging/pngwriter.h"
#include "imaging/resampler.h"
#include "imaging/sourcefile.h"
#include "imaging/webpwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <FreeImagePlus.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Processor time: on a shared machine, wall time measures the neighbours too.
double cpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double psnr(fipImage a, fipImage b)
{
    a.convertTo24Bits();
    b.convertTo24Bits();
    if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight())
        return 0;
    double sum = 0;
    const unsigned width = a.getWidth();
    for (unsigned y = 0; y < a.getHeight(); ++y) {
        const BYTE *p = a.getScanLine(y);
        const BYTE *q = b.getScanLine(y);
        for (unsigned x = 0; x < width * 3; ++x)
            sum += double(p[x] - q[x]) * (p[x] - q[x]);
    }
    const double mse = sum / (double(width) * a.getHeight() * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

QStringList jpegs(const QString &folder)
{
    QStringList paths;
    for (const QString &name :
         QDir(folder).entryList({u"*.jpg"_s, u"*.JPG"_s, u"*.jpeg"_s}, QDir::Files))
        paths << folder + u'/' + name;
    return paths;
}

// Read (with the flags), upright, resized to pixels on the large side by the way given.
fipImage read(const QString &path, int flags)
{
    SourceFile source;
    fipImage image;
    if (!source.open(path))
        return image;
    const auto loaded = ImagePipeline::loadPicture(image, source, 0, QString(), flags);
    Orientation::apply(image, loaded.orientation, 0);
    return image;
}

fipImage reference(const QString &path, int pixels)
{
    fipImage image = read(path, JPEG_DEFAULT);
    const QSize size = ImagePipeline::resizedSize(QSize(image.getWidth(), image.getHeight()),
                                                  ResizeMode::LargeSide, pixels);
    image.rescale(size.width(), size.height(), FILTER_CATMULLROM);
    return image;
}

fipImage reduced(const QString &path, int pixels)
{
    SourceFile source;
    if (!source.open(path))
        return fipImage();
    fipImage image =
        read(path, ImagePipeline::jpegShrinkFlags(source, ResizeMode::LargeSide, pixels, 0));
    ImagePipeline::resizeImage(image, ResizeMode::LargeSide, pixels);
    return image;
}

int psnrs(const QString &folder, int pixels)
{
    double worst = 99;
    for (const QString &path : jpegs(folder)) {
        const double db = psnr(reference(path, pixels), reduced(path, pixels));
        std::printf("%-40s %6.2f dB\n", qPrintable(QFileInfo(path).fileName()), db);
        worst = std::min(worst, db);
    }
    std::printf("worst PSNR, reduced against full read with Catmull-Rom: %.2f dB\n", worst);
    return 0;
}

int steps(const QString &folder, int pixels)
{
    struct Way
    {
        const char *name;
        bool small;
        FREE_IMAGE_FILTER first; // to twice the size; FILTER_BOX or the final filter alone
        FREE_IMAGE_FILTER final;
        bool twoSteps;
        bool own = false; // the program's Catmull-Rom
    };
    const Way ways[] = {
        {"full read, Catmull-Rom", false, FILTER_CATMULLROM, FILTER_CATMULLROM, false},
        {"full read, bilinear", false, FILTER_BILINEAR, FILTER_BILINEAR, false},
        {"full read, box", false, FILTER_BOX, FILTER_BOX, false},
        {"full read, box to 2x, Catmull-Rom", false, FILTER_BOX, FILTER_CATMULLROM, true},
        {"small read, Catmull-Rom", true, FILTER_CATMULLROM, FILTER_CATMULLROM, false},
        {"small read, bilinear", true, FILTER_BILINEAR, FILTER_BILINEAR, false},
        {"small read, box to 2x, Catmull-Rom", true, FILTER_BOX, FILTER_CATMULLROM, true},
        {"small read, Lanczos 3", true, FILTER_LANCZOS3, FILTER_LANCZOS3, false},
        {"full read, own Catmull-Rom", false, FILTER_BOX, FILTER_CATMULLROM, false, true},
        {"small read, own Catmull-Rom", true, FILTER_BOX, FILTER_CATMULLROM, false, true},
    };
    const QStringList paths = jpegs(folder);
    std::vector<fipImage> references;
    for (const QString &path : paths)
        references.push_back(reference(path, pixels));
    std::printf("%-38s %10s %10s %10s\n", "way", "read cpu ms", "resize cpu ms", "worst dB");
    for (const Way &way : ways) {
        double readMs = 0, resizeMs = 0, worst = 99;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            SourceFile source;
            source.open(paths[i]);
            double start = cpuMs();
            const int flags =
                way.small ? ImagePipeline::jpegShrinkFlags(source, ResizeMode::LargeSide, pixels, 0)
                          : JPEG_DEFAULT;
            fipImage image = read(paths[i], flags);
            readMs += cpuMs() - start;
            start = cpuMs();
            const QSize target = ImagePipeline::resizedSize(
                QSize(image.getWidth(), image.getHeight()), ResizeMode::LargeSide, pixels);
            if (way.own) {
                Resampler::catmullRom(image, target.width(), target.height());
            } else {
                if (way.twoSteps && target.width() * 2 < int(image.getWidth()))
                    image.rescale(target.width() * 2, target.height() * 2, way.first);
                image.rescale(target.width(), target.height(), way.final);
            }
            resizeMs += cpuMs() - start;
            worst = std::min(worst, psnr(references[size_t(i)], image));
        }
        const double n = std::max<qsizetype>(paths.size(), 1);
        std::printf("%-38s %10.1f %10.1f %10.2f\n", way.name, readMs / n, resizeMs / n, worst);
    }
    return 0;
}

// Only the writers whose names begin with the prefix given, when one is.
int encoders(const QString &folder, const QString &only)
{
    struct Choice
    {
        const char *name;
        FREE_IMAGE_FORMAT fif;
        int flags;
        bool own = false; // the program's writer rather than the library's
    };
    const Choice choices[] = {
        {"PNG Pelorin (Paeth, runs)", FIF_PNG, 0, true},
        {"PNG default (zlib 6)", FIF_PNG, 0},
        {"PNG zlib 1", FIF_PNG, 1},
        {"PNG zlib 2", FIF_PNG, 2},
        {"PNG zlib 3", FIF_PNG, 3},
        {"PNG zlib 4", FIF_PNG, 4},
        {"PNG zlib 5", FIF_PNG, 5},
        {"PNG zlib 9", FIF_PNG, 9},
        {"PNG no compression", FIF_PNG, PNG_Z_NO_COMPRESSION},
        {"WEBP Pelorin (method 4, 75)", FIF_WEBP, 75, true},
        {"WEBP default (method 6, 75)", FIF_WEBP, 0},
        {"WEBP quality 90", FIF_WEBP, 90},
        {"WEBP quality 50", FIF_WEBP, 50},
        {"WEBP lossless", FIF_WEBP, WEBP_LOSSLESS},
    };
    std::vector<fipImage> pictures;
    for (const QString &path : jpegs(folder))
        pictures.push_back(read(path, JPEG_DEFAULT));
    std::printf("%-28s %10s %12s\n", "writer", "cpu ms", "kB");
    for (const Choice &choice : choices) {
        if (!QString::fromLatin1(choice.name).startsWith(only))
            continue;
        double ms = 0, bytes = 0;
        for (fipImage &picture : pictures) {
            const double start = cpuMs();
            if (choice.own) {
                char *data = nullptr;
                size_t size = 0;
                std::FILE *file = ::open_memstream(&data, &size);
                int error = 0;
                if (choice.fif == FIF_PNG)
                    PngWriter::write(picture, file, error);
                else
                    WebpWriter::write(picture, choice.flags, file, error);
                std::fclose(file);
                ms += cpuMs() - start;
                bytes += double(size);
                std::free(data);
                continue;
            }
            fipMemoryIO memory;
            picture.saveToMemory(choice.fif, memory, choice.flags);
            ms += cpuMs() - start;
            BYTE *data = nullptr;
            DWORD size = 0;
            memory.acquire(&data, &size);
            bytes += size;
        }
        const double n = std::max<size_t>(pictures.size(), 1);
        std::printf("%-28s %10.1f %12.0f\n", choice.name, ms / n, bytes / n / 1000);
    }
    return 0;
}

// Tiles mirrored copies of the developed RAW pictures (shifted per photo) over WxH: real camera
// detail and noise at their own resolution, with the tile borders for edges.
int photos(const QStringList &raws, const QString &out, int count, QSize size)
{
    std::vector<fipImage> developed;
    for (const QString &raw : raws) {
        fipImage image;
        ImagePipeline::loadPicture(image, raw, 0, u".dng;.kdc;"_s);
        ImagePipeline::toStandardBitmap(image);
        if (image.convertTo24Bits() && image.getWidth() > 16)
            developed.push_back(image);
    }
    if (developed.empty())
        return 1;
    QDir().mkpath(out);
    for (int n = 0; n < count; ++n) {
        const fipImage &tile = developed[size_t(n) % developed.size()];
        const int tw = int(tile.getWidth()), th = int(tile.getHeight());
        fipImage photo(FIT_BITMAP, size.width(), size.height(), 24);
        for (int y = 0; y < size.height(); ++y) {
            const int ty = (y + n * 97) % (2 * th);
            const BYTE *line = tile.getScanLine(unsigned(ty < th ? ty : 2 * th - 1 - ty));
            BYTE *target = photo.getScanLine(unsigned(y));
            for (int x = 0; x < size.width(); ++x) {
                const int tx = (x + n * 131) % (2 * tw);
                std::copy_n(line + 3 * (tx < tw ? tx : 2 * tw - 1 - tx), 3, target + 3 * x);
            }
        }
        const QString path = u"%1/photo-%2.jpg"_s.arg(out).arg(n, 2, 10, QLatin1Char('0'));
        if (!photo.save(FIF_JPEG, QFile::encodeName(path).constData(), 92))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    const int pixels = args.value(2, u"1920"_s).toInt();
    if (mode == u"psnr" && args.size() >= 2)
        return psnrs(args[1], pixels);
    if (mode == u"steps" && args.size() >= 2)
        return steps(args[1], pixels);
    if (mode == u"encoders" && args.size() >= 2)
        return encoders(args[1], args.value(2));
    if (mode == u"photos" && args.size() >= 5) {
        const QStringList size = args.last().split(u'x');
        return photos(args.mid(1, args.size() - 4), args[args.size() - 3],
                      args[args.size() - 2].toInt(),
                      QSize(size.value(0).toInt(), size.value(1).toInt()));
    }
    std::fprintf(stderr, "usage: resample_bench psnr|steps|encoders FOLDER [pixels]\n"
                         "       resample_bench photos RAW... OUT N WxH\n");
    return 2;
}
