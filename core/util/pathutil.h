// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <utility>

// Path and name helpers on '/'-separated paths, with the extension rules users know from
// the program's history: the extension is the part of the last path component from its last
// dot on, and there is none when a blank follows that dot.
class PathUtil
{
public:
    // folder + '/' + name, without doubling a separator; an empty folder gives the name.
    static QString append(const QString &folder, const QString &name);
    // The index of the last extension's dot, or path.size() when there is no extension.
    static qsizetype extensionStart(const QString &path);
    // The last extension with its dot ("" when none).
    static QString extension(const QString &path);
    static QString removeExtension(const QString &path);

    // Only the letters A to Z change: names compare as users expect without folding accented
    // letters differently on different systems.
    static QString asciiLower(const QString &text);
    // Whether a file name's extension key (lower-cased extension + ";") is in the list; never for
    // a name without an extension.
    static bool extensionMatches(const QString &fileName, const QString &extensionList);
    static int compareAsciiCaseInsensitive(QStringView a, QStringView b);

    // The bytes the file system knows a path by, and back, without loss. Valid UTF-8 becomes the
    // characters it spells; each byte that is not part of valid UTF-8 becomes the lone low
    // surrogate U+DC00 + byte (U+DC80 to U+DCFF), which encodes back to that very byte. Every path
    // handed to the system or the image library goes through these, so that a name which is not
    // valid UTF-8 reaches the same file it was listed from.
    static QByteArray encodeName(const QString &path);
    static QString decodeName(const QByteArray &bytes);
    // The byte that text[i] stands for when it is such an escaped byte (a low surrogate from
    // U+DC80 to U+DCFF that is not the second half of a pair), else -1.
    static int escapedByte(QStringView text, qsizetype i);
    // What the user sees of a name: each escaped byte shown as U+FFFD. Never a path to use.
    static QString displayName(const QString &name);
    // The file URL of an absolute path, built from its bytes, for the desktop's applications.
    static QUrl fileUrl(const QString &path);
    // Whether the absolute path, by its bytes, names a folder (a link to one included).
    static bool isFolder(const QByteArray &path);
    // The folder an absolute path names, or the folder that holds the file it names; empty when
    // it names nothing.
    static QString folderOf(QByteArray path);
    // A path cut as text into the folder that holds its last name and that name: "/a/b.jpg"
    // gives "/a" and "b.jpg", "/b.jpg" gives "/", "b.jpg" gives ".". Nothing is looked up.
    static std::pair<QByteArray, QByteArray> split(const QByteArray &path);
    static std::pair<QString, QString> split(const QString &path);
};
