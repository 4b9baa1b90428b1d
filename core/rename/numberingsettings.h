// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

#include <optional>

// The inputs of one new-name computation, kept between computations so that a sort or a drop
// numbers with the values of the last refresh.
struct NumberingSettings
{
    // Used exactly as typed: no trimming and no check of its characters here (a name the file
    // system refuses stops the renaming at that row).
    QString baseName;
    // The least number of digits of the running number; nothing is computed while unset.
    std::optional<int> digitCount;
    // The number of row 0.
    int startNumber = 1;
    // Whether the last computation marked a row.
    bool conflictFound = false;
};
