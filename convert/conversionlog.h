#pragma once

#include "convert/outputformat.h"

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
    // Writes nothing for an empty run log or destination. The old log is replaced only by a
    // complete new one. Returns whether the new log is in place.
    static bool write(OutputFormat format, const QString &sourceFolder,
                      const QString &destinationFolder, const QString &runLog,
                      const QDateTime &now);
};
