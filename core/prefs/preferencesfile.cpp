// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "prefs/preferencesfile.h"

#include "prefs/preferences.h"
#include "util/pathutil.h"
#include "util/smallfile.h"

#include <QDir>
#include <QSaveFile>

#include <QStandardPaths>
#include <cerrno>

#include <cwchar>
#include <string>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString RootElement = u"Pelorin"_s;
const QString ColourTableKey = u"colorTable"_s;
const QString FileName = u"Preferences.xml"_s;
const QString FolderName = u"Pelorin"_s;
// Far beyond any lists a user types; what lies past it is not read.
constexpr qint64 MaximumSize = 1024 * 1024;

// The text between the first "<key>" and the first "</key>" after it, else fallback. The
// result is un-escaped either way. Root and declaration are not looked at, so the elements
// may stand anywhere and in any order.
QString findValue(const QString &text, const QString &key, const QString &fallback)
{
    QString result = fallback;
    const QString open = u'<' + key + u'>';
    const QString close = u"</"_s + key + u'>';
    const qsizetype openAt = text.indexOf(open);
    if (openAt >= 0) {
        const qsizetype valueAt = openAt + open.size();
        const qsizetype closeAt = text.indexOf(close, valueAt);
        if (closeAt > valueAt)
            result = text.mid(valueAt, closeAt - valueAt);
    }
    return PreferencesFile::unescape(result);
}

// "#rrggbb" read as the C library's wcstoul does with base 16 (blanks, a sign and "0x" are
// taken, reading stops at the first non-digit), kept to 24 bits so that the top byte stays
// zero and the value survives the next save.
ColourRef parseColourEntry(const QString &digits)
{
    const std::wstring wide = digits.toStdWString();
    const unsigned long value = std::wcstoul(wide.c_str(), nullptr, 16);
    return ColourRef(value) & 0xFFFFFFu;
}

void readColourTable(LineColourTable &colours, const QString &table)
{
    int position = 0;
    for (const QString &entry : table.split(u';', Qt::SkipEmptyParts)) {
        if (position >= LineColourTable::Size)
            break;
        if (entry.size() == 7 && entry.startsWith(u'#'))
            colours.setAt(position, parseColourEntry(entry.mid(1)));
        ++position;
    }
}

QString element(const QString &key, const QString &value)
{
    return u'<' + key + u'>' + PreferencesFile::escape(value) + u"</"_s + key + u'>';
}

} // namespace

QString PreferencesFile::settingsFilePath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString folder = base.isEmpty() ? FolderName : base + u'/' + FolderName;
    // A failure shows later as a silent load or save failure.
    QDir().mkpath(folder);
    return folder + u'/' + FileName;
}

void PreferencesFile::load(Preferences &preferences)
{
    loadFrom(preferences, settingsFilePath());
}

FileResult PreferencesFile::save(const Preferences &preferences)
{
    return saveTo(preferences, settingsFilePath());
}

void PreferencesFile::loadFrom(Preferences &preferences, const QString &path)
{
    read(preferences, SmallFile::read(PathUtil::encodeName(path), MaximumSize));
}

FileResult PreferencesFile::saveTo(const Preferences &preferences, const QString &path)
{
    // A symbolic link at the path is followed: users keep their settings in a folder of their own.
    QSaveFile file(path);
    // Unbuffered, so that a short write (full disk, size limit) is seen here; a buffered write
    // fails only inside commit(), which then still renames the cut-off file over the old one.
    errno = 0;
    const auto failed = [&file] {
        const int error = errno;
        file.cancelWriting();
        return error != 0 ? FileResult::failure(error) : FileResult{false, file.errorString()};
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed();
    const QByteArray bytes = write(preferences);
    if (file.write(bytes) != bytes.size())
        return failed();
    if (!file.commit())
        return failed();
    return FileResult::success();
}

void PreferencesFile::read(Preferences &preferences, const QByteArray &bytes)
{
    // The text ends at the first zero byte, so a 16-bit file reads as (nearly) nothing and every
    // value keeps its default. A byte-order mark becomes a harmless first character.
    const QString text =
        QString::fromUtf8(bytes.constData(), qstrnlen(bytes.constData(), bytes.size()));

    for (int i = FirstGroupIndex; i <= LastGroupIndex; ++i) {
        const auto group = ImageFormatGroup(i);
        preferences.setExtensionList(
            group, findValue(text, imageFormatGroupKey(group), defaultExtensionList(group)));
    }

    const QString table = findValue(text, ColourTableKey, QString());
    if (!table.isEmpty())
        readColourTable(preferences.colours(), table);
}

QByteArray PreferencesFile::write(const Preferences &preferences)
{
    const QString crlf = u"\r\n"_s;
    QString text = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s + crlf;
    text += u'<' + RootElement + u'>' + crlf;
    for (int i = FirstGroupIndex; i <= LastGroupIndex; ++i) {
        const auto group = ImageFormatGroup(i);
        text += element(imageFormatGroupKey(group), preferences.extensionList(group)) + crlf;
    }
    QString table;
    for (int position = 0; position < LineColourTable::Size; ++position)
        table += u"#%1;"_s.arg(preferences.colours().at(position), 6, 16, QLatin1Char('0'));
    text += element(ColourTableKey, table) + crlf;
    text += u"</"_s + RootElement + u'>' + crlf;
    return text.toUtf8();
}

QString PreferencesFile::escape(const QString &value)
{
    QString result = value;
    result.replace(u'&', u"&amp;"_s);
    result.replace(u'<', u"&lt;"_s);
    result.replace(u'>', u"&gt;"_s);
    result.replace(u'"', u"&quot;"_s);
    result.replace(u'\'', u"&#39;"_s);
    return result;
}

QString PreferencesFile::unescape(const QString &value)
{
    static const std::pair<QString, QChar> entities[] = {
        {u"&lt;"_s, u'<'},   {u"&gt;"_s, u'>'},  {u"&quot;"_s, u'"'},
        {u"&#39;"_s, u'\''}, {u"&amp;"_s, u'&'},
    };
    QString result;
    result.reserve(value.size());
    qsizetype at = 0;
    while (at < value.size()) {
        bool replaced = false;
        if (value[at] == u'&') {
            for (const auto &[entity, character] : entities) {
                if (QStringView(value).sliced(at).startsWith(entity)) {
                    result += character;
                    at += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            result += value[at++];
    }
    return result;
}
