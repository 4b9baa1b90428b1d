// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>

// A file the program keeps for itself (its preferences, how the window was left), read so that
// whatever else stands at its path cannot hold the program up: a FIFO would block the open
// forever, a device (a link to /dev/zero) would be read until memory runs out.
class SmallFile
{
public:
    // The first maximumSize bytes of the regular file at path (a link to one included); empty
    // when the path names anything else or nothing.
    static QByteArray read(const QByteArray &path, qint64 maximumSize);
};
