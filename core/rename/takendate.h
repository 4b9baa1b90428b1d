// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QtGlobal>

#include <optional>

// When a picture was taken, as its own metadata says.
struct TakenDate
{
    // Microseconds since the epoch; unset when the file says nothing readable (no metadata, a
    // damaged block, not a picture, or a reader that failed on it).
    std::optional<qint64> microseconds;
    // The metadata gave a fraction of a second, which orders burst shots within their second.
    bool subSeconds = false;

    bool operator==(const TakenDate &) const = default;
};
