// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "rename/takendate.h"

#include <QByteArrayView>
#include <QString>

// Reads when a picture was taken: EXIF DateTimeOriginal with its sub-seconds and time offset,
// else the digitised date, else the same from XMP. A date without an offset is the camera's
// clock, taken as this machine's local time. Parsing a user's metadata is parsing hostile input:
// the window never calls this; the workers do.
// Thread: any.
class TakenDateReader
{
public:
    static TakenDate read(const QString &path);

    // An EXIF date ("YYYY:MM:DD HH:MM:SS", also with '-' or 'T'), its sub-second digits
    // ("45" is 0.45 s) and offset ("+02:00"), either of which may be empty. Unset for a date that
    // is blank, zero ("0000:00:00 00:00:00") or out of range.
    static TakenDate parse(QByteArrayView dateTime, QByteArrayView subSeconds,
                           QByteArrayView offset);
};
