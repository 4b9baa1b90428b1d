// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// One line of the convert list. Its status flags (LineStatus bits) and its rotation travel
// together as one value: flags + rotation × 256, the rotation in degrees, a multiple of 90
// from -270 to 270.
struct ConversionItem
{
    QString name; // the source file's name with its extension, no folder
    int value = 0;
    // Its duplicate mark comes from the destination disk alone, which takes names that differ
    // in case beyond A to Z (É and é) for one.
    bool sameNameOnDisk = false;

    static constexpr int pack(int flags, int rotation) { return (flags & 0xFF) + rotation * 256; }
    static constexpr int flagsOf(int value) { return value & 0xFF; }
    static constexpr int rotationOf(int value) { return value >> 8; }

    int flags() const { return flagsOf(value); }
    int rotation() const { return rotationOf(value); }
};
