// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "convert/conversionlog.h"

#include "util/atomicfile.h"
#include "util/pathutil.h"

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
                           escape(sourceFolder) + u"\r\n To: "_s + escape(destinationFolder) + when +
                           u"\r\n----------------\r\n"_s;
    return header.toUtf8() + (runLog + u"\r\n **** End ****\r\n"_s).toUtf8();
}

QString ConversionLog::escape(const QString &text)
{
    const auto hex = [](uint value, int digits) {
        return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
    };
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const bool pair =
            QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(u, text[i + 1].unicode()) : u;
        if (const int byte = PathUtil::escapedByte(text, i); byte >= 0)
            escaped += u"\\x"_s + hex(uint(byte), 2);
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            escaped += u"\\x"_s + hex(u, 2);
        else if (u == u'\\')
            escaped += u"\\\\"_s;
        // Format characters are invisible or reorder what follows: a right-to-left override
        // could make a failed line read as "conversion OK".
        else if (u == 0x2028 || u == 0x2029 || QChar::category(code) == QChar::Other_Format)
            escaped += code > 0xFFFF ? u"\\U"_s + hex(code, 8) : u"\\u"_s + hex(code, 4);
        else
            escaped += QStringView(text).sliced(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
    }
    return escaped;
}

FileResult ConversionLog::write(OutputFormat format, const QString &sourceFolder,
                                const QString &destinationFolder, const QString &runLog,
                                const QDateTime &now)
{
    if (runLog.isEmpty() || destinationFolder.isEmpty())
        return {};
    return AtomicFile::write(PathUtil::encodeName(path(destinationFolder)),
                             content(format, sourceFolder, destinationFolder, runLog, now));
}
