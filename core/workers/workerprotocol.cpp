// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "workers/workerprotocol.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace {

// Stands in for any field when counting the fields of a structure.
struct AnyField
{
    template <typename T> operator T() const;
};

// How many fields brace initialisation of T takes: the structure's own fields, counted the same
// on every word size and compiler.
template <typename T, typename... Fields> constexpr int fieldCount()
{
    if constexpr (requires { T{Fields{}..., AnyField{}}; })
        return fieldCount<T, Fields..., AnyField>();
    else
        return int(sizeof...(Fields));
}

// A field added to one of these structures must also cross to the worker, or the worker would
// quietly convert with its default value.
static_assert(fieldCount<ConversionOptions>() == 13, "send the new option field to the worker");
static_assert(fieldCount<ConversionRequest>() == 5, "send the new request field to the worker");
static_assert(fieldCount<PreviewRequest>() == 8, "send the new preview field to the worker");
static_assert(fieldCount<ConversionResult>() == 6, "send the new result field to the window");

using Kind = WorkerProtocol::Kind;

QByteArray frame(Kind kind, const std::function<void(QDataStream &)> &fields)
{
    QByteArray bytes(4, '\0');
    {
        QDataStream out(&bytes, QIODevice::WriteOnly | QIODevice::Append);
        out.setVersion(QDataStream::Qt_6_0);
        out << WorkerProtocol::Version << quint8(kind);
        if (fields)
            fields(out);
    }
    qToBigEndian(quint32(bytes.size() - 4), bytes.data());
    return bytes;
}

void writeOptions(QDataStream &out, const ConversionOptions &o)
{
    out << o.sourceFolder << o.destinationFolder << qint32(o.outputFormat) << o.grayscale
        << o.deleteMetadata << qint32(o.jpegQualityPosition) << qint32(o.rawBrightness) << o.resize
        << qint32(o.resizeMode) << qint32(o.resizePixels) << o.replaceFiles << o.rawExtensions
        << o.keepFileDates;
}

bool readOutputFormat(QDataStream &in, OutputFormat &format)
{
    qint32 value = 0;
    in >> value;
    format = OutputFormat(value);
    return value >= int(OutputFormat::Jpeg) && value <= int(OutputFormat::Webp);
}

bool readOptions(QDataStream &in, ConversionOptions &o)
{
    qint32 quality = 0, brightness = 0, mode = 0, pixels = 0;
    in >> o.sourceFolder >> o.destinationFolder;
    const bool formatKnown = readOutputFormat(in, o.outputFormat);
    in >> o.grayscale >> o.deleteMetadata >> quality >> brightness >> o.resize >> mode >> pixels >>
        o.replaceFiles >> o.rawExtensions >> o.keepFileDates;
    o.jpegQualityPosition = quality;
    o.rawBrightness = brightness;
    o.resizeMode = ResizeMode(mode);
    o.resizePixels = pixels;
    return formatKnown && mode >= int(ResizeMode::Width) && mode <= int(ResizeMode::LargeSide);
}

void writeImage(QDataStream &out, const QImage &image)
{
    out << qint32(image.format()) << qint32(image.width()) << qint32(image.height())
        << qint32(image.bytesPerLine());
    out.writeBytes(reinterpret_cast<const char *>(image.constBits()), uint(image.sizeInBytes()));
}

bool readImage(QDataStream &in, QImage &image)
{
    qint32 format = 0, width = 0, height = 0, bytesPerLine = 0;
    QByteArray bits;
    in >> format >> width >> height >> bytesPerLine >> bits;
    if (in.status() != QDataStream::Ok)
        return false;
    if (format == QImage::Format_Invalid)
        return width == 0 && height == 0 && bits.isEmpty(); // a null image
    // Formats with a colour table are never sent: toQImage gives 32-bit pictures.
    if (format <= QImage::Format_Indexed8 || format >= QImage::NImageFormats || width <= 0 ||
        height <= 0 || bytesPerLine <= 0)
        return false;
    const QImage::Format qformat = QImage::Format(format);
    const qint64 lineBytes =
        (qint64(width) * QImage::toPixelFormat(qformat).bitsPerPixel() + 7) / 8;
    if (bytesPerLine < lineBytes || qint64(bytesPerLine) * height != bits.size())
        return false;
    image = QImage(width, height, qformat);
    if (image.isNull())
        return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), bits.constData() + qint64(y) * bytesPerLine,
                    size_t(lineBytes));
    return true;
}

} // namespace

QByteArray WorkerProtocol::convertRequest(const ConversionRequest &request)
{
    return frame(Kind::Convert, [&request](QDataStream &out) {
        out << request.sourcePath << request.destinationPath;
        writeOptions(out, request.options);
        out << qint32(request.rotation) << request.writtenNames;
    });
}

