// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/batchconverter.h"
#include "convert/conversionlog.h"
#include "convert/convertlistmodel.h"
#include "convert/imagepipeline.h"
#include "convert/inplacerunner.h"
#include "convert/workerprotocol.h"
#include "util/pathutil.h"

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

namespace {

enum Source
{
    ExifOnlyJpeg, // a phone's: date, camera, place, turned, with a thumbnail
    AllBlocksJpeg,
    CameraRaw,
};

// An old time, which no file written by the test has unless it was given it.
constexpr struct timespec Then
{
    1'000'000'000, 123'456'789
};

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
        writeFileBytes(path = folder + u"/camera.dng"_s,
                       readFileBytes(QStringLiteral(PELORIN_TEST_FILES_DIR "/camera.dng")));
    else
        writeTestPicture(path, 40, 30, FIF_JPEG);
    auto image = opened(path);
    Exiv2::ExifData &exif = image->exifData();
    exif["Exif.Image.Make"] = "Pelorin Optics";
    exif["Exif.Image.Model"] = "P-1";
    exif["Exif.Photo.DateTimeOriginal"] = "2024:07:14 10:31:07";
    exif["Exif.Photo.SubSecTimeOriginal"] = "123";
    exif["Exif.GPSInfo.GPSLatitude"] = "48/1 51/1 0/1";
    if (kind != CameraRaw) {
        exif["Exif.Image.Orientation"] = uint16_t(6);
        const QByteArray thumbnail =
            readFileBytes(writeTestPicture(folder + u"/t.jpg"_s, 8, 6, FIF_JPEG));
        Exiv2::ExifThumb(exif).setJpegThumbnail(
            reinterpret_cast<const Exiv2::byte *>(thumbnail.constData()), long(thumbnail.size()));
    }
    if (kind == AllBlocksJpeg) {
        image->xmpData()["Xmp.dc.subject"] = "harbour";
        image->iptcData()["Iptc.Application2.Keywords"] = "harbour";
    }
    image->writeMetadata();
    const struct timespec times[2] = {Then, Then};
    ::utimensat(AT_FDCWD, PathUtil::encodeName(path).constData(), times, 0);
    return path;
}

// A PNG's EXIF stands in its eXIf chunk, which Exiv2 0.27 does not read.
Exiv2::ExifData exifOf(const QString &path, Exiv2::Image &image)
{
    const QByteArray bytes = readFileBytes(path);
    const qsizetype chunk = bytes.indexOf("eXIf");
    if (!path.endsWith(u".png"_s))
        return image.exifData();
    Exiv2::ExifData exif;
    if (chunk >= 4)
        Exiv2::ExifParser::decode(
            exif, reinterpret_cast<const Exiv2::byte *>(bytes.constData()) + chunk + 4,
            qFromBigEndian<quint32>(bytes.constData() + chunk - 4));
    return exif;
}

std::string value(const Exiv2::ExifData &exif, const char *key)
{
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? "(none)" : found->toString();
}

class Metadata : public testing::TestWithParam<std::tuple<OutputFormat, Source>>
{
protected:
    QTemporaryDir m_folder;
};

TEST_P(Metadata, TheOutputCarriesDateCameraPlaceAndKeywordsMadeTrueForThePicture)
{
    const auto [format, kind] = GetParam();
    const QString destination = m_folder.filePath(u"out"_s + outputExtension(format));
    ConversionOptions options;
    options.outputFormat = format;
    const ConversionResult result =
        ImagePipeline::convertOne({writeSource(m_folder.path(), kind), destination, options});
    ASSERT_TRUE(result.ok) << result.resultMessage.toStdString();
    EXPECT_EQ(result.metadataNote, QString());

    auto image = opened(destination);
    const Exiv2::ExifData exif = exifOf(destination, *image);
    const fipImage picture = readPicture(destination);
    const std::string width = std::to_string(picture.getWidth());
    EXPECT_EQ(std::vector<std::string>(
                  {value(exif, "Exif.Photo.DateTimeOriginal"),
                   value(exif, "Exif.Photo.SubSecTimeOriginal"), value(exif, "Exif.Image.Make"),
                   value(exif, "Exif.Image.Model"), value(exif, "Exif.GPSInfo.GPSLatitude"),
                   value(exif, "Exif.Image.Orientation"), value(exif, "Exif.Photo.PixelXDimension"),
                   value(exif, "Exif.Photo.PixelYDimension")}),
              std::vector<std::string>({"2024:07:14 10:31:07", "123", "Pelorin Optics", "P-1",
                                        "48/1 51/1 0/1", "1", width,
                                        std::to_string(picture.getHeight())}));
    // Turned upright: the 40 × 30 stored picture is 30 wide, and its old thumbnail is gone.
    if (kind != CameraRaw) {
        EXPECT_EQ(width, "30");
    }
    EXPECT_EQ(Exiv2::ExifThumbC(exif).copy().size_, 0);
    const bool keyword =
        image->xmpData().findKey(Exiv2::XmpKey("Xmp.dc.subject")) != image->xmpData().end();
    EXPECT_EQ(keyword, kind == AllBlocksJpeg);
    if (format != OutputFormat::Webp) { // WebP has no place for IPTC
        EXPECT_EQ(image->iptcData().empty(), kind != AllBlocksJpeg);
    }
    struct stat status
    {
    };
    ASSERT_EQ(::stat(PathUtil::encodeName(destination).constData(), &status), 0);
    EXPECT_NE(status.st_mtim.tv_sec, Then.tv_sec); // "Keep file dates" is off
}

