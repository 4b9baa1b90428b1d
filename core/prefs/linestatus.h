// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

// The status of a list line. Bit values: a convert-list line may carry several at once.
enum LineStatus : int
{
    Standard = 0,
    FileTypeError = 1,
    DuplicateError = 2,
    CollisionError = 4,
    OtherError = 8,
};
