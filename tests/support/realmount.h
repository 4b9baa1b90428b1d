// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

#include <QString>

#include <memory>

// A real file system of the kinds photos live on, mounted for one test and taken down with it:
// a bindfs mirror or an overlay of a folder (a second mount of the same files under another
// device number), or a fresh image formatted FAT (fusefat), exFAT (exfat-fuse on a loop device)
// or NTFS (ntfs-3g). Needs /dev/fuse and the tools, and root for the overlay and exFAT; without
// them make() says why, and the test skips with that reason.
class RealMount
{
public:
    enum class Kind
    {
        Bind,
        Overlay,
        Fat,
        ExFat,
        Ntfs,
    };

    // Mounts at mountPoint (an empty folder). Bind mirrors source; Overlay shows source as the
    // folder written through; the others format an image in scratch. Null with why set when it
    // cannot be done here.
    static std::unique_ptr<RealMount> make(Kind kind, const QString &mountPoint,
                                           const QString &scratch, QString &why,
                                           const QString &source = QString());
    static const char *name(Kind kind);

    ~RealMount();
    RealMount(const RealMount &) = delete;
    RealMount &operator=(const RealMount &) = delete;

    QString path() const { return m_mountPoint; }
    // The process serving the mount (FUSE), for a test that freezes it; 0 when unknown.
    qint64 serverPid() const { return m_serverPid; }

private:
    RealMount() = default;

    QString m_mountPoint;
    QString m_loopDevice;
    qint64 m_serverPid = 0;
};

// In a test: the mount, or GTEST_SKIP with the reason.
#define PELORIN_MOUNT_OR_SKIP(var, kind, mountPoint, scratch, ...)                                 \
    QString var##Why;                                                                              \
    const std::unique_ptr<RealMount> var =                                                         \
        RealMount::make(kind, mountPoint, scratch, var##Why __VA_OPT__(, ) __VA_ARGS__);           \
    if (!var)                                                                                      \
    GTEST_SKIP() << "skipped, no " << RealMount::name(kind) << " mount here: "                    \
                 << qPrintable(var##Why)
