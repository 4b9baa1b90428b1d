#include "convert/workerprotocol.h"

#include "util/pathutil.h"

#include "qtprinters.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = WorkerProtocol::Kind;

// What the other side reads from a frame.
WorkerProtocol::Message decoded(QByteArray frame, QByteArray *payload = nullptr)
{
    QByteArray taken;
    EXPECT_EQ(WorkerProtocol::takeFrame(frame, taken), WorkerProtocol::FrameStatus::Complete);
    return WorkerProtocol::decode(payload ? *payload = taken : taken);
}

TEST(WorkerProtocol, RequestsAndRepliesCrossWithEveryField)
{
    // A name that is not UTF-8 crosses with its escaped bytes.
    ConversionRequest c{PathUtil::decodeName("/in/\xc3\x89t\xc3\xa9/IMG\xff 1.CR2"),
                        PathUtil::decodeName("/out/IMG\xff 1.webp"),
                        {},
                        -270};
    c.options = {u"/in/Été"_s, u"/out"_s, OutputFormat::Webp,    true, true,  3,
                 -7,           true,      ResizeMode::LargeSide, 1234, false, u"*.cr2"_s};
    // Decoded and sent again, each request gives the very bytes it came from.
    const auto sent = decoded(WorkerProtocol::convertRequest(c));
    EXPECT_EQ(std::pair(sent.kind, WorkerProtocol::convertRequest(sent.conversionRequest)),
              std::pair(Kind::Convert, WorkerProtocol::convertRequest(c)));
    const PreviewRequest p{u"/in/a.nef"_s, QSize(217, 163), 180, OutputFormat::Tiff, 7, true, 8,
                           u"*.nef"_s};
    const auto shown = decoded(WorkerProtocol::previewRequest(p));
    EXPECT_EQ(std::pair(shown.kind, WorkerProtocol::previewRequest(shown.previewRequest)),
              std::pair(Kind::Preview, WorkerProtocol::previewRequest(p)));
    const ConversionResult result{false, u" *** Save image error: File exists"_s, u"x"_s, true};
    const auto reply = decoded(WorkerProtocol::conversionReply(result));
    EXPECT_EQ(std::pair(reply.kind, WorkerProtocol::conversionReply(reply.conversionResult)),
              std::pair(Kind::ConversionReply, WorkerProtocol::conversionReply(result)));

    // Three RGB888 pixels fill 9 bytes of a 12-byte line: the padding must not shift the rows.
    QImage padded(3, 2, QImage::Format_RGB888);
    padded.fill(Qt::white);
    padded.setPixel(2, 0, qRgb(4, 5, 6));
    padded.setPixel(0, 1, qRgb(7, 8, 9));
    for (const auto &[image, recognised] : {std::pair(padded, true), std::pair(QImage(), false)}) {
        PreviewResult result{true, recognised, true, image, u" PNG format: (x)"_s};
        const auto reply = decoded(WorkerProtocol::previewReply(result));
        const PreviewResult &got = reply.previewResult;
        EXPECT_EQ(std::tuple(reply.kind, got.loaded, got.raw, got.recognised, got.libraryMessage,
                             got.image.format(), got.image),
                  std::tuple(Kind::PreviewReply, true, true, recognised, result.libraryMessage,
                             image.format(), image));
    }
}

// A preview reply written by hand, with picture fields a sound worker never sends.
Kind previewReplyKind(qint32 format, qint32 width, qint32 height, qint32 bytesPerLine)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << WorkerProtocol::Version << quint8(Kind::PreviewReply) << true << true << false
        << QString() << format << width << height << bytesPerLine << QByteArray(32, '\x7f');
    return WorkerProtocol::decode(payload).kind;
}

TEST(WorkerProtocol, DamagedMessagesAreRefusedNotTrusted)
{
    PreviewResult result{true, true, false, QImage(6, 5, QImage::Format_ARGB32_Premultiplied), {}};
    result.image.fill(Qt::red);
    QByteArray whole, request;
    ASSERT_EQ(decoded(WorkerProtocol::previewReply(result), &whole).kind, Kind::PreviewReply);
    // A worker that dies mid-write, or writes more than its answer.
    for (qsizetype cut = 0; cut < whole.size(); ++cut)
        EXPECT_EQ(WorkerProtocol::decode(whole.left(cut)).kind, Kind::Invalid) << cut;
    EXPECT_EQ(WorkerProtocol::decode(whole + '\0').kind, Kind::Invalid);
    EXPECT_TRUE(
        WorkerProtocol::decode(char(WorkerProtocol::Version + 1) + whole.mid(1)).otherVersion);
    EXPECT_EQ(WorkerProtocol::decode(whole.left(1) + char(77) + whole.mid(2)).kind, Kind::Invalid);

    // 32 bytes sent: 4 × 2 or 8 × 1 ARGB pixels fit, nothing else does.
    const qint32 argb = QImage::Format_ARGB32;
    EXPECT_EQ(std::pair(previewReplyKind(argb, 4, 2, 16), previewReplyKind(argb, 8, 1, 32)),
              std::pair(Kind::PreviewReply, Kind::PreviewReply));
    for (const Kind kind :
         {previewReplyKind(argb, 4, 3, 16), previewReplyKind(argb, 9, 1, 32),
          previewReplyKind(argb, -4, -2, -16), previewReplyKind(argb, 65536, 65536, 262144),
          previewReplyKind(QImage::Format_Indexed8, 32, 1, 32), previewReplyKind(999, 4, 2, 16)})
        EXPECT_EQ(kind, Kind::Invalid);

    // A length no reply has is a stream out of step, never something to wait for.
    QByteArray huge(4, '\0');
    qToBigEndian<quint32>(WorkerProtocol::MaxFrameBytes + 1, huge.data());
    EXPECT_EQ(WorkerProtocol::takeFrame(huge, whole), WorkerProtocol::FrameStatus::Invalid);

    // An output format out of range never reaches the pipeline; it follows four empty strings.
    decoded(WorkerProtocol::convertRequest({}), &request);
    qToBigEndian<qint32>(9, request.data() + 2 + 4 * 4);
    EXPECT_EQ(WorkerProtocol::decode(request).kind, Kind::Invalid);
}

} // namespace