INSTANTIATE_TEST_SUITE_P(FormatsAndSources, Metadata,
                         testing::Combine(testing::Values(OutputFormat::Jpeg, OutputFormat::Png,
                                                          OutputFormat::Tiff, OutputFormat::Webp),
                                          testing::Values(ExifOnlyJpeg, AllBlocksJpeg, CameraRaw)));

// Metadata that cannot be kept never costs the picture; the log says so. The dates are given with
// "Keep file dates" on, and both cross to the worker.
TEST(MetadataLeftOut, DamagedOrHugeBlocksAreWrittenWithoutAndLoggedAndDatesAreKept)
{
    QTemporaryDir source, destination;
    QByteArray damaged =
        readFileBytes(writeTestPicture(source.filePath(u"damaged.jpg"_s), 40, 30, FIF_JPEG));
    damaged.insert(2, QByteArray("\xff\xe1\0\x10"
                                 "Exif\0\0"
                                 "XX*\0\xff\xff",
                                 16));
    writeFileBytes(source.filePath(u"damaged.jpg"_s), damaged);
    const QString huge = writeTestPicture(source.filePath(u"huge.tif"_s), 40, 30, FIF_TIFF);
    auto image = opened(huge);
    image->exifData()["Exif.Photo.UserComment"] = "charset=Ascii " + std::string(70'000, 'x');
    image->writeMetadata();
    const struct timespec times[2] = {Then, Then};
    ::utimensat(AT_FDCWD, PathUtil::encodeName(huge).constData(), times, 0);

    ConvertListModel list;
    list.setNames({u"damaged.jpg"_s, u"huge.tif"_s});
    InPlaceRunner runner;
    BatchConverter batch(list, runner);
    bool finished = false;
    QObject::connect(&batch, &BatchConverter::finished, [&] { finished = true; });
    ConversionOptions options{.sourceFolder = source.path(),
                              .destinationFolder = destination.path(),
                              .keepFileDates = true};
    const ConversionOptions crossed =
        WorkerProtocol::decode(WorkerProtocol::convertRequest({{}, {}, options}).mid(4))
            .conversionRequest.options;
    EXPECT_TRUE(crossed.keepFileDates);
    batch.convertAll(options);
    ASSERT_TRUE(runEventsUntil([&] { return finished; }));
    const QString log = QString::fromUtf8(readFileBytes(ConversionLog::path(destination.path())));
    EXPECT_TRUE(log.contains(u"damaged.jpg : conversion OK (the metadata could not be kept: the "
                             "source's metadata is damaged)\r\nhuge.tif : conversion OK (the "
                             "metadata could not be kept: its EXIF block is larger than the "
                             "output format can hold)\r\n"_s))
        << log.toStdString();
    EXPECT_TRUE(opened(destination.filePath(u"damaged.jpg"_s))->exifData().empty());
    struct stat status
    {
    };
    ASSERT_EQ(
        ::stat(PathUtil::encodeName(destination.filePath(u"huge.jpg"_s)).constData(), &status), 0);
    EXPECT_EQ(std::pair(status.st_mtim.tv_sec, status.st_mtim.tv_nsec),
              std::pair(Then.tv_sec, Then.tv_nsec));

    ConversionResult result;
    result.metadataNote = u"why"_s;
    EXPECT_EQ(WorkerProtocol::decode(WorkerProtocol::conversionReply(result).mid(4))
                  .conversionResult.metadataNote,
              result.metadataNote);
}

} // namespace
