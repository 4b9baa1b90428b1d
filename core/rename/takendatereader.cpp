// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/takendatereader.h"

#include "imaging/sourcefile.h"

// Exiv2 0.27 hands its images out in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

#include <QDateTime>
#include <QTimeZone>

#include <string>

namespace {

// Digits at text[at, at + count) as a number; -1 when any is not a digit.
int digitsAt(QByteArrayView text, qsizetype at, qsizetype count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "45" → 450000 µs; digits past the sixth are dropped. -1 when empty or not digits.
qint64 fractionMicroseconds(QByteArrayView digits)
{
    if (digits.isEmpty())
        return -1;
    qint64 value = 0;
    for (qsizetype i = 0; i < 6; ++i) {
        const int digit = i < digits.size() ? digitsAt(digits, i, 1) : 0;
        if (digit < 0)
            return -1;
        value = value * 10 + digit;
    }
    for (qsizetype i = 6; i < digits.size(); ++i) {
        if (digitsAt(digits, i, 1) < 0)
            return -1;
    }
    return value;
}

// "+02:00", "-0530", "Z" → seconds east of UTC; unset when it is none of these.
std::optional<int> offsetSeconds(QByteArrayView text)
{
    if (text == "Z")
        return 0;
    if (text.size() < 5 || (text[0] != '+' && text[0] != '-'))
        return std::nullopt;
    const int hours = digitsAt(text, 1, 2);
    const int minutes = digitsAt(text, text[3] == ':' ? 4 : 3, 2);
    if (hours < 0 || minutes < 0 || hours > 14 || minutes > 59 ||
        text.size() != (text[3] == ':' ? 6 : 5))
        return std::nullopt;
    const int seconds = (hours * 60 + minutes) * 60;
    return text[0] == '-' ? -seconds : seconds;
}

std::string exifValue(const Exiv2::ExifData &exif, const char *key)
{
    const auto datum = exif.findKey(Exiv2::ExifKey(key));
    return datum == exif.end() ? std::string() : datum->toString();
}

std::string xmpValue(const Exiv2::XmpData &xmp, const char *key)
{
    const auto datum = xmp.findKey(Exiv2::XmpKey(key));
    return datum == xmp.end() ? std::string() : datum->toString();
}

QByteArrayView view(const std::string &text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

} // namespace

TakenDate TakenDateReader::parse(QByteArrayView dateTime, QByteArrayView subSeconds,
                                 QByteArrayView offset)
{
    dateTime = dateTime.trimmed();
    const auto separatorIs = [&](qsizetype at, const char *allowed) {
        return at < dateTime.size() &&
               std::string_view(allowed).find(dateTime[at]) != std::string_view::npos;
    };
    if (dateTime.size() < 19 || !separatorIs(4, ":-") || !separatorIs(7, ":-") ||
        !separatorIs(10, " T") || !separatorIs(13, ":") || !separatorIs(16, ":"))
        return {};
    const QDate date(digitsAt(dateTime, 0, 4), digitsAt(dateTime, 5, 2), digitsAt(dateTime, 8, 2));
    const QTime time(digitsAt(dateTime, 11, 2), digitsAt(dateTime, 14, 2),
                     digitsAt(dateTime, 17, 2));
    if (!date.isValid() || !time.isValid() || date.year() < 1800)
        return {};

    // XMP writes the fraction and the offset into the date itself.
    QByteArrayView rest = dateTime.sliced(19);
    QByteArrayView ownFraction;
    if (rest.startsWith('.')) {
        qsizetype end = 1;
        while (end < rest.size() && rest[end] >= '0' && rest[end] <= '9')
            ++end;
        ownFraction = rest.sliced(1, end - 1);
        rest = rest.sliced(end);
    }
    subSeconds = subSeconds.trimmed();
    const qint64 fraction = fractionMicroseconds(subSeconds.isEmpty() ? ownFraction : subSeconds);
    offset = offset.trimmed();
    const std::optional<int> east = offsetSeconds(offset.isEmpty() ? rest : offset);

    const QDateTime moment = east ? QDateTime(date, time, QTimeZone(*east)) : QDateTime(date, time);
    if (!moment.isValid())
        return {};
    TakenDate taken;
    taken.microseconds = moment.toMSecsSinceEpoch() * 1000 + std::max<qint64>(fraction, 0);
    taken.subSeconds = fraction >= 0;
    return taken;
}

TakenDate TakenDateReader::read(const QString &path)
{
    SourceFile source;
    if (!source.open(path))
        return {};
    // The opened file itself, never the name again: it may have been swapped since.
    const std::string opened = "/proc/self/fd/" + std::to_string(source.descriptor());
    try {
        static const bool ready = Exiv2::XmpParser::initialize();
        Q_UNUSED(ready);
        if (Exiv2::ImageFactory::getType(opened) == Exiv2::ImageType::none)
            return {};
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(opened);
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        TakenDate taken = parse(view(exifValue(exif, "Exif.Photo.DateTimeOriginal")),
                                view(exifValue(exif, "Exif.Photo.SubSecTimeOriginal")),
                                view(exifValue(exif, "Exif.Photo.OffsetTimeOriginal")));
        if (!taken.microseconds)
            taken = parse(view(exifValue(exif, "Exif.Photo.DateTimeDigitized")),
                          view(exifValue(exif, "Exif.Photo.SubSecTimeDigitized")),
                          view(exifValue(exif, "Exif.Photo.OffsetTimeDigitized")));
        const Exiv2::XmpData &xmp = image->xmpData();
        for (const char *key :
             {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated", "Xmp.xmp.CreateDate"}) {
            if (taken.microseconds)
                break;
            taken = parse(view(xmpValue(xmp, key)), {}, {});
        }
        return taken;
    } catch (...) {
        // A damaged block costs the date, nothing more.
        return {};
    }
}
