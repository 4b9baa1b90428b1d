#include "convert/conversionlog.h"

#include "convert/pathutil.h"

#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

QString ConversionLog::fileName()
{
    return u"Pelorin.log"_s;
}

QString ConversionLog::path(const QString &destinationFolder)
{
    return PathUtil::append(destinationFolder, fileName());
}

QByteArray ConversionLog::content(OutputFormat format, const QString &sourceFolder,
                                  const QString &destinationFolder, const QString &runLog,
                                  const QDateTime &now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    const QString when = u"\r\n On %1/%2/%3 at %4:%5:%6"_s.arg(date.day(), 2, 10, QLatin1Char('0'))
                             .arg(date.month(), 2, 10, QLatin1Char('0'))
                             .arg(date.year(), 4, 10, QLatin1Char('0'))
                             .arg(time.hour())
                             .arg(time.minute(), 2, 10, QLatin1Char('0'))
                             .arg(time.second(), 2, 10, QLatin1Char('0'));
    const QString header = u"Convert to "_s + outputLogName(format) + u"\r\n From: "_s +
                           sourceFolder + u"\r\n To: "_s + destinationFolder + when +
                           u"\r\n----------------\r\n"_s;
    return header.toUtf8() + (runLog + u"\r\n **** End ****\r\n"_s).toUtf8();
}

bool ConversionLog::write(OutputFormat format, const QString &sourceFolder,
                          const QString &destinationFolder, const QString &runLog,
                          const QDateTime &now)
{
    if (runLog.isEmpty() || destinationFolder.isEmpty())
        return false;
    QSaveFile file(path(destinationFolder));
    // Unbuffered, so that a short write is seen before the old log is replaced.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = content(format, sourceFolder, destinationFolder, runLog, now);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