QByteArray WorkerProtocol::previewRequest(const PreviewRequest &request)
{
    return frame(Kind::Preview, [&request](QDataStream &out) {
        out << request.sourcePath << request.frame << qint32(request.rotation)
            << qint32(request.outputFormat) << qint32(request.jpegQualityPosition)
            << request.grayscale << qint32(request.rawBrightness) << request.rawExtensions;
    });
}

QByteArray WorkerProtocol::conversionReply(const ConversionResult &result)
{
    return frame(Kind::ConversionReply, [&result](QDataStream &out) {
        out << result.ok << result.resultMessage << result.libraryMessage
            << result.destinationExists << result.sameFileAs << result.metadataNote;
    });
}

QByteArray WorkerProtocol::previewReply(const PreviewResult &result)
{
    return frame(Kind::PreviewReply, [&result](QDataStream &out) {
        out << result.loaded << result.recognised << result.raw << result.libraryMessage;
        writeImage(out, result.image);
    });
}

QByteArray WorkerProtocol::datesRequest(const QString &folder, const QStringList &names,
                                        int partSize)
{
    return frame(Kind::Dates,
                 [&](QDataStream &out) { out << folder << names << qint32(partSize); });
}

QByteArray WorkerProtocol::datesReply(int first, const QList<TakenDate> &dates)
{
    return frame(Kind::DatesReply, [&](QDataStream &out) {
        out << qint32(first) << quint32(dates.size());
        for (const TakenDate &date : dates)
            out << date.microseconds.has_value() << date.microseconds.value_or(0)
                << date.subSeconds;
    });
}

QByteArray WorkerProtocol::textReply(const QString &text)
{
    return frame(Kind::TextReply, [&text](QDataStream &out) { out << text; });
}

WorkerProtocol::FrameStatus WorkerProtocol::takeFrame(QByteArray &buffer, QByteArray &payload)
{
    if (buffer.size() < 4)
        return FrameStatus::Incomplete;
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > MaxFrameBytes)
        return FrameStatus::Invalid;
    if (quint64(buffer.size()) < 4 + quint64(length))
        return FrameStatus::Incomplete;
    payload = buffer.mid(4, qsizetype(length));
    buffer.remove(0, 4 + qsizetype(length));
    return FrameStatus::Complete;
}

WorkerProtocol::Message WorkerProtocol::decode(const QByteArray &payload)
{
    Message message;
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_6_0);
    quint8 version = 0;
    quint8 kind = 0;
    in >> version >> kind;
    if (in.status() != QDataStream::Ok)
        return message;
    if (version != Version) {
        message.otherVersion = true;
        return message;
    }

    bool valid = true;
    switch (Kind(kind)) {
    case Kind::Convert: {
        ConversionRequest &r = message.conversionRequest;
        qint32 rotation = 0;
        in >> r.sourcePath >> r.destinationPath;
        valid = readOptions(in, r.options);
        in >> rotation >> r.writtenNames;
        r.rotation = rotation;
        break;
    }
    case Kind::Preview: {
        PreviewRequest &r = message.previewRequest;
        qint32 rotation = 0, quality = 0, brightness = 0;
        in >> r.sourcePath >> r.frame >> rotation;
        valid = readOutputFormat(in, r.outputFormat);
        in >> quality >> r.grayscale >> brightness >> r.rawExtensions;
        r.rotation = rotation;
        r.jpegQualityPosition = quality;
        r.rawBrightness = brightness;
        break;
    }
    case Kind::ConversionReply: {
        ConversionResult &r = message.conversionResult;
        in >> r.ok >> r.resultMessage >> r.libraryMessage >> r.destinationExists >> r.sameFileAs >>
            r.metadataNote;
        break;
    }
    case Kind::PreviewReply: {
        PreviewResult &r = message.previewResult;
        in >> r.loaded >> r.recognised >> r.raw >> r.libraryMessage;
        valid = readImage(in, r.image);
        break;
    }
    case Kind::TextReply:
        in >> message.text;
        break;
    case Kind::Dates: {
        qint32 partSize = 0;
        in >> message.folder >> message.names >> partSize;
        message.partSize = partSize;
        valid = partSize > 0;
        break;
    }
    case Kind::DatesReply: {
        qint32 first = -1;
        quint32 count = 0;
        in >> first >> count;
        // Each date takes 10 bytes: a count beyond what is there is a damaged frame.
        valid = first >= 0 && count <= quint32(payload.size()) / 10;
        for (quint32 i = 0; valid && i < count && in.status() == QDataStream::Ok; ++i) {
            bool known = false;
            qint64 microseconds = 0;
            TakenDate date;
            in >> known >> microseconds >> date.subSeconds;
            if (known)
                date.microseconds = microseconds;
            message.dates.append(date);
        }
        message.first = first;
        break;
    }
    default:
        valid = false;
        break;
    }
    // Bytes left over mean the two sides disagree on the layout.
    if (valid && in.status() == QDataStream::Ok && in.atEnd())
        message.kind = Kind(kind);
    return message;
}
