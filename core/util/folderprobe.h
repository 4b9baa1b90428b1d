// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QByteArray>
#include <QString>

// What a folder does, learnt by trying it rather than by what stat claims: a bind or overlay
// mount shows the same files under another device number, a share under other inode numbers,
// and FAT, exFAT or NTFS take names that differ in case for one name, each by its own rule.
// The probes make a hidden, uniquely named file (named like a partial file, so that a probe cut
// short is cleaned up as one) and remove it at once.
// Thread: any; blocks on the disk.
class FolderProbe
{
public:
    enum class CaseRule
    {
        Exact,        // every difference counts (ext4, most Linux disks)
        AsciiFolds,   // A and a are one name, É and é two (FAT through most drivers)
        UnicodeFolds, // É and é are one name too (exFAT, NTFS mounted to ignore case)
    };

    // Whether two folders, by their bytes, are one: the same device and inode, or a file made in
    // second shows up in first under its name. A folder that cannot be written, or either that
    // cannot be opened, is judged by device and inode (or equal texts) alone.
    static bool sameFolder(const QByteArray &first, const QByteArray &second);
    // Whether the folder open as folderFd lists the entry name (a file made elsewhere).
    static bool shows(int folderFd, const QByteArray &name);

    // How the folder compares names: Exact when it cannot be written.
    static CaseRule caseRule(const QByteArray &folder);
    static CaseRule caseRule(int folderFd);
    // The key under which names the rule takes for one are equal. A to Z are always folded:
    // the convert list's own duplicate rule.
    static QString nameKey(const QString &name, CaseRule rule);
    // The widest rule a disk may have, for a guard that must hold whatever the probe found.
    static QString looseKey(const QString &name);
};
