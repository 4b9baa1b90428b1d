// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "util/fileresult.h"

#include <QByteArray>
#include <QString>

#include <optional>

// How the window was left, brought back at the next start: the convert page's folders, output
// format, JPEG quality, resize choice, "Replace files" and "Keep file dates", and the page shown.
// A file of its own, never the preferences: $XDG_STATE_HOME/Pelorin/state (~/.local/state when
// that is unset or relative), one "key=value" a line, the folders' bytes percent-encoded:
//
//     source=/home/me/Trip%202024       destination=/home/me/Converted
//     format=jpeg|png|tiff|webp         quality=0..100 (percent)
//     resize=on|off                     side=width|height|small|large
//     pixels=1..                        page=convert|rename|preferences
//     replace=on|off                    dates=on|off
//
// Reading never fails: each value missing or malformed stays unset on its own, and a folder that
// is not an existing folder any more is left empty.
struct SessionState
{
    QString sourceFolder;
    QString destinationFolder;
    std::optional<int> outputFormat;   // 0 JPEG, 1 PNG, 2 TIFF, 3 WEBP
    std::optional<int> qualityPercent; // 0 to 100
    std::optional<bool> resize;
    std::optional<int> resizeSide;   // 0 width, 1 height, 2 small side, 3 large side
    std::optional<int> resizePixels; // positive
    std::optional<int> page;         // 0 convert, 1 rename, 2 preferences
    std::optional<bool> replaceFiles;
    std::optional<bool> keepFileDates;

    bool operator==(const SessionState &) const = default;

    // Computed afresh on every call, so that a changed environment is honoured.
    static QString filePath();
    // filePath(), read tolerantly; nothing set when there is no such file.
    static SessionState load();
    // Writes filePath() whole through a temporary file, creating its folders (0700) when
    // missing; the previous file stays as it was on any failure.
    FileResult save() const;

    static SessionState read(const QByteArray &bytes);
    QByteArray write() const;
};
