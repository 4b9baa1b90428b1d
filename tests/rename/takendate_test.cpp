// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/takendatereader.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

struct Stamp
{
    const char *dateTime, *digits, *offset;
    // The moment as ISO text with its offset ("": unset; no offset: this machine's local time),
    // its microseconds, and whether the fraction was given.
    const char *moment;
    qint64 fraction;
    bool subSeconds;
};

using TakenDateText = testing::TestWithParam<Stamp>;

TEST_P(TakenDateText, IsTheMomentTheCameraMeant)
{
    qputenv("TZ", "Asia/Kathmandu"); // not UTC, so that an offset of +00:00 differs from none
    const Stamp &stamp = GetParam();
    const TakenDate got = TakenDateReader::parse(stamp.dateTime, stamp.digits, stamp.offset);
    std::optional<qint64> expected;
    if (*stamp.moment) {
        const QDateTime moment =
            QDateTime::fromString(QString::fromLatin1(stamp.moment), Qt::ISODate);
        ASSERT_TRUE(moment.isValid()) << stamp.moment;
        expected = moment.toMSecsSinceEpoch() * 1000 + stamp.fraction;
    }
    EXPECT_EQ(std::pair(got.microseconds, got.subSeconds), std::pair(expected, stamp.subSeconds));
}

INSTANTIATE_TEST_SUITE_P(
    Exif, TakenDateText,
    testing::Values(
        Stamp{"2024:05:01 10:00:00", "", "", "2024-05-01T10:00:00", 0, false},
        Stamp{"2024:05:01 10:00:00", "5", "", "2024-05-01T10:00:00", 500000, true},
        Stamp{"2024:05:01 10:00:00", "07", "", "2024-05-01T10:00:00", 70000, true},
        Stamp{"2024:05:01 10:00:00", "1234567", "", "2024-05-01T10:00:00", 123456, true},
        Stamp{"2024:05:01 10:00:00 ", " 5 ", "+02:00", "2024-05-01T08:00:00Z", 500000, true},
        Stamp{"1800:01:01 10:00:00", "", "-0530", "1800-01-01T15:30:00Z", 0, false},
        Stamp{"2024-05-01T10:00:00.25+01:00", "", "", "2024-05-01T09:00:00Z", 250000, true},
        Stamp{"2024:05:01 10:00:00", "5x", "+25:00", "2024-05-01T10:00:00", 0, false},
        Stamp{"0000:00:00 00:00:00", "", "", "", 0, false},
        Stamp{"2024:13:01 10:00:00", "", "", "", 0, false},
        Stamp{"2024/05/01 10:00:00", "", "", "", 0, false},
        Stamp{"2024:05:01 10:00:00", "", "Z", "2024-05-01T10:00:00Z", 0, false},
        Stamp{"2024:05:01 10:00:00", "", "+00:00", "2024-05-01T10:00:00Z", 0, false},
        Stamp{"1799:12:31 23:59:59", "", "", "", 0, false}));

} // namespace
