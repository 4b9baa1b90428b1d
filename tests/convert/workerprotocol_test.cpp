#include "convert/workerprotocol.h"

#include "qtprinters.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = WorkerProtocol::Kind;

// The payload of the one frame in bytes.
QByteArray payloadOf(QByteArray bytes)
{
    QByteArray payload;
    EXPECT_EQ(WorkerProtocol::takeFrame(bytes, payload), WorkerProtocol::FrameStatus::Complete);
    EXPECT_TRUE(bytes.isEmpty());
    return payload;
}

WorkerProtocol::Message roundTrip(const QByteArray &frame)
{
    return WorkerProtocol::decode(payloadOf(frame));
}

// A reply written by hand, for fields a well-behaved worker never sends.
QByteArray handMadePreviewReply(qint32 format, qint32 width, qint32 height, qint32 bytesPerLine,
                                const QByteArray &bits)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << WorkerProtocol::Version << quint8(Kind::PreviewReply) << true << false << QString()
        << format << width << height << bytesPerLine << bits;
    return payload;
}

TEST(WorkerProtocol, RequestsCrossWithEveryField)
{
    ConversionRequest conversion;
    conversion.sourcePath = u"/pictures/Été 2024/IMG_0001.CR2"_s;
    conversion.destinationPath = u"/out/IMG_0001.webp"_s;
    conversion.rotation = -270;
    ConversionOptions &o = conversion.options;
    o.sourceFolder = u"/pictures/Été 2024"_s;
    o.destinationFolder = u"/out"_s;
    o.outputFormat = OutputFormat::Webp;
    o.grayscale = true;
    o.deleteMetadata = true;
    o.jpegQualityPosition = 3;
    o.rawBrightness = -7;
    o.resize = true;
    o.resizeMode = ResizeMode::LargeSide;
    o.resizePixels = 1234;
    o.replaceFiles = false;
    o.rawExtensions = u"*.cr2;*.nef"_s;

    const WorkerProtocol::Message c = roundTrip(WorkerProtocol::convertRequest(conversion));
    ASSERT_EQ(c.kind, Kind::Convert);
    const ConversionRequest &r = c.conversionRequest;
    EXPECT_EQ(r.sourcePath, conversion.sourcePath);
    EXPECT_EQ(r.destinationPath, conversion.destinationPath);
    EXPECT_EQ(r.rotation, -270);
    EXPECT_EQ(r.options.sourceFolder, o.sourceFolder);
    EXPECT_EQ(r.options.destinationFolder, o.destinationFolder);
    EXPECT_EQ(r.options.outputFormat, OutputFormat::Webp);
    EXPECT_TRUE(r.options.grayscale);
    EXPECT_TRUE(r.options.deleteMetadata);
    EXPECT_EQ(r.options.jpegQualityPosition, 3);
    EXPECT_EQ(r.options.rawBrightness, -7);
    EXPECT_TRUE(r.options.resize);
    EXPECT_EQ(r.options.resizeMode, ResizeMode::LargeSide);
    EXPECT_EQ(r.options.resizePixels, 1234);
    EXPECT_FALSE(r.options.replaceFiles);
    EXPECT_EQ(r.options.rawExtensions, o.rawExtensions);

    PreviewRequest preview;
    preview.sourcePath = u"/pictures/a.nef"_s;
    preview.frame = QSize(217, 163);
    preview.rotation = 180;
    preview.outputFormat = OutputFormat::Tiff;
    preview.jpegQualityPosition = 7;
    preview.grayscale = true;
    preview.rawBrightness = 8;
    preview.rawExtensions = u"*.nef"_s;
    const WorkerProtocol::Message p = roundTrip(WorkerProtocol::previewRequest(preview));
    ASSERT_EQ(p.kind, Kind::Preview);
    EXPECT_EQ(p.previewRequest.sourcePath, preview.sourcePath);
    EXPECT_EQ(p.previewRequest.frame, QSize(217, 163));
    EXPECT_EQ(p.previewRequest.rotation, 180);
    EXPECT_EQ(p.previewRequest.outputFormat, OutputFormat::Tiff);
    EXPECT_EQ(p.previewRequest.jpegQualityPosition, 7);
    EXPECT_TRUE(p.previewRequest.grayscale);
    EXPECT_EQ(p.previewRequest.rawBrightness, 8);
    EXPECT_EQ(p.previewRequest.rawExtensions, u"*.nef"_s);

    const WorkerProtocol::Message burn = roundTrip(WorkerProtocol::testRequest(Kind::BurnCpu, 700));
    EXPECT_EQ(burn.kind, Kind::BurnCpu);
    EXPECT_EQ(burn.milliseconds, 700);
}

