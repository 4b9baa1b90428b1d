// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "util/pathutil.h"

#include <algorithm>

#include <sys/stat.h>

namespace {

char16_t asciiLowerChar(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

void appendUtf8(QByteArray &bytes, char32_t code)
{
    if (code < 0x80) {
        bytes.append(char(code));
    } else if (code < 0x800) {
        bytes.append(char(0xC0 | (code >> 6)));
        bytes.append(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        bytes.append(char(0xE0 | (code >> 12)));
        bytes.append(char(0x80 | ((code >> 6) & 0x3F)));
        bytes.append(char(0x80 | (code & 0x3F)));
    } else {
        bytes.append(char(0xF0 | (code >> 18)));
        bytes.append(char(0x80 | ((code >> 12) & 0x3F)));
        bytes.append(char(0x80 | ((code >> 6) & 0x3F)));
        bytes.append(char(0x80 | (code & 0x3F)));
    }
}

// The length of the well-formed UTF-8 sequence at p (Unicode's table: no overlong forms, no
// surrogates, nothing above U+10FFFF) and its code point; 0 when there is none.
int utf8Sequence(const uchar *p, qsizetype available, char32_t &code)
{
    const uchar lead = p[0];
    int length = 0;
    uchar secondLow = 0x80;
    uchar secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0)
            secondLow = 0xA0;
        else if (lead == 0xED)
            secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0)
            secondLow = 0x90;
        else if (lead == 0xF4)
            secondHigh = 0x8F;
    }
    if (length == 0 || length > available)
        return 0;
    for (int k = 1; k < length; ++k) {
        const uchar low = k == 1 ? secondLow : 0x80;
        const uchar high = k == 1 ? secondHigh : 0xBF;
        if (p[k] < low || p[k] > high)
            return 0;
        code = (code << 6) | (p[k] & 0x3F);
    }
    return length;
}

} // namespace

QString PathUtil::append(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(u'/') || name.startsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

qsizetype PathUtil::extensionStart(const QString &path)
{
    qsizetype dot = -1;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == u'/' || c == u' ')
            dot = -1;
        else if (c == u'.')
            dot = i;
    }
    return dot < 0 ? path.size() : dot;
}

QString PathUtil::extension(const QString &path)
{
    return path.mid(extensionStart(path));
}

QString PathUtil::removeExtension(const QString &path)
{
    return path.left(extensionStart(path));
}

QString PathUtil::asciiLower(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = QChar(asciiLowerChar(c.unicode()));
    return result;
}

int PathUtil::compareAsciiCaseInsensitive(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = asciiLowerChar(a[i].unicode());
        const char16_t cb = asciiLowerChar(b[i].unicode());
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QByteArray PathUtil::encodeName(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (c < 0x80) {
            bytes.append(char(c));
        } else if (QChar::isHighSurrogate(c) && i + 1 < path.size() &&
                   QChar::isLowSurrogate(path[i + 1].unicode())) {
            appendUtf8(bytes, QChar::surrogateToUcs4(c, path[i + 1].unicode()));
            ++i;
        } else if (const int escaped = escapedByte(path, i); escaped >= 0) {
            bytes.append(char(escaped));
        } else {
            // Any other lone surrogate has no bytes of its own.
            appendUtf8(bytes,
                       QChar::isSurrogate(c) ? char32_t(QChar::ReplacementCharacter) : char32_t(c));
        }
    }
    return bytes;
}

QString PathUtil::decodeName(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    QString text;
    text.reserve(n);
    for (qsizetype i = 0; i < n;) {
        char32_t code = p[i];
        const int length = code < 0x80 ? 1 : utf8Sequence(p + i, n - i, code);
        if (length == 0) {
            text.append(QChar(char16_t(0xDC00 + p[i])));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            text.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return text;
}

int PathUtil::escapedByte(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c < 0xDC80 || c > 0xDCFF || (i > 0 && text[i - 1].isHighSurrogate()))
        return -1;
    return c - 0xDC00;
}

QString PathUtil::displayName(const QString &name)
{
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (escapedByte(name, i) >= 0)
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QUrl PathUtil::fileUrl(const QString &path)
{
    // Percent-encoded bytes that are not UTF-8 stay as they are in a QUrl; only what a path may
    // not hold literally is encoded, so that a valid path gives the same URL as fromLocalFile.
    return QUrl::fromEncoded("file://" + encodeName(path).toPercentEncoding("/!$&'()*+,;=:@"),
                             QUrl::StrictMode);
}

namespace {

// What the path names, by its bytes; false when it names nothing (a dangling link included).
bool statOf(const QByteArray &path, struct stat &status)
{
    return path.startsWith('/') && !path.contains('\0') && ::stat(path.constData(), &status) == 0;
}

} // namespace

bool PathUtil::isFolder(const QByteArray &path)
{
    struct stat status;
    return statOf(path, status) && S_ISDIR(status.st_mode);
}

QString PathUtil::folderOf(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    struct stat status;
    if (!statOf(path, status))
        return QString();
    if (!S_ISDIR(status.st_mode))
        path = path.left(std::max<qsizetype>(path.lastIndexOf('/'), 1));
    return isFolder(path) ? decodeName(path) : QString();
}

namespace {

template <typename Text, typename Char>
std::pair<Text, Text> splitPath(const Text &path, Char slashChar, const Text &here)
{
    const qsizetype slash = path.lastIndexOf(slashChar);
    if (slash < 0)
        return {here, path};
    return {path.left(std::max<qsizetype>(slash, 1)), path.mid(slash + 1)};
}

} // namespace

std::pair<QByteArray, QByteArray> PathUtil::split(const QByteArray &path)
{
    return splitPath(path, '/', QByteArray("."));
}

std::pair<QString, QString> PathUtil::split(const QString &path)
{
    return splitPath(path, u'/', QStringLiteral("."));
}

bool PathUtil::extensionMatches(const QString &fileName, const QString &extensionList)
{
    // A name without an extension has no key: ";" alone would be found in every list.
    const QString ext = extension(fileName);
    return !ext.isEmpty() && extensionList.contains(asciiLower(ext) + u';');
}
