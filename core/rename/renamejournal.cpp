// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "rename/renamejournal.h"

#include "prefs/sessionstate.h"
#include "rename/renameitem.h"
#include "strings/stringtable.h"
#include "util/atomicfile.h"
#include "util/diskerror.h"
#include "util/noreplacerename.h"
#include "util/pathutil.h"
#include "util/smallfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QByteArrayView Magic = "pelorin-renames 1";
// Room for half a million files; anything longer is not a journal this program wrote.
constexpr qint64 MaximumSize = 64 * 1024 * 1024;

QString renamesFolder()
{
    return PathUtil::split(SessionState::filePath()).first + u"/renames"_s;
}

QString canonical(const QString &folder)
{
    return QDir::cleanPath(folder);
}

qint64 modifiedNs(const struct stat &status)
{
    return qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

FileResult failed(const QString &subject, const QString &reason)
{
    return {false, subject + u": "_s + reason};
}

// Single names, none twice, and no old name that is a new one (A to Z folded, as the renumber's
// conflict marks fold them): otherwise what was done could not be told from the folder.
bool namesValid(const QList<RenameJournal::Entry> &entries)
{
    QSet<QString> oldNames, newNames;
    for (const RenameJournal::Entry &entry : entries) {
        if (!NoReplaceRename::isSingleName(entry.oldName) ||
            !NoReplaceRename::isSingleName(entry.newName))
            return false;
        const qsizetype before = oldNames.size() + newNames.size();
        oldNames.insert(PathUtil::asciiLower(PathUtil::decodeName(entry.oldName)));
        newNames.insert(PathUtil::asciiLower(PathUtil::decodeName(entry.newName)));
        if (oldNames.size() + newNames.size() != before + 2)
            return false;
    }
    return !oldNames.intersects(newNames);
}

std::optional<RenameJournal> readFile(const QString &path)
{
    return RenameJournal::read(SmallFile::read(PathUtil::encodeName(path), MaximumSize));
}

} // namespace

QString RenameJournal::filePath(const QString &folder)
{
    const QByteArray hash = QCryptographicHash::hash(PathUtil::encodeName(canonical(folder)),
                                                     QCryptographicHash::Sha256)
                                .toHex()
                                .left(32);
    return renamesFolder() + u'/' + QString::fromLatin1(hash) + u".journal"_s;
}

std::optional<RenameJournal> RenameJournal::load(const QString &folder)
{
    std::optional<RenameJournal> journal = readFile(filePath(folder));
    if (journal && journal->m_folder != canonical(folder))
        return std::nullopt;
    return journal;
}

QList<RenameJournal> RenameJournal::interrupted()
{
    QList<RenameJournal> found;
    const QDir folder(renamesFolder());
    for (const QString &name : folder.entryList({u"*.journal"_s}, QDir::Files | QDir::Hidden)) {
        const QString path = folder.filePath(name);
        std::optional<RenameJournal> journal = readFile(path);
        // A journal under another folder's name could be a copy of one already undone.
        if (journal && journal->m_state == State::Running && filePath(journal->m_folder) == path)
            found.append(std::move(*journal));
    }
    return found;
}

