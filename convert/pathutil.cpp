#include "convert/pathutil.h"

#include <QFile>

namespace {

char16_t asciiLowerChar(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
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
    return QFile::encodeName(path);
}

QString PathUtil::decodeName(const QByteArray &bytes)
{
    return QFile::decodeName(bytes);
}
