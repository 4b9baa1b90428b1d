// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <cstdint>

// a × b / c without overflow, rounded to the nearest integer, halves away from zero; -1 when c
// is 0. Every proportional size in the program goes through here so previews, conversions and
// the rename preview agree to the pixel.
inline int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t(a) * b;
    const std::int64_t half = (c < 0 ? -std::int64_t(c) : std::int64_t(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product) + half;
    const std::int64_t quotient = magnitude / (c < 0 ? -std::int64_t(c) : std::int64_t(c));
    return int(negative ? -quotient : quotient);
}