FileResult RenameJournal::record(const QString &folder, const QList<RenameItem> &rows)
{
    m_folder = canonical(folder);
    m_state = State::Running;
    m_entries.clear();
    m_entries.reserve(rows.size());
    const int folderFd =
        ::open(PathUtil::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat status;
    if (folder.isEmpty() || folderFd < 0 || ::fstat(folderFd, &status) != 0) {
        const int error = folder.isEmpty() ? ENOENT : errno;
        if (folderFd >= 0)
            ::close(folderFd);
        return failed(folder, DiskError::reason(error));
    }
    m_identity = QByteArray::number(quint64(status.st_dev)) + ':' +
                 QByteArray::number(quint64(status.st_ino));
    FileResult result = FileResult::success();
    for (const RenameItem &row : rows) {
        Entry entry{PathUtil::encodeName(row.currentName), PathUtil::encodeName(row.newName)};
        const bool single = NoReplaceRename::isSingleName(entry.oldName) &&
                            NoReplaceRename::isSingleName(entry.newName);
        if (!single ||
            ::fstatat(folderFd, entry.oldName.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            result = failed(row.currentName, DiskError::reason(single ? errno : EINVAL));
            break;
        }
        entry.size = status.st_size;
        entry.modifiedNs = modifiedNs(status);
        m_entries.append(std::move(entry));
    }
    ::close(folderFd);
    if (result.ok && !namesValid(m_entries))
        result = failed(folder, loadString(NameTaken));
    return result;
}

FileResult RenameJournal::save() const
{
    const QByteArray path = PathUtil::encodeName(filePath(m_folder));
    // A failure here shows as the write's own.
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0700);
    const FileResult written = AtomicFile::write(path, write());
    return written.ok ? written : failed(PathUtil::decodeName(path), written.reason);
}

FileResult RenameJournal::finished(int count)
{
    m_entries.resize(std::clamp<qsizetype>(count, 0, m_entries.size()));
    m_state = State::Completed;
    if (!m_entries.isEmpty())
        return save();
    const QByteArray path = PathUtil::encodeName(filePath(m_folder));
    return ::unlink(path.constData()) == 0 || errno == ENOENT
               ? FileResult::success()
               : failed(PathUtil::decodeName(path), DiskError::reason(errno));
}

RenameJournal::Found RenameJournal::find(int folderFd, const Entry &entry)
{
    // 1 there, 0 not there, -1 unknown.
    const auto look = [&entry, folderFd](const QByteArray &name) {
        struct stat status;
        if (::fstatat(folderFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
            return status.st_size == entry.size && modifiedNs(status) == entry.modifiedNs ? 1 : -1;
        return errno == ENOENT ? 0 : -1;
    };
    const int atOld = look(entry.oldName), atNew = look(entry.newName);
    if (atNew == 1 && atOld == 0)
        return Found::Renamed;
    if (atOld == 1 && atNew == 0)
        return Found::NotRenamed;
    return Found::Changed;
}

int RenameJournal::openFolder(Outcome &outcome) const
{
    const int folderFd =
        ::open(PathUtil::encodeName(m_folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    outcome.ok = folderFd >= 0;
    if (!outcome.ok)
        outcome.failure = loadString(RenameFolderFailed).arg(m_folder, DiskError::reason(errno));
    return folderFd;
}

RenameJournal::Survey RenameJournal::survey() const
{
    Survey survey;
    Outcome unused;
    const int folderFd = openFolder(unused);
    for (const Entry &entry : m_entries) {
        switch (folderFd < 0 ? Found::Changed : find(folderFd, entry)) {
        case Found::Renamed:
            ++survey.renamed;
            break;
        case Found::NotRenamed:
            ++survey.notRenamed;
            break;
        case Found::Changed:
            ++survey.changed;
            break;
        }
    }
    if (folderFd >= 0)
        ::close(folderFd);
    return survey;
}

RenameJournal::Outcome RenameJournal::undo() const
{
    Outcome outcome;
    const int folderFd = openFolder(outcome);
    if (folderFd < 0)
        return outcome;
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        const Entry &entry = m_entries[i];
        const Found found = find(folderFd, entry);
        if (found == Found::Renamed &&
            NoReplaceRename::rename(folderFd, entry.newName, entry.oldName) == 0)
            ++outcome.renamed;
        // A completed renumber renamed every file: one under its old name was put back since.
        else if (found != Found::NotRenamed || m_state == State::Completed)
            outcome.leftAlone.prepend(PathUtil::decodeName(entry.newName));
    }
    ::close(folderFd);
    ::unlink(PathUtil::encodeName(filePath(m_folder)).constData());
    return outcome;
}

RenameJournal::Outcome RenameJournal::finish()
{
    Outcome outcome;
    const int folderFd = openFolder(outcome);
    if (folderFd < 0)
        return outcome;
    QList<Entry> renamed;
    for (const Entry &entry : std::as_const(m_entries)) {
        const Found found = find(folderFd, entry);
        if (found == Found::NotRenamed &&
            NoReplaceRename::rename(folderFd, entry.oldName, entry.newName) == 0)
            ++outcome.renamed;
        else if (found != Found::Renamed) {
            outcome.leftAlone.append(PathUtil::decodeName(entry.oldName));
            continue;
        }
        renamed.append(entry);
    }
    ::close(folderFd);
    m_entries = std::move(renamed);
    // Should this fail, the journal stays running and is asked about at the next start, when
    // finishing it renames nothing more.
    finished(int(m_entries.size()));
    return outcome;
}

QByteArray RenameJournal::write() const
{
    QByteArray bytes;
    bytes.reserve(64 + m_entries.size() * 64);
    bytes += Magic.toByteArray() + '\n';
    bytes += m_state == State::Completed ? "state completed\n" : "state running\n";
    bytes += "folder " + PathUtil::encodeName(m_folder).toPercentEncoding("/") + '\n';
    bytes += "identity " + m_identity + '\n';
    for (const Entry &entry : m_entries) {
        bytes += "file " + entry.oldName.toPercentEncoding() + ' ' +
                 entry.newName.toPercentEncoding() + ' ' + QByteArray::number(entry.size) + ' ' +
                 QByteArray::number(entry.modifiedNs) + '\n';
    }
    bytes += "end " + QByteArray::number(m_entries.size()) + '\n';
    return bytes;
}

std::optional<RenameJournal> RenameJournal::read(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    // The header's four lines, the end line and the empty text after the last line break.
    if (lines.size() < 6 || lines[0] != Magic || !lines.last().isEmpty())
        return std::nullopt;
    RenameJournal journal;
    if (lines[1] == "state completed")
        journal.m_state = State::Completed;
    else if (lines[1] != "state running")
        return std::nullopt;
    if (!lines[2].startsWith("folder /") || !lines[3].startsWith("identity "))
        return std::nullopt;
    journal.m_folder = PathUtil::decodeName(QByteArray::fromPercentEncoding(lines[2].sliced(7)));
    journal.m_identity = lines[3].sliced(9);
    const qsizetype count = lines.size() - 6;
    journal.m_entries.reserve(count);
    for (qsizetype i = 4; i < 4 + count; ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        bool sizeOk = false, timeOk = false;
        if (fields.size() != 5 || fields[0] != "file")
            return std::nullopt;
        Entry entry{QByteArray::fromPercentEncoding(fields[1]),
                    QByteArray::fromPercentEncoding(fields[2]), fields[3].toLongLong(&sizeOk),
                    fields[4].toLongLong(&timeOk)};
        if (!sizeOk || !timeOk || entry.size < 0)
            return std::nullopt;
        journal.m_entries.append(std::move(entry));
    }
    if (lines[lines.size() - 2] != "end " + QByteArray::number(count) ||
        journal.m_folder != canonical(journal.m_folder) || !namesValid(journal.m_entries))
        return std::nullopt;
    return journal;
}
