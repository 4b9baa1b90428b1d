// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "prefs/sessionstate.h"

#include "util/atomicfile.h"
#include "util/pathutil.h"
#include "util/smallfile.h"

#include <QDir>

#include <array>
#include <limits>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Anything longer is not a file this program wrote.
constexpr qint64 MaximumSize = 64 * 1024;

using Words = std::array<QByteArrayView, 4>;
constexpr Words FormatWords = {"jpeg", "png", "tiff", "webp"};
constexpr Words SideWords = {"width", "height", "small", "large"};
constexpr Words PageWords = {"convert", "rename", "preferences"};
constexpr Words SwitchWords = {"off", "on"};

std::optional<int> wordIndex(const Words &words, QByteArrayView value)
{
    for (size_t i = 0; i < words.size(); ++i)
        if (!words[i].isEmpty() && words[i] == value)
            return int(i);
    return std::nullopt;
}

std::optional<bool> switchValue(QByteArrayView value)
{
    const std::optional<int> index = wordIndex(SwitchWords, value);
    return index ? std::optional(*index != 0) : std::nullopt;
}

std::optional<int> number(QByteArrayView value, int lowest, int highest)
{
    bool ok = false;
    const int parsed = value.toInt(&ok);
    return ok && parsed >= lowest && parsed <= highest ? std::optional(parsed) : std::nullopt;
}

// An existing folder by its absolute path's bytes, else empty.
QString existingFolder(QByteArrayView value)
{
    const QByteArray path = QByteArray::fromPercentEncoding(value.toByteArray());
    return PathUtil::isFolder(path) ? PathUtil::decodeName(path) : QString();
}

} // namespace

QString SessionState::filePath()
{
    QString base = PathUtil::decodeName(qgetenv("XDG_STATE_HOME"));
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + u"/.local/state"_s;
    return base + u"/Pelorin/state"_s;
}

SessionState SessionState::load()
{
    return read(SmallFile::read(PathUtil::encodeName(filePath()), MaximumSize));
}

FileResult SessionState::save() const
{
    const QByteArray path = PathUtil::encodeName(filePath());
    // A failure here shows as the write's own.
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0700);
    return AtomicFile::write(path, write());
}

SessionState SessionState::read(const QByteArray &bytes)
{
    SessionState state;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.first(equals).trimmed();
        const QByteArray value = line.sliced(equals + 1).trimmed();
        if (key == "source")
            state.sourceFolder = existingFolder(value);
        else if (key == "destination")
            state.destinationFolder = existingFolder(value);
        else if (key == "format")
            state.outputFormat = wordIndex(FormatWords, value);
        else if (key == "quality")
            state.qualityPercent = number(value, 0, 100);
        else if (key == "resize")
            state.resize = switchValue(value);
        else if (key == "side")
            state.resizeSide = wordIndex(SideWords, value);
        else if (key == "pixels")
            state.resizePixels = number(value, 1, std::numeric_limits<int>::max());
        else if (key == "page")
            state.page = wordIndex(PageWords, value);
        else if (key == "replace")
            state.replaceFiles = switchValue(value);
        else if (key == "dates")
            state.keepFileDates = switchValue(value);
    }
    return state;
}

QByteArray SessionState::write() const
{
    QByteArray bytes = "# Pelorin: how the window was left. Rewritten whenever it closes.\n";
    const auto add = [&bytes](const char *key, QByteArrayView value) {
        bytes += key + ('=' + value.toByteArray()) + '\n';
    };
    const auto addWord = [&add](const char *key, const Words &words, std::optional<int> index) {
        if (index && *index >= 0 && size_t(*index) < words.size() && !words[*index].isEmpty())
            add(key, words[*index]);
    };
    for (const auto &[key, folder] :
         {std::pair("source", sourceFolder), std::pair("destination", destinationFolder)})
        if (!folder.isEmpty())
            add(key, PathUtil::encodeName(folder).toPercentEncoding("/"));
    addWord("format", FormatWords, outputFormat);
    if (qualityPercent)
        add("quality", QByteArray::number(*qualityPercent));
    if (resize)
        add("resize", SwitchWords[*resize ? 1 : 0]);
    addWord("side", SideWords, resizeSide);
    if (resizePixels)
        add("pixels", QByteArray::number(*resizePixels));
    addWord("page", PageWords, page);
    if (replaceFiles)
        add("replace", SwitchWords[*replaceFiles ? 1 : 0]);
    if (keepFileDates)
        add("dates", SwitchWords[*keepFileDates ? 1 : 0]);
    return bytes;
}
