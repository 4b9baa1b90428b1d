// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/convertlistmodel.h"
#include "imaging/imagepipeline.h"
#include "imaging/orientation.h"
#include "util/pathutil.h"
#include "workers/workerpool.h"

#include "qtprinters.h"
#include "testfiles.h"
#include "testpictures.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations" // Exiv2 0.27's std::auto_ptr
#include <exiv2/exiv2.hpp>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::string_literals;

namespace {

enum Source
{
    ExifOnlyJpeg, // a phone's: date, camera, place, turned, with a thumbnail
    AllBlocksJpeg,
    CameraRaw,
};

// An old time, which no file written by the test has unless it was given it.
constexpr timespec Then{1'000'000'000, 123'456'789};

void age(const QString &path)
{
    const struct timespec times[2] = {Then, Then};
    ::utimensat(AT_FDCWD, PathUtil::encodeName(path).constData(), times, 0);
}

std::pair<time_t, long> modified(const QString &path)
{
    struct stat status = {};
    ::stat(PathUtil::encodeName(path).constData(), &status);
    return {status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}

Exiv2::Image::AutoPtr opened(const QString &path)
{
    auto image = Exiv2::ImageFactory::open(PathUtil::encodeName(path).toStdString());
    image->readMetadata();
    return image;
}

QString writeSource(const QString &folder, Source kind)
{
    QString path = folder + u"/photo.jpg"_s;
    if (kind == CameraRaw)
        writeFileBytes(path = folder + u"/camera.dng"_s, makeTestDng(64, 48));
    else
        writeTestPicture(path, 40, 30, FIF_JPEG);
    auto image = opened(path);
    Exiv2::ExifData &exif = image->exifData();
    exif["Exif.Image.Make"] = "Pelorin Optics";
    exif["Exif.Image.Model"] = "P-1";
    exif["Exif.Photo.DateTimeOriginal"] = "2024:07:14 10:31:07";
    exif["Exif.Photo.SubSecTimeOriginal"] = "123";
    exif["Exif.GPSInfo.GPSLatitude"] = "48/1 51/1 0/1";
    exif["Exif.Image.FillOrder"] = uint16_t(2); // how a scanner stored its bits, not how we do
    if (kind != CameraRaw) {
        exif["Exif.Image.Orientation"] = uint16_t(6);
        Exiv2::ExifThumb(exif).setJpegThumbnail(
            writeTestPicture(folder + u"/t.jpg"_s, 8, 6, FIF_JPEG).toStdString());
        exif["Exif.Thumbnail.Orientation"] = uint16_t(6);
    }
    if (kind == ExifOnlyJpeg)
        image->setByteOrder(Exiv2::bigEndian); // as many cameras write it
    if (kind == AllBlocksJpeg) {
        image->xmpData()["Xmp.dc.subject"] = "harbour";
        image->xmpData()["Xmp.tiff.Orientation"] = "6";
        image->iptcData()["Iptc.Application2.Keywords"] = "harbour";
    }
    image->writeMetadata();
    age(path);
    return path;
}

// The facts checked, in one line. A PNG's EXIF stands in its eXIf chunk, which Exiv2 0.27 does
// not read.
std::string factsOf(const QString &path)
{
    auto image = opened(path);
    Exiv2::ExifData exif = image->exifData();
    const QByteArray bytes = readFileBytes(path);
    if (const qsizetype at = bytes.indexOf("eXIf"); path.endsWith(u".png"_s) && at >= 4)
        Exiv2::ExifParser::decode(exif,
                                  reinterpret_cast<const Exiv2::byte *>(bytes.data()) + at + 4,
                                  qFromBigEndian<quint32>(bytes.constData() + at - 4));
    std::string facts;
    for (const char *key :
         {"Photo.DateTimeOriginal", "Photo.SubSecTimeOriginal", "Image.Make", "Image.Model",
          "GPSInfo.GPSLatitude", "Image.Orientation", "Photo.PixelXDimension",
          "Photo.PixelYDimension", "Thumbnail.Orientation", "Image.FillOrder"}) {
        const auto found = exif.findKey(Exiv2::ExifKey("Exif."s + key));
        facts += (found == exif.end() ? "-" : found->toString()) + '|';
    }
    const Exiv2::XmpData &xmp = image->xmpData();
    const auto turn = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
    return facts + std::to_string(Exiv2::ExifThumbC(exif).copy().size_) +
           (xmp.empty() ? "" : "|xmp") + (turn == xmp.end() ? "" : '=' + turn->toString()) +
           (image->iptcData().empty() ? "" : "|iptc");
}

using Metadata = testing::TestWithParam<std::tuple<OutputFormat, Source>>;

TEST_P(Metadata, TheOutputCarriesDateCameraPlaceAndKeywordsMadeTrueForThePicture)
{
    const auto [format, kind] = GetParam();
    QTemporaryDir folder;
    const QString destination = folder.filePath(u"out"_s + outputExtension(format));
    ConversionOptions options;
    options.outputFormat = format;
    const ConversionResult result =
        ImagePipeline::convertOne({writeSource(folder.path(), kind), destination, options});
    ASSERT_EQ(std::pair(result.ok, result.metadataNote), std::pair(true, QString()));
    // Upright: the stored 40 × 30 picture is 30 × 40; the camera file is 64 × 48. Its old
    // thumbnail is gone, and so is the scanner's bit order (a TIFF has its writer's own). WebP has
    // no place for IPTC.
    const std::string size = kind == CameraRaw ? "64|48|" : "30|40|";
    const bool blocks = kind == AllBlocksJpeg;
    EXPECT_EQ(factsOf(destination), "2024:07:14 10:31:07|123|Pelorin Optics|P-1|48/1 51/1 0/1|1|" +
                                        size + "-|" + (format == OutputFormat::Tiff ? "1" : "-") +
                                        "|0" + (blocks ? "|xmp=1" : "") +
                                        (blocks && format != OutputFormat::Webp ? "|iptc" : ""));
    EXPECT_NE(modified(destination).first, Then.tv_sec); // "Keep file dates" is off
}

INSTANTIATE_TEST_SUITE_P(FormatsAndSources, Metadata,
                         testing::Combine(testing::Values(OutputFormat::Jpeg, OutputFormat::Png,
                                                          OutputFormat::Tiff, OutputFormat::Webp),
                                          testing::Values(ExifOnlyJpeg, AllBlocksJpeg, CameraRaw)));

// Where Exiv2 cannot read the source, the library's writers copy what its reader kept. Turned by
// its tag or by the user, the picture says upright in the raw EXIF block, whichever way its bytes
// run, and in the XMP, and the raw block's thumbnail, turned the old way, is unlinked.
TEST(LibraryMetadata, ATurnedPictureSaysUprightAndLosesItsThumbnail)
{
    QTemporaryDir folder;
    for (const auto &[kind, orientation, angle] :
         {std::tuple(ExifOnlyJpeg, 6, 0), std::tuple(AllBlocksJpeg, 1, 90)}) {
        fipImage image = readPicture(writeSource(folder.path(), kind));
        Orientation::apply(image, orientation, angle);
        ASSERT_TRUE(image.save(QFile::encodeName(folder.filePath(u"out.jpg"_s))));
        EXPECT_EQ(factsOf(folder.filePath(u"out.jpg"_s)),
                  "2024:07:14 10:31:07|123|Pelorin Optics|P-1|48/1 51/1 0/1|1|-|-|-|2|0"s +
                      (kind == AllBlocksJpeg ? "|xmp=1|iptc" : ""));
    }
}

// Metadata that cannot be kept never costs the picture; the log says so. "Keep file dates" on
// gives the source's time. Converted in a worker, so that both cross to it and back.
TEST(MetadataLeftOut, DamagedOrHugeBlocksAreWrittenWithoutAndLoggedAndDatesAreKept)
{
    QTemporaryDir source, destination;
    const QString damaged = writeTestPicture(source.filePath(u"damaged.jpg"_s), 40, 30, FIF_JPEG);
    writeFileBytes(damaged, readFileBytes(damaged).insert(2, "\xff\xe1\0\x0c"
                                                             "Exif\0\0XX*\0"_ba));
    const QString huge = writeTestPicture(source.filePath(u"huge.tif"_s), 40, 30, FIF_TIFF);
    auto image = opened(huge);
    image->exifData()["Exif.Photo.UserComment"] = "charset=Ascii " + std::string(70'000, 'x');
    image->writeMetadata();
    age(huge);

    ConvertListModel list;
    list.setNames({u"damaged.jpg"_s, u"huge.tif"_s});
    WorkerPool workers(1);
    BatchConverter batch(list, workers);
    ConversionOptions options{.sourceFolder = source.path(),
                              .destinationFolder = destination.path(),
                              .keepFileDates = true};
    batch.convertAll(options);
    ASSERT_TRUE(runEventsUntil([&] { return !batch.isBusy(); }));
    const QString log = QString::fromUtf8(readFileBytes(ConversionLog::path(destination.path())));
    EXPECT_TRUE(log.contains(u"damaged.jpg : conversion OK (the metadata could not be kept: the "
                             "source's metadata is damaged)\r\nhuge.tif : conversion OK (the "
                             "metadata could not be kept: its EXIF block is larger than the "
                             "output format can hold)\r\n"_s))
        << log.toStdString();
    EXPECT_EQ(factsOf(destination.filePath(u"damaged.jpg"_s)), "-|-|-|-|-|-|-|-|-|-|0");
    EXPECT_EQ(modified(destination.filePath(u"huge.jpg"_s)), modified(huge));
}

} // namespace