TEST(WorkerProtocol, RepliesCrossWithTheirPicture)
{
    const ConversionResult converted{true, u"End of conversion!"_s, u" JPEG format: (x)"_s};
    const WorkerProtocol::Message c = roundTrip(WorkerProtocol::conversionReply(converted));
    ASSERT_EQ(c.kind, Kind::ConversionReply);
    EXPECT_TRUE(c.conversionResult.ok);
    EXPECT_EQ(c.conversionResult.resultMessage, converted.resultMessage);
    EXPECT_EQ(c.conversionResult.libraryMessage, converted.libraryMessage);

    // Three RGB888 pixels take 9 bytes of a 12-byte line: the padding must not shift the rows.
    QImage padded(3, 2, QImage::Format_RGB888);
    padded.setPixel(0, 0, qRgb(1, 2, 3));
    padded.setPixel(2, 0, qRgb(4, 5, 6));
    padded.setPixel(0, 1, qRgb(7, 8, 9));
    padded.setPixel(2, 1, qRgb(10, 11, 12));
    QImage alpha(5, 4, QImage::Format_ARGB32_Premultiplied);
    alpha.fill(qRgba(0, 0, 0, 0));
    alpha.setPixel(4, 3, qRgba(200, 100, 50, 255));
    for (const QImage &image : {padded, alpha, QImage()}) {
        PreviewResult result;
        result.loaded = true;
        result.raw = true;
        result.image = image;
        const WorkerProtocol::Message p = roundTrip(WorkerProtocol::previewReply(result));
        ASSERT_EQ(p.kind, Kind::PreviewReply);
        EXPECT_TRUE(p.previewResult.loaded);
        EXPECT_TRUE(p.previewResult.raw);
        EXPECT_EQ(p.previewResult.image.format(), image.format());
        EXPECT_EQ(p.previewResult.image, image);
    }

    const WorkerProtocol::Message t = roundTrip(WorkerProtocol::textReply(u"refused"_s));
    ASSERT_EQ(t.kind, Kind::TextReply);
    EXPECT_EQ(t.text, u"refused"_s);
}

TEST(WorkerProtocol, DamagedMessagesAreRefusedNotTrusted)
{
    PreviewResult result;
    result.loaded = true;
    result.image = QImage(6, 5, QImage::Format_ARGB32_Premultiplied);
    result.image.fill(Qt::red);
    const QByteArray whole = payloadOf(WorkerProtocol::previewReply(result));
    ASSERT_EQ(WorkerProtocol::decode(whole).kind, Kind::PreviewReply);
    // A worker that dies mid-write, or writes garbage after the answer.
    for (qsizetype cut = 0; cut < whole.size(); ++cut)
        EXPECT_EQ(WorkerProtocol::decode(whole.left(cut)).kind, Kind::Invalid) << cut;
    EXPECT_EQ(WorkerProtocol::decode(whole + '\0').kind, Kind::Invalid);

    QByteArray otherVersion = whole;
    otherVersion[0] = char(WorkerProtocol::Version + 1);
    const WorkerProtocol::Message other = WorkerProtocol::decode(otherVersion);
    EXPECT_EQ(other.kind, Kind::Invalid);
    EXPECT_TRUE(other.otherVersion);

    QByteArray unknownKind = whole;
    unknownKind[1] = char(77);
    EXPECT_EQ(WorkerProtocol::decode(unknownKind).kind, Kind::Invalid);

    // Sizes that do not match the bytes sent, and formats that would need a colour table.
    const QByteArray bits(4 * 4 * 2, '\x7f');
    const qint32 argb = QImage::Format_ARGB32;
    EXPECT_EQ(WorkerProtocol::decode(handMadePreviewReply(argb, 4, 2, 16, bits)).kind,
              Kind::PreviewReply);
    EXPECT_EQ(WorkerProtocol::decode(handMadePreviewReply(argb, 4, 3, 16, bits)).kind,
              Kind::Invalid);
    EXPECT_EQ(WorkerProtocol::decode(handMadePreviewReply(argb, 8, 1, 32, bits)).kind,
              Kind::PreviewReply);
    EXPECT_EQ(WorkerProtocol::decode(handMadePreviewReply(argb, 9, 1, 32, bits)).kind,
              Kind::Invalid); // 9 pixels need 36 bytes a line
    EXPECT_EQ(WorkerProtocol::decode(handMadePreviewReply(argb, -4, -2, -16, bits)).kind,
              Kind::Invalid);
    EXPECT_EQ(WorkerProtocol::decode(handMadePreviewReply(argb, 65536, 65536, 262144, bits)).kind,
              Kind::Invalid);
    EXPECT_EQ(
        WorkerProtocol::decode(handMadePreviewReply(QImage::Format_Indexed8, 32, 1, 32, bits)).kind,
        Kind::Invalid);
    EXPECT_EQ(WorkerProtocol::decode(handMadePreviewReply(999, 4, 2, 16, bits)).kind,
              Kind::Invalid);

    // Enumerations out of range never reach the pipeline as values it does not know.
    QByteArray request = payloadOf(WorkerProtocol::convertRequest({}));
    ASSERT_EQ(WorkerProtocol::decode(request).kind, Kind::Convert);
    // The output format follows the two paths and the two folders, all empty (4 bytes each).
    qToBigEndian<qint32>(9, request.data() + 2 + 4 * 4);
    EXPECT_EQ(WorkerProtocol::decode(request).kind, Kind::Invalid);
}

TEST(WorkerProtocol, FramesAreTakenWholeAndInOrder)
{
    const QByteArray first = WorkerProtocol::textReply(u"first"_s);
    const QByteArray second = WorkerProtocol::conversionReply({false, u"second"_s, QString()});
    const QByteArray stream = first + second;

    // A pipe hands the bytes over in any pieces, here one at a time.
    QByteArray buffer;
    QList<WorkerProtocol::Message> messages;
    for (char byte : stream) {
        buffer += byte;
        QByteArray payload;
        if (WorkerProtocol::takeFrame(buffer, payload) == WorkerProtocol::FrameStatus::Complete)
            messages.append(WorkerProtocol::decode(payload));
    }
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].text, u"first"_s);
    EXPECT_EQ(messages[1].conversionResult.resultMessage, u"second"_s);
    EXPECT_TRUE(buffer.isEmpty());

    QByteArray huge(4, '\0');
    qToBigEndian<quint32>(WorkerProtocol::MaxFrameBytes + 1, huge.data());
    QByteArray payload;
    EXPECT_EQ(WorkerProtocol::takeFrame(huge, payload), WorkerProtocol::FrameStatus::Invalid);
}

} // namespace
