// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>
#include <QString>

#include "util/fileresult.h"

class Preferences;

// Preferences.xml: written whole in one fixed layout, read back by a tolerant tag search that
// falls back to the defaults for anything missing, empty or malformed. A failed read is never
// reported to the user; a failed save is, with its reason.
class PreferencesFile
{
public:
    // $XDG_CONFIG_HOME (else ~/.config) + "/Pelorin/Preferences.xml". Creates the folder when
    // it is missing; computed afresh on every call so a changed environment is honoured.
    static QString settingsFilePath();

    // Reads settingsFilePath() into preferences; a missing or unreadable file keeps what is there,
    // and so does anything but a regular file (a FIFO, a device) and whatever lies past its first
    // MiB.
    static void load(Preferences &preferences);
    // Writes settingsFilePath() atomically: on any failure the previous file stays as it was.
    // Returns whether the new file is in place, and if not why.
    static FileResult save(const Preferences &preferences);

    static void loadFrom(Preferences &preferences, const QString &path);
    static FileResult saveTo(const Preferences &preferences, const QString &path);

    // The file's bytes to preferences, and back.
    static void read(Preferences &preferences, const QByteArray &bytes);
    static QByteArray write(const Preferences &preferences);

    static QString escape(const QString &value);
    static QString unescape(const QString &value);
};
