// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include "util/fileresult.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct RenameItem;

// The record of a folder's last renumber, kept in the state folder so that the renumber can be
// taken back, and finished or undone after the program died in its middle. One file per folder,
// $XDG_STATE_HOME/Pelorin/renames/<hash of the folder's path>.journal, written whole through a
// temporary file. Names and the folder are their bytes, percent-encoded; one record a line:
//
//     pelorin-renames 1
//     state running|completed
//     folder /home/me/Trip%202024
//     identity <device>:<inode>
//     file <old name> <new name> <size> <modification time in ns>     (in renaming order)
//     end <number of files>
//
// A file that reads otherwise in any way, names another folder than its own file name says, or
// holds a name that is not a single name in the folder (or two files to one name), is ignored.
// What was done is learnt from the folder alone, never from the identity (a remount of a FUSE,
// FAT or exFAT disk may renumber its inodes): a file counts as renamed when its new name holds a
// file of its recorded size and modification time and its old name holds nothing, and the
// reverse as not renamed. Anything else is a file changed since, which is left alone.
class RenameJournal
{
public:
    enum class State
    {
        Running,
        Completed,
    };

    struct Entry
    {
        QByteArray oldName;
        QByteArray newName;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const Entry &) const = default;
    };

    // Where each file of the journal stands, as the folder says now.
    struct Survey
    {
        int renamed = 0;
        int notRenamed = 0;
        int changed = 0;
    };

    // What an undo or a finish did.
    struct Outcome
    {
        bool ok = false; // the folder could be opened; failure says why when not
        QString failure;
        int renamed = 0; // files given their old names back (undo) or their new names (finish)
        QStringList leftAlone; // the names of files changed since, as the user knows them
    };

    // Computed afresh on every call, so that a changed environment is honoured.
    static QString filePath(const QString &folder);
    // The journal of folder's last renumber, if there is one that reads as such.
    static std::optional<RenameJournal> load(const QString &folder);
    // The journals of renumbers that never ended, each read as load() would.
    static QList<RenameJournal> interrupted();

    // A running journal of the renames of rows (current name to new name, in order), with each
    // file's size and modification time as the folder gives them now. Fails, naming the file,
    // when one cannot be looked at.
    FileResult record(const QString &folder, const QList<RenameItem> &rows);
    // Writes filePath() whole, creating its folders (0700) when missing.
    FileResult save() const;
    // A renumber of this journal ended after its first count renames: what they did becomes
    // the completed journal that Undo takes back; with none, the journal goes.
    FileResult finished(int count);

    Survey survey() const;
    // Renames every file back that the folder shows renamed, the last first, never replacing a
    // file; then the journal goes, so that an undo is never run twice.
    Outcome undo() const;
    // Renames the files not renamed yet, in order, never replacing a file; the journal is then
    // completed with every file that has its new name.
    Outcome finish();

    const QString &folder() const { return m_folder; }
    State state() const { return m_state; }
    const QList<Entry> &entries() const { return m_entries; }

    QByteArray write() const;
    static std::optional<RenameJournal> read(const QByteArray &bytes);

private:
    enum class Found
    {
        Renamed,
        NotRenamed,
        Changed,
    };
    static Found find(int folderFd, const Entry &entry);
    int openFolder(Outcome &outcome) const;

    QString m_folder;
    QByteArray m_identity;
    State m_state = State::Running;
    QList<Entry> m_entries;
};
