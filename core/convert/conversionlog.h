// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "imaging/outputformat.h"
#include "util/fileresult.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Pelorin.log in the destination folder: a header naming the run, one line per list item, an
// end line. UTF-8 without byte-order mark, CR LF line ends; rewritten by every run.
class ConversionLog
{
public:
    static QString fileName();
    static QString path(const QString &destinationFolder);
    static QByteArray content(OutputFormat format, const QString &sourceFolder,
                              const QString &destinationFolder, const QString &runLog,
                              const QDateTime &now);
    // A name, folder or reason as the log shows it, each line of the log a line on any screen:
    // control characters (a line break could forge a line) and bytes that are not UTF-8 as \xHH;
    // line separators and format characters (bidirectional controls, zero-width characters,
    // soft hyphen) as \uHHHH, or \UHHHHHHHH beyond U+FFFF; the backslash itself as \\.
    static QString escape(const QString &text);
    // Writes nothing for an empty run log or destination (and fails, with no reason). The old log
    // is replaced only by a complete new one, and a link in its place is replaced, not followed.
    static FileResult write(OutputFormat format, const QString &sourceFolder,
                      const QString &destinationFolder, const QString &runLog,
                      const QDateTime &now);
};
