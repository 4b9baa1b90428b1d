// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

// Why a file could not be written or renamed, in words for the user. A disk that refuses a name
// or a kind of change (FAT, exFAT and NTFS through FUSE answer EINVAL or EPERM) says so, where
// the system's own text ("Invalid argument") would name neither.
class DiskError
{
public:
    static QString reason(int error);
};
